#include "editor/tools/SharingFigures.h"

#include "editor/tools/ImageFilters.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <cmath>

// ---- freehand ------------------------------------------------------------------

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

// ---- counter -------------------------------------------------------------------

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

// ---- pixelate and blur -----------------------------------------------------------

namespace {
// The size of a pixelation block and the blur's radius, in points of the picture.
constexpr double kBlockPoints = 10.0;
constexpr double kBlurPoints = 8.0;
} // namespace

ObscuredPatch::ObscuredPatch(Kind kind, const std::shared_ptr<scene::Image> &picture, const QRectF &rect)
    : m_kind(kind)
    , m_picture(picture)
    , m_rect(rect.normalized())
{
}

void ObscuredPatch::setRect(const QRectF &rect)
{
    const QRectF normalized = rect.normalized();
    if (normalized == m_rect)
        return;
    prepareGeometryChange();
    m_rect = normalized;
    update();
}

void ObscuredPatch::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const std::shared_ptr<scene::Image> picture = m_picture.lock();
    if (!picture || m_rect.isEmpty() || picture->size().w <= 0)
        return;
    const QImage &source = picture->image();
    const double s = source.width() / picture->size().w;
    // The patch in the picture's pixels, on whole pixels, inside the picture.
    const QRectF inPicture = mapRectToItem(picture.get(), m_rect);
    const QPoint topLeft(qRound(inPicture.left() * s), qRound(inPicture.top() * s));
    const QPoint bottomRight(qRound(inPicture.right() * s), qRound(inPicture.bottom() * s));
    const QRect pixels = QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()))
                             .intersected(source.rect());
    if (pixels.isEmpty())
        return;
    if (pixels != m_filteredPixels || m_filtered.isNull()) {
        const QImage region = source.copy(pixels);
        m_filtered = m_kind == Kind::pixelate ? pixelated(region, std::max(2, int(std::lround(kBlockPoints * s))))
                                              : blurred(region, std::max(2, int(std::lround(kBlurPoints * s))));
        m_filteredPixels = pixels;
    }
    const QRectF drawn = mapRectFromItem(picture.get(), QRectF(QPointF(pixels.topLeft()) / s, QSizeF(pixels.size()) / s));
    painter->drawImage(drawn, m_filtered);
}
