#include "layer.h"

#include "image/ops.h"
#include "image/transform.h"

#include <algorithm>
#include <cmath>

namespace rida::ui {

using image::RectF;
using image::RectI;

void BitmapLayer::paint(LayerPaint& target)
{
    if (bitmap.empty() || target.measuring)
        return;
    const RectF r = followsPage ? target.toBuffer(location) : location;
    const RectI ri{int(std::lround(r.left)), int(std::lround(r.top)), int(std::lround(r.right)),
                   int(std::lround(r.bottom))};
    const RectI clip = ri.intersected({0, 0, target.buffer.width(), target.buffer.height()});
    if (clip.empty() || r.width() <= 0 || r.height() <= 0)
        return;
    image::Bitmap stretched(clip.width(), clip.height());
    stretched.fill(0);
    // Stretching may differ per axis, so the matrix is set directly.
    image::Affine t;
    t.a = r.width() / bitmap.width();
    t.d = r.height() / bitmap.height();
    t.tx = r.left - clip.left;
    t.ty = r.top - clip.top;
    image::transformFill(stretched, bitmap, t, {0, 0, double(bitmap.width()), double(bitmap.height())},
                         image::Resampler::Nearest);
    image::blend(target.buffer, clip.left, clip.top, stretched, opacity);
}

void RubberBand::paint(LayerPaint& target)
{
    if (!child || target.measuring)
        return;
    const RectF r = child->followsPage ? target.toBuffer(child->location) : child->location;
    image::Bitmap& b = target.buffer;
    const int x1 = int(std::lround(r.left)), y1 = int(std::lround(r.top));
    const int x2 = int(std::lround(r.right)) - 1, y2 = int(std::lround(r.bottom)) - 1;
    // A dashed black and white frame stays visible on any page.
    auto dot = [&](int x, int y, int i) {
        if (x >= 0 && y >= 0 && x < b.width() && y < b.height())
            b.setPixel(x, y, (i / 4) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
    };
    // Only the part of the frame inside the buffer is walked: zoomed in, a
    // frame can be hundreds of thousands of pixels round.
    for (int x = std::max(x1, 0); x <= std::min(x2, b.width() - 1); ++x) {
        dot(x, y1, x - x1);
        dot(x, y2, x - x1);
    }
    for (int y = std::max(y1, 0); y <= std::min(y2, b.height() - 1); ++y) {
        dot(x1, y, y - y1);
        dot(x2, y, y - y1);
    }
    const int xm = (x1 + x2) / 2, ym = (y1 + y2) / 2;
    const int hx[] = {x1, xm, x2, x1, x2, x1, xm, x2};
    const int hy[] = {y1, y1, y1, ym, ym, y2, y2, y2};
    for (int k = 0; k < 8; ++k)
        for (int y = hy[k] - kHandle; y <= hy[k] + kHandle; ++y)
            for (int x = hx[k] - kHandle; x <= hx[k] + kHandle; ++x) {
                if (x < 0 || y < 0 || x >= b.width() || y >= b.height())
                    continue;
                const bool edge = std::abs(x - hx[k]) == kHandle || std::abs(y - hy[k]) == kHandle;
                b.setPixel(x, y, edge ? 0xFF000000u : 0xFFFFFFFFu);
            }
}

} // namespace rida::ui
