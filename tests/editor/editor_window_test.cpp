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
#include <QScrollBar>
#include <QWheelEvent>
#include <tuple>
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

    // Keys typed through the window system, one by one.
    static void typeOn(QWindow *window, const char *text)
    {
        for (const char *c = text; *c; ++c)
            QTest::keyClick(window, *c);
    }

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

    // The line width keeps the tool; the width chosen closes the popover, so the very
    // next drag draws, with that width.
    void lineWidthKeepsTheToolAndTheNextDragDraws()
    {
        Preferences::standard().setInteger(QStringLiteral("linesize"), 9);
        EditorWindow &window = openEditorOnPattern();
        const QPointF origin = window.canvasView->imageRect()->topLeft();
        clickSegment(window, 5);
        clickSegment(window, 15);
        QVERIFY(window.lineWidthPopup->isVisible());
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Rectangle));
        QCOMPARE(window.buttonBar->selectedSegment(), 5);
        QVERIFY(window.lineWidthView->rbThick->isChecked());
        QTest::mouseClick(window.lineWidthView->rbThickest, Qt::LeftButton);
        QCOMPARE(Preferences::standard().integerForKey(QStringLiteral("linesize")), 8);
        QVERIFY(!window.lineWidthPopup->isVisible());
        dragOnCanvas(window, origin + QPointF(20, 20), origin + QPointF(120, 90));
        QCOMPARE(figureCount(), 1);
        QCOMPARE(window.canvasView->figureList().items.first()->shape->stroke()->width, 8.0);
    }

    // A click without a drag makes nothing with a drawing tool; text and the numbered
    // marker are placed by a click.
    void clickWithoutDragMakesNothing_data()
    {
        QTest::addColumn<int>("segment");
        QTest::addColumn<int>("figures");
        for (int segment : {5, 6, 7, 8, 10, 19, 20, 21, 23})
            QTest::addRow("segment %d", segment) << segment << 0;
        QTest::addRow("counter") << 22 << 1;
    }
    void clickWithoutDragMakesNothing()
    {
        QFETCH(int, segment);
        QFETCH(int, figures);
        EditorWindow &window = openEditorOnPattern();
        clickSegment(window, segment);
        const QPointF at = window.canvasView->imageRect()->center();
        pressCanvas(window, at);
        releaseCanvas(window, at);
        QCOMPARE(figureCount(), figures);
        QCOMPARE(window.canvasView->history().count(), figures);
    }

    // Letter keys never switch tools while text is typed or the text tool waits for
    // it; they start a new text instead. A placed text is edited by a double click.
    void textToolKeepsItsKeysAndTextIsEditedAgain()
    {
        EditorWindow &window = openEditorOnPattern();
        QWindow *keys = window.windowHandle();
        clickSegment(window, 12);
        typeOn(keys, "ren");
        QCOMPARE(window.textView->text(), QStringLiteral("ren"));
        const QPointF at = window.canvasView->imageRect()->topLeft() + QPointF(40, 170);
        pressCanvas(window, at);
        releaseCanvas(window, at);
        QVERIFY(!window.textPopup->isVisible());
        window.canvasView->setFocus();
        QTest::keyClick(keys, Qt::Key_E);
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Text));
        QTRY_VERIFY(window.textPopup->isVisible());
        typeOn(keys, "rn");
        QCOMPARE(window.textView->text(), QStringLiteral("ern"));
        QCOMPARE(window.canvasView->selectedTool(), std::optional(ToolKind::Text));
        window.textPopup->close();

        const std::shared_ptr<scene::Text> placed = window.canvasView->figureList().items.first()->text;
        QTest::mouseDClick(keys, Qt::LeftButton, {}, inWindow(window.canvasView->viewport(), onCanvas(window, at + QPointF(4, 4))));
        QTRY_VERIFY(window.textPopup->isVisible());
        QCOMPARE(window.textView->text(), QStringLiteral("ren"));
        typeOn(keys, "Bye");
        const QPointF away = at + QPointF(150, 0);
        pressCanvas(window, away);
        releaseCanvas(window, away);
        QCOMPARE(placed->text(), QStringLiteral("Bye"));
        QCOMPARE(figureCount(), 1);
        QTest::keyClick(keys, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(placed->text(), QStringLiteral("ren"));
    }

    // A color chosen with a figure marked recolors it, as one undo step.
    void colorRecolorsTheMarkedFigure()
    {
        EditorWindow &window = openEditorOnPattern();
        const QPointF origin = window.canvasView->imageRect()->topLeft();
        clickSegment(window, 10);
        dragOnCanvas(window, origin + QPointF(20, 20), origin + QPointF(120, 90));
        const std::shared_ptr<scene::Shape> shape = window.canvasView->figureList().items.first()->shape;
        clickSegment(window, 4);
        click(window.canvasView->viewport(), onCanvas(window, origin + QPointF(70, 55)));
        QVERIFY(window.canvasView->markedFigure());
        for (const auto &[segment, name, fill] : {std::tuple{16, "navy", false}, std::tuple{17, "lime", true}}) {
            clickSegment(window, segment);
            QTest::mouseClick(window.colorPalette->palette()->button(name), Qt::LeftButton);
            const scene::Color painted = fill ? shape->fill() : shape->stroke()->fill;
            QCOMPARE(painted, scene::Color::named(QString::fromLatin1(name)));
        }
        window.colorPopup->close();
        QTest::keyClick(window.windowHandle(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shape->fill(), scene::Color::named(QStringLiteral("red")));
        QCOMPARE(shape->stroke()->fill, scene::Color::named(QStringLiteral("navy")));
        QCOMPARE(figureCount(), 1);
    }

    // The picture's edge shows on the page, a picture that fits shows no scroll bars,
    // and the keys and Ctrl+wheel zoom.
    void edgeScrollBarsAndZoom()
    {
        QImage white(300, 200, QImage::Format_RGB32);
        white.fill(Qt::white);
        EditorWindow &window = openEditor(white);
        EditorCanvas *canvas = window.canvasView;
        QTRY_VERIFY(!canvas->horizontalScrollBar()->isVisible() && !canvas->verticalScrollBar()->isVisible());
        const QRectF picture = *canvas->imageRect();
        const QImage shown = canvas->viewport()->grab().toImage();
        QVERIFY(qGray(shown.pixel(onCanvas(window, picture.topLeft() + QPointF(-1, 20)))) < 200);
        QCOMPARE(QColor(shown.pixel(onCanvas(window, picture.topLeft() + QPointF(2, 20)))), QColor(Qt::white));

        QWindow *keys = window.windowHandle();
        QTest::keyClick(keys, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(canvas->zoom(), 1.25);
        QTest::keyClick(keys, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(canvas->zoom(), 1.0);
        const QPoint middle = canvas->viewport()->rect().center();
        QWheelEvent wheel(middle, canvas->viewport()->mapToGlobal(middle), {}, QPoint(0, 240), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas->viewport(), &wheel);
        QCOMPARE(canvas->zoom(), 1.5625);
        QTest::keyClick(keys, Qt::Key_0, Qt::ControlModifier);
        const QRect fitted = canvas->mapFromScene(picture).boundingRect();
        QVERIFY(canvas->viewport()->rect().adjusted(-1, -1, 1, 1).contains(fitted));
        QVERIFY(fitted.width() >= canvas->viewport()->width() * 9 / 10
                || fitted.height() >= canvas->viewport()->height() * 9 / 10);
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
