#pragma once

#include "platform/CaptureBackend.h"

#include <QByteArray>

#include <memory>

// The compositor's own capture first, and the other backend (the screenshot portal)
// whenever it fails: a native interface that refuses this program, was withdrawn or
// lost its connection costs one attempt, never a failed capture. After a few
// failures in a row the native one is no longer tried in this process.
class FallbackCapture : public CaptureBackend
{
public:
    static constexpr int failuresBeforeGivingUp = 3;

    FallbackCapture(std::unique_ptr<CaptureBackend> native, std::unique_ptr<CaptureBackend> fallback);

    // "screencopy", "kwin" ... : the native backend's.
    QString name() const override { return m_native->name(); }
    QImage grabScreen(QScreen *screen) override;
    void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done) override;

private:
    void grabWithFallback(const QList<QScreen *> &screens, const ScreensGrabbed &done);

    std::unique_ptr<CaptureBackend> m_native;
    std::unique_ptr<CaptureBackend> m_fallback;
    int m_failuresInARow = 0;
    QByteArray m_nativeStep;     // the capture trace's line for a native picture
    QByteArray m_fallbackStep;
};
