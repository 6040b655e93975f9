#include "app/PermissionWindow.h"

#include <QHideEvent>

PermissionWindow::PermissionWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(tr("Vornik needs you to grant 'Screen Recording' access."));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void PermissionWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Each refused request builds a new window; a hidden one is never shown again.
    if (!event->spontaneous())
        deleteLater();
}
