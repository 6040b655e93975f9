#include "tests/harness/NotificationRecorder.h"

#include <QDBusConnection>

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
                                  const QString &body, const QStringList &, const QVariantMap &, int)
{
    received.append({appName, summary, body, appIcon});
    emit notified(summary, body);
    return m_nextId++;
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
