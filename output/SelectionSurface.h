#pragma once

#include "output/RenderedSelection.h"

#include <QImage>
#include <QRectF>
#include <QString>

// The overlay's selection as the output actions see it: the frozen picture of one
// display and the selection box over it. The capture overlay implements it.
class SelectionSurface
{
public:
    virtual ~SelectionSurface() = default;
    // The selection box's frame in the selection view's coordinates (Qt's points,
    // origin upper left, y down).
    virtual QRectF selectionFrame() const = 0;
    // Moves or resizes the box; renderSelection empties it so the box is not drawn.
    virtual void setSelectionFrame(const QRectF &frame) = 0;
    // The region `frame` (same coordinates) of what the view shows, at the display's
    // device pixel ratio (so it may hold more pixels than points), with that ratio set.
    virtual QImage renderRegion(const QRectF &frame) = 0;
};

RenderedSelection renderSelectionImage(SelectionSurface &surface);
