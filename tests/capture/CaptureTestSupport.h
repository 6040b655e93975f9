#pragma once

#include "tests/harness/TestEnvironment.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

// Shared pieces of the capture tests: a window that covers the whole X framebuffer
// with a known pattern, image comparison and xdotool.
namespace capturetest {

// A colour that differs between neighbouring pixels and between displays.
inline QRgb patternAt(int x, int y)
{
    return qRgb((x * 7 + y) & 0xff, (y * 5 + x / 3) & 0xff, ((x / 64) * 37 + (y / 64) * 11) & 0xff);
}

// Covers `area` (in device pixels) with the pattern.
class PatternWindow : public QWidget
{
public:
    explicit PatternWindow(const QRect &area)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
        , m_pattern(area.size(), QImage::Format_RGB32)
    {
        for (int y = 0; y < area.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(m_pattern.scanLine(y));
            for (int x = 0; x < area.width(); ++x)
                line[x] = patternAt(area.x() + x, area.y() + y);
        }
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(area);
    }
    bool paintedOnce = false;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).drawImage(0, 0, m_pattern);
        paintedOnce = true;
    }

private:
    QImage m_pattern;
};

// Empty when equal, else where and how they first differ.
inline QString firstDifference(const QImage &actual, const QImage &expected)
{
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    if (a.size() != e.size())
        return QStringLiteral("size %1x%2 instead of %3x%4").arg(a.width()).arg(a.height()).arg(e.width()).arg(e.height());
    for (int y = 0; y < a.height(); ++y) {
        const auto *la = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *le = reinterpret_cast<const QRgb *>(e.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if ((la[x] & 0xffffff) != (le[x] & 0xffffff))
                return QStringLiteral("pixel (%1, %2) is %3 instead of %4")
                    .arg(x).arg(y).arg(la[x] & 0xffffff, 6, 16, QLatin1Char('0')).arg(le[x] & 0xffffff, 6, 16, QLatin1Char('0'));
        }
    }
    return QString();
}

// What the pattern holds for `nativeArea`.
inline QImage expectedPattern(const QRect &nativeArea)
{
    QImage image(nativeArea.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = patternAt(nativeArea.x() + x, nativeArea.y() + y);
    }
    return image;
}

inline bool xdotool(const QStringList &arguments)
{
    return vtest::run(QStringList{QStringLiteral("xdotool")} + arguments) == 0;
}

} // namespace capturetest
