#include "editor/tools/StrokeTool.h"

#include "editor/tools/FreehandStroke.h"

void StrokeTool::dragGroup(scene::Group &figure, const QPointF &, const QPointF &to) const
{
    if (figure.contents().isEmpty())
        return;
    if (auto *stroke = dynamic_cast<FreehandStroke *>(figure.contents().constFirst().get()))
        stroke->addPoint(to);
}
