#include "platform/CaptureBackend.h"

#include "platform/PortalCapture.h"
#include "platform/XcbShmCapture.h"

#include <QGuiApplication>
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

void CaptureBackend::grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    QList<QImage> pictures;
    pictures.reserve(screens.size());
    for (QScreen *screen : screens)
        pictures.append(grabScreen(screen));
    done(pictures, QString());
}

namespace {
QString requestedBackend()
{
    return qEnvironmentVariable("VORNIK_CAPTURE_BACKEND").trimmed().toLower();
}

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
        else if (requestedBackend() == QLatin1String("qscreen"))
            slot = std::make_unique<ScreenGrabBackend>();
        else if (auto shm = XcbShmCapture::create())
            slot = std::move(shm);
        else
            slot = std::make_unique<ScreenGrabBackend>();
    }
    return *slot;
}

bool captureUsesPortal()
{
    return requestedBackend() == QLatin1String("portal")
        || QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void setCaptureBackend(std::unique_ptr<CaptureBackend> backend)
{
    backendSlot() = std::move(backend);
}
