#pragma once

#include <memory>

class QWidget;

// The question asked when an editor holding unsaved figures is closed, behind a small
// interface so that a test can answer it.
class ClosePrompt
{
public:
    enum class Answer { save, discard, cancel };

    virtual ~ClosePrompt() = default;
    virtual Answer ask(QWidget *window) = 0;

    // Asks with a message box.
    static std::unique_ptr<ClosePrompt> messageBox();
};
