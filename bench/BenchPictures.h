#pragma once

// Pictures shared by the benchmarks.

#include <QBuffer>
#include <QFont>
#include <QImageWriter>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>

#include "output/OutputActions.h"

namespace bench {

// The floor for encoding: the same pixels through Qt's own PNG writer (libpng, one
// thread) at zlib level 1, as any Qt program would write them.
inline QByteArray levelOnePngFloor(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(85); // (100 - 85) * 9 / 91 = zlib level 1
    return writer.write(image) ? bytes : QByteArray();
}

// Something that compresses like a desktop: a wallpaper gradient, windows with title
// bars, lines of text in a few fonts, icons, and one photograph-like patch.
inline QImage desktopPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient wallpaper(0, 0, width, height);
    wallpaper.setColorAt(0, QColor(32, 64, 110));
    wallpaper.setColorAt(1, QColor(120, 60, 90));
    painter.fillRect(image.rect(), wallpaper);
    QRandomGenerator random(7);
    const double unit = width / 1920.0;
    const QStringList words = {"capture", "selection", "the", "upload", "history", "banner", "of", "and",
                               "window", "display", "editor", "figure", "arrow", "text", "color", "link"};
    for (int w = 0; w < 7; ++w) {
        const QRect frame(int(random.bounded(width * 0.6)), int(random.bounded(height * 0.5)),
                          int(width * (0.25 + random.bounded(0.2))), int(height * (0.3 + random.bounded(0.3))));
        painter.fillRect(frame, QColor(248, 248, 246));
        painter.fillRect(QRect(frame.topLeft(), QSize(frame.width(), int(28 * unit))), QColor(60, 63, 70));
        painter.setPen(QColor(30, 30, 30));
        QFont font(w % 2 ? "DejaVu Sans" : "DejaVu Sans Mono");
        font.setPixelSize(int(13 * unit));
        painter.setFont(font);
        const int lineHeight = int(18 * unit);
        for (int y = frame.top() + int(40 * unit); y < frame.bottom() - lineHeight; y += lineHeight) {
            QString line;
            while (line.size() < frame.width() / (8 * unit))
                line += words[int(random.bounded(words.size()))] + ' ';
            painter.drawText(QPoint(frame.left() + int(10 * unit), y), line);
        }
        for (int i = 0; i < 4; ++i) {
            painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 160, 220));
            painter.drawEllipse(QPoint(frame.right() - int((30 + 40 * i) * unit), frame.top() + int(14 * unit)),
                                int(8 * unit), int(8 * unit));
        }
    }
    // A photograph: smooth colours with grain.
    const QRect photo(width / 2, height / 2, width / 6, height / 6);
    for (int y = photo.top(); y < photo.bottom(); ++y)
        for (int x = photo.left(); x < photo.right(); ++x) {
            const int grain = int(random.bounded(24));
            image.setPixel(x, y, qRgb((x * 255 / width + grain) % 256, (y * 255 / height + grain) % 256, (128 + grain) % 256));
        }
    painter.end();
    return image;
}


// The overlay's selection covering the whole picture.
class WholePicture : public SelectionSurface
{
public:
    explicit WholePicture(const QImage &picture) : m_picture(picture) {}
    QRectF selectionFrame() const override { return m_frame; }
    void setSelectionFrame(const QRectF &frame) override { m_frame = frame; }
    QImage renderRegion(const QRectF &region) override { return m_picture.copy(region.toRect()); }
    void reset() { m_frame = QRectF(QPointF(0, 0), m_picture.size()); }

private:
    QImage m_picture;
    QRectF m_frame;
};

} // namespace bench
