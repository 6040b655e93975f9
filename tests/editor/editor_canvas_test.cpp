#include "platform/Preferences.h"
#include "editor/EditorCanvas.h"
#include "tests/harness/TestMain.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

using namespace scene;

namespace {

const QRectF kCanvas(0, 0, 1200, 900);

// A 400 × 300 picture (at `density` pixels per point) whose left half is green and
// right half navy, so tests can tell image pixels from page and figure pixels.
// A picture of `points` at `density` pixels per point, green on the left, navy on the right.
QImage makePicture(int density = 1, QSize points = QSize(400, 300))
{
    QImage picture(points * density, QImage::Format_RGB32);
    picture.fill(QColor(0, 160, 0));
    QPainter(&picture).fillRect(QRect(picture.width() / 2, 0, picture.width() / 2, picture.height()),
                                QColor(0, 0, 128));
    picture.setDevicePixelRatio(density);
    return picture;
}

} // namespace

class EditorCanvasTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorCanvas> m_view;

    EditorCanvas &view() { return *m_view; }
    QWidget *surface() { return m_view->viewport(); }

    void press(QPoint p) { QTest::mousePress(surface(), Qt::LeftButton, {}, p); }
    void moveTo(QPoint p) { QTest::mouseMove(surface(), p); }
    void release(QPoint p) { QTest::mouseRelease(surface(), Qt::LeftButton, {}, p); }
    void drag(QPoint from, QList<QPoint> through)
    {
        press(from);
        for (const QPoint &p : through)
            moveTo(p);
        release(through.isEmpty() ? from : through.last());
    }
    qsizetype figureCount() const { return m_view->rootGroup()->contents().size() - 1; }   // minus the image
    std::shared_ptr<Node> lastNode() const { return m_view->rootGroup()->contents().last(); }

private slots:
    void init()
    {
        Preferences &prefs = Preferences::standard();
        prefs.setString(QStringLiteral("linecolor"), QStringLiteral("blue"));
        prefs.setString(QStringLiteral("fillcolor"), QStringLiteral("red"));
        prefs.setInteger(QStringLiteral("linesize"), 4);
        prefs.setInteger(QStringLiteral("fontsize"), 14);
        m_view = std::make_unique<EditorCanvas>();
        m_view->setupCanvas(kCanvas, makePicture());
        m_view->resize(kCanvas.size().toSize());
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup() { m_view.reset(); }

    void setupPlacesTheImage()
    {
        // 1200 × 900 page, 400 × 300 picture: centred across, a quarter of the free
        // height down.
        QCOMPARE(view().imageRect(), std::optional<QRectF>(QRectF(400, 150, 400, 300)));
        const auto contents = view().rootGroup()->contents();
        QCOMPARE(contents.size(), 1);
        const auto image = std::dynamic_pointer_cast<Image>(contents.first());
        QVERIFY(image);
        QCOMPARE(image->place().dx(), 400.0);
        QCOMPARE(image->place().dy(), 150.0);
        QVERIFY(view().figureList().items.isEmpty());
        QCOMPARE(view().selectedTool(), std::nullopt);
    }

    void drawingDefaultsAreStoredWhenAbsent()
    {
        Preferences::standard().synchronize();
        QSettings file(Preferences::standard().fileName(), QSettings::IniFormat);
        file.remove(QStringLiteral("linesize"));
        file.remove(QStringLiteral("fontsize"));
        file.sync();
        Preferences::resetStandard();
        EditorCanvas fresh;
        fresh.setupCanvas(kCanvas, QImage());
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("linesize")), 4);
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("fontsize")), 14);
        QCOMPARE(fresh.fontsize(), 14);
        Preferences::standard().setInteger(QStringLiteral("fontsize"), 30);
        fresh.loadDrawingDefaults();
        QCOMPARE(fresh.fontsize(), 30);
    }

    void swatchesShowTheStoredColors()
    {
        QWidget line, fill;
        EditorCanvas other;
        other.setupCanvas(kCanvas, QImage(), &line, &fill);
        QCOMPARE(line.palette().color(QPalette::Window), QColor(0, 0, 255));
        QCOMPARE(fill.palette().color(QPalette::Window), QColor(255, 0, 0));
        QVERIFY(line.autoFillBackground());
    }

    // Without a picture the page is plain.
    void missingImageLeavesAPlainPage()
    {
        EditorCanvas empty;
        empty.setupCanvas(kCanvas, QImage());
        QCOMPARE(empty.imageRect(), std::nullopt);
        QVERIFY(empty.rootGroup()->contents().isEmpty());
        const QImage page = empty.renderCanvas(1.0);
        QCOMPARE(page.size(), QSize(1200, 900));
        QCOMPARE(page.pixelColor(600, 450), QColor(Qt::white));
        QVERIFY(empty.renderExport(empty.figureList()).isNull());
    }

    void imagePlacementPinsNearTheEdges_data()
    {
        QTest::addColumn<QSize>("points");
        QTest::addColumn<int>("density");
        QTest::addColumn<QRectF>("expected");
        // Nearly as wide as the page: less than 250 points would be left free across.
        QTest::newRow("wide") << QSize(1100, 300) << 1 << QRectF(5, 150, 1100, 300);
        QTest::newRow("tall") << QSize(400, 800) << 1 << QRectF(400, 5, 400, 800);
        // Exactly 250 points left free across: still centred.
        QTest::newRow("wide, at the limit") << QSize(700, 300) << 1 << QRectF(250, 150, 700, 300);
        // Two pixels per point: placed by its size in points, offsets divided by the scale.
        QTest::newRow("double density") << QSize(300, 200) << 2 << QRectF(225, 87.5, 300, 200);
    }

    void imagePlacementPinsNearTheEdges()
    {
        QFETCH(QSize, points);
        QFETCH(int, density);
        QFETCH(QRectF, expected);
        EditorCanvas other;
        other.setupCanvas(kCanvas, makePicture(density, points));
        QCOMPARE(other.imageRect(), std::optional<QRectF>(expected));
    }

    void pictureLargerThanThePageIsKeptWhole()
    {
        // A region from a display larger than the main one: 1500 × 1000 points on a
        // 1200 × 900 page.
        EditorCanvas other;
        other.setupCanvas(kCanvas, makePicture(1, QSize(1500, 1000)));
        QCOMPARE(other.imageRect(), std::optional<QRectF>(QRectF(5, 5, 1500, 1000)));
        // The rendering the export crops holds all of it, with the same margin on the
        // far sides, and the far corner is the picture's own.
        const QImage canvas = other.renderCanvas(1.0);
        QCOMPARE(canvas.size(), QSize(1510, 1010));
        QCOMPARE(canvas.pixelColor(1504, 1004), QColor(0, 0, 128));
        QCOMPARE(canvas.pixelColor(5, 1004), QColor(0, 160, 0));
        QCOMPARE(canvas.pixelColor(1507, 1007), QColor(Qt::white));
        QCOMPARE(other.viewSize(), std::optional(Size{1510, 1010}));
        // A picture that fits leaves the page at the display's size.
        QCOMPARE(view().renderCanvas(1.0).size(), QSize(1200, 900));
    }

    // A picture one or two points wide keeps its own pixels in the export: the
    // ratio of pixels to points comes from the picture, however narrow it is.
    void narrowPicturesExportAtTheirOwnResolution()
    {
        for (const QSize points : {QSize(1, 20), QSize(2, 20)}) {
            EditorCanvas other;
            other.setupCanvas(kCanvas, makePicture(2, points));
            QCOMPARE(other.renderExport(other.figureList()).size(), points * 2);
        }
    }

    // The selection mark is drawn around the marked figure and nowhere else; with
    // nothing marked the view shows no trace of it.
    void selectionMarkOnlyAroundTheMarkedFigure()
    {
        view().resize(1200, 900);
        const QColor markBlue(20, 90, 200);
        const auto markPixels = [&] {
            const QImage shown = view().viewport()->grab().toImage();
            int count = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    count += shown.pixelColor(x, y) == markBlue;
            return count;
        };
        QCOMPARE(markPixels(), 0);
        view().setSelectedTool(ToolKind::FilledRectangle);
        drag({600, 600}, {{700, 680}});
        view().setSelectedTool(ToolKind::Pointer);
        press({650, 640});
        release({650, 640});
        QVERIFY(view().markedFigure());
        // Choosing the pointer tool again keeps the mark; only another tool takes it.
        view().setSelectedTool(ToolKind::Pointer);
        QVERIFY(view().markedFigure());
        QVERIFY(markPixels() > 100);
        // Undo waits while a figure is being moved.
        press({650, 640});
        QVERIFY(view().movingFigure());
        view().undo();
        QCOMPARE(figureCount(), 1);
        release({650, 640});
        // Its handles stand six pixels outside the figure on every side (the far
        // sides one more, where a one-pixel pen lies outside the rectangle it draws).
        const QImage shown = view().viewport()->grab().toImage();
        QRect mark, figure;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QColor pixel = shown.pixelColor(x, y);
                if (pixel == markBlue)
                    mark |= QRect(x, y, 1, 1);
                else if (pixel == QColor(Qt::red) || pixel == QColor(Qt::blue))
                    figure |= QRect(x, y, 1, 1);
            }
        }
        QCOMPARE(QMargins(figure.left() - mark.left(), figure.top() - mark.top(), mark.right() - figure.right(),
                          mark.bottom() - figure.bottom()),
                 QMargins(6, 6, 7, 7));
        view().undo();
        QVERIFY(!view().markedFigure());
        QCOMPARE(markPixels(), 0);
    }

    // The page takes presses right up to its edges.
    void drawingStartsAtThePageEdge()
    {
        view().setSelectedTool(ToolKind::Rectangle);
        drag({0, 450}, {{40, 480}, {80, 500}});
        QCOMPARE(figureCount(), 1);
        QCOMPARE(std::get<Rect>(std::dynamic_pointer_cast<scene::Shape>(lastNode())->form()).x, 0.0);
    }

    // Only the left button draws: a right-button drag, then a left click elsewhere,
    // leave the page as it was.
    void onlyTheLeftButtonDraws()
    {
        view().setSelectedTool(ToolKind::Rectangle);
        QTest::mousePress(surface(), Qt::RightButton, {}, {100, 100});
        QTest::mouseMove(surface(), {300, 250});
        QTest::mouseRelease(surface(), Qt::RightButton, {}, {300, 250});
        QTest::mouseClick(surface(), Qt::LeftButton, {}, {500, 400});
        QCOMPARE(figureCount(), 0);
        // Nor does it mark a figure.
        drag({100, 100}, {{200, 200}});
        drag({300, 300}, {{400, 350}});   // the newest figure is the marked one
        view().setSelectedTool(ToolKind::Pointer);
        QVERIFY(!view().figureList().items.first()->selected);
        QTest::mouseClick(surface(), Qt::RightButton, {}, {100, 150});
        QVERIFY(!view().figureList().items.first()->selected);
        QTest::mouseClick(surface(), Qt::LeftButton, {}, {100, 150});
        QVERIFY(view().figureList().items.first()->selected);
    }

    void rectangleDraggedUpAndLeftKeepsItsSignsInTheScene()
    {
        view().setSelectedTool(ToolKind::Rectangle);
        drag({700, 500}, {{680, 480}, {600, 420}});
        QCOMPARE(figureCount(), 1);
        const auto shape = std::dynamic_pointer_cast<scene::Shape>(lastNode());
        QVERIFY(shape);
        QCOMPARE(std::get<Rect>(shape->form()), Rect(700, 500, -100, -80));
        QCOMPARE(shape->fill(), Color::clear());
        QCOMPARE(shape->stroke()->fill, Color(QColor(0, 0, 255)));
        QCOMPARE(shape->stroke()->width, 4.0);
        const auto &records = view().figureList().items;
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first()->shape, shape);
        QCOMPARE(records.first()->rect, std::optional<QRectF>(QRectF(600, 420, 100, 80)));
        QCOMPARE(records.first()->typeName, QStringLiteral("rectangle"));
        QVERIFY(records.first()->selected);
        QCOMPARE(view().currentFigure(), records.first());
    }

    void everyShapeToolFollowsTheDrag()
    {
        Preferences::standard().setInteger(QStringLiteral("linesize"), 7);
        view().setSelectedTool(ToolKind::FilledEllipse);
        drag({100, 100}, {{160, 140}});
        auto ellipse = std::dynamic_pointer_cast<scene::Shape>(lastNode());
        QCOMPARE(std::get<Ellipse>(ellipse->form()), Ellipse(130, 120, 30, 20));
        QCOMPARE(ellipse->fill(), Color(QColor(255, 0, 0)));
        QCOMPARE(ellipse->stroke()->width, 7.0);
        QCOMPARE(view().figureList().items.last()->typeName, QStringLiteral("ellipse"));
        // The record is the spanned rectangle, from the press point.
        QCOMPARE(view().figureList().items.last()->rect, std::optional<QRectF>(QRectF(100, 100, 60, 40)));

        view().setSelectedTool(ToolKind::Line);
        drag({900, 100}, {{850, 160}});
        auto line = std::dynamic_pointer_cast<scene::Shape>(lastNode());
        QCOMPARE(std::get<Line>(line->form()), Line(900, 100, 850, 160));
        QCOMPARE(view().figureList().items.last()->rect, std::optional<QRectF>(QRectF(850, 100, 50, 60)));
        QCOMPARE(view().figureList().items.last()->typeName, QStringLiteral("line"));

        view().setSelectedTool(ToolKind::Arrow);
        drag({100, 700}, {{150, 700}, {200, 700}});
        auto arrow = std::dynamic_pointer_cast<Group>(lastNode());
        QVERIFY(arrow);
        const auto expected = arrowHeadPoints({100, 700}, {200, 700});
        QCOMPARE(arrow->contents().size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(std::get<Line>(std::static_pointer_cast<scene::Shape>(arrow->contents().at(i))->form()),
                     expected.at(i));
        QCOMPARE(view().figureList().items.last()->rect, std::optional<QRectF>(QRectF(100, 700, 100, 0)));
        QCOMPARE(view().figureList().items.last()->typeName, QStringLiteral("arrow"));
        QCOMPARE(view().figureList().items.size(), 3);
        // Only the newest is selected.
        QCOMPARE(std::count_if(view().figureList().items.cbegin(), view().figureList().items.cend(),
                               [](const auto &r) { return r->selected; }),
                 1);
    }

    void noToolDrawsNothingButFiguresStillMove()
    {
        view().setSelectedTool(ToolKind::FilledRectangle);
        drag({100, 100}, {{200, 180}});
        const auto figure = lastNode();
        const auto record = view().figureList().items.first();

        for (std::optional<ToolKind> tool : {std::optional<ToolKind>(), std::optional(ToolKind::Pointer),
                                              std::optional(ToolKind::LineSize),
                                              std::optional(ToolKind::IncreaseFont)}) {
            view().setSelectedTool(tool);
            drag({600, 700}, {{650, 760}});
            QCOMPARE(figureCount(), 1);
            QCOMPARE(view().figureList().items.size(), 1);
        }

        view().setSelectedTool(std::nullopt);
        record->selected = false;
        press({150, 140});   // inside the filled rectangle
        QVERIFY(view().movingFigure());
        QVERIFY(record->selected);
        moveTo({160, 145});
        moveTo({180, 160});
        release({180, 160});
        QVERIFY(!view().movingFigure());
        QCOMPARE(figure->place().dx(), 30.0);
        QCOMPARE(figure->place().dy(), 20.0);
        QCOMPARE(record->rect, std::optional<QRectF>(QRectF(130, 120, 100, 80)));
        QCOMPARE(figureCount(), 1);

        // With a drawing tool a press on a figure moves it too and starts nothing.
        view().setSelectedTool(ToolKind::Ellipse);
        drag({200, 170}, {{190, 170}});
        QCOMPARE(figure->place().dx(), 20.0);
        QCOMPARE(figureCount(), 1);
    }

    void pressesHitOnlyTheDrawnGeometry()
    {
        // An outlined rectangle from (100, 100) to (300, 200), 4 points wide.
        view().setSelectedTool(ToolKind::Rectangle);
        drag({100, 100}, {{300, 200}});
        const auto outlined = lastNode();
        QCOMPARE(figureCount(), 1);

        // On the stroke: moves it.
        drag({300, 150}, {{310, 150}});
        QCOMPARE(outlined->place().dx(), 10.0);
        QCOMPARE(figureCount(), 1);
        // One point outside the (moved) stroke, which ends at 312, and inside its clear
        // middle: both start new figures.
        drag({313, 150}, {{330, 170}});
        QCOMPARE(figureCount(), 2);
        drag({200, 150}, {{220, 160}});
        QCOMPARE(figureCount(), 3);
        QCOMPARE(outlined->place().dx(), 10.0);
    }

    void savelocalTakesNoPress()
    {
        view().setSelectedTool(ToolKind::SaveLocal);
        drag({100, 100}, {{200, 200}});
        QCOMPARE(figureCount(), 0);
    }

    void textToolPlacesTheTypedTextAndClosesThePopover()
    {
        bool textShown = true;
        bool pointerInside = true;
        int closes = 0;
        CanvasPopovers popovers;
        popovers.textEntryShown = [&] { return textShown; };
        popovers.pointerInTextEntry = [&] { return pointerInside; };
        popovers.textEntryString = [] { return QStringLiteral("Look here"); };
        popovers.closeTextEntry = [&] {
            ++closes;
            textShown = false;
        };
        view().setPopovers(popovers);
        view().setSelectedTool(ToolKind::Text);

        // A press while the pointer is over the text view belongs to the text view.
        press({500, 600});
        release({500, 600});
        QCOMPARE(figureCount(), 0);
        QCOMPARE(closes, 0);

        pointerInside = false;
        press({500, 600});
        release({500, 600});
        QCOMPARE(closes, 1);
        QCOMPARE(figureCount(), 1);
        const auto text = std::dynamic_pointer_cast<Text>(lastNode());
        QVERIFY(text);
        QCOMPARE(text->text(), QStringLiteral("Look here"));
        QCOMPARE(text->place().dx(), 500.0);
        QCOMPARE(text->place().dy(), 600.0);
        QCOMPARE(text->font(), (Font{QStringLiteral("Serif"), 14, QStringLiteral("normal")}));
        QCOMPARE(text->fill(), Color(QColor(0, 0, 255)));
        QCOMPARE(text->align(), Align::min);
        QCOMPARE(text->baseline(), Baseline::top);
        const auto record = view().figureList().items.last();
        QCOMPARE(record->typeName, QStringLiteral("text"));
        QCOMPARE(record->rect->topLeft(), QPointF(500, 600));
        QVERIFY(record->rect->width() > 0);
        // The glyphs are drawn in the line color, below and right of the press point.
        const QImage canvas = view().renderCanvas(1.0);
        int inked = 0;
        for (int y = 600; y < 600 + 20; ++y)
            for (int x = 500; x < 500 + 60; ++x)
                inked += canvas.pixelColor(x, y).blue() > 200 && canvas.pixelColor(x, y).red() < 100;
        QVERIFY2(inked > 20, qPrintable(QString::number(inked)));
        QCOMPARE(canvas.pixelColor(495, 595), QColor(Qt::white));

        // Dragging the text tool resizes the new text: right or down grows it.
        press({800, 300});
        moveTo({810, 300});
        moveTo({820, 305});
        QCOMPARE(view().fontsize(), 18);
        moveTo({815, 305});
        release({815, 305});
        QCOMPARE(view().fontsize(), 16);
        QCOMPARE(std::dynamic_pointer_cast<Text>(lastNode())->font().size, 16);
    }

    void popoversOnScreenHoldThePressBack()
    {
        bool paletteShown = true;
        bool widthShown = false;
        int widthCloses = 0;
        CanvasPopovers popovers;
        popovers.colorPaletteShown = [&] { return paletteShown; };
        popovers.lineWidthShown = [&] { return widthShown; };
        popovers.closeLineWidth = [&] {
            ++widthCloses;
            widthShown = false;
        };
        view().setPopovers(popovers);
        view().setSelectedTool(ToolKind::Rectangle);

        drag({100, 100}, {{200, 200}});
        QCOMPARE(figureCount(), 0);

        paletteShown = false;
        widthShown = true;
        drag({100, 100}, {{200, 200}});
        QCOMPARE(widthCloses, 1);
        QCOMPARE(figureCount(), 0);

        drag({100, 100}, {{200, 200}});
        QCOMPARE(figureCount(), 1);
    }

    void textSizeStepsStopAt74And6()
    {
        // Without a text as the newest figure the steps change nothing.
        view().increaseFont();
        QCOMPARE(view().fontsize(), 14);

        Preferences::standard().setInteger(QStringLiteral("fontsize"), 72);
        view().loadDrawingDefaults();
        view().setSelectedTool(ToolKind::Text);
        press({300, 300});
        release({300, 300});
        const auto text = std::dynamic_pointer_cast<Text>(lastNode());
        QCOMPARE(text->font().size, 72);
        const QRectF before = *view().figureList().items.last()->rect;

        view().increaseFont();
        QCOMPARE(view().fontsize(), 74);
        view().increaseFont();
        QCOMPARE(view().fontsize(), 74);
        QCOMPARE(text->font().size, 74);
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("fontsize")), 74);
        // An odd size kept in the settings steps up to the largest, never past it.
        Preferences::standard().setInteger(QStringLiteral("fontsize"), 73);
        view().loadDrawingDefaults();
        view().increaseFont();
        QCOMPARE(view().fontsize(), 74);

        Preferences::standard().setInteger(QStringLiteral("fontsize"), 8);
        view().loadDrawingDefaults();
        view().decreaseFont();
        QCOMPARE(view().fontsize(), 6);
        view().decreaseFont();
        QCOMPARE(view().fontsize(), 6);
        QCOMPARE(text->font().size, 6);
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("fontsize")), 6);
        QCOMPARE(view().figureList().items.last()->rect->topLeft(), before.topLeft());

        // A newer non-text figure takes the steps away from the text.
        view().setSelectedTool(ToolKind::Rectangle);
        drag({600, 700}, {{650, 750}});
        view().increaseFont();
        QCOMPARE(view().fontsize(), 6);
    }

    void deleteRemovesTheFigureThenItsRecord()
    {
        view().setSelectedTool(ToolKind::FilledRectangle);
        drag({100, 100}, {{200, 200}});
        drag({300, 600}, {{400, 700}});
        const auto first = view().figureList().items.at(0);
        const auto second = view().figureList().items.at(1);
        QVERIFY(second->selected);

        view().deleteSelected();
        QCOMPARE(figureCount(), 1);
        QCOMPARE(lastNode(), std::static_pointer_cast<Node>(first->shape));
        QCOMPARE(view().figureList().items.size(), 2);
        QCOMPARE(view().renderCanvas(1.0).pixelColor(350, 650), QColor(Qt::white));

        view().deleteSelected();
        QCOMPARE(view().figureList().items.size(), 1);
        QCOMPARE(view().figureList().items.first(), first);
        // Nothing is selected now: Delete does nothing.
        view().deleteSelected();
        QCOMPARE(figureCount(), 1);

        // Pressing the remaining figure selects it for the next Delete.
        view().setSelectedTool(ToolKind::Pointer);
        press({150, 150});
        release({150, 150});
        view().deleteSelected();
        QCOMPARE(figureCount(), 0);
    }

    // Undoing both Deletes of the only figure brings back its drawing and its record,
    // so it can be selected and is exported again.
    void undoingBothDeletesRestoresTheOnlyFigure()
    {
        view().setSelectedTool(ToolKind::FilledRectangle);
        drag({100, 100}, {{200, 200}});
        const auto record = view().figureList().items.at(0);
        view().deleteSelected();
        view().deleteSelected();
        QVERIFY(view().figureList().items.isEmpty());
        view().undo();
        view().undo();
        QCOMPARE(figureCount(), 1);
        QCOMPARE(view().figureList().items, QList<std::shared_ptr<Figure>>{record});
        QCOMPARE(view().renderCanvas(1.0).pixelColor(150, 150), QColor(255, 0, 0));
    }

    void renderingShowsPageImageAndFigures()
    {
        view().setSelectedTool(ToolKind::FilledRectangle);
        drag({420, 200}, {{500, 260}});
        for (qreal ratio : {1.0, 2.0}) {
            const QImage canvas = view().renderCanvas(ratio);
            QCOMPARE(canvas.size(), (QSize(1200, 900) * ratio));
            QCOMPARE(canvas.devicePixelRatio(), ratio);
            auto at = [&](int x, int y) { return canvas.pixelColor(qRound(x * ratio), qRound(y * ratio)); };
            QCOMPARE(at(100, 100), QColor(Qt::white));      // page
            QCOMPARE(at(410, 400), QColor(0, 160, 0));      // image, left half
            QCOMPARE(at(790, 400), QColor(0, 0, 128));      // image, right half
            QCOMPARE(at(460, 230), QColor(255, 0, 0));      // fill
            QCOMPARE(at(420, 230), QColor(0, 0, 255));      // stroke on the edge
        }
    }
};

// Offscreen, and no bus: the canvas talks to nothing outside the process.
VORNIK_TEST_MAIN(EditorCanvasTest, ([] {
                     vtest::EnvironmentOptions options;
                     options.dbus = false;
                     return options;
                 }()))
#include "editor_canvas_test.moc"
