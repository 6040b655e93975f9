#include "platform/CaptureBackend.h"

#include <QGuiApplication>
#include <QScreen>

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
