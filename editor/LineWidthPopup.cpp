#include "editor/LineWidthPopup.h"

LineWidthPopup::LineWidthPopup(LineWidthView *view, QWidget *parent)
    : ToolPopover(view, parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("linesizepopup"));
}
