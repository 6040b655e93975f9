// vornik-server on its database engines, in one run: uploads per second with the
// median and 99th-percentile latency (salt + form) for one instance on SQLite, one
// on PostgreSQL and three on one PostgreSQL database (each salt taken from one
// instance and used at the next, as behind a round-robin load balancer); then the
// history of one user with 10,000 uploads on PostgreSQL beside SQLite. PostgreSQL is a throw-away
// cluster of the benchmark's own, with its default durability (fsync on).
//
//   server_instances_bench [--clients N] [--uploads N] [--history-size N]
// The server binary is VORNIK_SERVER_BINARY, or ../server/vornik-server beside this
// program in the build tree.

#include "bench/ServerBenchTools.h"
#include "service/Protocol.h"
#include "tests/harness/PostgresCluster.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/TestEnvironment.h"
#include "tests/server/PngVariants.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using benchtools::md5;
using benchtools::percentile;
using benchtools::uploadForm;
using Clock = std::chrono::steady_clock;
using Servers = std::vector<std::unique_ptr<vtest::ServerProcess>>;

struct Settings {
    int clients = 8;
    int uploads = 200;
    int historySize = 10000;
    int historyRequests = 200;
};

struct Figures {
    double perSecond = 0;
    double median = 0;
    double p99 = 0;
    int failed = 0;
};

std::unique_ptr<httplib::Client> clientFor(const vtest::ServerProcess &server)
{
    auto made = std::make_unique<httplib::Client>(server.baseUrl().chopped(1).toStdString());
    made->set_keep_alive(true);
    made->set_ca_cert_path(server.caFile().toStdString());
    made->enable_server_certificate_verification(true);
    made->set_read_timeout(60, 0);
    made->set_write_timeout(60, 0);
    return made;
}

// `total` uploads from `clients` threads; upload i takes its salt from server i and
// goes to server i + 1 (the same one when there is one).
Figures uploadMany(const Servers &servers, int clients, int total, const std::function<std::string(int)> &pngFor,
                   const std::function<std::string(int)> &uidFor)
{
    std::vector<double> latencies;
    std::mutex lock;
    std::atomic<int> next{0};
    std::atomic<int> failed{0};
    const auto started = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
            std::vector<std::unique_ptr<httplib::Client>> toEach;
            for (const auto &server : servers)
                toEach.push_back(clientFor(*server));
            const std::string uid = uidFor(c);
            std::vector<double> own;
            for (int i = next++; i < total; i = next++) {
                const std::string body = uploadForm(uid, pngFor(i));
                const auto begin = Clock::now();
                const auto salt = toEach[size_t(i) % toEach.size()]->Get("/salt/");
                const std::string token = salt ? benchtools::tokenFor(salt->body) : std::string();
                const auto reply = toEach[size_t(i + 1) % toEach.size()]->Post(
                    ("/upload/" + token).c_str(), body, "multipart/form-data; boundary=bench-boundary");
                own.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
                if (!reply || reply->status != 200)
                    ++failed;
            }
            std::lock_guard guard(lock);
            latencies.insert(latencies.end(), own.begin(), own.end());
        });
    }
    for (auto &thread : threads)
        thread.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return Figures{double(total) / seconds, percentile(latencies, 0.5), percentile(latencies, 0.99), failed};
}

Servers startServers(int count, const QString &databaseUrl)
{
    Servers servers;
    const QString folder = vtest::TestEnvironment::current()->root() + QStringLiteral("/images-%1").arg(qHash(databaseUrl));
    for (int i = 0; i < count; ++i) {
        auto server = std::make_unique<vtest::ServerProcess>();
        if (!server->start({.tls = true, .extraArguments = {QStringLiteral("--public-url"), QStringLiteral("https://bench.test/"),
                                              QStringLiteral("--rate-limit"), QStringLiteral("0")},
                            .dataDir = folder, .databaseUrl = databaseUrl}))
            return {};
        servers.push_back(std::move(server));
    }
    return servers;
}

void printUploads(const char *label, const Figures &figures, int uploads, int clients)
{
    std::printf("%-28s %4d uploads, %d clients: %6.1f per second, median %6.1f ms, p99 %6.1f ms, %d failed\n", label,
                uploads, clients, figures.perSecond, figures.median, figures.p99, figures.failed);
}

// Full and short history latency for one user; returns the failed requests.
int printHistory(const vtest::ServerProcess &server, const std::string &uid, const Settings &settings, const char *engine)
{
    auto client = clientFor(server);
    int failures = 0;
    for (const bool shortList : {false, true}) {
        std::vector<double> latencies;
        size_t bytes = 0;
        for (int i = 0; i < settings.historyRequests; ++i) {
            const auto salt = client->Get("/salt/");
            const std::string token = salt ? benchtools::tokenFor(salt->body) : std::string();
            const std::string path = "/history/" + token + "/" + uid + (shortList ? "/10" : "");
            const auto begin = Clock::now();
            const auto reply = client->Get(path.c_str());
            latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
            bytes = reply && reply->status == 200 ? reply->body.size() : 0;
            failures += bytes == 0 ? 1 : 0;
        }
        std::printf("history%s of %d uploads on %s (%zu bytes): median %.2f ms, p99 %.2f ms over %d requests\n",
                    shortList ? "/10" : "", settings.historySize, engine, bytes, percentile(latencies, 0.5),
                    percentile(latencies, 0.99), settings.historyRequests);
    }
    return failures;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    vtest::TestEnvironment environment(vtest::EnvironmentOptions{.x11 = false, .framebuffer = {}, .monitors = {}, .dbus = false});
    QGuiApplication app(argc, argv);
    Settings settings;
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = std::max(1, arguments.at(i + 1).toInt());
        if (arguments.at(i) == QLatin1String("--clients")) settings.clients = value;
        else if (arguments.at(i) == QLatin1String("--uploads")) settings.uploads = value;
        else if (arguments.at(i) == QLatin1String("--history-size")) settings.historySize = value;
    }
    if (qEnvironmentVariableIsEmpty("VORNIK_SERVER_BINARY"))
        qputenv("VORNIK_SERVER_BINARY", (QCoreApplication::applicationDirPath() + QStringLiteral("/../server/vornik-server")).toLocal8Bit());
    // PostgreSQL as it would run: durable commits, like SQLite's synchronous=FULL.
    const QString why = vtest::PostgresCluster::unavailableReason();
    auto owned = std::make_unique<vtest::PostgresCluster>();
    if (!why.isEmpty() || !owned->start(environment.root() + QStringLiteral("/postgres"), true)) {
        std::fprintf(stderr, "server_instances_bench: no PostgreSQL cluster: %s\n", qPrintable(why));
        return 1;
    }
    vtest::PostgresCluster *cluster = owned.get();  // stopped after the servers, before the folders go

    std::vector<std::string> variants(size_t(settings.uploads));
    std::vector<std::string> pictures;
    for (int c = 0; c < settings.clients; ++c)
        pictures.push_back(pngvariants::screenLikePng(c + 1));
    for (int i = 0; i < settings.uploads; ++i)
        variants[size_t(i)] = pngvariants::labelled(pictures[size_t(i % settings.clients)], "upload " + std::to_string(i));
    std::printf("full-screen PNGs of %.0f KiB on average\n", double(variants[0].size()) / 1024.0);
    const auto fullScreen = [&](int i) { return variants[size_t(i)]; };
    const auto userOfClient = [](int c) { return md5("bench user " + std::to_string(c)); };
    int failures = 0;
    const struct {
        const char *label;
        int instances;
        bool postgres;
    } setups[] = {{"1 instance, SQLite", 1, false}, {"1 instance, PostgreSQL", 1, true}, {"3 instances, one PostgreSQL", 3, true}};
    for (const auto &setup : setups) {
        const QString url = setup.postgres ? cluster->createDatabase()
                                           : QStringLiteral("sqlite:%1/bench-%2.db").arg(environment.root()).arg(setup.instances);
        const Servers servers = startServers(setup.instances, url);
        if (servers.empty()) {
            std::fprintf(stderr, "server_instances_bench: the servers for \"%s\" did not start\n", setup.label);
            return 1;
        }
        const Figures figures = uploadMany(servers, settings.clients, settings.uploads, fullScreen, userOfClient);
        printUploads(setup.label, figures, settings.uploads, settings.clients);
        failures += figures.failed;
    }

    // One user with a long history, on PostgreSQL and, beside it, on SQLite.
    const std::string tiny = pngvariants::screenLikePng(99, 16, 16);
    const std::string heavyUser = md5("bench heavy user");
    for (const bool postgres : {true, false}) {
        const char *engine = postgres ? "PostgreSQL" : "SQLite";
        const Servers servers = startServers(1, postgres ? cluster->createDatabase()
                                                         : QStringLiteral("sqlite:%1/history.db").arg(environment.root()));
        if (servers.empty())
            return 1;
        const Figures fill = uploadMany(servers, settings.clients, settings.historySize,
                                        [&](int i) { return pngvariants::labelled(tiny, std::to_string(i)); },
                                        [&](int) { return heavyUser; });
        printUploads(postgres ? "small uploads, PostgreSQL" : "small uploads, SQLite", fill, settings.historySize,
                     settings.clients);
        failures += fill.failed;
        failures += printHistory(*servers[0], heavyUser, settings, engine);
    }
    return failures == 0 ? 0 : 1;
}
