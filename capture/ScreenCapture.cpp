#include "capture/ScreenCapture.h"

#include "capture/EventMonitor.h"
#include "capture/OverlayController.h"
#include "capture/SelectionView.h"
#include "platform/Preferences.h"
#include "helpers/Notifications.h"
#include "helpers/TempFolder.h"
#include "platform/CaptureBackendLoader.h"
#include "platform/CaptureTrace.h"
#include "platform/SettingsKeys.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

ScreenCapture::ScreenCapture(QObject *parent)
    : QObject(parent)
    , tempDir(TempFolder::root() + QStringLiteral("Vornik/"))
    , sc1(new screencapturecontroller1(this))
    , sc2(new screencapture22(this))
    , sc3(new screencapture33(this))
{
    for (OverlayController *overlay : {controller(0), controller(1), controller(2)}) {
        connect(overlay, &OverlayController::closeOverlaysRequested, this, &ScreenCapture::closeOverlays);
        connect(overlay, &OverlayController::clearSelectionsRequested, this, &ScreenCapture::clearSelections);
    }
    makeTemporaryFolder();
}

ScreenCapture::~ScreenCapture() = default;

void ScreenCapture::makeTemporaryFolder()
{
    const QString problem = TempFolder::preparePrivateFolders();
    if (!problem.isEmpty())
        std::fprintf(stderr, "Error: %s\n", qPrintable(problem));
}

bool ScreenCapture::temporaryFolderIsPrivate()
{
    const QString problem = TempFolder::preparePrivateFolders();
    if (problem.isEmpty())
        return true;
    std::fprintf(stderr, "Vornik: not capturing: the temporary folder is not private: %s\n", qPrintable(problem));
    postNotification(QStringLiteral("Temporary Folder Error"),
                     QStringLiteral("Vornik did not take the screenshot, because its temporary folder is not "
                                    "private: %1. Remove it or give it to your account with mode 700.")
                         .arg(problem));
    return false;
}

// Files the clean-up must leave: the banner image named in the settings (on first use
// it is a "_viewimage.png") and files that a pending upload still needs.
static bool isStillNeeded(const QString &path)
{
    const QString banner = Preferences::standard().stringForKey(SettingsKeys::bannerPath);
    return TempFolder::isHeld(path) || (!banner.isEmpty() && QDir::cleanPath(banner) == QDir::cleanPath(path));
}

OverlayController *ScreenCapture::controller(int index) const
{
    switch (index) {
    case 0: return sc1;
    case 1: return sc2;
    case 2: return sc3;
    default: return nullptr;
    }
}

bool ScreenCapture::removeEntry(const QString &path)
{
    const QFileInfo entry(path);
    return entry.isDir() && !entry.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path);
}

void ScreenCapture::cleanTemporaryFolder(const QString &folder, const EntryRemover &remove)
{
    QDir dir(folder);
    if (!dir.exists())
        return;
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (name.contains(QLatin1String("_bannerimage.png")) || !name.contains(QLatin1String(".png")))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        if (isStillNeeded(path))
            continue;
        if (!remove(path))
            return;
    }
}

void ScreenCapture::screenCaptureVorSel(QObject *)
{
    captureAllScreens();
}

void ScreenCapture::captureAllScreens()
{
    // A capture whose pictures are still on their way (the portal's dialog may be up)
    // is not stacked with a second one.
    if (m_capturing)
        return;
    traceCaptureStep("capture-start");
    // Another account must not receive or swap this user's screenshots.
    if (!temporaryFolderIsPrivate()) {
        emit overlaysShown(0);
        return;
    }
    cleanTemporaryFolder(TempFolder::root() + QStringLiteral("Vornik/"));

    // Every display first, so that no overlay is in another display's picture.
    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<QPointer<QScreen>> grabbed(screens.cbegin(), screens.cend());
    QPointer<ScreenCapture> self(this);
    m_capturing = true;
    CaptureBackend &backend = captureBackend();
    backend.setBackdropHandler([self, grabbed](const QList<quint32> &pixmaps) {
        if (self)
            self->showBackdrops(grabbed, pixmaps);
    });
    backend.grabScreens(screens, [self, grabbed](const QList<QImage> &pictures, const QString &failure) {
        if (!self)
            return;
        self->m_capturing = false;
        traceCaptureStep("grabbed");
        self->showOverlays(grabbed, pictures, failure);
    });
    backend.setBackdropHandler({});
}

void ScreenCapture::showBackdrops(const QList<QPointer<QScreen>> &screens, const QList<quint32> &pixmaps)
{
    for (int i = 0; i < screens.size() && i < 3; ++i) {
        if (!pixmaps.value(i) || !screens.at(i))
            break;
        controller(i)->showOverBackdrop(screens.at(i), pixmaps.at(i));
        m_backdropsShown = true;
    }
    // Keys pressed from now on wait in the queue for the key monitors. The grab waits
    // for the server's answer, so it goes after every window's requests.
    if (m_backdropsShown)
        takeKeyboard();
    traceCaptureStep("backdrops-shown");
}

void ScreenCapture::showOverlays(const QList<QPointer<QScreen>> &screens, const QList<QImage> &pictures,
                                 const QString &failure)
{
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "Vornik: screen capture failed: %s\n", qPrintable(failure));
        emit overlaysShown(0);
        return;
    }
    if (screens.isEmpty())
        return;

    int shown = 0;
    for (int i = 0; i < screens.size() && i < 3; ++i) {
        // A display that gave no picture (or went away while it was taken) ends the
        // capture here, so that displays and controllers stay paired by index.
        if (pictures.value(i).isNull() || !screens.at(i)) {
            std::fprintf(stderr, "Vornik: display %d could not be captured\n", i + 1);
            break;
        }
        OverlayController *overlay = controller(i);
        overlay->image = pictures.at(i);
        overlay->myscreen = screens.at(i);
        overlay->delegate = delegate;
        overlay->window();
        if (overlay->benloadedonce)
            overlay->prepareOverlay();
        overlay->removeKeyMonitor();
        overlay->monitor = new EventMonitor(QEvent::KeyPress, [overlay](QEvent *event) {
            overlay->keyDown(static_cast<QKeyEvent *>(event));
        });
        overlay->showFullScreen();
        ++shown;
    }
    if (shown > 0 && !m_backdropsShown)
        takeKeyboard();
    m_backdropsShown = false;
    traceCaptureStep("shown");
    emit overlaysShown(shown);
}

void ScreenCapture::takeKeyboard(int attemptsLeft)
{
    // The overlays bypass the window manager, which gives them no focus: the first one
    // takes the keyboard, and the key monitors hear every key from there. Another
    // program may hold it for a moment (an open menu): try again for a second.
    OverlayWindow *first = controller(0)->window();
    QWindow *handle = first->windowHandle();
    if (!handle || !first->isVisible())
        return;
    if (handle->setKeyboardGrabEnabled(true)) {
        traceCaptureStep("keyboard");
        return;
    }
    if (attemptsLeft > 0)
        QTimer::singleShot(20, this, [this, attemptsLeft] { takeKeyboard(attemptsLeft - 1); });
}

void ScreenCapture::closeOverlays()
{
    // The slots of displays still present; an overlay still up on a display that has
    // gone since is taken down too.
    const int displays = int(QGuiApplication::screens().size());
    for (int i = 0; i < 3; ++i) {
        OverlayController *overlay = controller(i);
        const bool open = overlay->isWindowLoaded() && overlay->window()->isVisible();
        if (i < std::max(displays, 1) || open)
            overlay->hideOverlay();
    }
}

void ScreenCapture::clearSelections()
{
    const int displays = int(QGuiApplication::screens().size());
    for (int i = 0; i < 3 && i < std::max(displays, 1); ++i) {
        OverlayController *overlay = controller(i);
        if (overlay->imageView)
            overlay->imageView->setSelectionFrame(QRectF());
    }
}
