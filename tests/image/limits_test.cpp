// Memory before reading: a file's size is looked at before it is read, and a
// header's claimed size takes no memory until the file has shown it holds
// the data.
#include "image/codec.h"
#include "tests/image/fixtures.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>

using namespace rida::image;
using namespace rida::image::testing;

namespace {

std::string loadError(const std::string& path, Bitmap& page, const LoadLimits& limits = {})
{
    try {
        loadPage(path, page, limits);
    } catch (const ImageError& e) {
        return e.what();
    }
    return {};
}

// Rewrites the frame header (any SOF marker) to claim w x h.
Bytes claiming(Bytes jpg, int w, int h)
{
    for (std::size_t i = 2; i + 9 < jpg.size(); ++i) {
        const unsigned m = jpg[i + 1];
        if (jpg[i] == 0xFF && m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            jpg[i + 5] = std::uint8_t(h >> 8), jpg[i + 6] = std::uint8_t(h);
            jpg[i + 7] = std::uint8_t(w >> 8), jpg[i + 8] = std::uint8_t(w);
            return jpg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpg;
}

Bytes head(const Bytes& b, std::size_t n)
{
    return Bytes(b.begin(), b.begin() + std::ptrdiff_t(n));
}

// The largest amount of memory this process has held, in kilobytes.
long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

// Of each format: an empty file, one of 50 bytes, and one whose header claims
// more than the file holds. Each is refused with the file's name, and none
// takes memory for the page it claims.
TEST(EveryFormat, EmptyShortAndLyingFilesAreRefusedBeforeAnyPageMemory)
{
    const Bytes jpeg = makeNoisyJpeg(64, 64);
    const Bytes progressive = makeJpeg(64, 64, 0x808080, JpegKind::Progressive);
    const Bytes bmp = makeBmp({.bpp = 8, .palette = {0, 0xFFFFFF}, .rows = {{0, 1, 0, 1}, {1, 0, 1, 0}}});
    Bytes tallBmp = bmp;
    tallBmp[22] = 0x20, tallBmp[23] = 0x4E; // 20000 rows
    const Bytes rleStream = {0x04, 1, 0x00, 0x00, 0x04, 0, 0x00, 0x00};
    const Bytes rle = makeRleBmp(8, 4, 2, {0, 0xFFFFFF}, rleStream);
    const Bytes tallRle = makeRleBmp(8, 20000, 20000, {0, 0xFFFFFF}, rleStream);
    const Bytes os2 = withInfoSize(bmp, 64);
    Bytes tallOs2 = os2;
    tallOs2[22] = 0x20, tallOs2[23] = 0x4E;
    const Bytes arithmetic = makeArithmeticJpeg(64, 64, 128, true);

    struct Case {
        const char* name;
        Bytes bytes;
        const char* says;
    } cases[] = {
        {"empty.jpg", {}, "비어"},
        {"empty.bmp", {}, "비어"},
        {"short.jpg", head(jpeg, 50), "잘려"},
        {"short_progressive.jpg", head(progressive, 50), "잘려"},
        {"lying.jpg", claiming(jpeg, 20000, 20000), "손상"},
        {"lying_cut.jpg", head(claiming(jpeg, 20000, 20000), jpeg.size() - 2), "잘려"},
        {"lying_progressive.jpg", claiming(progressive, 20000, 20000), "손상"},
        {"lying_arithmetic.jpg", claiming(arithmetic, 20000, 20000), "손상"},
        {"short.bmp", head(bmp, 50), "손상"},
        {"lying.bmp", tallBmp, "잘려"},
        {"short_rle.bmp", head(rle, 50), "손상"},
        {"lying_rle.bmp", tallRle, "잘려"},
        {"short_os2.bmp", head(os2, 50), "손상"},
        {"lying_os2.bmp", tallOs2, "잘려"},
    };
    const long before = peakKilobytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tempPath(c.name);
        writeFile(path, c.bytes);
        Bitmap page;
        const std::string err = loadError(path, page);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_NE(err.find(c.name), std::string::npos) << err;
        EXPECT_TRUE(page.empty());
        EXPECT_EQ(page.capacityPixels(), 0u);
    }
    // 20000 x 20000 pixels are 1.6 GB, their progressive coefficients 0.8 GB
    // more: none of it was ever touched.
    EXPECT_LT(peakKilobytes() - before, 256 * 1024);
}

// Sixty bytes of a progressive JPEG that claims 20000 x 20000 pixels: refused
// from its header, before the decoder sets up its coefficient memory.
TEST(Jpeg, SixtyBytesClaimingAHugeProgressivePageTakeNoMemory)
{
    Bytes b = {0xFF, 0xD8,                                                        // start of image
               0xFF, 0xC2, 0x00, 0x0B, 8, 0x4E, 0x20, 0x4E, 0x20, 1, 1, 0x11, 0}; // progressive frame, grey
    const Bytes table = {0xFF, 0xC4, 0x00, 0x14, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes scan = {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0x00, 0, 0, 0}; // DC scan of the one component
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), scan.begin(), scan.end());
    b.insert(b.end(), 11, 0x00);
    b.insert(b.end(), {0xFF, 0xD9});
    ASSERT_EQ(b.size(), 60u);
    Bitmap page;
    std::string err;
    try {
        decodePage(b.data(), b.size(), "sixty.jpg", page);
    } catch (const ImageError& e) {
        err = e.what();
    }
    EXPECT_NE(err.find("20000 x 20000"), std::string::npos) << err;
    EXPECT_NE(err.find("손상"), std::string::npos) << err;
    EXPECT_EQ(page.capacityPixels(), 0u);
}

TEST(Jpeg, ArithmeticCodedPagesRead)
{
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "sequential");
        const Bytes jpg = makeArithmeticJpeg(40, 24, 200, progressive);
        Bitmap page;
        decodePage(jpg.data(), jpg.size(), "arith.jpg", page);
        ASSERT_EQ(page.width(), 40);
        ASSERT_EQ(page.height(), 24);
        EXPECT_NEAR(redOf(page.pixel(39, 23)), 200, 2);
    }
}

TEST(LoadPage, AFileLargerThanAnyPageIsRefusedBeforeItIsRead)
{
    // A sparse file: its size is all that is there.
    const std::string huge = tempPath("huge.bmp");
    writeFile(huge, makeBmp({.bpp = 24, .rows = {{0}}}));
    std::filesystem::resize_file(huge, kMaxPageFileBytes + 1);
    Bitmap page;
    std::string err = loadError(huge, page);
    EXPECT_NE(err.find("너무 큽니다"), std::string::npos) << err;
    EXPECT_NE(err.find("huge.bmp"), std::string::npos) << err;
    EXPECT_TRUE(page.empty());
    std::filesystem::remove(huge);

    // The same limit, made small, for a real page.
    const std::string path = tempPath("limit.bmp");
    const Bytes bmp = makeBmp({.bpp = 24, .rows = {{1, 2, 3}}});
    writeFile(path, bmp);
    err = loadError(path, page, {.maxFileBytes = bmp.size() - 1});
    EXPECT_NE(err.find("너무 큽니다"), std::string::npos) << err;
    EXPECT_EQ(loadError(path, page, {.maxFileBytes = bmp.size()}), "");
    EXPECT_EQ(page.width(), 3);
}
