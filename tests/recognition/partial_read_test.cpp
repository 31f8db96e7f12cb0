// A run decodes only the pixels it can read. Its answers must be exactly
// those of decoding, turning and reducing the whole page: on generated sheets
// of both typefaces over the skews and shifts the generator makes, as JPEG
// (4:2:0 and 4:4:4) and BMP, with strips crossing every page edge; and with
// every pixel outside pixelsRunReads spoilt, nothing may change.

#include "image/codec.h"
#include "recognition/engine/alignment.h"
#include "recognition/engine/background.h"
#include "recognition/engine/batch.h"
#include "recognition/engine/digit_scan.h"
#include "tools/pagegen/pagegen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace rida::recognition {
namespace {

namespace fs = std::filesystem;
using image::Bitmap;
using image::RectI;
using pagegen::PageOptions;

enum class Format { Jpeg420, Jpeg444, Bmp32 };

struct Case {
    const char* what;
    PageOptions page;
    RecognitionSettings settings;
    Format format = Format::Jpeg420;
    bool turned = false; // the sheet is skewed enough that alignment turns it
};

std::vector<pagegen::LotRow> randomRows(std::uint64_t seed, int count)
{
    std::vector<pagegen::LotRow> rows;
    for (int k = 0; k < count; ++k)
        rows.push_back({pagegen::randomLot(seed)});
    return rows;
}

std::vector<Case> cases()
{
    std::vector<Case> list;
    // Gothic and Myeongjo over the generator's range of skews and shifts.
    const struct {
        double skew;
        int shiftX, shiftY;
        Typeface face;
        Format format;
    } sheets[] = {
        {-4.5, -30, -20, Typeface::Gothic, Format::Jpeg420}, {-2.5, 12, 30, Typeface::Myeongjo, Format::Jpeg444},
        {-0.7, 0, 0, Typeface::Gothic, Format::Bmp32},       {0.0, 25, -15, Typeface::Myeongjo, Format::Jpeg420},
        {0.6, -9, 7, Typeface::Gothic, Format::Jpeg444},     {1.8, 40, 20, Typeface::Myeongjo, Format::Bmp32},
        {3.0, -20, 10, Typeface::Gothic, Format::Jpeg420},   {4.5, 30, -25, Typeface::Myeongjo, Format::Jpeg420},
        {5.3, 0, 0, Typeface::Gothic, Format::Jpeg420},      {-5.3, 10, 0, Typeface::Myeongjo, Format::Jpeg444},
    };
    std::uint64_t seed = 11;
    for (const auto& s : sheets) {
        Case c{"sheet", {}, {}, s.format, s.skew != 0.0};
        c.page.typeface = s.face;
        c.page.rows = randomRows(seed++, 15);
        c.page.skewDegrees = s.skew;
        c.page.shiftX = s.shiftX, c.page.shiftY = s.shiftY;
        c.page.noise = 8;
        c.page.specks = 150;
        c.page.seed = seed;
        c.settings.typeface = s.face;
        c.settings.mode = s.face == Typeface::Gothic ? RemovalMode::Plain : RemovalMode::CorrectedLightMyeongjo;
        list.push_back(c);
    }
    {
        Case c{"strip over the right edge", {}, {}, Format::Jpeg420, true};
        c.page.rows = randomRows(7, 6);
        c.page.skewDegrees = 1.8;
        c.settings.zoneX = 818 + 1400;
        list.push_back(c);
    }
    {
        Case c{"strip over the left edge, reference window inside it", {}, {}, Format::Jpeg444, true};
        c.page.rows = randomRows(8, 6);
        c.page.skewDegrees = -2.0;
        c.settings.zoneX = -100;
        list.push_back(c);
    }
    {
        Case c{"small page, strip over the bottom edge", {}, {}, Format::Jpeg420, true};
        c.page.width = 1300, c.page.height = 3200;
        c.page.rows = randomRows(9, 15);
        c.page.skewDegrees = -1.2;
        c.settings.topY = 1000;
        list.push_back(c);
    }
    {
        Case c{"strip over the top edge", {}, {}, Format::Bmp32, true};
        c.page.rows = randomRows(10, 15);
        c.page.skewDegrees = 2.2;
        c.settings.topY = -400;
        list.push_back(c);
    }
    {
        Case c{"no reference point", {}, {}, Format::Jpeg420};
        c.page.rows = randomRows(11, 4);
        c.page.referencePoint = false;
        list.push_back(c);
    }
    for (Case& c : list)
        c.settings.minRows = 0;
    return list;
}

struct Reading {
    Alignment alignment;
    std::vector<std::string> lots;
    int scannedLines = 0;
};

// The whole-page path: the page turned and reduced whole, then scanned.
Reading readWhole(Bitmap page, const RecognitionSettings& settings, const WorkingSet& set)
{
    Reading r;
    Bitmap scratch;
    r.alignment = alignPage(page, scratch, settings);
    if (r.alignment.columnStart == 0)
        return r;
    removeBackground(page, settings.mode, settings.level);
    RowScanner scanner;
    ScanObserver quiet;
    scanner.scanDigitRows(page, set, settings.typeface, r.alignment.columnStart, settings.topY, quiet);
    r.lots = scanner.lots();
    r.scannedLines = scanner.scannedLines();
    return r;
}

void expectSame(const Reading& whole, const PageResult& part, const Recognizer& recognizer)
{
    EXPECT_EQ(part.alignment.upper.x, whole.alignment.upper.x);
    EXPECT_EQ(part.alignment.upper.y, whole.alignment.upper.y);
    EXPECT_EQ(part.alignment.lower.x, whole.alignment.lower.x);
    EXPECT_EQ(part.alignment.lower.y, whole.alignment.lower.y);
    EXPECT_EQ(part.alignment.skewDegrees, whole.alignment.skewDegrees);
    EXPECT_EQ(part.alignment.rotated, whole.alignment.rotated);
    EXPECT_EQ(part.alignment.reference.x, whole.alignment.reference.x);
    EXPECT_EQ(part.alignment.reference.y, whole.alignment.reference.y);
    EXPECT_EQ(part.alignment.columnStart, whole.alignment.columnStart);
    EXPECT_EQ(part.lots, whole.lots);
    if (whole.alignment.columnStart != 0)
        EXPECT_EQ(recognizer.rows().scannedLines(), whole.scannedLines);
}

// Every pixel outside `kept` turned into form ink or black print, in turn:
// a window that read one would stop there, a strip that read one would see ink.
Bitmap spoiltOutside(const Bitmap& page, const RectI& kept)
{
    Bitmap out = page;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (x < kept.left || x >= kept.right || y < kept.top || y >= kept.bottom)
                out.setPixel(x, y, (x + y) % 2 ? image::argb(255, 60, 110, 210) : image::argb(255, 0, 0, 0));
    return out;
}

std::vector<unsigned char> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class PartialRead : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder_); }
    void TearDown() override { fs::remove_all(folder_); }
    std::string write(const Bitmap& page, Format format) const
    {
        const std::string file = (folder_ / (format == Format::Bmp32 ? "page.bmp" : "page.jpg")).string();
        if (format == Format::Bmp32)
            image::saveBmp32(file, page);
        else
            pagegen::writeJpeg(file, page, 90, format == Format::Jpeg444);
        return file;
    }
    const fs::path folder_ = fs::temp_directory_path() / ("rida-partial-read-" + std::to_string(::getpid()));
};

TEST_F(PartialRead, AnswersAreThoseOfTheWholePage)
{
    Recognizer recognizer;
    RecognitionObserver quiet;
    for (const Case& c : cases()) {
        SCOPED_TRACE(::testing::Message() << c.what << ", skew " << c.page.skewDegrees << ", shift " << c.page.shiftX
                                          << "," << c.page.shiftY);
        const std::string file = write(pagegen::drawPage(c.page), c.format);
        Bitmap whole;
        image::loadPage(file, whole);
        recognizer.copyTemplates(c.settings.typeface);
        const Reading reference = readWhole(whole, c.settings, recognizer.workingSet());
        EXPECT_EQ(reference.alignment.rotated, c.turned);

        // The run as it reads files: only the pixels it needs are decoded.
        expectSame(reference, recognizer.recognizePage(file, c.settings, quiet), recognizer);

        // Those pixels are exactly the whole page's, and nothing else is read.
        const RectI read = pixelsRunReads(whole.width(), whole.height(), c.settings);
        const auto bytes = readAll(file);
        Bitmap part = spoiltOutside(whole, {0, 0, 0, 0});
        image::decodePageRegion(bytes.data(), bytes.size(), file, part,
                                [&](int w, int h) { return pixelsRunReads(w, h, c.settings); });
        int differing = 0;
        for (int y = read.top; y < read.bottom; ++y)
            for (int x = read.left; x < read.right; ++x)
                differing += part.pixel(x, y) != whole.pixel(x, y);
        EXPECT_EQ(differing, 0);
        expectSame(reference, recognizer.recognizeBitmap(spoiltOutside(whole, read), c.settings, quiet), recognizer);
    }
}

TEST(PixelsRunReads, TheWindowsAndTheStripAtAnySkewAndNoMore)
{
    EXPECT_NEAR(largestSkewDegrees(), std::atan2(180.0, 1856.0) * 180 / 3.14159265358979, 1e-9);
    const RecognitionSettings defaults;
    const RectI read = pixelsRunReads(2480, 3508, defaults);
    // The windows from x = 168, the strip up to 168 + 180 + 581 + 274, lines from
    // 834 to 834 + 2256, each widened by what a turn of 5.5 degrees moves it.
    EXPECT_LT(read.left, 168);
    EXPECT_GT(read.left, 60);
    EXPECT_GT(read.right, 1203);
    EXPECT_LT(read.right, 1400);
    EXPECT_LT(read.top, 834);
    EXPECT_GT(read.top, 700);
    EXPECT_GT(read.bottom, 3091);
    EXPECT_LT(read.bottom, 3250);

    // Settings put the strip partly off the page, or the page is smaller than the windows.
    RecognitionSettings far = defaults;
    far.zoneX = 818 + 3000;
    const RectI windowsOnly = pixelsRunReads(2480, 3508, far);
    EXPECT_LT(windowsOnly.right, 500);
    EXPECT_EQ(pixelsRunReads(100, 200, defaults), RectI{});
    EXPECT_LT(pixelsRunReads(400, 3000, defaults).right, 400);
    EXPECT_EQ(pixelsRunReads(1000, 3000, defaults).right, 1000);

    // A setting given as no whole number: the whole page, the run fails where the setting is read.
    RecognitionSettings bad = defaults;
    bad.markUnreadable(Setting::ZoneX, "'x' is not a valid integer value");
    EXPECT_EQ(pixelsRunReads(2480, 3508, bad), (RectI{0, 0, 2480, 3508}));
}

// Every report of a page's reading, in order.
class ReportLog : public RecognitionObserver {
public:
    void pageProgress(int percent) override { log.push_back("progress " + std::to_string(percent)); }
    void rowsListed(int count) override { log.push_back("rows " + std::to_string(count)); }
    void lotListed(const std::string& line) override { log.push_back("lot " + line); }
    void analysing(const std::string& fullName) override { log.push_back("analysing " + fullName); }
    void lotsCleared() override { log.push_back("cleared"); }
    std::vector<std::string> log;
};

TEST_F(PartialRead, DamagedFilesFailWithTheMessagesOfTheWholeLoad)
{
    PageOptions o;
    o.rows = randomRows(3, 15);
    o.skewDegrees = 1.0;
    o.noise = 8;
    const Bitmap drawn = pagegen::drawPage(o);
    const auto jpeg = readAll(write(drawn, Format::Jpeg420));
    const auto bmp = readAll(write(drawn, Format::Bmp32));
    // Damage in the last lines, below everything the run reads.
    std::vector<unsigned char> cut(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(jpeg.size() * 97 / 100));
    std::vector<unsigned char> spoilt = jpeg;
    for (std::size_t i = jpeg.size() * 97 / 100; i < jpeg.size() - 2; i += 3)
        spoilt[i] = 0xFF;
    std::vector<unsigned char> shortBmp(bmp.begin(), bmp.end() - 4000);
    Recognizer recognizer;
    {
        // A whole file reports as the whole-page path does.
        const std::string file = write(drawn, Format::Jpeg420);
        ReportLog whole, part;
        recognizer.recognizeWholePage(file, {}, whole);
        recognizer.recognizePage(file, {}, part);
        EXPECT_GT(whole.log.size(), 10u);
        EXPECT_EQ(part.log, whole.log);
    }
    for (const auto* bytes : {&cut, &spoilt, &shortBmp}) {
        const std::string file = (folder_ / "damaged").string();
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        std::string whole, run;
        Bitmap page;
        try {
            image::loadPage(file, page);
        } catch (const image::ImageError& e) {
            whole = e.what();
        }
        ReportLog reports;
        try {
            recognizer.recognizePage(file, {}, reports);
        } catch (const image::ImageError& e) {
            run = e.what();
        }
        EXPECT_FALSE(whole.empty());
        EXPECT_EQ(run, whole);
        EXPECT_TRUE(reports.log.empty()); // nothing of the damaged page was shown
        EXPECT_TRUE(recognizer.workPage().empty());
    }
}

} // namespace
} // namespace rida::recognition
