#include "editor/scene/Image.h"

#include <QPainter>

namespace scene {

Image::Image(const QImage &image, const Size &size, const Transform &place)
    : Node(place)
    , m_image(image.convertToFormat(QImage::Format_ARGB32_Premultiplied))
    , m_size(size)
{
}

QRectF Image::boundingRect() const
{
    return QRectF(0, 0, m_size.w, m_size.h);
}

void Image::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(boundingRect(), m_image);
}

bool Image::hits(const QPointF &point) const
{
    return boundingRect().contains(point);
}

} // namespace scene
