#pragma once
// Background removal: reduces the aligned colour page to exactly two colours,
// keeping the black print and turning form ink, tint and noise into paper.
// Each pixel is decided on its own colour; alpha plays no part.

#include "image/bitmap.h"

#include <cstdint>

namespace rida::recognition {

constexpr int kRemovalModes = 6; // `erck` 0..5

// True when the pixel becomes paper under `mode` (0..5); `level` is read by mode 0 only.
bool becomesPaper(int mode, int level, std::uint32_t pixel);

// Every pixel becomes 0xFFFFFFFF (paper) or 0xFF000000 (ink). Does nothing on an
// empty page. Throws std::invalid_argument for a mode outside 0..5.
void RemoveBackground(image::Bitmap& page, int mode, int level);
// The same on columns x0..x1 (inclusive, clipped to the page) of every line only.
void RemoveBackground(image::Bitmap& page, int mode, int level, long long x0, long long x1);

} // namespace rida::recognition
