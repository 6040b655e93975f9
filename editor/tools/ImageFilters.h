#pragma once

#include "editor/tools/RedactionKey.h"

#include <QImage>
#include <array>

// The filters that hide part of a screenshot. Both read only the pixels of `region`
// and give a picture of its size (32-bit RGB), so nothing from around the region
// leaks in, and no pixel of the result keeps the value the region had there.
//
// An exact block average or a plain blur can be undone for text: an attacker renders
// candidate strings in the same font, filters them the same way and keeps the one that
// matches best. So both filters build on a coarse grid of noisy block colours: each
// block takes the mean of a few pixels picked at random from it, plus random noise,
// quantized coarsely, on a grid shifted by a random offset. What survives says too
// little about the text for such a search to find it.

// The block size and blur radius a figure uses at one picture pixel per point.
constexpr int kDefaultBlock = 10;
constexpr int kDefaultBlurRadius = 8;

// The smallest block and blur radius the filters use, in pixels: a smaller one is
// raised to it, as finer blocks would carry enough for a candidate search.
constexpr int kSmallestBlock = 8;
constexpr int kSmallestBlurRadius = 6;

// Blocks of `block` × `block` pixels (partial ones at the edges) in colours near the
// region's own, on a grid offset at random.
QImage pixelated(const QImage &region, int block, const RedactionKey &key);

// A strong blur: the noisy blocks at `radius`, then three passes of a box of half-width
// `radius` across and down (close to a Gaussian of standard deviation about `radius`).
QImage blurred(const QImage &region, int radius, const RedactionKey &key);
