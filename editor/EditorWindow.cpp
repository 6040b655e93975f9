#include "editor/EditorWindow.h"

#include "editor/ClosePrompt.h"
#include "helpers/AppRequests.h"
#include "platform/Preferences.h"
#include "editor/ToolTipTable.h"
#include "editor/tools/ToolTable.h"
#include "helpers/Links.h"
#include "output/EditorActions.h"
#include "helpers/NamedColors.h"
#include "helpers/ResourceImages.h"
#include "service/ServiceConfiguration.h"
#include "platform/Opener.h"
#include "platform/SettingsKeys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {
// Icon of each segment; spacers and swatches have none.
const char *const kSegmentIcons[EditorWindow::SegmentCount] = {
    "tools/tool-save",           "tools/tool-upload",         "tools/tool-copy",   nullptr,
    "tools/tool-pointer",        "tools/tool-rectangle",      "tools/tool-ellipse", "tools/tool-line",
    "tools/tool-arrow",          nullptr,                     "tools/tool-filledrectangle",
    "tools/tool-filledellipse",  "tools/tool-text",           "tools/tool-increasefont",
    "tools/tool-decreasefont",   "tools/tool-linesize",       nullptr,             nullptr,
    "tools/tool-help",
};

constexpr int kLineColorMode = 1;
constexpr int kFillColorMode = 2;

void closeIfShown(ToolPopover *popover)
{
    if (popover && popover->isVisible())
        popover->close();
}
} // namespace

EditorWindow::EditorWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , userDefaults(Preferences::standard())
    , m_ownClosePrompt(ClosePrompt::messageBox())
    , m_closePrompt(m_ownClosePrompt.get())
{
    setObjectName(QStringLiteral("PaintWindowController"));
    setWindowTitle(tr("Vornik editor"));
    setAttribute(Qt::WA_DeleteOnClose);

    ColorPaletteView = new class ColorPaletteView;
    ColorPalettePopup = new class ColorPalettePopup(ColorPaletteView, this);
    texteditview = new TextEntryView;
    texteditpopover = new TextEntryPopup(texteditview, this);
    linesizeview = new LineWidthView;
    linesizepopup = new LineWidthPopup(linesizeview, this);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buttonBar = new SegmentedToolBar(this);
    buttonBar->setObjectName(QStringLiteral("buttonBar"));
    buildToolBar();
    column->addWidget(buttonBar);
    paintView = new EditorCanvas(this);
    paintView->setObjectName(QStringLiteral("paintView"));
    column->addWidget(paintView, 1);
    connectCanvasToPopovers();

    connect(buttonBar, &SegmentedToolBar::segmentClicked, this, &EditorWindow::buttonClicked);
    // A line color chosen while the highlighter is the tool becomes the highlighter's.
    connect(ColorPaletteView->palette(), &ColorPaletteGrid::colorClicked, this, [this](const QString &name) {
        if (colorTarget == kLineColorMode && paintView && paintView->selectedTool() == ToolKind::highlighter)
            userDefaults.setString(SettingsKeys::highlightColor, name);
    });
    installShortcuts();
}

void EditorWindow::addShortcut(const QKeySequence &key, std::function<void()> action)
{
    auto *shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, action = std::move(action)] {
        // Keys typed while the text popover is up belong to the text.
        if (texteditpopover->isShown())
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
    const QList<QPair<int, QKeySequence>> segmentKeys = {
        {SaveSegment, QKeySequence(Qt::CTRL | Qt::Key_S)},   {UploadSegment, QKeySequence(Qt::CTRL | Qt::Key_U)},
        {CopySegment, QKeySequence(Qt::CTRL | Qt::Key_C)},   {PointerSegment, QKeySequence(Qt::Key_V)},
        {RectangleSegment, QKeySequence(Qt::Key_R)},         {EllipseSegment, QKeySequence(Qt::Key_E)},
        {LineSegment, QKeySequence(Qt::Key_L)},              {ArrowSegment, QKeySequence(Qt::Key_A)},
        {TextSegment, QKeySequence(Qt::Key_T)},
    };
    for (const auto &[segment, key] : segmentKeys) {
        addShortcut(key, [this, segment = segment] { clickByKey(segment); });
        buttonBar->setSegmentShortcut(segment, key);
    }
    for (int i = 0; i < sharingTools().size(); ++i) {
        const int segment = PixelateSegment + i;
        addShortcut(sharingTools().at(i)->shortcut(), [this, segment] { clickByKey(segment); });
        buttonBar->setSegmentShortcut(segment, sharingTools().at(i)->shortcut());
    }
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] {
        if (paintView)
            paintView->undo();
    });
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        addShortcut(key, [this] {
            if (paintView)
                paintView->redo();
        });
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        addShortcut(key, [this] { close(); });
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

EditorWindow *EditorWindow::openOn(const QImage &picture, QScreen *display, AppRequests *delegate)
{
    auto *editor = new EditorWindow;
    editor->delegate = delegate;
    editor->picture = picture;
    editor->screennum = 0;
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
    for (int index = 0; index < SegmentCount; ++index) {
        const char *iconName = kSegmentIcons[index];
        buttonBar->addSegment(iconName ? iconNamed(QLatin1String(iconName)) : QIcon());
    }
    buttonBar->segment(FirstSpacerSegment)->setSpacer(true);
    buttonBar->segment(SecondSpacerSegment)->setSpacer(true);
    for (const DrawingTool *tool : sharingTools())
        buttonBar->addSegment(tool->icon());
}

void EditorWindow::connectCanvasToPopovers()
{
    QPointer<EditorWindow> self(this);
    CanvasPopovers hooks;
    hooks.colorPaletteShown = [self] { return self && self->ColorPalettePopup->isShown(); };
    hooks.textEntryShown = [self] { return self && self->texteditpopover->isShown(); };
    hooks.pointerInTextEntry = [self] { return self && self->texteditview->mouseineditor; };
    hooks.textEntryString = [self] { return self ? self->texteditview->text() : QString(); };
    hooks.closeTextEntry = [self] {
        if (self)
            closeIfShown(self->texteditpopover);
    };
    hooks.lineWidthShown = [self] { return self && self->linesizepopup->isShown(); };
    hooks.closeLineWidth = [self] {
        if (self)
            closeIfShown(self->linesizepopup);
    };
    paintView->setPopovers(hooks);
}

void EditorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    windowDidLoad();
}

void EditorWindow::windowDidLoad()
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
    buttonBar->segment(LineColorSegment)->setSwatchEnabled(true);
    buttonBar->segment(FillColorSegment)->setSwatchEnabled(true);
    // The page is the size of the display the editor opens on (the opener puts it on
    // the display of the selection), so the picture is placed where the window shows it.
    QScreen *display = screen() ? screen() : QGuiApplication::primaryScreen();
    if (display) {
        paintView->setupCanvas(QRectF(QPointF(0, 0), QSizeF(display->geometry().size())), picture);
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
    const QMap<int, QString> toolTips = parseToolTips(toolTipsAsset());
    for (auto it = toolTips.begin(); it != toolTips.end(); ++it)
        buttonBar->setSegmentToolTip(it.key(), it.value());
    for (int i = 0; i < sharingTools().size(); ++i)
        buttonBar->setSegmentToolTip(PixelateSegment + i, sharingTools().at(i)->toolTip());
    // The help segment's tool tip is the link it opens. The asset names the page by
    // its path on the sharing service, which serves the help wherever it is set up.
    buttonBar->setSegmentToolTip(HelpSegment, ServiceConfiguration::serviceBaseURL() + toolTips.value(HelpSegment));
}

void EditorWindow::paintSwatches()
{
    buttonBar->segment(LineColorSegment)->setSwatchColor(colorNamed(lineColorName()));
    buttonBar->segment(FillColorSegment)->setSwatchColor(colorNamed(fillColorName()));
}

bool EditorWindow::belongsToThisWindow(QObject *object) const
{
    auto *widget = qobject_cast<QWidget *>(object);
    return widget && widget->window() == this;
}

bool EditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && belongsToThisWindow(watched)) {
        auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() == Qt::LeftButton)
            mouseDown(press->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

void EditorWindow::mouseDown(const QPoint &globalPosition)
{
    mouselocation = mapFromGlobal(globalPosition);
    m_textShownAtPress = texteditpopover->isShown();
}

void EditorWindow::keyPressEvent(QKeyEvent *event)
{
    // Keys the focused child did not take (the canvas takes none) arrive here.
    QWidget::keyPressEvent(event);
    keyDown(event->key());
}

void EditorWindow::keyDown(int key)
{
    if (key != Qt::Key_Delete && key != Qt::Key_Backspace)
        return;
    if (texteditpopover->isShown() || !paintView)
        return;
    if (paintView->selectedTool() == ToolKind::savelocal)
        return;
    paintView->deleteSelected();
}

// Asked when the window closes with figures not yet saved, copied or uploaded. Returns
// whether the window may close.
bool EditorWindow::saveBeforeClosing()
{
    if (!paintView || !paintView->imagerect() || paintView->history().isClean())
        return true;
    switch (m_closePrompt->ask(this)) {
    case ClosePrompt::Answer::discard:
        return true;
    case ClosePrompt::Answer::cancel:
        return false;
    case ClosePrompt::Answer::save:
        exportImage(SaveSegment);
        // A cancelled or failed save keeps the window.
        return paintView && paintView->history().isClean();
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
    closeIfShown(texteditpopover);
    closeIfShown(linesizepopup);
    closeIfShown(ColorPalettePopup);
    if (delegate && m_announcedOpen)
        delegate->setEditorActive(this, false);
    m_announcedOpen = false;
    emit windowWillClose();
}

void EditorWindow::setTool(ToolKind tool)
{
    paintView->setSelectedTool(tool);
}

void EditorWindow::buttonClicked(int segment)
{
    const bool textShownAtPress = m_textShownAtPress.value_or(false);
    m_textShownAtPress.reset();

    closeIfShown(linesizepopup);
    closeIfShown(ColorPalettePopup);
    if (!windowHandle() || !windowHandle()->screen() || !paintView)
        return;
    // Without a canvas or an image on it there is nothing to draw on or export.
    if (!paintView->viewSize() || !paintView->imagerect())
        return;

    switch (segment) {
    case SaveSegment:
    case UploadSegment:
    case CopySegment:
        exportImage(segment);
        break;
    case PointerSegment:
        setTool(ToolKind::pointer);
        break;
    case RectangleSegment:
        setTool(ToolKind::rectangle);
        break;
    case EllipseSegment:
        setTool(ToolKind::ellipse);
        break;
    case LineSegment:
        setTool(ToolKind::line);
        break;
    case ArrowSegment:
        setTool(ToolKind::arrow);
        break;
    case FilledRectangleSegment:
        setTool(ToolKind::filledrectangle);
        break;
    case FilledEllipseSegment:
        setTool(ToolKind::filledellipse);
        break;
    case TextSegment:
        closeIfShown(linesizepopup);
        if (texteditview->textview)
            texteditview->textview->setPlainText(QString());
        if (!texteditpopover->isShown() && !textShownAtPress)
            showToolPopover(true, buttonBar, QStringLiteral("text"), 0, segment);
        else
            closeIfShown(texteditpopover);
        setTool(ToolKind::text);
        break;
    case IncreaseFontSegment:
        setTool(ToolKind::increasefont);
        paintView->increaseFont();
        break;
    case DecreaseFontSegment:
        setTool(ToolKind::decreasefont);
        paintView->decreaseFont();
        break;
    case LineWidthSegment:
        closeIfShown(texteditpopover);
        if (!linesizepopup->isShown())
            showToolPopover(false, buttonBar, QStringLiteral("linesize"), 0, segment);
        else
            closeIfShown(linesizepopup);
        buttonBar->setSelectedSegment(PointerSegment);
        setTool(ToolKind::pointer);
        break;
    case LineColorSegment:
        showToolPopover(false, buttonBar, QStringLiteral("color"), kLineColorMode, segment);
        break;
    case FillColorSegment:
        showToolPopover(false, buttonBar, QStringLiteral("color"), kFillColorMode, segment);
        break;
    case HelpSegment: {
        const QString link = buttonBar->segmentToolTip(HelpSegment);
        if (isValidURL(link))
            Opener::openUrl(QUrl(link));
        break;
    }
    case PixelateSegment:
    case BlurSegment:
    case HighlighterSegment:
    case CounterSegment:
    case PenSegment:
        setTool(ToolKind(int(ToolKind::pixelate) + segment - PixelateSegment));
        break;
    default:
        break;
    }
}

void EditorWindow::exportImage(int segment)
{
    // The canvas renders the exported area itself, at the picture's full resolution:
    // the output actions get it whole, with nothing left to widen or scale.
    const QImage rendering = paintView->renderExport(paintView->figuresOnCanvas());
    if (rendering.isNull())
        return;
    const QRectF rect(QPointF(0, 0), QSizeF(rendering.size()));
    const FigureRects figures;
    if (segment == SaveSegment) {
        // The canvas takes no press while the save panel is up.
        setTool(ToolKind::savelocal);
        const bool saved = saveImageWithPanel(rendering, figures, rect);
        if (saved && paintView)
            paintView->history().setClean();
        if (paintView)
            setTool(ToolKind::pointer);
        buttonBar->setSelectedSegment(PointerSegment);
        return;
    }
    const bool handedOn = segment == UploadSegment ? uploadImage(rendering, figures, rect)
                                                   : copyImageToClipboard(rendering, figures, rect);
    setTool(ToolKind::pointer);
    buttonBar->setSelectedSegment(PointerSegment);
    // A failed upload or copy has posted its message; the drawing stays so that the
    // user can try again or save it.
    if (handedOn) {
        paintView->history().setClean();
        close();
    }
}

void EditorWindow::showToolPopover(bool text, QWidget *anchor, const QString &kind, int colorMode,
                                            int segment)
{
    ToolPopover *popover = nullptr;
    if (text) {
        popover = texteditpopover;
    } else if (kind == QLatin1String("color")) {
        colorTarget = colorMode;
        sharedToolBar = buttonBar;
        popover = ColorPalettePopup;
    } else {
        popover = linesizepopup;
    }
    const int anchorLeft = anchor->mapTo(this, QPoint(0, 0)).x();
    // Point at the place of the click; a click made without the pointer points at the
    // middle of the segment.
    int x = 0;
    if (mouselocation && !m_clickedByKey)
        x = mouselocation->x() - anchorLeft;
    else if (ToolBarSegment *clicked = buttonBar->segment(segment))
        x = clicked->mapTo(anchor, clicked->rect().center()).x();
    const QRect place(x, 0, qMax(1, anchor->width() / 50), anchor->height());
    popover->showRelativeToRect(place, anchor);
}
