#pragma once
// What a recognition run shows while it goes on: the engine reports from the
// worker thread, and RunObserver carries each report to the automatic window's
// bars, counters and lists, in the order reported. Only the stop question
// waits for the user.

#include "recognition/blockingrun.h"
#include "recognition/engine/batch.h"

#include <QString>

#include <string>

namespace rida::recognition {

class AutoRegistrationWindow;

// Shown text of a full name as the engine hands it back (native bytes). The
// folder and the file name are decoded apart: a name copied from another
// system may be in the Korean code page inside a folder named in UTF-8.
QString shownName(const std::string& native);
// A failure line is the full name followed by one of the engine's suffixes.
QString shownLine(const std::string& line);

class RunObserver : public RecognitionObserver {
public:
    // `registers`: the archive edition, where each page read is filed and the
    // folder counter and the edit bar show the run's folders and placements.
    RunObserver(AutoRegistrationWindow& w, BlockingRun& run, bool registers = false)
        : w_(&w), run_(run), registers_(registers)
    {
    }

    // The folder the run reads next: `index` of `count`, with `files` files,
    // its pages registered under `regionCode`.
    void setFolder(int index, int count, int files, QString regionCode);

    void runStarted() override;
    void runFinished() override;
    void filesProgress(int percent) override;
    void filesDone(int done, int total) override;
    void pageProgress(int percent) override;
    void rowsListed(int count) override;
    void analysing(const std::string& fullName) override;
    void lotsCleared() override;
    void lotListed(const std::string& line) override;
    void failureLogged(const std::string& line) override;
    void pageRecognised(const std::string& fullName, const PageResult& page) override;
    bool stopRequested() override;
    bool cancelled() override;

private:
    template <class F> void post(F&& update);

    AutoRegistrationWindow* w_;
    BlockingRun& run_;
    int lastPageProgress_ = -1;
    int lastRowsListed_ = -1;
    bool registers_ = false;
    int folder_ = 1, folders_ = 1;
    int files_ = 0, handled_ = 0; // files of the folder, and those read to an outcome so far
    QString regionCode_;
    void fileHandled();
};

} // namespace rida::recognition
