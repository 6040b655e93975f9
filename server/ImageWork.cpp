#include "server/ImageWork.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <condition_variable>
#include <mutex>

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

// A reader over PNG bytes; it reads the size from the header alone.
struct PngReader {
    explicit PngReader(std::string_view bytes)
        : data(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()))), buffer(&data), reader(&buffer, "png")
    {
        static constexpr std::string_view signature("\x89PNG\r\n\x1a\n", 8);
        // Room for the largest accepted image at four bytes a pixel.
        static const bool limitSet =
            (QImageReader::setAllocationLimit(int(maxComposedPixels * 4 / (1024 * 1024)) + 16), true);
        (void)limitSet;
        buffer.open(QIODevice::ReadOnly);
        reader.setDecideFormatFromContent(false);
        if (bytes.substr(0, signature.size()) == signature)
            size = reader.size();
    }

    // Whether the image is a PNG small enough to be decorated.
    bool fits() const { return size.isValid() && composedPixels(size) <= maxComposedPixels; }

    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
    QSize size;
};

} // namespace

PngCheck checkPng(std::string_view bytes)
{
    PngReader png(bytes);
    if (!png.size.isValid())
        return PngCheck::notPng;
    if (!png.fits())
        return PngCheck::tooLarge;
    const BudgetShare share(pixels(png.size));
    return png.reader.read().isNull() ? PngCheck::notPng : PngCheck::decodable;
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
    PngReader imageReader(imagePng);
    PngReader bannerReader(bannerPng);
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
