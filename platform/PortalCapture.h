#pragma once

#include "platform/CaptureBackend.h"
#include "platform/DisplayArea.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QVariantMap>

class QDBusPendingCallWatcher;
class QTimer;

// The pieces of a portal capture that need no bus and no screen.
namespace PortalScreenshot {

// Where the portal keeps the request that the client with unique bus name
// `uniqueName` makes with `token`: /org/freedesktop/portal/desktop/request/SENDER/TOKEN,
// SENDER being the unique name without its ':' and with '.' written as '_'.
QString requestPath(const QString &uniqueName, const QString &token);

// Cuts a picture of the whole desktop into one picture per display. The picture
// spans `desktopArea` (by default the rectangle around `displays`); the scale between the two (usually 1 or
// the largest pixel ratio) is read off their sizes. Each piece is brought to the
// display's geometry × ratio and carries the ratio. No desktop, no pieces.
QList<QImage> cutDesktop(const QImage &desktop, const QList<DisplayArea> &displays, QRect desktopArea = QRect());

// Whether the picture the portal named at `path` is ours to remove: a plain file (not
// a link) written since `asked` (when the request went out), wherever the back end
// put it (KDE's saves into the pictures folder, GNOME's into the home folder). An
// older file is the user's own and stays.
bool isDisposable(const QString &path, const QDateTime &asked);

// Makes the user's pictures folder if it is missing: KDE's back end saves there and
// answers "cancelled" when it cannot. Returns the folder when it was made now (for
// removeIfEmpty once the answer is in), else an empty text.
QString preparePicturesFolder();
// Removes `folder` when it holds nothing.
void removeIfEmpty(const QString &folder);

// Whether a screenshot portal is on the session bus, running or ready to start.
bool servicePresent();

// Whether a portal back end (org.freedesktop.impl.portal.desktop.*) still works on
// the request at `handle`: it keeps an org.freedesktop.impl.portal.Request there while
// it does, e.g. while GNOME's asks the user whether screenshots are allowed.
bool backEndWorksOn(const QString &handle);

} // namespace PortalScreenshot

// Captures through org.freedesktop.portal.Screenshot on the session bus, the one
// way a Wayland client may read the screen. The portal answers with a file of the
// whole desktop, asynchronously, through a Response signal of the request object;
// the backend cuts it into the displays' pictures.
//
// A request may wait for the user: GNOME's portal asks once whether applications may
// take screenshots. While a back end still works on the request the capture waits,
// however long, and says so once; it gives up after `timeoutMs` only when nobody does
// (the portal front end stops waiting for the dialog after 25 s and never answers).
class PortalCapture : public QObject, public CaptureBackend
{
    Q_OBJECT
public:
    static constexpr int defaultTimeoutMs = 30000;

    explicit PortalCapture(int timeoutMs = defaultTimeoutMs, QObject *parent = nullptr);
    ~PortalCapture() override;

    QString name() const override { return QStringLiteral("portal"); }

    // Waits in a local event loop for the portal (nothing in the capture path uses
    // this; grabScreens() does not block).
    QImage grabScreen(QScreen *screen) override;

    // One portal request for all `screens`. While one is open a second is refused.
    void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done) override;

    bool isBusy() const { return bool(m_done); }

private slots:
    void handleResponse(uint response, const QVariantMap &results);

private:
    void handleCallFinished(QDBusPendingCallWatcher *call, quint64 serial);
    void handleTimeout();
    void giveUp(const QString &failure);
    bool watchRequest(const QString &path);
    void unwatchRequest();
    QList<QImage> picturesFrom(const QVariantMap &results, QString *failure) const;
    void finish(const QList<QImage> &pictures, const QString &failure);

    int m_timeoutMs;
    QTimer *m_timer;
    quint64 m_serial = 0;         // the request now open, so late answers of older ones are dropped
    QString m_requestPath;        // whose Response is being listened to; empty when none
    QList<QPointer<QScreen>> m_screens;
    ScreensGrabbed m_done;
    QDateTime m_askedAt;          // when the open request went out
    QString m_madePicturesFolder; // made for the open request; goes again if left empty
    bool m_waitedForUser = false; // the open request was said to wait for the user
};
