#include "capture/SelectionGeometry.h"

#include <QCoreApplication>
#include <algorithm>

namespace {
// Target lines of a drag: the dragged edge stays one band beyond the pointer.
struct DragLines {
    double left, right, top, bottom;
};

DragLines dragLines(const QPointF &p, double border)
{
    return {p.x() - border, p.x() + border, p.y() - border, p.y() + border};
}

bool dragsLeftEdge(EdgeHit zone)
{
    return zone == EdgeHit::Left || zone == EdgeHit::UpperLeftCorner || zone == EdgeHit::LowerLeftCorner;
}

bool dragsBottomEdge(EdgeHit zone)
{
    return zone == EdgeHit::Bottom || zone == EdgeHit::LowerRightCorner || zone == EdgeHit::LowerLeftCorner;
}

bool dragsRightEdge(EdgeHit zone)
{
    return zone == EdgeHit::Right || zone == EdgeHit::UpperRightCorner || zone == EdgeHit::LowerRightCorner;
}

bool dragsTopEdge(EdgeHit zone)
{
    return zone == EdgeHit::Top || zone == EdgeHit::UpperLeftCorner || zone == EdgeHit::UpperRightCorner;
}

// The upper corner band holds the top line but not its inner line; the lower one
// holds its inner line but not the bottom line.
bool inUpperCornerBand(const QRectF &f, const QPointF &p, double border)
{
    return f.top() <= p.y() && p.y() < f.top() + border;
}

bool inLowerCornerBand(const QRectF &f, const QPointF &p, double border)
{
    return f.bottom() - border <= p.y() && p.y() < f.bottom();
}

// Which corner zone a point in a vertical band belongs to, or `otherwise`.
EdgeHit cornerOrEdge(const QRectF &f, const QPointF &p, double border, EdgeHit upper, EdgeHit lower,
                     EdgeHit otherwise)
{
    if (inUpperCornerBand(f, p, border))
        return upper;
    if (inLowerCornerBand(f, p, border))
        return lower;
    return otherwise;
}

bool inLeftBand(const QRectF &f, const QPointF &p, double border)
{
    return f.left() <= p.x() && p.x() < f.left() + border;
}

bool inRightBand(const QRectF &f, const QPointF &p, double border)
{
    return f.right() - border < p.x() && p.x() <= f.right();
}

bool inBottomBand(const QRectF &f, const QPointF &p, double border)
{
    return f.bottom() - border < p.y() && p.y() <= f.bottom();
}
} // namespace

bool frameContains(const QRectF &frame, const QPointF &p)
{
    return frame.left() <= p.x() && p.x() < frame.right() && frame.top() < p.y() && p.y() <= frame.bottom();
}

EdgeHit edgeHit(const QRectF &f, const QPointF &p, double border)
{
    if (inLeftBand(f, p, border))
        return cornerOrEdge(f, p, border, EdgeHit::UpperLeftCorner, EdgeHit::LowerLeftCorner, EdgeHit::Left);
    if (inRightBand(f, p, border))
        return cornerOrEdge(f, p, border, EdgeHit::UpperRightCorner, EdgeHit::LowerRightCorner, EdgeHit::Right);
    if (inBottomBand(f, p, border))
        return EdgeHit::Bottom;
    // Here the inner line belongs to the band.
    if (f.top() <= p.y() && p.y() <= f.top() + border)
        return EdgeHit::Top;
    return EdgeHit::None;
}

bool onBorder(const QRectF &f, const QPointF &p, double border)
{
    return inLeftBand(f, p, border) || inRightBand(f, p, border) || inBottomBand(f, p, border)
           || inUpperCornerBand(f, p, border);
}

QString selectionSizeText(const QRectF &frame)
{
    //: The size of the selection, shown beside it while it is drawn; %1 is the width
    //: and %2 the height, in pixels.
    return QCoreApplication::translate("SelectionGeometry", "width:%1: height:%2")
        .arg(QString::number(frame.width(), 'f', 0), QString::number(frame.height(), 'f', 0));
}

QRectF newSelectionFrame(const QRectF &frame, const QPointF &start, const QPointF &pointer, double border)
{
    const double dx = start.x() - pointer.x();
    const double left = dx > 0 ? pointer.x() : frame.left();
    // Far enough below the press, the top stands at the press; closer, the box is the
    // minimum height above the bottom the last event left.
    const double dy = pointer.y() - start.y();
    const bool tallEnough = dy >= kMinimumSelectionHeight;
    const double height = tallEnough ? dy : kMinimumSelectionHeight;
    const double top = tallEnough ? start.y() : frame.bottom() - kMinimumSelectionHeight;
    const QRectF f(left, top, std::max(kMinimumSelectionWidth, dx), height);
    return resizeWithMinimum(f, EdgeHit::LowerRightCorner, pointer, border);
}

namespace {
// The three corners other than the upper right one, with the minimum: a drag that
// would leave a side too short gives that side its minimum, and the height is then
// measured up from the bottom edge, which stays.
QRectF resizeCornerWithMinimum(const QRectF &frame, EdgeHit zone, const DragLines &d)
{
    const bool upper = zone == EdgeHit::UpperLeftCorner;
    const double newHeight = upper ? frame.bottom() - d.top : d.bottom - frame.top();
    double top = frame.bottom() - kMinimumSelectionHeight, height = kMinimumSelectionHeight;
    if (newHeight > kMinimumSelectionHeight) {
        top = upper ? d.top : frame.top();
        height = newHeight;
    }
    double left = frame.left(), width;
    if (zone == EdgeHit::LowerRightCorner) {
        width = std::max(kMinimumSelectionWidth, d.right - frame.left());
    } else {
        const double newWidth = frame.right() - d.left;
        width = kMinimumSelectionWidth;
        if (newWidth > kMinimumSelectionWidth) {
            left = d.left;
            width = newWidth;
        }
    }
    return QRectF(left, top, width, height);
}
} // namespace

QRectF resizeWithMinimum(const QRectF &frame, EdgeHit zone, const QPointF &pointer, double border)
{
    const DragLines d = dragLines(pointer, border);
    const double x0 = frame.left(), y0 = frame.top(), w = frame.width(), h = frame.height();
    const double bottom = frame.bottom();
    QRectF f = frame;
    switch (zone) {
    case EdgeHit::Left:
        if (x0 + w - d.left > kMinimumSelectionWidth)
            f = QRectF(d.left, y0, x0 + w - d.left, h);
        break;
    case EdgeHit::Right:
        if (d.right - x0 > kMinimumSelectionWidth)
            f.setWidth(d.right - x0);
        break;
    case EdgeHit::Top:
        if (bottom - d.top > kMinimumSelectionHeight)
            f = QRectF(x0, d.top, w, bottom - d.top);
        break;
    case EdgeHit::Bottom:
        if (d.bottom - y0 > kMinimumSelectionHeight)
            f.setHeight(d.bottom - y0);
        break;
    case EdgeHit::UpperRightCorner: {
        // The lower-left corner stays.
        const double height = std::max(kMinimumSelectionHeight, bottom - d.top);
        f = QRectF(x0, bottom - height, std::max(kMinimumSelectionWidth, d.right - x0), height);
        break;
    }
    case EdgeHit::UpperLeftCorner:
    case EdgeHit::LowerLeftCorner:
    case EdgeHit::LowerRightCorner:
        f = resizeCornerWithMinimum(frame, zone, d);
        break;
    case EdgeHit::None:
        break;
    }
    return f;
}

QRectF resizeWithoutMinimum(const QRectF &frame, EdgeHit zone, const QPointF &pointer, double border)
{
    if (zone == EdgeHit::None)
        return frame;
    const DragLines d = dragLines(pointer, border);
    double left = frame.left(), top = frame.top(), right = frame.right(), bottom = frame.bottom();
    if (dragsLeftEdge(zone))
        left = std::min(d.left, frame.right());
    if (dragsRightEdge(zone))
        right = std::max(d.right, frame.left());
    if (dragsTopEdge(zone))
        top = std::min(d.top, frame.bottom());
    if (dragsBottomEdge(zone))
        bottom = std::max(d.bottom, frame.top());
    return QRectF(left, top, right - left, bottom - top);
}

QRectF keptInside(const QRectF &frame, const QRectF &bounds)
{
    if (bounds.isEmpty() || bounds.contains(frame))
        return frame;
    if (frame.width() > bounds.width() || frame.height() > bounds.height())
        return frame.intersected(bounds);
    QRectF moved = frame;
    moved.moveLeft(std::clamp(frame.left(), bounds.left(), bounds.right() - frame.width()));
    moved.moveTop(std::clamp(frame.top(), bounds.top(), bounds.bottom() - frame.height()));
    return moved;
}

QPointF clampedInto(const QPointF &point, const QRectF &bounds)
{
    if (bounds.isEmpty())
        return point;
    return {std::clamp(point.x(), bounds.left(), bounds.right()), std::clamp(point.y(), bounds.top(), bounds.bottom())};
}

namespace {
// One extent changed by `delta`: a shrink stops at `minimum` (by not happening), a
// growth at `limit` (by reaching it).
double keyedExtent(double extent, double delta, double minimum, double limit)
{
    if (delta < 0)
        return extent + delta >= minimum ? extent + delta : extent;
    return std::max(extent, std::min(extent + delta, limit));
}
} // namespace

QRectF resizedByKeys(const QRectF &frame, double dw, double dh, const QRectF &bounds)
{
    const double widthLimit = bounds.isEmpty() ? frame.width() + dw : bounds.right() - frame.left();
    const double heightLimit = bounds.isEmpty() ? frame.height() + dh : bounds.bottom() - frame.top();
    return QRectF(frame.topLeft(), QSizeF(keyedExtent(frame.width(), dw, kMinimumSelectionWidth, widthLimit),
                                          keyedExtent(frame.height(), dh, kMinimumSelectionHeight, heightLimit)));
}

QRectF keyboardSelectionAt(const QPointF &point, const QRectF &bounds)
{
    return keptInside(QRectF(point, QSizeF(200, 150)), bounds);
}

QRect frameAt(const QList<QRect> &frames, const QPoint &point)
{
    for (const QRect &frame : frames) {
        if (frame.contains(point))
            return frame;
    }
    return QRect();
}

QRect picturePixels(const QRectF &points, qreal ratio, const QSize &pictureSize)
{
    const QRect pixels = QRectF(points.topLeft() * ratio, points.size() * ratio).toAlignedRect();
    return pixels.intersected(QRect(QPoint(0, 0), pictureSize));
}
