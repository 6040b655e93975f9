#include "platform/KWinScreenShotCapture.h"

#include "platform/CaptureTrace.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {
const QString kService = QStringLiteral("org.kde.KWin.ScreenShot2");
const QString kPath = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString kInterface = QStringLiteral("org.kde.KWin.ScreenShot2");
// A display's pixels pass the pipe in fewer, larger pieces (the system's limit for an
// unprivileged process is 1 MiB).
constexpr int kPipeBytes = 1 << 20;
constexpr qint64 kMostBytes = qint64(1) << 30;
} // namespace

// One display's call and the pipe its pixels come through.
struct KWinScreenShotCapture::Shot {
    int readEnd = -1;
    QSocketNotifier *notifier = nullptr;
    QByteArray pixels;
    bool answered = false;
    QVariantMap results;
    qint64 expected = -1;   // bytes, known from the answer

    ~Shot()
    {
        // It may be the one whose signal is being handled now.
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        if (readEnd >= 0)
            close(readEnd);
    }
    bool complete() const { return answered && expected >= 0 && pixels.size() >= expected; }
};

bool KWinScreenShotCapture::available()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(kService);
}

KWinScreenShotCapture::KWinScreenShotCapture(int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_timeoutMs(timeoutMs)
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        finish({}, QStringLiteral("KWin did not deliver the screenshots within %1 s").arg(m_timeoutMs / 1000.0));
    });
}

KWinScreenShotCapture::~KWinScreenShotCapture() = default;

QImage KWinScreenShotCapture::grabScreen(QScreen *screen)
{
    return grabOneWaiting(screen);
}

void KWinScreenShotCapture::grabScreens(const QList<QScreen *> &screens, const ScreensGrabbed &done)
{
    if (m_done) {
        done({}, QStringLiteral("a screenshot is already being taken"));
        return;
    }
    m_done = done;
    ++m_serial;
    m_screens.clear();
    for (QScreen *screen : screens) {
        m_screens.append(screen);
        QString failure;
        if (!startShot(screen, &failure)) {
            finish({}, failure);
            return;
        }
    }
    m_timer->start(m_timeoutMs);
}

bool KWinScreenShotCapture::startShot(QScreen *screen, QString *failure)
{
    int ends[2];
    if (!screen || pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        *failure = QStringLiteral("cannot make a pipe for KWin's screenshot");
        return false;
    }
    (void)fcntl(ends[0], F_SETPIPE_SZ, kPipeBytes);
    auto shot = std::make_unique<Shot>();
    shot->readEnd = ends[0];
    shot->notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read);
    Shot *raw = shot.get();
    connect(shot->notifier, &QSocketNotifier::activated, this, [this, raw] { readPipe(raw); });
    m_shots.push_back(std::move(shot));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CaptureScreen"));
    const QVariantMap options{{QStringLiteral("include-cursor"), false}, {QStringLiteral("native-resolution"), true}};
    call << screen->name() << options << QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]));
    close(ends[1]);   // the message holds a copy; KWin gets its own
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, raw, serial = m_serial](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                // The answer to a capture that has finished (timed out) is dropped.
                if (serial == m_serial && m_done)
                    handleReply(raw, finished);
            });
    return true;
}

void KWinScreenShotCapture::handleReply(Shot *shot, QDBusPendingCallWatcher *call)
{
    const QDBusPendingReply<QVariantMap> reply = *call;
    if (reply.isError()) {
        finish({}, QStringLiteral("KWin refused the screenshot: %1").arg(reply.error().message()));
        return;
    }
    traceCaptureStep("kwin-answered");
    shot->answered = true;
    shot->results = reply.value();
    const quint64 bytes = quint64(shot->results.value(QStringLiteral("stride")).toUInt())
                          * shot->results.value(QStringLiteral("height")).toUInt();
    // 2^30 bytes hold a 16384 x 16384 display; an answer past that is not believed.
    if (bytes == 0 || bytes > quint64(kMostBytes)) {
        finish({}, QStringLiteral("KWin's screenshot has an impossible size"));
        return;
    }
    shot->expected = qint64(bytes);
    shot->pixels.reserve(shot->expected);
    finishIfComplete();
}

void KWinScreenShotCapture::readPipe(Shot *shot)
{
    char chunk[65536];
    for (;;) {
        const ssize_t got = read(shot->readEnd, chunk, sizeof chunk);
        if (got > 0) {
            shot->pixels.append(chunk, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0 || errno != EAGAIN) {
            // Closed (KWin has written all it will) or broken: nothing more comes.
            shot->notifier->setEnabled(false);
            if (!shot->answered || !shot->complete()) {
                if (shot->answered)
                    finish({}, QStringLiteral("KWin's screenshot ended early"));
                return;
            }
        }
        break;
    }
    finishIfComplete();
}

void KWinScreenShotCapture::finishIfComplete()
{
    if (!m_done || !std::all_of(m_shots.cbegin(), m_shots.cend(), [](const auto &shot) { return shot->complete(); }))
        return;
    traceCaptureStep("kwin-pixels-read");
    QList<QImage> pictures;
    for (size_t i = 0; i < m_shots.size(); ++i) {
        const QPointer<QScreen> &screen = m_screens.at(int(i));
        QString failure;
        QImage picture = pictureFrom(m_shots[i]->pixels, m_shots[i]->results, &failure);
        if (!screen)
            failure = QStringLiteral("a display went away while the screenshot was taken");
        if (!failure.isEmpty()) {
            finish({}, failure);
            return;
        }
        picture.setDevicePixelRatio(screen->devicePixelRatio());
        pictures.append(picture);
    }
    finish(pictures, QString());
}

QImage KWinScreenShotCapture::pictureFrom(const QByteArray &pixels, const QVariantMap &results, QString *failure)
{
    const int width = int(results.value(QStringLiteral("width")).toUInt());
    const int height = int(results.value(QStringLiteral("height")).toUInt());
    const qsizetype stride = results.value(QStringLiteral("stride")).toUInt();
    const uint format = results.value(QStringLiteral("format")).toUInt();
    if (results.value(QStringLiteral("type")).toString() != QLatin1String("raw") || width <= 0 || height <= 0
        || format == QImage::Format_Invalid || format >= QImage::NImageFormats) {
        *failure = QStringLiteral("KWin's screenshot is of a kind Vornik does not read");
        return QImage();
    }
    const QImage shared(reinterpret_cast<const uchar *>(pixels.constData()), width, height, stride, QImage::Format(format));
    if (shared.isNull() || stride < shared.bytesPerLine() || pixels.size() < stride * height) {
        *failure = QStringLiteral("KWin's screenshot has fewer bytes than it says");
        return QImage();
    }
    // A copy of its own, as `pixels` goes with the capture. A display's pixels are
    // opaque, so KWin's (premultiplied) ARGB holds them byte for byte as RGB32 does:
    // only other formats are converted.
    QImage picture = shared.copy();
    if (format == QImage::Format_ARGB32 || format == QImage::Format_ARGB32_Premultiplied)
        picture.reinterpretAsFormat(QImage::Format_RGB32);
    return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
}

void KWinScreenShotCapture::finish(const QList<QImage> &pictures, const QString &failure)
{
    m_timer->stop();
    ++m_serial;
    m_shots.clear();
    m_screens.clear();
    // Cleared before the call: `done` may start the next capture.
    const ScreensGrabbed done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(failure.isEmpty() ? pictures : QList<QImage>{}, failure);
}
