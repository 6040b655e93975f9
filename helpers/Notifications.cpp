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

void postNotification(const QString &subtitle, const QString &text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        postWithoutBus(subtitle, text);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout
    call << QString::fromLatin1(kNotificationTitle) << uint(0) << QStringLiteral("AppIcon") << subtitle << text
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
