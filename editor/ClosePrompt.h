#pragma once

class QWidget;

// The question asked when an editor holding unsaved figures is closed, behind a small
// interface so that a test can answer it.
class ClosePrompt
{
public:
    enum class Answer { save, discard, cancel };

    virtual ~ClosePrompt() = default;
    virtual Answer ask(QWidget *window) = 0;

    // The prompt in use: a message box unless replaced.
    static ClosePrompt &current();
    // Replaces the prompt (not owned); nullptr restores the message box.
    static void setCurrent(ClosePrompt *prompt);
};
