#pragma once

// What the parts of WaylandSession (one file per compositor) share.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTest>
#include <functional>

#include "tests/harness/WaylandSession.h"

namespace vtest::wayland {

constexpr int kStartTimeoutMs = 30000;

inline bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

// KWin lets a program use its screenshot interface when an installed desktop entry
// names it by full path (as the package's entry names the installed Vornik): writes one
// for `program` into $XDG_DATA_HOME/applications, to do before KWin starts.
inline bool grantKWinScreenshots(const QString &program)
{
    const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    const QString entry = folder + QStringLiteral("/vornik-test-%1.desktop").arg(qHash(program));
    return QDir().mkpath(folder)
           && writeFile(entry, "[Desktop Entry]\nType=Application\nName=Vornik test program\nExec=" + program.toUtf8()
                                   + "\nX-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2,org.kde.kwin.Screenshot\n");
}

// Runs `program` with `arguments` in `environment`; standard output in `output`.
// The exit status, or -1 when it did not start, end in time or crashed.
inline int runIn(const QProcessEnvironment &environment, const QString &program, const QStringList &arguments,
                 QByteArray *output = nullptr, int timeoutMs = 10000)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return -1;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Windows from the JSON array the KWin and GNOME probes give: objects with pid, x, y,
// width, height, fullscreen, title and id.
QList<WaylandWindow> windowsFromJson(const QString &json);

} // namespace vtest::wayland
