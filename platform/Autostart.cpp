#include "platform/Autostart.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

QString Autostart::entryPath()
{
    // GenericConfigLocation follows XDG_CONFIG_HOME on every call.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/vornik.desktop");
}

QString Autostart::quotedExecArgument(const QString &executable)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted = executable;
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    const bool needsQuotes = std::any_of(quoted.cbegin(), quoted.cend(), [](QChar c) { return reserved.contains(c); });
    if (!needsQuotes)
        return quoted;
    QString inner;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            inner += QLatin1Char('\\');
        inner += c;
    }
    // The value itself is a desktop-entry string, whose own escape for a backslash
    // is a doubled backslash.
    inner.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString Autostart::entryText(const QString &executable)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Vornik\n"
                          "Comment=Take, mark up and share screenshots\n"
                          "Comment[de]=Bildschirmfotos aufnehmen, beschriften und teilen\n"
                          "Comment[uk]=Робіть, позначайте й поширюйте знімки екрана\n"
                          "Exec=%1\n"
                          "Icon=vornik\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quotedExecArgument(executable));
}

bool Autostart::addLoginItem(const QString &executable)
{
    const QString path = entryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(entryText(executable).toUtf8());
    return file.commit();
}

bool Autostart::removeLoginItem()
{
    const QString path = entryPath();
    return !QFileInfo::exists(path) || QFile::remove(path);
}

bool Autostart::isLoginItem()
{
    return QFileInfo::exists(entryPath());
}
