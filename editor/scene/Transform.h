#pragma once

#include <QTransform>

namespace scene {

// An affine placement; the editor only translates.
class Transform
{
public:
    Transform() = default;
    explicit Transform(const QTransform &matrix) : m_matrix(matrix) {}
    static Transform identity() { return Transform(); }
    // A copy moved by (dx, dy).
    Transform move(double dx, double dy) const;
    double dx() const { return m_matrix.dx(); }
    double dy() const { return m_matrix.dy(); }
    const QTransform &toQTransform() const { return m_matrix; }
    friend bool operator==(const Transform &a, const Transform &b) { return a.m_matrix == b.m_matrix; }

private:
    QTransform m_matrix;
};

} // namespace scene
