#pragma once

#include "editor/LineWidthView.h"
#include "editor/ToolPopover.h"

// The transient popup holding the line widths.
class LineWidthPopup : public ToolPopover
{
    Q_OBJECT
public:
    explicit LineWidthPopup(LineWidthView *view, QWidget *parent = nullptr);
    LineWidthView *view() const { return m_view; }

private:
    LineWidthView *m_view;
};
