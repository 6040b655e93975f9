#pragma once

#include "editor/scene/PanEvent.h"
#include "editor/scene/TouchEvent.h"
#include "editor/scene/Transform.h"

#include <QGraphicsItem>
#include <QPointF>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace scene {

class Group;

// The editor's retained vector scene: nodes (shapes, text, groups, images) that a
// SceneView draws and to which it routes pointer events. Each node is a
// QGraphicsItem owned through std::shared_ptr: the figure records and the groups
// share nodes, and a node taken out of a group lives on while a record holds it.
//
// The base of every node: its place in the parent, visibility, opacity, tags and the
// pointer handlers. Nodes are equal only to themselves.
class Node : public QGraphicsItem, public std::enable_shared_from_this<Node>
{
public:
    using TouchHandler = std::function<void(const TouchEvent &)>;
    using PanHandler = std::function<void(const PanEvent &)>;

    explicit Node(const Transform &place = Transform::identity(), bool opaque = true, double opacity = 1.0,
                  bool visible = true, const QStringList &tag = {});
    ~Node() override;

    Transform place() const { return m_place; }
    void setPlace(const Transform &place);
    bool opaque() const { return m_opaque; }
    QStringList tag() const { return m_tag; }
    // The identity of the node, stable for its life.
    quintptr hashValue() const { return reinterpret_cast<quintptr>(this); }

    void onTouchPressed(TouchHandler handler) { m_pressed.push_back(std::move(handler)); }
    void onTouchMoved(TouchHandler handler) { m_moved.push_back(std::move(handler)); }
    void onTouchReleased(TouchHandler handler) { m_released.push_back(std::move(handler)); }
    void onPan(PanHandler handler) { m_pan.push_back(std::move(handler)); }

    bool handlesEvents() const;
    bool handlesPress() const { return !m_pressed.empty(); }
    bool handlesMove() const { return !m_moved.empty(); }
    bool handlesRelease() const { return !m_released.empty(); }
    bool handlesPan() const { return !m_pan.empty(); }
    void firePressed(const TouchEvent &event) const;
    void fireMoved(const TouchEvent &event) const;
    void fireReleased(const TouchEvent &event) const;
    void firePan(const PanEvent &event) const;

    // The group holding this node, if any.
    Node *parentNode() const;
    // Whether the drawn geometry covers `point` (in this node's coordinates).
    virtual bool hits(const QPointF &point) const;

    friend bool operator==(const Node &a, const Node &b) { return &a == &b; }

private:
    Transform m_place;
    bool m_opaque;
    QStringList m_tag;
    std::vector<TouchHandler> m_pressed, m_moved, m_released;
    std::vector<PanHandler> m_pan;
};

} // namespace scene
