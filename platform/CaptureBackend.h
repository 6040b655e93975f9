#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QScreen;

// Takes the picture of one display. The capture service asks the process's backend
// for every display before it shows any overlay and never learns which backend ran.
//
// The picture holds the display's device pixels, with the display's device pixel
// ratio set on it. A null image means the display could not be grabbed.
class CaptureBackend
{
public:
    virtual ~CaptureBackend() = default;
    virtual QString name() const = 0;
    virtual QImage grabScreen(QScreen *screen) = 0;

    // The pictures of `screens`, in their order, or an empty list and why not.
    using ScreensGrabbed = std::function<void(const QList<QImage> &pictures, const QString &failure)>;

    // Grabs every display in `screens` and hands the pictures to `done`. Backends that
    // read the screens themselves call `done` before returning; one that has to ask
    // another process calls it later from the event loop, exactly once.
    virtual void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done);

    // A backend that can first copy the displays into pixmaps on the X server hands
    // them to this handler, in the order of `screens` (0 for a display it could not
    // copy), before it reads their pixels back: windows that take them as background
    // are drawn by the server as soon as they are mapped. The pixmaps are freed after
    // grabScreens(); a window keeps its background until it is given another.
    using BackdropsReady = std::function<void(const QList<quint32> &pixmaps)>;
    void setBackdropHandler(BackdropsReady handler) { m_backdropsReady = std::move(handler); }

    // What the user should hear while a capture waits (for a permission the desktop asks
    // for) or when it ends unusually (that permission refused): a title and a text.
    using Notice = std::function<void(const QString &title, const QString &text)>;
    void setNoticeHandler(Notice handler) { m_notice = std::move(handler); }

protected:
    // grabScreen for a backend that answers from the event loop: asks for the one
    // display and runs a local loop until the answer comes.
    QImage grabOneWaiting(QScreen *screen);

    BackdropsReady m_backdropsReady;
    Notice m_notice;
};

// Whether this session may need the desktop's screenshot portal: on Wayland (where it
// stands behind the compositor's own capture, if any), or when
// VORNIK_CAPTURE_BACKEND=portal asks for it.
bool captureUsesPortal();

// VORNIK_CAPTURE_BACKEND, trimmed and in lower case ("portal", "qscreen" or empty).
QString requestedCaptureBackend();
