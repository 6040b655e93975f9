#include "platform/PrivacySettings.h"

#include <QStandardPaths>

QStringList PrivacySettings::commandFor(const QString &currentDesktop,
                                        const std::function<bool(const QString &)> &haveProgram)
{
    const QStringList desktops = currentDesktop.toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const bool gnomeLike = desktops.contains(QLatin1String("gnome")) || desktops.contains(QLatin1String("unity"))
                           || desktops.contains(QLatin1String("budgie"));
    // GNOME's privacy panel holds screen sharing and the portal permissions.
    if (gnomeLike && haveProgram(QStringLiteral("gnome-control-center")))
        return {QStringLiteral("gnome-control-center"), QStringLiteral("privacy")};
    // Plasma's application permissions page (where the desktop ships it).
    if (desktops.contains(QLatin1String("kde")) && haveProgram(QStringLiteral("systemsettings")))
        return {QStringLiteral("systemsettings"), QStringLiteral("kcm_app-permissions")};
    return {};
}

QStringList PrivacySettings::command()
{
    return commandFor(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), [](const QString &program) {
        return !QStandardPaths::findExecutable(program).isEmpty();
    });
}
