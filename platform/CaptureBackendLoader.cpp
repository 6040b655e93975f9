#include "platform/CaptureBackendLoader.h"

#include "platform/PortalCapture.h"
#include "platform/ScreenGrabBackend.h"
#include "platform/XcbShmCapture.h"

std::unique_ptr<CaptureBackend> makeCaptureBackend()
{
    if (captureUsesPortal())
        return std::make_unique<PortalCapture>();
    if (requestedCaptureBackend() == QLatin1String("qscreen"))
        return std::make_unique<ScreenGrabBackend>();
    if (auto shm = XcbShmCapture::create())
        return shm;
    return std::make_unique<ScreenGrabBackend>();
}
