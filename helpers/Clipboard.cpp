#include "helpers/Clipboard.h"

#include <QBackingStore>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QRasterWindow>
#include <QTimer>
#include <memory>

namespace {

const QString kPngType = QStringLiteral("image/png");
const QString kTextType = QStringLiteral("text/plain");
// A compositor cancels a selection it refuses as soon as it reads the request; with
// no word by then, the selection was taken (wlroots takes it from any client).
constexpr int kSettleMs = 750;
// How long a window of ours may take to be given the keyboard.
constexpr int kFocusWaitMs = 3000;

QClipboard *desktopClipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QMimeData *mimeDataFor(const Clipboard::Offer &offer)
{
    auto *data = new QMimeData;
    for (const auto &[type, bytes] : offer.formats)
        data->setData(type, bytes);
    if (!offer.image.isNull())
        data->setImageData(offer.image);
    return data;
}

// Whether the clipboard, as this process sees it, is ours and holds `offer`. On X11
// and Wayland another program can only read what we own; without a desktop
// (offscreen, tests) the clipboard lives in this process and ownership is not reported.
bool holds(QClipboard *board, const Clipboard::Offer &offer)
{
    const bool reportsOwnership = onWayland() || QGuiApplication::platformName() == QLatin1String("xcb");
    if (reportsOwnership && !board->ownsClipboard())
        return false;
    const QMimeData *now = board->mimeData(QClipboard::Clipboard);
    if (!now)
        return false;
    for (const auto &[type, bytes] : offer.formats)
        if (now->data(type) != bytes)
            return false;
    return true;
}

// A window of one transparent pixel, shown only to hold the keyboard while a strict
// compositor (mutter, KWin) is asked to take the selection.
class FocusHolder : public QRasterWindow
{
public:
    FocusHolder()
    {
        QSurfaceFormat format;
        format.setAlphaBufferSize(8);
        setFormat(format);
        setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setTitle(QStringLiteral("Vornik"));
        resize(1, 1);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(QPoint(0, 0), size()), Qt::transparent);
    }
};

// One offer on Wayland, followed until the compositor kept or cancelled it. A
// cancelled offer made while no window of ours had the keyboard is made once more
// from a focus holder. Deletes itself once it has reported.
class WaylandOffer : public QObject
{
public:
    WaylandOffer(QClipboard *board, Clipboard::Offer offer, Clipboard::Outcome outcome)
        : m_board(board)
        , m_offer(std::move(offer))
        , m_outcome(std::move(outcome))
    {
        m_settle.setSingleShot(true);
        connect(&m_settle, &QTimer::timeout, this, [this] { finish(m_board && holds(m_board, m_offer)); });
        m_focusWait.setSingleShot(true);
        connect(&m_focusWait, &QTimer::timeout, this, [this] { finish(false); });
        connect(board, &QClipboard::dataChanged, this, &WaylandOffer::clipboardChanged);
    }

    void attempt()
    {
        m_watching = false;
        if (!m_board) {
            finish(false);
            return;
        }
        m_board->setMimeData(mimeDataFor(m_offer), QClipboard::Clipboard);
        if (!holds(m_board, m_offer)) {
            attemptFailed();
            return;
        }
        m_watching = true;
        m_settle.start(kSettleMs);
    }

private:
    // The compositor answered: a cancel takes the ownership away; with the keyboard
    // ours, it sends our own selection back once it took it.
    void clipboardChanged()
    {
        if (!m_watching || !m_board)
            return;
        if (!holds(m_board, m_offer)) {
            m_watching = false;
            m_settle.stop();
            attemptFailed();
        } else if (QGuiApplication::focusWindow()) {
            finish(true);
        }
    }

    void attemptFailed()
    {
        if (m_holder || QGuiApplication::focusWindow()) {
            finish(false);
            return;
        }
        m_holder = std::make_unique<FocusHolder>();
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) {
            if (m_holder && focused == m_holder.get() && m_focusWait.isActive()) {
                m_focusWait.stop();
                attempt();
            }
        });
        m_focusWait.start(kFocusWaitMs);
        m_holder->show();
        m_holder->requestActivate();
    }

    void finish(bool held)
    {
        m_watching = false;
        m_settle.stop();
        m_focusWait.stop();
        if (m_board)
            disconnect(m_board, nullptr, this, nullptr);
        disconnect(qGuiApp, nullptr, this, nullptr);
        // The selection outlives the window: it is the compositor's until replaced.
        m_holder.reset();
        if (const Clipboard::Outcome outcome = std::exchange(m_outcome, nullptr))
            outcome(held);
        deleteLater();
    }

    QPointer<QClipboard> m_board;
    Clipboard::Offer m_offer;
    Clipboard::Outcome m_outcome;
    QTimer m_settle;
    QTimer m_focusWait;
    bool m_watching = false;
    std::unique_ptr<FocusHolder> m_holder;
};

} // namespace

void Clipboard::clear()
{
    if (QClipboard *board = desktopClipboard())
        board->clear(QClipboard::Clipboard);
}

void Clipboard::putImage(const QByteArray &png, const QImage &image, Outcome outcome)
{
    if (png.isEmpty()) {
        if (outcome)
            outcome(false);
        return;
    }
    // The encoded bytes are offered as they are, so a paste never waits for an encode.
    put({{{kPngType, png}}, image}, std::move(outcome));
}

void Clipboard::putLink(const QString &link, Outcome outcome)
{
    if (link.isEmpty()) {
        if (outcome)
            outcome(false);
        return;
    }
    put({{{kTextType, link.toUtf8()}}, QImage()}, std::move(outcome));
}

void Clipboard::put(const Offer &offer, Outcome outcome)
{
    if (!outcome)
        outcome = [](bool) {};
    QClipboard *board = desktopClipboard();
    if (!board) {
        outcome(false);
        return;
    }
    if (onWayland()) {
        (new WaylandOffer(board, offer, std::move(outcome)))->attempt();
        return;
    }
    board->setMimeData(mimeDataFor(offer), QClipboard::Clipboard);
    outcome(holds(board, offer));
}
