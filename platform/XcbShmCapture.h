#pragma once

#include "platform/CaptureBackend.h"

#include <QSize>

struct xcb_connection_t;

// Grabs a display's part of the X root window through a shared-memory segment
// (MIT-SHM), which saves the copy through the socket that a plain GetImage makes.
// Each picture keeps its own segment as its pixels, so nothing is copied after the
// server has written it.
class XcbShmCapture : public CaptureBackend
{
public:
    // Null when the connection is not X11 or the server lacks MIT-SHM or the root
    // window is not 24/32-bit true colour.
    static std::unique_ptr<XcbShmCapture> create();
    ~XcbShmCapture() override;

    QString name() const override { return QStringLiteral("xcb-shm"); }
    QImage grabScreen(QScreen *screen) override;

private:
    XcbShmCapture(xcb_connection_t *connection, quint32 root);
    // A new segment of `bytes`, attached here and on the server; nullptr on failure.
    uchar *attachSegment(qsizetype bytes, quint32 *segment);

    xcb_connection_t *m_connection;
    quint32 m_root;
};
