// Loading only part of a page: inside the asked rectangle the pixels are
// exactly those of loading the whole page, for every kind of JPEG and BMP,
// and a damaged file fails with the message of the whole-page load.
#include "image/codec.h"
#include "tests/image/fixtures.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using namespace rida::image;
using namespace rida::image::testing;

namespace {

constexpr std::uint32_t kPoison = 0xFF123456u;

// Smooth colour gradients with noise on top: the chroma varies from block to
// block, so an upsampling that lacks its neighbours shows at once.
Bytes makeTextureJpeg(int w, int h, int subsamp, bool progressive)
{
    std::vector<unsigned char> src(std::size_t(w) * h * 3);
    std::uint32_t seed = 777;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &src[(std::size_t(y) * w + x) * 3];
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 27) - 16;
            p[0] = (unsigned char)std::clamp(x * 255 / w + noise, 0, 255);
            p[1] = (unsigned char)std::clamp(y * 255 / h - noise, 0, 255);
            p[2] = (unsigned char)std::clamp(((x / 5 + y / 7) % 2) * 200 + noise + 20, 0, 255);
        }
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(tj, src.data(), w, w * 3, h, TJPF_RGB, &out, &size, subsamp, 85,
                    progressive ? TJFLAG_PROGRESSIVE : 0) != 0)
        throw std::runtime_error(tjGetErrorStr2(tj));
    Bytes b(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return b;
}

// Pixels of `rect` (clipped to the page) that differ between the two pages.
int differingIn(const Bitmap& whole, const Bitmap& part, RectI rect)
{
    rect = rect.intersected({0, 0, whole.width(), whole.height()});
    int differing = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            differing += whole.pixel(x, y) != part.pixel(x, y);
    return differing;
}

// The rectangles asked for on a page of 203 x 157: inside, at each edge, off
// the page, empty and the whole page.
const std::vector<RectI>& rects()
{
    static const std::vector<RectI> list = {
        {37, 29, 101, 77},
        {0, 0, 50, 40},
        {150, 100, 203, 157},
        {-20, 60, 300, 61},
        {17, 0, 18, 157},
        {-50, -50, 400, 400},
        {},
        {300, 300, 400, 400},
    };
    return list;
}

void expectRegionsAsWhole(const Bytes& bytes)
{
    Bitmap whole;
    decodePage(bytes.data(), bytes.size(), "whole.jpg", whole);
    for (const RectI& rect : rects()) {
        SCOPED_TRACE(::testing::Message() << rect.left << "," << rect.top << " - " << rect.right << "," << rect.bottom);
        Bitmap part(whole.width(), whole.height());
        part.fill(kPoison);
        int asked = 0;
        decodePageRegion(bytes.data(), bytes.size(), "part.jpg", part, [&](int w, int h) {
            ++asked;
            EXPECT_EQ(w, whole.width());
            EXPECT_EQ(h, whole.height());
            return rect;
        });
        EXPECT_EQ(asked, 1);
        ASSERT_EQ(part.width(), whole.width());
        ASSERT_EQ(part.height(), whole.height());
        EXPECT_EQ(differingIn(whole, part, rect), 0);
    }
}

} // namespace

TEST(PageRegion, JpegOfEverySamplingBaselineAndProgressive)
{
    for (const int subsamp : {TJSAMP_444, TJSAMP_422, TJSAMP_420, TJSAMP_440, TJSAMP_411, TJSAMP_GRAY})
        for (const bool progressive : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "sampling " << subsamp << (progressive ? " progressive" : ""));
            expectRegionsAsWhole(makeTextureJpeg(203, 157, subsamp, progressive));
        }
}

TEST(PageRegion, ArithmeticCmykAndGreyJpeg)
{
    expectRegionsAsWhole(makeArithmeticJpeg(203, 157, 90, false));
    expectRegionsAsWhole(makeArithmeticJpeg(203, 157, 90, true));
    expectRegionsAsWhole(makeJpeg(203, 157, 0xE0A040, JpegKind::Cmyk));
    expectRegionsAsWhole(makeJpeg(203, 157, 0x808080, JpegKind::Grey));
}

TEST(PageRegion, BmpOfEveryDepthBothRowOrders)
{
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(0x010203u * std::uint32_t(i % 80));
    for (const int bpp : {1, 4, 8, 16, 24, 32})
        for (const bool topDown : {false, true}) {
            SCOPED_TRACE(::testing::Message() << bpp << " bits" << (topDown ? " top-down" : ""));
            BmpFixture f{.bpp = bpp, .topDown = topDown};
            if (bpp <= 8)
                f.palette.assign(palette.begin(), palette.begin() + (1 << std::min(bpp, 8)));
            std::uint32_t seed = 5;
            for (int y = 0; y < 157; ++y) {
                f.rows.emplace_back();
                for (int x = 0; x < 203; ++x) {
                    seed = seed * 1664525u + 1013904223u;
                    f.rows.back().push_back(bpp <= 8 ? (seed >> 24) % (1u << bpp)
                                                     : (bpp == 16 ? (seed >> 17) & 0x7FFF : seed >> 8));
                }
            }
            expectRegionsAsWhole(makeBmp(f));
        }
}

TEST(PageRegion, DamageOutsideTheRegionFailsAsTheWholeLoad)
{
    const Bytes good = makeTextureJpeg(203, 157, TJSAMP_420, false);
    // Cut or spoilt near the end: in lines far below the rectangle asked for.
    Bytes cut(good.begin(), good.begin() + std::ptrdiff_t(good.size() * 9 / 10));
    Bytes spoilt = good;
    for (std::size_t i = good.size() * 9 / 10; i < good.size() - 2; i += 5)
        spoilt[i] = 0xFF;
    BmpFixture f{.bpp = 24};
    f.rows.assign(157, std::vector<std::uint32_t>(203, 0x336699));
    Bytes bmp = makeBmp(f);
    bmp.resize(bmp.size() - 100);
    for (const Bytes* bytes : {&cut, &spoilt, &bmp}) {
        std::string whole, part;
        Bitmap page;
        try {
            decodePage(bytes->data(), bytes->size(), "page", page);
        } catch (const ImageError& e) {
            whole = e.what();
        }
        page.resize(8, 8);
        try {
            decodePageRegion(bytes->data(), bytes->size(), "page", page, [](int, int) { return RectI{0, 0, 40, 20}; });
        } catch (const ImageError& e) {
            part = e.what();
        }
        EXPECT_FALSE(whole.empty());
        EXPECT_EQ(part, whole);
        EXPECT_TRUE(page.empty());
    }
}
