#include "server/ImageWork.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <semaphore>

namespace vornik::server {
namespace {

// Decoding and composing take up to a few hundred megabytes each at the largest
// size: only this many run at once, whatever the number of requests.
std::counting_semaphore<> g_imageWork(2);

struct ImageWorkTurn {
    ImageWorkTurn() { g_imageWork.acquire(); }
    ~ImageWorkTurn() { g_imageWork.release(); }
};

long long composedPixels(const QSize &size)
{
    return (long long)size.width() * ((long long)size.height() + bannerMaxImageHeight + 2 * bannerPadding);
}

QImage decodePng(std::string_view bytes, PngCheck *check = nullptr)
{
    static constexpr std::string_view signature("\x89PNG\r\n\x1a\n", 8);
    // Room for the largest accepted image at four bytes a pixel.
    static const bool limitSet = (QImageReader::setAllocationLimit(int(maxComposedPixels * 4 / (1024 * 1024)) + 16), true);
    (void)limitSet;
    const auto result = [check](PngCheck outcome) {
        if (check)
            *check = outcome;
        return QImage();
    };
    if (bytes.substr(0, signature.size()) != signature)
        return result(PngCheck::notPng);
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid())
        return result(PngCheck::notPng);
    if (composedPixels(size) > maxComposedPixels)
        return result(PngCheck::tooLarge);
    QImage image = reader.read();
    if (check)
        *check = image.isNull() ? PngCheck::notPng : PngCheck::decodable;
    return image;
}

} // namespace

PngCheck checkPng(std::string_view bytes)
{
    const ImageWorkTurn turn;
    PngCheck check = PngCheck::notPng;
    decodePng(bytes, &check);
    return check;
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
    const ImageWorkTurn turn;
    const QImage image = decodePng(imagePng);
    QImage banner = decodePng(bannerPng);
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
