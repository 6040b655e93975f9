#pragma once

#include <QList>
#include <QRect>

class QScreen;

// The permission window's frame (Qt coordinates, y down) on a display: 442 × 150,
// its left edge 242 left of the display's centre and its lower edge on the
// display's horizontal centre line.
QRect permissionWindowGeometry(const QRect &display);

// The first display in `displays` whose frame holds `point`, or nullptr.
QScreen *screenContaining(const QPoint &point, const QList<QScreen *> &displays);
