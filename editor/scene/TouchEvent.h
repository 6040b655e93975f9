#pragma once

#include "editor/scene/Point.h"

namespace scene {

struct TouchEvent {
    Point location;   // canvas points
};

} // namespace scene
