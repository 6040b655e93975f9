#pragma once

// Many distinct PNG files from one encoded picture: a tEXt chunk with a unique
// label goes in after the header chunk, so every file differs in its bytes while
// the picture (and the cost of encoding it) stays the same.

#include <QBuffer>
#include <QImage>
#include <QPainter>

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
inline std::string labelled(const std::string &png, const std::string &label)
{
    const size_t afterHeader = 8 + 4 + 4 + 13 + 4;  // signature, IHDR length, type, data, CRC
    const std::string typeAndData = "tEXt" + std::string("Comment") + '\0' + label;
    const std::string chunk = bigEndian(uint32_t(typeAndData.size() - 4)) + typeAndData + bigEndian(crc32(typeAndData));
    return png.substr(0, afterHeader) + chunk + png.substr(afterHeader);
}

} // namespace pngvariants
