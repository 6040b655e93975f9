#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

// A PNG writer for the pictures Vornik makes (32-bit RGB and ARGB) that compresses
// bands of rows on several threads at once. A full-HD screenshot is most of the
// time between a press and its file, and one deflate stream cannot use a second
// core; here each band is deflated on its own and the bands are joined into the
// one zlib stream a PNG holds. Rows are filtered as libpng does (the filter with
// the smallest sum of magnitudes, per row), so files stay as small as Qt's.
class PngEncoder
{
public:
    // At most this many bands, whatever the number of cores.
    static constexpr int kMaxBands = 8;

    // The PNG, or nothing for a picture this writer does not handle (another pixel
    // format, a color space or text to carry): the caller uses Qt's writer then.
    // `zlibLevel` is 0..9; `bands` 0 picks one per core.
    static std::optional<QByteArray> encode(const QImage &image, int zlibLevel, int bands = 0);

    // Whether encode() takes this picture.
    static bool handles(const QImage &image);
};
