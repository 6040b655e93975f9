#include "editor/ClosePrompt.h"
#include "editor/EditorWindow.h"
#include "editor/tools/CounterTool.h"
#include "editor/tools/RectangleTool.h"
#include "editor/tools/ToolTable.h"
#include "helpers/FilePanels.h"
#include "helpers/SaveFolder.h"
#include "tests/editor/EditorDriver.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace editortest;

namespace {

struct ScriptedPrompt : ClosePrompt {
    Answer answer = Answer::cancel;
    int asked = 0;
    Answer ask(QWidget *) override
    {
        ++asked;
        return answer;
    }
};

struct RecordingPanels : FilePanels {
    QString answer;
    QList<SaveRequest> requests;
    QStringList runOpenPanel(const OpenRequest &) override { return {}; }
    QString runSavePanel(const SaveRequest &request) override
    {
        requests << request;
        return answer;
    }
};

// A tool only this test knows: rectangles filed as stamps, with an icon of its own.
class StampTool : public RectangleTool
{
public:
    QString typeName() const override { return QStringLiteral("stamp"); }

protected:
    void drawIcon(QPainter &painter) const override { painter.fillRect(5, 5, 12, 12, Qt::darkRed); }
};

} // namespace

// The editor's additions around the specified tools, driven through its window with
// the keyboard and the pointer.
class EditorToolsTest : public QObject
{
    Q_OBJECT

    QPointer<EditorWindow> editor;
    ScriptedPrompt prompt;
    RecordingPanels panels;
    vtest::FakeDesktop m_desktop;

    EditorWindow &open(const QImage &picture = patternImage(400, 300),
                       const ToolTable &tools = ToolTable::standard())
    {
        editor = new EditorWindow(m_desktop.withPanels(panels), tools);
        editor->setClosePrompt(&prompt);
        editor->picture = picture;
        editor->show();
        editor->setGeometry(QGuiApplication::primaryScreen()->geometry());
        if (!QTest::qWaitForWindowExposed(editor))
            qFatal("the editor did not appear");
        editor->activateWindow();
        if (!QTest::qWaitForWindowActive(editor))
            qFatal("the editor did not become active");
        return *editor;
    }

    QPointF origin() const { return editor->canvasView->imageRect()->topLeft(); }
    int figuresDrawn() const { return int(editor->canvasView->rootGroup()->contents().size()) - 1; }
    void key(QKeySequence sequence) { QTest::keySequence(editor->windowHandle(), sequence); }

    // The numbers of the counters on the canvas, in drawing order.
    QList<int> counters() const
    {
        QList<int> numbers;
        for (const auto &record : editor->canvasView->figuresOnCanvas().items)
            if (record->typeName == QLatin1String("counter"))
                numbers << counterNumber(*record->group);
        return numbers;
    }

    QImage saved(const QString &name)
    {
        panels.answer = QDir::tempPath() + QLatin1Char('/') + name;
        clickSegment(*editor, SaveSegment);
        return QImage(panels.answer).convertToFormat(QImage::Format_RGB32);
    }

    // Draws one figure of every kind with the tool keys, each in its own strip of the picture.
    void drawEveryKind()
    {
        const QList<QPair<QKeySequence, QString>> kinds = {
            {QKeySequence(Qt::Key_R), "rectangle"}, {QKeySequence(Qt::Key_E), "ellipse"},
            {QKeySequence(Qt::Key_L), "line"},      {QKeySequence(Qt::Key_A), "arrow"},
            {QKeySequence(Qt::Key_X), "pixelate"},  {QKeySequence(Qt::Key_B), "blur"},
            {QKeySequence(Qt::Key_H), "highlighter"}, {QKeySequence(Qt::Key_N), "counter"},
            {QKeySequence(Qt::Key_P), "pen"}};
        for (int i = 0; i < kinds.size(); ++i) {
            key(kinds[i].first);
            const QPointF from = origin() + QPointF(10 + 40 * i, 20);
            dragOnCanvas(*editor, from, from + QPointF(30, 60));
            QCOMPARE(editor->canvasView->figureList().items.constLast()->typeName, kinds[i].second);
        }
        editor->buttonBar->clickSegment(FilledRectangleSegment);
        dragOnCanvas(*editor, origin() + QPointF(10, 200), origin() + QPointF(60, 240));
    }

private slots:
    void init()
    {
        clearPreferences();
        prompt = ScriptedPrompt{};
        panels.requests.clear();
    }

    void cleanup() { delete editor.data(); }

    void undoAndRedoEveryChange()
    {
        EditorWindow &window = open();
        drawEveryKind();
        QCOMPARE(figuresDrawn(), 10);
        const auto moved = window.canvasView->figureList().items.at(4);   // the pixelated patch
        const QRectF placed = *moved->rect;

        // Move it with the pointer tool, then delete it.
        key(QKeySequence(Qt::Key_V));
        const QPointF grip = placed.center();
        dragOnCanvas(window, grip, grip + QPointF(15, 100));
        QCOMPARE(*moved->rect, placed.translated(15, 100));
        QCOMPARE(window.canvasView->markedFigure(), moved);
        QTest::keyClick(window.canvasView, Qt::Key_Delete);
        QCOMPARE(figuresDrawn(), 9);

        key(QKeySequence(Qt::CTRL | Qt::Key_Z));   // the deletion
        QCOMPARE(figuresDrawn(), 10);
        key(QKeySequence(Qt::CTRL | Qt::Key_Z));   // the move
        QCOMPARE(*moved->rect, placed);
        QCOMPARE(moved->group->place().dx(), 0.0);
        for (int i = 10; i > 0; --i) {
            QCOMPARE(figuresDrawn(), i);
            key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        }
        QCOMPARE(figuresDrawn(), 0);
        QVERIFY(window.canvasView->figureList().items.isEmpty());
        key(QKeySequence(Qt::CTRL | Qt::Key_Z));   // nothing left to undo
        QCOMPARE(figuresDrawn(), 0);

        // Ten figures and the move come back; the last redo deletes again.
        for (int i = 0; i < 6; ++i)
            key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        for (int i = 0; i < 5; ++i)
            key(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(figuresDrawn(), 10);
        QCOMPARE(*moved->rect, placed.translated(15, 100));
        key(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(figuresDrawn(), 9);
        key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QStringList kinds;
        for (const auto &record : window.canvasView->figureList().items)
            kinds << record->typeName;
        QCOMPARE(kinds, (QStringList{"rectangle", "ellipse", "line", "arrow", "pixelate", "blur", "highlighter",
                                     "counter", "pen", "rectangle"}));
    }

    // An undone figure is neither drawn nor counted in the export's widening; text size
    // steps undo as one.
    void undoneFiguresLeaveTheExport()
    {
        Preferences::standard().setString(QStringLiteral("linecolor"), QStringLiteral("blue"));
        EditorWindow &window = open(patternImage(200, 150));
        key(QKeySequence(Qt::Key_P));
        dragOnCanvas(window, origin() + QPointF(150, 100), origin() + QPointF(260, 120));
        QVERIFY(saved("pen.png").width() > 200);
        key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        const QImage after = saved("undone.png");
        QCOMPARE(after, patternImage(200, 150));

        clickSegment(window, TextSegment);
        QTest::keyClicks(window.textView->textview, QStringLiteral("Note"));
        pressCanvas(window, origin() + QPointF(20, 170));
        releaseCanvas(window, origin() + QPointF(20, 170));
        const auto text = window.canvasView->figureList().items.constLast()->text;
        QVERIFY(text);
        const int size = text->font().size;
        clickSegment(window, IncreaseFontSegment);
        clickSegment(window, IncreaseFontSegment);
        QCOMPARE(text->font().size, size + 4);
        key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(text->font().size, size);
        QCOMPARE(figuresDrawn(), 1);
        key(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(text->font().size, size + 4);
    }

    void countersNumberOnAndNeverRenumber()
    {
        EditorWindow &window = open();
        key(QKeySequence(Qt::Key_N));
        for (int i = 0; i < 3; ++i) {
            pressCanvas(window, origin() + QPointF(40 + 60 * i, 200));
            releaseCanvas(window, origin() + QPointF(40 + 60 * i, 200));
        }
        QCOMPARE(counters(), (QList<int>{1, 2, 3}));
        key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(counters(), (QList<int>{1, 2}));
        pressCanvas(window, origin() + QPointF(300, 250));
        releaseCanvas(window, origin() + QPointF(300, 250));
        QCOMPARE(counters(), (QList<int>{1, 2, 3}));
        // Deleting the second renumbers nothing; the next is 4.
        key(QKeySequence(Qt::Key_V));
        pressCanvas(window, origin() + QPointF(100, 200));
        releaseCanvas(window, origin() + QPointF(100, 200));
        QTest::keyClick(window.canvasView, Qt::Key_Delete);
        QCOMPARE(counters(), (QList<int>{1, 3}));
        key(QKeySequence(Qt::Key_N));
        pressCanvas(window, origin() + QPointF(300, 120));
        releaseCanvas(window, origin() + QPointF(300, 120));
        QCOMPARE(counters(), (QList<int>{1, 3, 4}));
    }

    // Inside a pixelated or blurred rectangle no pixel of the file keeps the picture's
    // value (a picture of noise, which no filter meets by chance) and no run of an
    // original row survives anywhere; outside it nothing changed. The canvas shows those
    // very pixels, and the figure undone and redone exports them again.
    // (165 × 115 is no multiple of the block size: the last row and column are narrower.)
    void pixelateAndBlurHideTheirRegion_data()
    {
        QTest::addColumn<int>("segment");
        QTest::addColumn<QSize>("size");
        for (const QSize size : {QSize(160, 110), QSize(165, 115)}) {
            QTest::addRow("pixelate %dx%d", size.width(), size.height()) << int(PixelateSegment) << size;
            QTest::addRow("blur %dx%d", size.width(), size.height()) << int(BlurSegment) << size;
        }
    }

    void pixelateAndBlurHideTheirRegion()
    {
        QFETCH(int, segment);
        QFETCH(QSize, size);
        QImage picture(400, 300, QImage::Format_RGB32);
        QRandomGenerator noise(30);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, 0xff000000 | noise.generate());
        EditorWindow &window = open(picture);
        clickSegment(window, segment);
        const QRect hidden(QPoint(100, 80), size);
        dragOnCanvas(window, origin() + hidden.topLeft(), origin() + hidden.topLeft() + QPoint(size.width(), size.height()));
        const QImage out = saved(QStringLiteral("hidden.png"));
        QCOMPARE(out.size(), picture.size());
        int unchangedInside = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const bool same = out.pixel(x, y) == picture.pixel(x, y);
                if (hidden.contains(x, y))
                    unchangedInside += same;
                else if (!same)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 outside changed").arg(x).arg(y)));
            }
        QCOMPARE(unchangedInside, 0);
        // Eight pixels of any original row inside the region are found nowhere in the file.
        for (int y = hidden.top(); y <= hidden.bottom(); y += 9) {
            const QImage run = picture.copy(hidden.left() + 40, y, 8, 1);
            for (int oy = 0; oy < out.height(); ++oy)
                for (int ox = 0; ox + 8 <= out.width(); ++ox)
                    if (hidden.intersects(QRect(ox, oy, 8, 1)) && out.copy(ox, oy, 8, 1) == run)
                        QFAIL(qPrintable(QStringLiteral("row %1 found at %2,%3").arg(y).arg(ox).arg(oy)));
        }
        const QImage shown = window.canvasView->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint shownCorner = onCanvas(window, origin() + QPointF(hidden.topLeft()));
        QCOMPARE(shown.copy(QRect(shownCorner, hidden.size()).adjusted(4, 4, -4, -4)),
                 out.copy(hidden.adjusted(4, 4, -4, -4)));
        key(QKeySequence(Qt::CTRL | Qt::Key_Z));
        key(QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(saved(QStringLiteral("redone.png")), out);
    }

    // A flat colour stays flat under either filter (within what noise they may add),
    // and the blur spreads a sharp edge at least as far as its strength of 8 points
    // (8 pixels here) says: a Gaussian of that deviation rises from 10 % to 90 % over
    // 2.56 deviations (three box passes give 22 px, two only 19).
    void hidingKeepsFlatColoursAndBlurSpreadsAsStrong_data()
    {
        QTest::addColumn<int>("segment");
        QTest::newRow("pixelate") << int(PixelateSegment);
        QTest::newRow("blur") << int(BlurSegment);
    }

    void hidingKeepsFlatColoursAndBlurSpreadsAsStrong()
    {
        QFETCH(int, segment);
        QImage picture(400, 300, QImage::Format_RGB32);
        // A level the filters' colour steps land on, so that blocks often come out
        // at exactly the original colour, which must still not show.
        const int level = 96;
        picture.fill(qRgb(level, level, level));
        QPainter(&picture).fillRect(0, 150, 200, 150, Qt::black);
        QPainter(&picture).fillRect(200, 150, 200, 150, Qt::white);
        EditorWindow &window = open(picture);
        clickSegment(window, segment);
        const QRect flat(35, 20, 165, 115);
        dragOnCanvas(window, origin() + flat.topLeft(), origin() + flat.topLeft() + QPoint(flat.width(), flat.height()));
        dragOnCanvas(window, origin() + QPointF(100, 170), origin() + QPointF(300, 280));
        const QImage out = saved(QStringLiteral("flat.png"));

        double sum = 0;
        int worst = 0, unchanged = 0;
        for (int y = flat.top(); y <= flat.bottom(); ++y)
            for (int x = flat.left(); x <= flat.right(); ++x) {
                const QRgb pixel = out.pixel(x, y);
                sum += qRed(pixel) + qGreen(pixel) + qBlue(pixel);
                worst = std::max({worst, std::abs(qRed(pixel) - level), std::abs(qGreen(pixel) - level), std::abs(qBlue(pixel) - level)});
                unchanged += pixel == picture.pixel(x, y);
            }
        const double mean = sum / (3.0 * flat.width() * flat.height());
        // The random noise and its quantisation move a flat area's mean by a few levels
        // (blur 93.5 to 99 over 25 keys at 100); a broken window sum moves it by more than 10.
        QVERIFY2(std::abs(mean - level) < 9 && worst <= 40, qPrintable(QStringLiteral("mean %1, worst %2").arg(mean).arg(worst)));
        QCOMPARE(unchanged, 0);
        if (segment != BlurSegment)
            return;

        // The edge at x = 200, averaged down rows 180 to 269.
        std::vector<double> profile;
        for (int x = 100; x < 300; ++x) {
            double level = 0;
            for (int y = 180; y < 270; ++y)
                level += qGray(out.pixel(x, y));
            profile.push_back(level / 90 / 255);
        }
        // Where the profile first reaches `level`, between whole pixels.
        const auto crossing = [&profile](double level) {
            const auto above = std::find_if(profile.begin() + 1, profile.end(), [level](double v) { return v >= level; });
            if (above == profile.end())
                return double(profile.size());
            const double before = *(above - 1);
            return double(above - profile.begin()) - (*above - level) / std::max(*above - before, 1e-9);
        };
        const double rise = crossing(0.9) - crossing(0.1);
        qInfo("blur: 10-90 %% rise %.1f px, a deviation of %.1f px", rise, rise / 2.563);
        QVERIFY2(rise >= 2.563 * 8 && rise <= 3 * 2.563 * 8, qPrintable(QString::number(rise)));
    }

    // A new tool is one more descriptor in the table: it gets its segment after the
    // others, with its icon and tool tip, its key, and draws its own figures.
    void aToolAddedToTheTableIsOnTheBarOnItsKeyAndDraws()
    {
        const auto stamp = ToolKind(100);
        QList<ToolDescriptor> segments = ToolTable::standardSegments();
        segments.append(ToolDescriptor{stamp, SegmentAction::None, {}, QKeySequence(Qt::Key_K),
                                       QStringLiteral("Stamp"), makeTool<StampTool>});
        const ToolTable tools(segments);
        EditorWindow &window = open(patternImage(400, 300), tools);
        const int added = int(segments.size()) - 1;
        QCOMPARE(window.buttonBar->segmentCount(), added + 1);
        ToolBarSegment *shown = window.buttonBar->segment(added);
        QCOMPARE(shown->toolTip(), QStringLiteral("Stamp (K)"));
        QCOMPARE(shown->icon().pixmap(22, 22).toImage().pixelColor(10, 10), QColor(Qt::darkRed));
        QCOMPARE(window.buttonBar->segmentToolTip(PenSegment), QStringLiteral("Pen"));

        key(QKeySequence(Qt::Key_K));
        QCOMPARE(window.canvasView->selectedTool(), std::optional(stamp));
        QCOMPARE(window.buttonBar->selectedSegment(), added);
        dragOnCanvas(window, origin() + QPointF(20, 20), origin() + QPointF(90, 70));
        QCOMPARE(figuresDrawn(), 1);
        QCOMPARE(window.canvasView->figureList().items.constLast()->typeName, QStringLiteral("stamp"));
        delete editor.data();   // before the table it draws with
    }

    void closingAsksOnlyWhileFiguresAreUnsaved()
    {
        // Nothing drawn: Escape closes without a question.
        open();
        key(QKeySequence(Qt::Key_Escape));
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(prompt.asked, 0);

        EditorWindow &window = open();
        key(QKeySequence(Qt::Key_R));
        dragOnCanvas(window, origin() + QPointF(20, 20), origin() + QPointF(90, 90));
        prompt.answer = ClosePrompt::Answer::cancel;
        key(QKeySequence(Qt::CTRL | Qt::Key_W));
        QCOMPARE(prompt.asked, 1);
        QVERIFY(editor && window.isVisible());
        QCOMPARE(figuresDrawn(), 1);

        // Save, but the panel is cancelled: the window stays.
        prompt.answer = ClosePrompt::Answer::save;
        panels.answer.clear();
        window.close();
        QCOMPARE(prompt.asked, 2);
        QVERIFY(editor && window.isVisible());
        // Save into a file: written, then closed.
        panels.answer = QDir::tempPath() + QStringLiteral("/on-close.png");
        QFile::remove(panels.answer);
        key(QKeySequence(Qt::Key_Escape));
        QCOMPARE(prompt.asked, 3);
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(QImage(panels.answer).size(), QSize(400, 300));

        // Discard closes; a copy first means nothing is asked.
        EditorWindow &second = open();
        key(QKeySequence(Qt::Key_E));
        dragOnCanvas(second, origin() + QPointF(20, 20), origin() + QPointF(90, 90));
        prompt.answer = ClosePrompt::Answer::discard;
        second.close();
        QCOMPARE(prompt.asked, 4);
        QTRY_VERIFY(editor.isNull());

        EditorWindow &third = open();
        key(QKeySequence(Qt::Key_A));
        dragOnCanvas(third, origin() + QPointF(20, 20), origin() + QPointF(90, 90));
        QGuiApplication::clipboard()->clear();
        key(QKeySequence(Qt::CTRL | Qt::Key_C));
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(prompt.asked, 4);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/png")));
    }

    // The real prompt: each of its buttons, and Escape, gives its own answer.
    void closePromptAnswersByItsButtons()
    {
        const QList<std::pair<QMessageBox::StandardButton, ClosePrompt::Answer>> buttons = {
            {QMessageBox::Save, ClosePrompt::Answer::save},
            {QMessageBox::Discard, ClosePrompt::Answer::discard},
            {QMessageBox::NoButton, ClosePrompt::Answer::cancel},
        };
        for (const auto &[button, answer] : buttons) {
            QTimer::singleShot(0, this, [button] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                if (button == QMessageBox::NoButton)
                    QTest::keyClick(box, Qt::Key_Escape);
                else
                    box->button(button)->click();
            });
            QCOMPARE(ClosePrompt::messageBox()->ask(nullptr), answer);
        }
    }

    void shortcutsChooseToolsAndShowInToolTips()
    {
        EditorWindow &window = open();
        const QList<std::tuple<int, QKeySequence, ToolKind>> tools = {
            {PointerSegment, QKeySequence(Qt::Key_V), ToolKind::Pointer},
            {RectangleSegment, QKeySequence(Qt::Key_R), ToolKind::Rectangle},
            {EllipseSegment, QKeySequence(Qt::Key_E), ToolKind::Ellipse},
            {LineSegment, QKeySequence(Qt::Key_L), ToolKind::Line},
            {ArrowSegment, QKeySequence(Qt::Key_A), ToolKind::Arrow},
            {PixelateSegment, QKeySequence(Qt::Key_X), ToolKind::Pixelate},
            {BlurSegment, QKeySequence(Qt::Key_B), ToolKind::Blur},
            {HighlighterSegment, QKeySequence(Qt::Key_H), ToolKind::Highlighter},
            {CounterSegment, QKeySequence(Qt::Key_N), ToolKind::Counter},
            {PenSegment, QKeySequence(Qt::Key_P), ToolKind::Pen}};
        for (const auto &[segment, sequence, tool] : tools) {
            key(sequence);
            QCOMPARE(window.canvasView->selectedTool(), std::optional(tool));
            QCOMPARE(window.buttonBar->selectedSegment(), segment);
            ToolBarSegment *shown = window.buttonBar->segment(segment);
            const QString text = window.buttonBar->segmentToolTip(segment);
            QVERIFY(!text.isEmpty());
            QCOMPARE(shown->accessibleName(), text);
            QCOMPARE(shown->toolTip(), text + QStringLiteral(" (") + sequence.toString(QKeySequence::NativeText) + ")");
            QVERIFY(!shown->icon().isNull());
        }
        QCOMPARE(window.buttonBar->segment(0)->toolTip(), QStringLiteral("Save the picture to a file (Ctrl+S)"));
        QCOMPARE(window.buttonBar->segmentToolTip(0), QStringLiteral("Save the picture to a file"));

        // T opens the text popover; while it is up, keys are text.
        key(QKeySequence(Qt::Key_T));
        QVERIFY(window.textPopup->isVisible());
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Text));
        key(QKeySequence(Qt::Key_R));
        key(QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Text));
        QVERIFY(panels.requests.isEmpty());
        window.textPopup->close();

        // Ctrl+S opens the save panel in the pictures folder with a dated name, and the
        // next one where the user saved.
        panels.answer = QDir::tempPath() + QStringLiteral("/elsewhere/first.png");
        QVERIFY(QDir().mkpath(QDir::tempPath() + QStringLiteral("/elsewhere")));
        key(QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(panels.requests.size(), 1);
        QCOMPARE(panels.requests[0].directory, SaveFolder::folder());
        QVERIFY(SaveFolder::folder().endsWith(QStringLiteral("/Vornik")));
        QVERIFY(QFileInfo(SaveFolder::folder()).isDir());
        QVERIFY2(QRegularExpression(QStringLiteral("^Vornik \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d\\.png$"))
                     .match(panels.requests[0].proposedName).hasMatch(),
                 qPrintable(panels.requests[0].proposedName));
        QVERIFY(QFile::exists(panels.answer));
        key(QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(panels.requests.size(), 2);
        QCOMPARE(panels.requests[1].directory, QDir::tempPath() + QStringLiteral("/elsewhere"));

    }
};

VORNIK_TEST_MAIN(EditorToolsTest, vtest::EnvironmentOptions{})
#include "editor_tools_test.moc"
