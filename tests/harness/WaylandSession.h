#pragma once

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// A headless Wayland desktop for end-to-end tests, started under the test's own root
// folder and stopped by process id:
//   - sway (wlroots headless back end, pixman renderer) with one output per entry of
//     `outputs`, HEADLESS-1, HEADLESS-2 ... side by side from the left, each showing
//     its wallpaper picture. sway refuses to run as root: as root it runs as the
//     unprivileged account `vornik-test` (scripts/install-deps.sh makes it);
//   - a session bus of the session's own that activates only the screenshot portal's
//     back ends (wlr for Screenshot, gtk for Access) and the permission store;
//   - PipeWire (the wlr back end will not start without it) and xdg-desktop-portal;
//   - a virtual pointer on the seat (tests/harness/wayland/vptr.c) for real drags.
// The test process itself stays on Qt's offscreen platform; programs it starts with
// environment() are Wayland clients of this session.
//
// xdg-desktop-portal-wlr writes every screenshot to /tmp/out.png, as does the portal
// of every other Wayland session on the machine (another test's, another checkout's:
// CTest's resource lock covers one run only): a picture read there may be half
// written, another desktop's, or gone. So the first session with the portal moves the
// test's main thread (which starts every program and reads the pictures) into a mount
// namespace of its own, whose /tmp is an empty file system (the test's root folder
// bound in again at its path); everything started from then on (sway, the bus and
// the portal it activates, Vornik) shares it. This needs CAP_SYS_ADMIN (root):
// without it the session warns and the file stays shared.
namespace vtest {

struct WaylandOutput {
    QSize size;                  // in device pixels
    QImage wallpaper;            // shown stretched over the output; null: a plain colour
};

class WaylandSession
{
public:
    // Starts everything under `root` (a folder of the test's own; `withPortal` false
    // leaves out PipeWire and the portal); `failure` says what did not come up. The
    // session is stopped by the destructor.
    WaylandSession(const QString &root, const QList<WaylandOutput> &outputs, bool withPortal = true);
    ~WaylandSession();
    WaylandSession(const WaylandSession &) = delete;
    WaylandSession &operator=(const WaylandSession &) = delete;

    bool isRunning() const { return m_failure.isEmpty(); }
    QString failure() const { return m_failure; }
    // Seconds each start step took, in order ("sway 0.31", "portal 1.20" ...).
    QStringList startTimes() const { return m_startTimes; }

    // The environment for a Wayland client of this session (QT_QPA_PLATFORM=wayland).
    QProcessEnvironment environment() const;
    QString busAddress() const { return m_busAddress; }

    // Runs swaymsg with `arguments`; its output in `output`. True on exit status 0.
    bool swaymsg(const QStringList &arguments, QString *output = nullptr) const;
    // swaymsg -t get_tree / get_outputs, parsed.
    QJsonObject tree() const;
    QList<QJsonObject> outputs() const;
    // The rectangle around every output, in logical pixels.
    QRect layoutBox() const;
    // The visible application windows of the tree, each with the name of its output
    // under "output".
    QList<QJsonObject> visibleWindows() const;

    // The pointer: absolute motion to a point of the layout (logical pixels), press
    // and release of the left button. Each returns once the compositor has it.
    bool movePointer(const QPoint &point);
    bool pressButton();
    bool releaseButton();
    // A drag from `from` to `to` with a few steps between.
    bool drag(const QPoint &from, const QPoint &to);

    // Types with wtype (arguments such as {"-M", "ctrl", "c", "-m", "ctrl"} or {"-k", "Escape"}).
    bool type(const QStringList &arguments) const;

    // What grim reads from the output named `output` (all outputs when empty).
    QImage grim(const QString &output = QString()) const;
    // What the Wayland clipboard holds as `mimeType`, read with wl-paste; empty when nothing.
    QByteArray paste(const QString &mimeType) const;

    // A picture of the whole desktop from org.freedesktop.portal.Screenshot, asked
    // without a dialog, on a bus connection of the test's own.
    QImage portalScreenshot(QString *failure = nullptr) const;

private:
    bool fail(const QString &why);
    void step(const QString &name, qint64 startedMs);
    bool usePrivateTmp();
    bool startSway(const QList<WaylandOutput> &outputs);
    bool addOutputs(const QList<WaylandOutput> &outputs);
    bool startBus();
    bool startPortal();
    bool waitForScreenshotPortal(int timeoutMs);
    bool startPointer();
    bool sendPointer(const QByteArray &command);
    QString writeSwayConfiguration(const QList<WaylandOutput> &outputs);
    QString writeBusConfiguration();
    void stopBusClients();
    pid_t spawnHere(const QStringList &command, const QString &log);

    QString m_root;
    QString m_swayRuntime;
    QString m_runtime;
    QString m_waylandDisplay;
    QString m_swaySocket;
    QString m_busAddress;
    QString m_failure;
    QStringList m_startTimes;
    QSize m_layout;
    QString m_pointerFifo;
    QString m_pointerLog;
    int m_pointerFd = -1;
    unsigned m_pointerCommands = 0;
    QList<pid_t> m_pids;          // in start order; stopped in reverse
    pid_t m_busPid = -1;
};

} // namespace vtest
