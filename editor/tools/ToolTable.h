#pragma once

#include "editor/ToolKind.h"
#include "editor/tools/DrawingTool.h"
#include "editor/tools/SegmentAction.h"
#include "editor/tools/ToolDescriptor.h"

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

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
