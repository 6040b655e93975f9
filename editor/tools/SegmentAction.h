#pragma once

// What a click on a tool bar segment does besides choosing the segment's tool.
enum class SegmentAction {
    None,           // only chooses the segment's tool
    Save,           // the three ways the picture leaves the editor
    Upload,
    Copy,
    Spacer,         // a divider: takes no selection and does nothing
    TextEntry,      // opens or closes the text popover
    IncreaseFont,   // steps the latest text up or down
    DecreaseFont,
    LineWidth,      // opens or closes the width popover and goes back to the pointer
    LineColor,      // swatches that open the color palette for their color
    FillColor,
    Help,           // opens the help page its tool tip names
    Pin,            // pins the edited picture to the screen; the editor stays open
    CopyText,       // puts the text read from the edited picture on the clipboard
};
