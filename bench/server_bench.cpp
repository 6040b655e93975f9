// Throughput and latency of vornik-server over loopback HTTPS, as Vornik uses it:
// a salt, then the upload form. Prints uploads per second with the median and
// 99th-percentile upload latency for full-screen PNGs from concurrent clients,
// then raw/ reads beside nginx, a client's latency while 2,000 slow connections are
// open and while 10,045 connections from 41 addresses announce a body and send
// nothing, and the history latency for one user with 10,000 uploads.
//
// With --compare BINARY the uploads are measured against an earlier server too, in
// the same run; raw/NAME.png reads are measured beside Debian's nginx serving the
// same file with the same certificate.
//
//   server_bench [--clients N] [--uploads N] [--history-size N] [--reads N] [--compare BINARY]
// The server binary is VORNIK_SERVER_BINARY, or ../server/vornik-server beside
// this program in the build tree.

#include "bench/ServerBenchTools.h"
#include "service/Protocol.h"
#include "tests/server/LoopbackSocket.h"
#include "tests/server/PngVariants.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using benchtools::md5;
using benchtools::percentile;
using benchtools::uploadForm;
using Clock = std::chrono::steady_clock;

struct Settings {
    int clients = 8;
    int uploads = 200;
    int historySize = 10000;
    int historyRequests = 200;
    int reads = 4000;
    QString compareBinary;  // an earlier vornik-server to measure the same uploads against
};

class BenchServer
{
    static bool helpMentions(const QString &binary, const char *option)
    {
        QProcess help;
        help.start(binary, {QStringLiteral("--help")});
        return help.waitForFinished(10000) && help.readAllStandardOutput().contains(option);
    }

public:
    // `tls`: over HTTPS, as Vornik uses it; plain HTTP for the floods, whose cost
    // would otherwise be the benchmark's own handshakes.
    bool start(const QString &binary, bool tls = true)
    {
        m_tls = tls;
        m_port = freePort();
        const QString cert = m_folder.filePath(QStringLiteral("localhost.crt"));
        const QString key = m_folder.filePath(QStringLiteral("localhost.key"));
        if (QProcess::execute(QStringLiteral("openssl"),
                              {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                               QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                               QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                               QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                               QStringLiteral("-keyout"), key, QStringLiteral("-out"), cert})
            != 0)
            return false;
        m_cert = cert.toStdString();
        const QString host = QStringLiteral("127.0.0.1:%1").arg(m_port);
        m_process.setProgram(binary);
        QStringList arguments{QStringLiteral("--data"), m_folder.filePath(QStringLiteral("data")), QStringLiteral("--listen"), host,
                              QStringLiteral("--public-url"), QString::fromLatin1(tls ? "https://" : "http://") + host + QLatin1Char('/')};
        if (tls)
            arguments << QStringLiteral("--cert") << cert << QStringLiteral("--key") << key;
        // Every request comes from one address here: lift the per-address limit
        // where the server has one (an older binary compared against may not).
        if (helpMentions(binary, "--rate-limit"))
            arguments << QStringLiteral("--rate-limit") << QStringLiteral("0");
        m_process.setArguments(arguments);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(m_folder.filePath(QStringLiteral("server.log")));
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        for (int attempt = 0; attempt < 400; ++attempt) {
            auto probe = client();
            if (probe->Get("/salt/"))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    ~BenchServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    std::unique_ptr<httplib::Client> client() const { return clientFor(m_port); }

    std::unique_ptr<httplib::Client> clientFor(int port) const
    {
        auto made = std::make_unique<httplib::Client>((m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port));
        made->set_keep_alive(true);
        made->set_ca_cert_path(m_cert);
        made->enable_server_certificate_verification(true);
        made->set_read_timeout(60, 0);
        made->set_write_timeout(60, 0);
        return made;
    }

    int port() const { return m_port; }
    QString certFile() const { return QString::fromStdString(m_cert); }
    QString keyFile() const { return m_folder.filePath(QStringLiteral("localhost.key")); }
    QString imagesFolder() const { return m_folder.filePath(QStringLiteral("data/images")); }

    static int freePort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort();
    }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    std::string m_cert;
    int m_port = 0;
    bool m_tls = true;
};

// Debian's nginx serving the server's image folder at /raw/ over HTTPS with the same
// certificate, as a floor for serving files from disk.
class NginxServer
{
public:
    bool start(const BenchServer &server)
    {
        port = BenchServer::freePort();
        const QString prefix = m_folder.path();
        const QString config = QStringLiteral(
            "user root; worker_processes 2; pid %1/nginx.pid; error_log %1/error.log; daemon off;\n"
            "events { worker_connections 1024; }\n"
            "http { access_log off; sendfile on; client_body_temp_path %1; proxy_temp_path %1;\n"
            "  fastcgi_temp_path %1; uwsgi_temp_path %1; scgi_temp_path %1; keepalive_requests 100000;\n"
            "  server { listen 127.0.0.1:%2 ssl; ssl_certificate %3; ssl_certificate_key %4;\n"
            "    location /raw/ { alias %5/; } } }\n")
                                   .arg(prefix).arg(port).arg(server.certFile(), server.keyFile(), server.imagesFolder());
        QFile file(prefix + QStringLiteral("/nginx.conf"));
        if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
            return false;
        file.close();
        m_process.setProgram(QStringLiteral("nginx"));
        m_process.setArguments({QStringLiteral("-p"), prefix, QStringLiteral("-c"), file.fileName()});
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(prefix + QStringLiteral("/stderr.log"));
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        for (int attempt = 0; attempt < 200; ++attempt) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, quint16(port));
            if (probe.waitForConnected(100))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    ~NginxServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    int port = 0;

private:
    QTemporaryDir m_folder;
    QProcess m_process;
};

std::string token(httplib::Client &client)
{
    const auto salt = client.Get("/salt/");
    return salt ? md5(salt->body + std::string(vornik::protocol::sharedKey)) : std::string();
}

// Uploads `total` images from `clients` threads; returns each upload's latency in
// milliseconds (salt and form together) and the wall time in seconds.
std::pair<std::vector<double>, double> uploadMany(const BenchServer &server, int clients, int total,
                                                  const std::function<std::string(int, int)> &pngFor,
                                                  const std::function<std::string(int)> &uidFor, int *failures)
{
    std::vector<double> latencies;
    std::mutex lock;
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    const auto started = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            auto client = server.client();
            const std::string uid = uidFor(c);
            for (int i = next++; i < total; i = next++) {
                const std::string body = uploadForm(uid, pngFor(c, i));
                const auto begin = Clock::now();
                const auto reply = client->Post(("/upload/" + token(*client)).c_str(), body,
                                                "multipart/form-data; boundary=bench-boundary");
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
                if (!reply || reply->status != 200)
                    ++failed;
                std::lock_guard guard(lock);
                latencies.push_back(ms);
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    *failures = failed;
    return {latencies, std::chrono::duration<double>(Clock::now() - started).count()};
}

// Reads `path` `total` times from `clients` threads with kept-alive connections:
// requests per second and the 99th-percentile latency in milliseconds.
std::pair<double, double> readRate(const BenchServer &server, int port, const std::string &path, int clients, int total,
                                   size_t expectedBytes, int *failures)
{
    std::vector<double> latencies;
    std::mutex lock;
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    const auto started = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            auto client = server.clientFor(port);
            std::vector<double> own;
            for (int i = next++; i < total; i = next++) {
                const auto begin = Clock::now();
                const auto reply = client->Get(path.c_str());
                own.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
                if (!reply || reply->status != 200 || reply->body.size() != expectedBytes)
                    ++failed;
            }
            std::lock_guard guard(lock);
            latencies.insert(latencies.end(), own.begin(), own.end());
        });
    }
    for (auto &thread : threads)
        thread.join();
    *failures += failed;
    return {double(total) / std::chrono::duration<double>(Clock::now() - started).count(), percentile(latencies, 0.99)};
}

// Latencies of a normal client's salt requests, each on a fresh TLS connection,
// while `slow` connections from other addresses have each sent one byte of their
// headers and then nothing. Returns the latencies and how many slow ones opened.
std::pair<std::vector<double>, int> latencyBesideSlowClients(const BenchServer &server, int slow, int requests)
{
    std::vector<int> sockets;
    for (int i = 0; i < slow; ++i) {
        // 250 from each address, under the server's cap per address.
        const std::string source = "127.0.1." + std::to_string(2 + i / 250);
        const int fd = loopback::connectFrom(server.port(), source.c_str());
        if (fd < 0)
            break;
        if (send(fd, "G", 1, MSG_NOSIGNAL) == 1)
            sockets.push_back(fd);
        else
            close(fd);
    }
    std::vector<double> latencies;
    for (int i = 0; i < requests; ++i) {
        auto client = server.client();
        const auto begin = Clock::now();
        const auto reply = client->Get("/salt/");
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
        if (!reply || reply->status != 200)
            latencies.back() = 1e9;
    }
    for (int fd : sockets)
        close(fd);
    return {latencies, int(sockets.size())};
}

// What a normal client meets while `flood` connections from 41 addresses (under
// the cap per address) each announce a 26 MiB upload and then send nothing: its
// salt requests, one every 100 ms on a fresh connection, during the flood and for
// two seconds after; then how long the server keeps the flood's connections.
struct FloodFigures {
    std::vector<double> arriving;  // latencies (ms) of the answered requests while the flood connects
    std::vector<double> arrived;   // and in the two seconds after
    int asked = 0;
    int opened = 0;
    double openingSeconds = 0;
    double closedAfterSeconds = -1;  // until the server had closed them all; -1: not within 60 s
    int stillOpen = 0;
};

FloodFigures idleBodyFlood(const BenchServer &server, int flood)
{
    FloodFigures figures;
    const std::string head = "POST /upload/" + token(*server.client())
                           + " HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=b\r\n"
                             "Content-Length: 27262976\r\n\r\n";
    std::atomic<bool> flooding = true;
    std::atomic<bool> connecting = true;
    std::thread normal([&] {
        while (flooding) {
            auto client = server.client();
            client->set_keep_alive(false);
            client->set_connection_timeout(5, 0);
            client->set_read_timeout(5, 0);
            const bool during = connecting;
            const auto begin = Clock::now();
            const auto reply = client->Get("/salt/");
            ++figures.asked;
            if (reply && reply->status == 200)
                (during ? figures.arriving : figures.arrived)
                    .push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    std::vector<int> sockets;
    const auto begin = Clock::now();
    for (int i = 0; i < flood; ++i) {
        const std::string source = "127.0.2." + std::to_string(1 + i % 41);
        const int fd = loopback::connectFrom(server.port(), source.c_str());
        if (fd < 0)
            continue;
        send(fd, head.data(), head.size(), MSG_NOSIGNAL);
        sockets.push_back(fd);
    }
    connecting = false;
    figures.opened = int(sockets.size());
    figures.openingSeconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    flooding = false;
    normal.join();
    // Closed by the server: readable with nothing to read (or reset).
    const auto closedByServer = [](int fd) {
        char byte;
        const ssize_t got = recv(fd, &byte, 1, MSG_DONTWAIT);
        return got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    };
    while (std::chrono::duration<double>(Clock::now() - begin).count() < 60) {
        figures.stillOpen = int(std::count_if(sockets.begin(), sockets.end(), [&](int fd) { return !closedByServer(fd); }));
        if (figures.stillOpen == 0) {
            figures.closedAfterSeconds = std::chrono::duration<double>(Clock::now() - begin).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    for (int fd : sockets)
        close(fd);
    return figures;
}

void reportFlood(const FloodFigures &figures, const char *label)
{
    const auto worst = [](const std::vector<double> &latencies) {
        return latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end());
    };
    std::printf("normal client during an idle-body flood (%s): %d connections from 41 addresses opened in %.1f s; "
                "%zu of %d salts answered\n",
                label, figures.opened, figures.openingSeconds, figures.arriving.size() + figures.arrived.size(),
                figures.asked);
    std::printf("  while they connect: %zu answered, median %.1f ms, worst %.1f ms; after: %zu answered, median %.1f ms, "
                "worst %.1f ms (target: 100 ms)\n",
                figures.arriving.size(), percentile(figures.arriving, 0.5), worst(figures.arriving), figures.arrived.size(),
                percentile(figures.arrived, 0.5), worst(figures.arrived));
    if (figures.closedAfterSeconds >= 0)
        std::printf("  the server closed them all %.1f s after the flood began\n", figures.closedAfterSeconds);
    else
        std::printf("  %d still open 60 s after the flood began\n", figures.stillOpen);
}

std::vector<double> historyLatencies(const BenchServer &server, const std::string &uid, int requests, bool shortList,
                                     size_t *bytes)
{
    auto client = server.client();
    std::vector<double> latencies;
    for (int i = 0; i < requests; ++i) {
        const std::string path = "/history/" + token(*client) + "/" + uid + (shortList ? "/10" : "");
        const auto begin = Clock::now();
        const auto reply = client->Get(path.c_str());
        latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
        if (reply)
            *bytes = reply->body.size();
    }
    return latencies;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Settings settings;
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = arguments.at(i + 1).toInt();
        if (arguments.at(i) == QLatin1String("--clients")) settings.clients = std::max(1, value);
        else if (arguments.at(i) == QLatin1String("--uploads")) settings.uploads = std::max(1, value);
        else if (arguments.at(i) == QLatin1String("--history-size")) settings.historySize = std::max(1, value);
        else if (arguments.at(i) == QLatin1String("--reads")) settings.reads = std::max(1, value);
        else if (arguments.at(i) == QLatin1String("--compare")) settings.compareBinary = arguments.at(i + 1);
    }
    QString binary = qEnvironmentVariable("VORNIK_SERVER_BINARY");
    if (binary.isEmpty())
        binary = QCoreApplication::applicationDirPath() + QStringLiteral("/../server/vornik-server");
    BenchServer server;
    if (!QFile::exists(binary) || !server.start(binary)) {
        std::fprintf(stderr, "server_bench: could not start %s\n", qPrintable(binary));
        return 1;
    }

    // Full-screen uploads from concurrent clients, one user each.
    std::vector<std::string> pictures;
    for (int c = 0; c < settings.clients; ++c)
        pictures.push_back(pngvariants::screenLikePng(c + 1));
    std::vector<std::string> variants(size_t(settings.uploads));
    for (int i = 0; i < settings.uploads; ++i)
        variants[size_t(i)] = pngvariants::labelled(pictures[size_t(i % settings.clients)], "upload " + std::to_string(i));
    int failures = 0;
    const auto reportUploads = [&](const BenchServer &target, const char *label) {
        const auto [latencies, seconds] = uploadMany(
            target, settings.clients, settings.uploads, [&](int, int i) { return variants[size_t(i)]; },
            [](int c) { return md5("bench user " + std::to_string(c)); }, &failures);
        std::printf("full-screen uploads (%s): %d from %d clients, %.0f KiB average PNG, %d failed\n", label,
                    settings.uploads, settings.clients, double(variants[0].size()) / 1024.0, failures);
        std::printf("  uploads per second: %.1f\n", double(settings.uploads) / seconds);
        std::printf("  upload latency (salt + form): median %.1f ms, p99 %.1f ms\n", percentile(latencies, 0.5),
                    percentile(latencies, 0.99));
    };
    // One uploaded full-screen image read back raw: reads per second and p99.
    const auto uploadedForReading = [&](const BenchServer &target) {
        auto client = target.client();
        const auto reply = client->Post(("/upload/" + token(*client)).c_str(), uploadForm(md5("reader"), variants[0]),
                                        "multipart/form-data; boundary=bench-boundary");
        const std::string link = reply ? reply->body : std::string();
        return link.substr(link.rfind('/') + 1);
    };
    const auto measureReads = [&](const BenchServer &target, int port, const std::string &prefix) {
        return readRate(target, port, prefix + uploadedForReading(target), settings.clients, settings.reads,
                        variants[0].size(), &failures);
    };
    const char *readsLine = "raw/NAME.png reads (%s), %d clients, %.0f KiB: %.0f per second, p99 %.2f ms\n";
    reportUploads(server, "this build");
    if (!settings.compareBinary.isEmpty()) {
        BenchServer before;
        if (!before.start(settings.compareBinary)) {
            std::fprintf(stderr, "server_bench: could not start %s\n", qPrintable(settings.compareBinary));
            return 1;
        }
        reportUploads(before, qPrintable(settings.compareBinary));
        const auto rate = measureReads(before, before.port(), "/raw/");
        std::printf(readsLine, qPrintable(settings.compareBinary), settings.clients, double(variants[0].size()) / 1024.0,
                    rate.first, rate.second);
    }

    // Beside nginx serving the same file from the same folder with the same certificate.
    NginxServer nginx;
    if (!nginx.start(server)) {
        std::fprintf(stderr, "server_bench: nginx did not start\n");
        return 1;
    }
    // Alternating rounds, so that a change in the machine's load between the two
    // falls on both; the ratio is taken per round, then its median.
    constexpr int rounds = 5;
    std::vector<double> ourRates, nginxRates, ourP99, nginxP99, ratios;
    Settings perRound = settings;
    perRound.reads = std::max(1, settings.reads / rounds);
    for (int round = 0; round < rounds; ++round) {
        const auto ours = readRate(server, server.port(), "/raw/" + uploadedForReading(server), perRound.clients,
                                   perRound.reads, variants[0].size(), &failures);
        const auto floor = readRate(server, nginx.port, "/raw/" + uploadedForReading(server), perRound.clients,
                                    perRound.reads, variants[0].size(), &failures);
        ourRates.push_back(ours.first), ourP99.push_back(ours.second);
        nginxRates.push_back(floor.first), nginxP99.push_back(floor.second);
        ratios.push_back(ours.first / floor.first);
    }
    std::printf(readsLine, "this build", settings.clients, double(variants[0].size()) / 1024.0, percentile(ourRates, 0.5),
                percentile(ourP99, 0.5));
    std::printf(readsLine, "nginx", settings.clients, double(variants[0].size()) / 1024.0, percentile(nginxRates, 0.5),
                percentile(nginxP99, 0.5));
    std::printf("  this build / nginx: %.2f (median of %d alternating rounds; lowest %.2f, highest %.2f)\n",
                percentile(ratios, 0.5), rounds, *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));

    // A normal client while 2,000 connections trickle their headers.
    {
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8192);
        setrlimit(RLIMIT_NOFILE, &files);
        const auto [idle, none] = latencyBesideSlowClients(server, 0, 30);
        const auto [crowded, opened] = latencyBesideSlowClients(server, 2000, 30);
        std::printf("salt on a fresh TLS connection, alone: median %.1f ms, p99 %.1f ms\n", percentile(idle, 0.5),
                    percentile(idle, 0.99));
        // The first request queues behind the server accepting the 2,000 that have just
        // connected; the others meet them open and waiting.
        const std::vector<double> settled(crowded.begin() + 1, crowded.end());
        std::printf("  beside %d slow connections: first %.1f ms (behind their accepts), then median %.1f ms, "
                    "p99 %.1f ms, worst %.1f ms (target: 100 ms)\n",
                    opened, crowded.front(), percentile(settled, 0.5), percentile(settled, 0.99),
                    *std::max_element(settled.begin(), settled.end()));
    }

    // 10,045 connections that announce a body and send nothing, from 41 addresses,
    // against a fresh plain-HTTP server of this build (and of the earlier one).
    {
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, 16384);
        setrlimit(RLIMIT_NOFILE, &files);
        const auto flood = [](const QString &binary, const char *label) {
            BenchServer plain;
            if (!plain.start(binary, false))
                return false;
            reportFlood(idleBodyFlood(plain, 41 * 245), label);
            return true;
        };
        if (!flood(binary, "this build")
            || (!settings.compareBinary.isEmpty() && !flood(settings.compareBinary, qPrintable(settings.compareBinary)))) {
            std::fprintf(stderr, "server_bench: a plain-HTTP server did not start\n");
            return 1;
        }
    }

    // One user with a long history.
    const std::string tiny = pngvariants::screenLikePng(99, 16, 16);
    const std::string heavyUser = md5("bench heavy user");
    const auto [fillLatencies, fillSeconds] = uploadMany(
        server, settings.clients, settings.historySize,
        [&](int, int i) { return pngvariants::labelled(tiny, std::to_string(i)); },
        [&](int) { return heavyUser; }, &failures);
    std::printf("small uploads for one user: %d in %.1f s (%.0f per second, median %.2f ms, p99 %.2f ms), %d failed\n",
                settings.historySize, fillSeconds, double(settings.historySize) / fillSeconds,
                percentile(fillLatencies, 0.5), percentile(fillLatencies, 0.99), failures);
    size_t bytes = 0;
    const auto all = historyLatencies(server, heavyUser, settings.historyRequests, false, &bytes);
    std::printf("history of %d uploads (%zu bytes): median %.2f ms, p99 %.2f ms over %d requests\n", settings.historySize,
                bytes, percentile(all, 0.5), percentile(all, 0.99), settings.historyRequests);
    const auto recent = historyLatencies(server, heavyUser, settings.historyRequests, true, &bytes);
    std::printf("history/10 (%zu bytes): median %.2f ms, p99 %.2f ms over %d requests\n", bytes, percentile(recent, 0.5),
                percentile(recent, 0.99), settings.historyRequests);
    return failures == 0 ? 0 : 1;
}
