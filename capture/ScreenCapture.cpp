#include "capture/ScreenCapture.h"

ScreenCapture::ScreenCapture(QObject *parent)
    : QObject(parent)
{
}

void ScreenCapture::captureAllScreens() {}
void ScreenCapture::closeOverlays() {}
void ScreenCapture::clearSelections() {}
