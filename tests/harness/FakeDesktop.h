#pragma once

#include "helpers/DesktopServices.h"

#include <QList>
#include <QUrl>

namespace vtest {

// Records what would have been opened instead of asking the desktop; `answer` is what
// each request returns. "Show in folder" opens the folder here, as on a desktop
// without a file manager on the bus.
struct RecordingOpener : Opener {
    QList<QUrl> opened;
    bool answer = true;
    bool openUrl(const QUrl &url) override
    {
        opened << url;
        return answer;
    }
};

// A network check with a fixed answer that the test may change.
struct FixedReachability : Reachability {
    bool connected = true;
    bool isConnectedToNetwork(const QString &) const override { return connected; }
};

// The desktop a test hands to the windows and actions it builds: the real clipboard,
// notifications and file dialogs (tests replace `filePanels` where a panel would
// open), a recording opener and a network that is there unless the test says not.
struct FakeDesktop {
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::shared_ptr<FixedReachability> reachability = std::make_shared<FixedReachability>();
    DesktopServices services = make();

    // The same desktop answering its file panels with `panels` (not owned).
    DesktopServices withPanels(FilePanels &panels) const
    {
        DesktopServices desktop = services;
        desktop.filePanels = std::shared_ptr<FilePanels>(&panels, [](FilePanels *) {});
        return desktop;
    }

private:
    DesktopServices make() const
    {
        DesktopServices desktop = DesktopServices::standard();
        desktop.opener = opener;
        desktop.reachability = reachability;
        desktop.notifier = std::make_shared<Notifier>(opener);
        return desktop;
    }
};

} // namespace vtest
