#include "capture/CursorTracker.h"

CursorTracker &CursorTracker::shared()
{
    static CursorTracker tracker;
    return tracker;
}
