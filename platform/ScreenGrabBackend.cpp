#include "platform/ScreenGrabBackend.h"

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
