#include "editor/scene/Ellipse.h"

#include <cmath>

namespace scene {

Rect Ellipse::bounds() const
{
    return Rect(cx - std::abs(rx), cy - std::abs(ry), 2 * std::abs(rx), 2 * std::abs(ry));
}

QPainterPath Ellipse::path() const
{
    QPainterPath p;
    p.addEllipse(QPointF(cx, cy), std::abs(rx), std::abs(ry));
    return p;
}

} // namespace scene
