// Generated sheets through the whole pipeline: load, align, remove background,
// scan. Each case names what it shows.

#include "recognition/engine/alignment.h"
#include "recognition/engine/background.h"
#include "recognition/engine/batch.h"
#include "recognition/engine/digit_scan.h"
#include "tools/pagegen/pagegen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace rida::recognition {
namespace {

namespace fs = std::filesystem;
using pagegen::LotRow;
using pagegen::PageOptions;

std::vector<LotRow> randomRows(std::uint64_t seed, int count)
{
    std::vector<LotRow> rows;
    for (int k = 0; k < count; ++k)
        rows.push_back({pagegen::randomLot(seed)});
    return rows;
}

struct Case {
    const char* what;
    PageOptions page;
    RecognitionSettings settings;
    bool fullChroma = false;
};

std::vector<Case> cases()
{
    std::vector<Case> list;
    {
        Case c{"Gothic, skewed +2.5 degrees, noisy", {}, {}};
        c.page.rows = randomRows(1, 15);
        c.page.skewDegrees = 2.5;
        c.page.noise = 12;
        c.page.specks = 200;
        list.push_back(c);
    }
    {
        Case c{"Myeongjo, skewed -2.5 degrees, shifted, 4:4:4", {}, {}, true};
        c.page.typeface = Typeface::Myeongjo;
        c.page.rows = randomRows(2, 15);
        c.page.skewDegrees = -2.5;
        c.page.shiftX = -20, c.page.shiftY = 14;
        c.page.noise = 8;
        c.settings.typeface = Typeface::Myeongjo;
        c.settings.mode = RemovalMode::CorrectedLightMyeongjo;
        list.push_back(c);
    }
    {
        Case c{"duplicates, kinds other than 1 and 2, wide rows, second forms, blank rows", {}, {}};
        c.page.rows = {{"100660006", false, true},
                       {"301230004"},
                       {"100660006", false, true},
                       {""},
                       {"912345678"},
                       {"212345678", true},
                       {"200070070"},
                       {"014000000"},
                       {"126660066", false, true}};
        c.page.skewDegrees = -0.7;
        c.page.shiftX = 9, c.page.shiftY = -7;
        c.page.noise = 6;
        c.settings.minRows = 3;
        list.push_back(c);
    }
    {
        Case c{"background mode 2 on a shifted page", {}, {}};
        c.page.rows = randomRows(4, 6);
        c.page.shiftX = 25, c.page.shiftY = 20;
        c.page.noise = 5;
        c.settings.mode = RemovalMode::CorrectedMediumGothic;
        list.push_back(c);
    }
    return list;
}

TEST(Pipeline, GeneratedSheetsReadBackTheirLotNumbers)
{
    const fs::path folder = fs::temp_directory_path() / ("rida-pipeline-test-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    Recognizer recognizer;
    RecognitionObserver quiet;
    std::size_t buffers = 0;
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        const std::string file = (folder / "page.jpg").string();
        pagegen::writeJpeg(file, pagegen::drawPage(c.page), 90, c.fullChroma);
        recognizer.copyTemplates(c.settings.typeface);
        const PageResult r = recognizer.recognizePage(file, c.settings, quiet);
        EXPECT_EQ(r.status, PageStatus::Ok);
        EXPECT_EQ(r.lots, pagegen::expectedLots(c.page));
        EXPECT_NEAR(r.alignment.skewDegrees, c.page.skewDegrees, 0.1);
        // Same-sized pages after the first: no new page buffers.
        if (buffers != 0 && recognizer.bufferBytes() != buffers)
            ADD_FAILURE() << "page buffers grew from " << buffers << " to " << recognizer.bufferBytes();
        if (r.alignment.rotated)
            buffers = recognizer.bufferBytes();
    }
    fs::remove_all(folder);
}

// The run turns and reduces only the digit strip; the scan must read exactly
// what turning and reducing the whole page gives, also with the strip partly
// off the page and with the reference window inside the strip.
TEST(Pipeline, TheDigitStripReadsAsTheWholeAlignedPage)
{
    std::vector<Case> list = cases();
    {
        Case c{"strip over the right edge", {}, {}};
        c.page.rows = randomRows(7, 6);
        c.page.skewDegrees = 1.8;
        c.settings.zoneX = 818 + 1400; // column start about 2220: the strip ends past x = 2479
        c.settings.minRows = 0;
        list.push_back(c);
    }
    {
        Case c{"strip over the left edge, reference window inside it", {}, {}};
        c.page.rows = randomRows(8, 6);
        c.page.skewDegrees = -2.0;
        c.settings.zoneX = -100; // column start about -100: the strip covers the window's left edge
        c.settings.minRows = 0;
        list.push_back(c);
    }
    Recognizer recognizer;
    RecognitionObserver quiet;
    for (const Case& c : list) {
        SCOPED_TRACE(c.what);
        const image::Bitmap drawn = pagegen::drawPage(c.page);
        recognizer.copyTemplates(c.settings.typeface);
        const PageResult r = recognizer.recognizeBitmap(drawn, c.settings, quiet);

        image::Bitmap whole = drawn, scratch;
        const Alignment a = alignPage(whole, scratch, c.settings);
        ASSERT_NE(a.columnStart, 0);
        EXPECT_EQ(r.alignment.columnStart, a.columnStart);
        EXPECT_EQ(r.alignment.rotated, a.rotated);
        EXPECT_EQ(r.alignment.reference.x, a.reference.x);
        EXPECT_EQ(r.alignment.reference.y, a.reference.y);
        removeBackground(whole, c.settings.mode, c.settings.level);
        RowScanner scanner;
        scanner.scanDigitRows(whole, recognizer.workingSet(), c.settings.typeface, a.columnStart, c.settings.topY,
                              quiet);
        EXPECT_EQ(r.lots, scanner.lots());
        EXPECT_EQ(recognizer.rows().scannedLines(), scanner.scannedLines());

        const image::Bitmap& strip = recognizer.workPage();
        const int x0 = std::max(a.columnStart, 0), x1 = std::min(a.columnStart + kStripWidth, whole.width());
        ASSERT_LT(x0, x1);
        // Over the lines the scan reads.
        const LineRange lines = linesScanRead(whole.height(), c.settings);
        int differing = 0;
        for (int y = int(std::max(lines.top, 0LL)); y <= std::min<long long>(lines.bottom, whole.height() - 1); ++y)
            for (int x = x0; x < x1; ++x)
                differing += strip.pixel(x, y) != whole.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}

TEST(Pipeline, SheetWithoutReferencePointAndSheetWithFewRows)
{
    Recognizer recognizer;
    RecognitionObserver quiet;
    PageOptions none;
    none.rows = randomRows(5, 8);
    none.referencePoint = false;
    none.headings = false;
    EXPECT_EQ(recognizer.recognizeBitmap(pagegen::drawPage(none), {}, quiet).status, PageStatus::NoReference);

    PageOptions few;
    few.rows = randomRows(6, 4);
    few.headings = false;
    const PageResult r = recognizer.recognizeBitmap(pagegen::drawPage(few), {}, quiet);
    EXPECT_EQ(r.status, PageStatus::TooFewRows);
    EXPECT_EQ(r.lots, pagegen::expectedLots(few));
}

} // namespace
} // namespace rida::recognition

TEST(PageGenerator, SameOptionsGiveTheSamePixels)
{
    rida::pagegen::PageOptions o;
    o.rows = {{"101230004"}, {""}, {"200450000", true}};
    o.skewDegrees = -1.5;
    o.shiftX = 7;
    o.noise = 20;
    o.specks = 50;
    o.seed = 42;
    const rida::image::Bitmap a = rida::pagegen::drawPage(o), b = rida::pagegen::drawPage(o);
    ASSERT_EQ(a.width(), b.width());
    ASSERT_EQ(a.height(), b.height());
    EXPECT_TRUE(std::equal(a.data(), a.data() + a.pixelCount(), b.data()));
    o.seed = 43; // another seed is other noise
    const rida::image::Bitmap c = rida::pagegen::drawPage(o);
    EXPECT_FALSE(std::equal(a.data(), a.data() + a.pixelCount(), c.data()));
}
