#include "output/SelectionSurface.h"

#include "helpers/ImageOutput.h"
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

QString renderSelection(SelectionSurface &surface)
{
    const RenderedSelection rendered = renderSelectionImage(surface);
    const QString path = TempFolder::renderedSelectionPath();
    if (rendered.image.isNull() || !writePNG(rendered.image, path))
        return QString();
    return path;
}
