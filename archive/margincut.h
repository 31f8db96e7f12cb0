#pragma once
// 이미지공백제거: the blank margin at one side of a page, cut off the page as
// it is stored.
//
// A JPEG page is cut in its compressed data (a lossless crop on the MCU grid),
// never decoded and encoded again, so the pixels that stay are the scanner's
// own. An uncompressed BMP page loses exactly the blank pixel columns; its
// rows are rewritten, nothing else. Any other page is stored as it is, with a
// note that says why.
//
// The margin is judged on an eighth-size grey view of the page (one value per
// 8 x 8 block of page pixels, the block's mean): a column of that view is
// blank when every value in it is within `tolerance` grey levels of white
// (255). The cut leaves one block column of paper beside the first column
// that is not blank, so a faint border line next to the margin stays.
// Page pixels: origin top-left, x to the right.

#include <QByteArray>
#include <QString>

#include <optional>

namespace rida::archive {

enum class MarginSide { None, Left, Right };

constexpr int kBlankTolerance = 32; // grey levels below white that still count as paper

struct PageSize {
    int width = 0;  // pixels
    int height = 0; // pixels
};

// The size of a JPEG or BMP page from its header; nullopt for anything else.
std::optional<PageSize> pageSize(const QByteArray& page);

struct MarginCut {
    QByteArray bytes;   // the page to store: cut, or the original's bytes unchanged
    PageSize size;      // of the stored page; 0 x 0 when its format is unknown
    int cutColumns = 0; // page pixel columns taken off
    QString note;       // Korean; why nothing was cut, when there is a reason worth telling
};

// Cuts the blank margin at `side`. MarginSide::None, a page without a blank
// margin there, an all-blank page and a page of another format come back
// uncut. Throws ArchiveError (Failure::Invalid) for a JPEG or BMP page whose
// data cannot be read.
MarginCut cutMargin(const QByteArray& page, MarginSide side, int tolerance = kBlankTolerance);

} // namespace rida::archive
