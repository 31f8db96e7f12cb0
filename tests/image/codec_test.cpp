#include "image/codec.h"
#include "tests/image/fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace rida::image;
using namespace rida::image::testing;

namespace {

void expectNear(std::uint32_t p, std::uint32_t rgb, int tol)
{
    EXPECT_EQ(alphaOf(p), 255);
    EXPECT_NEAR(redOf(p), int((rgb >> 16) & 0xFF), tol);
    EXPECT_NEAR(greenOf(p), int((rgb >> 8) & 0xFF), tol);
    EXPECT_NEAR(blueOf(p), int(rgb & 0xFF), tol);
}

std::string errorOf(const Bytes& bytes, Bitmap& page, const std::string& name = "page.jpg", LoadLimits limits = {})
{
    try {
        decodePage(bytes.data(), bytes.size(), name, page, limits);
    } catch (const ImageError& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(Sniff, RecognisesByFirstBytesNotName)
{
    const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0};
    const unsigned char bmp[] = {'B', 'M', 0, 0};
    const unsigned char text[] = {'h', 'e', 'l', 'l'};
    EXPECT_EQ(sniffFormat(jpeg, 4), ImageFormat::Jpeg);
    EXPECT_EQ(sniffFormat(bmp, 4), ImageFormat::Bmp);
    EXPECT_EQ(sniffFormat(text, 4), ImageFormat::Unknown);
    EXPECT_EQ(sniffFormat(jpeg, 2), ImageFormat::Unknown);

    // A BMP named .jpg is read as a BMP.
    const std::string path = tempPath("really_a_bmp.jpg");
    writeFile(path, makeBmp({.bpp = 24, .rows = {{0x102030}}}));
    Bitmap page;
    loadPage(path, page);
    ASSERT_EQ(page.width(), 1);
    EXPECT_EQ(page.pixel(0, 0), argb(255, 0x10, 0x20, 0x30));
}

TEST(Jpeg, DecodesEveryKindScannersWrite)
{
    struct Case {
        JpegKind kind;
        std::uint32_t rgb;
    } cases[] = {
        {JpegKind::Colour, 0xC04020},
        {JpegKind::Grey, 0x808080},
        {JpegKind::Progressive, 0x2080C0},
        {JpegKind::Cmyk, 0xE0A040},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.kind));
        const Bytes jpg = makeJpeg(37, 21, c.rgb, c.kind);
        Bitmap page;
        decodePage(jpg.data(), jpg.size(), "x.jpg", page);
        ASSERT_EQ(page.width(), 37);
        ASSERT_EQ(page.height(), 21);
        expectNear(page.pixel(0, 0), c.rgb, 3);
        expectNear(page.pixel(36, 20), c.rgb, 3);
    }
}

TEST(Jpeg, ReusesThePagesMemoryWhenTheNextPageFits)
{
    const Bytes big = makeJpeg(64, 64, 0xFFFFFF, JpegKind::Colour);
    const Bytes small = makeJpeg(32, 48, 0x000000, JpegKind::Colour);
    Bitmap page;
    decodePage(big.data(), big.size(), "a.jpg", page);
    const auto* memory = page.data();
    decodePage(small.data(), small.size(), "b.jpg", page);
    EXPECT_EQ(page.data(), memory);
    EXPECT_EQ(page.width(), 32);
    expectNear(page.pixel(31, 47), 0x000000, 2);
}

TEST(Jpeg, BadFilesGiveAReadableErrorAndAnEmptyPage)
{
    const Bytes good = makeNoisyJpeg(64, 64);
    Bytes truncated(good.begin(), good.begin() + good.size() / 2);
    Bytes headerOnly(good.begin(), good.begin() + 20);
    Bytes garbage = good;
    for (std::size_t i = good.size() / 3; i < good.size() - 2; i += 7)
        garbage[i] = 0xFF;

    struct Case {
        const char* what;
        Bytes bytes;
        const char* says;
    } cases[] = {
        {"empty", {}, "비어"},
        {"text", {'a', 'b', 'c', 'd', 'e'}, "이미지 파일이 아닙니다"},
        {"truncated", truncated, "잘려"},
        {"cut inside its header", headerOnly, "잘려"},
        {"garbage", garbage, "page.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap page(8, 8);
        const std::string err = errorOf(c.bytes, page);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_NE(err.find("page.jpg"), std::string::npos) << err;
        EXPECT_TRUE(page.empty());
    }
    // A failure leaves the decoder usable for the next page.
    Bitmap page;
    decodePage(good.data(), good.size(), "next.jpg", page);
    EXPECT_EQ(page.width(), 64);
}

TEST(Jpeg, RefusesHugeDimensionsBeforeAllocating)
{
    Bytes jpg = makeJpeg(16, 16, 0x808080, JpegKind::Colour);
    // Rewrite the frame header's size to 60000 x 60000.
    bool patched = false;
    for (std::size_t i = 2; i + 9 < jpg.size(); ++i) {
        if (jpg[i] == 0xFF && (jpg[i + 1] == 0xC0 || jpg[i + 1] == 0xC2)) {
            jpg[i + 5] = 0xEA, jpg[i + 6] = 0x60, jpg[i + 7] = 0xEA, jpg[i + 8] = 0x60;
            patched = true;
            break;
        }
    }
    ASSERT_TRUE(patched);
    Bitmap page;
    const std::string err = errorOf(jpg, page);
    EXPECT_NE(err.find("너무 커서"), std::string::npos) << err;
    EXPECT_NE(err.find("60000 x 60000"), std::string::npos) << err;
    EXPECT_EQ(page.capacityPixels(), 0u);
}

// Rewrites a JPEG's frame header to claim w x h.
static Bytes claimingSize(Bytes jpg, int w, int h)
{
    for (std::size_t i = 2; i + 9 < jpg.size(); ++i)
        if (jpg[i] == 0xFF && (jpg[i + 1] == 0xC0 || jpg[i + 1] == 0xC2)) {
            jpg[i + 5] = std::uint8_t(h >> 8), jpg[i + 6] = std::uint8_t(h), jpg[i + 7] = std::uint8_t(w >> 8),
                    jpg[i + 8] = std::uint8_t(w);
            return jpg;
        }
    ADD_FAILURE() << "no frame header";
    return jpg;
}

TEST(Jpeg, AFewBytesClaimingAHugePageAreNotDecodedInFull)
{
    // A 16 x 16 file that claims 12000 x 12000: the decoder stops at the first
    // sign of missing data instead of making up 144 million pixels, and the
    // memory taken for the claimed size is given back.
    // The file still ends with its end marker, so it is damaged, not cut short;
    // cut after its header, it is cut short.
    const Bytes jpg = claimingSize(makeJpeg(16, 16, 0x808080, JpegKind::Colour), 12000, 12000);
    const Bytes cut(jpg.begin(), jpg.end() - 4);
    for (const auto& [bytes, says] : {std::pair{jpg, "손상"}, std::pair{cut, "잘려"}}) {
        SCOPED_TRACE(says);
        Bitmap page;
        const std::string err = errorOf(bytes, page);
        EXPECT_NE(err.find(says), std::string::npos) << err;
        EXPECT_TRUE(page.empty());
        EXPECT_EQ(page.capacityPixels(), 0u);
    }
}

// Scanners leave stray bytes between segments: before the end marker, and in
// the header before a table or the scan itself. Each still gives the whole page.
TEST(Jpeg, StrayBytesBeforeAMarkerStillGiveTheWholePage)
{
    const Bytes clean = makeNoisyJpeg(48, 40);
    ASSERT_GE(clean.size(), 2u);
    const auto markerAt = [&](unsigned char code) {
        for (std::size_t i = 2; i + 1 < clean.size(); ++i)
            if (clean[i] == 0xFF && clean[i + 1] == code)
                return i;
        ADD_FAILURE() << "no marker " << int(code);
        return std::size_t(2);
    };
    struct Case {
        const char* where;
        std::size_t at;
    } cases[] = {{"before the end marker", clean.size() - 2},
                 {"before the first table", markerAt(0xDB)},
                 {"before the scan", markerAt(0xDA)}};
    Bitmap expected;
    decodePage(clean.data(), clean.size(), "clean.jpg", expected);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Bytes stray = clean;
        stray.insert(stray.begin() + std::ptrdiff_t(c.at), {0x00, 0x11, 0x22});
        Bitmap page;
        ASSERT_EQ(errorOf(stray, page), "");
        ASSERT_EQ(page.width(), expected.width());
        ASSERT_EQ(page.height(), expected.height());
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                ASSERT_EQ(page.pixel(x, y), expected.pixel(x, y)) << x << ',' << y;
    }
}

// Stray bytes are read over, but they must not hide what comes after them: a
// file with stray bytes that is then cut short or damaged still fails.
TEST(Jpeg, StrayBytesDoNotHideALaterFault)
{
    const Bytes clean = makeNoisyJpeg(64, 64);
    std::size_t scan = 0;
    for (std::size_t i = 2; i + 1 < clean.size() && !scan; ++i)
        if (clean[i] == 0xFF && clean[i + 1] == 0xDA)
            scan = i;
    ASSERT_GT(scan, 0u);
    Bytes stray = clean;
    stray.insert(stray.begin() + std::ptrdiff_t(scan), {0x00, 0x11, 0x22});
    const std::size_t data = scan + 3 + 14; // past the stray bytes and the scan header
    Bytes cut(stray.begin(), stray.begin() + std::ptrdiff_t(data + (stray.size() - data) / 2));
    Bytes damaged = stray;
    for (std::size_t i = data + 40; i < damaged.size() - 2; i += 5)
        damaged[i] = 0xFF;

    struct Case {
        const char* what;
        const Bytes& bytes;
        const char* says;
    } cases[] = {{"then cut short", cut, "잘려"}, {"then damaged", damaged, "page.jpg"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap page(8, 8);
        const std::string err = errorOf(c.bytes, page);
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_TRUE(page.empty());
    }
}

// A JFIF revision the decoder does not know is only a warning: the page is whole.
TEST(Jpeg, AnUnknownJfifRevisionStillGivesThePage)
{
    Bytes jpeg = makeNoisyJpeg(16, 16);
    ASSERT_TRUE(jpeg.size() > 20 && jpeg[2] == 0xFF && jpeg[3] == 0xE0 && jpeg[6] == 'J' && jpeg[7] == 'F');
    Bitmap expected;
    decodePage(jpeg.data(), jpeg.size(), "a.jpg", expected);
    jpeg[11] = 2; // major revision 2
    Bitmap page;
    ASSERT_EQ(errorOf(jpeg, page), "");
    ASSERT_EQ(page.width(), 16);
    EXPECT_EQ(page.pixel(7, 9), expected.pixel(7, 9));
}

TEST(Bmp, ReadsEveryDepthBothRowOrders)
{
    const std::vector<std::uint32_t> pal = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00};
    // Width 3 needs row padding at every depth.
    const std::vector<std::vector<std::uint32_t>> idx = {{0, 1, 2}, {3, 2, 1}};
    const std::vector<std::vector<std::uint32_t>> rgb = {{0x000000, 0xFFFFFF, 0xFF0000},
                                                         {0x00FF00, 0xFF0000, 0xFFFFFF}};
    const std::uint32_t want[2][3] = {{0x000000, 0xFFFFFF, 0xFF0000}, {0x00FF00, 0xFF0000, 0xFFFFFF}};
    for (bool topDown : {false, true}) {
        for (int bpp : {1, 4, 8, 24, 32}) {
            SCOPED_TRACE(std::to_string(bpp) + (topDown ? " top-down" : " bottom-up"));
            BmpFixture s{.bpp = bpp, .topDown = topDown};
            if (bpp == 1) {
                s.palette = {0x000000, 0xFFFFFF};
                s.rows = {{0, 1, 0}, {1, 0, 1}};
            } else if (bpp <= 8) {
                s.palette = pal;
                s.rows = idx;
            } else {
                s.rows = rgb;
            }
            const Bytes b = makeBmp(s);
            Bitmap page;
            decodePage(b.data(), b.size(), "p.bmp", page);
            ASSERT_EQ(page.width(), 3);
            ASSERT_EQ(page.height(), 2);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x) {
                    const std::uint32_t expect = bpp == 1 ? ((x + y) % 2 ? 0xFFFFFF : 0x000000) : want[y][x];
                    EXPECT_EQ(page.pixel(x, y), 0xFF000000u | expect) << x << "," << y;
                }
        }
    }
}

TEST(Bmp, ReadsBitfields)
{
    // 16-bit 5-6-5: full red, full green, full blue.
    const Bytes b =
        makeBmp({.bpp = 16, .rows = {{0xF800, 0x07E0, 0x001F}}, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}});
    Bitmap page;
    decodePage(b.data(), b.size(), "p.bmp", page);
    ASSERT_EQ(page.width(), 3);
    EXPECT_EQ(page.pixel(0, 0), argb(255, 255, 0, 0));
    EXPECT_EQ(page.pixel(1, 0), argb(255, 0, 255, 0));
    EXPECT_EQ(page.pixel(2, 0), argb(255, 0, 0, 255));
}

TEST(Bmp, HeadersThatLieGiveAnErrorNeverAnOverread)
{
    const Bytes good = makeBmp({.bpp = 24, .rows = {{1, 2, 3}, {4, 5, 6}}});
    auto patched = [&](std::size_t at, std::uint32_t v, int bytes = 4) {
        Bytes b = good;
        for (int i = 0; i < bytes; ++i)
            b[at + i] = (v >> (8 * i)) & 0xFF;
        return b;
    };
    struct Case {
        const char* what;
        Bytes bytes;
        const char* says;
    } cases[] = {
        {"taller than its data", patched(22, 1000), "잘려"},
        {"wider than its data", patched(18, 1000), "잘려"},
        {"pixels past the end", patched(10, 100000), "손상"},
        {"pixels inside the header", patched(10, 20), "손상"},
        {"zero width", patched(18, 0), "크기가 0"},
        {"negative width", patched(18, std::uint32_t(-100)), "음수"},
        {"INT_MIN height", patched(22, 0x80000000u), "너무 커서"},
        {"huge", patched(22, 0x7FFFFFFF), "너무 커서"},
        {"7 bits", patched(28, 7, 2), "7비트"},
        {"RLE", patched(30, 1), "RLE"},
        {"info size past the end", patched(14, 5000), "손상"},
        {"cut in the header", Bytes(good.begin(), good.begin() + 30), "BMP"},
        {"cut in the pixels", Bytes(good.begin(), good.end() - 4), "잘려"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap page;
        const std::string err = errorOf(c.bytes, page, "lie.bmp");
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_NE(err.find("lie.bmp"), std::string::npos) << err;
        EXPECT_TRUE(page.empty());
        // Refused before any pixel memory was taken.
        EXPECT_EQ(page.capacityPixels(), 0u);
    }
}

// The old core header (12 bytes) holds unsigned 16-bit sizes and is always
// bottom-up: a height above 32767 is that many rows, not a top-down page.
TEST(Bmp, CoreHeaderSizesAreUnsigned)
{
    const auto coreBmp = [](int w, int h, std::size_t rowsGiven) {
        const std::size_t row = (std::size_t(w) * 3 + 3) / 4 * 4;
        Bytes b(14 + 12 + row * rowsGiven, 0);
        auto put16 = [&](std::size_t at, unsigned v) {
            b[at] = v & 0xFF;
            b[at + 1] = (v >> 8) & 0xFF;
        };
        b[0] = 'B';
        b[1] = 'M';
        put16(2, unsigned(b.size()));
        put16(10, 26);
        put16(14, 12);
        put16(18, unsigned(w));
        put16(20, unsigned(h));
        put16(22, 1);
        put16(24, 24);
        // The first row in the file is the bottom one: make it red.
        if (rowsGiven > 0)
            for (int x = 0; x < w; ++x)
                b[26 + std::size_t(x) * 3 + 2] = 0xFF;
        return b;
    };
    Bitmap page;
    const Bytes small = coreBmp(2, 3, 3);
    decodePage(small.data(), small.size(), "core.bmp", page);
    ASSERT_EQ(page.height(), 3);
    EXPECT_EQ(page.pixel(0, 2), argb(255, 255, 0, 0));
    EXPECT_EQ(page.pixel(0, 0), argb(255, 0, 0, 0));
    const std::string err = errorOf(coreBmp(8, 40000, 2), page, "tall.bmp");
    EXPECT_NE(err.find("잘려"), std::string::npos) << err;
    EXPECT_TRUE(page.empty());
}

TEST(Bmp, PaletteShorterThanDeclaredUsesWhatIsThere)
{
    BmpFixture s{.bpp = 8, .palette = {0x112233, 0x445566}, .rows = {{0, 1, 200}}};
    const Bytes b = makeBmp(s);
    Bitmap page;
    decodePage(b.data(), b.size(), "p.bmp", page);
    EXPECT_EQ(page.pixel(1, 0), argb(255, 0x44, 0x55, 0x66));
    EXPECT_EQ(page.pixel(2, 0), argb(255, 0, 0, 0)); // index past the palette
}

TEST(SaveBmp32, RoundTripsAndReplacesTheFile)
{
    Bitmap page(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            page.setPixel(x, y, argb(255, x * 40, y * 80, 7));
    const std::string path = tempPath("saved.bmp");
    writeFile(path, Bytes(100000, 'x'));
    saveBmp32(path, page);
    EXPECT_EQ(std::filesystem::file_size(path), 54u + 5 * 3 * 4);
    Bitmap back;
    loadPage(path, back);
    ASSERT_EQ(back.width(), 5);
    ASSERT_EQ(back.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(back.pixel(x, y), page.pixel(x, y));
}

TEST(LoadPage, MissingFileNamesIt)
{
    Bitmap page;
    try {
        loadPage("/nonexistent/없는파일.jpg", page);
        FAIL();
    } catch (const ImageError& e) {
        EXPECT_NE(std::string(e.what()).find("없는파일.jpg"), std::string::npos);
    }
    try {
        saveBmp32("/nonexistent/dir/out.bmp", Bitmap(1, 1));
        FAIL();
    } catch (const ImageError& e) {
        EXPECT_NE(std::string(e.what()).find("out.bmp"), std::string::npos);
    }
}

// The inputs the fuzzers kept (tests/fuzz/corpus): each gives a whole page or
// an ImageError with an empty page, also in the sanitizer build.
TEST(FuzzCorpus, EveryKeptInputGivesAPageOrAnError)
{
    namespace fs = std::filesystem;
    // tests/fuzz/corpus, beside the test data folder (which need not exist).
    const fs::path corpus = fs::path(RIDA_TEST_DATA).parent_path() / "fuzz" / "corpus";
    int inputs = 0, pages = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file())
            continue;
        ++inputs;
        std::ifstream in(entry.path(), std::ios::binary);
        const bool bmp = entry.path().parent_path().filename() == "bmp";
        // The BMP fuzzer puts the "BM" in front of every input itself.
        Bytes bytes = bmp ? Bytes{'B', 'M'} : Bytes{};
        bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), {});
        Bitmap page(4, 4);
        const std::string name = bmp ? "input.bmp" : "input.jpg";
        try {
            decodePage(bytes.data(), bytes.size(), name, page, {.maxPixels = 1 << 22});
            EXPECT_FALSE(page.empty()) << entry.path();
            ++pages;
        } catch (const ImageError&) {
            EXPECT_TRUE(page.empty()) << entry.path();
        }
    }
    EXPECT_GT(inputs, 0) << "no corpus at " << corpus;
    EXPECT_GT(pages, 0) << "no input gives a page";
}
