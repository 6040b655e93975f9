#include "editor/DropRecordStep.h"

#include <QCoreApplication>

#include <algorithm>

DropRecordStep::DropRecordStep(FigureList &records, std::shared_ptr<Figure> record)
    : m_records(records)
    , m_record(std::move(record))
{
    setText(QCoreApplication::translate("FigureSteps", "Forget figure"));
}

void DropRecordStep::undo()
{
    if (m_index >= 0)
        m_records.items.insert(std::min(m_index, m_records.items.size()), m_record);
}

void DropRecordStep::redo()
{
    m_index = m_records.items.indexOf(m_record);
    m_records.removeItem(m_record);
}
