#include "server/ImageWork.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <png.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace vornik::server {
namespace {

// Decoding and composing hold four bytes per pixel. Jobs take their pixels from a
// shared budget and wait while it is spent, so that any number of requests holds
// at most this much: room for the largest decoration (image, banner and result)
// while many small images go through side by side.
class PixelBudget
{
public:
    void take(long long pixels)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_free >= pixels; });
        m_free -= pixels;
    }

    void give(long long pixels)
    {
        {
            std::lock_guard lock(m_mutex);
            m_free += pixels;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    long long m_free = 3 * maxComposedPixels;
};

PixelBudget g_budget;

struct BudgetShare {
    explicit BudgetShare(long long pixels) : pixels(pixels) { g_budget.take(pixels); }
    ~BudgetShare() { g_budget.give(pixels); }
    long long pixels;
};

long long composedPixels(const QSize &size)
{
    return (long long)size.width() * ((long long)size.height() + bannerMaxImageHeight + 2 * bannerPadding);
}

long long pixels(const QSize &size)
{
    return (long long)size.width() * size.height();
}

constexpr std::string_view pngSignature("\x89PNG\r\n\x1a\n", 8);

// The chunks that say how to draw the picture: the critical ones and the ancillary
// ones of a small fixed size. Text, colour profiles, animation frames and chunks of
// unknown kinds are left out before anything is decoded, so that nothing an image
// carries beside its pixels is ever inflated, however large it would grow.
bool drawsThePicture(std::string_view type)
{
    static constexpr std::string_view kept[] = {"IHDR", "PLTE", "IDAT", "IEND", "tRNS", "gAMA",
                                                "cHRM", "sRGB", "sBIT", "bKGD", "pHYs"};
    return std::find(std::begin(kept), std::end(kept), type) != std::end(kept);
}

uint32_t bigEndian32(std::string_view bytes)
{
    const auto byte = [&](size_t at) { return uint32_t(static_cast<unsigned char>(bytes[at])); };
    return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

// Calls `kept` with every chunk (length, type, data and CRC) that draws the picture,
// in order. False when the bytes are not PNG chunks up to IEND, or hold a critical
// chunk of a kind no decoder knows (which must not be skipped).
template <class Visit>
bool visitDrawingChunks(std::string_view png, Visit kept)
{
    if (png.substr(0, pngSignature.size()) != pngSignature)
        return false;
    size_t at = pngSignature.size();
    while (png.size() - at >= 12) {
        const uint32_t length = bigEndian32(png.substr(at, 4));
        if (length > 0x7fffffffu || png.size() - at - 12 < length)
            return false;
        const std::string_view type = png.substr(at + 4, 4);
        const std::string_view chunk = png.substr(at, 12 + size_t(length));
        const bool critical = (type[0] & 0x20) == 0;
        if (drawsThePicture(type))
            kept(chunk);
        else if (critical)
            return false;
        at += chunk.size();
        if (type == "IEND")
            return true;
    }
    return false;
}

// The PNG with only the chunks that draw its picture; nothing when it is no PNG.
std::optional<std::string> drawingChunks(std::string_view png)
{
    size_t size = pngSignature.size();
    if (!visitDrawingChunks(png, [&](std::string_view chunk) { size += chunk.size(); }))
        return std::nullopt;
    std::string drawing;
    drawing.reserve(size);
    drawing.append(pngSignature);
    visitDrawingChunks(png, [&](std::string_view chunk) { drawing.append(chunk); });
    return drawing;
}

// A reader over PNG bytes that hold only drawing chunks; it reads the size from
// the header alone.
struct PngReader {
    explicit PngReader(std::string_view bytes)
        : data(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()))), buffer(&data), reader(&buffer, "png")
    {
        // Room for the largest accepted image at four bytes a pixel.
        static const bool limitSet =
            (QImageReader::setAllocationLimit(int(maxComposedPixels * 4 / (1024 * 1024)) + 16), true);
        (void)limitSet;
        buffer.open(QIODevice::ReadOnly);
        reader.setDecideFormatFromContent(false);
        if (bytes.substr(0, pngSignature.size()) == pngSignature)
            size = reader.size();
    }

    // Whether the image is a PNG small enough to be decorated.
    bool fits() const { return size.isValid() && composedPixels(size) <= maxComposedPixels; }

    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
    QSize size;
};

// libpng's input: the bytes of one PNG in memory.
struct PngInput {
    std::string_view bytes;
    size_t at = 0;
};

void readPngInput(png_structp png, png_bytep out, size_t length)
{
    auto *input = static_cast<PngInput *>(png_get_io_ptr(png));
    if (input->bytes.size() - input->at < length)
        png_error(png, "truncated");
    std::memcpy(out, input->bytes.data() + input->at, length);
    input->at += length;
}

void ignorePngWarning(png_structp, png_const_charp) {}

void stopPngDecoding(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Decodes every row of every pass into `row`, one at a time: the check holds a row
// and the inflater's window, never the picture, whatever its size, bit depth or
// interlacing. Only plain data lives here, as libpng leaves by longjmp on an error.
PngCheck decodeRowByRow(png_structp png, png_infop info, std::vector<unsigned char> &row)
{
    if (setjmp(png_jmpbuf(png)))
        return PngCheck::notPng;
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_chunk_malloc_max(png, 64 * 1024);
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);  // the size is judged below
    png_read_info(png, info);
    const long long width = png_get_image_width(png, info);
    const long long height = png_get_image_height(png, info);
    if (width * (height + bannerMaxImageHeight + 2 * bannerPadding) > maxComposedPixels)
        return PngCheck::tooLarge;
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    row.resize(png_get_rowbytes(png, info));
    for (int pass = 0; pass < passes; ++pass) {
        for (long long y = 0; y < height; ++y)
            png_read_row(png, row.data(), nullptr);
    }
    return PngCheck::decodable;
}

} // namespace

PngCheck checkPng(std::string_view bytes)
{
    const auto drawing = drawingChunks(bytes);
    if (!drawing)
        return PngCheck::notPng;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stopPngDecoding, ignorePngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return PngCheck::notPng;
    }
    PngInput input{*drawing};
    png_set_read_fn(png, &input, readPngInput);
    std::vector<unsigned char> row;
    const PngCheck verdict = decodeRowByRow(png, info, row);
    png_destroy_read_struct(&png, &info, nullptr);
    return verdict;
}
bool isHexColor(std::string_view text)
{
    if (text.size() != 7 || text[0] != '#')
        return false;
    for (char c : text.substr(1)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

std::optional<std::string> composeWithBanner(std::string_view imagePng, std::string_view bannerPng,
                                             std::string_view color)
{
    const auto imageDrawing = drawingChunks(imagePng);
    const auto bannerDrawing = drawingChunks(bannerPng);
    if (!imageDrawing || !bannerDrawing)
        return std::nullopt;
    PngReader imageReader(*imageDrawing);
    PngReader bannerReader(*bannerDrawing);
    if (!imageReader.fits() || !bannerReader.fits())
        return std::nullopt;
    const BudgetShare share(pixels(imageReader.size) + pixels(bannerReader.size) + composedPixels(imageReader.size));
    const QImage image = imageReader.reader.read();
    QImage banner = bannerReader.reader.read();
    if (image.isNull() || banner.isNull())
        return std::nullopt;

    const int room = std::max(1, image.width() - 2 * bannerPadding);
    if (banner.width() > room || banner.height() > bannerMaxImageHeight)
        banner = banner.scaled(room, bannerMaxImageHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const int stripHeight = banner.height() + 2 * bannerPadding;

    QImage composed(image.width(), stripHeight + image.height(), QImage::Format_ARGB32_Premultiplied);
    composed.fill(Qt::transparent);
    QPainter painter(&composed);
    const QColor stripColor = isHexColor(color) ? QColor(QString::fromLatin1(color.data(), qsizetype(color.size())))
                                                : QColor(Qt::white);
    painter.fillRect(0, 0, image.width(), stripHeight, stripColor);
    painter.drawImage((image.width() - banner.width()) / 2, bannerPadding, banner);
    painter.drawImage(0, stripHeight, image);
    painter.end();

    QByteArray encoded;
    QBuffer output(&encoded);
    output.open(QIODevice::WriteOnly);
    if (!composed.save(&output, "png"))
        return std::nullopt;
    return encoded.toStdString();
}

} // namespace vornik::server
