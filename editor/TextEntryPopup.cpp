#include "editor/TextEntryPopup.h"

TextEntryPopup::TextEntryPopup(TextEntryView *view, QWidget *parent)
    : ToolPopover(view, parent)
    , m_view(view)
{
    setObjectName(QStringLiteral("texteditpopover"));
}
