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

namespace {

// Collects what a completion was handed, and checks it came on the main thread,
// after the call that took it had returned.
struct Outcome {
    QStringList texts;
    bool offMainThread = false;
    VorCompletion completion()
    {
        return [this](const QString &text) {
            offMainThread |= QThread::currentThread() != qApp->thread();
            texts.append(text);
        };
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
        QCOMPARE(ShareClient::state().currentUserID, first);
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
        ShareClient::uploadFile(ShareOperation::upload, m_pngPath, outcome.completion());
        QVERIFY(outcome.texts.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.texts, QStringList{QStringLiteral("127.0.0.1:1/Ab12.png")}, 10000);
        QVERIFY(!outcome.offMainThread);

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

        const ShareClientState &state = ShareClient::state();
        QCOMPARE(state.lastStatusCode, 200);
        QCOMPARE(state.lastReplyText, QStringLiteral("127.0.0.1:1/Ab12.png"));
        QCOMPARE(state.currentToken, QString());   // an upload spends its token
    }

    // The salt goes out before the file exists; the chain keeps its place (a request
    // started meanwhile waits) until the file is there, then posts it. A file that
    // could not be written ends the upload as a missing file, without a POST.
    void uploadOnceWrittenFetchesTheSaltFirst()
    {
        serve({Reply{200, "abc"}}, Reply{200, "127.0.0.1:1/Ab12.png"});
        Outcome upload, later;
        const ShareClient::FileWritten written = ShareClient::uploadFileOnceWritten(ShareOperation::upload,
                                                                                 upload.completion());
        ShareClient::getSalt(ShareOperation::salt, later.completion());
        QTRY_COMPARE_WITH_TIMEOUT(ShareClient::state().currentToken, QStringLiteral("fbb3cdbcd998cdc6200d67780340324c"),
                                  10000);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(m_server->requests().size(), 1);
        QVERIFY(upload.texts.isEmpty() && later.texts.isEmpty());

        written(m_pngPath);
        written(QDir::tempPath() + QStringLiteral("/other.png"));   // only the first call counts
        QTRY_COMPARE_WITH_TIMEOUT(upload.texts, QStringList{QStringLiteral("127.0.0.1:1/Ab12.png")}, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(later.texts.size(), 1, 10000);
        const auto &requests = m_server->requests();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests.at(1).method, QByteArray("POST"));
        QCOMPARE(pathOf(requests.at(1)), QStringLiteral("/upload/fbb3cdbcd998cdc6200d67780340324c"));
        QVERIFY(requests.at(1).body.contains("filename=\"shot.png\""));
        QCOMPARE(requests.at(2).target, QByteArray("/salt/"));

        serve({}, Reply{200, "unexpected"});
        Outcome unwritten;
        ShareClient::uploadFileOnceWritten(ShareOperation::upload, unwritten.completion())(QString());
        QTRY_COMPARE_WITH_TIMEOUT(unwritten.texts, QStringList{QStringLiteral("Error: File doesn't exist")}, 10000);
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().target, QByteArray("/salt/"));
    }

    void uploadReportsWhateverTheServiceAnswers()
    {
        // Status 500 with a body: the body is the outcome.
        serve({}, Reply{500, "disk full"});
        Outcome failed;
        ShareClient::uploadFile(ShareOperation::upload, m_pngPath, failed.completion());
        QTRY_COMPARE_WITH_TIMEOUT(failed.texts, QStringList{QStringLiteral("disk full")}, 10000);
        QCOMPARE(ShareClient::state().lastStatusCode, 500);

        // A body that is not text still ends the upload, with a failure text.
        serve({}, Reply{200, "\xff\xfe\xfd"});
        Outcome garbled;
        ShareClient::uploadFile(ShareOperation::upload, m_pngPath, garbled.completion());
        QTRY_COMPARE_WITH_TIMEOUT(garbled.texts, QStringList{QStringLiteral("Invalid Operation")}, 10000);

        // The connection dropped before an answer: the platform's description.
        serve({}, Reply{0, {}, true});
        Outcome dropped;
        ShareClient::uploadFile(ShareOperation::upload, m_pngPath, dropped.completion());
        QTRY_COMPARE_WITH_TIMEOUT(dropped.texts.size(), 1, 10000);
        QVERIFY(!dropped.texts.first().isEmpty());
        QCOMPARE(ShareClient::state().lastErrorText, dropped.texts.first());
    }

    void missingFileSendsNoPost()
    {
        serve({}, Reply{200, "unexpected"});
        Outcome outcome;
        ShareClient::uploadFile(ShareOperation::upload, QDir::tempPath() + QStringLiteral("/nothing.png"),
                               outcome.completion());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.texts, QStringList{QStringLiteral("Error: File doesn't exist")}, 10000);
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().target, QByteArray("/salt/"));
        QCOMPARE(ShareClient::state().lastErrorText, QStringLiteral("Error: File doesn't exist"));
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
        ShareClient::uploadFile(ShareOperation::upload, path, outcome.completion());
        QTRY_COMPARE_WITH_TIMEOUT(outcome.texts, QStringList{QStringLiteral("Error: Permission denied")}, 10000);
        QCOMPARE(ShareClient::state().lastErrorText, QStringLiteral("Error: Permission denied"));
        QCOMPARE(m_server->requests().size(), 1);
        QVERIFY(!outcome.offMainThread);
    }

    void refusedSaltStillSendsTheSecondHalf()
    {
        serve({Reply{403, "nope"}}, Reply{404, "no such page"});
        Outcome salt;
        Outcome history;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &text) {
            salt.completion()(text);
            QCOMPARE(ShareClient::state().currentToken, ShareClient::tokenForSalt("nope"));
            ShareClient::getHistory(ShareOperation::shorthistory, history.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(history.texts, QStringList{QStringLiteral("server returned error code")}, 10000);
        QCOMPARE(salt.texts, QStringList{QStringLiteral("403 Status code was returned")});
        const QString userID = ShareClient::getUserID();
        QCOMPARE(pathOf(m_server->requests().at(1)),
                 QStringLiteral("/history/af8136382275fbfba2d70517b5fbd290/") + userID + QStringLiteral("/10"));
        QCOMPARE(ShareClient::state().lastErrorText, QStringLiteral("404 Status code was returned"));
        QCOMPARE(ShareClient::state().lastStatusCode, 404);
    }

    void saltThatIsNotTextIsAnInvalidOperation()
    {
        serve({Reply{200, "\xc3\x28salt"}}, Reply{200, "{}"});
        Outcome salt, history;
        ShareClientState seen;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &text) {
            salt.completion()(text);
            seen = ShareClient::state();
            ShareClient::getHistory(ShareOperation::allhistory, history.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(history.texts, QStringList{QStringLiteral("{}")}, 10000);
        QCOMPARE(salt.texts, QStringList{QStringLiteral("Invalid Operation")});
        QCOMPARE(seen.lastStatusCode, 404);
        QCOMPARE(seen.lastReplyText, QString());
        QCOMPARE(seen.currentToken, QString());   // no token is made from such a body
        QCOMPARE(pathOf(m_server->requests().at(1)), QStringLiteral("/history//") + ShareClient::getUserID());
    }

    void requestUrlsAreConcatenated()
    {
        serve({Reply{200, "abc"}, Reply{200, "abc"}, Reply{200, "abc"}}, Reply{200, "done"});
        const QString token = ShareClient::tokenForSalt("abc");
        const QString userID = ShareClient::getUserID();
        Outcome deleted, all, banner;
        ShareClient::deleteImage(ShareOperation::delete_, QStringLiteral("Xy9"), deleted.completion());
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &) {
            ShareClient::getHistory(ShareOperation::allhistory, all.completion());
        });
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &) {
            ShareClient::setUser(QStringLiteral("white"), colorNamed(QStringLiteral("navy")), QString(),
                                banner.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(banner.texts, QStringList{QStringLiteral("done")}, 10000);
        QCOMPARE(deleted.texts, QStringList{QStringLiteral("done")});
        QCOMPARE(all.texts, QStringList{QStringLiteral("done")});
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
        // Delete, history and set-user leave the token in place.
        QCOMPARE(ShareClient::state().currentToken, token);
    }

    void wrongOperationsAnswerAtOnceButLater()
    {
        serve({}, Reply{200, "unexpected"});
        Outcome salt, upload, remove, history;
        ShareClient::getSalt(ShareOperation::upload, salt.completion());
        ShareClient::uploadFile(ShareOperation::salt, m_pngPath, upload.completion());
        ShareClient::deleteImage(ShareOperation::allhistory, QStringLiteral("x"), remove.completion());
        ShareClient::getHistory(ShareOperation::upload, history.completion());
        // Never before the call has returned.
        QVERIFY(salt.texts.isEmpty() && upload.texts.isEmpty() && remove.texts.isEmpty() && history.texts.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(history.texts, QStringList{QStringLiteral("not implemented")}, 10000);
        QCOMPARE(salt.texts, QStringList{QStringLiteral("Invalid Operation")});
        QCOMPARE(upload.texts, QStringList{QStringLiteral("Invalid Operation")});
        QCOMPARE(remove.texts, QStringList{QStringLiteral("Invalid Operation")});
        QCOMPARE(ShareClient::state().lastErrorText, QStringLiteral("not implemented"));
        QVERIFY(m_server->requests().isEmpty());   // nothing went out
    }

    void transportFailuresAreRecorded()
    {
        // Nothing listens on a port that was just freed.
        qputenv("VORNIK_SERVICE_URL", QStringLiteral("http://127.0.0.1:%1/").arg(vtest::freeLoopbackPort()).toUtf8());
        Outcome salt, history, removed, banner;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &text) {
            salt.completion()(text);
            ShareClient::getHistory(ShareOperation::allhistory, history.completion());
        });
        ShareClient::deleteImage(ShareOperation::delete_, QStringLiteral("x"), removed.completion());
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &) {
            ShareClient::setUser(QStringLiteral("red"), Qt::red, QStringLiteral("https://a/b.png"), banner.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(banner.texts.size(), 1, 10000);
        QCOMPARE(salt.texts.size(), 1);
        QVERIFY(!salt.texts.first().isEmpty());
        QCOMPARE(history.texts, QStringList{QStringLiteral("server returned error code")});
        QCOMPARE(removed.texts, QStringList{QStringLiteral("error")});
        QCOMPARE(banner.texts.first(), salt.texts.first());   // the same description, "Connection refused"
        QCOMPARE(ShareClient::state().lastReplyText, QStringLiteral("error"));
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
        auto historyChain = [](Outcome &outcome) {
            ShareClient::getSalt(ShareOperation::salt, [&outcome](const QString &) {
                ShareClient::getHistory(ShareOperation::shorthistory, outcome.completion());
            });
        };
        historyChain(first);
        historyChain(second);
        ShareClient::uploadFile(ShareOperation::upload, m_pngPath, upload.completion());

        const QStringList salts{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")};
        for (const QString &salt : salts) {
            QTRY_COMPARE_WITH_TIMEOUT(m_server->heldCount(), 1, 10000);
            m_server->release(Reply{200, salt.toUtf8()});
        }
        QTRY_COMPARE_WITH_TIMEOUT(upload.texts.size(), 1, 10000);
        QCOMPARE(first.texts, QStringList{QStringLiteral("{}")});
        QCOMPARE(second.texts, QStringList{QStringLiteral("{}")});

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
        // The first salt is never answered. Once the stall limit passes it fails as a
        // transport error, its second half still goes out (with no token), and the
        // chain queued behind it then runs normally.
        bool firstSalt = true;
        m_server = std::make_unique<ScriptedHttpServer>([&firstSalt](const Request &request) -> std::optional<Reply> {
            if (request.target == "/salt/") {
                if (std::exchange(firstSalt, false))
                    return std::nullopt;
                return Reply{200, "fresh"};
            }
            return Reply{200, "{}"};
        });
        QVERIFY(m_server->start());
        qputenv("VORNIK_SERVICE_URL", m_server->baseUrl().toUtf8());
        ShareClient::setStalledTransferLimitMs(300);
        Outcome stalledSalt, stalled, next;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &text) {
            stalledSalt.completion()(text);
            ShareClient::getHistory(ShareOperation::allhistory, stalled.completion());
        });
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &) {
            ShareClient::getHistory(ShareOperation::allhistory, next.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(next.texts.size(), 1, 20000);
        ShareClient::setStalledTransferLimitMs(0);   // back to the default

        QCOMPARE(stalledSalt.texts.size(), 1);
        QVERIFY(!stalledSalt.texts.first().isEmpty());
        QVERIFY(stalledSalt.texts.first() != QStringLiteral("Invalid Operation"));
        QCOMPARE(stalled.texts, QStringList{QStringLiteral("{}")});
        QCOMPARE(next.texts, QStringList{QStringLiteral("{}")});
        const QString userID = ShareClient::getUserID();
        QStringList paths;
        for (const Request &request : m_server->requests())
            paths.append(pathOf(request));
        QCOMPARE(paths, (QStringList{QStringLiteral("/salt/"), QStringLiteral("/history//") + userID,
                                     QStringLiteral("/salt/"),
                                     QStringLiteral("/history/%1/%2").arg(ShareClient::tokenForSalt("fresh"), userID)}));
        QCOMPARE(ShareClient::stalledTransferLimitMs(), 120000);
    }

    void chainsStartedFromCompletionsFollow()
    {
        // The banner actions upload, then run a set-user chain from the upload's
        // completion; a continuation that starts nothing ends its chain.
        serve({Reply{200, "a"}, Reply{200, "b"}, Reply{200, "c"}}, Reply{200, "host/img.png"});
        Outcome idle, banner;
        ShareClient::getSalt(ShareOperation::salt, [](const QString &) {});
        ShareClient::uploadFile(ShareOperation::upload, m_pngPath, [&](const QString &text) {
            ShareClient::getSalt(ShareOperation::salt, [&, link = QStringLiteral("https://") + text](const QString &) {
                ShareClient::setUser(QStringLiteral("teal"), colorNamed(QStringLiteral("teal")), link,
                                    banner.completion());
            });
        });
        QTRY_COMPARE_WITH_TIMEOUT(banner.texts.size(), 1, 10000);
        const QList<Request> &requests = m_server->requests();
        QCOMPARE(requests.size(), 5);
        QCOMPARE(pathOf(requests.at(4)), QStringLiteral("/setuser/%1?id=%2&headerImage=https://host/img.png"
                                                        "&headerColor=%23008080")
                                             .arg(ShareClient::tokenForSalt("c"), ShareClient::getUserID()));
    }
};

VORNIK_TEST_MAIN(ServiceClientTest, vtest::EnvironmentOptions{})
#include "service_client_test.moc"
