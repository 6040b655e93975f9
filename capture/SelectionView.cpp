#include "capture/SelectionView.h"

#include "capture/CursorImages.h"
#include "platform/CaptureTrace.h"

#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

SelectionBox::SelectionBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SelectionBox::setFillColor(const QColor &color)
{
    m_fill = color;
    update();
}

void SelectionBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
    painter.setPen(QColor(40, 40, 40, 200));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

SelectionView::SelectionView(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_model.setImagesAvailable(crosshairImageAvailable(), cornerImagesAvailable());
}

void SelectionView::setPicture(const QImage &picture)
{
    m_picture = picture;
    updateBounds();
    update();
}

void SelectionView::updateBounds()
{
    const double width = testAttribute(Qt::WA_Resized) || m_picture.isNull()
                             ? this->width()
                             : m_picture.width() / m_picture.devicePixelRatio();
    m_model.setBounds(QRectF(0, 0, width, viewHeight()));
}

void SelectionView::nudgeSelection(int dx, int dy)
{
    m_model.nudge(QPointF(dx, dy));
    syncFromModel();
}

void SelectionView::resizeSelection(int dw, int dh)
{
    m_model.resizeBy(dw, dh);
    syncFromModel();
}

void SelectionView::startSelectionAt(const QPointF &point)
{
    m_model.startSelectionAt(point);
    syncFromModel();
}

namespace {
// The frame of the window under the pointer while one is being picked: a strong
// outline that reads on light and dark windows, over a faint tint.
class WindowHighlight : public QWidget
{
public:
    explicit WindowHighlight(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("windowHighlight"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(61, 142, 230, 50));
        painter.setPen(QPen(QColor(61, 142, 230), 4));
        painter.drawRect(QRectF(rect()).adjusted(2, 2, -2, -2));
    }
};
} // namespace

void SelectionView::startWindowPicking(const QList<QRect> &frames)
{
    m_windowFrames = frames;
    m_picking = true;
    if (!m_highlight)
        m_highlight = new WindowHighlight(this);
    highlightWindowAt(mapFromGlobal(QCursor::pos()));
}

void SelectionView::stopWindowPicking()
{
    m_picking = false;
    m_windowFrames.clear();
    m_highlighted = QRect();
    if (m_highlight)
        m_highlight->hide();
}

void SelectionView::highlightWindowAt(const QPoint &point)
{
    m_highlighted = frameAt(m_windowFrames, point);
    if (!m_highlight)
        return;
    m_highlight->setGeometry(m_highlighted);
    m_highlight->setVisible(!m_highlighted.isNull());
    m_highlight->raise();
}

void SelectionView::pickHighlightedWindow()
{
    // A window reaching past this display gives the part on it.
    const QRectF frame = QRectF(m_highlighted).intersected(QRectF(rect()));
    stopWindowPicking();
    showHint(QString());
    if (frame.isEmpty())
        return;
    m_model.setFrame(frame);
    m_model.resizeBy(0, 0); // the size label
    syncFromModel();
    emit windowPicked();
}

void SelectionView::showHint(const QString &text)
{
    if (text.isEmpty()) {
        if (m_hint)
            m_hint->hide();
        return;
    }
    if (!m_hint) {
        m_hint = new QLabel(this);
        m_hint->setObjectName(QStringLiteral("overlayHint"));
        m_hint->setStyleSheet(QStringLiteral("QLabel { background: rgba(0,0,0,190); color: white; padding: 8px 12px; }"));
        m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_hint->setText(text);
    m_hint->adjustSize();
    // Near the top, where it hides little of what is being picked.
    m_hint->move((width() - m_hint->width()) / 2, 40);
    m_hint->show();
    m_hint->raise();
}

QString SelectionView::hintText() const
{
    return m_hint && m_hint->isVisible() ? m_hint->text() : QString();
}

void SelectionView::setSelectionBox(SelectionBox *box)
{
    m_box = box;
    syncFromModel();
}

void SelectionView::setStatusLabel(QLabel *label)
{
    m_label = label;
    syncFromModel();
}

void SelectionView::setButtonPanel(QWidget *panel)
{
    m_panel = panel;
    syncFromModel();
}

void SelectionView::applyCursor(const CursorRef &cursor, bool force)
{
    m_model.applyCursor(cursor, force);
    syncFromModel();
}

void SelectionView::boxApplyCursor(const CursorRef &cursor, bool force)
{
    m_model.boxApplyCursor(cursor, force);
    syncFromModel();
}

void SelectionView::setSelectionFrame(const QRectF &frame)
{
    m_model.setFrame(frame);
    syncFromModel();
}

double SelectionView::viewHeight() const
{
    if (height() > 0 && testAttribute(Qt::WA_Resized))
        return height();
    if (!m_picture.isNull())
        return m_picture.height() / m_picture.devicePixelRatio();
    return height();
}

QImage SelectionView::renderRegion(const QRectF &frame)
{
    if (m_picture.isNull())
        return QImage();
    const qreal ratio = m_picture.devicePixelRatio();
    const QRect pixels = QRectF(frame.topLeft() * ratio, frame.size() * ratio).toAlignedRect();
    QImage region = m_picture.copy(pixels);
    region.setDevicePixelRatio(ratio);
    return region;
}

void SelectionView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    if (m_picture.isNull()) {
        painter.fillRect(area, Qt::black);
    } else {
        // Only the exposed part, straight from the picture's device pixels.
        const qreal ratio = m_picture.devicePixelRatio();
        const QRectF source(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio);
        painter.drawImage(QRectF(area), m_picture, source);
    }
    painter.end();
    traceCaptureStep("painted");
    emit painted();
}

void SelectionView::mouseMoveEvent(QMouseEvent *event)
{
    QWidget::mouseMoveEvent(event);
    const QPointF p = event->position();
    if (m_picking) {
        highlightWindowAt(p.toPoint());
        return;
    }
    if (event->buttons() & Qt::LeftButton)
        m_model.pointerDragged(p);
    else
        m_model.pointerMoved(p);
    syncFromModel();
}

void SelectionView::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (m_picking) {
        highlightWindowAt(event->position().toPoint());
        pickHighlightedWindow();
        m_releaseAfterPick = true;
        return;
    }
    m_model.pointerPressed(event->position());
    syncFromModel();
}

void SelectionView::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // The click that picked a window is not the end of a drag.
    if (std::exchange(m_releaseAfterPick, false))
        return;
    m_model.pointerReleased(event->position());
    syncFromModel();
}

void SelectionView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_model.pointerEnteredView(event->position());
    syncFromModel();
}

void SelectionView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    // Leaving for one of the buttons over the box is not leaving the overlay.
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    m_model.pointerExitedView();
    syncFromModel();
}

void SelectionView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_model.viewDidUnhide();
    syncFromModel();
}

void SelectionView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateBounds();
    syncFromModel();
}

void SelectionView::syncFromModel()
{
    const QRectF frame = m_model.frame();
    const QRect box = frame.toRect();
    const bool visible = frame.width() > 0 && frame.height() > 0;
    if (m_box) {
        m_box->setGeometry(box);
        m_box->setVisible(visible);
    }
    if (m_panel) {
        placeButtons(box);
        m_panel->setVisible(visible);
    }
    if (m_label) {
        m_label->setText(m_model.statusText());
        m_label->setVisible(visible && !m_model.statusText().isEmpty());
        placeLabel(box);
    }
    const CursorRef current = m_model.currentCursor();
    if (current.identity != m_shownCursor) {
        m_shownCursor = current.identity;
        const QCursor cursor = qCursorFor(current);
        setCursor(cursor);
        if (m_box)
            m_box->setCursor(cursor);
    }
}

void SelectionView::placeButtons(const QRect &box)
{
    // Inside the box's upper-right corner; a box narrower than the buttons, or one at
    // the very edge, must not push them off this view, where nothing would draw them.
    const int band = int(m_model.borderWidth());
    const QSize size = m_panel->sizeHint();
    QRect place(QPoint(box.right() + 1 - band - size.width(), box.top() + band), size);
    place.moveLeft(std::clamp(place.left(), 0, std::max(0, width() - size.width())));
    place.moveTop(std::clamp(place.top(), 0, std::max(0, height() - size.height())));
    m_panel->setGeometry(place);
    m_panel->raise();
}

void SelectionView::placeLabel(const QRect &box)
{
    m_label->adjustSize();
    // Below the box, or above it when the box reaches the bottom of the view.
    QPoint at(box.left(), box.bottom() + 4);
    if (at.y() + m_label->height() > height())
        at.setY(box.top() - 4 - m_label->height());
    m_label->move(at);
    m_label->raise();
}
