#pragma once

#include <QColor>
#include <QString>

namespace scene {

// An RGBA color. `clear` is fully transparent and is not painted.
class Color
{
public:
    Color() = default;
    explicit Color(const QColor &rgba) : m_rgba(rgba) {}
    static Color white() { return Color(QColor(255, 255, 255)); }
    static Color clear() { return Color(QColor(0, 0, 0, 0)); }
    // One of the sixteen basic color names or "clear"; any other name is red.
    static Color named(const QString &name);
    QColor toQColor() const { return m_rgba; }
    bool isClear() const { return m_rgba.alpha() == 0; }
    friend bool operator==(const Color &a, const Color &b) { return a.m_rgba == b.m_rgba; }

private:
    QColor m_rgba{Qt::black};
};

} // namespace scene
