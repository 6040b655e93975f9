#include "editor/tools/ArrowTool.h"

using namespace scene;

StartedFigure ArrowTool::start(ToolCanvas &, const FigureStyle &style, const Point &at) const
{
    auto arrow = makeArrow(style.line, at.x, at.y, at.x, at.y, style.lineWidth);
    // What the just-started arrow covers: its two short fixed barbs.
    QRectF covered;
    for (const auto &part : arrow->contents()) {
        const Rect b = locus(static_cast<Shape *>(part.get())->form()).bounds();
        covered = covered.isNull() ? b.cgRect() : covered.united(b.cgRect());
    }
    return {arrow, covered};
}

// The head is drawn anew at every move, with the line color and width of the moment.
void ArrowTool::drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &latest, const Point &from,
                     const Point &to) const
{
    const auto arrow = latest ? latest->group : nullptr;
    if (!arrow)
        return;
    const Color color = canvas.currentLineColor();
    const double width = canvas.currentLineWidth();
    QList<std::shared_ptr<Node>> lines;
    for (const Line &l : arrowHeadPoints(from, to))
        lines.append(makeLine(color, l.x1, l.y1, l.x2, l.y2, width));
    arrow->setContents(lines);
    const QRectF spanned = normalisedRect(from, to);
    canvas.figures().setGroupOrigin(arrow.get(), spanned.x(), spanned.y());
    canvas.figures().setGroupSize(arrow.get(), spanned.width(), spanned.height());
}
