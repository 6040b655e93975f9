#include "editor/scene/Line.h"

#include <algorithm>
#include <cmath>

namespace scene {

Rect Line::bounds() const
{
    return Rect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
}

QPainterPath Line::path() const
{
    QPainterPath p(QPointF(x1, y1));
    p.lineTo(x2, y2);
    return p;
}

} // namespace scene
