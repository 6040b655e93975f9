#pragma once

#include "editor/ColorPaletteView.h"
#include "editor/ToolPopover.h"

// The transient popup holding the color palette.
class ColorPalettePopup : public ToolPopover
{
    Q_OBJECT
public:
    explicit ColorPalettePopup(ColorPaletteView *view, QWidget *parent = nullptr);
    ColorPaletteView *view() const { return m_view; }

private:
    ColorPaletteView *m_view;
};
