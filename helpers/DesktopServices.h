#pragma once

#include "helpers/Clipboard.h"
#include "helpers/FilePanels.h"
#include "helpers/Notifier.h"
#include "platform/Opener.h"
#include "platform/Reachability.h"

#include <memory>

// The desktop as Vornik's windows and actions use it: made once by main() (through
// AppServices) and handed to whatever opens, asks for files, reports, copies or checks
// the network. Tests hand in their own, replacing any part.
struct DesktopServices {
    std::shared_ptr<Opener> opener;
    std::shared_ptr<Reachability> reachability;
    std::shared_ptr<FilePanels> filePanels;
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<Notifier> notifier;

    // The desktop's own: its default handlers, the kernel's routes, its file dialogs,
    // its clipboard and org.freedesktop.Notifications.
    static DesktopServices standard()
    {
        DesktopServices desktop;
        desktop.opener = std::make_shared<Opener>();
        desktop.reachability = std::make_shared<Reachability>();
        desktop.filePanels = FilePanels::dialogs();
        desktop.clipboard = std::make_shared<Clipboard>();
        desktop.notifier = std::make_shared<Notifier>(desktop.opener);
        return desktop;
    }
};
