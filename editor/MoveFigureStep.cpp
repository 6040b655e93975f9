#include "editor/MoveFigureStep.h"

#include <QCoreApplication>

#include <utility>

MoveFigureStep::MoveFigureStep(FigureList &records, std::shared_ptr<scene::Node> node, QPointF by)
    : m_records(records)
    , m_node(std::move(node))
    , m_by(by)
{
    setText(QCoreApplication::translate("FigureSteps", "Move figure"));
}

void MoveFigureStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    shift(m_by);
}

void MoveFigureStep::shift(QPointF by)
{
    m_node->setPlace(m_node->place().move(by.x(), by.y()));
    if (const auto record = m_records.recordFor(m_node.get()); record && record->rect)
        record->rect->translate(by);
}
