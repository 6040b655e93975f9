#include "helpers/TextRecognizer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QThreadPool>
#include <memory>
#include <tesseract/baseapi.h>

namespace TextRecognizer {

namespace {

// Screen text is small: Tesseract reads words best when letters are some 20 pixels
// high, so a selection of an ordinary (not HiDPI) screen is enlarged twice before
// reading. A picture of a whole screen is read as it is: four times the pixels would
// take four times as long, and its text is no smaller.
constexpr int kScreenTextScale = 2;
constexpr qint64 kLargestEnlargedPixels = 1'000'000;
// Pictures of screens carry no resolution; a screen's pixels are taken as 96 dpi.
constexpr int kScreenResolution = 96;

struct Prepared {
    QImage grey;
    int resolution = kScreenResolution;
};

Prepared preparedForReading(const QImage &picture)
{
    // Grey is what the engine reads; it makes its own copy of RGB pictures otherwise.
    Prepared prepared{picture.convertToFormat(QImage::Format_Grayscale8), kScreenResolution};
    const qint64 pixels = qint64(picture.width()) * picture.height();
    if (picture.devicePixelRatio() < 1.5 && pixels <= kLargestEnlargedPixels) {
        prepared.grey = prepared.grey.scaled(prepared.grey.size() * kScreenTextScale, Qt::IgnoreAspectRatio,
                                             Qt::SmoothTransformation);
        prepared.resolution = kScreenResolution * kScreenTextScale;
    }
    return prepared;
}

QString tidied(const char *recognised)
{
    // The engine ends paragraphs with empty lines and a form feed; none of it is text.
    QString text = QString::fromUtf8(recognised).remove(QLatin1Char('\f'));
    static const QRegularExpression emptyLines(QStringLiteral("\n\\s*\n"));
    text.replace(emptyLines, QStringLiteral("\n"));
    return text.trimmed();
}

} // namespace

Result recognize(const QImage &picture)
{
    Result result;
    if (picture.isNull() || picture.width() < 2 || picture.height() < 2)
        return result;
    auto engine = std::make_unique<tesseract::TessBaseAPI>();
    if (engine->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
        result.error = QCoreApplication::translate("TextRecognizer",
                                                   "Tesseract's English data (tesseract-ocr-eng) is not installed.");
        return result;
    }
    // Screenshots hold scattered blocks of text rather than a page.
    engine->SetPageSegMode(tesseract::PSM_AUTO);
    const Prepared prepared = preparedForReading(picture);
    const QImage &grey = prepared.grey;
    engine->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    engine->SetSourceResolution(prepared.resolution);
    std::unique_ptr<char[]> recognised(engine->GetUTF8Text());
    if (recognised)
        result.text = tidied(recognised.get());
    engine->End();
    return result;
}

void recognizeInBackground(const QImage &picture, QObject *context, std::function<void(const Result &)> done)
{
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start([picture, guard, done = std::move(done)] {
        const Result result = recognize(picture);
        // Back on the main thread, where `context` lives and may have been deleted
        // meanwhile; the application object outlives both.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, done, result] {
                if (guard)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

QString firstLine(const QString &text)
{
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    }
    return QString();
}

} // namespace TextRecognizer
