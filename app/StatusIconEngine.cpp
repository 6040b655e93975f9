#include "app/StatusIconEngine.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
// The drawing's own coordinate space, as in the SVG files.
constexpr qreal kDrawingSize = 22.0;
const QColor kInk(0x20, 0x20, 0x20);
// Tray panels come dark and light, and a tray icon is not told which: the dark camera
// carries a light halo, so one of the two always stands out from the panel.
const QColor kHalo(0xFF, 0xFF, 0xFF);
constexpr qreal kHaloWidth = 1.0;   // on each side of every line
const QColor kBadge(0x1E, 0x88, 0xE5);

// The camera's lines drawn `widen` wider on each side, in `color`.
void drawCameraLines(QPainter &painter, const QColor &color, qreal widen)
{
    painter.setPen(QPen(color, 2.0 + 2 * widen));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(2, 5, 18, 13), 2, 2);
    painter.drawEllipse(QPointF(11, 11.5), 3.5, 3.5);
    painter.setPen(widen > 0 ? QPen(color, 2 * widen) : QPen(Qt::NoPen));
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(7, 2.5, 8, 3), 1, 1);
}

void drawCamera(QPainter &painter)
{
    // The whole halo first, so no part of it covers the ink.
    drawCameraLines(painter, kHalo, kHaloWidth);
    drawCameraLines(painter, kInk, 0);
}

void drawFrontBadge(QPainter &painter)
{
    painter.setPen(QPen(Qt::white, 1.0));
    painter.setBrush(kBadge);
    painter.drawEllipse(QPointF(17.5, 17.5), 4, 4);
    QPainterPath arrow;
    arrow.moveTo(17.5, 20);
    arrow.lineTo(17.5, 15.5);
    arrow.moveTo(15.5, 17.3);
    arrow.lineTo(17.5, 15.3);
    arrow.lineTo(19.5, 17.3);
    painter.setPen(QPen(Qt::white, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
}
} // namespace

StatusIconEngine::StatusIconEngine(Variant variant)
    : m_variant(variant)
{
}

void StatusIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State)
{
    // Square and centred in `rect`, like any icon.
    const qreal side = qMin(rect.width(), rect.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
    painter->scale(side / kDrawingSize, side / kDrawingSize);
    drawCamera(*painter);
    if (m_variant == Variant::front)
        drawFrontBadge(*painter);
    painter->restore();
}

QPixmap StatusIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(&painter, image.rect(), mode, state);
    painter.end();
    return QPixmap::fromImage(std::move(image));
}

QList<QSize> StatusIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
}

QIconEngine *StatusIconEngine::clone() const
{
    return new StatusIconEngine(m_variant);
}

QString StatusIconEngine::key() const
{
    return QStringLiteral("VornikStatusIcon");
}

QIcon StatusIconEngine::iconNamed(const QString &name)
{
    const Variant variant = name == QLatin1String("statusIconFront") ? Variant::front : Variant::plain;
    return QIcon(new StatusIconEngine(variant));
}
