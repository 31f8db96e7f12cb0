#include "image/scale.h"
#include "image/transform.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace rida::image;

namespace {
Bitmap numbered(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, argb(255, x, y, 0));
    return b;
}
} // namespace

TEST(Affine, StepsApplyInOrderAndInvert)
{
    Affine t;
    t.translate(-10, -20).scale(2).rotate(-90).translate(5, 5);
    // (11, 20) -> (1, 0) -> (2, 0) -> rotate by -90: (x cos + y sin, -x sin + y cos) = (0, 2) -> (5, 7)
    EXPECT_NEAR(t.mapX(11, 20), 5, 1e-9);
    EXPECT_NEAR(t.mapY(11, 20), 7, 1e-9);
    const Affine inv = t.inverted();
    EXPECT_NEAR(inv.mapX(5, 7), 11, 1e-9);
    EXPECT_NEAR(inv.mapY(5, 7), 20, 1e-9);
    EXPECT_THROW(Affine().scale(0).inverted(), std::domain_error);
}

TEST(TransformFill, NearestScaleAndSourceRectangle)
{
    const Bitmap src = numbered(8, 8);
    Bitmap dst(8, 8);
    dst.fill(0);
    Affine t;
    t.scale(2);
    // Only source columns and rows 0..2 may be sampled.
    transformFill(dst, src, t, {0, 0, 3, 3}, Resampler::Nearest);
    EXPECT_EQ(dst.pixel(0, 0), argb(255, 0, 0, 0));
    EXPECT_EQ(dst.pixel(3, 5), argb(255, 1, 2, 0));
    EXPECT_EQ(dst.pixel(5, 5), argb(255, 2, 2, 0));
    EXPECT_EQ(dst.pixel(6, 0), 0u); // source column 3 is outside the rectangle
}

// Unturned nearest-neighbour fills each pixel from the source pixel under its
// inversely mapped centre, inside the rectangle and the bitmap. The steps are
// binary fractions, so the reference below computes the same points exactly.
TEST(TransformFill, UnturnedNearestTakesThePixelUnderEachCentre)
{
    struct Case {
        const char* what;
        Affine t;
        RectF rect;
    } cases[] = {
        {"reduced", Affine().scale(0.25), {0, 0, 40, 30}},
        {"enlarged and moved", Affine().scale(4).translate(-7.5, 3.25), {0, 0, 40, 30}},
        {"clipped rectangle", Affine().scale(2).translate(-10, -6), {3.5, 2.25, 17.75, 11}},
        {"rectangle past the bitmap", Affine().scale(0.5), {-5, -5, 100, 100}},
        {"mirrored", Affine{-1, 0, 0, 1, 40, 0}, {0, 0, 40, 30}},
        {"mirrored both ways, halved", Affine{-0.5, 0, 0, -0.5, 20, 15}, {0, 0, 40, 30}},
    };
    const Bitmap src = numbered(40, 30);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap dst(37, 29);
        dst.fill(1);
        transformFill(dst, src, c.t, c.rect, Resampler::Nearest);
        const Affine inv = c.t.inverted();
        const double minX = std::max(0.0, c.rect.left), minY = std::max(0.0, c.rect.top);
        const double maxX = std::min(40.0, c.rect.right), maxY = std::min(30.0, c.rect.bottom);
        int mismatches = 0;
        for (int y = 0; y < dst.height(); ++y)
            for (int x = 0; x < dst.width(); ++x) {
                const double px = inv.mapX(x + 0.5, y + 0.5), py = inv.mapY(x + 0.5, y + 0.5);
                const bool inside = px >= minX && px < maxX && py >= minY && py < maxY;
                const std::uint32_t expected = inside ? src.pixel(int(px), int(py)) : 1u;
                mismatches += dst.pixel(x, y) != expected;
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(TransformFill, QuarterTurnAboutTheCentre)
{
    // Slider +90 turns the content clockwise: what was right of the centre shows below it.
    const Bitmap src = numbered(9, 9);
    Bitmap dst(9, 9);
    dst.fill(0);
    Affine t;
    t.translate(-4.5, -4.5).rotate(-90).translate(4.5, 4.5);
    transformFill(dst, src, t, {0, 0, 9, 9}, Resampler::Nearest);
    EXPECT_EQ(dst.pixel(4, 4), argb(255, 4, 4, 0));
    EXPECT_EQ(dst.pixel(4, 8), argb(255, 8, 4, 0)); // the right-most middle pixel is now at the bottom
    EXPECT_EQ(dst.pixel(0, 4), argb(255, 4, 8, 0)); // the bottom is now on the left
}

TEST(TransformFill, LinearBlendsNeighbours)
{
    Bitmap src(2, 1);
    src.setPixel(0, 0, argb(255, 0, 0, 0));
    src.setPixel(1, 0, argb(255, 200, 100, 50));
    Bitmap dst(4, 1);
    Affine t;
    t.scale(2);
    transformFill(dst, src, t, {0, 0, 2, 1}, Resampler::Linear);
    // Destination pixel 1 samples source x = 0.75: a quarter of the way.
    EXPECT_NEAR(redOf(dst.pixel(1, 0)), 50, 1);
    EXPECT_NEAR(redOf(dst.pixel(2, 0)), 150, 1);
    EXPECT_EQ(dst.pixel(0, 0), argb(255, 0, 0, 0)); // edges clamp
}

TEST(DrawScaled, PlacesThePageAndFillsOnlyTheArea)
{
    const Bitmap page = numbered(4, 4);
    Bitmap view(10, 10);
    view.fill(0x12345678);
    const std::uint32_t bg = argb(255, 88, 87, 103);
    const RectI shown = drawScaled(view, {0, 0, 10, 8}, page, {1.0, 3, 2}, Resampler::Nearest, bg);
    EXPECT_EQ(shown, (RectI{3, 2, 7, 6}));
    EXPECT_EQ(view.pixel(3, 2), page.pixel(0, 0));
    EXPECT_EQ(view.pixel(6, 5), page.pixel(3, 3));
    EXPECT_EQ(view.pixel(2, 2), bg);
    EXPECT_EQ(view.pixel(0, 9), 0x12345678u); // outside the area: untouched
}

TEST(DrawScaled, ResamplersAtEveryDirection)
{
    Bitmap page(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            page.setPixel(x, y, ((x + y) % 2) ? argb(255, 200, 200, 200) : argb(255, 0, 0, 0));
    Bitmap view(8, 8);
    // Reduced with smoothing: checkerboard averages to grey; nearest keeps one colour.
    drawScaled(view, {0, 0, 2, 2}, page, {0.5, 0, 0}, Resampler::Linear, 0);
    EXPECT_EQ(redOf(view.pixel(0, 0)), 100);
    drawScaled(view, {0, 0, 2, 2}, page, {0.5, 0, 0}, Resampler::Nearest, 0);
    EXPECT_TRUE(redOf(view.pixel(0, 0)) == 0 || redOf(view.pixel(0, 0)) == 200);
    // Enlarged with smoothing: between two source pixel centres the colour is mixed.
    drawScaled(view, {0, 0, 8, 8}, page, {2.0, 0, 0}, Resampler::Linear, 0);
    EXPECT_NEAR(redOf(view.pixel(2, 1)), 125, 2); // page point (1.25, 0.75): a mix of four
}

TEST(DrawScaled, ReducingAFlatPageKeepsItsColourExactly)
{
    // Every sample count, both the paired and the single-pixel path (odd widths).
    for (double scale : {0.75, 0.5, 0.4, 0.3, 0.1}) {
        for (std::uint32_t c : {0u, 1u, 128u, 254u, 255u}) {
            Bitmap page(1001, 371);
            page.fill(argb(255, c, 255 - c, c / 2));
            Bitmap view(31, 9);
            drawScaled(view, {0, 0, 31, 9}, page, {scale, 0, 0}, Resampler::Linear, 0);
            EXPECT_EQ(view.pixel(0, 0), page.pixel(0, 0)) << scale << " " << c;
            EXPECT_EQ(view.pixel(30, 3), page.pixel(0, 0)) << scale << " " << c;
        }
    }
}

TEST(DrawScaledInBands, SamePixelsAsOneThreadAtEveryScale)
{
    Bitmap page(613, 877);
    std::uint32_t seed = 9;
    for (std::size_t i = 0; i < page.pixelCount(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        page.data()[i] = seed | 0xFF000000u;
    }
    // A view large enough to be shared out, the page shifted so that bands
    // begin and end in the background above and below it.
    Bitmap one(1300, 900), bands(1300, 900);
    for (const double scale : {0.05, 0.37, 1.0, 2.5, 20.0})
        for (const Resampler resampler : {Resampler::Nearest, Resampler::Linear})
            for (const int threads : {2, 3, 8}) {
                SCOPED_TRACE(::testing::Message() << scale << " " << int(resampler) << " " << threads);
                const ScaledPlacement at{scale, 40.5 - 100 * scale, 120.25 - 300 * scale};
                const RectI area{7, 3, 1290, 899};
                bands.fill(0);
                one.fill(0);
                const RectI expected = drawScaled(one, area, page, at, resampler, 0xFF808080u);
                EXPECT_EQ(drawScaledInBands(bands, area, page, at, resampler, 0xFF808080u, threads), expected);
                EXPECT_TRUE(std::equal(one.data(), one.data() + one.pixelCount(), bands.data()));
            }
}
