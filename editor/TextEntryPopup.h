#pragma once

#include "editor/TextEntryView.h"
#include "editor/ToolPopover.h"

// The transient popup holding the text entry.
class TextEntryPopup : public ToolPopover
{
    Q_OBJECT
public:
    explicit TextEntryPopup(TextEntryView *view, QWidget *parent = nullptr);
    TextEntryView *view() const { return m_view; }

private:
    TextEntryView *m_view;
};
