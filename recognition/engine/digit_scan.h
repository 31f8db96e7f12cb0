#pragma once
// Digit row recognition: reads the lot numbers of one two-colour page by
// comparing the working template set with every position of a strip 256 pixels
// wide that begins at the digit column start, line by line down the page.
//
// Page pixels: origin at the top-left corner, x to the right, y downwards.
// Pixels outside the page count as paper; nothing outside the page is read.

#include "recognition/engine/templates.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rida::recognition {

constexpr int kStripPositions = 256;                              // template positions per scan line: S .. S + 255
constexpr int kStripWidth = kStripPositions + kTemplateWidth - 1; // page columns the scan reads: S .. S + 274
constexpr int kScanLines = 2225;                                  // scan lines per page: T .. T + 2224
constexpr int kAcceptScore = 85;                                  // percent of agreeing pixels
constexpr int kStrictAcceptScore = 90;                            // for the templates of 7 and 1
constexpr int kRowCollectLines = 16;   // half the template height: lines a row is collected over, after its first
constexpr int kRowEndJump = 140;       // lines from a judged row's first line to where scanning resumes
constexpr int kRowSearchLines = 40;    // a search for the next row covers its first line and 40 more
constexpr int kRowSearchHop = 150;     // then moves this many lines further down
constexpr int kEarlyStopProgress = 20; // percent: a page listing nothing by then is given up
constexpr int kMaxRowSpan = 250;       // pixels from the first digit's x to the ninth's
constexpr int kSlots = 9;

// The templates in the order the scan tries them.
constexpr std::array<int, kTemplateCount> kTemplateOrder = {0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 10};

// Agreeing-pixel counts of the working set on a page, computed on bit-packed
// rows with popcount: exactly the counts of comparing pixel by pixel.
class DigitMatcher {
public:
    // Template positions are x = columnStart + dx, dx 0..255, at any line y.
    void attach(const image::Bitmap& page, const WorkingSet& set, int columnStart);
    // Makes line y current for agreeingAt.
    void prepareLine(int y);
    // Number of pixels (i, j) with page(S + dx + i, y + j) == template(i, j) on the current line.
    int agreeingAt(int templateIndex, int dx) const
    {
        const auto& ti = tInk_[std::size_t(templateIndex)];
        int mismatches = 0;
        if (!mixed_) {
            // Two colours only: a pixel agrees unless its ink bit differs.
            for (int k = 0; k < kGroups; ++k)
                mismatches +=
                    __builtin_popcountll(ink_[std::size_t(k) * kStripPositions + std::size_t(dx)] ^ ti[std::size_t(k)]);
            return kTemplateWidth * kTemplateHeight - mismatches;
        }
        const auto& tp = tPaper_[std::size_t(templateIndex)];
        int agree = 0;
        for (int k = 0; k < kGroups; ++k) {
            const std::size_t at = std::size_t(k) * kStripPositions + std::size_t(dx);
            agree += __builtin_popcountll(ink_[at] & ti[std::size_t(k)]) +
                     __builtin_popcountll(paper_[at] & tp[std::size_t(k)]);
        }
        return agree;
    }
    // Whether at least `minAgreeing` pixels agree on the current line. Gives the
    // same answer as agreeingAt, but on a two-colour page stops summing once
    // the mismatches alone rule the template out.
    bool agreesAtLeast(int templateIndex, int dx, int minAgreeing) const
    {
        if (mixed_)
            return agreeingAt(templateIndex, dx) >= minAgreeing;
        const auto& ti = tInk_[std::size_t(templateIndex)];
        const int allowed = kTemplateWidth * kTemplateHeight - minAgreeing;
        int mismatches = 0;
        for (int k = 0; k < kGroups; ++k) {
            mismatches +=
                __builtin_popcountll(ink_[std::size_t(k) * kStripPositions + std::size_t(dx)] ^ ti[std::size_t(k)]);
            if (mismatches > allowed)
                return false;
        }
        return true;
    }

private:
    static constexpr int kGroups = kTemplateHeight / 3; // rows packed three to a 64-bit word
    static constexpr int kRing = 64;                    // packed page rows held; a line needs 33
    static constexpr long long kNone = -(1LL << 62);
    struct PackedRow {
        long long y = kNone;
        bool mixed = false;                               // holds a pixel that is neither ink nor paper
        std::array<std::uint32_t, kStripPositions> ink{}; // bit 19 is x = S + dx, bit 0 is x = S + dx + 19
        std::array<std::uint32_t, kStripPositions> paper{};
    };
    const PackedRow& packed(long long y);

    const image::Bitmap* page_ = nullptr;
    int columnStart_ = 0;
    std::array<std::array<std::uint64_t, kGroups>, kTemplateCount>
        tInk_{}; // row 3k in bits 0-19, 3k+1 in 20-39, 3k+2 in 40-59
    std::array<std::array<std::uint64_t, kGroups>, kTemplateCount> tPaper_{};
    std::vector<PackedRow> ring_ = std::vector<PackedRow>(kRing);
    // The current line's planes, [k][dx]: page rows y + 3k .. y + 3k + 2 packed like the templates.
    std::vector<std::uint64_t> ink_ = std::vector<std::uint64_t>(std::size_t(kGroups) * kStripPositions);
    std::vector<std::uint64_t> paper_ = std::vector<std::uint64_t>(std::size_t(kGroups) * kStripPositions);
    bool mixed_ = false;
    long long lineY_ = kNone;
    bool attached_ = false;
};

struct RowSlot {
    char digit = 0;
    int x = 0;
    int y = 0;
};

// What the row scan reports while it runs; the window repaints from these.
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    virtual void pageProgress(int percent) {}          // share of the page's scan lines done, 0..100
    virtual void rowsListed(int count) {}              // rows listed on this page so far (of at most 15)
    virtual void lotListed(const std::string& line) {} // one lot line read off the page
};

// The row state of one page and the scan over it.
class RowScanner {
public:
    // `clearRow`: no slots, idle.
    void clearRow();
    // A slot holds `digit` at an x strictly within 10 pixels of `x` (y is not compared).
    bool isNearDuplicate(char digit, int x) const;
    // Judges the slots as one digit row, lists it when it passes, then clearRow.
    void finishRow();

    // Scans the two-colour `page` from line topY, the strip beginning at
    // `columnStart`, appending lot lines to `lots()`. Starts a page: rowTop = 0,
    // no slots, the list emptied.
    void scanDigitRows(const image::Bitmap& page, const WorkingSet& set, Typeface face, int columnStart, int topY,
                       ScanObserver& observer);

    const std::vector<std::string>& lots() const { return lots_; }
    int lastProgress() const { return progress_; }
    int scannedLines() const { return scannedLines_; }

    // Row state, visible for tests and the window.
    std::array<RowSlot, kSlots> RowSlots{};
    int slotCount = 0;
    bool rowIdle = true;
    int rowTop = 0;

private:
    DigitMatcher matcher_;
    std::array<char, kTemplateCount> digits_{};
    std::vector<std::string> lots_;
    ScanObserver* observer_ = nullptr;
    int progress_ = 0;
    int scannedLines_ = 0;
};

} // namespace rida::recognition
