#include "editor/tools/BlurTool.h"

#include <QPainter>

void BlurTool::drawIcon(QPainter &painter) const
{
    // A drop fading out from its middle.
    QRadialGradient fade(QPointF(11, 12), 9);
    fade.setColorAt(0, QColor(40, 40, 40));
    fade.setColorAt(0.6, QColor(40, 40, 40, 140));
    fade.setColorAt(1, QColor(40, 40, 40, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fade);
    QPainterPath drop(QPointF(11, 2));
    drop.cubicTo(QPointF(14, 8), QPointF(19, 11), QPointF(19, 14));
    drop.arcTo(QRectF(3, 6, 16, 15), 0, -180);
    drop.cubicTo(QPointF(3, 11), QPointF(8, 8), QPointF(11, 2));
    painter.drawPath(drop);
}
