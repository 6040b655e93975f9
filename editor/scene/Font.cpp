#include "editor/scene/Font.h"

#include <algorithm>

namespace scene {

QFont Font::toQFont() const
{
    QFont font(name);
    // Canvas points are the scene's units, so the size is a pixel size there.
    font.setPixelSize(std::max(1, size));
    font.setWeight(weight == QLatin1String("bold") ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace scene
