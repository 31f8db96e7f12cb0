#pragma once
// The output commands of the lookup window: print the record's page, print or
// save a capture of the view, hand the page or a capture to the word
// processor, and choose the default printer. They take what they need as an
// OutputSource, so they run the same from the window's output bar and from a
// test. Each command throws what it does not handle itself; the caller runs it
// through ui::runCommand (the general error report).
//
// Page commands use the temporary page bitmap "Tools/imgtemp.bmp" of the
// application directory; the Tools folder is created when it is missing.

#include "image/bitmap.h"

#include <QImage>
#include <QString>

#include <functional>

class QWidget;

namespace rida::lookup {

struct OutputSource {
    QWidget* owner = nullptr;            // the lookup window; it owns the report layouts
    QString appDir;                      // the application directory, ending with the separator
    const image::Bitmap* page = nullptr; // the viewer's page bitmap, as modified in the viewer
    QString recordFile;                  // the record page file, as stored
    bool modifiedOutput = false;         // "수정출력": print and export the page as modified
    std::function<QImage()> captureView; // the view capture (see captureViewArea)
    std::function<void()> repaintView;   // repaints the view at once; may be empty
};

// The image box fitted to a page: the box moves right by `left` layout pixels
// and takes `width` x `height`.
struct BoxFit {
    int left = 0;
    int width = 0;
    int height = 0;
    bool operator==(const BoxFit&) const = default;
};

// Fits a box of boxWidth x boxHeight layout pixels to a page of width x height
// pixels, truncating every quotient toward zero: a page wider than the box
// takes the full width (or, when that makes it too high, the full height,
// centred across); a narrower page that is too high takes the full height,
// centred across; any other page gets the full box.
BoxFit fitPrintBox(int width, int height, int boxWidth, int boxHeight);

// A page less high than wide prints on the landscape layout, any other on the portrait one.
inline bool printsLandscape(int width, int height)
{
    return height < width;
}

// Print page ("출력", F9). The layout and the box follow the picture that is
// printed: the page as modified when "수정출력" is ticked, otherwise the record
// page file as stored (so a page turned in the viewer prints as stored, never
// stretched to the turned proportions). Modeless preview, then the print.
void printPage(const OutputSource& source);

// Print capture: landscape layout, monochrome, the capture at its own size
// centred in the box, modal preview of 800 x 600 with the owner disabled meanwhile.
void printCapture(const OutputSource& source);

// Save capture: the save dialog (BMP), replacing an existing file.
void saveCapture(const OutputSource& source);

// Page to word processor and capture to word processor: a question, then a new
// untitled document holding the picture centred.
void pageToWordProcessor(const OutputSource& source);
void captureToWordProcessor(const OutputSource& source);

// Printer setup ("설정"): the printer dialog, then the chosen printer becomes
// the default printer of every program.
void printerSetup(QWidget* owner);

// The view capture: the view's page area without its scroll bars of
// `scrollBar` pixels, with everything shown over it.
QImage captureViewArea(QWidget* view, int scrollBar = 17);

// Writes `page` as a 32-bit BMP to the temporary page bitmap and returns its path.
QString saveTempBitmap(const QString& appDir, const image::Bitmap& page);

// Texts of this bar.
namespace text {
inline const char* const kPageQuestion = "선택한 이미지를 MicroSoft Word의 새로운 문서로 연결하겠습니까?";
inline const char* const kCaptureQuestion = "캡쳐된 이미지를 MicroSoft Word의 새로운 문서로 연결하겠습니까?";
inline const char* const kNoWordProcessor = "MicroSoft Word가 설치되어 있지 않습니다!";
inline const char* const kRecordFileMissing = "지가조서를 찾을 수 없습니다! 담당자에게 문의하십시오.";
} // namespace text

} // namespace rida::lookup
