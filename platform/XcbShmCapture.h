#pragma once

#include "platform/CaptureBackend.h"

#include <QSize>

struct xcb_connection_t;

// Grabs a display's part of the X root window through a shared-memory segment
// (MIT-SHM), which saves the copy through the socket that a plain GetImage makes.
// The segment is kept for the next grab of the same size.
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
    bool ensureSegment(qsizetype bytes);
    void releaseSegment();

    xcb_connection_t *m_connection;
    quint32 m_root;
    quint32 m_segment = 0;     // the server's name for the segment
    int m_shmId = -1;
    uchar *m_memory = nullptr;
    qsizetype m_bytes = 0;
};
