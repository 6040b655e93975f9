#pragma once

#include "editor/scene/Ellipse.h"
#include "editor/scene/Line.h"
#include "editor/scene/Locus.h"
#include "editor/scene/Rect.h"

#include <variant>

namespace scene {

// The forms a Shape holds by value.
using Form = std::variant<Rect, Ellipse, Line>;
const Locus &locus(const Form &form);

} // namespace scene
