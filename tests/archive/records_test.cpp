// Documents with their lots: storing, counting, the lot search, the check of
// the page folder, the backup and the settings every PC shares.

#include "archive/error.h"
#include "archive/pagefolder.h"
#include "archive/store.h"
#include "tests/archive/fixture.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace rida::archive::testing {
namespace {

class ArchiveRecords : public OnBothBackends {};
using ArchiveRecordsInAFile = ArchiveTest; // what only a database file has

TEST_P(ArchiveRecords, ADocumentKeepsItsLotsWithTheirParcelNumbers)
{
    auto store = ready();
    NewDocument d = document(QStringLiteral("1998/01/a.jpg"),
                             {{kImuiRi, false, 12, 3}, {kImuiRi, true, 101, 0}, {kSollaeRi, false, 9999, 9999}});
    d.pageWidth = 2480;
    d.pageHeight = 3508;
    const qint64 id = store->insertDocument(d);
    const QList<StoredLot> lots = store->lotsOf(id);
    ASSERT_EQ(lots.size(), 3);
    EXPECT_EQ(lots[0].parcelNumber, QStringLiteral("9911025021100120003"));
    EXPECT_EQ(lots[1].parcelNumber, QStringLiteral("9911025021201010000"));
    EXPECT_EQ(lots[2].parcelNumber, QStringLiteral("9911031021199999999"));
    EXPECT_TRUE(lots[1].mountain);
    EXPECT_EQ(lots[0].parcelNumber.size(), 19);

    const AuditEntry entry = store->auditLog(1).front();
    EXPECT_EQ(entry.action, QStringLiteral("document_add"));
    EXPECT_EQ(entry.recordId, id);
    EXPECT_EQ(entry.userName, QStringLiteral("관리자"));
    EXPECT_TRUE(entry.after.contains(QStringLiteral("9911031021199999999"))) << entry.after.toStdString();

    RawConnection raw(*this);
    EXPECT_EQ(
        raw.value(QStringLiteral("SELECT registration || ' ' || page_width || ' ' || registered_by FROM documents"))
            .toString(),
        QStringLiteral("manual 2480 1"));
}

TEST_P(ArchiveRecords, TheBoardCountsPagesByKindAndActiveUsers)
{
    auto store = ready();
    int page = 0;
    for (QChar kind : {u'S', u'G', u'G', u'T', u'X', u'J'})
        store->insertDocument(document(QStringLiteral("p%1.jpg").arg(++page), {{kImuiRi, false, page, 0}}, kind));
    EXPECT_EQ(totalsLine(store->totals()),
              QStringLiteral("지가조서 등록 합계 : 6면 (산정조서:1면, 결정조서:2면, 토지특성조사표:1면)"));
    store->addUser(QStringLiteral("김등록"), Role::Clerk, QStringLiteral("pw"));
    store->addUser(QStringLiteral("퇴사자"), Role::Clerk, QStringLiteral("pw"));
    store->setDisabled(QStringLiteral("퇴사자"), true);
    EXPECT_EQ(usersLine(store->activeUserCount()), QStringLiteral("사용자 등록 : 2명"));
    EXPECT_EQ(totalsLine(open()->totals()),
              QStringLiteral("지가조서 등록 합계 : 6면 (산정조서:1면, 결정조서:2면, 토지특성조사표:1면)"));
}

TEST_P(ArchiveRecords, AFaultyDocumentIsRefusedAndNothingOfItStored)
{
    auto store = ready();
    store->insertDocument(document(QStringLiteral("taken.jpg"), {{kImuiRi, false, 1, 0}}));
    const NewDocument good = document(QStringLiteral("new.jpg"), {{kImuiRi, false, 2, 0}, {kSaeteoRi, false, 3, 0}});
    struct Case {
        const char* name;
        std::function<void(NewDocument&)> spoil;
        Failure failure;
    };
    const std::vector<Case> cases{
        {"kind Q", [](NewDocument& d) { d.kind = u'Q'; }, Failure::Invalid},
        {"year of two digits", [](NewDocument& d) { d.surveyYear = 98; }, Failure::Invalid},
        {"month 13", [](NewDocument& d) { d.surveyMonth = 13; }, Failure::Invalid},
        {"month 0", [](NewDocument& d) { d.surveyMonth = 0; }, Failure::Invalid},
        {"a page outside the folder", [](NewDocument& d) { d.pagePath = QStringLiteral("../x.jpg"); },
         Failure::Invalid},
        {"an absolute page path", [](NewDocument& d) { d.pagePath = QStringLiteral("/etc/x.jpg"); }, Failure::Invalid},
        {"no SHA-256", [](NewDocument& d) { d.pageSha256.clear(); }, Failure::Invalid},
        {"no lots", [](NewDocument& d) { d.lots.clear(); }, Failure::Invalid},
        {"본번 10000", [](NewDocument& d) { d.lots[1].mainNumber = 10000; }, Failure::Invalid},
        {"부번 -1", [](NewDocument& d) { d.lots[1].subNumber = -1; }, Failure::Invalid},
        {"a region not in the list", [](NewDocument& d) { d.lots[1].regionCode = QStringLiteral("1111010100"); },
         Failure::Invalid},
        {"a region code of 9 digits", [](NewDocument& d) { d.lots[1].regionCode = QStringLiteral("991102502"); },
         Failure::Invalid},
        {"the same lot twice", [](NewDocument& d) { d.lots[1] = d.lots[0]; }, Failure::Invalid},
        {"a page already registered", [](NewDocument& d) { d.pagePath = QStringLiteral("taken.jpg"); },
         Failure::Conflict},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDocument d = good;
        c.spoil(d);
        const ArchiveError e = thrown([&] { store->insertDocument(d); });
        EXPECT_EQ(e.failure(), c.failure);
        EXPECT_FALSE(e.text().isEmpty());
    }
    EXPECT_EQ(store->totals().pages, 1);
    RawConnection raw(*this);
    EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM lots")).toInt(), 1);
    EXPECT_NO_THROW(store->insertDocument(good));
}

// Search: each criterion left empty matches any value; a document is found
// once however many of its lots match; the newest survey comes first.
TEST_P(ArchiveRecords, TheLotSearchFindsEachDocumentOnceNewestFirst)
{
    auto store = ready();
    struct Page {
        const char* name;
        QChar kind;
        int year, month;
        QList<NewLot> lots;
    };
    const std::vector<Page> pages{
        {"g1998", u'G', 1998, 1, {{kImuiRi, false, 12, 3}, {kImuiRi, false, 12, 4}}},
        {"g2001", u'G', 2001, 7, {{kImuiRi, false, 12, 3}}},
        {"s2001", u'S', 2001, 2, {{kImuiRi, false, 12, 0}, {kImuiRi, true, 12, 3}}},
        {"t2005", u'T', 2005, 1, {{kSaeteoRi, false, 12, 3}}},
        {"g1995", u'G', 1995, 12, {{kImuiRi, true, 7, 0}}},
    };
    for (const Page& p : pages)
        store->insertDocument(
            document(QString::fromUtf8(p.name) + QStringLiteral(".jpg"), p.lots, p.kind, p.year, p.month));

    struct Case {
        const char* name;
        LotQuery query;
        QStringList found;
    };
    auto q = [](std::function<void(LotQuery&)> set) {
        LotQuery query;
        set(query);
        return query;
    };
    const std::vector<Case> cases{
        {"everything", LotQuery{}, {"t2005", "g2001", "s2001", "g1998", "g1995"}},
        {"region and 본번",
         q([](LotQuery& l) {
             l.regionCode = kImuiRi;
             l.mainNumber = 12;
         }),
         {"g2001", "s2001", "g1998"}},
        {"region, 본번 and 부번",
         q([](LotQuery& l) {
             l.regionCode = kImuiRi;
             l.mainNumber = 12;
             l.subNumber = 3;
         }),
         {"g2001", "s2001", "g1998"}},
        {"not 산",
         q([](LotQuery& l) {
             l.regionCode = kImuiRi;
             l.mountain = false;
             l.mainNumber = 12;
             l.subNumber = 3;
         }),
         {"g2001", "g1998"}},
        {"산", q([](LotQuery& l) { l.mountain = true; }), {"s2001", "g1995"}},
        {"부번 0 is a number, not empty", q([](LotQuery& l) { l.subNumber = 0; }), {"s2001", "g1995"}},
        {"another 리", q([](LotQuery& l) { l.regionCode = kSaeteoRi; }), {"t2005"}},
        {"kind", q([](LotQuery& l) { l.kind = u'G'; }), {"g2001", "g1998", "g1995"}},
        {"years",
         q([](LotQuery& l) {
             l.fromYear = 1998;
             l.toYear = 2001;
         }),
         {"g2001", "s2001", "g1998"}},
        {"kind and years",
         q([](LotQuery& l) {
             l.kind = u'G';
             l.toYear = 1998;
         }),
         {"g1998", "g1995"}},
        {"limit", q([](LotQuery& l) { l.limit = 2; }), {"t2005", "g2001"}},
        {"nothing there",
         q([](LotQuery& l) {
             l.regionCode = kImuiRi;
             l.mainNumber = 13;
         }),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList found;
        for (const FoundDocument& d : store->findDocuments(c.query))
            found << d.pagePath.chopped(4);
        EXPECT_EQ(found, c.found);
    }
    const FoundDocument first = store->findDocuments({}).front();
    EXPECT_EQ(first.kind, u'T');
    EXPECT_EQ(first.surveyYear, 2005);
    EXPECT_EQ(first.surveyMonth, 1);
    EXPECT_EQ(first.originalFolder, QStringLiteral("/scans/1998/"));
}

// A region with many lots is searched the other way (documents newest first,
// each asked for such a lot): the same documents in the same order.
TEST_P(ArchiveRecords, ARegionWithManyLotsFindsTheSameNewestDocuments)
{
    auto store = ready();
    QList<NewDocument> many;
    for (int k = 0; k < 2100; ++k) {
        QList<NewLot> lots;
        for (int n = 0; n < 10; ++n)
            lots.append({kImuiRi, n == 0, 100 + n, k % 7});
        many << document(QStringLiteral("m/%1.jpg").arg(k), lots, k % 2 ? u'G' : u'S', 1900 + k / 12, 1 + k % 12);
    }
    // And a few elsewhere, of the newest years, which no search of 임의리 may list.
    for (int k = 0; k < 5; ++k)
        many << document(QStringLiteral("o/%1.jpg").arg(k), {{kSollaeRi, false, 100, 0}}, u'G', 2090, 1);
    store->insertDocuments(many);
    auto years = [](const QList<FoundDocument>& found) {
        QList<int> y;
        for (const FoundDocument& d : found)
            y << d.surveyYear * 100 + d.surveyMonth;
        return y;
    };
    QList<int> newest;
    for (int k = 2099; k >= 2099 - 999; --k)
        newest << (1900 + k / 12) * 100 + 1 + k % 12;

    LotQuery village;
    village.regionCode = kImuiRi;
    EXPECT_EQ(years(store->findDocuments(village)), newest);
    LotQuery town;
    town.townCode = kImuiEup;
    EXPECT_EQ(years(store->findDocuments(town)), newest);
    // With the kind and the 산 lot: the documents of that kind only.
    town.kind = u'G';
    town.mountain = true;
    town.mainNumber = 100;
    const QList<FoundDocument> kindOnly = store->findDocuments(town);
    EXPECT_EQ(kindOnly.size(), 1000);
    for (const FoundDocument& d : kindOnly)
        EXPECT_EQ(d.kind, u'G');
    LotQuery other;
    other.townCode = kHanulMyeon;
    EXPECT_EQ(store->findDocuments(other).size(), 5);
}

// The check finds a record whose page is gone or changed and a file no record
// names, and touches none of them.
TEST_P(ArchiveRecords, TheCheckFindsMissingAndChangedPagesAndStrayFiles)
{
    auto store = ready();
    store->insertDocument(pageDocument(QStringLiteral("1998/a.jpg"), "page a", {{kImuiRi, false, 1, 0}}));
    store->insertDocument(pageDocument(QStringLiteral("1998/b.jpg"), "page b", {{kImuiRi, false, 2, 0}}));
    store->insertDocument(pageDocument(QStringLiteral("c 페이지.jpg"), "page c", {{kImuiRi, false, 3, 0}}));
    EXPECT_TRUE(checkArchive(*store, pagesPath()).isEmpty());
    EXPECT_TRUE(pageFolderStatus(pagesPath()).ready());

    const QDir pages(pagesPath());
    ASSERT_TRUE(QFile::remove(pages.filePath(QStringLiteral("1998/a.jpg"))));
    writeFile(pages.filePath(QStringLiteral("1998/b.jpg")), "page B");
    writeFile(pages.filePath(QStringLiteral("2001/stray.jpg")), "nobody's");
    const QList<CheckFinding> findings = checkArchive(*store, pagesPath());
    ASSERT_EQ(findings.size(), 3);
    EXPECT_EQ(findings[0].kind, CheckFinding::MissingPage);
    EXPECT_EQ(findings[0].path, QStringLiteral("1998/a.jpg"));
    EXPECT_EQ(findings[0].message, QStringLiteral("이미지 파일이 없습니다: 1998/a.jpg (문서 1)"));
    EXPECT_EQ(findings[1].kind, CheckFinding::ChangedPage);
    EXPECT_EQ(findings[1].path, QStringLiteral("1998/b.jpg"));
    EXPECT_EQ(findings[2].kind, CheckFinding::StrayFile);
    EXPECT_EQ(findings[2].path, QStringLiteral("2001/stray.jpg"));
    EXPECT_EQ(readFile(pages.filePath(QStringLiteral("2001/stray.jpg"))), "nobody's");
    EXPECT_EQ(readFile(pages.filePath(QStringLiteral("1998/b.jpg"))), "page B");
}

// A damaged index of the lots: the database's own check says so.
TEST_F(ArchiveRecordsInAFile, TheCheckFindsADamagedDatabase)
{
    {
        auto store = ready();
        QList<NewLot> lots;
        for (int k = 1; k <= 600; ++k)
            lots.append({kImuiRi, false, k, 0});
        store->insertDocument(document(QStringLiteral("a.jpg"), lots));
    }
    int rootPage = 0, pageSize = 0;
    {
        RawConnection raw(databasePath());
        raw.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        rootPage = raw.value(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'lots_by_pnu'")).toInt();
        pageSize = raw.value(QStringLiteral("PRAGMA page_size")).toInt();
    }
    ASSERT_GT(rootPage, 1);
    QFile file(databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(qint64(rootPage - 1) * pageSize + 8));
    file.write(QByteArray(pageSize - 8, '\x5a'));
    file.close();

    auto store = open();
    ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    EXPECT_FALSE(store->integrityProblems().isEmpty());
    const QList<CheckFinding> findings = checkArchive(*store, pagesPath());
    ASSERT_FALSE(findings.isEmpty());
    EXPECT_EQ(findings.back().kind, CheckFinding::Damaged);
    EXPECT_TRUE(findings.back().message.startsWith(QStringLiteral("데이터베이스 점검에서 문제가 나왔습니다")));
}

TEST_F(ArchiveRecordsInAFile, ABackupOpensWithTheSameRecords)
{
    auto store = ready();
    store->addUser(QStringLiteral("김등록"), Role::Clerk, QStringLiteral("pw"));
    for (int k = 1; k <= 20; ++k)
        store->insertDocument(
            document(QStringLiteral("p%1.jpg").arg(k), {{kImuiRi, k % 3 == 0, k, 0}}, u'G', 1990 + k));
    const QString copy = path(QStringLiteral("backups/copy.sqlite"));
    QDir().mkpath(path(QStringLiteral("backups")));
    store->backupTo(copy);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(copy).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    auto restored = Store::open(copy, quickOptions());
    ASSERT_TRUE(restored->signIn(QStringLiteral("김등록"), QStringLiteral("pw")).ok());
    EXPECT_EQ(restored->totals().pages, 20);
    auto paths = [](const QList<FoundDocument>& found) {
        QStringList out;
        for (const FoundDocument& d : found)
            out << d.pagePath;
        return out;
    };
    LotQuery mountains;
    mountains.mountain = true;
    EXPECT_EQ(paths(restored->findDocuments(mountains)), paths(store->findDocuments(mountains)));
    EXPECT_EQ(restored->towns().size(), store->towns().size());
    ASSERT_TRUE(restored->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    EXPECT_EQ(restored->integrityProblems(), QStringList());
    EXPECT_EQ(restored->auditLog(1000).size(), store->auditLog(1000).size());

    // A backup never replaces a file.
    writeFile(path(QStringLiteral("backups/old.sqlite")), "an older backup");
    const ArchiveError e = thrown([&] { store->backupTo(path(QStringLiteral("backups/old.sqlite"))); });
    EXPECT_EQ(e.failure(), Failure::Conflict);
    EXPECT_EQ(readFile(path(QStringLiteral("backups/old.sqlite"))), "an older backup");
}

TEST_F(ArchiveRecordsInAFile, ThePageFolderIsReadyOnlyWhenThereAndWritable)
{
    const QString missing = path(QStringLiteral("nowhere"));
    EXPECT_EQ(pageFolderStatus(missing).state, PageFolderStatus::Missing);
    EXPECT_TRUE(pageFolderStatus(missing).message.startsWith(QStringLiteral("이미지 폴더가 없습니다")));
    writeFile(path(QStringLiteral("a-file")), "x");
    EXPECT_EQ(pageFolderStatus(path(QStringLiteral("a-file"))).state, PageFolderStatus::NotAFolder);
    createPageFolder(pagesPath());
    EXPECT_TRUE(pageFolderStatus(pagesPath()).ready());
    EXPECT_TRUE(QDir(pagesPath()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)); // no trial left
    QFile::setPermissions(pagesPath(), QFile::ReadOwner | QFile::ExeOwner);
    const PageFolderStatus readOnly = pageFolderStatus(pagesPath());
    QFile::setPermissions(pagesPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readOnly.state, PageFolderStatus::NotWritable);
    EXPECT_TRUE(readOnly.message.startsWith(QStringLiteral("이미지 폴더에 쓸 수 없습니다")));
}

TEST_P(ArchiveRecords, SettingsAreSharedByEveryStoreOnTheDatabase)
{
    auto store = ready();
    EXPECT_EQ(store->setting(QStringLiteral("pages.transfer")), std::nullopt);
    store->setSetting(QStringLiteral("pages.transfer"), QStringLiteral("copy"));
    store->setSetting(QStringLiteral("pages.transfer"), QStringLiteral("move"));
    EXPECT_EQ(open()->setting(QStringLiteral("pages.transfer")), QStringLiteral("move"));
    const AuditEntry last = store->auditLog(1).front();
    EXPECT_EQ(last.action, QStringLiteral("setting"));
    EXPECT_TRUE(last.before.contains(QLatin1String("copy")));
    EXPECT_TRUE(last.after.contains(QLatin1String("move")));
}

RIDA_ON_BOTH_BACKENDS(ArchiveRecords);

} // namespace
} // namespace rida::archive::testing
