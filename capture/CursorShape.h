#pragma once

// The cursors the selection code shows.
enum class CursorShape {
    Arrow,
    SystemCrosshair,
    ImageCrosshair,   // "Crosshairs1", hot spot (18, 18)
    ResizeLeftRight,
    ResizeUpDown,
    Corner1,          // "corner1": upper-left / lower-right, hot spot (16, 16)
    Corner2,          // "corner2": upper-right / lower-left, hot spot (16, 16)
    OpenHand,
    ClosedHand,
};
