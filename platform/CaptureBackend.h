#pragma once

#include <QImage>
#include <QString>
#include <memory>

class QScreen;

// Takes the picture of one display. The capture service asks the process's backend
// for every display before it shows any overlay and never learns which backend ran.
//
// The picture holds the display's device pixels, with the display's device pixel
// ratio set on it. A null image means the display could not be grabbed.
class CaptureBackend
{
public:
    virtual ~CaptureBackend() = default;
    virtual QString name() const = 0;
    virtual QImage grabScreen(QScreen *screen) = 0;
};

// QScreen::grabWindow(0): works on every Qt platform that can read its screens
// (X11, the offscreen platform).
class ScreenGrabBackend : public CaptureBackend
{
public:
    QString name() const override { return QStringLiteral("qscreen"); }
    QImage grabScreen(QScreen *screen) override;
};

// The backend for this session: an MIT-SHM grab on X11 when the server offers it,
// else QScreen::grabWindow.
CaptureBackend &captureBackend();

// Replaces the process's backend (benchmarks compare them; tests may feed pictures).
void setCaptureBackend(std::unique_ptr<CaptureBackend> backend);
