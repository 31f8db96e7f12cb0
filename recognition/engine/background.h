#pragma once
// Background removal: reduces the aligned colour page to exactly two colours,
// keeping the black print and turning form ink, tint and noise into paper.
// Each pixel is decided on its own colour; alpha plays no part.

#include "image/bitmap.h"

#include <cstdint>

namespace rida::recognition {

// How the page is reduced. Plain compares the brightest channel of a pixel
// with a level; the others first allow for the form's blue or red print and
// its tint, from light to strong, for the Gothic or the Myeongjo digits.
enum class RemovalMode {
    Plain = 0,
    CorrectedLightGothic,
    CorrectedMediumGothic,
    CorrectedStrongGothic,
    CorrectedLightMyeongjo,
    CorrectedStrongMyeongjo,
};
constexpr int kRemovalModes = 6;

// The mode of index 0..5 (the order above); throws std::invalid_argument outside.
RemovalMode removalMode(int index);
// Only the plain mode reads a level.
constexpr bool readsLevel(RemovalMode mode)
{
    return mode == RemovalMode::Plain;
}

// True when the pixel becomes paper under `mode`; `level` is read by the plain mode only.
bool becomesPaper(RemovalMode mode, int level, std::uint32_t pixel);

// Every pixel becomes 0xFFFFFFFF (paper) or 0xFF000000 (ink). Does nothing on an empty page.
void removeBackground(image::Bitmap& page, RemovalMode mode, int level);
// The same on columns x0..x1 and lines y0..y1 (inclusive, clipped to the page) only.
void removeBackground(image::Bitmap& page, RemovalMode mode, int level, long long x0, long long x1, long long y0 = 0,
                      long long y1 = (1LL << 40));

} // namespace rida::recognition
