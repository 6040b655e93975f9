#include "platform/WlrScreencopyCapture.h"

#include "wlr-screencopy-unstable-v1-client.h"

#include <QElapsedTimer>
#include <QScreen>

#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kCopyTimeoutMs = 3000;
constexpr uint32_t kShmVersion = 1;
constexpr uint32_t kManagerVersion = 3;
constexpr uint32_t kOutputVersion = 4;   // the first that names the output

struct Output {
    wl_output *proxy = nullptr;
    uint32_t globalName = 0;
    QString name;                        // as QScreen::name() has it
};

// The picture format of a wl_shm buffer format, for the four a compositor offers
// for outputs; Format_Invalid for any other.
QImage::Format imageFormat(uint32_t shmFormat)
{
    switch (shmFormat) {
    case WL_SHM_FORMAT_ARGB8888:
    case WL_SHM_FORMAT_XRGB8888:
        return QImage::Format_RGB32;     // an output's pixels are opaque whatever its alpha says
    case WL_SHM_FORMAT_ABGR8888:
    case WL_SHM_FORMAT_XBGR8888:
        return QImage::Format_RGBX8888;
    default:
        return QImage::Format_Invalid;
    }
}

// One output's copy, from the request to the compositor's answer.
struct FrameCopy {
    zwlr_screencopy_frame_v1 *frame = nullptr;
    wl_shm *shm = nullptr;
    uint32_t frameVersion = 1;
    uint32_t format = 0, width = 0, height = 0, stride = 0;
    bool offered = false;                // a shared-memory format we can read was offered
    bool yInverted = false;
    bool finished = false;
    QString failure;
    wl_buffer *buffer = nullptr;
    void *pixels = MAP_FAILED;
    size_t size = 0;

    ~FrameCopy()
    {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (pixels != MAP_FAILED)
            munmap(pixels, size);
        if (frame)
            zwlr_screencopy_frame_v1_destroy(frame);
    }

    void fail(const QString &why)
    {
        failure = why;
        finished = true;
    }

    // A buffer of the offered size in a memory file of its own, and the copy into it.
    void startCopy()
    {
        if (!offered)
            return fail(QStringLiteral("the compositor offers no shared-memory format Vornik reads"));
        size = size_t(stride) * height;
        const int fd = memfd_create("vornik-screencopy", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(size)) != 0) {
            if (fd >= 0)
                close(fd);
            return fail(QStringLiteral("no shared memory for the copy: %1").arg(QString::fromLocal8Bit(strerror(errno))));
        }
        pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (pixels == MAP_FAILED) {
            close(fd);
            return fail(QStringLiteral("cannot map the copy's memory"));
        }
        wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int32_t(size));
        buffer = wl_shm_pool_create_buffer(pool, 0, int32_t(width), int32_t(height), int32_t(stride), format);
        wl_shm_pool_destroy(pool);
        close(fd);
        zwlr_screencopy_frame_v1_copy(frame, buffer);
    }

    QImage picture() const
    {
        const QImage shared(static_cast<const uchar *>(pixels), int(width), int(height), int(stride), imageFormat(format));
        QImage picture = shared.format() == QImage::Format_RGB32 ? shared.copy() : shared.convertToFormat(QImage::Format_RGB32);
        return yInverted ? picture.mirrored(false, true) : picture;
    }
};

void frameBuffer(void *data, zwlr_screencopy_frame_v1 *, uint32_t format, uint32_t width, uint32_t height, uint32_t stride)
{
    auto *copy = static_cast<FrameCopy *>(data);
    // Four bytes a pixel, and no more than 2^30 bytes (a 16384 x 16384 output).
    if (copy->offered || imageFormat(format) == QImage::Format_Invalid || width == 0 || height == 0
        || stride / 4 < width || uint64_t(stride) * height > (uint64_t(1) << 30))
        return;
    copy->offered = true;
    copy->format = format;
    copy->width = width;
    copy->height = height;
    copy->stride = stride;
    // Before version 3 the one buffer event is the whole offer.
    if (copy->frameVersion < 3)
        copy->startCopy();
}

void frameFlags(void *data, zwlr_screencopy_frame_v1 *, uint32_t flags)
{
    static_cast<FrameCopy *>(data)->yInverted = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}

void frameReady(void *data, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t)
{
    static_cast<FrameCopy *>(data)->finished = true;
}

void frameFailed(void *data, zwlr_screencopy_frame_v1 *)
{
    static_cast<FrameCopy *>(data)->fail(QStringLiteral("the compositor could not copy the output"));
}

void frameDamage(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t, uint32_t) {}
void frameDmabuf(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t) {}

void frameBufferDone(void *data, zwlr_screencopy_frame_v1 *)
{
    static_cast<FrameCopy *>(data)->startCopy();
}

const zwlr_screencopy_frame_v1_listener kFrameListener = {frameBuffer, frameFlags, frameReady, frameFailed,
                                                          frameDamage, frameDmabuf, frameBufferDone};

void outputGeometry(void *, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *, const char *, int32_t) {}
void outputMode(void *, wl_output *, uint32_t, int32_t, int32_t, int32_t) {}
void outputDone(void *, wl_output *) {}
void outputScale(void *, wl_output *, int32_t) {}
void outputName(void *data, wl_output *, const char *name)
{
    static_cast<Output *>(data)->name = QString::fromUtf8(name);
}
void outputDescription(void *, wl_output *, const char *) {}

const wl_output_listener kOutputListener = {outputGeometry, outputMode, outputDone, outputScale, outputName, outputDescription};

// Reads and dispatches the connection's events until `finished` holds; false when
// the connection broke or `timeoutMs` passed first.
template<typename Condition>
bool dispatchUntil(wl_display *display, Condition finished, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!finished()) {
        while (wl_display_prepare_read(display) != 0)
            if (wl_display_dispatch_pending(display) < 0)
                return false;
        if (finished()) {
            wl_display_cancel_read(display);
            return true;
        }
        wl_display_flush(display);
        pollfd readable{wl_display_get_fd(display), POLLIN, 0};
        const int left = std::max(0, timeoutMs - int(clock.elapsed()));
        const int ready = poll(&readable, 1, left);
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR)
                continue;
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            return false;
    }
    return true;
}
} // namespace

struct WlrScreencopyCapture::Globals {
    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    wl_shm *shm = nullptr;
    zwlr_screencopy_manager_v1 *manager = nullptr;
    // Pointers, as each output's listener holds its address.
    std::vector<std::unique_ptr<Output>> outputs;

    ~Globals()
    {
        for (const auto &output : outputs)
            wl_output_destroy(output->proxy);
        if (manager)
            zwlr_screencopy_manager_v1_destroy(manager);
        if (shm)
            wl_shm_destroy(shm);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    Output *outputNamed(const QString &name) const
    {
        for (const auto &output : outputs)
            if (output->name == name)
                return output.get();
        return nullptr;
    }
};

namespace {
void registryGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto *globals = static_cast<WlrScreencopyCapture::Globals *>(data);
    if (!strcmp(interface, wl_shm_interface.name) && !globals->shm) {
        globals->shm = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, kShmVersion));
    } else if (!strcmp(interface, zwlr_screencopy_manager_v1_interface.name) && !globals->manager) {
        globals->manager = static_cast<zwlr_screencopy_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, std::min(version, kManagerVersion)));
    } else if (!strcmp(interface, wl_output_interface.name)) {
        auto output = std::make_unique<Output>();
        output->globalName = name;
        output->proxy = static_cast<wl_output *>(
            wl_registry_bind(registry, name, &wl_output_interface, std::min(version, kOutputVersion)));
        wl_output_add_listener(output->proxy, &kOutputListener, output.get());
        globals->outputs.push_back(std::move(output));
    }
}

void registryGlobalRemove(void *data, wl_registry *, uint32_t name)
{
    auto &outputs = static_cast<WlrScreencopyCapture::Globals *>(data)->outputs;
    for (auto output = outputs.begin(); output != outputs.end(); ++output) {
        if ((*output)->globalName == name) {
            wl_output_destroy((*output)->proxy);
            outputs.erase(output);
            return;
        }
    }
}

const wl_registry_listener kRegistryListener = {registryGlobal, registryGlobalRemove};
} // namespace

std::unique_ptr<WlrScreencopyCapture> WlrScreencopyCapture::create()
{
    // A socket handed over by the parent is the toolkit's own connection, and one.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return nullptr;
    auto globals = std::make_unique<Globals>();
    globals->display = wl_display_connect(nullptr);
    if (!globals->display)
        return nullptr;
    globals->registry = wl_display_get_registry(globals->display);
    wl_registry_add_listener(globals->registry, &kRegistryListener, globals.get());
    // The first round trip brings the globals, the second the outputs' names.
    if (wl_display_roundtrip(globals->display) < 0 || wl_display_roundtrip(globals->display) < 0)
        return nullptr;
    if (!globals->manager || !globals->shm)
        return nullptr;
    return std::unique_ptr<WlrScreencopyCapture>(new WlrScreencopyCapture(std::move(globals)));
}

WlrScreencopyCapture::WlrScreencopyCapture(std::unique_ptr<Globals> globals)
    : m_globals(std::move(globals))
{
}

WlrScreencopyCapture::~WlrScreencopyCapture() = default;

QImage WlrScreencopyCapture::grabScreen(QScreen *screen)
{
    QString failure;
    return screen ? copyOutputs({screen}, &failure).value(0) : QImage();
}

void WlrScreencopyCapture::grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    QString failure;
    const QList<QImage> pictures = copyOutputs(screens, &failure);
    done(failure.isEmpty() ? pictures : QList<QImage>{}, failure);
}

QList<QImage> WlrScreencopyCapture::copyOutputs(const QList<QScreen *> &screens, QString *failure)
{
    wl_display *display = m_globals->display;
    // Outputs that came or went since the last capture.
    if (wl_display_roundtrip(display) < 0) {
        *failure = QStringLiteral("lost the Wayland connection");
        return {};
    }
    std::vector<std::unique_ptr<FrameCopy>> copies;
    for (QScreen *screen : screens) {
        const Output *output = screen ? m_globals->outputNamed(screen->name()) : nullptr;
        if (!output) {
            *failure = QStringLiteral("no Wayland output is named %1").arg(screen ? screen->name() : QString());
            return {};
        }
        auto copy = std::make_unique<FrameCopy>();
        copy->shm = m_globals->shm;
        copy->frame = zwlr_screencopy_manager_v1_capture_output(m_globals->manager, 0, output->proxy);
        copy->frameVersion = zwlr_screencopy_frame_v1_get_version(copy->frame);
        zwlr_screencopy_frame_v1_add_listener(copy->frame, &kFrameListener, copy.get());
        copies.push_back(std::move(copy));
    }
    const auto allFinished = [&] {
        return std::all_of(copies.cbegin(), copies.cend(), [](const auto &copy) { return copy->finished; });
    };
    if (!dispatchUntil(display, allFinished, kCopyTimeoutMs)) {
        *failure = QStringLiteral("the compositor did not copy the outputs within %1 s").arg(kCopyTimeoutMs / 1000);
        return {};
    }
    QList<QImage> pictures;
    for (size_t i = 0; i < copies.size(); ++i) {
        if (!copies[i]->failure.isEmpty()) {
            *failure = copies[i]->failure;
            return {};
        }
        pictures.append(copies[i]->picture());
        pictures.last().setDevicePixelRatio(screens.at(int(i))->devicePixelRatio());
    }
    return pictures;
}
