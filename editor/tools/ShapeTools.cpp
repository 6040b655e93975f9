#include "editor/tools/FigureTools.h"

// Rectangles, ellipses and lines: one Shape each, reshaped as the pointer moves.

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
    const auto shape = latest ? latest->mShape : nullptr;
    if (!shape)
        return;
    shape->setForm(formBetween(from, to));
    const QRectF spanned = normalisedRect(from, to);
    canvas.figures().setShapeOrigin(shape.get(), spanned.x(), spanned.y());
    canvas.figures().setShapeSize(shape.get(), spanned.width(), spanned.height());
}

std::shared_ptr<Shape> RectangleTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeOutlineRectangle(style.line, at.x, at.y, 4, 4, style.lineWidth);
}

Form RectangleTool::formBetween(const Point &from, const Point &to) const
{
    return Rect(from.x, from.y, to.x - from.x, to.y - from.y);
}

std::shared_ptr<Shape> FilledRectangleTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeFilledRectangle(style.line, style.fill, at.x, at.y, 4, 4, style.lineWidth);
}

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

std::shared_ptr<Shape> FilledEllipseTool::makeShape(const FigureStyle &style, const Point &at) const
{
    return makeFilledEllipse(style.line, style.fill, at.x, at.y, 4, 4, style.lineWidth);
}

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
