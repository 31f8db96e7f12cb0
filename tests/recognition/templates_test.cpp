#include "recognition/engine/templates.h"

#include <gtest/gtest.h>

namespace rida::recognition {
namespace {

int inkInRow(const GlyphRows& rows, int row, int column)
{
    return (rows[row] >> (kTemplateWidth - 1 - column)) & 1;
}

TEST(Templates, TopAndBottomRowOfGothicOne)
{
    const GlyphRows& one = glyphSet(Typeface::Gothic)[1];
    for (int c = 0; c < kTemplateWidth; ++c) {
        EXPECT_EQ(inkInRow(one, 0, c), c == 11 || c == 12) << "column " << c;
        EXPECT_EQ(inkInRow(one, 32, c), c >= 10 && c <= 13) << "column " << c;
    }
}

TEST(Templates, TranscribedRowsAndInkCounts)
{
    // First, middle and last rows and the ink count of every glyph, so a slip in
    // any row of the tables shows up.
    struct Fact {
        Typeface face;
        int index;
        std::uint32_t row0, row16, row32;
        int ink;
    };
    const Fact facts[] = {
        {Typeface::Gothic, 0, 0x01F80, 0xE0007, 0x03F80, 261},
        {Typeface::Gothic, 1, 0x00180, 0x001C0, 0x003C0, 146},
        {Typeface::Gothic, 2, 0x01FC0, 0x00078, 0xFFFFF, 214},
        {Typeface::Gothic, 3, 0x01FF0, 0x00078, 0x07FE0, 227},
        {Typeface::Gothic, 4, 0x00070, 0x38070, 0x00040, 233},
        {Typeface::Gothic, 5, 0x1FFF0, 0x7807C, 0x03FC0, 264},
        {Typeface::Gothic, 6, 0x01FF0, 0xFE03E, 0x01FC0, 261},
        {Typeface::Gothic, 7, 0xFFFFE, 0x00F00, 0x06000, 152},
        {Typeface::Gothic, 8, 0x0FFC0, 0x1F8F8, 0x0FFC0, 312},
        {Typeface::Gothic, 9, 0x07FC0, 0x3E03F, 0x00F80, 308},
        {Typeface::Gothic, 10, 0x03FE2, 0xF801E, 0x01C02, 331},
        {Typeface::Myeongjo, 0, 0x00000, 0xE000F, 0x00000, 242},
        {Typeface::Myeongjo, 1, 0x00000, 0x00380, 0x00000, 136},
        {Typeface::Myeongjo, 2, 0x00000, 0x000F0, 0x00000, 234},
        {Typeface::Myeongjo, 3, 0x00400, 0x003FF, 0x02000, 226},
        {Typeface::Myeongjo, 4, 0x00000, 0x3E1E0, 0x00000, 251},
        {Typeface::Myeongjo, 5, 0x00000, 0x000FC, 0x00000, 254},
        {Typeface::Myeongjo, 6, 0x00000, 0xFFE7F, 0x00000, 308},
        {Typeface::Myeongjo, 7, 0x00000, 0x001E0, 0x00000, 184},
        {Typeface::Myeongjo, 8, 0x00000, 0x0FFE0, 0x00000, 274},
        {Typeface::Myeongjo, 9, 0x00000, 0x3801F, 0x00000, 256},
        {Typeface::Myeongjo, 10, 0x00000, 0x70007, 0x00000, 183},
    };
    for (const Fact& f : facts) {
        const GlyphRows& g = glyphSet(f.face)[f.index];
        SCOPED_TRACE(testing::Message() << (f.face == Typeface::Gothic ? "imga" : "imgb") << f.index);
        EXPECT_EQ(g[0], f.row0);
        EXPECT_EQ(g[16], f.row16);
        EXPECT_EQ(g[32], f.row32);
        int ink = 0;
        for (std::uint32_t r : g) {
            EXPECT_LT(r, 1u << kTemplateWidth);
            ink += __builtin_popcount(r);
        }
        EXPECT_EQ(ink, f.ink);
    }
}

TEST(Templates, EleventhGlyphFollowsTheTypeface)
{
    EXPECT_EQ(digitOfTemplate(10, Typeface::Gothic), '6');
    EXPECT_EQ(digitOfTemplate(10, Typeface::Myeongjo), '0');
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(digitOfTemplate(k, Typeface::Gothic), '0' + k);
        EXPECT_EQ(digitOfTemplate(k, Typeface::Myeongjo), '0' + k);
    }
}

TEST(Templates, WorkingSetIsEmptyUntilCopiedAndCopiesPixels)
{
    WorkingSet set;
    EXPECT_TRUE(set.empty());
    set.copyFrom(Typeface::Myeongjo);
    ASSERT_FALSE(set.empty());
    const image::Bitmap& b10 = set.img[10];
    ASSERT_EQ(b10.width(), kTemplateWidth);
    ASSERT_EQ(b10.height(), kTemplateHeight);
    const GlyphRows& rows = glyphSet(Typeface::Myeongjo)[10];
    for (int j = 0; j < kTemplateHeight; ++j)
        for (int i = 0; i < kTemplateWidth; ++i)
            ASSERT_EQ(b10.pixel(i, j), inkInRow(rows, j, i) ? kInk : kPaper);
    set.copyFrom(Typeface::Gothic);
    EXPECT_EQ(set.img[1].pixel(11, 0), kInk);
    EXPECT_EQ(set.img[1].pixel(10, 0), kPaper);
}

} // namespace
} // namespace rida::recognition
