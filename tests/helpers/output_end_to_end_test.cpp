// The whole road of a screenshot with real X input: Vornik runs as its own process on
// the test's Xvfb and bus, against a real vornik-server on loopback; the test shows a
// picture whose every pixel encodes its position, presses the hot key, drags a
// selection with xdotool and presses the overlay's buttons.
#include "service/ServiceConfiguration.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/OverlayDriver.h"
#include "tests/harness/ServerProcess.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QSignalSpy>
#include <QUrl>
#include <QWidget>

namespace {

using vtest::clipboardBytes;
using vtest::screenRectOf;
using vtest::visibleVornikWindows;

QStringList leftovers()
{
    QStringList found = QDir(QDir::tempPath() + "/Vornik").entryList({"*_viewimage.png"}, QDir::Files);
    if (QFile::exists(QDir::tempPath() + "/a2.png"))
        found << "a2.png";
    return found;
}

} // namespace

class OutputEndToEndTest : public QObject
{
    Q_OBJECT

    NotificationRecorder *recorder = nullptr;
    vtest::PatternWindow *pattern = nullptr;
    vtest::ServerProcess server;
    pid_t vornik = -1;
    qreal ratio = 1;
    QString openedLog;

    bool startCapture() { return vtest::startCapture(QRect(0, 0, 1920, 1080), QDir::tempPath() + "/vornik.log"); }
    void selectAndPress(const QRect &area, int index) { vtest::selectAndPress(area, index, ratio); }

    // The first notification titled `summary`; the others before it are dropped.
    NotificationRecorder::Notification waitForSummary(const QString &summary)
    {
        const auto found = [&] {
            return std::find_if(recorder->received.cbegin(), recorder->received.cend(),
                                [&](const auto &seen) { return seen.summary == summary; });
        };
        [&] { QTRY_VERIFY2_WITH_TIMEOUT(found() != recorder->received.cend(), qPrintable(summary), 30000); }();
        const auto seen = found() == recorder->received.cend() ? NotificationRecorder::Notification{} : *found();
        recorder->received.clear();
        return seen;
    }

    // Vornik's settings file, as another program edits it.
    static QSettings settingsFile()
    {
        return QSettings(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Vornik/Vornik.conf", QSettings::IniFormat);
    }

    QList<NotificationRecorder::Notification> waitForNotification()
    {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty(), 30000); }();
        auto seen = recorder->received;
        recorder->received.clear();
        return seen;
    }

private slots:
    void initTestCase()
    {
        // scripts/install-deps.sh installs both: without them this is a broken setup,
        // not a test to leave out quietly.
        for (const char *tool : {"xdotool", "xclip"})
            QVERIFY2(vtest::haveProgram(tool), tool);
        recorder = new NotificationRecorder(this);
        QVERIFY(recorder->isRegistered());
        pattern = new vtest::PatternWindow(QSize(1920, 1080));
        QVERIFY(pattern->showAndWait());
        QVERIFY(server.start());

        // The default viewer: a stand-in that writes down what it was asked to open.
        const QString bin = QDir::tempPath() + "/bin";
        QDir().mkpath(bin);
        openedLog = QDir::tempPath() + "/opened.txt";
        QFile opener(bin + "/xdg-open");
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(openedLog).toUtf8());
        opener.close();
        opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner);
        qputenv("PATH", (bin + ":" + qEnvironmentVariable("PATH")).toUtf8());
    }

    void saveCopyUploadFromTheOverlay_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 2") << 2.0;
    }
    void saveCopyUploadFromTheOverlay()
    {
        QFETCH(qreal, scale);
        ratio = scale;
        if (!server.isRunning())
            QVERIFY(server.start());
        // A restarted server may listen on another port.
        qputenv("VORNIK_SERVICE_URL", server.baseUrl().toUtf8());
        qputenv("VORNIK_CA_FILE", server.caFile().toUtf8());
        recorder->received.clear();
        QFile::remove(openedLog);
        qputenv("QT_SCALE_FACTOR", QByteArray::number(ratio));
        vornik = vtest::spawn({qEnvironmentVariable("VORNIK_BINARY")}, QDir::tempPath() + "/vornik.log");
        QVERIFY(vornik > 0);
        qunsetenv("QT_SCALE_FACTOR");
        const QRect area(400, 300, 600, 400);   // device pixels, even so both scales agree
        // The very first start (the first row) says how to take a screenshot; later
        // ones do not (the save below posts nothing, so any notification fails there).
        if (QTest::currentDataTag() == QByteArray("ratio 1")) {
            const auto hint = waitForNotification();
            QCOMPARE(hint[0].summary, QStringLiteral("Vornik is ready"));
            QVERIFY2(hint[0].body.startsWith("Press Ctrl+Shift+9 or Ctrl+F9 to take a screenshot"), qPrintable(hint[0].body));
            QVERIFY(vtest::unmapTheFirstStartWindow());
        }

        // Save: the PNG holds exactly the selected screen pixels and goes to the viewer.
        QVERIFY(startCapture());
        selectAndPress(area, 1);
        QTRY_COMPARE_WITH_TIMEOUT(visibleVornikWindows(), 0, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(openedLog), 20000);
        QFile log(openedLog);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString saved = QUrl(QString::fromUtf8(log.readAll()).trimmed()).toLocalFile();
        const QImage savedImage(saved, "PNG");
        const QRect savedRect = screenRectOf(savedImage);
        QVERIFY2(!savedRect.isNull(), qPrintable(saved));
        // The box starts where the drag did; the overlay may add up to its 10-point
        // border band at the far edges. Every pixel must be the screen's.
        const int band = int(10 * ratio) + 2;
        const auto within = [](int value, int low, int high) { return value >= low && value <= high; };
        QVERIFY2(within(savedRect.left(), area.left() - 2, area.left() + 2)
                     && within(savedRect.top(), area.top() - 2, area.top() + 2)
                     && within(savedRect.width(), area.width() - 2, area.width() + band)
                     && within(savedRect.height(), area.height() - 2, area.height() + band),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(savedRect.x()).arg(savedRect.y()).arg(savedRect.width()).arg(savedRect.height())));
        QVERIFY(recorder->received.isEmpty());

        // Copy: another program reads the same pixels as image/png.
        QVERIFY(startCapture());
        selectAndPress(area, 3);
        auto seen = waitForNotification();
        QCOMPARE(seen[0].summary, QStringLiteral("Clipboard notification"));
        const QByteArray copied = clipboardBytes("image/png");
        QVERIFY2(!copied.isEmpty(), clipboardBytes("TARGETS").constData());
        QCOMPARE(screenRectOf(QImage::fromData(copied, "PNG")), savedRect);

        // Upload: the link is on the clipboard and the server keeps the same pixels.
        QVERIFY(startCapture());
        selectAndPress(area, 2);
        seen = waitForNotification();
        QCOMPARE(seen[0].summary, QStringLiteral("SAVED TO CLIPBOARD"));
        QCOMPARE(seen[0].body, QStringLiteral("URL to image was copied to clipboard."));
        const QString link = QString::fromUtf8(clipboardBytes("text/plain"));
        QVERIFY2(link.startsWith("https://" + server.publicHost() + "/") && link.endsWith(".png"), qPrintable(link));
        const QByteArray uploaded = vtest::fetchUrl(QUrl(server.baseUrl() + "raw/" + QUrl(link).fileName()));
        QVERIFY(!uploaded.isEmpty());
        QCOMPARE(screenRectOf(QImage::fromData(uploaded, "PNG")), savedRect);
        QCOMPARE(leftovers(), QStringList());

        // With the server stopped the image is kept where the notification says.
        server.stop();
        QVERIFY(startCapture());
        selectAndPress(area, 2);
        seen = waitForNotification();
        QCOMPARE(seen[0].summary, QStringLiteral("File Upload Error"));
        QVERIFY2(seen[0].body.startsWith("There was a problem uploading your image. "), qPrintable(seen[0].body));
        const QString kept = seen[0].body.section(QStringLiteral(" It was kept at "), 1);
        QVERIFY(kept.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + "/Vornik/unsent/"));
        QCOMPARE(screenRectOf(QImage(kept, "PNG")), savedRect);

        // Three captures later the saved screenshot is still where it was saved.
        QVERIFY2(saved.startsWith(QDir::homePath() + "/Pictures/Vornik/Vornik "), qPrintable(saved));
        QCOMPARE(screenRectOf(QImage(saved, "PNG")), savedRect);

        // A save folder changed while Vornik runs counts at once; one that cannot be
        // made (a file stands in its way) keeps the picture with the failed uploads.
        QFile blocker(QDir::tempPath() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        settingsFile().setValue("savefolder", blocker.fileName() + "/shots");
        QVERIFY(startCapture());
        selectAndPress(area, 1);
        seen = waitForNotification();
        QCOMPARE(seen[0].summary, QStringLiteral("File Save Error"));
        QVERIFY2(seen[0].body.startsWith("Your image could not be saved: the folder " + blocker.fileName() + "/shots"),
                 qPrintable(seen[0].body));
        const QString keptSave = seen[0].body.section(QStringLiteral(". It was kept at "), 1);
        QVERIFY2(keptSave.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + "/Vornik/unsent/"), qPrintable(seen[0].body));
        QCOMPARE(screenRectOf(QImage(keptSave, "PNG")), savedRect);
        settingsFile().remove("savefolder");

        vtest::stop(vornik);
        vornik = -1;
    }

    // Each way an upload fails says why in its notification and keeps the picture;
    // once the user has mended the service (`vornik --set-service`), Retry sends it.
    void uploadFailuresSayWhy_data()
    {
        QTest::addColumn<QString>("service");   // "" for none, "closed" for a port nobody listens on
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no service") << "" << true << "No sharing service is set up yet (Vornik tried https://localhost:8443/).";
        QTest::newRow("stopped server") << "closed" << true << "is not running: it refused the connection.";
        QTest::newRow("untrusted certificate") << "server" << false << "is not trusted";
        QTest::newRow("error status") << "server/nowhere/" << true << "The sharing service answered with error 404: not found.";
    }
    void uploadFailuresSayWhy()
    {
        QFETCH(QString, service);
        QFETCH(bool, trusted);
        QFETCH(QString, reason);
        ratio = 1;
        if (!server.isRunning())
            QVERIFY(server.start());
        qunsetenv("VORNIK_SERVICE_URL");
        qunsetenv("VORNIK_CA_FILE");
        recorder->capabilities = {"body", "actions"};
        const QString closed = QStringLiteral("https://127.0.0.1:%1/").arg(vtest::freeLoopbackPort());
        service.replace("closed", closed).replace("server/", server.baseUrl()).replace("server", server.baseUrl());
        {
            QSettings settings = settingsFile();
            settings.setValue("serviceurl", service);
            settings.setValue("servicecafile", trusted ? server.caFile() : QString());
        }
        vornik = vtest::spawn({qEnvironmentVariable("VORNIK_BINARY")}, QDir::tempPath() + "/vornik.log");
        QVERIFY(vornik > 0);
        qputenv("VORNIK_CA_FILE", server.caFile().toUtf8());   // the test's own requests trust the server
        const QRect area(200, 100, 300, 200);
        QVERIFY(startCapture());
        selectAndPress(area, 2);
        const auto failed = waitForSummary(QStringLiteral("File Upload Error"));
        const QString lead = QStringLiteral("There was a problem uploading your image. ");
        QVERIFY2(failed.body.startsWith(lead) && failed.body.contains(reason), qPrintable(failed.body));
        const QString kept = failed.body.section(QStringLiteral(" It was kept at "), 1);
        QVERIFY2(kept.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + "/Vornik/unsent/"), qPrintable(failed.body));
        const QRect keptRect = screenRectOf(QImage(kept, "PNG"));
        QVERIFY(keptRect.contains(area.adjusted(2, 2, -12, -12)));
        QVERIFY(failed.actions.contains("retry"));
        QCOMPARE(failed.actions.contains("set-up-service"), service.isEmpty());

        QCOMPARE(vtest::run({qEnvironmentVariable("VORNIK_BINARY"), "--set-service", server.baseUrl(), "--ca-file",
                             server.caFile()}), 0);
        recorder->invokeAction(failed.id, "retry");
        waitForSummary(QStringLiteral("SAVED TO CLIPBOARD"));
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(kept), 10000);
        const QString link = QString::fromUtf8(clipboardBytes("text/plain"));
        QCOMPARE(screenRectOf(QImage::fromData(vtest::fetchRaw(link), "PNG")), keptRect);
    }

    void cleanup()
    {
        vtest::stop(vornik);
        vornik = -1;
    }

    void cleanupTestCase()
    {
        vtest::stop(vornik);
        server.stop();
        delete pattern;
    }
};

VORNIK_TEST_MAIN(OutputEndToEndTest, (vtest::EnvironmentOptions{.x11 = true, .framebuffer = QSize(1920, 1080), .monitors = {}, .dbus = true}))
#include "output_end_to_end_test.moc"
