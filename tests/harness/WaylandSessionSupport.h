#pragma once

// What the parts of WaylandSession (one file per compositor) share.
#include <QByteArray>
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
