#include "image/bitmap.h"

#include <gtest/gtest.h>

using rida::image::Bitmap;

TEST(Bitmap, EmptyByDefaultAndResizeKeepsMemoryWhenItFits)
{
    Bitmap b;
    EXPECT_TRUE(b.empty());
    b.resize(100, 50);
    EXPECT_FALSE(b.empty());
    const auto* before = b.data();
    b.resize(50, 100);
    EXPECT_EQ(before, b.data());
    b.clear();
    EXPECT_TRUE(b.empty());
    b.resize(10, 10);
    EXPECT_EQ(before, b.data());
}

// After an outsized page (more than an A3 page at 400 dpi) a page of less than
// half of it gets memory of its own size; smaller memory is always reused.
TEST(Bitmap, MemoryOfAnOutsizedPageIsNotKeptForAPageOfTheUsualSize)
{
    struct Case {
        int fromW, fromH, toW, toH;
        bool kept;
    } cases[] = {
        {8000, 8000, 2480, 3508, false}, // 64 Mpx, then 8.7
        {8000, 8000, 6000, 6000, true},  // 36 Mpx is more than half
        {5000, 6000, 100, 100, true},    // 30 Mpx is kept for any page
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fromW);
        Bitmap b(c.fromW, c.fromH);
        b.resize(c.toW, c.toH);
        EXPECT_EQ(b.capacityPixels() == std::size_t(c.fromW) * std::size_t(c.fromH), c.kept);
        EXPECT_GE(b.capacityPixels(), std::size_t(c.toW) * std::size_t(c.toH));
    }
}

TEST(Bitmap, RefusesSizesThatCannotBeHeld)
{
    Bitmap b;
    EXPECT_THROW(b.resize(-1, 5), std::length_error);
    EXPECT_THROW(b.resize(100000, 100000), std::length_error);
    EXPECT_TRUE(b.empty());
}
