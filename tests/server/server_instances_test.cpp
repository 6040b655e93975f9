#include "tests/harness/PostgresCluster.h"
#include "tests/harness/TestMain.h"
#include "tests/server/PngVariants.h"
#include "tests/server/WireClient.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <barrier>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

// Three vornik-server instances on one PostgreSQL database and one shared image
// folder, as behind a load balancer: uploads spread over them lose nothing and mix
// nothing, a token is good once whichever instances it is sent to at the same time,
// a banner change on one is what the others show next, and an instance killed in
// the middle of the load leaves the others serving and nothing half-written.
namespace {

using Instances = std::vector<std::unique_ptr<vtest::ServerProcess>>;

struct Sent {
    std::string uid;
    std::string png;
    size_t instance = 0;  // which instance took it
};

// The names in a history reply, in its order.
std::vector<std::string> historyNames(const std::string &body)
{
    static const QRegularExpression entry(QStringLiteral("\"\\d{13}\":\"([A-Za-z0-9]+)\""));
    std::vector<std::string> names;
    for (const auto &match : entry.globalMatch(QString::fromStdString(body)))
        names.push_back(match.captured(1).toStdString());
    return names;
}

} // namespace

class ServerInstancesTest : public QObject
{
    Q_OBJECT

    vtest::PostgresCluster *m_cluster = nullptr;

    // `count` instances on a fresh database, sharing one image folder and, as behind
    // a load balancer, one public address.
    Instances startInstances(int count, QStringList extra = {})
    {
        extra << QStringLiteral("--public-url") << QStringLiteral("https://vornik.test/");
        Instances instances;
        const QString database = m_cluster->createDatabase();
        const QString folder = vtest::TestEnvironment::current()->root() + QStringLiteral("/images-") + database.section(QLatin1Char('/'), 3, 3).section(QLatin1Char('?'), 0, 0);
        for (int i = 0; i < count; ++i) {
            auto server = std::make_unique<vtest::ServerProcess>();
            if (!server->start({.tls = true, .extraArguments = extra, .dataDir = folder, .databaseUrl = database}))
                return {};
            instances.push_back(std::move(server));
        }
        return instances;
    }

    static std::string uploadForm(const std::string &uid, const std::string &png)
    {
        return wire::uploadForm("instances", uid, png);
    }

    static std::string formType() { return "multipart/form-data; boundary=instances"; }

private slots:
    void initTestCase()
    {
        // Clients still writing to the instance that is killed must see an error,
        // not end the test.
        std::signal(SIGPIPE, SIG_IGN);
        const QString why = vtest::PostgresCluster::unavailableReason();
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        m_cluster = vtest::PostgresCluster::shared();
        QVERIFY(m_cluster);
    }

    // 8 clients x 25 uploads, each upload to the next instance in turn; every image is
    // then fetched from an instance that did not take it, and every history is exact
    // and in upload order on every instance.
    void uploadsSpreadOverInstancesComeBackExactly()
    {
        constexpr int clients = 8;
        constexpr int uploadsPerClient = 25;
        Instances instances = startInstances(3);
        QCOMPARE(int(instances.size()), 3);
        const std::string picture = pngvariants::screenLikePng(3, 960, 540);

        std::mutex lock;
        std::map<std::string, Sent> sent;
        std::map<std::string, std::vector<std::string>> uploadOrder;  // uid -> names, oldest first
        std::vector<std::string> failures;
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                std::vector<std::unique_ptr<wire::Client>> toEach;
                for (const auto &instance : instances)
                    toEach.push_back(std::make_unique<wire::Client>(*instance));
                const std::string uid = wire::userId(("spread " + std::to_string(c)).c_str());
                for (int i = 0; i < uploadsPerClient; ++i) {
                    const size_t target = size_t(c + i) % instances.size();
                    const std::string png = pngvariants::labelled(picture, std::to_string(c) + "/" + std::to_string(i));
                    const wire::Answer reply = toEach[target]->upload(uid, png);
                    const std::string name = wire::nameFromAddress(reply.body);
                    std::lock_guard guard(lock);
                    if (reply.status != 200 || name.empty() || sent.count(name))
                        failures.push_back(std::to_string(reply.status) + " " + reply.body);
                    sent[name] = Sent{uid, png, target};
                    uploadOrder[uid].push_back(name);
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QVERIFY2(failures.empty(), failures.empty() ? "" : failures.front().c_str());
        QCOMPARE(int(sent.size()), clients * uploadsPerClient);
        QCOMPARE(wire::storedFileCount(*instances[0]), clients * uploadsPerClient);

        std::vector<std::unique_ptr<wire::Client>> readers;
        for (const auto &instance : instances)
            readers.push_back(std::make_unique<wire::Client>(*instance));
        for (const auto &[name, what] : sent) {
            const wire::Answer raw = readers[(what.instance + 1) % readers.size()]->get("/raw/" + name + ".png");
            QCOMPARE(raw.status, 200);
            QVERIFY2(raw.body == what.png, name.c_str());
        }
        for (auto &[uid, names] : uploadOrder) {
            std::reverse(names.begin(), names.end());  // histories are newest first
            for (auto &reader : readers)
                QVERIFY(historyNames(reader->history(uid).body) == names);
        }
    }

    // The same token sent to all three instances at the same moment uploads once:
    // one 200 and two 403, two hundred times over.
    void tokenReplayedOnAllInstancesWorksOnce()
    {
        constexpr int rounds = 200;
        // 800 requests from one address: more than the rate limit, which the
        // instances count together.
        Instances instances = startInstances(3, {QStringLiteral("--rate-limit"), QStringLiteral("0")});
        QCOMPARE(int(instances.size()), 3);
        const std::string uid = wire::userId("replay");
        const std::string png = wire::pngBytes(8, 8, qRgb(1, 2, 3));

        std::string token;
        std::array<int, 3> statuses{};
        std::atomic<int> roundsWithOneSuccess = 0;
        std::vector<std::string> oddRounds;
        wire::Client saltSource(*instances[0]);
        saltSource.keepAlive();
        int round = 0;
        // The completion step runs between rounds, on one thread: it judges the round
        // just sent and takes the next salt from the next instance in turn.
        const auto betweenRounds = [&]() noexcept {
            if (round > 0) {
                const int successes = int(std::count(statuses.begin(), statuses.end(), 200));
                const int refusals = int(std::count(statuses.begin(), statuses.end(), 403));
                if (successes == 1 && refusals == 2)
                    ++roundsWithOneSuccess;
                else
                    oddRounds.push_back(std::to_string(statuses[0]) + "," + std::to_string(statuses[1]) + ","
                                        + std::to_string(statuses[2]));
            }
            token = wire::tokenFor(saltSource.salt());
            ++round;
        };
        std::barrier sync(3, betweenRounds);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < 3; ++i) {
            threads.emplace_back([&, i] {
                wire::Client client(*instances[i]);
                client.keepAlive();
                client.get("/healthz");  // connected before the first round
                sync.arrive_and_wait();
                for (int r = 0; r < rounds; ++r) {
                    statuses[i] = client.post("/upload/" + token, uploadForm(uid, png), formType()).status;
                    sync.arrive_and_wait();
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QVERIFY2(oddRounds.empty(), oddRounds.empty() ? "" : ("statuses " + oddRounds.front()).c_str());
        QCOMPARE(roundsWithOneSuccess.load(), rounds);
        wire::Client reader(*instances[2]);
        QCOMPARE(int(historyNames(reader.history(uid).body).size()), rounds);
        QCOMPARE(wire::storedFileCount(*instances[0]), rounds);
    }

    // An address's share of pending salts holds across instances: beyond it, its own
    // oldest salts go, whichever instance handed them out.
    void pendingSaltShareHoldsAcrossInstances()
    {
        Instances instances = startInstances(3, {QStringLiteral("--max-pending-salts"), QStringLiteral("3")});
        QCOMPARE(int(instances.size()), 3);
        std::vector<std::unique_ptr<wire::Client>> clients;
        for (const auto &instance : instances)
            clients.push_back(std::make_unique<wire::Client>(*instance));
        std::vector<std::string> tokens;
        for (size_t i = 0; i < 5; ++i)
            tokens.push_back(wire::tokenFor(clients[i % 3]->salt()));
        const std::string uid = wire::userId("share");
        std::vector<int> statuses;
        for (size_t i = 0; i < tokens.size(); ++i)
            statuses.push_back(clients[(i + 1) % 3]->get("/history/" + tokens[i] + "/" + uid).status);
        QCOMPARE(statuses, (std::vector<int>{403, 403, 200, 200, 200}));
    }

    // The rate limit per address and each user's quota are counted by the instances
    // together, not each alone: 12 salts a minute from one address in all, and
    // uploads from three instances at once that never exceed the user's 1 MiB.
    void rateAndQuotaHoldAcrossInstances()
    {
        Instances limited = startInstances(3, {QStringLiteral("--rate-limit"), QStringLiteral("12")});
        QCOMPARE(int(limited.size()), 3);
        int granted = 0, refused = 0;
        for (int i = 0; i < 36; ++i) {
            const wire::Answer answer = wire::Client(*limited[size_t(i) % 3]).get("/salt/");
            granted += answer.status == 200 ? 1 : 0;
            refused += answer.status == 429 ? 1 : 0;
        }
        // A minute's worth at once, and what refilled while the test asked (a fifth a second).
        QVERIFY2(granted >= 12 && granted <= 14 && granted + refused == 36, qPrintable(QString::number(granted)));

        Instances quota = startInstances(3, {QStringLiteral("--rate-limit"), QStringLiteral("0"),
                                             QStringLiteral("--user-quota-mb"), QStringLiteral("1")});
        QCOMPARE(int(quota.size()), 3);
        const std::string uid = wire::userId("quota");
        const auto noise = [] { return pngvariants::noisePng(300, 300); };
        std::mutex lock;
        long long stored = 0;
        size_t smallest = SIZE_MAX;
        int full = 0;
        std::vector<std::string> failures;
        std::vector<std::thread> threads;
        for (size_t c = 0; c < quota.size(); ++c) {
            threads.emplace_back([&, c] {
                wire::Client client(*quota[c]);
                for (int i = 0; i < 3; ++i) {
                    const std::string png = noise();
                    const wire::Answer answer = client.upload(uid, png);
                    std::lock_guard guard(lock);
                    smallest = std::min(smallest, png.size());
                    if (answer.status == 200)
                        stored += qsizetype(png.size());
                    else if (answer.status == 507 && answer.body.find("your storage") == 0)
                        ++full;
                    else
                        failures.push_back(std::to_string(answer.status) + " " + answer.body);
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QVERIFY2(failures.empty(), failures.empty() ? "" : failures.front().c_str());
        qInfo("%lld bytes stored of 9 uploads of %zu bytes or more, %d refused", stored, smallest, full);
        QVERIFY(smallest > 200 * 1024);
        QVERIFY(stored <= 1024 * 1024);
        QVERIFY(full > 0);
    }

    // A banner set or changed through one instance is what the next request to any
    // other shows; a deletion through one is gone from all.
    void bannerChangesAndDeletionsShowEverywhere()
    {
        Instances instances = startInstances(3);
        QCOMPARE(int(instances.size()), 3);
        wire::Client a(*instances[0]), b(*instances[1]), c(*instances[2]);
        const std::string uid = wire::userId("banner everywhere");
        const std::string bannerAddress = a.upload(uid, wire::pngBytes(40, 20, qRgb(255, 0, 0))).body;
        const std::string photo = wire::nameFromAddress(b.upload(uid, wire::pngBytes(100, 50, qRgb(0, 0, 255))).body);
        QVERIFY(!photo.empty());
        const auto setBanner = [&](wire::Client &through, const char *color) {
            return through.get("/setuser/" + through.token() + "?id=" + uid + "&headerImage=https://" + bannerAddress
                               + "&headerColor=%23" + color).status;
        };
        const auto stripColor = [](wire::Client &through, const std::string &name) {
            const QImage shown = QImage::fromData(QByteArray::fromStdString(through.get("/" + name + ".png").body), "PNG");
            return shown.isNull() ? QColor() : QColor(shown.pixel(1, 1));
        };
        QCOMPARE(setBanner(a, "00FF00"), 200);
        QCOMPARE(stripColor(c, photo), QColor(0, 255, 0));
        QCOMPARE(stripColor(b, photo), QColor(0, 255, 0));
        // Each instance has now seen the green composite; a change through one of
        // them must reach the other two at once, whatever they had.
        QCOMPARE(setBanner(b, "FFFFFF"), 200);
        QCOMPARE(stripColor(a, photo), QColor(Qt::white));
        QCOMPARE(stripColor(c, photo), QColor(Qt::white));
        QCOMPARE(setBanner(c, "00FF00"), 200);
        QCOMPARE(stripColor(b, photo), QColor(0, 255, 0));

        // The banner's image is refused for deletion through any instance.
        QCOMPARE(b.get("/delete/" + b.token() + "/" + wire::nameFromAddress(bannerAddress) + "/" + uid).status, 409);
        QCOMPARE(stripColor(a, photo), QColor(0, 255, 0));
        QCOMPARE(a.get("/delete/" + a.token() + "/" + photo + "/" + uid).status, 200);
        QCOMPARE(b.get("/" + photo + ".png").status, 404);
        QCOMPARE(c.get("/raw/" + photo + ".png").status, 404);
        QCOMPARE(c.get("/delete/" + c.token() + "/" + photo + "/" + uid).status, 404);
    }

    // kill -9 of one instance while four clients upload through all three: the other
    // two keep taking uploads, every acknowledged upload is whole on every survivor,
    // and no row lacks its file (a file without a row can only be an upload that was
    // never acknowledged).
    void killedInstanceLeavesNothingHalfWritten()
    {
        constexpr int clients = 4;
        constexpr int uploadsPerClient = 30;
        Instances instances = startInstances(3);
        QCOMPARE(int(instances.size()), 3);
        const std::string picture = pngvariants::screenLikePng(5, 640, 400);
        std::mutex lock;
        std::map<std::string, Sent> acknowledged;
        std::atomic<int> unanswered = 0;
        std::atomic<int> afterKill = 0;
        std::atomic<int> done = 0;
        std::atomic<bool> killed = false;
        std::vector<std::string> failures;
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                std::vector<std::unique_ptr<wire::Client>> toEach;
                for (const auto &instance : instances)
                    toEach.push_back(std::make_unique<wire::Client>(*instance));
                const std::string uid = wire::userId(("survivor " + std::to_string(c)).c_str());
                for (int i = 0; i < uploadsPerClient; ++i) {
                    const size_t target = size_t(c + i) % instances.size();
                    const bool wasKilled = killed;
                    const wire::Answer reply = toEach[target]->upload(uid, pngvariants::labelled(picture, std::to_string(c * 1000 + i)));
                    std::lock_guard guard(lock);
                    if (reply.status == 200) {
                        acknowledged[wire::nameFromAddress(reply.body)] = Sent{uid, pngvariants::labelled(picture, std::to_string(c * 1000 + i)), target};
                        afterKill += wasKilled ? 1 : 0;
                    } else if (target == 0 && (killed || reply.status == 0)) {
                        ++unanswered;  // the killed instance, or a salt it never answered
                    } else {
                        failures.push_back("instance " + std::to_string(target) + ": " + std::to_string(reply.status));
                    }
                    ++done;
                }
            });
        }
        QVERIFY(QTest::qWaitFor([&] { return done >= clients * uploadsPerClient / 3; }, 60000));
        killed = true;
        instances[0]->kill();
        for (std::thread &thread : threads)
            thread.join();
        QVERIFY2(failures.empty(), failures.empty() ? "" : failures.front().c_str());
        QVERIFY(afterKill > 0);
        QCOMPARE(int(acknowledged.size()) + unanswered, clients * uploadsPerClient);

        wire::Client survivor(*instances[1]);
        for (const auto &[name, what] : acknowledged)
            QVERIFY2(survivor.get("/raw/" + name + ".png").body == what.png, name.c_str());
        instances[1]->stop();
        instances[2]->stop();
        QString output;
        const int status = vtest::run({qEnvironmentVariable("VORNIK_SERVER_BINARY"), QStringLiteral("--check"),
                                       QStringLiteral("--data"), instances[0]->dataDir(), QStringLiteral("--database"),
                                       instances[0]->databaseUrl()},
                                      &output);
        QVERIFY2(output.contains(QStringLiteral(" 0 rows without files")), qPrintable(output));
        const QRegularExpression orphans(QStringLiteral("(\\d+) image files without rows"));
        const auto match = orphans.match(output);
        QVERIFY(match.hasMatch());
        QVERIFY(match.captured(1).toInt() <= unanswered);
        QCOMPARE(status, match.captured(1).toInt() == 0 ? 0 : 1);
        // Every acknowledged upload is recorded; beyond them, only uploads whose reply the
        // kill cut off (complete, with their files, as the check above shows).
        const QStringList recorded = vtest::recordedImageNames(*instances[0]);
        for (const auto &[name, what] : acknowledged)
            QVERIFY(recorded.contains(QString::fromStdString(name)));
        QVERIFY(recorded.size() <= int(acknowledged.size()) + unanswered);
    }
};

VORNIK_TEST_MAIN(ServerInstancesTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = {}, .monitors = {}, .dbus = false}))
#include "server_instances_test.moc"
