#include "editor/AddFigureStep.h"

#include <algorithm>
#include <utility>

AddFigureStep::AddFigureStep(scene::Group &root, FigureList &records, std::shared_ptr<Figure> record,
                             std::shared_ptr<scene::Node> node)
    : m_root(root)
    , m_records(records)
    , m_record(std::move(record))
    , m_node(std::move(node))
{
    setText(QStringLiteral("Add ") + m_record->typeName);
}

void AddFigureStep::undo()
{
    m_nodeIndex = m_root.take(m_node);
    m_recordIndex = m_records.items.indexOf(m_record);
    if (m_recordIndex >= 0)
        m_records.items.removeAt(m_recordIndex);
}

void AddFigureStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    if (m_nodeIndex >= 0)
        m_root.insert(m_nodeIndex, m_node);
    if (m_recordIndex >= 0)
        m_records.items.insert(std::min(m_recordIndex, m_records.items.size()), m_record);
}
