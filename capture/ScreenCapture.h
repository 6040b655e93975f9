#pragma once

#include "capture/CaptureChoice.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QImage;
class QKeyEvent;
class QMouseEvent;
class QScreen;
class CaptureBackend;
class Notifier;
class OverlayController;
class TopLevelWindows;

// Captures every display and shows each in a full-screen overlay of its own.
//
// Every display is grabbed (through the session's capture backend) before the first
// overlay shows, so no overlay appears in another display's picture. The n-th display
// of QGuiApplication::screens() uses the n-th overlay; there are as many overlays as
// displays at the last capture.
//
// While the overlays are up, one application-wide filter hears the keys and the
// presses: Escape closes them, the other keys go to the overlay holding the selection,
// and a press on the crosshair empties every selection. When the user chooses an
// action, the capture takes the region, closes the overlays and emits selectionChosen;
// what follows is the application's business.
//
// The backend may answer later (the screenshot portal does): the overlays show when
// it does, and a capture asked for meanwhile is ignored. A failed capture shows
// nothing and says why in one line on stderr.
class ScreenCapture : public QObject
{
    Q_OBJECT
public:
    // `notifier` tells the user why a capture could not be taken.
    explicit ScreenCapture(std::shared_ptr<Notifier> notifier, QObject *parent = nullptr);
    ~ScreenCapture() override;

    // T + "Vornik/", made private (mode 0700) at construction when missing.
    QString tempDir;

    void captureAllScreens();

    // The backend that takes the pictures: the session's (makeCaptureBackend()), made
    // at the first capture, unless one was handed in (benchmarks time one, tests feed
    // pictures through one).
    CaptureBackend &backend();
    void setBackend(std::unique_ptr<CaptureBackend> backend);
    void closeOverlays();
    void clearSelections();

    // Where the top-level windows are (the session's unless one was handed in).
    TopLevelWindows &windows();
    void setWindows(std::unique_ptr<TopLevelWindows> windows);

    // The overlay of display `index`; nullptr past the last one.
    OverlayController *overlay(int index) const;
    int overlayCount() const { return int(m_overlays.size()); }
    // How many overlays are up.
    int openOverlayCount() const;

    // Removes one folder entry (a folder with all it holds); false when it could not.
    using EntryRemover = std::function<bool(const QString &path)>;
    static bool removeEntry(const QString &path);

    // Removes old screenshots from `folder`: every entry whose name contains ".png"
    // but not "_bannerimage.png" (case-sensitive), in name order, stopping at the
    // first removal that fails. A folder that cannot be listed is left alone, and so
    // are the banner image the settings name and files a pending upload holds.
    static void cleanTemporaryFolder(const QString &folder, const EntryRemover &remove = removeEntry);

signals:
    // Every overlay of a capture has been shown.
    void overlaysShown(int count);
    // The user chose a region and an action; the overlays are down already.
    void selectionChosen(const CaptureChoice &choice);
    // The overlays that were up have been taken down (after a choice, too).
    void overlaysClosed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeTemporaryFolder();
    // Checks the temporary folder before a capture; when another account could reach
    // it, says so on stderr and in a notification and returns false.
    bool temporaryFolderIsPrivate();
    // One overlay for each of `count` displays: new ones are made, surplus ones go.
    void keepOverlays(int count);
    // Puts the overlays up over the server's copies of their displays while the
    // pictures are still being read back.
    void showBackdrops(const QList<QPointer<QScreen>> &screens, const QList<quint32> &pixmaps);
    void takeKeyboard(int attemptsLeft = 50);
    void showOverlays(const QList<QPointer<QScreen>> &screens, const QList<QImage> &pictures, const QString &failure);
    // Takes `overlay`'s selection for `action`; an empty selection leaves everything as it is.
    void choose(OverlayController *overlay, CaptureChoice::Action action);
    void keyPressed(QKeyEvent *event);
    // The keys that choose how to select: F or Ctrl+A the display under the pointer,
    // W the window under it, an arrow with nothing selected a keyboard selection.
    bool modeKeyPressed(QKeyEvent *event, OverlayController *pointed, bool anySelection);
    void pickWindow(OverlayController *pointed);
    void windowPicked(OverlayController *picked);
    // The open overlay under the pointer, else the first open one.
    OverlayController *overlayUnderPointer() const;
    void pointerPressed(QMouseEvent *event);
    void listenToInput(bool listen);

    std::shared_ptr<Notifier> m_notifier;
    std::unique_ptr<CaptureBackend> m_backend;
    std::unique_ptr<TopLevelWindows> m_windows;
    std::vector<std::unique_ptr<OverlayController>> m_overlays;
    bool m_capturing = false;
    bool m_backdropsShown = false; // this capture's overlays went up before their pictures
    bool m_listening = false;      // the input filter is installed
};
