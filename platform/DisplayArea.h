#pragma once

#include <QRect>
#include <QtGlobal>

namespace PortalScreenshot {

// A display as the desktop picture is cut for it: its rectangle on the desktop in
// logical pixels, and its device pixel ratio.
struct DisplayArea {
    QRect geometry;
    qreal ratio = 1;
};

} // namespace PortalScreenshot
