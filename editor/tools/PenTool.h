#pragma once

#include "editor/tools/StrokeTool.h"

// A line in the line color through the points the pointer passes.
class PenTool : public StrokeTool
{
public:
    QString typeName() const override { return QStringLiteral("pen"); }

protected:
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const override;
    void drawIcon(QPainter &painter) const override;
};
