#pragma once

// The editor's tools. Having no tool at all is a separate state (std::nullopt).
enum class ToolKind {
    pointer = 0,          // draws nothing; figures can be pressed and moved
    ellipse = 1,
    rectangle = 2,
    line = 3,
    arrow = 4,
    text = 5,
    linesize = 6,         // draws nothing
    filledellipse = 7,
    filledrectangle = 8,
    increasefont = 9,     // draws nothing
    decreasefont = 10,    // draws nothing
    savelocal = 11,       // draws nothing and takes no press or drag; set while a local save runs
    // The sharing tools, in the order of sharingTools().
    pixelate = 12,
    blur = 13,
    highlighter = 14,
    counter = 15,
    pen = 16,
};
