#include "capture/SelectionModel.h"

SelectionModel::SelectionModel(CursorTracker *tracker)
    : overCursor(CursorRef::system(CursorShape::SystemCrosshair))
    , crosshairCursor(CursorRef::system(CursorShape::SystemCrosshair))
    , boxOvercursor(CursorRef::system(CursorShape::SystemCrosshair))
    , boxCrosshaircursor(CursorRef::system(CursorShape::SystemCrosshair))
    , m_tracker(tracker)
{
    // The view builds its picture crosshair as soon as it exists; the box waits until
    // it is first shown.
    crosshairCursor = CursorRef::fromImage(CursorShape::ImageCrosshair);
}

void SelectionModel::setImagesAvailable(bool crosshair, bool corners)
{
    if (m_crosshairImage && !crosshair && crosshairCursor.shape == CursorShape::ImageCrosshair)
        crosshairCursor = CursorRef::system(CursorShape::SystemCrosshair);
    m_crosshairImage = crosshair;
    m_cornerImages = corners;
}

// --- routing ---------------------------------------------------------------------

void SelectionModel::trackBoxCrossing(const QPointF &p)
{
    const bool inside = frameContains(m_frame, p);
    if (inside == m_pointerInBox)
        return;
    m_pointerInBox = inside;
    if (inside)
        boxMouseEntered(p);
    else
        boxMouseExited();
}

void SelectionModel::pointerMoved(const QPointF &p)
{
    trackBoxCrossing(p);
    if (frameContains(m_frame, p))
        boxMouseMoved(p);
    else
        viewMouseMoved(p);
}

void SelectionModel::pointerEnteredView(const QPointF &p)
{
    viewMouseEntered(p);
    trackBoxCrossing(p);
}

void SelectionModel::pointerExitedView()
{
    if (m_pointerInBox) {
        m_pointerInBox = false;
        boxMouseExited();
    }
    viewMouseExited();
}

void SelectionModel::pointerPressed(const QPointF &p)
{
    m_pressOnBox = frameContains(m_frame, p);
    if (m_pressOnBox)
        boxMouseDown(p);
    else
        viewMouseDown(p);
}

// While the button is held the pointer may run on into another display; the drag
// follows it only to this view's edge.
void SelectionModel::pointerDragged(const QPointF &pointer)
{
    const QPointF p = clampedInto(pointer, m_bounds);
    trackBoxCrossing(p);
    if (m_pressOnBox)
        boxMouseDragged(p);
    else
        viewMouseDragged(p);
    keepInsideBounds();
}

void SelectionModel::pointerReleased(const QPointF &pointer)
{
    const QPointF p = clampedInto(pointer, m_bounds);
    trackBoxCrossing(p);
    if (m_pressOnBox)
        boxMouseUp(p);
    else
        viewMouseUp(p);
    keepInsideBounds();
}

void SelectionModel::setBounds(const QRectF &bounds)
{
    m_bounds = bounds;
}

void SelectionModel::keepInsideBounds()
{
    // A box being moved keeps its size; one being drawn or resized is cut at the edge
    // its pointer ran past.
    if (m_bounds.isEmpty() || m_frame.width() <= 0 || m_frame.height() <= 0 || m_bounds.contains(m_frame))
        return;
    const bool moving = pointerDown && JustMoving && m_hitZone == EdgeHit::None;
    const QRectF kept = moving ? keptInside(m_frame, m_bounds) : m_frame.intersected(m_bounds);
    if (kept == m_frame)
        return;
    m_frame = kept;
    refreshStatusText();
}

void SelectionModel::nudge(const QPointF &delta)
{
    if (m_frame.width() <= 0 || m_frame.height() <= 0)
        return;
    m_frame = keptInside(m_frame.translated(delta), m_bounds);
    refreshStatusText();
}

void SelectionModel::resizeBy(double dw, double dh)
{
    if (m_frame.width() <= 0 || m_frame.height() <= 0)
        return;
    m_frame = resizedByKeys(m_frame, dw, dh, m_bounds);
    refreshStatusText();
}

void SelectionModel::startSelectionAt(const QPointF &p)
{
    m_frame = keyboardSelectionAt(clampedInto(p, m_bounds), m_bounds);
    refreshStatusText();
}

// --- selection view --------------------------------------------------------------

void SelectionModel::applyCursor(const CursorRef &cursor, bool force)
{
    if (cursor == overCursor && !(m_tracker->current() == CursorRef::arrow()) && !force)
        return;
    overCursor = cursor;
    m_tracker->set(cursor);
}

CursorRef SelectionModel::cursorForZone(EdgeHit zone) const
{
    switch (zone) {
    case EdgeHit::Left:
    case EdgeHit::Right:
        return CursorRef::resizeLeftRight();
    case EdgeHit::Top:
    case EdgeHit::Bottom:
        return CursorRef::resizeUpDown();
    case EdgeHit::UpperLeftCorner:
    case EdgeHit::LowerRightCorner:
        return CursorRef::fromImage(CursorShape::Corner1);
    case EdgeHit::UpperRightCorner:
    case EdgeHit::LowerLeftCorner:
        return CursorRef::fromImage(CursorShape::Corner2);
    case EdgeHit::None:
        break;
    }
    return CursorRef::openHand();
}

void SelectionModel::viewMouseMoved(const QPointF &p)
{
    const CursorRef arrow = CursorRef::arrow();
    if (m_tracker->current() == arrow)
        applyCursor(crosshairCursor, true);
    if (!m_cornerImages)
        return;
    const CursorRef current = m_tracker->current();
    if (!(current == crosshairCursor || current == CursorRef::resizeLeftRight()
          || current == CursorRef::resizeUpDown() || current == CursorRef::openHand()))
        applyCursor(crosshairCursor, true);
    if (m_tracker->current() == arrow)
        applyCursor(crosshairCursor, false);
    if (!frameContains(m_frame, p)) {
        applyCursor(crosshairCursor, false);
        return;
    }
    m_hitZone = edgeHit(m_frame, p, m_borderWidth);
    applyCursor(cursorForZone(m_hitZone), false);
}

void SelectionModel::viewMouseEntered(const QPointF &p)
{
    if (!frameContains(m_frame, p))
        applyCursor(crosshairCursor, false);
}

void SelectionModel::viewMouseExited()
{
    applyCursor(CursorRef::arrow(), false);
}

void SelectionModel::viewMouseDown(const QPointF &p)
{
    pointerDown = true;
    mouseStart = p;
    if (frameContains(m_frame, p)) {
        JustMoving = true;
        applyCursor(CursorRef::closedHand(), false);
        return;
    }
    JustMoving = false;
    m_frame = QRectF(p, QSizeF(0, 0));
}

void SelectionModel::viewMouseDragged(const QPointF &p)
{
    applyCursor(CursorRef::closedHand(), false);
    if (mouseStart.x() != -1 && !JustMoving) {
        m_frame = newSelectionFrame(m_frame, mouseStart, p, m_borderWidth);
    } else if (m_hitZone == EdgeHit::None) {
        m_frame.translate(p - mouseStart);
        mouseStart = p;
    } else {
        m_frame = resizeWithMinimum(m_frame, m_hitZone, p, m_borderWidth);
    }
    refreshStatusText();
}

void SelectionModel::viewMouseUp(const QPointF &p)
{
    pointerDown = false;
    if (!frameContains(m_frame, p))
        applyCursor(crosshairCursor, false);
    mouseStart = QPointF(-1, -1);
}

void SelectionModel::refreshStatusText()
{
    m_statusText = selectionSizeText(m_frame);
}

// --- selection box ---------------------------------------------------------------

void SelectionModel::boxApplyCursor(const CursorRef &cursor, bool force)
{
    if (cursor == boxOvercursor && !(m_tracker->current() == CursorRef::arrow()) && !force)
        return;
    boxOvercursor = cursor;
    m_tracker->set(cursor);
}

void SelectionModel::applyCursorOffBorder(const CursorRef &cursor, const QPointF &p)
{
    if (cursor == boxOvercursor || onBorder(m_frame, p, m_borderWidth))
        return;
    boxOvercursor = cursor;
    m_tracker->set(cursor);
}

void SelectionModel::boxMouseMoved(const QPointF &p)
{
    viewMouseMoved(p);
    applyCursorOffBorder(boxPointerDown ? CursorRef::closedHand() : CursorRef::openHand(), p);
}

// Entering and leaving the box are the box's own business: the view has its own
// tracking of the pointer entering and leaving the whole overlay. Passing the box's
// exit on would show the arrow and hide the closed hand that a drag out of the box
// is recognised by.
void SelectionModel::boxMouseEntered(const QPointF &)
{
    dragging = false;
}

void SelectionModel::boxMouseExited()
{
    dragging = m_tracker->current() == CursorRef::closedHand();
}

void SelectionModel::boxMouseDown(const QPointF &p)
{
    viewMouseDown(p);
    boxPointerDown = true;
    applyCursorOffBorder(CursorRef::closedHand(), p);
}

void SelectionModel::boxMouseDragged(const QPointF &p)
{
    viewMouseDragged(p);
    if (m_tracker->current() == CursorRef::closedHand() && !dragging)
        return;
    if (boxOvercursor == CursorRef::closedHand())
        m_frame = resizeWithoutMinimum(m_frame, m_hitZone, p, m_borderWidth);
    refreshStatusText();
    boxPointerDown = true;
    applyCursorOffBorder(CursorRef::closedHand(), p);
}

void SelectionModel::boxMouseUp(const QPointF &p)
{
    viewMouseUp(p);
    boxPointerDown = false;
    applyCursorOffBorder(frameContains(m_frame, p) ? CursorRef::openHand() : boxCrosshaircursor, p);
}

void SelectionModel::viewDidUnhide()
{
    if (!m_crosshairImage)
        return;
    crosshairCursor = CursorRef::fromImage(CursorShape::ImageCrosshair);
    boxCrosshaircursor = CursorRef::fromImage(CursorShape::ImageCrosshair);
}
