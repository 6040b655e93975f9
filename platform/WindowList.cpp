#include "platform/WindowList.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QGuiApplication>

namespace {
WindowList::Source &sourceSlot()
{
    static WindowList::Source source;
    return source;
}

bool screenshotPortalPresent()
{
    const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return false;
    if (bus->isServiceRegistered(portal))
        return true;
    const QDBusReply<QStringList> activatable = bus->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(portal);
}
} // namespace

std::optional<QList<WindowRecord>> WindowList::onScreenWindows()
{
    if (sourceSlot())
        return sourceSlot()();
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && !screenshotPortalPresent())
        return std::nullopt;
    return QList<WindowRecord>{};
}

void WindowList::setSource(Source source)
{
    sourceSlot() = std::move(source);
}
