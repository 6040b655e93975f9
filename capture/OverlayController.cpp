#include "capture/OverlayController.h"

#include "helpers/AppRequests.h"
#include "capture/CursorImages.h"
#include "capture/EventMonitor.h"
#include "capture/SelectionView.h"
#include "helpers/Notifications.h"
#include "output/OverlayActions.h"
#include "helpers/ResourceImages.h"
#include "platform/XcbShmCapture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

// Past the window manager: the server maps the window at once, above every managed
// window, where a managed one waits for the manager's answer and may be refused the
// focus. The keys come through the keyboard grab the capture takes.
OverlayWindow::OverlayWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint)
    , m_view(new SelectionView(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
}

void OverlayWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}

OverlayController::OverlayController(const QString &resourceName, QObject *parent)
    : QObject(parent)
    , m_resourceName(resourceName)
{
}

OverlayController::~OverlayController()
{
    removeKeyMonitor();
    delete m_mouseMonitor;
    delete m_window;
}

OverlayWindow *OverlayController::window()
{
    if (!m_window) {
        m_window = new OverlayWindow;
        m_window->setObjectName(m_resourceName);
        m_window->setWindowTitle(QStringLiteral("Vornik"));
        windowDidLoad();
    }
    return m_window;
}

QToolButton *OverlayController::makeButton(const QString &icon, const QString &toolTip,
                                           void (OverlayController::*action)(QObject *), const QKeySequence &keys)
{
    auto *button = new QToolButton;
    button->setIcon(iconNamed(icon));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(22, 21);
    button->setAutoRaise(true);
    button->setCursor(Qt::ArrowCursor);
    // The key is shown to the eye only: screen readers and scripts know the button by
    // its plain text.
    button->setToolTip(keys.isEmpty() ? toolTip
                                      : toolTip + QStringLiteral(" (") + keys.toString(QKeySequence::NativeText)
                                            + QLatin1Char(')'));
    button->setAccessibleName(toolTip);
    connect(button, &QToolButton::clicked, this, [this, button, action] { (this->*action)(button); });
    return button;
}

void OverlayController::windowDidLoad()
{
    imageView = m_window->view();
    movingView = new SelectionBox(imageView);
    statusText = new QLabel(imageView);
    statusText->setObjectName(QStringLiteral("statusText"));
    statusText->setStyleSheet(QStringLiteral("QLabel { background: rgba(0,0,0,160); color: white; padding: 2px 4px; }"));
    statusText->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *panel = new QWidget(imageView);
    panel->setObjectName(QStringLiteral("overlayButtons"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    editcell = makeButton(QStringLiteral("overlay-edit"), QStringLiteral("Edit screenshot now"),
                          &OverlayController::captureSSClick, QKeySequence(Qt::Key_Enter));
    savecell = makeButton(QStringLiteral("overlay-save"), QStringLiteral("Save screenshot locally"),
                          &OverlayController::savelocalclick, QKeySequence(QKeySequence::Save));
    uploadcell = makeButton(QStringLiteral("overlay-upload"), QStringLiteral("Upload/Share screenshot"),
                            &OverlayController::uploadclick);
    clipboardcopy = makeButton(QStringLiteral("overlay-copy"), QStringLiteral("Copy selection area to clipboard"),
                               &OverlayController::copytoclipboardClick, QKeySequence(QKeySequence::Copy));
    // The cancel button's tip is ours: the other four are the window's own texts.
    cxlbutton = makeButton(QStringLiteral("overlay-cancel"), QStringLiteral("Cancel"), &OverlayController::cancelclick,
                           QKeySequence(Qt::Key_Escape));
    for (QToolButton *button : {editcell.data(), savecell.data(), uploadcell.data(), clipboardcopy.data(), cxlbutton.data()})
        column->addWidget(button);

    imageView->setSelectionBox(movingView);
    imageView->setStatusLabel(statusText);
    imageView->setButtonPanel(panel);
    imageView->setSelectionFrame(QRectF());

    m_mouseMonitor = new EventMonitor(QEvent::MouseButtonPress, [this](QEvent *event) {
        mouseDown(static_cast<QMouseEvent *>(event));
    });
    benloadedonce = true;
    prepareOverlay();
}

void OverlayController::prepareOverlay()
{
    if (!movingView || !imageView)
        return;
    if (!crosshairImageAvailable())
        return;
    crosshaircursor = CursorRef::fromImage(CursorShape::ImageCrosshair);
    imageView->applyCursor(crosshaircursor, false);

    imageView->setSelectionBox(movingView);
    imageView->setStatusLabel(statusText);
    movingView->setFillColor(QColor(255, 255, 255, 204));
    imageView->setPicture(image);
    if (myscreen && m_window) {
        m_window->setScreen(myscreen);
        m_window->setGeometry(myscreen->geometry());
    }
    imageView->setSelectionFrame(QRectF());
    imageView->applyCursor(crosshaircursor, true);
}

void OverlayController::showFullScreen()
{
    OverlayWindow *w = window();
    // The picture and the place do not depend on the window's parts being intact.
    if (imageView)
        imageView->setPicture(image);
    raiseOnScreen(w);
    ++m_showCount;
}

void OverlayController::showOverBackdrop(QScreen *screen, quint32 pixmap)
{
    OverlayWindow *w = window();
    myscreen = screen;
    setX11WindowBackground(quint32(w->winId()), pixmap);
    m_hasBackdrop = true;
    raiseOnScreen(w);
}

void OverlayController::raiseOnScreen(OverlayWindow *w)
{
    if (myscreen) {
        if (w->screen() != myscreen)
            w->setScreen(myscreen);
        if (w->geometry() != myscreen->geometry())
            w->setGeometry(myscreen->geometry());
    }
    // Without a window manager the geometry set above is what counts; with one, the
    // full-screen state keeps panels and docks out of the way.
    if (!w->isVisible())
        w->showFullScreen();
    w->raise();
    w->activateWindow();
}

void OverlayController::hideOverlay()
{
    if (!m_window)
        return;
    if (imageView) {
        imageView->applyCursor(CursorRef::arrow(), true);
        imageView->boxApplyCursor(CursorRef::arrow(), true);
    }
    removeKeyMonitor();
    if (QWindow *handle = m_window->windowHandle())
        handle->setKeyboardGrabEnabled(false);
    m_window->hide();
    // The server lets the frozen copy go with the last reference to it.
    if (m_hasBackdrop) {
        setX11WindowBackground(quint32(m_window->internalWinId()), 0);
        m_hasBackdrop = false;
    }
    // The picture is not needed once the overlay is down; the next capture brings a new one.
    image = QImage();
    if (imageView)
        imageView->setPicture(QImage());
}

void OverlayController::removeKeyMonitor()
{
    if (!monitor)
        return;
    // Often called from inside the monitor's own handler (Escape closes the
    // overlays): stop it now, free it once the event is through.
    monitor->stop();
    monitor->deleteLater();
    monitor = nullptr;
}

void OverlayController::keyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        closeAllOverlays();
        return;
    }
    // The other keys act on a selection, and every overlay hears them: only the one
    // holding a selection answers.
    if (!imageView || imageView->selectionFrame().isEmpty())
        return;
    if (nudgeForArrowKey(event))
        return;
    if (event->matches(QKeySequence::Copy))
        copytoclipboardClick(clipboardcopy);
    else if (event->matches(QKeySequence::Save))
        savelocalclick(savecell);
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
             && !(event->modifiers() & ~(Qt::KeypadModifier)))
        captureSSClick(editcell);
}

bool OverlayController::nudgeForArrowKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers others = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (others)
        return false;
    const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        imageView->nudgeSelection(-step, 0);
        return true;
    case Qt::Key_Right:
        imageView->nudgeSelection(step, 0);
        return true;
    case Qt::Key_Up:
        imageView->nudgeSelection(0, -step);
        return true;
    case Qt::Key_Down:
        imageView->nudgeSelection(0, step);
        return true;
    default:
        return false;
    }
}

void OverlayController::mouseDown(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !imageView)
        return;
    // A press on an overlay button acts on the selection; it must not empty it first.
    if (qobject_cast<QAbstractButton *>(QApplication::widgetAt(event->globalPosition().toPoint())))
        return;
    if (CursorTracker::shared().current() == imageView->model().crosshaircursor)
        clearAllSelections();
}

void OverlayController::closeAllOverlays()
{
    if (delegate)
        delegate->closeOverlays();
    else
        emit closeOverlaysRequested();
}

void OverlayController::clearAllSelections()
{
    if (delegate)
        delegate->clearSelections();
    else
        emit clearSelectionsRequested();
}

void OverlayController::captureSSClick(QObject *)
{
    if (!movingView || !cxlbutton || !delegate) {
        postNotification(QStringLiteral("Image Editor"),
                         QStringLiteral("The image selection made an incorrect call to the editor."));
        return;
    }
    removeKeyMonitor();
    openSelectionInEditor(OverlayContext{delegate, imageView, myscreen, &paintwindowController});
}

void OverlayController::savelocalclick(QObject *)
{
    if (!delegate || !movingView || !imageView || !cxlbutton || !m_window || !myscreen)
        return;
    removeKeyMonitor();
    saveSelectionLocally(OverlayContext{delegate, imageView, myscreen, &paintwindowController});
}

void OverlayController::uploadclick(QObject *)
{
    if (!delegate || !movingView || !imageView || !cxlbutton || !m_window || !myscreen) {
        postNotification(QStringLiteral("NOT SAVED TO CLIPBOARD"),
                         QStringLiteral("There was a problem copying  the selected URL to clipboard."));
        return;
    }
    uploadSelection(OverlayContext{delegate, imageView, myscreen, &paintwindowController});
}

void OverlayController::copytoclipboardClick(QObject *)
{
    if (!movingView || !delegate || !imageView || !cxlbutton || !m_window)
        return;
    copySelectionToClipboard(OverlayContext{delegate, imageView, myscreen, &paintwindowController});
}

void OverlayController::cancelclick(QObject *)
{
    closeAllOverlays();
}

screencapturecontroller1::screencapturecontroller1(QObject *parent)
    : OverlayController(QStringLiteral("screencapture1"), parent)
{
}

screencapture22::screencapture22(QObject *parent)
    : OverlayController(QStringLiteral("screencapture22"), parent)
{
}

void screencapture22::CancelVornikWithSender(QObject *sender)
{
    cancelclick(sender);
}

screencapture33::screencapture33(QObject *parent)
    : OverlayController(QStringLiteral("screencapture33"), parent)
{
}

void screencapture33::CancelVornikWithSender(QObject *sender)
{
    cancelclick(sender);
}
