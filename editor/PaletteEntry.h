#pragma once

#include <QString>

// One color of the palette: its on/off button, the swatch beside it, the tool tip and
// the name that is stored when it is chosen.
struct PaletteEntry {
    QString name;       // "white", "silver", ...
    QString toolTip;    // "White", "Silver", ...
    int rgb;            // 0xRRGGBB of the swatch
};
