#pragma once

#include "platform/CaptureBackend.h"

#include <QRect>
#include <QSize>

struct xcb_connection_t;

// Grabs a display's part of the X root window through a shared-memory segment
// (MIT-SHM), which saves the copy through the socket that a plain GetImage makes.
// Each picture keeps its own segment as its pixels, so nothing is copied after the
// server has written it, and the segment goes with the last copy of the picture.
class XcbShmCapture : public CaptureBackend
{
public:
    // Null when the connection is not X11 or the server lacks MIT-SHM or the root
    // window is not 24/32-bit true colour.
    static std::unique_ptr<XcbShmCapture> create();
    ~XcbShmCapture() override;

    QString name() const override { return QStringLiteral("xcb-shm"); }
    QImage grabScreen(QScreen *screen) override;
    // Sends the requests for every display before waiting for the first picture, so
    // the server copies one display while the next segment is being prepared here.
    void grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done) override;

private:
    struct Segment;
    struct Grab;

    XcbShmCapture(xcb_connection_t *connection, quint32 root, bool passesFds);
    // A new segment of `bytes`, mapped here and attached on the server; an invalid
    // segment on failure.
    Segment attachSegment(qsizetype bytes);
    Segment attachSysVSegment(qsizetype bytes);
    Segment attachFdSegment(qsizetype bytes);
    // Copies the display into a pixmap on the server, when a backdrop is wanted.
    Grab freezeScreen(QScreen *screen, bool intoPixmap);
    // Asks the server for the display's pixels; the reply is collected by finishGrab().
    void startGrab(Grab &grab);
    QImage finishGrab(Grab &grab);

    xcb_connection_t *m_connection;
    quint32 m_root;
    // The server takes segments as file descriptors (MIT-SHM 1.2).
    bool m_passesFds;
};

// Makes `pixmap` the X window's background (0: none), which the server draws on every
// exposure before the window's own painting.
void setX11WindowBackground(quint32 window, quint32 pixmap);
