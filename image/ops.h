#pragma once
// Whole-page operations and the small drawing steps of the tool layers.
// Rectangles are in the pixels of the bitmap they apply to (half-open).

#include "bitmap.h"
#include "geometry.h"

namespace rida::image {

// Turns the content a quarter clockwise: a W x H page becomes H x W and the
// pixel at (x, y) moves to (H - 1 - y, x). Needs one working copy of the page.
void rotate90(Bitmap& page);
// Reverses the order of all pixels, in place.
void rotate180(Bitmap& page);

// Adds `delta` to red, green and blue separately, clamping each to 0..255, and
// makes every pixel opaque. Clamped values are lost.
void adjustBrightness(Bitmap& page, int delta);

// Sets the alpha of every pixel to `alpha` (0..255).
void setAlpha(Bitmap& bmp, int alpha);

// Draws `src` with its top-left corner at (x, y) of `dst`, blending by the
// source alpha times `masterAlpha` / 255 (0 = invisible, 255 = as the source).
// Clipped to `dst`.
void blend(Bitmap& dst, int x, int y, const Bitmap& src, int masterAlpha);

// Blends a one-pixel line of colour `rgb` (alpha ignored) with `alpha` onto a
// pixel run; clipped to `dst`.
void blendHLine(Bitmap& dst, int x1, int x2, int y, std::uint32_t rgb, int alpha); // x1..x2 inclusive
void blendVLine(Bitmap& dst, int x, int y1, int y2, std::uint32_t rgb, int alpha); // y1..y2 inclusive

// Raised bevel of `contrast` percent on `r`: the top row and the left column
// lighten with white at alpha min(255, contrast*512/100); the bottom row and
// the right column darken with black at alpha min(255, contrast*255/100).
void raisedBevel(Bitmap& dst, const RectI& r, int contrast);

} // namespace rida::image
