#include "recognition/engine/alignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace rida::recognition {
namespace {

using image::argb;
using image::Bitmap;

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kBlue = argb(255, 60, 110, 210);

Bitmap blankPage(int w = 1200, int h = 3100)
{
    Bitmap page(w, h);
    page.fill(kWhite);
    return page;
}

// A one-pixel blue line from (x1, y1) to (x2, y2), one pixel per line.
void drawBorder(Bitmap& page, double x1, double y1, double x2, double y2)
{
    for (int y = int(y1); y <= int(y2); ++y) {
        const int x = int(std::lround(x1 + (x2 - x1) * (y - y1) / (y2 - y1)));
        if (x >= 0 && x < page.width() && y >= 0 && y < page.height())
            page.setPixel(x, y, kBlue);
    }
}

TEST(FormLinePixel, RedMoreThanFiftyBelowTheLargestChannel)
{
    EXPECT_TRUE(isFormLinePixel(argb(255, 60, 200, 220)));
    EXPECT_TRUE(isFormLinePixel(argb(255, 0, 51, 0))); // green counts too
    EXPECT_FALSE(isFormLinePixel(argb(255, 0, 50, 0)));
    EXPECT_FALSE(isFormLinePixel(argb(255, 0, 0, 0)));
    EXPECT_FALSE(isFormLinePixel(argb(255, 255, 100, 100)));
}

TEST(alignPage, NoFormPixelAnywhere)
{
    Bitmap page = blankPage(), scratch;
    const Alignment a = alignPage(page, scratch, {});
    EXPECT_FALSE(a.rotated);
    EXPECT_EQ(a.columnStart, 0);
}

TEST(alignPage, OnlyTheLowerWindowHasInkSoNoRotationAndNoReference)
{
    Bitmap page = blankPage(), scratch;
    page.setPixel(300, 2850, kBlue);
    const Bitmap before = page;
    const Alignment a = alignPage(page, scratch, {});
    EXPECT_TRUE(a.lower.found);
    EXPECT_FALSE(a.upper.found);
    EXPECT_FALSE(a.rotated);
    EXPECT_EQ(a.skewDegrees, 0.0);
    EXPECT_EQ(a.columnStart, 0);
    EXPECT_EQ(std::memcmp(page.data(), before.data(), page.pixelCount() * 4), 0);
}

TEST(alignPage, SkewFromTheTwoPointsAndTheBorderStraightAfterwards)
{
    Bitmap page = blankPage(2480, 3508), scratch;
    // The border through (200, 900) and (234, 2860), reaching above both windows.
    drawBorder(page, 200 - 34.0 * 60 / 1960, 840, 234 + 34.0 * 80 / 1960, 2940);
    page.setPixel(199, 899, kWhite); // make (200, 900) the first point of the upper window
    const Alignment a = alignPage(page, scratch, {});
    ASSERT_TRUE(a.upper.found && a.lower.found);
    const double expected =
        std::atan2(double(a.lower.y - a.upper.y), double(a.lower.x - a.upper.x)) * 180 / std::numbers::pi - 90;
    EXPECT_EQ(a.skewDegrees, expected);
    EXPECT_LT(a.skewDegrees, 0.0);
    EXPECT_NEAR(a.skewDegrees, -0.99, 0.02);
    EXPECT_TRUE(a.rotated);
    // Upright: the border's x on the upright page no longer drifts with y.
    auto borderX = [&](int y) {
        for (int x = 0; x < page.width(); ++x)
            if (isFormLinePixel(page.pixel(x, y)))
                return x;
        return -1;
    };
    EXPECT_LE(std::abs(borderX(1000) - borderX(2800)), 1);
    ASSERT_TRUE(a.reference.found);
    EXPECT_EQ(a.reference.y, 1160);
    EXPECT_EQ(a.columnStart, a.reference.x + 818 - 237);
}

TEST(alignPage, ColumnStartFromReferenceAndTableSettings)
{
    Bitmap page = blankPage(), scratch;
    drawBorder(page, 240, 800, 240, 3000);
    const Bitmap asDrawn = page;
    RecognitionSettings s;
    const Alignment a = alignPage(page, scratch, s);
    EXPECT_EQ(a.columnStart, 821);
    // An upright border: both skew points found, no skew, the page left as it is.
    EXPECT_TRUE(a.upper.found && a.lower.found);
    EXPECT_EQ(a.skewDegrees, 0.0);
    EXPECT_FALSE(a.rotated);
    EXPECT_TRUE(std::equal(page.data(), page.data() + page.pixelCount(), asDrawn.data()));
    s.tableX = 240;
    s.zoneX = 0; // 240 + 0 - 240 works out to 0: no reference point
    EXPECT_EQ(alignPage(page, scratch, s).columnStart, 0);
}

TEST(alignPage, NoisePixelInAWindowWinsOverTheBorder)
{
    Bitmap page = blankPage(), scratch;
    drawBorder(page, 240, 800, 240, 3000);
    page.setPixel(300, 1161, argb(255, 10, 200, 10)); // green speck
    page.setPixel(330, 1160, kBlue);                  // first line of the reference window
    const Alignment a = alignPage(page, scratch, {});
    EXPECT_EQ(a.reference.x, 240);                    // (240, 1160) comes before (330, 1160)
    page.setPixel(200, 1160, argb(255, 10, 200, 10)); // a green speck first in the search order
    EXPECT_EQ(alignPage(page, scratch, {}).reference.x, 200);
    // One in the upper skew window, before the border, tilts the page.
    Bitmap tilted = blankPage();
    drawBorder(tilted, 240, 800, 240, 3000);
    tilted.setPixel(200, 860, argb(255, 10, 200, 10));
    const Alignment t = alignPage(tilted, scratch, {});
    EXPECT_EQ(t.upper.x, 200);
    EXPECT_NE(t.skewDegrees, 0.0);
    EXPECT_TRUE(t.rotated);
}

TEST(alignPage, ALowerSkewPointAtXZeroCountsAsMissing)
{
    RecognitionSettings s;
    s.leftX = 0;
    for (auto [lowerX, rotated] : {std::pair{0, false}, {1, true}}) {
        SCOPED_TRACE(lowerX);
        Bitmap page = blankPage(), scratch;
        page.setPixel(5, 900, kBlue);
        page.setPixel(lowerX, 2850, kBlue);
        const Bitmap before = page;
        const Alignment a = alignPage(page, scratch, s);
        EXPECT_TRUE(a.upper.found);
        EXPECT_EQ(a.rotated, rotated);
        if (!rotated) {
            EXPECT_EQ(a.skewDegrees, 0.0);
            EXPECT_EQ(std::memcmp(page.data(), before.data(), page.pixelCount() * 4), 0);
        } else {
            EXPECT_NEAR(a.skewDegrees, std::atan2(1950.0, -4.0) * 180 / std::numbers::pi - 90, 1e-12);
        }
    }
}

TEST(alignPage, PagesSmallerThanTheWindowsAreNotReadOutside)
{
    for (auto [w, h] : {std::pair{1, 1}, {200, 1200}, {400, 1170}, {349, 2900}, {2000, 30}}) {
        Bitmap page(w, h), scratch;
        page.fill(kBlue);
        const Alignment a = alignPage(page, scratch, {});
        const bool reachesReference = w > 168 && h > 1160;
        EXPECT_EQ(a.columnStart != 0, reachesReference) << w << " x " << h;
    }
    Bitmap empty, scratch;
    EXPECT_EQ(alignPage(empty, scratch, {}).columnStart, 0);
    Bitmap page = blankPage(600, 1300);
    drawBorder(page, 240, 0, 240, 1299);
    RecognitionSettings far;
    far.leftX = 2'147'483'000; // windows wholly off the page, and past the end of int
    EXPECT_EQ(alignPage(page, scratch, far).columnStart, 0);
    far.leftX = -2'147'483'000;
    EXPECT_EQ(alignPage(page, scratch, far).columnStart, 0);
}

// The per-pixel form of the rotation's fixed-point stepping, kept as the oracle
// for the run-by-run copy.
Bitmap rotateStepwise(const Bitmap& source, double degrees)
{
    const int w = source.width(), h = source.height();
    Bitmap target(w, h);
    const double t = degrees * std::numbers::pi / 180.0, c = std::cos(t), s = std::sin(t);
    const double cx = w / 2.0, cy = h / 2.0;
    constexpr double kOne = 4294967296.0;
    const long long stepX = std::llround(c * kOne), stepY = std::llround(s * kOne);
    for (int yt = 0; yt < h; ++yt) {
        long long fx = std::llround((cx - cx * c - (yt - cy) * s + 0.5) * kOne);
        long long fy = std::llround((cy - cx * s + (yt - cy) * c + 0.5) * kOne);
        for (int xt = 0; xt < w; ++xt, fx += stepX, fy += stepY) {
            const long long x = fx >> 32, y = fy >> 32;
            target.setPixel(xt, yt, x >= 0 && y >= 0 && x < w && y < h ? source.pixel(int(x), int(y)) : kWhite);
        }
    }
    return target;
}

TEST(RotatePage, RunByRunCopyEqualsThePerPixelStepping)
{
    Bitmap source(997, 1403);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, argb(255, x & 0xff, y & 0xff, (x * 7 + y * 3) & 0xff));
    for (double degrees : {-2.5, -1.0, -0.01, 0.004, 0.7, 2.5, 17.0, 45.0, -89.0}) {
        Bitmap target;
        rotatePage(source, target, degrees);
        const Bitmap want = rotateStepwise(source, degrees);
        int differing = 0;
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                differing += target.pixel(x, y) != want.pixel(x, y);
        EXPECT_EQ(differing, 0) << degrees << " degrees";
    }
}

TEST(RotatePage, NearestPixelOfTheInverseMappingAndWhiteCorners)
{
    Bitmap source(301, 203);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, argb(255, x & 0xff, y & 0xff, (x * 7 + y * 3) & 0xff));
    for (double degrees : {-2.5, -0.99, 0.3, 1.0, 2.5, 30.0}) {
        Bitmap target;
        rotatePage(source, target, degrees);
        ASSERT_EQ(target.width(), source.width());
        ASSERT_EQ(target.height(), source.height());
        const double t = degrees * std::numbers::pi / 180, c = std::cos(t), s = std::sin(t);
        const double cx = source.width() / 2.0, cy = source.height() / 2.0;
        int differing = 0;
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x) {
                const double sx = cx + (x - cx) * c - (y - cy) * s, sy = cy + (x - cx) * s + (y - cy) * c;
                const long long nx = std::llround(std::floor(sx + 0.5)), ny = std::llround(std::floor(sy + 0.5));
                const bool inside = nx >= 0 && ny >= 0 && nx < source.width() && ny < source.height();
                const std::uint32_t want = inside ? source.pixel(int(nx), int(ny)) : kWhite;
                differing += target.pixel(x, y) != want;
            }
        // Fixed-point stepping may round a pixel lying within 1e-6 of a pixel
        // boundary the other way; nothing more.
        EXPECT_LE(differing, 2) << degrees << " degrees";
    }
}

} // namespace
} // namespace rida::recognition
