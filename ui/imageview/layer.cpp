#include "layer.h"

#include "image/ops.h"
#include "image/transform.h"

#include <algorithm>
#include <cmath>

namespace rida::ui {

using image::RectF;
using image::RectI;

namespace {
// Buffer coordinates as ints. Zoomed in on a very long page, a layer may lie
// billions of pixels outside the buffer; so far out is the same as far enough
// out, and the conversions stay defined.
constexpr long long kFar = 1 << 30;
long long rounded(double v)
{
    return std::llround(std::clamp(v, -1e15, 1e15));
}
int toBufferInt(long long v)
{
    return int(std::clamp(v, -kFar, kFar));
}
int toBufferInt(double v)
{
    return toBufferInt(rounded(v));
}
} // namespace

void BitmapLayer::paint(LayerPaint& target)
{
    if (bitmap.empty() || target.measuring)
        return;
    const RectF r = followsPage ? target.toBuffer(location) : location;
    const RectI ri{toBufferInt(r.left), toBufferInt(r.top), toBufferInt(r.right), toBufferInt(r.bottom)};
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
    const long long left = rounded(r.left), top = rounded(r.top);
    const long long right = rounded(r.right) - 1, bottom = rounded(r.bottom) - 1;
    const int x1 = toBufferInt(left), y1 = toBufferInt(top);
    const int x2 = toBufferInt(right), y2 = toBufferInt(bottom);
    // A dashed black and white frame stays visible on any page.
    auto dot = [&](int x, int y, long long i) {
        if (x >= 0 && y >= 0 && x < b.width() && y < b.height())
            b.setPixel(x, y, (i / 4) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
    };
    // Only the part of the frame inside the buffer is walked: zoomed in, a
    // frame can be hundreds of thousands of pixels round.
    for (int x = std::max(x1, 0); x <= std::min(x2, b.width() - 1); ++x) {
        dot(x, y1, x - left);
        dot(x, y2, x - left);
    }
    for (int y = std::max(y1, 0); y <= std::min(y2, b.height() - 1); ++y) {
        dot(x1, y, y - top);
        dot(x2, y, y - top);
    }
    // The middle handles from the true edges, whose middle the clamped ones need not share.
    const int xm = toBufferInt((left + right) / 2), ym = toBufferInt((top + bottom) / 2);
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
