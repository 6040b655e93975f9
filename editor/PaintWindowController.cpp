#include "editor/PaintWindowController.h"

PaintWindowController::PaintWindowController(QWidget *parent)
    : QWidget(parent)
{
}
