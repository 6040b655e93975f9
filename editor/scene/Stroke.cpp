#include "editor/scene/Stroke.h"

namespace scene {

QPen Stroke::toQPen() const
{
    QPen pen(fill.toQColor(), width);
    switch (cap) {
    case LineCap::butt: pen.setCapStyle(Qt::FlatCap); break;
    case LineCap::round: pen.setCapStyle(Qt::RoundCap); break;
    case LineCap::square: pen.setCapStyle(Qt::SquareCap); break;
    }
    switch (join) {
    case LineJoin::miter: pen.setJoinStyle(Qt::MiterJoin); break;
    case LineJoin::round: pen.setJoinStyle(Qt::RoundJoin); break;
    case LineJoin::bevel: pen.setJoinStyle(Qt::BevelJoin); break;
    }
    if (!dashes.isEmpty() && width > 0) {
        // QPen measures dashes in pen widths; ours are in points.
        QList<qreal> pattern;
        for (double d : dashes)
            pattern.append(d / width);
        pen.setDashPattern(pattern);
    }
    return pen;
}

} // namespace scene
