#include "archive/margincut.h"

#include "archive/error.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace rida::archive {

namespace {

constexpr int kBlock = 8; // page pixels per value of the grey view, each way

// The eighth-size grey view: one mean per 8 x 8 block, rows top-down.
struct GreyView {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> values;
    std::uint8_t at(int x, int y) const { return values[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// Blank block columns counted from the edge at `side`; the view's width when
// the whole view is blank.
int blankColumns(const GreyView& view, MarginSide side, int tolerance)
{
    const int white = 255 - std::clamp(tolerance, 0, 255);
    auto blank = [&](int x) {
        for (int y = 0; y < view.height; ++y)
            if (view.at(x, y) < white)
                return false;
        return true;
    };
    int count = 0;
    while (count < view.width && blank(side == MarginSide::Left ? count : view.width - 1 - count))
        ++count;
    return count;
}

// The page columns to keep, [keepFrom, keepTo), after a margin of `blank`
// block columns at `side`, one block column of paper left beside the content.
// `leftStep` is the grid the left edge of the kept part must lie on.
std::pair<int, int> keptColumns(int pageWidth, int blank, MarginSide side, int leftStep)
{
    const int margin = std::max(0, blank - 1) * kBlock;
    if (side == MarginSide::Left)
        return {std::min(margin, pageWidth) / leftStep * leftStep, pageWidth};
    // The right-most block column may be narrower than a block.
    const int viewWidth = (pageWidth + kBlock - 1) / kBlock;
    const int blankFrom = (viewWidth - blank) * kBlock;
    return {0, std::clamp(blankFrom + kBlock, 0, pageWidth)};
}

[[noreturn]] void unreadable(const QString& kind, const QString& reason)
{
    throw ArchiveError(Failure::Invalid,
                       QStringLiteral("%1 이미지를 읽을 수 없어 공백을 자르지 못했습니다: %2").arg(kind, reason));
}

// ---- JPEG -------------------------------------------------------------------

struct TjFree {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjFree>;

bool isJpeg(const QByteArray& page)
{
    return page.size() >= 3 && std::uint8_t(page[0]) == 0xFF && std::uint8_t(page[1]) == 0xD8 &&
           std::uint8_t(page[2]) == 0xFF;
}

struct JpegHeader {
    int width = 0, height = 0, subsampling = 0;
};

std::optional<JpegHeader> jpegHeader(tjhandle handle, const QByteArray& page)
{
    JpegHeader h;
    int colourspace = 0;
    if (tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(page.constData()),
                            static_cast<unsigned long>(page.size()), &h.width, &h.height, &h.subsampling,
                            &colourspace) != 0 ||
        h.width <= 0 || h.height <= 0)
        return std::nullopt;
    return h;
}

MarginCut cutJpeg(const QByteArray& page, MarginSide side, int tolerance)
{
    const TjHandle decoder(tjInitDecompress());
    if (!decoder)
        unreadable(QStringLiteral("JPEG"), QString::fromLocal8Bit(tjGetErrorStr2(nullptr)));
    const std::optional<JpegHeader> header = jpegHeader(decoder.get(), page);
    if (!header)
        unreadable(QStringLiteral("JPEG"), QString::fromLocal8Bit(tjGetErrorStr2(decoder.get())));
    MarginCut cut{page, {header->width, header->height}, 0, QString()};
    if (side == MarginSide::None)
        return cut;

    // An eighth-size decode reads only each block's mean (its DC value): fast,
    // and the mean is what the margin is judged on.
    GreyView view;
    view.width = TJSCALED(header->width, (tjscalingfactor{1, kBlock}));
    view.height = TJSCALED(header->height, (tjscalingfactor{1, kBlock}));
    view.values.resize(std::size_t(view.width) * std::size_t(view.height));
    if (tjDecompress2(decoder.get(), reinterpret_cast<const unsigned char*>(page.constData()),
                      static_cast<unsigned long>(page.size()), view.values.data(), view.width, view.width, view.height,
                      TJPF_GRAY, TJFLAG_FASTDCT) != 0 &&
        tjGetErrorCode(decoder.get()) == TJERR_FATAL)
        unreadable(QStringLiteral("JPEG"), QString::fromLocal8Bit(tjGetErrorStr2(decoder.get())));

    const int blank = blankColumns(view, side, tolerance);
    if (blank >= view.width) {
        cut.note = QStringLiteral("페이지 전체가 빈 종이로 보여 공백을 자르지 않았습니다.");
        return cut;
    }
    const int mcuWidth = tjMCUWidth[header->subsampling];
    const auto [keepFrom, keepTo] = keptColumns(header->width, blank, side, mcuWidth);
    if (keepTo - keepFrom == header->width)
        return cut;

    const TjHandle transformer(tjInitTransform());
    tjtransform crop{};
    crop.r = {keepFrom, 0, keepTo - keepFrom, header->height};
    crop.op = TJXOP_NONE;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    auto run = [&](int options) {
        crop.options = TJXOPT_CROP | options;
        return tjTransform(transformer.get(), reinterpret_cast<const unsigned char*>(page.constData()),
                           static_cast<unsigned long>(page.size()), 1, &out, &outSize, &crop, 0);
    };
    // A plain crop is perfect whenever its left edge lies on the MCU grid; the
    // second try only matters for data that libjpeg-turbo judges otherwise.
    if (run(TJXOPT_PERFECT) != 0 && run(0) != 0) {
        tjFree(out);
        unreadable(QStringLiteral("JPEG"), QString::fromLocal8Bit(tjGetErrorStr2(transformer.get())));
    }
    cut.bytes = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    tjFree(out);
    cut.size = {keepTo - keepFrom, header->height};
    cut.cutColumns = header->width - cut.size.width;
    return cut;
}

// ---- BMP --------------------------------------------------------------------

std::uint32_t le32(const QByteArray& b, qsizetype at)
{
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | std::uint8_t(b[at + k]);
    return v;
}
std::uint16_t le16(const QByteArray& b, qsizetype at)
{
    return std::uint16_t(std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8));
}
void put32(QByteArray& b, qsizetype at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        b[at + k] = char((v >> (8 * k)) & 0xFF);
}

bool isBmp(const QByteArray& page)
{
    return page.size() >= 26 && page[0] == 'B' && page[1] == 'M';
}

struct BmpLayout {
    qsizetype pixelsAt = 0;
    int infoSize = 0;
    int width = 0;
    int height = 0; // rows, positive
    int bitsPerPixel = 0;
    std::uint32_t compression = 0;
    qsizetype stride = 0; // bytes per stored row
    std::vector<std::uint8_t> paletteGrey;
};

constexpr std::uint32_t kBiRgb = 0, kBiBitfields = 3;

int strideOf(int width, int bitsPerPixel)
{
    return int((std::int64_t(width) * bitsPerPixel + 31) / 32 * 4);
}

std::uint8_t grey(int r, int g, int b)
{
    return std::uint8_t((r * 299 + g * 587 + b * 114 + 500) / 1000);
}

// Reads the headers; nullopt for a file that is not a BMP we can size.
std::optional<BmpLayout> bmpLayout(const QByteArray& page)
{
    if (!isBmp(page) || page.size() < 14 + 12)
        return std::nullopt;
    BmpLayout l;
    l.pixelsAt = le32(page, 10);
    l.infoSize = int(le32(page, 14));
    if (l.infoSize == 12) { // OS/2 1.x core header
        l.width = le16(page, 18);
        l.height = le16(page, 20);
        l.bitsPerPixel = le16(page, 24);
    } else if (l.infoSize >= 40 && page.size() >= 14 + 40) {
        l.width = std::int32_t(le32(page, 18));
        l.height = std::abs(std::int32_t(le32(page, 22)));
        l.bitsPerPixel = le16(page, 28);
        l.compression = le32(page, 30);
    } else {
        return std::nullopt;
    }
    if (l.width <= 0 || l.height <= 0)
        return std::nullopt;
    l.stride = strideOf(l.width, l.bitsPerPixel);
    return l;
}

// The grey of pixel x in a stored row, for the formats that are cut.
std::uint8_t pixelGrey(const BmpLayout& l, const std::uint8_t* row, int x)
{
    switch (l.bitsPerPixel) {
    case 1:
    case 4:
    case 8: {
        const int bit = x * l.bitsPerPixel;
        const int index = (row[bit / 8] >> (8 - l.bitsPerPixel - bit % 8)) & ((1 << l.bitsPerPixel) - 1);
        return std::size_t(index) < l.paletteGrey.size() ? l.paletteGrey[std::size_t(index)] : 0;
    }
    case 24:
        return grey(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: // 32: blue, green, red, unused
        return grey(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
}

// Copies `count` pixels of `bits` bits from pixel `from` of `src` to the start of `dst`.
void copyPixels(const std::uint8_t* src, std::uint8_t* dst, int from, int count, int bits)
{
    if (bits >= 8) {
        std::memcpy(dst, src + std::size_t(from) * std::size_t(bits / 8), std::size_t(count) * std::size_t(bits / 8));
        return;
    }
    for (int k = 0; k < count * bits; ++k) {
        const int s = from * bits + k;
        if ((src[s / 8] >> (7 - s % 8)) & 1)
            dst[k / 8] |= std::uint8_t(0x80 >> (k % 8));
    }
}

MarginCut cutBmp(const QByteArray& page, MarginSide side, int tolerance)
{
    const std::optional<BmpLayout> layout = bmpLayout(page);
    if (!layout)
        unreadable(QStringLiteral("BMP"), QStringLiteral("머리말이 올바르지 않습니다"));
    BmpLayout l = *layout;
    MarginCut cut{page, {l.width, l.height}, 0, QString()};
    if (side == MarginSide::None)
        return cut;

    const bool plain = l.compression == kBiRgb || (l.compression == kBiBitfields && l.bitsPerPixel == 32);
    const bool cutBits = l.bitsPerPixel == 1 || l.bitsPerPixel == 4 || l.bitsPerPixel == 8 || l.bitsPerPixel == 24 ||
                         l.bitsPerPixel == 32;
    if (!plain || !cutBits || l.infoSize < 40) {
        cut.note = QStringLiteral("압축되었거나 %1비트 색상인 BMP 이미지는 공백을 자르지 않고 그대로 저장합니다.")
                       .arg(l.bitsPerPixel);
        return cut;
    }
    const qsizetype pixelBytes = l.stride * l.height;
    if (l.pixelsAt < 14 + l.infoSize || l.pixelsAt + pixelBytes > page.size())
        unreadable(QStringLiteral("BMP"), QStringLiteral("픽셀 자료가 파일보다 깁니다"));
    if (l.pixelsAt + pixelBytes < page.size()) {
        // An embedded colour profile or other data after the pixels: cutting
        // would have to move it, so the page is kept whole.
        cut.note = QStringLiteral("픽셀 뒤에 다른 자료가 있는 BMP 이미지는 공백을 자르지 않고 그대로 저장합니다.");
        return cut;
    }
    if (l.bitsPerPixel <= 8) {
        const qsizetype paletteAt = 14 + l.infoSize;
        const int colours = int((l.pixelsAt - paletteAt) / 4);
        for (int k = 0; k < std::min(colours, 1 << l.bitsPerPixel); ++k) {
            const qsizetype at = paletteAt + 4 * k;
            l.paletteGrey.push_back(
                grey(std::uint8_t(page[at + 2]), std::uint8_t(page[at + 1]), std::uint8_t(page[at])));
        }
    }

    const auto* pixels = reinterpret_cast<const std::uint8_t*>(page.constData() + l.pixelsAt);
    GreyView view;
    view.width = (l.width + kBlock - 1) / kBlock;
    view.height = (l.height + kBlock - 1) / kBlock;
    std::vector<std::uint32_t> sums(std::size_t(view.width) * std::size_t(view.height));
    std::vector<std::uint32_t> counts(sums.size());
    for (int y = 0; y < l.height; ++y) {
        const std::uint8_t* row = pixels + l.stride * y;
        const std::size_t base = std::size_t(y / kBlock) * std::size_t(view.width);
        for (int x = 0; x < l.width; ++x) {
            sums[base + std::size_t(x / kBlock)] += pixelGrey(l, row, x);
            ++counts[base + std::size_t(x / kBlock)];
        }
    }
    view.values.resize(sums.size());
    for (std::size_t k = 0; k < sums.size(); ++k)
        view.values[k] = std::uint8_t(sums[k] / counts[k]);

    const int blank = blankColumns(view, side, tolerance);
    if (blank >= view.width) {
        cut.note = QStringLiteral("페이지 전체가 빈 종이로 보여 공백을 자르지 않았습니다.");
        return cut;
    }
    const auto [keepFrom, keepTo] = keptColumns(l.width, blank, side, 1);
    const int newWidth = keepTo - keepFrom;
    if (newWidth == l.width)
        return cut;

    const qsizetype newStride = strideOf(newWidth, l.bitsPerPixel);
    QByteArray out = page.left(l.pixelsAt);
    out.append(QByteArray(newStride * l.height, '\0'));
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + l.pixelsAt);
    for (int y = 0; y < l.height; ++y)
        copyPixels(pixels + l.stride * y, dst + newStride * y, keepFrom, newWidth, l.bitsPerPixel);
    put32(out, 2, std::uint32_t(out.size()));
    put32(out, 18, std::uint32_t(newWidth));
    put32(out, 34, std::uint32_t(newStride * l.height));
    cut.bytes = out;
    cut.size = {newWidth, l.height};
    cut.cutColumns = l.width - newWidth;
    return cut;
}

} // namespace

std::optional<PageSize> pageSize(const QByteArray& page)
{
    if (isJpeg(page)) {
        const TjHandle decoder(tjInitDecompress());
        if (decoder)
            if (const std::optional<JpegHeader> h = jpegHeader(decoder.get(), page))
                return PageSize{h->width, h->height};
        return std::nullopt;
    }
    if (const std::optional<BmpLayout> l = bmpLayout(page))
        return PageSize{l->width, l->height};
    return std::nullopt;
}

MarginCut cutMargin(const QByteArray& page, MarginSide side, int tolerance)
{
    if (isJpeg(page))
        return cutJpeg(page, side, tolerance);
    if (isBmp(page))
        return cutBmp(page, side, tolerance);
    MarginCut cut{page, {}, 0, QString()};
    if (side != MarginSide::None)
        cut.note = QStringLiteral("JPEG나 BMP가 아닌 이미지는 공백을 자르지 않고 그대로 저장합니다.");
    return cut;
}

} // namespace rida::archive
