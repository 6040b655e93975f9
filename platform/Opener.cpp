#include "platform/Opener.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>

bool Opener::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool Opener::showInFolder(const QString &file)
{
    const QString manager = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Asked only when one runs: a call would otherwise start whatever file manager the
    // machine has installed for the name.
    if (bus.isConnected() && bus.interface()->isServiceRegistered(manager).value()) {
        QDBusMessage call = QDBusMessage::createMethodCall(manager, QStringLiteral("/org/freedesktop/FileManager1"),
                                                           manager, QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
        if (bus.send(call))
            return true;
    }
    return openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}
