#include "editor/CanvasHistory.h"

namespace {

void insertNode(scene::Group &root, const std::shared_ptr<scene::Node> &node, qsizetype index)
{
    QList<std::shared_ptr<scene::Node>> contents = root.contents();
    contents.insert(std::clamp<qsizetype>(index, 0, contents.size()), node);
    root.setContents(contents);
}

// Takes `node` out of the root group; returns where it was, -1 when it was not there.
qsizetype takeNode(scene::Group &root, const std::shared_ptr<scene::Node> &node)
{
    QList<std::shared_ptr<scene::Node>> contents = root.contents();
    const qsizetype index = contents.indexOf(node);
    if (index >= 0) {
        contents.removeAt(index);
        root.setContents(contents);
    }
    return index;
}

} // namespace

AddFigureStep::AddFigureStep(scene::Group &root, FigureList &records, std::shared_ptr<Figure> record,
                             std::shared_ptr<scene::Node> node)
    : m_root(root)
    , m_records(records)
    , m_record(std::move(record))
    , m_node(std::move(node))
{
    setText(QStringLiteral("Add ") + m_record->mobjType);
}

void AddFigureStep::undo()
{
    m_nodeIndex = takeNode(m_root, m_node);
    m_recordIndex = m_records.lst.indexOf(m_record);
    if (m_recordIndex >= 0)
        m_records.lst.removeAt(m_recordIndex);
}

void AddFigureStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    if (m_nodeIndex >= 0)
        insertNode(m_root, m_node, m_nodeIndex);
    if (m_recordIndex >= 0)
        m_records.lst.insert(std::min(m_recordIndex, m_records.lst.size()), m_record);
}

MoveFigureStep::MoveFigureStep(FigureList &records, std::shared_ptr<scene::Node> node, QPointF by)
    : m_records(records)
    , m_node(std::move(node))
    , m_by(by)
{
    setText(QStringLiteral("Move figure"));
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
    if (const auto record = m_records.recordFor(m_node.get()); record && record->mrect)
        record->mrect->translate(by);
}

RemoveNodeStep::RemoveNodeStep(scene::Group &root, std::shared_ptr<scene::Node> node)
    : m_root(root)
    , m_node(std::move(node))
{
    setText(QStringLiteral("Delete figure"));
}

void RemoveNodeStep::undo()
{
    if (m_index >= 0)
        insertNode(m_root, m_node, m_index);
}

void RemoveNodeStep::redo()
{
    m_index = takeNode(m_root, m_node);
}

DropRecordStep::DropRecordStep(FigureList &records, std::shared_ptr<Figure> record)
    : m_records(records)
    , m_record(std::move(record))
{
    setText(QStringLiteral("Forget figure"));
}

void DropRecordStep::undo()
{
    if (m_index >= 0)
        m_records.lst.insert(std::min(m_index, m_records.lst.size()), m_record);
}

void DropRecordStep::redo()
{
    m_index = m_records.lst.indexOf(m_record);
    m_records.removeItem(m_record);
}

TextSizeStep::TextSizeStep(std::shared_ptr<scene::Text> text, int from, int to, std::function<void(int)> apply)
    : m_text(std::move(text))
    , m_from(from)
    , m_to(to)
    , m_apply(std::move(apply))
{
    setText(QStringLiteral("Text size"));
}

void TextSizeStep::redo()
{
    if (std::exchange(m_done, false))
        return;
    m_apply(m_to);
}

bool TextSizeStep::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const TextSizeStep *>(other);
    if (next->m_text != m_text)
        return false;
    m_to = next->m_to;
    return true;
}
