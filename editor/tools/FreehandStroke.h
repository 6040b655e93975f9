#pragma once

#include "editor/scene/Node.h"

#include <QColor>
#include <QPainterPath>
#include <QPolygonF>
#include <memory>

// A line through the points the pointer passed, with round caps and joins. A marker
// stroke multiplies its translucent color into what lies below, so dark text under
// it stays dark.
class FreehandStroke : public scene::Node
{
public:
    FreehandStroke(const QPointF &start, const QColor &color, double width, bool marker);

    void addPoint(const QPointF &point);
    const QPolygonF &points() const { return m_points; }
    QColor color() const { return m_color; }
    bool isMarker() const { return m_marker; }

    QRectF boundingRect() const override { return m_bounds; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    QPen pen() const;

    QPolygonF m_points;
    QPainterPath m_path;
    QColor m_color;
    double m_width;
    bool m_marker;
    QRectF m_bounds;
    mutable QPainterPath m_outline;   // the stroke's area, made when first hit-tested
    mutable bool m_outlineStale = true;
};
