#pragma once

// Many distinct PNG files from one encoded picture: a tEXt chunk with a unique
// label goes in after the header chunk, so every file differs in its bytes while
// the picture (and the cost of encoding it) stays the same.

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace pngvariants {

inline uint32_t crc32(const std::string &bytes)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xffffffffu;
    for (unsigned char byte : bytes)
        c = table[(c ^ byte) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

inline std::string bigEndian(uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// A screen-like 1920 x 1080 picture: flat areas, panels and a little texture.
inline std::string screenLikePng(int seed, int width = 1920, int height = 1080)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((seed * 47) % 360, 40, 230));
    QPainter painter(&image);
    for (int i = 0; i < 24; ++i) {
        const int x = (seed * 131 + i * 97) % width, y = (seed * 71 + i * 53) % height;
        painter.fillRect(x, y, 200 + (i * 37) % 300, 40 + (i * 13) % 120, QColor::fromHsv((seed * 20 + i * 15) % 360, 160, 200));
    }
    painter.end();
    for (int y = 0; y < height; y += 9) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; x += 3)
            line[x] = qRgb((x * seed) & 255, (y + seed) & 255, (x ^ y) & 255);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes.toStdString();
}

// The picture with a "Comment" text chunk holding `label`, placed after IHDR.
// A PNG of noise, which does not compress: `width` × `height` × 3 bytes or so.
inline std::string noisePng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, QRandomGenerator::global()->generate() | 0xff000000);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes.toStdString();
}

inline std::string labelled(const std::string &png, const std::string &label)
{
    const size_t afterHeader = 8 + 4 + 4 + 13 + 4;  // signature, IHDR length, type, data, CRC
    const std::string typeAndData = "tEXt" + std::string("Comment") + '\0' + label;
    const std::string chunk = bigEndian(uint32_t(typeAndData.size() - 4)) + typeAndData + bigEndian(crc32(typeAndData));
    return png.substr(0, afterHeader) + chunk + png.substr(afterHeader);
}

// A chunk: length, type, data and CRC.
inline std::string chunk(const std::string &type, const std::string &data)
{
    const std::string typeAndData = type + data;
    return bigEndian(uint32_t(data.size())) + typeAndData + bigEndian(crc32(typeAndData));
}

// `size` zero bytes as one zlib stream, deflated a piece at a time: the zeros are
// never all in memory, however many.
inline std::string deflatedZeros(uint64_t size)
{
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    static const std::string zeros(64 * 1024, '\0');
    std::string deflated;
    char out[64 * 1024];
    int flush = Z_NO_FLUSH;
    do {
        if (stream.avail_in == 0) {
            const uint64_t piece = std::min<uint64_t>(size, zeros.size());
            size -= piece;
            stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.data()));
            stream.avail_in = uInt(piece);
            flush = size == 0 ? Z_FINISH : Z_NO_FLUSH;
        }
        stream.next_out = reinterpret_cast<Bytef *>(out);
        stream.avail_out = sizeof out;
        deflate(&stream, flush);
        deflated.append(out, sizeof out - stream.avail_out);
    } while (!(flush == Z_FINISH && stream.avail_out != 0));
    deflateEnd(&stream);
    return deflated;
}

// A PNG of `width` × `height` pixels that are all zero, of the given bit depth and
// colour type (6: RGBA), Adam7-interlaced or not, with `before` put in after the
// header chunk and `after` after the image data. Its rows are never in memory, so
// it may be as large as a server takes.
inline std::string zeroPng(int width, int height, int bitDepth, int colorType, bool interlaced,
                           const std::string &before = {}, const std::string &after = {})
{
    const int channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
    const auto rowBytes = [&](uint64_t pixels) { return (pixels * uint64_t(channels * bitDepth) + 7) / 8; };
    // Each pass's rows (a filter byte and the pixels): one pass over the whole image,
    // or Adam7's seven over their share of it.
    struct Pass { int x0, y0, dx, dy; };
    const std::array<Pass, 7> adam7{{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
    uint64_t filtered = 0;
    for (const Pass &pass : interlaced ? adam7 : std::array<Pass, 7>{{{0, 0, 1, 1}}}) {
        if (pass.dx == 0)
            continue;
        const uint64_t columns = width > pass.x0 ? uint64_t(width - pass.x0 + pass.dx - 1) / pass.dx : 0;
        const uint64_t rows = height > pass.y0 ? uint64_t(height - pass.y0 + pass.dy - 1) / pass.dy : 0;
        if (columns > 0)
            filtered += rows * (1 + rowBytes(columns));
    }
    const std::string header = bigEndian(uint32_t(width)) + bigEndian(uint32_t(height))
                             + std::string{char(bitDepth), char(colorType), 0, 0, char(interlaced ? 1 : 0)};
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + before + chunk("IDAT", deflatedZeros(filtered))
         + after + chunk("IEND", {});
}

} // namespace pngvariants
