#include "editor/tools/ToolTable.h"
#include "tests/harness/TestMain.h"

// The canvas hands each record the node a tool starts in the field of its kind (shape,
// text or group) and stores the tool's type name, which the export, the undo steps and
// the counters read back. A tool listed under the wrong ToolKind, or one that starts
// the wrong kind of node, would still draw but file its figure wrongly.

namespace {

class FakeCanvas : public ToolCanvas
{
public:
    FigureList records;
    scene::Point lastTextPoint;
    int steps = 0;

    scene::Color currentLineColor() const override { return scene::Color::named(QStringLiteral("red")); }
    double currentLineWidth() const override { return 4; }
    scene::Color highlightColor() const override { return scene::Color::named(QStringLiteral("yellow")); }
    std::shared_ptr<scene::Image> picture() const override { return nullptr; }
    int nextCounterNumber() const override { return 1; }
    QString typedText() const override { return QStringLiteral("typed"); }
    int fontSize() const override { return 14; }
    double displayPixelRatio() const override { return 1; }
    FigureList &figures() override { return records; }
    void stepTextSize(bool) override { ++steps; }
    scene::Point lastTextDragPoint() const override { return lastTextPoint; }
    void setLastTextDragPoint(const scene::Point &at) override { lastTextPoint = at; }
};

enum class NodeKind { none, shape, text, group };

NodeKind kindOf(const std::shared_ptr<scene::Node> &node)
{
    if (std::dynamic_pointer_cast<scene::Shape>(node))
        return NodeKind::shape;
    if (std::dynamic_pointer_cast<scene::Text>(node))
        return NodeKind::text;
    if (std::dynamic_pointer_cast<scene::Group>(node))
        return NodeKind::group;
    return NodeKind::none;
}

} // namespace

class ToolTableTest : public QObject
{
    Q_OBJECT

private slots:
    void everyPanelToolStartsTheFigureItsRecordExpects()
    {
        struct Expected {
            ToolKind tool;
            QString type;
            NodeKind kind;
        };
        const QList<Expected> drawing{
            {ToolKind::Ellipse, QStringLiteral("ellipse"), NodeKind::shape},
            {ToolKind::FilledEllipse, QStringLiteral("ellipse"), NodeKind::shape},
            {ToolKind::Rectangle, QStringLiteral("rectangle"), NodeKind::shape},
            {ToolKind::FilledRectangle, QStringLiteral("rectangle"), NodeKind::shape},
            {ToolKind::Line, QStringLiteral("line"), NodeKind::shape},
            {ToolKind::Arrow, QStringLiteral("arrow"), NodeKind::group},
            {ToolKind::Text, QStringLiteral("text"), NodeKind::text},
            {ToolKind::Pixelate, QStringLiteral("pixelate"), NodeKind::group},
            {ToolKind::Blur, QStringLiteral("blur"), NodeKind::group},
            {ToolKind::Highlighter, QStringLiteral("highlighter"), NodeKind::group},
            {ToolKind::Counter, QStringLiteral("counter"), NodeKind::group},
            {ToolKind::Pen, QStringLiteral("pen"), NodeKind::group},
        };
        FakeCanvas canvas;
        const FigureStyle style{canvas.currentLineColor(), scene::Color::named(QStringLiteral("blue")), 4};
        for (const Expected &expected : drawing) {
            const DrawingTool *tool = ToolTable::standard().drawingToolFor(expected.tool);
            QVERIFY2(tool, qPrintable(expected.type));
            QCOMPARE(tool->typeName(), expected.type);
            QVERIFY(tool->takesPagePresses());
            const StartedFigure started = tool->start(canvas, style, scene::Point{40, 30});
            QVERIFY2(kindOf(started.node) == expected.kind, qPrintable(expected.type));
        }

        const DrawingTool *pointer = ToolTable::standard().drawingToolFor(ToolKind::Pointer);
        QVERIFY(pointer);
        QVERIFY(!pointer->takesPagePresses());
        QVERIFY(!pointer->start(canvas, style, scene::Point{40, 30}).node);
        for (ToolKind setting : {ToolKind::LineSize, ToolKind::IncreaseFont, ToolKind::DecreaseFont,
                                  ToolKind::SaveLocal})
            QVERIFY(!ToolTable::standard().drawingToolFor(setting));
    }

    // A drag only reshapes the latest figure when it is of a kind the tool can draw out:
    // a sharing tool leaves another tool's group alone.
    void sharingToolsDragOnlyTheirOwnFigures()
    {
        FakeCanvas canvas;
        const FigureStyle style{canvas.currentLineColor(), canvas.currentLineColor(), 4};
        const DrawingTool *arrow = ToolTable::standard().drawingToolFor(ToolKind::Arrow);
        const StartedFigure started = arrow->start(canvas, style, scene::Point{10, 10});
        auto record = std::make_shared<Figure>();
        canvas.records.addItem(arrow->typeName(), record, nullptr, nullptr,
                               std::dynamic_pointer_cast<scene::Group>(started.node), started.rect.x(),
                               started.rect.y(), started.rect.width(), started.rect.height());
        const QRectF before = *record->rect;
        const DrawingTool *pen = ToolTable::standard().drawingToolFor(ToolKind::Pen);
        pen->drag(canvas, record, scene::Point{10, 10}, scene::Point{200, 150});
        QCOMPARE(*record->rect, before);
        arrow->drag(canvas, record, scene::Point{10, 10}, scene::Point{200, 150});
        QCOMPARE(*record->rect, QRectF(10, 10, 190, 140));
    }
};

VORNIK_TEST_MAIN(ToolTableTest, vtest::EnvironmentOptions{.dbus = false})
#include "tool_table_test.moc"
