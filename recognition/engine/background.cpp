#include "recognition/engine/background.h"

#include <algorithm>
#include <stdexcept>

namespace rida::recognition {

namespace {
struct Channels {
    int top, black, cyanExcess, magentaExcess;
};
inline Channels channels(std::uint32_t p)
{
    const int r = int((p >> 16) & 0xff), g = int((p >> 8) & 0xff), b = int(p & 0xff);
    const int top = std::max(r, std::max(g, b));
    return {top, 255 - top, top - r, top - g};
}

template <int Mode> inline bool paperRule(std::uint32_t p, int level)
{
    const Channels c = channels(p);
    if constexpr (Mode == 0)
        return c.top > level;
    else if constexpr (Mode == 1)
        return (c.cyanExcess > 30 && c.black < 130) || c.black < 55;
    else if constexpr (Mode == 2)
        return (c.cyanExcess > 40 && c.black < 100) || c.black < 70;
    else if constexpr (Mode == 3)
        return (c.cyanExcess > 40 && c.black < 100) || c.black < 80;
    else if constexpr (Mode == 4)
        return c.cyanExcess > 55 || (c.magentaExcess > 40 && c.black < 80) || c.black <= 40;
    else
        return ((c.cyanExcess > 50 || c.magentaExcess > 40) && c.black < 100) || c.black <= 60;
}

template <int Mode> void removeSpan(std::uint32_t* p, std::size_t n, int level)
{
    // One straight pass; written without branches so the compiler can vectorise it.
    for (std::size_t i = 0; i < n; ++i)
        p[i] = paperRule<Mode>(p[i], level) ? 0xFFFFFFFFu : 0xFF000000u;
}

template <int Mode> void removeWith(image::Bitmap& page, int level, int x0, int x1, int y0, int y1)
{
    for (int y = y0; y <= y1; ++y)
        removeSpan<Mode>(page.row(y) + x0, std::size_t(x1 - x0 + 1), level);
}
} // namespace

RemovalMode removalMode(int index)
{
    if (index < 0 || index >= kRemovalModes)
        throw std::invalid_argument("background-removal mode must be 0..5");
    return RemovalMode(index);
}

bool becomesPaper(RemovalMode mode, int level, std::uint32_t pixel)
{
    switch (int(mode)) {
    case 0:
        return paperRule<0>(pixel, level);
    case 1:
        return paperRule<1>(pixel, level);
    case 2:
        return paperRule<2>(pixel, level);
    case 3:
        return paperRule<3>(pixel, level);
    case 4:
        return paperRule<4>(pixel, level);
    case 5:
        return paperRule<5>(pixel, level);
    }
    throw std::invalid_argument("background-removal mode must be 0..5");
}

void removeBackground(image::Bitmap& page, RemovalMode mode, int level)
{
    removeBackground(page, mode, level, 0, page.width() - 1LL);
}

void removeBackground(image::Bitmap& page, RemovalMode mode, int level, long long x0, long long x1, long long y0,
                      long long y1)
{
    removalMode(int(mode)); // a value outside the enumeration is refused as above
    x0 = std::max(x0, 0LL), y0 = std::max(y0, 0LL);
    x1 = std::min(x1, page.width() - 1LL), y1 = std::min(y1, page.height() - 1LL);
    if (page.empty() || x0 > x1 || y0 > y1)
        return;
    const int first = int(x0), last = int(x1), top = int(y0), bottom = int(y1);
    switch (int(mode)) {
    case 0:
        removeWith<0>(page, level, first, last, top, bottom);
        break;
    case 1:
        removeWith<1>(page, level, first, last, top, bottom);
        break;
    case 2:
        removeWith<2>(page, level, first, last, top, bottom);
        break;
    case 3:
        removeWith<3>(page, level, first, last, top, bottom);
        break;
    case 4:
        removeWith<4>(page, level, first, last, top, bottom);
        break;
    case 5:
        removeWith<5>(page, level, first, last, top, bottom);
        break;
    }
}

} // namespace rida::recognition
