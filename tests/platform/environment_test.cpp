#include "tests/harness/TestMain.h"

#include <QScreen>

// The harness itself: a private Xvfb cut into monitors shows up as separate screens.
class EnvironmentTest : public QObject
{
    Q_OBJECT
private slots:
    void monitorsBecomeScreens()
    {
        const auto screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens.at(0)->geometry(), QRect(0, 0, 1280, 800));
        QCOMPARE(screens.at(1)->geometry(), QRect(1280, 0, 640, 480));
        QVERIFY(qEnvironmentVariable("TMPDIR").startsWith(vtest::TestEnvironment::current()->root()));
    }
};

VORNIK_TEST_MAIN(EnvironmentTest,
                 (vtest::EnvironmentOptions{.x11 = true,
                                            .framebuffer = QSize(1920, 800),
                                            .monitors = {QRect(0, 0, 1280, 800), QRect(1280, 0, 640, 480)}}))
#include "environment_test.moc"
