#pragma once

#include "platform/CaptureBackend.h"

#include <QImage>
#include <QString>

class QScreen;

// QScreen::grabWindow(0): works on every Qt platform that can read its screens
// (X11, the offscreen platform).
class ScreenGrabBackend : public CaptureBackend
{
public:
    QString name() const override { return QStringLiteral("qscreen"); }
    QImage grabScreen(QScreen *screen) override;
};
