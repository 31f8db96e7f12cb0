// Filing pages: copy and move, the names, the margin cut, the same page twice,
// a stop after every step (a failure inside the program and a real crash of a
// process) and the faults of disks, folders, sources and the database. After
// each, every page is either at its source or in the page folder with its
// record, and the archive's check finds nothing.

#include "archive/error.h"
#include "archive/pagefolder.h"
#include "archive/placement.h"
#include "tests/archive/fixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cerrno>
#include <tuple>

namespace rida::archive::testing {
namespace {

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// A small grey JPEG page: paper with a dark block over columns [inkFrom, inkTo).
QByteArray jpegPage(int width, int height, int inkFrom, int inkTo, int seed = 0)
{
    std::vector<unsigned char> grey(std::size_t(width) * std::size_t(height), 250);
    for (int y = 4; y < height - 4; ++y)
        for (int x = inkFrom; x < inkTo; ++x)
            grey[std::size_t(y * width + x)] = (unsigned char)((x + y + seed) % 60);
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, grey.data(), width, 0, height, TJPF_GRAY, &out, &size, TJSAMP_GRAY, 90, 0), 0);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(handle);
    return bytes;
}

const char* stepName(FilingStep step)
{
    switch (step) {
    case FilingStep::Journaled:
        return "journaled";
    case FilingStep::Copied:
        return "copied";
    case FilingStep::Verified:
        return "verified";
    case FilingStep::Placed:
        return "placed";
    case FilingStep::Committed:
        return "committed";
    case FilingStep::SourceRemoved:
        return "source_removed";
    }
    return "?";
}

class FilingFixture : public ArchiveTest {
public:
    void SetUp() override
    {
        ArchiveTest::SetUp();
        store_ = ready();
        page_ = jpegPage(96, 32, 40, 60);
    }
    void TearDown() override
    {
        // Folders a test made read-only must not keep the temporary folder from going.
        for (const QString& f : {pagesPath(), path(QStringLiteral("scans"))})
            QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QString source(const QString& name = QStringLiteral("Img001.jpg"), const QByteArray& bytes = {})
    {
        const QString p = path(QStringLiteral("scans/") + name);
        writeFile(p, bytes.isNull() ? page_ : bytes);
        return p;
    }
    FilingRequest request(const QString& sourcePath, Transfer transfer = Transfer::Copy)
    {
        FilingRequest r;
        r.sourcePath = sourcePath;
        r.transfer = transfer;
        r.kind = u'G';
        r.surveyYear = 1998;
        r.surveyMonth = 1;
        r.regionCode = kImuiRi;
        r.lots = {{kImuiRi, false, 12, 3}, {kImuiRi, true, 7, 0}};
        return r;
    }
    // Every file under the page folder, hidden ones too, relative.
    QStringList pageFiles()
    {
        QStringList files;
        QDirIterator it(pagesPath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(pagesPath()).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    int journalRows()
    {
        QSqlQuery q(QSqlDatabase::database(store_->connectionName()));
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT count(*) FROM filing_journal")) && q.next());
        return q.value(0).toInt();
    }

    // The page is at its source and nowhere in the archive, or in the archive
    // with its record (and, for a move, no longer at its source); nothing else
    // lies in the page folder, the journal is empty and the check is clean.
    void expectAccountedFor(const QString& sourcePath, const QByteArray& bytes, Transfer transfer)
    {
        const QList<PageRecord> records = store_->pageRecords();
        if (records.isEmpty()) {
            EXPECT_EQ(readFile(sourcePath), bytes) << "the page is neither filed nor at its source";
            EXPECT_EQ(pageFiles(), QStringList());
        } else {
            ASSERT_EQ(records.size(), 1);
            EXPECT_EQ(readFile(QDir(pagesPath()).filePath(records[0].pagePath)), bytes);
            EXPECT_EQ(pageFiles(), QStringList{records[0].pagePath});
            if (transfer == Transfer::Copy)
                EXPECT_EQ(readFile(sourcePath), bytes);
            else
                EXPECT_FALSE(QFile::exists(sourcePath));
        }
        EXPECT_EQ(journalRows(), 0);
        for (const CheckFinding& f : checkArchive(*store_, pagesPath()))
            ADD_FAILURE() << f.message.toStdString();
    }

    std::unique_ptr<Store> store_;
    QByteArray page_;
};

class Filing : public FilingFixture, public ::testing::WithParamInterface<Backend> {
public:
    Backend backend() const override { return GetParam(); }
};
RIDA_ON_BOTH_BACKENDS(Filing);

TEST_P(Filing, ACopyIsFiledUnderTheRuleWithItsRecordAndTheSourceUntouched)
{
    const QString src = source();
    struct stat before {};
    ::stat(QFile::encodeName(src).constData(), &before);
    const FiledPage filed = filePage(*store_, pagesPath(), request(src));
    EXPECT_EQ(filed.pagePath, QStringLiteral("99110/1998/G199801-9911025021-000001.jpg"));
    EXPECT_EQ(filed.storedPath, QDir(pagesPath()).filePath(filed.pagePath));
    EXPECT_EQ(filed.sha256, sha256(page_));
    EXPECT_FALSE(filed.sourceRemoved);
    struct stat after {};
    ::stat(QFile::encodeName(src).constData(), &after);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    const QList<StoredLot> lots = store_->lotsOf(filed.documentId);
    ASSERT_EQ(lots.size(), 2);
    EXPECT_EQ(lots[1].parcelNumber, QStringLiteral("9911025021200070000"));
    RawConnection raw(*this);
    EXPECT_EQ(raw.value(QStringLiteral("SELECT original_name || ' ' || page_width || 'x' || page_height || ' ' || "
                                       "original_sha256 FROM documents"))
                  .toString(),
              QStringLiteral("Img001.jpg 96x32 ") + sha256(page_));
    expectAccountedFor(src, page_, Transfer::Copy);

    // The next page of the same kind, month and 동리 takes the next number.
    const FiledPage second = filePage(*store_, pagesPath(), request(source("b.jpg", jpegPage(96, 32, 10, 20))));
    EXPECT_EQ(second.pagePath, QStringLiteral("99110/1998/G199801-9911025021-000002.jpg"));
}

TEST_P(Filing, AMoveRemovesTheSourceOnlyOnceThePageIsFiled)
{
    const QString src = source();
    const FiledPage filed = filePage(*store_, pagesPath(), request(src, Transfer::Move));
    EXPECT_TRUE(filed.sourceRemoved);
    expectAccountedFor(src, page_, Transfer::Move);
}

// Within one file system a moved page is the scanned file itself under its
// new name (a link, then the old name removed), not a second copy; from a
// folder the source cannot be removed from it is copied, so that no file
// ever keeps two names.
TEST_P(Filing, AMoveWithinOneFileSystemKeepsTheFileItselfAndCopiesFromAReadOnlyFolder)
{
    const QString src = source();
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(src).constData(), &before), 0);
    const FiledPage filed = filePage(*store_, pagesPath(), request(src, Transfer::Move));
    struct stat stored {};
    ASSERT_EQ(::stat(QFile::encodeName(filed.storedPath).constData(), &stored), 0);
    EXPECT_EQ(stored.st_ino, before.st_ino);
    EXPECT_EQ(stored.st_nlink, 1u);
    expectAccountedFor(src, page_, Transfer::Move);

    const QString lockedFolder = path(QStringLiteral("locked"));
    QDir().mkpath(lockedFolder);
    const QString locked = lockedFolder + QStringLiteral("/b.jpg");
    const QByteArray other = page_ + "other";
    writeFile(locked, other);
    ASSERT_EQ(::chmod(QFile::encodeName(lockedFolder).constData(), 0555), 0);
    const FiledPage copied = filePage(*store_, pagesPath(), request(locked, Transfer::Move));
    ::chmod(QFile::encodeName(lockedFolder).constData(), 0755);
    EXPECT_FALSE(copied.sourceRemoved);
    struct stat lockedStat {};
    ASSERT_EQ(::stat(QFile::encodeName(locked).constData(), &lockedStat), 0);
    EXPECT_EQ(lockedStat.st_nlink, 1u);
    EXPECT_EQ(readFile(copied.storedPath), other);
}

TEST_P(Filing, KeepingTheNameAddsANumberWhenItIsTakenAlsoWhenTakenAtTheLastMoment)
{
    FilingRequest r = request(source());
    r.nameRule = NameRule::KeepName;
    EXPECT_EQ(filePage(*store_, pagesPath(), r).pagePath, QStringLiteral("99110/1998/Img001.jpg"));
    // Another program puts a file under the next name just before it is claimed.
    FilingRequest next = request(source(QStringLiteral("other/Img001.jpg"), jpegPage(96, 32, 5, 9)));
    next.nameRule = NameRule::KeepName;
    FilingHooks hooks;
    const QString intruder = QDir(pagesPath()).filePath(QStringLiteral("99110/1998/Img001 (2).jpg"));
    hooks.beforeClaim = [&](const QString& candidate) {
        if (candidate == intruder)
            writeFile(intruder, "somebody else's file");
    };
    EXPECT_EQ(filePage(*store_, pagesPath(), next, hooks).pagePath, QStringLiteral("99110/1998/Img001 (3).jpg"));
    EXPECT_EQ(readFile(intruder), QByteArray("somebody else's file"));
}

TEST_P(Filing, TheMarginCutIsStoredTheOriginalStaysAndItsHashIsKept)
{
    const QByteArray wide = jpegPage(256, 32, 120, 140);
    const QString src = source(QStringLiteral("wide.jpg"), wide);
    FilingRequest r = request(src);
    r.margin = MarginSide::Left;
    const FiledPage filed = filePage(*store_, pagesPath(), r);
    EXPECT_EQ(filed.cutColumns, 112);
    EXPECT_EQ(readFile(src), wide);
    const QByteArray stored = readFile(filed.storedPath);
    EXPECT_EQ(filed.sha256, sha256(stored));
    EXPECT_EQ(filed.originalSha256, sha256(wide));
    RawConnection raw(*this);
    EXPECT_EQ(
        raw.value(QStringLiteral("SELECT page_width || ' ' || page_sha256 || ' ' || original_sha256 FROM documents"))
            .toString(),
        QStringLiteral("144 %1 %2").arg(sha256(stored), sha256(wide)));
    EXPECT_TRUE(checkArchive(*store_, pagesPath()).isEmpty());

    // The same scan again, cut or not, is the same page.
    const ArchiveError e = thrown([&] { filePage(*store_, pagesPath(), request(source("again.jpg", wide))); });
    EXPECT_EQ(e.failure(), Failure::Conflict);
}

TEST_P(Filing, TheSamePageTwiceIsRefusedNamingTheRecordThatHasIt)
{
    const FiledPage first = filePage(*store_, pagesPath(), request(source()));
    const QString copy = source(QStringLiteral("copy of Img001.jpg"));
    const ArchiveError e = thrown([&] { filePage(*store_, pagesPath(), request(copy, Transfer::Move)); });
    EXPECT_EQ(e.failure(), Failure::Conflict);
    EXPECT_TRUE(e.text().contains(QStringLiteral("이미 등록된 파일입니다"))) << e.text().toStdString();
    EXPECT_TRUE(e.text().contains(QStringLiteral("문서 %1").arg(first.documentId))) << e.text().toStdString();
    EXPECT_EQ(readFile(copy), page_);
    EXPECT_EQ(documentWithPage(*store_, sha256(page_)), first.documentId);
}

TEST_P(Filing, ThePageBeingFiledElsewhereIsRefusedUntilThatFilingEnds)
{
    // Another machine's filing of the same bytes, begun a moment ago.
    RawConnection raw(*this);
    raw.exec(QStringLiteral("INSERT INTO filing_journal (started_at, host, pid, user_name, transfer, source_path, "
                            "source_sha256, source_bytes, temp_path, page_path, page_sha256, page_bytes, document) "
                            "VALUES ('%1', 'another-pc', 1, '김등록', 'copy', '/elsewhere/Img001.jpg', '%2', 1, '', "
                            "'x.jpg', '%2', 1, '{}')")
                 .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs), sha256(page_)));
    const QString src = source();
    const ArchiveError e = thrown([&] { filePage(*store_, pagesPath(), request(src)); });
    EXPECT_EQ(e.failure(), Failure::Conflict);
    EXPECT_TRUE(e.text().contains(QStringLiteral("지금 다른 곳에서 등록하고 있습니다"))) << e.text().toStdString();
    EXPECT_EQ(pageFiles(), QStringList());
    // Still running there, as far as this machine can tell: recovery leaves it.
    const RecoveryReport report = recoverPendingFilings(*store_, pagesPath());
    EXPECT_EQ(report.finished + report.undone, 0);
    EXPECT_EQ(journalRows(), 1);
}

// ---- A stop after every step --------------------------------------------------

struct StopCase {
    FilingStep step;
    Transfer transfer;
};

std::string stopName(const ::testing::TestParamInfo<std::tuple<StopCase, Backend>>& info)
{
    const StopCase c = std::get<0>(info.param);
    return std::string(stepName(c.step)) + (c.transfer == Transfer::Move ? "_move_" : "_copy_") +
           backendName({std::get<1>(info.param), info.index});
}

class FilingStopped : public FilingFixture, public ::testing::WithParamInterface<std::tuple<StopCase, Backend>> {
public:
    Backend backend() const override { return std::get<1>(GetParam()); }
    StopCase stop() const { return std::get<0>(GetParam()); }
};

INSTANTIATE_TEST_SUITE_P(EveryStep, FilingStopped,
                         ::testing::Combine(::testing::Values(StopCase{FilingStep::Journaled, Transfer::Copy},
                                                              StopCase{FilingStep::Copied, Transfer::Copy},
                                                              StopCase{FilingStep::Verified, Transfer::Copy},
                                                              StopCase{FilingStep::Placed, Transfer::Copy},
                                                              StopCase{FilingStep::Committed, Transfer::Copy},
                                                              StopCase{FilingStep::Journaled, Transfer::Move},
                                                              StopCase{FilingStep::Copied, Transfer::Move},
                                                              StopCase{FilingStep::Verified, Transfer::Move},
                                                              StopCase{FilingStep::Placed, Transfer::Move},
                                                              StopCase{FilingStep::Committed, Transfer::Move},
                                                              StopCase{FilingStep::SourceRemoved, Transfer::Move}),
                                            ::testing::Values(Backend::Sqlite, Backend::Postgresql)),
                         stopName);

// A failure inside the program: the filing undoes what it did before the
// record, and what is left after it the next start finishes.
TEST_P(FilingStopped, AFailureAfterTheStepLeavesEveryPageAccountedFor)
{
    const StopCase c = stop();
    const QString src = source();
    FilingHooks hooks;
    hooks.afterStep = [&](FilingStep at) {
        if (at == c.step)
            throw ArchiveError(Failure::Database, QStringLiteral("시험용 실패"));
    };
    EXPECT_EQ(thrown([&] { filePage(*store_, pagesPath(), request(src, c.transfer), hooks); }).text(),
              QStringLiteral("시험용 실패"));
    recoverPendingFilings(*store_, pagesPath());
    expectAccountedFor(src, page_, c.transfer);
}

// A real crash: a process files the page and dies at the step, with no
// unwinding, no rollback and its database connection cut off.
TEST_P(FilingStopped, ACrashAfterTheStepIsResolvedAtTheNextStart)
{
    const StopCase c = stop();
    const QString src = source();
    const FilingRequest r = request(src, c.transfer);
    constexpr int kCrashed = 42;
    store_.reset(); // the child opens the database for itself
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int status = 1;
        try {
            auto store = open();
            if (store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok()) {
                FilingHooks hooks;
                hooks.afterStep = [&](FilingStep at) {
                    if (at == c.step)
                        ::_exit(kCrashed);
                };
                filePage(*store, pagesPath(), r, hooks);
                status = 0;
            }
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kCrashed);

    store_ = open();
    ASSERT_TRUE(store_->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    const RecoveryReport report = recoverPendingFilings(*store_, pagesPath());
    const bool committed = c.step == FilingStep::Committed || c.step == FilingStep::SourceRemoved;
    EXPECT_EQ(report.finished, committed ? 1 : 0);
    EXPECT_EQ(report.undone, committed ? 0 : 1);
    EXPECT_EQ(report.left, 0);
    expectAccountedFor(src, page_, c.transfer);
}

// The source vanished while the filing stood still after placing the copy:
// the copy is the page now, so the next start finishes the filing.
TEST_P(Filing, APlacedCopyWhoseSourceHasGoneIsFinishedNotRemoved)
{
    const QString src = source();
    const FilingRequest r = request(src, Transfer::Move);
    store_.reset();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto store = open();
        store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw"));
        FilingHooks hooks;
        hooks.afterStep = [&](FilingStep at) {
            if (at == FilingStep::Placed) {
                QFile::remove(src);
                ::_exit(42);
            }
        };
        try {
            filePage(*store, pagesPath(), r, hooks);
        } catch (...) {
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    store_ = open();
    ASSERT_TRUE(store_->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    const RecoveryReport report = recoverPendingFilings(*store_, pagesPath());
    EXPECT_EQ(report.finished, 1) << report.messages.join(u'\n').toStdString();
    expectAccountedFor(src, page_, Transfer::Move);
    EXPECT_EQ(store_->lotsOf(store_->pageRecords().front().documentId).size(), 2);
}

TEST_P(Filing, ARecordWhosePageIsMissingIsReportedByTheRecovery)
{
    const QString src = source();
    store_.reset();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto store = open();
        store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw"));
        FilingHooks hooks;
        hooks.afterStep = [&](FilingStep at) {
            if (at == FilingStep::Committed)
                ::_exit(42);
        };
        try {
            filePage(*store, pagesPath(), request(src), hooks);
        } catch (...) {
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    store_ = open();
    ASSERT_TRUE(store_->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    const QString stored = QDir(pagesPath()).filePath(store_->pageRecords().front().pagePath);
    ASSERT_TRUE(QFile::remove(stored));
    const RecoveryReport report = recoverPendingFilings(*store_, pagesPath());
    ASSERT_EQ(report.missingPages.size(), 1);
    EXPECT_TRUE(report.missingPages[0].contains(QStringLiteral("이미지 파일이 없습니다")))
        << report.missingPages[0].toStdString();
}

// ---- Faults ----------------------------------------------------------------------

TEST_P(Filing, FaultsEndWithAKoreanMessageAndNothingLost)
{
    struct Case {
        const char* name;
        std::function<void(FilingRequest&, FilingHooks&)> arrange;
        Failure failure;
        const char* message;
    };
    const QString pages = pagesPath();
    std::unique_ptr<RawConnection> holder;
    const std::vector<Case> cases{
        {"a full disk", [](FilingRequest&, FilingHooks& h) { h.writeFault = [] { return ENOSPC; }; }, Failure::DiskFull,
         "디스크 공간이 부족하여"},
        {"a read-only page folder",
         [&](FilingRequest&, FilingHooks&) { ::chmod(QFile::encodeName(pages).constData(), 0555); }, Failure::ReadOnly,
         "쓸 수 없습니다"},
        {"a share that vanishes after the copy",
         [&](FilingRequest&, FilingHooks& h) {
             h.afterStep = [&](FilingStep at) {
                 if (at == FilingStep::Copied)
                     QDir().rename(pages, pages + QStringLiteral(".gone"));
             };
         },
         Failure::Missing, "이미지 폴더에 연결할 수 없습니다"},
        {"a source changed since it was chosen",
         [](FilingRequest& r, FilingHooks&) { r.expectedSha256 = QString(64, u'0'); }, Failure::Invalid,
         "원본 파일이 선택한 뒤에 바뀌었습니다"},
        {"a source removed since it was chosen", [](FilingRequest& r, FilingHooks&) { QFile::remove(r.sourcePath); },
         Failure::Invalid, "원본 파일이 없거나"},
        {"a database that refuses the record",
         [&](FilingRequest&, FilingHooks&) {
             RawConnection raw(*this);
             if (onServer()) {
                 raw.exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                                         "$$BEGIN RAISE EXCEPTION 'refused' USING ERRCODE = 'check_violation'; END$$"));
                 raw.exec(QStringLiteral(
                     "CREATE TRIGGER refuse BEFORE INSERT ON documents FOR EACH ROW EXECUTE FUNCTION refuse()"));
             } else {
                 raw.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON documents BEGIN SELECT RAISE(ABORT, "
                                         "'refused'); END"));
             }
         },
         Failure::Conflict, "데이터베이스 오류: refused"},
        {"another program holding the database when the record is committed",
         [&](FilingRequest&, FilingHooks& h) {
             h.afterStep = [&](FilingStep at) {
                 if (at == FilingStep::Placed) {
                     holder = std::make_unique<RawConnection>(*this);
                     if (onServer()) {
                         holder->exec(QStringLiteral("BEGIN"));
                         holder->exec(QStringLiteral("LOCK TABLE documents IN EXCLUSIVE MODE"));
                     } else {
                         holder->exec(QStringLiteral("BEGIN IMMEDIATE"));
                     }
                 }
             };
         },
         Failure::Locked, "잠그고 있어"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString src = source(QString::fromUtf8(c.name) + QStringLiteral(".jpg"));
        FilingRequest r = request(src, Transfer::Move);
        FilingHooks hooks;
        c.arrange(r, hooks);
        const ArchiveError e = thrown([&] { filePage(*store_, pagesPath(), r, hooks); });
        EXPECT_EQ(e.failure(), c.failure) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.message))) << e.text().toStdString();
        // Put the world back, then look: the share returns, the folder is writable again.
        if (QFileInfo::exists(pages + QStringLiteral(".gone"))) {
            QDir().rename(pages + QStringLiteral(".gone"), pages);
            EXPECT_EQ(journalRows(), 1) << "the copy on the vanished share is left to the next start";
        }
        ::chmod(QFile::encodeName(pages).constData(), 0755);
        holder.reset();
        RawConnection(*this).exec(onServer() ? QStringLiteral("DROP TRIGGER IF EXISTS refuse ON documents")
                                             : QStringLiteral("DROP TRIGGER IF EXISTS refuse"));
        EXPECT_EQ(recoverPendingFilings(*store_, pagesPath()).left, 0);
        if (QFile::exists(src))
            expectAccountedFor(src, page_, Transfer::Move);
        EXPECT_EQ(store_->pageRecords().size(), 0);
        EXPECT_EQ(pageFiles().filter(QStringLiteral(".jpg")), QStringList());
        // The folder layout may stay; no page file does.
        for (const QString& f : pageFiles())
            ADD_FAILURE() << f.toStdString();
    }
}

TEST_P(Filing, AMoveFromAReadOnlyFolderFilesThePageAndSaysTheSourceStayed)
{
    const QString src = source();
    ::chmod(QFile::encodeName(path(QStringLiteral("scans"))).constData(), 0555);
    const FiledPage filed = filePage(*store_, pagesPath(), request(src, Transfer::Move));
    EXPECT_FALSE(filed.sourceRemoved);
    ASSERT_EQ(filed.notes.size(), 1);
    EXPECT_TRUE(filed.notes[0].contains(QStringLiteral("원본 파일을 지우지 못했습니다")))
        << filed.notes[0].toStdString();
    EXPECT_EQ(readFile(src), page_);
    EXPECT_EQ(readFile(filed.storedPath), page_);
    EXPECT_TRUE(checkArchive(*store_, pagesPath()).isEmpty());
    EXPECT_EQ(journalRows(), 0);
}

TEST_P(Filing, AViewerMayNotFile)
{
    store_->addUser(QStringLiteral("조회만"), Role::Viewer, QStringLiteral("pw"));
    ASSERT_TRUE(store_->signIn(QStringLiteral("조회만"), QStringLiteral("pw")).ok());
    const QString src = source();
    EXPECT_EQ(thrown([&] { filePage(*store_, pagesPath(), request(src)); }).failure(), Failure::NotAllowed);
    EXPECT_EQ(pageFiles(), QStringList());
}

} // namespace
} // namespace rida::archive::testing
