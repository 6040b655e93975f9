#include "platform/WindowList.h"

#include "platform/CaptureBackend.h"
#include "platform/PortalCapture.h"

namespace {
WindowList::Source &sourceSlot()
{
    static WindowList::Source source;
    return source;
}
} // namespace

std::optional<QList<WindowRecord>> WindowList::onScreenWindows()
{
    if (sourceSlot())
        return sourceSlot()();
    if (captureUsesPortal() && !PortalScreenshot::servicePresent())
        return std::nullopt;
    return QList<WindowRecord>{};
}

void WindowList::setSource(Source source)
{
    sourceSlot() = std::move(source);
}
