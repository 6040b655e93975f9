#pragma once

#include "editor/scene/Color.h"
#include "editor/scene/Font.h"
#include "editor/scene/Node.h"
#include "editor/scene/Stroke.h"
#include "editor/scene/Transform.h"

#include <QRectF>
#include <QString>
#include <optional>

namespace scene {

enum class Align { min, mid, max };
enum class Baseline { top, alphabetic, bottom, mid };

// A text laid out from its place: alignment `min` puts the left edge there and
// baseline `top` the top edge.
class Text : public Node
{
public:
    Text(const QString &text, const Font &font, const Color &fill, const std::optional<Stroke> &stroke = std::nullopt,
         Align align = Align::min, Baseline baseline = Baseline::top, const Transform &place = Transform::identity());

    QString text() const { return m_text; }
    void setText(const QString &text);
    Font font() const { return m_font; }
    void setFont(const Font &font);
    Color fill() const { return m_fill; }
    void setFill(const Color &fill);
    std::optional<Stroke> stroke() const { return m_stroke; }
    Align align() const { return m_align; }
    Baseline baseline() const { return m_baseline; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    void relayout();

    QString m_text;
    Font m_font;
    Color m_fill;
    std::optional<Stroke> m_stroke;
    Align m_align;
    Baseline m_baseline;
    QRectF m_textRect;
};

} // namespace scene
