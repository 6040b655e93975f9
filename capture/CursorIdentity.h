#pragma once

#include <QtGlobal>

// Cursors as the selection code compares them. The overlay asks "is the current cursor
// this very cursor?", so a cursor is a value with an identity: the system shapes are
// one shared cursor each, while every cursor made from an image is a new one (two
// crosshairs made from the same picture are different cursors).
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

struct CursorRef {
    CursorShape shape = CursorShape::Arrow;
    quint64 identity = 0;

    // The one shared cursor of a system shape.
    static CursorRef system(CursorShape shape);
    // A new cursor made from a picture; unequal to every cursor made before.
    static CursorRef fromImage(CursorShape shape);

    static CursorRef arrow() { return system(CursorShape::Arrow); }
    static CursorRef openHand() { return system(CursorShape::OpenHand); }
    static CursorRef closedHand() { return system(CursorShape::ClosedHand); }
    static CursorRef resizeLeftRight() { return system(CursorShape::ResizeLeftRight); }
    static CursorRef resizeUpDown() { return system(CursorShape::ResizeUpDown); }

    friend bool operator==(const CursorRef &a, const CursorRef &b) { return a.identity == b.identity; }
};

// The pointer's current cursor. There is one for the whole application (the overlays
// of all displays share it); tests may give a model its own.
class CursorTracker
{
public:
    static CursorTracker &shared();

    CursorRef current() const { return m_current; }
    void set(const CursorRef &cursor) { m_current = cursor; }

private:
    CursorRef m_current = CursorRef::arrow();
};
