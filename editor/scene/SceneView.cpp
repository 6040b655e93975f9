#include "editor/scene/SceneView.h"

#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

namespace scene {

SceneView::SceneView(QWidget *parent)
    : QGraphicsView(parent)
    , m_scene(new QGraphicsScene(this))
{
    setScene(m_scene);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setBackgroundBrush(Qt::white);
    setMouseTracking(false);
}

SceneView::~SceneView()
{
    // The scene would delete every item it holds; the nodes belong to their shared
    // pointers, so take the root out first.
    m_gesture.reset();
    if (m_node && m_node->scene())
        m_scene->removeItem(m_node.get());
}

void SceneView::setNode(const std::shared_ptr<Node> &node, const QSizeF &canvasSize)
{
    m_gesture.reset();
    if (m_node && m_node->scene())
        m_scene->removeItem(m_node.get());
    m_node = node;
    m_canvasSize = canvasSize;
    if (m_node)
        m_scene->addItem(m_node.get());
    m_scene->setSceneRect(QRectF(QPointF(0, 0), canvasSize));
}

std::shared_ptr<Node> SceneView::nodeAt(const QPointF &point) const
{
    const QList<QGraphicsItem *> under =
        m_scene->items(point, Qt::IntersectsItemBoundingRect, Qt::DescendingOrder);
    for (QGraphicsItem *item : under) {
        auto *node = static_cast<Node *>(item);
        if (!node->isVisible() || !node->hits(node->mapFromScene(point)))
            continue;
        // The press belongs to the innermost node of this chain that handles events;
        // a chain without one lets the press through to what lies below.
        for (Node *n = node; n; n = n->parentNode()) {
            if (n->handlesEvents())
                return n->shared_from_this();
        }
    }
    return nullptr;
}

QImage SceneView::renderScene(qreal devicePixelRatio) const
{
    const QSize pixels(qCeil(m_canvasSize.width() * devicePixelRatio), qCeil(m_canvasSize.height() * devicePixelRatio));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHints(renderHints());
    const QRectF canvas(QPointF(0, 0), m_canvasSize);
    m_scene->render(&painter, canvas, canvas, Qt::IgnoreAspectRatio);
    return image;
}

QImage SceneView::renderScene(const QTransform &canvasToPixels, const QSize &pixels) const
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(renderHints());
    painter.setTransform(canvasToPixels);
    const QRectF canvas(QPointF(0, 0), m_canvasSize);
    m_scene->render(&painter, canvas, canvas, Qt::IgnoreAspectRatio);
    return image;
}

namespace {

// Delivers to the nearest node from `from` up its groups that has the kind of handler.
template <typename Has, typename Fire>
void deliver(Node *from, Has has, Fire fire)
{
    for (Node *n = from; n; n = n->parentNode()) {
        if ((n->*has)()) {
            fire(n);
            return;
        }
    }
}

} // namespace

void SceneView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    event->accept();
    const QPointF point = mapToScene(event->position().toPoint());
    // A release lost to a popup grab must not leave the last gesture running.
    if (m_gesture)
        endGesture(point);
    m_gesture = nodeAt(point);
    m_lastPan = point;
    if (!m_gesture)
        return;
    const std::shared_ptr<Node> keep = m_gesture;
    deliver(keep.get(), &Node::handlesPress, [&](Node *n) { n->firePressed({{point.x(), point.y()}}); });
}

void SceneView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_gesture || !(event->buttons() & Qt::LeftButton))
        return;
    const std::shared_ptr<Node> keep = m_gesture;
    const QPointF point = mapToScene(event->position().toPoint());
    deliver(keep.get(), &Node::handlesMove, [&](Node *n) { n->fireMoved({{point.x(), point.y()}}); });
    const PanEvent pan{point.x() - m_lastPan.x(), point.y() - m_lastPan.y()};
    m_lastPan = point;
    if (m_gesture == keep)
        deliver(keep.get(), &Node::handlesPan, [&](Node *n) { n->firePan(pan); });
}

void SceneView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    endGesture(mapToScene(event->position().toPoint()));
}

void SceneView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is a second press for the canvas.
    mousePressEvent(event);
}

void SceneView::endGesture(const QPointF &point)
{
    const std::shared_ptr<Node> keep = std::exchange(m_gesture, nullptr);
    if (keep)
        deliver(keep.get(), &Node::handlesRelease, [&](Node *n) { n->fireReleased({{point.x(), point.y()}}); });
}

} // namespace scene
