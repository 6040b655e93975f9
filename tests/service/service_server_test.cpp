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

// Every text a completion was handed.
struct Outcome {
    QStringList texts;
    VorCompletion completion()
    {
        return [this](const QString &text) { texts.append(text); };
    }
};

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

    // Runs a history chain and returns the reply text.
    static QString history(ShareOperation op)
    {
        Outcome outcome;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &) {
            ShareClient::getHistory(op, outcome.completion());
        });
        if (!QTest::qWaitFor([&] { return !outcome.texts.isEmpty(); }, kWaitMs))
            return QStringLiteral("(no answer)");
        return outcome.texts.first();
    }

    static QString upload(const QString &path)
    {
        Outcome outcome;
        ShareClient::uploadFile(ShareOperation::upload, path, outcome.completion());
        if (!QTest::qWaitFor([&] { return !outcome.texts.isEmpty(); }, kWaitMs))
            return QStringLiteral("(no answer)");
        return outcome.texts.first();
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
        QCOMPARE(history(ShareOperation::allhistory), QStringLiteral("{}"));

        const QString reply = upload(m_red);
        const QString link = QStringLiteral("https://") + reply;
        QVERIFY2(reply.startsWith(m_server.publicHost() + QLatin1Char('/')) && reply.endsWith(QStringLiteral(".png")),
                 qPrintable(reply));
        QCOMPARE(ShareClient::state().lastStatusCode, 200);
        QCOMPARE(fetchRaw(link), fileBytes(m_red));

        const QString name = nameOf(link);
        for (ShareOperation op : {ShareOperation::allhistory, ShareOperation::shorthistory}) {
            const auto entries = parseHistoryReply(history(op));
            QCOMPARE(entries.size(), 1);
            QCOMPARE(entries.first().name, name);
            QCOMPARE(entries.first().address, link);   // the service's address plus the name
        }

        Outcome deleted;
        ShareClient::deleteImage(ShareOperation::delete_, name, deleted.completion());
        QTRY_COMPARE_WITH_TIMEOUT(deleted.texts.size(), 1, kWaitMs);
        QCOMPARE(ShareClient::state().lastStatusCode, 200);
        QCOMPARE(deleted.texts.first(), ShareClient::state().lastReplyText);
        QCOMPARE(history(ShareOperation::allhistory), QStringLiteral("{}"));
        QVERIFY(fetchRaw(link).isEmpty());
    }

    // The token the client makes from the server's salt is one the server takes, and
    // only once: checked by the server itself, not by the client's own arithmetic.
    void theSaltsTokenWorksOnceAtTheServer()
    {
        QString token;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &text) { token = text; });
        QTRY_VERIFY_WITH_TIMEOUT(!token.isEmpty(), kWaitMs);
        QCOMPARE(token, ShareClient::tokenForSalt(ShareClient::state().lastReplyText.toUtf8()));
        const QUrl history(m_server.baseUrl() + QStringLiteral("history/") + token + QLatin1Char('/')
                           + ShareClient::getUserID());
        QCOMPARE(vtest::fetchUrl(history, kWaitMs), QByteArray("{}"));
        QCOMPARE(vtest::fetchUrl(history, kWaitMs), QByteArray());   // refused: used up
    }

    void shortHistoryHoldsTheTenNewest()
    {
        QStringList names;
        for (int i = 0; i < 11; ++i)
            names.prepend(nameOf(QStringLiteral("https://") + upload(i % 2 ? m_red : m_blue)));
        const auto recent = parseHistoryReply(history(ShareOperation::shorthistory));
        QCOMPARE(recent.size(), 10);
        const auto all = parseHistoryReply(history(ShareOperation::allhistory));
        QCOMPARE(all.size(), 11);
        QStringList listed;
        for (const HistoryEntry &entry : all)
            listed.append(entry.name);
        QCOMPARE(listed, names);   // newest first
        for (const QString &name : names) {
            Outcome deleted;
            ShareClient::deleteImage(ShareOperation::delete_, name, deleted.completion());
            QTRY_COMPARE_WITH_TIMEOUT(deleted.texts.size(), 1, kWaitMs);
        }
    }

    void bannerIsSetWithAnUploadedLink()
    {
        const QString link = QStringLiteral("https://") + upload(m_blue);
        Outcome banner;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &) {
            ShareClient::setUser(QStringLiteral("teal"), colorNamed(QStringLiteral("teal")), link, banner.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(banner.texts.size(), 1, kWaitMs);
        QCOMPARE(ShareClient::state().lastStatusCode, 200);
        QCOMPARE(banner.texts.first(), ShareClient::state().lastReplyText);

        // The shared image now carries the banner, so it differs from the raw upload.
        QImage shared;
        QVERIFY(shared.loadFromData(vtest::fetchUrl(QUrl(link), kWaitMs), "PNG"));
        QVERIFY(shared.size() != QSize(64, 48));
    }

    void failureTexts()
    {
        // A missing file ends the upload after the salt; the server sees no POST.
        const qsizetype postsBefore = serverLog().count("POST ");
        const qsizetype saltsBefore = serverLog().count("GET /salt ");
        Outcome missing;
        ShareClient::uploadFile(ShareOperation::upload, QDir::tempPath() + QStringLiteral("/none.png"),
                               missing.completion());
        QTRY_COMPARE_WITH_TIMEOUT(missing.texts, QStringList{QStringLiteral("Error: File doesn't exist")}, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(serverLog().count("GET /salt "), saltsBefore + 1, kWaitMs);
        QCOMPARE(serverLog().count("POST "), postsBefore);

        // Under an address the service does not know, the salt fails with 404, the
        // history request is still sent and fails too.
        qputenv("VORNIK_SERVICE_URL", (m_server.baseUrl() + QStringLiteral("elsewhere/")).toUtf8());
        Outcome salt;
        Outcome listed;
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &text) {
            salt.texts.append(text);
            ShareClient::getHistory(ShareOperation::allhistory, listed.completion());
        });
        QTRY_COMPARE_WITH_TIMEOUT(listed.texts, QStringList{QStringLiteral("server returned error code")}, kWaitMs);
        QCOMPARE(salt.texts, QStringList{QStringLiteral("404 Status code was returned")});
        QCOMPARE(ShareClient::state().lastErrorText, QStringLiteral("404 Status code was returned"));
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
    }

    void chainsStartedTogetherAllSucceed()
    {
        Outcome red, blue, list;
        ShareClient::uploadFile(ShareOperation::upload, m_red, red.completion());
        ShareClient::uploadFile(ShareOperation::upload, m_blue, blue.completion());
        ShareClient::getSalt(ShareOperation::salt, [&](const QString &) {
            ShareClient::getHistory(ShareOperation::allhistory, list.completion());
        });
        QTRY_VERIFY_WITH_TIMEOUT(!red.texts.isEmpty() && !blue.texts.isEmpty() && !list.texts.isEmpty(), kWaitMs);
        QCOMPARE(red.texts.size(), 1);
        QCOMPARE(blue.texts.size(), 1);
        QCOMPARE(fetchRaw(QStringLiteral("https://") + red.texts.first()), fileBytes(m_red));
        QCOMPARE(fetchRaw(QStringLiteral("https://") + blue.texts.first()), fileBytes(m_blue));
        const auto entries = parseHistoryReply(list.texts.first());
        QVERIFY(entries.size() >= 2);
        QCOMPARE(entries.at(0).name, nameOf(QStringLiteral("https://") + blue.texts.first()));
        QCOMPARE(entries.at(1).name, nameOf(QStringLiteral("https://") + red.texts.first()));
    }

    void certificatesAreVerified()
    {
        // A second server with its own certificate, which nothing trusts: the upload
        // fails with the platform's TLS error and no link.
        vtest::ServerProcess stranger;
        QVERIFY(stranger.start());
        qputenv("VORNIK_SERVICE_URL", stranger.baseUrl().toUtf8());
        const QString reply = upload(m_red);
        QVERIFY2(!reply.startsWith(stranger.publicHost()), qPrintable(reply));
        QVERIFY(!ShareClient::state().lastErrorText.isEmpty());
        QCOMPARE(reply, ShareClient::state().lastErrorText);

        // Its certificate named in the preferences ("servicecafile") is trusted.
        qunsetenv("VORNIK_CA_FILE");
        Preferences::standard().setString(QStringLiteral("servicecafile"), stranger.caFile());
        const QString trusted = upload(m_red);
        QVERIFY2(trusted.startsWith(stranger.publicHost() + QLatin1Char('/')), qPrintable(trusted));
        Preferences::standard().setString(QStringLiteral("servicecafile"), QString());
        qputenv("VORNIK_CA_FILE", m_server.caFile().toUtf8());
        qputenv("VORNIK_SERVICE_URL", m_server.baseUrl().toUtf8());
    }
};

VORNIK_TEST_MAIN(ServiceServerTest, vtest::EnvironmentOptions{})
#include "service_server_test.moc"
