#include "editor/scene/Group.h"

#include <QGraphicsScene>
#include <QSet>
#include <algorithm>

namespace scene {

Group::Group(const QList<std::shared_ptr<Node>> &contents, const Transform &place)
    : Node(place)
{
    setFlag(QGraphicsItem::ItemHasNoContents);
    setContents(contents);
}

Group::~Group()
{
    // The children are owned by their shared pointers, not by this item: let go of
    // them before QGraphicsItem's destructor would delete them.
    for (const auto &child : std::as_const(m_contents))
        detach(child.get());
}

void Group::detach(Node *node)
{
    if (node->parentItem() != this)
        return;
    node->setParentItem(nullptr);
    if (QGraphicsScene *s = node->scene())
        s->removeItem(node);
}

void Group::setContents(const QList<std::shared_ptr<Node>> &contents)
{
    QSet<const Node *> kept;
    for (const auto &node : contents)
        kept.insert(node.get());
    for (const auto &old : std::as_const(m_contents)) {
        if (!kept.contains(old.get()))
            detach(old.get());
    }
    m_contents = contents;
    for (qsizetype i = 0; i < m_contents.size(); ++i) {
        Node *node = m_contents.at(i).get();
        node->setParentItem(this);
        node->setZValue(double(i));   // stacking follows the list order
    }
}

void Group::append(const std::shared_ptr<Node> &node)
{
    if (m_contents.contains(node)) {
        QList<std::shared_ptr<Node>> reordered = m_contents;
        reordered.removeAll(node);
        reordered.append(node);
        setContents(reordered);
        return;
    }
    m_contents.append(node);
    node->setParentItem(this);
    node->setZValue(double(m_contents.size() - 1));
}

void Group::insert(qsizetype index, const std::shared_ptr<Node> &node)
{
    QList<std::shared_ptr<Node>> contents = m_contents;
    contents.insert(std::clamp<qsizetype>(index, 0, contents.size()), node);
    setContents(contents);
}

qsizetype Group::take(const std::shared_ptr<Node> &node)
{
    QList<std::shared_ptr<Node>> contents = m_contents;
    const qsizetype index = contents.indexOf(node);
    if (index >= 0) {
        contents.removeAt(index);
        setContents(contents);
    }
    return index;
}

std::shared_ptr<Group> group(const QList<std::shared_ptr<Node>> &contents)
{
    return std::make_shared<Group>(contents);
}

} // namespace scene
