#pragma once

#include "editor/Figure.h"
#include "editor/scene/Color.h"
#include "editor/scene/Image.h"
#include "editor/scene/Node.h"
#include "editor/scene/Point.h"
#include "editor/tools/FigureStyle.h"
#include "editor/tools/StartedFigure.h"
#include "editor/tools/ToolCanvas.h"

#include <QIcon>
#include <QRectF>
#include <QString>
#include <memory>

class QPainter;

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
    // True when a click alone makes the figure (a text, a numbered marker). The other
    // tools start their figure only once the pointer has moved from the press, so a
    // click without a drag leaves nothing behind.
    virtual bool drawsOnClick() const { return false; }

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
