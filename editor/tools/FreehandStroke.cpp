#include "editor/tools/FreehandStroke.h"

#include <QPainter>
#include <QPainterPathStroker>

FreehandStroke::FreehandStroke(const QPointF &start, const QColor &color, double width, bool marker)
    : m_path(start)
    , m_color(color)
    , m_width(width)
    , m_marker(marker)
{
    m_points << start;
    // A press without a move still leaves a dot.
    m_path.lineTo(start);
    const double half = m_width / 2 + 1;
    m_bounds = QRectF(start, start).adjusted(-half, -half, half, half);
}

void FreehandStroke::addPoint(const QPointF &point)
{
    if (!m_points.isEmpty() && m_points.constLast() == point)
        return;
    prepareGeometryChange();
    m_points << point;
    m_path.lineTo(point);
    const double half = m_width / 2 + 1;
    m_bounds = m_bounds.united(QRectF(point, point).adjusted(-half, -half, half, half));
    m_outlineStale = true;
    update();
}

QPen FreehandStroke::pen() const
{
    QPen pen(m_color, m_width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (m_marker)
        pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void FreehandStroke::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (m_marker)
        painter->setCompositionMode(QPainter::CompositionMode_Multiply);
    painter->strokePath(m_path, pen());
    painter->restore();
}

bool FreehandStroke::hits(const QPointF &point) const
{
    if (!m_bounds.contains(point))
        return false;
    if (m_outlineStale) {
        QPainterPathStroker stroker(pen());
        m_outline = stroker.createStroke(m_path);
        m_outline.setFillRule(Qt::WindingFill);
        m_outlineStale = false;
    }
    return m_outline.contains(point);
}
