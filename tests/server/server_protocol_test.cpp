#include "Version.h"
#include "service/MultipartForm.h"
#include "tests/harness/TestMain.h"
#include "tests/server/LoopbackSocket.h"
#include "tests/server/WireClient.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sys/time.h>

// vornik-server over loopback HTTPS, spoken to in raw bytes: the client's exact
// upload form, token rules, per-user isolation, limits, paths that try to leave
// the data folder, and the banner composite.
class ServerProtocolTest : public QObject
{
    Q_OBJECT

    vtest::ServerProcess m_server;

    static std::string path(const std::string &word, std::initializer_list<std::string> segments)
    {
        std::string text = "/" + word;
        for (const std::string &segment : segments)
            text += segment + "/";
        text.pop_back();
        return text;
    }

    // Names recorded in the database, read straight from it.
    QStringList recordedNames(const vtest::ServerProcess &server)
    {
        return vtest::recordedImageNames(server);
    }

    static QImage decode(const std::string &bytes)
    {
        return QImage::fromData(QByteArray::fromStdString(bytes), "PNG");
    }

    static std::string noisePng(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        auto *random = QRandomGenerator::global();
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x)
                line[x] = 0xff000000u | random->bounded(0x1000000u);
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
        return bytes.toStdString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
    }

    void saltsAreFreshAndTokensWorkOnce()
    {
        wire::Client client(m_server);
        const wire::Answer first = client.get("/salt/");
        const wire::Answer second = client.get("/salt/");
        QCOMPARE(first.status, 200);
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32,}$")).match(QString::fromStdString(first.body)).hasMatch());
        QVERIFY(first.body != second.body);

        const std::string uid = wire::userId("tokens");
        const std::string token = wire::tokenFor(first.body);
        QCOMPARE(client.get(path("history/", {token, uid})).status, 200);
        const wire::Answer replay = client.get(path("history/", {token, uid}));
        QCOMPARE(replay.status, 403);
        QVERIFY(!replay.body.empty());

        // A token made with another key, a made-up token, and none at all.
        QCOMPARE(client.get(path("history/", {wire::md5(client.salt() + "0123456789abcdef0123456789abcdef"), uid})).status, 403);
        QCOMPARE(client.get(path("history/", {wire::md5("never handed out"), uid})).status, 403);
        QCOMPARE(client.get("/history//" + uid).status, 403);
        // The salt itself is not the token.
        QCOMPARE(client.get(path("history/", {client.salt(), uid})).status, 403);
        // The second salt is still good although a later one was used first.
        QCOMPARE(client.get(path("history/", {wire::tokenFor(second.body), uid})).status, 200);
    }

    void clientFormIsStoredByteForByte()
    {
        wire::Client client(m_server);
        const std::string uid = wire::userId("form");
        const std::string png = wire::pngBytes(64, 48, qRgb(10, 200, 30));
        const int filesBefore = wire::storedFileCount(m_server);

        // The form exactly as the client library writes it.
        MultipartForm form;
        form.addText("name", "userid");
        form.addText(QByteArray::fromStdString(std::string(vornik::protocol::formUserIdField)), QByteArray::fromStdString(uid));
        form.addFile("filename", "a2.png", "image/png", QByteArray::fromStdString(png));
        const QByteArray body = form.body();
        QVERIFY(body.contains(QByteArray("name=\"\x5c\x72\x0a\x0d\x0a\"", 12)));
        const wire::Answer reply = client.post("/upload/" + client.token(), body.toStdString(), form.contentType().toStdString());
        QCOMPARE(reply.status, 200);
        const QRegularExpression address(QStringLiteral("^127\\.0\\.0\\.1:%1/([A-Za-z0-9]{16,})\\.png$").arg(m_server.port()));
        const auto match = address.match(QString::fromStdString(reply.body));
        QVERIFY2(match.hasMatch(), reply.body.c_str());
        const std::string name = match.captured(1).toStdString();

        const wire::Answer raw = client.get("/raw/" + name + ".png");
        QCOMPARE(raw.status, 200);
        QVERIFY(raw.body == png);
        QCOMPARE(raw.contentType, std::string("image/png"));
        QCOMPARE(raw.nosniff, std::string("nosniff"));
        const wire::Answer shown = client.get("/" + name + ".png");  // no banner set: as uploaded
        QCOMPARE(shown.status, 200);
        QVERIFY(shown.body == png);
        QCOMPARE(shown.nosniff, std::string("nosniff"));

        // A quoted boundary, as other form writers send it, works the same.
        const std::string quotedBody = wire::uploadForm("q.oOo.q", uid, png);
        const wire::Answer quoted =
            client.post("/upload/" + client.token(), quotedBody, "multipart/form-data; boundary=\"q.oOo.q\"");
        QCOMPARE(quoted.status, 200);
        QVERIFY(quoted.body != reply.body);

        QCOMPARE(wire::storedFileCount(m_server), filesBefore + 2);
        QVERIFY(recordedNames(m_server).contains(QString::fromStdString(name)));
        QCOMPARE(client.history(uid).body.find(name) != std::string::npos, true);
    }

    void badUploadsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<int>("status");
        const std::string png = wire::pngBytes(8, 8, qRgb(1, 2, 3));
        const std::string uid = wire::userId("bad uploads");
        const std::string type = "multipart/form-data; boundary=b";
        auto row = [](const char *label, const std::string &body, const std::string &type, int status) {
            QTest::newRow(label) << QByteArray::fromStdString(body) << QByteArray::fromStdString(type) << status;
        };
        row("upper-case user id", wire::uploadForm("b", QString::fromStdString(uid).toUpper().toStdString(), png), type, 400);
        row("short user id", wire::uploadForm("b", uid.substr(1), png), type, 400);
        row("user id under another name", wire::uploadForm("b", uid, png, "uid"), type, 400);
        row("four-byte field name", wire::uploadForm("b", uid, png, "\\r\r\n"), type, 400);
        row("not multipart", png, "image/png", 400);
        row("no closing boundary", wire::uploadForm("b", uid, png).substr(0, 200), type, 400);
        row("text file", wire::uploadForm("b", uid, "hello, this is not an image"), type, 415);
        row("png signature, broken data", wire::uploadForm("b", uid, png.substr(0, 40)), type, 415);
        std::string renamed = wire::uploadForm("b", uid, std::string("GIF89a") + png.substr(6));
        row("other signature", renamed, type, 415);
    }

    void badUploadsChangeNothing()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QFETCH(int, status);
        wire::Client client(m_server);
        const int files = wire::storedFileCount(m_server);
        const int rows = recordedNames(m_server).size();
        const wire::Answer reply = client.post("/upload/" + client.token(), body.toStdString(), contentType.toStdString());
        QCOMPARE(reply.status, status);
        QVERIFY(!reply.body.empty());
        QCOMPARE(wire::storedFileCount(m_server), files);
        QCOMPARE(recordedNames(m_server).size(), rows);
        QVERIFY(QDir(m_server.dataDir() + QStringLiteral("/tmp")).isEmpty());
    }

    void sizeLimitGives413()
    {
        vtest::ServerProcess small;
        QVERIFY(small.start({.tls = false, .maxUploadMb = 1}));
        wire::Client client(small);
        const std::string uid = wire::userId("size");
        const std::string fits = noisePng(550, 600);   // about 0.95 MiB
        const std::string tooLarge = noisePng(700, 600); // about 1.2 MiB
        QVERIFY(fits.size() < 1024 * 1024 && tooLarge.size() > 1024 * 1024);
        QCOMPARE(client.upload(uid, tooLarge).status, 413);
        QCOMPARE(wire::storedFileCount(small), 0);
        QCOMPARE(client.upload(uid, fits).status, 200);
        QCOMPARE(wire::storedFileCount(small), 1);

        // A body announced past what any upload within the limit can take (3 MiB) is
        // refused from its headers, before a byte of it is sent.
        const int fd = loopback::connectFrom(small.port());
        QVERIFY(fd >= 0);
        const std::string head = "POST /upload/" + client.token() + " HTTP/1.1\r\nHost: x\r\n"
                                 "Content-Type: multipart/form-data; boundary=b\r\nContent-Length: 3145728\r\n\r\n";
        QCOMPARE(send(fd, head.data(), head.size(), MSG_NOSIGNAL), ssize_t(head.size()));
        const timeval patience{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
        char answer[12] = {};
        const ssize_t got = recv(fd, answer, sizeof answer, MSG_WAITALL);
        close(fd);
        QCOMPARE(std::string(answer, size_t(std::max<ssize_t>(got, 0))), std::string("HTTP/1.1 413"));
    }

    void expiredSaltGives403()
    {
        vtest::ServerProcess hasty;
        QVERIFY(hasty.start({.tls = true, .tokenLifetimeMs = 0}));
        wire::Client client(hasty);
        const std::string uid = wire::userId("expired");
        QCOMPARE(client.upload(uid, wire::pngBytes(4, 4, qRgb(9, 9, 9))).status, 403);
        QCOMPARE(client.history(uid).status, 403);
        QCOMPARE(wire::storedFileCount(hasty), 0);
        QVERIFY(recordedNames(hasty).isEmpty());
    }

    void historyIsNewestFirstAndPerUser()
    {
        wire::Client client(m_server);
        const std::string uid = wire::userId("history");
        QStringList uploaded;
        for (int i = 0; i < 12; ++i) {
            const wire::Answer reply = client.upload(uid, wire::pngBytes(4 + i, 4, qRgb(i, 0, 0)));
            QCOMPARE(reply.status, 200);
            uploaded.prepend(QString::fromStdString(wire::nameFromAddress(reply.body)));
        }
        const QRegularExpression entry(QStringLiteral("\"(\\d{13})\":\"([A-Za-z0-9]+)\""));
        auto entries = [&](const std::string &body) {
            QStringList names;
            qint64 previous = std::numeric_limits<qint64>::max();
            const QString text = QString::fromStdString(body);
            if (!text.startsWith(QLatin1Char('{')) || !text.endsWith(QLatin1Char('}')))
                return QStringList{QStringLiteral("malformed")};
            for (const auto &match : entry.globalMatch(text)) {
                if (match.captured(1).toLongLong() >= previous)
                    names << QStringLiteral("out of order");
                previous = match.captured(1).toLongLong();
                names << match.captured(2);
            }
            return names;
        };
        const wire::Answer all = client.history(uid);
        QCOMPARE(all.status, 200);
        QCOMPARE(entries(all.body), uploaded);
        QCOMPARE(entries(client.history(uid, true).body), uploaded.mid(0, 10));
        QCOMPARE(client.history(wire::userId("nobody")).body, std::string("{}"));
        QCOMPARE(client.get(path("history/", {client.token(), "NOT-A-USER"})).status, 400);
        QCOMPARE(client.get(path("history/", {client.token(), wire::userId("x") + "/20"})).status, 404);
    }

    void pathsCannotLeaveTheDataFolder()
    {
        wire::Client client(m_server);
        const std::string uid = wire::userId("paths");
        const std::string name = wire::nameFromAddress(client.upload(uid, wire::pngBytes(5, 5, qRgb(5, 5, 5))).body);
        QVERIFY(!name.empty());
        const std::string tries[] = {
            "/raw/../vornik.db", "/raw/..%2Fvornik.db", "/raw/%2e%2e%2fvornik.db", "/raw/%2E%2E/vornik.db",
            "/..%2Fvornik.db", "/%2e%2e/%2e%2e/etc/passwd", "/images/" + name + ".png", "/raw/..%2Fimages%2F" + name + ".png",
            "/raw/" + name + ".png/..", "/raw/" + name + "%00.png", "/raw/" + name, "/" + name + ".PNG", "/raw/.png",
            "/vornik.db", "/salt", "/salt/extra",
        };
        for (const std::string &attempt : tries) {
            const wire::Answer reply = client.get(attempt);
            QVERIFY2(reply.status == 404, (attempt + " gave " + std::to_string(reply.status)).c_str());
            QVERIFY(reply.body.find("SQLite") == std::string::npos);
        }
        for (const std::string &victim : std::vector<std::string>{"..%2F..%2Fvornik", "..", "%2e%2e", name + "%2F.."}) {
            const wire::Answer reply = client.get(path("delete/", {client.token(), victim, uid}));
            QVERIFY2(reply.status == 404, victim.c_str());
        }
        QVERIFY(recordedNames(m_server).contains(QString::fromStdString(name)));
        QCOMPARE(client.get("/raw/" + name + ".png").status, 200);
    }

    void usersOnlyDeleteTheirOwn()
    {
        wire::Client client(m_server);
        const std::string owner = wire::userId("owner");
        const std::string other = wire::userId("other");
        const std::string png = wire::pngBytes(6, 6, qRgb(60, 60, 60));
        const std::string name = wire::nameFromAddress(client.upload(owner, png).body);
        const int files = wire::storedFileCount(m_server);

        const wire::Answer stolen = client.get(path("delete/", {client.token(), name, other}));
        QCOMPARE(stolen.status, 404);
        QVERIFY(client.get("/raw/" + name + ".png").body == png);
        QVERIFY(client.history(owner).body.find(name) != std::string::npos);
        QCOMPARE(wire::storedFileCount(m_server), files);
        QCOMPARE(client.get(path("delete/", {client.token(), name, "0123"})).status, 400);
        QCOMPARE(client.get(path("delete/", {wire::md5("stale"), name, owner})).status, 403);

        const wire::Answer deleted = client.get(path("delete/", {client.token(), name, owner}));
        QCOMPARE(deleted.status, 200);
        QVERIFY(!deleted.body.empty());
        QCOMPARE(client.get("/raw/" + name + ".png").status, 404);
        QCOMPARE(client.get("/" + name + ".png").status, 404);
        QVERIFY(client.history(owner).body.find(name) == std::string::npos);
        QCOMPARE(wire::storedFileCount(m_server), files - 1);
        QVERIFY(!recordedNames(m_server).contains(QString::fromStdString(name)));
        QCOMPARE(client.get(path("delete/", {client.token(), name, owner})).status, 404);
    }

    // The first read of an image asks the database; later ones are answered from
    // the server's memory, and must not differ from it in anything: headers, HEAD,
    // a tag that still matches, ranges, and the 404 once the owner deletes it.
    void rawReadsAgainAreAnsweredAlike()
    {
        wire::Client client(m_server);
        const std::string owner = wire::userId("reader again");
        const std::string png = noisePng(300, 200);
        const std::string name = wire::nameFromAddress(client.upload(owner, png).body);
        QVERIFY(!name.empty());
        httplib::Client raw(m_server.baseUrl().chopped(1).toStdString());
        raw.set_ca_cert_path(m_server.caFile().toStdString());
        const std::string target = "/raw/" + name + ".png";
        const auto first = raw.Get(target.c_str());
        QVERIFY(first && first->status == 200 && first->body == png);
        for (int again = 0; again < 2; ++again) {
            const auto later = raw.Get(target.c_str());
            QVERIFY(later && later->status == 200 && later->body == png);
            QCOMPARE(later->headers, first->headers);
        }
        const auto head = raw.Head(target.c_str());
        QVERIFY(head && head->status == 200 && head->body.empty());
        QCOMPARE(head->get_header_value("Content-Length"), std::to_string(png.size()));
        const auto unchanged = raw.Get(target.c_str(), {{"If-None-Match", first->get_header_value("ETag")}});
        QVERIFY(unchanged && unchanged->status == 304 && unchanged->body.empty());
        const auto ranged = raw.Get(target.c_str(), {{"Range", "bytes=0-9,0-9,0-9"}});
        QVERIFY(ranged && ranged->body.size() <= png.size());

        QCOMPARE(client.get(path("delete/", {client.token(), name, owner})).status, 200);
        QCOMPARE(raw.Get(target.c_str())->status, 404);
        QCOMPARE(raw.Head(target.c_str())->status, 404);
    }

    void bannerDecoratesOnlyTheOwnersImages()
    {
        wire::Client client(m_server);
        const std::string uid = wire::userId("banner");
        const std::string other = wire::userId("banner thief");
        const std::string bannerAddress = client.upload(uid, wire::pngBytes(40, 20, qRgb(255, 0, 0))).body;
        const std::string photoPng = wire::pngBytes(200, 100, qRgb(0, 0, 255));
        const std::string photo = wire::nameFromAddress(client.upload(uid, photoPng).body);
        const std::string othersPng = wire::pngBytes(30, 30, qRgb(0, 0, 0));
        const std::string othersPhoto = wire::nameFromAddress(client.upload(other, othersPng).body);
        auto setUser = [&](const std::string &id, const std::string &link, const std::string &color) {
            return client.get("/setuser/" + client.token() + "?id=" + id + "&headerImage=" + link + "&headerColor=" + color);
        };

        // The reply is the banner's full link, which the client keeps to protect it.
        const wire::Answer saved = setUser(uid, "https://" + bannerAddress, "%2300FF00");
        QCOMPARE(saved.status, 200);
        QCOMPARE(saved.body, m_server.baseUrl().toStdString() + wire::nameFromAddress(bannerAddress) + ".png");
        QCOMPARE(setUser(uid, "http://" + bannerAddress, "%2300FF00").body, saved.body);
        const wire::Answer shown = client.get("/" + photo + ".png");
        QCOMPARE(shown.status, 200);
        QCOMPARE(shown.nosniff, std::string("nosniff"));
        const QImage composed = decode(shown.body);
        QVERIFY(composed.height() > 100);
        const int strip = composed.height() - 100;
        QCOMPARE(composed.width(), 200);
        QCOMPARE(QColor(composed.pixel(1, 1)), QColor(0, 255, 0));                 // strip color
        QCOMPARE(QColor(composed.pixel(100, strip / 2)), QColor(255, 0, 0));      // banner in the middle
        QCOMPARE(QColor(composed.pixel(100, strip + 50)), QColor(0, 0, 255));     // the photo below
        QVERIFY(client.get("/raw/" + photo + ".png").body == photoPng);
        QVERIFY(client.get("/" + photo + ".png").body == shown.body);               // from the cache

        // Nobody decorates with another user's image, or with anything from outside.
        QCOMPARE(setUser(other, "https://" + bannerAddress, "%23000000").status, 404);
        QCOMPARE(setUser(other, "https://example.com/" + wire::nameFromAddress(bannerAddress) + ".png", "%23000000").status, 400);
        QCOMPARE(setUser(other, "https://" + bannerAddress + "/../x", "%23000000").status, 400);
        QVERIFY(client.get("/" + othersPhoto + ".png").body == othersPng);
        QCOMPARE(setUser(uid, "https://" + bannerAddress, "red").status, 400);
        QCOMPARE(setUser("ABC", "https://" + bannerAddress, "%23FFFFFF").status, 400);

        // A new color makes a new composite.
        QCOMPARE(setUser(uid, "https://" + bannerAddress, "%23FFFFFF").status, 200);
        QCOMPARE(QColor(decode(client.get("/" + photo + ".png").body).pixel(1, 1)), QColor(Qt::white));

        // The banner's image cannot be deleted while it is the banner: shared images keep it.
        const std::string banner = wire::nameFromAddress(bannerAddress);
        const wire::Answer refused = client.get(path("delete/", {client.token(), banner, uid}));
        QCOMPARE(refused.status, 409);
        QCOMPARE(decode(client.get("/" + photo + ".png").body).height(), composed.height());
        QCOMPARE(client.get("/raw/" + banner + ".png").status, 200);

        // Once another banner is set, the old one deletes and the shared images keep the new.
        const std::string second = client.upload(uid, wire::pngBytes(10, 10, qRgb(255, 255, 0))).body;
        QCOMPARE(setUser(uid, "https://" + second, "%23000080").status, 200);
        QCOMPARE(client.get(path("delete/", {client.token(), banner, uid})).status, 200);
        QCOMPARE(QColor(decode(client.get("/" + photo + ".png").body).pixel(1, 1)), QColor(0, 0, 128));
        // An empty link, as the client sends it for "no image", clears the banner.
        QVERIFY(client.get("/" + photo + ".png").body != photoPng);
        const wire::Answer cleared = setUser(uid, "", "%23FFFFFF");
        QCOMPARE(cleared.status, 200);
        QCOMPARE(cleared.body, std::string());
        QVERIFY(client.get("/" + photo + ".png").body == photoPng);
    }

    void pagesArePlainDocumentsAndEveryReplyIsLocked()
    {
        wire::Client client(m_server);
        for (const char *page : {"/", "/help/screen-recording", "/help/editor"}) {
            const wire::Answer answer = client.get(page);
            QCOMPARE(answer.status, 200);
            QCOMPARE(answer.contentType, std::string("text/html; charset=utf-8"));
            QVERIFY2(answer.body.find("<html") != std::string::npos, page);
            QVERIFY2(answer.body.find("<script") == std::string::npos && answer.body.find("style=") == std::string::npos, page);
            QVERIFY2(answer.body.find("vornik-server " VORNIK_VERSION) != std::string::npos, page);
        }
        // The permission window opens the screen-recording help at "#bottom".
        QVERIFY(client.get("/help/screen-recording").body.find("id=\"bottom\"") != std::string::npos);
        QVERIFY(client.get("/").body.find("serviceurl") != std::string::npos);
        QCOMPARE(client.get("/help/nothing").status, 404);
        QCOMPARE(client.get("/help/editor/x").status, 404);
        // The editor page tells the text tool's real order (type, then click) and names
        // every drawing tool.
        const std::string editor = client.get("/help/editor").body;
        QVERIFY(editor.find("type the text in the box that opens under the tool\nbar, then click") != std::string::npos);
        for (const char *tool : {"Pixelate", "blur", "Highlighter", "Counter", "Pen", "Double-click", "Ctrl+0"})
            QVERIFY2(editor.find(tool) != std::string::npos, tool);

        // Pages, data and errors alike: nothing is sniffed, nothing may load or run.
        for (const char *path : {"/", "/salt/", "/help/nothing", "/raw/nothing.png"}) {
            const wire::Answer answer = client.get(path);
            QCOMPARE(answer.nosniff, std::string("nosniff"));
            QVERIFY2(answer.policy.rfind("default-src 'none'", 0) == 0, path);
            QVERIFY2(answer.policy.find("frame-ancestors 'none'") != std::string::npos, path);
        }
    }

    void restartKeepsEverythingConsistent()
    {
        const std::string uid = wire::userId("restart");
        const std::string png = wire::pngBytes(12, 12, qRgb(12, 12, 12));
        std::string name;
        // A client that keeps its connection open must not hold the server up: on
        // SIGTERM it finishes and exits cleanly on its own.
        wire::Client idle(m_server);
        idle.keepAlive();
        name = wire::nameFromAddress(idle.upload(uid, png).body);
        QVERIFY(!name.empty());
        QVERIFY(m_server.stop());
        QVERIFY(m_server.start());
        wire::Client client(m_server);
        QVERIFY(client.get("/raw/" + name + ".png").body == png);
        QVERIFY(client.history(uid).body.find(name) != std::string::npos);
        // Every recorded image has its file, and every file is recorded.
        QStringList files = QDir(m_server.dataDir() + QStringLiteral("/images")).entryList(QDir::Files);
        for (QString &file : files)
            file.chop(4);
        QStringList names = recordedNames(m_server);
        files.sort();
        names.sort();
        QCOMPARE(names, files);
    }

    void commandLineAndBusyPort()
    {
        const QString binary = qEnvironmentVariable("VORNIK_SERVER_BINARY");
        QString output;
        QCOMPARE(vtest::run({binary, QStringLiteral("--help")}, &output), 0);
        QVERIFY(output.contains(QStringLiteral("--public-url")));
        QCOMPARE(vtest::run({binary, QStringLiteral("--listen"), QStringLiteral("127.0.0.1:1")}, &output), 2);
        QVERIFY(output.contains(QStringLiteral("--data")));

        // A second server on a port that is taken must give up, not share the port.
        QProcess second;
        second.start(binary, {QStringLiteral("--data"), m_server.dataDir() + QStringLiteral("-second"), QStringLiteral("--listen"),
                              m_server.publicHost()});
        const bool ended = second.waitForFinished(20000);
        if (!ended) {
            second.kill();
            second.waitForFinished();
        }
        QVERIFY(ended);
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("cannot listen"));
    }

    void cleanupTestCase()
    {
        m_server.stop();
    }
};

VORNIK_TEST_MAIN(ServerProtocolTest, (vtest::EnvironmentOptions{.x11 = false, .framebuffer = {}, .monitors = {}, .dbus = false}))
#include "server_protocol_test.moc"
