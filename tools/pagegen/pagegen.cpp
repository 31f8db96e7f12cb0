#include "tools/pagegen/pagegen.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#if RIDA_HAVE_FREETYPE
#include <ft2build.h>
#include FT_FREETYPE_H
#endif

#include "image/codec.h"

namespace rida::pagegen {

using image::argb;
using image::Bitmap;

namespace {

constexpr std::uint32_t kPaperTint = argb(255, 247, 245, 238);
constexpr std::uint32_t kFormBlue = argb(255, 68, 112, 204);
constexpr std::uint32_t kPrintBlack = argb(255, 24, 24, 30);

constexpr int kTableRightX = 2243;
constexpr int kTableTopY = 700;
constexpr int kTableBottomY = kFirstRowY + kRowsPerSheet * kRowPitch; // 3090

// Column rules of the table, upright x; the lot column spans 800..1110 so
// nothing else printed in black comes near the digit strip.
constexpr int kColumnX[] = {kTableLeftX, 400, 800, 1110, 1350, 1650, 2000, kTableRightX};

// Left edges of the nine digits relative to kLotColumnX: kind digit, four
// digits of the main number, four of the sub number.
constexpr int kDigitX[9] = {16, 50, 72, 94, 116, 150, 172, 194, 216};    // spans 200
constexpr int kWideDigitX[9] = {2, 46, 68, 90, 112, 189, 211, 233, 255}; // spans 253

// splitmix64: small, seedable and the same on every platform.
std::uint64_t nextRandom(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
int randomBelow(std::uint64_t& state, int n)
{
    return int(nextRandom(state) % std::uint64_t(n));
}

void fillRect(Bitmap& page, int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, page.width()), y1 = std::min(y1, page.height());
    for (int y = y0; y < y1; ++y)
        std::fill(page.row(y) + x0, page.row(y) + std::max(x0, x1), colour);
}

std::uint32_t blend(std::uint32_t under, std::uint32_t over, int coverage /* 0..255 */)
{
    auto mix = [&](int a, int b) { return (a * (255 - coverage) + b * coverage + 127) / 255; };
    return argb(255, mix(image::redOf(under), image::redOf(over)), mix(image::greenOf(under), image::greenOf(over)),
                mix(image::blueOf(under), image::blueOf(over)));
}

#if RIDA_HAVE_FREETYPE
class TextPainter {
public:
    TextPainter()
    {
        if (FT_Init_FreeType(&library_) != 0)
            return;
        gothic_ = open("/usr/share/fonts/truetype/nanum/NanumGothic.ttf");
        myeongjo_ = open("/usr/share/fonts/truetype/nanum/NanumMyeongjo.ttf");
        if (!myeongjo_)
            myeongjo_ = gothic_;
    }
    ~TextPainter()
    {
        if (myeongjo_ && myeongjo_ != gothic_)
            FT_Done_Face(myeongjo_);
        if (gothic_)
            FT_Done_Face(gothic_);
        if (library_)
            FT_Done_FreeType(library_);
    }
    TextPainter(const TextPainter&) = delete;
    TextPainter& operator=(const TextPainter&) = delete;

    // Draws UTF-8 `text` with its baseline at y, starting at x.
    void draw(Bitmap& page, int x, int baseline, int pixelSize, const std::string& text, std::uint32_t colour,
              bool serif = false)
    {
        FT_Face face = serif ? myeongjo_ : gothic_;
        if (!face)
            return;
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
        for (char32_t cp : decode(text)) {
            if (FT_Load_Char(face, cp, FT_LOAD_RENDER) != 0)
                continue;
            const FT_GlyphSlot g = face->glyph;
            const FT_Bitmap& bm = g->bitmap;
            for (unsigned r = 0; r < bm.rows; ++r) {
                const int y = baseline - g->bitmap_top + int(r);
                if (y < 0 || y >= page.height())
                    continue;
                for (unsigned c = 0; c < bm.width; ++c) {
                    const int px = x + g->bitmap_left + int(c);
                    const int a = bm.buffer[r * unsigned(bm.pitch) + c];
                    if (px >= 0 && px < page.width() && a > 0)
                        page.setPixel(px, y, blend(page.pixel(px, y), colour, a));
                }
            }
            x += int(g->advance.x >> 6);
        }
    }
    int width(int pixelSize, const std::string& text)
    {
        if (!gothic_)
            return 0;
        FT_Set_Pixel_Sizes(gothic_, 0, FT_UInt(pixelSize));
        int w = 0;
        for (char32_t cp : decode(text))
            if (FT_Load_Char(gothic_, cp, FT_LOAD_DEFAULT) == 0)
                w += int(gothic_->glyph->advance.x >> 6);
        return w;
    }

private:
    FT_Face open(const char* path)
    {
        FT_Face face = nullptr;
        return FT_New_Face(library_, path, 0, &face) == 0 ? face : nullptr;
    }
    static std::u32string decode(const std::string& s)
    {
        std::u32string out;
        for (std::size_t i = 0; i < s.size();) {
            const unsigned char c = static_cast<unsigned char>(s[i]);
            int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
            for (int k = 1; k < len && i + k < s.size(); ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            out.push_back(cp);
            i += std::size_t(len);
        }
        return out;
    }
    FT_Library library_ = nullptr;
    FT_Face gothic_ = nullptr;
    FT_Face myeongjo_ = nullptr;
};
#else
class TextPainter {
public:
    void draw(Bitmap&, int, int, int, const std::string&, std::uint32_t, bool = false) {}
    int width(int, const std::string&) { return 0; }
};
#endif

void drawCentred(TextPainter& text, Bitmap& page, int x0, int x1, int baseline, int size, const std::string& s,
                 std::uint32_t colour)
{
    text.draw(page, (x0 + x1 - text.width(size, s)) / 2, baseline, size, s, colour);
}

void drawGlyph(Bitmap& page, const recognition::GlyphRows& rows, int x, int y)
{
    for (int j = 0; j < recognition::kTemplateHeight; ++j)
        for (int i = 0; i < recognition::kTemplateWidth; ++i)
            if ((rows[j] >> (recognition::kTemplateWidth - 1 - i)) & 1u) {
                const int px = x + i, py = y + j;
                if (px >= 0 && py >= 0 && px < page.width() && py < page.height())
                    page.setPixel(px, py, kPrintBlack);
            }
}

const char* const kTowns[] = {"청운동", "신교동", "궁정동", "효자동", "창성동", "통의동", "적선동", "체부동"};
const char* const kLandUse[] = {"대", "전", "답", "임야", "도로", "잡종지"};

void drawForm(TextPainter& text, Bitmap& page, const PageOptions& o, std::uint64_t& rng)
{
    const int lineLeft = o.referencePoint ? kTableLeftX : 520; // without it nothing blue reaches the windows
    auto hline = [&](int y, int w) { fillRect(page, lineLeft, y, kTableRightX + 3, y + w, kFormBlue); };
    auto vline = [&](int x, int y0, int y1, int w) {
        if (x >= lineLeft)
            fillRect(page, x, y0, x + w, y1, kFormBlue);
    };

    if (o.headings) {
        drawCentred(text, page, 0, o.width, 250, 96, "개 별 공 시 지 가  조 서", kFormBlue);
        drawCentred(text, page, 0, o.width, 330, 40, "( 토지특성조사 및 지가산정 )", kFormBlue);
    }
    // Header box: district, survey year and surveyor.
    fillRect(page, lineLeft, 420, kTableRightX + 3, 423, kFormBlue);
    fillRect(page, lineLeft, 640, kTableRightX + 3, 643, kFormBlue);
    fillRect(page, lineLeft, 530, kTableRightX + 3, 532, kFormBlue);
    vline(kTableLeftX, 420, 643, 3);
    vline(kTableRightX, 420, 643, 3);
    vline(600, 420, 643, 2);
    vline(1350, 420, 643, 2);
    vline(1650, 420, 643, 2);
    if (o.headings) {
        if (o.referencePoint)
            text.draw(page, 270, 492, 44, "시 군 구", kFormBlue);
        text.draw(page, 1380, 492, 44, "조사기준연도", kFormBlue);
        if (o.referencePoint)
            text.draw(page, 270, 602, 44, "읍 면 동", kFormBlue);
        text.draw(page, 1400, 602, 44, "조  사  자", kFormBlue);
        text.draw(page, 640, 492, 44, "서울특별시 종로구", kPrintBlack);
        text.draw(page, 640, 602, 44, kTowns[randomBelow(rng, 8)], kPrintBlack);
        text.draw(page, 1700, 492, 44, "2026년 01월", kPrintBlack);
        text.draw(page, 1700, 602, 44, "홍 길 동", kPrintBlack);
    }

    // The main table: a 3-pixel outer border, 2-pixel inner rules.
    hline(kTableTopY, 3);
    hline(kFirstRowY, 3);
    for (int k = 1; k < kRowsPerSheet; ++k)
        hline(kFirstRowY + k * kRowPitch, 2);
    hline(kTableBottomY, 3);
    for (std::size_t c = 0; c < std::size(kColumnX); ++c) {
        const bool outer = c == 0 || c + 1 == std::size(kColumnX);
        vline(kColumnX[c], kTableTopY, kTableBottomY + 3, outer ? 3 : 2);
    }
    if (o.headings) {
        static const char* const heads[] = {"번호", "소 재 지", "지 번", "지 목", "면적(㎡)", "개별공시지가", "비 고"};
        for (int c = 0; c < 7; ++c)
            if (o.referencePoint || kColumnX[c] >= lineLeft)
                drawCentred(text, page, kColumnX[c], kColumnX[c + 1], 790, 42, heads[c], kFormBlue);
        drawCentred(text, page, 1650, 2000, 832, 28, "(원/㎡)", kFormBlue);
        text.draw(page, kTableLeftX, 3200, 40, "위와 같이 조사하였음을 확인합니다.", kFormBlue);
        text.draw(page, 1500, 3300, 40, "확인자 :              (인)", kFormBlue);
    }
}

void drawRowEntries(TextPainter& text, Bitmap& page, const PageOptions& o, std::uint64_t& rng)
{
    const auto& glyphs = recognition::glyphSet(o.typeface);
    for (std::size_t k = 0; k < o.rows.size() && k < std::size_t(kRowsPerSheet); ++k) {
        const LotRow& row = o.rows[k];
        if (row.digits.empty())
            continue;
        const int rowTop = kFirstRowY + int(k) * kRowPitch;
        const int digitTop = rowTop + kDigitTopInRow;
        const int* xs = row.wide ? kWideDigitX : kDigitX;
        for (int d = 0; d < 9 && d < int(row.digits.size()); ++d) {
            int index = row.digits[d] - '0';
            if (index < 0 || index > 9)
                continue;
            const char second = o.typeface == recognition::Typeface::Gothic ? '6' : '0';
            if (row.secondForm && row.digits[d] == second)
                index = 10;
            drawGlyph(page, glyphs[index], kLotColumnX + xs[d], digitTop);
        }
        if (o.headings) {
            const int baseline = rowTop + 92;
            if (o.referencePoint)
                drawCentred(text, page, kColumnX[0], kColumnX[1], baseline, 40, std::to_string(k + 1), kPrintBlack);
            text.draw(page, 420, baseline, 40, kTowns[randomBelow(rng, 8)], kPrintBlack);
            drawCentred(text, page, 1110, 1350, baseline, 40, kLandUse[randomBelow(rng, 6)], kPrintBlack);
            const int area = 30 + randomBelow(rng, 9000);
            drawCentred(text, page, 1350, 1650, baseline, 40,
                        std::to_string(area / 10) + "." + std::to_string(area % 10), kPrintBlack);
            const int thousands = 100 + randomBelow(rng, 9900);
            char price[32];
            if (thousands >= 1000)
                std::snprintf(price, sizeof price, "%d,%03d,000", thousands / 1000, thousands % 1000);
            else
                std::snprintf(price, sizeof price, "%d,000", thousands);
            drawCentred(text, page, 1650, 2000, baseline, 40, price, kPrintBlack);
        }
    }
}

// Lays the upright sheet on the scanner: output pixel p shows the sheet at
// c + M(θ)(p − shift − c), M(θ) = [[cos, sin], [−sin, cos]], so that turning the
// scan by θ about its centre (as alignment does) stands the sheet upright again.
// Bilinear, as a scanner's optics blur edges.
void placeOnScanner(const Bitmap& sheet, Bitmap& scan, const PageOptions& o)
{
    const double t = o.skewDegrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(t), s = std::sin(t);
    const double cx = sheet.width() / 2.0, cy = sheet.height() / 2.0;
    const int w = sheet.width(), h = sheet.height();
    for (int y = 0; y < h; ++y) {
        std::uint32_t* out = scan.row(y);
        const double dy = y - o.shiftY - cy;
        for (int x = 0; x < w; ++x) {
            const double dx = x - o.shiftX - cx;
            const double ux = cx + dx * c + dy * s;
            const double uy = cy - dx * s + dy * c;
            const int x0 = int(std::floor(ux)), y0 = int(std::floor(uy));
            const double fx = ux - x0, fy = uy - y0;
            auto at = [&](int xx, int yy) {
                return xx >= 0 && yy >= 0 && xx < w && yy < h ? sheet.pixel(xx, yy) : kPaperTint;
            };
            const std::uint32_t p00 = at(x0, y0), p10 = at(x0 + 1, y0), p01 = at(x0, y0 + 1), p11 = at(x0 + 1, y0 + 1);
            if (p00 == p10 && p00 == p01 && p00 == p11) {
                out[x] = p00;
                continue;
            }
            auto chan = [&](int shift) {
                auto v = [&](std::uint32_t p) { return double((p >> shift) & 0xff); };
                const double top = v(p00) * (1 - fx) + v(p10) * fx, bottom = v(p01) * (1 - fx) + v(p11) * fx;
                return std::uint32_t(std::lround(top * (1 - fy) + bottom * fy)) << shift;
            };
            out[x] = 0xFF000000u | chan(16) | chan(8) | chan(0);
        }
    }
}

void addNoise(Bitmap& scan, const PageOptions& o, std::uint64_t& rng)
{
    if (o.noise > 0) {
        for (int y = 0; y < scan.height(); ++y) {
            std::uint32_t* row = scan.row(y);
            for (int x = 0; x < scan.width(); ++x) {
                const std::uint64_t r = nextRandom(rng);
                // Grey noise with a little per-channel jitter: never enough colour
                // to look like form ink on paper.
                const int grey = int(r % unsigned(2 * o.noise + 1)) - o.noise;
                auto ch = [&](int v, int jitter) { return std::clamp(v + grey + jitter, 0, 255); };
                const int j1 = int((r >> 20) % 7) - 3, j2 = int((r >> 28) % 7) - 3, j3 = int((r >> 36) % 7) - 3;
                const std::uint32_t p = row[x];
                row[x] = argb(255, ch(image::redOf(p), j1), ch(image::greenOf(p), j2), ch(image::blueOf(p), j3));
            }
        }
    }
    for (int k = 0; k < o.specks; ++k) {
        const int x = randomBelow(rng, scan.width()), y = randomBelow(rng, scan.height());
        const int size = 1 + randomBelow(rng, 3);
        const int level = 40 + randomBelow(rng, 80);
        fillRect(scan, x, y, x + size, y + size, argb(255, level, level, level + 5));
    }
}

} // namespace

std::string lotLine(const std::string& d)
{
    if (d.size() != 9)
        return d;
    return d.substr(0, 1) + " " + d.substr(1, 4) + " " + d.substr(5, 4);
}

std::string randomLot(std::uint64_t& state)
{
    const int kind = randomBelow(state, 5) == 0 ? 2 : 1;
    const int main = 1 + randomBelow(state, 2999);
    const int sub = randomBelow(state, 3) == 0 ? 0 : randomBelow(state, 41);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d%04d%04d", kind, main, sub);
    return buf;
}

std::vector<std::string> expectedLots(const PageOptions& o)
{
    std::vector<std::string> lots;
    if (!o.referencePoint)
        return lots;
    for (std::size_t k = 0; k < o.rows.size() && k < std::size_t(kRowsPerSheet); ++k) {
        const LotRow& row = o.rows[k];
        if (row.digits.size() != 9 || row.wide || (row.digits[0] != '1' && row.digits[0] != '2'))
            continue;
        const std::string line = lotLine(row.digits);
        if (std::find(lots.begin(), lots.end(), line) == lots.end())
            lots.push_back(line);
    }
    return lots;
}

Bitmap drawPage(const PageOptions& o)
{
    std::uint64_t rng = o.seed;
    Bitmap sheet(o.width, o.height);
    sheet.fill(kPaperTint);
    static TextPainter text; // loading the fonts once keeps a sample folder quick
    drawForm(text, sheet, o, rng);
    drawRowEntries(text, sheet, o, rng);
    Bitmap scan(o.width, o.height);
    if (o.skewDegrees == 0.0 && o.shiftX == 0 && o.shiftY == 0)
        scan = sheet;
    else
        placeOnScanner(sheet, scan, o);
    addNoise(scan, o, rng);
    return scan;
}

void writeJpeg(const std::string& path, const Bitmap& page, int quality, bool fullChroma)
{
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc =
        tjCompress2(tj, reinterpret_cast<const unsigned char*>(page.data()), page.width(), page.width() * 4,
                    page.height(), TJPF_BGRA, &jpeg, &size, fullChroma ? TJSAMP_444 : TJSAMP_420, quality, 0);
    if (rc != 0) {
        const std::string why = tjGetErrorStr2(tj);
        tjFree(jpeg);
        tjDestroy(tj);
        throw std::runtime_error("JPEG encoding failed: " + why);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(jpeg), std::streamsize(size));
    tjFree(jpeg);
    tjDestroy(tj);
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Bitmap toGrey(const Bitmap& page)
{
    Bitmap grey(page.width(), page.height());
    for (int y = 0; y < page.height(); ++y) {
        const std::uint32_t* src = page.row(y);
        std::uint32_t* dst = grey.row(y);
        for (int x = 0; x < page.width(); ++x) {
            const int l =
                (299 * image::redOf(src[x]) + 587 * image::greenOf(src[x]) + 114 * image::blueOf(src[x]) + 500) / 1000;
            dst[x] = argb(255, l, l, l);
        }
    }
    return grey;
}

namespace {

void put16(std::string& b, std::uint32_t v)
{
    b.push_back(char(v & 0xFF));
    b.push_back(char((v >> 8) & 0xFF));
}
void put32(std::string& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// One row of palette indices as RLE8 codes; `last` ends the bitmap there.
void encodeRle8Row(const std::vector<std::uint8_t>& row, bool last, std::string& out)
{
    const int w = int(row.size());
    const auto runAt = [&](int x) {
        int n = 1;
        while (x + n < w && n < 255 && row[std::size_t(x + n)] == row[std::size_t(x)])
            ++n;
        return n;
    };
    int end = w; // the row's last pixel that is not colour 0, plus one
    while (end > 0 && row[std::size_t(end - 1)] == 0)
        --end;
    int x = 0;
    while (x < end) {
        const int run = runAt(x);
        if (row[std::size_t(x)] == 0 && run >= 4) {
            // Skipped pixels keep colour 0.
            out += {char(0), char(2), char(run), char(0)};
            x += run;
        } else if (run >= 3) {
            out += {char(run), char(row[std::size_t(x)])};
            x += run;
        } else {
            // Pixels one by one until a run of three begins.
            int n = 0;
            while (x + n < end && n < 255 && (n == 0 || runAt(x + n) < 3))
                ++n;
            if (n < 3) { // an absolute run holds at least three pixels
                for (int k = 0; k < n; ++k)
                    out += {char(1), char(row[std::size_t(x + k)])};
            } else {
                out += {char(0), char(n)};
                for (int k = 0; k < n; ++k)
                    out.push_back(char(row[std::size_t(x + k)]));
                if (n & 1)
                    out.push_back(char(0));
            }
            x += n;
        }
    }
    out += {char(0), char(last ? 1 : 0)};
}

} // namespace

void writeBmp8(const std::string& path, const Bitmap& page, bool rle8)
{
    std::map<std::uint32_t, std::size_t> counts;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (++counts[page.pixel(x, y) & 0xFFFFFF] == 1 && counts.size() > 256)
                throw std::invalid_argument("an 8-bit BMP holds at most 256 colours");
    std::vector<std::pair<std::size_t, std::uint32_t>> byCount;
    for (const auto& [colour, n] : counts)
        byCount.push_back({n, colour});
    std::stable_sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::map<std::uint32_t, std::uint8_t> index;
    for (std::size_t i = 0; i < byCount.size(); ++i)
        index[byCount[i].second] = std::uint8_t(i);

    std::string pixels;
    const std::size_t stride = (std::size_t(page.width()) + 3) / 4 * 4;
    std::vector<std::uint8_t> row(std::size_t(page.width()));
    for (int y = page.height() - 1; y >= 0; --y) {
        for (int x = 0; x < page.width(); ++x)
            row[std::size_t(x)] = index[page.pixel(x, y) & 0xFFFFFF];
        if (rle8) {
            encodeRle8Row(row, y == 0, pixels);
        } else {
            pixels.append(reinterpret_cast<const char*>(row.data()), row.size());
            pixels.append(stride - row.size(), char(0));
        }
    }
    const std::uint32_t offset = 14 + 40 + std::uint32_t(byCount.size() * 4);
    std::string b = "BM";
    put32(b, offset + std::uint32_t(pixels.size()));
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, std::uint32_t(page.width()));
    put32(b, std::uint32_t(page.height()));
    put16(b, 1);
    put16(b, 8);
    put32(b, rle8 ? 1 : 0);
    put32(b, std::uint32_t(pixels.size()));
    put32(b, 11811); // 300 dpi in pixels per metre
    put32(b, 11811);
    put32(b, std::uint32_t(byCount.size()));
    put32(b, 0);
    for (const auto& entry : byCount)
        put32(b, entry.second);
    b += pixels;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(b.data(), std::streamsize(b.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<SamplePage> samplePages()
{
    using recognition::Typeface;
    std::vector<SamplePage> pages;
    auto lots = [](std::uint64_t seed, int count) {
        std::vector<LotRow> rows;
        for (int k = 0; k < count; ++k)
            rows.push_back({randomLot(seed)});
        return rows;
    };
    {
        SamplePage p{"Img001.jpg", {}};
        p.options.rows = lots(101, 15);
        p.options.skewDegrees = 0.6;
        p.options.shiftX = 5, p.options.shiftY = -4;
        p.options.noise = 6, p.options.specks = 60, p.options.seed = 1;
        pages.push_back(p);
    }
    {
        SamplePage p{"Img002.jpg", {}};
        p.options.rows = lots(202, 12);
        p.options.skewDegrees = -1.2;
        p.options.shiftX = -8, p.options.shiftY = 6;
        p.options.noise = 8, p.options.specks = 40, p.options.seed = 2;
        pages.push_back(p);
    }
    {
        SamplePage p{"Img003.jpg", {}, true};
        p.options.rows = lots(303, 15);
        p.options.skewDegrees = 2.3;
        p.options.shiftX = -14, p.options.shiftY = 10;
        p.options.noise = 10, p.options.specks = 80, p.options.seed = 3;
        pages.push_back(p);
    }
    {
        SamplePage p{"Img004.jpg", {}};
        p.options.rows = lots(404, 3);
        p.options.skewDegrees = -0.4;
        p.options.noise = 6, p.options.seed = 4;
        pages.push_back(p);
    }
    {
        SamplePage p{"Img005.jpg", {}};
        p.options.rows = lots(505, 10);
        p.options.referencePoint = false;
        p.options.noise = 6, p.options.seed = 5;
        pages.push_back(p);
    }
    {
        // Duplicate row, a row of kind 3, a wide row and the second forms.
        SamplePage p{"Img006.jpg", {}};
        p.options.rows = {{"101230004"}, {"100660060", false, true}, {"101230004"}, {"301110002"},
                          {"204560007"}, {"106660000", true},        {"100070016"}, {"200100006", false, true}};
        p.options.skewDegrees = 1.0;
        p.options.noise = 5, p.options.specks = 30, p.options.seed = 6;
        pages.push_back(p);
    }
    {
        // The Myeongjo face has its own folder: a run reads one face at a time.
        SamplePage p{"Myeongjo/Img101.jpg", {}};
        p.options.typeface = Typeface::Myeongjo;
        p.options.rows = lots(707, 15);
        p.options.skewDegrees = -0.8;
        p.options.shiftX = 6, p.options.shiftY = 3;
        p.options.noise = 6, p.options.specks = 40, p.options.seed = 7;
        pages.push_back(p);
    }
    return pages;
}

void writeSampleFolder(const std::string& folder)
{
    for (const SamplePage& p : samplePages()) {
        std::filesystem::create_directories(std::filesystem::path(folder + "/" + p.name).parent_path());
        writeJpeg(folder + "/" + p.name, drawPage(p.options), 90, p.fullChroma);
    }
}

} // namespace rida::pagegen
