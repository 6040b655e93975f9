#include "platform/Preferences.h"
#include "helpers/NamedColors.h"
#include "service/MultipartForm.h"
#include "service/ServiceConfiguration.h"
#include "service/ShareClient.h"
#include "tests/harness/FileAccess.h"
#include "tests/harness/ScriptedHttpServer.h"
#include "tests/harness/TestMain.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <utility>

using vtest::ScriptedHttpServer;
using Reply = ScriptedHttpServer::Reply;
using Request = ScriptedHttpServer::Request;
Q_DECLARE_METATYPE(vtest::ScriptedHttpServer::Reply)

namespace {

// Collects what a completion was handed, and checks it came on the main thread,
// after the call that took it had returned.
struct Outcome {
    QList<ShareReply> replies;
    bool offMainThread = false;
    ShareClient::Completion completion()
    {
        return [this](const ShareReply &reply) {
            offMainThread |= QThread::currentThread() != qApp->thread();
            replies.append(reply);
        };
    }
    QStringList bodies() const
    {
        QStringList texts;
        for (const ShareReply &reply : replies)
            texts.append(reply.body);
        return texts;
    }
};

QString pathOf(const Request &request)
{
    return QString::fromUtf8(request.target);
}

} // namespace

// The client against a scripted HTTP service on loopback: what goes on the wire, and
// what every completion is handed, for replies the real service never gives.
class ServiceClientTest : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<ScriptedHttpServer> m_server;
    QString m_pngPath;

    // Serves salt replies from `salts` in turn and answers everything else with `other`.
    void serve(QList<Reply> salts, Reply other)
    {
        m_server = std::make_unique<ScriptedHttpServer>([salts, other](const Request &request) mutable {
            if (request.target == "/salt/")
                return std::optional<Reply>(salts.isEmpty() ? Reply{200, "salt"} : salts.takeFirst());
            return std::optional<Reply>(other);
        });
        QVERIFY(m_server->start());
        qputenv("VORNIK_SERVICE_URL", m_server->baseUrl().chopped(1).toUtf8());   // the "/" is added back
    }

private slots:
    void initTestCase()
    {
        m_pngPath = QDir::tempPath() + QStringLiteral("/shot.png");
        QFile file(m_pngPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray("pixels\0\r\n--", 11));
    }

    void tokensHashTheSaltAsReceived()
    {
        QCOMPARE(ShareClient::tokenForSalt("abc"), QStringLiteral("fbb3cdbcd998cdc6200d67780340324c"));
        QCOMPARE(ShareClient::tokenForSalt("abc\n"), QStringLiteral("950ac9edbdba1cc8e0ad30c013b535f8"));
        QCOMPARE(ShareClient::userIDForUUID(QStringLiteral("0F9B6C84-1D2E-4A3B-9C8D-7E6F5A4B3C2D")),
                 QStringLiteral("faf7c8b79bdc95693731f4bec95a3986"));
    }

    void userIDIsMadeOnceAndKept()
    {
        const QString key = QStringLiteral("ApplicationUniqueIdentifier");
        QVERIFY(!Preferences::standard().hasKey(key));
        const QString first = ShareClient::getUserID();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(first).hasMatch());
        // Written through at once: another reader of the file sees it already.
        QCOMPARE(QSettings(Preferences::standard().fileName(), QSettings::IniFormat).value(key).toString(), first);
        // A later run reads the same id.
        Preferences::resetStandard();
        QCOMPARE(ShareClient::getUserID(), first);
        // A stored value that is no usable text is replaced by a fresh id.
        Preferences::standard().setString(key, QString());
        const QString replaced = ShareClient::getUserID();
        QVERIFY(replaced != first && replaced.size() == 32);
        QCOMPARE(Preferences::standard().stringForKey(key), replaced);
    }

    void serviceAddressIsConfigurable()
    {
        using namespace ServiceConfiguration;
        QCOMPARE(normalizedServiceURL(QString()), QStringLiteral("https://localhost:8443/"));
        QCOMPARE(normalizedServiceURL(QStringLiteral(" https://share.example:9/x \n")),
                 QStringLiteral("https://share.example:9/x/"));
        QCOMPARE(normalizedServiceURL(QStringLiteral("https://a/")), QStringLiteral("https://a/"));

        qunsetenv("VORNIK_SERVICE_URL");
        QCOMPARE(ShareClient::serviceBaseURL(), QStringLiteral("https://localhost:8443/"));
        Preferences::standard().setString(QStringLiteral("serviceurl"), QStringLiteral("https://pref.example"));
        QCOMPARE(ShareClient::serviceBaseURL(), QStringLiteral("https://pref.example/"));
        qputenv("VORNIK_SERVICE_URL", "https://env.example:1");
        QCOMPARE(ShareClient::serviceBaseURL(), QStringLiteral("https://env.example:1/"));
        Preferences::standard().setString(QStringLiteral("serviceurl"), QString());
    }

    void colorTextsAreEscapedHex()
    {
        QCOMPARE(ShareClient::colorText(QStringLiteral("white"), Qt::black), QStringLiteral("%23FFFFFF"));
        QCOMPARE(ShareClient::colorText(QStringLiteral("teal"), colorNamed(QStringLiteral("teal"))),
                 QStringLiteral("%23008080"));
    }

    void multipartBodyIsExact()
    {
        MultipartForm form("BOUNDARY");
        form.addText("name", "userid");
        form.addText(ShareClient::userIDFieldName(), "0123");
        form.addFile("filename", "a\"b.png", "image/png", QByteArray("P\0N", 3));
        QCOMPARE(form.contentType(), QByteArray("multipart/form-data; boundary=BOUNDARY"));
        const QByteArray expected = QByteArray("--BOUNDARY\r\n"
                                               "Content-Disposition: form-data; name=\"name\"\r\n\r\n"
                                               "userid\r\n"
                                               "--BOUNDARY\r\n"
                                               "Content-Disposition: form-data; name=\"\x5C\x72\x0A\x0D\x0A\"\r\n\r\n"
                                               "0123\r\n"
                                               "--BOUNDARY\r\n"
                                               "Content-Disposition: form-data; name=\"filename\"; "
                                               "filename=\"a%22b.png\"\r\n"
                                               "Content-Type: image/png\r\n\r\n")
                                    + QByteArray("P\0N", 3) + "\r\n--BOUNDARY--\r\n";
        QCOMPARE(form.body(), expected);

        // A random boundary never occurs inside the parts.
        MultipartForm randomForm;
        const QByteArray first = randomForm.boundary();
        randomForm.addFile("filename", "x", "image/png", "--" + first + "--");
        const QByteArray body = randomForm.body();
        QVERIFY(randomForm.boundary() != first);
        QCOMPARE(body.count("--" + randomForm.boundary()), 2);   // the one part and the end
    }

    void uploadSendsTheFormWithTheSaltToken()
    {
        serve({Reply{200, "abc"}}, Reply{200, "127.0.0.1:1/Ab12.png"});
        Outcome outcome;
        ShareClient::uploadFile(m_pngPath, outcome.completion());
        QVERIFY(outcome.replies.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.bodies(), QStringList{QStringLiteral("127.0.0.1:1/Ab12.png")}, 10000);
        QVERIFY(!outcome.offMainThread);
        QCOMPARE(outcome.replies.first().status, 200);
        QVERIFY(outcome.replies.first().succeeded());

        const auto &requests = m_server->requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).method, QByteArray("GET"));
        const Request &post = requests.at(1);
        QCOMPARE(post.method, QByteArray("POST"));
        QCOMPARE(pathOf(post), QStringLiteral("/upload/fbb3cdbcd998cdc6200d67780340324c"));
        const QByteArray contentType = post.header("Content-Type");
        QVERIFY(contentType.startsWith("multipart/form-data; boundary="));
        const QByteArray boundary = contentType.mid(contentType.indexOf('=') + 1);
        QFile png(m_pngPath);
        QVERIFY(png.open(QIODevice::ReadOnly));
        const QByteArray expected = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"name\"\r\n\r\nuserid\r\n--"
                                    + boundary + "\r\nContent-Disposition: form-data; name=\"\\r\n\r\n\"\r\n\r\n"
                                    + ShareClient::getUserID().toUtf8() + "\r\n--" + boundary
                                    + "\r\nContent-Disposition: form-data; name=\"filename\"; filename=\"shot.png\"\r\n"
                                      "Content-Type: image/png\r\n\r\n"
                                    + png.readAll() + "\r\n--" + boundary + "--\r\n";
        QCOMPARE(post.body, expected);
    }

    // The salt goes out before the file exists; the chain keeps its place (a request
    // started meanwhile waits) until the file is there, then posts it. A file that
    // could not be written ends the upload as a missing file, without a POST.
    void uploadOnceWrittenFetchesTheSaltFirst()
    {
        serve({Reply{200, "abc"}}, Reply{200, "127.0.0.1:1/Ab12.png"});
        Outcome upload, later;
        const ShareClient::FileWritten written = ShareClient::uploadFileOnceWritten(upload.completion());
        ShareClient::fetchSalt(later.completion());
        QTRY_COMPARE_WITH_TIMEOUT(m_server->requests().size(), 1, 10000);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(m_server->requests().size(), 1);
        QVERIFY(upload.replies.isEmpty() && later.replies.isEmpty());

        written(m_pngPath);
        written(QDir::tempPath() + QStringLiteral("/other.png"));   // only the first call counts
        QTRY_COMPARE_WITH_TIMEOUT(upload.bodies(), QStringList{QStringLiteral("127.0.0.1:1/Ab12.png")}, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(later.replies.size(), 1, 10000);
        const auto &requests = m_server->requests();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests.at(1).method, QByteArray("POST"));
        QCOMPARE(pathOf(requests.at(1)), QStringLiteral("/upload/fbb3cdbcd998cdc6200d67780340324c"));
        QVERIFY(requests.at(1).body.contains("filename=\"shot.png\""));
        QCOMPARE(requests.at(2).target, QByteArray("/salt/"));

        serve({}, Reply{200, "unexpected"});
        Outcome unwritten;
        ShareClient::uploadFileOnceWritten(unwritten.completion())(QString());
        QTRY_COMPARE_WITH_TIMEOUT(unwritten.replies.size(), 1, 10000);
        QVERIFY(unwritten.replies.first().error == ShareError::FileMissing);
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().target, QByteArray("/salt/"));
    }

    // What the service answers to the POST reaches the caller as status, error kind
    // and body; a connection refused at once, or dropped before an answer, is a
    // transport error with the platform's description.
    void uploadRepliesAreTyped_data()
    {
        QTest::addColumn<Reply>("answer");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("body");
        const int none = int(ShareError::None), http = int(ShareError::HttpStatus);
        QTest::newRow("200") << Reply{200, "127.0.0.1:1/Ab12.png"} << false << 200 << none << "127.0.0.1:1/Ab12.png";
        QTest::newRow("201") << Reply{201, "h/x.png"} << false << 201 << none << "h/x.png";
        QTest::newRow("404") << Reply{404, "no such page"} << false << 404 << http << "no such page";
        QTest::newRow("500") << Reply{500, "disk full"} << false << 500 << http << "disk full";
        QTest::newRow("not text") << Reply{200, "\xff\xfe\xfd"} << false << 200 << int(ShareError::UnreadableReply)
                                  << QString();
        QTest::newRow("dropped") << Reply{0, {}, true} << false << 0 << int(ShareError::Transport) << QString();
        QTest::newRow("refused") << Reply{} << true << 0 << int(ShareError::Transport) << QString();
    }

    void uploadRepliesAreTyped()
    {
        QFETCH(Reply, answer);
        QFETCH(bool, refused);
        serve({}, answer);
        if (refused)   // nothing listens on a port that was just freed
            qputenv("VORNIK_SERVICE_URL", QStringLiteral("http://127.0.0.1:%1/").arg(vtest::freeLoopbackPort()).toUtf8());
        Outcome outcome;
        ShareClient::uploadFile(m_pngPath, outcome.completion());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.replies.size(), 1, 10000);
        const ShareReply &reply = outcome.replies.first();
        QTEST(reply.status, "status");
        QTEST(int(reply.error), "error");
        QTEST(reply.body, "body");
        // Only a reply that never came carries a description of its own.
        QCOMPARE(reply.errorText.isEmpty(), reply.error != ShareError::Transport);
        // Qt sends a request once more when a kept-alive connection drops unanswered.
        QCOMPARE(m_server->requests().isEmpty(), refused);
    }

    void missingFileSendsNoPost()
    {
        serve({}, Reply{200, "unexpected"});
        Outcome outcome;
        ShareClient::uploadFile(QDir::tempPath() + QStringLiteral("/nothing.png"), outcome.completion());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.replies.size(), 1, 10000);
        QVERIFY(outcome.replies.first().error == ShareError::FileMissing);
        QCOMPARE(outcome.replies.first().status, 0);
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().target, QByteArray("/salt/"));
    }

    // There, but not readable: the upload ends after the salt with the system's reason.
    void unreadableFileSendsNoPost()
    {
        serve({}, Reply{200, "unexpected"});
        const QString path = QDir::tempPath() + QStringLiteral("/locked.png");
        QVERIFY(QFile::copy(m_pngPath, path));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        vtest::WithoutFileAccessOverride asAUser;
        QVERIFY(asAUser.active());
        Outcome outcome;
        ShareClient::uploadFile(path, outcome.completion());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.replies.size(), 1, 10000);
        QVERIFY(outcome.replies.first().error == ShareError::FileUnreadable);
        QCOMPARE(outcome.replies.first().errorText, QStringLiteral("Permission denied"));
        QCOMPARE(m_server->requests().size(), 1);
        QVERIFY(!outcome.offMainThread);
    }

    void refusedSaltStillSendsTheSecondHalf()
    {
        serve({Reply{403, "nope"}, Reply{403, "nope"}}, Reply{404, "no such page"});
        Outcome salt, history;
        ShareClient::fetchSalt(salt.completion());
        ShareClient::fetchRecentHistory(history.completion());
        QTRY_COMPARE_WITH_TIMEOUT(history.replies.size(), 1, 10000);
        QCOMPARE(salt.replies.size(), 1);
        QCOMPARE(salt.replies.first().status, 403);
        QVERIFY(salt.replies.first().error == ShareError::HttpStatus);
        QCOMPARE(salt.replies.first().body, QStringLiteral("nope"));
        QCOMPARE(history.replies.first().status, 404);
        QVERIFY(history.replies.first().error == ShareError::HttpStatus);
        const QString userID = ShareClient::getUserID();
        QCOMPARE(pathOf(m_server->requests().at(2)),
                 QStringLiteral("/history/af8136382275fbfba2d70517b5fbd290/") + userID + QStringLiteral("/10"));
    }

    // A history is read from a plain 200 only.
    void historyTakesOnlyA200()
    {
        serve({}, Reply{201, "{}"});
        Outcome history;
        ShareClient::fetchAllHistory(history.completion());
        QTRY_COMPARE_WITH_TIMEOUT(history.replies.size(), 1, 10000);
        QCOMPARE(history.replies.first().status, 201);
        QVERIFY(history.replies.first().error == ShareError::HttpStatus);
    }

    void saltThatIsNotTextMakesNoToken()
    {
        serve({Reply{200, "\xc3\x28salt"}, Reply{200, "\xc3\x28salt"}}, Reply{200, "{}"});
        Outcome salt, history;
        ShareClient::fetchSalt(salt.completion());
        ShareClient::fetchAllHistory(history.completion());
        QTRY_COMPARE_WITH_TIMEOUT(history.bodies(), QStringList{QStringLiteral("{}")}, 10000);
        QCOMPARE(salt.replies.size(), 1);
        QVERIFY(salt.replies.first().error == ShareError::UnreadableReply);
        QCOMPARE(salt.replies.first().body, QString());
        QCOMPARE(pathOf(m_server->requests().at(2)), QStringLiteral("/history//") + ShareClient::getUserID());
    }

    void requestUrlsAreConcatenated()
    {
        serve({Reply{200, "abc"}, Reply{200, "abc"}, Reply{200, "abc"}}, Reply{200, "done"});
        const QString token = ShareClient::tokenForSalt("abc");
        const QString userID = ShareClient::getUserID();
        Outcome deleted, all, banner;
        ShareClient::deleteImage(QStringLiteral("Xy9"), deleted.completion());
        ShareClient::fetchAllHistory(all.completion());
        ShareClient::setBanner(QStringLiteral("white"), colorNamed(QStringLiteral("navy")), QString(),
                               banner.completion());
        QTRY_COMPARE_WITH_TIMEOUT(banner.bodies(), QStringList{QStringLiteral("done")}, 10000);
        QCOMPARE(deleted.bodies(), QStringList{QStringLiteral("done")});
        QCOMPARE(all.bodies(), QStringList{QStringLiteral("done")});
        QStringList paths;
        for (const Request &request : m_server->requests())
            paths.append(pathOf(request));
        QCOMPARE(paths, (QStringList{QStringLiteral("/salt/"),
                                     QStringLiteral("/delete/%1/Xy9/%2").arg(token, userID),
                                     QStringLiteral("/salt/"),
                                     QStringLiteral("/history/%1/%2").arg(token, userID),
                                     QStringLiteral("/salt/"),
                                     QStringLiteral("/setuser/%1?id=%2&headerImage=&headerColor=%23FFFFFF")
                                         .arg(token, userID)}));
    }

    void transportFailuresReachEveryCaller()
    {
        // Nothing listens on a port that was just freed.
        qputenv("VORNIK_SERVICE_URL", QStringLiteral("http://127.0.0.1:%1/").arg(vtest::freeLoopbackPort()).toUtf8());
        Outcome salt, history, removed, banner;
        ShareClient::fetchSalt(salt.completion());
        ShareClient::fetchAllHistory(history.completion());
        ShareClient::deleteImage(QStringLiteral("x"), removed.completion());
        ShareClient::setBanner(QStringLiteral("red"), Qt::red, QStringLiteral("https://a/b.png"), banner.completion());
        QTRY_COMPARE_WITH_TIMEOUT(banner.replies.size(), 1, 10000);
        QCOMPARE(salt.replies.size(), 1);
        const QString description = salt.replies.first().errorText;   // "Connection refused"
        QVERIFY(!description.isEmpty());
        for (const Outcome *outcome : {&salt, &history, &removed, &banner}) {
            QCOMPARE(outcome->replies.size(), 1);
            const ShareReply &reply = outcome->replies.first();
            QVERIFY(reply.error == ShareError::Transport);
            QCOMPARE(reply.status, 0);
            QCOMPARE(reply.body, QString());
            QCOMPARE(reply.errorText, description);
        }
    }

    void chainsRunOneAfterAnother()
    {
        // Salts are held until the test releases them, so a second chain that did not
        // wait would show up as a second salt request while the first is unanswered.
        m_server = std::make_unique<ScriptedHttpServer>([](const Request &request) -> std::optional<Reply> {
            if (request.target == "/salt/")
                return std::nullopt;
            return Reply{200, "{}"};
        });
        QVERIFY(m_server->start());
        qputenv("VORNIK_SERVICE_URL", m_server->baseUrl().toUtf8());
        Outcome first, second, upload;
        ShareClient::fetchRecentHistory(first.completion());
        ShareClient::fetchRecentHistory(second.completion());
        ShareClient::uploadFile(m_pngPath, upload.completion());

        const QStringList salts{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")};
        for (const QString &salt : salts) {
            QTRY_COMPARE_WITH_TIMEOUT(m_server->heldCount(), 1, 10000);
            m_server->release(Reply{200, salt.toUtf8()});
        }
        QTRY_COMPARE_WITH_TIMEOUT(upload.replies.size(), 1, 10000);
        QCOMPARE(first.bodies(), QStringList{QStringLiteral("{}")});
        QCOMPARE(second.bodies(), QStringList{QStringLiteral("{}")});

        const QString userID = ShareClient::getUserID();
        QStringList paths;
        for (const Request &request : m_server->requests())
            paths.append(pathOf(request));
        QCOMPARE(paths, (QStringList{QStringLiteral("/salt/"),
                                     QStringLiteral("/history/%1/%2/10").arg(ShareClient::tokenForSalt("one"), userID),
                                     QStringLiteral("/salt/"),
                                     QStringLiteral("/history/%1/%2/10").arg(ShareClient::tokenForSalt("two"), userID),
                                     QStringLiteral("/salt/"),
                                     QStringLiteral("/upload/") + ShareClient::tokenForSalt("three")}));
    }

    void stalledTransferGivesUpAndLetsTheNextChainRun()
    {
        // The first two salts are never answered. Once the stall limit passes each
        // fails as a transport error; a history chain's second half still goes out
        // (with no token), and the chain queued behind it then runs normally.
        int saltsSeen = 0;
        m_server = std::make_unique<ScriptedHttpServer>([&saltsSeen](const Request &request) -> std::optional<Reply> {
            if (request.target == "/salt/") {
                if (++saltsSeen <= 2)
                    return std::nullopt;
                return Reply{200, "fresh"};
            }
            return Reply{200, "{}"};
        });
        QVERIFY(m_server->start());
        qputenv("VORNIK_SERVICE_URL", m_server->baseUrl().toUtf8());
        qputenv("VORNIK_STALLED_TRANSFER_MS", "300");
        Outcome stalledSalt, stalled, next;
        ShareClient::fetchSalt(stalledSalt.completion());
        ShareClient::fetchAllHistory(stalled.completion());
        ShareClient::fetchAllHistory(next.completion());
        QTRY_COMPARE_WITH_TIMEOUT(next.replies.size(), 1, 20000);
        qunsetenv("VORNIK_STALLED_TRANSFER_MS");   // back to the default

        QCOMPARE(stalledSalt.replies.size(), 1);
        QVERIFY(stalledSalt.replies.first().error == ShareError::Transport);
        QVERIFY(!stalledSalt.replies.first().errorText.isEmpty());
        QVERIFY(stalledSalt.replies.first().fault == TransportFault::TimedOut);   // told as a stall, not as a refusal
        QCOMPARE(stalled.bodies(), QStringList{QStringLiteral("{}")});
        QCOMPARE(next.bodies(), QStringList{QStringLiteral("{}")});
        const QString userID = ShareClient::getUserID();
        QStringList paths;
        for (const Request &request : m_server->requests())
            paths.append(pathOf(request));
        QCOMPARE(paths, (QStringList{QStringLiteral("/salt/"), QStringLiteral("/salt/"),
                                     QStringLiteral("/history//") + userID, QStringLiteral("/salt/"),
                                     QStringLiteral("/history/%1/%2").arg(ShareClient::tokenForSalt("fresh"), userID)}));
        QCOMPARE(ShareClient::stalledTransferLimitMs(), 120000);
        // A limit of nothing or less would never give up: such a setting is ignored.
        for (const char *ignored : {"0", "-300", "soon"}) {
            qputenv("VORNIK_STALLED_TRANSFER_MS", ignored);
            QCOMPARE(ShareClient::stalledTransferLimitMs(), 120000);
        }
        qunsetenv("VORNIK_STALLED_TRANSFER_MS");
    }

    void chainsStartedFromCompletionsFollow()
    {
        // The banner actions upload, then run a set-user chain from the upload's
        // completion; a chain whose completion starts nothing simply ends.
        serve({Reply{200, "a"}, Reply{200, "b"}, Reply{200, "c"}}, Reply{200, "host/img.png"});
        Outcome banner;
        ShareClient::fetchSalt({});
        ShareClient::uploadFile(m_pngPath, [&](const ShareReply &reply) {
            ShareClient::setBanner(QStringLiteral("teal"), colorNamed(QStringLiteral("teal")),
                                   QStringLiteral("https://") + reply.body, banner.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(banner.replies.size(), 1, 10000);
        const QList<Request> &requests = m_server->requests();
        QCOMPARE(requests.size(), 5);
        QCOMPARE(pathOf(requests.at(4)), QStringLiteral("/setuser/%1?id=%2&headerImage=https://host/img.png"
                                                        "&headerColor=%23008080")
                                             .arg(ShareClient::tokenForSalt("c"), ShareClient::getUserID()));
    }
};

VORNIK_TEST_MAIN(ServiceClientTest, vtest::EnvironmentOptions{})
#include "service_client_test.moc"
