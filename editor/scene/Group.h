#pragma once

#include "editor/scene/Node.h"
#include "editor/scene/Transform.h"

#include <QList>
#include <QRectF>
#include <memory>

namespace scene {

// An ordered list of nodes, later ones drawn over earlier ones. Replacing the
// contents redraws the group.
class Group : public Node
{
public:
    explicit Group(const QList<std::shared_ptr<Node>> &contents = {}, const Transform &place = Transform::identity());
    ~Group() override;

    const QList<std::shared_ptr<Node>> &contents() const { return m_contents; }
    void setContents(const QList<std::shared_ptr<Node>> &contents);
    // Adds a node at the top; the same as setContents(contents() + node).
    void append(const std::shared_ptr<Node> &node);
    // Puts `node` at `index` (clamped to the contents).
    void insert(qsizetype index, const std::shared_ptr<Node> &node);
    // Takes `node` out; returns where it was, -1 when it was not there.
    qsizetype take(const std::shared_ptr<Node> &node);

    QRectF boundingRect() const override { return QRectF(); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
    bool hits(const QPointF &) const override { return false; }

private:
    void detach(Node *node);

    QList<std::shared_ptr<Node>> m_contents;
};

// The array-to-group operation.
std::shared_ptr<Group> group(const QList<std::shared_ptr<Node>> &contents);

} // namespace scene
