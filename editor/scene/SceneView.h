#pragma once

#include "editor/scene/Node.h"

#include <QGraphicsView>
#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QTransform>
#include <memory>

namespace scene {

// The view that draws a scene and delivers the pointer to its nodes. A press goes
// to the topmost node whose drawn geometry is under the pointer and that (or one of
// whose groups) handles events; nodes without handlers are transparent to presses.
// Moves, pans and the release of the same gesture go to that node.
class SceneView : public QGraphicsView
{
    Q_OBJECT
public:
    explicit SceneView(QWidget *parent = nullptr);
    ~SceneView() override;

    std::shared_ptr<Node> node() const { return m_node; }
    // Replaces the whole scene; `canvasSize` is the area shown, from (0, 0).
    void setNode(const std::shared_ptr<Node> &node, const QSizeF &canvasSize);

    // The node a press at `point` (canvas points) would reach, or null.
    std::shared_ptr<Node> nodeAt(const QPointF &point) const;

    // The whole canvas drawn into an image of canvas size × devicePixelRatio pixels
    // (with that ratio set), independent of what the widget shows.
    QImage renderScene(qreal devicePixelRatio) const;
    // The canvas drawn through `canvasToPixels` into an opaque image of `pixels`,
    // white where the canvas shows nothing (ratio 1).
    QImage renderScene(const QTransform &canvasToPixels, const QSize &pixels) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void endGesture(const QPointF &point);

    QGraphicsScene *m_scene;
    std::shared_ptr<Node> m_node;
    QSizeF m_canvasSize;
    std::shared_ptr<Node> m_gesture;   // the node that took the current press
    QPointF m_lastPan;
};

} // namespace scene
