#pragma once

#include "editor/tools/ShapeTool.h"

class LineTool : public ShapeTool
{
public:
    QString typeName() const override { return QStringLiteral("line"); }
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;

protected:
    std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const override;
    scene::Form formBetween(const scene::Point &from, const scene::Point &to) const override;
};
