#pragma once

#include <QWidget>
#include <memory>

// Modal runs of a window on the main thread: runModalForWindow shows the window and
// returns once stopModal has been called (or the window was closed). Behind this
// small interface so that a test can answer the window without a person.
class ModalRuns
{
public:
    virtual ~ModalRuns() = default;

    // Shows `window` application-modal and returns when the run ends.
    virtual void runModalForWindow(QWidget *window) = 0;
    // Ends the innermost modal run; does nothing when none is running.
    virtual void stopModal() = 0;

    // Runs on nested event loops: the desktop's.
    static std::unique_ptr<ModalRuns> eventLoops();
};
