#pragma once

#include "editor/scene/Image.h"

#include <QColor>
#include <memory>

// What a sharing tool needs to start a figure, read from the canvas at the press.
struct FigureStart {
    QColor lineColor;
    double lineWidth = 4;
    QColor highlightColor;                     // the highlighter's own color
    std::shared_ptr<scene::Image> picture;     // the captured picture, for pixelate and blur
    int nextCounter = 1;                       // the number the next counter shows
};
