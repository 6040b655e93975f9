#pragma once

namespace scene {

struct PanEvent {
    double dx = 0;    // movement since the previous pan event of the same gesture
    double dy = 0;
};

} // namespace scene
