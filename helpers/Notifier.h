#pragma once

#include "helpers/NotificationSubject.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Opener;

// The icon and desktop entry the notifications name: both "vornik".
inline constexpr const char *kNotificationIconName = "vornik";

// The title every notification carries.
inline constexpr const char *kNotificationTitle = "Vornik notification";

// The one way Vornik reports to the user: a desktop notification titled
// "Vornik notification" with the given subtitle and text.
//
// Delivered through org.freedesktop.Notifications on the session bus. Without a
// notification server it falls back to the tray balloon (when the application has
// set one with setFallback) and then to a line on stderr. The actions a server
// reports as invoked open the subject with the Opener handed in, or run the
// subject's own actions.
class Notifier : public QObject
{
    Q_OBJECT
public:
    explicit Notifier(std::shared_ptr<Opener> opener, QObject *parent = nullptr);

    void post(const QString &subtitle, const QString &text, const NotificationSubject &subject = {});

    // Shows a notification some other way when the desktop has no notification
    // server; returns false when it could not show it either. The tray sets one.
    using Fallback = std::function<bool(const QString &title, const QString &subtitle, const QString &text)>;
    void setFallback(Fallback fallback);

signals:
    // The user chose an action of a notification that has nothing to run for it.
    void actionRequested(const QString &key);

private slots:
    void actionInvoked(uint id, const QString &key);
    void notificationClosed(uint id, uint reason);

private:
    struct ServerAbilities {
        bool markup = false;
        bool actions = false;
    };
    void postWithoutBus(const QString &subtitle, const QString &text);
    void sendNotify(QDBusConnection bus, const QString &subtitle, const QString &text,
                    const NotificationSubject &subject, ServerAbilities server);
    void watchActions(QDBusConnection bus);

    std::shared_ptr<Opener> m_opener;
    Fallback m_fallback;
    QStringList m_watchedBuses;
    QHash<uint, NotificationSubject> m_subjects;   // by notification id, while it shows
};
