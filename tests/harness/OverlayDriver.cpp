#include "tests/harness/OverlayDriver.h"

#include "tests/harness/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>

namespace vtest {
namespace {
QPoint positionOf(QRgb pixel)
{
    return QPoint(qRed(pixel) | ((qBlue(pixel) & 0x0F) << 8), qGreen(pixel) | ((qBlue(pixel) >> 4) << 8));
}
} // namespace

QRgb patternAt(int x, int y)
{
    return qRgb(x & 0xFF, y & 0xFF, ((x >> 8) & 0x0F) | (((y >> 8) & 0x0F) << 4));
}

PatternWindow::PatternWindow(const QSize &size)
    : m_picture(size, QImage::Format_RGB32)
{
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            m_picture.setPixel(x, y, patternAt(x, y));
    setWindowFlags(Qt::FramelessWindowHint);
    setGeometry(QRect(QPoint(0, 0), size));
}

bool PatternWindow::showAndWait()
{
    show();
    activateWindow();
    return QTest::qWaitForWindowExposed(this);
}

void PatternWindow::paintEvent(QPaintEvent *)
{
    QPainter(this).drawImage(0, 0, m_picture);
}

QRect screenRectOf(const QImage &image)
{
    if (image.isNull())
        return QRect();
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const QPoint origin = positionOf(pixels.pixel(0, 0));
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            if ((pixels.pixel(x, y) & 0xFFFFFF) != (patternAt(origin.x() + x, origin.y() + y) & 0xFFFFFF))
                return QRect();
    return QRect(origin, pixels.size());
}

int xdotool(const QStringList &arguments)
{
    return run(QStringList{QStringLiteral("xdotool")} + arguments);
}

int visibleVornikWindows()
{
    QString output;
    run({"xdotool", "search", "--onlyvisible", "--classname", "vornik"}, &output);
    return output.split('\n', Qt::SkipEmptyParts).size();
}

bool unmapTheFirstStartWindow()
{
    if (!QTest::qWaitFor([] { return visibleVornikWindows() == 1; }, 10000))
        return false;
    xdotool({"search", "--onlyvisible", "--classname", "vornik", "windowunmap"});
    return QTest::qWaitFor([] { return visibleVornikWindows() == 0; }, 10000);
}

QByteArray clipboardBytes(const QString &type)
{
    const QString file = QDir::tempPath() + QStringLiteral("/clipboard.out");
    QFile::remove(file);
    run({"sh", "-c", QStringLiteral("xclip -selection clipboard -t %1 -o > '%2'").arg(type, file)});
    QFile read(file);
    return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
}

bool startCapture(const QRect &screen, const QString &logFile)
{
    // Without a compositor, what an overlay covered is only back once the pattern
    // window has repainted it.
    const bool clean = QTest::qWaitFor([&screen] {
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        return screenRectOf(shot) == screen;
    }, 20000);
    if (!clean)
        return false;
    for (int attempt = 0; attempt < 20; ++attempt) {
        xdotool({"key", "ctrl+shift+9"});
        if (QTest::qWaitFor([] { return visibleVornikWindows() > 0; }, 1500))
            return true;
    }
    QFile log(logFile);
    if (log.open(QIODevice::ReadOnly))
        qWarning("vornik said: %s", log.readAll().constData());
    return false;
}

void selectAndPress(const QRect &area, int index, qreal ratio)
{
    const QPoint from = area.topLeft(), to = area.topLeft() + QPoint(area.width(), area.height());
    xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"});
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + (to - from) * step / 4;
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
    }
    xdotool({"mouseup", "1"});
    // The column of 22 × 21 point buttons sits 10 points inside the box's top right.
    const QPointF topRightPoints = QPointF(to.x(), from.y()) / ratio;
    const QPointF button = topRightPoints + QPointF(-10 - 11, 10 + 21 * index + 10);
    const QPoint device = (button * ratio).toPoint();
    xdotool({"mousemove", QString::number(device.x()), QString::number(device.y()), "click", "1"});
}

} // namespace vtest
