#pragma once

#include <QImage>

// The filters that hide part of a screenshot. Both read only the pixels of `region`
// and give a picture of its size (32-bit RGB), so nothing from around the region
// leaks in and nothing of the original survives in the result.

// Every `block` × `block` square (counted from the top left corner; the last row and
// column may be narrower) becomes the average of its pixels.
QImage pixelated(const QImage &region, int block);

// A strong blur: three passes of a box of half-width `radius` across and down, which
// come close to a Gaussian of standard deviation about `radius`. Edges repeat the
// region's own border pixels.
QImage blurred(const QImage &region, int radius);
