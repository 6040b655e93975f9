#pragma once

// What the Wayland end-to-end tests share: Vornik started as a Wayland client of the
// test's Wayland session, and pixel comparisons against the portal's picture.
#include "tests/harness/TestEnvironment.h"
#include "tests/harness/WaylandSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace wtest {

// Differs between neighbouring pixels, so a region cut one pixel off shows.
inline QImage wallpaper(const QSize &size, int seed)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 3 + seed) & 0xff, (y * 5 + x / 3) & 0xff, (x / 16 * 37 + y / 16 * 11 + seed) & 0xff));
    return image;
}

// Empty when equal (outside `ignored`, in `actual`'s coordinates), else the first difference.
inline QString firstDifference(const QImage &actual, const QImage &expected, const QRect &ignored = QRect())
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2 instead of %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            if (ignored.contains(x, y))
                continue;
            const QRgb got = actual.pixel(x, y) & 0xffffff, want = expected.pixel(x, y) & 0xffffff;
            if (got != want)
                return QStringLiteral("pixel (%1, %2) is %3 instead of %4").arg(x).arg(y).arg(got, 6, 16, QLatin1Char('0')).arg(want, 6, 16, QLatin1Char('0'));
        }
    return QString();
}

// Vornik, run as a Wayland client of `session` with the test's own folders and
// settings of its own (under `root`). Its xdg-open is a stand-in that writes what it
// was asked to open into a file.
class VornikProcess
{
public:
    // `binary`: the program to run, VORNIK_BINARY when empty.
    VornikProcess(const vtest::WaylandSession &session, const QString &root, const QString &binary = QString())
        : m_session(session)
        , m_root(root)
        , m_binary(binary.isEmpty() ? qEnvironmentVariable("VORNIK_BINARY") : binary)
    {
        QDir().mkpath(root + QStringLiteral("/bin"));
        const QString opener = root + QStringLiteral("/bin/xdg-open");
        QFile script(opener);
        if (script.open(QIODevice::WriteOnly))
            script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" + openedLog().toLocal8Bit() + "\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ~VornikProcess() { stop(); }

    QString openedLog() const { return m_root + QStringLiteral("/opened.txt"); }
    QString logPath() const { return m_root + QStringLiteral("/vornik.log"); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = m_session.environment();
        environment.insert(QStringLiteral("PATH"), m_root + QStringLiteral("/bin:") + environment.value(QStringLiteral("PATH")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root + QStringLiteral("/config"));
        // The capture trace names the backend that took each capture's pictures.
        environment.insert(QStringLiteral("VORNIK_CAPTURE_TRACE"), QStringLiteral("1"));
        return environment;
    }

    // `vornik --capture`: the first starts Vornik, later ones reach the running one.
    qint64 capture() { return run({QStringLiteral("--capture")}); }
    // `vornik`: starts Vornik without capturing.
    qint64 start() { return run({}); }

    qint64 pid() const { return m_process ? m_process->processId() : 0; }

    QString log() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

    void stop()
    {
        if (!m_process)
            return;
        // QProcess ends its own child by its process id: SIGTERM, then SIGKILL.
        m_process->terminate();
        if (!m_process->waitForFinished(3000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
        delete m_process;
        m_process = nullptr;
    }

private:
    qint64 run(const QStringList &arguments)
    {
        if (m_process) {
            // A later start hands its request to the running Vornik and ends.
            QProcess later;
            later.setProcessEnvironment(environment());
            later.start(binary(), arguments);
            later.waitForFinished(10000);
            return m_process->processId();
        }
        m_process = new QProcess;
        m_process->setProcessEnvironment(environment());
        m_process->setStandardOutputFile(logPath(), QIODevice::Append);
        m_process->setStandardErrorFile(logPath(), QIODevice::Append);
        m_process->start(binary(), arguments);
        m_process->waitForStarted(10000);
        return m_process->processId();
    }

    QString binary() const { return m_binary; }

    const vtest::WaylandSession &m_session;
    QString m_root;
    QString m_binary;
    QProcess *m_process = nullptr;
};

// Vornik's visible windows, by output name.
inline QMap<QString, vtest::WaylandWindow> windowsOf(const vtest::WaylandSession &session, qint64 pid)
{
    QMap<QString, vtest::WaylandWindow> windows;
    for (const vtest::WaylandWindow &window : session.visibleWindows()) {
        if (window.pid == pid)
            windows.insert(window.output, window);
    }
    return windows;
}

} // namespace wtest
