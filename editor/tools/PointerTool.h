#pragma once

#include "editor/tools/DrawingTool.h"

// The pointer, which draws nothing.
class PointerTool : public DrawingTool
{
public:
    QString typeName() const override { return QString(); }
    bool takesPagePresses() const override { return false; }
    StartedFigure start(ToolCanvas &, const FigureStyle &, const scene::Point &) const override { return {}; }
    void drag(ToolCanvas &, const std::shared_ptr<Figure> &, const scene::Point &,
              const scene::Point &) const override
    {
    }
};
