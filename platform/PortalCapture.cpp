#include "platform/PortalCapture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObjectPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
// The call itself may wait a little longer than the whole request, so that a portal
// that never answers is reported as such rather than as a failed call.
constexpr int kCallGraceMs = 5000;
// A portal answers a screenshot within about a second; one that takes longer is
// looked at every so often: a back end still at work is most likely asking the user.
constexpr int kLookAgainMs = 2500;

// A token no other request of this process has used: the portal builds the request's
// object path from it, so it may hold only letters, digits and '_'.
QString newToken()
{
    static quint64 counter = 0;
    return QStringLiteral("vornik%1_%2").arg(++counter).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

QRect scaledRect(const QRect &area, const QPoint &origin, qreal scaleX, qreal scaleY)
{
    const int left = qRound((area.left() - origin.x()) * scaleX);
    const int top = qRound((area.top() - origin.y()) * scaleY);
    const int right = qRound((area.left() + area.width() - origin.x()) * scaleX);
    const int bottom = qRound((area.top() + area.height() - origin.y()) * scaleY);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

QString PortalScreenshot::requestPath(const QString &uniqueName, const QString &token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kObjectPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

QList<QImage> PortalScreenshot::cutDesktop(const QImage &desktop, const QList<DisplayArea> &displays, QRect desktopArea)
{
    for (const DisplayArea &display : displays)
        desktopArea = desktopArea.united(display.geometry);
    if (desktop.isNull() || desktopArea.isEmpty())
        return {};
    const qreal scaleX = qreal(desktop.width()) / desktopArea.width();
    const qreal scaleY = qreal(desktop.height()) / desktopArea.height();

    QList<QImage> pictures;
    pictures.reserve(displays.size());
    for (const DisplayArea &display : displays) {
        QImage piece = desktop.copy(scaledRect(display.geometry, desktopArea.topLeft(), scaleX, scaleY));
        const QSize devicePixels = (QSizeF(display.geometry.size()) * display.ratio).toSize();
        if (piece.size() != devicePixels && !devicePixels.isEmpty()) {
            // Enlarging keeps pixels sharp (each is repeated); reducing averages them.
            const bool enlarging = devicePixels.width() > piece.width();
            piece = piece.scaled(devicePixels, Qt::IgnoreAspectRatio,
                                 enlarging ? Qt::FastTransformation : Qt::SmoothTransformation);
        }
        piece.setDevicePixelRatio(display.ratio);
        pictures.append(piece);
    }
    return pictures;
}

bool PortalScreenshot::isDisposable(const QString &path, const QDateTime &asked)
{
    const QFileInfo file(path);
    if (!file.isFile() || file.isSymLink() || !asked.isValid())
        return false;
    // File systems keep times to the second (or two, FAT): a file written in the same
    // second as the request counts as new.
    return file.lastModified() >= asked.addSecs(-2);
}

QString PortalScreenshot::preparePicturesFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || QFileInfo::exists(folder))
        return QString();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "Vornik: cannot make the pictures folder %s, where the screenshot portal may want to "
                             "save\n", qPrintable(folder));
        return QString();
    }
    return folder;
}

void PortalScreenshot::removeIfEmpty(const QString &folder)
{
    if (!folder.isEmpty())
        QDir().rmdir(folder);   // fails, as it should, when anything is in it
}

bool PortalScreenshot::servicePresent()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return false;
    if (bus->isServiceRegistered(kService))
        return true;
    const QDBusReply<QStringList> activatable = bus->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(kService);
}

bool PortalScreenshot::backEndWorksOn(const QString &handle)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface *names = bus.interface();
    if (!names || handle.isEmpty())
        return false;
    const QDBusReply<QStringList> running = names->registeredServiceNames();
    for (const QString &name : running.value()) {
        if (!name.startsWith(QLatin1String("org.freedesktop.impl.portal.desktop.")))
            continue;
        const QDBusMessage introspect = QDBusMessage::createMethodCall(
            name, handle, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
        const QDBusReply<QString> xml = bus.call(introspect, QDBus::Block, 2000);
        if (xml.isValid() && xml.value().contains(QLatin1String("org.freedesktop.impl.portal.Request")))
            return true;
    }
    return false;
}

PortalCapture::PortalCapture(int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_timeoutMs(timeoutMs)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &PortalCapture::handleTimeout);
}

PortalCapture::~PortalCapture()
{
    unwatchRequest();
}

QImage PortalCapture::grabScreen(QScreen *screen)
{
    return grabOneWaiting(screen);
}

void PortalCapture::grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    if (m_done) {
        done({}, QStringLiteral("a screenshot is already being taken"));
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done({}, QStringLiteral("no session bus to reach the screenshot portal"));
        return;
    }
    m_done = done;
    m_screens.clear();
    for (QScreen *screen : screens)
        m_screens.append(screen);

    // Listen before asking: the portal may answer before the call's reply arrives.
    const QString token = newToken();
    if (!watchRequest(PortalScreenshot::requestPath(bus.baseService(), token))) {
        finish({}, QStringLiteral("cannot listen to the screenshot portal's answer"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObjectPath, kScreenshotInterface,
                                                       QStringLiteral("Screenshot"));
    const QVariantMap options{{QStringLiteral("handle_token"), token}, {QStringLiteral("interactive"), false}};
    call << QString() << options;
    m_madePicturesFolder = PortalScreenshot::preparePicturesFolder();
    m_askedAt = QDateTime::currentDateTime();
    m_waitedForUser = false;
    const quint64 serial = ++m_serial;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, m_timeoutMs + kCallGraceMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, serial](QDBusPendingCallWatcher *finished) { handleCallFinished(finished, serial); });
    m_timer->start(std::min(kLookAgainMs, m_timeoutMs));
}

void PortalCapture::handleCallFinished(QDBusPendingCallWatcher *call, quint64 serial)
{
    call->deleteLater();
    if (serial != m_serial || !m_done)
        return;
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (reply.isError()) {
        finish({}, QStringLiteral("the screenshot portal refused: %1").arg(reply.error().message()));
        return;
    }
    // Older portals chose the path themselves; follow the one they name.
    const QString handle = reply.value().path();
    if (!handle.isEmpty() && handle != m_requestPath && !watchRequest(handle))
        finish({}, QStringLiteral("cannot listen to the screenshot portal's answer"));
}

void PortalCapture::handleTimeout()
{
    if (!m_done)
        return;
    if (PortalScreenshot::backEndWorksOn(m_requestPath)) {
        if (!std::exchange(m_waitedForUser, true) && m_notice)
            m_notice(QObject::tr("Waiting for permission"),
                     QObject::tr("Vornik is waiting for the desktop's permission to take a screenshot. Allow it in "
                                 "the desktop's dialog and the capture goes on."));
        m_timer->start(std::min(kLookAgainMs, m_timeoutMs));
        return;
    }
    if (m_askedAt.msecsTo(QDateTime::currentDateTime()) < m_timeoutMs) {
        m_timer->start(std::min(kLookAgainMs, m_timeoutMs));
        return;
    }
    giveUp(m_waitedForUser ? QStringLiteral("the desktop's permission dialog closed, but the screenshot portal "
                                            "gave no answer; capture again")
                           : QStringLiteral("the screenshot portal did not answer within %1 s").arg(m_timeoutMs / 1000.0));
}

void PortalCapture::giveUp(const QString &failure)
{
    // Close the portal's dialog, if it shows one, so it does not answer into the void.
    QDBusConnection::sessionBus().send(
        QDBusMessage::createMethodCall(kService, m_requestPath, kRequestInterface, QStringLiteral("Close")));
    finish({}, failure);
}

void PortalCapture::handleResponse(uint response, const QVariantMap &results)
{
    if (!m_done)
        return;
    if (response != 0 && m_waitedForUser) {
        // GNOME's portal answers a refused permission with 2, like any failure; after
        // the wait for the user it was the user's answer.
        if (m_notice)
            m_notice(QObject::tr("Screenshot not allowed"),
                     QObject::tr("The desktop did not allow Vornik to take a screenshot. Allow it when the desktop "
                                 "asks again, or in its privacy settings (Screenshots)."));
        finish({}, QStringLiteral("the desktop did not allow the screenshot (response %1)").arg(response));
        return;
    }
    if (response != 0) {
        finish({}, response == 1 ? QStringLiteral("the screenshot was cancelled")
                                 : QStringLiteral("the screenshot portal failed (response %1)").arg(response));
        return;
    }
    QString failure;
    const QList<QImage> pictures = picturesFrom(results, &failure);
    finish(pictures, failure);
}

QList<QImage> PortalCapture::picturesFrom(const QVariantMap &results, QString *failure) const
{
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile()) {
        *failure = QStringLiteral("the screenshot portal gave no local file (\"%1\")").arg(uri.toString());
        return {};
    }
    const QString path = uri.toLocalFile();
    const QImage desktop(path);
    // The back end wrote the file for this request only: once read it has served.
    if (PortalScreenshot::isDisposable(path, m_askedAt))
        QFile::remove(path);
    if (desktop.isNull()) {
        *failure = QStringLiteral("cannot read the screenshot portal's picture %1").arg(path);
        return {};
    }

    QList<PortalScreenshot::DisplayArea> displays;
    for (const QPointer<QScreen> &screen : m_screens) {
        if (!screen) {
            *failure = QStringLiteral("a display went away while the screenshot was taken");
            return {};
        }
        displays.append({screen->geometry(), screen->devicePixelRatio()});
    }
    // The portal's picture shows the whole desktop, every display of the session, also
    // when only some were asked for (a script's capture of one display).
    QRect desktopArea;
    for (const QScreen *screen : QGuiApplication::screens())
        desktopArea = desktopArea.united(screen->geometry());
    return PortalScreenshot::cutDesktop(desktop.convertToFormat(QImage::Format_RGB32), displays, desktopArea);
}

bool PortalCapture::watchRequest(const QString &path)
{
    unwatchRequest();
    const bool watching = QDBusConnection::sessionBus().connect(
        kService, path, kRequestInterface, QStringLiteral("Response"), this,
        SLOT(handleResponse(uint, QVariantMap)));
    if (watching)
        m_requestPath = path;
    return watching;
}

void PortalCapture::unwatchRequest()
{
    if (m_requestPath.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(kService, m_requestPath, kRequestInterface, QStringLiteral("Response"),
                                             this, SLOT(handleResponse(uint, QVariantMap)));
    m_requestPath.clear();
}

void PortalCapture::finish(const QList<QImage> &pictures, const QString &failure)
{
    m_timer->stop();
    unwatchRequest();
    ++m_serial;
    m_screens.clear();
    PortalScreenshot::removeIfEmpty(std::exchange(m_madePicturesFolder, QString()));
    // Cleared before the call: `done` may start the next capture.
    const ScreensGrabbed done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(failure.isEmpty() ? pictures : QList<QImage>{}, failure);
}
