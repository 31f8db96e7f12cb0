#include "archive/dialect.h"

#include "archive/filemode.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace rida::archive {

namespace {

// SQLite's primary result codes that mean something to a user.
enum SqliteCode {
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoError = 10,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteConstraint = 19,
    SqliteCantOpen = 14,
    SqliteNotADatabase = 26,
};

class SqliteDialect final : public Dialect {
public:
    QString driver() const override { return QStringLiteral("QSQLITE"); }

    void open(QSqlDatabase& db, const QString& location, const ConnectionOptions& options) const override
    {
        const QFileInfo info(location);
        const QString path = info.absoluteFilePath();
        if (info.isDir())
            throw ArchiveError(Failure::Invalid, QStringLiteral("데이터베이스 자리에 폴더가 있습니다: %1").arg(path));
        const QString folder = info.absolutePath();
        if (!info.exists()) {
            if (!options.createIfMissing)
                throw ArchiveError(Failure::Missing,
                                   QStringLiteral("데이터베이스 파일이 없습니다: %1\n먼저 \"rida-archive init\"으로 "
                                                  "만드십시오.")
                                       .arg(path));
            if (!QDir().mkpath(folder))
                throw ArchiveError(Failure::ReadOnly,
                                   QStringLiteral("데이터베이스 폴더를 만들 수 없습니다: %1").arg(folder));
            // Owner only from the first byte on; SQLite gives its -wal and -shm
            // files the mode of the database file.
            QString reason;
            if (!createPrivateFile(path, &reason))
                throw ArchiveError(Failure::ReadOnly,
                                   QStringLiteral("데이터베이스 파일을 만들 수 없습니다: %1 (%2)").arg(path, reason));
        }
        if (!writableByMode(path))
            throw ArchiveError(Failure::ReadOnly,
                               QStringLiteral("데이터베이스 파일에 쓸 수 없습니다(읽기 전용): %1\n"
                                              "파일의 권한을 확인하십시오. 저장된 자료는 그대로입니다.")
                                   .arg(path));
        // The journal files lie beside the database.
        if (!writableByMode(folder))
            throw ArchiveError(Failure::ReadOnly,
                               QStringLiteral("데이터베이스 폴더에 쓸 수 없습니다(읽기 전용): %1\n폴더의 권한을 "
                                              "확인하십시오. 저장된 자료는 그대로입니다.")
                                   .arg(folder));
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options.busyTimeout.count()));
        if (!db.open())
            throw ArchiveError(
                classify(db.lastError()),
                QStringLiteral("데이터베이스를 열 수 없습니다: %1 (%2)").arg(path, db.lastError().databaseText()));
        // The first statements read the file: a lock, a damaged file or a file
        // of another kind shows here.
        QSqlQuery query(db);
        auto run = [&](const QString& sql) {
            if (!query.exec(sql))
                throw ArchiveError(classify(query.lastError()), messageFor(query.lastError(), path, options));
        };
        run(QStringLiteral("PRAGMA foreign_keys = ON"));
        // Up to 64 MB of the file kept in memory (the default is 2 MB): the lot
        // and document indexes of a large archive stay there between searches.
        run(QStringLiteral("PRAGMA cache_size = -65536"));
        // Reading the schema reads the first page: a file that is not a database fails here.
        run(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        query.finish();
    }

    // Readers beside one writer, and a commit that survives a crash.
    void prepareWrites(QSqlDatabase& db, const QString& location, const ConnectionOptions& options) const override
    {
        const QString path = QFileInfo(location).absoluteFilePath();
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA journal_mode = WAL")))
            throw ArchiveError(classify(query.lastError()), messageFor(query.lastError(), path, options));
        if (!query.next() || query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            throw ArchiveError(Failure::Database,
                               QStringLiteral("데이터베이스를 WAL 방식으로 열 수 없습니다: %1").arg(path));
    }

    QString generatedKey() const override { return QStringLiteral("INTEGER PRIMARY KEY"); }

    // Takes the write lock at once: two programs starting a write together
    // then wait for each other instead of failing halfway.
    QString beginWrite() const override { return QStringLiteral("BEGIN IMMEDIATE"); }

    Failure classify(const QSqlError& error) const override
    {
        bool ok = false;
        const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
        if (!ok)
            return Failure::Database;
        switch (code) {
        case SqliteBusy:
        case SqliteLocked:
            return Failure::Locked;
        case SqliteReadOnly:
            return Failure::ReadOnly;
        case SqliteCorrupt:
        case SqliteNotADatabase:
            return Failure::Damaged;
        case SqliteFull:
            return Failure::DiskFull;
        case SqliteConstraint:
            return Failure::Conflict;
        case SqliteCantOpen:
        case SqliteIoError:
        default:
            return Failure::Database;
        }
    }

    void backup(QSqlDatabase& db, const QString& destination) const override
    {
        const QString path = QFileInfo(destination).absoluteFilePath();
        if (QFileInfo::exists(path))
            throw ArchiveError(Failure::Conflict,
                               QStringLiteral("백업 파일이 이미 있습니다: %1\n다른 이름을 주십시오.").arg(path));
        // VACUUM INTO writes into an empty file, which we make owner-only first.
        QString reason;
        if (!createPrivateFile(path, &reason))
            throw ArchiveError(Failure::ReadOnly,
                               QStringLiteral("백업 파일을 만들 수 없습니다: %1 (%2)").arg(path, reason));
        QSqlQuery query(db);
        query.prepare(QStringLiteral("VACUUM INTO ?"));
        query.addBindValue(path);
        if (!query.exec()) {
            const QSqlError error = query.lastError();
            QFile::remove(path); // only the empty or partial copy we made, never a page
            throw ArchiveError(classify(error) == Failure::DiskFull ? Failure::DiskFull : Failure::Database,
                               QStringLiteral("백업하지 못했습니다: %1 (%2)").arg(path, error.databaseText()));
        }
    }

    QStringList integrityProblems(QSqlDatabase& db) const override
    {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA integrity_check")))
            return {query.lastError().databaseText()};
        QStringList problems;
        while (query.next()) {
            const QString line = query.value(0).toString();
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (query.lastError().isValid())
            problems << query.lastError().databaseText();
        return problems;
    }

private:
    QString messageFor(const QSqlError& error, const QString& path, const ConnectionOptions& options) const
    {
        switch (classify(error)) {
        case Failure::Locked:
            return QStringLiteral("데이터베이스를 다른 프로그램이 잠그고 있어 %1초를 기다렸지만 열 수 없었습니다: %2\n"
                                  "잠시 후 다시 시도하십시오.")
                .arg(double(options.busyTimeout.count()) / 1000.0)
                .arg(path);
        case Failure::Damaged:
            return QStringLiteral(
                       "데이터베이스 파일이 손상되었거나 데이터베이스가 아닙니다: %1\n백업에서 되살리십시오.")
                .arg(path);
        case Failure::ReadOnly:
            return QStringLiteral("데이터베이스 파일에 쓸 수 없습니다(읽기 전용): %1").arg(path);
        case Failure::DiskFull:
            return QStringLiteral("디스크 공간이 부족합니다: %1").arg(path);
        default:
            return QStringLiteral("데이터베이스를 열 수 없습니다: %1 (%2)").arg(path, error.databaseText());
        }
    }
};

} // namespace

std::unique_ptr<Dialect> sqliteDialect()
{
    return std::make_unique<SqliteDialect>();
}

std::unique_ptr<Dialect> dialectFor(const QString& location)
{
    if (location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        // The URL is not repeated: it may hold a password.
        throw ArchiveError(Failure::Unsupported,
                           QStringLiteral("PostgreSQL 데이터베이스는 이 판에서 아직 쓸 수 없습니다."));
    return sqliteDialect();
}

} // namespace rida::archive
