// A page that our generator writes as an RLE8 BMP reads back pixel for pixel
// as its uncompressed twin.
#include "image/codec.h"
#include "tests/image/fixtures.h"
#include "tools/pagegen/pagegen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace rida;
using image::Bitmap;
using image::testing::tempPath;

namespace {

void expectSamePixels(const Bitmap& a, const Bitmap& b)
{
    ASSERT_EQ(a.width(), b.width());
    ASSERT_EQ(a.height(), b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                FAIL() << "first difference at " << x << ',' << y;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

namespace {

// How often each kind of RLE8 code stands in a file's stream.
struct CodeCounts {
    int encoded = 0, absolute = 0, endOfLine = 0, delta = 0, endOfBitmap = 0;
};
CodeCounts countCodes(const std::string& file)
{
    CodeCounts c;
    const auto at = [&](std::size_t i) { return unsigned(static_cast<unsigned char>(file[i])); };
    std::size_t i = at(10) | (at(11) << 8) | (at(12) << 16);
    while (i + 1 < file.size()) {
        const unsigned n = at(i), code = at(i + 1);
        i += 2;
        if (n > 0)
            ++c.encoded;
        else if (code == 0)
            ++c.endOfLine;
        else if (code == 1) {
            ++c.endOfBitmap;
            break;
        } else if (code == 2) {
            ++c.delta;
            i += 2;
        } else {
            ++c.absolute;
            i += code + (code & 1);
        }
    }
    return c;
}

} // namespace

TEST(PagegenBmp, Rle8PageReadsBackAsItsUncompressedTwin)
{
    // A clean page compresses (runs of paper, skipped rows); a noisy one
    // hardly does, and is read through absolute runs.
    for (int noise : {0, 12}) {
        SCOPED_TRACE("noise " + std::to_string(noise));
        pagegen::PageOptions o;
        o.rows = {{"100120003"}, {"200450000"}, {}, {"102990040"}};
        o.skewDegrees = 0.4;
        o.noise = noise;
        o.specks = 30;
        o.headings = false;
        const Bitmap grey = pagegen::toGrey(pagegen::drawPage(o));
        const std::string rle = tempPath("page_rle8.bmp"), plain = tempPath("page_grey8.bmp");
        pagegen::writeBmp8(rle, grey, true);
        pagegen::writeBmp8(plain, grey, false);

        Bitmap fromRle, fromPlain;
        image::loadPage(rle, fromRle);
        image::loadPage(plain, fromPlain);
        expectSamePixels(fromRle, fromPlain);
        expectSamePixels(fromRle, grey);

        const CodeCounts codes = countCodes(readAll(rle));
        EXPECT_GT(codes.encoded, 0);
        EXPECT_GT(codes.absolute, 0);
        EXPECT_GT(codes.delta, 0);
        EXPECT_EQ(codes.endOfLine, grey.height() - 1);
        EXPECT_EQ(codes.endOfBitmap, 1);
        if (noise == 0) {
            EXPECT_LT(std::filesystem::file_size(rle), std::filesystem::file_size(plain) / 4);
        }
    }
}

TEST(PagegenBmp, TheCommandWritesGreyAndRle8Twins)
{
    const std::string tool = std::string(RIDA_BIN_DIR) + "/rida-pagegen";
    const std::string rle = tempPath("cli_rle8.bmp"), plain = tempPath("cli_grey8.bmp");
    const std::string common = tool + " --seed 7 --lots 5 --noise 20 --skew -0.3 ";
    ASSERT_EQ(std::system((common + "--rle8 " + rle + " > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system((common + "--grey8 " + plain + " > /dev/null").c_str()), 0);
    Bitmap a, b;
    image::loadPage(rle, a);
    image::loadPage(plain, b);
    EXPECT_EQ(a.width(), 2480);
    EXPECT_EQ(a.height(), 3508);
    expectSamePixels(a, b);
    // RLE8 needs a BMP.
    EXPECT_NE(std::system((tool + " --rle8 " + tempPath("x.jpg") + " 2> /dev/null").c_str()), 0);
}

TEST(PagegenBmp, MoreThan256ColoursCannotBeAnEightBitPage)
{
    Bitmap page(300, 1);
    for (int x = 0; x < 300; ++x)
        page.setPixel(x, 0, image::argb(255, x % 256, x / 256, 0));
    EXPECT_THROW(pagegen::writeBmp8(tempPath("colours.bmp"), page, true), std::invalid_argument);
}
