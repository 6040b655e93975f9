#include "editor/tools/SharingFigures.h"
#include "editor/tools/SharingTools.h"

#include <QPainter>

// Pixelate and blur: a rectangle dragged out from the press point.

namespace {

std::shared_ptr<scene::Group> startPatch(ObscuredPatch::Kind kind, const FigureStart &with, const QPointF &at)
{
    auto patch = std::make_shared<ObscuredPatch>(kind, with.picture, QRectF(at, at));
    return scene::group({patch});
}

void dragPatch(scene::Group &figure, const QPointF &from, const QPointF &to)
{
    if (figure.contents().isEmpty())
        return;
    if (auto *patch = dynamic_cast<ObscuredPatch *>(figure.contents().constFirst().get()))
        patch->setRect(QRectF(from, to));
}

} // namespace

std::shared_ptr<scene::Group> PixelateTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    return startPatch(ObscuredPatch::Kind::pixelate, with, at);
}

void PixelateTool::dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const
{
    dragPatch(figure, from, to);
}

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

std::shared_ptr<scene::Group> BlurTool::startGroup(const FigureStart &with, const QPointF &at) const
{
    return startPatch(ObscuredPatch::Kind::blur, with, at);
}

void BlurTool::dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const
{
    dragPatch(figure, from, to);
}

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
