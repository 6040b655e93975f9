#include "editor/ToolPopover.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

ToolPopover::ToolPopover(QWidget *content, QWidget *parent)
    : QWidget(parent, Qt::Popup)
    , m_content(content)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    if (content)
        layout->addWidget(content);
    setAutoFillBackground(true);
    // The press that closes the popover is passed on by mousePressEvent, not by Qt.
    setAttribute(Qt::WA_NoMouseReplay);
}

bool ToolPopover::isShown() const
{
    return isVisible() || m_dismissingPress;
}

void ToolPopover::showRelativeToRect(const QRect &rect, QWidget *anchor)
{
    if (!anchor)
        return;
    adjustSize();
    const QPoint tip = anchor->mapToGlobal(QPoint(rect.center().x(), rect.bottom() + 1));
    m_arrowTip = tip;
    QPoint topLeft(tip.x() - width() / 2, tip.y());
    if (QScreen *screen = anchor->screen()) {
        const QRect area = screen->geometry();
        topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() - width() + 1)));
        topLeft.setY(qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() - height() + 1)));
    }
    move(topLeft);
    show();
    raise();
}

namespace {
// Carries the rest of a gesture whose press closed a popover (moves and the release)
// to the widget that received the press. Qt would otherwise send them to the closed
// popup's window or drop the release, and the click would never complete.
class GestureCarrier : public QObject
{
public:
    explicit GestureCarrier(QWidget *target)
        : m_target(target)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWindowType())
            return false;
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (m_target) {
                const QPointF global = mouse->globalPosition();
                QMouseEvent carried(event->type(), m_target->mapFromGlobal(global), global, mouse->button(),
                                    mouse->buttons(), mouse->modifiers(), mouse->pointingDevice());
                QApplication::sendEvent(m_target, &carried);
            }
            if (event->type() == QEvent::MouseButtonRelease || !m_target)
                finish();
            return true;
        }
        case QEvent::MouseButtonPress:
            finish();
            return false;
        default:
            return false;
        }
    }

private:
    void finish()
    {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QPointer<QWidget> m_target;
};
} // namespace

void ToolPopover::mousePressEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    // A press outside closes the popover and then goes on to the widget under the
    // pointer, which must still see the popover as shown while it handles the press.
    const QPointF global = event->globalPosition();
    m_dismissingPress = true;
    close();
    QWidget *target = QApplication::widgetAt(global.toPoint());
    if (target && target->window()->windowType() != Qt::Popup) {
        QMouseEvent replay(QEvent::MouseButtonPress, target->mapFromGlobal(global), global, event->button(),
                           event->buttons(), event->modifiers(), event->pointingDevice());
        QApplication::sendEvent(target, &replay);
        new GestureCarrier(target);
    }
    m_dismissingPress = false;
    event->accept();
}

void ToolPopover::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit closed();
}

void ToolPopover::paintEvent(QPaintEvent *)
{
    // A thin frame keeps the popover apart from a busy picture under it.
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(QColor(0, 0, 0, 110));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
