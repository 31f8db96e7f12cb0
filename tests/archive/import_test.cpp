// rida-archive import: the lines of rida-recognize --json registered as the
// automatic window registers them, one line of output per page, exit 1 when
// any page was not registered.

#include "archive/officesettings.h"
#include "archive/sha256.h"
#include "tests/archive/command.h"
#include "tests/archive/fixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace rida::archive::testing {
namespace {

class ArchiveImport : public ArchiveCommand {
public:
    void SetUp() override
    {
        ArchiveCommand::SetUp();
        init();
        ASSERT_EQ(asAdmin({"regions", "import", sampleRegionsPath()}).status, 0);
        ASSERT_EQ(asAdmin({"regions", "choose", "99110"}).status, 0);
        QDir().mkpath(path(QStringLiteral("scans")));
    }
    // A scanned page in the test's scan folder; its absolute path.
    QString scan(const QString& name, const QByteArray& bytes)
    {
        const QString file = path(QStringLiteral("scans/") + name);
        writeFile(file, bytes);
        return file;
    }
    // The recognition output as a file; its path.
    QString recognised(const QByteArray& lines)
    {
        const QString file = path(QStringLiteral("recognised.jsonl"));
        writeFile(file, lines);
        return file;
    }
    static QByteArray okLine(const QString& file, const QByteArray& lots = "\"1 0012 0003\"")
    {
        return "{\"file\":\"" + file.toUtf8() + "\",\"status\":\"ok\",\"lots\":[" + lots + "]}\n";
    }
    CommandRun import(const QStringList& options, const QString& file)
    {
        return asAdmin(QStringList{"import", "--kind", "G", "--year", "1998", "--month", "3", "--region", kImuiRi} +
                       options + QStringList{file});
    }
    // Every file below the page folder, '/' between folders.
    QStringList pageFiles()
    {
        QStringList files;
        QDirIterator it(pagesPath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(pagesPath()).relativeFilePath(it.next());
        files.sort();
        return files;
    }
};

TEST_F(ArchiveImport, RegistersTheOkLinesAndSaysForEveryOtherPageWhyNot)
{
    const QString a = scan(QStringLiteral("a.jpg"), "page a");
    const QString b = scan(QStringLiteral("b.jpg"), "page b");
    const QString sameAsA = scan(QStringLiteral("a copy.jpg"), "page a");
    const QString gone = path(QStringLiteral("scans/gone.jpg"));
    const QByteArray lines = okLine(a, "\"1 0012 0003\",\"2 0005 0000\"") + "{\"file\":\"" + b.toUtf8() +
                             "\",\"status\":\"too-few-rows\",\"lots\":[]}\n" + "{\"file\":\"" + b.toUtf8() +
                             "\",\"status\":\"no-reference\",\"lots\":[]}\n" +
                             "{\"file\":\"x.jpg\",\"status\":\"error\",\"error\":\"x.jpg: 읽을 수 없습니다\"}\n" +
                             okLine(sameAsA) + okLine(gone) + "\n" + "not json\n";
    const CommandRun r = import({"--copy"}, recognised(lines));
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    const QStringList out = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 7) << r.out.toStdString();
    EXPECT_EQ(out[0], a + QStringLiteral(" 등록: 문서 1, 99110/1998/G199803-9911025021-000001.jpg"));
    EXPECT_EQ(out[1], b + QStringLiteral(" 파일 인식 실패"));
    EXPECT_EQ(out[2], b + QStringLiteral(" 기준점 인식 실패"));
    EXPECT_EQ(out[3], QStringLiteral("x.jpg 인식 실패: x.jpg: 읽을 수 없습니다"));
    EXPECT_EQ(out[4], sameAsA + QStringLiteral(" 이미 등록된 파일: 문서 1"));
    EXPECT_TRUE(out[5].startsWith(gone + QStringLiteral(" 등록 실패: "))) << out[5].toStdString();
    EXPECT_EQ(out[6], QStringLiteral("8번째 줄: rida-recognize --json의 줄이 아닙니다."));
    EXPECT_TRUE(r.err.contains(QStringLiteral("등록 1건, 등록하지 못한 파일 6건"))) << r.err.toStdString();

    // The store and the page folder read back; 복사 left every source as it was.
    auto store = open();
    ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    EXPECT_EQ(store->totals().pages, 1);
    const std::optional<StoredDocument> d = store->document(1);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->kind, u'G');
    EXPECT_EQ(d->surveyYear, 1998);
    EXPECT_EQ(d->surveyMonth, 3);
    EXPECT_EQ(d->regionCode, kImuiRi);
    EXPECT_EQ(d->pageSha256, sha256Hex("page a"));
    ASSERT_EQ(d->lots.size(), 2);
    EXPECT_EQ(d->lots[0].parcelNumber, QStringLiteral("9911025021100120003"));
    EXPECT_EQ(d->lots[1].parcelNumber, QStringLiteral("9911025021200050000"));
    RawConnection raw(databasePath());
    EXPECT_EQ(raw.value(QStringLiteral("SELECT registration FROM documents")).toString(), QStringLiteral("automatic"));
    EXPECT_EQ(pageFiles(), QStringList{QStringLiteral("99110/1998/G199803-9911025021-000001.jpg")});
    EXPECT_EQ(readFile(a), "page a");
    EXPECT_EQ(readFile(sameAsA), "page a");
    EXPECT_EQ(asAdmin({"check"}).status, 0);
}

// --copy/--move and --rename/--keep-name, and without them the office's settings.
TEST_F(ArchiveImport, CopiesOrMovesAndNamesThePageAsToldOrAsTheOfficeSettles)
{
    struct Case {
        const char* name;
        QStringList options;
        QString officeTransfer, officeNames; // the settings table's values; empty: not set
        bool sourceStays;
        bool renamed;
    };
    const std::vector<Case> cases{
        {"move and rename", {"--move", "--rename"}, "copy", "keep", false, true},
        {"copy and keep the name", {"--copy", "--keep-name"}, "", "", true, false},
        {"the office's defaults", {}, "", "", false, true},
        {"the office says copy and keep", {}, "copy", "keep", true, false},
    };
    int page = 0;
    int renamed = 0; // the archive's names count the pages of the folder
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++page;
        {
            auto store = open();
            ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
            store->setSetting(settingKeys::transfer,
                              c.officeTransfer.isEmpty() ? QStringLiteral("move") : c.officeTransfer);
            store->setSetting(settingKeys::nameRule,
                              c.officeNames.isEmpty() ? QStringLiteral("rename") : c.officeNames);
        }
        const QString name = QStringLiteral("쪽 %1.jpg").arg(page);
        const QByteArray bytes = "page " + QByteArray::number(page);
        const QString source = scan(name, bytes);
        const CommandRun r = import(c.options, recognised(okLine(source)));
        EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
        const QString stored =
            c.renamed ? QStringLiteral("99110/1998/G199803-9911025021-%1.jpg").arg(++renamed, 6, 10, QChar(u'0'))
                      : QStringLiteral("99110/1998/") + name;
        EXPECT_TRUE(r.out.endsWith(QStringLiteral(", %1\n").arg(stored))) << r.out.toStdString();
        EXPECT_EQ(readFile(QDir(pagesPath()).filePath(stored)), bytes);
        EXPECT_EQ(QFile::exists(source), c.sourceStays);
    }
    // --keep-name on a name that is taken: a numeric suffix, nothing overwritten.
    const QString again = scan(QStringLiteral("쪽 2.jpg"), "another page 2");
    const CommandRun r = import({"--copy", "--keep-name"}, recognised(okLine(again)));
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(readFile(QDir(pagesPath()).filePath(QStringLiteral("99110/1998/쪽 2.jpg"))), "page 2");
    EXPECT_EQ(pageFiles().size(), 5);
    EXPECT_EQ(asAdmin({"check"}).status, 0);
}

TEST_F(ArchiveImport, ARegionCodeTheOfficeDoesNotHaveRegistersNothing)
{
    const QString a = scan(QStringLiteral("a.jpg"), "page a");
    const CommandRun r = asAdmin({"import", "--kind", "G", "--year", "1998", "--month", "3", "--region", "9911099999",
                                  "--move", recognised(okLine(a))});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.startsWith(a + QStringLiteral(" 등록 실패: "))) << r.out.toStdString();
    EXPECT_EQ(readFile(a), "page a");
    EXPECT_TRUE(pageFiles().isEmpty());
}

TEST_F(ArchiveImport, UsageErrorsExitTwoBeforeAnythingIsAsked)
{
    const QString json = recognised(okLine(scan(QStringLiteral("a.jpg"), "page a")));
    const QStringList good{"--kind", "G", "--year", "1998", "--month", "3", "--region", kImuiRi};
    struct Case {
        const char* name;
        QStringList args;
        QString says;
    };
    const std::vector<Case> cases{
        {"no kind", {"--year", "1998", "--month", "3", "--region", kImuiRi, json}, "--kind"},
        {"a kind we do not have",
         {"--kind", "Q", "--year", "1998", "--month", "3", "--region", kImuiRi, json},
         "--kind"},
        {"a two-digit year", {"--kind", "G", "--year", "98", "--month", "3", "--region", kImuiRi, json}, "--year"},
        {"month 13", {"--kind", "G", "--year", "1998", "--month", "13", "--region", kImuiRi, json}, "--month"},
        {"a 시군구 code for a 동리",
         {"--kind", "G", "--year", "1998", "--month", "3", "--region", "99110", json},
         "--region"},
        {"copy and move", good + QStringList{"--copy", "--move", json}, "--copy"},
        {"two files", good + QStringList{json, json}, "인자 수"},
        // Standard input carries the lines: the password needs a terminal, and there is none.
        {"lines on standard input", good + QStringList{"-"}, "터미널"},
        {"lines on standard input without -", good, "터미널"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun r = asAdmin(QStringList{"import"} + c.args);
        EXPECT_EQ(r.status, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("비밀번호:"))); // nothing was asked
    }
    EXPECT_EQ(readFile(path(QStringLiteral("scans/a.jpg"))), "page a");
    EXPECT_TRUE(pageFiles().isEmpty());
}

} // namespace
} // namespace rida::archive::testing
