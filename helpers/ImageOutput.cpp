#include "helpers/ImageOutput.h"

#include "helpers/PngEncoder.h"
#include "helpers/TempFolder.h"
#include "helpers/ResourceImages.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QSaveFile>
#include <cmath>

namespace {


// The zlib level Qt's PNG writer uses for a quality; -1 leaves libpng's default.
int zlibLevelForQuality(int quality)
{
    return quality >= 0 ? std::min((100 - std::min(quality, 100)) * 9 / 91, 9) : -1;
}

bool encodeInto(QIODevice *device, const QImage &image, int quality)
{
    // Screenshots take the writer that deflates on every core; anything else Qt's.
    const int level = zlibLevelForQuality(quality);
    if (level >= 0 && PngEncoder::handles(image)) {
        if (const std::optional<QByteArray> png = PngEncoder::encode(image, level))
            return device->write(*png) == png->size();
    }
    QImageWriter writer(device, QByteArrayLiteral("png"));
    writer.setQuality(quality);
    return writer.write(image);
}

// Widens one axis (origin, length) so that the figure span (start, extent) fits.
// `margin` is added beyond the figure on the far side; on the near side the
// origin moves to the figure's start less `nearMargin`.
void widenAxis(qreal &origin, qreal &length, qreal start, qreal extent, qreal nearMargin)
{
    if (origin <= start) {
        length = std::max(length, extent + (start - origin) + 6);
    } else {
        length = std::max(length + (origin - start), extent);
        origin = start - nearMargin;
    }
}

} // namespace

QImage imageCGImage(const QImage &image)
{
    if (image.isNull()) {
        const QImage fallback = imageNamed(QStringLiteral("icon-page-pencil"));
        return fallback.isNull() ? QImage() : imageCGImage(fallback);
    }
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    // Converting to the format it already has shares the pixels instead of copying.
    return image.convertToFormat(format);
}

QByteArray encodePNG(const QImage &image, int quality)
{
    if (image.isNull())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!encodeInto(&buffer, image, quality))
        return QByteArray();
    return bytes;
}

bool writePNG(const QImage &image, const QString &path, int quality)
{
    if (image.isNull() || path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Screenshots waiting in the temporary folder are this user's alone.
    if (TempFolder::isInside(path))
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!encodeInto(&file, image, quality)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QRectF widenForFigures(const QRectF &rect, const FigureRects &figures)
{
    qreal x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    std::optional<QRectF> previous = rect;
    for (const std::optional<QRectF> &current : figures) {
        const bool repeatsPrevious = current && previous && *current == *previous;
        previous = current;
        if (!current || repeatsPrevious)
            continue;
        // Horizontally a figure left of the area also gets a 6-point margin on its
        // left; vertically the top edge moves to the figure without one.
        widenAxis(x, w, current->x(), current->width(), 6);
        widenAxis(y, h, current->y(), current->height(), 0);
    }
    return QRectF(x, y, w, h);
}

QRect pixelCropRect(const QRectF &rect, float scale, const QSize &picture)
{
    const double left = std::floor(double(rect.x()) * scale);
    const double top = std::floor(double(rect.y()) * scale);
    const double right = std::ceil(double(rect.x() + rect.width()) * scale);
    const double bottom = std::ceil(double(rect.y() + rect.height()) * scale);
    if (!(right > left) || !(bottom > top))
        return QRect();
    // Clip in floating point first so that huge figure rectangles cannot overflow int.
    const double clippedLeft = std::max(left, 0.0);
    const double clippedTop = std::max(top, 0.0);
    const double clippedRight = std::min(right, double(picture.width()));
    const double clippedBottom = std::min(bottom, double(picture.height()));
    if (!(clippedRight > clippedLeft) || !(clippedBottom > clippedTop))
        return QRect();
    return QRect(QPoint(int(clippedLeft), int(clippedTop)),
                 QSize(int(clippedRight - clippedLeft), int(clippedBottom - clippedTop)));
}

QImage exportImage(const QImage &image, const FigureRects &figures, const QRectF &rect)
{
    if (image.isNull())
        return QImage();
    const QImage picture = imageCGImage(image);
    const QRectF area = widenForFigures(rect, figures);

    const qreal pointWidth = image.width() / image.devicePixelRatio();
    const float scale = float(picture.width()) / float(pointWidth);
    const QRect crop = pixelCropRect(area, scale, picture.size());
    if (crop.isEmpty())
        return QImage();

    // One pixel per point, never enlarged.
    const double targetWidth = crop.width() / scale;
    const double targetHeight = crop.height() / scale;
    double factor = crop.width() <= crop.height() ? targetHeight / crop.height() : targetWidth / crop.width();
    factor = std::min(factor, 1.0);
    const int width = int(crop.width() * factor);
    const int height = int(crop.height() * factor);
    if (width <= 0 || height <= 0)
        return QImage();

    // The whole picture is shared, not copied: a full-screen save moves no pixels here.
    QImage cropped = crop == picture.rect() ? picture : picture.copy(crop);
    cropped.setDevicePixelRatio(1.0);
    if (cropped.size() == QSize(width, height))
        return cropped;
    return cropped.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString writeImage(const QString &path, const QImage &image, const FigureRects &figures, const QRectF &rect,
                   int quality)
{
    QString target = path;
    if (target.isEmpty()) {
        // Never into a temporary folder that is not this user's alone.
        if (!TempFolder::ensureFinalImagesFolder())
            return QString();
        target = TempFolder::viewImagePath();
    } else if (!target.contains(QStringLiteral(".png"))) {
        target += QStringLiteral(".png");
    }
    const QImage exported = exportImage(image, figures, rect);
    if (exported.isNull() || !writePNG(exported, target, quality))
        return QString();
    return target;
}
