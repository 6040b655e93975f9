#include "editor/ColorPalettePopup.h"

ColorPalettePopup::ColorPalettePopup(ColorPaletteView *view, QWidget *parent)
    : ToolPopover(view, parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("colorpickerpopover"));
}
