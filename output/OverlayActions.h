#pragma once

#include "helpers/DesktopServices.h"
#include "helpers/ImageOutput.h"

#include <QImage>
#include <functional>
#include <memory>

// What can be done with a region the user chose in the capture overlays. `selection`
// is the region at the display's device pixel ratio, with that ratio set; a null one
// could not be rendered. The overlays are down by now (a copy comes while they are still
// up, to be offered from a window with the keyboard): each action returns at once and
// finishes its encoding and writing in the background.
class OverlayActions
{
public:
    // `pngQuality` as writePNG takes it (benchmarks compare levels).
    explicit OverlayActions(DesktopServices desktop, int pngQuality = kDefaultPngQuality);

    void saveSelectionLocally(const QImage &selection);
    void uploadSelection(const QImage &selection);
    void copySelectionToClipboard(const QImage &selection);

    // True when no action is still encoding or writing in the background.
    bool idle() const { return *m_pendingWork == 0; }

private:
    template<typename Result>
    void runInBackground(std::function<Result()> work, std::function<void(Result)> then);
    void writeSelectionThen(const QImage &selection, std::function<void(const QString &)> whenWritten);

    DesktopServices m_desktop;
    int m_pngQuality;
    // Counted on the main thread; shared with the completions, which may outlive us.
    std::shared_ptr<int> m_pendingWork = std::make_shared<int>(0);
};
