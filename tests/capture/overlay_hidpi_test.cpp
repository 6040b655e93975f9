#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include "capture/OverlayController.h"
#include "capture/OverlayWindow.h"
#include "capture/ScreenCapture.h"
#include "capture/SelectionView.h"
#include "platform/ScreenGrabBackend.h"
#include "tests/capture/CaptureTestSupport.h"

#include <QSignalSpy>
#include <cstdlib>

using namespace capturetest;

namespace {
// Every screen at device pixel ratio 2; set before the application object exists.
const bool scaled = [] {
    qputenv("QT_SCALE_FACTOR", "2");
    return true;
}();

// A display's rectangle in X (device) pixels: Qt keeps the origin and halves the size.
QRect nativeGeometry(QScreen *screen)
{
    const qreal ratio = screen->devicePixelRatio();
    return QRect(screen->geometry().topLeft(), (QSizeF(screen->geometry().size()) * ratio).toSize());
}
} // namespace

// The overlays on displays whose device pixel ratio is 2 still show the frozen picture
// pixel for pixel, and hand out regions at that ratio.
class OverlayHiDpiTest : public QObject
{
    Q_OBJECT

private slots:
    void framesAreDevicePixelExact()
    {
        QVERIFY(scaled);
        const auto screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens.at(0)->devicePixelRatio(), 2.0);
        QCOMPARE(nativeGeometry(screens.at(1)), QRect(1200, 0, 800, 600));

        PatternWindow pattern(QRect(0, 0, 2000, 800));
        pattern.setGeometry(QRect(0, 0, 1000, 400)); // logical points: the whole framebuffer
        pattern.show();
        QTRY_VERIFY_WITH_TIMEOUT(pattern.paintedOnce, 10000);
        vtest::FakeDesktop desktop;
        ScreenCapture sc(desktop.services.notifier);
        QSignalSpy painted1(sc.overlay(0)->window()->view(), &SelectionView::painted);
        QSignalSpy painted2(sc.overlay(1)->window()->view(), &SelectionView::painted);
        // The pattern window paints at ratio 2 from a 1x image, so compare against what
        // X holds rather than against the formula: the first grab is the reference.
        const QImage before0 = ScreenGrabBackend().grabScreen(screens.at(0));
        const QImage before1 = ScreenGrabBackend().grabScreen(screens.at(1));
        sc.captureAllScreens();
        QTRY_VERIFY_WITH_TIMEOUT(painted1.count() > 0 && painted2.count() > 0, 10000);

        const QList<QImage> before{before0, before1};
        for (int i = 0; i < 2; ++i) {
            OverlayController *c = sc.overlay(i);
            QCOMPARE(c->picture().size(), nativeGeometry(screens.at(i)).size());
            QCOMPARE(c->picture().devicePixelRatio(), 2.0);
            QVERIFY2(firstDifference(c->picture(), before.at(i)).isEmpty(), qPrintable(firstDifference(c->picture(), before.at(i))));
            const QImage shown = ScreenGrabBackend().grabScreen(screens.at(i));
            const QString diff = firstDifference(shown, c->picture());
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("overlay %1: %2").arg(i).arg(diff)));
        }

        // A region in points comes out in device pixels, at ratio 2.
        SelectionView *view = sc.overlay(1)->selectionView;
        const double height = screens.at(1)->geometry().height();
        const QRectF frame(10, height - 140, 60, 130); // its top edge 140 points above the bottom
        const QImage region = view->renderRegion(frame);
        QCOMPARE(region.size(), QSize(120, 260));
        QCOMPARE(region.devicePixelRatio(), 2.0);
        const QRect pixels(20, int((height - 140) * 2), 120, 260);
        QVERIFY(firstDifference(region, sc.overlay(1)->picture().copy(pixels)).isEmpty());
        sc.closeOverlays();
    }
};

VORNIK_TEST_MAIN(OverlayHiDpiTest, (vtest::EnvironmentOptions{.x11 = true,
                                                              .framebuffer = QSize(2000, 800),
                                                              .monitors = {QRect(0, 0, 1200, 800), QRect(1200, 0, 800, 600)},
                                                              .dbus = false}))
#include "overlay_hidpi_test.moc"
