#include "editor/scene/Rect.h"

namespace scene {

Rect Rect::bounds() const
{
    const QRectF r = QRectF(x, y, w, h).normalized();
    return Rect(r.x(), r.y(), r.width(), r.height());
}

QPainterPath Rect::path() const
{
    QPainterPath p;
    p.addRect(QRectF(x, y, w, h).normalized());
    return p;
}

} // namespace scene
