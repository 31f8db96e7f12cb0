#include "scale.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>
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
    // Clamped as doubles: zoomed in on a very long page, its edges lie further
    // from the buffer than an int reaches.
    b0 = int(std::clamp(std::ceil(origin - 0.5), double(lo), double(hi)));
    b1 = int(std::clamp(std::ceil(origin + n * scale - 0.5), double(lo), double(hi)));
    // Guard against rounding putting an edge pixel's centre just outside.
    while (b0 < b1 && (b0 + 0.5 - origin) / scale < 0)
        ++b0;
    while (b1 > b0 && (b1 - 0.5 - origin) / scale >= n)
        --b1;
}

inline int clampIndex(int v, int n)
{
    return v < 0 ? 0 : (v >= n ? n - 1 : v);
}

// Reduction with N x N samples per buffer pixel; N is a constant so that the
// loops unroll and the division becomes a multiplication.
template <int N> void averageRows(Bitmap& dst, const RectI& shown, const Bitmap& page, const ScaledPlacement& at)
{
    static_assert(N * N * 255 <= 0xFFFF, "two 16-bit lanes per word must not carry");
    const int pw = page.width(), ph = page.height();
    const double inv = 1.0 / at.scale;
    const int cols = shown.width();
    std::vector<int> xs(std::size_t(cols) * N);
    for (int i = 0; i < cols; ++i) {
        const double left = (shown.left + i - at.originX) * inv;
        for (int k = 0; k < N; ++k)
            xs[std::size_t(i) * N + k] = clampIndex(int(left + (k + 0.5) * inv / N), pw);
    }
    // Sums in 16-bit lanes, two buffer pixels per register; the division by
    // N * N is a multiplication by its 16-bit reciprocal (exact for 4, within
    // one step for 9).
    constexpr int count = N * N;
    static_assert(count > 1, "one sample is the nearest-neighbour path");
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(count / 2);
    const __m128i recip = _mm_set1_epi16(short((65536 + count - 1) / count));
    const std::uint32_t* rows[N];
    for (int y = shown.top; y < shown.bottom; ++y) {
        const double top = (y - at.originY) * inv;
        for (int k = 0; k < N; ++k)
            rows[k] = page.row(clampIndex(int(top + (k + 0.5) * inv / N), ph));
        std::uint32_t* out = dst.row(y) + shown.left;
        const int* xi = xs.data();
        int i = 0;
        for (; i + 2 <= cols; i += 2, xi += 2 * N) {
            __m128i sum = zero;
            for (int ky = 0; ky < N; ++ky)
                for (int kx = 0; kx < N; ++kx) {
                    const __m128i two = _mm_unpacklo_epi8(
                        _mm_cvtsi64_si128(std::int64_t(rows[ky][xi[kx]]) | (std::int64_t(rows[ky][xi[N + kx]]) << 32)),
                        zero);
                    sum = _mm_add_epi16(sum, two);
                }
            const __m128i avg = _mm_mulhi_epu16(_mm_add_epi16(sum, half), recip);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(avg, zero));
        }
        for (; i < cols; ++i, xi += N) {
            std::uint32_t rb = 0, ag = 0;
            for (int ky = 0; ky < N; ++ky)
                for (int kx = 0; kx < N; ++kx) {
                    const std::uint32_t p = rows[ky][xi[kx]];
                    rb += p & kLanes;
                    ag += (p >> 8) & kLanes;
                }
            constexpr std::uint32_t c = count, h = count / 2;
            const std::uint32_t r = (((rb >> 16) & 0xFFFF) + h) / c, b = ((rb & 0xFFFF) + h) / c;
            const std::uint32_t a = (((ag >> 16) & 0xFFFF) + h) / c, g = ((ag & 0xFFFF) + h) / c;
            out[i] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

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
        // Enlarged, many buffer rows fall between the same two page rows: each
        // page row is interpolated across once and kept while it is needed.
        std::vector<std::uint32_t> upper(cols), lower(cols);
        int upperRow = -1, lowerRow = -1;
        auto across = [&](int pageRow, std::vector<std::uint32_t>& out) {
            const std::uint32_t* r = page.row(pageRow);
            for (int i = 0; i < cols; ++i)
                out[i] = lerp2(r[x0[i]], r[x1[i]], wx[i]);
        };
        for (int y = shown.top; y < shown.bottom; ++y) {
            const double fy = pageY(y) - 0.5;
            const int iy = int(std::floor(fy));
            const std::uint32_t wy = std::uint32_t((fy - iy) * 256.0);
            const int r0 = clampIndex(iy, ph), r1 = clampIndex(iy + 1, ph);
            if (r0 != upperRow) {
                if (r0 == lowerRow) {
                    std::swap(upper, lower);
                    upperRow = lowerRow;
                    lowerRow = -1;
                } else {
                    across(r0, upper);
                    upperRow = r0;
                }
            }
            if (r1 != lowerRow) {
                across(r1, lower);
                lowerRow = r1;
            }
            std::uint32_t* out = dst.row(y) + shown.left;
            if (wy == 0) {
                std::copy(upper.begin(), upper.end(), out);
                continue;
            }
            for (int i = 0; i < cols; ++i)
                out[i] = lerp2(upper[i], lower[i], wy);
        }
        return shown;
    }

    // Reduction: n x n samples spread evenly over each buffer pixel's footprint.
    const int n = std::clamp(int(std::ceil(inv)), 1, kMaxAverageSamples);
    switch (n) {
    case 1: // a footprint of at most one page pixel: nearly 1:1
        return drawScaled(dst, shown, page, at, Resampler::Nearest, background);
    case 2:
        averageRows<2>(dst, shown, page, at);
        break;
    default:
        averageRows<3>(dst, shown, page, at);
        break;
    }
    return shown;
}

RectI drawScaledInBands(Bitmap& dst, const RectI& areaIn, const Bitmap& page, const ScaledPlacement& at,
                        Resampler resampler, std::uint32_t background, int threads)
{
    const RectI area = areaIn.intersected({0, 0, dst.width(), dst.height()});
    if (area.empty())
        return {};
    const long long pixels = static_cast<long long>(area.width()) * area.height();
    const int bands = int(
        std::clamp<long long>(std::min<long long>(threads, pixels / kPixelsPerThread), 1, std::max(1, area.height())));
    if (bands == 1)
        return drawScaled(dst, area, page, at, resampler, background);
    std::vector<RectI> shown(static_cast<std::size_t>(bands));
    const auto band = [&](int k) {
        const RectI part{area.left, area.top + int(static_cast<long long>(area.height()) * k / bands), area.right,
                         area.top + int(static_cast<long long>(area.height()) * (k + 1) / bands)};
        shown[std::size_t(k)] = drawScaled(dst, part, page, at, resampler, background);
    };
    std::vector<std::thread> helpers;
    try {
        for (int k = 1; k < bands; ++k)
            helpers.emplace_back(band, k);
    } catch (const std::system_error&) {
        // No more threads to be had: the calling thread draws the bands left.
        for (int k = int(helpers.size()) + 1; k < bands; ++k)
            band(k);
    }
    band(0);
    for (std::thread& t : helpers)
        t.join();
    RectI covered{};
    for (const RectI& r : shown) {
        if (r.empty())
            continue;
        covered = covered.empty() ? r
                                  : RectI{std::min(covered.left, r.left), std::min(covered.top, r.top),
                                          std::max(covered.right, r.right), std::max(covered.bottom, r.bottom)};
    }
    return covered;
}

} // namespace rida::image
