// RLE-compressed BMP pages (as older scanning and fax software writes them)
// and OS/2 2.x information headers.
#include "image/codec.h"
#include "tests/image/fixtures.h"

#include <gtest/gtest.h>

using namespace rida::image;
using namespace rida::image::testing;

namespace {

std::string errorOf(const Bytes& bytes, Bitmap& page, const std::string& name = "page.bmp")
{
    try {
        decodePage(bytes.data(), bytes.size(), name, page);
    } catch (const ImageError& e) {
        return e.what();
    }
    return {};
}

// Palette index i shows colour 0x10101 * (i + 1) * 10: every index its own grey.
std::vector<std::uint32_t> greys(int n)
{
    std::vector<std::uint32_t> p;
    for (int i = 0; i < n; ++i)
        p.push_back(0x010101u * std::uint32_t((i + 1) * 10));
    return p;
}

// The page as palette indices of greys(), rows from the top; -1 for a colour
// that is no such grey.
std::vector<std::vector<int>> indices(const Bitmap& page)
{
    std::vector<std::vector<int>> rows;
    for (int y = 0; y < page.height(); ++y) {
        rows.emplace_back();
        for (int x = 0; x < page.width(); ++x) {
            const int v = blueOf(page.pixel(x, y));
            rows.back().push_back(v % 10 == 0 && v > 0 ? v / 10 - 1 : -1);
        }
    }
    return rows;
}

using Grid = std::vector<std::vector<int>>;

} // namespace

// Encoded and absolute runs (with their padding), end of line, delta and end
// of bitmap; skipped pixels show palette colour 0. Rows are stored bottom up.
TEST(RleBmp, ReadsEveryCodeAtBothDepths)
{
    struct Case {
        const char* what;
        int bpp, w, h;
        Bytes stream;
        Grid want; // top row first
    } cases[] = {
        {"RLE8: runs, absolute with padding, delta, end of line and of bitmap",
         8,
         6,
         3,
         {0x03, 1,    0x00, 0x03, 2,    3, 2,    /* pad */ 0x00, 0x00, 0x00, // bottom row, then end of line
          0x00, 0x02, 2,    0,    0x02, 3, 0x00, 0x00,                       // skip 2, two of 3, rest skipped
          0x01, 2,    0x00, 0x01},                                           // one 2, end of bitmap
         {{2, 0, 0, 0, 0, 0}, {0, 0, 3, 3, 0, 0}, {1, 1, 1, 2, 3, 2}}},
        {"RLE8: a delta up and right, then the end of bitmap",
         8,
         6,
         3,
         {0x00, 0x02, 3, 1, 0x02, 1, 0x00, 0x01},
         {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 1, 1, 0}, {0, 0, 0, 0, 0, 0}}},
        {"RLE8: an even absolute run needs no padding", 8, 4, 1, {0x00, 0x04, 1, 2, 3, 4, 0x00, 0x01}, {{1, 2, 3, 4}}},
        {"RLE4: runs alternate the two nibbles; absolute runs padded by bytes",
         4,
         8,
         2,
         {0x05, 0x12, 0x00, 0x03, 0x32, 0x10, 0x00, 0x00,  // 1 2 1 2 1, then 3 2 1 (two bytes, no pad)
          0x00, 0x05, 0x12, 0x34, 0x50, 0x00, 0x00, 0x01}, // 1 2 3 4 5 (three bytes and a pad)
         {{1, 2, 3, 4, 5, 0, 0, 0}, {1, 2, 1, 2, 1, 3, 2, 1}}},
        {"RLE4: an odd encoded run ends on the high nibble", 4, 3, 1, {0x03, 0x45, 0x00, 0x01}, {{4, 5, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes bmp = makeRleBmp(c.bpp, c.w, c.h, greys(c.bpp == 8 ? 6 : 16), c.stream);
        Bitmap page;
        ASSERT_EQ(errorOf(bmp, page), "");
        ASSERT_EQ(page.width(), c.w);
        ASSERT_EQ(page.height(), c.h);
        EXPECT_EQ(indices(page), c.want);
        EXPECT_EQ(alphaOf(page.pixel(0, 0)), 255);
    }
}

// Where a code stands at the end of a row or of the page decides whether the
// page is whole.
TEST(RleBmp, EscapesAtARowEndAndAtThePageEnd)
{
    const Bytes row3 = {0x03, 1};
    const auto then = [&](std::initializer_list<unsigned char> tail) {
        Bytes s = row3;
        s.insert(s.end(), tail);
        return s;
    };
    struct Case {
        const char* what;
        Bytes stream; // for a 3 x 2 page
        Grid want;    // empty: refused
        const char* says = "";
    } cases[] = {
        {"end of line right at the row end", then({0x00, 0x00, 0x03, 2, 0x00, 0x01}), {{2, 2, 2}, {1, 1, 1}}},
        {"end of bitmap right at the row end", then({0x00, 0x01}), {{0, 0, 0}, {1, 1, 1}}},
        {"delta from the row end to the next row",
         then({0x00, 0x02, 0, 1, 0x00, 0x00, 0x00, 0x01}),
         {{0, 0, 0}, {1, 1, 1}}},
        {"absolute run that ends at the row end",
         {0x00, 0x03, 1, 2, 3, /* pad */ 0x00, 0x00, 0x01},
         {{0, 0, 0}, {1, 2, 3}}},
        {"stream ends when the last row is full", then({0x00, 0x00, 0x03, 2}), {{2, 2, 2}, {1, 1, 1}}},
        {"end of line after the last row, then end of bitmap",
         then({0x00, 0x00, 0x03, 2, 0x00, 0x00, 0x00, 0x01}),
         {{2, 2, 2}, {1, 1, 1}}},
        {"stream ends after the last row's end of line",
         then({0x00, 0x00, 0x03, 2, 0x00, 0x00}),
         {{2, 2, 2}, {1, 1, 1}}},
        {"run past the row end", then({0x01, 2}), {}, "줄 끝"},
        {"absolute run past the row end", {0x00, 0x04, 1, 2, 3, 4}, {}, "줄 끝"},
        {"pixels after the last row", then({0x00, 0x00, 0x03, 2, 0x00, 0x00, 0x01, 3}), {}, "이미지 끝"},
        {"absolute run after the last row",
         then({0x00, 0x00, 0x03, 2, 0x00, 0x00, 0x00, 0x03, 1, 1, 1, 0}),
         {},
         "이미지 끝"},
        {"end of line after the last row's end of line",
         then({0x00, 0x00, 0x03, 2, 0x00, 0x00, 0x00, 0x00}),
         {},
         "이미지 끝"},
        {"delta past the right edge", {0x00, 0x02, 4, 0}, {}, "밖"},
        {"delta from the row end to the right", then({0x00, 0x02, 1, 0}), {}, "밖"},
        {"delta past the top row", {0x00, 0x02, 0, 2}, {}, "밖"},
        {"delta at the page end", then({0x00, 0x00, 0x03, 2, 0x00, 0x02, 0, 1}), {}, "밖"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap page(4, 4);
        const std::string err = errorOf(makeRleBmp(8, 3, 2, greys(4), c.stream), page);
        if (c.want.empty()) {
            EXPECT_NE(err.find(c.says), std::string::npos) << err;
            EXPECT_NE(err.find("page.bmp"), std::string::npos) << err;
            EXPECT_TRUE(page.empty());
        } else {
            ASSERT_EQ(err, "");
            EXPECT_EQ(indices(page), c.want);
        }
    }
}

// A stream cut after each kind of code, before the page is whole, is refused
// as cut short, and no page memory is taken for it.
TEST(RleBmp, CutAfterEachKindOfCode)
{
    struct Case {
        const char* what;
        Bytes stream; // for a 4 x 3 page, RLE8 and the same codes in RLE4
    } cases[] = {
        {"nothing at all", {}},
        {"after an encoded run", {0x04, 1}},
        {"after an end of line", {0x04, 1, 0x00, 0x00}},
        {"after a delta", {0x00, 0x02, 1, 1}},
        {"inside a delta", {0x00, 0x02, 1}},
        {"after the delta escape", {0x00, 0x02}},
        {"after an absolute run and its padding", {0x00, 0x03, 1, 2, 1, 0x00}},
        {"inside an absolute run", {0x00, 0x03, 1, 2}},
        {"after a lone escape byte", {0x04, 1, 0x00}},
        {"after a run's count", {0x04}},
    };
    for (int bpp : {8, 4}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(bpp) + " bits, cut " + c.what);
            Bitmap page;
            const std::string err = errorOf(makeRleBmp(bpp, 4, 3, greys(4), c.stream), page);
            EXPECT_NE(err.find("잘려"), std::string::npos) << err;
            EXPECT_TRUE(page.empty());
            EXPECT_EQ(page.capacityPixels(), 0u);
        }
    }
}

TEST(RleBmp, HeadersThatCannotHoldRleAreRefused)
{
    const Bytes stream = {0x02, 1, 0x00, 0x01};
    Bytes topDown = makeRleBmp(8, 2, -1, greys(2), stream);
    Bytes rle8At4 = makeRleBmp(8, 2, 1, greys(2), stream);
    rle8At4[28] = 4;
    Bytes rle4At8 = makeRleBmp(4, 2, 1, greys(2), stream);
    rle4At8[28] = 8;
    struct Case {
        const char* what;
        const Bytes& bytes;
        const char* says;
    } cases[] = {
        {"top-down", topDown, "위에서 아래로"},
        {"RLE8 in a 4-bit page", rle8At4, "RLE8"},
        {"RLE4 in an 8-bit page", rle4At8, "RLE4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap page(2, 2);
        const std::string err = errorOf(c.bytes, page);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_TRUE(page.empty());
    }
}

// OS/2 2.x writers leave off any fields after the bit depth: every header
// length from 16 to 64 bytes gives the page that the 40-byte header gives.
TEST(Os2Bmp, EveryHeaderLengthReadsEveryDepth)
{
    const std::vector<std::vector<std::uint32_t>> idx = {{0, 1, 2}, {3, 2, 1}};
    const std::vector<std::vector<std::uint32_t>> rgb = {{0x102030, 0xFFFFFF, 0xFF0000}, {0x00FF00, 0x0000FF, 0}};
    for (int bpp : {1, 4, 8, 16, 24, 32}) {
        BmpFixture f{.bpp = bpp};
        if (bpp == 1) {
            f.palette = {0x000000, 0xFFFFFF};
            f.rows = {{0, 1, 0}, {1, 0, 1}};
        } else if (bpp <= 8) {
            f.palette = {0x112233, 0x445566, 0x778899, 0xAABBCC};
            f.rows = idx;
        } else {
            f.rows = bpp == 16 ? std::vector<std::vector<std::uint32_t>>{{0x7C00, 0x03E0, 0x001F}, {0, 0x7FFF, 0x4210}}
                               : rgb;
        }
        const Bytes windows = makeBmp(f);
        Bitmap expected;
        decodePage(windows.data(), windows.size(), "windows.bmp", expected);
        for (int infoSize = 16; infoSize <= 64; ++infoSize) {
            SCOPED_TRACE(std::to_string(bpp) + " bits, header of " + std::to_string(infoSize) + " bytes");
            Bitmap page;
            ASSERT_EQ(errorOf(withInfoSize(windows, infoSize), page), "");
            ASSERT_EQ(page.width(), 3);
            ASSERT_EQ(page.height(), 2);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x)
                    EXPECT_EQ(page.pixel(x, y), expected.pixel(x, y)) << x << ',' << y;
        }
    }
}

TEST(Os2Bmp, RleInAnOs2HeaderAndTheCompressionsWeRefuse)
{
    const Bytes rle = withInfoSize(makeRleBmp(8, 3, 1, greys(3), {0x03, 2, 0x00, 0x01}), 64);
    Bitmap page;
    ASSERT_EQ(errorOf(rle, page), "");
    EXPECT_EQ(indices(page), (Grid{{2, 2, 2}}));

    const auto compressed = [](int bpp, std::uint32_t compression, int infoSize) {
        BmpFixture f{.bpp = bpp, .rows = {{0, 0, 0}}};
        if (bpp <= 8)
            f.palette = {0, 0xFFFFFF};
        Bytes b = withInfoSize(makeBmp(f), infoSize);
        b[30] = std::uint8_t(compression);
        return b;
    };
    struct Case {
        const char* what;
        Bytes bytes;
        const char* says;
    } cases[] = {
        {"Huffman 1D, 64-byte header", compressed(1, 3, 64), "Huffman 1D"},
        {"Huffman 1D, 40-byte header", compressed(1, 3, 40), "Huffman 1D"},
        {"Huffman 1D, 24-byte header", compressed(1, 3, 24), "Huffman 1D"},
        {"RLE24, 64-byte header", compressed(24, 4, 64), "RLE24"},
        {"RLE24, 40-byte header", compressed(24, 4, 40), "RLE24"},
        {"RLE24, 20-byte header", compressed(24, 4, 20), "RLE24"},
        {"a header of 15 bytes", withInfoSize(makeBmp({.bpp = 24, .rows = {{0}}}), 15), "머리 정보"},
        {"a header of 66 bytes", withInfoSize(makeBmp({.bpp = 24, .rows = {{0}}}), 66), "머리 정보"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string err = errorOf(c.bytes, page, "os2.bmp");
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_NE(err.find("os2.bmp"), std::string::npos) << err;
        EXPECT_TRUE(page.empty());
    }
}
