#include "output/OverlayActions.h"

#include "output/UploadHandOff.h"
#include "helpers/Clipboard.h"
#include "helpers/ImageOutput.h"
#include "helpers/OutputMessages.h"
#include "helpers/SaveFolder.h"
#include "platform/Opener.h"
#include "service/ServiceConfiguration.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QThreadPool>
#include <QUrl>
#include <atomic>
#include <cstdio>
#include <functional>

namespace {

std::atomic<int> g_pendingWork{0};

// Runs `work` on a pool thread and hands its result to `then` on the main thread.
// The overlay actions use it so that the overlays are gone before the encode starts.
template<typename Result>
void runInBackground(std::function<Result()> work, std::function<void(Result)> then)
{
    ++g_pendingWork;
    QThreadPool::globalInstance()->start([work = std::move(work), then = std::move(then)]() mutable {
        Result result = work();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [result = std::move(result), then = std::move(then)]() {
                then(result);
                --g_pendingWork;
            },
            Qt::QueuedConnection);
    });
}

// The selection at full display resolution: the overlay's files keep every pixel the
// display showed, as a file loaded back would (one pixel per point).
QImage atFullResolution(QImage image)
{
    image.setDevicePixelRatio(1.0);
    return image;
}

QRectF wholeImage(const QImage &image)
{
    return QRectF(0, 0, image.width(), image.height());
}

} // namespace

bool outputActionsIdle()
{
    return g_pendingWork.load() == 0;
}

// ---- Actions of the capture overlay ----------------------------------------------

// Writes the final image off the main thread; `whenWritten` then gets the path of the
// file, on the main thread.
static void writeSelectionThen(const QImage &selection, std::function<void(const QString &)> whenWritten)
{
    if (selection.isNull())
        return;
    const QImage image = atFullResolution(selection);
    runInBackground<QString>([image] { return writeImage(QString(), image, {}, wholeImage(image)); },
                             [whenWritten = std::move(whenWritten)](const QString &written) {
                                 if (!written.isEmpty() && QFile::exists(written))
                                     whenWritten(written);
                             });
}

// Writes the exported image into a new file of `folder` named for `time`; the path,
// or an empty text with the reason in `error`.
static QString saveIntoFolder(const QImage &image, const QString &folder, const QDateTime &time, QString &error)
{
    const QString path = SaveFolder::claimNewFile(folder, time, &error);
    if (path.isEmpty())
        return QString();
    if (writeImage(path, image, {}, wholeImage(image)).isEmpty()) {
        QFile::remove(path);   // the empty file that held the name
        error = QStringLiteral("%1 could not be written").arg(path);
        return QString();
    }
    return path;
}

void saveSelectionLocally(const QImage &selection)
{
    if (selection.isNull())
        return;
    // Into the user's own folder: the temporary one is emptied before every capture.
    struct Saved {
        QString path;
        QString error;
    };
    const QImage image = atFullResolution(selection);
    const QString folder = SaveFolder::folder();
    const QDateTime now = QDateTime::currentDateTime();
    runInBackground<Saved>(
        [image, folder, now] {
            Saved saved;
            saved.path = saveIntoFolder(image, folder, now, saved.error);
            return saved;
        },
        [](const Saved &saved) {
            if (saved.path.isEmpty()) {
                std::fprintf(stderr, "Vornik: the screenshot was not saved: %s\n", qPrintable(saved.error));
                postOutputMessage(OutputMessage::SaveFailed, saved.error);
                return;
            }
            Opener::openUrl(QUrl::fromLocalFile(saved.path));
        });
}

void uploadSelection(const QImage &selection)
{
    if (!isConnectedToNetwork()) {
        // The hand-off keeps the file where the user finds it and says why.
        writeSelectionThen(selection, [](const QString &written) { handOffUpload(written); });
        return;
    }
    if (selection.isNull())
        return;
    const QImage image = atFullResolution(selection);
    // The salt travels while the picture is encoded; the upload follows the file.
    std::function<void(const QString &)> uploadWritten = startUploadOnceWritten();
    runInBackground<QString>([image] { return writeImage(QString(), image, {}, wholeImage(image)); },
                             [uploadWritten](const QString &written) {
                                 uploadWritten(!written.isEmpty() && QFile::exists(written) ? written : QString());
                             });
}

void copySelectionToClipboard(const QImage &selection)
{
    // What was on the clipboard goes whether or not the selection makes it there.
    Clipboard::clear();
    if (selection.isNull()) {
        postOutputMessage(OutputMessage::ClipboardFailed);
        return;
    }
    const QImage image = atFullResolution(selection);
    runInBackground<QByteArray>([image] { return encodePNG(imageCGImage(image)); },
                                [image](const QByteArray &png) {
                                    const bool copied = Clipboard::putImage(png, image);
                                    postOutputMessage(copied ? OutputMessage::ImageCopied
                                                             : OutputMessage::ClipboardFailed);
                                });
}

