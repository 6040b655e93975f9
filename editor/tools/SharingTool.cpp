#include "editor/tools/SharingTool.h"

StartedFigure SharingTool::start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const
{
    FigureStart with;
    with.lineColor = style.line.toQColor();
    with.lineWidth = style.lineWidth;
    with.highlightColor = canvas.highlightColor().toQColor();
    with.picture = canvas.picture();
    with.nextCounter = canvas.nextCounterNumber();
    auto figure = startGroup(with, at.toQPointF());
    return {figure, coveredRect(*figure)};
}

void SharingTool::drag(ToolCanvas &, const std::shared_ptr<Figure> &latest, const scene::Point &from,
                       const scene::Point &to) const
{
    const auto figure = latest ? latest->group : nullptr;
    if (!figure || latest->typeName != typeName())
        return;
    dragGroup(*figure, from.toQPointF(), to.toQPointF());
    if (latest->rect)
        *latest->rect = coveredRect(*figure);
}
