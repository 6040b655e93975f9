#include "capture/SelectionGeometry.h"

#include <algorithm>

double boarderthickness = 10.0;
edgehit mousehitlocation = hitnone;

namespace {
// Target lines of a drag: the dragged edge stays one band beyond the pointer.
struct DragLines {
    double left, right, top, bottom;
};

DragLines dragLines(const QPointF &p)
{
    const double t = boarderthickness;
    return {p.x() - t, p.x() + t, p.y() + t, p.y() - t};
}

bool dragsLeftEdge(edgehit zone)
{
    return zone == hitleft || zone == hitupperleftcorner || zone == hitlowerleftcorner;
}

bool dragsBottomEdge(edgehit zone)
{
    return zone == hitbottom || zone == hitlowerrightcorner || zone == hitlowerleftcorner;
}

bool dragsRightEdge(edgehit zone)
{
    return zone == hitright || zone == hitupperrightcorner || zone == hitlowerrightcorner;
}

bool dragsTopEdge(edgehit zone)
{
    return zone == hittop || zone == hitupperleftcorner || zone == hitupperrightcorner;
}

// Which corner zone a point in a vertical band belongs to, or `otherwise`.
edgehit cornerOrEdge(const QRectF &f, const QPointF &p, edgehit upper, edgehit lower, edgehit otherwise)
{
    const double t = boarderthickness;
    const double top = f.y() + f.height();
    if (top - t < p.y() && p.y() <= top)
        return upper;
    if (f.y() < p.y() && p.y() <= f.y() + t)
        return lower;
    return otherwise;
}
} // namespace

bool frameContains(const QRectF &frame, const QPointF &p)
{
    return frame.x() <= p.x() && p.x() < frame.x() + frame.width() && frame.y() <= p.y()
           && p.y() < frame.y() + frame.height();
}

edgehit edgeHit(const QRectF &f, const QPointF &p)
{
    const double t = boarderthickness;
    const double x0 = f.x(), y0 = f.y(), right = f.x() + f.width(), top = f.y() + f.height();
    if (x0 <= p.x() && p.x() < x0 + t)
        return cornerOrEdge(f, p, hitupperleftcorner, hitlowerleftcorner, hitleft);
    if (right - t < p.x() && p.x() <= right)
        return cornerOrEdge(f, p, hitupperrightcorner, hitlowerrightcorner, hitright);
    if (y0 <= p.y() && p.y() < y0 + t)
        return hitbottom;
    if (top - t <= p.y() && p.y() <= top)
        return hittop;
    return hitnone;
}

bool onBorder(const QRectF &f, const QPointF &p)
{
    const double t = boarderthickness;
    const double x0 = f.x(), y0 = f.y(), right = f.x() + f.width(), top = f.y() + f.height();
    return (x0 <= p.x() && p.x() < x0 + t) || (right - t < p.x() && p.x() <= right)
           || (y0 <= p.y() && p.y() < y0 + t) || (top - t < p.y() && p.y() <= top);
}

QString selectionSizeText(const QRectF &frame)
{
    return QString::asprintf("width:%.0f: height:%.0f", frame.width(), frame.height());
}

QRectF newSelectionFrame(const QRectF &frame, const QPointF &start, const QPointF &pointer)
{
    QRectF f = frame;
    const double dx = start.x() - pointer.x();
    if (dx > 0)
        f.moveLeft(pointer.x());
    const double dy = start.y() - pointer.y();
    double height = kMinimumSelectionHeight;
    if (dy >= kMinimumSelectionHeight) {
        f.moveTop(pointer.y()); // QRectF's "top" is its origin y, the lower edge here
        height = dy;
    }
    f.setSize({std::max(kMinimumSelectionWidth, dx), height});
    return resizeWithMinimum(f, hitlowerrightcorner, pointer);
}

QRectF resizeWithMinimum(const QRectF &frame, edgehit zone, const QPointF &pointer)
{
    const DragLines d = dragLines(pointer);
    const double x0 = frame.x(), y0 = frame.y(), w = frame.width(), h = frame.height();
    QRectF f = frame;
    switch (zone) {
    case hitleft:
        if (x0 + w - d.left > kMinimumSelectionWidth)
            f = QRectF(d.left, y0, x0 + w - d.left, h);
        break;
    case hitright:
        if (d.right - x0 > kMinimumSelectionWidth)
            f.setWidth(d.right - x0);
        break;
    case hittop:
        if (d.top - y0 > kMinimumSelectionHeight)
            f.setHeight(d.top - y0);
        break;
    case hitbottom:
        if (y0 + h - d.bottom > kMinimumSelectionHeight)
            f = QRectF(x0, d.bottom, w, y0 + h - d.bottom);
        break;
    case hitupperrightcorner:
        f.setSize({std::max(kMinimumSelectionWidth, d.right - x0), std::max(kMinimumSelectionHeight, d.top - y0)});
        break;
    case hitupperleftcorner:
    case hitlowerleftcorner:
    case hitlowerrightcorner: {
        // Height first: the upper corner keeps the lower edge, the lower corners move it.
        const bool upper = zone == hitupperleftcorner;
        const double newHeight = upper ? d.top - y0 : y0 + h - d.bottom;
        double originY = y0, height = kMinimumSelectionHeight;
        if (newHeight > kMinimumSelectionHeight) {
            originY = upper ? d.top - newHeight : d.bottom;
            height = newHeight;
        }
        double originX = x0, width;
        if (zone == hitlowerrightcorner) {
            width = std::max(kMinimumSelectionWidth, d.right - x0);
        } else {
            const double newWidth = x0 + w - d.left;
            width = kMinimumSelectionWidth;
            if (newWidth > kMinimumSelectionWidth) {
                originX = d.left;
                width = newWidth;
            }
        }
        f = QRectF(originX, originY, width, height);
        break;
    }
    case hitnone:
        break;
    }
    return f;
}

QRectF resizeWithoutMinimum(const QRectF &frame, edgehit zone, const QPointF &pointer)
{
    if (zone == hitnone)
        return frame;
    const DragLines d = dragLines(pointer);
    const double x0 = frame.x(), y0 = frame.y(), right = x0 + frame.width(), top = y0 + frame.height();
    double left = x0, bottom = y0, newRight = right, newTop = top;
    if (dragsLeftEdge(zone))
        left = std::min(d.left, right);
    if (dragsRightEdge(zone))
        newRight = std::max(d.right, x0);
    if (dragsBottomEdge(zone))
        bottom = std::min(d.bottom, top);
    if (dragsTopEdge(zone))
        newTop = std::max(d.top, y0);
    return QRectF(left, bottom, newRight - left, newTop - bottom);
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

QRectF toWidgetRect(const QRectF &frame, double viewHeight)
{
    return QRectF(frame.x(), viewHeight - (frame.y() + frame.height()), frame.width(), frame.height());
}

QRectF fromWidgetRect(const QRectF &rect, double viewHeight)
{
    return QRectF(rect.x(), viewHeight - (rect.y() + rect.height()), rect.width(), rect.height());
}
