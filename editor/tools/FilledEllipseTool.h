#pragma once

#include "editor/tools/EllipseTool.h"

class FilledEllipseTool : public EllipseTool
{
protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
};
