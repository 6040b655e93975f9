#pragma once

#include "editor/tools/DrawingTool.h"
#include "editor/tools/FigureStart.h"

#include <QPointF>
#include <memory>

// A drawing tool of the second group of segments. Each builds one kind of figure: a
// Group holding the tool's node, started at the press and drawn out while the pointer
// moves, its record following what the group covers.
class SharingTool : public DrawingTool
{
public:
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const final;
    // Draws out the latest figure when this tool made it.
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const final;

protected:
    virtual std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const = 0;
    // The pointer is at `to` in the drag that began at `from`.
    virtual void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const = 0;
};
