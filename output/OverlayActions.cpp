#include "output/OverlayActions.h"

#include "helpers/AppRequests.h"
#include "output/UploadHandOff.h"
#include "helpers/Clipboard.h"
#include "helpers/ImageOutput.h"
#include "helpers/OutputMessages.h"
#include "helpers/SaveFolder.h"
#include "helpers/TempFolder.h"
#include "platform/Opener.h"
#include "service/ServiceConfiguration.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QScreen>
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

void closeOverlays(const OverlayContext &overlay)
{
    if (overlay.delegate)
        overlay.delegate->closeOverlays();
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

// Renders the overlay's selection and closes the overlays, running `beforeClosing`
// in between. Returns false for an empty selection, which leaves everything as it was;
// otherwise `image` holds the rendered region (null when nothing could be rendered).
static bool takeSelection(const OverlayContext &overlay, QImage &image,
                          const std::function<void()> &beforeClosing = {})
{
    if (!overlay.selection)
        return false;
    const RenderedSelection rendered = renderSelectionImage(*overlay.selection);
    if (rendered.frame.isEmpty())
        return false;
    if (beforeClosing)
        beforeClosing();
    closeOverlays(overlay);
    image = rendered.image;
    return true;
}

void openSelectionInEditor(const OverlayContext &overlay)
{
    QImage image;
    if (!takeSelection(overlay, image) || image.isNull())
        return;
    // The editor reads its picture from the file, at the display's full resolution. A
    // PNG keeps no pixel ratio, only a density: record the ratio as that many times 96
    // dots per inch, so the editor shows the region at its size in points.
    constexpr double kDotsPerMeterAt96Dpi = 96 / 0.0254;
    image.setDotsPerMeterX(qRound(kDotsPerMeterAt96Dpi * image.devicePixelRatio()));
    image.setDotsPerMeterY(qRound(kDotsPerMeterAt96Dpi * image.devicePixelRatio()));
    const QString path = TempFolder::renderedSelectionPath();
    QPointer<AppRequests> delegate = overlay.delegate;
    QPointer<QScreen> display = overlay.display;
    QPointer<QWidget> *slot = overlay.editorSlot;
    runInBackground<bool>([image, path] { return writePNG(image, path); },
                          [delegate, display, slot, path](bool written) {
                              if (!written || !QFile::exists(path) || !delegate)
                                  return;
                              QWidget *editor = delegate->openEditor(path, display);
                              if (slot)
                                  *slot = editor;
                          });
}

// Takes the overlay's selection, closes the overlays and writes the final image off
// the main thread; `whenWritten` then gets the path of the file, on the main thread.
// An empty selection does nothing at all.
static void writeSelectionThen(const OverlayContext &overlay, std::function<void(const QString &)> whenWritten)
{
    QImage rendered;
    if (!takeSelection(overlay, rendered) || rendered.isNull())
        return;
    const QImage image = atFullResolution(rendered);
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

void saveSelectionLocally(const OverlayContext &overlay)
{
    QImage rendered;
    if (!takeSelection(overlay, rendered) || rendered.isNull())
        return;
    // Into the user's own folder: the temporary one is emptied before every capture.
    struct Saved {
        QString path;
        QString error;
    };
    const QImage image = atFullResolution(rendered);
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

void uploadSelection(const OverlayContext &overlay)
{
    if (!isConnectedToNetwork()) {
        // The hand-off keeps the file where the user finds it and says why.
        writeSelectionThen(overlay, [](const QString &written) { handOffUpload(written); });
        return;
    }
    QImage rendered;
    if (!takeSelection(overlay, rendered) || rendered.isNull())
        return;
    const QImage image = atFullResolution(rendered);
    // The salt travels while the picture is encoded; the upload follows the file.
    std::function<void(const QString &)> uploadWritten = startUploadOnceWritten();
    runInBackground<QString>([image] { return writeImage(QString(), image, {}, wholeImage(image)); },
                             [uploadWritten](const QString &written) {
                                 uploadWritten(!written.isEmpty() && QFile::exists(written) ? written : QString());
                             });
}

void copySelectionToClipboard(const OverlayContext &overlay)
{
    QImage rendered;
    if (!takeSelection(overlay, rendered, [] { Clipboard::clear(); }))
        return;
    if (rendered.isNull()) {
        postOutputMessage(OutputMessage::ClipboardFailed);
        return;
    }
    const QImage image = atFullResolution(rendered);
    runInBackground<QByteArray>([image] { return encodePNG(imageCGImage(image)); },
                                [image](const QByteArray &png) {
                                    const bool copied = Clipboard::putImage(png, image);
                                    postOutputMessage(copied ? OutputMessage::ImageCopied
                                                             : OutputMessage::ClipboardFailed);
                                });
}

