#include "registration/folderlisting.h"

#include "model/error.h"
#include "tests/registration/fixtures.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace rida::registration;

namespace {

QStringList names(const std::vector<FolderEntry>& entries)
{
    QStringList n;
    for (const auto& e : entries)
        n << e.name;
    return n;
}

} // namespace

TEST(RegistrationMaskTest, MatchesLikeTheWindowsFileList)
{
    struct Case {
        const char* name;
        const char* masks;
        bool matches;
    };
    const Case cases[] = {
        {"Img001.jpg", "*.jpg", true},  {"IMG001.JPG", "*.jpg", true},    {"a.jpg.bak", "*.jpg", false},
        {"a.jpeg", "*.jpg", false},     {"jpg", "*.jpg", false},          {".jpg", "*.jpg", true},
        {"a.bmp", "*.bmp;*.jpg", true}, {"a.jpeg", "*.bmp;*.jpg;*.jpeg", true}, {"a1.jpg", "a?.jpg", true},
        {"a12.jpg", "a?.jpg", false},   {"지가조서.JPG", "*.jpg", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesMask(QString::fromUtf8(c.name), QString::fromUtf8(c.masks)), c.matches) << c.name << " " << c.masks;
}

TEST(RegistrationFolderListingTest, ListsMatchingFilesSortedByNameRegardlessOfCase)
{
    rida::test::AppFolder app;
    const fs::path f = app.files();
    for (const char* n : {"b.jpg", "A.JPG", "c.png", "a2.jpg", "notes.txt"})
        rida::test::writeBytes(f / n, "x");
    fs::create_directory(f / "folder.jpg");
    EXPECT_EQ(names(listFiles(f, QStringLiteral("*.jpg"))), (QStringList{"A.JPG", "a2.jpg", "b.jpg"}));
}

TEST(RegistrationFolderListingTest, KeepsNamesThatAreNotUtf8AndShowsThemAsKorean)
{
    rida::test::AppFolder app;
    // "가" and the extension syllable U+AC02 in the Microsoft Korean code page.
    const std::string cp949Name = std::string("\xB0\xA1\x81\x41", 4) + ".jpg";
    rida::test::writeBytes(app.files() / cp949Name, "x");
    const auto files = listFiles(app.files(), QStringLiteral("*.jpg"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, QString::fromUtf8("가\xEA\xB0\x82.jpg"));
    EXPECT_EQ(files[0].path.filename().native(), cp949Name);  // the bytes to open it with
    EXPECT_TRUE(fs::exists(files[0].path));
}

TEST(RegistrationFolderListingTest, ListsVisibleSubfoldersOnly)
{
    rida::test::AppFolder app;
    const fs::path f = app.files();
    fs::create_directory(f / "2003");
    fs::create_directory(f / "1998");
    fs::create_directory(f / ".cache");
    rida::test::writeBytes(f / "file.jpg", "x");
    EXPECT_EQ(names(listFolders(f)), (QStringList{"1998", "2003"}));
}

TEST(RegistrationFolderListingTest, AFolderThatCannotBeReadIsAnErrorNamingIt)
{
    rida::test::AppFolder app;
    const fs::path missing = app.files() / "gone";
    try {
        listFiles(missing, QStringLiteral("*.jpg"));
        FAIL() << "no error";
    } catch (const rida::model::Error& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("폴더를 읽을 수 없습니다"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("gone")));
    }
    EXPECT_THROW(listFolders(missing), rida::model::Error);
}
