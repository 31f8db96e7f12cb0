#include "image/codec.h"
#include "recognition/engine/batch.h"
#include "tools/pagegen/pagegen.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace rida::recognition {
namespace {

namespace fs = std::filesystem;

// Everything the window would be told, as text, in order.
struct Recorder : RecognitionObserver {
    std::vector<std::string> events;
    std::vector<std::string> log;  // `mLog`
    std::vector<std::string> memo; // `memo1`
    std::vector<int> rowCounts;    // `Label15`, as shown in turn
    std::vector<bool> answers;     // to the stop question, in turn; then No
    int questions = 0;
    void filesProgress(int p) override { events.push_back("ingbar " + std::to_string(p)); }
    void filesDone(int d, int n) override { events.push_back("Label5 " + std::to_string(d) + "/" + std::to_string(n)); }
    void analysing(const std::string& name) override { events.push_back("Label7 " + name); }
    void lotsCleared() override { memo.clear(); }
    void rowsListed(int count) override { rowCounts.push_back(count); }
    void lotListed(const std::string& line) override { memo.push_back(line); }
    void failureLogged(const std::string& line) override { log.push_back(line); }
    bool stopRequested() override
    {
        const bool yes = questions < int(answers.size()) && answers[std::size_t(questions)];
        ++questions;
        events.push_back("question");
        return yes;
    }
};

class BatchRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new fs::path(fs::temp_directory_path() / ("rida-batch-test-" + std::to_string(::getpid())));
        fs::create_directories(*folder_);
        image::Bitmap blank(400, 300); // no form ink anywhere: no reference point
        blank.fill(0xFFFFFFFFu);
        pagegen::writeJpeg(path("blank.jpg"), blank);
        pagegen::PageOptions o;
        o.rows = {{"101230004"}, {"200450000"}, {"100010002"}};
        o.seed = 3;
        pagegen::writeJpeg(path("three.jpg"), pagegen::drawPage(o));
        o.rows = {};
        pagegen::writeJpeg(path("norows.jpg"), pagegen::drawPage(o));
        std::ofstream(path("text.jpg")) << "not a picture";
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(*folder_);
        delete folder_;
    }
    static std::string path(const std::string& name) { return (*folder_ / name).string(); }
    static fs::path* folder_;
};
fs::path* BatchRun::folder_ = nullptr;

TEST_F(BatchRun, StopQuestionAfterEveryThirdFailure)
{
    const std::vector<std::string> files(8, path("blank.jpg"));
    Recognizer recognizer;
    Recorder r;
    const RunResult run = runRecognition(files, {}, recognizer, r);
    // Asked before file 4 and before file 7; answered No both times.
    EXPECT_EQ(r.questions, 2);
    EXPECT_EQ(run.filesRead, 8);
    EXPECT_EQ(run.failCount, 2);
    ASSERT_EQ(r.log.size(), 8u);
    EXPECT_EQ(r.log[0], path("blank.jpg") + " 기준점 인식 실패");
    // A page without reference point updates neither Label5 nor ingbar.
    EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "Label5 1/8"), 0);

    Recorder yes;
    yes.answers = {true};
    const RunResult stopped = runRecognition(files, {}, recognizer, yes);
    EXPECT_TRUE(stopped.stoppedByUser);
    EXPECT_EQ(stopped.filesRead, 3);
    EXPECT_EQ(yes.log.size(), 3u);

    RecognitionSettings never;
    never.stopAfter = 0;
    Recorder none;
    runRecognition(files, never, recognizer, none);
    EXPECT_EQ(none.questions, 0);

    // The limit reached by the last file asks nothing: the question comes before a file.
    RecognitionSettings four;
    four.stopAfter = 4;
    Recorder once;
    const RunResult last = runRecognition(files, four, recognizer, once);
    EXPECT_EQ(once.questions, 1);
    EXPECT_EQ(last.failCount, 4);
    EXPECT_EQ(last.filesRead, 8);
}

TEST_F(BatchRun, ARowLimitOfZeroOrLessFailsNoPageForItsRows)
{
    struct Case {
        int minRows;
        std::vector<std::string> log;
    } cases[] = {
        {0, {}},
        {-1, {}},
        {1, {path("norows.jpg") + " 파일 인식 실패"}},
    };
    Recognizer recognizer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minRows);
        RecognitionSettings s;
        s.minRows = c.minRows;
        Recorder r;
        const RunResult run = runRecognition({path("three.jpg"), path("norows.jpg")}, s, recognizer, r);
        EXPECT_EQ(r.log, c.log);
        EXPECT_EQ(run.failCount, int(c.log.size()));
        EXPECT_EQ(std::count(r.events.begin(), r.events.end(), "Label5 2/2"), 1) << "both pages are judged";
    }
}

TEST_F(BatchRun, TooFewRowsKeepsItsLinesAndIsLogged)
{
    Recognizer recognizer;
    Recorder r;
    const RunResult run = runRecognition({path("three.jpg"), path("blank.jpg")}, {}, recognizer, r);
    EXPECT_EQ(run.failCount, 2);
    EXPECT_EQ(r.memo, (std::vector<std::string>{"1 0123 0004", "2 0045 0000", "1 0001 0002"}));
    EXPECT_EQ(r.log, (std::vector<std::string>{path("three.jpg") + " 파일 인식 실패",
                                               path("blank.jpg") + " 기준점 인식 실패"}));
    const std::vector<std::string> expected = {
        "ingbar 0", "ingbar 0", "Label7 " + path("three.jpg"), "ingbar 50", "Label5 1/2", "ingbar 100", "ingbar 100"};
    EXPECT_EQ(r.events, expected);

    RecognitionSettings lenient;
    lenient.minRows = 3;
    Recorder ok;
    EXPECT_EQ(runRecognition({path("three.jpg")}, lenient, recognizer, ok).failCount, 0);
    EXPECT_TRUE(ok.log.empty());
}

TEST_F(BatchRun, RowCounterShowsEachPageFromItsFirstScannedLine)
{
    Recognizer recognizer;
    Recorder r;
    runRecognition({path("three.jpg"), path("three.jpg")}, {}, recognizer, r);
    // "0/15" as soon as a page's scan begins, then each listed row, then the count after the scan.
    EXPECT_EQ(r.rowCounts, (std::vector<int>{0, 1, 2, 3, 3, 0, 1, 2, 3, 3}));
}

TEST_F(BatchRun, UnreadableFileEndsTheRunWithItsMessage)
{
    Recognizer recognizer;
    Recorder r;
    EXPECT_THROW(runRecognition({path("blank.jpg"), path("text.jpg"), path("blank.jpg")}, {}, recognizer, r),
                 image::ImageError);
    EXPECT_EQ(r.log.size(), 1u);
    EXPECT_THROW(runRecognition({path("missing.jpg")}, {}, recognizer, r), image::ImageError);
}

TEST_F(BatchRun, EmptyListReadsNothing)
{
    Recognizer recognizer;
    Recorder r;
    const RunResult run = runRecognition({}, {}, recognizer, r);
    EXPECT_EQ(run.filesRead, 0);
    EXPECT_EQ(r.events.back(), "ingbar 100");
}

TEST_F(BatchRun, BuffersAreReusedFromPageToPage)
{
    Recognizer recognizer;
    Recorder r;
    RecognitionSettings s;
    s.minRows = 0;
    runRecognition({path("three.jpg")}, s, recognizer, r);
    const std::size_t after1 = recognizer.bufferBytes();
    runRecognition(std::vector<std::string>(3, path("three.jpg")), s, recognizer, r);
    EXPECT_EQ(recognizer.bufferBytes(), after1);

    // Given back between runs, they are made afresh and the page reads the same.
    const std::vector<std::string> lots = r.memo;
    ASSERT_FALSE(lots.empty());
    recognizer.releaseBuffers();
    EXPECT_EQ(recognizer.bufferBytes(), 0u);
    runRecognition({path("three.jpg")}, s, recognizer, r);
    EXPECT_EQ(recognizer.bufferBytes(), after1);
    EXPECT_EQ(r.memo, lots);
}

} // namespace
} // namespace rida::recognition
