#include "transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace rida::image {

Affine& Affine::translate(double dx, double dy)
{
    tx += dx;
    ty += dy;
    return *this;
}

Affine& Affine::scale(double f)
{
    a *= f;
    b *= f;
    c *= f;
    d *= f;
    tx *= f;
    ty *= f;
    return *this;
}

Affine& Affine::rotate(double degrees)
{
    const double r = degrees * std::numbers::pi / 180.0;
    const double cs = std::cos(r), sn = std::sin(r);
    // New = R * old, R = [cs sn; -sn cs].
    const Affine o = *this;
    a = cs * o.a + sn * o.b;
    b = -sn * o.a + cs * o.b;
    c = cs * o.c + sn * o.d;
    d = -sn * o.c + cs * o.d;
    tx = cs * o.tx + sn * o.ty;
    ty = -sn * o.tx + cs * o.ty;
    return *this;
}

Affine Affine::inverted() const
{
    const double det = a * d - b * c;
    if (std::abs(det) < 1e-12)
        throw std::domain_error("singular transformation");
    Affine r;
    r.a = d / det;
    r.b = -b / det;
    r.c = -c / det;
    r.d = a / det;
    r.tx = -(r.a * tx + r.c * ty);
    r.ty = -(r.b * tx + r.d * ty);
    return r;
}

namespace {
constexpr std::uint32_t kLanes = 0x00FF00FFu;

// Two channels at a time in 16-bit lanes; w in 0..256.
inline std::uint32_t lerp2(std::uint32_t p, std::uint32_t q, std::uint32_t w)
{
    const std::uint32_t rb = (((p & kLanes) * (256 - w) + (q & kLanes) * w) >> 8) & kLanes;
    const std::uint32_t ag = ((((p >> 8) & kLanes) * (256 - w) + ((q >> 8) & kLanes) * w) >> 8) & kLanes;
    return rb | (ag << 8);
}
} // namespace

void transformFill(Bitmap& dst, const Bitmap& src, const Affine& srcToDst, const RectF& sourceRect, Resampler resampler,
                   int dstOriginX, int dstOriginY)
{
    if (dst.empty() || src.empty())
        return;
    const Affine inv = srcToDst.inverted();
    // Source area allowed: the rectangle, within the bitmap.
    const double minX = std::max(0.0, sourceRect.left), minY = std::max(0.0, sourceRect.top);
    const double maxX = std::min(double(src.width()), sourceRect.right);
    const double maxY = std::min(double(src.height()), sourceRect.bottom);
    if (maxX <= minX || maxY <= minY)
        return;
    const int sx0 = int(std::floor(minX)), sy0 = int(std::floor(minY));
    const int sx1 = int(std::ceil(maxX)) - 1, sy1 = int(std::ceil(maxY)) - 1;
    // A pixel's source point from its centre's place in the whole destination,
    // not by steps along the row, so that a part gives what the whole would.
    const double x0 = dstOriginX + 0.5;

    if (resampler == Resampler::Nearest && inv.b == 0 && inv.c == 0) {
        // Not turned: each destination row reads one source row, and every row
        // the same source columns. The same steps as below, with the columns
        // worked out once and the row's test taken out of the loop.
        std::vector<int> columns(std::size_t(dst.width()));
        int first = dst.width(), last = -1;
        for (int x = 0; x < dst.width(); ++x) {
            const double px = inv.a * (x0 + x) + inv.tx;
            const bool inside = px >= minX && px < maxX;
            columns[std::size_t(x)] = inside ? int(px) : -1;
            if (inside) {
                first = std::min(first, x);
                last = x;
            }
        }
        if (last < 0)
            return;
        for (int y = 0; y < dst.height(); ++y) {
            const double py = inv.d * (dstOriginY + y + 0.5) + inv.ty;
            if (!(py >= minY && py < maxY))
                continue;
            const std::uint32_t* in = src.row(int(py));
            std::uint32_t* out = dst.row(y);
            // px is linear in x, so the columns inside form one run.
            for (int x = first; x <= last; ++x)
                out[x] = in[columns[std::size_t(x)]];
        }
        return;
    }
    for (int y = 0; y < dst.height(); ++y) {
        std::uint32_t* out = dst.row(y);
        const double Y = dstOriginY + y + 0.5;
        const double rowX = inv.c * Y + inv.tx, rowY = inv.d * Y + inv.ty;
        for (int x = 0; x < dst.width(); ++x) {
            const double X = x0 + x;
            const double px = inv.a * X + rowX, py = inv.b * X + rowY;
            if (!(px >= minX && px < maxX && py >= minY && py < maxY))
                continue;
            if (resampler == Resampler::Nearest) {
                out[x] = src.pixel(int(px), int(py));
                continue;
            }
            // px, py >= 0 here, so truncation of px + 0.5 is a floor.
            const double fx = px - 0.5, fy = py - 0.5;
            const int ix = int(fx + 1.0) - 1, iy = int(fy + 1.0) - 1;
            const std::uint32_t wx = std::uint32_t((fx - ix) * 256.0), wy = std::uint32_t((fy - iy) * 256.0);
            const int x0i = ix < sx0 ? sx0 : ix, x1 = ix + 1 > sx1 ? sx1 : ix + 1;
            const int y0 = iy < sy0 ? sy0 : iy, y1 = iy + 1 > sy1 ? sy1 : iy + 1;
            const std::uint32_t* r0 = src.row(y0);
            const std::uint32_t* r1 = src.row(y1);
            out[x] = lerp2(lerp2(r0[x0i], r0[x1], wx), lerp2(r1[x0i], r1[x1], wx), wy);
        }
    }
}

} // namespace rida::image
