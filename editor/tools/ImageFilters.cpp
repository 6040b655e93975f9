#include "editor/tools/ImageFilters.h"

#include <QRandomGenerator>
#include <algorithm>
#include <vector>

// How a block's colour is made: the mean of kSamples pixels picked at random (with
// repeats) from the block, plus noise spread evenly over ±kNoise, rounded to a multiple
// of kStep. A block over text thus comes out anywhere between the text's and the
// background's colour, and a flat block stays near its own.
constexpr int kSamples = 2;
constexpr int kNoise = 40;
constexpr int kStep = 32;

namespace {

QImage asRgb(const QImage &region)
{
    return region.convertToFormat(QImage::Format_RGB32);
}

constexpr quint32 rotated(quint32 value, int by)
{
    return (value << by) | (value >> (32 - by));
}

// The ChaCha20 key stream under a redaction key: unpredictable without the key, and
// the same sequence every time the same key is used.
class KeyStream
{
public:
    explicit KeyStream(const RedactionKey &key)
    {
        m_input = {0x61707865, 0x3320646e, 0x79622d32, 0x6b206574};
        std::copy(key.words.begin(), key.words.end(), m_input.begin() + 4);
    }

    quint32 next()
    {
        if (m_used == int(m_output.size()))
            refill();
        return m_output[size_t(m_used++)];
    }
    // Evenly in [0, count).
    int below(int count) { return int((quint64(next()) * quint64(count)) >> 32); }

private:
    void refill()
    {
        m_output = m_input;
        auto quarter = [this](int a, int b, int c, int d) {
            auto &x = m_output;
            x[a] += x[b], x[d] = rotated(x[d] ^ x[a], 16);
            x[c] += x[d], x[b] = rotated(x[b] ^ x[c], 12);
            x[a] += x[b], x[d] = rotated(x[d] ^ x[a], 8);
            x[c] += x[d], x[b] = rotated(x[b] ^ x[c], 7);
        };
        for (int round = 0; round < 10; ++round) {
            quarter(0, 4, 8, 12), quarter(1, 5, 9, 13), quarter(2, 6, 10, 14), quarter(3, 7, 11, 15);
            quarter(0, 5, 10, 15), quarter(1, 6, 11, 12), quarter(2, 7, 8, 13), quarter(3, 4, 9, 14);
        }
        for (size_t i = 0; i < m_output.size(); ++i)
            m_output[i] += m_input[i];
        ++m_input[12];   // the block counter
        m_used = 0;
    }

    std::array<quint32, 16> m_input{};
    std::array<quint32, 16> m_output{};
    int m_used = 16;
};

// One channel of a block: its sampled mean plus the block's noise, on the coarse scale.
int blockLevel(int sampledSum, int noise)
{
    const int value = (sampledSum + kSamples / 2) / kSamples + noise;
    return std::clamp((value + kStep / 2) / kStep * kStep, 0, 255);
}

// The colour of `block`, a rectangle of `image`.
QRgb noisyBlockColour(const QImage &image, const QRect &block, KeyStream &random)
{
    int r = 0, g = 0, b = 0;
    for (int i = 0; i < kSamples; ++i) {
        const int at = random.below(block.width() * block.height());
        const QRgb p = image.pixel(block.left() + at % block.width(), block.top() + at / block.width());
        r += qRed(p), g += qGreen(p), b += qBlue(p);
    }
    // One noise for all three channels: grey stays grey, and a channel shows nothing
    // the others hide.
    const int noise = random.below(2 * kNoise + 1) - kNoise;
    return qRgb(blockLevel(r, noise), blockLevel(g, noise), blockLevel(b, noise));
}

// `image` in blocks of `block` pixels on a grid shifted by a random offset.
QImage noisyBlocks(const QImage &image, int block, KeyStream &random)
{
    QImage out(image.size(), QImage::Format_RGB32);
    const int offsetX = random.below(block);
    const int offsetY = random.below(block);
    for (int top = -offsetY; top < image.height(); top += block) {
        for (int left = -offsetX; left < image.width(); left += block) {
            const QRect cell = QRect(left, top, block, block).intersected(image.rect());
            const QRgb colour = noisyBlockColour(image, cell, random);
            for (int y = cell.top(); y <= cell.bottom(); ++y) {
                QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
                std::fill(line + cell.left(), line + cell.right() + 1, colour);
            }
        }
    }
    return out;
}

// Where the result would show a pixel with the very value the original had there,
// its lowest blue bit flips, so no original pixel survives even by chance.
void keepNoOriginalPixel(QImage &result, const QImage &original)
{
    for (int y = 0; y < result.height(); ++y) {
        QRgb *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        const QRgb *in = reinterpret_cast<const QRgb *>(original.constScanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (out[x] == in[x])
                out[x] ^= 1;
    }
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

// Three box passes across and down, in place.
void boxBlur(QImage &image, int radius)
{
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
}

} // namespace

RedactionKey RedactionKey::fresh()
{
    RedactionKey key;
    QRandomGenerator::system()->fillRange(key.words.data(), qsizetype(key.words.size()));
    return key;
}

QImage pixelated(const QImage &region, int block, const RedactionKey &key)
{
    const QImage image = asRgb(region);
    if (image.isNull())
        return image;
    KeyStream random(key);
    QImage result = noisyBlocks(image, std::max(block, kSmallestBlock), random);
    keepNoOriginalPixel(result, image);
    return result;
}

QImage blurred(const QImage &region, int radius, const RedactionKey &key)
{
    const QImage image = asRgb(region);
    if (image.isNull())
        return image;
    radius = std::max(radius, kSmallestBlurRadius);
    KeyStream random(key);
    QImage result = noisyBlocks(image, radius, random);
    boxBlur(result, radius);
    keepNoOriginalPixel(result, image);
    return result;
}
