#pragma once

#include "capture/CursorRef.h"

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
