#pragma once

#include "platform/CaptureBackend.h"

#include <memory>

// Copies each output through the screencopy protocol of wlroots compositors (sway and
// its kin), on a Wayland connection of its own: the compositor copies the output's
// current frame into a shared-memory buffer of this process, without the pointer, so
// no portal, file or PNG stands between. Every output is asked at once and the
// answers come within a frame or two, so grabScreens() waits for them and answers
// before it returns (at most a few seconds when the compositor hangs).
class WlrScreencopyCapture : public CaptureBackend
{
public:
    // Null when the session's compositor offers no screencopy or no shared memory.
    static std::unique_ptr<WlrScreencopyCapture> create();
    ~WlrScreencopyCapture() override;

    QString name() const override { return QStringLiteral("screencopy"); }
    QImage grabScreen(QScreen *screen) override;
    void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done) override;

    // The connection and what its registry offers; in the source file.
    struct Globals;

private:
    explicit WlrScreencopyCapture(std::unique_ptr<Globals> globals);
    QList<QImage> copyOutputs(const QList<QScreen *> &screens, QString *failure);

    std::unique_ptr<Globals> m_globals;
};
