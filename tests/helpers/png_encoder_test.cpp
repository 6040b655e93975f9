#include "helpers/ImageOutput.h"
#include "helpers/PngEncoder.h"
#include "tests/harness/TestMain.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

namespace {

// Noise where no filter helps, gradients where each one does, and flat areas with
// text, like a desktop.
QImage screenLike(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    image.fill(Qt::transparent);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int alpha = format == QImage::Format_RGB32 ? 255 : (x * 5 + y) % 256;
            if (y < height / 4)
                row[x] = qRgba(int(random.bounded(256)), int(random.bounded(256)), int(random.bounded(256)), alpha);
            else if (y < height / 2)
                row[x] = qRgba(x % 256, (x + y) % 256, y % 256, alpha);
            else
                row[x] = qRgba(40, 44, 52, alpha);
        }
    }
    if (format == QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32).convertToFormat(format);
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, height / 2, width, height / 2), Qt::TextWordWrap, QStringLiteral("Vornik ").repeated(400));
    return image;
}

QImage decoded(const QByteArray &png)
{
    QImage image = QImage::fromData(png, "PNG");
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray qtWriter(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

class PngEncoderTest : public QObject
{
    Q_OBJECT

private slots:
    // Every picture, banded any way and at any level, reads back pixel for pixel
    // through libpng, which checks every chunk's CRC and the stream's checksum.
    void roundTripsThroughLibpng()
    {
        const QList<QImage> pictures{
            screenLike(333, 517, QImage::Format_RGB32),
            screenLike(256, 300, QImage::Format_ARGB32),
            screenLike(200, 260, QImage::Format_ARGB32_Premultiplied),
            screenLike(1, 700, QImage::Format_RGB32),
            screenLike(900, 1, QImage::Format_ARGB32),
            screenLike(1, 1, QImage::Format_RGB32),
        };
        for (const QImage &picture : pictures) {
            const QImage expected = picture.convertToFormat(QImage::Format_ARGB32);
            for (int bands : {1, 2, 3, 8}) {
                for (int level : {0, 1, 6, 9}) {
                    const std::optional<QByteArray> png = PngEncoder::encode(picture, level, bands);
                    QVERIFY(png.has_value());
                    const QImage back = decoded(*png);
                    QCOMPARE(back.size(), picture.size());
                    QVERIFY2(back == expected, qPrintable(QStringLiteral("%1x%2 format %3, %4 bands, level %5")
                                                              .arg(picture.width()).arg(picture.height())
                                                              .arg(int(picture.format())).arg(bands).arg(level)));
                }
            }
        }
    }

    // The per-row filter choice is what keeps screenshots small: without it a file
    // grows by half or more. Bands cost almost nothing in size.
    void filesAreAsSmallAsQtsWriter()
    {
        const QImage picture = screenLike(1200, 800, QImage::Format_RGB32);
        const qsizetype qtSize = qtWriter(picture, kDefaultPngQuality).size();
        const qsizetype oneBand = PngEncoder::encode(picture, 1, 1)->size();
        const qsizetype eightBands = PngEncoder::encode(picture, 1, 8)->size();
        QVERIFY2(oneBand <= qtSize * 102 / 100, qPrintable(QStringLiteral("%1 vs %2").arg(oneBand).arg(qtSize)));
        QVERIFY2(eightBands <= oneBand * 102 / 100, qPrintable(QStringLiteral("%1 vs %2").arg(eightBands).arg(oneBand)));
    }

    // Pictures with what this writer does not carry go to Qt's writer, which keeps it.
    void otherPicturesGoToQt()
    {
        QImage withText = screenLike(64, 64, QImage::Format_RGB32);
        withText.setText(QStringLiteral("Title"), QStringLiteral("kept"));
        QImage withColorSpace = screenLike(64, 64, QImage::Format_RGB32);
        withColorSpace.setColorSpace(QColorSpace::SRgb);
        const QImage indexed = screenLike(64, 64, QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8);
        for (const QImage &picture : {withText, withColorSpace, indexed})
            QVERIFY(!PngEncoder::encode(picture, 1).has_value());
        QVERIFY(!PngEncoder::encode(QImage(), 1).has_value());
        QVERIFY(!PngEncoder::encode(screenLike(8, 8, QImage::Format_RGB32), 10).has_value());

        QCOMPARE(QImage::fromData(encodePNG(withText), "PNG").text(QStringLiteral("Title")), QStringLiteral("kept"));
        QCOMPARE(decoded(encodePNG(indexed)), indexed.convertToFormat(QImage::Format_ARGB32));
    }

    // The resolution travels as Qt's writer would write it; an opaque picture is
    // written without an alpha channel.
    void resolutionAndChannels()
    {
        QImage picture = screenLike(80, 90, QImage::Format_RGB32);
        picture.setDotsPerMeterX(5669);
        picture.setDotsPerMeterY(2835);
        const QByteArray png = encodePNG(picture);
        QCOMPARE(png, *PngEncoder::encode(picture, 1));
        const QImage back = QImage::fromData(png, "PNG");
        QCOMPARE(back.dotsPerMeterX(), 5669);
        QCOMPARE(back.dotsPerMeterY(), 2835);
        QVERIFY(!back.hasAlphaChannel());
        QVERIFY(QImage::fromData(*PngEncoder::encode(screenLike(8, 8, QImage::Format_ARGB32), 1), "PNG").hasAlphaChannel());
    }
};

VORNIK_TEST_MAIN(PngEncoderTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = QSize(640, 480), .monitors = {}, .dbus = false}))
#include "png_encoder_test.moc"
