#pragma once

#include <QList>
#include <QVariant>
#include <functional>
#include <optional>

// One on-screen window as the window list reports it.
struct WindowRecord {
    QVariant name;          // its title when the list may show it; invalid when withheld
    QVariant sharingState;  // 1 when its contents may be read
};

// The on-screen window list that the screen-recording check reads.
//
// On X11 every client may read every window, so the list holds nothing that could
// fail the check. On Wayland (or wherever capture goes through the screenshot portal)
// a session without the portal on its bus counts as unreadable.
namespace WindowList {

std::optional<QList<WindowRecord>> onScreenWindows();

// Replaces the platform's list (tests); an empty source restores it.
using Source = std::function<std::optional<QList<WindowRecord>>()>;
void setSource(Source source);

} // namespace WindowList
