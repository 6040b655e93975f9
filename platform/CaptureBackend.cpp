#include "platform/CaptureBackend.h"

#include "platform/XcbShmCapture.h"

#include <QPixmap>
#include <QScreen>

QImage ScreenGrabBackend::grabScreen(QScreen *screen)
{
    if (!screen)
        return QImage();
    QImage image = screen->grabWindow(0).toImage();
    if (!image.isNull())
        image.setDevicePixelRatio(screen->devicePixelRatio());
    return image;
}

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
        if (auto shm = XcbShmCapture::create())
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
