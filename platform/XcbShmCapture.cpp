#include "platform/XcbShmCapture.h"

#include "platform/CaptureTrace.h"
#include "platform/ScreenGrabBackend.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QScreen>

#include <cstdlib>
#include <sys/ipc.h>
#include <sys/mman.h>
#include <sys/shm.h>
#include <unistd.h>
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

// Whether the server takes a segment as a file descriptor (MIT-SHM 1.2 and later).
bool serverTakesFds(xcb_connection_t *connection)
{
    if (qEnvironmentVariableIsSet("VORNIK_SHM_SYSV"))
        return false;
    xcb_shm_query_version_reply_t *version =
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    const bool takesFds =
        version && (version->major_version > 1 || (version->major_version == 1 && version->minor_version >= 2));
    std::free(version);
    return takesFds;
}

// Our mapping of a segment, owned by the picture that lives in it.
struct Mapping {
    void *memory = nullptr;
    size_t bytes = 0;
    bool sysV = false;
};

void releaseMapping(void *info)
{
    auto *mapping = static_cast<Mapping *>(info);
    if (mapping->sysV)
        shmdt(mapping->memory);
    else
        munmap(mapping->memory, mapping->bytes);
    delete mapping;
}
} // namespace

struct XcbShmCapture::Segment {
    Mapping *mapping = nullptr; // null: no segment
    quint32 id = 0;             // the server's name for it
    unsigned int attachRequest = 0;
};

struct XcbShmCapture::Grab {
    QScreen *screen = nullptr;
    QSize size;
    qreal ratio = 1;
    QPoint origin;           // the display's top-left corner on the root window
    quint32 pixmap = 0;      // the display's copy on the server, if one was made
    Segment segment;
    xcb_shm_get_image_cookie_t cookie{};
};

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
    return std::unique_ptr<XcbShmCapture>(new XcbShmCapture(connection, root->root, serverTakesFds(connection)));
}

XcbShmCapture::XcbShmCapture(xcb_connection_t *connection, quint32 root, bool passesFds)
    : m_connection(connection)
    , m_root(root)
    , m_passesFds(passesFds)
{
}

XcbShmCapture::~XcbShmCapture() = default;

XcbShmCapture::Segment XcbShmCapture::attachSegment(qsizetype bytes)
{
    if (m_passesFds) {
        Segment segment = attachFdSegment(bytes);
        if (segment.mapping)
            return segment;
    }
    return attachSysVSegment(bytes);
}

// A memory file mapped with MAP_POPULATE: its pages exist before the server writes
// them, so neither the server's copy nor our first paint stops on a page fault per
// 4 KiB, and the populating runs here while the server copies the previous display.
XcbShmCapture::Segment XcbShmCapture::attachFdSegment(qsizetype bytes)
{
    const int fd = memfd_create("vornik-capture", MFD_CLOEXEC);
    if (fd < 0)
        return {};
    void *memory = MAP_FAILED;
    if (ftruncate(fd, off_t(bytes)) == 0)
        memory = mmap(nullptr, size_t(bytes), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return {};
    }
    Segment segment;
    segment.mapping = new Mapping{memory, size_t(bytes), false};
    segment.id = xcb_generate_id(m_connection);
    // xcb closes the descriptor once it is sent; the mapping keeps the memory.
    segment.attachRequest = xcb_shm_attach_fd_checked(m_connection, segment.id, fd, 0).sequence;
    return segment;
}

XcbShmCapture::Segment XcbShmCapture::attachSysVSegment(qsizetype bytes)
{
    const int id = shmget(IPC_PRIVATE, size_t(bytes), IPC_CREAT | 0600);
    if (id < 0)
        return {};
    void *memory = shmat(id, nullptr, 0);
    // Marked for removal at once: the segment goes away with the last attachment,
    // even if this process dies.
    shmctl(id, IPC_RMID, nullptr);
    if (memory == reinterpret_cast<void *>(-1))
        return {};
    Segment segment;
    segment.mapping = new Mapping{memory, size_t(bytes), true};
    segment.id = xcb_generate_id(m_connection);
    segment.attachRequest = xcb_shm_attach_checked(m_connection, segment.id, uint32_t(id), 0).sequence;
    return segment;
}

XcbShmCapture::Grab XcbShmCapture::freezeScreen(QScreen *screen, bool intoPixmap)
{
    Grab grab;
    grab.screen = screen;
    if (!screen)
        return grab;
    // Qt keeps a screen's top-left corner in device pixels and scales only its size.
    grab.ratio = screen->devicePixelRatio();
    const QRect logical = screen->geometry();
    grab.origin = logical.topLeft();
    grab.size = (QSizeF(logical.size()) * grab.ratio).toSize();
    if (grab.size.isEmpty() || !intoPixmap)
        return grab;
    // A copy inside the server: no pixels travel, and the display is frozen at this
    // request whatever is mapped over it next.
    grab.pixmap = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, 24, grab.pixmap, m_root, uint16_t(grab.size.width()),
                      uint16_t(grab.size.height()));
    const xcb_gcontext_t gc = xcb_generate_id(m_connection);
    const uint32_t includeInferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
    xcb_create_gc(m_connection, gc, grab.pixmap, XCB_GC_SUBWINDOW_MODE, &includeInferiors);
    xcb_copy_area(m_connection, m_root, grab.pixmap, gc, int16_t(grab.origin.x()), int16_t(grab.origin.y()), 0, 0,
                  uint16_t(grab.size.width()), uint16_t(grab.size.height()));
    xcb_free_gc(m_connection, gc);
    return grab;
}

void XcbShmCapture::startGrab(Grab &grab)
{
    if (!grab.screen || grab.size.isEmpty())
        return;
    grab.segment = attachSegment(qsizetype(grab.size.width()) * grab.size.height() * 4);
    if (!grab.segment.mapping)
        return;
    traceCaptureStep("segment-ready");
    const QPoint from = grab.pixmap ? QPoint(0, 0) : grab.origin;
    grab.cookie = xcb_shm_get_image(m_connection, grab.pixmap ? grab.pixmap : m_root, int16_t(from.x()),
                                    int16_t(from.y()), uint16_t(grab.size.width()), uint16_t(grab.size.height()),
                                    ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, grab.segment.id, 0);
    // Sent now, so the server copies this display while the next one is prepared.
    xcb_flush(m_connection);
}

QImage XcbShmCapture::finishGrab(Grab &grab)
{
    if (!grab.screen)
        return QImage();
    if (grab.pixmap) {
        xcb_free_pixmap(m_connection, grab.pixmap);
        grab.pixmap = 0;
    }
    Mapping *mapping = grab.segment.mapping;
    if (!mapping)
        return ScreenGrabBackend().grabScreen(grab.screen);
    xcb_generic_error_t *error = nullptr;
    xcb_shm_get_image_reply_t *reply = xcb_shm_get_image_reply(m_connection, grab.cookie, &error);
    std::free(error);
    // The attach was answered before the image; a failed attach is collected here
    // instead of reaching the event loop as a stray error.
    xcb_generic_error_t *attachError = xcb_request_check(m_connection, {grab.segment.attachRequest});
    if (attachError) {
        std::free(attachError);
    } else {
        // The server is done with the segment once it has replied.
        xcb_shm_detach(m_connection, grab.segment.id);
        xcb_flush(m_connection);
    }
    if (!reply) {
        releaseMapping(mapping);
        return ScreenGrabBackend().grabScreen(grab.screen);
    }
    std::free(reply);
    // The picture lives in the segment itself: no copy, and the segment is let go
    // with the last QImage that shares it.
    QImage image(static_cast<uchar *>(mapping->memory), grab.size.width(), grab.size.height(), grab.size.width() * 4,
                 QImage::Format_RGB32, releaseMapping, mapping);
    image.setDevicePixelRatio(grab.ratio);
    return image;
}

QImage XcbShmCapture::grabScreen(QScreen *screen)
{
    Grab grab = freezeScreen(screen, false);
    startGrab(grab);
    return finishGrab(grab);
}

void XcbShmCapture::grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    std::vector<Grab> grabs;
    grabs.reserve(size_t(screens.size()));
    const bool backdrops = bool(m_backdropsReady);
    for (QScreen *screen : screens)
        grabs.push_back(freezeScreen(screen, backdrops));
    if (backdrops) {
        QList<quint32> pixmaps;
        for (const Grab &grab : grabs)
            pixmaps.append(grab.pixmap);
        m_backdropsReady(pixmaps);
    }
    for (Grab &grab : grabs)
        startGrab(grab);
    QList<QImage> pictures;
    pictures.reserve(screens.size());
    for (Grab &grab : grabs)
        pictures.append(finishGrab(grab));
    done(pictures, QString());
}

void setX11WindowBackground(quint32 window, quint32 pixmap)
{
    xcb_connection_t *connection = qtConnection();
    if (!connection || !window)
        return;
    const uint32_t background = pixmap ? pixmap : uint32_t(XCB_BACK_PIXMAP_NONE);
    xcb_change_window_attributes(connection, window, XCB_CW_BACK_PIXMAP, &background);
}
