#pragma once

#include "editor/tools/ObscuredPatch.h"
#include "editor/tools/SharingTool.h"

// A tool that drags out a rectangle from the press point which hides the picture
// under it, by its kind of patch.
class ObscuringTool : public SharingTool
{
protected:
    virtual ObscuredPatch::Kind patchKind() const = 0;
    std::shared_ptr<scene::Group> startGroup(const FigureStart &with, const QPointF &at) const final;
    void dragGroup(scene::Group &figure, const QPointF &from, const QPointF &to) const final;
};
