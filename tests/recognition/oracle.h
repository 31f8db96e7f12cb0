#pragma once
// The comparison rule written out pixel by pixel: the reference the bit-packed
// scan must agree with. Pixels outside the page count as paper.

#include "image/bitmap.h"
#include "recognition/engine/templates.h"

namespace rida::recognition::testing {

inline int plainAgreeing(const image::Bitmap& page, const image::Bitmap& glyph, int x, int y)
{
    int count = 0;
    for (int j = 0; j < glyph.height(); ++j)
        for (int i = 0; i < glyph.width(); ++i) {
            const long long px = static_cast<long long>(x) + i, py = static_cast<long long>(y) + j;
            const bool inside = px >= 0 && py >= 0 && px < page.width() && py < page.height();
            const std::uint32_t p = inside ? page.pixel(int(px), int(py)) : kPaper;
            count += p == glyph.pixel(i, j);
        }
    return count;
}

} // namespace rida::recognition::testing
