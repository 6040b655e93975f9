#include "platform/CaptureBackendLoader.h"

#include "platform/PortalCapture.h"
#include "platform/ScreenGrabBackend.h"
#include "platform/XcbShmCapture.h"

namespace {

std::unique_ptr<CaptureBackend> &backendSlot()
{
    static std::unique_ptr<CaptureBackend> backend;
    return backend;
}

} // namespace

CaptureBackend &captureBackend()
{
    std::unique_ptr<CaptureBackend> &slot = backendSlot();
    if (!slot) {
        if (captureUsesPortal())
            slot = std::make_unique<PortalCapture>();
        else if (requestedCaptureBackend() == QLatin1String("qscreen"))
            slot = std::make_unique<ScreenGrabBackend>();
        else if (auto shm = XcbShmCapture::create())
            slot = std::move(shm);
        else
            slot = std::make_unique<ScreenGrabBackend>();
    }
    return *slot;
}

void setCaptureBackend(std::unique_ptr<CaptureBackend> backend)
{
    backendSlot() = std::move(backend);
}
