#include "editor/EditorCanvas.h"

#include "editor/AddFigureStep.h"
#include "editor/DropRecordStep.h"
#include "editor/MoveFigureStep.h"
#include "editor/RemoveNodeStep.h"
#include "editor/TextSizeStep.h"
#include "editor/tools/CounterTool.h"
#include "editor/tools/ToolTable.h"
#include "helpers/ImageOutput.h"
#include "platform/Preferences.h"
#include "helpers/NamedColors.h"
#include "platform/SettingsKeys.h"

#include <QApplication>
#include <QPainter>
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
    // The page is the size of the display; a window that fits the display shows the
    // rest of it by scrolling.
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
    auto record = std::make_shared<Figure>();
    auto node = startFigure(*tool, p, record);
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
    if (const DrawingTool *tool = selectedDrawingTool())
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
