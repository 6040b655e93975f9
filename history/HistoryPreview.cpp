#include "history/HistoryPreview.h"

#include "helpers/Links.h"
#include "helpers/ResourceImages.h"
#include "service/HttpTransport.h"
#include "service/ServiceConfiguration.h"

#include <QBuffer>
#include <QDragEnterEvent>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <utility>

namespace {
const char *const kToolTip =
    QT_TRANSLATE_NOOP("HistoryPreview", "Drop an upload here to preview it; click the preview to open it");

// Accepts a text drag, as a move when the source allows it.
template <typename Event>
void acceptTextDrag(Event *event)
{
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    if (event->possibleActions() & Qt::MoveAction) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}
} // namespace

HistoryPreview::HistoryPreview(DesktopServices desktop, QWidget *parent)
    : QWidget(parent)
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("imagePreview"));
    setAcceptDrops(true);
    setToolTip(tr(kToolTip));
    setAccessibleName(tr(kToolTip));
    setMinimumSize(160, 120);
    setCursor(Qt::PointingHandCursor);
}

HistoryPreview::~HistoryPreview()
{
    abortLoading();
}

void HistoryPreview::showDroppedText(const QString &text)
{
    imageURL = text;
    if (isValidURL(text))
        load(text);
}

void HistoryPreview::clearImage()
{
    abortLoading();
    m_image = QImage();
    update();
}

void HistoryPreview::load(const QString &url)
{
    abortLoading();
    HttpRequest request;
    request.url = url;
    request.caFile = ServiceConfiguration::caFilePath();
    QPointer<HistoryPreview> preview(this);
    m_loading = HttpTransport::shared().start(request, [preview, url](const HttpResponse &response) {
        if (preview)
            preview->finishLoading(url, response.body, response.failed);
    });
}

void HistoryPreview::abortLoading()
{
    if (const quint64 id = std::exchange(m_loading, 0))
        HttpTransport::shared().abort(id);
}

void HistoryPreview::finishLoading(const QString &url, const QByteArray &body, bool failed)
{
    m_loading = 0;
    QImage image;
    if (!failed) {
        QBuffer buffer;
        buffer.setData(body);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        image = reader.read();
    }
    if (image.isNull()) {
        emit imageFailed(url);
        return;
    }
    m_image = image;
    update();
    emit imageLoaded(url);
}

void HistoryPreview::dragEnterEvent(QDragEnterEvent *event)
{
    acceptTextDrag(event);
}

void HistoryPreview::dragMoveEvent(QDragMoveEvent *event)
{
    acceptTextDrag(event);
}

void HistoryPreview::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    acceptTextDrag(event);
    showDroppedText(event->mimeData()->text());
}

void HistoryPreview::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    if (isValidURL(imageURL))
        m_desktop.opener->openUrl(QUrl(imageURL));
}

void HistoryPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), palette().base());
    if (m_image.isNull()) {
        const QImage placeholder = imageNamed(QStringLiteral("history/history-preview"), QSize(64, 64));
        painter.drawImage(rect().center() - QPoint(32, 32), placeholder);
        return;
    }
    // Fitted inside the pane, never enlarged beyond its own pixels.
    QSize fitted = m_image.size();
    if (fitted.width() > width() || fitted.height() > height())
        fitted.scale(size(), Qt::KeepAspectRatio);
    QRect target(QPoint(), fitted);
    target.moveCenter(rect().center());
    painter.drawImage(target, m_image);
}
