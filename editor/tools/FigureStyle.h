#pragma once

#include "editor/scene/Color.h"

// What every figure starts with: the line and fill colors and the line width as the
// settings hold them at the press.
struct FigureStyle {
    scene::Color line;
    scene::Color fill;
    double lineWidth = 4;
};
