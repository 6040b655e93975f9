#include "platform/CaptureBackend.h"


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

QString requestedCaptureBackend()
{
    return qEnvironmentVariable("VORNIK_CAPTURE_BACKEND").trimmed().toLower();
}

bool captureUsesPortal()
{
    return requestedCaptureBackend() == QLatin1String("portal")
        || QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
