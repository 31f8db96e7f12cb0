#include "ops.h"

#include <algorithm>
#include <array>
#include <utility>

namespace rida::image {

void rotate90(Bitmap& page)
{
    if (page.empty())
        return;
    const int w = page.width(), h = page.height();
    Bitmap turned(h, w);
    // Tiles keep both the reads and the writes within cache lines.
    constexpr int kTile = 64;
    for (int ty = 0; ty < h; ty += kTile) {
        const int yEnd = std::min(h, ty + kTile);
        for (int tx = 0; tx < w; tx += kTile) {
            const int xEnd = std::min(w, tx + kTile);
            for (int y = ty; y < yEnd; ++y) {
                const std::uint32_t* src = page.row(y);
                const int nx = h - 1 - y;
                for (int x = tx; x < xEnd; ++x)
                    turned.row(x)[nx] = src[x];
            }
        }
    }
    page = std::move(turned);
}

void rotate180(Bitmap& page)
{
    if (!page.empty())
        std::reverse(page.data(), page.data() + page.pixelCount());
}

void adjustBrightness(Bitmap& page, int delta)
{
    std::array<std::uint32_t, 256> lut{};
    for (int v = 0; v < 256; ++v)
        lut[v] = std::uint32_t(std::clamp(v + delta, 0, 255));
    std::uint32_t* p = page.data();
    const std::size_t n = page.pixelCount();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t c = p[i];
        p[i] = 0xFF000000u | (lut[(c >> 16) & 0xFF] << 16) | (lut[(c >> 8) & 0xFF] << 8) | lut[c & 0xFF];
    }
}

void setAlpha(Bitmap& bmp, int alpha)
{
    const std::uint32_t a = std::uint32_t(std::clamp(alpha, 0, 255)) << 24;
    std::uint32_t* p = bmp.data();
    const std::size_t n = bmp.pixelCount();
    for (std::size_t i = 0; i < n; ++i)
        p[i] = (p[i] & 0x00FFFFFFu) | a;
}

namespace {
// (a*x + b*(255 - x)) / 255, rounded, for one channel.
inline std::uint32_t mix(std::uint32_t s, std::uint32_t d, std::uint32_t a)
{
    const std::uint32_t t = s * a + d * (255 - a) + 128;
    return (t + (t >> 8)) >> 8;
}

inline std::uint32_t blendPixel(std::uint32_t s, std::uint32_t d, std::uint32_t a)
{
    const std::uint32_t r = mix((s >> 16) & 0xFF, (d >> 16) & 0xFF, a);
    const std::uint32_t g = mix((s >> 8) & 0xFF, (d >> 8) & 0xFF, a);
    const std::uint32_t b = mix(s & 0xFF, d & 0xFF, a);
    const std::uint32_t da = d >> 24;
    const std::uint32_t ra = a + ((da * (255 - a) + 127) / 255);
    return (ra << 24) | (r << 16) | (g << 8) | b;
}
} // namespace

void blend(Bitmap& dst, int x, int y, const Bitmap& src, int masterAlpha)
{
    const int m = std::clamp(masterAlpha, 0, 255);
    if (m == 0 || src.empty() || dst.empty())
        return;
    const RectI area = RectI{x, y, x + src.width(), y + src.height()}.intersected({0, 0, dst.width(), dst.height()});
    if (area.empty())
        return;
    for (int yy = area.top; yy < area.bottom; ++yy) {
        const std::uint32_t* s = src.row(yy - y) + (area.left - x);
        std::uint32_t* d = dst.row(yy) + area.left;
        for (int i = 0; i < area.width(); ++i) {
            const std::uint32_t a = ((s[i] >> 24) * std::uint32_t(m) + 127) / 255;
            d[i] = a == 255 ? s[i] : blendPixel(s[i], d[i], a);
        }
    }
}

void blendHLine(Bitmap& dst, int x1, int x2, int y, std::uint32_t rgb, int alpha)
{
    if (y < 0 || y >= dst.height() || alpha <= 0)
        return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, dst.width() - 1);
    std::uint32_t* d = dst.row(y);
    for (int x = x1; x <= x2; ++x)
        d[x] = blendPixel(rgb, d[x], std::uint32_t(std::min(alpha, 255)));
}

void blendVLine(Bitmap& dst, int x, int y1, int y2, std::uint32_t rgb, int alpha)
{
    if (x < 0 || x >= dst.width() || alpha <= 0)
        return;
    y1 = std::max(y1, 0);
    y2 = std::min(y2, dst.height() - 1);
    for (int y = y1; y <= y2; ++y) {
        std::uint32_t& d = dst.row(y)[x];
        d = blendPixel(rgb, d, std::uint32_t(std::min(alpha, 255)));
    }
}

void raisedBevel(Bitmap& dst, const RectI& r, int contrast)
{
    if (r.empty())
        return;
    const int light = std::min(255, contrast * 512 / 100);
    const int dark = std::min(255, contrast * 255 / 100);
    constexpr std::uint32_t white = 0x00FFFFFF, black = 0;
    blendHLine(dst, r.left, r.right - 1, r.top, white, light);
    blendVLine(dst, r.left, r.top + 1, r.bottom - 2, white, light);
    blendHLine(dst, r.left, r.right - 1, r.bottom - 1, black, dark);
    blendVLine(dst, r.right - 1, r.top + 1, r.bottom - 2, black, dark);
}

} // namespace rida::image
