#pragma once

#include <QPointF>

namespace scene {

struct Point {
    double x = 0;
    double y = 0;
    QPointF toQPointF() const { return {x, y}; }
    friend bool operator==(const Point &, const Point &) = default;
};

} // namespace scene
