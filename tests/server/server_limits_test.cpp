#include "server/AddressNetwork.h"
#include "server/AllowedUsers.h"
#include "server/CompositeCache.h"
#include "server/ConnectionCounter.h"
#include "server/RateLimiter.h"
#include "server/Routes.h"
#include "server/ServerOptions.h"
#include "server/Service.h"
#include "server/StoreFactory.h"
#include "server/StorageUsage.h"
#include "server/TokenStore.h"
#include "tests/harness/TestMain.h"
#include "tests/server/PngVariants.h"
#include "tests/server/WireClient.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <array>
#include <sys/socket.h>
#include <unistd.h>

using namespace vornik::server;

// The limits that keep one client, address or user from taking the server from the
// others: salts per address, requests per address, storage per user and in total,
// and closed registration.
class ServerLimitsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;

    static std::string tokenFor(Service &service, const std::string &address = {})
    {
        return TokenStore::tokenForSalt(service.salt(address).body);
    }

    static Reply upload(Service &service, const std::string &uid, const std::string &png)
    {
        return service.upload(tokenFor(service), "multipart/form-data; boundary=b", wire::uploadForm("b", uid, png));
    }

    ServerOptions optionsIn(const QString &folder)
    {
        ServerOptions options;
        options.dataDir = m_root.filePath(folder).toStdString();
        options.publicUrl = "http://localhost:1/";
        options.rateLimitPerMinute = 0;
        return options;
    }

private slots:
    // A flood of salts from one address loses that address's own oldest salts; the
    // pending salts of everyone else stay usable. A full table refuses new salts
    // instead of dropping anyone's.
    void saltFloodStaysWithItsAddress()
    {
        TokenStore::Clock::time_point now{};
        TokenStore store(std::chrono::milliseconds(600000), [&now] { return now; }, 30, 10);
        for (int i = 0; i < 5; ++i)
            QVERIFY(store.remember("quiet" + std::to_string(i), "10.0.0.1"));
        for (int i = 0; i < 1000; ++i)
            QVERIFY(store.remember("flood" + std::to_string(i), "10.0.0.2"));
        QCOMPARE(store.pendingFor("10.0.0.2"), size_t(10));
        QVERIFY(store.consume(TokenStore::tokenForSalt("flood999")));
        QVERIFY(store.consume(TokenStore::tokenForSalt("flood990")));
        QVERIFY(!store.consume(TokenStore::tokenForSalt("flood989")));
        for (int i = 0; i < 5; ++i)
            QVERIFY(store.consume(TokenStore::tokenForSalt("quiet" + std::to_string(i))));
        QCOMPARE(store.pendingFor("10.0.0.1"), size_t(0));

        // A full table (30) still takes a salt from a newcomer: the address holding
        // the most loses its newest, nobody else anything.
        for (int i = 0; i < 10; ++i) {
            QVERIFY(store.remember("a" + std::to_string(i), "10.0.0.3"));
            QVERIFY(store.remember("b" + std::to_string(i), "10.0.0.4"));
        }
        QVERIFY(store.remember("c0", "10.0.0.5"));
        QVERIFY(store.remember("c1", "10.0.0.5"));
        QCOMPARE(store.size(), size_t(30));
        QVERIFY(store.remember("late", "10.0.0.6"));
        QCOMPARE(store.size(), size_t(30));
        QCOMPARE(store.pendingFor("10.0.0.4"), size_t(9));
        QVERIFY(!store.consume(TokenStore::tokenForSalt("b9")));
        for (const char *kept : {"a9", "b8", "c1", "flood998", "late"})
            QVERIFY(store.consume(TokenStore::tokenForSalt(kept)));
        // Expiry frees the table for everyone.
        now += std::chrono::milliseconds(600000);
        QVERIFY(store.remember("later", "10.0.0.6"));
        QCOMPARE(store.size(), size_t(1));

        // Only an address holding as many as the most (or one fewer) is refused.
        TokenStore full(std::chrono::milliseconds(600000), [&now] { return now; }, 4, 10);
        for (const char *address : {"x", "x", "y", "y"})
            QVERIFY(!full.issueSalt(address).empty());
        QCOMPARE(full.issueSalt("x"), std::string());
        QVERIFY(!full.issueSalt("z").empty());
        QCOMPARE(full.pendingFor("y"), size_t(1));
        QCOMPARE(full.issueSalt("x"), std::string());
        QCOMPARE(full.issueSalt("z"), std::string());
        QCOMPARE(full.size(), size_t(4));
    }

    // The limits per address count networks: an IPv4 address (or its leading bits)
    // and an IPv6 /64. Connections beyond the total cap push out the newest of the
    // network holding the most, when it holds more than the newcomer's.
    void limitsCountNetworks()
    {
        QCOMPARE(networkOf("203.0.113.9", 32, 64), std::string("203.0.113.9/32"));
        QCOMPARE(networkOf("203.0.113.9", 24, 64), std::string("203.0.113.0/24"));
        QCOMPARE(networkOf("2001:db8:1:2:aaaa::7", 32, 64), std::string("2001:db8:1:2::/64"));
        QCOMPARE(networkOf("2001:db8:1:2:aaaa::7", 32, 48), std::string("2001:db8:1::/48"));
        QCOMPARE(networkOf("2001:db8:1:2:aaaa::7", 32, 128), std::string("2001:db8:1:2:aaaa::7/128"));
        QCOMPARE(networkOf("203.0.113.9", 0, 0), std::string("0.0.0.0/0"));   // every address one network
        QCOMPARE(networkOf("2001:db8::7", 32, -5), std::string("::/0"));
        QCOMPARE(networkOf("::ffff:198.51.100.4", 32, 64), std::string("198.51.100.4/32"));
        QCOMPARE(networkOf("not an address", 32, 64), std::string("not an address"));

        ConnectionCounter counter(5, 3);
        std::vector<std::array<int, 2>> pairs(7);
        for (auto &pair : pairs)
            QCOMPARE(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair.data()), 0);
        std::vector<std::unique_ptr<ConnectionCounter::Ticket>> tickets;
        for (int i = 0; i < 4; ++i)
            tickets.push_back(counter.admit("10.0.0.1", "heavy", pairs[size_t(i)][0], true));
        QVERIFY(tickets[0] && tickets[2] && !tickets[3]);  // three per network
        tickets.push_back(counter.admit("10.0.0.2", "light", pairs[4][0], true));
        tickets.push_back(counter.admit("10.0.0.3", "proxy", pairs[5][0], false));
        QCOMPARE(counter.open(), 5);
        // Full: a newcomer gets in, and the heavy network's newest connection is shut.
        auto newcomer = counter.admit("10.0.0.4", "other", pairs[6][0], true);
        QVERIFY(newcomer);
        QCOMPARE(counter.openFrom("heavy"), 2);
        QCOMPARE(counter.open(), 5);
        char byte = 0;
        QCOMPARE(recv(pairs[2][1], &byte, 1, MSG_DONTWAIT), ssize_t(0));
        QCOMPARE(recv(pairs[1][1], &byte, 1, MSG_DONTWAIT), ssize_t(-1));
        // Networks holding as many as the heaviest (or one fewer) are refused.
        QVERIFY(!counter.admit("10.0.0.2", "light", pairs[4][0], true));
        QVERIFY(!counter.admit("10.0.0.1", "heavy", pairs[2][0], true));
        tickets[2].reset();  // the cut-off connection closes: counted once only
        QCOMPARE(counter.open(), 5);
        tickets[0].reset();
        QCOMPARE(counter.open(), 4);
        QVERIFY(counter.admit("10.0.0.2", "light", pairs[4][0], true));
        for (auto &pair : pairs) {
            close(pair[0]);
            close(pair[1]);
        }
    }

    void rateLimitRefillsPerAddress()
    {
        RateLimiter::Clock::time_point now{};
        RateLimiter limiter(60, 3, [&now] { return now; }, 4);
        for (int i = 0; i < 3; ++i)
            QVERIFY(limiter.allow("a"));
        QVERIFY(!limiter.allow("a"));
        QCOMPARE(limiter.secondsUntilNext("a"), 1LL);
        QVERIFY(limiter.allow("b"));
        now += std::chrono::milliseconds(999);
        QVERIFY(!limiter.allow("a"));
        now += std::chrono::milliseconds(1);
        QVERIFY(limiter.allow("a"));
        QVERIFY(!limiter.allow("a"));
        // A long pause refills only up to the burst.
        now += std::chrono::hours(1);
        for (int i = 0; i < 3; ++i)
            QVERIFY(limiter.allow("a"));
        QVERIFY(!limiter.allow("a"));

        // The table of addresses stays within its bound, after every newcomer.
        for (int i = 0; i < 50; ++i) {
            limiter.allow("flood" + std::to_string(i));
            QVERIFY2(limiter.addresses() <= 4, std::to_string(i).c_str());
        }
        // A full table makes room by dropping the refilled buckets only: an address
        // mid-burst is not given a fresh one.
        now += std::chrono::hours(1);
        for (int i = 0; i < 4; ++i)
            limiter.allow(i < 3 ? "idle" + std::to_string(i) : "busy");
        now += std::chrono::hours(1);
        while (limiter.allow("busy")) {
        }
        QVERIFY(limiter.allow("newcomer"));
        QCOMPARE(limiter.addresses(), size_t(2));
        QVERIFY(!limiter.allow("busy"));

        RateLimiter slow(1, 1, [&now] { return now; });
        QVERIFY(slow.allow("a"));
        QVERIFY(!slow.allow("a"));
        QCOMPARE(slow.secondsUntilNext("a"), 60LL);

        RateLimiter unlimited(0, 0, [&now] { return now; });
        for (int i = 0; i < 1000; ++i)
            QVERIFY(unlimited.allow("a"));
        QCOMPARE(unlimited.secondsUntilNext("a"), 1LL);
    }

    // Salts and uploads over the limit are answered 429 with a time to wait, per
    // address; other requests are not counted.
    void serviceRefusesAnAddressOverItsRate()
    {
        ServerOptions options = optionsIn(QStringLiteral("rate"));
        options.rateLimitPerMinute = 2;
        Service service(options);
        std::string error;
        QVERIFY2(service.open(&error), error.c_str());
        const std::string salt = service.salt("10.0.0.1").body;
        QCOMPARE(service.salt("10.0.0.1").status, 200);
        const Reply refused = service.salt("10.0.0.1");
        QCOMPARE(refused.status, 429);
        QVERIFY(refused.retryAfterSeconds >= 1 && refused.retryAfterSeconds <= 30);
        const std::string body = wire::uploadForm("b", wire::userId("rate"), wire::pngBytes(4, 4, 0xff0000ff));
        QCOMPARE(service.upload(TokenStore::tokenForSalt(salt), "multipart/form-data; boundary=b", body, "10.0.0.1").status, 429);
        // The refused upload did not use the token up: from another address it goes through.
        QCOMPARE(service.upload(TokenStore::tokenForSalt(salt), "multipart/form-data; boundary=b", body, "10.0.0.2").status, 200);
        QCOMPARE(service.raw("nothing").status, 404);
        service.close();
    }

    // Uploads stop at the user's quota with a clear reply and start again after a
    // delete; the count survives a restart, and the total quota spans users.
    void quotasHoldAcrossUsersAndRestarts()
    {
        const std::string png = wire::pngBytes(64, 64, 0xff336699);
        const auto size = static_cast<long long>(png.size());
        ServerOptions options = optionsIn(QStringLiteral("quota"));
        options.userQuotaBytes = 2 * size;
        options.totalQuotaBytes = 3 * size;
        const std::string alice = wire::userId("alice"), bob = wire::userId("bob");
        std::string kept;
        {
            Service service(options);
            std::string error;
            QVERIFY2(service.open(&error), error.c_str());
            kept = wire::nameFromAddress(upload(service, alice, png).body);
            QCOMPARE(upload(service, alice, png).status, 200);
            const Reply full = upload(service, alice, png);
            QCOMPARE(full.status, 507);
            QCOMPARE(full.body, std::string("your storage on this server is full; delete some of your uploads first"));
            QCOMPARE(service.usage().usedBy(alice), 2 * size);
            QCOMPARE(service.remove(tokenFor(service), kept, alice).status, 200);
            QCOMPARE(service.usage().usedBy(alice), size);
            QCOMPARE(upload(service, alice, png).status, 200);
            QCOMPARE(upload(service, bob, png).status, 200);
            service.close();
        }
        Service restarted(options);
        std::string error;
        QVERIFY2(restarted.open(&error), error.c_str());
        QCOMPARE(restarted.usage().usedBy(alice), 2 * size);
        QCOMPARE(restarted.usage().total(), 3 * size);
        const Reply serverFull = upload(restarted, bob, png);
        QCOMPARE(serverFull.status, 507);
        QCOMPARE(serverFull.body, std::string("the server's storage for uploads is full"));
        restarted.close();
    }

    // With the images in the database, composites are blobs there: they keep within
    // the cache's bound too, and a restart counts the ones kept before.
    void compositeCacheBoundHoldsInTheDatabase()
    {
        // Filled exactly to its bound the cache keeps everything; one byte more
        // pushes out the least recently used.
        CompositeCache cache(100);
        QVERIFY(cache.use("a", "k", 60).empty());
        QVERIFY(cache.use("b", "k", 40).empty());
        QCOMPARE(cache.use("c", "k", 1), (std::vector<CompositeCache::Entry>{{"a", "k"}}));

        ServerOptions options = optionsIn(QStringLiteral("composites"));
        options.storage = "database";
        options.databaseUrl = "sqlite:" + options.dataDir + "/vornik.db";
        options.compositeCacheBytes = 64 * 1024;
        QVERIFY(QDir().mkpath(QString::fromStdString(options.dataDir)));
        const auto noise = [] { return pngvariants::noisePng(64, 64); };
        const auto keptComposites = [&] {
            std::string error;
            const auto store = makeStore(options.databaseUrl, 1, TokenRules{}, &error);
            long long bytes = 0;
            size_t count = 0;
            if (store && store->open(&error)) {
                for (const Store::BlobEntry &blob : store->compositeBlobs())
                    bytes += blob.bytes, ++count;
                store->close();
            }
            return std::make_pair(count, bytes);
        };
        const std::string uid = wire::userId("composer");
        std::vector<std::string> names;
        {
            Service service(options);
            std::string error;
            QVERIFY2(service.open(&error), error.c_str());
            const std::string banner = upload(service, uid, noise()).body;
            QCOMPARE(service.setUser(tokenFor(service), uid, "http://" + banner, "#102030").status, 200);
            for (int i = 0; i < 12; ++i)
                names.push_back(wire::nameFromAddress(upload(service, uid, noise()).body));
            for (const std::string &name : names) {
                const Reply decorated = service.decorated(name);
                QCOMPARE(decorated.status, 200);
                QVERIFY(decorated.body.size() > 12 * 1024);
                QVERIFY(keptComposites().second <= options.compositeCacheBytes);
            }
            QVERIFY(keptComposites().first > 0 && keptComposites().first < names.size());
            service.close();
        }
        options.compositeCacheBytes = 20 * 1024;
        Service restarted(options);
        std::string error;
        QVERIFY2(restarted.open(&error), error.c_str());
        QVERIFY(keptComposites().second <= options.compositeCacheBytes);
        QCOMPARE(restarted.decorated(names.front()).status, 200);
        restarted.close();
    }

    void closedRegistrationTakesListedUsersOnly()
    {
        const std::string listed = wire::userId("listed"), bare = wire::userId("bare"), stranger = wire::userId("stranger");
        const QString usersPath = m_root.filePath(QStringLiteral("users"));
        QFile users(usersPath);
        QVERIFY(users.open(QIODevice::WriteOnly));
        users.write(("# members\n" + AllowedUsers::lineFor(listed) + "  # Ann\n\n  " + bare + "\n").c_str());
        users.close();
        QVERIFY(AllowedUsers::lineFor(listed).rfind("sha256:", 0) == 0);
        QVERIFY(AllowedUsers::lineFor(listed).find(listed) == std::string::npos);

        ServerOptions options = optionsIn(QStringLiteral("closed"));
        options.usersFile = usersPath.toStdString();
        Service service(options);
        std::string error;
        QVERIFY2(service.open(&error), error.c_str());
        const std::string png = wire::pngBytes(4, 4, 0xff00ff00);
        QCOMPARE(upload(service, listed, png).status, 200);
        QCOMPARE(upload(service, bare, png).status, 200);
        const Reply refused = upload(service, stranger, png);
        QCOMPARE(refused.status, 403);
        QCOMPARE(refused.body, std::string("this server takes uploads only from its registered users"));
        QCOMPARE(service.setUser(tokenFor(service), stranger, {}, "#112233").status, 403);
        QCOMPARE(service.setUser(tokenFor(service), listed, {}, "#112233").status, 200);

        // Read again on request: the stranger is added, and a broken file keeps the old list.
        QVERIFY(users.open(QIODevice::Append));
        users.write((AllowedUsers::lineFor(stranger) + "\n").c_str());
        users.close();
        QVERIFY2(service.reloadUsers(&error), error.c_str());
        QCOMPARE(upload(service, stranger, png).status, 200);
        QVERIFY(users.open(QIODevice::Append));
        users.write("not-an-id\n");
        users.close();
        QVERIFY(!service.reloadUsers(&error));
        QVERIFY2(error.find(":6: ") != std::string::npos, error.c_str());
        QCOMPARE(upload(service, bare, png).status, 200);
        service.close();

        Service broken(options);
        QVERIFY(!broken.open(&error));
        // A digest is 64 lowercase hexadecimal digits; anything else after "sha256:" is refused.
        QVERIFY(users.open(QIODevice::WriteOnly | QIODevice::Truncate));
        users.write(("sha256:" + std::string(64, 'g') + "\n").c_str());
        users.close();
        AllowedUsers misspelt;
        QVERIFY(!misspelt.load(usersPath.toStdString(), &error));
    }

    // Behind a trusted proxy the limits count the address it appended last; anything
    // else a client writes into the header is not believed.
    void forwardedAddressOnlyFromTrustedProxies()
    {
        const std::vector<std::string> proxies{"127.0.0.1", "::1"};
        QCOMPARE(clientAddress("127.0.0.1", "203.0.113.9", proxies), std::string("203.0.113.9"));
        QCOMPARE(clientAddress("127.0.0.1", "10.1.1.1, 203.0.113.9 ", proxies), std::string("203.0.113.9"));
        QCOMPARE(clientAddress("::1", "2001:db8::7", proxies), std::string("2001:db8::7"));
        QCOMPARE(clientAddress("198.51.100.4", "203.0.113.9", proxies), std::string("198.51.100.4"));
        QCOMPARE(clientAddress("127.0.0.1", "", proxies), std::string("127.0.0.1"));
        QCOMPARE(clientAddress("127.0.0.1", "203.0.113.9,", proxies), std::string("127.0.0.1"));
        QCOMPARE(clientAddress("127.0.0.1", "evil/../x", proxies), std::string("127.0.0.1"));
        QCOMPARE(clientAddress("127.0.0.1", std::string(60, '1'), proxies), std::string("127.0.0.1"));
        QCOMPARE(clientAddress("127.0.0.1", "203.0.113.9", {}), std::string("127.0.0.1"));
    }

    void limitOptions()
    {
        const auto parse = [](std::vector<std::string> arguments) {
            arguments.insert(arguments.begin(), {"--data", "/tmp/x"});
            return parseCommandLine(arguments);
        };
        const ParseResult limits = parse({"--rate-limit", "0", "--user-quota-mb", "1", "--total-quota-mb", "1099511627776",
                                          "--max-pending-salts", "5", "--users", "/etc/vornik/users",
                                          "--trusted-proxy", "127.0.0.1", "--trusted-proxy", "::1"});
        QCOMPARE(limits.error, std::string());
        QCOMPARE(limits.options.rateLimitPerMinute, 0LL);
        QCOMPARE(limits.options.userQuotaBytes, 1048576LL);
        QCOMPARE(limits.options.totalQuotaBytes, 1099511627776LL * 1048576);
        QCOMPARE(limits.options.pendingSaltsPerAddress, 5LL);
        QCOMPARE(limits.options.usersFile, std::string("/etc/vornik/users"));
        QCOMPARE(limits.options.trustedProxies, (std::vector<std::string>{"127.0.0.1", "::1"}));
        QVERIFY(!parse({"--total-quota-mb", "1099511627777"}).error.empty());
        QVERIFY(!parse({"--rate-limit", "-1"}).error.empty());
        QVERIFY(!parse({"--max-pending-salts", "0"}).error.empty());
        const ParseResult networks = parse({"--ipv4-prefix", "24", "--ipv6-prefix", "56", "--max-salts", "50",
                                            "--composite-cache-mb", "3"});
        QCOMPARE(networks.error, std::string());
        QCOMPARE(networks.options.ipv4PrefixBits, 24);
        QCOMPARE(networks.options.ipv6PrefixBits, 56);
        QCOMPARE(networks.options.pendingSalts, 50LL);
        QCOMPARE(networks.options.compositeCacheBytes, 3LL << 20);
        for (const char *flag : {"--ipv4-prefix", "--ipv6-prefix"}) {
            QVERIFY(!parse({flag, "0"}).error.empty());
            QVERIFY(!parse({flag, "129"}).error.empty());
        }
        QVERIFY(!parse({"--composite-cache-mb", "0"}).error.empty());
        const ParseResult defaults = parse({});
        QCOMPARE(defaults.options.ipv4PrefixBits, 32);
        QCOMPARE(defaults.options.ipv6PrefixBits, 64);
        QCOMPARE(defaults.options.pendingSalts, 200000LL);
        QCOMPARE(defaults.options.compositeCacheBytes, 1LL << 30);
        QCOMPARE(defaults.options.rateLimitPerMinute, 600LL);
        QCOMPARE(defaults.options.userQuotaBytes, 10LL << 30);
        // Printing a users-file line needs no data folder.
        const ParseResult addUser = parseCommandLine({"--add-user", "0123456789abcdef0123456789abcdef"});
        QCOMPARE(addUser.error, std::string());
        QCOMPARE(addUser.options.addUser, std::string("0123456789abcdef0123456789abcdef"));
    }
};

VORNIK_TEST_MAIN(ServerLimitsTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = {}, .monitors = {}, .dbus = false}))
#include "server_limits_test.moc"
