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
// How long a window of ours may take to be given the keyboard, and the compositor to
// answer a selection (it does so at once; this only bounds a broken answer).
constexpr int kFocusWaitMs = 3000;
constexpr int kAnswerWaitMs = 5000;

QClipboard *desktopClipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// An offer whose PNG is encoded when a program first asks for it.
class OnDemandPng : public QMimeData
{
public:
    explicit OnDemandPng(std::function<QByteArray()> encode)
        : m_encode(std::move(encode))
    {
    }
    QStringList formats() const override { return {kPngType}; }
    bool hasFormat(const QString &type) const override { return type == kPngType; }

protected:
    QVariant retrieveData(const QString &type, QMetaType) const override
    {
        return type == kPngType ? QVariant(m_encode()) : QVariant();
    }

private:
    std::function<QByteArray()> m_encode;
};

QMimeData *mimeDataFor(const Clipboard::Offer &offer)
{
    if (offer.pngOnDemand)
        return new OnDemandPng(offer.pngOnDemand);
    auto *data = new QMimeData;
    for (const auto &[type, bytes] : offer.formats)
        data->setData(type, bytes);
    if (!offer.image.isNull())
        data->setImageData(offer.image);
    return data;
}

// Whether the clipboard, as this process sees it, is ours and holds `data` (what we
// set last). On X11 and Wayland another program can only read what we own; without a
// desktop (offscreen, tests) the clipboard lives in this process and ownership is not
// reported.
bool holds(QClipboard *board, const QMimeData *data)
{
    const bool reportsOwnership = onWayland() || QGuiApplication::platformName() == QLatin1String("xcb");
    if (!data || (reportsOwnership && !board->ownsClipboard()))
        return false;
    return board->mimeData(QClipboard::Clipboard) == data;
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

// One offer on Wayland, made from a window of ours that has the keyboard: KWin and
// mutter cancel a selection from any other client. The compositor answers every
// selection from the focused client, each in its own way a definite one: it sends the
// selection back to that client (wl_data_device.selection) once it took it, and
// cancels the offer (wl_data_source.cancelled) when it did not. With no window of
// ours focused, a small one is shown for the keyboard first. Deletes itself once it
// has reported.
class WaylandOffer : public QObject
{
public:
    WaylandOffer(QClipboard *board, Clipboard::Offer offer, Clipboard::Outcome outcome)
        : m_board(board)
        , m_offer(std::move(offer))
        , m_outcome(std::move(outcome))
    {
        m_wait.setSingleShot(true);
        connect(&m_wait, &QTimer::timeout, this, [this] { finish(false); });
        connect(board, &QClipboard::dataChanged, this, &WaylandOffer::clipboardChanged);
    }

    void attempt()
    {
        m_watching = false;
        if (!m_board) {
            finish(false);
            return;
        }
        const QWindow *focused = QGuiApplication::focusWindow();
        if (!focused || !focused->isVisible()) {
            holdKeyboard();
            return;
        }
        // setMimeData() reports a change of its own at once, before the compositor's.
        m_data = mimeDataFor(m_offer);
        m_board->setMimeData(m_data, QClipboard::Clipboard);
        if (!holds(m_board, m_data)) {
            attemptFailed();
            return;
        }
        m_watching = true;
        m_wait.start(kAnswerWaitMs);
    }

private:
    // The compositor answered: a cancel takes the ownership away; the selection sent
    // back leaves it ours.
    void clipboardChanged()
    {
        if (!m_watching || !m_board)
            return;
        m_watching = false;
        if (holds(m_board, m_data))
            finish(true);
        else
            attemptFailed();
    }

    // A window of ours that had just lost the keyboard (an overlay going away) may
    // have been the one asked from: once more from the focus holder.
    void attemptFailed()
    {
        if (m_holder)
            finish(false);
        else
            holdKeyboard();
    }

    void holdKeyboard()
    {
        m_holder = std::make_unique<FocusHolder>();
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) {
            if (m_holder && focused == m_holder.get() && !m_watching)
                attempt();
        });
        m_wait.start(kFocusWaitMs);
        m_holder->show();
        m_holder->requestActivate();
    }

    void finish(bool held)
    {
        m_watching = false;
        m_wait.stop();
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
    QPointer<QMimeData> m_data;   // the clipboard's once set
    QTimer m_wait;   // for the keyboard, then for the compositor's answer
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
    put({{{kPngType, png}}, image, {}}, std::move(outcome));
}

void Clipboard::putLink(const QString &link, Outcome outcome)
{
    if (link.isEmpty()) {
        if (outcome)
            outcome(false);
        return;
    }
    put({{{kTextType, link.toUtf8()}}, QImage(), {}}, std::move(outcome));
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
    QMimeData *data = mimeDataFor(offer);
    board->setMimeData(data, QClipboard::Clipboard);
    outcome(holds(board, data));
}

bool Clipboard::offersBeforeEncoding() const
{
    return desktopClipboard() && onWayland();
}

void Clipboard::putImageOnDemand(std::function<QByteArray()> encode, Outcome outcome)
{
    if (!encode) {
        if (outcome)
            outcome(false);
        return;
    }
    QClipboard *board = desktopClipboard();
    if (!board || !onWayland()) {
        putImage(encode(), QImage(), std::move(outcome));
        return;
    }
    put({{}, QImage(), std::move(encode)}, std::move(outcome));
}
