#include "editor/tools/HighlighterTool.h"

#include "editor/tools/FreehandStroke.h"

#include <QPainter>

namespace {
// A marker is several times wider than the line width, so that it covers a line of text.
constexpr double kMarkerWidthFactor = 4.0;
constexpr int kMarkerAlpha = 150;
} // namespace

std::shared_ptr<scene::Group> HighlighterTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    QColor color = with.highlightColor;
    color.setAlpha(kMarkerAlpha);
    return scene::group({std::make_shared<FreehandStroke>(at, color, with.lineWidth * kMarkerWidthFactor, true)});
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
