#include "editor/ToolPopover.h"

#include <QGuiApplication>
#include <QMouseEvent>
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

void ToolPopover::mousePressEvent(QMouseEvent *event)
{
    if (!rect().contains(event->position().toPoint())) {
        // This press closes the popover and will be replayed to the widget under
        // the pointer; keep answering "shown" until that delivery is over.
        m_dismissingPress = true;
        QMetaObject::invokeMethod(this, [this] { m_dismissingPress = false; }, Qt::QueuedConnection);
    }
    QWidget::mousePressEvent(event);
}

void ToolPopover::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    emit closed();
}
