#include "platform/Preferences.h"
#include "helpers/NamedColors.h"
#include "service/HistoryReply.h"
#include "service/ServiceConfiguration.h"
#include "service/ShareClient.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/TestMain.h"

#include <QFile>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QUrl>

namespace {

constexpr int kWaitMs = 20000;

// Every reply a completion was handed.
struct Outcome {
    QList<ShareReply> replies;
    ShareClient::Completion completion()
    {
        return [this](const ShareReply &reply) { replies.append(reply); };
    }
};

using HistoryFetch = void (*)(ShareClient::Completion);

QString writePng(const QString &name, QColor color)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(color);
    const QString path = QDir::tempPath() + QLatin1Char('/') + name;
    return image.save(path, "PNG") ? path : QString();
}

} // namespace

// The client against a real vornik-server over HTTPS on loopback, trusting the
// server's self-signed certificate through the configured CA file.
class ServiceServerTest : public QObject
{
    Q_OBJECT
private:
    vtest::ServerProcess m_server;
    QString m_red;
    QString m_blue;

    // Runs a history chain and returns the reply's body.
    static QString history(HistoryFetch fetch = ShareClient::fetchAllHistory)
    {
        Outcome outcome;
        fetch(outcome.completion());
        if (!QTest::qWaitFor([&] { return !outcome.replies.isEmpty(); }, kWaitMs))
            return QStringLiteral("(no answer)");
        return outcome.replies.first().body;
    }

    static ShareReply upload(const QString &path)
    {
        Outcome outcome;
        ShareClient::uploadFile(path, outcome.completion());
        if (!QTest::qWaitFor([&] { return !outcome.replies.isEmpty(); }, kWaitMs))
            return ShareReply::failure(ShareError::Transport, QStringLiteral("(no answer)"));
        return outcome.replies.first();
    }

    // What the server hands out for `link` under raw/ (the bytes exactly as uploaded).
    static QByteArray fetchRaw(const QString &link)
    {
        return vtest::fetchRaw(link, kWaitMs);
    }

    // The server's request log: one line per request, method and first path word.
    QByteArray serverLog() const { return fileBytes(m_server.logFile()); }

    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QString nameOf(const QString &link)
    {
        return QUrl(link).path().mid(1).chopped(4);   // "/NAME.png"
    }

private slots:
    void initTestCase()
    {
        m_red = writePng(QStringLiteral("red.png"), Qt::red);
        m_blue = writePng(QStringLiteral("blue.png"), Qt::blue);
        QVERIFY(!m_red.isEmpty() && !m_blue.isEmpty());
        QVERIFY(m_server.start());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
        QVERIFY(m_server.baseUrl().startsWith(QStringLiteral("https://")));
    }

    void uploadListDeleteList()
    {
        QCOMPARE(history(), QStringLiteral("{}"));

        const ShareReply uploaded = upload(m_red);
        const QString reply = uploaded.body;
        const QString link = QStringLiteral("https://") + reply;
        QVERIFY2(reply.startsWith(m_server.publicHost() + QLatin1Char('/')) && reply.endsWith(QStringLiteral(".png")),
                 qPrintable(reply));
        QCOMPARE(uploaded.status, 200);
        QVERIFY(uploaded.succeeded());
        QCOMPARE(fetchRaw(link), fileBytes(m_red));

        const QString name = nameOf(link);
        for (HistoryFetch fetch : {&ShareClient::fetchAllHistory, &ShareClient::fetchRecentHistory}) {
            const auto entries = parseHistoryReply(history(fetch));
            QCOMPARE(entries.size(), 1);
            QCOMPARE(entries.first().name, name);
            QCOMPARE(entries.first().address, link);   // the service's address plus the name
        }

        Outcome deleted;
        ShareClient::deleteImage(name, deleted.completion());
        QTRY_COMPARE_WITH_TIMEOUT(deleted.replies.size(), 1, kWaitMs);
        QCOMPARE(deleted.replies.first().status, 200);
        QVERIFY(deleted.replies.first().succeeded());
        QCOMPARE(history(), QStringLiteral("{}"));
        QVERIFY(fetchRaw(link).isEmpty());
    }

    // The token the client makes from the server's salt is one the server takes, and
    // only once: checked by the server itself, not by the client's own arithmetic.
    void theSaltsTokenWorksOnceAtTheServer()
    {
        Outcome salt;
        ShareClient::fetchSalt(salt.completion());
        QTRY_COMPARE_WITH_TIMEOUT(salt.replies.size(), 1, kWaitMs);
        QVERIFY(salt.replies.first().succeeded());
        QVERIFY(!salt.replies.first().body.isEmpty());
        const QString token = ShareClient::tokenForSalt(salt.replies.first().body.toUtf8());
        const QUrl history(m_server.baseUrl() + QStringLiteral("history/") + token + QLatin1Char('/')
                           + ShareClient::getUserID());
        QCOMPARE(vtest::fetchUrl(history, kWaitMs), QByteArray("{}"));
        QCOMPARE(vtest::fetchUrl(history, kWaitMs), QByteArray());   // refused: used up
    }

    void shortHistoryHoldsTheTenNewest()
    {
        QStringList names;
        for (int i = 0; i < 11; ++i)
            names.prepend(nameOf(QStringLiteral("https://") + upload(i % 2 ? m_red : m_blue).body));
        const auto recent = parseHistoryReply(history(ShareClient::fetchRecentHistory));
        QCOMPARE(recent.size(), 10);
        const auto all = parseHistoryReply(history());
        QCOMPARE(all.size(), 11);
        QStringList listed;
        for (const HistoryEntry &entry : all)
            listed.append(entry.name);
        QCOMPARE(listed, names);   // newest first
        for (const QString &name : names) {
            Outcome deleted;
            ShareClient::deleteImage(name, deleted.completion());
            QTRY_COMPARE_WITH_TIMEOUT(deleted.replies.size(), 1, kWaitMs);
        }
    }

    void bannerIsSetWithAnUploadedLink()
    {
        const QString link = QStringLiteral("https://") + upload(m_blue).body;
        Outcome banner;
        ShareClient::setBanner(QStringLiteral("teal"), colorNamed(QStringLiteral("teal")), link, banner.completion());
        QTRY_COMPARE_WITH_TIMEOUT(banner.replies.size(), 1, kWaitMs);
        QCOMPARE(banner.replies.first().status, 200);
        QVERIFY(banner.replies.first().succeeded());

        // The shared image now carries the banner, so it differs from the raw upload.
        QImage shared;
        QVERIFY(shared.loadFromData(vtest::fetchUrl(QUrl(link), kWaitMs), "PNG"));
        QVERIFY(shared.size() != QSize(64, 48));
    }

    void failuresReachTheCaller()
    {
        // A missing file ends the upload after the salt; the server sees no POST.
        const qsizetype postsBefore = serverLog().count("POST ");
        const qsizetype saltsBefore = serverLog().count("GET /salt ");
        Outcome missing;
        ShareClient::uploadFile(QDir::tempPath() + QStringLiteral("/none.png"), missing.completion());
        QTRY_COMPARE_WITH_TIMEOUT(missing.replies.size(), 1, kWaitMs);
        QVERIFY(missing.replies.first().error == ShareError::FileMissing);
        QTRY_COMPARE_WITH_TIMEOUT(serverLog().count("GET /salt "), saltsBefore + 1, kWaitMs);
        QCOMPARE(serverLog().count("POST "), postsBefore);

        // Under an address the service does not know, the salt fails with 404, the
        // history request is still sent and fails too.
        qputenv("VORNIK_SERVICE_URL", (m_server.baseUrl() + QStringLiteral("elsewhere/")).toUtf8());
        Outcome salt;
        Outcome listed;
        ShareClient::fetchSalt(salt.completion());
        ShareClient::fetchAllHistory(listed.completion());
        QTRY_COMPARE_WITH_TIMEOUT(listed.replies.size(), 1, kWaitMs);
        QCOMPARE(salt.replies.size(), 1);
        for (const ShareReply &reply : {salt.replies.first(), listed.replies.first()}) {
            QCOMPARE(reply.status, 404);
            QVERIFY(reply.error == ShareError::HttpStatus);
        }
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
    }

    void chainsStartedTogetherAllSucceed()
    {
        Outcome red, blue, list;
        ShareClient::uploadFile(m_red, red.completion());
        ShareClient::uploadFile(m_blue, blue.completion());
        ShareClient::fetchAllHistory(list.completion());
        QTRY_VERIFY_WITH_TIMEOUT(!red.replies.isEmpty() && !blue.replies.isEmpty() && !list.replies.isEmpty(), kWaitMs);
        QCOMPARE(red.replies.size(), 1);
        QCOMPARE(blue.replies.size(), 1);
        QCOMPARE(fetchRaw(QStringLiteral("https://") + red.replies.first().body), fileBytes(m_red));
        QCOMPARE(fetchRaw(QStringLiteral("https://") + blue.replies.first().body), fileBytes(m_blue));
        const auto entries = parseHistoryReply(list.replies.first().body);
        QVERIFY(entries.size() >= 2);
        QCOMPARE(entries.at(0).name, nameOf(QStringLiteral("https://") + blue.replies.first().body));
        QCOMPARE(entries.at(1).name, nameOf(QStringLiteral("https://") + red.replies.first().body));
    }

    void certificatesAreVerified()
    {
        // A second server with its own certificate, which nothing trusts: the upload
        // fails with the platform's TLS error and no link.
        vtest::ServerProcess stranger;
        QVERIFY(stranger.start());
        qputenv("VORNIK_SERVICE_URL", stranger.baseUrl().toUtf8());
        const ShareReply refused = upload(m_red);
        QVERIFY(refused.error == ShareError::Transport);
        QVERIFY2(!refused.errorText.isEmpty(), qPrintable(refused.errorText));
        QCOMPARE(refused.body, QString());

        // Its certificate named in the preferences ("servicecafile") is trusted.
        qunsetenv("VORNIK_CA_FILE");
        Preferences::standard().setString(QStringLiteral("servicecafile"), stranger.caFile());
        const QString trusted = upload(m_red).body;
        QVERIFY2(trusted.startsWith(stranger.publicHost() + QLatin1Char('/')), qPrintable(trusted));
        Preferences::standard().setString(QStringLiteral("servicecafile"), QString());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
    }
};

VORNIK_TEST_MAIN(ServiceServerTest, vtest::EnvironmentOptions{})
#include "service_server_test.moc"
