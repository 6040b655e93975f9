#include "editor/scene/Color.h"

#include "helpers/NamedColors.h"

namespace scene {

Color Color::named(const QString &name)
{
    return Color(macawColorNamed(name));
}

} // namespace scene
