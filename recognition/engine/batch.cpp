#include "recognition/engine/batch.h"

#include "image/codec.h"
#include "recognition/engine/background.h"

namespace rida::recognition {

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
    result.alignment = alignDigitStrip(workPage_, scratch_, settings, kStripWidth);
    const int strip = result.alignment.columnStart;
    if (strip == 0) {
        result.status = PageStatus::NoReference;
        return result;
    }
    // The level matters to the plain mode only and is read only there.
    removeBackground(workPage_, settings.mode,
                     readsLevel(settings.mode) ? settings.read(Setting::Level) : settings.level, strip,
                     static_cast<long long>(strip) + kStripWidth - 1);
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
