#include "service/vorImagePreview.h"

#include "helpers/Links.h"
#include "helpers/extensions/ResourceImages.h"
#include "platform/Opener.h"
#include "service/ServiceConfiguration.h"

#include <QDragEnterEvent>
#include <QImageReader>
#include <QMimeData>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QUrl>

namespace {
const QString kToolTip = QStringLiteral("Drop an upload here to preview it; click the preview to open it");

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

vorImagePreview::vorImagePreview(QWidget *parent)
    : QWidget(parent)
    , m_network(new QNetworkAccessManager(this))
{
    setObjectName(QStringLiteral("imagePreview"));
    setAcceptDrops(true);
    setToolTip(kToolTip);
    setAccessibleName(kToolTip);
    setMinimumSize(160, 120);
    setCursor(Qt::PointingHandCursor);
}

vorImagePreview::~vorImagePreview()
{
    abortLoading();
}

void vorImagePreview::showDroppedText(const QString &text)
{
    imageURL = text;
    if (isValidURL(text))
        load(text);
}

void vorImagePreview::clearImage()
{
    abortLoading();
    m_image = QImage();
    update();
}

void vorImagePreview::load(const QString &url)
{
    abortLoading();
    QNetworkRequest request{QUrl(url)};
    request.setSslConfiguration(ServiceConfiguration::sslConfiguration());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = m_network->get(request);
    m_loading = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finishLoading(reply); });
}

void vorImagePreview::abortLoading()
{
    if (QNetworkReply *reply = m_loading) {
        m_loading = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void vorImagePreview::finishLoading(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_loading)
        return;   // superseded by a later drop
    m_loading = nullptr;
    const QString url = reply->request().url().toString();
    QImage image;
    if (reply->error() == QNetworkReply::NoError) {
        QImageReader reader(reply);
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

void vorImagePreview::dragEnterEvent(QDragEnterEvent *event)
{
    acceptTextDrag(event);
}

void vorImagePreview::dragMoveEvent(QDragMoveEvent *event)
{
    acceptTextDrag(event);
}

void vorImagePreview::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    acceptTextDrag(event);
    showDroppedText(event->mimeData()->text());
}

void vorImagePreview::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    if (isValidURL(imageURL))
        Opener::openUrl(QUrl(imageURL));
}

void vorImagePreview::paintEvent(QPaintEvent *)
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
