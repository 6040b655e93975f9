#pragma once

#include "capture/CursorIdentity.h"

#include <QImage>
#include <QKeySequence>
#include <QPointer>
#include <QWidget>

class AppRequests;
class EventMonitor;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QScreen;
class QToolButton;
class SelectionBox;
class SelectionView;

// The full-screen window of one overlay: frameless, above all other windows, filled by
// the selection view.
class OverlayWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OverlayWindow(QWidget *parent = nullptr);
    SelectionView *view() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    SelectionView *m_view;
};

// Drives the overlay of one display slot: shows that display's frozen picture, lets
// the user select a region and hands it to the action buttons. The capture service
// owns one per slot and reuses it for every capture; the window is built on first use.
class OverlayController : public QObject
{
    Q_OBJECT
public:
    // `resourceName` names the window ("screencapture1", "screencapture22", ...).
    OverlayController(const QString &resourceName, QObject *parent = nullptr);
    ~OverlayController() override;

    // The window, built (and set up once) on first access.
    OverlayWindow *window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    QString resourceName() const { return m_resourceName; }

    // Make the overlay ready for a new selection.
    void prepareOverlay();
    // Drops the key-down monitor, if one is installed.
    void removeKeyMonitor();

    // Controls (empty until the window is loaded; a test may take one away).
    QPointer<QToolButton> editcell;
    QPointer<QToolButton> savecell;
    QPointer<QToolButton> uploadcell;
    QPointer<QToolButton> clipboardcopy;
    QPointer<QToolButton> cxlbutton;
    QPointer<QLabel> statusText;
    QPointer<SelectionView> imageView;
    QPointer<SelectionBox> movingView;

    QPointer<QScreen> myscreen;
    AppRequests *delegate = nullptr;
    QPointer<QWidget> paintwindowController;   // the editor opened from this overlay
    bool benloadedonce = false;
    QImage image;
    CursorRef crosshaircursor = CursorRef::system(CursorShape::SystemCrosshair);
    EventMonitor *monitor = nullptr;

    // How many times this overlay was shown (tests follow captures with it).
    int showCount() const { return m_showCount; }
    // Puts the window on its display, full screen and in front, with the key focus.
    void showFullScreen();
    // Shows the window on `screen` with the server's copy of that display as its
    // background, before the picture itself has arrived; showFullScreen() follows.
    void showOverBackdrop(QScreen *screen, quint32 pixmap);
    // Takes the window down (the picture is let go with it).
    void hideOverlay();

public slots:
    void captureSSClick(QObject *sender = nullptr);
    void savelocalclick(QObject *sender = nullptr);
    void uploadclick(QObject *sender = nullptr);
    void copytoclipboardClick(QObject *sender = nullptr);
    void cancelclick(QObject *sender = nullptr);

signals:
    // Without a delegate the overlay asks its capture service through these.
    void closeOverlaysRequested();
    void clearSelectionsRequested();

public:
    // Every left press in the application (installed once, with the window).
    void mouseDown(QMouseEvent *event);
    // Every key press while the overlay is open (through the capture's key monitor):
    // Escape closes; with a selection, Ctrl+C copies, Ctrl+S saves, Enter edits and
    // the arrow keys move it.
    void keyDown(QKeyEvent *event);

private:
    void windowDidLoad();
    // The tool tip names `keys` after the text; the accessible name is the text alone.
    QToolButton *makeButton(const QString &icon, const QString &toolTip, void (OverlayController::*action)(QObject *),
                            const QKeySequence &keys = QKeySequence());
    // Arrow keys move the selection by a point, with Shift by ten; false for other keys.
    bool nudgeForArrowKey(QKeyEvent *event);
    void closeAllOverlays();
    void clearAllSelections();

    QString m_resourceName;
    QPointer<OverlayWindow> m_window;
    EventMonitor *m_mouseMonitor = nullptr;
    int m_showCount = 0;
    bool m_hasBackdrop = false; // the X window's background is a frozen display

    void raiseOnScreen(OverlayWindow *w);
};

class screencapturecontroller1 : public OverlayController
{
    Q_OBJECT
public:
    explicit screencapturecontroller1(QObject *parent = nullptr);
};

class screencapture22 : public OverlayController
{
    Q_OBJECT
public:
    explicit screencapture22(QObject *parent = nullptr);
public slots:
    void CancelVornikWithSender(QObject *sender = nullptr);
};

class screencapture33 : public OverlayController
{
    Q_OBJECT
public:
    explicit screencapture33(QObject *parent = nullptr);
public slots:
    void CancelVornikWithSender(QObject *sender = nullptr);
};
