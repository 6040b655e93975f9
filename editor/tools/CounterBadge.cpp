#include "editor/tools/CounterBadge.h"

#include <QPainter>
#include <algorithm>

CounterBadge::CounterBadge(int number, const QPointF &centre, const QColor &color, double radius)
    : m_number(number)
    , m_centre(centre)
    , m_color(color)
    , m_radius(radius)
{
}

QRectF CounterBadge::boundingRect() const
{
    return QRectF(m_centre, m_centre).adjusted(-m_radius - 1, -m_radius - 1, m_radius + 1, m_radius + 1);
}

void CounterBadge::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(m_color);
    painter->drawEllipse(m_centre, m_radius, m_radius);
    // White on dark colors, black on light ones.
    const bool light = qGray(m_color.rgb()) > 150;
    painter->setPen(light ? Qt::black : Qt::white);
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(std::max(6, int(m_radius * (m_number < 10 ? 1.2 : 0.95))));
    painter->setFont(font);
    const QRectF box(m_centre.x() - m_radius, m_centre.y() - m_radius, 2 * m_radius, 2 * m_radius);
    painter->drawText(box, Qt::AlignCenter, QString::number(m_number));
    painter->restore();
}

bool CounterBadge::hits(const QPointF &point) const
{
    const QPointF d = point - m_centre;
    return d.x() * d.x() + d.y() * d.y() <= m_radius * m_radius;
}
