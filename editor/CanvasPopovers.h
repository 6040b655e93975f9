#pragma once

#include <QString>
#include <functional>

// How the canvas asks the editor window about its popovers when it is pressed. The
// window fills these in; a hook left empty reads as "not shown" / empty text / does
// nothing.
struct CanvasPopovers {
    std::function<bool()> colorPaletteShown;
    std::function<bool()> textEntryShown;
    std::function<bool()> pointerInTextEntry;   // the text popover's pointerInEditor
    std::function<QString()> textEntryString;   // the whole text typed in the text popover
    std::function<void()> closeTextEntry;
    std::function<bool()> lineWidthShown;
    std::function<void()> closeLineWidth;
};
