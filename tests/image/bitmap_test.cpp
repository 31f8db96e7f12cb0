#include "ui/image/bitmap.h"

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

TEST(Bitmap, RefusesSizesThatCannotBeHeld)
{
    Bitmap b;
    EXPECT_THROW(b.resize(-1, 5), std::length_error);
    EXPECT_THROW(b.resize(100000, 100000), std::length_error);
    EXPECT_TRUE(b.empty());
}
