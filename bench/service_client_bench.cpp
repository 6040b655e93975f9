// Figures for the sharing-service client: reading a long history reply, building an
// upload form for a full-HD screenshot, and (when a vornik-server binary is given)
// uploads through the client's queued chains against a local server.
//
//   service_client_bench [path/to/vornik-server]
//
// Prints one line per figure; no pass/fail.
#include "service/HistoryReply.h"
#include "service/MultipartForm.h"
#include "service/ShareClient.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QDeadlineTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Runs the event loop until `condition` holds or `timeoutMs` passes.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0;
    return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

template <typename Work>
std::vector<double> timeRuns(int runs, Work work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return ms;
}

QString historyReply(int entries)
{
    QString body = QStringLiteral("{");
    const qint64 start = 1700000000000;
    for (int i = 0; i < entries; ++i) {
        if (i)
            body += QLatin1Char(',');
        body += QStringLiteral("\"%1\":\"n%2Ab\"").arg(start + qint64(i) * 61000).arg(i, 8, 10, QLatin1Char('0'));
    }
    return body + QLatin1Char('}');
}

// A busy 1920 x 1080 picture, so the PNG is as large as a real screenshot's.
QByteArray screenshotPng()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    auto *random = QRandomGenerator::global();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = (x / 40 + y / 40) % 3 ? qRgb(x % 256, y % 256, 128) : random->generate();
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void benchUploads(const QString &serverBinary, const QString &pngPath)
{
    QTemporaryDir data;
    const int port = freePort();
    const QString host = QStringLiteral("127.0.0.1:%1").arg(port);
    QProcess server;
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start(serverBinary, {QStringLiteral("--data"), data.path(), QStringLiteral("--listen"), host,
                                QStringLiteral("--public-url"), QStringLiteral("http://%1/").arg(host)});
    const bool up = waitFor([&] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(port));
        return probe.waitForConnected(100);
    }, 20000);
    if (!up) {
        std::printf("uploads: vornik-server did not start\n");
        return;
    }
    qputenv("VORNIK_SERVICE_URL", QStringLiteral("http://%1/").arg(host).toUtf8());

    // One at a time: the latency of a whole chain (salt, then the POST).
    constexpr int kSequential = 40;
    std::vector<double> latencies;
    for (int i = 0; i < kSequential; ++i) {
        QElapsedTimer timer;
        timer.start();
        bool done = false;
        ShareClient::uploadFile(pngPath, [&](const ShareReply &) { done = true; });
        waitFor([&] { return done; }, 30000);
        latencies.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("upload chain latency (%d sequential, PNG %lld bytes): median %.1f ms, p99 %.1f ms\n", kSequential,
                QFile(pngPath).size(), median(latencies), percentile(latencies, 0.99));

    // Started all at once: the chains queue, so this is the client's throughput.
    constexpr int kQueued = 40;
    int finished = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kQueued; ++i)
        ShareClient::uploadFile(pngPath, [&](const ShareReply &) { ++finished; });
    waitFor([&] { return finished == kQueued; }, 120000);
    std::printf("queued uploads: %d in %.0f ms, %.1f uploads/s\n", finished, double(timer.elapsed()),
                finished * 1000.0 / double(std::max<qint64>(1, timer.elapsed())));

    std::vector<double> historyMs;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer historyTimer;
        historyTimer.start();
        bool done = false;
        ShareClient::fetchAllHistory([&](const ShareReply &) { done = true; });
        waitFor([&] { return done; }, 30000);
        historyMs.push_back(double(historyTimer.nsecsElapsed()) / 1e6);
    }
    std::printf("history chain (%d uploads listed): median %.1f ms\n", kSequential + kQueued, median(historyMs));
    server.terminate();
    server.waitForFinished(5000);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());

    const QString reply = historyReply(10000);
    const QString base = QStringLiteral("https://localhost:8443/");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    size_t count = 0;
    const auto parseMs = timeRuns(15, [&] { count = parseHistoryReply(reply, base, english, QTimeZone::utc()).size(); });
    std::printf("parse history reply: %zu entries, %lld chars: median %.2f ms\n", count, qint64(reply.size()),
                median(parseMs));

    const auto tokenMs = timeRuns(15, [] {
        for (int i = 0; i < 10000; ++i)
            ShareClient::tokenForSalt(QByteArray::number(i));
    });
    std::printf("token: median %.3f us each\n", median(tokenMs) * 1000.0 / 10000.0);

    const QByteArray png = screenshotPng();
    const auto formMs = timeRuns(15, [&] {
        MultipartForm form;
        form.addText("name", "userid");
        form.addText(ShareClient::userIDFieldName(), "0123456789abcdef0123456789abcdef");
        form.addFile("filename", "shot.png", "image/png", png);
        count = size_t(form.body().size());
    });
    std::printf("upload form for a 1920x1080 PNG (%lld bytes): %zu bytes, median %.2f ms\n", qint64(png.size()), count,
                median(formMs));

    const QString serverBinary = argc > 1 ? QString::fromLocal8Bit(argv[1]) : qEnvironmentVariable("VORNIK_SERVER_BINARY");
    if (serverBinary.isEmpty()) {
        std::printf("uploads: skipped (give the vornik-server binary as the argument)\n");
        return 0;
    }
    const QString pngPath = home.path() + QStringLiteral("/shot.png");
    QFile file(pngPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size())
        return 1;
    file.close();
    benchUploads(serverBinary, pngPath);
    return 0;
}
