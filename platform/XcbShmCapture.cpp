#include "platform/XcbShmCapture.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QScreen>

#include <cstdlib>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace {
xcb_connection_t *qtConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The first root screen, when it is the 24-bit depth in 32-bit pixels that Format_RGB32 reads.
const xcb_screen_t *trueColorRoot(xcb_connection_t *connection)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(setup).data;
    if (!screen || screen->root_depth != 24)
        return nullptr;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == 24)
            return it.data->bits_per_pixel == 32 ? screen : nullptr;
    }
    return nullptr;
}
} // namespace

std::unique_ptr<XcbShmCapture> XcbShmCapture::create()
{
    if (qEnvironmentVariableIsSet("VORNIK_NO_SHM_CAPTURE"))
        return nullptr;
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return nullptr;
    const xcb_query_extension_reply_t *shm = xcb_get_extension_data(connection, &xcb_shm_id);
    if (!shm || !shm->present)
        return nullptr;
    const xcb_screen_t *root = trueColorRoot(connection);
    if (!root)
        return nullptr;
    return std::unique_ptr<XcbShmCapture>(new XcbShmCapture(connection, root->root));
}

XcbShmCapture::XcbShmCapture(xcb_connection_t *connection, quint32 root)
    : m_connection(connection)
    , m_root(root)
{
}

XcbShmCapture::~XcbShmCapture() = default;

namespace {
void detachSegment(void *memory)
{
    shmdt(memory);
}
} // namespace

uchar *XcbShmCapture::attachSegment(qsizetype bytes, quint32 *segment)
{
    const int id = shmget(IPC_PRIVATE, size_t(bytes), IPC_CREAT | 0600);
    if (id < 0)
        return nullptr;
    void *memory = shmat(id, nullptr, 0);
    // Marked for removal at once: the segment goes away with the last attachment,
    // even if this process dies.
    shmctl(id, IPC_RMID, nullptr);
    if (memory == reinterpret_cast<void *>(-1))
        return nullptr;
    *segment = xcb_generate_id(m_connection);
    xcb_generic_error_t *error =
        xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, *segment, uint32_t(id), 0));
    if (error) {
        std::free(error);
        shmdt(memory);
        return nullptr;
    }
    return static_cast<uchar *>(memory);
}

QImage XcbShmCapture::grabScreen(QScreen *screen)
{
    if (!screen)
        return QImage();
    // Qt keeps a screen's top-left corner in device pixels and scales only its size.
    const qreal ratio = screen->devicePixelRatio();
    const QRect logical = screen->geometry();
    const QSize size = (QSizeF(logical.size()) * ratio).toSize();
    quint32 segment = 0;
    uchar *memory = size.isEmpty() ? nullptr : attachSegment(qsizetype(size.width()) * size.height() * 4, &segment);
    if (!memory)
        return ScreenGrabBackend().grabScreen(screen);

    auto cookie = xcb_shm_get_image(m_connection, m_root, int16_t(logical.x()), int16_t(logical.y()),
                                    uint16_t(size.width()), uint16_t(size.height()), ~0u,
                                    XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0);
    xcb_generic_error_t *error = nullptr;
    xcb_shm_get_image_reply_t *reply = xcb_shm_get_image_reply(m_connection, cookie, &error);
    // The server is done with the segment once it has replied.
    xcb_shm_detach(m_connection, segment);
    xcb_flush(m_connection);
    if (!reply) {
        std::free(error);
        shmdt(memory);
        return ScreenGrabBackend().grabScreen(screen);
    }
    std::free(reply);
    // The picture lives in the segment itself: no copy, and the segment is let go
    // with the last QImage that shares it.
    QImage image(memory, size.width(), size.height(), size.width() * 4, QImage::Format_RGB32, detachSegment, memory);
    image.setDevicePixelRatio(ratio);
    return image;
}
