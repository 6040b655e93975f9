#pragma once

namespace scene {

struct Size {
    double w = 0;
    double h = 0;
    friend bool operator==(const Size &, const Size &) = default;
};

} // namespace scene
