#include "helpers/Notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <cstdio>

namespace {
NotificationFallback &fallbackSlot()
{
    static NotificationFallback fallback;
    return fallback;
}

void postWithoutBus(const QString &subtitle, const QString &text)
{
    const QString title = QString::fromLatin1(kNotificationTitle);
    if (fallbackSlot() && fallbackSlot()(title, subtitle, text))
        return;
    std::fprintf(stderr, "%s: %s: %s\n", qPrintable(title), qPrintable(subtitle), qPrintable(text));
}
} // namespace

void setNotificationFallback(NotificationFallback fallback)
{
    fallbackSlot() = std::move(fallback);
}

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

void sendNotify(QDBusConnection bus, const QString &subtitle, const QString &text, bool serverReadsMarkup)
{
    // Texts hold file paths and server replies: a server that reads markup must not
    // take "&" or "<" in them for markup.
    const QString body = serverReadsMarkup ? text.toHtmlEscaped() : text;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << QString::fromLatin1(kNotificationTitle) << uint(0) << QStringLiteral("AppIcon") << subtitle << body
         << QStringList() << QVariantMap() << int(-1);
    // Asynchronous, so a slow notification daemon never freezes the interface; when
    // nobody answers, the fallback shows the same words.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [subtitle, text](QDBusPendingCallWatcher *self) {
                         if (self->isError())
                             postWithoutBus(subtitle, text);
                         self->deleteLater();
                     });
}
} // namespace

void postNotification(const QString &subtitle, const QString &text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        postWithoutBus(subtitle, text);
        return;
    }
    // Ask the server (which may have changed since the last notification) whether it
    // reads markup, then send. Replies come back in the order the calls went out, so
    // notifications keep their order.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [bus, subtitle, text](QDBusPendingCallWatcher *self) {
                         const QDBusPendingReply<QStringList> reply = *self;
                         if (reply.isError())
                             postWithoutBus(subtitle, text);
                         else
                             sendNotify(bus, subtitle, text, reply.value().contains(QStringLiteral("body-markup")));
                         self->deleteLater();
                     });
}
