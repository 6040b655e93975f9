#pragma once

#include "helpers/ImageOutput.h"

#include <QImage>
#include <QRectF>

struct DesktopServices;

// Actions of the editor window: the editor's image, the rectangles of its figures
// and the rectangle (canvas points) to export. Each returns whether it succeeded: the
// file was written, the picture was handed to the upload (which keeps it in the unsent
// folder if the upload fails later), the picture is on the clipboard or offered to a
// desktop that answers later (a later refusal keeps the picture in the unsent folder
// and says so). On failure the notification has been posted and the editor keeps the
// drawing.
bool saveImageWithPanel(const DesktopServices &desktop, const QImage &image, const FigureRects &figures, const QRectF &rect);
bool uploadImage(const DesktopServices &desktop, const QImage &image, const FigureRects &figures, const QRectF &rect);
bool copyImageToClipboard(const DesktopServices &desktop, const QImage &image, const FigureRects &figures, const QRectF &rect);
