#include "editor/tools/LineTool.h"

using namespace scene;

// A line's first rectangle is kept in pixels, not points, as it always has been.
StartedFigure LineTool::start(ToolCanvas &canvas, const FigureStyle &style, const Point &at) const
{
    StartedFigure started = ShapeTool::start(canvas, style, at);
    const double scale = canvas.displayPixelRatio();
    started.rect.setSize(started.rect.size() * scale);
    return started;
}

std::shared_ptr<Shape> LineTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeLine(style.line, at.x, at.y, at.x + 2, at.y + 2, style.lineWidth);
}

Form LineTool::formBetween(const Point &from, const Point &to) const
{
    return Line(from.x, from.y, to.x, to.y);
}
