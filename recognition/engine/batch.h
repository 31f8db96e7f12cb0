#pragma once
// The batch recognition run: every listed file is loaded, aligned, reduced to
// two colours and scanned for digit rows; failed files are logged and, after
// repeated failures, the user is asked whether to stop.
//
// The engine never talks to widgets. Everything the window shows arrives
// through RecognitionObserver, called on the thread that runs the engine; a
// window that runs the engine on a worker thread forwards the calls to its own
// thread and answers stopRequested() from there (blocking the worker meanwhile).
// One Recognizer is used by one thread at a time; separate Recognizers may run
// side by side.

#include "image/bitmap.h"
#include "recognition/engine/alignment.h"
#include "recognition/engine/digit_scan.h"
#include "recognition/engine/settings.h"
#include "recognition/engine/templates.h"

#include <string>
#include <vector>

namespace rida::recognition {

inline constexpr const char* kStopQuestion = "인식 중지 실패 횟수를 넘었습니다. 인식을 중지하겠습니까?";
inline constexpr const char* kNoReferenceSuffix = " 기준점 인식 실패";
inline constexpr const char* kTooFewRowsSuffix = " 파일 인식 실패";

struct PageResult;

class RecognitionObserver : public ScanObserver {
public:
    // From ScanObserver: pageProgress, rowsListed, lotListed of the page being read.
    virtual void filesProgress(int percent) {}             // share of the files read, 0..100
    virtual void filesDone(int done, int total) {}         // files read so far of the files listed
    virtual void analysing(const std::string& fullName) {} // the file now being read
    virtual void lotsCleared() {}                          // the lots listed so far are dropped (a new page)
    virtual void failureLogged(const std::string& line) {} // a failed file, with the reason as its suffix
    virtual void runStarted() {}                           // the run begins: folder and edit progress at 0
    virtual void runFinished() {} // the run ends: folder progress complete (no editing is done)
    // A file whose lot rows were read (the run's success case), after its
    // rows were listed; `page.lots` holds them. The archive edition registers it.
    virtual void pageRecognised(const std::string& fullName, const PageResult& page) {}
    // The stop question (kStopQuestion, Yes/No); true means Yes, stop the run.
    virtual bool stopRequested() { return false; }
    // Asked before each file: true ends the run there, without a question
    // (the program is ending). May be asked from the run's own thread.
    virtual bool cancelled() { return false; }
};

enum class PageStatus { Ok, NoReference, TooFewRows };

struct PageResult {
    PageStatus status = PageStatus::Ok;
    Alignment alignment;
    std::vector<std::string> lots; // lot lines as listed, "1 0123 0004"
};

struct RunResult {
    int filesRead = 0; // files loaded, the failed ones included
    int failCount = 0; // failures since the start or since the user last chose to go on
    bool stoppedByUser = false;
    bool cancelled = false; // ended before a file because the observer said so
};

// Holds the buffers of a run: the working page, the rotation buffer and the
// packed rows of the scan, reused from page to page. The rotation buffer is
// kept for the whole run rather than given back after each page, so that a
// folder costs no page-sized allocation per page; nothing is ever shown from
// it, and releaseBuffers() gives both pages back when the run ends.
class Recognizer {
public:
    Recognizer();

    // Copies the stored set of `face` into the working set (the first step of a run).
    void copyTemplates(Typeface face) { workingSet_.copyFrom(face); }

    // Loads `path` into the working page and reads it: alignment, background
    // removal, row scan. Only the pixels a run can read (pixelsRunReads) are
    // decoded; the answers are those of reading the whole page. The rest of
    // a JPEG's data, read only to meet a fault in the file, is read on a
    // thread of its own beside the page's reading, whose calls of `observer`
    // wait until the file has proved whole (a damaged file throws before any). Throws image::ImageError (or
    // std::length_error for a page too large to hold) when the file cannot be read; std::invalid_argument for a mode
    // outside 0..5.
    PageResult recognizePage(const std::string& path, const RecognitionSettings& settings,
                             RecognitionObserver& observer);
    // The same with the whole page decoded: the reference the decoding of
    // only what is read is measured and tested against.
    PageResult recognizeWholePage(const std::string& path, const RecognitionSettings& settings,
                                  RecognitionObserver& observer);

    // The same steps on a page already in memory (copied into the working page).
    PageResult recognizeBitmap(const image::Bitmap& page, const RecognitionSettings& settings,
                               RecognitionObserver& observer);

    // The page as last read: of a page with a reference point, the digit strip
    // (kStripWidth columns from the column start, over the lines the scan
    // reads) upright and in two colours; its other pixels are unspecified.
    const image::Bitmap& workPage() const { return workPage_; }
    const WorkingSet& workingSet() const { return workingSet_; }
    const RowScanner& rows() const { return scanner_; }
    std::size_t bufferBytes() const;
    // Gives back the working page and the rotation buffer; the next page
    // allocates them afresh.
    void releaseBuffers();

private:
    PageResult readWorkPage(const RecognitionSettings& settings, RecognitionObserver& observer,
                            const std::string& name);

    image::Bitmap workPage_;
    image::Bitmap scratch_;
    WorkingSet workingSet_;
    RowScanner scanner_;
};

// The lines of the aligned page that the row scan reads (inclusive): the scan
// lines from topY and the template height below the last; the whole page when
// topY is given as no whole number.
struct LineRange {
    long long top, bottom;
};
LineRange linesScanRead(int height, const RecognitionSettings& settings);

// The pixels of a page of width x height, as loaded, that recognizing it can
// read at any skew alignment may measure (half-open, within the page).
image::RectI pixelsRunReads(int width, int height, const RecognitionSettings& settings);

// `recognizeFiles`: the file loop over `fullNames` in order, with failCount, the
// stop question and the two failure lines (full name + suffix). A file that
// cannot be read ends the run by the exception (the window shows its text).
RunResult recognizeFiles(const std::vector<std::string>& fullNames, const RecognitionSettings& settings,
                         Recognizer& recognizer, RecognitionObserver& observer);

// The whole "자동 등록" command without its cursor: bars to 0, the chosen set
// copied into the working set, failCount 0, recognizeFiles, bars to 100.
RunResult runRecognition(const std::vector<std::string>& fullNames, const RecognitionSettings& settings,
                         Recognizer& recognizer, RecognitionObserver& observer);

} // namespace rida::recognition
