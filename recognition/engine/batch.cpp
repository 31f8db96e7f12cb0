#include "recognition/engine/batch.h"

#include "image/codec.h"
#include "recognition/engine/background.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>

namespace rida::recognition {

namespace {
// What the reading of a page reports, kept to be passed on later in order.
class HeldCalls : public RecognitionObserver {
public:
    void pageProgress(int percent) override
    {
        calls_.push_back([percent](RecognitionObserver& o) { o.pageProgress(percent); });
    }
    void rowsListed(int count) override
    {
        calls_.push_back([count](RecognitionObserver& o) { o.rowsListed(count); });
    }
    void lotListed(const std::string& line) override
    {
        calls_.push_back([line](RecognitionObserver& o) { o.lotListed(line); });
    }
    void analysing(const std::string& fullName) override
    {
        calls_.push_back([fullName](RecognitionObserver& o) { o.analysing(fullName); });
    }
    void lotsCleared() override
    {
        calls_.push_back([](RecognitionObserver& o) { o.lotsCleared(); });
    }
    void replay(RecognitionObserver& observer) const
    {
        for (const auto& call : calls_)
            call(observer);
    }

private:
    std::vector<std::function<void(RecognitionObserver&)>> calls_;
};
} // namespace

Recognizer::Recognizer()
{
    workingSet_.copyFrom(Typeface::Gothic);
}

std::size_t Recognizer::bufferBytes() const
{
    return (workPage_.capacityPixels() + scratch_.capacityPixels()) * sizeof(std::uint32_t);
}

void Recognizer::releaseBuffers()
{
    workPage_.release();
    scratch_.release();
}

PageResult Recognizer::recognizePage(const std::string& path, const RecognitionSettings& settings,
                                     RecognitionObserver& observer)
{
    workPage_.clear();
    image::PageTail tail;
    image::loadPageRegion(
        path, workPage_, [&settings](int width, int height) { return pixelsRunReads(width, height, settings); }, tail);
    if (!tail.pending())
        return readWorkPage(settings, observer, path);
    // Below what is read, a JPEG's data is decoded only to meet a fault in the
    // file. That runs beside the reading of the page; what the reading reports
    // is held back until the file has proved whole, so that a damaged file
    // shows nothing of its page and fails as if it had been decoded first.
    std::exception_ptr fileFault;
    std::thread rest;
    try {
        rest = std::thread([&tail, &fileFault] {
            try {
                tail.finish();
            } catch (...) {
                fileFault = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        tail.finish(); // no thread to be had: the file first, as the whole-page path does
        return readWorkPage(settings, observer, path);
    }
    HeldCalls held;
    PageResult result;
    std::exception_ptr readFault;
    try {
        result = readWorkPage(settings, held, path);
    } catch (...) {
        readFault = std::current_exception();
    }
    rest.join();
    if (fileFault) {
        workPage_.release();
        std::rethrow_exception(fileFault);
    }
    held.replay(observer);
    if (readFault)
        std::rethrow_exception(readFault);
    return result;
}

PageResult Recognizer::recognizeWholePage(const std::string& path, const RecognitionSettings& settings,
                                          RecognitionObserver& observer)
{
    workPage_.clear();
    image::loadPage(path, workPage_);
    return readWorkPage(settings, observer, path);
}

PageResult Recognizer::recognizeBitmap(const image::Bitmap& page, const RecognitionSettings& settings,
                                       RecognitionObserver& observer)
{
    workPage_ = page;
    return readWorkPage(settings, observer, std::string());
}

PageResult Recognizer::readWorkPage(const RecognitionSettings& settings, RecognitionObserver& observer,
                                    const std::string& name)
{
    PageResult result;
    observer.pageProgress(0);
    // Only the digit strip is read after the reference point: only it is
    // turned upright and reduced to two colours.
    const LineRange lines = linesScanRead(workPage_.height(), settings);
    result.alignment = alignDigitStrip(workPage_, scratch_, settings, kStripWidth, lines.top, lines.bottom);
    const int strip = result.alignment.columnStart;
    if (strip == 0) {
        result.status = PageStatus::NoReference;
        return result;
    }
    // The level matters to the plain mode only and is read only there.
    removeBackground(workPage_, settings.mode,
                     readsLevel(settings.mode) ? settings.read(Setting::Level) : settings.level, strip,
                     static_cast<long long>(strip) + kStripWidth - 1, lines.top, lines.bottom);
    observer.analysing(name);
    observer.lotsCleared();
    scanner_.scanDigitRows(workPage_, workingSet_, settings.typeface, result.alignment.columnStart,
                           settings.read(Setting::TopY), observer);
    result.lots = scanner_.lots();
    observer.rowsListed(int(result.lots.size()));
    if (int(result.lots.size()) < settings.read(Setting::MinRows))
        result.status = PageStatus::TooFewRows;
    return result;
}

LineRange linesScanRead(int height, const RecognitionSettings& settings)
{
    if (!settings.unreadable[std::size_t(Setting::TopY)].empty())
        return {0, height - 1LL};
    // As the scan clamps its first line.
    const long long top = std::clamp<long long>(settings.topY, -100000LL, height + 100000LL);
    return {top, top + kScanLines - 1 + kTemplateHeight - 1};
}

image::RectI pixelsRunReads(int width, int height, const RecognitionSettings& settings)
{
    const LineRange lines = linesScanRead(height, settings);
    return pixelsAlignmentReads(width, height, settings, kStripWidth, lines.top, lines.bottom);
}

RunResult recognizeFiles(const std::vector<std::string>& fullNames, const RecognitionSettings& settings,
                         Recognizer& recognizer, RecognitionObserver& observer)
{
    RunResult run;
    observer.filesProgress(0);
    observer.pageProgress(0);
    const int n = int(fullNames.size());
    for (int i = 1; i <= n; ++i) {
        if (observer.cancelled()) {
            run.cancelled = true;
            return run;
        }
        const int stopAfter = settings.read(Setting::StopAfter);
        if (stopAfter > 0 && run.failCount >= stopAfter) {
            if (observer.stopRequested()) {
                run.stoppedByUser = true;
                return run;
            }
            run.failCount = 0;
        }
        const std::string& name = fullNames[std::size_t(i - 1)];
        const PageResult page = recognizer.recognizePage(name, settings, observer);
        ++run.filesRead;
        if (page.status == PageStatus::NoReference) {
            observer.failureLogged(name + kNoReferenceSuffix);
            ++run.failCount;
            continue;
        }
        if (page.status == PageStatus::TooFewRows) {
            observer.failureLogged(name + kTooFewRowsSuffix);
            ++run.failCount;
        } else {
            observer.pageRecognised(name, page);
        }
        observer.pageProgress(100);
        observer.filesProgress(int(static_cast<long long>(i) * 100 / n));
        observer.filesDone(i, n);
    }
    observer.filesProgress(100);
    return run;
}

RunResult runRecognition(const std::vector<std::string>& fullNames, const RecognitionSettings& settings,
                         Recognizer& recognizer, RecognitionObserver& observer)
{
    observer.runStarted();
    observer.filesProgress(0);
    observer.pageProgress(0);
    recognizer.copyTemplates(settings.typeface);
    // An unreadable file leaves by the exception: the bars keep what they show.
    const RunResult run = recognizeFiles(fullNames, settings, recognizer, observer);
    observer.pageProgress(100);
    observer.filesProgress(100);
    observer.runFinished();
    return run;
}

} // namespace rida::recognition
