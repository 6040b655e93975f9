#include "editor/tools/SharingTools.h"

#include "editor/tools/SharingFigures.h"

#include <QPainter>
#include <QPixmap>

QIcon SharingTool::icon() const
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

const QList<const SharingTool *> &sharingTools()
{
    static const PixelateTool pixelate;
    static const BlurTool blur;
    static const HighlighterTool highlighter;
    static const CounterTool counter;
    static const PenTool pen;
    static const QList<const SharingTool *> tools{&pixelate, &blur, &highlighter, &counter, &pen};
    return tools;
}

int counterNumber(const scene::Group &figure)
{
    for (const auto &part : figure.contents()) {
        if (const auto *badge = dynamic_cast<const CounterBadge *>(part.get()))
            return badge->number();
    }
    return 0;
}
