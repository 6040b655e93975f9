#pragma once

#include "editor/Scene.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <memory>

// The scene nodes of the sharing tools. Each figure is a Group holding one of these,
// so it is selected, moved and deleted like an arrow.

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

// A rectangle that shows the captured picture under it pixelated or blurred. The
// filtered pixels are made from the picture alone, at its own resolution and on its
// pixel grid, and kept until the patch moves or changes size.
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
    QRect m_filteredPixels;   // which pixels of the picture m_filtered was made from
    QImage m_filtered;
};
