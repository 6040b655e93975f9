#pragma once

#include "capture/CursorTracker.h"
#include "capture/SelectionGeometry.h"

#include <QPointF>
#include <QRectF>
#include <QString>

// The selection of one overlay: the selection view that fills the overlay and the
// selection box lying in front of it, as plain state and event handlers in the view's
// points (Qt's coordinates, y down). The widgets feed it pointer events and show what
// it holds: the box's frame, the size label and the current cursor.
//
// Event routing follows the window: a press inside the box goes to the box, which
// hands every event to the view first and then does its own part; a press outside it
// goes to the view alone. Drags and the release go where the press went.
class SelectionModel
{
public:
    explicit SelectionModel(CursorTracker *tracker = &CursorTracker::shared());

    // Which pictures could be loaded; without them the image cursors are not built
    // and pointer moves leave the cursor alone.
    void setImagesAvailable(bool crosshair, bool corners);

    // Window-level pointer events, routed to the view and the box.
    void pointerMoved(const QPointF &p);
    void pointerEnteredView(const QPointF &p);
    void pointerExitedView();
    void pointerPressed(const QPointF &p);
    void pointerDragged(const QPointF &p);
    void pointerReleased(const QPointF &p);

    // The selection view's own handlers.
    void viewMouseMoved(const QPointF &p);
    void viewMouseEntered(const QPointF &p);
    void viewMouseExited();
    void viewMouseDown(const QPointF &p);
    void viewMouseDragged(const QPointF &p);
    void viewMouseUp(const QPointF &p);
    void applyCursor(const CursorRef &cursor, bool force);

    // The box's handlers; each runs the view's handler first.
    void boxMouseMoved(const QPointF &p);
    void boxMouseEntered(const QPointF &p);
    void boxMouseExited();
    void boxMouseDown(const QPointF &p);
    void boxMouseDragged(const QPointF &p);
    void boxMouseUp(const QPointF &p);
    void boxApplyCursor(const CursorRef &cursor, bool force);
    void applyCursorOffBorder(const CursorRef &cursor, const QPointF &p);

    // The area the selection must stay in (the view): drags are held to it, so
    // a drag that runs on into the next display leaves the box and its buttons here.
    void setBounds(const QRectF &bounds);
    QRectF bounds() const { return m_bounds; }
    // Moves a selection (not an empty one) by `delta`, staying inside the bounds.
    void nudge(const QPointF &delta);
    // Resizes a selection by `dw`, `dh` from its upper-left corner (the keyboard's
    // resize), with the edges' minimum size and inside the bounds.
    void resizeBy(double dw, double dh);
    // Starts a selection at `p` without the pointer (the keyboard's first arrow).
    void startSelectionAt(const QPointF &p);

    // The view and the box were shown again: rebuild their image crosshairs.
    void viewDidUnhide();

    // The cursor for a zone; corner cursors are made anew each time.
    CursorRef cursorForZone(EdgeHit zone) const;

    // The width of the hit band along each edge of the box, and how far a dragged
    // edge stays beyond the pointer.
    double borderWidth() const { return m_borderWidth; }
    // The zone under the pointer as last classified while it moved inside the box;
    // every drag of the box works on this zone.
    EdgeHit hitZone() const { return m_hitZone; }

    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF &frame) { m_frame = frame; }
    QString statusText() const { return m_statusText; }
    CursorRef currentCursor() const { return m_tracker->current(); }

    // Selection view state.
    QPointF mouseStart{0, 0};
    CursorRef overCursor;
    CursorRef crosshairCursor;
    bool JustMoving = false;
    bool pointerDown = false;

    // Selection box state.
    bool boxPointerDown = false;
    CursorRef boxOvercursor;
    CursorRef boxCrosshaircursor;
    bool dragging = false;

private:
    void refreshStatusText();
    void keepInsideBounds();
    // Sends box entered/exited when the pointer crossed the box's frame.
    void trackBoxCrossing(const QPointF &p);

    CursorTracker *m_tracker;
    double m_borderWidth = kDefaultSelectionBorder;
    EdgeHit m_hitZone = EdgeHit::None;
    QRectF m_frame;
    QRectF m_bounds;
    QString m_statusText;
    bool m_crosshairImage = true;
    bool m_cornerImages = true;
    bool m_pointerInBox = false;
    bool m_pressOnBox = false;
};
