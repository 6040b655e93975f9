#pragma once

#include <QImage>

// What can be done with a region the user chose in the capture overlays. `selection`
// is the region at the display's device pixel ratio, with that ratio set; a null one
// could not be rendered. The overlays are down by now: each action returns at once and
// finishes its encoding and writing in the background.
void saveSelectionLocally(const QImage &selection);
void uploadSelection(const QImage &selection);
void copySelectionToClipboard(const QImage &selection);

// True when no output action is still encoding or writing in the background.
bool outputActionsIdle();
