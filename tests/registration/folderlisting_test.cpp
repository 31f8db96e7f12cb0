#include "components/folderlisting.h"
#include "model/error.h"
#include "tests/registration/fixtures.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace rida::components;

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
        {"Img001.jpg", "*.jpg", true},   {"IMG001.JPG", "*.jpg", true},
        {"a.jpg.bak", "*.jpg", false},   {"a.jpeg", "*.jpg", false},
        {"jpg", "*.jpg", false},         {".jpg", "*.jpg", true},
        {"a.bmp", "*.bmp;*.jpg", true},  {"a.jpeg", "*.bmp;*.jpg;*.jpeg", true},
        {"a1.jpg", "a?.jpg", true},      {"a12.jpg", "a?.jpg", false},
        {"지가조서.JPG", "*.jpg", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesMask(QString::fromUtf8(c.name), QString::fromUtf8(c.masks)), c.matches)
            << c.name << " " << c.masks;
}

TEST(RegistrationFolderListingTest, ListsMatchingVisibleFilesSortedByNameRegardlessOfCase)
{
    rida::test::AppFolder app;
    const fs::path f = app.files();
    for (const char* n : {"b.jpg", "A.JPG", "c.png", "a2.jpg", "notes.txt", "._b.jpg", ".hidden.jpg"})
        rida::test::writeBytes(f / n, "x");
    fs::create_directory(f / "folder.jpg");
    // Hidden files are left out, as the subfolders' list leaves out hidden folders.
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
    EXPECT_EQ(files[0].path.filename().native(), cp949Name); // the bytes to open it with
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

TEST(MountTable, ParsesPointsAndTypesAndTellsWhichToBrowse)
{
    const std::string table = "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                              "23 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                              "24 23 0:22 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
                              "25 23 8:2 / /media/scan\\040disk rw,relatime shared:5 master:2 - vfat /dev/sdb1 rw\n"
                              "26 23 0:50 / /mnt/archive rw - nfs4 server:/archive rw\n"
                              "27 23 0:51 / /home/clerk/remote rw - fuse.sshfs clerk@host: rw\n"
                              "28 23 0:5 / /dev/shm rw - tmpfs tmpfs rw\n"
                              "not a mount line\n"
                              "29 23 0:52 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                              "30 23 8:17 / /run/media/clerk/USB\\040STICK rw,nosuid - exfat /dev/sdc1 rw\n"
                              "31 23 0:53 / /run/media rw - tmpfs tmpfs rw";
    const std::vector<Mount> mounts = parseMountInfo(table);
    struct Expected {
        const char* point;
        const char* type;
        bool browsable, remote;
    } expected[] = {
        {"/proc", "proc", false, false},
        {"/", "ext4", true, false},
        {"/sys/fs/cgroup", "cgroup2", false, false},
        {"/media/scan disk", "vfat", true, false},
        {"/mnt/archive", "nfs4", true, true},
        {"/home/clerk/remote", "fuse.sshfs", true, true},
        {"/dev/shm", "tmpfs", false, false},
        {"/run/user/1000", "tmpfs", false, false},
        {"/run/media/clerk/USB STICK", "exfat", true, false}, // a removable disk
        {"/run/media", "tmpfs", false, false},
    };
    ASSERT_EQ(mounts.size(), std::size(expected));
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        SCOPED_TRACE(expected[i].point);
        EXPECT_EQ(mounts[i].point, expected[i].point);
        EXPECT_EQ(mounts[i].type, expected[i].type);
        EXPECT_EQ(isBrowsableMount(mounts[i]), expected[i].browsable);
        EXPECT_EQ(isRemoteMount(mounts[i]), expected[i].remote);
    }
}

TEST(MountTable, DriveRootsAreEachBrowsableFolderOnceWithTheRootAlways)
{
    const std::vector<Mount> mounts = {
        {"/srv/scans", "ext4"},   {"/media/usb", "vfat"}, {"/srv/scans", "ext4"}, // mounted over itself
        {"/etc/hosts", "ext4"},                                                   // a bound file
        {"/mnt/archive", "nfs4"},                                                 // remote: never asked
        {"/proc", "proc"},
    };
    std::vector<std::string> asked;
    const auto isFolder = [&asked](const std::string& point) {
        asked.push_back(point);
        return point != "/etc/hosts";
    };
    EXPECT_EQ(browsableRoots(mounts, isFolder),
              (std::vector<std::string>{"/", "/media/usb", "/mnt/archive", "/srv/scans"}));
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/mnt/archive"), 0);
}
