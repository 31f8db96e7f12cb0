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
    RunObserver(AutoRegistrationWindow& w, BlockingRun& run) : w_(&w), run_(run) {}

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
    bool stopRequested() override;
    bool cancelled() override;

private:
    template <class F> void post(F&& update);

    AutoRegistrationWindow* w_;
    BlockingRun& run_;
    int lastPageProgress_ = -1;
    int lastRowsListed_ = -1;
};

} // namespace rida::recognition
