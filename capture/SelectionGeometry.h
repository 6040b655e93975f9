#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

// Geometry of the overlay's selection box, written in the overlay's own coordinates:
// origin at the lower left, y growing upward, in points (Qt's device-independent
// pixels). A frame is (x, y, width, height) with (x, y) its lower-left corner. The
// widgets convert to and from Qt's y-down coordinates once, at their boundary.

// The nine zones of the selection box under the pointer.
enum edgehit {
    hitleft = 0,
    hitupperleftcorner = 1,
    hittop = 2,
    hitupperrightcorner = 3,
    hitright = 4,
    hitlowerrightcorner = 5,
    hitbottom = 6,
    hitlowerleftcorner = 7,
    hitnone = 8,
};

// Width of the hit band along each edge, and how far a dragged edge stays beyond the pointer.
extern double boarderthickness;
// The zone under the pointer as last classified while it moved inside the box; every
// drag works on this zone, shared by all overlays.
extern edgehit mousehitlocation;

// The smallest box that editing leaves.
inline constexpr double kMinimumSelectionWidth = 51.0;
inline constexpr double kMinimumSelectionHeight = 125.0;

// Containment with the minimum edges included and the maximum edges excluded.
bool frameContains(const QRectF &frame, const QPointF &point);

// The zone of `point` in `frame`; assumes the point lies inside the frame.
edgehit edgeHit(const QRectF &frame, const QPointF &point);

// Whether `point` lies in one of the four edge bands of `frame` (each band runs the
// whole length of the plane).
bool onBorder(const QRectF &frame, const QPointF &point);

// "width:%.0f: height:%.0f" for the frame's size.
QString selectionSizeText(const QRectF &frame);

// The new frame when a drag starts a selection at `start` and the pointer is at `pointer`.
QRectF newSelectionFrame(const QRectF &frame, const QPointF &start, const QPointF &pointer);

// The frame after a drag by `zone` with the minimum-size rules: edges ignore a drag
// that would leave the box too small, corners clamp to the minimum. hitnone is not
// handled here (a move needs the anchor).
QRectF resizeWithMinimum(const QRectF &frame, edgehit zone, const QPointF &pointer);

// The box's own resize for drags whose pointer has left it: no minimum, but never a
// negative width or height (the edge opposite the dragged one stays where it is).
QRectF resizeWithoutMinimum(const QRectF &frame, edgehit zone, const QPointF &pointer);

// `frame` kept inside `bounds`: moved back in when it fits, cut to them when it does
// not. An empty `bounds` leaves the frame alone.
QRectF keptInside(const QRectF &frame, const QRectF &bounds);

// `point` moved to the nearest point of `bounds` (unchanged when they are empty).
QPointF clampedInto(const QPointF &point, const QRectF &bounds);

// Frame conversion between the y-up overlay coordinates and Qt's y-down ones, for a
// view `viewHeight` points high.
QRectF toWidgetRect(const QRectF &frame, double viewHeight);
QRectF fromWidgetRect(const QRectF &rect, double viewHeight);
inline QPointF toYUp(const QPointF &widgetPoint, double viewHeight)
{
    return {widgetPoint.x(), viewHeight - widgetPoint.y()};
}
