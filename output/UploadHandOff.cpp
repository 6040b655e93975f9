#include "output/UploadHandOff.h"

#include "helpers/DesktopServices.h"
#include "helpers/Links.h"
#include "helpers/OutputMessages.h"
#include "helpers/SaveFolder.h"
#include "helpers/TempFolder.h"
#include "service/ServiceConfiguration.h"
#include "service/ShareClient.h"

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
        if (kept.isEmpty())
            postOutputMessage(*desktop.notifier, OutputMessage::NoNetwork);
        else
            postOutputMessage(*desktop.notifier, OutputMessage::NoNetwork, QStringLiteral(" It was kept at ") + kept, {kept, {}});
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
    // The file may be the only copy of the screenshot: keep it and say where.
    const QString kept = keepUnsentImage(path);
    if (kept.isEmpty())
        postOutputMessage(*desktop.notifier, OutputMessage::UploadFailed);
    else
        postOutputMessage(*desktop.notifier, OutputMessage::UploadFailed, QStringLiteral(" It was kept at ") + kept, {kept, {}});
}

QString keepUnsentImage(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QString();
    const QString folder = TempFolder::unsentFolder();
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
        if (held) {
            postOutputMessage(*desktop.notifier, OutputMessage::ImageCopied);
        } else {
            // The overlays or the editor may be gone: the file is then the only copy.
            const QString kept = keepUncopiedImage(png);
            if (kept.isEmpty())
                postOutputMessage(*desktop.notifier, OutputMessage::ClipboardFailed);
            else
                postOutputMessage(*desktop.notifier, OutputMessage::ClipboardFailed,
                                  QStringLiteral(" It was kept at ") + kept, {kept, {}});
        }
        if (then)
            then(held);
    });
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
