#include "banner/BannerPreview.h"

#include <QPainter>

BannerPreview::BannerPreview(QWidget *parent)
    : QWidget(parent)
{
    setAccessibleName(tr("Banner preview"));
}

void BannerPreview::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void BannerPreview::setBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

void BannerPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    if (m_image.isNull())
        return;
    // Shown at its own size when it fits, scaled down (keeping its shape) when not.
    QSizeF size = m_image.deviceIndependentSize();
    if (size.width() > width() || size.height() > height())
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - size.width()) / 2.0, (height() - size.height()) / 2.0), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}
