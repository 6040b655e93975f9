#include "platform/XcbShmCapture.h"
#include "platform/ScreenGrabBackend.h"
#include "tests/capture/CaptureTestSupport.h"
#include "tests/harness/TestMain.h"

#include <QFile>

using namespace capturetest;

namespace {
// How many of this process's mappings are capture segments of either kind.
int segmentMappings()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = maps.readAll();
    return int(text.count("memfd:vornik-capture") + text.count("/SYSV"));
}

QList<QImage> grabAll(XcbShmCapture &capture, const QList<QScreen *> &screens)
{
    QList<QImage> grabbed;
    int calls = 0;
    capture.grabScreens(screens, [&](const QList<QImage> &pictures, const QString &failure) {
        ++calls;
        grabbed = pictures;
        QVERIFY(failure.isEmpty());
    });
    // X11 grabs are answered before grabScreens returns.
    return calls == 1 ? grabbed : QList<QImage>();
}
} // namespace

class XcbShmCaptureTest : public QObject
{
    Q_OBJECT
    PatternWindow *pattern = nullptr;

    // Every display's picture is its own part of the framebuffer, in order, and its
    // segment is unmapped with the last copy of the picture.
    void checkGrabs(XcbShmCapture &capture)
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        const int before = segmentMappings();
        QList<QImage> pictures = grabAll(capture, screens);
        QCOMPARE(pictures.size(), screens.size());
        QCOMPARE(segmentMappings(), before + int(screens.size()));
        for (int i = 0; i < screens.size(); ++i) {
            const QString difference = firstDifference(pictures.at(i), expectedPattern(screens.at(i)->geometry()));
            QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("display %1: %2").arg(i).arg(difference)));
        }
        const QImage single = capture.grabScreen(screens.at(1));
        QVERIFY(firstDifference(single, expectedPattern(screens.at(1)->geometry())).isEmpty());
        const QImage kept = pictures.at(2);
        pictures.clear();
        QCOMPARE(segmentMappings(), before + 2); // `single` and `kept`
        QVERIFY(firstDifference(kept, expectedPattern(screens.at(2)->geometry())).isEmpty());
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::screens().size(), 3);
        pattern = new PatternWindow(QRect(0, 0, 2560, 1024));
        pattern->show();
        QTRY_VERIFY_WITH_TIMEOUT(pattern->paintedOnce, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(firstDifference(ScreenGrabBackend().grabScreen(QGuiApplication::screens().at(0)),
                                                 expectedPattern(QGuiApplication::screens().at(0)->geometry()))
                                     .isEmpty(),
                                 10000);
    }

    void cleanupTestCase() { delete pattern; }

    void memoryFileSegments()
    {
        auto capture = XcbShmCapture::create();
        QVERIFY(capture);
        checkGrabs(*capture);
        QCOMPARE(segmentMappings(), 0);
    }

    void sysVSegments()
    {
        qputenv("VORNIK_SHM_SYSV", "1");
        auto capture = XcbShmCapture::create();
        qunsetenv("VORNIK_SHM_SYSV");
        QVERIFY(capture);
        checkGrabs(*capture);
        QCOMPARE(segmentMappings(), 0);
    }
};

VORNIK_TEST_MAIN(XcbShmCaptureTest, (vtest::EnvironmentOptions{.x11 = true,
                                                               .framebuffer = QSize(2560, 1024),
                                                               .monitors = {QRect(0, 0, 1024, 768), QRect(1024, 0, 1536, 1024),
                                                                            QRect(0, 768, 1024, 256)},
                                                               .dbus = false}))
#include "xcb_shm_capture_test.moc"
