#include "app/vorMenu.h"

vorMenu::vorMenu(QWidget *parent)
    : QMenu(parent)
{
    setTitle(QStringLiteral("History"));
}
