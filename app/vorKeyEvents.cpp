#include "app/vorKeyEvents.h"

vorKeyEvents::vorKeyEvents(QObject *parent)
    : QObject(parent)
{
}

void vorKeyEvents::registerHotKeys(ScreenCapture *) {}
