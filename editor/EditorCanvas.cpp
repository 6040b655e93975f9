#include "editor/EditorCanvas.h"

#include "editor/AddFigureStep.h"
#include "editor/DropRecordStep.h"
#include "editor/MoveFigureStep.h"
#include "editor/RemoveNodeStep.h"
#include "editor/RestyleSteps.h"
#include "editor/TextSizeStep.h"
#include "editor/tools/CounterTool.h"
#include "editor/tools/ToolTable.h"
#include "helpers/ImageOutput.h"
#include "platform/Preferences.h"
#include "helpers/NamedColors.h"
#include "platform/SettingsKeys.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QSet>
#include <algorithm>
#include <cmath>

using namespace scene;

namespace {


constexpr int kLargestFont = 74;
constexpr int kSmallestFont = 6;
constexpr double kImageMargin = 5.0;      // an image never starts nearer the page's edge
constexpr double kMinimumFreeSpace = 250.0;

// Pixels per point of a picture: its device pixel ratio, never less than one.
double pixelsPerPoint(const QImage &image)
{
    return std::max(1.0, double(image.devicePixelRatio()));
}

} // namespace

EditorCanvas::EditorCanvas(QWidget *parent)
    : SceneView(parent)
{
    // The page is the size of the display; a window smaller than the picture shows the
    // rest of it by scrolling (updateScrollBars).
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setNode(group({}), QSizeF());
}

EditorCanvas::EditorCanvas(const QImage &picture, const QRectF &canvasRect, QWidget *parent)
    : EditorCanvas(parent)
{
    setupCanvas(canvasRect, picture);
}

Preferences &EditorCanvas::preferences()
{
    return Preferences::standard();
}

void EditorCanvas::paintSwatch(QWidget *swatch, const QColor &color)
{
    if (!swatch)
        return;
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, color);
    swatch->setPalette(palette);
    swatch->setAutoFillBackground(true);
    swatch->update();
}

void EditorCanvas::setupCanvas(const QRectF &canvasRect, const QImage &picture, QWidget *lineSwatch,
                            QWidget *fillSwatch)
{
    m_viewSize = Size{canvasRect.width(), canvasRect.height()};
    buildScene(picture);
    loadDrawingDefaults();
    paintSwatch(lineSwatch, colorNamed(lineColorName()));
    paintSwatch(fillSwatch, colorNamed(fillColorName()));
}

void EditorCanvas::loadDrawingDefaults()
{
    if (!preferences().hasKey(SettingsKeys::lineSize))
        preferences().setInteger(SettingsKeys::lineSize, 4);
    if (preferences().hasKey(SettingsKeys::fontSize)) {
        m_fontsize = preferences().integerForKey(SettingsKeys::fontSize);
    } else {
        m_fontsize = 14;
        preferences().setInteger(SettingsKeys::fontSize, m_fontsize);
    }
}

void EditorCanvas::buildScene(const QImage &picture)
{
    m_textCell.clear();
    m_rootGroup = group({});
    placeImage(picture);
    // Placing the picture may have grown the page.
    const Size size = *m_viewSize;
    auto background = std::make_shared<scene::Shape>(Rect(0, 0, size.w, size.h), Color::white());
    m_pressCell = Point{};
    m_lastDragCell = Point{};
    m_currentFigure = m_figureList.items.isEmpty() ? std::make_shared<Figure>() : m_figureList.firstSelected();
    background->onTouchPressed([this](const TouchEvent &event) { canvasPressed(event); });
    background->onTouchMoved([this](const TouchEvent &event) { canvasDragged(event); });
    background->onTouchReleased([this](const TouchEvent &) { canvasReleased(); });
    setNode(group({group({background, m_rootGroup})}), QSizeF(size.w, size.h));
    updateScrollBars();
}

void EditorCanvas::placeImage(const QImage &picture)
{
    if (picture.isNull())
        return;
    const double s = pixelsPerPoint(picture);
    const double w = picture.width() / s;
    const double h = picture.height() / s;
    const double W = m_viewSize->w;
    const double H = m_viewSize->h;
    // Centred across, and a quarter of the free height down (the vertical offset is
    // divided by twice the scale); pinned near the start when little room is left.
    const double dx0 = (W / 2 - w / 2) / s;
    const double dy0 = (H / 2 - h / 2) / (2 * s);
    const double dx = W - (w + dx0) < kMinimumFreeSpace ? kImageMargin : std::max(dx0, kImageMargin);
    const double dy = H - (h + dy0) < kMinimumFreeSpace ? kImageMargin : std::max(dy0, kImageMargin);
    auto image = std::make_shared<Image>(picture, Size{w, h});
    image->setPlace(image->place().move(dx, dy));
    m_rootGroup->append(image);
    m_picture = image;
    m_imagerect = QRectF(dx, dy, w, h);
    // A region of a display larger than the main one does not fit the page. The page
    // grows to hold all of it, with the same margin on the far sides: the export
    // renders the page only, and must not cut the picture short.
    m_viewSize = Size{std::max(W, dx + w + kImageMargin), std::max(H, dy + h + kImageMargin)};
}

// The popovers' say on a canvas press: false when the press must go no further.
bool EditorCanvas::popoversLetPressThrough()
{
    if (m_popovers.colorPaletteShown && m_popovers.colorPaletteShown())
        return false;
    if (m_popovers.textEntryShown && m_popovers.textEntryShown()) {
        if (m_popovers.pointerInTextEntry && m_popovers.pointerInTextEntry())
            return false;
        if (m_selectedTool == ToolKind::Text)
            m_textCell = m_popovers.textEntryString ? m_popovers.textEntryString() : QString();
        if (m_popovers.closeTextEntry)
            m_popovers.closeTextEntry();
    }
    if (m_popovers.lineWidthShown && m_popovers.lineWidthShown()) {
        if (m_popovers.closeLineWidth)
            m_popovers.closeLineWidth();
        return false;
    }
    return true;
}

// The tool behind the selection, or null when nothing that draws is selected.
const DrawingTool *EditorCanvas::selectedDrawingTool() const
{
    return m_selectedTool ? m_tools->drawingToolFor(*m_selectedTool) : nullptr;
}

void EditorCanvas::canvasPressed(const TouchEvent &event)
{
    if (!m_selectedTool || *m_selectedTool == ToolKind::SaveLocal || m_movingfigure)
        return;
    const DrawingTool *tool = selectedDrawingTool();
    if (tool && !tool->takesPagePresses())
        return;
    if (!popoversLetPressThrough())
        return;
    m_pressedOnCanvas = true;
    const Point p = event.location;
    m_pressCell = p;
    m_lastDragCell = p;
    if (!tool)
        return;
    m_startPending = !tool->drawsOnClick();
    if (!m_startPending)
        startFigureAt(*tool, p);
}

void EditorCanvas::startFigureAt(const DrawingTool &tool, const Point &at)
{
    auto record = std::make_shared<Figure>();
    auto node = startFigure(tool, at, record);
    if (!node)
        return;
    attachFigureHandlers(node);
    m_currentFigure = record;
    m_rootGroup->append(node);
    m_history.push(new AddFigureStep(*m_rootGroup, m_figureList, record, node));
}

// Builds the figure of `tool` at `at`, points `record` at it and adds the record.
// Returns the new node, or null for tools that draw nothing.
std::shared_ptr<Node> EditorCanvas::startFigure(const DrawingTool &tool, const Point &at,
                                             const std::shared_ptr<Figure> &record)
{
    FigureStyle style;
    style.line = Color::named(lineColorName());
    style.fill = Color::named(fillColorName());
    style.lineWidth = preferences().integerForKey(SettingsKeys::lineSize);
    const StartedFigure started = tool.start(*this, style, at);
    if (!started.node)
        return nullptr;
    const QRectF &r = started.rect;
    m_figureList.addItem(tool.typeName(), record, std::dynamic_pointer_cast<scene::Shape>(started.node),
                         std::dynamic_pointer_cast<Text>(started.node), std::dynamic_pointer_cast<Group>(started.node),
                         r.x(), r.y(), r.width(), r.height());
    return started.node;
}

void EditorCanvas::canvasReleased()
{
    const bool pressed = m_pressedOnCanvas;
    m_pressedOnCanvas = false;
    // A press that never moved started no figure, and there is nothing to end.
    if (std::exchange(m_startPending, false))
        return;
    if (const DrawingTool *tool = selectedDrawingTool(); pressed && tool)
        tool->release(*this, m_currentFigure);
}

Color EditorCanvas::currentLineColor() const
{
    return Color::named(lineColorName());
}

double EditorCanvas::currentLineWidth() const
{
    return preferences().integerForKey(SettingsKeys::lineSize);
}

Color EditorCanvas::highlightColor() const
{
    const QString highlight = preferences().stringForKey(SettingsKeys::highlightColor);
    return Color::named(highlight.isEmpty() ? QStringLiteral("yellow") : highlight);
}

// One more than the highest number on the canvas: undoing or deleting the last counter
// gives its number again, and no counter is ever renumbered.
int EditorCanvas::nextCounterNumber() const
{
    int highest = 0;
    for (const std::shared_ptr<Node> &node : m_rootGroup->contents()) {
        if (const auto *figure = dynamic_cast<const Group *>(node.get()))
            highest = std::max(highest, counterNumber(*figure));
    }
    return highest + 1;
}

// A figure takes presses on itself: it becomes the selected one and follows the
// pointer until released, with whatever tool.
void EditorCanvas::attachFigureHandlers(const std::shared_ptr<Node> &node)
{
    Node *raw = node.get();
    const auto shape = std::dynamic_pointer_cast<scene::Shape>(node);
    const auto text = std::dynamic_pointer_cast<Text>(node);
    const auto group = std::dynamic_pointer_cast<Group>(node);
    // The handlers live in the node, so they hold it weakly.
    const std::weak_ptr<scene::Shape> weakShape = shape;
    const std::weak_ptr<Text> weakText = text;
    const std::weak_ptr<Group> weakGroup = group;
    raw->onTouchPressed([this, raw, weakShape, weakText, weakGroup](const TouchEvent &) {
        m_movingfigure = true;
        m_moved = QPointF();
        m_figureList.selectItems(weakShape.lock(), weakText.lock(), weakGroup.lock());
        if (m_selectedTool == ToolKind::Pointer)
            m_marked = m_figureList.recordFor(raw);
        updateMark();
    });
    raw->onPan([this, raw](const PanEvent &pan) {
        if (!m_movingfigure)
            return;
        raw->setPlace(raw->place().move(pan.dx, pan.dy));
        m_moved += QPointF(pan.dx, pan.dy);
        if (const auto record = m_figureList.recordFor(raw); record && record->rect)
            record->rect->translate(pan.dx, pan.dy);
        updateMark();
    });
    raw->onTouchReleased([this, raw](const TouchEvent &) {
        m_movingfigure = false;
        if (!m_moved.isNull())
            m_history.push(new MoveFigureStep(m_figureList, raw->shared_from_this(), m_moved));
        m_moved = QPointF();
    });
}

void EditorCanvas::canvasDragged(const TouchEvent &event)
{
    if (m_popovers.textEntryShown && m_popovers.textEntryShown())
        return;
    if (m_movingfigure || !m_selectedTool || *m_selectedTool == ToolKind::SaveLocal)
        return;
    const DrawingTool *tool = selectedDrawingTool();
    if (!tool)
        return;
    if (m_startPending) {
        // The figure starts once the pointer has really moved: two screen points.
        const QPointF moved(event.location.x - m_pressCell.x, event.location.y - m_pressCell.y);
        if (moved.manhattanLength() * m_zoom < 2.0)
            return;
        m_startPending = false;
        startFigureAt(*tool, m_pressCell);
    }
    tool->drag(*this, m_currentFigure, m_pressCell, event.location);
}

void EditorCanvas::stepTextSize(bool larger)
{
    if (larger)
        increaseFont();
    else
        decreaseFont();
}

void EditorCanvas::increaseFont()
{
    if (!m_currentFigure || !m_currentFigure->text)
        return;
    if (m_fontsize >= kLargestFont - 1)
        m_fontsize = kLargestFont - 2;
    m_fontsize += 2;
    applyFontSize();
}

void EditorCanvas::decreaseFont()
{
    if (!m_currentFigure || !m_currentFigure->text)
        return;
    if (m_fontsize < kSmallestFont + 2)
        m_fontsize = kSmallestFont + 2;
    m_fontsize -= 2;
    applyFontSize();
}

void EditorCanvas::applyFontSize()
{
    preferences().setInteger(SettingsKeys::fontSize, m_fontsize);
    const auto text = m_currentFigure->text;
    const int before = text->font().size;
    setTextSize(text, m_fontsize);
    if (before == m_fontsize)
        return;
    QPointer<EditorCanvas> self(this);
    m_history.push(new TextSizeStep(text, before, m_fontsize, [self, text](int size) {
        if (self)
            self->setTextSize(text, size);
    }));
}

void EditorCanvas::setTextSize(const std::shared_ptr<Text> &text, int size)
{
    text->setFont(textFigureFont(size));
    const QSizeF measured = measuredTextSize(text->text(), text->font().size);
    if (const auto record = m_figureList.recordFor(text.get()); record && record->rect)
        record->rect->setSize(measured);
}

double EditorCanvas::picturePixelRatio() const
{
    if (!m_picture || m_picture->size().w <= 0)
        return 1.0;
    return m_picture->image().width() / m_picture->size().w;
}

QImage EditorCanvas::renderExport(const FigureList &figures) const
{
    if (!m_imagerect || !m_viewSize)
        return QImage();
    const double s = picturePixelRatio();
    const QPointF origin = m_imagerect->topLeft();
    // The area in pixels counted from the picture's top left corner, rounded outwards
    // to whole pixels: the picture's own pixels then fall on whole pixels of the export.
    const QRectF area = widenForFigures(*m_imagerect, figures.rects()).translated(-origin);
    const QRectF page = QRectF(QPointF(0, 0), QSizeF(m_viewSize->w, m_viewSize->h)).translated(-origin);
    const auto outwards = [s](const QRectF &r) {
        return QRectF(QPointF(std::floor(r.left() * s + 1e-6), std::floor(r.top() * s + 1e-6)),
                      QPointF(std::ceil(r.right() * s - 1e-6), std::ceil(r.bottom() * s - 1e-6)));
    };
    const QRect pixels = outwards(area).intersected(outwards(page)).toRect();
    if (pixels.isEmpty())
        return QImage();
    QTransform canvasToPixels;
    canvasToPixels.translate(-pixels.left(), -pixels.top());
    canvasToPixels.scale(s, s);
    canvasToPixels.translate(-origin.x(), -origin.y());
    return renderScene(canvasToPixels, pixels.size());
}

FigureList EditorCanvas::figuresOnCanvas() const
{
    FigureList onCanvas;
    if (!m_rootGroup)
        return onCanvas;
    QSet<const Node *> drawn;
    for (const std::shared_ptr<Node> &node : m_rootGroup->contents())
        drawn.insert(node.get());
    for (const std::shared_ptr<Figure> &record : m_figureList.items) {
        if (drawn.contains(record->node().get()))
            onCanvas.items.append(record);
    }
    return onCanvas;
}

void EditorCanvas::deleteSelected()
{
    if (m_figureList.items.isEmpty())
        return;
    const auto selected = m_figureList.firstSelected();
    if (!selected)
        return;
    QList<std::shared_ptr<Node>> contents = m_rootGroup->contents();
    for (const std::shared_ptr<Node> &candidate : {std::shared_ptr<Node>(selected->shape),
                                                  std::shared_ptr<Node>(selected->text),
                                                  std::shared_ptr<Node>(selected->group)}) {
        if (!candidate)
            continue;
        const auto found = std::find_if(contents.begin(), contents.end(), [&](const auto &node) {
            return node->hashValue() == candidate->hashValue();
        });
        if (found != contents.end()) {
            m_history.push(new RemoveNodeStep(*m_rootGroup, *found));
            updateMark();
            return;
        }
    }
    m_history.push(new DropRecordStep(m_figureList, selected));
}

void EditorCanvas::setSelectedTool(std::optional<ToolKind> tool)
{
    m_selectedTool = tool;
    // The mark belongs to the pointer tool.
    if (tool != ToolKind::Pointer && !m_marked.expired()) {
        m_marked.reset();
        updateMark();
    }
}

bool EditorCanvas::drawing() const
{
    return m_movingfigure || m_pressedOnCanvas;
}

void EditorCanvas::undo()
{
    if (drawing())
        return;
    m_history.undo();
    updateMark();
}

void EditorCanvas::redo()
{
    if (drawing())
        return;
    m_history.redo();
    updateMark();
}

std::shared_ptr<Figure> EditorCanvas::markedFigure() const
{
    const std::shared_ptr<Figure> marked = m_marked.lock();
    if (!marked || !marked->selected || m_selectedTool != ToolKind::Pointer || !m_rootGroup)
        return nullptr;
    const std::shared_ptr<Node> node = marked->node();
    return node && m_rootGroup->contents().contains(node) ? marked : nullptr;
}

// Repaints where the mark was and where it is now.
void EditorCanvas::updateMark()
{
    const auto area = [this](const QRectF &r) { return mapFromScene(r.adjusted(-6, -6, 6, 6)).boundingRect(); };
    if (!m_markShown.isNull())
        viewport()->update(area(m_markShown));
    const std::shared_ptr<Figure> marked = markedFigure();
    m_markShown = marked ? coveredRect(*marked->node()) : QRectF();
    if (!m_markShown.isNull())
        viewport()->update(area(m_markShown));
}

void EditorCanvas::drawForeground(QPainter *painter, const QRectF &)
{
    // The picture's edge, just outside it, so that a white picture shows on the white
    // page. It is drawn on screen only: nothing of it is saved, copied or uploaded.
    if (m_imagerect) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setBrush(Qt::NoBrush);
        const double pixel = 1.0 / m_zoom;
        painter->setPen(QPen(QColor(0, 0, 0, 40), 3 * pixel));
        painter->drawRect(m_imagerect->adjusted(-2.5 * pixel, -2.5 * pixel, 2.5 * pixel, 2.5 * pixel));
        painter->setPen(QPen(QColor(0, 0, 0, 110), pixel));
        painter->drawRect(m_imagerect->adjusted(-0.5 * pixel, -0.5 * pixel, 0.5 * pixel, 0.5 * pixel));
        painter->restore();
    }
    if (m_markShown.isNull() || !markedFigure())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QRectF outline = m_markShown.adjusted(-3, -3, 3, 3);
    // A dashed line that shows on light and dark pictures alike.
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Qt::white, 1));
    painter->drawRect(outline);
    painter->setPen(QPen(QColor(20, 90, 200), 1, Qt::DashLine));
    painter->drawRect(outline);
    painter->setPen(QPen(QColor(20, 90, 200), 1));
    painter->setBrush(Qt::white);
    for (const QPointF &corner : {outline.topLeft(), outline.topRight(), outline.bottomLeft(), outline.bottomRight()})
        painter->drawRect(QRectF(corner - QPointF(3, 3), QSizeF(6, 6)));
    painter->restore();
}

bool EditorCanvas::recolorMarkedFigure(const QString &colorName, bool fill)
{
    const std::shared_ptr<Figure> marked = markedFigure();
    // Pictures made of the picture (pixelate, blur) and the highlighter's own color keep theirs.
    static const QStringList recolorable = {QStringLiteral("ellipse"), QStringLiteral("rectangle"), QStringLiteral("line"),
                                            QStringLiteral("arrow"), QStringLiteral("text")};
    if (!marked || !recolorable.contains(marked->typeName) || drawing())
        return false;
    auto step = std::make_unique<RecolorStep>(marked->node(), fill ? RecolorStep::Part::fill : RecolorStep::Part::line,
                                              Color::named(colorName));
    if (!step->changed())
        return false;
    m_history.push(step.release());
    return true;
}

void EditorCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click on a placed text opens its words for editing; anywhere else it is
    // a second press.
    const auto text = event->button() == Qt::LeftButton
                          ? std::dynamic_pointer_cast<Text>(nodeAt(mapToScene(event->position().toPoint())))
                          : nullptr;
    if (!text || !m_rootGroup || !m_rootGroup->contents().contains(text) || m_selectedTool == ToolKind::SaveLocal) {
        SceneView::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    m_editedText = text;
    emit textEditRequested(text->text());
}

void EditorCanvas::finishTextEdit(const QString &words)
{
    const std::shared_ptr<Text> text = std::exchange(m_editedText, {}).lock();
    if (!text || text->text() == words)
        return;
    const QString before = text->text();
    setText(text, words);
    QPointer<EditorCanvas> self(this);
    m_history.push(new RetextStep(text, before, words, [self, text](const QString &to) {
        if (self)
            self->setText(text, to);
    }));
}

void EditorCanvas::setText(const std::shared_ptr<Text> &text, const QString &words)
{
    text->setText(words);
    if (const auto record = m_figureList.recordFor(text.get()); record && record->rect)
        record->rect->setSize(measuredTextSize(words, text->font().size));
}

void EditorCanvas::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.1, 8.0);
    setTransform(QTransform::fromScale(m_zoom, m_zoom));
    updateScrollBars();
    updateMark();
}

void EditorCanvas::zoomIn()
{
    setZoom(m_zoom * 1.25);
}

void EditorCanvas::zoomOut()
{
    setZoom(m_zoom / 1.25);
}

void EditorCanvas::fitToWindow()
{
    if (!m_imagerect || m_imagerect->isEmpty())
        return;
    const QRectF shown = m_imagerect->adjusted(-kImageMargin, -kImageMargin, kImageMargin, kImageMargin);
    setZoom(std::min(viewport()->width() / shown.width(), viewport()->height() / shown.height()));
    centerOn(m_imagerect->center());
}

void EditorCanvas::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        // A picture that fits is shown whole: there is nothing to scroll to.
        if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
            event->accept();
        else
            SceneView::wheelEvent(event);
        return;
    }
    // Ctrl and the wheel zoom about the pointer: the canvas point under it stays there.
    const QPointF under = mapToScene(event->position().toPoint());
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) {
        event->accept();
        return;
    }
    setZoom(m_zoom * std::pow(1.25, steps));
    const QPointF drift = mapFromScene(under) - event->position();
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + qRound(drift.x()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + qRound(drift.y()));
    event->accept();
}

void EditorCanvas::resizeEvent(QResizeEvent *event)
{
    SceneView::resizeEvent(event);
    updateScrollBars();
}

// Scroll bars only when the picture does not fit in the window (as large as it is
// without them); a picture that fits is scrolled into view whole, without them.
void EditorCanvas::updateScrollBars()
{
    const QSize room = maximumViewportSize();
    const bool fits = !m_imagerect
                      || ((m_imagerect->width() + 2 * kImageMargin) * m_zoom <= room.width()
                          && (m_imagerect->height() + 2 * kImageMargin) * m_zoom <= room.height());
    const Qt::ScrollBarPolicy policy = fits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
    if (fits && m_imagerect)
        ensureVisible(*m_imagerect, int(kImageMargin), int(kImageMargin));
}
