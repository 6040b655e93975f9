#include "platform/CaptureBackendLoader.h"

#include "platform/FallbackCapture.h"
#include "platform/KWinScreenShotCapture.h"
#include "platform/PortalCapture.h"
#include "platform/ScreenGrabBackend.h"
#include "platform/WlrScreencopyCapture.h"
#include "platform/XcbShmCapture.h"

#include <QGuiApplication>

namespace {
// The compositor's own interface on Wayland: KWin's ScreenShot2, else wlroots'
// screencopy; null on the others (GNOME Shell keeps its screenshot call to itself).
std::unique_ptr<CaptureBackend> nativeWaylandBackend()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return nullptr;
    if (KWinScreenShotCapture::available())
        return std::make_unique<KWinScreenShotCapture>();
    return WlrScreencopyCapture::create();
}
} // namespace

bool captureBackendAvailable()
{
    if (!captureUsesPortal() || PortalScreenshot::servicePresent())
        return true;
    return requestedCaptureBackend() != QLatin1String("portal") && nativeWaylandBackend() != nullptr;
}

std::unique_ptr<CaptureBackend> makeCaptureBackend()
{
    if (captureUsesPortal()) {
        auto native = requestedCaptureBackend() == QLatin1String("portal") ? nullptr : nativeWaylandBackend();
        if (native)
            return std::make_unique<FallbackCapture>(std::move(native), std::make_unique<PortalCapture>());
        return std::make_unique<PortalCapture>();
    }
    if (requestedCaptureBackend() == QLatin1String("qscreen"))
        return std::make_unique<ScreenGrabBackend>();
    if (auto shm = XcbShmCapture::create())
        return shm;
    return std::make_unique<ScreenGrabBackend>();
}
