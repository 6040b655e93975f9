#include "editor/EditorWindow.h"
#include "tests/editor/EditorDriver.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include <QGuiApplication>
#include <QScreen>

using namespace editortest;

// The editor on a real X server: what the user sees once a few figures are drawn.
// Set VORNIK_SCREENSHOT_DIR to keep the picture of the screen for a look.
class EditorScreenTest : public QObject
{
    Q_OBJECT
    vtest::FakeDesktop m_desktop;
private slots:
    void figuresAppearOnTheScreen()
    {
        clearPreferences();
        Preferences::standard().setString(QStringLiteral("linecolor"), QStringLiteral("blue"));
        Preferences::standard().setString(QStringLiteral("fillcolor"), QStringLiteral("yellow"));
        QScreen *screen = QGuiApplication::primaryScreen();
        QPointer<EditorWindow> editor = new EditorWindow(m_desktop.services);
        editor->picture = patternImage(700, 420);
        editor->show();
        editor->setGeometry(screen->geometry());
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        const QPointF origin = editor->canvasView->imageRect()->topLeft();

        clickSegment(*editor, FilledEllipseSegment);
        dragOnCanvas(*editor, origin + QPointF(40, 40), origin + QPointF(200, 140));
        clickSegment(*editor, RectangleSegment);
        dragOnCanvas(*editor, origin + QPointF(380, 200), origin + QPointF(250, 90));
        clickSegment(*editor, ArrowSegment);
        dragOnCanvas(*editor, origin + QPointF(500, 330), origin + QPointF(620, 220), 6);
        clickSegment(*editor, TextSegment);
        QTest::keyClicks(editor->textView->textview, QStringLiteral("Look here"));
        pressCanvas(*editor, origin + QPointF(60, 300));
        releaseCanvas(*editor, origin + QPointF(60, 300));
        QCOMPARE(editor->canvasView->figureList().items.size(), 4);
        clickSegment(*editor, FillColorSegment);
        QVERIFY(editor->colorPopup->isVisible());

        // The middle of the filled ellipse shows yellow on the screen itself.
        const QPoint ellipseCentre =
            editor->canvasView->viewport()->mapToGlobal(onCanvas(*editor, origin + QPointF(120, 90)));
        const QPoint onScreen = ellipseCentre - screen->geometry().topLeft();
        QTRY_COMPARE_WITH_TIMEOUT(screen->grabWindow(0).toImage().pixel(onScreen), qRgb(255, 255, 0), 10000);
        // The fill swatch of the tool bar shows the fill color too.
        ToolBarSegment *swatch = editor->buttonBar->segment(FillColorSegment);
        const QPoint swatchCentre = swatch->mapToGlobal(swatch->rect().center()) - screen->geometry().topLeft();
        QCOMPARE(screen->grabWindow(0).toImage().pixel(swatchCentre), qRgb(255, 255, 0));

        const QString folder = qEnvironmentVariable("VORNIK_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(screen->grabWindow(0).save(folder + QStringLiteral("/editor.png")));
        delete editor.data();
    }

    // The sharing tools on a real X server, with the last figure pressed under the
    // pointer tool showing its mark.
    void sharingToolsAppearOnTheScreen()
    {
        clearPreferences();
        Preferences::standard().setString(QStringLiteral("linecolor"), QStringLiteral("red"));
        QScreen *screen = QGuiApplication::primaryScreen();
        QPointer<EditorWindow> editor = new EditorWindow(m_desktop.services);
        editor->picture = patternImage(700, 420);
        editor->show();
        editor->setGeometry(screen->geometry());
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        const QPointF origin = editor->canvasView->imageRect()->topLeft();

        clickSegment(*editor, PixelateSegment);
        dragOnCanvas(*editor, origin + QPointF(30, 30), origin + QPointF(200, 150));
        clickSegment(*editor, BlurSegment);
        dragOnCanvas(*editor, origin + QPointF(230, 30), origin + QPointF(400, 150));
        clickSegment(*editor, HighlighterSegment);
        dragOnCanvas(*editor, origin + QPointF(30, 200), origin + QPointF(400, 205), 8);
        clickSegment(*editor, PenSegment);
        dragOnCanvas(*editor, origin + QPointF(450, 60), origin + QPointF(650, 300), 8);
        clickSegment(*editor, CounterSegment);
        for (int i = 0; i < 3; ++i) {
            pressCanvas(*editor, origin + QPointF(80 + 80 * i, 320));
            releaseCanvas(*editor, origin + QPointF(80 + 80 * i, 320));
        }
        clickSegment(*editor, PointerSegment);
        pressCanvas(*editor, origin + QPointF(240, 320));
        releaseCanvas(*editor, origin + QPointF(240, 320));
        QVERIFY(editor->canvasView->markedFigure());
        QCOMPARE(editor->canvasView->figureList().items.size(), 7);

        // The middle of the pixelated patch shows flat blocks on the screen: a pixel 3 away
        // diagonally lies in the same block on one side or another.
        const QPoint block = editor->canvasView->viewport()->mapToGlobal(onCanvas(*editor, origin + QPointF(102, 92)))
                             - screen->geometry().topLeft();
        const auto flatAround = [&] {
            const QImage shown = screen->grabWindow(0).toImage();
            for (const QPoint step : {QPoint(3, 3), QPoint(3, -3), QPoint(-3, 3), QPoint(-3, -3)})
                if (shown.pixel(block) == shown.pixel(block + step))
                    return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(flatAround(), 10000);
        const QString folder = qEnvironmentVariable("VORNIK_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(screen->grabWindow(0).save(folder + QStringLiteral("/editor-tools.png")));
        delete editor.data();
    }
};

VORNIK_TEST_MAIN(EditorScreenTest, (vtest::EnvironmentOptions{.x11 = true, .framebuffer = QSize(1280, 800), .monitors = {}}))
#include "editor_screen_test.moc"
