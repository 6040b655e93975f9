#include "editor/tools/ToolTable.h"

#include "editor/tools/FigureTools.h"
#include "editor/tools/SharingTools.h"

#include <array>

const QList<const DrawingTool *> &sharingTools()
{
    static const PixelateTool pixelate;
    static const BlurTool blur;
    static const HighlighterTool highlighter;
    static const CounterTool counter;
    static const PenTool pen;
    static const QList<const DrawingTool *> tools{&pixelate, &blur, &highlighter, &counter, &pen};
    return tools;
}

namespace {

constexpr int kToolCount = int(ToolKind::pen) + 1;

// Every tool by its ToolKind value; null for the values that draw nothing.
std::array<const DrawingTool *, kToolCount> toolTable()
{
    static const PointerTool pointer;
    static const EllipseTool ellipse;
    static const RectangleTool rectangle;
    static const LineTool line;
    static const ArrowTool arrow;
    static const TextTool text;
    static const FilledEllipseTool filledEllipse;
    static const FilledRectangleTool filledRectangle;
    std::array<const DrawingTool *, kToolCount> table{};
    table[int(ToolKind::pointer)] = &pointer;
    table[int(ToolKind::ellipse)] = &ellipse;
    table[int(ToolKind::rectangle)] = &rectangle;
    table[int(ToolKind::line)] = &line;
    table[int(ToolKind::arrow)] = &arrow;
    table[int(ToolKind::text)] = &text;
    table[int(ToolKind::filledellipse)] = &filledEllipse;
    table[int(ToolKind::filledrectangle)] = &filledRectangle;
    const auto &sharing = sharingTools();
    for (int i = 0; i < sharing.size(); ++i)
        table[int(ToolKind::pixelate) + i] = sharing.at(i);
    return table;
}

} // namespace

const DrawingTool *drawingToolFor(ToolKind tool)
{
    static const std::array<const DrawingTool *, kToolCount> table = toolTable();
    const int index = int(tool);
    return index >= 0 && index < kToolCount ? table[index] : nullptr;
}
