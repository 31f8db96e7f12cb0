// The desktop trash, worked on a file name's own bytes (CP949 names included).

#include "ui/desktopservices.h"
#include "ui/trash.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;
using namespace rida;

namespace {

std::string readText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A scratch folder with a home trash of its own, on the same device.
struct TrashFixture : ::testing::Test {
    fs::path root = fs::temp_directory_path() / ("rida-trash-test-" + std::to_string(::getpid()));
    fs::path scans = root / "scans";
    fs::path trash = root / "data/Trash";
    std::string previous;
    bool hadPrevious = false;

    void SetUp() override
    {
        fs::create_directories(scans);
        if (const char* d = std::getenv("XDG_DATA_HOME")) {
            previous = d;
            hadPrevious = true;
        }
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    void TearDown() override
    {
        if (hadPrevious)
            ::setenv("XDG_DATA_HOME", previous.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(root);
    }
    fs::path write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(scans / name, std::ios::binary) << bytes;
        return scans / name;
    }
};

} // namespace

TEST(TrashInfoPath, EscapesEveryByteButTheUnreservedOnes)
{
    struct Case {
        std::string path, expected;
    } cases[] = {
        {"/home/user/Files/Img001.jpg", "/home/user/Files/Img001.jpg"},
        {"/a b/c%d", "/a%20b/c%25d"},
        {"/scans/" + std::string("\xB0\xA1", 2) + ".jpg", "/scans/%B0%A1.jpg"},
        {"/~x_y-z.", "/~x_y-z."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::trashInfoPath(c.path), c.expected) << c.path;
}

TEST_F(TrashFixture, ACp949NamedFileGoesToTheTrashWithItsRecord)
{
    const std::string name = std::string("\xC1\xF6\xB0\xA1", 4) + ".jpg"; // "지가" in CP949, not UTF-8
    const fs::path file = write(name, "page one");
    ui::DesktopServices desktop;
    QString why;
    ASSERT_TRUE(desktop.removeFile(file, &why)) << why.toStdString();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(readText(trash / "files" / name), "page one");
    const std::string record = readText(trash / "info" / (name + ".trashinfo"));
    EXPECT_EQ(record.rfind("[Trash Info]\nPath=" + ui::trashInfoPath(file.string()) + "\nDeletionDate=", 0), 0u)
        << record;

    // A second file of the same name does not overwrite the first.
    const fs::path again = write(name, "page two");
    ASSERT_TRUE(desktop.removeFile(again, &why));
    EXPECT_EQ(readText(trash / "files" / name), "page one");
    EXPECT_EQ(readText(trash / "files" / (name + ".2")), "page two");
    EXPECT_TRUE(fs::exists(trash / "info" / (name + ".2.trashinfo")));
}

TEST_F(TrashFixture, AMissingFileIsReportedAndNothingIsRecorded)
{
    std::string why;
    EXPECT_FALSE(ui::moveToTrash(scans / std::string("\xFF.jpg"), &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(fs::exists(trash / "info") && !fs::is_empty(trash / "info"));
}

TEST_F(TrashFixture, NoFileIsDeletedForGoodWhileATrashCanBeMade)
{
    struct Case {
        const char* what;
        std::string name;
    } cases[] = {
        // The home trash's folder (XDG_DATA_HOME) is not there yet: it is made.
        {"a UTF-8 name, no data folder yet", "Img001.jpg"},
        // 250 bytes: with ".trashinfo" too long for one name; the record's name is cut.
        {"a CP949 name of 250 bytes", std::string(246, '\xB0') + ".jpg"},
        // "a" and 82 syllables of three bytes: cut where no character is split.
        {"a UTF-8 name of 251 bytes",
         [] {
             std::string n = "a";
             for (int i = 0; i < 82; ++i)
                 n += "\xEA\xB0\x80"; // 가
             return n + ".jpg";
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root / "data");
        const fs::path file = write(c.name, "scanned page");
        ui::DesktopServices desktop;
        QString why;
        ASSERT_TRUE(desktop.removeFile(file, &why)) << why.toStdString();
        EXPECT_FALSE(fs::exists(file));
        int kept = 0;
        for (const auto& e : fs::directory_iterator(trash / "files")) {
            EXPECT_EQ(readText(e.path()), "scanned page");
            if (c.name.front() == 'a') {
                const QByteArray kept8 = QByteArray::fromStdString(e.path().filename().native());
                EXPECT_EQ(QString::fromUtf8(kept8).toUtf8(), kept8) << "a whole UTF-8 name";
            }
            ++kept;
        }
        EXPECT_EQ(kept, 1) << "the page is in the trash, not gone";
        for (const auto& e : fs::directory_iterator(trash / "info"))
            EXPECT_NE(readText(e.path()).find("Path=" + ui::trashInfoPath(file.string()) + "\n"), std::string::npos);
    }
}
