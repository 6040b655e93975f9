#pragma once

#include "editor/scene/Color.h"
#include "editor/scene/Form.h"
#include "editor/scene/Node.h"
#include "editor/scene/Stroke.h"
#include "editor/scene/Transform.h"

#include <QPainterPath>
#include <QRectF>
#include <optional>

namespace scene {

// A filled and stroked form. Replacing the form redraws it.
class Shape : public Node
{
public:
    Shape(const Form &form, const Color &fill, const std::optional<Stroke> &stroke = std::nullopt,
          const Transform &place = Transform::identity());

    const Form &form() const { return m_form; }
    void setForm(const Form &form);
    Color fill() const { return m_fill; }
    std::optional<Stroke> stroke() const { return m_stroke; }
    // New paint for the same form.
    void setPaint(const Color &fill, const std::optional<Stroke> &stroke);

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    void rebuild();

    Form m_form;
    Color m_fill;
    std::optional<Stroke> m_stroke;
    QPainterPath m_fillPath;     // empty when nothing is filled
    QPainterPath m_strokePath;   // the outline of the stroke, empty without one
    QRectF m_bounds;
};

} // namespace scene
