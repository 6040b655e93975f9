#pragma once

#include "editor/scene/Locus.h"

#include <QPainterPath>
#include <QRectF>

namespace scene {

// x, y is the first corner; width and height keep their sign (a rectangle dragged
// up and to the left has negative ones).
class Rect final : public Locus
{
public:
    Rect() = default;
    Rect(double x, double y, double w, double h) : x(x), y(y), w(w), h(h) {}
    Rect bounds() const override;
    QPainterPath path() const override;
    QRectF cgRect() const { return QRectF(x, y, w, h); }
    friend bool operator==(const Rect &a, const Rect &b)
    {
        return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
    }

    double x = 0, y = 0, w = 0, h = 0;
};

} // namespace scene
