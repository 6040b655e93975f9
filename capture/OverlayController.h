#pragma once

#include "capture/CaptureChoice.h"
#include "capture/CursorRef.h"

#include <QImage>
#include <QKeySequence>
#include <QPointer>
#include <QObject>

class Notifier;
class OverlayWindow;
class QKeyEvent;
class QLabel;
class QScreen;
class QToolButton;
class SelectionBox;
class SelectionView;

// Drives the overlay of one display: shows that display's frozen picture, lets the
// user select a region and offers the actions on it. The capture service owns one per
// display and reuses it for every capture; the window is built on first use.
//
// The overlay decides nothing beyond its own display: its buttons and keys say what
// the user chose (actionChosen, cancelRequested), and the capture service takes the
// region, closes the overlays and hands the choice on.
class OverlayController : public QObject
{
    Q_OBJECT
public:
    // `name` names the window; `notifier` reports calls the overlay cannot serve.
    OverlayController(const QString &name, Notifier &notifier, QObject *parent = nullptr);
    ~OverlayController() override;

    // The window, built (and set up once) on first access.
    OverlayWindow *window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    // The window is loaded and up.
    bool isOpen() const;

    // The display this overlay covers and its frozen picture, for the capture under way.
    void setDisplay(QScreen *screen, const QImage &picture);
    QScreen *screen() const { return m_screen; }
    QImage picture() const { return m_picture; }

    // Make the overlay ready for a new selection.
    void prepareOverlay();

    // Controls (empty until the window is loaded; a test may take one away).
    QPointer<QToolButton> editButton;
    QPointer<QToolButton> saveButton;
    QPointer<QToolButton> uploadButton;
    QPointer<QToolButton> copyButton;
    QPointer<QToolButton> cancelButton;
    QPointer<QToolButton> pinButton;
    QPointer<QToolButton> copyTextButton;
    QPointer<QLabel> statusLabel;
    QPointer<SelectionView> selectionView;
    QPointer<SelectionBox> selectionBox;

    // How many times this overlay was shown (tests follow captures with it).
    int showCount() const { return m_showCount; }
    // Puts the window on its display, full screen and in front, with the key focus.
    void showFullScreen();
    // Shows the window on `screen` with the server's copy of that display as its
    // background, before the picture itself has arrived; showFullScreen() follows.
    void showOverBackdrop(QScreen *screen, quint32 pixmap);
    // Takes the window down (the picture is let go with it).
    void hideOverlay();

    // Whether a region is selected, and emptying it.
    bool hasSelection() const;
    void clearSelection();
    // Whether the pointer shows this overlay's crosshair (it is over the picture,
    // outside the box).
    bool showsCrosshair() const;

    // A key for the selection: Ctrl+C copies, Ctrl+S saves, Ctrl+P pins, Ctrl+T copies
    // its text, Enter edits, the arrow keys move it and with Ctrl resize it. Returns
    // false for other keys and when nothing is selected.
    bool handleSelectionKey(QKeyEvent *event);
    // Selects the whole display.
    void selectWholeDisplay();
    // Starts a selection under the pointer (or in the middle) for the keyboard.
    void startKeyboardSelection();
    // Lets the pointer pick one of `frames` (global coordinates, topmost first).
    void startWindowPicking(const QList<QRect> &frames);
    void stopWindowPicking();
    // Shows `text` in the middle of the overlay (empty: takes it away).
    void showHint(const QString &text);

public slots:
    void edit();
    void save();
    void upload();
    void copy();
    void cancel();
    void pin();
    void copyText();

signals:
    // The user chose what to do with the selection.
    void actionChosen(CaptureChoice::Action action);
    // The user asked to close the overlays without a choice.
    void cancelRequested();
    // A click made a window's frame this overlay's selection.
    void windowPicked();

private:
    void setUpWindow();
    // The tool tip names `keys` after the text; the accessible name is the text alone.
    QToolButton *makeButton(const QString &icon, const QString &toolTip, void (OverlayController::*action)(),
                            const QKeySequence &keys = QKeySequence());
    // Arrow keys move the selection by a point, with Shift by ten, and with Ctrl
    // resize it; false for other keys.
    bool nudgeForArrowKey(QKeyEvent *event);
    void raiseOnScreen(OverlayWindow *w);

    QString m_name;
    Notifier &m_notifier;
    QPointer<OverlayWindow> m_window;
    QPointer<QScreen> m_screen;
    QImage m_picture;
    CursorRef m_crosshair = CursorRef::system(CursorShape::SystemCrosshair);
    int m_showCount = 0;
    bool m_hasBackdrop = false; // the X window's background is a frozen display
};
