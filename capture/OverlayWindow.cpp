#include "capture/OverlayWindow.h"

#include "capture/SelectionView.h"

// Past the window manager: the server maps the window at once, above every managed
// window, where a managed one waits for the manager's answer and may be refused the
// focus. The keys come through the keyboard grab the capture takes.
OverlayWindow::OverlayWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint)
    , m_view(new SelectionView(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
}

void OverlayWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_view->setGeometry(rect());
}
