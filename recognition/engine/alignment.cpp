#include "recognition/engine/alignment.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace rida::recognition {

using image::Bitmap;

FormPoint findFormPoint(const Bitmap& page, long long x0, long long x1, long long y0, long long y1)
{
    // Settings may put a window partly or wholly off the page; only the part on
    // it is searched, in the same order.
    x0 = std::max(x0, 0LL), y0 = std::max(y0, 0LL);
    x1 = std::min(x1, static_cast<long long>(page.width()) - 1);
    y1 = std::min(y1, static_cast<long long>(page.height()) - 1);
    for (long long y = y0; y <= y1; ++y) {
        const std::uint32_t* row = page.row(int(y));
        for (long long x = x0; x <= x1; ++x)
            if (isFormLinePixel(row[x]))
                return {true, int(x), int(y)};
    }
    return {};
}

namespace {
long long floorDiv(long long a, long long b)
{
    const long long q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
long long ceilDiv(long long a, long long b)
{
    return -floorDiv(-a, b);
}

// The x' for which start + x' * step lies in [0, limit): an interval, clipped to
// [lo, hi]; empty when lo > hi afterwards.
void clipRun(long long start, long long step, long long limit, long long& lo, long long& hi)
{
    if (step == 0) {
        if (start < 0 || start >= limit)
            lo = hi + 1;
        return;
    }
    long long a, b;
    if (step > 0) {
        a = ceilDiv(-start, step);
        b = floorDiv(limit - 1 - start, step);
    } else {
        a = ceilDiv(limit - 1 - start, step);
        b = floorDiv(-start, step);
    }
    lo = std::max(lo, a);
    hi = std::min(hi, b);
}

// Copies target pixels lo..hi of one row, the nearest source pixel of target x
// being (fx >> 32, fy >> 32) with fx, fy advancing by stepX, stepY per pixel.
// For a small skew the source row and the offset between source and target x
// stay the same for dozens of pixels, so the row goes over in plain copies.
void copyRotatedRow(const std::uint32_t* src, int w, std::uint32_t* out, long long lo, long long hi, long long fx,
                    long long fy, long long stepX, long long stepY)
{
    constexpr long long kOne = 1LL << 32;
    // (fx - xt * 2^32) >> 32 is the source x minus the target x; it falls by
    // `drift` in 32.32 per pixel (stepX is at most one pixel).
    const long long drift = kOne - stepX;
    long long xt = lo;
    while (xt <= hi) {
        const long long sy = fy >> 32;
        const long long g = fx - (xt << 32);
        const long long dx = g >> 32;
        long long n = hi - xt + 1;
        if (stepY > 0)
            n = std::min(n, ((sy + 1) * kOne - fy + stepY - 1) / stepY);
        else if (stepY < 0)
            n = std::min(n, (fy - sy * kOne) / -stepY + 1);
        if (drift > 0)
            n = std::min(n, (g - dx * kOne) / drift + 1);
        else if (drift < 0)
            n = std::min(n, ((dx + 1) * kOne - g - drift - 1) / -drift);
        std::copy_n(src + sy * w + xt + dx, n, out + xt);
        xt += n;
        fx += n * stepX;
        fy += n * stepY;
    }
}
// Target pixels of columns x0..x1 and lines y0..y1 (inclusive, clipped to the
// page) of `source` turned by `degrees`; `target` has the size of `source` and
// keeps its other pixels.
void rotateInto(const Bitmap& source, Bitmap& target, double degrees, long long x0, long long x1, long long y0,
                long long y1)
{
    const int w = source.width(), h = source.height();
    x0 = std::max(x0, 0LL), y0 = std::max(y0, 0LL);
    x1 = std::min(x1, static_cast<long long>(w) - 1), y1 = std::min(y1, static_cast<long long>(h) - 1);
    if (x0 > x1 || y0 > y1)
        return;
    const double t = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(t), s = std::sin(t);
    const double cx = w / 2.0, cy = h / 2.0;
    // Inverse mapping: x = cx + (x'-cx)c - (y'-cy)s, y = cy + (x'-cx)s + (y'-cy)c.
    // Along a target row both move by a constant step, so the nearest source
    // pixel is tracked in 32.32 fixed point instead of with sin/cos per pixel
    // (the half added before truncation makes it the nearest). The run of the
    // row that maps onto the page is found first, so the loop needs no checks.
    constexpr double kOne = 4294967296.0;
    const long long stepX = std::llround(c * kOne), stepY = std::llround(s * kOne);
    const long long limitX = static_cast<long long>(w) << 32, limitY = static_cast<long long>(h) << 32;
    const std::uint32_t* src = source.data();
    // Measured: with the source rows rising along a target row (positive angles)
    // the rows run about four times faster bottom to top than top to bottom.
    const bool upwards = stepY > 0;
    for (long long row = y0; row <= y1; ++row) {
        const int yt = int(upwards ? y0 + y1 - row : row);
        const long long fx0 = std::llround((cx - cx * c - (yt - cy) * s + 0.5) * kOne);
        const long long fy0 = std::llround((cy - cx * s + (yt - cy) * c + 0.5) * kOne);
        long long lo = x0, hi = x1;
        clipRun(fx0, stepX, limitX, lo, hi);
        clipRun(fy0, stepY, limitY, lo, hi);
        std::uint32_t* out = target.row(yt);
        if (lo > hi) {
            std::fill(out + x0, out + x1 + 1, 0xFFFFFFFFu);
            continue;
        }
        std::fill(out + x0, out + lo, 0xFFFFFFFFu);
        copyRotatedRow(src, w, out, lo, hi, fx0 + lo * stepX, fy0 + lo * stepY, stepX, stepY);
        std::fill(out + hi + 1, out + x1 + 1, 0xFFFFFFFFu);
    }
}

// Aligns `page`; a `stripWidth` of 0 turns the whole page, any other turns
// only what is read afterwards: the reference window and the `stripWidth`
// columns from the digit column start.
Alignment align(Bitmap& page, Bitmap& scratch, const RecognitionSettings& settings, int stripWidth, long long stripTop,
                long long stripBottom)
{
    Alignment a;
    if (page.empty())
        return a;
    const long long left = settings.read(Setting::LeftX), right = left + kWindowWidth - 1;
    a.upper = findFormPoint(page, left, right, kUpperWindowTop, kUpperWindowBottom);
    a.lower = findFormPoint(page, left, right, kLowerWindowTop, kLowerWindowBottom);
    if (a.lower.found && a.lower.x == 0)
        a.lower.found = false;
    if (a.upper.found && a.lower.found)
        a.skewDegrees =
            std::atan2(double(a.lower.y - a.upper.y), double(a.lower.x - a.upper.x)) * 180.0 / std::numbers::pi - 90.0;
    const bool strip = stripWidth > 0;
    if (a.skewDegrees != 0.0) {
        if (strip) {
            scratch.resize(page.width(), page.height());
            rotateInto(page, scratch, a.skewDegrees, left, right, kReferenceWindowTop, kReferenceWindowBottom);
        } else {
            rotatePage(page, scratch, a.skewDegrees);
        }
        std::swap(page, scratch); // `scratch` holds the page as loaded now
        a.rotated = true;
    }
    a.reference = findFormPoint(page, left, right, kReferenceWindowTop, kReferenceWindowBottom);
    if (a.reference.found) {
        const long long zoneX = settings.read(Setting::ZoneX);
        const long long start = static_cast<long long>(a.reference.x) + zoneX - settings.read(Setting::TableX);
        // Far off the page every position reads as paper, so the clamp changes no
        // result; it keeps the strip arithmetic inside int. 0 stays 0 (no point).
        a.columnStart = int(std::clamp(start, -100000LL, static_cast<long long>(page.width()) + 100000LL));
    }
    if (a.rotated && strip && a.columnStart != 0)
        rotateInto(scratch, page, a.skewDegrees, a.columnStart, static_cast<long long>(a.columnStart) + stripWidth - 1,
                   stripTop, stripBottom);
    return a;
}
} // namespace

void rotatePage(const Bitmap& source, Bitmap& target, double degrees)
{
    target.resize(source.width(), source.height());
    rotateInto(source, target, degrees, 0, source.width() - 1, 0, source.height() - 1);
}

Alignment alignPage(Bitmap& page, Bitmap& scratch, const RecognitionSettings& settings)
{
    return align(page, scratch, settings, 0, 0, 0);
}

Alignment alignDigitStrip(Bitmap& page, Bitmap& scratch, const RecognitionSettings& settings, int stripWidth,
                          long long stripTop, long long stripBottom)
{
    return align(page, scratch, settings, std::max(stripWidth, 1), stripTop, stripBottom);
}

double largestSkewDegrees()
{
    const double across = kWindowWidth - 1, down = kLowerWindowTop - kUpperWindowBottom;
    return std::atan2(across, down) * 180.0 / std::numbers::pi;
}

namespace {
struct Span {
    double lo, hi;
};
Span operator*(Span a, Span b)
{
    const double p[4] = {a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi};
    return {*std::min_element(p, p + 4), *std::max_element(p, p + 4)};
}
Span operator+(Span a, Span b)
{
    return {a.lo + b.lo, a.hi + b.hi};
}

// Inclusive pixel bounds, kept in long long: settings may lie far off the page.
struct Box {
    long long x0, x1, y0, y1;
};

// The source pixels that rotateInto takes for the target pixels of `target`
// (clipped to the page) at any angle up to `largest` degrees either way, and
// at no angle at all. The source of target (x', y') is the nearest pixel to
// (cx + (x'-cx)cos - (y'-cy)sin, cy + (x'-cx)sin + (y'-cy)cos); the bounds are
// taken over every cos and sin of the range at once, which holds more than
// the angles reach, and widened by two pixels for the rounding and the fixed
// point stepping.
Box sourceOfTurned(Box target, int w, int h, double largest)
{
    target.x0 = std::max(target.x0, 0LL), target.y0 = std::max(target.y0, 0LL);
    target.x1 = std::min(target.x1, w - 1LL), target.y1 = std::min(target.y1, h - 1LL);
    if (target.x0 > target.x1 || target.y0 > target.y1)
        return target;
    const double t = largest * std::numbers::pi / 180.0;
    const Span cosine{std::cos(t), 1.0}, sine{-std::sin(t), std::sin(t)};
    const double cx = w / 2.0, cy = h / 2.0;
    const Span across{double(target.x0) - cx, double(target.x1) - cx};
    const Span down{double(target.y0) - cy, double(target.y1) - cy};
    const Span minusSine{-sine.hi, -sine.lo};
    const Span x = across * cosine + down * minusSine, y = across * sine + down * cosine;
    constexpr double kSlack = 2.0;
    return {static_cast<long long>(std::floor(cx + x.lo + 0.5 - kSlack)),
            static_cast<long long>(std::floor(cx + x.hi + 0.5 + kSlack)),
            static_cast<long long>(std::floor(cy + y.lo + 0.5 - kSlack)),
            static_cast<long long>(std::floor(cy + y.hi + 0.5 + kSlack))};
}
} // namespace

image::RectI pixelsAlignmentReads(int width, int height, const RecognitionSettings& settings, int stripWidth,
                                  long long stripTop, long long stripBottom)
{
    const image::RectI pageRect{0, 0, width, height};
    for (const Setting s : {Setting::LeftX, Setting::TableX, Setting::ZoneX})
        if (!settings.unreadable[std::size_t(s)].empty())
            return pageRect;
    const long long left = settings.leftX, right = left + kWindowWidth - 1;
    const double largest = largestSkewDegrees();
    std::vector<Box> read = {
        {left, right, kUpperWindowTop, kUpperWindowBottom},
        {left, right, kLowerWindowTop, kLowerWindowBottom},
        sourceOfTurned({left, right, kReferenceWindowTop, kReferenceWindowBottom}, width, height, largest)};
    // A reference point lies in the window on the page; the strip starts at its
    // x moved by zoneX - tableX.
    const long long pointX0 = std::max(left, 0LL), pointX1 = std::min(right, width - 1LL);
    if (pointX0 <= pointX1) {
        const long long shift = static_cast<long long>(settings.zoneX) - settings.tableX;
        read.push_back(sourceOfTurned({pointX0 + shift, pointX1 + shift + stripWidth - 1, stripTop, stripBottom}, width,
                                      height, largest));
    }
    long long x0 = width, x1 = -1, y0 = height, y1 = -1;
    for (const Box& b : read) {
        const long long bx0 = std::max(b.x0, 0LL), bx1 = std::min(b.x1, width - 1LL);
        const long long by0 = std::max(b.y0, 0LL), by1 = std::min(b.y1, height - 1LL);
        if (bx0 > bx1 || by0 > by1)
            continue;
        x0 = std::min(x0, bx0), x1 = std::max(x1, bx1), y0 = std::min(y0, by0), y1 = std::max(y1, by1);
    }
    if (x0 > x1)
        return {};
    return {int(x0), int(y0), int(x1 + 1), int(y1 + 1)};
}

} // namespace rida::recognition
