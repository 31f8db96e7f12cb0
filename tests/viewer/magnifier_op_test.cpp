// The magnifier as an operation: properties of what it shows, whatever the
// arithmetic inside.
#include "image/bitmap.h"
#include "viewer/magnifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace rida;
using image::argb;
using viewer::MagnifierSettings;
using viewer::paintMagnifier;

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
constexpr int kBevel = 5; // rings of the raised bevel

image::Bitmap drawn(int w, int h, const std::function<std::uint32_t(int, int)>& colour)
{
    image::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, colour(x, y));
    return b;
}

// Columns of `period` pixels, the first half black.
image::Bitmap verticalStripes(int w, int h, int period)
{
    return drawn(w, h, [period](int x, int) { return (x % period) < period / 2 ? kBlack : kWhite; });
}

// Lengths of the runs of equal pixels along row y from x0 to x1 (exclusive), without the first and last run.
std::vector<int> innerRuns(const image::Bitmap& b, int y, int x0, int x1)
{
    std::vector<int> runs;
    int start = x0;
    for (int x = x0 + 1; x <= x1; ++x)
        if (x == x1 || b.pixel(x, y) != b.pixel(start, y)) {
            runs.push_back(x - start);
            start = x;
        }
    if (runs.size() < 2)
        return {};
    return std::vector<int>(runs.begin() + 1, runs.end() - 1);
}

const image::RectF kFrame{100, 100, 300, 300}; // 200 x 200 in a 400 x 400 view

TEST(MagnifierOperation, StripesOfPeriodPShowPeriodPTimesM)
{
    struct Case {
        int period;
        double m;
    } cases[] = {{4, 2.0}, {6, 3.0}, {10, 1.0}, {2, 5.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period * 100 + c.m);
        image::Bitmap view = verticalStripes(400, 400, c.period);
        image::Bitmap work;
        MagnifierSettings s;
        s.magnification = c.m;
        paintMagnifier(view, kFrame, s, work);
        const std::vector<int> runs = innerRuns(view, 200, 100 + kBevel, 300 - kBevel);
        ASSERT_GE(runs.size(), 2u);
        for (int run : runs)
            EXPECT_EQ(run, int(c.period * c.m / 2)) << "a stripe half, enlarged m times";
    }
}

// The frame turns and enlarges about its centre point, where four pixels meet:
// the pixel below and right of it keeps its colour unturned, and turned shows
// one of the four.
TEST(MagnifierOperation, TheCentreStaysPut)
{
    const image::Bitmap original =
        drawn(400, 400, [](int x, int y) { return argb(255, (x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255); });
    for (double m : {1.0, 1.5, 3.0, 10.0})
        for (double rotation : {0.0, 30.0, 90.0, -45.0, 180.0}) {
            SCOPED_TRACE(m * 1000 + rotation);
            image::Bitmap view = original;
            image::Bitmap work;
            MagnifierSettings s;
            s.magnification = m;
            s.rotation = rotation;
            paintMagnifier(view, kFrame, s, work);
            const std::uint32_t shown = view.pixel(200, 200);
            if (rotation == 0) {
                EXPECT_EQ(shown, original.pixel(200, 200));
                continue;
            }
            const std::uint32_t around[] = {original.pixel(199, 199), original.pixel(200, 199),
                                            original.pixel(199, 200), original.pixel(200, 200)};
            EXPECT_NE(std::find(std::begin(around), std::end(around), shown), std::end(around));
        }
}

TEST(MagnifierOperation, AQuarterTurnSwapsTheAxes)
{
    image::Bitmap view = verticalStripes(400, 400, 8);
    image::Bitmap work;
    MagnifierSettings s;
    s.magnification = 2.0;
    s.rotation = 90;
    paintMagnifier(view, kFrame, s, work);
    // Vertical stripes turned a quarter: each row inside the frame is one colour, and the colours alternate down.
    const int inner0 = 100 + kBevel, inner1 = 300 - kBevel;
    for (int y = inner0; y < inner1; ++y)
        for (int x = inner0; x < inner1; ++x)
            ASSERT_EQ(view.pixel(x, y), view.pixel(inner0, y)) << x << ", " << y;
    std::vector<int> runs;
    int start = inner0;
    for (int y = inner0 + 1; y <= inner1; ++y)
        if (y == inner1 || view.pixel(inner0, y) != view.pixel(inner0, start)) {
            runs.push_back(y - start);
            start = y;
        }
    ASSERT_GE(runs.size(), 4u);
    for (std::size_t i = 1; i + 1 < runs.size(); ++i)
        EXPECT_EQ(runs[i], 8);
}

TEST(MagnifierOperation, OpacityZeroPaintsTheBevelOnly)
{
    const image::Bitmap original = verticalStripes(400, 400, 6);
    image::Bitmap view = original;
    image::Bitmap work;
    MagnifierSettings s;
    s.magnification = 4.0;
    s.rotation = 20;
    s.opacity = 0;
    paintMagnifier(view, kFrame, s, work);
    int bevelChanged = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            const bool inFrame = x >= 100 && x < 300 && y >= 100 && y < 300;
            const bool inBevel =
                inFrame && (x < 100 + kBevel || x >= 300 - kBevel || y < 100 + kBevel || y >= 300 - kBevel);
            if (inBevel)
                bevelChanged += view.pixel(x, y) != original.pixel(x, y);
            else
                ASSERT_EQ(view.pixel(x, y), original.pixel(x, y)) << x << ", " << y;
        }
    EXPECT_GT(bevelChanged, 0);
}

// A frame reaching past the view is worked out only where it is shown, yet
// shows there what the whole frame shows on a larger view that holds the same
// pixels (nothing around them).
TEST(MagnifierOperation, AFrameReachingPastTheViewShowsWhatTheWholeFrameShows)
{
    struct Case {
        double dx, dy; // where the frame's top-left corner lies in the view
        double m, rotation;
    } cases[] = {{-120, 50, 1.0, 0}, {60, -150, 1.5, 30}, {250, 230, 2.8, -45}, {-100, 220, 10.0, 90}};
    const image::Bitmap original =
        drawn(300, 300, [](int x, int y) { return argb(255, (x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dx * 1000 + c.dy);
        MagnifierSettings s;
        s.magnification = c.m;
        s.rotation = c.rotation;
        image::Bitmap work;
        image::Bitmap view = original;
        paintMagnifier(view, {c.dx, c.dy, c.dx + 200, c.dy + 200}, s, work);

        // The same pixels in the middle of a view large enough for the whole frame, zero around them.
        const int margin = 400;
        image::Bitmap large(300 + 2 * margin, 300 + 2 * margin);
        large.fill(0);
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x)
                large.setPixel(x + margin, y + margin, original.pixel(x, y));
        paintMagnifier(large, {c.dx + margin, c.dy + margin, c.dx + margin + 200, c.dy + margin + 200}, s, work);

        int differing = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 300; ++x)
                differing += view.pixel(x, y) != large.pixel(x + margin, y + margin);
        EXPECT_EQ(differing, 0);
    }
}

TEST(MagnifierOperation, AFrameUnderOnePixelPaintsNothing)
{
    const image::Bitmap original = verticalStripes(50, 50, 4);
    image::Bitmap work;
    for (image::RectF frame :
         {image::RectF{10, 10, 10.2, 30}, image::RectF{10, 10, 30, 10}, image::RectF{30, 30, 10, 10}}) {
        image::Bitmap view = original;
        paintMagnifier(view, frame, MagnifierSettings{}, work);
        EXPECT_TRUE(std::equal(view.data(), view.data() + 50 * 50, original.data()));
    }
}

} // namespace
