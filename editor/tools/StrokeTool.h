#pragma once

#include "editor/tools/SharingTool.h"

// A tool whose figure is a line through the points the pointer passes.
class StrokeTool : public SharingTool
{
protected:
    void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const final;
};
