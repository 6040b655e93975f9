#include "editor/tools/TextTool.h"

using namespace scene;

StartedFigure TextTool::start(ToolCanvas &canvas, const FigureStyle &style, const Point &at) const
{
    auto text = makeTextFigure(style.line, canvas.typedText(), textFigureFont(canvas.fontSize()), at.x, at.y);
    const QSizeF size = measuredTextSize(text->text(), text->font().size);
    return {text, QRectF(at.x, at.y, size.width(), size.height())};
}

void TextTool::drag(ToolCanvas &canvas, const std::shared_ptr<Figure> &, const Point &, const Point &to) const
{
    const Point last = canvas.lastTextDragPoint();
    canvas.stepTextSize(!(to.x - last.x < 0 || to.y - last.y < 0));
    canvas.setLastTextDragPoint(to);
}
