#pragma once

#include "editor/scene/Node.h"

#include <QRectF>
#include <memory>

// A figure a press has just started: its node and the rectangle its record starts with.
struct StartedFigure {
    std::shared_ptr<scene::Node> node;   // null when the tool draws nothing
    QRectF rect;
};
