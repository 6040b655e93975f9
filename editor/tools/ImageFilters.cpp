#include "editor/tools/ImageFilters.h"

#include <algorithm>
#include <vector>

namespace {

QImage asRgb(const QImage &region)
{
    return region.convertToFormat(QImage::Format_RGB32);
}

// One box pass over `count` pixels that lie `stride` apart, from `in` into the line `out`, with
// a running sum; indexes outside the line repeat its end pixels.
void boxLine(const QRgb *in, QRgb *out, int count, int stride, int radius)
{
    const int window = 2 * radius + 1;
    const auto at = [&](int i) { return in[std::clamp(i, 0, count - 1) * stride]; };
    int r = 0, g = 0, b = 0;
    for (int i = -radius; i <= radius; ++i) {
        const QRgb p = at(i);
        r += qRed(p);
        g += qGreen(p);
        b += qBlue(p);
    }
    for (int i = 0; i < count; ++i) {
        out[i] = qRgb(r / window, g / window, b / window);
        const QRgb leaving = at(i - radius);
        const QRgb entering = at(i + radius + 1);
        r += qRed(entering) - qRed(leaving);
        g += qGreen(entering) - qGreen(leaving);
        b += qBlue(entering) - qBlue(leaving);
    }
}

} // namespace

QImage pixelated(const QImage &region, int block)
{
    QImage image = asRgb(region);
    if (image.isNull() || block < 1)
        return image;
    for (int top = 0; top < image.height(); top += block) {
        const int bottom = std::min(top + block, image.height());
        for (int left = 0; left < image.width(); left += block) {
            const int right = std::min(left + block, image.width());
            qint64 r = 0, g = 0, b = 0;
            for (int y = top; y < bottom; ++y) {
                const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
                for (int x = left; x < right; ++x) {
                    r += qRed(line[x]);
                    g += qGreen(line[x]);
                    b += qBlue(line[x]);
                }
            }
            const qint64 n = qint64(bottom - top) * (right - left);
            const QRgb average = qRgb(int(r / n), int(g / n), int(b / n));
            for (int y = top; y < bottom; ++y) {
                QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
                std::fill(line + left, line + right, average);
            }
        }
    }
    return image;
}

QImage blurred(const QImage &region, int radius)
{
    QImage image = asRgb(region);
    if (image.isNull() || radius < 1)
        return image;
    const int width = image.width();
    const int height = image.height();
    const int stride = int(image.bytesPerLine() / sizeof(QRgb));
    QRgb *pixels = reinterpret_cast<QRgb *>(image.bits());
    std::vector<QRgb> line(size_t(std::max(width, height)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            QRgb *row = pixels + y * stride;
            boxLine(row, line.data(), width, 1, radius);
            std::copy(line.begin(), line.begin() + width, row);
        }
        for (int x = 0; x < width; ++x) {
            QRgb *column = pixels + x;
            boxLine(column, line.data(), height, stride, radius);
            for (int y = 0; y < height; ++y)
                column[y * stride] = line[size_t(y)];
        }
    }
    return image;
}
