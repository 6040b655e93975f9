#pragma once

#include "editor/tools/DrawingTool.h"

// A tool whose figure is one Shape, reshaped to span the press and the pointer as it
// moves. The dragged shape is the latest figure's, whatever tool made it.
class ShapeTool : public DrawingTool
{
public:
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const final;

protected:
    // The just-pressed shape, a few points across.
    virtual std::shared_ptr<scene::Shape> makeShape(const FigureStyle &style, const scene::Point &at) const = 0;
    virtual scene::Form formBetween(const scene::Point &from, const scene::Point &to) const = 0;
};
