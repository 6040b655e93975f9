#include "editor/scene/Text.h"

#include <QFontMetricsF>
#include <QPainter>

namespace scene {

Text::Text(const QString &text, const Font &font, const Color &fill, const std::optional<Stroke> &stroke, Align align,
           Baseline baseline, const Transform &place)
    : Node(place)
    , m_text(text)
    , m_font(font)
    , m_fill(fill)
    , m_stroke(stroke)
    , m_align(align)
    , m_baseline(baseline)
{
    relayout();
}

void Text::setFont(const Font &font)
{
    if (font == m_font)
        return;
    prepareGeometryChange();
    m_font = font;
    relayout();
    update();
}

void Text::setText(const QString &text)
{
    if (text == m_text)
        return;
    prepareGeometryChange();
    m_text = text;
    relayout();
    update();
}

void Text::setFill(const Color &fill)
{
    m_fill = fill;
    update();
}

void Text::relayout()
{
    const QFontMetricsF metrics(m_font.toQFont());
    QRectF r = metrics.boundingRect(QRectF(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, m_text);
    r.moveTopLeft(QPointF(0, 0));
    switch (m_align) {
    case Align::min: break;
    case Align::mid: r.moveLeft(-r.width() / 2); break;
    case Align::max: r.moveLeft(-r.width()); break;
    }
    switch (m_baseline) {
    case Baseline::top: break;
    case Baseline::alphabetic: r.moveTop(-metrics.ascent()); break;
    case Baseline::bottom: r.moveTop(-r.height()); break;
    case Baseline::mid: r.moveTop(-r.height() / 2); break;
    }
    m_textRect = r;
}

QRectF Text::boundingRect() const
{
    return m_textRect;
}

void Text::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_text.isEmpty())
        return;
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->setFont(m_font.toQFont());
    painter->setPen(m_fill.toQColor());
    painter->drawText(m_textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, m_text);
}

bool Text::hits(const QPointF &point) const
{
    return !m_text.isEmpty() && m_textRect.contains(point);
}

} // namespace scene
