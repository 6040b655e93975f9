#include "helpers/TextRecognizer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPointer>
#include <QRegularExpression>
#include <QThreadPool>

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

// The Tesseract module's entry points (helpers/ocr/TesseractModule.cpp).
struct OcrModule {
    using Read = char *(*)(const unsigned char *grey, int width, int height, int bytesPerLine, int resolution,
                           int *noEngine);
    using Free = void (*)(char *text);
    Read read = nullptr;
    Free release = nullptr;
    QString problem;   // why it could not be loaded
};

// Only VORNIK_MODULE_DIR when set; else beside the executable, in the installed
// layout's lib/vornik and in the build tree this binary came from.
QStringList moduleCandidates()
{
    QStringList folders;
    const QString configured = qEnvironmentVariable("VORNIK_MODULE_DIR");
    if (!configured.isEmpty()) {
        folders << configured;
    } else {
        const QString applicationFolder = QCoreApplication::applicationDirPath();
        folders << applicationFolder << applicationFolder + QStringLiteral("/../lib/vornik");
#ifdef VORNIK_BUILD_MODULE_DIR
        folders << QStringLiteral(VORNIK_BUILD_MODULE_DIR);
#endif
    }
    QStringList candidates;
    for (const QString &folder : std::as_const(folders))
        candidates << QDir(folder).filePath(QStringLiteral("vornik-ocr.so"));
    return candidates;
}

// Loaded once, on whichever thread reads first, and never unloaded.
const OcrModule &ocrModule()
{
    static const OcrModule module = [] {
        OcrModule found;
        found.problem = QStringLiteral("vornik-ocr.so was not found");
        for (const QString &candidate : moduleCandidates()) {
            if (!QFileInfo::exists(candidate))
                continue;
            auto *library = new QLibrary(candidate);
            found.read = reinterpret_cast<OcrModule::Read>(library->resolve("vornik_ocr_read"));
            found.release = reinterpret_cast<OcrModule::Free>(library->resolve("vornik_ocr_free"));
            if (found.read && found.release)
                return found;
            found.problem = library->errorString();
            delete library;
        }
        found.read = nullptr;
        return found;
    }();
    return module;
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
    const OcrModule &module = ocrModule();
    if (!module.read) {
        result.error = QCoreApplication::translate("TextRecognizer", "Vornik's text recognition could not be loaded: %1.")
                           .arg(module.problem);
        return result;
    }
    const Prepared prepared = preparedForReading(picture);
    const QImage &grey = prepared.grey;
    int noEngine = 0;
    char *recognised = module.read(grey.constBits(), grey.width(), grey.height(), int(grey.bytesPerLine()),
                                   prepared.resolution, &noEngine);
    if (noEngine) {
        result.error = QCoreApplication::translate("TextRecognizer",
                                                   "Tesseract's English data (tesseract-ocr-eng) is not installed.");
        return result;
    }
    if (recognised) {
        result.text = tidied(recognised);
        module.release(recognised);
    }
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
