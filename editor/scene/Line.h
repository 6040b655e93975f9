#pragma once

#include "editor/scene/Locus.h"
#include "editor/scene/Rect.h"

#include <QPainterPath>

namespace scene {

class Line final : public Locus
{
public:
    Line() = default;
    Line(double x1, double y1, double x2, double y2) : x1(x1), y1(y1), x2(x2), y2(y2) {}
    Rect bounds() const override;
    QPainterPath path() const override;
    friend bool operator==(const Line &a, const Line &b)
    {
        return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
    }

    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

} // namespace scene
