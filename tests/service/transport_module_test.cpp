#include "service/HttpTransport.h"
#include "service/ShareClient.h"
#include "tests/harness/TestEnvironment.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Vornik without its network module: every request must fail with a text that says
// why, in the order and on the terms the client promises, instead of hanging.
class TransportModuleTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Only this empty folder is searched, so the module built beside the tests is
        // not found.
        const QString empty = vtest::TestEnvironment::current()->root() + QStringLiteral("/no-modules");
        QVERIFY(QDir().mkpath(empty));
        qputenv("VORNIK_MODULE_DIR", empty.toUtf8());
        QVERIFY(!HttpTransport::isLoaded());
    }

    void uploadFailsAndSaysWhy()
    {
        const QString path = vtest::TestEnvironment::current()->root() + QStringLiteral("/shot.png");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x89PNG\r\n\x1a\n");
        file.close();

        bool returned = false;
        bool completedBeforeReturn = false;
        QList<ShareReply> completions;
        ShareClient::uploadFile(path, [&](const ShareReply &reply) {
            completedBeforeReturn = !returned;
            completions << reply;
        });
        returned = true;
        QTRY_COMPARE_WITH_TIMEOUT(completions.size(), 1, 10000);
        QVERIFY(!completedBeforeReturn);
        const ShareReply &failed = completions.first();
        QVERIFY(failed.error == ShareError::Transport);
        QCOMPARE(failed.status, 0);
        QVERIFY2(failed.errorText.startsWith(QStringLiteral("Error: the network module could not be loaded: ")),
                 qPrintable(failed.errorText));
        QVERIFY(failed.errorText.contains(QStringLiteral("vornik-transport.so")));
        QVERIFY(HttpTransport::isLoaded());
        // Exactly once.
        QTest::qWait(50);
        QCOMPARE(completions.size(), 1);
    }

    void abortedRequestsNeverAnswer()
    {
        HttpTransport &transport = HttpTransport::shared();
        int answered = 0;
        HttpRequest request;
        request.url = QStringLiteral("http://127.0.0.1:9/");
        const quint64 aborted = transport.start(request, [&answered](const HttpResponse &) { answered += 100; });
        transport.start(request, [&answered](const HttpResponse &response) {
            QVERIFY(response.transportFailed && response.failed);
            ++answered;
        });
        transport.abort(aborted);
        transport.abort(aborted);   // a second abort and an unknown id are ignored
        transport.abort(123456);
        QTRY_COMPARE_WITH_TIMEOUT(answered, 1, 10000);
        QTest::qWait(50);
        QCOMPARE(answered, 1);
    }
};

VORNIK_TEST_MAIN(TransportModuleTest, vtest::EnvironmentOptions{})
#include "transport_module_test.moc"
