#include "editor/tools/DrawingTool.h"

#include <QPainter>
#include <QPixmap>

QIcon DrawingTool::icon() const
{
    QIcon icon;
    // Drawn at twice the size too, for displays with two pixels per point.
    for (const int ratio : {1, 2}) {
        QPixmap pixmap(22 * ratio, 22 * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        drawIcon(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
