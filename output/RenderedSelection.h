#pragma once

#include <QImage>
#include <QRectF>

// A selection taken out of an overlay and the picture rendered from it.
struct RenderedSelection {
    QRectF frame;   // the selection as it was; empty when there was none
    QImage image;   // at the display's pixel ratio; null when nothing was rendered
};
