#include "editor/tools/SharingFigures.h"
#include "editor/tools/SharingTools.h"

#include <QPainter>

// The highlighter and the pen: a line through the points the pointer passes.

namespace {

// A marker is several times wider than the line width, so that it covers a line of text.
constexpr double kMarkerWidthFactor = 4.0;
constexpr int kMarkerAlpha = 150;

void extendStroke(scene::Group &figure, const QPointF &to)
{
    if (figure.contents().isEmpty())
        return;
    if (auto *stroke = dynamic_cast<FreehandStroke *>(figure.contents().constFirst().get()))
        stroke->addPoint(to);
}

} // namespace

std::shared_ptr<scene::Group> HighlighterTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    QColor color = with.highlightColor;
    color.setAlpha(kMarkerAlpha);
    return scene::group({std::make_shared<FreehandStroke>(at, color, with.lineWidth * kMarkerWidthFactor, true)});
}

void HighlighterTool::dragGroup(scene::Group &figure, const QPointF &, const QPointF &to) const
{
    extendStroke(figure, to);
}

void HighlighterTool::drawIcon(QPainter &painter) const
{
    // A yellow band with a chisel-tipped marker over it.
    painter.fillRect(QRectF(2, 14, 18, 5), QColor(255, 230, 0, 200));
    painter.setPen(QPen(QColor(40, 40, 40), 1.2));
    painter.setBrush(QColor(255, 240, 120));
    QPolygonF body{QPointF(8, 13), QPointF(16, 3), QPointF(20, 6), QPointF(12, 16)};
    painter.drawPolygon(body);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawPolygon(QPolygonF{QPointF(8, 13), QPointF(12, 16), QPointF(7, 17)});
}

std::shared_ptr<scene::Group> PenTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    return scene::group({std::make_shared<FreehandStroke>(at, with.lineColor, with.lineWidth, false)});
}

void PenTool::dragGroup(scene::Group &figure, const QPointF &, const QPointF &to) const
{
    extendStroke(figure, to);
}

void PenTool::drawIcon(QPainter &painter) const
{
    // A squiggle drawn by a pen.
    painter.setPen(QPen(QColor(200, 30, 30), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath squiggle(QPointF(2, 18));
    squiggle.cubicTo(QPointF(5, 12), QPointF(8, 21), QPointF(11, 16));
    painter.drawPath(squiggle);
    painter.setPen(QPen(QColor(40, 40, 40), 1.2));
    painter.setBrush(QColor(90, 90, 90));
    painter.drawPolygon(QPolygonF{QPointF(11, 16), QPointF(18, 4), QPointF(21, 6), QPointF(14, 18)});
    painter.drawLine(QPointF(11, 16), QPointF(10.5, 19));
}
