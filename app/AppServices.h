#pragma once

#include "helpers/DesktopServices.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ModalRuns;

// The desktop back ends the application asks about, made in one place: main() takes
// AppServices::standard() and hands it to the TrayApp it creates, which hands them on
// to the windows and actions it makes; tests hand in their own
// (tests/harness/FakeAppServices) and so replace the desktop as a whole.
struct AppServices {
    // Whether a back end can take the picture of the screens: always on X11; through
    // the screenshot portal (Wayland, VORNIK_CAPTURE_BACKEND=portal) only while the
    // session bus has one. Without it a capture request opens the permission window.
    std::function<bool()> captureBackendPresent;
    // Whether a back end can bind the global hot keys: X11 key grabs, or the
    // desktop's GlobalShortcuts portal on Wayland.
    std::function<bool()> hotKeyBackendPresent;
    // Starts another program without waiting for it (the successor on restart, the
    // desktop's privacy settings); false when it could not be started.
    using ProgramStarter = std::function<bool(const QString &program, const QStringList &arguments)>;
    ProgramStarter startProgram;
    // Runs the banner color window modally (banner/ModalRuns.h).
    std::shared_ptr<ModalRuns> modalRuns;
    // What opens, reports, copies, asks for files and checks the network.
    DesktopServices desktop;

    // The answers of the desktop this process runs on.
    static AppServices standard();
};
