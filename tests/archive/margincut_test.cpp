// The blank-margin cut: JPEG pages cut in their compressed data on the MCU
// grid with the pixels that stay exactly as they were, BMP pages cut to the
// pixel column, and the pages that are kept whole with a note.

#include "archive/error.h"
#include "archive/margincut.h"
#include "tests/archive/fixture.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdint>
#include <vector>

namespace rida::archive::testing {
namespace {

// A white page with a dark block over columns [inkFrom, inkTo) and a faint
// grey (paper tone) everywhere else, as a scanner leaves the paper.
std::vector<std::uint8_t> pagePixels(int width, int height, int inkFrom, int inkTo)
{
    std::vector<std::uint8_t> grey(std::size_t(width) * std::size_t(height), 246);
    for (int y = height / 4; y < height * 3 / 4; ++y)
        for (int x = inkFrom; x < inkTo; ++x)
            grey[std::size_t(y) * std::size_t(width) + std::size_t(x)] = std::uint8_t((x * 7 + y * 3) % 90);
    return grey;
}

QByteArray jpegOf(const std::vector<std::uint8_t>& grey, int width, int height, int subsampling)
{
    tjhandle handle = tjInitCompress();
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* pixels = grey.data();
    int format = TJPF_GRAY;
    if (subsampling != TJSAMP_GRAY) {
        // Paper stays grey; the ink is blue, so the chroma planes carry it too.
        for (std::uint8_t g : grey)
            if (g >= 200)
                rgb.insert(rgb.end(), {g, g, g});
            else
                rgb.insert(rgb.end(), {g, std::uint8_t(g / 2), std::uint8_t(255 - g)});
        pixels = rgb.data();
        format = TJPF_RGB;
    }
    unsigned char* out = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, pixels, width, 0, height, format, &out, &size, subsampling, 95, 0), 0);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(handle);
    return bytes;
}

// The page decoded in full, grey.
std::vector<std::uint8_t> decode(const QByteArray& jpeg, int& width, int& height)
{
    tjhandle handle = tjInitDecompress();
    int subsampling = 0, colourspace = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
    EXPECT_EQ(tjDecompressHeader3(handle, data, jpeg.size(), &width, &height, &subsampling, &colourspace), 0);
    std::vector<std::uint8_t> grey(std::size_t(width) * std::size_t(height));
    EXPECT_EQ(tjDecompress2(handle, data, jpeg.size(), grey.data(), width, 0, height, TJPF_GRAY, 0), 0);
    tjDestroy(handle);
    return grey;
}

struct JpegCase {
    const char* name;
    int subsampling;
    MarginSide side;
    int keptFrom, keptWidth; // the part of the page that stays, in page pixels
};

class JpegMarginCut : public ::testing::TestWithParam<JpegCase> {};

// Ink over columns 100..179 of a 256 x 64 page. A left cut leaves one block of
// paper and lands on the MCU grid (8 for grey and 4:4:4, 16 for 4:2:0); a
// right cut leaves one block of paper after the last inked block.
INSTANTIATE_TEST_SUITE_P(Pages, JpegMarginCut,
                         ::testing::Values(JpegCase{"grey_left", TJSAMP_GRAY, MarginSide::Left, 88, 168},
                                           JpegCase{"full_chroma_left", TJSAMP_444, MarginSide::Left, 88, 168},
                                           JpegCase{"half_chroma_left", TJSAMP_420, MarginSide::Left, 80, 176},
                                           JpegCase{"grey_right", TJSAMP_GRAY, MarginSide::Right, 0, 192},
                                           JpegCase{"half_chroma_right", TJSAMP_420, MarginSide::Right, 0, 192}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(JpegMarginCut, CutsTheBlankColumnsAndKeepsEveryOtherPixelAsItWas)
{
    const JpegCase c = GetParam();
    const QByteArray page = jpegOf(pagePixels(256, 64, 100, 180), 256, 64, c.subsampling);
    const MarginCut cut = cutMargin(page, c.side);
    EXPECT_EQ(cut.size.width, c.keptWidth);
    EXPECT_EQ(cut.size.height, 64);
    EXPECT_EQ(cut.cutColumns, 256 - c.keptWidth);
    EXPECT_TRUE(cut.note.isEmpty());

    int width = 0, height = 0, cutWidth = 0, cutHeight = 0;
    const std::vector<std::uint8_t> before = decode(page, width, height);
    const std::vector<std::uint8_t> after = decode(cut.bytes, cutWidth, cutHeight);
    ASSERT_EQ(cutWidth, c.keptWidth);
    // A crop of the compressed blocks decodes to the same pixels; decoding and
    // encoding again would not. Chroma upsampling may differ by a level or so
    // at the new edge of a subsampled page, so the edge blocks are left out there.
    const int edge = c.subsampling == TJSAMP_420 ? 16 : 0;
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = edge; x < cutWidth - edge; ++x)
            differing += after[std::size_t(y * cutWidth + x)] != before[std::size_t(y * width + x + c.keptFrom)];
    EXPECT_EQ(differing, 0);
}

TEST(MarginCut, PagesThatAreStoredWhole)
{
    const QByteArray inkToTheEdges = jpegOf(pagePixels(128, 32, 0, 128), 128, 32, TJSAMP_GRAY);
    const QByteArray blank = jpegOf(pagePixels(128, 32, 0, 0), 128, 32, TJSAMP_GRAY);
    struct Case {
        const char* name;
        QByteArray page;
        MarginSide side;
        bool noted;
    };
    const std::vector<Case> cases{
        {"no cut asked", jpegOf(pagePixels(128, 32, 60, 70), 128, 32, TJSAMP_GRAY), MarginSide::None, false},
        {"ink up to the left edge", inkToTheEdges, MarginSide::Left, false},
        {"ink up to the right edge", inkToTheEdges, MarginSide::Right, false},
        {"nothing on the page", blank, MarginSide::Left, true},
        {"neither JPEG nor BMP", QByteArray("\x89PNG\r\n\x1a\n...."), MarginSide::Right, true},
    };
    for (const Case& c : cases) {
        const MarginCut cut = cutMargin(c.page, c.side);
        EXPECT_EQ(cut.bytes, c.page) << c.name;
        EXPECT_EQ(cut.cutColumns, 0) << c.name;
        EXPECT_EQ(!cut.note.isEmpty(), c.noted) << c.name << ": " << cut.note.toStdString();
    }
}

TEST(MarginCut, ABrokenJpegIsRefusedInKorean)
{
    QByteArray page = jpegOf(pagePixels(64, 16, 20, 30), 64, 16, TJSAMP_GRAY).left(40);
    const ArchiveError e = thrown([&] { cutMargin(page, MarginSide::Left); });
    EXPECT_EQ(e.failure(), Failure::Invalid);
    EXPECT_TRUE(e.text().contains(QStringLiteral("공백을 자르지 못했습니다"))) << e.text().toStdString();
}

// ---- BMP ----------------------------------------------------------------------

void put(QByteArray& b, int at, std::uint32_t v, int bytes)
{
    for (int k = 0; k < bytes; ++k)
        b[at + k] = char((v >> (8 * k)) & 0xFF);
}

// An uncompressed bottom-up BMP of `bits` bits per pixel; `ink(x, y)` says
// which pixels are dark. Paletted pages use white as colour 0, black as 1.
QByteArray bmpOf(int width, int height, int bits, const std::function<bool(int, int)>& ink,
                 std::uint32_t compression = 0)
{
    const int colours = bits <= 8 ? 1 << bits : 0;
    const int stride = (width * bits + 31) / 32 * 4;
    const int pixelsAt = 14 + 40 + 4 * colours;
    QByteArray b(pixelsAt + stride * height, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put(b, 2, std::uint32_t(b.size()), 4);
    put(b, 10, std::uint32_t(pixelsAt), 4);
    put(b, 14, 40, 4);
    put(b, 18, std::uint32_t(width), 4);
    put(b, 22, std::uint32_t(height), 4);
    put(b, 26, 1, 2);
    put(b, 28, std::uint32_t(bits), 2);
    put(b, 30, compression, 4);
    put(b, 34, std::uint32_t(stride * height), 4);
    for (int k = 0; k < colours; ++k)
        put(b, 54 + 4 * k, k == 0 ? 0xFFFFFF : 0x000000, 4);
    for (int y = 0; y < height; ++y) {
        char* row = b.data() + pixelsAt + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const bool dark = ink(x, y);
            if (bits >= 24) {
                for (int c = 0; c < bits / 8; ++c)
                    row[x * bits / 8 + c] = char(dark ? 0x20 + x % 7 : 0xFF);
            } else if (dark) {
                const int bit = x * bits;
                row[bit / 8] = char(std::uint8_t(row[bit / 8]) | (1 << (8 - bits - bit % 8)));
            }
        }
    }
    return b;
}

TEST(MarginCut, ABmpPageLosesExactlyItsBlankColumns)
{
    // Ink over columns 45..70 of a 101-pixel-wide page: blank blocks 0..4 on
    // the left (one kept: 32 columns cut), blocks 9..12 on the right.
    auto ink = [](int x, int y) { return x >= 45 && x < 71 && y > 3 && (x + y) % 3 != 0; };
    struct Case {
        int bits;
        MarginSide side;
        int keptFrom, keptWidth;
    };
    for (const Case c :
         {Case{24, MarginSide::Left, 32, 69}, Case{32, MarginSide::Right, 0, 80}, Case{8, MarginSide::Left, 32, 69},
          Case{1, MarginSide::Left, 32, 69}, Case{4, MarginSide::Right, 0, 80}}) {
        SCOPED_TRACE(c.bits);
        const QByteArray page = bmpOf(101, 20, c.bits, ink);
        const MarginCut cut = cutMargin(page, c.side);
        ASSERT_EQ(cut.size.width, c.keptWidth);
        EXPECT_EQ(cut.cutColumns, 101 - c.keptWidth);
        if (c.bits >= 24) {
            // The pixel bytes of the kept columns are the original's, shifted left.
            const int pixelsAt = 54, oldStride = (101 * c.bits + 31) / 32 * 4,
                      newStride = (c.keptWidth * c.bits + 31) / 32 * 4;
            for (int y = 0; y < 20; ++y)
                EXPECT_EQ(cut.bytes.mid(pixelsAt + y * newStride, c.keptWidth * c.bits / 8),
                          page.mid(pixelsAt + y * oldStride + c.keptFrom * c.bits / 8, c.keptWidth * c.bits / 8));
            EXPECT_EQ(cut.bytes.size(), pixelsAt + 20 * newStride);
        } else {
            // Headers, palette and rows as a page drawn at the kept width would have them.
            EXPECT_EQ(cut.bytes, bmpOf(c.keptWidth, 20, c.bits, [&](int x, int y) { return ink(x + c.keptFrom, y); }));
        }
    }
}

TEST(MarginCut, ACompressedBmpIsStoredWholeWithANote)
{
    const QByteArray page = bmpOf(
        40, 8, 8, [](int x, int) { return x > 30; }, 1 /* RLE8 */);
    const MarginCut cut = cutMargin(page, MarginSide::Left);
    EXPECT_EQ(cut.bytes, page);
    EXPECT_TRUE(cut.note.contains(QStringLiteral("공백을 자르지 않고 그대로 저장합니다"))) << cut.note.toStdString();
}

} // namespace
} // namespace rida::archive::testing
