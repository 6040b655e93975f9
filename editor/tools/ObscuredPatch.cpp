#include "editor/tools/ObscuredPatch.h"

#include "editor/tools/ImageFilters.h"

#include <QPainter>
#include <cmath>

namespace {
// The size of a pixelation block and the blur's radius, in points of the picture.
constexpr double kBlockPoints = kDefaultBlock;
constexpr double kBlurPoints = kDefaultBlurRadius;
} // namespace

ObscuredPatch::ObscuredPatch(Kind kind, const std::shared_ptr<scene::Image> &picture, const QRectF &rect)
    : m_kind(kind)
    , m_picture(picture)
    , m_rect(rect.normalized())
{
}

void ObscuredPatch::setRect(const QRectF &rect)
{
    const QRectF normalized = rect.normalized();
    if (normalized == m_rect)
        return;
    prepareGeometryChange();
    m_rect = normalized;
    update();
}

void ObscuredPatch::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const std::shared_ptr<scene::Image> picture = m_picture.lock();
    if (!picture || m_rect.isEmpty() || picture->size().w <= 0)
        return;
    const QImage &source = picture->image();
    const double s = source.width() / picture->size().w;
    // The patch in the picture's pixels, on whole pixels, inside the picture.
    const QRectF inPicture = mapRectToItem(picture.get(), m_rect);
    const QPoint topLeft(qRound(inPicture.left() * s), qRound(inPicture.top() * s));
    const QPoint bottomRight(qRound(inPicture.right() * s), qRound(inPicture.bottom() * s));
    const QRect pixels = QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()))
                             .intersected(source.rect());
    if (pixels.isEmpty())
        return;
    if (pixels != m_filteredPixels || m_filtered.isNull()) {
        const QImage region = source.copy(pixels);
        m_filtered = m_kind == Kind::pixelate ? pixelated(region, int(std::lround(kBlockPoints * s)), m_key)
                                              : blurred(region, int(std::lround(kBlurPoints * s)), m_key);
        m_filteredPixels = pixels;
    }
    const QRectF drawn = mapRectFromItem(picture.get(), QRectF(QPointF(pixels.topLeft()) / s, QSizeF(pixels.size()) / s));
    painter->drawImage(drawn, m_filtered);
}
