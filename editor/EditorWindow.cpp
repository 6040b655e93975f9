#include "editor/EditorWindow.h"

#include "editor/ClosePrompt.h"
#include "helpers/AppRequests.h"
#include "platform/Preferences.h"
#include "editor/ToolTipTable.h"
#include "editor/tools/ToolTable.h"
#include "helpers/Links.h"
#include "output/EditorActions.h"
#include "output/TextCopy.h"
#include "helpers/PinWindow.h"
#include "helpers/NamedColors.h"
#include "service/ServiceConfiguration.h"
#include "platform/SettingsKeys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <utility>

namespace {
void closeIfShown(ToolPopover *popover)
{
    if (popover && popover->isVisible())
        popover->close();
}
} // namespace

EditorWindow::EditorWindow(DesktopServices desktop, QWidget *parent)
    : EditorWindow(std::move(desktop), ToolTable::standard(), parent)
{
}

EditorWindow::EditorWindow(DesktopServices desktop, const ToolTable &tools, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , preferences(Preferences::standard())
    , m_desktop(std::move(desktop))
    , m_tools(tools)
    , m_ownClosePrompt(ClosePrompt::messageBox())
    , m_closePrompt(m_ownClosePrompt.get())
{
    setObjectName(QStringLiteral("editorWindow"));
    setWindowTitle(tr("Vornik editor"));
    setAttribute(Qt::WA_DeleteOnClose);

    colorPalette = new ColorPaletteView;
    colorPopup = new ColorPalettePopup(colorPalette, this);
    textView = new TextEntryView;
    textPopup = new TextEntryPopup(textView, this);
    lineWidthView = new LineWidthView;
    lineWidthPopup = new LineWidthPopup(lineWidthView, this);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buttonBar = new SegmentedToolBar(this);
    buttonBar->setObjectName(QStringLiteral("buttonBar"));
    buildToolBar();
    column->addWidget(buttonBar);
    canvasView = new EditorCanvas(this);
    canvasView->setObjectName(QStringLiteral("paintView"));
    canvasView->setToolTable(m_tools);
    column->addWidget(canvasView, 1);
    connectCanvasToPopovers();

    connect(buttonBar, &SegmentedToolBar::segmentClicked, this, &EditorWindow::buttonClicked);
    connect(colorPalette, &ColorPaletteView::colorChosen, this, &EditorWindow::paletteColorChosen);
    // A chosen width is the whole answer: the popover goes, so the next press draws.
    connect(lineWidthView, &LineWidthView::widthChosen, this, [this] { closeIfShown(lineWidthPopup); });
    connect(canvasView, &EditorCanvas::textEditRequested, this, &EditorWindow::editPlacedText);
    connect(textPopup, &ToolPopover::closed, this, [this] {
        if (std::exchange(m_editingPlacedText, false) && canvasView)
            canvasView->finishTextEdit(textView->text());
    });
    installShortcuts();
}

void EditorWindow::addShortcut(const QKeySequence &key, std::function<void()> action)
{
    auto *shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, action = std::move(action)] {
        // Keys typed while the text popover is up belong to the text.
        if (textPopup->isShown())
            return;
        action();
    });
}

void EditorWindow::clickByKey(int segment)
{
    m_clickedByKey = true;
    buttonBar->clickSegment(segment);
    m_clickedByKey = false;
}

void EditorWindow::installShortcuts()
{
    // Each segment's key clicks the segment; the undo, redo and close keys belong to
    // the window.
    const QList<ToolDescriptor> &segments = m_tools.segments();
    for (int index = 0; index < segments.size(); ++index) {
        const QKeySequence &key = segments.at(index).shortcut;
        if (key.isEmpty())
            continue;
        addShortcut(key, [this, index] { clickByKey(index); });
        buttonBar->setSegmentShortcut(index, key);
    }
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] {
        if (canvasView)
            canvasView->undo();
    });
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        addShortcut(key, [this] {
            if (canvasView)
                canvasView->redo();
        });
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        addShortcut(key, [this] { close(); });
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)})
        addShortcut(key, [this] { canvasView->zoomIn(); });
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { canvasView->zoomOut(); });
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { canvasView->fitToWindow(); });
}

// Whether a key press is text being typed, which no single-key shortcut may take: a
// text field has the keyboard, or the text tool is chosen (and waits for its text).
bool EditorWindow::keyTypesText(const QKeyEvent &press) const
{
    const QString typed = press.text();
    if (typed.isEmpty() || !typed.at(0).isPrint()
        || (press.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QWidget *focus = QApplication::focusWidget();
    const bool textField = qobject_cast<const QLineEdit *>(focus) || qobject_cast<const QTextEdit *>(focus)
                           || qobject_cast<const QPlainTextEdit *>(focus) || qobject_cast<const QAbstractSpinBox *>(focus);
    return textField || textPopup->isShown() || (canvasView && canvasView->selectedTool() == ToolKind::Text);
}

// Letters typed while the text tool waits go into a new text, as if the text
// segment had been chosen first.
void EditorWindow::typeIntoTextEntry(const QString &typed)
{
    const int segment = m_tools.segmentOf(ToolKind::Text);
    if (textView->textview)
        textView->textview->setPlainText(QString());
    m_clickedByKey = true;
    showToolPopover(textPopup, segment);
    m_clickedByKey = false;
    if (textView->textview)
        textView->textview->insertPlainText(typed);
}

// A placed text was double-clicked: its words open in the text popover, and closing
// the popover puts them back. The pointer is the tool meanwhile, so the press that
// closes the popover places no new text.
void EditorWindow::editPlacedText(const QString &words)
{
    choosePointer();
    if (textView->textview)
        textView->textview->setPlainText(words);
    m_clickedByKey = true;
    showToolPopover(textPopup, m_tools.segmentOf(ToolKind::Text));
    m_clickedByKey = false;
    m_editingPlacedText = true;
    if (textView->textview)
        textView->textview->selectAll();
}

namespace {

// Gives a shown window's frame, title bar included, the rectangle `frame`.
void setFrame(QWidget *window, const QRect &frame)
{
    const QSize decoration = window->frameGeometry().size() - window->size();
    window->resize(frame.size() - decoration);
    window->move(frame.topLeft());   // move() places the frame, not the contents
}

} // namespace

EditorWindow *EditorWindow::openOn(const QImage &picture, QScreen *display, AppRequests *delegate,
                                   const DesktopServices &desktop)
{
    auto *editor = new EditorWindow(desktop);
    editor->delegate = delegate;
    editor->picture = picture;
    editor->screenIndex = 0;
    // Created on the display of the selection: the editor sizes its page by it. It is
    // maximized there, so the window manager keeps its frame and title bar on screen.
    if (display) {
        editor->setScreen(display);
        editor->setGeometry(display->availableGeometry());
    }
    editor->showMaximized();
    if (display && !editor->isMaximized())
        setFrame(editor, display->availableGeometry());
    editor->update();
    return editor;
}

EditorWindow::~EditorWindow()
{
    if (m_monitorInstalled)
        qApp->removeEventFilter(this);
}

void EditorWindow::buildToolBar()
{
    for (int index = 0; index < m_tools.segments().size(); ++index) {
        buttonBar->addSegment(m_tools.icon(index));
        if (m_tools.segments().at(index).action == SegmentAction::Spacer)
            buttonBar->segment(index)->setSpacer(true);
    }
}

ToolBarSegment *EditorWindow::swatch(ColorPaletteView::Target target) const
{
    if (target == ColorPaletteView::Target::LineColor)
        return buttonBar->segment(m_tools.segmentOf(SegmentAction::LineColor));
    if (target == ColorPaletteView::Target::FillColor)
        return buttonBar->segment(m_tools.segmentOf(SegmentAction::FillColor));
    return nullptr;
}

void EditorWindow::connectCanvasToPopovers()
{
    QPointer<EditorWindow> self(this);
    CanvasPopovers hooks;
    hooks.colorPaletteShown = [self] { return self && self->colorPopup->isShown(); };
    hooks.textEntryShown = [self] { return self && self->textPopup->isShown(); };
    hooks.pointerInTextEntry = [self] { return self && self->textView->pointerInEditor; };
    hooks.textEntryString = [self] { return self ? self->textView->text() : QString(); };
    hooks.closeTextEntry = [self] {
        if (self)
            closeIfShown(self->textPopup);
    };
    hooks.lineWidthShown = [self] { return self && self->lineWidthPopup->isShown(); };
    hooks.closeLineWidth = [self] {
        if (self)
            closeIfShown(self->lineWidthPopup);
    };
    canvasView->setPopovers(hooks);
}

void EditorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setUpOnFirstShow();
}

void EditorWindow::setUpOnFirstShow()
{
    if (m_loaded)
        return;
    m_loaded = true;
    loadToolTips();
    qApp->installEventFilter(this);
    m_monitorInstalled = true;
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    for (const auto target : {ColorPaletteView::Target::LineColor, ColorPaletteView::Target::FillColor})
        if (ToolBarSegment *segment = swatch(target))
            segment->setSwatchEnabled(true);
    // The page is the size of the display the editor opens on (the opener puts it on
    // the display of the selection), so the picture is placed where the window shows it.
    QScreen *display = screen() ? screen() : QGuiApplication::primaryScreen();
    if (display) {
        canvasView->setupCanvas(QRectF(QPointF(0, 0), QSizeF(display->geometry().size())), picture);
        // The canvas holds the picture from here on.
        picture = QImage();
        paintSwatches();
    }
    if (delegate) {
        delegate->setEditorActive(this, true);
        m_announcedOpen = true;
    }
    raise();
    activateWindow();
}

void EditorWindow::loadToolTips()
{
    const QMap<int, QString> assetToolTips = parseToolTips(toolTipsAsset());
    const QList<ToolDescriptor> &segments = m_tools.segments();
    for (int index = 0; index < segments.size(); ++index) {
        const ToolDescriptor &segment = segments.at(index);
        const QString text = segment.toolTip.isEmpty() ? assetToolTips.value(index) : segment.toolTip;
        // The help segment's tool tip is the link it opens. The asset names the page by
        // its path on the sharing service, which serves the help wherever it is set up.
        if (segment.action == SegmentAction::Help)
            buttonBar->setSegmentToolTip(index, ServiceConfiguration::serviceBaseURL() + text);
        else if (!text.isEmpty())
            buttonBar->setSegmentToolTip(index, translatedToolTip(text));
    }
}

void EditorWindow::paintSwatches()
{
    if (ToolBarSegment *line = swatch(ColorPaletteView::Target::LineColor))
        line->setSwatchColor(colorNamed(lineColorName()));
    if (ToolBarSegment *fill = swatch(ColorPaletteView::Target::FillColor))
        fill->setSwatchColor(colorNamed(fillColorName()));
}

// A color clicked in the palette has been stored: its swatch shows it, and a line color
// chosen while the highlighter is the tool becomes the highlighter's.
void EditorWindow::paletteColorChosen(ColorPaletteView::Target target, const QString &name)
{
    // A figure marked by the pointer takes the color too, as one undo step.
    if (canvasView && (target == ColorPaletteView::Target::LineColor || target == ColorPaletteView::Target::FillColor))
        canvasView->recolorMarkedFigure(name, target == ColorPaletteView::Target::FillColor);
    if (target == ColorPaletteView::Target::LineColor) {
        if (ToolBarSegment *line = swatch(target))
            line->setSwatchColor(colorNamed(lineColorName()));
        if (canvasView && canvasView->selectedTool() == ToolKind::Highlighter)
            preferences.setString(SettingsKeys::highlightColor, name);
    } else if (target == ColorPaletteView::Target::FillColor) {
        if (ToolBarSegment *fill = swatch(target))
            fill->setSwatchColor(colorNamed(fillColorName()));
    }
}

bool EditorWindow::belongsToThisWindow(QObject *object) const
{
    auto *widget = qobject_cast<QWidget *>(object);
    return widget && widget->window() == this;
}

bool EditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Accepting the override sends the key to the focused widget as a key press
    // instead of to a shortcut.
    if (event->type() == QEvent::ShortcutOverride && belongsToThisWindow(watched)
        && keyTypesText(*static_cast<QKeyEvent *>(event))) {
        event->accept();
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && belongsToThisWindow(watched)) {
        auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() == Qt::LeftButton)
            mouseDown(press->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

void EditorWindow::mouseDown(const QPoint &globalPosition)
{
    lastPressPosition = mapFromGlobal(globalPosition);
    m_textShownAtPress = textPopup->isShown();
}

void EditorWindow::keyPressEvent(QKeyEvent *event)
{
    // Keys the focused child did not take (the canvas takes none) arrive here.
    QWidget::keyPressEvent(event);
    if (canvasView && canvasView->selectedTool() == ToolKind::Text && !textPopup->isShown() && keyTypesText(*event)) {
        typeIntoTextEntry(event->text());
        event->accept();
        return;
    }
    keyDown(event->key());
}

void EditorWindow::keyDown(int key)
{
    if (key != Qt::Key_Delete && key != Qt::Key_Backspace)
        return;
    if (textPopup->isShown() || !canvasView)
        return;
    if (canvasView->selectedTool() == ToolKind::SaveLocal)
        return;
    canvasView->deleteSelected();
}

// Asked when the window closes with figures not yet saved, copied or uploaded. Returns
// whether the window may close.
bool EditorWindow::saveBeforeClosing()
{
    if (!canvasView || !canvasView->imageRect() || canvasView->history().isClean())
        return true;
    switch (m_closePrompt->ask(this)) {
    case ClosePrompt::Answer::discard:
        return true;
    case ClosePrompt::Answer::cancel:
        return false;
    case ClosePrompt::Answer::save:
        exportImage(SegmentAction::Save);
        // A cancelled or failed save keeps the window.
        return canvasView && canvasView->history().isClean();
    }
    return false;
}

void EditorWindow::closeEvent(QCloseEvent *event)
{
    if (!saveBeforeClosing()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    closeIfShown(textPopup);
    closeIfShown(lineWidthPopup);
    closeIfShown(colorPopup);
    if (delegate && m_announcedOpen)
        delegate->setEditorActive(this, false);
    m_announcedOpen = false;
    emit windowWillClose();
}

void EditorWindow::setTool(ToolKind tool)
{
    if (canvasView)
        canvasView->setSelectedTool(tool);
}

void EditorWindow::choosePointer()
{
    setTool(ToolKind::Pointer);
    buttonBar->setSelectedSegment(m_tools.segmentOf(ToolKind::Pointer));
}

void EditorWindow::buttonClicked(int segment)
{
    const bool textShownAtPress = m_textShownAtPress.value_or(false);
    m_textShownAtPress.reset();

    closeIfShown(lineWidthPopup);
    closeIfShown(colorPopup);
    if (!windowHandle() || !windowHandle()->screen() || !canvasView)
        return;
    // Without a canvas or an image on it there is nothing to draw on or export.
    if (!canvasView->viewSize() || !canvasView->imageRect())
        return;
    if (segment < 0 || segment >= m_tools.segments().size())
        return;
    const ToolDescriptor &clicked = m_tools.segments().at(segment);
    if (clicked.kind)
        setTool(*clicked.kind);
    runSegmentAction(clicked.action, segment, textShownAtPress);
}

void EditorWindow::runSegmentAction(SegmentAction action, int segment, bool textShownAtPress)
{
    switch (action) {
    case SegmentAction::Save:
    case SegmentAction::Upload:
    case SegmentAction::Copy:
        exportImage(action);
        break;
    case SegmentAction::TextEntry:
        toggleTextEntry(segment, textShownAtPress);
        break;
    case SegmentAction::IncreaseFont:
        canvasView->increaseFont();
        break;
    case SegmentAction::DecreaseFont:
        canvasView->decreaseFont();
        break;
    case SegmentAction::LineWidth:
        toggleLineWidth(segment);
        break;
    case SegmentAction::LineColor:
        showColorPalette(ColorPaletteView::Target::LineColor, segment);
        break;
    case SegmentAction::FillColor:
        showColorPalette(ColorPaletteView::Target::FillColor, segment);
        break;
    case SegmentAction::Help:
        openHelp(segment);
        break;
    case SegmentAction::Pin:
    case SegmentAction::CopyText:
        shareRendering(action);
        break;
    case SegmentAction::None:
    case SegmentAction::Spacer:
        break;
    }
}

// The text segment opens the text popover empty, and closes it when it was open (or
// was open when the press of this click began: that press closed it).
void EditorWindow::toggleTextEntry(int segment, bool textShownAtPress)
{
    if (textView->textview)
        textView->textview->setPlainText(QString());
    if (!textPopup->isShown() && !textShownAtPress)
        showToolPopover(textPopup, segment);
    else
        closeIfShown(textPopup);
}

// The line width applies to the figures drawn next, so the tool stays what it was
// (its segment shown chosen again): the next drag draws with the new width.
void EditorWindow::toggleLineWidth(int segment)
{
    closeIfShown(textPopup);
    if (!lineWidthPopup->isShown())
        showToolPopover(lineWidthPopup, segment);
    else
        closeIfShown(lineWidthPopup);
    const std::optional<ToolKind> tool = canvasView->selectedTool();
    if (!tool || m_tools.segmentOf(*tool) < 0)
        choosePointer();
    else
        buttonBar->setSelectedSegment(m_tools.segmentOf(*tool));
}

void EditorWindow::showColorPalette(ColorPaletteView::Target target, int segment)
{
    colorPalette->setTarget(target);
    showToolPopover(colorPopup, segment);
}

void EditorWindow::openHelp(int segment)
{
    const QString link = buttonBar->segmentToolTip(segment);
    if (isValidURL(link))
        m_desktop.opener->openUrl(QUrl(link));
}

void EditorWindow::exportImage(SegmentAction way)
{
    // The canvas renders the exported area itself, at the picture's full resolution:
    // the output actions get it whole, with nothing left to widen or scale.
    const QImage rendering = canvasView->renderExport(canvasView->figuresOnCanvas());
    if (rendering.isNull())
        return;
    const QRectF rect(QPointF(0, 0), QSizeF(rendering.size()));
    const FigureRects figures;
    if (way == SegmentAction::Save) {
        // The canvas takes no press while the save panel is up.
        setTool(ToolKind::SaveLocal);
        const bool saved = saveImageWithPanel(m_desktop, rendering, figures, rect);
        if (saved && canvasView)
            canvasView->history().setClean();
        choosePointer();
        return;
    }
    const bool handedOn = way == SegmentAction::Upload ? uploadImage(m_desktop, rendering, figures, rect)
                                                       : copyImageToClipboard(m_desktop, rendering, figures, rect);
    choosePointer();
    // A failed upload or copy has posted its message; the drawing stays so that the
    // user can try again or save it.
    if (handedOn) {
        canvasView->history().setClean();
        close();
    }
}

// Pin and copy text take the picture as it would be exported and leave the editor open:
// neither is a way out of it.
void EditorWindow::shareRendering(SegmentAction way)
{
    choosePointer();
    const QImage rendering = canvasView ? canvasView->renderExport(canvasView->figuresOnCanvas()) : QImage();
    if (rendering.isNull())
        return;
    if (way == SegmentAction::CopyText) {
        copyRecognisedText(m_desktop, rendering);
        return;
    }
    // Over the picture's place on the canvas, so it seems to lift off the editor.
    const QPoint topLeft = canvasView->mapToGlobal(QPoint(0, 0)) + QPoint(24, 24);
    PinWindow::pin(rendering, topLeft, m_desktop);
}

// Shows `popover` under the tool bar, pointing at the place of the click; a click made
// without the pointer points at the middle of the segment.
void EditorWindow::showToolPopover(ToolPopover *popover, int segment)
{
    QWidget *anchor = buttonBar;
    const int anchorLeft = anchor->mapTo(this, QPoint(0, 0)).x();
    int x = 0;
    if (lastPressPosition && !m_clickedByKey)
        x = lastPressPosition->x() - anchorLeft;
    else if (ToolBarSegment *clicked = buttonBar->segment(segment))
        x = clicked->mapTo(anchor, clicked->rect().center()).x();
    const QRect place(x, 0, qMax(1, anchor->width() / 50), anchor->height());
    popover->showRelativeToRect(place, anchor);
}
