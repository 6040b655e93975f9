#include "output/SelectionSurface.h"

#include "helpers/TempFolder.h"

#include <QFile>

RenderedSelection renderSelectionImage(SelectionSurface &surface)
{
    RenderedSelection rendered;
    rendered.frame = surface.selectionFrame();
    QFile::remove(TempFolder::renderedSelectionPath());
    if (rendered.frame.isEmpty())
        return rendered;
    surface.setSelectionFrame(QRectF());
    rendered.image = surface.renderRegion(rendered.frame);
    return rendered;
}
