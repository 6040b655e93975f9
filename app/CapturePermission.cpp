#include "app/CapturePermission.h"

#include <QScreen>

QRect permissionWindowGeometry(const QRect &display)
{
    constexpr int width = 442;
    constexpr int height = 150;
    const int left = display.x() + display.width() / 2 - 242;
    const int centreLine = display.y() + display.height() / 2;
    return QRect(left, centreLine - height, width, height);
}

QScreen *screenContaining(const QPoint &point, const QList<QScreen *> &displays)
{
    for (QScreen *display : displays) {
        if (display->geometry().contains(point))
            return display;
    }
    return nullptr;
}
