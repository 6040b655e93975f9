#include "app/CapturePermission.h"

#include <QScreen>

namespace {
bool isInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool windowPasses(const WindowRecord &window)
{
    if (window.name.typeId() == QMetaType::QString)
        return true;
    return isInteger(window.sharingState) && window.sharingState.toLongLong() == 1;
}
} // namespace

bool canRecordScreen(const std::optional<QList<WindowRecord>> &windows)
{
    if (!windows)
        return false;
    for (const WindowRecord &window : *windows) {
        if (!windowPasses(window))
            return false;
    }
    return true;
}

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
