#pragma once

// Drives a real editor window with pointer and key events that travel the whole
// window-system path (popups see clicks outside them, as with a real mouse).

#include "platform/Preferences.h"
#include "editor/EditorWindow.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWindow>

namespace editortest {

// The editor's tool bar as users see it, segment by segment: tests click by these
// indexes, and the tool tip asset is keyed by them.
enum StandardSegment {
    SaveSegment = 0,
    UploadSegment = 1,
    CopySegment = 2,
    PointerSegment = 4,
    RectangleSegment = 5,
    EllipseSegment = 6,
    LineSegment = 7,
    ArrowSegment = 8,
    FilledRectangleSegment = 10,
    FilledEllipseSegment = 11,
    TextSegment = 12,
    IncreaseFontSegment = 13,
    DecreaseFontSegment = 14,
    LineWidthSegment = 15,
    LineColorSegment = 16,
    FillColorSegment = 17,
    HelpSegment = 18,
    PixelateSegment = 19,
    BlurSegment = 20,
    HighlighterSegment = 21,
    CounterSegment = 22,
    PenSegment = 23,
};

inline void clearPreferences()
{
    const QString file = Preferences::standard().fileName();
    Preferences::resetStandard();
    QFile::remove(file);
}

// A picture whose every pixel differs from its neighbours, so a shifted or scaled
// copy is caught: red follows x, green follows y, blue is a checker.
inline QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, ((x / 8 + y / 8) % 2) ? 40 : 200));
    }
    return image;
}

inline QPoint inWindow(QWidget *widget, const QPoint &local)
{
    return widget->mapTo(widget->window(), local);
}

inline void press(QWidget *widget, const QPoint &local)
{
    QTest::mousePress(widget->window()->windowHandle(), Qt::LeftButton, {}, inWindow(widget, local));
}

inline void moveTo(QWidget *widget, const QPoint &local)
{
    QTest::mouseMove(widget->window()->windowHandle(), inWindow(widget, local));
}

inline void release(QWidget *widget, const QPoint &local)
{
    QTest::mouseRelease(widget->window()->windowHandle(), Qt::LeftButton, {}, inWindow(widget, local));
}

inline void click(QWidget *widget, const QPoint &local)
{
    press(widget, local);
    release(widget, local);
}

inline void clickSegment(EditorWindow &editor, int index)
{
    ToolBarSegment *segment = editor.buttonBar->segment(index);
    click(segment, segment->rect().center());
}

// Where a canvas point is in the canvas widget's viewport.
inline QPoint onCanvas(EditorWindow &editor, const QPointF &canvasPoint)
{
    return editor.canvasView->mapFromScene(canvasPoint);
}

inline void pressCanvas(EditorWindow &editor, const QPointF &canvasPoint)
{
    press(editor.canvasView->viewport(), onCanvas(editor, canvasPoint));
}

inline void releaseCanvas(EditorWindow &editor, const QPointF &canvasPoint)
{
    release(editor.canvasView->viewport(), onCanvas(editor, canvasPoint));
}

// A press, a few moves and a release from `from` to `to`, in canvas points.
inline void dragOnCanvas(EditorWindow &editor, const QPointF &from, const QPointF &to, int steps = 4)
{
    QWidget *viewport = editor.canvasView->viewport();
    press(viewport, onCanvas(editor, from));
    for (int step = 1; step <= steps; ++step)
        moveTo(viewport, onCanvas(editor, from + (to - from) * step / steps));
    release(viewport, onCanvas(editor, to));
}

} // namespace editortest
