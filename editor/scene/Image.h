#pragma once

#include "editor/scene/Node.h"
#include "editor/scene/Size.h"
#include "editor/scene/Transform.h"

#include <QImage>
#include <QRectF>

namespace scene {

// A picture drawn at `size` points from its place.
class Image : public Node
{
public:
    Image(const QImage &image, const Size &size, const Transform &place = Transform::identity());

    const QImage &image() const { return m_image; }
    Size size() const { return m_size; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    QImage m_image;
    Size m_size;
};

} // namespace scene
