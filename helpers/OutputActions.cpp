#include "helpers/OutputActions.h"

// Placeholders until the output actions are built; they do nothing rather than
// pretend to work.
void openSelectionInEditor(const OverlayContext &) {}
void saveSelectionLocally(const OverlayContext &) {}
void uploadSelection(const OverlayContext &) {}
void copySelectionToClipboard(const OverlayContext &) {}
void saveImageWithPanel(const QImage &, const drawingItems *, const QRectF &) {}
void uploadImage(const QImage &, const drawingItems *, const QRectF &) {}
void copyImageToClipboard(const QImage &, const drawingItems *, const QRectF &) {}
