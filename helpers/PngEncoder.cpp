#include "helpers/PngEncoder.h"

#include <QColorSpace>
#include <QThread>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Bands shorter than this are not worth a thread of their own.
constexpr int kMinRowsPerBand = 64;
// Pictures smaller than this are deflated in one band on the calling thread.
constexpr qsizetype kMinBytesForBands = 256 * 1024;
// IDAT chunks are cut at this size; any size is valid, this keeps readers' buffers small.
constexpr qsizetype kIdatChunkBytes = 1 << 20;
// Filtered rows are handed to deflate in batches of about this many bytes.
constexpr size_t kDeflateBatchBytes = 128 * 1024;

enum Filter : uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

struct Layout {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3; // RGB, or 4 for RGBA
    size_t rowBytes() const { return size_t(width) * size_t(bytesPerPixel); }
};

// One row of the picture as PNG bytes: R, G, B (and A) per pixel.
void unpackRow(const QImage &image, const Layout &layout, int y, uint8_t *out)
{
    const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    if (layout.bytesPerPixel == 4) {
        for (int x = 0; x < layout.width; ++x, out += 4) {
            out[0] = uint8_t(qRed(pixels[x]));
            out[1] = uint8_t(qGreen(pixels[x]));
            out[2] = uint8_t(qBlue(pixels[x]));
            out[3] = uint8_t(qAlpha(pixels[x]));
        }
        return;
    }
    for (int x = 0; x < layout.width; ++x, out += 3) {
        out[0] = uint8_t(qRed(pixels[x]));
        out[1] = uint8_t(qGreen(pixels[x]));
        out[2] = uint8_t(qBlue(pixels[x]));
    }
}

inline uint8_t paethPredictor(int left, int up, int upLeft)
{
    // The distances of left + up - upLeft from each neighbour, written without
    // branches so that the row loop vectorizes.
    const int toLeft = std::abs(up - upLeft);
    const int toUp = std::abs(left - upLeft);
    const int toUpLeft = std::abs(left + up - 2 * upLeft);
    const int upOrUpLeft = toUp <= toUpLeft ? up : upLeft;
    return uint8_t(toLeft <= toUp && toLeft <= toUpLeft ? left : upOrUpLeft);
}

// The prediction for a byte from its left, upper and upper-left neighbours.
template <Filter filter>
inline uint8_t predict(int left, int up, int upLeft)
{
    if constexpr (filter == Sub)
        return uint8_t(left);
    else if constexpr (filter == Up)
        return uint8_t(up);
    else if constexpr (filter == Average)
        return uint8_t((left + up) / 2);
    else if constexpr (filter == Paeth)
        return paethPredictor(left, up, upLeft);
    else
        return 0;
}

// A filtered byte's distance from zero, read as signed: libpng's measure of how
// well a row will compress.
inline unsigned magnitude(uint8_t value)
{
    return value < 128 ? value : 256u - value;
}

// Writes `row` filtered with `filter` into `out` and returns the sum of the
// magnitudes, stopping once it passes `giveUpAbove`. The first pixel, which has
// no left neighbour, is done apart so that the main loop has no branch and
// vectorizes; the sum is checked every 256 bytes.
template <Filter filter, int bpp>
uint64_t applyFilter(const uint8_t *row, const uint8_t *prior, size_t length, uint8_t *out, uint64_t giveUpAbove)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < size_t(bpp) && i < length; ++i) {
        out[i] = uint8_t(row[i] - predict<filter>(0, prior[i], 0));
        sum += magnitude(out[i]);
    }
    for (size_t start = bpp; start < length; start += 256) {
        const size_t end = std::min(length, start + 256);
        unsigned chunk = 0;
        for (size_t i = start; i < end; ++i) {
            const uint8_t value = uint8_t(row[i] - predict<filter>(row[i - bpp], prior[i], prior[i - bpp]));
            out[i] = value;
            chunk += magnitude(value);
        }
        sum += chunk;
        if (sum > giveUpAbove)
            break;
    }
    return sum;
}

template <int bpp>
uint64_t applyFilter(Filter filter, const uint8_t *row, const uint8_t *prior, size_t length, uint8_t *out,
                     uint64_t giveUpAbove)
{
    switch (filter) {
    case Sub: return applyFilter<Sub, bpp>(row, prior, length, out, giveUpAbove);
    case Up: return applyFilter<Up, bpp>(row, prior, length, out, giveUpAbove);
    case Average: return applyFilter<Average, bpp>(row, prior, length, out, giveUpAbove);
    case Paeth: return applyFilter<Paeth, bpp>(row, prior, length, out, giveUpAbove);
    case None: break;
    }
    return applyFilter<None, bpp>(row, prior, length, out, giveUpAbove);
}

uint64_t applyFilter(Filter filter, const uint8_t *row, const uint8_t *prior, size_t length, int bpp, uint8_t *out,
                     uint64_t giveUpAbove)
{
    return bpp == 4 ? applyFilter<4>(filter, row, prior, length, out, giveUpAbove)
                    : applyFilter<3>(filter, row, prior, length, out, giveUpAbove);
}

// Appends the row, filtered the way that should compress best, to `out`.
void appendFilteredRow(const uint8_t *row, const uint8_t *prior, const Layout &layout, std::vector<uint8_t> &scratch,
                       std::vector<uint8_t> &out)
{
    const size_t length = layout.rowBytes();
    const size_t start = out.size();
    out.resize(start + 1 + length);
    uint64_t best = applyFilter(None, row, prior, length, layout.bytesPerPixel, &out[start + 1], UINT64_MAX);
    out[start] = None;
    for (Filter filter : {Sub, Up, Average, Paeth}) {
        const uint64_t sum = applyFilter(filter, row, prior, length, layout.bytesPerPixel, scratch.data(), best);
        if (sum < best) {
            best = sum;
            out[start] = filter;
            std::memcpy(&out[start + 1], scratch.data(), length);
        }
    }
}

// One band of rows, deflated as a raw stream that the next band's stream can follow.
struct Band {
    int firstRow = 0;
    int endRow = 0;
    bool last = false;
    QByteArray deflated;
    uLong adler = 1;
    size_t filteredBytes = 0;
    bool ok = false;
};

bool deflateBatch(z_stream &stream, std::vector<uint8_t> &batch, int flush, QByteArray &out)
{
    stream.next_in = batch.data();
    stream.avail_in = uInt(batch.size());
    for (;;) {
        if (out.capacity() - out.size() < 64 * 1024)
            out.reserve(out.capacity() * 2 + 64 * 1024);
        const qsizetype before = out.size();
        const qsizetype room = out.capacity() - before;
        out.resize(out.capacity());
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        stream.avail_out = uInt(room);
        const int result = deflate(&stream, flush);
        out.resize(before + (room - qsizetype(stream.avail_out)));
        if (result == Z_STREAM_ERROR)
            return false;
        const bool finished = flush == Z_FINISH ? result == Z_STREAM_END
                                                : stream.avail_in == 0 && stream.avail_out != 0;
        if (finished)
            break;
    }
    batch.clear();
    return true;
}

void encodeBand(const QImage &image, const Layout &layout, int zlibLevel, Band &band)
{
    z_stream stream{};
    // Raw deflate: the one zlib header and checksum are written around all bands.
    if (deflateInit2(&stream, zlibLevel, Z_DEFLATED, -15, 8, Z_FILTERED) != Z_OK)
        return;
    const size_t rowBytes = layout.rowBytes();
    std::vector<uint8_t> prior(rowBytes, 0), row(rowBytes), scratch(rowBytes), batch;
    batch.reserve(kDeflateBatchBytes + rowBytes + 1);
    band.deflated.reserve(qsizetype(deflateBound(&stream, uLong((band.endRow - band.firstRow) * (rowBytes + 1))) / 3));
    if (band.firstRow > 0)
        unpackRow(image, layout, band.firstRow - 1, prior.data());
    bool ok = true;
    for (int y = band.firstRow; y < band.endRow && ok; ++y) {
        unpackRow(image, layout, y, row.data());
        appendFilteredRow(row.data(), prior.data(), layout, scratch, batch);
        std::swap(row, prior);
        const bool lastRow = y + 1 == band.endRow;
        if (batch.size() < kDeflateBatchBytes && !lastRow)
            continue;
        band.adler = adler32(band.adler, batch.data(), uInt(batch.size()));
        band.filteredBytes += batch.size();
        // A sync flush ends the band on a byte boundary without a final block.
        const int flush = !lastRow ? Z_NO_FLUSH : (band.last ? Z_FINISH : Z_SYNC_FLUSH);
        ok = deflateBatch(stream, batch, flush, band.deflated);
    }
    deflateEnd(&stream);
    band.ok = ok;
}

void appendBigEndian(QByteArray &out, uint32_t value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void appendChunk(QByteArray &out, const char type[4], const char *data, qsizetype length)
{
    appendBigEndian(out, uint32_t(length));
    const qsizetype typeAt = out.size();
    out.append(type, 4);
    out.append(data, length);
    uLong crc = crc32(0, reinterpret_cast<const Bytef *>(out.constData() + typeAt), 4);
    // (zlib reads a null buffer as a request for the initial value, so an empty chunk skips it.)
    if (length > 0)
        crc = crc32(crc, reinterpret_cast<const Bytef *>(data), uInt(length));
    appendBigEndian(out, uint32_t(crc));
}

QByteArray headerChunks(const QImage &image, const Layout &layout)
{
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian(header, uint32_t(layout.width));
    appendBigEndian(header, uint32_t(layout.height));
    // 8 bits a sample; truecolor, with alpha or without; deflate; adaptive filters; no interlace.
    header.append(char(8)).append(char(layout.bytesPerPixel == 4 ? 6 : 2)).append(char(0)).append(char(0)).append(char(0));
    appendChunk(out, "IHDR", header.constData(), header.size());
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        QByteArray physical;
        appendBigEndian(physical, uint32_t(image.dotsPerMeterX()));
        appendBigEndian(physical, uint32_t(image.dotsPerMeterY()));
        physical.append(char(1)); // per metre
        appendChunk(out, "pHYs", physical.constData(), physical.size());
    }
    return out;
}

std::vector<Band> splitIntoBands(const Layout &layout, int wanted)
{
    const qsizetype pictureBytes = qsizetype(layout.rowBytes()) * layout.height;
    int count = wanted > 0 ? wanted : QThread::idealThreadCount();
    count = std::clamp(count, 1, PngEncoder::kMaxBands);
    count = std::min(count, std::max(1, layout.height / kMinRowsPerBand));
    if (wanted <= 0 && pictureBytes < kMinBytesForBands)
        count = 1;
    std::vector<Band> bands(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        bands[size_t(i)].firstRow = int(qint64(layout.height) * i / count);
        bands[size_t(i)].endRow = int(qint64(layout.height) * (i + 1) / count);
    }
    bands.back().last = true;
    return bands;
}

// The zlib stream of all bands: header, the bands' raw streams, the checksum of all rows.
QByteArray joinBands(const std::vector<Band> &bands, int zlibLevel)
{
    qsizetype total = 6;
    for (const Band &band : bands)
        total += band.deflated.size();
    QByteArray stream;
    stream.reserve(total);
    // CMF: deflate with a 32 KiB window; FLG: the level class, and a check making the pair divisible by 31.
    const int levelClass = zlibLevel <= 1 ? 0 : zlibLevel <= 5 ? 1 : zlibLevel == 6 ? 2 : 3;
    const int cmf = 0x78;
    int flg = levelClass << 6;
    flg += 31 - (cmf * 256 + flg) % 31;
    stream.append(char(cmf)).append(char(flg));
    uLong adler = 1;
    for (const Band &band : bands) {
        stream.append(band.deflated);
        adler = adler32_combine(adler, band.adler, z_off_t(band.filteredBytes));
    }
    appendBigEndian(stream, uint32_t(adler));
    return stream;
}

} // namespace

bool PngEncoder::handles(const QImage &image)
{
    const QImage::Format format = image.format();
    const bool truecolor = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
    return truecolor && !image.isNull() && image.textKeys().isEmpty() && !image.colorSpace().isValid()
        && image.offset().isNull();
}

std::optional<QByteArray> PngEncoder::encode(const QImage &picture, int zlibLevel, int bands)
{
    if (!handles(picture) || zlibLevel < 0 || zlibLevel > 9)
        return std::nullopt;
    // PNG stores straight alpha; converting a picture already in that format shares it.
    const QImage image = picture.format() == QImage::Format_ARGB32_Premultiplied
        ? picture.convertToFormat(QImage::Format_ARGB32)
        : picture;
    const Layout layout{image.width(), image.height(), image.hasAlphaChannel() ? 4 : 3};
    std::vector<Band> parts = splitIntoBands(layout, bands);
    std::vector<std::thread> helpers;
    for (size_t i = 1; i < parts.size(); ++i)
        helpers.emplace_back([&image, &layout, zlibLevel, &band = parts[i]] { encodeBand(image, layout, zlibLevel, band); });
    encodeBand(image, layout, zlibLevel, parts[0]);
    for (std::thread &helper : helpers)
        helper.join();
    if (!std::all_of(parts.begin(), parts.end(), [](const Band &band) { return band.ok; }))
        return std::nullopt;

    const QByteArray stream = joinBands(parts, zlibLevel);
    parts.clear();
    QByteArray png = headerChunks(image, layout);
    png.reserve(png.size() + stream.size() + (stream.size() / kIdatChunkBytes + 2) * 12);
    for (qsizetype at = 0; at < stream.size(); at += kIdatChunkBytes)
        appendChunk(png, "IDAT", stream.constData() + at, std::min(kIdatChunkBytes, stream.size() - at));
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}
