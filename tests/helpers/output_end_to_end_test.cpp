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
        const QString lead = QStringLiteral("There was a problem uploading your image. It was kept at ");
        QVERIFY2(seen[0].body.startsWith(lead), qPrintable(seen[0].body));
        const QString kept = seen[0].body.mid(lead.size());
        QVERIFY(kept.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + "/Vornik/unsent/"));
        QCOMPARE(screenRectOf(QImage(kept, "PNG")), savedRect);

        // Three captures later the saved screenshot is still where it was saved.
        QVERIFY2(saved.startsWith(QDir::homePath() + "/Pictures/Vornik/Vornik "), qPrintable(saved));
        QCOMPARE(screenRectOf(QImage(saved, "PNG")), savedRect);

        vtest::stop(vornik);
        vornik = -1;
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
