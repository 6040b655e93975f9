#include "editor/tools/ShapeTool.h"

using namespace scene;

namespace {
QRectF boundsOf(const Shape &shape)
{
    const Rect b = locus(shape.form()).bounds();
    return QRectF(b.x, b.y, b.w, b.h);
}
} // namespace

StartedFigure ShapeTool::start(ToolCanvas &, const FigureStyle &style, const Point &at) const
{
    auto shape = makeShape(style, at);
    return {shape, boundsOf(*shape)};
}

void ShapeTool::drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const Point &from,
                     const Point &to) const
{
    const auto shape = latest ? latest->shape : nullptr;
    if (!shape)
        return;
    shape->setForm(formBetween(from, to));
    const QRectF spanned = normalisedRect(from, to);
    canvas.figures().setShapeOrigin(shape.get(), spanned.x(), spanned.y());
    canvas.figures().setShapeSize(shape.get(), spanned.width(), spanned.height());
}
