#pragma once

#include "editor/scene/Locus.h"
#include "editor/scene/Rect.h"

#include <QPainterPath>

namespace scene {

// Centre and radii; radii keep their sign.
class Ellipse final : public Locus
{
public:
    Ellipse() = default;
    Ellipse(double cx, double cy, double rx, double ry) : cx(cx), cy(cy), rx(rx), ry(ry) {}
    Rect bounds() const override;
    QPainterPath path() const override;
    friend bool operator==(const Ellipse &a, const Ellipse &b)
    {
        return a.cx == b.cx && a.cy == b.cy && a.rx == b.rx && a.ry == b.ry;
    }

    double cx = 0, cy = 0, rx = 0, ry = 0;
};

} // namespace scene
