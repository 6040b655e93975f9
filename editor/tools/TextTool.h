#pragma once

#include "editor/tools/DrawingTool.h"

// A press places the typed text; dragging then steps its size, larger while the
// pointer moves right and down, smaller otherwise.
class TextTool : public DrawingTool
{
public:
    QString typeName() const override { return QStringLiteral("text"); }
    bool drawsOnClick() const override { return true; }
    StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const override;
    void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
              const scene::Point &to) const override;
};
