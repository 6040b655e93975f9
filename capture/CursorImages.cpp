#include "capture/CursorImages.h"

#include "helpers/ResourceImages.h"

#include <QPixmap>

namespace {
QCursor imageCursor(const QString &name, int hotSpot, Qt::CursorShape fallback)
{
    const QImage image = imageNamed(name);
    if (image.isNull())
        return QCursor(fallback);
    return QCursor(QPixmap::fromImage(image), hotSpot, hotSpot);
}
} // namespace

QCursor qCursorFor(const CursorRef &cursor)
{
    // The pictures are drawn once; QCursor copies are cheap.
    static const QCursor crosshair = imageCursor(QStringLiteral("Crosshairs1"), 18, Qt::CrossCursor);
    static const QCursor corner1 = imageCursor(QStringLiteral("corner1"), 16, Qt::SizeFDiagCursor);
    static const QCursor corner2 = imageCursor(QStringLiteral("corner2"), 16, Qt::SizeBDiagCursor);
    switch (cursor.shape) {
    case CursorShape::Arrow: return QCursor(Qt::ArrowCursor);
    case CursorShape::SystemCrosshair: return QCursor(Qt::CrossCursor);
    case CursorShape::ImageCrosshair: return crosshair;
    case CursorShape::ResizeLeftRight: return QCursor(Qt::SizeHorCursor);
    case CursorShape::ResizeUpDown: return QCursor(Qt::SizeVerCursor);
    case CursorShape::Corner1: return corner1;
    case CursorShape::Corner2: return corner2;
    case CursorShape::OpenHand: return QCursor(Qt::OpenHandCursor);
    case CursorShape::ClosedHand: return QCursor(Qt::ClosedHandCursor);
    }
    return QCursor(Qt::ArrowCursor);
}

bool crosshairImageAvailable()
{
    return !resourceImagePath(QStringLiteral("Crosshairs1")).isEmpty();
}

bool cornerImagesAvailable()
{
    return !resourceImagePath(QStringLiteral("corner1")).isEmpty()
           && !resourceImagePath(QStringLiteral("corner2")).isEmpty();
}
