#include "tests/harness/TestMain.h"

#include "capture/CursorImages.h"
#include "capture/SelectionModel.h"

#include <QPixmap>

// The selection geometry and its pointer handling, in the overlay's points (Qt's
// coordinates, y down).
class SelectionModelTest : public QObject
{
    Q_OBJECT

    const QRectF box{100, 100, 300, 200};

    // A model with the standard box whose pointer last rested at `rest` (classifying the zone).
    void restOn(SelectionModel &model, const QPointF &rest)
    {
        model.setFrame(box);
        model.pointerMoved(rest);
    }

private slots:
    void zonesOfAWideBox_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<EdgeHit>("zone");
        QTest::newRow("left band") << QPointF(100, 250) << EdgeHit::Left;
        QTest::newRow("upper-left corner") << QPointF(105, 105) << EdgeHit::UpperLeftCorner;
        QTest::newRow("bottom line is not a corner") << QPointF(105, 300) << EdgeHit::Left;
        QTest::newRow("lower-left corner") << QPointF(105, 299) << EdgeHit::LowerLeftCorner;
        QTest::newRow("right band") << QPointF(395, 250) << EdgeHit::Right;
        QTest::newRow("right edge line") << QPointF(400, 250) << EdgeHit::Right;
        QTest::newRow("upper-right corner") << QPointF(395, 100) << EdgeHit::UpperRightCorner;
        QTest::newRow("lower-right corner") << QPointF(392, 290) << EdgeHit::LowerRightCorner;
        QTest::newRow("bottom band") << QPointF(200, 300) << EdgeHit::Bottom;
        QTest::newRow("top band, inner line included") << QPointF(200, 110) << EdgeHit::Top;
        QTest::newRow("inside") << QPointF(200, 200) << EdgeHit::None;
        // The inner lines of the bands: the lower corner band includes its inner line,
        // the upper one does not; the left and bottom bands exclude theirs.
        QTest::newRow("upper corner band's inner line is the edge") << QPointF(105, 110) << EdgeHit::Left;
        QTest::newRow("just above it, the corner") << QPointF(105, 109.5) << EdgeHit::UpperLeftCorner;
        QTest::newRow("right edge at the upper inner line") << QPointF(395, 110) << EdgeHit::Right;
        QTest::newRow("lower corner band's inner line is the corner") << QPointF(105, 290) << EdgeHit::LowerLeftCorner;
        QTest::newRow("just above it, the edge") << QPointF(105, 289.5) << EdgeHit::Left;
        QTest::newRow("left band's inner line is inside") << QPointF(110, 250) << EdgeHit::None;
        QTest::newRow("right band's inner line is inside") << QPointF(390, 250) << EdgeHit::None;
        QTest::newRow("just right of it, the right band") << QPointF(390.5, 250) << EdgeHit::Right;
        QTest::newRow("bottom band's inner line is inside") << QPointF(200, 290) << EdgeHit::None;
        QTest::newRow("just below it, the bottom band") << QPointF(200, 290.5) << EdgeHit::Bottom;
        QTest::newRow("top edge line") << QPointF(200, 100) << EdgeHit::Top;
    }
    void zonesOfAWideBox()
    {
        QFETCH(QPointF, point);
        QFETCH(EdgeHit, zone);
        QCOMPARE(edgeHit(box, point), zone);
    }

    void narrowBoxesHaveOnlySideBands()
    {
        const QRectF narrow(0, 0, 15, 300);
        for (double x = 0; x < 15; x += 0.5) {
            for (double y : {50.0, 150.0}) {
                const EdgeHit zone = edgeHit(narrow, {x, y});
                QCOMPARE(zone, x < 10 ? EdgeHit::Left : EdgeHit::Right);
            }
        }
        const QRectF twenty(0, 0, 20, 300);
        QCOMPARE(edgeHit(twenty, {9.9, 150}), EdgeHit::Left);
        QCOMPARE(edgeHit(twenty, {10, 150}), EdgeHit::None);
        QCOMPARE(edgeHit(twenty, {10.1, 150}), EdgeHit::Right);
    }

    void bordersRunTheWholePlane()
    {
        QVERIFY(onBorder(box, {105, -500}));
        QVERIFY(onBorder(box, {200, 100}));
        QVERIFY(!onBorder(box, {200, 110}));
        QVERIFY(onBorder(box, {395, 450}));
        QVERIFY(onBorder(box, {-500, 295}));
        QVERIFY(!onBorder(box, {200, 200}));
        // Every band holds its outer line and not its inner one.
        QVERIFY(!onBorder(box, {110, 200}));
        QVERIFY(onBorder(box, {109.5, 200}));
        QVERIFY(!onBorder(box, {390, 200}));
        QVERIFY(onBorder(box, {390.5, 200}));
        QVERIFY(!onBorder(box, {200, 290}));
        QVERIFY(onBorder(box, {200, 290.5}));
        QVERIFY(onBorder(box, {400, 200}));
        QVERIFY(!onBorder(box, {400.5, 200}));
        QVERIFY(onBorder(box, {200, 300}));
        QVERIFY(!onBorder(box, {200, 300.5}));
    }

    void containmentExcludesTheFarEdges()
    {
        QVERIFY(frameContains(box, {100, 300}));
        QVERIFY(!frameContains(box, {400, 250}));
        QVERIFY(!frameContains(box, {150, 100}));
        QVERIFY(!frameContains(QRectF(50, 50, 0, 0), {50, 50}));
    }

    void newSelectionFromAPress()
    {
        SelectionModel model;
        model.pointerPressed({100, 200});
        QCOMPARE(model.frame(), QRectF(100, 200, 0, 0));
        QVERIFY(!model.JustMoving);
        model.pointerDragged({400, 500});
        QCOMPARE(model.frame(), QRectF(100, 200, 310, 310));
        QCOMPARE(model.statusText(), QStringLiteral("width:310: height:310"));

        SelectionModel small;
        small.pointerPressed({100, 200});
        small.pointerDragged({130, 210});
        QCOMPARE(small.frame(), QRectF(100, 75, 51, 145));
        QCOMPARE(small.statusText(), QStringLiteral("width:51: height:145"));
    }

    // Each drag event starts from the frame the previous one left.
    void newSelectionOverSeveralEvents()
    {
        SelectionModel model;
        model.pointerPressed({100, 200});
        // Less than 125 below the press: the top stands 125 above the old bottom (200).
        model.pointerDragged({200, 250});
        QCOMPARE(model.frame(), QRectF(100, 75, 110, 185));
        // Far enough below: top at the press point, bottom and right t beyond the pointer.
        model.pointerDragged({300, 400});
        QCOMPARE(model.frame(), QRectF(100, 200, 210, 210));
        // Back up within 125 of the press: the bottom that event left stays, 125 high.
        model.pointerDragged({350, 300});
        QCOMPARE(model.frame(), QRectF(100, 285, 260, 125));
        QCOMPARE(model.statusText(), QStringLiteral("width:260: height:125"));
        // Left of the press: the left edge at the pointer, 51 wide.
        model.pointerDragged({50, 400});
        QCOMPARE(model.frame(), QRectF(50, 200, 51, 210));
        QCOMPARE(model.mouseStart, QPointF(100, 200));
        model.pointerReleased({50, 400});
        QCOMPARE(model.frame(), QRectF(50, 200, 51, 210));
        QCOMPARE(model.mouseStart, QPointF(-1, -1));
    }

    // Exactly the minimum height below the press already counts as far enough: the top
    // stays at the press point instead of jumping 125 above it.
    void newSelectionAtExactlyTheMinimumHeight()
    {
        SelectionModel model;
        model.pointerPressed({100, 200});
        model.pointerDragged({200, 325});
        QCOMPARE(model.frame(), QRectF(100, 200, 110, 135));
        SelectionModel shorter;
        shorter.pointerPressed({100, 200});
        shorter.pointerDragged({200, 324.5});
        QCOMPARE(shorter.frame(), QRectF(100, 75, 110, 259.5));
    }

    void newSelectionLeftOfThePressIsMinimumWide()
    {
        SelectionModel model;
        model.pointerPressed({500, 200});
        model.pointerDragged({300, 500});
        QCOMPARE(model.frame().x(), 300.0);
        QCOMPARE(model.frame().width(), 51.0);
        // One point to the left is already left of it.
        SelectionModel near;
        near.pointerPressed({100, 200});
        near.pointerDragged({99, 400});
        QCOMPARE(near.frame(), QRectF(99, 200, 51, 210));
        // A press on the display's left edge starts a selection like any other.
        SelectionModel edge;
        edge.pointerPressed({0, 200});
        edge.pointerDragged({300, 500});
        QCOMPARE(edge.frame(), QRectF(0, 200, 310, 310));
    }

    void edgesIgnoreDragsBelowTheMinimum()
    {
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Left, {150, 200}), QRectF(140, 100, 260, 200));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Left, {360, 200}), box);
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Right, {140, 200}), box);
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Right, {500, 200}), QRectF(100, 100, 410, 200));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Top, {200, 190}), box);
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Top, {200, 0}), QRectF(100, -10, 300, 310));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Bottom, {200, 350}), QRectF(100, 100, 300, 260));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Bottom, {200, 210}), box);
        // Exactly the minimum is ignored, one point more is taken.
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Right, {141, 200}), box);
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Right, {142, 200}), QRectF(100, 100, 52, 200));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Top, {200, 185}), box);
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Top, {200, 184}), QRectF(100, 174, 300, 126));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Bottom, {200, 215}), box);
        QCOMPARE(resizeWithMinimum(box, EdgeHit::Bottom, {200, 216}), QRectF(100, 100, 300, 126));
    }

    void cornersClampToTheMinimum()
    {
        QCOMPARE(resizeWithMinimum(box, EdgeHit::UpperRightCorner, {150, 250}), QRectF(100, 175, 60, 125));
        // Pushed past the opposite edges: never turned over, each dimension at its minimum.
        QCOMPARE(resizeWithMinimum(box, EdgeHit::UpperLeftCorner, {600, 400}), QRectF(100, 175, 51, 125));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::LowerRightCorner, {0, -200}), QRectF(100, 175, 51, 125));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::LowerLeftCorner, {600, -200}), QRectF(100, 175, 51, 125));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::LowerLeftCorner, {50, 350}), QRectF(40, 100, 360, 260));
        // Dragged to exactly the minimum, a lower corner keeps the box's bottom edge.
        QCOMPARE(resizeWithMinimum(box, EdgeHit::LowerLeftCorner, {359, 215}), QRectF(100, 175, 51, 125));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::LowerLeftCorner, {358, 216}), QRectF(348, 100, 52, 126));
        QCOMPARE(resizeWithMinimum(box, EdgeHit::UpperLeftCorner, {50, 0}), QRectF(40, -10, 360, 310));
    }

    void zoneDragsThroughTheModel()
    {
        SelectionModel model;
        restOn(model, {100, 250});
        QCOMPARE(model.hitZone(), EdgeHit::Left);
        model.pointerPressed({100, 250});
        QVERIFY(model.JustMoving);
        model.pointerDragged({150, 200});
        QCOMPARE(model.frame(), QRectF(140, 100, 260, 200));
        QCOMPARE(model.statusText(), QStringLiteral("width:260: height:200"));
        model.pointerDragged({360, 200});
        QCOMPARE(model.frame(), QRectF(140, 100, 260, 200));
    }

    void moveFollowsThePointer()
    {
        SelectionModel model;
        restOn(model, {200, 200});
        QCOMPARE(model.hitZone(), EdgeHit::None);
        model.pointerPressed({200, 200});
        model.pointerDragged({250, 230});
        QCOMPARE(model.frame(), QRectF(150, 130, 300, 200));
        model.pointerDragged({260, 230});
        QCOMPARE(model.frame(), QRectF(160, 130, 300, 200));
        QCOMPARE(model.mouseStart, QPointF(260, 230));
    }

    void selectionsStayInsideTheirBounds()
    {
        // A view of 1000 x 800; the pointer runs past its right edge while drawing.
        SelectionModel model;
        model.setBounds(QRectF(0, 0, 1000, 800));
        model.pointerPressed({800, 100});
        model.pointerDragged({1400, 500});
        QCOMPARE(model.frame(), QRectF(800, 100, 200, 410));
        model.pointerReleased({1400, 500});
        QCOMPARE(model.frame(), QRectF(800, 100, 200, 410));
        QCOMPARE(model.statusText(), QStringLiteral("width:200: height:410"));

        // Moved against the bottom-left corner, the box keeps its size.
        model.pointerMoved({900, 300});
        QCOMPARE(model.hitZone(), EdgeHit::None);
        model.pointerPressed({900, 300});
        model.pointerDragged({-500, 1700});
        QCOMPARE(model.frame(), QRectF(0, 390, 200, 410));
        model.pointerReleased({-500, 1700});

        // Nudged: by the step asked, never past the edge; an empty selection stays put.
        model.nudge({5, -7});
        QCOMPARE(model.frame(), QRectF(5, 383, 200, 410));
        model.nudge({2000, -2000});
        QCOMPARE(model.frame(), QRectF(800, 0, 200, 410));
        model.setFrame(QRectF(40, 40, 0, 0));
        model.nudge({10, 10});
        QCOMPARE(model.frame(), QRectF(40, 40, 0, 0));
        QCOMPARE(keptInside(QRectF(-10, 0, 2000, 100), QRectF(0, 0, 1000, 800)), QRectF(0, 0, 1000, 100));
        QCOMPARE(keptInside(QRectF(-10, 0, 2000, 100), QRectF()), QRectF(-10, 0, 2000, 100));   // no bounds: as it is
    }

    void releaseResetsTheAnchorAndLaterDragsUseTheLastZone()
    {
        SelectionModel model;
        restOn(model, {395, 250});
        QCOMPARE(model.hitZone(), EdgeHit::Right);
        model.pointerPressed({395, 250});
        model.pointerReleased({395, 250});
        QCOMPARE(model.mouseStart, QPointF(-1, -1));
        QVERIFY(!model.pointerDown);
        QVERIFY(model.JustMoving);
        model.viewMouseDragged({500, 250});
        QCOMPARE(model.frame(), QRectF(100, 100, 410, 200));
    }

    void cursorsFollowTheZones()
    {
        CursorTracker tracker;
        SelectionModel model(&tracker);
        model.setFrame(box);
        model.pointerEnteredView({20, 380});
        QCOMPARE(tracker.current(), model.crosshairCursor);
        QCOMPARE(tracker.current().shape, CursorShape::ImageCrosshair);
        model.pointerMoved({100, 250});
        QCOMPARE(tracker.current(), CursorRef::resizeLeftRight());
        model.pointerMoved({200, 105});
        QCOMPARE(tracker.current(), CursorRef::resizeUpDown());
        model.pointerMoved({105, 105});
        QCOMPARE(tracker.current().shape, CursorShape::Corner1);
        const CursorRef firstCorner = tracker.current();
        model.pointerMoved({106, 105});
        QCOMPARE(tracker.current().shape, CursorShape::Corner1);
        QVERIFY(!(tracker.current() == firstCorner)); // made anew on every move
        model.pointerMoved({395, 105});
        QCOMPARE(tracker.current().shape, CursorShape::Corner2);
        model.pointerMoved({200, 200});
        QCOMPARE(tracker.current(), CursorRef::openHand());
        model.pointerMoved({50, 350});
        QCOMPARE(tracker.current(), model.crosshairCursor);
        model.pointerExitedView();
        QCOMPARE(tracker.current(), CursorRef::arrow());
        model.pointerEnteredView({50, 350});
        QCOMPARE(tracker.current(), model.crosshairCursor);
    }

    // The compiled-in pictures behind the model's image cursors.
    void imageCursorsComeFromOurPictures()
    {
        QVERIFY(crosshairImageAvailable());
        QVERIFY(cornerImagesAvailable());
        const QCursor crosshair = qCursorFor(CursorRef::fromImage(CursorShape::ImageCrosshair));
        const QCursor corner1 = qCursorFor(CursorRef::fromImage(CursorShape::Corner1));
        const QCursor corner2 = qCursorFor(CursorRef::fromImage(CursorShape::Corner2));
        for (const QCursor &cursor : {crosshair, corner1, corner2}) {
            QCOMPARE(cursor.shape(), Qt::BitmapCursor);
            QVERIFY(!cursor.pixmap().isNull());
        }
        QCOMPARE(crosshair.hotSpot(), QPoint(18, 18));
        QCOMPARE(corner1.hotSpot(), QPoint(16, 16));
        QCOMPARE(corner2.hotSpot(), QPoint(16, 16));
        // "corner1" points to the upper left and lower right, "corner2" to the other two.
        const QImage one = corner1.pixmap().toImage();
        const QImage two = corner2.pixmap().toImage();
        QCOMPARE(one.size(), QSize(32, 32));
        QCOMPARE(two.size(), QSize(32, 32));
        QVERIFY(qAlpha(one.pixel(7, 7)) > 200 && qAlpha(one.pixel(24, 24)) > 200);
        QVERIFY(qAlpha(one.pixel(24, 7)) == 0 && qAlpha(one.pixel(7, 24)) == 0);
        QVERIFY(qAlpha(two.pixel(24, 7)) > 200 && qAlpha(two.pixel(7, 24)) > 200);
        QVERIFY(qAlpha(two.pixel(7, 7)) == 0 && qAlpha(two.pixel(24, 24)) == 0);
    }

    void boxKeepsResizeCursorsOnItsBands()
    {
        CursorTracker tracker;
        SelectionModel model(&tracker);
        model.setFrame(box);
        model.pointerMoved({105, 200}); // 5 points inside the left edge
        QCOMPARE(tracker.current(), CursorRef::resizeLeftRight());
        model.pointerMoved({120, 200}); // 20 points inside
        QCOMPARE(tracker.current(), CursorRef::openHand());
        QCOMPARE(model.boxOvercursor, CursorRef::openHand());
    }

    void dragShowsTheClosedHandAndReleaseOutsideTheCrosshair()
    {
        CursorTracker tracker;
        SelectionModel model(&tracker);
        model.viewDidUnhide();
        restOn(model, {200, 200});
        model.pointerPressed({200, 200});
        QCOMPARE(tracker.current(), CursorRef::closedHand());
        model.pointerDragged({210, 200});
        QCOMPARE(tracker.current(), CursorRef::closedHand());
        // Released outside the (moved) box, off its bands: the box's own crosshair wins.
        model.setFrame(box);
        model.pointerReleased({700, 700});
        QCOMPARE(tracker.current(), model.boxCrosshaircursor);
        QVERIFY(!(model.boxCrosshaircursor == model.crosshairCursor));
        // A click out there changes nothing: the view already asked for its crosshair.
        model.pointerPressed({700, 700});
        model.pointerReleased({700, 700});
        QCOMPARE(tracker.current(), model.boxCrosshaircursor);
        // The next move hands the pointer back to the view's crosshair.
        model.pointerMoved({700, 701});
        QCOMPARE(tracker.current(), model.crosshairCursor);
        // The box's cursor is set again only when forced (as the overlay does with the
        // arrow when it closes), or when it changes.
        model.boxApplyCursor(CursorRef::arrow(), true);
        QCOMPARE(tracker.current(), CursorRef::arrow());
        QCOMPARE(model.boxOvercursor, CursorRef::arrow());
        model.pointerMoved({700, 702});
        model.boxApplyCursor(CursorRef::arrow(), false);
        QCOMPARE(tracker.current(), model.crosshairCursor);
    }

    void withoutCornerPicturesMovesLeaveTheCursorAndZone()
    {
        CursorTracker tracker;
        SelectionModel model(&tracker);
        model.setImagesAvailable(true, false);
        model.setFrame(box);
        model.pointerEnteredView({20, 20});
        const CursorRef before = tracker.current();
        model.pointerMoved({100, 250});
        QCOMPARE(model.hitZone(), EdgeHit::None);
        QCOMPARE(tracker.current(), before);
    }

    void withoutTheCrosshairPictureTheSystemCrosshairIsUsed()
    {
        CursorTracker tracker;
        SelectionModel model(&tracker);
        model.setImagesAvailable(false, true);
        model.viewDidUnhide();
        model.pointerEnteredView({20, 20});
        QCOMPARE(tracker.current(), CursorRef::system(CursorShape::SystemCrosshair));
    }

    // The left edge dragged inward past the minimum, then out of the box: the box's own
    // path takes over without a minimum, but the box never gets a negative width.
    void fallbackResizeAfterLeavingTheBox()
    {
        CursorTracker tracker;
        SelectionModel model(&tracker);
        restOn(model, {120, 200});         // inner area: the box shows the open hand
        model.pointerMoved({105, 200});    // left band
        QCOMPARE(model.hitZone(), EdgeHit::Left);
        model.pointerPressed({105, 200});
        model.pointerDragged({300, 200});
        QCOMPARE(model.frame(), QRectF(290, 100, 110, 200));
        model.pointerDragged({390, 200});  // would be 20 wide: ignored
        QCOMPARE(model.frame(), QRectF(290, 100, 110, 200));
        // Exactly the minimum width is still too small for an edge; one point more is taken.
        QCOMPARE(resizeWithMinimum(model.frame(), EdgeHit::Left, {359, 200}), model.frame());
        QCOMPARE(resizeWithMinimum(model.frame(), EdgeHit::Left, {358, 200}), QRectF(348, 100, 52, 200));

        model.pointerDragged({402, 200});  // out of the box with the closed hand
        QVERIFY(model.dragging);
        QCOMPARE(model.frame(), QRectF(290, 100, 110, 200)); // first event only stores the hand
        QCOMPARE(model.boxOvercursor, CursorRef::closedHand());

        model.pointerDragged({405, 200});  // now the left edge follows: L = 395
        QCOMPARE(model.frame(), QRectF(395, 100, 5, 200));
        QCOMPARE(model.statusText(), QStringLiteral("width:5: height:200"));
        model.pointerDragged({450, 200});  // past the right edge: held at zero width
        QCOMPARE(model.frame(), QRectF(400, 100, 0, 200));
    }

    void fallbackResizeKeepsEveryZoneNonNegative()
    {
        for (EdgeHit zone : {EdgeHit::Left, EdgeHit::UpperLeftCorner, EdgeHit::Top, EdgeHit::UpperRightCorner,
                             EdgeHit::Right, EdgeHit::LowerRightCorner, EdgeHit::Bottom, EdgeHit::LowerLeftCorner}) {
            for (const QPointF &p : {QPointF(-1000, -1000), QPointF(1000, 1000), QPointF(-1000, 1000), QPointF(1000, -1000)}) {
                const QRectF f = resizeWithoutMinimum(box, zone, p);
                QVERIFY2(f.width() >= 0 && f.height() >= 0, qPrintable(QStringLiteral("zone %1").arg(int(zone))));
            }
        }
        QCOMPARE(resizeWithoutMinimum(box, EdgeHit::Right, {200, 400}), QRectF(100, 100, 110, 200));
        QCOMPARE(resizeWithoutMinimum(box, EdgeHit::LowerLeftCorner, {50, 350}), QRectF(40, 100, 360, 260));
        QCOMPARE(resizeWithoutMinimum(box, EdgeHit::None, {50, 350}), box);
        // A wider hit band moves the dragged edge that much further beyond the pointer.
        QCOMPARE(resizeWithoutMinimum(box, EdgeHit::Right, {200, 400}, 20), QRectF(100, 100, 120, 200));
        QCOMPARE(edgeHit(box, {115, 200}, 20), EdgeHit::Left);
    }
};

VORNIK_TEST_MAIN(SelectionModelTest,
                 (vtest::EnvironmentOptions{.x11 = false, .framebuffer = QSize(1920, 1080), .monitors = {}, .dbus = false}))
#include "selection_model_test.moc"
