// rida-recognize run as a user runs it, on a folder of generated sheets.

#include "image/codec.h"
#include "tools/pagegen/pagegen.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using rida::pagegen::PageOptions;

struct CommandRun {
    int status = -1;
    std::vector<std::string> lines;
    std::string errors; // what it wrote to stderr
};

CommandRun run(const std::string& arguments)
{
    const fs::path errorFile = fs::temp_directory_path() / ("rida-cli-stderr-" + std::to_string(::getpid()));
    const std::string command =
        std::string(RIDA_BIN_DIR) + "/rida-recognize " + arguments + " 2>'" + errorFile.string() + "'";
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
    {
        std::ifstream in(errorFile, std::ios::binary);
        r.errors.assign(std::istreambuf_iterator<char>(in), {});
    }
    fs::remove(errorFile);
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
    mixed.rows = {{"101230004"}, {"101230004"}, {"301230004"}, {"112345678", true},
                  {"212340001"}, {"100010001"}, {"100020002"}, {"100030003"}};
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
    // In the order of the window's file list: case ignored.
    EXPECT_EQ(r.lines[0], jsonLine(dir_ + "/a-few.JPEG", "too-few-rows", rida::pagegen::expectedLots(few)));
    EXPECT_EQ(r.lines[1], jsonLine(dir_ + "/B-full.jpg", "ok", rida::pagegen::expectedLots(full)));
    EXPECT_EQ(r.lines[2], jsonLine(dir_ + "/C-none.jpg", "no-reference", {}));
    EXPECT_EQ(r.lines[3], jsonLine(dir_ + "/D-mixed.BMP", "ok", rida::pagegen::expectedLots(mixed)));
    EXPECT_EQ(r.lines[4].rfind("{\"file\":\"" + dir_ + "/E-broken.jpg\",\"status\":\"error\",\"error\":\"", 0), 0u)
        << r.lines[4];

    // One job gives the same lines; --rows 3 passes the short page; a file PATH as given.
    EXPECT_EQ(run("--json --jobs 1 " + dir_).lines, r.lines);
    const CommandRun single = run("--json --rows=3 " + dir_ + "/a-few.JPEG");
    EXPECT_EQ(single.status, 0);
    EXPECT_EQ(single.lines,
              (std::vector<std::string>{jsonLine(dir_ + "/a-few.JPEG", "ok", rida::pagegen::expectedLots(few))}));

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
    EXPECT_NE(empty.errors.find("읽을 이미지 파일"), std::string::npos) << "an empty folder is said to be one";
    EXPECT_NE(empty.errors.find(dir_), std::string::npos);
    const CommandRun missing = run("--json " + dir_ + "/nowhere");
    EXPECT_EQ(missing.status, 1);
    ASSERT_EQ(missing.lines.size(), 1u);
    EXPECT_EQ(missing.lines[0].rfind("{\"file\":\"" + dir_ + "/nowhere\",\"status\":\"error\",\"error\":", 0), 0u);
}

TEST_F(RecognizeCommand, BadOptionsExitTwoWithAMessageNamingTheOption)
{
    const std::pair<std::string, std::string> bad[] = {
        {"--level abc " + dir_, "--level: 'abc'"},      {"--rows 1.5 " + dir_, "--rows: '1.5'"},
        {"--top-y", "--top-y needs a value"},           {"--mode 6 " + dir_, "--mode"},
        {"--font serif " + dir_, "--font: 'serif'"},    {"--jobs 0 " + dir_, "--jobs"},
        {"--frobnicate " + dir_, "--frobnicate"},       {"--json", "PATH"},
        {"--level 2147483648 " + dir_, "out of range"}, {"--font --help " + dir_, "--font: '--help'"},
    };
    for (const auto& [arguments, named] : bad) {
        SCOPED_TRACE(arguments);
        const CommandRun r = run(arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.lines.empty());
        EXPECT_EQ(r.errors.rfind("rida-recognize: ", 0), 0u) << r.errors;
        EXPECT_NE(r.errors.find(named), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find("usage: rida-recognize"), std::string::npos);
    }
    EXPECT_EQ(run("--level=-5 --zone-x +818 " + dir_).status, 0);
}

// Each option reaches its setting: one small folder, a Gothic and a Myeongjo
// sheet, and for each option a value whose effect the result shows.
TEST_F(RecognizeCommand, EachOptionReachesItsSetting)
{
    std::uint64_t seed = 31;
    PageOptions gothic;
    PageOptions myeongjo;
    myeongjo.typeface = rida::recognition::Typeface::Myeongjo;
    for (PageOptions* o : {&gothic, &myeongjo}) {
        for (int k = 0; k < 6; ++k)
            o->rows.push_back({rida::pagegen::randomLot(seed)});
        o->shiftX = 12; // the reference point off 237, so that no setting below works out to a start of 0
        o->skewDegrees = 0.8;
        o->headings = false;
    }
    const std::string g = dir_ + "/gothic.jpg", m = dir_ + "/myeongjo.jpg";
    rida::pagegen::writeJpeg(g, rida::pagegen::drawPage(gothic));
    rida::pagegen::writeJpeg(m, rida::pagegen::drawPage(myeongjo));
    const auto G = rida::pagegen::expectedLots(gothic), M = rida::pagegen::expectedLots(myeongjo);
    const std::vector<std::string> none;
    ASSERT_EQ(G.size(), 6u);
    ASSERT_EQ(M.size(), 6u);

    struct Case {
        std::string options;
        const std::string& file;
        std::string status;
        const std::vector<std::string>& lots;
    };
    const Case cases[] = {
        {"", g, "ok", G},
        {"--font gothic", g, "ok", G},
        {"--font myeongjo", m, "ok", M},
        {"--rows 7", g, "too-few-rows", G},
        {"--level 255", g, "too-few-rows", none}, // mode 0: every pixel ink
        {"--level -1", g, "too-few-rows", none},  // every pixel paper
        {"--mode 1 --level 255", g, "ok", G},     // the level is mode 0's only
        {"--mode 4 --font myeongjo", m, "ok", M},
        {"--top-y 3000", g, "too-few-rows", none}, // below every row
        {"--left-x 0", g, "no-reference", none},   // the windows left of the table
        {"--zone-x 0", g, "too-few-rows", none},   // the strip at the page's left edge
        {"--table-x 818", g, "too-few-rows", none},
        {"--zone-x 1000 --table-x 419", g, "ok", G}, // the same start, xr + 581
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const CommandRun r = run("--json " + c.options + " " + c.file);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.lines, (std::vector<std::string>{jsonLine(c.file, c.status, c.lots)}));
    }
    // Without --font the Gothic set does not read the Myeongjo sheet (what it
    // makes of it is not pinned here).
    const CommandRun gothicSet = run("--json " + m);
    ASSERT_EQ(gothicSet.lines.size(), 1u);
    EXPECT_NE(gothicSet.lines[0], jsonLine(m, "ok", M));
}

// Every line is a JSON object a JSON reader accepts, whatever bytes the file
// names hold: quotes and backslashes escaped, and a name in the Korean code
// page given as the text the window shows for it.
TEST_F(RecognizeCommand, JsonLinesStayValidForAnyFileName)
{
    rida::image::Bitmap blank(300, 300);
    blank.fill(0xFFFFFFFFu);
    const std::string cp949 = "\xC1\xF6\xB0\xA1"; // "지가"
    struct Named {
        std::string bytes;
        QString shown;
        bool broken;
    };
    const Named names[] = {
        {"a\"b.bmp", QStringLiteral("a\"b.bmp"), false},
        {"c\\d.bmp", QStringLiteral("c\\d.bmp"), false},
        {cp949 + ".bmp", QStringLiteral("지가.bmp"), false},
        {"\xEC\xA7\x80\xEA\xB0\x80-utf8.bmp", QStringLiteral("지가-utf8.bmp"), false},
        {"z-" + cp949 + ".jpg", QStringLiteral("z-지가.jpg"), true},
    };
    for (const Named& n : names) {
        if (n.broken)
            std::ofstream(dir_ + "/" + n.bytes) << "\xFF\xD8\xFF but no picture";
        else
            rida::image::saveBmp32(dir_ + "/" + n.bytes, blank);
    }
    const CommandRun r = run("--json " + dir_);
    EXPECT_EQ(r.status, 1);
    QStringList files, statuses;
    for (const std::string& line : r.lines) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line << ": " << error.errorString().toStdString();
        ASSERT_TRUE(doc.isObject()) << line;
        files << doc.object().value("file").toString();
        statuses << doc.object().value("status").toString();
        if (statuses.last() == "error") {
            EXPECT_TRUE(doc.object().value("error").toString().contains(QStringLiteral("z-지가.jpg"))) << line;
        }
    }
    QStringList expected;
    for (const Named& n : names)
        expected << QString::fromStdString(dir_ + "/") + n.shown;
    expected.sort(); // here every name sorts the same by bytes and by the file list's order
    files.sort();
    EXPECT_EQ(files, expected);
    EXPECT_EQ(statuses.count("no-reference"), 4);
    EXPECT_EQ(statuses.count("error"), 1);
    // A UTF-8 name stays exactly as before.
    EXPECT_NE(std::find(r.lines.begin(), r.lines.end(), jsonLine(dir_ + "/a\\\"b.bmp", "no-reference", {})),
              r.lines.end());
}

TEST_F(RecognizeCommand, HelpPrintsTheUsageAndReadsNothing)
{
    const CommandRun help = run("--help " + dir_);
    EXPECT_EQ(help.status, 0);
    ASSERT_FALSE(help.lines.empty());
    EXPECT_EQ(help.lines[0].rfind("usage: rida-recognize", 0), 0u);
}

// What cannot be a page gives its error line at once: a pipe (which would wait
// for a writer), a device that never ends, a link to itself. The files around
// it are read as ever.
TEST_F(RecognizeCommand, PathsThatAreNoPlainFileGiveAnErrorAndTheRunGoesOn)
{
    const fs::path pipe = folder_ / "pipe.jpg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path loop = folder_ / "loop.jpg";
    fs::create_symlink("loop.jpg", loop);
    const CommandRun r = run("--json " + pipe.string() + " /dev/zero " + loop.string() + " " + dir_);
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 3u) << r.errors; // the folder lists neither the pipe nor the loop
    const std::string says[] = {"일반 파일이 아닙니다", "일반 파일이 아닙니다", "열 수 없습니다"};
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(r.lines[k]);
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.lines[k]));
        EXPECT_EQ(doc.object().value("status").toString(), QStringLiteral("error"));
        EXPECT_NE(doc.object().value("error").toString().toStdString().find(says[k]), std::string::npos);
    }
}

// Output that cannot be written is no success.
TEST_F(RecognizeCommand, OutputThatCannotBeWrittenExitsOne)
{
    rida::image::Bitmap page = rida::pagegen::drawPage(PageOptions{});
    rida::image::saveBmp32((folder_ / "a.bmp").string(), page);
    for (const char* json : {"--json ", ""}) {
        SCOPED_TRACE(json);
        const CommandRun r = run(std::string(json) + dir_ + " >/dev/full");
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.errors.find("결과를 쓸 수 없습니다"), std::string::npos) << r.errors;
    }
}

} // namespace
