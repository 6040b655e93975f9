#include "editor/tools/FilledEllipseTool.h"

using namespace scene;

std::shared_ptr<Shape> FilledEllipseTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeFilledEllipse(style.line, style.fill, at.x, at.y, 4, 4, style.lineWidth);
}
