#include "editor/tools/PenTool.h"

#include "editor/tools/FreehandStroke.h"

#include <QPainter>

std::shared_ptr<scene::Group> PenTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    return scene::group({std::make_shared<FreehandStroke>(at, with.lineColor, with.lineWidth, false)});
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
