#pragma once

#include "editor/ToolKind.h"
#include "editor/tools/DrawingTool.h"

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

// What a click on a tool bar segment does besides choosing the segment's tool.
enum class SegmentAction {
    None,           // only chooses the segment's tool
    Save,           // the three ways the picture leaves the editor
    Upload,
    Copy,
    Spacer,         // a divider: takes no selection and does nothing
    TextEntry,      // opens or closes the text popover
    IncreaseFont,   // steps the latest text up or down
    DecreaseFont,
    LineWidth,      // opens or closes the width popover and goes back to the pointer
    LineColor,      // swatches that open the color palette for their color
    FillColor,
    Help,           // opens the help page its tool tip names
};

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

// The factory of a descriptor whose tool is a T.
template <typename T>
std::unique_ptr<DrawingTool> makeTool()
{
    return std::make_unique<T>();
}

// The editor's tool bar segment by segment, and the drawing tool behind each kind. The
// window builds its segments, shortcuts and click dispatch from it and the canvas draws
// with its tools, so a new tool is one more descriptor (standardSegments()) and the
// tool's own class. Each tool is made once and serves every canvas.
class ToolTable
{
public:
    explicit ToolTable(QList<ToolDescriptor> segments);
    ToolTable(const ToolTable &) = delete;
    ToolTable &operator=(const ToolTable &) = delete;

    // The editor's tool bar, in the order it shows its segments.
    static QList<ToolDescriptor> standardSegments();
    static const ToolTable &standard();

    const QList<ToolDescriptor> &segments() const { return m_segments; }
    // The first segment that chooses `kind`, or that does `action`; -1 for none.
    int segmentOf(ToolKind kind) const;
    int segmentOf(SegmentAction action) const;
    // The tool behind `kind`, or null for the kinds that draw nothing (line size, the
    // text size steps, the local save).
    const DrawingTool *drawingToolFor(ToolKind kind) const;
    // The segment's picture: its resource icon, else its tool's own drawing, else none.
    QIcon icon(int segment) const;

private:
    QList<ToolDescriptor> m_segments;
    std::map<ToolKind, std::unique_ptr<DrawingTool>> m_tools;
};
