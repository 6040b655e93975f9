#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <sys/types.h>

class QDBusConnection;

// A headless Wayland desktop for end-to-end tests, started under the test's own root
// folder and stopped by process id. The compositor is one of
//   - sway (wlroots headless back end, pixman renderer), outputs HEADLESS-1, HEADLESS-2
//     ... each showing its wallpaper picture; a virtual pointer
//     (tests/harness/wayland/vptr.c) and wtype for input; sway refuses to run as root:
//     as root it runs as the unprivileged account `vornik-test` (scripts/install-deps.sh
//     makes it);
//   - KWin (`kwin_wayland --virtual`, every output of one size), run from a copy
//     without the packaged binary's file capability, which a container refuses to
//     execute; KWin's fake input (tests/harness/wayland/kinput.c) for input, its
//     scripting interface to list and close windows;
//   - GNOME Shell (`gnome-shell --headless` with virtual monitors) on a private, empty
//     system bus (it will not start without one); input through mutter's
//     RemoteDesktop interface, windows listed through the Shell's Eval, which a small
//     extension of the harness opens.
// Each has a session bus of its own that activates only its screenshot portal's back
// ends and the permission store, PipeWire, and xdg-desktop-portal reading only its own
// portal files (XDG_DESKTOP_PORTAL_DIR). On KWin and GNOME a client window of the
// harness shows each output's wallpaper picture. The test process itself stays on Qt's
// offscreen platform; programs it starts with environment() are Wayland clients of the
// session.
//
// xdg-desktop-portal-wlr writes every screenshot to /tmp/out.png, as does the portal
// of every other Wayland session on the machine (another test's, another checkout's:
// CTest's resource lock covers one run only): a picture read there may be half
// written, another desktop's, or gone. So the first session with the portal moves the
// test's main thread (which starts every program and reads the pictures) into a mount
// namespace of its own, whose /tmp is an empty file system (the test's root folder
// bound in again at its path); everything started from then on (the compositor, the
// bus and the portal it activates, Vornik) shares it. This needs CAP_SYS_ADMIN (root):
// without it the session warns and the file stays shared.
namespace vtest {

enum class Compositor { Sway, KWin, Gnome };

// The compositor VORNIK_TEST_COMPOSITOR names (sway, kwin, gnome; sway when unset).
Compositor compositorUnderTest();
QString compositorName(Compositor compositor);

struct WaylandOutput {
    QSize size;                  // in device pixels
    QImage wallpaper;            // shown stretched over the output; null: a plain colour
};

// An output as the compositor has it now.
struct WaylandOutputState {
    QString name;
    QRect rect;                  // in logical pixels of the layout
};

// A window on screen as the compositor has it.
struct WaylandWindow {
    qint64 pid = 0;
    QString output;              // the output that holds its centre
    QRect rect;                  // in logical pixels of the layout
    bool fullscreen = false;
    QString title;
    QString id;                  // the compositor's own, for closeWindow()
};

class WaylandSession
{
public:
    // Starts everything under `root` (a folder of the test's own; `withPortal` false
    // leaves out PipeWire and the portal); `failure` says what did not come up. KWin
    // makes every output the size of the first. The session is stopped by the destructor.
    WaylandSession(const QString &root, const QList<WaylandOutput> &outputs, bool withPortal = true,
                   Compositor compositor = compositorUnderTest());
    ~WaylandSession();
    WaylandSession(const WaylandSession &) = delete;
    WaylandSession &operator=(const WaylandSession &) = delete;

    Compositor compositor() const { return m_compositor; }
    bool isRunning() const { return m_failure.isEmpty(); }
    QString failure() const { return m_failure; }
    // Seconds each start step took, in order ("sway 0.31", "portal 1.20" ...).
    QStringList startTimes() const { return m_startTimes; }

    // The environment for a Wayland client of this session (QT_QPA_PLATFORM=wayland).
    QProcessEnvironment environment() const;
    QString busAddress() const { return m_busAddress; }

    // Runs swaymsg with `arguments` (sway only); its output in `output`. True on exit status 0.
    bool swaymsg(const QStringList &arguments, QString *output = nullptr) const;
    // The outputs, left to right.
    QList<WaylandOutputState> outputs() const;
    // The rectangle around every output, in logical pixels.
    QRect layoutBox() const;
    // The visible application windows (not the harness's wallpaper windows).
    QList<WaylandWindow> visibleWindows() const;
    // Asks the window to close, as the compositor's close button does.
    bool closeWindow(const WaylandWindow &window);

    // The pointer: absolute motion to a point of the layout (logical pixels), press
    // and release of the left button. Each returns once the compositor has it.
    bool movePointer(const QPoint &point);
    bool pressButton();
    bool releaseButton();
    // A drag from `from` to `to` with a few steps between.
    bool drag(const QPoint &from, const QPoint &to);

    // Presses the keys of `chord` in order and releases them in reverse: modifiers
    // "ctrl", "shift", "alt", letters "a" .. "z", "9", "Escape", "Return".
    bool keys(const QStringList &chord);

    // What the output named `output` shows now: grim on sway, the compositor's own
    // picture through the screenshot portal elsewhere.
    QImage outputPicture(const QString &output) const;
    // What the Wayland clipboard holds as `mimeType`, read with wl-paste; empty when nothing.
    // (GNOME: through a small focused GTK window, tests/harness/wayland/clipboard_probe.py.)
    QByteArray paste(const QString &mimeType) const;
    // True when a text another client puts on the clipboard is pasted back with
    // paste(); what was pasted in `pasted`.
    bool clipboardWorks(QString *pasted = nullptr) const;

    // A picture of the whole desktop from org.freedesktop.portal.Screenshot, asked
    // without a dialog, on a bus connection of the test's own. The file the portal
    // wrote is deleted once read.
    QImage portalScreenshot(QString *failure = nullptr) const;
    // The screenshot files the portal's back end left where it writes them
    // (sway: /tmp/out.png; KDE: ~/Pictures/Screenshot_*.png; GNOME: ~/Screenshot*.png).
    QStringList portalLeftovers() const;

private:
    bool fail(const QString &why);
    bool usePrivateTmp();
    void step(const QString &name, qint64 startedMs);
    pid_t spawnHere(const QStringList &command, const QString &log);
    QString stageBusServices();
    bool startBus();
    bool startSessionBus(const QString &busName, const QString &configuration);
    bool startPortal();
    bool waitForScreenshotPortal(int timeoutMs);
    bool allowScreenshots();
    bool startPointer();
    bool sendPointer(const QByteArray &command);
    void stopBusClients();
    QString outputAt(const QRect &rect) const;

    // sway (WaylandSessionSway.cpp)
    bool startSway(const QList<WaylandOutput> &outputs);
    bool addSwayOutputs(const QList<WaylandOutput> &outputs);
    QString writeSwayConfiguration(const QList<WaylandOutput> &outputs);
    QList<WaylandWindow> swayWindows() const;
    QList<WaylandOutputState> swayOutputs() const;

    // KWin (WaylandSessionKWin.cpp)
    bool startKWin(const QList<WaylandOutput> &outputs);
    QString kwinScript(const QString &body) const;
    QList<WaylandWindow> kwinWindows() const;
    QList<WaylandOutputState> kwinOutputs() const;

    // GNOME Shell (WaylandSessionGnome.cpp)
    bool startSystemBus();
    bool startGnomeShell(const QList<WaylandOutput> &outputs);
    bool installGnomeExtension();
    bool startRemoteDesktop();
    QString gnomeEval(const QString &script, bool *ok = nullptr) const;
    QList<WaylandWindow> gnomeWindows() const;
    QList<WaylandOutputState> gnomeOutputs() const;
    bool gnomePointer(const QByteArray &command);
    bool gnomeKey(int code, bool pressed);

    bool startWallpapers(const QList<WaylandOutput> &outputs);

    Compositor m_compositor;
    QString m_root;
    QString m_swayRuntime;
    QString m_runtime;
    QString m_waylandDisplay;
    QString m_swaySocket;
    QString m_busAddress;
    QString m_systemBusAddress;
    QString m_failure;
    QStringList m_startTimes;
    QSize m_layout;
    QString m_pointerFifo;
    QString m_pointerLog;
    int m_pointerFd = -1;
    unsigned m_pointerCommands = 0;
    QList<pid_t> m_pids;          // in start order; stopped in reverse
    pid_t m_busPid = -1;
    QList<qint64> m_wallpaperPids;
    // GNOME: the RemoteDesktop session and one ScreenCast stream per output, for
    // absolute motion; the pointer's last position.
    QString m_remoteSession;
    QStringList m_monitorStreams;
    QPoint m_pointer;
    std::unique_ptr<QObject> m_probe;   // KWin: receives what the harness's scripts report
};

} // namespace vtest
