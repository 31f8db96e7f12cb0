#pragma once
// Sample-page generator: draws land-price record sheets (지가조서) in the
// layout of the form that page alignment and the row scan expect, with lot
// numbers printed in black in the digit shapes of the templates.
//
// Page pixels, origin top-left, x right, y down; the upright sheet is drawn at
// the scale of the reference layout (A4 at 300 dpi, 2480 x 3508), then laid on
// the "scanner" with a skew and a shift and given scanner noise. Everything is
// deterministic: the same options give the same pixels.

#include "image/bitmap.h"
#include "recognition/engine/templates.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rida::pagegen {

// Table-row geometry of the form, upright.
constexpr int kTableLeftX = 237;   // x of the table's left border (the 표 시작 영역)
constexpr int kLotColumnX = 818;   // x where the lot-number column's digit strip begins
constexpr int kFirstRowY = 840;    // top rule of the first data row
constexpr int kRowPitch = 150;     // lines from one data row to the next
constexpr int kDigitTopInRow = 58; // lines from a row's top rule to its digits' top
constexpr int kRowsPerSheet = 15;

struct LotRow {
    std::string digits;      // nine digit characters "KBBBBSSSS"; empty: a blank table row
    bool wide = false;       // printed over more than 250 pixels (the scan rejects it)
    bool secondForm = false; // 6 (Gothic) or 0 (Myeongjo) drawn with the eleventh glyph
};

struct PageOptions {
    int width = 2480;  // pixels
    int height = 3508; // pixels
    recognition::Typeface typeface = recognition::Typeface::Gothic;
    std::vector<LotRow> rows; // table rows from the top, at most kRowsPerSheet
    // The skew that alignment measures on this page, in degrees: positive when
    // the lower end of the table border lies left of its upper end.
    double skewDegrees = 0.0;
    int shiftX = 0;             // pixels the sheet lies right of its place
    int shiftY = 0;             // pixels the sheet lies below its place
    int noise = 0;              // grey scanner noise amplitude, channel levels (0..60)
    int specks = 0;             // dark dust specks scattered over the page
    bool referencePoint = true; // false: the left part of the table is not printed
    bool headings = true;       // the printed Korean texts (need the Nanum fonts)
    std::uint64_t seed = 1;
};

// A lot line as the recognition lists it: "1 0123 0004".
std::string lotLine(const std::string& nineDigits);

// Nine random digits of a plausible lot: K 1 or 2, main 1..2999, sub 0..40.
std::string randomLot(std::uint64_t& state);

// Lot lines a reader of the page must list, in order: rows of nine digits whose
// first digit is 1 or 2, not spread wide, each number once.
std::vector<std::string> expectedLots(const PageOptions& options);

image::Bitmap drawPage(const PageOptions& options);

// JPEG through TurboJPEG; `fullChroma` selects 4:4:4 instead of 4:2:0.
void writeJpeg(const std::string& path, const image::Bitmap& page, int quality = 90, bool fullChroma = false);

// The page in 256 levels of grey, as older scanning software keeps a page:
// each pixel's luma (0.299 R + 0.587 G + 0.114 B), rounded.
image::Bitmap toGrey(const image::Bitmap& page);

// Writes an 8-bit BMP (bottom-up, 40-byte header) of a page of at most 256
// colours; throws std::invalid_argument for more. The palette lists the
// colours from the most common down, so that palette colour 0 is the paper.
// With `rle8` the rows are RLE8-compressed as old scanning and fax software
// writes them: encoded runs, absolute runs with their padding, deltas over
// runs of colour 0, an end of line where the rest of a row is colour 0 and an
// end of bitmap where the rest of the page is.
void writeBmp8(const std::string& path, const image::Bitmap& page, bool rle8);

// One sample page of the application folder and what recognition gives for it.
struct SamplePage {
    std::string name; // file name in the folder
    PageOptions options;
    bool fullChroma = false;
};
std::vector<SamplePage> samplePages();

// Writes every sample page into `folder` (created when missing).
void writeSampleFolder(const std::string& folder);

} // namespace rida::pagegen
