#pragma once

#include "helpers/ImageOutput.h"

#include <QImage>
#include <QRectF>

// Actions of the editor window: the editor's image, the rectangles of its figures
// and the rectangle (canvas points) to export.
void saveImageWithPanel(const QImage &image, const FigureRects &figures, const QRectF &rect);
void uploadImage(const QImage &image, const FigureRects &figures, const QRectF &rect);
void copyImageToClipboard(const QImage &image, const FigureRects &figures, const QRectF &rect);
