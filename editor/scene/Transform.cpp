#include "editor/scene/Transform.h"

namespace scene {

Transform Transform::move(double dx, double dy) const
{
    QTransform moved = m_matrix;
    moved.translate(dx, dy);
    return Transform(moved);
}

} // namespace scene
