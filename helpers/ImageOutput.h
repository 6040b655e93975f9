#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QString>

#include <QList>
#include <optional>

// The rectangles (canvas points) of the editor's figures, in the editor's order; an
// absent one is a figure not placed yet. Empty when there are no figures.
using FigureRects = QList<std::optional<QRectF>>;

// Rendering and writing of the images Vornik hands out. Plain functions without
// state; safe to call from a worker thread as long as the image and figures are not
// shared with it.

// Qt's PNG writer turns its quality into the zlib level as (100 - quality) * 9 / 91.
// 85 gives level 1: on desktop pictures it encodes about a third faster than the
// default level 6 for roughly a tenth more bytes (figures in bench/png_save_bench).
// The quality every PNG is written with unless a caller chooses another; -1 leaves
// zlib at its default level.
inline constexpr int kDefaultPngQuality = 85;

// A bitmap picture of `image` in one of the two 32-bit RGB layouts, keeping its
// device pixel ratio. A null image gives the picture of "icon-page-pencil" instead
// (null as well when that picture is missing).
QImage imageCGImage(const QImage &image);

// The PNG bytes of `image`; empty when it cannot be encoded.
QByteArray encodePNG(const QImage &image, int quality = kDefaultPngQuality);

// Writes `image` to `path` as PNG, atomically: the file appears complete or not at
// all, and an existing file is replaced only by a complete one. Returns false (and
// leaves the path as it was) for a null image or a failed write.
bool writePNG(const QImage &image, const QString &path, int quality = kDefaultPngQuality);

// The export rectangle (X, Y, W, H in image points) widened so that every figure in
// `figures` lies inside it, with a 6-point margin on the right, left and bottom.
// A figure whose rectangle equals the one before it (for the first: `rect`) is skipped.
QRectF widenForFigures(const QRectF &rect, const FigureRects &figures);

// The pixel rectangle of `picture` that `rect` (points) covers at `scale` pixels per
// point: the scaled rectangle rounded outwards to whole pixels and clipped to the
// picture. Empty when nothing of it lies on the picture.
QRect pixelCropRect(const QRectF &rect, float scale, const QSize &picture);

// The part `rect` (points, widened for `figures`) of `image` at one pixel per point.
// Null when there is no picture, the crop misses the image or comes out empty.
QImage exportImage(const QImage &image, const FigureRects &figures, const QRectF &rect);

// Exports `image` as above and writes it as PNG. An empty `path` becomes a new
// T + "Vornik/" + M + "_viewimage.png"; a path without ".png" gets it appended.
// Returns the path written, empty on failure.
QString writeImage(const QString &path, const QImage &image, const FigureRects &figures,
                   const QRectF &rect, int quality = kDefaultPngQuality);
