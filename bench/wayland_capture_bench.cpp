// Capture request -> every overlay shown, on Wayland and on X11, measured the same way
// from outside in one run: `vornik --capture` is handed to a running Vornik, and the
// clock stops when the display server shows a full-screen Vornik window on each of
// two 1920 x 1080 displays (sway's tree on Wayland, xdotool's visible windows on X11).
// Escape closes them between rounds. The floor printed under the Wayland line is the
// screenshot portal alone, asked by the benchmark itself for the same picture. On Wayland the pictures come from the real
// screenshot portal (xdg-desktop-portal-wlr, which runs grim); on X11 from MIT-SHM.
//
//   wayland_capture_bench [ROUNDS]     (VORNIK_BINARY and VORNIK_TEST_VPTR as for the tests)

#include "tests/harness/TestEnvironment.h"
#include "tests/harness/WaylandSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
constexpr int kDefaultRounds = 10;

struct Figures {
    qint64 first = -1;          // Vornik starting with --capture
    QList<qint64> later;        // a running Vornik
    QString failure;
    QList<qint64> floor;        // the screenshot portal alone (request to picture decoded), Wayland only
};

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
        vornik.setStandardErrorFile(QProcess::nullDevice());
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

Figures measure(QProcess &vornik, const QProcessEnvironment &environment, int rounds, const std::function<bool()> &shown,
                const std::function<void()> &close, const std::function<bool()> &closed)
{
    Figures figures;
    figures.first = timeOne(vornik, environment, shown, close, closed);
    for (int i = 0; i < rounds && figures.first >= 0; ++i) {
        const qint64 one = timeOne(vornik, environment, shown, close, closed);
        if (one < 0) {
            figures.failure = QStringLiteral("round %1 showed no overlays").arg(i + 1);
            break;
        }
        figures.later.append(one);
    }
    if (figures.first < 0)
        figures.failure = QStringLiteral("the first capture showed no overlays");
    vornik.terminate();
    vornik.waitForFinished(3000);
    return figures;
}

Figures measureWayland(const QString &root, int rounds)
{
    vtest::WaylandSession session(root + QStringLiteral("/wayland"), {{QSize(1920, 1080), {}}, {QSize(1920, 1080), {}}});
    if (!session.isRunning()) {
        Figures failed;
        failed.failure = session.failure();
        return failed;
    }
    QProcessEnvironment environment = session.environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/wayland-config"));
    QProcess vornik;
    const auto windows = [&] {
        int overlays = 0;
        for (const vtest::WaylandWindow &window : session.visibleWindows())
            overlays += window.pid == vornik.processId() && window.fullscreen;
        return overlays;
    };
    Figures figures = measure(vornik, environment, rounds, [&] { return windows() == 2; },
                              [&] { session.keys({QStringLiteral("Escape")}); },
                              [&] { return windows() == 0; });
    // The floor: what the portal itself takes for the same picture, asked by this process.
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (!session.portalScreenshot().isNull())
            figures.floor.append(clock.elapsed());
    }
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

void print(const char *name, const Figures &figures)
{
    if (!figures.failure.isEmpty()) {
        std::printf("%-44s failed: %s\n", name, qPrintable(figures.failure));
        return;
    }
    const auto [low, high] = std::minmax_element(figures.later.cbegin(), figures.later.cend());
    std::printf("%-44s first %5lld ms   then median %5lld ms (min %lld, max %lld, %lld rounds)\n", name,
                figures.first, median(figures.later), *low, *high, qint64(figures.later.size()));
    if (!figures.floor.isEmpty())
        std::printf("%-44s median %5lld ms\n", "  floor: the screenshot portal alone", median(figures.floor));
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
    print("X11 (Xvfb, MIT-SHM grab)", x11);
    print("Wayland (headless sway, screenshot portal)", wayland);
    return x11.failure.isEmpty() && wayland.failure.isEmpty() ? 0 : 1;
}
