#include "helpers/DisplayInfo.h"

#include <QGuiApplication>
#include <QScreen>

quint32 displayIDForName(const QString &screenName)
{
    // FNV-1a over the UTF-8 name: stable across runs, unlike qHash with its seed.
    quint32 hash = 2166136261u;
    for (const char byte : screenName.toUtf8()) {
        hash ^= static_cast<quint8>(byte);
        hash *= 16777619u;
    }
    return hash == 0 ? 1 : hash;
}

quint32 displayID(const QScreen *screen)
{
    return screen ? displayIDForName(screen->name()) : 0;
}

QScreen *getByDisplayID(quint32 id)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        if (displayID(screen) == id)
            return screen;
    }
    return nullptr;
}

QString displayNameFrom(const QString &manufacturer, const QString &model)
{
    const QString name = (manufacturer.trimmed() + QLatin1Char(' ') + model.trimmed()).trimmed();
    return name.isEmpty() ? QStringLiteral("Unknown") : name;
}

QString displayName(const QScreen *screen)
{
    if (!screen)
        return QStringLiteral("Unknown");
    return displayNameFrom(screen->manufacturer(), screen->model());
}
