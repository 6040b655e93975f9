#pragma once

#include "helpers/DesktopServices.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

// A picture pinned to the screen: a frameless window that stays above the others and
// shows it at its own size. A drag moves it, the wheel zooms it (about the pointer,
// between a tenth and eight times), Ctrl+C copies the picture and Escape closes it.
// The window deletes itself when closed.
class PinWindow : public QWidget
{
    Q_OBJECT
public:
    // `picture` keeps its device pixel ratio: a HiDPI capture pins at its size in points.
    PinWindow(const QImage &picture, DesktopServices desktop);

    // Shows `picture` pinned with its top left at `topLeft` (global points); a null
    // picture pins nothing and returns null.
    static PinWindow *pin(const QImage &picture, const QPoint &topLeft, const DesktopServices &desktop);

    double zoom() const { return m_zoom; }
    const QImage &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QSize sizeAtZoom(double zoom) const;
    void copyPicture();

    QImage m_picture;
    DesktopServices m_desktop;
    double m_zoom = 1.0;
    QPoint m_dragOffset;   // the pointer's place in the window when the drag began
    bool m_dragging = false;
};
