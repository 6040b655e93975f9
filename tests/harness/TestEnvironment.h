#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>
#include <sys/types.h>

// What a test process needs around it, started before QApplication exists and
// stopped (by process id) when the test ends:
//   - its own folders: XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR
//     and TMPDIR all point under one fresh temporary root;
//   - optionally its own Xvfb, cut into several monitors with RandR;
//   - optionally its own D-Bus session bus.
// Without X11 the test runs on Qt's offscreen platform.
namespace vtest {

// A screen of Qt's offscreen platform: its rectangle in logical pixels and its ratio.
struct OffscreenScreen {
    QRect geometry;
    qreal ratio = 1;
};

struct EnvironmentOptions {
    bool x11 = false;            // start Xvfb and use the xcb platform
    QSize framebuffer{1920, 1080};
    QList<QRect> monitors{};     // empty: one monitor covering the framebuffer
    bool dbus = true;            // start a private session bus
    QList<OffscreenScreen> offscreenScreens{};  // without X11: the screens (empty: Qt's one)
};

class TestEnvironment
{
public:
    explicit TestEnvironment(const EnvironmentOptions &options = {});
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

    // The environment of the running test, or nullptr.
    static TestEnvironment *current();

    QString root() const { return m_root; }            // the temporary root folder
    QString display() const { return m_display; }      // ":N", empty without X11
    QString busAddress() const { return m_busAddress; }
    // The only folder the test's bus activates services from (.service files).
    QString serviceFolder() const { return m_root + QStringLiteral("/dbus-services"); }
    pid_t xvfbPid() const { return m_xvfbPid; }
    // Runs `step` first when the environment goes away (newest first), while the
    // folders are still there: for servers that the test shares between its cases.
    void atTeardown(std::function<void()> step) { m_teardown.push_back(std::move(step)); }

private:
    void makeFolders();
    void startXvfb(const EnvironmentOptions &options);
    void startBus();
    QString writeBusConfiguration();
    void useOffscreen(const QList<OffscreenScreen> &screens);

    QString m_root;
    QString m_display;
    QString m_busAddress;
    pid_t m_xvfbPid = -1;
    pid_t m_busPid = -1;
    std::vector<std::function<void()>> m_teardown;
};

// The configuration of a session bus that listens at `listen` (a D-Bus address such as
// "unix:dir=/x") and activates services only from `serviceFolder`, never the system's.
QString busConfiguration(const QString &listen, const QString &serviceFolder);

// Starts a program with stdout and stderr sent to `logFile` (or /dev/null when empty).
// The child is killed if the test process dies. Returns the pid, or -1.
pid_t spawn(const QStringList &command, const QString &logFile = QString());

// Runs a program to completion and returns its exit status (-1 when it could not run).
int run(const QStringList &command, QString *output = nullptr);

// Runs a program to completion with its stdout and stderr apart, byte for byte;
// returns its exit status (-1 when it could not run or took over `timeoutMs`).
int runKeepingOutput(const QStringList &command, QByteArray *out, QByteArray *err, int timeoutMs = 60000);

// Ends a process that is not our child (a program started one in the background):
// SIGTERM, then SIGKILL if it is still there after `timeoutMs`.
void stopUnrelated(pid_t pid, int timeoutMs = 3000);

// Sends SIGTERM, waits up to `timeoutMs`, then SIGKILL. Safe to call with -1.
// Returns true when the process ended by itself with exit status 0.
bool stop(pid_t pid, int timeoutMs = 3000);

// Whether `program` is on PATH.
bool haveProgram(const QString &program);

// A TCP port on 127.0.0.1 that was free a moment ago.
int freeLoopbackPort();

} // namespace vtest
