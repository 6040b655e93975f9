#pragma once

#include "editor/tools/RectangleTool.h"

// Recorded as a rectangle: the filling is a matter of style.
class FilledRectangleTool : public RectangleTool
{
protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
};
