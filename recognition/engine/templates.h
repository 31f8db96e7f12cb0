#pragma once
// The digit templates the row scan compares with the page, and the working set.
//
// A template is a two-colour glyph 20 pixels wide and 33 high, drawn upright at
// the size a digit has on a sheet scanned at the scale of the reference layout.
// Ink pixels are exactly 0xFF000000 and paper pixels exactly 0xFFFFFFFF, the
// same two values background removal leaves on the page.

#include "image/bitmap.h"

#include <array>
#include <cstdint>

namespace rida::recognition {

constexpr int kTemplateWidth = 20;  // pixels
constexpr int kTemplateHeight = 33; // pixels
constexpr int kTemplateCount = 11;  // digits 0..9 and a second form of one digit

constexpr std::uint32_t kInk = 0xFF000000u;
constexpr std::uint32_t kPaper = 0xFFFFFFFFu;

// The typeface of the printed digits: Gothic (고딕체) or Myeongjo (명조체).
enum class Typeface { Gothic = 0, Myeongjo = 1 };

// One glyph: one 20-bit value per row from the top; bit 19 is the leftmost
// pixel, a set bit is ink.
using GlyphRows = std::array<std::uint32_t, kTemplateHeight>;

// The stored sets: Gothic `imga0`..`imga10` (index 10 a second form of 6),
// Myeongjo `imgb0`..`imgb10` (index 10 a second form of 0).
const std::array<GlyphRows, kTemplateCount>& glyphSet(Typeface face);

// The digit character template `index` stands for under the typeface choice.
char digitOfTemplate(int index, Typeface face);

// A glyph as a page-image bitmap in the two colours.
image::Bitmap glyphBitmap(const GlyphRows& rows);

// The working set `img0`..`img10`: empty until a run copies a stored set in.
struct WorkingSet {
    std::array<image::Bitmap, kTemplateCount> img;
    // Replaces every working template's pixels and size, index by index.
    void copyFrom(Typeface face);
    bool empty() const { return img[0].empty(); }
};

} // namespace rida::recognition
