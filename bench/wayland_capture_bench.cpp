// Capture request -> every overlay shown, on Wayland and on X11, measured the same way
// from outside in one run: `vornik --capture` is handed to a running Vornik, and the
// clock stops when the display server shows a full-screen Vornik window on each of
// two 1920 x 1080 displays (the compositor's window list on Wayland, xdotool's visible
// windows on X11). Escape closes them between rounds. On Wayland the line names the
// backend Vornik's capture trace reports (the compositor's own capture, or the
// screenshot portal) and, by that trace on the same clock, the request to both overlays
// painted (the window list a test can read lags behind, on KWin by a script's run).
// The lines under it time, asked by the benchmark itself between Vornik's rounds, the
// compositor's own capture call (grim on sway, ScreenShot2 per output on KWin,
// org.gnome.Shell.Screenshot on GNOME Shell) and the screenshot portal.
//
//   wayland_capture_bench [ROUNDS]     (VORNIK_BINARY, VORNIK_TEST_COMPOSITOR and the
//                                       input helpers as for the tests)

#include "tests/harness/TestEnvironment.h"
#include "tests/harness/WaylandSession.h"
#include "tests/harness/WaylandSessionSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <ctime>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {
constexpr int kDefaultRounds = 10;

// A capture call timed beside Vornik: request to pixels in memory.
struct Peer {
    QString name;
    QList<qint64> times;
    QString failure;
};

struct Figures {
    qint64 first = -1;          // Vornik starting with --capture
    QList<qint64> later;        // a running Vornik
    QString failure;
    QString backend;            // Wayland: what Vornik's capture trace says took the pictures
    QList<double> requestedAt;  // when each `vornik --capture` was started (monotonic clock, s)
    QList<qint64> grabbed;      // Wayland, from Vornik's trace: capture start to pictures,
    QList<qint64> painted;      // and request to the last overlay painted (same clock)
    QList<Peer> peers;          // Wayland: the compositor's own call and the portal
};

double monotonicSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

qint64 median(QList<qint64> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Starts or reaches Vornik with --capture and times it until `shown` holds; then
// Escape (`close`) until `closed` holds.
qint64 timeOne(QProcess &vornik, const QProcessEnvironment &environment, const std::function<bool()> &shown,
               const std::function<void()> &close, const std::function<bool()> &closed)
{
    QElapsedTimer clock;
    clock.start();
    if (vornik.state() == QProcess::NotRunning) {
        vornik.setProcessEnvironment(environment);
        vornik.setStandardOutputFile(QProcess::nullDevice());
        vornik.setStandardErrorFile(environment.value(QStringLiteral("VORNIK_BENCH_LOG"), QProcess::nullDevice()));
        vornik.start(qEnvironmentVariable("VORNIK_BINARY"), {QStringLiteral("--capture")});
    } else {
        QProcess later;
        later.setProcessEnvironment(environment);
        later.start(qEnvironmentVariable("VORNIK_BINARY"), {QStringLiteral("--capture")});
        later.waitForFinished(10000);
    }
    if (!QTest::qWaitFor(shown, 20000))
        return -1;
    const qint64 elapsed = clock.elapsed();
    close();
    return QTest::qWaitFor(closed, 10000) ? elapsed : -1;
}

// `betweenRounds` runs after each round but the first, so that what is timed beside
// Vornik meets the same load as its rounds.
Figures measure(QProcess &vornik, const QProcessEnvironment &environment, int rounds, const std::function<bool()> &shown,
                const std::function<void()> &close, const std::function<bool()> &closed,
                const std::function<void()> &betweenRounds = {})
{
    Figures figures;
    figures.requestedAt << monotonicSeconds();
    figures.first = timeOne(vornik, environment, shown, close, closed);
    for (int i = 0; i < rounds && figures.first >= 0; ++i) {
        figures.requestedAt << monotonicSeconds();
        const qint64 one = timeOne(vornik, environment, shown, close, closed);
        if (one < 0) {
            figures.failure = QStringLiteral("round %1 showed no overlays").arg(i + 1);
            break;
        }
        figures.later.append(one);
        if (betweenRounds)
            betweenRounds();
    }
    if (figures.first < 0)
        figures.failure = QStringLiteral("the first capture showed no overlays");
    vornik.terminate();
    vornik.waitForFinished(3000);
    return figures;
}

// A capture call to time beside Vornik: true when it gave a picture, else why not.
struct PeerCall {
    QString name;
    std::function<bool(QString *)> call;
};

// One more round of each call, into `peers` (a call that failed once is left out).
void timeRound(const QList<PeerCall> &calls, QList<Peer> &peers)
{
    for (int i = 0; i < calls.size(); ++i) {
        if (peers.size() <= i)
            peers << Peer{calls.at(i).name, {}, {}};
        if (!peers[i].failure.isEmpty())
            continue;
        QElapsedTimer clock;
        clock.start();
        if (calls.at(i).call(&peers[i].failure))
            peers[i].times.append(clock.elapsed());
    }
}

// Reads `bytes` from the blocking pipe end `fd`; false when it ends first.
bool readAll(int fd, qint64 bytes)
{
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    while (bytes > 0) {
        const ssize_t got = read(fd, buffer.data(), size_t(buffer.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes -= got;
    }
    return true;
}

// KWin's ScreenShot2: one CaptureArea per output, all asked at once, without the
// pointer, until every picture's last byte is read.
bool kwinScreenShots(QDBusConnection &bus, const QList<QRect> &outputs, QString *failure)
{
    QList<QDBusPendingCall> calls;
    QList<int> pipes;
    for (const QRect &area : outputs) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return false;
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("/org/kde/KWin/ScreenShot2"),
                                                           QStringLiteral("org.kde.KWin.ScreenShot2"), QStringLiteral("CaptureArea"));
        call << area.x() << area.y() << uint(area.width()) << uint(area.height())
             << QVariantMap{{QStringLiteral("include-cursor"), false}, {QStringLiteral("native-resolution"), true}}
             << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
        close(ends[1]);
        calls << bus.asyncCall(call);
        pipes << ends[0];
    }
    bool ok = true;
    for (int i = 0; i < calls.size(); ++i) {
        QDBusPendingReply<QVariantMap> reply = calls[i];
        reply.waitForFinished();
        if (reply.isError()) {
            *failure = reply.error().message();
            ok = false;
        } else {
            const QVariantMap results = reply.value();
            ok = readAll(pipes[i], qint64(results.value(QStringLiteral("stride")).toUInt()) * results.value(QStringLiteral("height")).toUInt()) && ok;
        }
        close(pipes[i]);
    }
    return ok;
}

// org.gnome.Shell.Screenshot into a PNG file, then decoded. The Shell answers only a
// few callers by bus name; the benchmark takes gnome-screenshot's.
bool gnomeShellScreenshot(QDBusConnection &bus, const QString &path, QString *failure)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Shell.Screenshot"), QStringLiteral("/org/gnome/Shell/Screenshot"),
                                                       QStringLiteral("org.gnome.Shell.Screenshot"), QStringLiteral("Screenshot"));
    call << false << false << path;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 20000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        *failure = reply.errorMessage();
        return false;
    }
    const bool read = !QImage(path).isNull();
    QFile::remove(path);
    return read;
}

// The compositor's own capture call and the portal's, asked on `bus`.
QList<PeerCall> compositorCalls(const vtest::WaylandSession &session, const QString &root, QDBusConnection &bus)
{
    const QProcessEnvironment environment = session.environment();
    QList<PeerCall> calls;
    switch (session.compositor()) {
    case vtest::Compositor::Sway:
        for (const QString &type : {QStringLiteral("png"), QStringLiteral("ppm")})
            calls << PeerCall{QStringLiteral("grim -t %1 (whole desktop, into a file)").arg(type), [=](QString *failure) {
                const QString path = root + QStringLiteral("/grim.") + type;
                const bool ok = vtest::wayland::runIn(environment, QStringLiteral("grim"), {QStringLiteral("-t"), type, path}) == 0;
                if (!ok)
                    *failure = QStringLiteral("grim failed");
                QFile::remove(path);
                return ok;
            }};
        break;
    case vtest::Compositor::KWin: {
        QList<QRect> outputs;
        for (const vtest::WaylandOutputState &output : session.outputs())
            outputs << output.rect;
        calls << PeerCall{QStringLiteral("KWin ScreenShot2, one call per output"),
                          [&bus, outputs](QString *failure) { return kwinScreenShots(bus, outputs, failure); }};
        break;
    }
    case vtest::Compositor::Gnome:
        bus.registerService(QStringLiteral("org.gnome.Screenshot"));
        calls << PeerCall{QStringLiteral("org.gnome.Shell.Screenshot (PNG file, decoded)"), [&bus, root](QString *failure) {
            return gnomeShellScreenshot(bus, root + QStringLiteral("/shell-screenshot.png"), failure);
        }};
        break;
    }
    calls << PeerCall{QStringLiteral("the screenshot portal (PNG file, decoded)"),
                      [&session](QString *failure) { return !session.portalScreenshot(failure).isNull(); }};
    return calls;
}

// From the capture trace, which stamps the steps on the same monotonic clock: each
// capture's start to its pictures, and its request to its last overlay painted (the
// first capture, Vornik starting, left out).
void stepTimes(const QString &log, Figures *figures)
{
    int capture = -1;
    double start = -1, lastPainted = -1;
    const auto close = [&] {
        if (capture >= 1 && capture < figures->requestedAt.size() && lastPainted > 0)
            figures->painted << qRound64((lastPainted - figures->requestedAt.at(capture)) * 1000);
    };
    for (const QString &line : log.split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() != 3 || fields.at(0) != QLatin1String("vornik-trace"))
            continue;
        const double at = fields.at(2).toDouble();
        if (fields.at(1) == QLatin1String("capture-start")) {
            close();
            ++capture;
            start = at;
            lastPainted = -1;
        } else if (fields.at(1) == QLatin1String("grabbed") && capture >= 1) {
            figures->grabbed << qRound64((at - start) * 1000);
        } else if (fields.at(1) == QLatin1String("painted")) {
            lastPainted = at;
        }
    }
    close();
}

// Which backend took the pictures, from the capture trace's "grabbed-by-" lines.
QString backendIn(const QString &log)
{
    QStringList backends;
    static const QRegularExpression step(QStringLiteral("vornik-trace grabbed-by-(\\S+)"));
    for (auto match = step.globalMatch(log); match.hasNext();) {
        const QString name = match.next().captured(1);
        if (!backends.contains(name))
            backends << name;
    }
    return backends.isEmpty() ? QStringLiteral("portal") : backends.join(QLatin1Char('+'));
}

Figures measureWayland(const QString &root, int rounds)
{
    // The session sees only its own folder of the root under its private /tmp: the home,
    // data, cache and settings folders of its programs go in it (KWin reads the desktop
    // entries, GNOME's portal writes its pictures and keeps its permissions there).
    for (const char *variable : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
        const QString folder = root + QStringLiteral("/wayland/") + QString::fromLatin1(variable).toLower();
        QDir().mkpath(folder);
        qputenv(variable, QFile::encodeName(folder));
    }
    vtest::wayland::grantKWinScreenshots(qEnvironmentVariable("VORNIK_BINARY"));
    vtest::wayland::grantKWinScreenshots(QCoreApplication::applicationFilePath());
    vtest::WaylandSession session(root + QStringLiteral("/wayland"), {{QSize(1920, 1080), {}}, {QSize(1920, 1080), {}}});
    if (!session.isRunning()) {
        Figures failed;
        failed.failure = session.failure();
        return failed;
    }
    QProcessEnvironment environment = session.environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/wayland/vornik-config"));
    environment.insert(QStringLiteral("VORNIK_CAPTURE_TRACE"), QStringLiteral("1"));
    const QString log = root + QStringLiteral("/wayland/vornik.log");
    environment.insert(QStringLiteral("VORNIK_BENCH_LOG"), log);
    QProcess vornik;
    const auto windows = [&] {
        int overlays = 0;
        for (const vtest::WaylandWindow &window : session.visibleWindows())
            overlays += window.pid == vornik.processId() && window.fullscreen;
        return overlays;
    };
    // The compositor's own call and the portal, one round of each after each of Vornik's.
    QDBusConnection bus = QDBusConnection::connectToBus(session.busAddress(), QStringLiteral("bench-peers"));
    const QList<PeerCall> calls = compositorCalls(session, root, bus);
    QList<Peer> peers;
    Figures figures = measure(vornik, environment, rounds, [&] { return windows() == 2; },
                              [&] { session.keys({QStringLiteral("Escape")}); },
                              [&] { return windows() == 0; }, [&] { timeRound(calls, peers); });
    figures.peers = peers;
    QFile trace(log);
    const QString traced = trace.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(trace.readAll()) : QString();
    figures.backend = backendIn(traced);
    stepTimes(traced, &figures);
    QDBusConnection::disconnectFromBus(QStringLiteral("bench-peers"));
    return figures;
}

Figures measureX11(const QString &root, int rounds)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/x11-config"));
    const auto visible = [&] {
        QString found;
        vtest::run({QStringLiteral("xdotool"), QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"), QStringLiteral("^Vornik$")}, &found);
        return int(found.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
    };
    QProcess vornik;
    return measure(vornik, environment, rounds, [&] { return visible() == 2; },
                   [&] { vtest::run({QStringLiteral("xdotool"), QStringLiteral("key"), QStringLiteral("Escape")}); },
                   [&] { return visible() == 0; });
}

void print(const QString &name, const Figures &figures)
{
    if (!figures.failure.isEmpty()) {
        std::printf("%-56s failed: %s\n", qPrintable(name), qPrintable(figures.failure));
        return;
    }
    const auto [low, high] = std::minmax_element(figures.later.cbegin(), figures.later.cend());
    std::printf("%-56s first %5lld ms   then median %5lld ms (min %lld, max %lld, %lld rounds)\n", qPrintable(name),
                figures.first, median(figures.later), *low, *high, qint64(figures.later.size()));
    if (!figures.painted.isEmpty())
        std::printf("%-56s median %5lld ms   (capture start to pictures %lld ms)\n",
                    "  request -> both overlays painted, by Vornik's trace", median(figures.painted), median(figures.grabbed));
    for (const Peer &peer : figures.peers) {
        const QString label = QStringLiteral("  beside it: ") + peer.name;
        if (peer.times.isEmpty()) {
            std::printf("%-56s failed: %s\n", qPrintable(label), qPrintable(peer.failure));
            continue;
        }
        const double peerMs = std::max<qint64>(1, median(peer.times));
        std::printf("%-56s median %5lld ms   (Vornik %.2f x seen from outside, %.2f x by its trace)\n", qPrintable(label),
                    median(peer.times), median(figures.later) / peerMs, median(figures.painted) / peerMs);
    }
}
} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    vtest::TestEnvironment environment(vtest::EnvironmentOptions{
        .x11 = true, .framebuffer = QSize(3840, 1080), .monitors = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)}});
    QCoreApplication app(argc, argv);
    std::printf("capture request -> every overlay shown, two 1920 x 1080 displays, %d rounds\n", rounds);
    const Figures x11 = measureX11(environment.root(), rounds);
    const Figures wayland = measureWayland(environment.root(), rounds);
    print(QStringLiteral("X11 (Xvfb, MIT-SHM grab)"), x11);
    print(QStringLiteral("Wayland (headless %1, %2)").arg(vtest::compositorName(vtest::compositorUnderTest()), wayland.backend), wayland);
    return x11.failure.isEmpty() && wayland.failure.isEmpty() ? 0 : 1;
}
