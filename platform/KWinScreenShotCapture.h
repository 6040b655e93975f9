#pragma once

#include "platform/CaptureBackend.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <memory>
#include <vector>

class QDBusPendingCallWatcher;
class QTimer;

// Captures each display through KWin's org.kde.KWin.ScreenShot2 interface: one
// CaptureScreen call per display, without the pointer and at the display's device
// resolution, each answered with the picture's layout and followed by its raw pixels
// through a pipe of ours. No file and no encoding on the way.
//
// KWin answers only programs whose installed desktop entry lists the interface in
// X-KDE-DBUS-Restricted-Interfaces (and whose Exec is this program's path); others get
// an error, which the caller treats as any failed capture.
class KWinScreenShotCapture : public QObject, public CaptureBackend
{
    Q_OBJECT
public:
    static constexpr int defaultTimeoutMs = 5000;

    // Whether KWin's screenshot interface is on the session bus.
    static bool available();

    explicit KWinScreenShotCapture(int timeoutMs = defaultTimeoutMs, QObject *parent = nullptr);
    ~KWinScreenShotCapture() override;

    QString name() const override { return QStringLiteral("kwin"); }
    // Waits in a local event loop (nothing in the capture path uses this).
    QImage grabScreen(QScreen *screen) override;
    // Asks for every display at once; `done` comes from the event loop. While one
    // capture is open a second is refused.
    void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done) override;

    // The picture that `results` (CaptureScreen's answer) describes in `pixels`, or a
    // null one and why not.
    static QImage pictureFrom(const QByteArray &pixels, const QVariantMap &results, QString *failure);

private:
    struct Shot;
    bool startShot(QScreen *screen, QString *failure);
    void handleReply(Shot *shot, QDBusPendingCallWatcher *call);
    void readPipe(Shot *shot);
    void finishIfComplete();
    void finish(const QList<QImage> &pictures, const QString &failure);

    int m_timeoutMs;
    QTimer *m_timer;
    std::vector<std::unique_ptr<Shot>> m_shots;   // one per display of the open capture
    QList<QPointer<QScreen>> m_screens;
    ScreensGrabbed m_done;
    quint64 m_serial = 0;   // the open capture, so that late answers of older ones are dropped
};
