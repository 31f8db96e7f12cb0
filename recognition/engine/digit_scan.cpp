#include "recognition/engine/digit_scan.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace rida::recognition {

using image::Bitmap;

namespace {
constexpr int minAgreeingFor(int score)
{
    int count = 0;
    while (count * 100 / (kTemplateWidth * kTemplateHeight) < score)
        ++count;
    return count;
}
constexpr int kAcceptAgreeing = minAgreeingFor(kAcceptScore);       // 561 of 660
constexpr int kStrictAgreeing = minAgreeingFor(kStrictAcceptScore); // 594 of 660
static_assert(kAcceptAgreeing == 561 && kStrictAgreeing == 594);
} // namespace

void DigitMatcher::attach(const Bitmap& page, const WorkingSet& set, int columnStart)
{
    if (set.empty())
        throw std::logic_error("the working template set is empty");
    page_ = &page;
    columnStart_ = columnStart;
    for (int t = 0; t < kTemplateCount; ++t) {
        const Bitmap& img = set.img[std::size_t(t)];
        if (img.width() != kTemplateWidth || img.height() != kTemplateHeight)
            throw std::logic_error("a working template is not 20 x 33 pixels");
        for (int k = 0; k < kGroups; ++k) {
            std::uint64_t ink = 0, paper = 0;
            for (int r = 0; r < 3; ++r)
                for (int i = 0; i < kTemplateWidth; ++i) {
                    const std::uint32_t p = img.pixel(i, 3 * k + r);
                    const std::uint64_t bit = std::uint64_t(1) << (20 * r + kTemplateWidth - 1 - i);
                    if (p == kInk)
                        ink |= bit;
                    else if (p == kPaper)
                        paper |= bit;
                }
            tInk_[std::size_t(t)][std::size_t(k)] = ink;
            tPaper_[std::size_t(t)][std::size_t(k)] = paper;
        }
    }
    for (PackedRow& row : ring_)
        row.y = kNone;
    lineY_ = kNone;
}

const DigitMatcher::PackedRow& DigitMatcher::packed(long long y)
{
    PackedRow& row = ring_[std::size_t(((y % kRing) + kRing) % kRing)];
    if (row.y == y)
        return row;
    row.y = y;
    row.mixed = false;
    constexpr int kWidth = kStripWidth;
    std::array<std::uint8_t, kWidth> inkBit{}, paperBit{};
    const Bitmap& page = *page_;
    if (y >= 0 && y < page.height()) {
        // Only the columns of the strip that lie on the page are read; the rest is paper.
        const long long first = std::max<long long>(0, -static_cast<long long>(columnStart_));
        const long long last = std::min<long long>(kWidth, static_cast<long long>(page.width()) - columnStart_);
        for (long long i = 0; i < first && i < kWidth; ++i)
            paperBit[std::size_t(i)] = 1;
        const std::uint32_t* line = page.row(int(y));
        for (long long i = first; i < last; ++i) {
            const std::uint32_t p = line[columnStart_ + i];
            inkBit[std::size_t(i)] = p == kInk;
            paperBit[std::size_t(i)] = p == kPaper;
            row.mixed |= p != kInk && p != kPaper;
        }
        for (long long i = std::max(last, first); i < kWidth; ++i)
            paperBit[std::size_t(i)] = 1;
    } else {
        paperBit.fill(1);
    }
    constexpr std::uint32_t kMask = (1u << kTemplateWidth) - 1;
    std::uint32_t ink = 0, paper = 0;
    for (int i = 0; i < kTemplateWidth - 1; ++i) {
        ink = (ink << 1) | inkBit[std::size_t(i)];
        paper = (paper << 1) | paperBit[std::size_t(i)];
    }
    for (int dx = 0; dx < kStripPositions; ++dx) {
        ink = ((ink << 1) | inkBit[std::size_t(dx + kTemplateWidth - 1)]) & kMask;
        paper = ((paper << 1) | paperBit[std::size_t(dx + kTemplateWidth - 1)]) & kMask;
        row.ink[std::size_t(dx)] = ink;
        row.paper[std::size_t(dx)] = paper;
    }
    return row;
}

void DigitMatcher::prepareLine(int y)
{
    if (lineY_ == y)
        return;
    lineY_ = y;
    std::array<const PackedRow*, kTemplateHeight> rows{};
    mixed_ = false;
    for (int j = 0; j < kTemplateHeight; ++j) {
        rows[std::size_t(j)] = &packed(static_cast<long long>(y) + j);
        mixed_ |= rows[std::size_t(j)]->mixed;
    }
    for (int k = 0; k < kGroups; ++k) {
        const PackedRow& a = *rows[std::size_t(3 * k)];
        const PackedRow& b = *rows[std::size_t(3 * k + 1)];
        const PackedRow& c = *rows[std::size_t(3 * k + 2)];
        std::uint64_t* out = &ink_[std::size_t(k) * kStripPositions];
        for (int dx = 0; dx < kStripPositions; ++dx)
            out[dx] = std::uint64_t(a.ink[std::size_t(dx)]) | (std::uint64_t(b.ink[std::size_t(dx)]) << 20) |
                      (std::uint64_t(c.ink[std::size_t(dx)]) << 40);
        if (mixed_) {
            std::uint64_t* outPaper = &paper_[std::size_t(k) * kStripPositions];
            for (int dx = 0; dx < kStripPositions; ++dx)
                outPaper[dx] = std::uint64_t(a.paper[std::size_t(dx)]) |
                               (std::uint64_t(b.paper[std::size_t(dx)]) << 20) |
                               (std::uint64_t(c.paper[std::size_t(dx)]) << 40);
        }
    }
}

void RowScanner::clearRow()
{
    slotCount = 0;
    rowIdle = true;
    RowSlots = {};
}

bool RowScanner::isNearDuplicate(char digit, int x) const
{
    for (int s = 0; s < slotCount; ++s) {
        const RowSlot& slot = RowSlots[std::size_t(s)];
        if (slot.digit == digit && slot.x > x - kTemplateWidth / 2 && slot.x < x + kTemplateWidth / 2)
            return true;
    }
    return false;
}

void RowScanner::finishRow()
{
    if (slotCount < kSlots) {
        clearRow();
        return;
    }
    // The exchange rule every i against every j, kept as it is: it decides the
    // order of slots of equal x.
    for (int i = 0; i < kSlots; ++i)
        for (int j = 0; j < kSlots; ++j)
            if (RowSlots[std::size_t(i)].x < RowSlots[std::size_t(j)].x)
                std::swap(RowSlots[std::size_t(i)], RowSlots[std::size_t(j)]);
    if (RowSlots[8].x - RowSlots[0].x <= kMaxRowSpan) {
        std::string line;
        for (int s = 0; s < kSlots; ++s) {
            if (s == 1 || s == 5)
                line.push_back(' ');
            line.push_back(RowSlots[std::size_t(s)].digit);
        }
        const bool listed = std::find(lots_.begin(), lots_.end(), line) != lots_.end();
        if (!listed && (line[0] == '1' || line[0] == '2')) {
            lots_.push_back(line);
            if (observer_)
                observer_->lotListed(line);
        }
    }
    clearRow();
}

void RowScanner::scanDigitRows(const Bitmap& page, const WorkingSet& set, Typeface face, int columnStart, int topY,
                               ScanObserver& observer)
{
    observer_ = &observer;
    lots_.clear();
    clearRow();
    rowTop = 0;
    progress_ = 0;
    scannedLines_ = 0;
    for (int t = 0; t < kTemplateCount; ++t)
        digits_[std::size_t(t)] = digitOfTemplate(t, face);
    matcher_.attach(page, set, columnStart);

    // Far off the page every line reads as paper, so the clamp changes nothing
    // but keeps y + 2256 inside int.
    const int top = int(std::clamp<long long>(topY, -100000LL, static_cast<long long>(page.height()) + 100000LL));
    // The count is shown from the first scanned line on, "0/15" included.
    long long reported = -1;
    for (int y = top; y < top + kScanLines; ++y) {
        if (lots_.empty() && progress_ > kEarlyStopProgress)
            break;
        if (!rowIdle && y - rowTop > kRowCollectLines) {
            rowTop += kRowEndJump;
            finishRow();
        }
        if (rowIdle && !lots_.empty() && y - rowTop > kRowSearchLines)
            rowTop += kRowSearchHop;
        if (y < rowTop)
            continue;

        ++scannedLines_;
        matcher_.prepareLine(y);
        int lastRight = columnStart - 1;
        for (int dx = 0; dx < kStripPositions; ++dx) {
            const int x = columnStart + dx;
            if (x <= lastRight || slotCount == kSlots)
                continue;
            for (const int t : kTemplateOrder) {
                // trunc(count * 100 / 660) >= score  <=>  count >= the agreeing counts below.
                const int needed = (t == 7 || t == 1) ? kStrictAgreeing : kAcceptAgreeing;
                if (!matcher_.agreesAtLeast(t, dx, needed) || isNearDuplicate(digits_[std::size_t(t)], x))
                    continue;
                RowSlots[std::size_t(slotCount)] = {digits_[std::size_t(t)], x, y};
                ++slotCount;
                lastRight = x + kTemplateWidth;
                break;
            }
        }
        if (slotCount > 0 && rowIdle) {
            rowTop = y;
            rowIdle = false;
        }
        const int progress = int(static_cast<long long>(y - top) * 100 / (kScanLines - 1));
        if (progress != progress_) {
            progress_ = progress;
            observer.pageProgress(progress);
        }
        if (static_cast<long long>(lots_.size()) != reported) {
            reported = static_cast<long long>(lots_.size());
            observer.rowsListed(int(reported));
        }
    }
    observer_ = nullptr;
}

} // namespace rida::recognition
