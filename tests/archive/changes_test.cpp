// Changes of stored records: adding and removing lots, correcting the
// document's attributes and deleting the document with its page put back;
// each refused when the record changed since it was opened, by the role, and
// written to the audit log. Deleting is stopped after each step, by a failure
// and by a real crash, and the page is found in the archive with its record
// or restored.

#include "archive/error.h"
#include "archive/pagefolder.h"
#include "archive/placement.h"
#include "tests/archive/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rida::archive::testing {
namespace {

const QByteArray kPage = QByteArrayLiteral("\xff\xd8 a scanned page \xff\xd9");

class RecordChangesFixture : public ArchiveTest {
public:
    void SetUp() override
    {
        ArchiveTest::SetUp();
        store_ = ready();
        store_->addUser(QStringLiteral("김등록"), Role::Clerk, QStringLiteral("clerk-pw"));
        store_->addUser(QStringLiteral("이조회"), Role::Viewer, QStringLiteral("viewer-pw"));
        // The page came from a scan folder, which is there.
        scans_ = path(QStringLiteral("scans"));
        QDir().mkpath(scans_);
        NewDocument d = pageDocument(QStringLiteral("99110/1998/G199801-9911025021-000001.jpg"), kPage,
                                     {{kImuiRi, false, 12, 3}, {kImuiRi, true, 7, 0}});
        d.originalFolder = scans_ + u'/';
        d.originalName = QStringLiteral("Img001.jpg");
        id_ = store_->insertDocument(d);
    }

    int version() { return store_->document(id_)->version; }
    QString storedPage()
    {
        return QDir(pagesPath()).filePath(QStringLiteral("99110/1998/G199801-9911025021-000001.jpg"));
    }
    void expectCheckClean()
    {
        for (const CheckFinding& f : checkArchive(*store_, pagesPath()))
            ADD_FAILURE() << f.message.toStdString();
    }
    void signInAs(const QString& name, const QString& password)
    {
        store_->signOut();
        ASSERT_TRUE(store_->signIn(name, password).ok());
    }

    std::unique_ptr<Store> store_;
    QString scans_;
    qint64 id_ = 0;
};

// The changes on both back ends.
class RecordChanges : public RecordChangesFixture, public ::testing::WithParamInterface<Backend> {
public:
    Backend backend() const override { return GetParam(); }
};
RIDA_ON_BOTH_BACKENDS(RecordChanges);

TEST_P(RecordChanges, EachChangeRaisesTheVersionAndIsAuditedWithBeforeAndAfter)
{
    const int v1 = version();
    EXPECT_EQ(v1, 1);
    const int v2 = store_->addLot(id_, v1, {kSollaeRi, false, 5, 0});
    EXPECT_EQ(v2, v1 + 1);
    AuditEntry entry = store_->auditLog(1).front();
    EXPECT_EQ(entry.action, QStringLiteral("lot_add"));
    EXPECT_EQ(entry.recordId, id_);
    EXPECT_EQ(entry.userName, QStringLiteral("관리자"));
    EXPECT_FALSE(entry.at.isEmpty());
    EXPECT_FALSE(entry.before.contains(QStringLiteral("9911031021100050000")));
    EXPECT_TRUE(entry.after.contains(QStringLiteral("9911031021100050000")));

    const int v3 = store_->removeLot(id_, v2, {kImuiRi, true, 7, 0});
    entry = store_->auditLog(1).front();
    EXPECT_EQ(entry.action, QStringLiteral("lot_remove"));
    EXPECT_TRUE(entry.before.contains(QStringLiteral("9911025021200070000")));
    EXPECT_FALSE(entry.after.contains(QStringLiteral("9911025021200070000")));

    const int v4 = store_->updateAttributes(id_, v3, {u'S', 2001, 12});
    entry = store_->auditLog(1).front();
    EXPECT_EQ(entry.action, QStringLiteral("document_change"));
    EXPECT_TRUE(entry.before.contains(QStringLiteral("\"year\":1998")));
    EXPECT_TRUE(entry.after.contains(QStringLiteral("\"year\":2001")));

    const StoredDocument d = *store_->document(id_);
    EXPECT_EQ(d.version, v4);
    EXPECT_EQ(d.kind, u'S');
    EXPECT_EQ(d.surveyYear, 2001);
    EXPECT_EQ(d.surveyMonth, 12);
    ASSERT_EQ(d.lots.size(), 2);
    EXPECT_EQ(d.lots[0].parcelNumber, QStringLiteral("9911025021100120003"));
    EXPECT_EQ(d.lots[1].parcelNumber, QStringLiteral("9911031021100050000"));
    expectCheckClean();
}

TEST_P(RecordChanges, BadLotsAndAttributesAndTheLastLotAreRefusedChangingNothing)
{
    const int v = version();
    struct Case {
        const char* what;
        std::function<void()> change;
        const char* says;
    };
    const Case cases[] = {
        {"duplicate lot",
         [&] {
             store_->addLot(id_, v, {kImuiRi, false, 12, 3});
         },
         "이미 있는 필지"},
        {"unknown region",
         [&] {
             store_->addLot(id_, v, {QStringLiteral("9911099999"), false, 1, 0});
         },
         "행정코드"},
        {"number too big",
         [&] {
             store_->addLot(id_, v, {kImuiRi, false, 10000, 0});
         },
         "0에서 9999"},
        {"lot not there",
         [&] {
             store_->removeLot(id_, v, {kImuiRi, false, 1, 1});
         },
         "없는 필지"},
        {"bad kind",
         [&] {
             store_->updateAttributes(id_, v, {u'Q', 1998, 1});
         },
         "문서구분"},
        {"bad year",
         [&] {
             store_->updateAttributes(id_, v, {u'G', 98, 1});
         },
         "네 자리"},
        {"bad month",
         [&] {
             store_->updateAttributes(id_, v, {u'G', 1998, 13});
         },
         "1에서 12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ArchiveError e = thrown(c.change);
        EXPECT_EQ(e.failure(), Failure::Invalid);
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.says))) << e.text().toStdString();
    }
    const int v2 = store_->removeLot(id_, v, {kImuiRi, true, 7, 0});
    const ArchiveError last = thrown([&] { store_->removeLot(id_, v2, {kImuiRi, false, 12, 3}); });
    EXPECT_EQ(last.failure(), Failure::Invalid);
    EXPECT_TRUE(last.text().contains(QStringLiteral("마지막 필지"))) << last.text().toStdString();
    EXPECT_TRUE(last.text().contains(QStringLiteral("문서를 삭제"))) << last.text().toStdString();
    EXPECT_EQ(store_->document(id_)->version, v2);
    EXPECT_EQ(store_->document(id_)->lots.size(), 1);
}

TEST_P(RecordChanges, EachRoleMayWhatItMay)
{
    struct Row {
        const char* user;
        const char* password;
        bool corrects, deletes;
    };
    const Row table[] = {
        {"관리자", "admin-pw", true, true},
        {"김등록", "clerk-pw", true, false},
        {"이조회", "viewer-pw", false, false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.user);
        signInAs(QString::fromUtf8(row.user), QString::fromUtf8(row.password));
        const int v = version();
        if (row.corrects) {
            EXPECT_EQ(store_->updateAttributes(id_, v, {u'T', 1999, 2}), v + 1);
        } else {
            EXPECT_EQ(thrown([&] {
                          store_->updateAttributes(id_, v, {u'T', 1999, 2});
                      }).failure(),
                      Failure::NotAllowed);
            EXPECT_EQ(thrown([&] { store_->addLot(id_, v, {kImuiRi, false, 1, 0}); }).failure(), Failure::NotAllowed);
        }
        if (!row.deletes)
            EXPECT_EQ(thrown([&] { withdrawDocument(*store_, pagesPath(), id_, version()); }).failure(),
                      Failure::NotAllowed);
    }
    signInAs(QStringLiteral("관리자"), QStringLiteral("admin-pw"));
    EXPECT_TRUE(QFile::exists(storedPage()));
    withdrawDocument(*store_, pagesPath(), id_, version());
    EXPECT_FALSE(store_->document(id_));
}

// Two connections on one database file, as two programs: the second change
// made on what was opened before the first is refused and changes nothing.
TEST_P(RecordChanges, AChangeOnAnOlderVersionIsRefusedWhateverTheConnection)
{
    auto other = open();
    ASSERT_TRUE(other->signIn(QStringLiteral("김등록"), QStringLiteral("clerk-pw")).ok());
    const int opened = other->document(id_)->version;
    const int openedHere = version();

    store_->updateAttributes(id_, openedHere, {u'S', 2005, 6});
    for (const auto& change : std::vector<std::function<void()>>{
             [&] {
                 other->addLot(id_, opened, {kSollaeRi, false, 1, 0});
             },
             [&] {
                 other->removeLot(id_, opened, {kImuiRi, true, 7, 0});
             },
             [&] {
                 other->updateAttributes(id_, opened, {u'T', 1990, 1});
             },
         }) {
        const ArchiveError e = thrown(change);
        EXPECT_EQ(e.failure(), Failure::Conflict);
        EXPECT_TRUE(e.text().contains(QStringLiteral("다른 사용자가 먼저 바꾸었습니다"))) << e.text().toStdString();
    }
    const StoredDocument now = *other->document(id_);
    EXPECT_EQ(now.kind, u'S');
    EXPECT_EQ(now.surveyYear, 2005);
    EXPECT_EQ(now.lots.size(), 2);
    // With the new version the same change goes through.
    EXPECT_EQ(other->addLot(id_, now.version, {kSollaeRi, false, 1, 0}), now.version + 1);

    // Deleted here: the other is told so, for a change and for a delete.
    withdrawDocument(*store_, pagesPath(), id_, version());
    const ArchiveError gone = thrown([&] { other->addLot(id_, now.version + 1, {kSollaeRi, false, 2, 0}); });
    EXPECT_EQ(gone.failure(), Failure::Conflict);
    EXPECT_TRUE(gone.text().contains(QStringLiteral("먼저 삭제했습니다"))) << gone.text().toStdString();
    expectCheckClean();
}

// Two programs: another process changes the record while this one holds it
// open; this one's change is refused and it reads the other's.
TEST_P(RecordChanges, AChangeByAnotherProcessRefusesTheOlderVersion)
{
    const int opened = version();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int status = 1;
        try {
            auto store = open();
            if (store->signIn(QStringLiteral("김등록"), QStringLiteral("clerk-pw")).ok()) {
                store->updateAttributes(id_, opened, {u'J', 2011, 7});
                status = 0;
            }
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const ArchiveError e = thrown([&] { store_->addLot(id_, opened, {kSollaeRi, false, 3, 0}); });
    EXPECT_EQ(e.failure(), Failure::Conflict);
    const StoredDocument now = *store_->document(id_);
    EXPECT_EQ(now.kind, u'J');
    EXPECT_EQ(now.surveyYear, 2011);
    EXPECT_EQ(now.version, opened + 1);
    EXPECT_EQ(now.lots.size(), 2);
    EXPECT_EQ(store_->auditLog(1).front().userName, QStringLiteral("김등록"));
}

// ---- Deleting: the page goes back ------------------------------------------

TEST_P(RecordChanges, ADeletedDocumentsPageGoesBackToItsFolderAndName)
{
    const WithdrawnPage w = withdrawDocument(*store_, pagesPath(), id_, version());
    const QString back = scans_ + QStringLiteral("/Img001.jpg");
    EXPECT_EQ(w.restoredTo, back);
    EXPECT_FALSE(w.toRestoreFolder);
    EXPECT_TRUE(w.message.contains(back)) << w.message.toStdString();
    EXPECT_EQ(readFile(back), kPage);
    EXPECT_FALSE(QFile::exists(storedPage()));
    EXPECT_FALSE(store_->document(id_));
    EXPECT_TRUE(store_->lotsOf(id_).isEmpty());
    EXPECT_TRUE(store_->pendingPageRemovals().isEmpty());
    const AuditEntry entry = store_->auditLog(1).front();
    EXPECT_EQ(entry.action, QStringLiteral("document_delete"));
    EXPECT_TRUE(entry.before.contains(QStringLiteral("9911025021100120003")));
    EXPECT_TRUE(entry.after.contains(back));
    expectCheckClean();
}

// Its folder gone, or its name taken by another file: the restore folder in
// the page folder takes the page, and the message says where.
TEST_P(RecordChanges, WithoutItsFolderOrNameThePageGoesToTheRestoreFolder)
{
    for (const bool folderGone : {true, false}) {
        SCOPED_TRACE(folderGone ? "folder gone" : "name taken");
        const QString other = scans_ + QStringLiteral("/Img001.jpg");
        if (folderGone) {
            ASSERT_TRUE(QDir(scans_).removeRecursively());
        } else {
            QDir().mkpath(scans_);
            writeFile(other, QByteArrayLiteral("another scan"));
            NewDocument d =
                pageDocument(QStringLiteral("99110/1998/second.jpg"), kPage + "2", {{kImuiRi, false, 1, 0}});
            d.originalFolder = scans_ + u'/';
            d.originalName = QStringLiteral("Img001.jpg");
            id_ = store_->insertDocument(d);
        }
        const QByteArray bytes = readFile(QDir(pagesPath()).filePath(store_->document(id_)->pagePath));
        const WithdrawnPage w = withdrawDocument(*store_, pagesPath(), id_, version());
        EXPECT_TRUE(w.toRestoreFolder);
        EXPECT_EQ(QFileInfo(w.restoredTo).absolutePath(), QDir(pagesPath()).absoluteFilePath(kRestoreFolder));
        EXPECT_TRUE(w.message.contains(w.restoredTo)) << w.message.toStdString();
        EXPECT_TRUE(w.message.contains(QStringLiteral("복구 폴더"))) << w.message.toStdString();
        EXPECT_EQ(readFile(w.restoredTo), bytes);
        if (!folderGone) {
            EXPECT_EQ(QFileInfo(w.restoredTo).fileName(), QStringLiteral("Img001 (2).jpg"));
            EXPECT_EQ(readFile(other), QByteArrayLiteral("another scan"));
        }
        expectCheckClean();
    }
}

TEST_P(RecordChanges, ADocumentWhosePageIsMissingIsNotDeleted)
{
    ASSERT_TRUE(QFile::rename(storedPage(), path(QStringLiteral("elsewhere.jpg"))));
    const ArchiveError e = thrown([&] { withdrawDocument(*store_, pagesPath(), id_, version()); });
    EXPECT_EQ(e.failure(), Failure::Missing);
    EXPECT_TRUE(store_->document(id_));
    EXPECT_FALSE(QFile::exists(scans_ + QStringLiteral("/Img001.jpg")));
}

// Stopped after each step, by a failure in the program or a crash of the
// process: the page is in the archive with its record, or restored; after the
// next start's recovery exactly one of the two, and the check is clean.
class DeletionStopped : public RecordChangesFixture, public ::testing::WithParamInterface<WithdrawStep> {
public:
    void expectOneOrTheOther()
    {
        const QString back = scans_ + QStringLiteral("/Img001.jpg");
        if (store_->document(id_)) {
            EXPECT_EQ(readFile(storedPage()), kPage);
            EXPECT_FALSE(QFile::exists(back));
        } else {
            EXPECT_EQ(readFile(back), kPage);
            EXPECT_FALSE(QFile::exists(storedPage()));
        }
        EXPECT_TRUE(store_->pendingPageRemovals().isEmpty());
        expectCheckClean();
    }
};

INSTANTIATE_TEST_SUITE_P(EveryStep, DeletionStopped,
                         ::testing::Values(WithdrawStep::Restored, WithdrawStep::Deleted, WithdrawStep::Removed),
                         [](const ::testing::TestParamInfo<WithdrawStep>& info) {
                             return std::string(info.param == WithdrawStep::Restored  ? "restored"
                                                : info.param == WithdrawStep::Deleted ? "deleted"
                                                                                      : "removed");
                         });

TEST_P(DeletionStopped, AFailureAfterTheStepLeavesThePageAccountedFor)
{
    WithdrawHooks hooks;
    hooks.afterStep = [&](WithdrawStep at) {
        if (at == GetParam())
            throw ArchiveError(Failure::Database, QStringLiteral("시험용 실패"));
    };
    const int v = version();
    EXPECT_EQ(thrown([&] { withdrawDocument(*store_, pagesPath(), id_, v, hooks); }).text(),
              QStringLiteral("시험용 실패"));
    recoverPendingFilings(*store_, pagesPath());
    expectOneOrTheOther();
}

TEST_P(DeletionStopped, ACrashAfterTheStepIsResolvedAtTheNextStart)
{
    const WithdrawStep at = GetParam();
    const int v = version();
    store_.reset();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int status = 1;
        try {
            auto store = open();
            if (store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok()) {
                WithdrawHooks hooks;
                hooks.afterStep = [&](WithdrawStep s) {
                    if (s == at)
                        ::_exit(42);
                };
                withdrawDocument(*store, pagesPath(), id_, v, hooks);
                status = 0;
            }
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42);
    store_ = open();
    ASSERT_TRUE(store_->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    // Before the recovery: in the archive with its record, or restored, or both.
    const bool recorded = bool(store_->document(id_));
    EXPECT_TRUE((recorded && readFile(storedPage()) == kPage) ||
                readFile(scans_ + QStringLiteral("/Img001.jpg")) == kPage);
    const RecoveryReport report = recoverPendingFilings(*store_, pagesPath());
    EXPECT_EQ(report.pagesRemoved, at == WithdrawStep::Deleted ? 1 : 0);
    if (at == WithdrawStep::Restored) {
        // Stopped before the record went: the record and its page stay, the
        // restored copy is a second copy outside the archive.
        EXPECT_TRUE(recorded);
        QFile::remove(scans_ + QStringLiteral("/Img001.jpg"));
    }
    expectOneOrTheOther();
}

} // namespace
} // namespace rida::archive::testing
