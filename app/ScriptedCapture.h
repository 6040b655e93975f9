#pragma once

#include "app/CaptureRequest.h"
#include "helpers/DesktopServices.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>

class QScreen;
class ScreenCapture;

// Carries out a command-line capture that names what to take (the display or the
// window under the pointer, or a region) without showing the overlays: takes the
// picture through the capture service's backend, cuts the part out and hands it to
// the output asked for. The answer (CaptureAnswer) goes back to the calling process.
class ScriptedCapture : public QObject
{
    Q_OBJECT
public:
    using Reply = std::function<void(const QByteArray &answer)>;

    ScriptedCapture(ScreenCapture &capture, DesktopServices desktop, QObject *parent = nullptr);

    // Runs `request` (its delay already waited for); `reply` gets the answer once.
    void run(const CaptureRequest &request, Reply reply);

private:
    // The display and the part of it (global coordinates) that `request` names, or
    // the reason there is none.
    struct Target {
        QPointer<QScreen> screen;
        QRect area;
        QString problem;
    };
    Target targetOf(const CaptureRequest &request);
    Target windowUnderPointer();
    void deliver(const CaptureRequest &request, const QImage &picture, const Reply &reply);
    void save(const QImage &picture, const QString &path, const Reply &reply);
    void upload(const QImage &picture, const Reply &reply);

    ScreenCapture &m_capture;
    DesktopServices m_desktop;
};
