#pragma once

#include "editor/scene/Image.h"
#include "editor/scene/Node.h"
#include "editor/tools/ImageFilters.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <memory>

// A rectangle that shows the captured picture under it pixelated or blurred. The
// filtered pixels are made from the picture alone, at its own resolution and on its
// pixel grid, and kept until the patch moves or changes size. Its random choices are
// drawn once with the patch, so every drawing and export of it gives the same pixels.
class ObscuredPatch : public scene::Node
{
public:
    enum class Kind { pixelate, blur };

    ObscuredPatch(Kind kind, const std::shared_ptr<scene::Image> &picture, const QRectF &rect);

    Kind kind() const { return m_kind; }
    QRectF rect() const { return m_rect; }
    void setRect(const QRectF &rect);

    QRectF boundingRect() const override { return m_rect; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override { return m_rect.contains(point); }

private:
    Kind m_kind;
    std::weak_ptr<scene::Image> m_picture;
    QRectF m_rect;
    RedactionKey m_key = RedactionKey::fresh();
    QRect m_filteredPixels;   // which pixels of the picture m_filtered was made from
    QImage m_filtered;
};
