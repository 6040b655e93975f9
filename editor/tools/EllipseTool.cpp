#include "editor/tools/EllipseTool.h"

using namespace scene;

std::shared_ptr<Shape> EllipseTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeOutlineEllipse(style.line, at.x, at.y, 4, 4, style.lineWidth);
}

Form EllipseTool::formBetween(const Point &from, const Point &to) const
{
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    return Ellipse(from.x + dx / 2, from.y + dy / 2, dx / 2, dy / 2);
}
