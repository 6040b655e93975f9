#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <memory>

// Where the desktop's top-level windows are, for capturing the one under the pointer.
//
// Only a display server that lists its windows can say: on X11 the window manager
// keeps its stacking list on the root window, and each window's frame extents say how
// far its decoration reaches beyond it. Wayland tells a client nothing about other
// clients' windows, so there the list is always empty and the reason says why.
class TopLevelWindows
{
public:
    virtual ~TopLevelWindows() = default;

    // The frames (decoration included) of the viewable top-level windows, topmost
    // first, in Qt's global coordinates; empty when they cannot be known.
    virtual QList<QRect> frames() = 0;

    // Empty when frames() can answer here; else, in a sentence for the user, why not.
    virtual QString unavailableReason() = 0;
};

// The session's: the window manager's list on X11, nothing elsewhere.
std::unique_ptr<TopLevelWindows> makeTopLevelWindows();
