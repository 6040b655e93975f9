#include "editor/tools/PixelateTool.h"

#include <QPainter>

void PixelateTool::drawIcon(QPainter &painter) const
{
    // A 4 × 4 checker of greys in a frame.
    const QColor shades[] = {QColor(60, 60, 60), QColor(150, 150, 150), QColor(100, 100, 100), QColor(200, 200, 200)};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            painter.fillRect(QRectF(3 + column * 4, 3 + row * 4, 4, 4), shades[(row * 3 + column) % 4]);
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(2.5, 2.5, 17, 17));
}
