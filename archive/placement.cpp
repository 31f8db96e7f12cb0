#include "archive/placement.h"

#include "archive/error.h"
#include "archive/filemode.h"
#include "archive/pagefolder.h"
#include "archive/parcel.h"
#include "archive/sha256.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rida::archive {

namespace {

const QString kKindCodes = QStringLiteral("TGSJYX");
constexpr qint64 kOtherMachineStaleSeconds = 3600;
constexpr int kNameAttempts = 100000;

// Journal rows of filings this program is running now: the start-up
// recovery of a second store in the same program leaves them alone.
QMutex liveMutex;
QSet<qint64> liveFilings;

class LiveFiling {
public:
    explicit LiveFiling(qint64 id) : id_(id)
    {
        QMutexLocker lock(&liveMutex);
        liveFilings.insert(id_);
    }
    ~LiveFiling()
    {
        QMutexLocker lock(&liveMutex);
        liveFilings.remove(id_);
    }

private:
    qint64 id_;
};

bool isLive(qint64 id)
{
    QMutexLocker lock(&liveMutex);
    return liveFilings.contains(id);
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A failure of the file system while the page is on its way, in the user's words.
[[noreturn]] void fileFailure(int error, const QString& path)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        throw ArchiveError(Failure::DiskFull,
                           QStringLiteral("이미지 폴더의 디스크 공간이 부족하여 페이지를 넣지 못했습니다. 원본 파일은 "
                                          "그대로입니다. 공간을 비운 뒤 다시 등록하십시오. (%1)")
                               .arg(path));
    case EROFS:
    case EACCES:
    case EPERM:
        throw ArchiveError(
            Failure::ReadOnly,
            QStringLiteral("이미지 폴더에 쓸 수 없습니다(읽기 전용): %1\n원본 파일은 그대로입니다.").arg(path));
    case ENOENT:
    case ENOTDIR:
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case EIO:
        throw ArchiveError(Failure::Missing,
                           QStringLiteral("이미지 폴더에 연결할 수 없습니다(폴더가 사라졌거나 네트워크가 끊겼습니다): "
                                          "%1\n원본 파일은 그대로입니다. 연결을 확인한 뒤 다시 등록하십시오.")
                               .arg(path));
    default:
        throw ArchiveError(Failure::Database,
                           QStringLiteral("페이지를 이미지 폴더에 넣지 못했습니다: %1 (%2)\n원본 파일은 그대로입니다.")
                               .arg(path, systemText(error)));
    }
}

// Flushes a folder's entries (a new name, a removed one) to the disk.
int syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems cannot flush a folder; their entries are written with the data.
    return result == EINVAL ? 0 : result;
}

// Writes a new file that must not exist yet, flushed to the disk.
void writeNewFile(const QString& path, const QByteArray& bytes, const FilingHooks& hooks)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        fileFailure(errno, path);
    qint64 done = 0;
    while (done < bytes.size()) {
        const int fault = hooks.writeFault ? hooks.writeFault() : 0;
        const qint64 chunk = std::min<qint64>(bytes.size() - done, qint64(1) << 20);
        const ssize_t n = fault ? -1 : ::write(fd, bytes.constData() + done, std::size_t(chunk));
        if (n < 0) {
            const int error = fault ? fault : errno;
            if (error == EINTR)
                continue;
            ::close(fd);
            fileFailure(error, path);
        }
        done += n;
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        fileFailure(error, path);
    }
    if (::close(fd) != 0)
        fileFailure(errno, path);
}

bool sameFileSystem(const struct stat& file, const QString& folder)
{
    struct stat st {};
    return ::stat(QFile::encodeName(folder).constData(), &st) == 0 && st.st_dev == file.st_dev;
}

bool isSameFile(const QString& a, const QString& b)
{
    struct stat sa {
    }, sb{};
    return ::lstat(QFile::encodeName(a).constData(), &sa) == 0 && ::lstat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Gives the source a second name `temp` and flushes it; false (nothing left
// behind) when the file system cannot link, or the file is no longer the one
// that was read (another file put in its place, or its size changed).
bool linkPage(const QString& source, const QString& temp, const struct stat& read)
{
    if (::link(QFile::encodeName(source).constData(), QFile::encodeName(temp).constData()) != 0)
        return false;
    const int fd = ::open(QFile::encodeName(temp).constData(), O_RDONLY | O_CLOEXEC);
    struct stat now {};
    const bool same = fd >= 0 && ::fstat(fd, &now) == 0 && now.st_dev == read.st_dev && now.st_ino == read.st_ino &&
                      now.st_size == read.st_size && now.st_mtim.tv_sec == read.st_mtim.tv_sec &&
                      now.st_mtim.tv_nsec == read.st_mtim.tv_nsec;
    // The page's data reaches the disk before its new name is committed.
    const bool flushed = same && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!flushed) {
        ::unlink(QFile::encodeName(temp).constData());
        return false;
    }
    return true;
}

std::optional<QByteArray> readWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool removeFile(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
}

bool exists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// ---- The record as the journal holds it --------------------------------------

QString documentJson(const NewDocument& d)
{
    QJsonArray lots;
    for (const NewLot& lot : d.lots)
        lots.append(QJsonObject{
            {"region", lot.regionCode}, {"san", lot.mountain}, {"main", lot.mainNumber}, {"sub", lot.subNumber}});
    QJsonObject o{{"kind", QString(d.kind)},
                  {"year", d.surveyYear},
                  {"month", d.surveyMonth},
                  {"region", d.regionCode},
                  {"page", d.pagePath},
                  {"originalFolder", d.originalFolder},
                  {"originalName", d.originalName},
                  {"sha256", d.pageSha256},
                  {"bytes", d.pageBytes},
                  {"originalSha256", d.originalSha256},
                  {"registration", d.registration == Registration::Automatic ? "automatic" : "manual"},
                  {"recognitionSettings", d.recognitionSettings},
                  {"lots", lots}};
    if (d.pageWidth)
        o.insert("width", *d.pageWidth);
    if (d.pageHeight)
        o.insert("height", *d.pageHeight);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

NewDocument documentFromJson(const QString& text)
{
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    NewDocument d;
    const QString kind = o.value("kind").toString();
    d.kind = kind.isEmpty() ? QChar() : kind[0];
    d.surveyYear = o.value("year").toInt();
    d.surveyMonth = o.value("month").toInt();
    d.regionCode = o.value("region").toString();
    d.pagePath = o.value("page").toString();
    d.originalFolder = o.value("originalFolder").toString();
    d.originalName = o.value("originalName").toString();
    d.pageSha256 = o.value("sha256").toString();
    d.pageBytes = o.value("bytes").toInteger();
    d.originalSha256 = o.value("originalSha256").toString();
    d.registration = o.value("registration").toString() == QLatin1String("automatic") ? Registration::Automatic
                                                                                      : Registration::Manual;
    d.recognitionSettings = o.value("recognitionSettings").toString();
    if (o.contains("width"))
        d.pageWidth = o.value("width").toInt();
    if (o.contains("height"))
        d.pageHeight = o.value("height").toInt();
    for (const QJsonValue& v : o.value("lots").toArray()) {
        const QJsonObject lot = v.toObject();
        d.lots.append({lot.value("region").toString(), lot.value("san").toBool(), lot.value("main").toInt(),
                       lot.value("sub").toInt()});
    }
    return d;
}

// ---- The journal ---------------------------------------------------------------

class Journal {
public:
    explicit Journal(Store& store) : store_(store), db_(QSqlDatabase::database(store.connectionName(), false)) {}

    QSqlQuery prepare(const QString& sql)
    {
        QSqlQuery query(db_);
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            fail(query);
        return query;
    }
    void exec(QSqlQuery& query)
    {
        if (!query.exec())
            fail(query);
    }
    [[noreturn]] void fail(const QSqlQuery& query)
    {
        const QSqlError error = query.lastError();
        const Failure failure = dialectFor(store_.location())->classify(error);
        if (failure == Failure::DiskFull)
            throw ArchiveError(failure, QStringLiteral("데이터베이스의 디스크 공간이 부족하여 등록하지 못했습니다. "
                                                       "원본 파일은 그대로입니다."));
        if (failure == Failure::Locked)
            throw ArchiveError(failure, QStringLiteral("데이터베이스를 다른 프로그램이 잠그고 있어 등록하지 "
                                                       "못했습니다. 잠시 후 다시 시도하십시오. 원본 파일은 "
                                                       "그대로입니다."));
        throw ArchiveError(failure == Failure::Database ? Failure::Database : failure,
                           QStringLiteral("등록 기록을 데이터베이스에 쓰지 못했습니다: %1\n원본 파일은 그대로입니다.")
                               .arg(dialectFor(store_.location())->errorText(error)));
    }

    std::optional<qint64> documentWith(const QString& sha256)
    {
        QSqlQuery query =
            prepare(QStringLiteral("SELECT id FROM documents WHERE page_sha256 = ? OR original_sha256 = ? "
                                   "ORDER BY id LIMIT 1"));
        query.addBindValue(sha256);
        query.addBindValue(sha256);
        exec(query);
        if (!query.next())
            return std::nullopt;
        return query.value(0).toLongLong();
    }

    bool pathTaken(const QString& pagePath)
    {
        QSqlQuery query = prepare(QStringLiteral("SELECT 1 FROM documents WHERE page_path = ?"));
        query.addBindValue(pagePath);
        exec(query);
        return query.next();
    }

    std::optional<qint64> recordOf(const QString& pagePath, const QString& sha256)
    {
        QSqlQuery query = prepare(QStringLiteral("SELECT id FROM documents WHERE page_path = ? AND page_sha256 = ?"));
        query.addBindValue(pagePath);
        query.addBindValue(sha256);
        exec(query);
        if (!query.next())
            return std::nullopt;
        return query.value(0).toLongLong();
    }

    void remove(qint64 id)
    {
        QSqlQuery query = prepare(QStringLiteral("DELETE FROM filing_journal WHERE id = ?"));
        query.addBindValue(id);
        exec(query);
    }

    Store& store_;
    QSqlDatabase db_;
};

void checkAttributes(const FilingRequest& r)
{
    if (r.kind.isNull() || !kKindCodes.contains(r.kind))
        throw ArchiveError(Failure::Invalid, QStringLiteral("문서구분이 올바르지 않습니다: %1").arg(r.kind));
    if (r.surveyYear < 1000 || r.surveyYear > 9999)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("조사기준연도는 네 자리 숫자여야 합니다: %1").arg(r.surveyYear));
    if (r.surveyMonth < 1 || r.surveyMonth > 12)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("조사기준월은 1에서 12 사이여야 합니다: %1").arg(r.surveyMonth));
    if (!isRegionCode(r.regionCode))
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("등록지역의 행정코드가 올바르지 않습니다: %1").arg(r.regionCode));
    if (r.lots.isEmpty())
        throw ArchiveError(Failure::Invalid, QStringLiteral("필지가 없습니다. 필지를 하나 이상 추가하십시오."));
}

ArchiveError duplicateError(qint64 documentId, const QString& source)
{
    return ArchiveError(Failure::Conflict,
                        QStringLiteral("이미 등록된 파일입니다: %1\n같은 이미지가 문서 %2에 등록되어 있습니다.")
                            .arg(source)
                            .arg(documentId));
}

} // namespace

std::optional<qint64> documentWithPage(Store& store, const QString& sha256)
{
    return Journal(store).documentWith(sha256);
}

FiledPage filePage(Store& store, const QString& pageFolder, const FilingRequest& request, const FilingHooks& hooks)
{
    store.require(request.registration == Registration::Automatic ? Command::RegisterAutomatic
                                                                  : Command::RegisterManual);
    checkAttributes(request);
    auto step = [&](FilingStep s) {
        if (hooks.afterStep)
            hooks.afterStep(s);
    };

    const PageFolderStatus status = pageFolderStatus(pageFolder);
    if (!status.ready())
        throw ArchiveError(status.state == PageFolderStatus::NotWritable ? Failure::ReadOnly : Failure::Missing,
                           status.message + QStringLiteral("\n원본 파일은 그대로입니다."));

    const QFileInfo source(request.sourcePath);
    const QString sourcePath = source.absoluteFilePath();
    struct stat sourceStat {};
    const bool sourceStated = ::stat(QFile::encodeName(sourcePath).constData(), &sourceStat) == 0;
    const std::optional<QByteArray> original = source.isFile() ? readWhole(sourcePath) : std::nullopt;
    if (!original)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("원본 파일이 없거나 읽을 수 없습니다: %1").arg(request.sourcePath));
    const QString originalSha = sha256Hex(*original);
    if (!request.expectedSha256.isEmpty() && request.expectedSha256 != originalSha)
        throw ArchiveError(Failure::Invalid,
                           QStringLiteral("원본 파일이 선택한 뒤에 바뀌었습니다. 파일을 다시 선택하십시오: %1")
                               .arg(request.sourcePath));

    Journal journal(store);
    if (const std::optional<qint64> known = journal.documentWith(originalSha))
        throw duplicateError(*known, request.sourcePath);

    FiledPage filed;
    const MarginCut cut = cutMargin(*original, request.margin);
    if (!cut.note.isEmpty())
        filed.notes << cut.note;
    filed.cutColumns = cut.cutColumns;
    filed.originalSha256 = originalSha;
    filed.sha256 = cut.cutColumns > 0 ? sha256Hex(cut.bytes) : originalSha;
    if (cut.cutColumns > 0)
        if (const std::optional<qint64> known = journal.documentWith(filed.sha256))
            throw duplicateError(*known, request.sourcePath);

    const PageNameParts parts{request.kind, request.surveyYear, request.surveyMonth, request.regionCode};
    const QString folderPath = storedFolder(parts);
    const QDir root(pageFolder);
    const QString folder = root.absoluteFilePath(folderPath);
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            fileFailure(errno ? errno : EACCES, folder);
        // The new folders' names reach the disk before any page in them.
        for (QString f = folder; f.size() > root.absolutePath().size(); f = QFileInfo(f).absolutePath())
            syncFolder(QFileInfo(f).absolutePath());
    }
    if (!writableByMode(folder))
        fileFailure(EACCES, folder);

    const PageNamer namer(request.nameRule, parts, source.fileName(), folder);
    int attempt = 0;
    auto nextFreeName = [&] {
        // Names on disk and names of records whose page is missing are both taken.
        while (attempt < kNameAttempts && (exists(folder + u'/' + namer.candidate(attempt)) ||
                                           journal.pathTaken(folderPath + u'/' + namer.candidate(attempt))))
            ++attempt;
        if (attempt >= kNameAttempts)
            throw ArchiveError(Failure::Conflict,
                               QStringLiteral("이미지 폴더에 쓸 수 있는 이름이 없습니다: %1").arg(folder));
        return namer.candidate(attempt);
    };

    NewDocument document;
    document.kind = request.kind;
    document.surveyYear = request.surveyYear;
    document.surveyMonth = request.surveyMonth;
    document.regionCode = request.regionCode;
    document.pagePath = folderPath + u'/' + nextFreeName();
    document.originalFolder = source.absolutePath() + u'/';
    document.originalName = source.fileName();
    document.pageSha256 = filed.sha256;
    document.pageBytes = cut.bytes.size();
    document.originalSha256 = originalSha;
    if (cut.size.width > 0) {
        document.pageWidth = cut.size.width;
        document.pageHeight = cut.size.height;
    }
    document.registration = request.registration;
    document.recognitionSettings = request.recognitionSettings;
    document.lots = request.lots;

    // 1. The journal row, before anything is written.
    qint64 journalId = 0;
    const QString tempPath =
        folderPath +
        QStringLiteral("/.rida-filing-%1.part").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    {
        QSqlQuery insert = journal.prepare(QStringLiteral(
            "INSERT INTO filing_journal (started_at, host, pid, user_name, transfer, source_path, source_sha256,"
            " source_bytes, temp_path, page_path, page_sha256, page_bytes, document)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"));
        insert.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
        insert.addBindValue(QSysInfo::machineHostName());
        insert.addBindValue(qint64(::getpid()));
        insert.addBindValue(store.currentUser()->name);
        insert.addBindValue(request.transfer == Transfer::Move ? QStringLiteral("move") : QStringLiteral("copy"));
        insert.addBindValue(sourcePath);
        insert.addBindValue(originalSha);
        insert.addBindValue(qint64(original->size()));
        insert.addBindValue(tempPath);
        insert.addBindValue(document.pagePath);
        insert.addBindValue(document.pageSha256);
        insert.addBindValue(document.pageBytes);
        insert.addBindValue(documentJson(document));
        if (!insert.exec()) {
            if (dialectFor(store.location())->classify(insert.lastError()) == Failure::Conflict ||
                insert.lastError().nativeErrorCode() == QLatin1String("2067") ||
                insert.lastError().databaseText().contains(QLatin1String("UNIQUE")))
                throw ArchiveError(Failure::Conflict,
                                   QStringLiteral("같은 이미지를 지금 다른 곳에서 등록하고 있습니다: %1\n그 등록이 "
                                                  "끝나지 않은 채 멈추었다면 프로그램을 다시 시작하면 정리됩니다.")
                                       .arg(request.sourcePath));
            journal.fail(insert);
        }
        if (!insert.next())
            journal.fail(insert);
        journalId = insert.value(0).toLongLong();
        insert.finish();
    }
    const LiveFiling live(journalId);
    // Somebody may have registered the same page between the check above and
    // the journal row; from the row on, nobody else can start it.
    if (const std::optional<qint64> known = journal.documentWith(originalSha)) {
        journal.remove(journalId);
        throw duplicateError(*known, request.sourcePath);
    }
    const QString tempFile = root.absoluteFilePath(tempPath);
    QString storedFile;
    bool placed = false;
    // A link needs the same file system, an uncut page, and a source folder the
    // source can be removed from (two names of one file must not stay).
    const bool linkable = request.transfer == Transfer::Move && cut.cutColumns == 0 && sourceStated &&
                          !hooks.writeFault && sameFileSystem(sourceStat, folder) &&
                          writableByMode(source.absolutePath());
    bool linked = false;
    try {
        step(FilingStep::Journaled);

        // 2. The page under its temporary name, flushed. An uncut page that is
        // moved within one file system is linked rather than copied: the file
        // itself gets a second name in the page folder, and its first name goes
        // once the record is committed.
        if (linkable && linkPage(sourcePath, tempFile, sourceStat))
            linked = true;
        else
            writeNewFile(tempFile, cut.bytes, hooks);
        if (const int error = syncFolder(folder))
            fileFailure(error, folder);
        step(FilingStep::Copied);

        // 3. Read back: what is on the disk is what was meant to be. A link is
        // the very file that was read and hashed (linkPage checked that).
        if (!linked) {
            const std::optional<QByteArray> copy = readWhole(tempFile);
            if (!copy)
                fileFailure(errno ? errno : EIO, tempFile);
            if (copy->size() != cut.bytes.size() || sha256Hex(*copy) != filed.sha256)
                throw ArchiveError(
                    Failure::Database,
                    QStringLiteral("이미지 폴더에 쓴 사본이 원본과 다릅니다(크기 또는 SHA-256): %1\n원본 "
                                   "파일은 그대로입니다. 디스크를 점검하십시오.")
                        .arg(tempFile));
        }
        step(FilingStep::Verified);

        // 4. The final name, never over a file that is there.
        for (;;) {
            const QString name = folder + u'/' + QFileInfo(document.pagePath).fileName();
            if (hooks.beforeClaim)
                hooks.beforeClaim(name);
            const int error = renameNoReplace(tempFile, name);
            if (error == 0) {
                storedFile = name;
                break;
            }
            if (error != EEXIST)
                fileFailure(error, name);
            // Taken since it was chosen: the journal names the next one before it is tried.
            ++attempt;
            document.pagePath = folderPath + u'/' + nextFreeName();
            QSqlQuery rename =
                journal.prepare(QStringLiteral("UPDATE filing_journal SET page_path = ?, document = ? WHERE id = ?"));
            rename.addBindValue(document.pagePath);
            rename.addBindValue(documentJson(document));
            rename.addBindValue(journalId);
            journal.exec(rename);
        }
        placed = true;
        if (const int error = syncFolder(folder))
            fileFailure(error, folder);
        step(FilingStep::Placed);

        // 5. The record.
        filed.documentId = store.insertDocument(document);
    } catch (...) {
        // Undo: the copy goes, under whichever name it has; the source was never touched.
        const bool copyGone = (!placed || removeFile(storedFile)) && removeFile(tempFile);
        syncFolder(folder);
        if (copyGone && QFileInfo(folder).isDir()) {
            try {
                journal.remove(journalId);
            } catch (const ArchiveError&) {
                // The row stays; the next start finds nothing to undo and drops it.
            }
        }
        throw;
    }
    filed.pagePath = document.pagePath;
    filed.storedPath = storedFile;
    step(FilingStep::Committed);

    // 6. For 이동, the source goes, once the page is safely filed.
    if (request.transfer == Transfer::Move) {
        const QString sourceFolder = source.absolutePath();
        // A linked source is the stored file itself; a copied one must still hold the bytes filed.
        const bool sameFile = linked && isSameFile(sourcePath, storedFile);
        const std::optional<QByteArray> now = sameFile ? original : readWhole(sourcePath);
        if (!now || (!sameFile && sha256Hex(*now) != originalSha)) {
            filed.notes << QStringLiteral("원본 파일이 등록하는 동안 바뀌어 지우지 않았습니다: %1").arg(sourcePath);
        } else if (!writableByMode(sourceFolder) || ::unlink(QFile::encodeName(sourcePath).constData()) != 0) {
            filed.notes << QStringLiteral("등록은 되었지만 원본 파일을 지우지 못했습니다(폴더가 읽기 전용입니다): "
                                          "%1\n원본은 그대로 남아 있습니다.")
                               .arg(sourcePath);
        } else {
            syncFolder(sourceFolder);
            filed.sourceRemoved = true;
        }
        step(FilingStep::SourceRemoved);
    }
    try {
        journal.remove(journalId);
    } catch (const ArchiveError&) {
        // The page is filed; the next start sees its record and drops the row.
    }
    return filed;
}

// ---- Deleting a document ----------------------------------------------------------

namespace {

// Where a deleted document's page goes: its own folder and name when the
// folder is there, may be written and the name is free; else the restore folder.
struct RestoreTarget {
    QString folder;
    QString name;
    bool restoreFolder = false;
};

RestoreTarget originalTarget(const StoredDocument& d)
{
    const QString folder = QDir::cleanPath(d.originalFolder);
    if (d.originalFolder.isEmpty() || d.originalName.isEmpty() || !QFileInfo(folder).isDir() ||
        !writableByMode(folder) || exists(folder + u'/' + d.originalName))
        return {};
    return {folder, d.originalName, false};
}

// Copies `bytes` to a free name in `folder` (`namer` gives the names to
// try), flushed and checked; the path it got. Throws the file failure.
QString placeCopy(const QByteArray& bytes, const QString& sha256, const QString& folder, const PageNamer& namer,
                  int attempts = kNameAttempts)
{
    const QString temp = folder + QStringLiteral("/.rida-restore-%1.part")
                                      .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    writeNewFile(temp, bytes, {});
    try {
        if (const int error = syncFolder(folder))
            fileFailure(error, folder);
        const std::optional<QByteArray> copy = readWhole(temp);
        if (!copy || copy->size() != bytes.size() || sha256Hex(*copy) != sha256)
            throw ArchiveError(Failure::Database,
                               QStringLiteral("되돌린 사본이 원본과 다릅니다(크기 또는 SHA-256): %1\n문서와 "
                                              "이미지는 그대로입니다. 디스크를 점검하십시오.")
                                   .arg(temp));
        for (int attempt = 0; attempt < attempts; ++attempt) {
            const QString name = folder + u'/' + namer.candidate(attempt);
            const int error = renameNoReplace(temp, name);
            if (error == 0) {
                syncFolder(folder);
                return name;
            }
            if (error != EEXIST)
                fileFailure(error, name);
        }
        throw ArchiveError(Failure::Conflict, QStringLiteral("폴더에 쓸 수 있는 이름이 없습니다: %1").arg(folder));
    } catch (...) {
        removeFile(temp);
        syncFolder(folder);
        throw;
    }
}

// Removes the page folder's copy of a deleted document's page, once its
// restored copy is there unchanged; true when nothing of it is left.
bool removeWithdrawnCopy(const QString& stored, const QString& restoredTo, const QString& sha256)
{
    if (!exists(stored))
        return true;
    const std::optional<QByteArray> restored = readWhole(restoredTo);
    if (!restored || sha256Hex(*restored) != sha256)
        return false;
    if (!removeFile(stored))
        return false;
    syncFolder(QFileInfo(stored).absolutePath());
    return true;
}

} // namespace

WithdrawnPage withdrawDocument(Store& store, const QString& pageFolder, qint64 documentId, int version,
                               const WithdrawHooks& hooks)
{
    store.require(Command::DeleteDocuments);
    auto step = [&](WithdrawStep s) {
        if (hooks.afterStep)
            hooks.afterStep(s);
    };
    const std::optional<StoredDocument> d = store.document(documentId);
    if (!d)
        throw changedSinceOpened(documentId, true);
    if (d->version != version)
        throw changedSinceOpened(documentId, false);
    const PageFolderStatus status = pageFolderStatus(pageFolder);
    if (!status.ready())
        throw ArchiveError(status.state == PageFolderStatus::NotWritable ? Failure::ReadOnly : Failure::Missing,
                           status.message + QStringLiteral("\n문서는 삭제하지 않았습니다."));
    const QDir root(pageFolder);
    const QString stored = root.absoluteFilePath(d->pagePath);
    const std::optional<QByteArray> bytes = readWhole(stored);
    if (!bytes || sha256Hex(*bytes) != d->pageSha256)
        throw ArchiveError(
            Failure::Missing,
            QStringLiteral("문서 %1의 이미지 파일이 없거나 등록 때와 달라 되돌릴 수 없습니다: %2\n문서는 "
                           "삭제하지 않았습니다. 점검(rida-archive check)으로 확인하십시오.")
                .arg(documentId)
                .arg(d->pagePath));

    // 1. The restored copy, where it came from or in the restore folder.
    WithdrawnPage withdrawn;
    const PageNameParts parts{d->kind, d->surveyYear, d->surveyMonth, d->regionCode};
    const QString name = d->originalName.isEmpty() ? QFileInfo(d->pagePath).fileName() : d->originalName;
    const RestoreTarget own = originalTarget(*d);
    if (!own.folder.isEmpty()) {
        try {
            // Only the original name: one taken since it was looked at sends
            // the page to the restore folder.
            withdrawn.restoredTo = placeCopy(*bytes, d->pageSha256, own.folder,
                                             PageNamer(NameRule::KeepName, parts, own.name, own.folder), 1);
        } catch (const ArchiveError&) {
            // The folder refused the copy: the restore folder takes it.
        }
    }
    if (withdrawn.restoredTo.isEmpty()) {
        const QString folder = root.absoluteFilePath(kRestoreFolder);
        if (!QFileInfo(folder).isDir()) {
            if (!QDir().mkpath(folder))
                fileFailure(errno ? errno : EACCES, folder);
            syncFolder(root.absolutePath());
        }
        withdrawn.restoredTo =
            placeCopy(*bytes, d->pageSha256, folder, PageNamer(NameRule::KeepName, parts, name, folder));
        withdrawn.toRestoreFolder = true;
    }
    // 2. The record.
    qint64 removal = 0;
    try {
        step(WithdrawStep::Restored);
        removal = store.deleteDocument(documentId, version, withdrawn.restoredTo);
    } catch (...) {
        removeFile(withdrawn.restoredTo);
        syncFolder(QFileInfo(withdrawn.restoredTo).absolutePath());
        throw;
    }
    step(WithdrawStep::Deleted);
    // 3. The page folder's copy.
    if (removeWithdrawnCopy(stored, withdrawn.restoredTo, d->pageSha256)) {
        try {
            store.finishPageRemoval(removal);
        } catch (const ArchiveError&) {
            // The next start finds the copy gone and drops the note.
        }
    }
    step(WithdrawStep::Removed);
    withdrawn.message =
        withdrawn.toRestoreFolder
            ? QStringLiteral("문서를 삭제했습니다. 원래 폴더에 되돌릴 수 없어 이미지를 복구 폴더에 두었습니다: %1")
                  .arg(withdrawn.restoredTo)
            : QStringLiteral("문서를 삭제했습니다. 이미지를 입력 폴더로 복구했습니다: %1").arg(withdrawn.restoredTo);
    return withdrawn;
}

RecoveryReport recoverPendingFilings(Store& store, const QString& pageFolder)
{
    RecoveryReport report;
    if (pageFolderStatus(pageFolder).ready()) {
        const QDir root(pageFolder);
        for (const PendingPageRemoval& removal : store.pendingPageRemovals()) {
            const QString stored = root.absoluteFilePath(removal.pagePath);
            const bool hadCopy = exists(stored);
            if (!removeWithdrawnCopy(stored, removal.restoredTo, removal.pageSha256))
                report.messages << QStringLiteral("삭제된 문서 %1의 되돌린 이미지가 없거나 달라 이미지 폴더의 "
                                                  "파일을 남겨 두었습니다: %2")
                                       .arg(removal.documentId)
                                       .arg(removal.pagePath);
            else if (hadCopy)
                ++report.pagesRemoved;
            store.finishPageRemoval(removal.id);
        }
    }
    Journal journal(store);
    struct Row {
        qint64 id;
        QString startedAt, host;
        qint64 pid;
        bool move;
        QString source, sourceSha, temp, page, pageSha, document;
    };
    QList<Row> rows;
    {
        QSqlQuery query = journal.prepare(
            QStringLiteral("SELECT id, started_at, host, pid, transfer, source_path, source_sha256, temp_path,"
                           " page_path, page_sha256, document FROM filing_journal ORDER BY id"));
        journal.exec(query);
        while (query.next())
            rows.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                         query.value(3).toLongLong(), query.value(4).toString() == QLatin1String("move"),
                         query.value(5).toString(), query.value(6).toString(), query.value(7).toString(),
                         query.value(8).toString(), query.value(9).toString(), query.value(10).toString()});
    }
    if (rows.isEmpty())
        return report;
    if (!pageFolderStatus(pageFolder).ready()) {
        report.left = int(rows.size());
        report.messages << QStringLiteral("이미지 폴더에 연결할 수 없어 끝나지 않은 등록 %1건을 정리하지 못했습니다. "
                                          "연결한 뒤 프로그램을 다시 시작하십시오: %2")
                               .arg(rows.size())
                               .arg(pageFolder);
        return report;
    }

    const QString host = QSysInfo::machineHostName();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDir root(pageFolder);
    auto sourceIntact = [](const Row& row) {
        const std::optional<QByteArray> bytes = readWhole(row.source);
        return bytes && sha256Hex(*bytes) == row.sourceSha;
    };
    for (const Row& row : rows) {
        const bool thisProgram = row.host == host && row.pid == qint64(::getpid());
        if (thisProgram && isLive(row.id))
            continue;
        if (row.host == host && !thisProgram && (::kill(pid_t(row.pid), 0) == 0 || errno == EPERM))
            continue; // another program on this machine is filing it now
        if (row.host != host &&
            QDateTime::fromString(row.startedAt, Qt::ISODateWithMs).secsTo(now) < kOtherMachineStaleSeconds)
            continue; // perhaps still running there

        const QString temp = row.temp.isEmpty() ? QString() : root.absoluteFilePath(row.temp);
        const QString stored = root.absoluteFilePath(row.page);
        const QString folder = QFileInfo(stored).absolutePath();
        if (!temp.isEmpty() && !removeFile(temp)) {
            ++report.left;
            report.messages << QStringLiteral("등록하다 남은 임시 파일을 지우지 못했습니다: %1").arg(temp);
            continue;
        }
        if (const std::optional<qint64> record = journal.recordOf(row.page, row.pageSha)) {
            // Committed: only the source of a move may be left to remove.
            if (!exists(stored))
                report.missingPages
                    << QStringLiteral("문서 %1의 이미지 파일이 없습니다: %2").arg(*record).arg(row.page);
            if (row.move && exists(row.source)) {
                if (sourceIntact(row) && writableByMode(QFileInfo(row.source).absolutePath()) &&
                    ::unlink(QFile::encodeName(row.source).constData()) == 0)
                    syncFolder(QFileInfo(row.source).absolutePath());
                else
                    report.messages << QStringLiteral("등록된 문서 %1의 원본 파일을 지우지 못했습니다: %2")
                                           .arg(*record)
                                           .arg(row.source);
            }
            ++report.finished;
            report.messages << QStringLiteral("멈추었던 등록을 마쳤습니다: %1 (문서 %2)").arg(row.page).arg(*record);
        } else {
            std::optional<QByteArray> placed = exists(stored) ? readWhole(stored) : std::nullopt;
            const bool ours = placed && sha256Hex(*placed) == row.pageSha;
            if (ours && !sourceIntact(row)) {
                // The source has gone or changed since: the filed copy is the
                // page now, so the filing is finished rather than undone.
                try {
                    const qint64 id = store.insertDocument(documentFromJson(row.document));
                    ++report.finished;
                    report.messages
                        << QStringLiteral("원본이 없어 멈추었던 등록을 마쳤습니다: %1 (문서 %2)").arg(row.page).arg(id);
                } catch (const ArchiveError& e) {
                    ++report.left;
                    report.messages
                        << QStringLiteral("멈추었던 등록을 마치지 못했습니다: %1 (%2)").arg(row.page, e.text());
                    continue;
                }
            } else {
                if (ours) {
                    if (!removeFile(stored)) {
                        ++report.left;
                        report.messages << QStringLiteral("등록되지 않은 사본을 지우지 못했습니다: %1").arg(stored);
                        continue;
                    }
                }
                syncFolder(folder);
                ++report.undone;
                report.messages
                    << QStringLiteral("멈추었던 등록을 되돌렸습니다. 원본은 그대로 있습니다: %1").arg(row.source);
            }
        }
        journal.remove(row.id);
    }
    return report;
}

} // namespace rida::archive
