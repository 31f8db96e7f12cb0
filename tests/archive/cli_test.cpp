// rida-archive run as a user runs it: passwords on standard input, Korean on
// standard error, exit status 0 done, 1 refused or a finding, 2 a usage error.

#include "archive/pagefolder.h"
#include "archive/store.h"
#include "tests/archive/command.h"
#include "tests/archive/fixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace rida::archive::testing {
namespace {

TEST_F(ArchiveCommand, SetsUpAnArchiveAndLooksAfterIt)
{
    init();
    EXPECT_TRUE(QFileInfo(pagesPath()).isDir());
    EXPECT_EQ(asAdmin({"regions", "import", sampleRegionsPath()}).status, 0);
    EXPECT_EQ(asAdmin({"regions", "choose", "99110"}).status, 0);
    CommandRun r = asAdmin({"user", "add", "김등록", "--role", "등록자"}, "clerk-pw\nclerk-pw\n");
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(asAdmin({"user", "add", "이조회", "--role", "viewer"}, "v\nv\n").status, 0);
    r = asAdmin({"user", "list"});
    EXPECT_EQ(r.out, QStringLiteral("관리자\t관리자\t사용\n김등록\t등록자\t사용\n이조회\t조회자\t사용\n"));

    // The clerk registers two pages the way the windows will.
    {
        auto store = open();
        ASSERT_TRUE(store->signIn(QStringLiteral("김등록"), QStringLiteral("clerk-pw")).ok());
        store->insertDocument(pageDocument(QStringLiteral("1998/a.jpg"), "page a",
                                           {{kImuiRi, false, 12, 3}, {QStringLiteral("9911031022"), true, 5, 0}}));
        store->insertDocument(
            pageDocument(QStringLiteral("2001/b.jpg"), "page b", {{kNuriDong, false, 7, 1}}, u'T', 2001, 11));
    }
    r = asAdmin({"check"});
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();

    const QString csv = path(QStringLiteral("lots.csv"));
    r = run({"--user", "이조회", "export", "--csv", csv}, "v\n");
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(readFile(csv),
              "\xEF\xBB\xBF" + QStringLiteral("PNU,읍면,동리,산,본번,부번,문서구분,조사연도,조사월,이미지경로\r\n"
                                              "9911025021100120003,임의읍,임의리,,12,3,결정조서,1998,1,"
                                              "1998/a.jpg\r\n"
                                              "9911031022200050000,한울면,똠방리,산,5,0,결정조서,1998,1,"
                                              "1998/a.jpg\r\n"
                                              "9911010100100070001,누리동,,,7,1,토지특성조사표,2001,11,"
                                              "2001/b.jpg\r\n")
                                   .toUtf8());

    const QString copy = path(QStringLiteral("copy.sqlite"));
    ASSERT_EQ(asAdmin({"backup", copy}).status, 0);
    {
        auto restored = Store::open(copy, quickOptions());
        EXPECT_EQ(restored->totals().pages, 2);
        EXPECT_TRUE(restored->signIn(QStringLiteral("김등록"), QStringLiteral("clerk-pw")).ok());
    }

    // A page gone and a file nobody registered: check names both and exits 1.
    QFile::remove(QDir(pagesPath()).filePath(QStringLiteral("1998/a.jpg")));
    writeFile(QDir(pagesPath()).filePath(QStringLiteral("loose.jpg")), "stray");
    r = asAdmin({"check"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral("이미지 파일이 없습니다: 1998/a.jpg (문서 1)\n"
                                    "어느 문서에도 속하지 않은 파일입니다: loose.jpg\n"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("점검에서 문제 2건이 나왔습니다"))) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(pagesPath()).filePath(QStringLiteral("loose.jpg"))));

    r = asAdmin({"user", "passwd", "김등록"}, "new-pw\nnew-pw\n");
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(asAdmin({"user", "disable", "김등록"}).status, 0);
    r = run({"--user", "김등록", "export", "--csv"}, "new-pw\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("rida-archive: 아이디 또는 비밀번호가 올바르지 않습니다.\n"));
}

TEST_F(ArchiveCommand, RefusalsSayWhyInKoreanAndExitOne)
{
    init();
    asAdmin({"user", "add", "이조회", "--role", "조회자"}, "v\nv\n");
    writeFile(path(QStringLiteral("utf8.txt")), readFile(QStringLiteral(RIDA_SAMPLE_REGIONS_UTF8)));
    struct Case {
        const char* name;
        QStringList args;
        QByteArray input;
        QString says;
    };
    const std::vector<Case> cases{
        {"a wrong password",
         {"--user", "관리자", "user", "list"},
         "nope\n",
         "아이디 또는 비밀번호가 올바르지 않습니다."},
        {"an unknown user",
         {"--user", "누구", "user", "list"},
         "admin-pw\n",
         "아이디 또는 비밀번호가 올바르지 않습니다."},
        {"no password at all", {"--user", "관리자", "user", "list"}, "", "비밀번호를 읽지 못했습니다"},
        {"a viewer adding a user",
         {"--user", "이조회", "user", "add", "새", "--role", "admin"},
         "v\n",
         "권한이 없습니다"},
        {"new passwords that differ",
         {"--user", "관리자", "user", "add", "새", "--role", "clerk"},
         "admin-pw\na\nb\n",
         "두 번 입력한 비밀번호가 서로 다릅니다"},
        {"a user twice",
         {"--user", "관리자", "user", "add", "이조회", "--role", "clerk"},
         "admin-pw\nx\nx\n",
         "같은 이름의 사용자가 이미 있습니다"},
        {"a region file in UTF-8",
         {"--user", "관리자", "regions", "import", path("utf8.txt")},
         "admin-pw\n",
         "UTF-8 파일입니다"},
        {"a district not imported",
         {"--user", "관리자", "regions", "choose", "99110"},
         "admin-pw\n",
         "행정코드 목록에 없는 시군구입니다"},
        {"a second first administrator", {"init", "--admin", "또관리자"}, "x\nx\n", "이미 사용자가 있습니다"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun r = run(c.args, c.input);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("rida-archive: "))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    }
    // Nothing of it was stored.
    EXPECT_EQ(asAdmin({"user", "list"}).out, QStringLiteral("관리자\t관리자\t사용\n이조회\t조회자\t사용\n"));

    const CommandRun missing =
        run({"--user", "관리자", "--database", path("none.sqlite"), "user", "list"}, "admin-pw\n", false);
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("데이터베이스 파일이 없습니다"))) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("none.sqlite"))));
}

TEST_F(ArchiveCommand, UsageErrorsExitTwoBeforeAnythingIsAsked)
{
    init();
    const std::vector<QStringList> cases{
        {},
        {"frobnicate"},
        {"user"},
        {"user", "add", "새"}, // no --role
        {"--user", "관리자", "user", "add", "새", "--role", "boss"},
        {"--user", "관리자", "user", "add", "새", "--role", "clerk", "--password", "x"},
        {"user", "list"},               // no --user
        {"--user", "관리자", "export"}, // no --csv
        {"--user", "관리자", "backup"},
        {"--user", "관리자", "regions", "import", "a", "b"},
        {"--bogus"},
        {"--database"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const CommandRun r = run(args, "admin-pw\nx\nx\n");
        EXPECT_EQ(r.status, 2) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: rida-archive"))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("비밀번호:"))); // nothing was asked
    }
    EXPECT_EQ(asAdmin({"user", "list"}).out, QStringLiteral("관리자\t관리자\t사용\n"));
}

// Without --database the command finds the archive as the program does: the
// user's archive.ini, else the user's data folder.
TEST_F(ArchiveCommand, FindsTheArchiveThroughTheUsersSettingsFile)
{
    CommandRun r = run({"init", "--admin", "관리자"}, "pw\npw\n", false);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString data = path(QStringLiteral("home/.local/share/rida"));
    EXPECT_TRUE(r.out.contains(data + QStringLiteral("/archive.sqlite"))) << r.out.toStdString();
    EXPECT_TRUE(QFileInfo(data + QStringLiteral("/pages")).isDir());

    writeFile(path(QStringLiteral("home/.config/rida/archive.ini")), "[archive]\ndatabase=office.sqlite\npages=쪽\n");
    r = run({"init", "--admin", "관리자"}, "pw\npw\n", false);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("home/.config/rida/office.sqlite"))));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("home/.config/rida/쪽"))).isDir());
}

} // namespace
} // namespace rida::archive::testing

namespace rida::archive::testing {
namespace {

// check looks where the office's settings put the pages, unless --pages names another folder.
TEST_F(ArchiveCommand, CheckLooksInTheOfficesPageFolder)
{
    init();
    const QString office = path(QStringLiteral("office-pages"));
    {
        auto store = ready();
        store->setSetting(QStringLiteral("pages"), office);
        // The page lies in the office's folder only.
        NewDocument d = document(QStringLiteral("a.jpg"), {{kImuiRi, false, 1, 0}});
        const QByteArray bytes = "page a";
        writeFile(QDir(office).filePath(QStringLiteral("a.jpg")), bytes);
        d.pageSha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        d.pageBytes = bytes.size();
        store->insertDocument(d);
    }
    const QStringList withoutPages = {"--database", databasePath(), "--user", "관리자", "check"};
    CommandRun r = run(withoutPages, "admin-pw\n", false);
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    r = asAdmin({"check"}); // --pages names the first folder, which lacks the page
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("이미지 파일이 없습니다: a.jpg"))) << r.out.toStdString();
}

} // namespace
} // namespace rida::archive::testing
