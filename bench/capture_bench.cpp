// Capture latency and memory on a private Xvfb with one and with three 1920 x 1080
// displays: the time from requestCapture to every overlay painted with its picture,
// the bare grab of the same displays in the same run, their ratio, where the time goes
// (grab, showing the windows, mapping and first paint), and the resident memory before,
// during and after a capture with the full-display pixel buffers counted.
//
//   capture_bench            runs both configurations (each in its own process)
//   capture_bench N          N displays only

#include "app/AppServices.h"
#include "app/TrayApp.h"
#include "capture/OverlayController.h"
#include "capture/OverlayWindow.h"
#include "capture/ScreenCapture.h"
#include "capture/SelectionView.h"
#include "platform/CaptureBackendLoader.h"
#include "platform/ScreenGrabBackend.h"
#include "platform/XcbShmCapture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QtGui/qguiapplication_platform.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {
constexpr int kRounds = 15;

pid_t spawnXvfb(int displays, std::string *name)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 3);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 1);
        dup2(devnull, 2);
        const std::string screen = std::to_string(1920 * displays) + "x1080x24";
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0", screen.c_str(), nullptr);
        _exit(127);
    }
    close(fds[1]);
    char buffer[32] = {};
    pollfd waiter{fds[0], POLLIN, 0};
    name->clear();
    if (poll(&waiter, 1, 20000) > 0 && read(fds[0], buffer, sizeof buffer - 1) > 0) {
        const std::string number(buffer);
        name->assign(1, ':');
        name->append(number, 0, number.find('\n'));
    }
    close(fds[0]);
    return pid;
}

bool serverAnswers(const std::string &name)
{
    xcb_connection_t *connection = xcb_connect(name.c_str(), nullptr);
    const bool answers = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return answers;
}

// A private Xvfb cut into `displays` monitors side by side. With many servers starting
// and stopping on the machine, a new server's socket can vanish under it (another
// server that had the same number before removes it on exit), so a server that does
// not answer is replaced.
pid_t startXvfb(int displays, std::string *name)
{
    pid_t pid = -1;
    for (int attempt = 0; attempt < 5; ++attempt) {
        pid = spawnXvfb(displays, name);
        if (pid > 0 && !name->empty() && serverAnswers(*name))
            break;
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }
    if (pid < 0)
        return pid;
    setenv("DISPLAY", name->c_str(), 1);
    for (int i = 0; i < displays; ++i) {
        const std::string monitor = std::string(1, char('A' + i)) + " 1920/508x1080/286+" + std::to_string(1920 * i) + "+0 "
                                    + (i == 0 ? "screen" : "none");
        const std::string command = "xrandr --setmonitor " + monitor + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "xrandr failed\n");
    }
    return pid;
}

double residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Full-display pixel buffers resident in this process: every mapping (shared-memory
// segment, anonymous mapping or the heap) counts as many buffers of `bufferBytes` as its
// resident size holds.
struct ResidentBuffers {
    int count = 0;
    double mib = 0;
};

ResidentBuffers residentBuffers(qint64 bufferBytes)
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    ResidentBuffers buffers;
    while (std::getline(smaps, line)) {
        if (line.rfind("Rss:", 0) != 0)
            continue;
        const qint64 bytes = std::stoll(line.substr(4)) * 1024;
        if (bytes >= bufferBytes) {
            buffers.count += int(bytes / bufferBytes);
            buffers.mib += bytes / (1024.0 * 1024.0);
        }
    }
    return buffers;
}

// Forwards to the session's backend and adds up the time spent grabbing.
class TimedBackend : public CaptureBackend
{
public:
    explicit TimedBackend(std::unique_ptr<CaptureBackend> inner)
        : m_inner(std::move(inner))
    {
    }
    QString name() const override { return m_inner->name(); }
    QImage grabScreen(QScreen *screen) override
    {
        QElapsedTimer timer;
        timer.start();
        QImage picture = m_inner->grabScreen(screen);
        grabMs += timer.nsecsElapsed() / 1e6;
        return picture;
    }
    void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done) override
    {
        QElapsedTimer timer;
        timer.start();
        m_inner->grabScreens(screens, [&](const QList<QImage> &pictures, const QString &failure) {
            grabMs += timer.nsecsElapsed() / 1e6;
            done(pictures, failure);
        });
    }
    double grabMs = 0;

private:
    std::unique_ptr<CaptureBackend> m_inner;
};

// Every request sent so far has been handled by the X server.
void syncWithServer()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11->connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

double bareGrabMs(CaptureBackend &backend)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        // As a capture does it: every display in one call, which a backend may pipeline.
        backend.grabScreens(QGuiApplication::screens(), [](const QList<QImage> &, const QString &) {});
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

struct CaptureTiming {
    double grab = 0;      // the grabs inside the capture
    double shown = 0;     // requestCapture returned: grabbed, prepared, windows shown
    double painted = 0;   // every overlay's paintEvent finished
    double onServer = 0;  // and the server has taken the pixels
};

CaptureTiming timeOneCapture(TrayApp &delegate, TimedBackend &backend, int overlays)
{
    int painted = 0;
    std::vector<QMetaObject::Connection> connections;
    for (int i = 0; i < overlays; ++i) {
        SelectionView *view = delegate.screenCapture->overlay(i)->window()->view();
        connections.push_back(QObject::connect(view, &SelectionView::painted, [&painted] { ++painted; }));
    }
    QElapsedTimer timer;
    timer.start();
    backend.grabMs = 0;
    delegate.requestCapture();
    CaptureTiming timing;
    timing.shown = timer.nsecsElapsed() / 1e6;
    timing.grab = backend.grabMs;
    while (painted < overlays && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (painted < overlays)
        std::fprintf(stderr, "only %d of %d overlays painted\n", painted, overlays);
    timing.painted = timer.nsecsElapsed() / 1e6;
    syncWithServer();
    timing.onServer = timer.nsecsElapsed() / 1e6;
    for (auto &connection : connections)
        QObject::disconnect(connection);
    return timing;
}

int runConfiguration(int displays, int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("TMPDIR", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    std::string display;
    const pid_t xvfb = startXvfb(displays, &display);
    if (xvfb < 0) {
        std::fprintf(stderr, "could not start an Xvfb that answers\n");
        return 1;
    }
    int status = 0;
    {
        setvbuf(stdout, nullptr, _IOLBF, 0);
        QApplication app(argc, argv);
        app.setQuitOnLastWindowClosed(false);
        const int overlays = int(QGuiApplication::screens().size());
        std::printf("\n== %d display(s) of 1920 x 1080 (Xvfb %s, %d screens seen) ==\n", displays, display.c_str(),
                    int(QGuiApplication::screens().size()));
        const double rssStart = residentMiB();

        auto shm = XcbShmCapture::create();
        ScreenGrabBackend qscreen;
        const double shmMs = shm ? bareGrabMs(*shm) : 0;
        const double qscreenMs = bareGrabMs(qscreen);
        std::printf("bare grab of all displays, median of %d: xcb-shm %.2f ms, QScreen::grabWindow %.2f ms\n", kRounds,
                    shmMs, qscreenMs);
        const bool useShm = shm != nullptr;
        auto timed = std::make_unique<TimedBackend>(useShm ? std::unique_ptr<CaptureBackend>(std::move(shm))
                                                           : std::make_unique<ScreenGrabBackend>());
        TimedBackend &backend = *timed;
        const qint64 pictureBytes = 1920LL * 1080 * 4;
        TrayApp delegate(AppServices::standard());
        delegate.screenCapture->setBackend(std::move(timed));
        const double rssBefore = residentMiB();
        const ResidentBuffers buffersBefore = residentBuffers(pictureBytes);
        const CaptureTiming first = timeOneCapture(delegate, backend, overlays);
        const double rssFirst = residentMiB();
        const ResidentBuffers buffersFirst = residentBuffers(pictureBytes);
        delegate.screenCapture->closeOverlays();
        QCoreApplication::processEvents();
        std::printf("first capture (windows created): grab %.2f ms, shown %.2f ms, painted %.2f ms, on the server %.2f ms\n",
                    first.grab, first.shown, first.painted, first.onServer);

        std::vector<double> grab, shown, painted, onServer;
        double rssClosed = 0, rssOpen = 0;
        ResidentBuffers buffersClosed, buffersOpen;
        for (int round = 0; round < kRounds; ++round) {
            rssClosed = residentMiB();
            buffersClosed = residentBuffers(pictureBytes);
            const CaptureTiming t = timeOneCapture(delegate, backend, overlays);
            rssOpen = residentMiB();
            buffersOpen = residentBuffers(pictureBytes);
            grab.push_back(t.grab);
            shown.push_back(t.shown);
            painted.push_back(t.painted);
            onServer.push_back(t.onServer);
            delegate.screenCapture->closeOverlays();
            QCoreApplication::processEvents();
        }
        const double rssAfter = residentMiB();
        const double bare = useShm ? shmMs : qscreenMs;
        const double target = 1.5 * bare + 16.0;
        std::printf("requestCapture -> every overlay painted, median of %d: %.2f ms (on the server %.2f ms)\n", kRounds,
                    median(painted), median(onServer));
        std::printf("  of which: grab %.2f ms, prepare and show the windows %.2f ms, map and first paint %.2f ms, "
                    "server takes the pixels %.2f ms\n",
                    median(grab), median(shown) - median(grab), median(painted) - median(shown),
                    median(onServer) - median(painted));
        std::printf("ratio to the bare grab (%s): %.2f; target 1.5 x grab + 16 ms = %.2f ms: %s\n",
                    useShm ? "xcb-shm" : "qscreen", median(onServer) / bare, target,
                    median(onServer) <= target ? "met" : "missed");
        const double displayMiB = displays * pictureBytes / (1024.0 * 1024);
        std::printf("resident memory: start %.1f MiB, before the first capture %.1f MiB, overlays open %.1f MiB (+%.1f; "
                    "the pictures of %d displays are %.1f MiB), after %d more captures and closing %.1f MiB\n",
                    rssStart, rssBefore, rssFirst, rssFirst - rssBefore, displays, displayMiB, kRounds, rssAfter);
        std::printf("  later capture: closed %.1f MiB, open %.1f MiB (+%.1f)\n", rssClosed, rssOpen, rssOpen - rssClosed);
        // The picture of each overlaid display is the one copy the overlay needs; every
        // other display-sized buffer is an extra copy.
        const auto extraPerDisplay = [overlays](const ResidentBuffers &b, const ResidentBuffers &base) {
            return double(b.count - base.count - overlays) / overlays;
        };
        std::printf("full-display pixel buffers resident: before %d; first capture open %d (%.1f MiB); "
                    "later capture closed %d, open %d (%.1f MiB)\n",
                    buffersBefore.count, buffersFirst.count, buffersFirst.mib, buffersClosed.count, buffersOpen.count,
                    buffersOpen.mib);
        const double extraFirst = extraPerDisplay(buffersFirst, buffersBefore);
        const double extraLater = extraPerDisplay(buffersOpen, buffersBefore);
        std::printf("extra copies per overlaid display besides its picture: first capture %.1f, later capture %.1f; "
                    "target at most 1: %s\n",
                    extraFirst, extraLater, std::max(extraFirst, extraLater) <= 1.0 ? "met" : "missed");
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    return status;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        return runConfiguration(std::atoi(argv[1]), argc, argv);
    int status = 0;
    for (const char *displays : {"1", "3"}) {
        const std::string command = std::string(argv[0]) + " " + displays;
        status |= std::system(command.c_str());
    }
    return status;
}
