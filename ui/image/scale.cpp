#include "scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace rida::image {

namespace {

constexpr std::uint32_t kLanes = 0x00FF00FFu;

inline std::uint32_t lerp2(std::uint32_t p, std::uint32_t q, std::uint32_t w) // w in 0..256
{
    const std::uint32_t rb = (((p & kLanes) * (256 - w) + (q & kLanes) * w) >> 8) & kLanes;
    const std::uint32_t ag = ((((p >> 8) & kLanes) * (256 - w) + ((q >> 8) & kLanes) * w) >> 8) & kLanes;
    return rb | (ag << 8);
}

// Buffer columns [b0, b1) that show page columns, for a page extent of n pixels.
void pageSpan(double origin, double scale, int n, int lo, int hi, int& b0, int& b1)
{
    b0 = std::max(lo, int(std::ceil(origin - 0.5)));
    b1 = std::min(hi, int(std::ceil(origin + n * scale - 0.5)));
    // Guard against rounding putting an edge pixel's centre just outside.
    while (b0 < b1 && (b0 + 0.5 - origin) / scale < 0)
        ++b0;
    while (b1 > b0 && (b1 - 0.5 - origin) / scale >= n)
        --b1;
}

inline int clampIndex(int v, int n) { return v < 0 ? 0 : (v >= n ? n - 1 : v); }

} // namespace

RectI drawScaled(Bitmap& dst, const RectI& areaIn, const Bitmap& page, const ScaledPlacement& at, Resampler resampler,
                 std::uint32_t background)
{
    const RectI area = areaIn.intersected({0, 0, dst.width(), dst.height()});
    if (area.empty())
        return {};
    RectI shown{};
    if (!page.empty() && at.scale > 0) {
        pageSpan(at.originX, at.scale, page.width(), area.left, area.right, shown.left, shown.right);
        pageSpan(at.originY, at.scale, page.height(), area.top, area.bottom, shown.top, shown.bottom);
        if (shown.empty())
            shown = {};
    }
    // Background around the page.
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = dst.row(y);
        if (y < shown.top || y >= shown.bottom) {
            std::fill(row + area.left, row + area.right, background);
        } else {
            std::fill(row + area.left, row + shown.left, background);
            std::fill(row + shown.right, row + area.right, background);
        }
    }
    if (shown.empty())
        return shown;

    const int pw = page.width(), ph = page.height();
    const double inv = 1.0 / at.scale;
    const int cols = shown.width();
    auto pageX = [&](int bx) { return (bx + 0.5 - at.originX) * inv; };
    auto pageY = [&](int by) { return (by + 0.5 - at.originY) * inv; };

    if (resampler == Resampler::Nearest || at.scale == 1.0) {
        std::vector<int> xs(cols);
        for (int i = 0; i < cols; ++i)
            xs[i] = clampIndex(int(pageX(shown.left + i)), pw);
        for (int y = shown.top; y < shown.bottom; ++y) {
            const std::uint32_t* src = page.row(clampIndex(int(pageY(y)), ph));
            std::uint32_t* out = dst.row(y) + shown.left;
            for (int i = 0; i < cols; ++i)
                out[i] = src[xs[i]];
        }
        return shown;
    }

    if (at.scale > 1.0) {
        std::vector<int> x0(cols), x1(cols);
        std::vector<std::uint32_t> wx(cols);
        for (int i = 0; i < cols; ++i) {
            const double fx = pageX(shown.left + i) - 0.5;
            const int ix = int(std::floor(fx));
            x0[i] = clampIndex(ix, pw);
            x1[i] = clampIndex(ix + 1, pw);
            wx[i] = std::uint32_t((fx - ix) * 256.0);
        }
        for (int y = shown.top; y < shown.bottom; ++y) {
            const double fy = pageY(y) - 0.5;
            const int iy = int(std::floor(fy));
            const std::uint32_t wy = std::uint32_t((fy - iy) * 256.0);
            const std::uint32_t* r0 = page.row(clampIndex(iy, ph));
            const std::uint32_t* r1 = page.row(clampIndex(iy + 1, ph));
            std::uint32_t* out = dst.row(y) + shown.left;
            for (int i = 0; i < cols; ++i) {
                const std::uint32_t top = lerp2(r0[x0[i]], r0[x1[i]], wx[i]);
                const std::uint32_t bottom = lerp2(r1[x0[i]], r1[x1[i]], wx[i]);
                out[i] = lerp2(top, bottom, wy);
            }
        }
        return shown;
    }

    // Reduction: n x n samples spread evenly over each buffer pixel's footprint.
    const int n = std::clamp(int(std::ceil(inv)), 1, kMaxAverageSamples);
    std::vector<int> xs(std::size_t(cols) * n);
    for (int i = 0; i < cols; ++i) {
        const double left = (shown.left + i - at.originX) * inv;
        for (int k = 0; k < n; ++k)
            xs[std::size_t(i) * n + k] = clampIndex(int(left + (k + 0.5) * inv / n), pw);
    }
    const std::uint32_t count = std::uint32_t(n * n);
    std::vector<const std::uint32_t*> rows(n);
    for (int y = shown.top; y < shown.bottom; ++y) {
        const double top = (y - at.originY) * inv;
        for (int k = 0; k < n; ++k)
            rows[k] = page.row(clampIndex(int(top + (k + 0.5) * inv / n), ph));
        std::uint32_t* out = dst.row(y) + shown.left;
        const int* xi = xs.data();
        for (int i = 0; i < cols; ++i, xi += n) {
            // Two 16-bit lanes per word hold up to 9 sums of 255 without carry.
            std::uint32_t rb = 0, ag = 0;
            for (int ky = 0; ky < n; ++ky) {
                const std::uint32_t* r = rows[ky];
                for (int kx = 0; kx < n; ++kx) {
                    const std::uint32_t p = r[xi[kx]];
                    rb += p & kLanes;
                    ag += (p >> 8) & kLanes;
                }
            }
            const std::uint32_t half = count / 2;
            const std::uint32_t r = (((rb >> 16) & 0xFFFF) + half) / count, b = ((rb & 0xFFFF) + half) / count;
            const std::uint32_t a = (((ag >> 16) & 0xFFFF) + half) / count, g = ((ag & 0xFFFF) + half) / count;
            out[i] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return shown;
}

} // namespace rida::image
