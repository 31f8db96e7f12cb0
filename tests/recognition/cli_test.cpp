// rida-recognize run as a user runs it, on a folder of generated sheets.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tools/pagegen/pagegen.h"
#include "ui/image/codec.h"

namespace {

namespace fs = std::filesystem;
using rida::pagegen::PageOptions;

struct CommandRun {
    int status = -1;
    std::vector<std::string> lines;
};

CommandRun run(const std::string& arguments)
{
    const std::string command = std::string(RIDA_BIN_DIR) + "/rida-recognize " + arguments + " 2>/dev/null";
    CommandRun r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return r;
    std::string line;
    for (int c; (c = std::fgetc(pipe)) != EOF;) {
        if (c == '\n') {
            r.lines.push_back(line);
            line.clear();
        } else
            line.push_back(char(c));
    }
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string jsonLine(const std::string& file, const std::string& status, const std::vector<std::string>& lots)
{
    std::string s = "{\"file\":\"" + file + "\",\"status\":\"" + status + "\",\"lots\":[";
    for (std::size_t k = 0; k < lots.size(); ++k)
        s += (k ? ",\"" : "\"") + lots[k] + "\"";
    return s + "]}";
}

class RecognizeCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("rida-cli-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        dir_ = folder_.string();
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
    std::string dir_;
};

TEST_F(RecognizeCommand, JsonLinesForAFolderInNameOrder)
{
    std::uint64_t seed = 77;
    auto rows = [&](int n) {
        std::vector<rida::pagegen::LotRow> list;
        for (int k = 0; k < n; ++k)
            list.push_back({rida::pagegen::randomLot(seed)});
        return list;
    };
    PageOptions full;
    full.rows = rows(15);
    full.skewDegrees = 1.4;
    full.noise = 8;
    PageOptions few;
    few.rows = rows(3);
    few.skewDegrees = -2.0;
    few.shiftX = 12;
    PageOptions none;
    none.rows = rows(6);
    none.referencePoint = false;
    PageOptions mixed;
    mixed.rows = {{"101230004"}, {"101230004"}, {"301230004"}, {"112345678", true}, {"212340001"},
                  {"100010001"}, {"100020002"}, {"100030003"}};
    mixed.shiftY = -10;
    // Names chosen so byte order differs from a case-blind order; extensions in any case; one BMP.
    rida::pagegen::writeJpeg(dir_ + "/B-full.jpg", rida::pagegen::drawPage(full));
    rida::pagegen::writeJpeg(dir_ + "/a-few.JPEG", rida::pagegen::drawPage(few));
    rida::pagegen::writeJpeg(dir_ + "/C-none.jpg", rida::pagegen::drawPage(none));
    rida::image::saveBmp32(dir_ + "/D-mixed.BMP", rida::pagegen::drawPage(mixed));
    std::ofstream(dir_ + "/E-broken.jpg") << "\xFF\xD8\xFF but no picture";
    std::ofstream(dir_ + "/notes.txt") << "not a page";
    fs::create_directories(dir_ + "/sub.jpg");

    const CommandRun r = run("--json --jobs 2 " + dir_);
    EXPECT_EQ(r.status, 1); // the broken file
    ASSERT_EQ(r.lines.size(), 5u);
    EXPECT_EQ(r.lines[0], jsonLine(dir_ + "/B-full.jpg", "ok", rida::pagegen::expectedLots(full)));
    EXPECT_EQ(r.lines[1], jsonLine(dir_ + "/C-none.jpg", "no-reference", {}));
    EXPECT_EQ(r.lines[2], jsonLine(dir_ + "/D-mixed.BMP", "ok", rida::pagegen::expectedLots(mixed)));
    EXPECT_EQ(r.lines[3].rfind("{\"file\":\"" + dir_ + "/E-broken.jpg\",\"status\":\"error\",\"error\":\"", 0), 0u)
        << r.lines[3];
    EXPECT_EQ(r.lines[4], jsonLine(dir_ + "/a-few.JPEG", "too-few-rows", rida::pagegen::expectedLots(few)));

    // One job gives the same lines; --rows 3 passes the short page; a file PATH as given.
    EXPECT_EQ(run("--json --jobs 1 " + dir_).lines, r.lines);
    const CommandRun single = run("--json --rows=3 " + dir_ + "/a-few.JPEG");
    EXPECT_EQ(single.status, 0);
    EXPECT_EQ(single.lines, (std::vector<std::string>{
                                jsonLine(dir_ + "/a-few.JPEG", "ok", rida::pagegen::expectedLots(few))}));

    // Without --json: what the window shows.
    const CommandRun text = run(dir_ + "/a-few.JPEG " + dir_ + "/C-none.jpg");
    std::vector<std::string> expected = {"분석파일 : " + dir_ + "/a-few.JPEG"};
    for (const auto& lot : rida::pagegen::expectedLots(few))
        expected.push_back(lot);
    expected.push_back(dir_ + "/a-few.JPEG 파일 인식 실패");
    expected.push_back(dir_ + "/C-none.jpg 기준점 인식 실패");
    EXPECT_EQ(text.lines, expected);
    EXPECT_EQ(text.status, 0);
}

TEST_F(RecognizeCommand, EmptyAndMissingFolders)
{
    const CommandRun empty = run("--json " + dir_);
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.lines.empty());
    const CommandRun missing = run("--json " + dir_ + "/nowhere");
    EXPECT_EQ(missing.status, 1);
    ASSERT_EQ(missing.lines.size(), 1u);
    EXPECT_EQ(missing.lines[0].rfind("{\"file\":\"" + dir_ + "/nowhere\",\"status\":\"error\",\"error\":", 0), 0u);
}

TEST_F(RecognizeCommand, BadOptionsExitTwo)
{
    const std::vector<std::string> bad = {"--level abc " + dir_, "--rows 1.5 " + dir_, "--top-y", "--mode 6 " + dir_,
                                          "--font serif " + dir_, "--jobs 0 " + dir_, "--frobnicate " + dir_, "--json"};
    for (const std::string& a : bad)
        EXPECT_EQ(run(a).status, 2) << a;
    EXPECT_EQ(run("--level=-5 --zone-x +818 " + dir_).status, 0);
}

TEST_F(RecognizeCommand, HelpPrintsTheUsageAndReadsNothing)
{
    const CommandRun help = run("--help " + dir_);
    EXPECT_EQ(help.status, 0);
    ASSERT_FALSE(help.lines.empty());
    EXPECT_EQ(help.lines[0].rfind("usage: rida-recognize", 0), 0u);
}

} // namespace
