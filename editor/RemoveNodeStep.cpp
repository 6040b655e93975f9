#include "editor/RemoveNodeStep.h"

#include <QCoreApplication>

RemoveNodeStep::RemoveNodeStep(scene::Group &root, std::shared_ptr<scene::Node> node)
    : m_root(root)
    , m_node(std::move(node))
{
    setText(QCoreApplication::translate("FigureSteps", "Delete figure"));
}

void RemoveNodeStep::undo()
{
    if (m_index >= 0)
        m_root.insert(m_index, m_node);
}

void RemoveNodeStep::redo()
{
    m_index = m_root.take(m_node);
}
