#include "output/OverlayActions.h"

#include "platform/Preferences.h"
#include "platform/SettingsKeys.h"

#include "output/UploadHandOff.h"
#include "helpers/ImageOutput.h"
#include "helpers/OutputMessages.h"
#include "helpers/SaveFolder.h"
#include "helpers/TempFolder.h"
#include "service/ServiceConfiguration.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QThreadPool>
#include <mutex>
#include <QUrl>
#include <cstdio>
#include <functional>

namespace {

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

// Writes the exported image into a new file of `folder` named for `time`; the path,
// or an empty text with the reason in `error`.
static QString saveIntoFolder(const QImage &image, const QString &folder, const QDateTime &time, int quality,
                              QString &error)
{
    const QString path = SaveFolder::claimNewFile(folder, time, &error);
    if (path.isEmpty())
        return QString();
    if (writeImage(path, image, {}, wholeImage(image), quality).isEmpty()) {
        QFile::remove(path);   // the empty file that held the name
        //: %1 is the picture's file.
        error = QCoreApplication::translate("OverlayActions", "%1 could not be written").arg(path);
        return QString();
    }
    return path;
}

OverlayActions::OverlayActions(DesktopServices desktop, int pngQuality)
    : m_desktop(std::move(desktop))
    , m_pngQuality(pngQuality)
{
}

// Runs `work` on a pool thread and hands its result to `then` on the main thread, so
// that the overlays are gone before the encode starts.
template<typename Result>
void OverlayActions::runInBackground(std::function<Result()> work, std::function<void(Result)> then)
{
    ++*m_pendingWork;
    QThreadPool::globalInstance()->start([work = std::move(work), then = std::move(then),
                                          pending = m_pendingWork]() mutable {
        Result result = work();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [result = std::move(result), then = std::move(then), pending]() {
                then(result);
                --*pending;
            },
            Qt::QueuedConnection);
    });
}

// Writes the final image off the main thread; `whenWritten` then gets the path of the
// file, on the main thread.
void OverlayActions::writeSelectionThen(const QImage &selection, std::function<void(const QString &)> whenWritten)
{
    if (selection.isNull())
        return;
    const QImage image = atFullResolution(selection);
    runInBackground<QString>([image, quality = m_pngQuality] { return writeImage(QString(), image, {}, wholeImage(image), quality); },
                             [whenWritten = std::move(whenWritten)](const QString &written) {
                                 if (!written.isEmpty() && QFile::exists(written))
                                     whenWritten(written);
                             });
}

void OverlayActions::saveSelectionLocally(const QImage &selection)
{
    if (selection.isNull())
        return;
    // Into the user's own folder: the temporary one is emptied before every capture.
    // When that fails the overlays are gone and the picture with them: it goes where
    // failed uploads wait, and the message says where.
    struct Saved {
        QString path;
        QString error;
        QString kept;
    };
    const QImage image = atFullResolution(selection);
    const QString folder = SaveFolder::folder();
    const QString keepFolder = QDir::cleanPath(TempFolder::unsentFolder());
    const QDateTime now = QDateTime::currentDateTime();
    runInBackground<Saved>(
        [image, folder, keepFolder, now, quality = m_pngQuality] {
            Saved saved;
            saved.path = saveIntoFolder(image, folder, now, quality, saved.error);
            if (saved.path.isEmpty()) {
                QString keepError;
                saved.kept = saveIntoFolder(image, keepFolder, now, quality, keepError);
            }
            return saved;
        },
        [desktop = m_desktop](const Saved &saved) {
            if (saved.path.isEmpty()) {
                std::fprintf(stderr, "Vornik: the screenshot was not saved: %s\n", qPrintable(saved.error));
                //: Follows the reason a screenshot was not saved; %1 is where it was kept instead.
                const QString keptAtText = QCoreApplication::translate("OverlayActions", ". It was kept at %1");
                const QString keptAt = saved.kept.isEmpty() ? QString() : keptAtText.arg(saved.kept);
                postOutputMessage(*desktop.notifier, OutputMessage::SaveFailed, saved.error + keptAt, NotificationSubject(saved.kept));
                return;
            }
            // Opened unless the user turned it off in the preferences ("opensavedfile" 0).
            const Preferences &preferences = Preferences::standard();
            if (!preferences.hasKey(SettingsKeys::openSavedFile) || preferences.integerForKey(SettingsKeys::openSavedFile) != 0)
                desktop.opener->openUrl(QUrl::fromLocalFile(saved.path));
        });
}

void OverlayActions::uploadSelection(const QImage &selection)
{
    if (!isConnectedToNetwork(*m_desktop.reachability)) {
        // The hand-off keeps the file where the user finds it and says why.
        writeSelectionThen(selection,
                           [desktop = m_desktop](const QString &written) { handOffUpload(desktop, written); });
        return;
    }
    if (selection.isNull())
        return;
    const QImage image = atFullResolution(selection);
    // The salt travels while the picture is encoded; the upload follows the file.
    std::function<void(const QString &)> uploadWritten = startUploadOnceWritten(m_desktop);
    runInBackground<QString>([image, quality = m_pngQuality] { return writeImage(QString(), image, {}, wholeImage(image), quality); },
                             [uploadWritten](const QString &written) {
                                 uploadWritten(!written.isEmpty() && QFile::exists(written) ? written : QString());
                             });
}

void OverlayActions::copySelectionToClipboard(const QImage &selection)
{
    // What was on the clipboard goes whether or not the selection makes it there.
    m_desktop.clipboard->clear();
    if (selection.isNull()) {
        postOutputMessage(*m_desktop.notifier, OutputMessage::ClipboardFailed);
        return;
    }
    const QImage image = atFullResolution(selection);
    if (!m_desktop.clipboard->offersBeforeEncoding()) {
        runInBackground<QByteArray>([image, quality = m_pngQuality] { return encodePNG(imageCGImage(image), quality); },
                                    [image, desktop = m_desktop](const QByteArray &png) {
                                        if (png.isEmpty())
                                            postOutputMessage(*desktop.notifier, OutputMessage::ClipboardFailed);
                                        else
                                            copyPictureToClipboard(desktop, png, image);
                                    });
        return;
    }
    // Offered at once, while an overlay still has the keyboard (GNOME's and KDE's
    // compositors take a selection from no other window); the PNG is made in the
    // background meanwhile, and a paste that comes first waits for it.
    struct EncodedOnce {
        QImage image;
        int quality;
        std::once_flag once;
        QByteArray png;
        QByteArray get()
        {
            std::call_once(once, [this] { png = encodePNG(imageCGImage(image), quality); });
            return png;
        }
    };
    auto encoded = std::make_shared<EncodedOnce>();
    encoded->image = image;
    encoded->quality = m_pngQuality;
    runInBackground<bool>([encoded] { return !encoded->get().isEmpty(); }, [](bool) {});
    m_desktop.clipboard->putImageOnDemand([encoded] { return encoded->get(); },
                                          [desktop = m_desktop, encoded](bool held) {
                                              reportPictureCopy(desktop, held, encoded->get());
                                          });
}

