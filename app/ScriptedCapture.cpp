#include "app/ScriptedCapture.h"

#include "capture/ScreenCapture.h"
#include "capture/SelectionGeometry.h"
#include "helpers/ImageOutput.h"
#include "helpers/Links.h"
#include "helpers/SaveFolder.h"
#include "helpers/TempFolder.h"
#include "output/UploadHandOff.h"
#include "platform/CaptureBackend.h"
#include "platform/TopLevelWindows.h"
#include "service/ShareClient.h"

#include <QCursor>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

namespace {
QScreen *screenUnderPointer()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}

// Why an upload did not give a link, in words for the one line a script shows.
QString uploadProblem(const ShareReply &reply)
{
    switch (reply.error) {
    case ShareError::HttpStatus:
        return ScriptedCapture::tr("the sharing service answered with status %1").arg(reply.status);
    case ShareError::Transport:
        return ScriptedCapture::tr("the sharing service could not be reached (%1)").arg(reply.errorText);
    case ShareError::UnreadableReply:
        return ScriptedCapture::tr("the sharing service's answer could not be read");
    case ShareError::FileMissing:
    case ShareError::FileUnreadable:
        return ScriptedCapture::tr("the picture could not be written for the upload");
    case ShareError::None:
        break;
    }
    return ScriptedCapture::tr("the sharing service's answer is not a link");
}
} // namespace

ScriptedCapture::ScriptedCapture(ScreenCapture &capture, DesktopServices desktop, QObject *parent)
    : QObject(parent)
    , m_capture(capture)
    , m_desktop(std::move(desktop))
{
}

ScriptedCapture::Target ScriptedCapture::windowUnderPointer()
{
    TopLevelWindows &windows = m_capture.windows();
    const QString unavailable = windows.unavailableReason();
    if (!unavailable.isEmpty())
        return {nullptr, {}, unavailable};
    const QPoint pointer = QCursor::pos();
    const QRect frame = frameAt(windows.frames(), pointer);
    if (frame.isNull())
        return {nullptr, {}, tr("there is no window under the pointer")};
    // A window reaching past its display gives the part on the display under the pointer.
    QScreen *screen = screenUnderPointer();
    return {screen, frame.intersected(screen->geometry()), QString()};
}

ScriptedCapture::Target ScriptedCapture::targetOf(const CaptureRequest &request)
{
    switch (request.mode) {
    case CaptureRequest::Mode::Full: {
        QScreen *screen = screenUnderPointer();
        return {screen, screen ? screen->geometry() : QRect(), screen ? QString() : tr("there is no display")};
    }
    case CaptureRequest::Mode::Window:
        return windowUnderPointer();
    case CaptureRequest::Mode::Region:
        for (QScreen *screen : QGuiApplication::screens()) {
            if (screen->geometry().contains(request.region))
                return {screen, request.region, QString()};
        }
        return {nullptr, {},
                tr("the region %1,%2,%3,%4 does not lie on one display")
                    .arg(request.region.x()).arg(request.region.y())
                    .arg(request.region.width()).arg(request.region.height())};
    case CaptureRequest::Mode::Overlay:
        break;
    }
    return {nullptr, {}, tr("no capture mode was given")};
}

void ScriptedCapture::run(const CaptureRequest &request, Reply reply)
{
    const Target target = targetOf(request);
    if (!target.problem.isEmpty() || !target.screen) {
        reply(CaptureAnswer::failure(target.problem));
        return;
    }
    QPointer<ScriptedCapture> self(this);
    m_capture.backend().grabScreens(
        {target.screen.data()}, [self, request, target, reply](const QList<QImage> &pictures, const QString &failure) {
            if (!self)
                return;
            const QImage picture = pictures.value(0);
            if (picture.isNull() || !target.screen) {
                reply(CaptureAnswer::failure(failure.isEmpty() ? tr("the display could not be captured") : failure));
                return;
            }
            const QRect local = target.area.translated(-target.screen->geometry().topLeft());
            QImage part = picture.copy(picturePixels(local, picture.devicePixelRatio(), picture.size()));
            part.setDevicePixelRatio(1.0); // every pixel the display showed
            self->deliver(request, part, reply);
        });
}

void ScriptedCapture::deliver(const CaptureRequest &request, const QImage &picture, const Reply &reply)
{
    switch (request.output) {
    case CaptureRequest::Output::Stdout: {
        const QByteArray png = encodePNG(picture);
        reply(png.isEmpty() ? CaptureAnswer::failure(tr("the picture could not be encoded")) : CaptureAnswer::success(png));
        return;
    }
    case CaptureRequest::Output::Save:
        save(picture, request.path, reply);
        return;
    case CaptureRequest::Output::Copy:
        copyPictureToClipboard(m_desktop, encodePNG(picture), picture, [reply](bool held) {
            reply(held ? CaptureAnswer::success(QByteArray())
                       : CaptureAnswer::failure(tr("the desktop did not take the picture onto the clipboard")));
        });
        return;
    case CaptureRequest::Output::Upload:
        upload(picture, reply);
        return;
    }
}

void ScriptedCapture::save(const QImage &picture, const QString &path, const Reply &reply)
{
    QString target = path;
    QString error;
    if (target.isEmpty())
        target = SaveFolder::claimNewFile(SaveFolder::folder(), QDateTime::currentDateTime(), &error);
    if (target.isEmpty()) {
        reply(CaptureAnswer::failure(error));
        return;
    }
    if (!writePNG(picture, target)) {
        if (path.isEmpty())
            QFile::remove(target); // the empty file that held the name
        reply(CaptureAnswer::failure(tr("%1 could not be written").arg(target)));
        return;
    }
    reply(CaptureAnswer::success(QFile::encodeName(target) + '\n'));
}

void ScriptedCapture::upload(const QImage &picture, const Reply &reply)
{
    const QString path = writeImage(QString(), picture, {}, QRectF(0, 0, picture.width(), picture.height()));
    if (path.isEmpty()) {
        reply(CaptureAnswer::failure(tr("the picture could not be written for the upload")));
        return;
    }
    ShareClient::getUserID();
    TempFolder::holdFile(path);
    ShareClient::uploadFile(path, [path, reply](const ShareReply &answer) {
        TempFolder::releaseFile(path);
        const QString link = QStringLiteral("https://") + answer.body;
        if (answer.succeeded() && isValidURL(link)) {
            QFile::remove(path);
            reply(CaptureAnswer::success(link.toUtf8() + '\n'));
            return;
        }
        // The file may be the only copy of the screenshot.
        const QString kept = keepUnsentImage(path);
        reply(CaptureAnswer::failure(kept.isEmpty() ? uploadProblem(answer)
                                                    : tr("%1; the picture was kept at %2").arg(uploadProblem(answer), kept)));
    });
}
