#include "app/TrayApp.h"
#include "editor/EditorWindow.h"
#include "helpers/TempFolder.h"
#include "helpers/NamedColors.h"
#include "tests/editor/EditorDriver.h"
#include "tests/harness/NotificationRecorder.h"
#include "tests/harness/FakeAppServices.h"
#include "tests/harness/FakeDesktop.h"
#include "tests/harness/TestMain.h"

#include "helpers/PinWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <memory>

using namespace editortest;

class EditorWindowTest : public QObject
{
    Q_OBJECT

    QPointer<EditorWindow> editor;
    vtest::FakeDesktop m_desktop;
    AppRequests *application = nullptr;   // what the editors opened next report to

    // Opens an editor the way the capture overlay does.
    EditorWindow &openEditor(const QImage &picture)
    {
        editor = new EditorWindow(m_desktop.services);
        editor->delegate = application;
        editor->picture = picture;
        editor->screenIndex = 0;
        editor->show();
        editor->setGeometry(QGuiApplication::primaryScreen()->geometry());
        if (!QTest::qWaitForWindowExposed(editor))
            qFatal("the editor window did not appear");
        return *editor;
    }

    EditorWindow &openEditorOnPattern() { return openEditor(patternImage(300, 200)); }

    int figureCount() const { return int(editor->canvasView->rootGroup()->contents().size()) - 1; }

    NotificationRecorder *recorder = nullptr;

    // The subtitles of everything posted since the last call: a marker posted last is
    // seen last.
    QStringList settledNotifications()
    {
        m_desktop.services.notifier->post(QStringLiteral("marker"), QString());
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(!recorder->received.isEmpty()
                                         && recorder->received.constLast().summary == QLatin1String("marker"),
                                     10000);
        }();
        QStringList subtitles;
        for (const auto &each : std::as_const(recorder->received))
            subtitles << each.summary;
        subtitles.removeLast();
        recorder->received.clear();
        return subtitles;
    }

private slots:
    void initTestCase()
    {
        recorder = new NotificationRecorder(this);
        QVERIFY(recorder->isRegistered());
    }

    void init()
    {
        clearPreferences();
    }

    void cleanup()
    {
        if (editor)
            delete editor.data();
        m_desktop.opener->opened.clear();
        m_desktop.reachability->connected = true;
    }

    void toolTipsAndSwatchesAfterLoading()
    {
        Preferences::standard().setString(QStringLiteral("linecolor"), QStringLiteral("navy"));
        Preferences::standard().setString(QStringLiteral("fillcolor"), QStringLiteral("olive"));
        EditorWindow &window = openEditorOnPattern();
        SegmentedToolBar *bar = window.buttonBar;
        // The 19 segments of the table, the five drawing tools added later, pin and copy text.
        QCOMPARE(bar->segmentCount(), 26);
        QCOMPARE(bar->segmentToolTip(5), QStringLiteral("Rectangle"));
        QCOMPARE(bar->segmentToolTip(12), QStringLiteral("Text"));
        for (int i = 0; i < 26; ++i) {
            QCOMPARE(bar->segment(i)->accessibleName(), bar->segmentToolTip(i));
            QCOMPARE(bar->segmentToolTip(i).isEmpty(), i == 3 || i == 9);
        }
        QCOMPARE(hexString(bar->segment(16)->swatchColor()), QStringLiteral("#000080"));
        QCOMPARE(hexString(bar->segment(17)->swatchColor()), QStringLiteral("#808000"));
        QVERIFY(!window.canvasView->selectedTool().has_value());   // no tool until one is picked
        QVERIFY(window.canvasView->imageRect().has_value());
        QVERIFY(window.picture.isNull());                            // the canvas holds the only copy
    }

    void spacerSegmentsChangeNothing()
    {
        EditorWindow &window = openEditorOnPattern();
        clickSegment(window, 5);
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Rectangle));
        for (int spacer : {3, 9}) {
            clickSegment(window, spacer);
            QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Rectangle));
            QCOMPARE(window.buttonBar->selectedSegment(), 5);
        }
        QVERIFY(!window.textPopup->isVisible());
        QVERIFY(!window.lineWidthPopup->isVisible());
        QVERIFY(!window.colorPopup->isVisible());
        QCOMPARE(figureCount(), 0);
        QVERIFY(window.isVisible());
    }

    void toolSegmentsChooseTheirTools()
    {
        EditorWindow &window = openEditorOnPattern();
        const QList<QPair<int, ToolKind>> tools = {
            {4, ToolKind::Pointer}, {5, ToolKind::Rectangle}, {6, ToolKind::Ellipse},
            {7, ToolKind::Line}, {8, ToolKind::Arrow}, {10, ToolKind::FilledRectangle},
            {11, ToolKind::FilledEllipse}, {13, ToolKind::IncreaseFont}, {14, ToolKind::DecreaseFont}};
        for (const auto &[segment, tool] : tools) {
            clickSegment(window, segment);
            QCOMPARE(window.canvasView->selectedTool(), std::optional(tool));
            QCOMPARE(window.buttonBar->selectedSegment(), segment);
        }
    }

    void withoutAnImageTheToolBarIsIgnored()
    {
        EditorWindow &window = openEditor(QImage());
        QVERIFY(!window.canvasView->imageRect().has_value());
        clickSegment(window, 5);
        clickSegment(window, 12);
        QVERIFY(!window.canvasView->selectedTool().has_value());
        QVERIFY(!window.textPopup->isVisible());
    }

    void typedTextLandsAtThePressPoint()
    {
        EditorWindow &window = openEditorOnPattern();
        clickSegment(window, 12);
        QVERIFY(window.textPopup->isVisible());
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Text));
        QTest::keyClicks(window.textView->textview, QStringLiteral("Hello there"));
        // Below the popover, which hangs from the tool bar over the top of the picture.
        const QPointF at = window.canvasView->imageRect()->topLeft() + QPointF(40, 170);
        // The press outside the popup closes it and still reaches the canvas.
        pressCanvas(window, at);
        releaseCanvas(window, at);
        QVERIFY(!window.textPopup->isVisible());
        QCOMPARE(window.canvasView->figureList().items.size(), 1);
        const std::shared_ptr<Figure> record = window.canvasView->figureList().items.first();
        QCOMPARE(record->typeName, QStringLiteral("text"));
        QVERIFY(record->text);
        QCOMPARE(record->text->text(), QStringLiteral("Hello there"));
        QCOMPARE(record->rect->topLeft(), at);
        QCOMPARE(figureCount(), 1);
    }

    void pressInsideTheTextViewMakesNoFigure()
    {
        EditorWindow &window = openEditorOnPattern();
        clickSegment(window, 12);
        QPlainTextEdit *text = window.textView->textview;
        QTest::keyClicks(text, QStringLiteral("abc"));
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(text, &enter);
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(window.textPopup->isVisible());
        QCOMPARE(window.canvasView->figureList().items.size(), 0);
    }

    void textSegmentTogglesThePopoverAndEmptiesIt()
    {
        EditorWindow &window = openEditorOnPattern();
        clickSegment(window, 12);
        QVERIFY(window.textPopup->isVisible());
        QTest::keyClicks(window.textView->textview, QStringLiteral("draft"));
        // The second click lands outside the popup, which closes it first.
        clickSegment(window, 12);
        QVERIFY(!window.textPopup->isVisible());
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Text));
        QCOMPARE(window.textView->text(), QString());
        clickSegment(window, 12);
        QVERIFY(window.textPopup->isVisible());
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Text));
    }

    void lineWidthSegmentLeavesThePointerTool()
    {
        Preferences::standard().setInteger(QStringLiteral("linesize"), 9);
        EditorWindow &window = openEditorOnPattern();
        clickSegment(window, 8);
        clickSegment(window, 15);
        QVERIFY(window.lineWidthPopup->isVisible());
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Pointer));
        QCOMPARE(window.buttonBar->selectedSegment(), 4);
        QVERIFY(window.lineWidthView->rbThick->isChecked());
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("linesize")), 9);
        // Choosing a width stores it and leaves the popover open.
        QTest::mouseClick(window.lineWidthView->rbThickest, Qt::LeftButton);
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("linesize")), 8);
        QVERIFY(window.lineWidthPopup->isVisible());
    }

    void paletteFromTheFillSwatchPaintsIt()
    {
        EditorWindow &window = openEditorOnPattern();
        ToolBarSegment *fill = window.buttonBar->segment(17);
        const QPoint clickPoint = fill->rect().center() + QPoint(3, 0);
        click(fill, clickPoint);
        QCOMPARE(window.colorPalette->target(), ColorPaletteView::Target::FillColor);
        QVERIFY(window.colorPopup->isVisible());
        // The popover points at the place of the click, under the tool bar.
        // It points at the middle of a place one fiftieth of the tool bar wide starting there.
        const int clickX = fill->mapToGlobal(clickPoint).x();
        QVERIFY(window.colorPopup->arrowTip().x() >= clickX);
        QVERIFY(window.colorPopup->arrowTip().x() <= clickX + window.buttonBar->width() / 50);
        QCOMPARE(window.colorPopup->arrowTip().y(),
                 window.buttonBar->mapToGlobal(QPoint(0, window.buttonBar->height())).y());
        QTest::mouseClick(window.colorPalette->palette()->button("teal"), Qt::LeftButton);
        QCOMPARE(Preferences::standard().stringForKey(QStringLiteral("fillcolor")), QStringLiteral("teal"));
        QCOMPARE(hexString(fill->swatchColor()), QStringLiteral("#008080"));
        QCOMPARE(window.colorPalette->palette()->namesTurnedOn(), QStringList{QStringLiteral("teal")});

        clickSegment(window, 16);
        QCOMPARE(window.colorPalette->target(), ColorPaletteView::Target::LineColor);
        QVERIFY(window.colorPopup->isVisible());
        QCOMPARE(window.colorPalette->palette()->namesTurnedOn(), QStringList{QStringLiteral("red")});
        // A line color paints the line swatch only.
        QTest::mouseClick(window.colorPalette->palette()->button("maroon"), Qt::LeftButton);
        QCOMPARE(lineColorName(), QStringLiteral("maroon"));
        QCOMPARE(hexString(window.buttonBar->segment(16)->swatchColor()), QStringLiteral("#800000"));
        QCOMPARE(hexString(fill->swatchColor()), QStringLiteral("#008080"));
    }

    void deleteRemovesTheSelectedFigureUnlessTyping()
    {
        EditorWindow &window = openEditorOnPattern();
        const QPointF origin = window.canvasView->imageRect()->topLeft();
        clickSegment(window, 10);
        dragOnCanvas(window, origin + QPointF(20, 20), origin + QPointF(120, 90));
        QCOMPARE(figureCount(), 1);

        clickSegment(window, 12);
        QVERIFY(window.textPopup->isVisible());
        // Keys reach the text entry while it is up; even sent to the editor they delete nothing.
        QTest::keyClick(window.textView->textview, Qt::Key_Delete);
        QTest::keyClick(&window, Qt::Key_Delete);
        QTest::keyClick(&window, Qt::Key_Backspace);
        QCOMPARE(figureCount(), 1);
        window.textPopup->close();

        QTest::keyClick(window.canvasView, Qt::Key_Delete);
        QCOMPARE(figureCount(), 0);
        QCOMPARE(window.canvasView->figureList().items.size(), 1);
        QTest::keyClick(window.canvasView, Qt::Key_Backspace);
        QCOMPARE(window.canvasView->figureList().items.size(), 0);
    }

    void helpSegmentOpensItsLink()
    {
        const QList<QUrl> &opened = m_desktop.opener->opened;
        // The help page is the configured sharing service's, wherever that is.
        qputenv("VORNIK_SERVICE_URL", "https://pictures.example:9443/shots");
        EditorWindow &window = openEditorOnPattern();
        qunsetenv("VORNIK_SERVICE_URL");
        QCOMPARE(window.buttonBar->segmentToolTip(18), QStringLiteral("https://pictures.example:9443/shots/help/editor"));
        clickSegment(window, 18);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().toString(), window.buttonBar->segmentToolTip(18));
        // A tool tip that is not a link opens nothing.
        window.buttonBar->setSegmentToolTip(18, QStringLiteral("Help"));
        clickSegment(window, 18);
        QCOMPARE(opened.size(), 1);
    }

    void applicationHearsOpenAndClose()
    {
        TrayApp application(vtest::fixedAppServices());
        this->application = &application;
        EditorWindow &window = openEditorOnPattern();
        QCOMPARE(window.delegate.data(), static_cast<AppRequests *>(&application));
        QVERIFY(application.editorOpen);
        QCOMPARE(application.lastEditor, &window);
        QSignalSpy closing(&window, &EditorWindow::windowWillClose);
        window.close();
        QCOMPARE(closing.size(), 1);
        QVERIFY(!application.editorOpen);
        // Another window of the application closing tells nobody anything.
        EditorWindow &second = openEditorOnPattern();
        QVERIFY(application.editorOpen);
        QWidget other;
        other.show();
        other.close();
        QVERIFY(application.editorOpen);
        delete &second;
        this->application = nullptr;
    }

    void sizeSegmentsStepTheNewestTextBetween6And74()
    {
        Preferences::standard().setInteger(QStringLiteral("fontsize"), 72);
        EditorWindow &window = openEditorOnPattern();
        const QPointF at = window.canvasView->imageRect()->topLeft() + QPointF(20, 170);
        clickSegment(window, 12);
        QTest::keyClicks(window.textView->textview, QStringLiteral("Wg"));
        pressCanvas(window, at);
        releaseCanvas(window, at);
        QCOMPARE(figureCount(), 1);
        const std::shared_ptr<Figure> record = window.canvasView->figureList().items.first();
        QVERIFY(record->text);
        QCOMPARE(record->text->font().size, 72);

        auto sizeAfterClicking = [&](int segment) {
            clickSegment(window, segment);
            return record->text->font().size;
        };
        QCOMPARE(sizeAfterClicking(13), 74);
        QCOMPARE(sizeAfterClicking(13), 74);
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::IncreaseFont));
        const QRectF largest = *record->rect;

        // Down by two per click, from 74 to 8 in 33 clicks, then to 6 and no further.
        for (int expected = 72; expected >= 8; expected -= 2)
            QCOMPARE(sizeAfterClicking(14), expected);
        QCOMPARE(sizeAfterClicking(14), 6);
        QCOMPARE(sizeAfterClicking(14), 6);
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::DecreaseFont));
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("fontsize")), 6);
        // The record follows the text's size and stays where the text was placed.
        QCOMPARE(record->rect->topLeft(), at);
        QVERIFY(record->rect->height() < largest.height() / 4);
        QVERIFY(record->rect->width() < largest.width() / 4);
        QCOMPARE(figureCount(), 1);
    }

    // Upload and copy close the editor only once the picture has gone where it was sent.
    // Without network, or when the picture cannot be written for the upload or the
    // clipboard, the failure is posted and the window stays open with every figure.
    void failedUploadOrCopyKeepsTheDrawing()
    {
        EditorWindow &window = openEditorOnPattern();
        const QPointF origin = window.canvasView->imageRect()->topLeft();
        clickSegment(window, 5);
        dragOnCanvas(window, origin + QPointF(20, 20), origin + QPointF(120, 90));
        clickSegment(window, 8);
        dragOnCanvas(window, origin + QPointF(150, 40), origin + QPointF(250, 150));
        QCOMPARE(figureCount(), 2);
        QSignalSpy closing(&window, &EditorWindow::windowWillClose);

        m_desktop.reachability->connected = false;
        clickSegment(window, 1);
        QCOMPARE(settledNotifications(), QStringList{QStringLiteral("No network connection")});
        QCoreApplication::processEvents();
        QVERIFY(editor && window.isVisible());

        // The folder the picture is written to cannot be made: a file has its name.
        m_desktop.reachability->connected = true;
        const QString folder = QDir::cleanPath(TempFolder::finalImagesFolder());
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        clickSegment(window, 1);
        QCOMPARE(settledNotifications(), QStringList{QStringLiteral("File Save Error")});

        QCoreApplication::processEvents();
        QVERIFY(editor && window.isVisible());
        QCOMPARE(closing.size(), 0);
        QCOMPARE(figureCount(), 2);
        QCOMPARE(window.canvasView->figureList().items.size(), 2);
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Pointer));

        // The copy writes no file: with the folder still blocked it goes through, and
        // the editor closes.
        clickSegment(window, 2);
        QCOMPARE(settledNotifications(), QStringList{QStringLiteral("Clipboard notification")});
        QCOMPARE(closing.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(editor.isNull(), 10000);
        QVERIFY(QFile::remove(folder));
    }

    void copyClosesTheEditor()
    {
        EditorWindow &window = openEditorOnPattern();
        clickSegment(window, 5);
        QSignalSpy closing(&window, &EditorWindow::windowWillClose);
        clickSegment(window, 2);
        QCOMPARE(closing.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(editor.isNull(), 10000);   // deleted once closed
    }

    // Ctrl+T reads the words of the edited picture onto the clipboard and keeps the
    // editor open; Ctrl+P pins the picture with its figures, and Escape unpins it.
    void copyTextAndPinFromTheEditor()
    {
        QImage page(520, 90, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 22));
        painter.drawText(page.rect(), Qt::AlignCenter, QStringLiteral("Pinned notes 42"));
        painter.end();
        settledNotifications();   // what earlier cases posted
        EditorWindow &window = openEditor(page);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(&window, Qt::Key_T, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("Pinned notes 42"), 60000);
        QCOMPARE(settledNotifications(), QStringList{QStringLiteral("Text copied")});
        QVERIFY(editor);

        QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
        QPointer<PinWindow> pin;
        for (QWidget *each : QApplication::topLevelWidgets())
            if (!pin)
                pin = qobject_cast<PinWindow *>(each);
        QVERIFY(pin && pin->isVisible());
        QCOMPARE(pin->picture(), window.canvasView->renderExport(window.canvasView->figuresOnCanvas()));
        QVERIFY(pin->windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
        pin->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pin));
        QTest::keyClick(pin, Qt::Key_Escape);
        QTRY_VERIFY(pin.isNull());
        QVERIFY(editor);
    }
};

VORNIK_TEST_MAIN(EditorWindowTest, vtest::EnvironmentOptions{})
#include "editor_window_test.moc"
