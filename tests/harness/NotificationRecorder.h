#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// A notification server of the test's own: owns org.freedesktop.Notifications on the
// test's session bus and keeps every notification it is sent.
class NotificationRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification {
        QString appName;   // carries the title
        QString summary;   // the subtitle
        QString body;      // the text
        QString icon;
        QStringList actions;  // key, label, key, label ...
        QVariantMap hints;
        uint id = 0;
    };

    explicit NotificationRecorder(QObject *parent = nullptr);
    ~NotificationRecorder() override;

    // Whether the service name was taken on the bus.
    bool isRegistered() const { return m_registered; }
    QList<Notification> received;
    // Emits ActionInvoked on the bus, as a server does when the user picks an action.
    void invokeAction(uint id, const QString &actionKey);

    // What GetCapabilities answers; add "body-markup" to play a server that reads
    // markup, "actions" to play one that shows actions.
    QStringList capabilities{QStringLiteral("body")};

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities();
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion);
    void CloseNotification(uint id);

signals:
    void notified(const QString &summary, const QString &body);

private:
    bool m_registered = false;
    uint m_nextId = 1;
};
