#pragma once

#include "editor/tools/StrokeTool.h"

// A translucent marker stroke, several times wider than the line width.
class HighlighterTool : public StrokeTool
{
public:
    QString typeName() const override { return QStringLiteral("highlighter"); }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void drawIcon(QPainter &painter) const override;
};
