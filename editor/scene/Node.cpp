#include "editor/scene/Node.h"

namespace scene {

Node::Node(const Transform &place, bool opaque, double opacity, bool visible, const QStringList &tag)
    : m_place(place)
    , m_opaque(opaque)
    , m_tag(tag)
{
    setTransform(place.toQTransform());
    setOpacity(opacity);
    setVisible(visible);
}

Node::~Node() = default;

void Node::setPlace(const Transform &place)
{
    m_place = place;
    setTransform(place.toQTransform());
}

bool Node::handlesEvents() const
{
    return handlesPress() || handlesMove() || handlesRelease() || handlesPan();
}

void Node::firePressed(const TouchEvent &event) const
{
    for (const auto &handler : m_pressed)
        handler(event);
}

void Node::fireMoved(const TouchEvent &event) const
{
    for (const auto &handler : m_moved)
        handler(event);
}

void Node::fireReleased(const TouchEvent &event) const
{
    for (const auto &handler : m_released)
        handler(event);
}

void Node::firePan(const PanEvent &event) const
{
    for (const auto &handler : m_pan)
        handler(event);
}

Node *Node::parentNode() const
{
    return static_cast<Node *>(parentItem());
}

bool Node::hits(const QPointF &point) const
{
    return boundingRect().contains(point);
}

} // namespace scene
