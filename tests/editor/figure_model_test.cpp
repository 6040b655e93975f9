#include "editor/FigureList.h"
#include "editor/scene/Ellipse.h"
#include "editor/tools/CounterBadge.h"
#include "editor/tools/FreehandStroke.h"
#include "editor/scene/Font.h"
#include "editor/scene/Form.h"
#include "editor/scene/Group.h"
#include "editor/scene/Image.h"
#include "editor/scene/PanEvent.h"
#include "editor/scene/Rect.h"
#include "editor/scene/SceneView.h"
#include "editor/scene/Size.h"
#include "editor/scene/Text.h"
#include "editor/scene/TouchEvent.h"
#include "tests/harness/TestMain.h"

#include <QGraphicsScene>
#include <QPainter>
#include <cmath>

using namespace scene;

namespace {

std::shared_ptr<Figure> added(FigureList &list, const QString &type, std::shared_ptr<scene::Shape> shape,
                                   std::shared_ptr<Text> text = nullptr, std::shared_ptr<Group> group = nullptr)
{
    auto record = std::make_shared<Figure>();
    list.addItem(type, record, shape, text, group, 1, 2, 3, 4);
    return record;
}

double length(const Line &l)
{
    return std::hypot(l.x2 - l.x1, l.y2 - l.y1);
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

} // namespace

class FigureModelTest : public QObject
{
    Q_OBJECT
private slots:
    void addItemMakesTheNewRecordTheOnlySelectedOne()
    {
        FigureList list;
        const auto a = added(list, "rectangle", makeOutlineRectangle(Color::white(), 0, 0, 4, 4, 4));
        const auto b = added(list, "ellipse", makeOutlineEllipse(Color::white(), 0, 0, 4, 4, 4));
        QCOMPARE(list.items.size(), 2);
        QVERIFY(!a->selected);
        QVERIFY(b->selected);
        QCOMPARE(b->rect, std::optional<QRectF>(QRectF(1, 2, 3, 4)));
        QCOMPARE(b->typeName, QStringLiteral("ellipse"));
        QCOMPARE(b->lineLength, -1.0);
        QVERIFY(!b->text && !b->group);
    }

    void selectItemsMatchesAllThreeFields()
    {
        FigureList list;
        const auto shape = makeOutlineRectangle(Color::white(), 0, 0, 4, 4, 4);
        const auto text = makeTextFigure(Color::white(), "t", Font{}, 0, 0);
        const auto arrow = makeArrow(Color::white(), 0, 0, 0, 0, 4);
        const auto r1 = added(list, "rectangle", shape);
        const auto r2 = added(list, "text", nullptr, text);
        const auto r3 = added(list, "arrow", nullptr, nullptr, arrow);
        // A record holding the shape and a text does not match the shape alone.
        const auto mixed = added(list, "rectangle", shape, text);

        list.selectItems(shape, nullptr, nullptr);
        QVERIFY(r1->selected && !r2->selected && !r3->selected && !mixed->selected);
        list.selectItems(nullptr, nullptr, arrow);
        QVERIFY(!r1->selected && r3->selected);
        list.selectItems(nullptr, nullptr, nullptr);
        for (const auto &r : list.items)
            QVERIFY(!r->selected);
    }

    void removeItemDropsOnlyThatRecord()
    {
        FigureList list;
        const auto a = added(list, "line", makeLine(Color::white(), 0, 0, 1, 1, 1));
        const auto b = added(list, "line", makeLine(Color::white(), 0, 0, 1, 1, 1));
        const auto c = added(list, "line", makeLine(Color::white(), 0, 0, 1, 1, 1));
        list.removeItem(std::make_shared<Figure>(*b));   // an equal copy is another record
        QCOMPARE(list.items.size(), 3);
        list.removeItem(b);
        QCOMPARE(list.items, (QList<std::shared_ptr<Figure>>{a, c}));
    }

    void originAndSizeFollowTheNodeOnly()
    {
        FigureList list;
        const auto shape = makeOutlineRectangle(Color::white(), 0, 0, 4, 4, 4);
        const auto arrow = makeArrow(Color::white(), 0, 0, 0, 0, 4);
        const auto r1 = added(list, "rectangle", shape);
        const auto r2 = added(list, "arrow", nullptr, nullptr, arrow);
        list.setShapeOrigin(shape.get(), 10, 20);
        list.setShapeSize(shape.get(), 30, 40);
        QCOMPARE(r1->rect, std::optional<QRectF>(QRectF(10, 20, 30, 40)));
        // Group operations look at groups only.
        list.setGroupOrigin(shape.get(), 99, 99);
        QCOMPARE(r1->rect->topLeft(), QPointF(10, 20));
        list.setGroupOrigin(arrow.get(), 5, 6);
        list.setGroupSize(arrow.get(), 7, 8);
        QCOMPARE(r2->rect, std::optional<QRectF>(QRectF(5, 6, 7, 8)));

        // No record, or a record without a rectangle: nothing happens.
        const auto stray = makeOutlineRectangle(Color::white(), 0, 0, 4, 4, 4);
        list.setShapeOrigin(stray.get(), 1, 1);
        r1->rect.reset();
        list.setShapeSize(shape.get(), 1, 1);
        QVERIFY(!r1->rect);
        QCOMPARE(r2->rect, std::optional<QRectF>(QRectF(5, 6, 7, 8)));
    }

    void buildersUseRoundCapsAndMiterJoins()
    {
        const Color blue(QColor(0, 0, 255));
        const auto ellipse = makeOutlineEllipse(blue, 10, 20, 4, 5, 6);
        QCOMPARE(std::get<Ellipse>(ellipse->form()), Ellipse(10, 20, 4, 5));
        QCOMPARE(ellipse->fill(), Color::clear());
        QCOMPARE(ellipse->stroke()->fill, blue);
        QCOMPARE(ellipse->stroke()->width, 6.0);
        QCOMPARE(ellipse->stroke()->cap, LineCap::round);
        QCOMPARE(ellipse->stroke()->join, LineJoin::miter);
        QVERIFY(ellipse->stroke()->dashes.isEmpty());
        QCOMPARE(ellipse->place(), Transform::identity());

        const auto line = makeLine(blue, 1, 2, 3, 4, 5);
        QCOMPARE(line->fill(), blue);
        QCOMPARE(std::get<Line>(line->form()), Line(1, 2, 3, 4));

        const auto text = makeTextFigure(blue, "Hi", Font{"Serif", 20, "normal"}, 30, 40);
        QCOMPARE(text->place(), Transform::identity().move(30, 40));
        QVERIFY(!text->stroke().has_value());
    }

    void startedArrowHasFixedBarbs()
    {
        const auto arrow = makeArrow(Color::white(), 50, 60, 50, 60, 4);
        QCOMPARE(arrow->contents().size(), 3);
        auto line = [&](int i) { return std::get<Line>(std::static_pointer_cast<scene::Shape>(arrow->contents().at(i))->form()); };
        QCOMPARE(line(0), Line(50, 60, 56, 70));
        QCOMPARE(line(1), Line(50, 60, 50, 60));
        QCOMPARE(line(2), Line(50, 60, 56, 50));
    }

    void arrowHeadPointsBackAlongTheShaft_data()
    {
        QTest::addColumn<double>("sx");
        QTest::addColumn<double>("sy");
        QTest::addColumn<double>("tx");
        QTest::addColumn<double>("ty");
        QTest::addColumn<QPointF>("e1");
        QTest::addColumn<QPointF>("e2");
        // Straight right: both barb ends 20 left of the tip, 20 above and below it.
        QTest::newRow("right") << 0.0 << 0.0 << 100.0 << 0.0 << QPointF(80, -20) << QPointF(80, 20);
        // Tip on the start: atan2(0, 0) is 0, so the barbs point left as well.
        QTest::newRow("zero length") << 50.0 << 50.0 << 50.0 << 50.0 << QPointF(30, 30) << QPointF(30, 70);
        QTest::newRow("down") << 10.0 << 10.0 << 10.0 << 110.0 << QPointF(30, 90) << QPointF(-10, 90);
    }

    void arrowHeadPointsBackAlongTheShaft()
    {
        QFETCH(double, sx);
        QFETCH(double, sy);
        QFETCH(double, tx);
        QFETCH(double, ty);
        QFETCH(QPointF, e1);
        QFETCH(QPointF, e2);
        const auto lines = arrowHeadPoints({sx, sy}, {tx, ty});
        QCOMPARE(lines[1], Line(tx, ty, sx, sy));
        for (const Line &l : lines) {
            QCOMPARE(l.x1, tx);
            QCOMPARE(l.y1, ty);
        }
        QVERIFY2(near(lines[0].x2, e1.x()) && near(lines[0].y2, e1.y()),
                 qPrintable(QStringLiteral("E1 %1,%2").arg(lines[0].x2).arg(lines[0].y2)));
        QVERIFY2(near(lines[2].x2, e2.x()) && near(lines[2].y2, e2.y()),
                 qPrintable(QStringLiteral("E2 %1,%2").arg(lines[2].x2).arg(lines[2].y2)));
    }

    void barbsAre45DegreesOffAnyShaft()
    {
        const Point start{17, 250};
        const Point tip{233, 41};
        const auto lines = arrowHeadPoints(start, tip);
        const double shaftAngle = std::atan2(start.y - tip.y, start.x - tip.x);
        for (int i : {0, 2}) {
            QVERIFY(near(length(lines[i]), 20 * std::sqrt(2.0)));
            const double barbAngle = std::atan2(lines[i].y2 - tip.y, lines[i].x2 - tip.x);
            const double between = std::remainder(barbAngle - shaftAngle, 2 * M_PI);
            QVERIFY2(near(std::abs(between), M_PI / 4), qPrintable(QString::number(between)));
        }
    }

    void formsKnowTheirBounds()
    {
        QCOMPARE(Rect(10, 20, -4, -6).bounds(), Rect(6, 14, 4, 6));
        QCOMPARE(Ellipse(10, 20, -3, 4).bounds(), Rect(7, 16, 6, 8));
        QCOMPARE(Line(5, 1, 2, 9).bounds(), Rect(2, 1, 3, 8));
        QCOMPARE(normalisedRect({10, 10}, {4, 2}), QRectF(4, 2, 6, 8));
        const Transform t = Transform::identity().move(3, 4);
        QCOMPARE(t.move(1, 1).dx(), 4.0);
        QCOMPARE(t.dx(), 3.0);   // move returns a copy
        // A text placed by its top left corner starts there.
        const scene::Text text(QStringLiteral("Ag"), scene::Font{}, Color::white(), std::nullopt, scene::Align::min,
                               scene::Baseline::top, Transform::identity());
        QCOMPARE(text.boundingRect().topLeft(), QPointF(0, 0));
        QVERIFY(text.boundingRect().width() > 0 && text.boundingRect().height() > 0);
        // A text's size is in canvas pixels, and never under one.
        for (const auto &[size, pixels] : {std::pair{0, 1}, {1, 1}, {2, 2}, {40, 40}})
            QCOMPARE(scene::Font{.size = size}.toQFont().pixelSize(), pixels);
        QVERIFY(scene::Font{.weight = QStringLiteral("bold")}.toQFont().bold());
        QVERIFY(!scene::Font{}.toQFont().bold());
    }

    void nodesAreEqualOnlyToThemselves()
    {
        const auto a = makeOutlineRectangle(Color::white(), 0, 0, 4, 4, 4);
        const auto b = makeOutlineRectangle(Color::white(), 0, 0, 4, 4, 4);
        QVERIFY(*a == *a);
        QVERIFY(!(*a == *b));
        QVERIFY(a->hashValue() != b->hashValue());
    }

    void groupsShareTheirNodes()
    {
        QGraphicsScene graphics;
        const auto kept = makeLine(Color::white(), 0, 0, 10, 10, 2);
        const auto dropped = makeLine(Color::white(), 0, 0, 20, 20, 2);
        {
            auto g = group({kept, dropped});
            graphics.addItem(g.get());
            QCOMPARE(kept->scene(), &graphics);
            QVERIFY(kept->zValue() < dropped->zValue());
            g->setContents({dropped, kept});
            QVERIFY(kept->zValue() > dropped->zValue());
            g->setContents({kept});
            QCOMPARE(dropped->scene(), nullptr);
            QCOMPARE(dropped->parentItem(), nullptr);
        }
        // The group is gone; its former child lives on with whoever holds it.
        QCOMPARE(kept->parentItem(), nullptr);
        QCOMPARE(kept->scene(), nullptr);
        QCOMPARE(std::get<Line>(kept->form()), Line(0, 0, 10, 10));
    }

    // The page is drawn from its very first pixel at either scale, and a view lets go of
    // a page it no longer shows or outlives.
    void viewDrawsWholePagesAndLetsGoOfThem()
    {
        auto first = group({std::make_shared<scene::Shape>(Rect(0, 0, 40, 30), Color(QColor(Qt::black)))});
        auto second = group({});
        {
            SceneView view;
            view.setNode(first, QSizeF(40, 30));
            for (const QImage &page : {view.renderScene(1.0), view.renderScene(QTransform::fromScale(2, 2), QSize(80, 60))})
                for (const QPoint corner : {QPoint(0, 0), QPoint(page.width() - 1, page.height() - 1)})
                    QCOMPARE(page.pixelColor(corner), QColor(Qt::black));
            view.setNode(second, QSizeF(40, 30));
            QCOMPARE(first->scene(), nullptr);
            QVERIFY(second->scene());
        }
        QCOMPARE(second->scene(), nullptr);
    }

    // The highlighter darkens what lies under it, as ink does (yellow over blue stays
    // dark); the pen covers it.
    void highlighterMultipliesAndThePenCovers()
    {
        for (const bool marker : {true, false}) {
            FreehandStroke stroke(QPointF(10, 20), QColor(255, 230, 0, 150), 8, marker);
            stroke.addPoint(QPointF(90, 20));
            QImage page(100, 40, QImage::Format_RGB32);
            page.fill(QColor(0, 0, 160));
            QPainter painter(&page);
            stroke.paint(&painter, nullptr, nullptr);
            painter.end();
            const QColor under = page.pixelColor(50, 20);
            QVERIFY2(marker ? under.red() < 20 : under.red() > 120, qPrintable(under.name()));
        }
    }

    // A numbered marker's number sits in the middle of its circle.
    void markerNumberIsCentred()
    {
        CounterBadge badge(7, QPointF(50, 50), QColor(Qt::darkBlue), 20);
        QImage page(100, 100, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        badge.paint(&painter, nullptr, nullptr);
        painter.end();
        QRect number;   // the white pixels well inside the circle's edge
        for (int y = 31; y < 70; ++y)
            for (int x = 31; x < 70; ++x)
                if (std::hypot(x + 0.5 - 50, y + 0.5 - 50) < 17 && qGray(page.pixel(x, y)) > 200)
                    number |= QRect(x, y, 1, 1);
        QVERIFY(number.width() > 4 && number.height() > 8);
        QVERIFY2((number.center() - QPoint(50, 50)).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1, %2").arg(number.center().x()).arg(number.center().y())));
    }

    void pressesReachTheFigureUnderThePointerOrTheBackground()
    {
        SceneView view;
        auto background = std::make_shared<scene::Shape>(Rect(0, 0, 400, 300), Color::white());
        int backgroundPresses = 0;
        background->onTouchPressed([&](const TouchEvent &) { ++backgroundPresses; });
        QImage pixels(100, 100, QImage::Format_RGB32);
        pixels.fill(Qt::gray);
        auto picture = std::make_shared<Image>(pixels, Size{100, 100});   // no handlers: lets presses through
        auto arrow = makeArrow(Color(QColor(Qt::red)), 200, 100, 200, 100, 4);
        arrow->onPan([](const PanEvent &) {});
        auto outline = makeOutlineRectangle(Color(QColor(Qt::red)), 250, 150, 100, 100, 4);
        outline->onTouchPressed([](const TouchEvent &) {});
        view.setNode(group({background, group({picture, arrow, outline})}), QSizeF(400, 300));

        QCOMPARE(view.nodeAt({50, 50}), std::static_pointer_cast<Node>(background));
        // A barb of the arrow belongs to the arrow's group, which handles events.
        QCOMPARE(view.nodeAt({200, 100}), std::static_pointer_cast<Node>(arrow));
        QCOMPARE(view.nodeAt({250, 200}), std::static_pointer_cast<Node>(outline));
        QCOMPARE(view.nodeAt({251.5, 200}), std::static_pointer_cast<Node>(outline));
        // Just off the 4-point stroke, and the clear inside, are the background's.
        QCOMPARE(view.nodeAt({252.5, 200}), std::static_pointer_cast<Node>(background));
        QCOMPARE(view.nodeAt({300, 200}), std::static_pointer_cast<Node>(background));
        QCOMPARE(view.nodeAt({500, 500}), nullptr);
        QCOMPARE(backgroundPresses, 0);
    }
};

VORNIK_TEST_MAIN(FigureModelTest, ([] {
                     vtest::EnvironmentOptions options;
                     options.dbus = false;
                     return options;
                 }()))
#include "figure_model_test.moc"
