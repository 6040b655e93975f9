#include "capture/OverlayController.h"

#include "capture/CursorImages.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionView.h"
#include "helpers/Notifier.h"
#include "helpers/ResourceImages.h"
#include "platform/XcbShmCapture.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

OverlayController::OverlayController(const QString &name, Notifier &notifier, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_notifier(notifier)
{
}

OverlayController::~OverlayController()
{
    delete m_window;
}

OverlayWindow *OverlayController::window()
{
    if (!m_window) {
        m_window = new OverlayWindow;
        m_window->setObjectName(m_name);
        m_window->setWindowTitle(QStringLiteral("Vornik"));
        setUpWindow();
    }
    return m_window;
}

bool OverlayController::isOpen() const
{
    return m_window && m_window->isVisible();
}

void OverlayController::setDisplay(QScreen *screen, const QImage &picture)
{
    m_screen = screen;
    m_picture = picture;
}

QToolButton *OverlayController::makeButton(const QString &icon, const QString &toolTip,
                                           void (OverlayController::*action)(), const QKeySequence &keys)
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
    connect(button, &QToolButton::clicked, this, action);
    return button;
}

void OverlayController::setUpWindow()
{
    selectionView = m_window->view();
    selectionBox = new SelectionBox(selectionView);
    statusLabel = new QLabel(selectionView);
    statusLabel->setObjectName(QStringLiteral("statusText"));
    statusLabel->setStyleSheet(QStringLiteral("QLabel { background: rgba(0,0,0,160); color: white; padding: 2px 4px; }"));
    statusLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *panel = new QWidget(selectionView);
    panel->setObjectName(QStringLiteral("overlayButtons"));
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    editButton = makeButton(QStringLiteral("overlay-edit"), tr("Edit screenshot now"),
                            &OverlayController::edit, QKeySequence(Qt::Key_Enter));
    saveButton = makeButton(QStringLiteral("overlay-save"), tr("Save screenshot locally"),
                            &OverlayController::save, QKeySequence(QKeySequence::Save));
    uploadButton = makeButton(QStringLiteral("overlay-upload"), tr("Upload/Share screenshot"),
                              &OverlayController::upload);
    copyButton = makeButton(QStringLiteral("overlay-copy"), tr("Copy selection area to clipboard"),
                            &OverlayController::copy, QKeySequence(QKeySequence::Copy));
    // The cancel button's tip is ours: the other four are the window's own texts.
    cancelButton = makeButton(QStringLiteral("overlay-cancel"), tr("Cancel"), &OverlayController::cancel,
                              QKeySequence(Qt::Key_Escape));
    for (QToolButton *button : {editButton.data(), saveButton.data(), uploadButton.data(), copyButton.data(),
                                cancelButton.data()})
        column->addWidget(button);
    // Pin and copy text come after the window's own five, set apart by a gap.
    pinButton = makeButton(QStringLiteral("overlay-pin"), tr("Pin selection to the screen"), &OverlayController::pin,
                           QKeySequence(Qt::CTRL | Qt::Key_P));
    copyTextButton = makeButton(QStringLiteral("overlay-text"), tr("Copy text in the selection"),
                                &OverlayController::copyText, QKeySequence(Qt::CTRL | Qt::Key_T));
    column->addSpacing(6);
    column->addWidget(pinButton);
    column->addWidget(copyTextButton);

    selectionView->setSelectionBox(selectionBox);
    selectionView->setStatusLabel(statusLabel);
    selectionView->setButtonPanel(panel);
    connect(selectionView, &SelectionView::windowPicked, this, &OverlayController::windowPicked);
    selectionView->setSelectionFrame(QRectF());
    prepareOverlay();
}

void OverlayController::prepareOverlay()
{
    if (!selectionBox || !selectionView)
        return;
    if (!crosshairImageAvailable())
        return;
    m_crosshair = CursorRef::fromImage(CursorShape::ImageCrosshair);
    selectionView->applyCursor(m_crosshair, false);

    selectionView->setSelectionBox(selectionBox);
    selectionView->setStatusLabel(statusLabel);
    selectionBox->setFillColor(QColor(255, 255, 255, 204));
    selectionView->setPicture(m_picture);
    if (m_screen && m_window) {
        m_window->setScreen(m_screen);
        m_window->setGeometry(m_screen->geometry());
    }
    selectionView->setSelectionFrame(QRectF());
    selectionView->stopWindowPicking();
    selectionView->showHint(QString());
    selectionView->applyCursor(m_crosshair, true);
}

void OverlayController::showFullScreen()
{
    OverlayWindow *w = window();
    // The picture and the place do not depend on the window's parts being intact.
    if (selectionView)
        selectionView->setPicture(m_picture);
    raiseOnScreen(w);
    ++m_showCount;
}

void OverlayController::showOverBackdrop(QScreen *screen, quint32 pixmap)
{
    OverlayWindow *w = window();
    m_screen = screen;
    setX11WindowBackground(quint32(w->winId()), pixmap);
    m_hasBackdrop = true;
    raiseOnScreen(w);
}

void OverlayController::raiseOnScreen(OverlayWindow *w)
{
    if (m_screen) {
        if (w->screen() != m_screen)
            w->setScreen(m_screen);
        if (w->geometry() != m_screen->geometry())
            w->setGeometry(m_screen->geometry());
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
    if (selectionView) {
        selectionView->applyCursor(CursorRef::arrow(), true);
        selectionView->boxApplyCursor(CursorRef::arrow(), true);
    }
    if (QWindow *handle = m_window->windowHandle())
        handle->setKeyboardGrabEnabled(false);
    m_window->hide();
    // The server lets the frozen copy go with the last reference to it.
    if (m_hasBackdrop) {
        setX11WindowBackground(quint32(m_window->internalWinId()), 0);
        m_hasBackdrop = false;
    }
    // The picture is not needed once the overlay is down; the next capture brings a new one.
    m_picture = QImage();
    if (selectionView)
        selectionView->setPicture(QImage());
}

bool OverlayController::hasSelection() const
{
    return selectionView && !selectionView->selectionFrame().isEmpty();
}

void OverlayController::clearSelection()
{
    if (selectionView)
        selectionView->setSelectionFrame(QRectF());
}

bool OverlayController::showsCrosshair() const
{
    return selectionView && CursorTracker::shared().current() == selectionView->model().crosshairCursor;
}

bool OverlayController::handleSelectionKey(QKeyEvent *event)
{
    if (!hasSelection())
        return false;
    if (nudgeForArrowKey(event))
        return true;
    if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Save))
        save();
    else if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_P))
        pin();
    else if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_T))
        copyText();
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
             && !(event->modifiers() & ~(Qt::KeypadModifier)))
        edit();
    else
        return false;
    return true;
}

bool OverlayController::nudgeForArrowKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers others =
        event->modifiers() & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier);
    if (others)
        return false;
    const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    QPoint by;
    switch (event->key()) {
    case Qt::Key_Left:
        by = QPoint(-step, 0);
        break;
    case Qt::Key_Right:
        by = QPoint(step, 0);
        break;
    case Qt::Key_Up:
        by = QPoint(0, -step);
        break;
    case Qt::Key_Down:
        by = QPoint(0, step);
        break;
    default:
        return false;
    }
    if (event->modifiers() & Qt::ControlModifier)
        selectionView->resizeSelection(by.x(), by.y());
    else
        selectionView->nudgeSelection(by.x(), by.y());
    return true;
}

void OverlayController::selectWholeDisplay()
{
    if (selectionView)
        selectionView->setSelectionFrame(QRectF(selectionView->rect()));
}

void OverlayController::startKeyboardSelection()
{
    if (!selectionView)
        return;
    QPoint at = selectionView->mapFromGlobal(QCursor::pos());
    if (!selectionView->rect().contains(at))
        at = selectionView->rect().center();
    selectionView->startSelectionAt(at);
}

void OverlayController::startWindowPicking(const QList<QRect> &frames)
{
    if (!selectionView || !m_screen)
        return;
    QList<QRect> onThisDisplay;
    for (const QRect &frame : frames)
        onThisDisplay << frame.translated(-m_screen->geometry().topLeft());
    selectionView->startWindowPicking(onThisDisplay);
}

void OverlayController::stopWindowPicking()
{
    if (selectionView)
        selectionView->stopWindowPicking();
}

void OverlayController::showHint(const QString &text)
{
    if (selectionView)
        selectionView->showHint(text);
}

void OverlayController::edit()
{
    if (!selectionBox || !cancelButton) {
        m_notifier.post(tr("Image Editor"), tr("The image selection made an incorrect call to the editor."));
        return;
    }
    emit actionChosen(CaptureChoice::Action::Edit);
}

void OverlayController::save()
{
    if (!selectionBox || !selectionView || !cancelButton || !m_window || !m_screen)
        return;
    emit actionChosen(CaptureChoice::Action::Save);
}

void OverlayController::upload()
{
    if (!selectionBox || !selectionView || !cancelButton || !m_window || !m_screen) {
        m_notifier.post(tr("NOT SAVED TO CLIPBOARD"), tr("There was a problem copying  the selected URL to clipboard."));
        return;
    }
    emit actionChosen(CaptureChoice::Action::Upload);
}

void OverlayController::copy()
{
    if (!selectionBox || !selectionView || !cancelButton || !m_window)
        return;
    emit actionChosen(CaptureChoice::Action::Copy);
}

void OverlayController::cancel()
{
    emit cancelRequested();
}

void OverlayController::pin()
{
    if (selectionBox && selectionView)
        emit actionChosen(CaptureChoice::Action::Pin);
}

void OverlayController::copyText()
{
    if (selectionBox && selectionView)
        emit actionChosen(CaptureChoice::Action::CopyText);
}
