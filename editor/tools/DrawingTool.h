#pragma once

#include "editor/Scene.h"
#include "editor/Figure.h"

#include <QIcon>
#include <QRectF>
#include <QString>
#include <memory>

class QPainter;

// What every figure starts with: the line and fill colors and the line width as the
// settings hold them at the press.
struct FigureStyle {
    scene::Color line;
    scene::Color fill;
    double lineWidth = 4;
};

// The canvas as the drawing tools see it. The editor's canvas implements it; each value
// is read when a tool asks for it, so a press or a drag costs only what its tool uses.
class ToolCanvas
{
public:
    // The line color and width as the settings hold them now (an arrow redraws its
    // head with them at every move).
    virtual scene::Color currentLineColor() const = 0;
    virtual double currentLineWidth() const = 0;
    // The highlighter's own color.
    virtual scene::Color highlightColor() const = 0;
    // The captured picture's node, for pixelate and blur; null without a picture.
    virtual std::shared_ptr<scene::Image> picture() const = 0;
    // The number the next counter shows.
    virtual int nextCounterNumber() const = 0;
    // The text of the next text figure, and the text size it starts with.
    virtual QString typedText() const = 0;
    virtual int fontSize() const = 0;
    // Pixels per point of the canvas on its display.
    virtual double displayPixelRatio() const = 0;
    // The figure records, whose rectangles follow a figure as it is drawn out.
    virtual FigureList &figures() = 0;
    // Steps the latest figure's text size up or down, when it is a text.
    virtual void stepTextSize(bool larger) = 0;
    // Where a text size drag last saw the pointer; every press on the page resets it.
    virtual scene::Point lastTextDragPoint() const = 0;
    virtual void setLastTextDragPoint(const scene::Point &at) = 0;

protected:
    ~ToolCanvas() = default;
};

// A figure a press has just started: its node and the rectangle its record starts with.
struct StartedFigure {
    std::shared_ptr<scene::Node> node;   // null when the tool draws nothing
    QRectF rect;
};

// One tool of the editor's canvas. A press on the page starts the tool's figure, each
// move of the pointer draws it out, and the release ends the gesture. A tool holds no
// state of its own: one instance serves every canvas.
class DrawingTool
{
public:
    virtual ~DrawingTool() = default;

    // The kind of figure, kept as the figure record's type; empty when the tool draws
    // nothing.
    virtual QString typeName() const = 0;
    // False when presses on the page are none of the tool's business (the pointer only
    // presses figures): such a press leaves the popovers and the canvas as they are.
    virtual bool takesPagePresses() const { return true; }

    virtual StartedFigure start(ToolCanvas &canvas, const FigureStyle &style, const scene::Point &at) const = 0;
    // The pointer is at `to` in the drag that began at `from`. `latest` is the record of
    // the latest figure, which need not be this tool's (a press the popovers kept to
    // themselves started none); null before the first figure.
    virtual void drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const scene::Point &from,
                      const scene::Point &to) const = 0;
    virtual void release(ToolCanvas &, const std::shared_ptr<Figure> &) const {}

    // The picture of the tool's segment, for a tool whose descriptor names no resource
    // icon (ToolTable).
    QIcon icon() const;

protected:
    // Draws the icon into a 22 × 22 box.
    virtual void drawIcon(QPainter &) const {}
};
