#pragma once

#include "editor/scene/Node.h"

#include <QColor>
#include <QPointF>

// A filled circle in the line color with a number on it.
class CounterBadge : public scene::Node
{
public:
    CounterBadge(int number, const QPointF &centre, const QColor &color, double radius);

    int number() const { return m_number; }
    QPointF centre() const { return m_centre; }
    QColor color() const { return m_color; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    int m_number;
    QPointF m_centre;
    QColor m_color;
    double m_radius;
};
