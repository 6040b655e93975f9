#include "output/UploadHandOff.h"

#include "helpers/DesktopServices.h"
#include "helpers/Links.h"
#include "helpers/OutputMessages.h"
#include "helpers/SaveFolder.h"
#include "helpers/TempFolder.h"
#include "platform/Preferences.h"
#include "output/UploadFailure.h"
#include "service/ServiceConfiguration.h"
#include "service/ShareClient.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace {

// A name in `folder` for `fileName` that no file has yet.
QString freeNameIn(const QString &folder, const QString &fileName)
{
    const QFileInfo info(fileName);
    QString candidate = folder + fileName;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder + info.completeBaseName() + QLatin1Char('-') + QString::number(n) + QLatin1Char('.')
                    + info.suffix();
    return candidate;
}

// What a kept image's failure notification offers: sending it again, and a way to set
// up a sharing service when none is.
NotificationSubject keptImageSubject(const DesktopServices &desktop, const QString &kept)
{
    NotificationSubject subject(kept);
    if (kept.isEmpty())
        return subject;
    // The notifier keeps the action while the notification shows: it must not keep
    // the notifier alive through it.
    DesktopServices withoutNotifier = desktop;
    withoutNotifier.notifier.reset();
    std::weak_ptr<Notifier> notifier = desktop.notifier;
    subject.actions.append({QStringLiteral("retry"), QCoreApplication::translate("UploadFailure", "Retry"),
                            [withoutNotifier, notifier, kept] {
                                DesktopServices again = withoutNotifier;
                                again.notifier = notifier.lock();
                                if (again.notifier)
                                    retryUnsentUpload(again, kept);
                            }});
    if (!ServiceConfiguration::isConfigured())
        subject.actions.append({QString::fromLatin1(kSetUpServiceAction),
                                QCoreApplication::translate("UploadFailure", "Set up a sharing service…"), {}});
    return subject;
}

// " It was kept at PATH" after the message's own text, or nothing when it is gone.
QString keptAt(const QString &kept)
{
    //: Follows a message about a failed upload, after its full stop; %1 is the picture's file.
    return kept.isEmpty() ? QString() : QCoreApplication::translate("UploadHandOff", " It was kept at %1").arg(kept);
}

} // namespace

void startUpload(const DesktopServices &desktop, const QString &path)
{
    ShareClient::getUserID();
    // The upload may wait for its turn behind other requests: a capture meanwhile must
    // not clean its file away.
    TempFolder::holdFile(path);
    ShareClient::uploadFile(path, [desktop, path](const ShareReply &reply) {
        TempFolder::releaseFile(path);
        uploadFinished(desktop, reply, path);
    });
}

std::function<void(const QString &path)> startUploadOnceWritten(const DesktopServices &desktop)
{
    ShareClient::getUserID();
    auto path = std::make_shared<QString>();
    const ShareClient::FileWritten written = ShareClient::uploadFileOnceWritten([desktop, path](const ShareReply &reply) {
        TempFolder::releaseFile(*path);
        uploadFinished(desktop, reply, *path);
    });
    return [path, written](const QString &writtenPath) {
        *path = writtenPath;
        // Held from now on, so that a capture meanwhile does not clean it away.
        if (!writtenPath.isEmpty())
            TempFolder::holdFile(writtenPath);
        written(writtenPath);
    };
}

// ---- Upload hand-off ---------------------------------------------------------------

void handOffUpload(const DesktopServices &desktop, const QString &path)
{
    if (!isConnectedToNetwork(*desktop.reachability)) {
        // The overlays are gone by now and the file would go with the next capture's
        // clean-up: keep it where the user can find it, as a failed upload does.
        const QString kept = keepUnsentImage(path);
        postOutputMessage(*desktop.notifier, OutputMessage::NoNetwork, keptAt(kept), keptImageSubject(desktop, kept));
        return;
    }
    if (path.isEmpty()) {
        postOutputMessage(*desktop.notifier, OutputMessage::UploadFileMissing);
        return;
    }
    startUpload(desktop, path);
}

void uploadFinished(const DesktopServices &desktop, const ShareReply &reply, const QString &path)
{
    const QString link = QStringLiteral("https://") + reply.body;
    // An error page whose text happens to look like a host name is still an error.
    if (reply.succeeded() && isValidURL(link)) {
        QFile::remove(path);
        desktop.clipboard->clear();
        // The image is on the server either way; when the link did not reach the
        // clipboard, the message is the only place the user can find it.
        desktop.clipboard->putLink(link, [desktop, link](bool held) {
            if (held)
                postOutputMessage(*desktop.notifier, OutputMessage::LinkCopied, QString(), {{}, link});
            else
                postOutputMessage(*desktop.notifier, OutputMessage::LinkNotCopied, link, {{}, link});
        });
        return;
    }
    // The file may be the only copy of the screenshot: keep it and say where, and why
    // the upload failed, since what the user can do about it differs.
    const QString kept = keepUnsentImage(path);
    const QString reason = uploadFailureReason(reply, !reply.succeeded());
    std::fprintf(stderr, "Vornik: the upload failed: %s\n", qPrintable(reason));
    postOutputMessage(*desktop.notifier, OutputMessage::UploadFailed, QLatin1Char(' ') + reason + keptAt(kept),
                      keptImageSubject(desktop, kept));
}

QString keepUnsentImage(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QString();
    const QString folder = TempFolder::unsentFolder();
    // A retried image is kept already.
    if (QFileInfo(path).absolutePath() == QDir::cleanPath(folder))
        return path;
    if (!QDir().mkpath(folder))
        return path;
    const QString target = freeNameIn(folder, QFileInfo(path).fileName());
    // rename() copies and removes when the folders lie on different file systems.
    if (!QFile::rename(path, target)) {
        std::fprintf(stderr, "Error: could not keep %s in %s\n", qPrintable(path), qPrintable(folder));
        return path;
    }
    return target;
}

// ---- Pictures on the clipboard -----------------------------------------------------

void copyPictureToClipboard(const DesktopServices &desktop, const QByteArray &png, const QImage &image,
                            std::function<void(bool held)> then)
{
    desktop.clipboard->putImage(png, image, [desktop, png, then = std::move(then)](bool held) {
        reportPictureCopy(desktop, held, png);
        if (then)
            then(held);
    });
}

void reportPictureCopy(const DesktopServices &desktop, bool held, const QByteArray &png)
{
    if (held) {
        postOutputMessage(*desktop.notifier, OutputMessage::ImageCopied);
        return;
    }
    // The overlays or the editor may be gone: the file is then the only copy.
    const QString kept = keepUncopiedImage(png);
    if (kept.isEmpty())
        postOutputMessage(*desktop.notifier, OutputMessage::ClipboardFailed);
    else
        postOutputMessage(*desktop.notifier, OutputMessage::ClipboardFailed, QStringLiteral(" It was kept at ") + kept,
                          {kept, {}});
}

QString keepUncopiedImage(const QByteArray &png)
{
    if (png.isEmpty())
        return QString();
    const QString folder = QDir::cleanPath(TempFolder::unsentFolder());
    if (!QDir().mkpath(folder))
        return QString();
    QString error;
    const QString path = SaveFolder::claimNewFile(folder, QDateTime::currentDateTime(), &error);
    if (path.isEmpty())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.flush()) {
        file.remove();
        std::fprintf(stderr, "Error: could not keep the picture in %s\n", qPrintable(folder));
        return QString();
    }
    return path;
}

// ---- Unsent uploads ----------------------------------------------------------------

QStringList unsentUploads()
{
    // Every upload goes out from a "M_viewimage.png" file, and a failed one keeps its
    // name ("-2" and up when taken); failed saves and copies are named by their time.
    const QDir folder(TempFolder::unsentFolder());
    QStringList paths;
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*_viewimage*.png")}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo &file : files)
        paths << file.absoluteFilePath();
    return paths;
}

void retryUnsentUpload(const DesktopServices &desktop, const QString &path)
{
    if (TempFolder::isHeld(path) || !QFileInfo(path).isFile())
        return;
    // The user may have set a service up since (by hand, or `vornik --set-service` from
    // another process): the retry goes where the settings file says now.
    Preferences::standard().synchronize();
    handOffUpload(desktop, path);
}
