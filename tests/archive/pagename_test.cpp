// Names of stored pages: the rule 변경, the original name under 미변경 with its
// number when taken, and the claim of a name that never replaces a file.

#include "archive/pagename.h"
#include "tests/archive/fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>
#include <vector>

namespace rida::archive::testing {
namespace {

const PageNameParts kParts{u'G', 1998, 1, QStringLiteral("4113110100")};

TEST(PageNames, TheFolderAndTheCandidatesOfEachRule)
{
    QTemporaryDir dir;
    EXPECT_EQ(storedFolder(kParts), QStringLiteral("41131/1998"));
    // Numbers already used in the folder (also a gap); a name of another month does not count.
    for (const char* name : {"G199801-4113110100-000007.jpg", "G199801-4113110100-000003.jpg",
                             "G199802-4113110100-000050.jpg", "scan 7.jpg", "scan 7 (2).jpg"})
        writeFile(dir.filePath(QString::fromUtf8(name)), "x");
    struct Case {
        NameRule rule;
        const char* original;
        std::vector<const char*> candidates;
    };
    const std::vector<Case> cases{
        {NameRule::Rename, "Img001.JPG", {"G199801-4113110100-000008.jpg", "G199801-4113110100-000009.jpg"}},
        {NameRule::KeepName, "scan 7.jpg", {"scan 7.jpg", "scan 7 (2).jpg", "scan 7 (3).jpg"}},
        {NameRule::KeepName, "페이지.BMP", {"페이지.bmp", "페이지 (2).bmp"}},
        {NameRule::KeepName, "no-extension", {"no-extension", "no-extension (2)"}},
    };
    for (const Case& c : cases) {
        const PageNamer namer(c.rule, kParts, QString::fromUtf8(c.original), dir.path());
        for (std::size_t k = 0; k < c.candidates.size(); ++k)
            EXPECT_EQ(namer.candidate(int(k)), QString::fromUtf8(c.candidates[k])) << c.original << " " << k;
    }
    EXPECT_EQ(
        PageNamer(NameRule::Rename, kParts, QStringLiteral("a.jpg"), dir.filePath(QStringLiteral("none"))).candidate(0),
        QStringLiteral("G199801-4113110100-000001.jpg"));
}

TEST(PageNames, ATakenNameIsRefusedAndBothFilesStay)
{
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("page.jpg"));
    const QString copy = dir.filePath(QStringLiteral(".copy.part"));
    writeFile(page, "the page that is there");
    writeFile(copy, "the new page");
    EXPECT_EQ(renameNoReplace(copy, page), EEXIST);
    EXPECT_EQ(readFile(page), QByteArray("the page that is there"));
    EXPECT_EQ(readFile(copy), QByteArray("the new page"));
    EXPECT_EQ(renameNoReplace(copy, dir.filePath(QStringLiteral("page (2).jpg"))), 0);
    EXPECT_FALSE(QFile::exists(copy));
}

// Eight writers race for the same names at once: each name goes to one of
// them, every page ends under a name of its own, none is lost or replaced.
TEST(PageNames, WritersRacingForOneNameEachGetTheirOwn)
{
    QTemporaryDir dir;
    constexpr int kWriters = 8, kPagesEach = 25;
    std::atomic<bool> go{false};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            while (!go)
                std::this_thread::yield();
            for (int p = 0; p < kPagesEach; ++p) {
                const QString temp = dir.filePath(QStringLiteral(".w%1-%2.part").arg(w).arg(p));
                writeFile(temp, QStringLiteral("%1/%2").arg(w).arg(p).toUtf8());
                const PageNamer namer(NameRule::KeepName, kParts, QStringLiteral("scan.jpg"), dir.path());
                for (int attempt = 0; renameNoReplace(temp, dir.filePath(namer.candidate(attempt))) == EEXIST;)
                    ++attempt;
            }
        });
    go = true;
    for (std::thread& t : writers)
        t.join();
    QSet<QByteArray> contents;
    const QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        EXPECT_FALSE(name.endsWith(QLatin1String(".part"))) << name.toStdString();
        contents.insert(readFile(dir.filePath(name)));
    }
    EXPECT_EQ(names.size(), kWriters * kPagesEach);
    EXPECT_EQ(contents.size(), kWriters * kPagesEach);
    EXPECT_TRUE(names.contains(QStringLiteral("scan (200).jpg")));
}

} // namespace
} // namespace rida::archive::testing
