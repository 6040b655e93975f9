#pragma once

#include "editor/scene/Color.h"

#include <QList>
#include <QPen>

namespace scene {

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

struct Stroke {
    Color fill;
    double width = 1.0;
    LineCap cap = LineCap::butt;
    LineJoin join = LineJoin::miter;
    QList<double> dashes;
    QPen toQPen() const;
};

} // namespace scene
