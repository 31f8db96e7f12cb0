#include "image/ops.h"

#include <gtest/gtest.h>

using namespace rida::image;

namespace {
// Each pixel tells where it came from: red = x, green = y.
Bitmap numbered(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, argb(255, x, y, 0));
    return b;
}
} // namespace

TEST(Rotate, NinetyTurnsTheContentClockwise)
{
    // 3 x 2 becomes 2 x 3; the former top row is now the right-most column.
    Bitmap b = numbered(3, 2);
    rotate90(b);
    ASSERT_EQ(b.width(), 2);
    ASSERT_EQ(b.height(), 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.pixel(2 - 1 - y, x), argb(255, x, y, 0)) << x << "," << y;
    EXPECT_EQ(b.pixel(1, 0), argb(255, 0, 0, 0)); // top-left went to the top-right
}

TEST(Rotate, TwoQuarterTurnsAreOneHalfTurn)
{
    Bitmap a = numbered(70, 131); // more than one tile, odd sizes
    Bitmap b = a;
    rotate90(a);
    rotate90(a);
    rotate180(b);
    ASSERT_EQ(a.width(), b.width());
    ASSERT_EQ(a.height(), b.height());
    EXPECT_TRUE(std::equal(a.data(), a.data() + a.pixelCount(), b.data()));
    EXPECT_EQ(b.pixel(0, 0), argb(255, 69, 130, 0));

    Bitmap empty;
    rotate90(empty);
    rotate180(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(Brightness, ClampsAndLosesTheClampedPart)
{
    Bitmap b(1, 1);
    b.setPixel(0, 0, argb(0, 253, 10, 128));
    adjustBrightness(b, +5);
    EXPECT_EQ(b.pixel(0, 0), argb(255, 255, 15, 133));
    adjustBrightness(b, -5);
    EXPECT_EQ(b.pixel(0, 0), argb(255, 250, 10, 128));
    adjustBrightness(b, -20);
    EXPECT_EQ(b.pixel(0, 0), argb(255, 230, 0, 108));
}

TEST(Blend, MasterAlphaWeighsTheSource)
{
    struct Case {
        int master;
        int expectRed;
    } cases[] = {{0, 0}, {255, 200}, {128, 100}};
    for (const auto& c : cases) {
        Bitmap dst(4, 4);
        dst.fill(argb(255, 0, 0, 0));
        Bitmap src(2, 2);
        src.fill(argb(255, 200, 200, 200));
        blend(dst, 3, 3, src, c.master); // clipped to one pixel
        EXPECT_EQ(redOf(dst.pixel(3, 3)), c.expectRed) << c.master;
        EXPECT_EQ(dst.pixel(2, 2), argb(255, 0, 0, 0));
    }
    Bitmap dst(2, 2);
    dst.fill(0);
    Bitmap src(2, 2);
    src.fill(argb(0, 9, 9, 9));
    setAlpha(src, 255);
    EXPECT_EQ(src.pixel(1, 1), argb(255, 9, 9, 9));
    blend(dst, -5, -5, src, 255); // wholly outside
    EXPECT_EQ(dst.pixel(0, 0), 0u);
}

TEST(Bevel, LinesAndAlphas)
{
    // On black the white lines show their alpha; on white the black ones show 255 - alpha.
    Bitmap dark(6, 5);
    dark.fill(argb(255, 0, 0, 0));
    raisedBevel(dark, {0, 0, 6, 5}, 35);
    EXPECT_EQ(redOf(dark.pixel(0, 0)), 179); // top row
    EXPECT_EQ(redOf(dark.pixel(5, 0)), 179); // top row reaches the right edge
    EXPECT_EQ(redOf(dark.pixel(0, 3)), 179); // left column
    EXPECT_EQ(redOf(dark.pixel(2, 2)), 0);   // inside untouched

    Bitmap light(6, 5);
    light.fill(argb(255, 255, 255, 255));
    raisedBevel(light, {0, 0, 6, 5}, 35);
    EXPECT_EQ(redOf(light.pixel(3, 4)), 255 - 89); // bottom row
    EXPECT_EQ(redOf(light.pixel(5, 2)), 255 - 89); // right column
    EXPECT_EQ(redOf(light.pixel(0, 4)), 255 - 89); // bottom-left corner belongs to the bottom row
    EXPECT_EQ(redOf(light.pixel(0, 0)), 255);

    // Contrast 100 saturates the white alpha at 255.
    Bitmap sat(3, 3);
    sat.fill(argb(255, 0, 0, 0));
    raisedBevel(sat, {0, 0, 3, 3}, 100);
    EXPECT_EQ(redOf(sat.pixel(1, 0)), 255);
}
