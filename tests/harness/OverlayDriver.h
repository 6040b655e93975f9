#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

// Drives a Vornik that runs as its own process on the test's Xvfb with real X input:
// a full-screen picture whose every pixel encodes its position, the hot key, a drag
// with xdotool and the overlay's buttons.
namespace vtest {

// Pixel (x, y) of the pattern: red and green the low bytes, blue the high bits.
QRgb patternAt(int x, int y);

// A frameless window at the origin showing the pattern.
class PatternWindow : public QWidget
{
public:
    explicit PatternWindow(const QSize &size);
    // Shows and activates the window and waits until it is on screen.
    bool showAndWait();

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage m_picture;
};

// Where `image` lies on the screen when it holds pattern pixels unchanged; a null
// rectangle when any pixel differs from the screen's.
QRect screenRectOf(const QImage &image);

int xdotool(const QStringList &arguments);

// Visible windows of class "vornik" (the overlays and editor).
int visibleVornikWindows();
// The first start without a tray opens Vornik's own window; takes it off the screen,
// as a window manager would, out of the captures' way. False if it did not open.
bool unmapTheFirstStartWindow();

// What another program reads from the clipboard as `type` (xclip).
QByteArray clipboardBytes(const QString &type);

// Presses the hot key until the overlays are up (Vornik may still be starting), once
// the screen shows the pattern at `screen` again. Prints `logFile` when it fails.
bool startCapture(const QRect &screen, const QString &logFile);

// Drags a selection over the device pixels `area` and presses button `index` of the
// column beside it (0 edit, 1 save, 2 upload, 3 copy), at the overlay's scale `ratio`.
void selectAndPress(const QRect &area, int index, qreal ratio = 1);

} // namespace vtest
