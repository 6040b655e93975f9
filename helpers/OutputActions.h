#pragma once

#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QString>

class AppDelegate;
class PaintWindowController;
class QScreen;
class drawingItems;

// The overlay's selection as the output actions see it: the frozen picture of one
// display and the selection box over it. The capture overlay implements it.
class SelectionSurface
{
public:
    virtual ~SelectionSurface() = default;
    // The selection box's frame in the selection view's coordinates (points, origin
    // lower left, y up, as the selection model keeps it).
    virtual QRectF selectionFrame() const = 0;
    // Moves or resizes the box; renderSelection empties it so the box is not drawn.
    virtual void setSelectionFrame(const QRectF &frame) = 0;
    // The region `frame` (same coordinates) of what the view shows, at the display's
    // device pixel ratio (so it may hold more pixels than points), with that ratio set.
    virtual QImage renderRegion(const QRectF &frame) = 0;
};

// What an overlay hands to each of its actions.
struct OverlayContext {
    AppDelegate *delegate = nullptr;
    SelectionSurface *selection = nullptr;
    QScreen *display = nullptr;
    // The overlay's editor-controller slot, filled by openSelectionInEditor. A guarded
    // pointer: the editor deletes itself when it closes.
    QPointer<PaintWindowController> *editorSlot = nullptr;
};

// Actions of the capture overlay's buttons.
void openSelectionInEditor(const OverlayContext &overlay);
void saveSelectionLocally(const OverlayContext &overlay);
void uploadSelection(const OverlayContext &overlay);
void copySelectionToClipboard(const OverlayContext &overlay);

// Actions of the editor window: the editor's image, its figure list and the
// rectangle (canvas points) to export.
void saveImageWithPanel(const QImage &image, const drawingItems *figures, const QRectF &rect);
void uploadImage(const QImage &image, const drawingItems *figures, const QRectF &rect);
void copyImageToClipboard(const QImage &image, const drawingItems *figures, const QRectF &rect);

// Upload hand-off: checks the network and that there is a file, then sends it to the
// sharing service; `uploadFinished` runs with the reply.
void handOffUpload(const QString &path);
// Turns the service's reply into a link on the clipboard and removes the uploaded
// file. When the reply is no link, or its HTTP `status` is not 2xx whatever its text,
// the file is kept in the unsent folder and the failure notification says where.
void uploadFinished(const QString &replyText, const QString &path, int status = 200);

// Moves a file whose upload failed into TempFolder::unsentFolder(); returns where the
// image now is (its old path when it could not be moved, empty when it is gone).
QString keepUnsentImage(const QString &path);

// True when no output action is still encoding or writing in the background.
// The overlay actions close the overlays at once and finish their work later.
bool outputActionsIdle();
