#include "editor/Scene.h"

#include "helpers/NamedColors.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPathStroker>
#include <QSet>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace scene {

// ---- forms -------------------------------------------------------------------

Rect Rect::bounds() const
{
    const QRectF r = QRectF(x, y, w, h).normalized();
    return Rect(r.x(), r.y(), r.width(), r.height());
}

QPainterPath Rect::path() const
{
    QPainterPath p;
    p.addRect(QRectF(x, y, w, h).normalized());
    return p;
}

Rect Ellipse::bounds() const
{
    return Rect(cx - std::abs(rx), cy - std::abs(ry), 2 * std::abs(rx), 2 * std::abs(ry));
}

QPainterPath Ellipse::path() const
{
    QPainterPath p;
    p.addEllipse(QPointF(cx, cy), std::abs(rx), std::abs(ry));
    return p;
}

Rect Line::bounds() const
{
    return Rect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
}

QPainterPath Line::path() const
{
    QPainterPath p(QPointF(x1, y1));
    p.lineTo(x2, y2);
    return p;
}

const Locus &locus(const Form &form)
{
    return std::visit([](const auto &f) -> const Locus & { return f; }, form);
}

// ---- paint -------------------------------------------------------------------

Color Color::named(const QString &name)
{
    return Color(macawColorNamed(name));
}

QPen Stroke::toQPen() const
{
    QPen pen(fill.toQColor(), width);
    switch (cap) {
    case LineCap::butt: pen.setCapStyle(Qt::FlatCap); break;
    case LineCap::round: pen.setCapStyle(Qt::RoundCap); break;
    case LineCap::square: pen.setCapStyle(Qt::SquareCap); break;
    }
    switch (join) {
    case LineJoin::miter: pen.setJoinStyle(Qt::MiterJoin); break;
    case LineJoin::round: pen.setJoinStyle(Qt::RoundJoin); break;
    case LineJoin::bevel: pen.setJoinStyle(Qt::BevelJoin); break;
    }
    if (!dashes.isEmpty() && width > 0) {
        // QPen measures dashes in pen widths; ours are in points.
        QList<qreal> pattern;
        for (double d : dashes)
            pattern.append(d / width);
        pen.setDashPattern(pattern);
    }
    return pen;
}

QFont Font::toQFont() const
{
    QFont font(name);
    // Canvas points are the scene's units, so the size is a pixel size there.
    font.setPixelSize(std::max(1, size));
    font.setWeight(weight == QLatin1String("bold") ? QFont::Bold : QFont::Normal);
    return font;
}

Transform Transform::move(double dx, double dy) const
{
    QTransform moved = m_matrix;
    moved.translate(dx, dy);
    return Transform(moved);
}

// ---- nodes -------------------------------------------------------------------

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

Shape::Shape(const Form &form, const Color &fill, const std::optional<Stroke> &stroke, const Transform &place)
    : Node(place)
    , m_form(form)
    , m_fill(fill)
    , m_stroke(stroke)
{
    rebuild();
}

void Shape::setForm(const Form &form)
{
    if (form == m_form)
        return;
    prepareGeometryChange();
    m_form = form;
    rebuild();
    update();
}

void Shape::rebuild()
{
    const QPainterPath outline = locus(m_form).path();
    // A line has no inside; a clear fill paints nothing and so is not part of the
    // figure's drawn geometry.
    const bool filled = !m_fill.isClear() && !std::holds_alternative<Line>(m_form);
    m_fillPath = filled ? outline : QPainterPath();
    m_strokePath = QPainterPath();
    if (m_stroke && m_stroke->width > 0 && !m_stroke->fill.isClear()) {
        QPainterPathStroker stroker(m_stroke->toQPen());
        m_strokePath = stroker.createStroke(outline);
    }
    m_bounds = m_fillPath.boundingRect().united(m_strokePath.boundingRect());
}

QRectF Shape::boundingRect() const
{
    return m_bounds;
}

QPainterPath Shape::shape() const
{
    QPainterPath p = m_fillPath;
    p.addPath(m_strokePath);
    p.setFillRule(Qt::WindingFill);
    return p;
}

void Shape::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QPainterPath outline = locus(m_form).path();
    if (!m_fillPath.isEmpty())
        painter->fillPath(outline, m_fill.toQColor());
    if (!m_strokePath.isEmpty())
        painter->strokePath(outline, m_stroke->toQPen());
}

bool Shape::hits(const QPointF &point) const
{
    if (!m_bounds.contains(point))
        return false;
    return m_fillPath.contains(point) || m_strokePath.contains(point);
}

Text::Text(const QString &text, const Font &font, const Color &fill, const std::optional<Stroke> &stroke, Align align,
           Baseline baseline, const Transform &place)
    : Node(place)
    , m_text(text)
    , m_font(font)
    , m_fill(fill)
    , m_stroke(stroke)
    , m_align(align)
    , m_baseline(baseline)
{
    relayout();
}

void Text::setFont(const Font &font)
{
    if (font == m_font)
        return;
    prepareGeometryChange();
    m_font = font;
    relayout();
    update();
}

void Text::relayout()
{
    const QFontMetricsF metrics(m_font.toQFont());
    QRectF r = metrics.boundingRect(QRectF(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, m_text);
    r.moveTopLeft(QPointF(0, 0));
    switch (m_align) {
    case Align::min: break;
    case Align::mid: r.moveLeft(-r.width() / 2); break;
    case Align::max: r.moveLeft(-r.width()); break;
    }
    switch (m_baseline) {
    case Baseline::top: break;
    case Baseline::alphabetic: r.moveTop(-metrics.ascent()); break;
    case Baseline::bottom: r.moveTop(-r.height()); break;
    case Baseline::mid: r.moveTop(-r.height() / 2); break;
    }
    m_textRect = r;
}

QRectF Text::boundingRect() const
{
    return m_textRect;
}

void Text::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_text.isEmpty())
        return;
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->setFont(m_font.toQFont());
    painter->setPen(m_fill.toQColor());
    painter->drawText(m_textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, m_text);
}

bool Text::hits(const QPointF &point) const
{
    return !m_text.isEmpty() && m_textRect.contains(point);
}

Image::Image(const QImage &image, const Size &size, const Transform &place)
    : Node(place)
    , m_image(image.convertToFormat(QImage::Format_ARGB32_Premultiplied))
    , m_size(size)
{
}

QRectF Image::boundingRect() const
{
    return QRectF(0, 0, m_size.w, m_size.h);
}

void Image::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(boundingRect(), m_image);
}

bool Image::hits(const QPointF &point) const
{
    return boundingRect().contains(point);
}

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

std::shared_ptr<Group> group(const QList<std::shared_ptr<Node>> &contents)
{
    return std::make_shared<Group>(contents);
}

// ---- view --------------------------------------------------------------------

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
