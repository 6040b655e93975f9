#pragma once

#include "output/SelectionSurface.h"

#include <QPointer>
#include <QWidget>

class AppRequests;
class QScreen;

// What an overlay hands to each of its actions.
struct OverlayContext {
    AppRequests *delegate = nullptr;   // closes the overlays, opens the editor
    SelectionSurface *selection = nullptr;
    QScreen *display = nullptr;
    // The overlay's editor-controller slot, filled by openSelectionInEditor. A guarded
    // pointer: the editor deletes itself when it closes.
    QPointer<QWidget> *editorSlot = nullptr;
};

// Actions of the capture overlay's buttons.
void openSelectionInEditor(const OverlayContext &overlay);
void saveSelectionLocally(const OverlayContext &overlay);
void uploadSelection(const OverlayContext &overlay);
void copySelectionToClipboard(const OverlayContext &overlay);

// True when no output action is still encoding or writing in the background.
// The overlay actions close the overlays at once and finish their work later.
bool outputActionsIdle();
