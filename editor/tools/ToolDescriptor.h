#pragma once

#include "editor/ToolKind.h"
#include "editor/tools/DrawingTool.h"
#include "editor/tools/SegmentAction.h"

#include <QKeySequence>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// One segment of the editor's tool bar.
struct ToolDescriptor {
    std::optional<ToolKind> kind;   // the tool a click chooses; none leaves the tool as it is
    SegmentAction action = SegmentAction::None;
    QString iconName;               // a resource icon; empty: the tool's own drawing, or none
    QKeySequence shortcut;          // empty: none
    // Empty: the text the "tooltips" asset keeps under the segment's index. The asset
    // covers the first nineteen segments; a segment added after them brings its own.
    QString toolTip;
    std::function<std::unique_ptr<DrawingTool>()> createTool;   // null: the segment draws nothing
};
