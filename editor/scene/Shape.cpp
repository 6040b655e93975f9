#include "editor/scene/Shape.h"

#include <QPainter>
#include <QPainterPathStroker>

namespace scene {

Shape::Shape(const Form &form, const Color &fill, const std::optional<Stroke> &stroke, const Transform &place)
    : Node(place)
    , m_form(form)
    , m_fill(fill)
    , m_stroke(stroke)
{
    rebuild();
}

void Shape::setForm(const Form &form)
{
    if (form == m_form)
        return;
    prepareGeometryChange();
    m_form = form;
    rebuild();
    update();
}

void Shape::setPaint(const Color &fill, const std::optional<Stroke> &stroke)
{
    prepareGeometryChange();
    m_fill = fill;
    m_stroke = stroke;
    rebuild();
    update();
}

void Shape::rebuild()
{
    const QPainterPath outline = locus(m_form).path();
    // A line has no inside; a clear fill paints nothing and so is not part of the
    // figure's drawn geometry.
    const bool filled = !m_fill.isClear() && !std::holds_alternative<Line>(m_form);
    m_fillPath = filled ? outline : QPainterPath();
    m_strokePath = QPainterPath();
    if (m_stroke && m_stroke->width > 0 && !m_stroke->fill.isClear()) {
        QPainterPathStroker stroker(m_stroke->toQPen());
        m_strokePath = stroker.createStroke(outline);
    }
    m_bounds = m_fillPath.boundingRect().united(m_strokePath.boundingRect());
}

QRectF Shape::boundingRect() const
{
    return m_bounds;
}

QPainterPath Shape::shape() const
{
    QPainterPath p = m_fillPath;
    p.addPath(m_strokePath);
    p.setFillRule(Qt::WindingFill);
    return p;
}

void Shape::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = locus(m_form).path();
    if (!m_fillPath.isEmpty())
        painter->fillPath(outline, m_fill.toQColor());
    if (!m_strokePath.isEmpty())
        painter->strokePath(outline, m_stroke->toQPen());
}

bool Shape::hits(const QPointF &point) const
{
    if (!m_bounds.contains(point))
        return false;
    return m_fillPath.contains(point) || m_strokePath.contains(point);
}

} // namespace scene
