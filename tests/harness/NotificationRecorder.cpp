#include "tests/harness/NotificationRecorder.h"

#include <QDBusConnection>
#include <QDBusMessage>

NotificationRecorder::NotificationRecorder(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_registered = bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                      QDBusConnection::ExportAllSlots)
                   && bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

NotificationRecorder::~NotificationRecorder()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

uint NotificationRecorder::Notify(const QString &appName, uint, const QString &appIcon, const QString &summary,
                                  const QString &body, const QStringList &actions, const QVariantMap &hints, int)
{
    const uint id = m_nextId++;
    received.append({appName, summary, body, appIcon, actions, hints, id});
    emit notified(summary, body);
    return id;
}

void NotificationRecorder::invokeAction(uint id, const QString &actionKey)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                     QStringLiteral("org.freedesktop.Notifications"),
                                                     QStringLiteral("ActionInvoked"));
    signal << id << actionKey;
    QDBusConnection::sessionBus().send(signal);
}

QStringList NotificationRecorder::GetCapabilities()
{
    return capabilities;
}

QString NotificationRecorder::GetServerInformation(QString &vendor, QString &version, QString &specVersion)
{
    vendor = QStringLiteral("vornik-tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("recorder");
}

void NotificationRecorder::CloseNotification(uint) {}
