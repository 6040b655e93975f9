#pragma once

#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

// The editor's retained vector scene: nodes (shapes, text, groups, images) that a
// SceneView draws and to which it routes pointer events. Each node is a
// QGraphicsItem owned through std::shared_ptr: the figure records and the groups
// share nodes, and a node taken out of a group lives on while a record holds it.
namespace scene {

struct Point {
    double x = 0;
    double y = 0;
    QPointF toQPointF() const { return {x, y}; }
    friend bool operator==(const Point &, const Point &) = default;
};

struct Size {
    double w = 0;
    double h = 0;
    friend bool operator==(const Size &, const Size &) = default;
};

class Rect;

// A form a Shape can take.
class Locus
{
public:
    virtual ~Locus() = default;
    // The smallest upright rectangle holding the form (positive width and height).
    virtual Rect bounds() const = 0;
    // The outline to fill and stroke.
    virtual QPainterPath path() const = 0;
};

// x, y is the first corner; width and height keep their sign (a rectangle dragged
// up and to the left has negative ones).
class Rect final : public Locus
{
public:
    Rect() = default;
    Rect(double x, double y, double w, double h) : x(x), y(y), w(w), h(h) {}
    Rect bounds() const override;
    QPainterPath path() const override;
    QRectF cgRect() const { return QRectF(x, y, w, h); }
    friend bool operator==(const Rect &a, const Rect &b)
    {
        return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
    }

    double x = 0, y = 0, w = 0, h = 0;
};

// Centre and radii; radii keep their sign.
class Ellipse final : public Locus
{
public:
    Ellipse() = default;
    Ellipse(double cx, double cy, double rx, double ry) : cx(cx), cy(cy), rx(rx), ry(ry) {}
    Rect bounds() const override;
    QPainterPath path() const override;
    friend bool operator==(const Ellipse &a, const Ellipse &b)
    {
        return a.cx == b.cx && a.cy == b.cy && a.rx == b.rx && a.ry == b.ry;
    }

    double cx = 0, cy = 0, rx = 0, ry = 0;
};

class Line final : public Locus
{
public:
    Line() = default;
    Line(double x1, double y1, double x2, double y2) : x1(x1), y1(y1), x2(x2), y2(y2) {}
    Rect bounds() const override;
    QPainterPath path() const override;
    friend bool operator==(const Line &a, const Line &b)
    {
        return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
    }

    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The forms a Shape holds by value.
using Form = std::variant<Rect, Ellipse, Line>;
const Locus &locus(const Form &form);

// An RGBA color. `clear` is fully transparent and is not painted.
class Color
{
public:
    Color() = default;
    explicit Color(const QColor &rgba) : m_rgba(rgba) {}
    static Color white() { return Color(QColor(255, 255, 255)); }
    static Color clear() { return Color(QColor(0, 0, 0, 0)); }
    // One of the sixteen basic color names or "clear"; any other name is red.
    static Color named(const QString &name);
    QColor toQColor() const { return m_rgba; }
    bool isClear() const { return m_rgba.alpha() == 0; }
    friend bool operator==(const Color &a, const Color &b) { return a.m_rgba == b.m_rgba; }

private:
    QColor m_rgba{Qt::black};
};

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

struct Stroke {
    Color fill;
    double width = 1.0;
    LineCap cap = LineCap::butt;
    LineJoin join = LineJoin::miter;
    QList<double> dashes;
    QPen toQPen() const;
};

// A font by family name, size in canvas points and weight ("normal" or "bold").
struct Font {
    QString name = QStringLiteral("Serif");
    int size = 12;
    QString weight = QStringLiteral("normal");
    QFont toQFont() const;
    friend bool operator==(const Font &, const Font &) = default;
};

// An affine placement; the editor only translates.
class Transform
{
public:
    Transform() = default;
    explicit Transform(const QTransform &matrix) : m_matrix(matrix) {}
    static Transform identity() { return Transform(); }
    // A copy moved by (dx, dy).
    Transform move(double dx, double dy) const;
    double dx() const { return m_matrix.dx(); }
    double dy() const { return m_matrix.dy(); }
    const QTransform &toQTransform() const { return m_matrix; }
    friend bool operator==(const Transform &a, const Transform &b) { return a.m_matrix == b.m_matrix; }

private:
    QTransform m_matrix;
};

struct TouchEvent {
    Point location;   // canvas points
};

struct PanEvent {
    double dx = 0;    // movement since the previous pan event of the same gesture
    double dy = 0;
};

class Group;

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

// A filled and stroked form. Replacing the form redraws it.
class Shape : public Node
{
public:
    Shape(const Form &form, const Color &fill, const std::optional<Stroke> &stroke = std::nullopt,
          const Transform &place = Transform::identity());

    const Form &form() const { return m_form; }
    void setForm(const Form &form);
    Color fill() const { return m_fill; }
    std::optional<Stroke> stroke() const { return m_stroke; }

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    void rebuild();

    Form m_form;
    Color m_fill;
    std::optional<Stroke> m_stroke;
    QPainterPath m_fillPath;     // empty when nothing is filled
    QPainterPath m_strokePath;   // the outline of the stroke, empty without one
    QRectF m_bounds;
};

enum class Align { min, mid, max };
enum class Baseline { top, alphabetic, bottom, mid };

// A text laid out from its place: alignment `min` puts the left edge there and
// baseline `top` the top edge.
class Text : public Node
{
public:
    Text(const QString &text, const Font &font, const Color &fill, const std::optional<Stroke> &stroke = std::nullopt,
         Align align = Align::min, Baseline baseline = Baseline::top, const Transform &place = Transform::identity());

    QString text() const { return m_text; }
    Font font() const { return m_font; }
    void setFont(const Font &font);
    Color fill() const { return m_fill; }
    std::optional<Stroke> stroke() const { return m_stroke; }
    Align align() const { return m_align; }
    Baseline baseline() const { return m_baseline; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    void relayout();

    QString m_text;
    Font m_font;
    Color m_fill;
    std::optional<Stroke> m_stroke;
    Align m_align;
    Baseline m_baseline;
    QRectF m_textRect;
};

// A picture drawn at `size` points from its place.
class Image : public Node
{
public:
    Image(const QImage &image, const Size &size, const Transform &place = Transform::identity());

    const QImage &image() const { return m_image; }
    Size size() const { return m_size; }

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    bool hits(const QPointF &point) const override;

private:
    QImage m_image;
    Size m_size;
};

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

    QRectF boundingRect() const override { return QRectF(); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
    bool hits(const QPointF &) const override { return false; }

private:
    void detach(Node *node);

    QList<std::shared_ptr<Node>> m_contents;
};

// The array-to-group operation.
std::shared_ptr<Group> group(const QList<std::shared_ptr<Node>> &contents);

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
