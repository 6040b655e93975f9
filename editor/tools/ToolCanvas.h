#pragma once

#include "editor/FigureList.h"
#include "editor/scene/Color.h"
#include "editor/scene/Image.h"
#include "editor/scene/Point.h"

#include <QString>
#include <memory>

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
