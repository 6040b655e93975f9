#include "editor/tools/ToolTable.h"

#include "editor/tools/ArrowTool.h"
#include "editor/tools/BlurTool.h"
#include "editor/tools/CounterTool.h"
#include "editor/tools/EllipseTool.h"
#include "editor/tools/FilledEllipseTool.h"
#include "editor/tools/FilledRectangleTool.h"
#include "editor/tools/HighlighterTool.h"
#include "editor/tools/LineTool.h"
#include "editor/tools/PenTool.h"
#include "editor/tools/PixelateTool.h"
#include "editor/tools/PointerTool.h"
#include "editor/tools/RectangleTool.h"
#include "editor/tools/TextTool.h"
#include "helpers/ResourceImages.h"

#include <QCoreApplication>

QList<ToolDescriptor> ToolTable::standardSegments()
{
    using A = SegmentAction;
    using K = ToolKind;
    const QKeySequence none;
    return {
        {{}, A::Save, QStringLiteral("tools/tool-save"), QKeySequence(Qt::CTRL | Qt::Key_S), {}, {}},
        {{}, A::Upload, QStringLiteral("tools/tool-upload"), QKeySequence(Qt::CTRL | Qt::Key_U), {}, {}},
        {{}, A::Copy, QStringLiteral("tools/tool-copy"), QKeySequence(Qt::CTRL | Qt::Key_C), {}, {}},
        {{}, A::Spacer, {}, none, {}, {}},
        {K::Pointer, A::None, QStringLiteral("tools/tool-pointer"), QKeySequence(Qt::Key_V), {}, makeTool<PointerTool>},
        {K::Rectangle, A::None, QStringLiteral("tools/tool-rectangle"), QKeySequence(Qt::Key_R), {},
         makeTool<RectangleTool>},
        {K::Ellipse, A::None, QStringLiteral("tools/tool-ellipse"), QKeySequence(Qt::Key_E), {}, makeTool<EllipseTool>},
        {K::Line, A::None, QStringLiteral("tools/tool-line"), QKeySequence(Qt::Key_L), {}, makeTool<LineTool>},
        {K::Arrow, A::None, QStringLiteral("tools/tool-arrow"), QKeySequence(Qt::Key_A), {}, makeTool<ArrowTool>},
        {{}, A::Spacer, {}, none, {}, {}},
        {K::FilledRectangle, A::None, QStringLiteral("tools/tool-filledrectangle"), none, {},
         makeTool<FilledRectangleTool>},
        {K::FilledEllipse, A::None, QStringLiteral("tools/tool-filledellipse"), none, {}, makeTool<FilledEllipseTool>},
        {K::Text, A::TextEntry, QStringLiteral("tools/tool-text"), QKeySequence(Qt::Key_T), {}, makeTool<TextTool>},
        {K::IncreaseFont, A::IncreaseFont, QStringLiteral("tools/tool-increasefont"), none, {}, {}},
        {K::DecreaseFont, A::DecreaseFont, QStringLiteral("tools/tool-decreasefont"), none, {}, {}},
        {{}, A::LineWidth, QStringLiteral("tools/tool-linesize"), none, {}, {}},
        {{}, A::LineColor, {}, none, {}, {}},
        {{}, A::FillColor, {}, none, {}, {}},
        {{}, A::Help, QStringLiteral("tools/tool-help"), none, {}, {}},
        {K::Pixelate, A::None, {}, QKeySequence(Qt::Key_X),
         QStringLiteral(QT_TRANSLATE_NOOP("EditorToolTips",
                                          "Pixelate, to hide what is under it; a filled rectangle hides it for sure")),
         makeTool<PixelateTool>},
        {K::Blur, A::None, {}, QKeySequence(Qt::Key_B),
         QStringLiteral(QT_TRANSLATE_NOOP("EditorToolTips",
                                          "Blur, to hide what is under it; a filled rectangle hides it for sure")),
         makeTool<BlurTool>},
        {K::Highlighter, A::None, {}, QKeySequence(Qt::Key_H),
         QStringLiteral(QT_TRANSLATE_NOOP("EditorToolTips", "Highlighter")),
         makeTool<HighlighterTool>},
        {K::Counter, A::None, {}, QKeySequence(Qt::Key_N),
         QStringLiteral(QT_TRANSLATE_NOOP("EditorToolTips", "Numbered marker")), makeTool<CounterTool>},
        {K::Pen, A::None, {}, QKeySequence(Qt::Key_P), QStringLiteral(QT_TRANSLATE_NOOP("EditorToolTips", "Pen")),
         makeTool<PenTool>},
        {{}, A::Pin, QStringLiteral("tools/tool-pin"), QKeySequence(Qt::CTRL | Qt::Key_P),
         QStringLiteral(QT_TRANSLATE_NOOP("EditorToolTips", "Pin to the screen")), {}},
        {{}, A::CopyText, QStringLiteral("tools/tool-copytext"), QKeySequence(Qt::CTRL | Qt::Key_T),
         QStringLiteral(QT_TRANSLATE_NOOP("EditorToolTips", "Copy the text in the picture")), {}},
    };
}

const ToolTable &ToolTable::standard()
{
    static const ToolTable table(standardSegments());
    return table;
}

ToolTable::ToolTable(QList<ToolDescriptor> segments)
    : m_segments(std::move(segments))
{
    for (const ToolDescriptor &segment : std::as_const(m_segments))
        if (segment.kind && segment.createTool && !m_tools.count(*segment.kind))
            m_tools.emplace(*segment.kind, segment.createTool());
}

int ToolTable::segmentOf(ToolKind kind) const
{
    for (int index = 0; index < m_segments.size(); ++index)
        if (m_segments.at(index).kind == kind)
            return index;
    return -1;
}

int ToolTable::segmentOf(SegmentAction action) const
{
    for (int index = 0; index < m_segments.size(); ++index)
        if (m_segments.at(index).action == action)
            return index;
    return -1;
}

const DrawingTool *ToolTable::drawingToolFor(ToolKind kind) const
{
    const auto found = m_tools.find(kind);
    return found != m_tools.end() ? found->second.get() : nullptr;
}

QIcon ToolTable::icon(int segment) const
{
    if (segment < 0 || segment >= m_segments.size())
        return {};
    const ToolDescriptor &descriptor = m_segments.at(segment);
    if (!descriptor.iconName.isEmpty())
        return iconNamed(descriptor.iconName);
    const DrawingTool *tool = descriptor.kind ? drawingToolFor(*descriptor.kind) : nullptr;
    return tool ? tool->icon() : QIcon();
}
