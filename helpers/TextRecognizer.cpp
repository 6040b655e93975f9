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
// high, so pictures of ordinary screens are enlarged twice before reading.
constexpr int kScreenTextScale = 2;
// Pictures of screens carry no resolution; this is what a screen's pixels amount to
// after the enlargement, near the 300 dpi the English model was trained at.
constexpr int kSourceResolution = 96 * kScreenTextScale;

QImage preparedForReading(const QImage &picture)
{
    // Grey is what the engine reads; it makes its own copy of RGB pictures otherwise.
    QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    if (picture.devicePixelRatio() < 1.5)
        grey = grey.scaled(grey.size() * kScreenTextScale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return grey;
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
    const QImage grey = preparedForReading(picture);
    engine->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    engine->SetSourceResolution(kSourceResolution);
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
