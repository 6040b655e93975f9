#pragma once

#include "capture/CursorShape.h"

#include <QtGlobal>

// Cursors as the selection code compares them. The overlay asks "is the current cursor
// this very cursor?", so a cursor is a value with an identity: the system shapes are
// one shared cursor each, while every cursor made from an image is a new one (two
// crosshairs made from the same picture are different cursors).
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
