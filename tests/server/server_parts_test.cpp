#include "server/DataFolderLock.h"
#include "server/ImageStore.h"
#include "server/ImageWork.h"
#include "server/Multipart.h"
#include "server/Random.h"
#include "server/Routes.h"
#include "server/ServerOptions.h"
#include "server/StoreFactory.h"
#include "server/Service.h"
#include "server/TokenStore.h"
#include "service/Protocol.h"
#include "tests/harness/TestMain.h"
#include "tests/server/WireClient.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <set>
#include <sqlite3.h>

using namespace vornik::server;

// The server's parts without a network: tokens and their clock, the form reader,
// the command line and the banner composite.
class ServerPartsTest : public QObject
{
    Q_OBJECT

    static std::string png(int width, int height, QRgb color) { return wire::pngBytes(width, height, color); }

private slots:
    void tokenIsMd5OfSaltAndKey()
    {
        QCOMPARE(TokenStore::tokenForSalt("abc"), std::string("fbb3cdbcd998cdc6200d67780340324c"));
        QCOMPARE(TokenStore::tokenForSalt("abc\n"), std::string("950ac9edbdba1cc8e0ad30c013b535f8"));
    }

    void tokensExpireAndWorkOnce()
    {
        TokenStore::Clock::time_point now{};
        TokenStore store(std::chrono::milliseconds(600000), [&now] { return now; });
        store.remember("one");
        store.remember("two");
        store.remember("three");
        QVERIFY(store.consume(TokenStore::tokenForSalt("one")));
        QVERIFY(!store.consume(TokenStore::tokenForSalt("one")));   // used
        QVERIFY(!store.consume("one"));                              // the salt is not the token
        now += std::chrono::milliseconds(599999);
        QVERIFY(store.consume(TokenStore::tokenForSalt("two")));
        now += std::chrono::milliseconds(1);
        QVERIFY(!store.consume(TokenStore::tokenForSalt("three")));  // ten minutes are up
        QCOMPARE(store.size(), size_t(0));

        const std::string salt = store.issueSalt();
        QCOMPARE(salt.size(), size_t(32));
        QVERIFY(store.issueSalt() != salt);
        QVERIFY(store.consume(TokenStore::tokenForSalt(salt)));
    }

    void tokenTableStaysBounded()
    {
        TokenStore::Clock::time_point now{};
        TokenStore store(std::chrono::milliseconds(1000), [&now] { return now; }, 100);
        for (int i = 0; i < 1000; ++i)
            store.remember("flood" + std::to_string(i));
        QVERIFY(store.size() <= 100);
        QVERIFY(store.consume(TokenStore::tokenForSalt("flood999")));  // the newest survive
        QVERIFY(!store.consume(TokenStore::tokenForSalt("flood0")));
        now += std::chrono::milliseconds(2000);
        store.remember("late");
        QCOMPARE(store.size(), size_t(1));                             // expired ones are swept
        // Names and salts have their length, and every hex digit turns up in either
        // half of a byte.
        QCOMPARE(randomName(24).size(), size_t(24));
        std::set<char> high, low;
        for (int i = 0; i < 200; ++i) {
            const std::string hex = randomHex(8);
            QCOMPARE(hex.size(), size_t(16));
            for (size_t at = 0; at < hex.size(); ++at)
                (at % 2 ? low : high).insert(hex[at]);
        }
        QCOMPARE(high.size(), size_t(16));
        QCOMPARE(low.size(), size_t(16));
        // A table bound of nothing still holds the newest token.
        TokenStore tiny(std::chrono::milliseconds(1000), [&now] { return now; }, 0);
        tiny.remember("only");
        QVERIFY(tiny.consume(TokenStore::tokenForSalt("only")));
    }

    void formReaderTakesFieldNamesByteForByte()
    {
        const std::string body = "preamble\r\n--XyZ\r\n"
                                 "Content-Disposition: form-data; name=\"name\"\r\n\r\nuserid\r\n"
                                 "--XyZ\r\ncontent-disposition: FORM-DATA; name=\"\\r\n\r\n\"\r\n\r\nabc\r\n"
                                 "--XyZ\r\nContent-Disposition: form-data; name=\"filename\"; filename=\"a b.png\"\r\n"
                                 "Content-Type: image/png\r\n\r\n\r\n--Xy\r\n\r\nbinary\r\n--XyZ--\r\nepilogue";
        const auto parts = parseMultipart(body, "XyZ");
        QVERIFY(parts);
        QCOMPARE(parts->size(), size_t(3));
        QCOMPARE(parts->at(0).data, std::string_view("userid"));
        const FormPart *user = findPart(*parts, vornik::protocol::formUserIdField);
        QVERIFY(user);
        QCOMPARE(user->name.size(), size_t(5));
        QCOMPARE(user->data, std::string_view("abc"));
        const FormPart *file = findPart(*parts, "filename");
        QVERIFY(file && file->hasFilename);
        QCOMPARE(file->filename, std::string("a b.png"));
        QCOMPARE(file->contentType, std::string("image/png"));
        QCOMPARE(file->data, std::string_view("\r\n--Xy\r\n\r\nbinary"));  // a near-boundary stays data
        QVERIFY(!parts->at(0).hasFilename);
    }

    // Blanks between a delimiter and its line end are padding, not a broken body.
    void delimitersMayBePaddedWithBlanks()
    {
        const auto parts = parseMultipart("--b \t\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nv\r\n--b--", "b");
        QVERIFY(parts);
        QCOMPARE(parts->size(), size_t(1));
        QCOMPARE(parts->at(0).data, std::string_view("v"));
    }

    void formReaderRejectsBrokenBodies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("no delimiter") << QByteArray("hello");
        QTest::newRow("unclosed part") << QByteArray("--b\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nvalue");
        QTest::newRow("unclosed quote") << QByteArray("--b\r\nContent-Disposition: form-data; name=\"a\r\n\r\nv\r\n--b--");
        QTest::newRow("no disposition") << QByteArray("--b\r\nContent-Type: text/plain\r\n\r\nv\r\n--b--");
        QTest::newRow("no name") << QByteArray("--b\r\nContent-Disposition: form-data\r\n\r\nv\r\n--b--");
        QTest::newRow("not form-data") << QByteArray("--b\r\nContent-Disposition: attachment; name=\"a\"\r\n\r\nv\r\n--b--");
        QTest::newRow("header without colon") << QByteArray("--b\r\nContent-Disposition: form-data; name=\"a\"\r\nbogus\r\n\r\nv\r\n--b--");
        QTest::newRow("junk after delimiter") << QByteArray("--bjunk\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nv\r\n--b--");
    }

    void formReaderRejectsBrokenBodies()
    {
        QFETCH(QByteArray, body);
        QVERIFY(!parseMultipart(std::string_view(body.constData(), size_t(body.size())), "b"));
    }

    void boundaryFromContentType()
    {
        QCOMPARE(multipartBoundary("multipart/form-data; boundary=abc").value_or(""), std::string("abc"));
        QCOMPARE(multipartBoundary("Multipart/Form-Data;charset=utf-8; BOUNDARY=\"a;b c\"").value_or(""), std::string("a;b c"));
        QVERIFY(!multipartBoundary("multipart/form-data"));
        QVERIFY(!multipartBoundary("multipart/form-data; boundary="));
        QVERIFY(!multipartBoundary("application/octet-stream; boundary=abc"));
        QVERIFY(!multipartBoundary("multipart/form-data; boundary=\"open"));
    }

    void commandLine()
    {
        auto parse = [](std::vector<std::string> arguments) { return parseCommandLine(arguments); };
        const ParseResult full = parse({"--data", "/d", "--listen", "127.0.0.1:9000", "--public-url",
                                        "https://localhost:9000/", "--cert", "c", "--key", "k", "--max-upload-mb", "3"});
        QVERIFY2(full.error.empty(), full.error.c_str());
        QCOMPARE(full.options.listenPort, 9000);
        QCOMPARE(full.options.maxUploadBytes, 3LL * 1024 * 1024);
        QCOMPARE(full.options.publicBase(), std::string("localhost:9000"));
        QCOMPARE(parse({"--data", "/d", "--listen", "0.0.0.0:80"}).options.publicBase(), std::string("0.0.0.0:80"));
        QVERIFY(parse({"--help"}).options.showHelp);
        QVERIFY(!parse({}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--cert", "c"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--listen", "localhost"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--listen", "h:70000"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--max-upload-mb", "0"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--max-upload-mb", "2x"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--bogus", "1"}).error.empty());
        QVERIFY(!parse({"--data"}).error.empty());
        QVERIFY(helpText().find("--public-url") != std::string::npos);

        // Values that would overflow are refused, and the defaults stay as they were.
        const ParseResult huge = parse({"--data", "/d", "--max-upload-mb", "9223372036854775807"});
        QVERIFY(!huge.error.empty());
        QCOMPARE(huge.options.maxUploadBytes, ServerOptions().maxUploadBytes);
        const ParseResult lasting = parse({"--data", "/d", "--token-lifetime-ms", "9223372036854775807"});
        QVERIFY(!lasting.error.empty());
        QCOMPARE(lasting.options.tokenLifetimeMs, ServerOptions().tokenLifetimeMs);
        QVERIFY(!parse({"--data", "/d", "--header-timeout-ms", "99999999999"}).error.empty());
        const ParseResult limits = parse({"--data", "/d", "--max-connections", "50", "--max-connections-per-address", "5",
                                          "--header-timeout-ms", "1500", "--min-rate", "1000"});
        QVERIFY2(limits.error.empty(), limits.error.c_str());
        QCOMPARE(limits.options.maxConnections, 50);
        QCOMPARE(limits.options.maxConnectionsPerAddress, 5);
        QCOMPARE(limits.options.headerTimeoutMs, 1500LL);
        QCOMPARE(limits.options.minRateBytes, 1000LL);
    }

    // Which database and image storage the command line names, and the defaults:
    // SQLite and the image folder both in the data folder.
    void databaseAndStorage()
    {
        auto parse = [](std::vector<std::string> arguments) { return parseCommandLine(arguments); };
        const ParseResult plain = parse({"--data", "/d"});
        QCOMPARE(plain.options.databaseUrl, std::string("sqlite:/d/vornik.db"));
        QCOMPARE(plain.options.imageFolder(), std::string("/d"));
        QVERIFY(!plain.options.imagesInDatabase());
        const ParseResult team = parse({"--database", "postgresql://v@db/v", "--storage", "folder:/srv/images"});
        QVERIFY2(team.error.empty(), team.error.c_str());
        QCOMPARE(team.options.imageFolder(), std::string("/srv/images"));
        const ParseResult whole = parse({"--database", "postgres://v@db/v", "--storage", "database", "--migrate-storage"});
        QVERIFY2(whole.error.empty(), whole.error.c_str());
        QVERIFY(whole.options.imagesInDatabase() && whole.options.migrateStorage);
        // Without --data, both must be named; and only the known forms are taken.
        QVERIFY(!parse({"--database", "postgresql://v@db/v"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--database", "mysql://v@db/v"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--database", "sqlite:"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--storage", "folder:"}).error.empty());
        QVERIFY(!parse({"--data", "/d", "--storage", "s3"}).error.empty());
        std::string error;
        QVERIFY(!makeStore("mysql://x", 1, {}, &error) && !error.empty());
        QCOMPARE(makeStore("sqlite:/d/x.db", 1, {}, &error)->engine(), std::string("sqlite"));
        const auto shared = makeStore("postgresql://v@db/v", 4, {}, &error);
        QVERIFY(shared->shared());
        QCOMPARE(shared->engine(), std::string("postgresql"));

        // A data folder the server makes is its own alone, and held by one server.
        QTemporaryDir root;
        const std::string data = root.path().toStdString() + "/data";
        DataFolderLock held, second;
        QVERIFY2(held.acquire(data, &error), error.c_str());
        QCOMPARE(QFile::permissions(QString::fromStdString(data)) & 0x7777,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QVERIFY(!second.acquire(data, &error) && !error.empty());
    }

    // Request targets as the routes read them.
    void targetDecoding()
    {
        QCOMPARE(percentDecoded("/a%2Fb%zz%4", false), std::string("/a/b%zz%4"));
        QCOMPARE(percentDecoded("a+b%2B", true), std::string("a b+"));
        QCOMPARE(percentDecoded("a+b", false), std::string("a+b"));
        const std::string query = "id=abc&headerImage=https://h:1/N.png&headerColor=%23FF00AA&empty=&flag";
        QCOMPARE(queryValue(query, "headerColor"), std::string("#FF00AA"));
        QCOMPARE(queryValue(query, "headerImage"), std::string("https://h:1/N.png"));
        QCOMPARE(queryValue(query, "empty"), std::string());
        QCOMPARE(queryValue(query, "flag"), std::string());
        QCOMPARE(queryValue(query, "missing"), std::string());
        QCOMPARE(firstPathWord("/upload/0123456789abcdef"), std::string("/upload"));
        QCOMPARE(firstPathWord("/" + std::string(40, 'x')), "/" + std::string(23, 'x'));
    }

    void bannerComposite()
    {
        // A wide banner is scaled down to the image's width, keeping its shape.
        const auto composed = composeWithBanner(png(100, 50, qRgb(0, 0, 255)), png(400, 100, qRgb(255, 0, 0)), "#00ff00");
        QVERIFY(composed);
        const QImage image = QImage::fromData(QByteArray::fromStdString(*composed), "PNG");
        const int bannerWidth = 100 - 2 * bannerPadding;
        const int strip = bannerWidth / 4 + 2 * bannerPadding;
        QCOMPARE(image.size(), QSize(100, strip + 50));
        QCOMPARE(QColor(image.pixel(0, 0)), QColor(0, 255, 0));
        QCOMPARE(QColor(image.pixel(50, strip / 2)), QColor(255, 0, 0));
        QCOMPARE(QColor(image.pixel(50, strip + 25)), QColor(0, 0, 255));
        QCOMPARE(QColor(image.pixel(99, image.height() - 1)), QColor(0, 0, 255));

        // A tall banner stops at the strip's height limit.
        const auto tall = composeWithBanner(png(800, 600, qRgb(1, 1, 1)), png(50, 1000, qRgb(2, 2, 2)), "#123456");
        QVERIFY(tall);
        QCOMPARE(QImage::fromData(QByteArray::fromStdString(*tall), "PNG").height(), 600 + bannerMaxImageHeight + 2 * bannerPadding);
        QVERIFY(!composeWithBanner("not png", png(4, 4, 0), "#000000"));
    }

    // The storage and the service check names themselves, whatever the routes in front
    // of them let through: a name with a path in it reaches no file beside the images.
    void namesCannotLeaveTheImageFolder()
    {
        QTemporaryDir data;
        const std::string dir = data.path().toStdString();
        std::string error;
        ImageStore store;
        QVERIFY(store.open(dir, &error));
        const QString secret = data.filePath(QStringLiteral("secret.png"));
        QFile file(secret);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("secret") == 6);
        file.close();

        for (const std::string &bad : {std::string("../secret"), std::string(".."), std::string(), std::string("a/b"),
                                       std::string("a.b"), std::string("a b"), std::string("@"), std::string("["),
                                       std::string("`"), std::string("{"), std::string("/"), std::string(":"),
                                       std::string("\xc3\xa4"), std::string(65, 'a')})
            QVERIFY2(!ImageStore::isValidName(bad), bad.c_str());
        for (const std::string &good : {std::string("A"), std::string("Z"), std::string("a"), std::string("z"),
                                        std::string("0"), std::string("9"), std::string(64, 'x')})
            QVERIFY2(ImageStore::isValidName(good), good.c_str());

        QVERIFY(!store.readOriginal("../secret"));
        QVERIFY(!store.readCached("../images/../secret"));
        QVERIFY(!store.writeOriginal("../planted", "x"));
        QVERIFY(!store.writeCached("../planted", "x"));
        QVERIFY(!QFile::exists(data.filePath(QStringLiteral("planted.png"))));
        store.remove("../secret");
        store.removeCached("../secret");
        QVERIFY(QFile::exists(secret));

        ServerOptions options;
        options.dataDir = dir;
        options.publicUrl = "https://localhost:1/";
        Service service(options);
        QVERIFY2(service.open(&error), error.c_str());
        const auto token = [&] { return TokenStore::tokenForSalt(service.salt().body); };
        const std::string uid = wire::userId("names");
        QCOMPARE(service.raw("../secret").status, 404);
        QCOMPARE(service.decorated("../secret").status, 404);
        QCOMPARE(service.remove(token(), "../secret", uid).status, 404);
        // A banner link may only name an upload of this server, never a path.
        QCOMPARE(service.setUser(token(), uid, "https://localhost:1/../secret.png", "#000000").status, 400);
        QCOMPARE(service.setUser(token(), uid, "localhost:1/.png", "#000000").status, 400);
        QCOMPARE(service.setUser(token(), uid, "https://elsewhere:1/abc.png", "#000000").status, 400);
        QCOMPARE(service.setUser(token(), uid, "https://localhost:1/abc.png", "#000000").status, 404);
        QVERIFY(QFile::exists(secret));
        service.close();
    }

    // An image the index refuses is taken away again and the upload fails: no link is
    // handed out for an image that is not listed.
    void uploadThatCannotBeRecordedFails()
    {
        QTemporaryDir data;
        ServerOptions options;
        options.dataDir = data.path().toStdString();
        options.publicUrl = "http://localhost:1/";
        Service service(options);
        std::string error;
        QVERIFY2(service.open(&error), error.c_str());
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(data.filePath(QStringLiteral("vornik.db")).toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "CREATE TRIGGER refuse BEFORE INSERT ON images BEGIN SELECT RAISE(ABORT, 'no'); END;",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        const std::string body = wire::uploadForm("b", wire::userId("refused"), wire::pngBytes(4, 4, 0));
        const Reply reply = service.upload(TokenStore::tokenForSalt(service.salt().body),
                                           "multipart/form-data; boundary=b", body);
        QCOMPARE(reply.status, 500);
        QCOMPARE(reply.body, std::string("could not record the image"));
        QCOMPARE(QDir(data.filePath(QStringLiteral("images"))).entryList(QDir::Files), QStringList());
        service.close();
    }

    void colorsAndPngCheck()
    {
        QVERIFY(isHexColor("#A0b1C2"));
        QVERIFY(!isHexColor("A0B1C2"));
        QVERIFY(!isHexColor("#A0B1C"));
        QVERIFY(!isHexColor("#G0B1C2"));
        QVERIFY(isDecodablePng(png(3, 3, 0)));
        QVERIFY(!isDecodablePng(png(3, 3, 0).substr(0, 30)));
        QVERIFY(!isDecodablePng(""));
    }
};

VORNIK_TEST_MAIN(ServerPartsTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = {}, .monitors = {}, .dbus = false}))
#include "server_parts_test.moc"
