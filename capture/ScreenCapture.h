#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class AppRequests;
class QImage;
class QScreen;
class OverlayController;
class screencapturecontroller1;
class screencapture22;
class screencapture33;

// Captures every display and shows the first three in full-screen overlays.
//
// Every display is grabbed (through the session's capture backend) before the first
// overlay shows, so no overlay appears in another display's picture. The n-th display
// always uses the n-th overlay controller; a fourth display is grabbed but gets none.
//
// The backend may answer later (the screenshot portal does): the overlays show when
// it does, and a capture asked for meanwhile is ignored. A failed capture shows
// nothing and says why in one line on stderr.
class ScreenCapture : public QObject
{
    Q_OBJECT
public:
    explicit ScreenCapture(QObject *parent = nullptr);
    ~ScreenCapture() override;

    // Handed on to each overlay; set by the application at start-up.
    AppRequests *delegate = nullptr;

    // T + "Vornik/", made private (mode 0700) at construction when missing.
    QString tempDir;
    screencapturecontroller1 *sc1;
    screencapture22 *sc2;
    screencapture33 *sc3;

    void captureAllScreens();
    void closeOverlays();
    void clearSelections();

    // The controller of display slot 0, 1 or 2; nullptr otherwise.
    OverlayController *controller(int index) const;

    // Removes one folder entry (a folder with all it holds); false when it could not.
    using EntryRemover = std::function<bool(const QString &path)>;
    static bool removeEntry(const QString &path);

    // Removes old screenshots from `folder`: every entry whose name contains ".png"
    // but not "_bannerimage.png" (case-sensitive), in name order, stopping at the
    // first removal that fails. A folder that cannot be listed is left alone, and so
    // are the banner image the settings name and files a pending upload holds.
    static void cleanTemporaryFolder(const QString &folder, const EntryRemover &remove = removeEntry);

public slots:
    void screenCaptureVorSel(QObject *sender = nullptr);

signals:
    // Every overlay of a capture has been shown.
    void overlaysShown(int count);

private:
    void makeTemporaryFolder();
    // Checks the temporary folder before a capture; when another account could reach
    // it, says so on stderr and in a notification and returns false.
    static bool temporaryFolderIsPrivate();
    // Puts the overlays up over the server's copies of their displays while the
    // pictures are still being read back.
    void showBackdrops(const QList<QPointer<QScreen>> &screens, const QList<quint32> &pixmaps);
    void takeKeyboard(int attemptsLeft = 50);
    void showOverlays(const QList<QPointer<QScreen>> &screens, const QList<QImage> &pictures, const QString &failure);

    bool m_capturing = false;
    bool m_backdropsShown = false; // this capture's overlays went up before their pictures
};
