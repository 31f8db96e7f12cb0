#include "recognition/engine/alignment.h"
#include "recognition/engine/background.h"
#include "recognition/engine/digit_scan.h"
#include "tests/recognition/oracle.h"
#include "tools/pagegen/pagegen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rida::recognition {
namespace {

using image::Bitmap;

constexpr int S = 818; // digit column start of these fixtures
constexpr int T = 834; // first scan line
constexpr int kOffsets[9] = {16, 50, 72, 94, 116, 150, 172, 194, 216};

Bitmap paperPage(int w = 1200, int h = 3100)
{
    Bitmap page(w, h);
    page.fill(kPaper);
    return page;
}

void stamp(Bitmap& page, Typeface face, int index, int x, int y)
{
    const GlyphRows& rows = glyphSet(face)[index];
    for (int j = 0; j < kTemplateHeight; ++j)
        for (int i = 0; i < kTemplateWidth; ++i)
            if (((rows[j] >> (kTemplateWidth - 1 - i)) & 1u) && x + i < page.width() && y + j < page.height())
                page.setPixel(x + i, y + j, kInk);
}

// Digits at the usual offsets from S, or at `offsets`; 'a' stands for the eleventh glyph.
void stampRow(Bitmap& page, const std::string& digits, int y, Typeface face = Typeface::Gothic,
              const int* offsets = kOffsets)
{
    for (std::size_t d = 0; d < digits.size(); ++d) {
        const int index = digits[d] == 'a' ? 10 : digits[d] - '0';
        stamp(page, face, index, S + offsets[d], y);
    }
}

struct Scan {
    std::vector<std::string> lots;
    int lines = 0;
};

Scan scan(const Bitmap& page, Typeface face = Typeface::Gothic, int columnStart = S, int topY = T)
{
    WorkingSet set;
    set.copyFrom(face);
    RowScanner scanner;
    ScanObserver quiet;
    scanner.scanDigitRows(page, set, face, columnStart, topY, quiet);
    return {scanner.lots(), scanner.scannedLines()};
}

using Lots = std::vector<std::string>;

TEST(scanDigitRows, ReadsRowsAndHopsBetweenThem)
{
    Bitmap page = paperPage();
    stampRow(page, "101230004", 900);
    stampRow(page, "220000017", 1050);
    stampRow(page, "198765432", 1350); // one table row left blank in between
    const Scan s = scan(page);
    EXPECT_EQ(s.lots, (Lots{"1 0123 0004", "2 2000 0017", "1 9876 5432"}));
    EXPECT_LT(s.lines, 1000); // the hops leave most lines unscanned
}

// A working set whose glyphs match only where they were printed: ink and paper
// at random in the columns 5 to 14, paper in the five columns on either side.
// Moved by a line or by up to nine columns a glyph agrees with itself or with
// any other in about 75 % of its pixels, so every digit is found on exactly
// one line and at exactly one x; the blank sides let glyphs stand closer than
// a template width without touching.
WorkingSet sharpSet()
{
    WorkingSet set;
    std::uint64_t state = 12345;
    for (auto& glyph : set.img) {
        glyph = Bitmap(kTemplateWidth, kTemplateHeight);
        glyph.fill(kPaper);
        for (int j = 0; j < kTemplateHeight; ++j)
            for (int i = 5; i < 15; ++i) {
                state = state * 6364136223846793005ULL + 1442695040888963407ULL;
                if ((state >> 33) & 1u)
                    glyph.setPixel(i, j, kInk);
            }
    }
    return set;
}

void stampSharp(Bitmap& page, const WorkingSet& set, char digit, int x, int y)
{
    const Bitmap& glyph = set.img[std::size_t(digit - '0')];
    for (int j = 0; j < kTemplateHeight; ++j)
        for (int i = 0; i < kTemplateWidth; ++i)
            page.setPixel(x + i, y + j, glyph.pixel(i, j));
}

// Nine digits; digit k at S + offsets[k], dy[k] lines below y.
void stampSharpRow(Bitmap& page, const WorkingSet& set, const std::string& digits, int y, const int* offsets = kOffsets,
                   const int* dy = nullptr)
{
    for (std::size_t d = 0; d < digits.size(); ++d)
        stampSharp(page, set, digits[d], S + offsets[d], y + (dy ? dy[d] : 0));
}

Scan scanSharp(const Bitmap& page, const WorkingSet& set)
{
    RowScanner scanner;
    ScanObserver quiet;
    scanner.scanDigitRows(page, set, Typeface::Gothic, S, T, quiet);
    return {scanner.lots(), scanner.scannedLines()};
}

// With the first row on line 900: lines T .. 916 are scanned (the row is
// collected on 900 .. 916 and judged on 917), scanning resumes on 1040 = 900 +
// 140, and each search then covers 41 lines and hops 150: 1040 .. 1080, 1190
// .. 1230, and so on to the last window 2990 .. 3030, 83 + 14 x 41 = 657 lines.
// A second row found in a window is collected over 17 lines instead of
// searched over 41, and the hops start again 140 lines below it.
TEST(scanDigitRows, TheRowEndJumpAndTheSearchHopsSkipExactlyTheirLines)
{
    const WorkingSet set = sharpSet();
    struct Case {
        int below; // lines from the first row's top to the second's
        bool listed;
        int lines;
    };
    const Case cases[] = {
        {140, true, 633},  // the first line scanned after the row end jump
        {180, true, 671},  // the last line of the first search window
        {181, false, 657}, // the hop comes first: passed over
        {289, false, 657}, // the last line before the next window
        {290, true, 633},  // the first line of the next window
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.below);
        Bitmap page = paperPage();
        stampSharpRow(page, set, "101230004", 900);
        stampSharpRow(page, set, "212345678", 900 + c.below);
        const Scan s = scanSharp(page, set);
        EXPECT_EQ(s.lots, c.listed ? (Lots{"1 0123 0004", "2 1234 5678"}) : (Lots{"1 0123 0004"}));
        EXPECT_EQ(s.lines, c.lines);
    }
}

TEST(scanDigitRows, AMatchHidesTheNextTwentyPositionsOfItsLineAndARowIsCollectedOverSixteenLinesMore)
{
    const WorkingSet set = sharpSet();
    struct Case {
        const char* what;
        int second; // x of the second digit, from S
        int last;   // lines the ninth digit lies below the others
        bool listed;
        int lines;
    };
    // A row that is not listed leaves the page without a listed row: after its
    // judgement every line from 1040 is searched until the early stop on T + 468.
    const Case cases[] = {
        {"second digit 15 pixels after the first", 31, 0, false, 83 + 263},
        {"second digit 21 pixels after the first", 37, 0, true, 657},
        {"ninth digit 16 lines low", 50, 16, true, 657},
        {"ninth digit 17 lines low", 50, 17, false, 83 + 263},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int offsets[9] = {16, c.second, 72, 94, 116, 150, 172, 194, 216};
        const int dy[9] = {0, 0, 0, 0, 0, 0, 0, 0, c.last};
        Bitmap page = paperPage();
        stampSharpRow(page, set, "101230004", 900, offsets, dy);
        const Scan s = scanSharp(page, set);
        EXPECT_EQ(s.lots, c.listed ? Lots{"1 0123 0004"} : Lots{});
        EXPECT_EQ(s.lines, c.lines);
    }
    // On the next line the hidden positions are examined again.
    const int offsets[9] = {16, 31, 72, 94, 116, 150, 172, 194, 216};
    const int dy[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
    Bitmap page = paperPage();
    stampSharpRow(page, set, "101230004", 900, offsets, dy);
    EXPECT_EQ(scanSharp(page, set).lots, Lots{"1 0123 0004"});
}

// Templates 9 and 8 both accept a glyph of ink and paper columns drawn 35
// lines high; shifted sideways, the columns agree with neither in more than 11
// of 20. Template 9 is the glyph and is recorded on a line that still has
// paper rows in its window; template 8 differs in two columns and needs the
// glyph nearly whole. There, template 9 is a near duplicate, so template 8 is
// tried and recorded at the same x.
TEST(scanDigitRows, ANearDuplicateLetsTheNextTemplateInTheOrderBeTried)
{
    const char* columns = "01101101101010001111";
    WorkingSet set = sharpSet();
    const auto glyph = [columns](int flipped) {
        Bitmap g(kTemplateWidth, kTemplateHeight);
        for (int j = 0; j < kTemplateHeight; ++j)
            for (int i = 0; i < kTemplateWidth; ++i)
                g.setPixel(i, j, ((columns[i] == '1') != (i < flipped)) ? kInk : kPaper);
        return g;
    };
    set.img[9] = glyph(0);
    set.img[8] = glyph(2);
    const int offsets[7] = {16, 50, 72, 94, 116, 150, 172};
    Bitmap page = paperPage();
    stampSharpRow(page, set, "1012300", 900, offsets);
    for (int j = 0; j < 35; ++j)
        for (int i = 0; i < kTemplateWidth; ++i)
            page.setPixel(S + 216 + i, 900 + j, columns[i] == '1' ? kInk : kPaper);
    EXPECT_EQ(scanSharp(page, set).lots, Lots{"1 0123 0089"});
}

// A digit is read where at least 561 of its 660 pixels agree with its template,
// 594 for 7 and 1. The glyph at `position` of the row has `flipped` of its
// pixels turned (the first ones line by line); a row short of a digit is
// dropped.
TEST(scanDigitRows, AcceptsADigitFromItsThresholdOfAgreeingPixels)
{
    const WorkingSet set = sharpSet();
    struct Case {
        const char* row;
        int position;
        int flipped;
        Lots lots;
    } cases[] = {
        {"101230004", 3, 99, {"1 0123 0004"}}, // '2': 561 agree
        {"101230004", 3, 100, {}},             // 560
        {"101230004", 0, 66, {"1 0123 0004"}}, // '1': 594
        {"101230004", 0, 67, {}},              // 593
        {"101237004", 5, 66, {"1 0123 7004"}}, // '7': 594
        {"101237004", 5, 67, {}},              // 593
        {"101236004", 5, 99, {"1 0123 6004"}}, // '6' as the others: 561
        {"101236004", 5, 100, {}},             // 560
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.row) + " position " + std::to_string(c.position) + " flipped " +
                     std::to_string(c.flipped));
        Bitmap page = paperPage();
        stampSharpRow(page, set, c.row, 900);
        const int x0 = S + kOffsets[c.position];
        for (int k = 0; k < c.flipped; ++k) {
            const int x = x0 + k % kTemplateWidth, y = 900 + k / kTemplateWidth;
            page.setPixel(x, y, page.pixel(x, y) == kInk ? kPaper : kInk);
        }
        EXPECT_EQ(scanSharp(page, set).lots, c.lots);
    }
}

// The templates are tried 0, 9, 8, 7, 6, ...: a glyph that two templates
// accept is read as the one tried first.
TEST(scanDigitRows, AGlyphTwoTemplatesAcceptIsReadAsTheOneTriedFirst)
{
    WorkingSet set = sharpSet();
    set.img[6] = set.img[0];
    set.img[2] = set.img[8];
    Bitmap page = paperPage();
    stampSharpRow(page, set, "161230004", 900);
    EXPECT_EQ(scanSharp(page, set).lots, Lots{"1 0183 0004"}); // the 6 read as 0, the 2 as 8
}

TEST(scanDigitRows, GivesUpOnAPageThatListsNothingInTheFirstFifthOfTheScan)
{
    Bitmap late = paperPage();
    stampRow(late, "101230004", T + 470);
    const Scan s = scan(late);
    EXPECT_TRUE(s.lots.empty());
    EXPECT_EQ(s.lines, 469); // lines T .. T + 468; progress 21 stops the scan at T + 469

    Bitmap early = paperPage();
    stampRow(early, "101230004", T + 440);
    EXPECT_EQ(scan(early).lots, (Lots{"1 0123 0004"}));
}

TEST(scanDigitRows, RowsThatAreNotListed)
{
    const int wide[9] = {2, 46, 68, 90, 112, 189, 211, 233, 255};
    Bitmap page = paperPage();
    stampRow(page, "101230004", 900);
    stampRow(page, "01230004", 1050);                          // eight digits: dropped
    stampRow(page, "301230004", 1200);                         // kind 3
    stampRow(page, "001230004", 1350);                         // kind 0
    stampRow(page, "101230004", 1500);                         // the same number again
    stampRow(page, "112345678", 1650, Typeface::Gothic, wide); // spans 253 pixels
    stampRow(page, "212345678", 1800);
    EXPECT_EQ(scan(page).lots, (Lots{"1 0123 0004", "2 1234 5678"}));
}

TEST(scanDigitRows, MoreThanNineMatchesKeepTheFirstNine)
{
    const int tight[10] = {2, 24, 46, 68, 90, 112, 134, 156, 178, 200};
    Bitmap page = paperPage();
    stampRow(page, "1012300045", 900, Typeface::Gothic, tight);
    EXPECT_EQ(scan(page).lots, (Lots{"1 0123 0004"}));
}

TEST(scanDigitRows, EleventhGlyphReadsAsSixInGothicAndZeroInMyeongjo)
{
    Bitmap gothic = paperPage();
    stampRow(gothic, "1a0aa0aa6", 900);
    EXPECT_EQ(scan(gothic).lots, (Lots{"1 6066 0666"}));
    Bitmap myeongjo = paperPage();
    stampRow(myeongjo, "2a1a3a4a5", 900, Typeface::Myeongjo);
    EXPECT_EQ(scan(myeongjo, Typeface::Myeongjo).lots, (Lots{"2 0103 0405"}));
}

TEST(scanDigitRows, ARowFoundOnTheLastSeventeenLinesIsNeverJudged)
{
    for (auto [lastTop, listed] : {std::pair{T + 2215, false}, {T + 2200, true}}) {
        const int first = lastTop - 14 * 150;
        Bitmap page = paperPage(1200, T + 2260);
        for (int m = 0; m < 15; ++m)
            stampRow(page, "1" + std::to_string(1000 + m) + "0001", first + 150 * m);
        const Scan s = scan(page);
        EXPECT_EQ(s.lots.size(), listed ? 15u : 14u) << "last row at T + " << lastTop - T;
    }
}

TEST(scanDigitRows, StripCrossingThePageEdgesReadsPaperThere)
{
    // The strip reaches x = S + 274 and the last lines y + 32 beyond the page.
    Bitmap page = paperPage(S + 236, 1000);
    stampRow(page, "101230004", 960);
    EXPECT_EQ(scan(page).lots, (Lots{"1 0123 0004"}));
    Bitmap tiny = paperPage(10, 10);
    EXPECT_TRUE(scan(tiny).lots.empty());
    EXPECT_TRUE(scan(tiny, Typeface::Gothic, -2'000'000'000, 2'000'000'000).lots.empty());
    EXPECT_TRUE(scan(page, Typeface::Gothic, 2'147'483'000, -2'147'483'000).lots.empty());
}

TEST(RowState, IsNearDuplicateComparesDigitAndXOnly)
{
    RowScanner r;
    r.clearRow();
    r.RowSlots[0] = {'0', 100, 900};
    r.RowSlots[1] = {'7', 300, 905};
    r.slotCount = 2;
    struct Case {
        char digit;
        int x;
        bool near;
    };
    const Case cases[] = {{'0', 100, true},  {'0', 91, true},   {'0', 109, true}, {'0', 90, false},
                          {'0', 110, false}, {'3', 100, false}, {'7', 295, true}, {'7', 100, false}};
    for (const Case& c : cases)
        EXPECT_EQ(r.isNearDuplicate(c.digit, c.x), c.near) << c.digit << " at " << c.x;
}

TEST(RowState, FinishRowOrdersByXAndJudges)
{
    RowScanner r;
    auto fill = [&](const std::string& digits, const std::vector<int>& xs) {
        r.clearRow();
        for (int s = 0; s < int(digits.size()); ++s)
            r.RowSlots[s] = {digits[s], xs[s], 900 + s};
        r.slotCount = int(digits.size());
        r.rowIdle = false;
    };
    ScanObserver quiet;
    Bitmap empty = paperPage(1, 1);
    WorkingSet set;
    set.copyFrom(Typeface::Gothic);
    r.scanDigitRows(empty, set, Typeface::Gothic, S, T, quiet); // a fresh page: empty list

    fill("400321001", {50, 40, 30, 20, 10, 90, 80, 70, 60}); // slots found out of order
    r.finishRow();
    EXPECT_EQ(r.lots(), (Lots{"2 3004 1001"}));
    EXPECT_TRUE(r.rowIdle);
    EXPECT_EQ(r.slotCount, 0);

    // Slots of equal x keep the order the exchange rule leaves them in (a stable
    // sort would give "1 0037 0009").
    fill("137000009", {10, 50, 50, 20, 30, 60, 70, 80, 90});
    r.finishRow();
    EXPECT_EQ(r.lots().back(), "1 0073 0009");

    fill("200000009", {0, 10, 20, 30, 40, 50, 60, 70, 251}); // spans 251
    r.finishRow();
    fill("20000000", {0, 10, 20, 30, 40, 50, 60, 70}); // eight digits
    r.finishRow();
    EXPECT_EQ(r.lots().size(), 2u);
    fill("200000009", {0, 10, 20, 30, 40, 50, 60, 70, 250}); // spans exactly 250
    r.finishRow();
    EXPECT_EQ(r.lots().back(), "2 0000 0009");
}

// The bit-packed counts against the pixel-by-pixel rule, every template at every
// position of the strip, on lines through the printed rows and elsewhere.
void expectAgreement(const Bitmap& page, int columnStart, const std::vector<int>& lines,
                     Typeface face = Typeface::Gothic)
{
    WorkingSet set;
    set.copyFrom(face);
    DigitMatcher matcher;
    matcher.attach(page, set, columnStart);
    int checked = 0;
    for (int y : lines) {
        matcher.prepareLine(y);
        for (int dx = 0; dx < kStripPositions; ++dx)
            for (int t = 0; t < kTemplateCount; ++t) {
                const int want = testing::plainAgreeing(page, set.img[t], columnStart + dx, y);
                ASSERT_EQ(matcher.agreeingAt(t, dx), want)
                    << "template " << t << " at (" << columnStart + dx << ", " << y << ")";
                for (int needed : {561, 594, want, want + 1})
                    ASSERT_EQ(matcher.agreesAtLeast(t, dx, needed), want >= needed)
                        << "template " << t << ", " << needed;
                ++checked;
            }
    }
    EXPECT_EQ(checked, int(lines.size()) * kStripPositions * kTemplateCount);
}

// A generated sheet as the row scan sees it: aligned and reduced to two
// colours. Returns the digit column start (0: no reference point).
static int twoColourPage(const pagegen::PageOptions& options, Bitmap& page)
{
    page = pagegen::drawPage(options);
    Bitmap scratch;
    const Alignment a = alignPage(page, scratch, {});
    removeBackground(page, RemovalMode::Plain, 145);
    return a.columnStart;
}

TEST(DigitMatcher, AgreesWithThePlainRuleOnAGeneratedPage)
{
    pagegen::PageOptions o;
    std::uint64_t seed = 11;
    for (int k = 0; k < 4; ++k)
        o.rows.push_back({pagegen::randomLot(seed)});
    o.skewDegrees = 1.7;
    o.noise = 12;
    o.specks = 400;
    o.seed = 5;
    Bitmap page;
    const int columnStart = twoColourPage(o, page);
    ASSERT_NE(columnStart, 0);
    std::vector<int> lines;
    for (int y = 880; y < 920; ++y) // through the first row
        lines.push_back(y);
    for (int y = 1030; y < 1070; y += 2) // through the second
        lines.push_back(y);
    for (int y : {T, 1500, 2222, 3000})
        lines.push_back(y);
    expectAgreement(page, columnStart, lines);
}

TEST(DigitMatcher, AgreesWithThePlainRuleOnAMyeongjoPageWithBothSets)
{
    pagegen::PageOptions o;
    o.typeface = Typeface::Myeongjo;
    std::uint64_t seed = 23;
    for (int k = 0; k < 3; ++k)
        o.rows.push_back({pagegen::randomLot(seed)});
    o.rows.push_back({"200001000", false, true}); // the eleventh glyph
    o.skewDegrees = -1.2;
    o.noise = 10;
    o.specks = 300;
    o.seed = 9;
    Bitmap page;
    const int columnStart = twoColourPage(o, page);
    ASSERT_NE(columnStart, 0);
    {
        RowScanner scanner;
        ScanObserver quiet;
        WorkingSet set;
        set.copyFrom(Typeface::Myeongjo);
        scanner.scanDigitRows(page, set, Typeface::Myeongjo, columnStart, T, quiet);
        ASSERT_EQ(scanner.lots(), pagegen::expectedLots(o)); // the lines below do go through printed digits
    }
    // Every line through the first and the last printed row, and every 37th line elsewhere.
    std::vector<int> lines;
    for (int y = T; y < T + kScanLines; y += 37)
        lines.push_back(y);
    for (int row : {0, 3}) {
        const int top = pagegen::kFirstRowY + row * pagegen::kRowPitch + pagegen::kDigitTopInRow;
        for (int y = top - 12; y <= top + 12; ++y)
            lines.push_back(y);
    }
    expectAgreement(page, columnStart, lines, Typeface::Myeongjo);
    expectAgreement(page, columnStart, lines, Typeface::Gothic);
}

TEST(DigitMatcher, AgreesOnPagesWithOtherColoursAndAtThePageEdges)
{
    // Before background removal a pixel may be neither ink nor paper; it agrees
    // with no template pixel.
    pagegen::PageOptions o;
    o.rows = {{"101230004"}};
    o.noise = 20;
    o.headings = false;
    const Bitmap colour = pagegen::drawPage(o);
    expectAgreement(colour, S, {890, 898, 905});

    Bitmap edge = paperPage(S + 100, 950);
    stampRow(edge, "1012", 930);
    edge.setPixel(S + 99, 949, 0xFF123456);
    expectAgreement(edge, S, {900, 930, 935, 949, 950, 2000});
    expectAgreement(edge, -30, {-40, 0, 940});
    expectAgreement(edge, S + 90, {930});
    expectAgreement(edge, edge.width() + 3, {930, 949}); // the whole strip beyond the page
}

} // namespace
} // namespace rida::recognition
