#include "capture/ScreenCapture.h"

#include "capture/OverlayController.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionView.h"
#include "output/SelectionSurface.h"
#include "platform/Preferences.h"
#include "helpers/Notifier.h"
#include "helpers/TempFolder.h"
#include "platform/CaptureBackendLoader.h"
#include "platform/CaptureTrace.h"
#include "platform/SettingsKeys.h"
#include "platform/TopLevelWindows.h"

#include <QAbstractButton>
#include <QCursor>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

ScreenCapture::ScreenCapture(std::shared_ptr<Notifier> notifier, QObject *parent)
    : QObject(parent)
    , tempDir(TempFolder::root() + QStringLiteral("Vornik/"))
    , m_notifier(std::move(notifier))
{
    keepOverlays(int(QGuiApplication::screens().size()));
    makeTemporaryFolder();
}

ScreenCapture::~ScreenCapture()
{
    listenToInput(false);
}

CaptureBackend &ScreenCapture::backend()
{
    if (!m_backend)
        m_backend = makeCaptureBackend();
    return *m_backend;
}

void ScreenCapture::setBackend(std::unique_ptr<CaptureBackend> backend)
{
    m_backend = std::move(backend);
}

TopLevelWindows &ScreenCapture::windows()
{
    if (!m_windows)
        m_windows = makeTopLevelWindows();
    return *m_windows;
}

void ScreenCapture::setWindows(std::unique_ptr<TopLevelWindows> windows)
{
    m_windows = std::move(windows);
}

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
    //: %1 says what is wrong with the folder, "/tmp/Vornik is a symbolic link" for instance.
    const QString text = tr("Vornik did not take the screenshot, because its temporary folder is not "
                            "private: %1. Remove it or give it to your account with mode 700.");
    m_notifier->post(tr("Temporary Folder Error"), text.arg(problem));
    return false;
}

// Files the clean-up must leave: the banner image named in the settings (on first use
// it is a "_viewimage.png") and files that a pending upload still needs.
static bool isStillNeeded(const QString &path)
{
    const QString banner = Preferences::standard().stringForKey(SettingsKeys::bannerPath);
    return TempFolder::isHeld(path) || (!banner.isEmpty() && QDir::cleanPath(banner) == QDir::cleanPath(path));
}

OverlayController *ScreenCapture::overlay(int index) const
{
    return index >= 0 && index < overlayCount() ? m_overlays[size_t(index)].get() : nullptr;
}

int ScreenCapture::openOverlayCount() const
{
    int open = 0;
    for (const auto &overlay : m_overlays)
        open += overlay->isOpen();
    return open;
}

void ScreenCapture::keepOverlays(int count)
{
    count = std::max(count, 1);
    if (overlayCount() > count)
        m_overlays.resize(size_t(count));
    while (overlayCount() < count) {
        auto overlay = std::make_unique<OverlayController>(
            QStringLiteral("captureOverlay%1").arg(overlayCount() + 1), *m_notifier);
        OverlayController *raw = overlay.get();
        connect(raw, &OverlayController::actionChosen, this,
                [this, raw](CaptureChoice::Action action) { choose(raw, action); });
        connect(raw, &OverlayController::cancelRequested, this, &ScreenCapture::closeOverlays);
        connect(raw, &OverlayController::windowPicked, this, [this, raw] { windowPicked(raw); });
        m_overlays.push_back(std::move(overlay));
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
    keepOverlays(int(screens.size()));
    QPointer<ScreenCapture> self(this);
    m_capturing = true;
    CaptureBackend &backend = this->backend();
    backend.setBackdropHandler([self, grabbed](const QList<quint32> &pixmaps) {
        if (self)
            self->showBackdrops(grabbed, pixmaps);
    });
    // A capture that waits for the user's permission, or was refused it, says so.
    backend.setNoticeHandler([notifier = m_notifier](const QString &title, const QString &text) {
        notifier->post(title, text);
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
    for (int i = 0; i < screens.size() && i < overlayCount(); ++i) {
        if (!pixmaps.value(i) || !screens.at(i))
            break;
        overlay(i)->showOverBackdrop(screens.at(i), pixmaps.at(i));
        m_backdropsShown = true;
    }
    // Keys pressed from now on wait in the queue for the input filter. The grab waits
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
    for (int i = 0; i < screens.size() && i < overlayCount(); ++i) {
        // A display that gave no picture (or went away while it was taken) ends the
        // capture here, so that displays and overlays stay paired by index.
        if (pictures.value(i).isNull() || !screens.at(i)) {
            std::fprintf(stderr, "Vornik: display %d could not be captured\n", i + 1);
            break;
        }
        OverlayController *overlay = this->overlay(i);
        overlay->setDisplay(screens.at(i), pictures.at(i));
        overlay->window();
        overlay->prepareOverlay();
        overlay->showFullScreen();
        ++shown;
    }
    if (shown > 0)
        listenToInput(true);
    if (shown > 0 && !m_backdropsShown)
        takeKeyboard();
    m_backdropsShown = false;
    traceCaptureStep("shown");
    emit overlaysShown(shown);
}

void ScreenCapture::takeKeyboard(int attemptsLeft)
{
    // The overlays bypass the window manager, which gives them no focus: the first one
    // takes the keyboard, and the input filter hears every key from there. Another
    // program may hold it for a moment (an open menu): try again for a second.
    OverlayWindow *first = overlay(0)->window();
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
    listenToInput(false);
    const bool wereOpen = openOverlayCount() > 0;
    for (const auto &overlay : m_overlays)
        overlay->hideOverlay();
    if (wereOpen)
        emit overlaysClosed();
}

void ScreenCapture::clearSelections()
{
    for (const auto &overlay : m_overlays)
        overlay->clearSelection();
}

void ScreenCapture::choose(OverlayController *overlay, CaptureChoice::Action action)
{
    SelectionView *view = overlay->selectionView;
    if (!view)
        return;
    const RenderedSelection rendered = renderSelectionImage(*view);
    if (rendered.frame.isEmpty())
        return;
    const QPointer<QScreen> screen = overlay->screen();
    const CaptureChoice choice{action, rendered.image, screen, rendered.frame};
    // A copy is offered while the overlay still has the keyboard: GNOME's and KDE's
    // compositors take a clipboard only from the focused window. Otherwise the
    // overlays are gone before anything is encoded or opened.
    if (action == CaptureChoice::Action::Copy) {
        emit selectionChosen(choice);
        closeOverlays();
        return;
    }
    closeOverlays();
    emit selectionChosen(choice);
}

void ScreenCapture::listenToInput(bool listen)
{
    if (listen == m_listening || !QCoreApplication::instance())
        return;
    m_listening = listen;
    if (listen)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

bool ScreenCapture::eventFilter(QObject *watched, QEvent *event)
{
    // Input reaches the window (QWindow) first and is then passed down to widgets;
    // watching only the window level sees each event exactly once. The event goes on
    // as usual either way.
    if (!watched->isWindowType())
        return false;
    if (event->type() == QEvent::KeyPress)
        keyPressed(static_cast<QKeyEvent *>(event));
    else if (event->type() == QEvent::MouseButtonPress)
        pointerPressed(static_cast<QMouseEvent *>(event));
    return false;
}

void ScreenCapture::keyPressed(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        closeOverlays();
        return;
    }
    // The keyboard is grabbed by the first overlay, so the key goes to the overlay
    // holding the selection: the active one if it holds one, else the first that does.
    OverlayController *target = nullptr;
    for (const auto &overlay : m_overlays) {
        overlay->showHint(QString()); // a hint lasts until the next key
        if (!overlay->isOpen() || !overlay->hasSelection())
            continue;
        if (!target || overlay->window()->isActiveWindow())
            target = overlay.get();
    }
    OverlayController *pointed = overlayUnderPointer();
    if (pointed && modeKeyPressed(event, pointed, target != nullptr))
        return;
    if (target)
        target->handleSelectionKey(event);
}

bool ScreenCapture::modeKeyPressed(QKeyEvent *event, OverlayController *pointed, bool anySelection)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((key == Qt::Key_F && !modifiers) || event->matches(QKeySequence::SelectAll)) {
        clearSelections();
        pointed->selectWholeDisplay();
        return true;
    }
    if (key == Qt::Key_W && !modifiers) {
        pickWindow(pointed);
        return true;
    }
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (arrow && !anySelection) {
        pointed->startKeyboardSelection();
        return true;
    }
    return false;
}

OverlayController *ScreenCapture::overlayUnderPointer() const
{
    const QPoint pointer = QCursor::pos();
    OverlayController *first = nullptr;
    for (const auto &overlay : m_overlays) {
        if (!overlay->isOpen())
            continue;
        if (overlay->screen() && overlay->screen()->geometry().contains(pointer))
            return overlay.get();
        if (!first)
            first = overlay.get();
    }
    return first;
}

void ScreenCapture::pickWindow(OverlayController *pointed)
{
    const QString unavailable = windows().unavailableReason();
    if (!unavailable.isEmpty()) {
        pointed->showHint(unavailable);
        return;
    }
    // The frozen pictures show the windows where they are now.
    const QList<QRect> frames = windows().frames();
    for (const auto &overlay : m_overlays) {
        if (overlay->isOpen())
            overlay->startWindowPicking(frames);
    }
    pointed->showHint(tr("Click a window to select it."));
}

void ScreenCapture::windowPicked(OverlayController *picked)
{
    for (const auto &overlay : m_overlays) {
        overlay->stopWindowPicking();
        overlay->showHint(QString());
        if (overlay.get() != picked)
            overlay->clearSelection();
    }
}

void ScreenCapture::pointerPressed(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A press on an overlay button acts on the selection; it must not empty it first.
    if (qobject_cast<QAbstractButton *>(QApplication::widgetAt(event->globalPosition().toPoint())))
        return;
    // A press on the crosshair starts a new selection: the old ones, on every display, go.
    for (const auto &overlay : m_overlays) {
        if (overlay->isOpen() && overlay->showsCrosshair()) {
            clearSelections();
            return;
        }
    }
}
