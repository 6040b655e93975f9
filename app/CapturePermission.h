#pragma once

#include "platform/WindowList.h"

#include <QList>
#include <QRect>
#include <optional>

class QScreen;


// Whether screen recording is permitted, judged from the on-screen window list
// alone: a list that could not be read means no; an empty list means yes; otherwise
// every window must show its name, or show none and be shareable (state 1).
bool canRecordScreen(const std::optional<QList<WindowRecord>> &windows);

// The permission window's frame (Qt coordinates, y down) on a display: 442 × 150,
// its left edge 242 left of the display's centre and its lower edge on the
// display's horizontal centre line.
QRect permissionWindowGeometry(const QRect &display);

// The first display in `displays` whose frame holds `point`, or nullptr.
QScreen *screenContaining(const QPoint &point, const QList<QScreen *> &displays);
