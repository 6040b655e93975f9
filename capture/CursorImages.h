#pragma once

#include "capture/CursorRef.h"

#include <QCursor>

// The Qt cursor that shows a selection cursor: the system shapes, or the pictures
// "Crosshairs1" (hot spot 18, 18) and "corner1"/"corner2" (hot spot 16, 16).
QCursor qCursorFor(const CursorRef &cursor);

// Whether the pictures behind the image cursors are compiled in.
bool crosshairImageAvailable();
bool cornerImagesAvailable();
