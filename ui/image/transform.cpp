#include "transform.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

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
inline std::uint32_t lerpPixel(std::uint32_t p00, std::uint32_t p10, std::uint32_t p01, std::uint32_t p11, int fx,
                               int fy)
{
    // fx, fy in 0..256.
    std::uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        const int c00 = int((p00 >> sh) & 0xFF), c10 = int((p10 >> sh) & 0xFF);
        const int c01 = int((p01 >> sh) & 0xFF), c11 = int((p11 >> sh) & 0xFF);
        const int top = c00 * (256 - fx) + c10 * fx;
        const int bottom = c01 * (256 - fx) + c11 * fx;
        const int v = (top * (256 - fy) + bottom * fy + (1 << 15)) >> 16;
        out |= std::uint32_t(v) << sh;
    }
    return out;
}
} // namespace

void transformFill(Bitmap& dst, const Bitmap& src, const Affine& srcToDst, const RectF& sourceRect,
                   Resampler resampler)
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

    for (int y = 0; y < dst.height(); ++y) {
        std::uint32_t* out = dst.row(y);
        double px = inv.mapX(0.5, y + 0.5), py = inv.mapY(0.5, y + 0.5);
        for (int x = 0; x < dst.width(); ++x, px += inv.a, py += inv.b) {
            if (!(px >= minX && px < maxX && py >= minY && py < maxY))
                continue;
            if (resampler == Resampler::Nearest) {
                out[x] = src.pixel(int(px), int(py));
                continue;
            }
            const double fx = px - 0.5, fy = py - 0.5;
            const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
            const int wx = int((fx - ix) * 256.0), wy = int((fy - iy) * 256.0);
            const int x0 = std::clamp(ix, sx0, sx1), x1 = std::clamp(ix + 1, sx0, sx1);
            const int y0 = std::clamp(iy, sy0, sy1), y1 = std::clamp(iy + 1, sy0, sy1);
            out[x] = lerpPixel(src.pixel(x0, y0), src.pixel(x1, y0), src.pixel(x0, y1), src.pixel(x1, y1), wx, wy);
        }
    }
}

} // namespace rida::image
