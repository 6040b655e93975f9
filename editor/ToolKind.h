#pragma once

// The editor's tools. Having no tool at all is a separate state (std::nullopt). The
// tool bar's table (editor/tools/ToolTable.cpp) says which segment chooses which kind
// and which DrawingTool stands behind it.
enum class ToolKind : int {
    Pointer = 0,          // draws nothing; figures can be pressed and moved
    Ellipse = 1,
    Rectangle = 2,
    Line = 3,
    Arrow = 4,
    Text = 5,
    LineSize = 6,         // draws nothing
    FilledEllipse = 7,
    FilledRectangle = 8,
    IncreaseFont = 9,     // draws nothing
    DecreaseFont = 10,    // draws nothing
    SaveLocal = 11,       // draws nothing and takes no press or drag; set while a local save runs
    Pixelate = 12,
    Blur = 13,
    Highlighter = 14,
    Counter = 15,
    Pen = 16,
};
