#pragma once

#include "editor/tools/DrawingTool.h"

// A Group of three lines: the shaft and two barbs at the pointer's end.
class ArrowTool : public DrawingTool
{
public:
    QString typeName() const override { return QStringLiteral("arrow"); }
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const override;
};
