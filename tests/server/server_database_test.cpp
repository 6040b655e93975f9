#include "tests/harness/PostgresCluster.h"
#include "tests/harness/TestMain.h"
#include "tests/server/WireClient.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <atomic>
#include <thread>
#include <vector>

// What runs around the database: the health endpoint while PostgreSQL goes away and
// comes back, images kept in the database and moved between it and a folder with
// --migrate-storage, --check on the schema version, and a SQLite database made
// before schema versions were counted brought up to date.
namespace {

struct Outcome {
    int status = -1;
    QString output;
};

Outcome runServer(const QStringList &arguments)
{
    Outcome outcome;
    outcome.status = vtest::run(QStringList{qEnvironmentVariable("VORNIK_SERVER_BINARY")} + arguments, &outcome.output);
    return outcome;
}

int fileCount(const QString &folder)
{
    return int(QDir(folder).entryList(QDir::Files).size());
}

} // namespace

class ServerDatabaseTest : public QObject
{
    Q_OBJECT

    QString root() const { return vtest::TestEnvironment::current()->root(); }

    // Uploads `count` images for one user; their names and bytes.
    static std::map<std::string, std::string> uploadSome(const vtest::ServerProcess &server, int count)
    {
        wire::Client client(server);
        std::map<std::string, std::string> uploaded;
        for (int i = 0; i < count; ++i) {
            const std::string png = wire::pngBytes(10 + i, 10, qRgb(i * 20, 0, 0));
            uploaded[wire::nameFromAddress(client.upload(wire::userId("moved"), png).body)] = png;
        }
        return uploaded;
    }

    // Every image comes back raw as uploaded, and with the banner (the first image,
    // whose name is `banner`) a strip taller than the image.
    static bool allComeBack(const vtest::ServerProcess &server, const std::map<std::string, std::string> &images,
                            const std::string &banner)
    {
        wire::Client client(server);
        for (const auto &[name, png] : images) {
            const QImage shown = QImage::fromData(QByteArray::fromStdString(client.get("/" + name + ".png").body), "PNG");
            if (client.get("/raw/" + name + ".png").body != png || shown.height() <= 10)
                return false;
        }
        return images.count(banner) == 1;
    }

    void moveBackAndForth(const QString &databaseUrl)
    {
        const QString data = root() + QStringLiteral("/moving-") + QString::number(databaseUrl.size() % 97);
        const QStringList where{QStringLiteral("--data"), data, QStringLiteral("--database"), databaseUrl};
        vtest::ServerProcess inDatabase;
        QVERIFY(inDatabase.start({.tls = true, .extraArguments = {QStringLiteral("--storage"), QStringLiteral("database")},
                                  .dataDir = data, .databaseUrl = databaseUrl}));
        QCOMPARE(wire::Client(inDatabase).get("/healthz").status, 200);
        const auto uploaded = uploadSome(inDatabase, 5);
        QCOMPARE(int(uploaded.size()), 5);
        const std::string banner = uploaded.begin()->first;
        wire::Client setter(inDatabase);
        QCOMPARE(setter.get("/setuser/" + setter.token() + "?id=" + wire::userId("moved") + "&headerImage=" +
                            inDatabase.baseUrl().toStdString() + banner + ".png&headerColor=%23FFFFFF").status, 200);
        QVERIFY(allComeBack(inDatabase, uploaded, banner));
        QVERIFY(allComeBack(inDatabase, uploaded, banner));  // from the stored composites
        QCOMPARE(fileCount(data + QStringLiteral("/images")), 0);  // nothing on disk
        QVERIFY(inDatabase.stop());
        const Outcome check = runServer(where + QStringList{QStringLiteral("--storage"), QStringLiteral("database"), QStringLiteral("--check")});
        QVERIFY2(check.status == 0 && check.output.contains(QStringLiteral(" 0 image files without rows, 0 rows without files")),
                 qPrintable(check.output));

        // Into the folder: every image is a file there, and the database keeps none.
        const Outcome out = runServer(where + QStringList{QStringLiteral("--storage"), QStringLiteral("folder:") + data, QStringLiteral("--migrate-storage")});
        QVERIFY2(out.status == 0 && out.output.contains(QStringLiteral("moved 5 images")), qPrintable(out.output));
        QCOMPARE(fileCount(data + QStringLiteral("/images")), 5);
        QVERIFY(runServer(where + QStringList{QStringLiteral("--check")}).status == 0);
        QVERIFY(runServer(where + QStringList{QStringLiteral("--storage"), QStringLiteral("database"), QStringLiteral("--check")}).status == 1);
        vtest::ServerProcess inFolder;
        QVERIFY(inFolder.start({.tls = true, .dataDir = data, .databaseUrl = databaseUrl}));
        QVERIFY(allComeBack(inFolder, uploaded, banner));
        QVERIFY(inFolder.stop());

        // And back into the database.
        const Outcome back = runServer(where + QStringList{QStringLiteral("--storage"), QStringLiteral("database"), QStringLiteral("--migrate-storage")});
        QVERIFY2(back.status == 0 && back.output.contains(QStringLiteral("moved 5 images")), qPrintable(back.output));
        QCOMPARE(fileCount(data + QStringLiteral("/images")), 0);
        QVERIFY(inDatabase.start({.tls = true, .extraArguments = {QStringLiteral("--storage"), QStringLiteral("database")},
                                  .dataDir = data, .databaseUrl = databaseUrl}));
        QVERIFY(allComeBack(inDatabase, uploaded, banner));
    }

private slots:
    void initTestCase()
    {
        const QString why = vtest::PostgresCluster::unavailableReason();
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    // 200 while PostgreSQL answers, 503 while it is down, 200 again once it is back,
    // without restarting vornik-server.
    void healthFollowsTheDatabase()
    {
        vtest::PostgresCluster cluster;
        QVERIFY(cluster.start(root() + QStringLiteral("/own-cluster")));
        vtest::ServerProcess server;
        QVERIFY(server.start({.tls = true, .databaseUrl = cluster.createDatabase()}));
        wire::Client client(server);
        const wire::Answer healthy = client.get("/healthz");
        QCOMPARE(healthy.status, 200);
        QCOMPARE(healthy.body, std::string("ok"));
        const std::string name = wire::nameFromAddress(client.upload(wire::userId("health"), wire::pngBytes(5, 5, 0xff000000)).body);
        QVERIFY(!name.empty());
        QVERIFY(cluster.stop());
        QCOMPARE(client.get("/healthz").status, 503);
        QCOMPARE(client.get("/salt/").status, 503);
        // An image the database cannot be asked about is not said to be missing.
        QCOMPARE(client.get("/raw/" + name + ".png").status, 503);
        QCOMPARE(client.get("/" + name + ".png").status, 503);
        // A token cannot be judged without the database: "try again", not "forbidden".
        QCOMPARE(client.get("/history/" + wire::md5("any") + "/" + wire::userId("health")).status, 503);
        QVERIFY(server.isRunning());
        QVERIFY(cluster.start(root() + QStringLiteral("/own-cluster")));
        QCOMPARE(client.get("/healthz").status, 200);
        QCOMPARE(client.upload(wire::userId("health"), wire::pngBytes(4, 4, qRgb(4, 4, 4))).status, 200);
        QCOMPARE(client.get("/raw/" + name + ".png").status, 200);
        QVERIFY(server.stop());
        cluster.stop();
    }

    // One user's 16 clients uploading at once on PostgreSQL: every upload is
    // recorded, each at a time of its own, and the server logs no database error.
    void oneUsersParallelUploadsAreRecordedQuietly()
    {
        vtest::PostgresCluster *cluster = vtest::PostgresCluster::shared();
        QVERIFY(cluster);
        vtest::ServerProcess server;
        QVERIFY(server.start({.tls = false, .extraArguments = {QStringLiteral("--rate-limit"), QStringLiteral("100000")},
                              .databaseUrl = cluster->createDatabase()}));
        constexpr int clients = 16;
        constexpr int uploadsEach = 25;
        const std::string uid = wire::userId("parallel");
        const std::string png = wire::pngBytes(3, 3, 0xff203040);
        std::atomic<int> stored = 0;
        std::vector<std::thread> threads;
        for (int i = 0; i < clients; ++i) {
            threads.emplace_back([&] {
                wire::Client client(server);
                client.keepAlive();
                for (int upload = 0; upload < uploadsEach; ++upload)
                    stored += client.upload(uid, png).status == 200;
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(stored.load(), clients * uploadsEach);
        wire::Client client(server);
        const std::string history = client.history(uid).body;
        QCOMPARE(int(std::count(history.begin(), history.end(), ':')), clients * uploadsEach);
        QVERIFY(server.stop());
        QFile log(server.logFile());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        const qsizetype firstError = logged.indexOf("database:");
        QVERIFY2(firstError < 0, logged.mid(firstError, 300).constData());
    }

    void storageMovesBetweenDatabaseAndFolder_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("postgresql") << true;
        QTest::newRow("sqlite") << false;
    }

    void storageMovesBetweenDatabaseAndFolder()
    {
        QFETCH(bool, postgres);
        vtest::PostgresCluster *cluster = postgres ? vtest::PostgresCluster::shared() : nullptr;
        QVERIFY(!postgres || cluster);
        moveBackAndForth(postgres ? cluster->createDatabase() : QStringLiteral("sqlite:") + root() + QStringLiteral("/moving.db"));
    }

    // --check names the schema version; a database from a newer vornik-server is
    // refused rather than used.
    void checkKnowsTheSchemaVersion()
    {
        vtest::PostgresCluster *cluster = vtest::PostgresCluster::shared();
        QVERIFY(cluster);
        const QString url = cluster->createDatabase();
        const QString data = root() + QStringLiteral("/versions");
        const QStringList where{QStringLiteral("--data"), data, QStringLiteral("--database"), url};
        const Outcome fresh = runServer(where + QStringList{QStringLiteral("--check")});
        QVERIFY2(fresh.status == 0, qPrintable(fresh.output));
        const QRegularExpression version(QStringLiteral("schema version (\\d+) of \\1,"));
        QVERIFY2(version.match(fresh.output).hasMatch(), qPrintable(fresh.output));
        QCOMPARE(cluster->query(url, QStringLiteral("SELECT count(*) FROM schema_migrations")),
                 QStringList{version.match(fresh.output).captured(1)});

        cluster->query(url, QStringLiteral("INSERT INTO schema_migrations(version) VALUES (99)"));
        const Outcome newer = runServer(where + QStringList{QStringLiteral("--check")});
        QCOMPARE(newer.status, 1);
        QVERIFY2(newer.output.contains(QStringLiteral("schema version 99")), qPrintable(newer.output));
        vtest::ServerProcess refused;
        QVERIFY(!refused.start({.tls = false, .dataDir = data, .databaseUrl = url}));
    }

    // A SQLite database as vornik-server wrote it before the schema had versions: its
    // uploads and banner carry over, and the banner still decorates.
    void olderSqliteDatabaseIsBroughtUpToDate()
    {
        const QString data = root() + QStringLiteral("/older");
        QVERIFY(QDir().mkpath(data + QStringLiteral("/images")));
        const std::string uid = wire::userId("older");
        const std::string photo = wire::pngBytes(60, 30, qRgb(0, 0, 255));
        const std::string banner = wire::pngBytes(20, 10, qRgb(255, 0, 0));
        for (const auto &[name, png] : {std::pair{"OldPhoto", photo}, std::pair{"OldBanner", banner}}) {
            QFile file(data + QStringLiteral("/images/%1.png").arg(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(png.data(), qint64(png.size())) == qint64(png.size()));
        }
        const QString schema = QStringLiteral(
            "CREATE TABLE images(name TEXT PRIMARY KEY, owner TEXT NOT NULL, millis INTEGER NOT NULL, banner_key TEXT NOT NULL DEFAULT '');"
            "CREATE INDEX images_by_owner ON images(owner, millis DESC);"
            "CREATE TABLE users(id TEXT PRIMARY KEY, header_image TEXT NOT NULL DEFAULT '', header_color TEXT NOT NULL DEFAULT '');"
            "INSERT INTO images VALUES('OldBanner', '%1', 1700000000000, ''), ('OldPhoto', '%1', 1700000000001, 'OldBanner#00FF00');"
            "INSERT INTO users VALUES('%1', 'OldBanner', '#00FF00');").arg(QString::fromStdString(uid));
        QString output;
        QCOMPARE(vtest::run({QStringLiteral("sqlite3"), data + QStringLiteral("/vornik.db"), schema}, &output), 0);

        vtest::ServerProcess server;
        QVERIFY(server.start({.tls = true, .dataDir = data}));
        wire::Client client(server);
        const std::string history = client.history(uid).body;
        QCOMPARE(history, std::string("{\"1700000000001\":\"OldPhoto\",\"1700000000000\":\"OldBanner\"}"));
        const QImage shown = QImage::fromData(QByteArray::fromStdString(client.get("/OldPhoto.png").body), "PNG");
        QCOMPARE(shown.width(), 60);
        QVERIFY(shown.height() > 30);
        QCOMPARE(QColor(shown.pixel(1, 1)), QColor(0, 255, 0));
        QVERIFY(client.get("/raw/OldPhoto.png").body == photo);
        QVERIFY(server.stop());
        const Outcome check = runServer({QStringLiteral("--data"), data, QStringLiteral("--check")});
        QVERIFY2(check.status == 0, qPrintable(check.output));
    }
};

VORNIK_TEST_MAIN(ServerDatabaseTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = {}, .monitors = {}, .dbus = false}))
#include "server_database_test.moc"
