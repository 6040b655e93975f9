#pragma once

#include <QPointF>
#include <QRectF>
#include <QList>
#include <QRect>
#include <QString>

// Geometry of the overlay's selection box in the view's own coordinates: Qt's points
// (device-independent pixels), origin at the upper left, y growing downward.
//
// The bands along the edges are not symmetric: a band holds its outer line, and of
// the corner bands the upper one stops short of its inner line while the lower one
// holds it. Containment takes the left and the bottom edge in and leaves the right
// and the top edge out. The rules below keep those lines exactly where they are.

// The nine zones of the selection box under the pointer.
enum class EdgeHit {
    Left,
    UpperLeftCorner,
    Top,
    UpperRightCorner,
    Right,
    LowerRightCorner,
    Bottom,
    LowerLeftCorner,
    None,
};

// The width of the hit band along each edge, and how far a dragged edge stays beyond
// the pointer, unless the selection model is given another.
inline constexpr double kDefaultSelectionBorder = 10.0;

// The smallest box that editing leaves.
inline constexpr double kMinimumSelectionWidth = 51.0;
inline constexpr double kMinimumSelectionHeight = 125.0;

// Containment with the left and bottom edges included, the right and top ones not.
bool frameContains(const QRectF &frame, const QPointF &point);

// The zone of `point` in `frame`, for bands `border` wide; assumes the point lies
// inside the frame.
EdgeHit edgeHit(const QRectF &frame, const QPointF &point, double border = kDefaultSelectionBorder);

// Whether `point` lies in one of the four edge bands of `frame` (each band runs the
// whole length of the plane).
bool onBorder(const QRectF &frame, const QPointF &point, double border = kDefaultSelectionBorder);

// "width:%.0f: height:%.0f" for the frame's size.
QString selectionSizeText(const QRectF &frame);

// The new frame when a drag starts a selection at `start` and the pointer is at `pointer`.
QRectF newSelectionFrame(const QRectF &frame, const QPointF &start, const QPointF &pointer,
                         double border = kDefaultSelectionBorder);

// The frame after a drag by `zone` with the minimum-size rules: edges ignore a drag
// that would leave the box too small, corners clamp to the minimum. EdgeHit::None is
// not handled here (a move needs the anchor).
QRectF resizeWithMinimum(const QRectF &frame, EdgeHit zone, const QPointF &pointer,
                         double border = kDefaultSelectionBorder);

// The box's own resize for drags whose pointer has left it: no minimum, but never a
// negative width or height (the edge opposite the dragged one stays where it is).
QRectF resizeWithoutMinimum(const QRectF &frame, EdgeHit zone, const QPointF &pointer,
                            double border = kDefaultSelectionBorder);

// `frame` kept inside `bounds`: moved back in when it fits, cut to them when it does
// not. An empty `bounds` leaves the frame alone.
QRectF keptInside(const QRectF &frame, const QRectF &bounds);

// `point` moved to the nearest point of `bounds` (unchanged when they are empty).
QPointF clampedInto(const QPointF &point, const QRectF &bounds);

// The frame after the keyboard resized it by `dw`, `dh` points: the left and top edges
// stay, the right and bottom ones move. As with a dragged edge, a step that would
// leave the box below the minimum size changes nothing in that direction; the box
// never grows past `bounds` (when they are not empty).
QRectF resizedByKeys(const QRectF &frame, double dw, double dh, const QRectF &bounds);

// The selection a keyboard starts with at `point`: 200 × 150 points from there, kept
// inside `bounds`.
QRectF keyboardSelectionAt(const QPointF &point, const QRectF &bounds);

// The first of `frames` (topmost first) that holds `point`; a null rectangle when none.
QRect frameAt(const QList<QRect> &frames, const QPoint &point);

// The device pixels of a picture of `pictureSize` that the rectangle `points` (in the
// picture's own points) covers at `ratio`, clipped to the picture.
QRect picturePixels(const QRectF &points, qreal ratio, const QSize &pictureSize);
