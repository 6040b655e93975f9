#include "helpers/PinWindow.h"

#include "helpers/ImageOutput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kSmallestZoom = 0.1;
constexpr double kLargestZoom = 8.0;
// One notch of an ordinary wheel (120 eighths of a degree) zooms by a tenth.
constexpr double kZoomPerNotch = 1.1;
} // namespace

PinWindow::PinWindow(const QImage &picture, DesktopServices desktop)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
    , m_picture(picture)
    , m_desktop(std::move(desktop))
{
    setObjectName(QStringLiteral("pinWindow"));
    setWindowTitle(tr("Pinned screenshot"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::OpenHandCursor);
    setFixedSize(sizeAtZoom(1.0));
}

PinWindow *PinWindow::pin(const QImage &picture, const QPoint &topLeft, const DesktopServices &desktop)
{
    if (picture.isNull())
        return nullptr;
    auto *window = new PinWindow(picture, desktop);
    window->move(topLeft);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QSize PinWindow::sizeAtZoom(double zoom) const
{
    const QSizeF points = m_picture.deviceIndependentSize() * zoom;
    return QSize(std::max(1, int(std::lround(points.width()))), std::max(1, int(std::lround(points.height()))));
}

void PinWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 1.0);
    painter.drawImage(rect(), m_picture);
    // A thin frame tells the pinned picture from the windows under it.
    painter.setPen(QColor(40, 120, 220));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PinWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragOffset = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void PinWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void PinWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
}

void PinWindow::wheelEvent(QWheelEvent *event)
{
    const int eighths = event->angleDelta().y();
    if (eighths == 0)
        return;
    const double zoom = std::clamp(m_zoom * std::pow(kZoomPerNotch, eighths / 120.0), kSmallestZoom, kLargestZoom);
    if (zoom == m_zoom)
        return;
    // The point of the picture under the pointer stays under it.
    const QPointF pointer = event->position();
    const QPointF global = event->globalPosition();
    const double factor = zoom / m_zoom;
    m_zoom = zoom;
    setFixedSize(sizeAtZoom(zoom));
    move((global - pointer * factor).toPoint());
    update();
}

void PinWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else if (event->matches(QKeySequence::Copy))
        copyPicture();
    else
        QWidget::keyPressEvent(event);
}

void PinWindow::copyPicture()
{
    // The picture at its own resolution, whatever the zoom.
    const QByteArray png = encodePNG(m_picture);
    m_desktop.clipboard->putImage(png, m_picture);
}
