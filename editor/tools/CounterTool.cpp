#include "editor/tools/CounterTool.h"

#include "editor/tools/CounterBadge.h"

#include <QPainter>

std::shared_ptr<scene::Group> CounterTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    // The badge grows with the line width so that it stays readable beside thick lines.
    const double radius = 8 + 2 * with.lineWidth;
    return scene::group({std::make_shared<CounterBadge>(with.nextCounter, at, with.lineColor, radius)});
}

void CounterTool::drawIcon(QPainter &painter) const
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 30, 30));
    painter.drawEllipse(QPointF(11, 11), 9, 9);
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(12);
    painter.setFont(font);
    painter.drawText(QRectF(2, 2, 18, 18), Qt::AlignCenter, QStringLiteral("1"));
}

int counterNumber(const scene::Group &figure)
{
    for (const auto &part : figure.contents()) {
        if (const auto *badge = dynamic_cast<const CounterBadge *>(part.get()))
            return badge->number();
    }
    return 0;
}
