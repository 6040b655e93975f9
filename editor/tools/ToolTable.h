#pragma once

#include "editor/ToolKind.h"
#include "editor/tools/DrawingTool.h"

#include <QList>

// Which tool stands behind each ToolKind: the one place a new tool is listed.

// The tool behind `tool`, or null for the settings that only look like tools (line
// size, text size steps, the local save).
const DrawingTool *drawingToolFor(ToolKind tool);

// The sharing tools in the order of their segments.
const QList<const DrawingTool *> &sharingTools();
