#include "editor/tools/RectangleTool.h"

using namespace scene;

std::shared_ptr<Shape> RectangleTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeOutlineRectangle(style.line, at.x, at.y, 4, 4, style.lineWidth);
}

Form RectangleTool::formBetween(const Point &from, const Point &to) const
{
    return Rect(from.x, from.y, to.x - from.x, to.y - from.y);
}
