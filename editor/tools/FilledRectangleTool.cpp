#include "editor/tools/FilledRectangleTool.h"

using namespace scene;

std::shared_ptr<Shape> FilledRectangleTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeFilledRectangle(style.line, style.fill, at.x, at.y, 4, 4, style.lineWidth);
}
