#include "archive/schema.h"

#include "archive/parcel.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

namespace rida::archive {

namespace {

class Migrator {
public:
    Migrator(QSqlDatabase& db, const Dialect& dialect) : db_(db), dialect_(dialect) {}

    // A statement of ours; "{key}" stands for the back end's generated key.
    void run(QString sql) const
    {
        sql.replace(QLatin1String("{key}"), dialect_.generatedKey());
        QSqlQuery query(db_);
        if (!query.exec(sql))
            fail(query.lastError());
    }
    QSqlQuery prepared(const QString& sql) const
    {
        QSqlQuery query(db_);
        if (!query.prepare(sql))
            fail(query.lastError());
        return query;
    }
    void exec(QSqlQuery& query) const
    {
        if (!query.exec())
            fail(query.lastError());
    }
    [[noreturn]] void fail(const QSqlError& error) const
    {
        const Failure failure = dialect_.classify(error);
        throw ArchiveError(
            failure == Failure::Database ? Failure::Database : failure,
            QStringLiteral("데이터베이스를 새 버전으로 바꾸지 못했습니다. 저장된 자료는 그대로입니다. (%1)")
                .arg(dialect_.errorText(error)));
    }

private:
    QSqlDatabase& db_;
    const Dialect& dialect_;
};

// Version 1: regions, the office's districts, users, documents with their lots, settings.
void toVersion1(const Migrator& m)
{
    m.run(QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"));
    m.run(QStringLiteral("INSERT INTO schema_version (version) VALUES (0)"));
    m.run(QStringLiteral("CREATE TABLE regions ("
                         " code CHAR(10) PRIMARY KEY,"
                         " full_name TEXT NOT NULL,"
                         " province TEXT NOT NULL,"
                         " district TEXT NOT NULL,"
                         " town TEXT NOT NULL,"
                         " village TEXT NOT NULL,"
                         " abolished INTEGER NOT NULL DEFAULT 0 CHECK (abolished IN (0, 1)))"));
    m.run(QStringLiteral("CREATE TABLE office_districts (code CHAR(5) PRIMARY KEY)"));
    m.run(QStringLiteral("CREATE TABLE users ("
                         " id {key},"
                         " name TEXT NOT NULL UNIQUE,"
                         " role TEXT NOT NULL CHECK (role IN ('admin', 'clerk', 'viewer')),"
                         " password_hash TEXT NOT NULL,"
                         " disabled INTEGER NOT NULL DEFAULT 0 CHECK (disabled IN (0, 1)),"
                         " failed_tries INTEGER NOT NULL DEFAULT 0,"
                         " last_failure_at TEXT,"
                         " created_at TEXT NOT NULL)"));
    m.run(QStringLiteral("CREATE TABLE documents ("
                         " id {key},"
                         " kind CHAR(1) NOT NULL CHECK (kind IN ('T', 'G', 'S', 'J', 'Y', 'X')),"
                         " survey_year INTEGER NOT NULL CHECK (survey_year BETWEEN 1000 AND 9999),"
                         " survey_month INTEGER NOT NULL CHECK (survey_month BETWEEN 1 AND 12),"
                         " region_code CHAR(10) NOT NULL REFERENCES regions (code),"
                         " page_path TEXT NOT NULL UNIQUE,"
                         " original_folder TEXT NOT NULL,"
                         " original_name TEXT NOT NULL,"
                         " page_sha256 CHAR(64) NOT NULL,"
                         " page_bytes BIGINT NOT NULL,"
                         " page_width INTEGER,"
                         " page_height INTEGER,"
                         " registered_by BIGINT NOT NULL REFERENCES users (id),"
                         " registered_at TEXT NOT NULL,"
                         " registration TEXT NOT NULL CHECK (registration IN ('manual', 'automatic')),"
                         " recognition_settings TEXT)"));
    m.run(QStringLiteral("CREATE INDEX documents_by_survey ON documents (survey_year, survey_month)"));
    m.run(QStringLiteral("CREATE TABLE lots ("
                         " id {key},"
                         " document_id BIGINT NOT NULL REFERENCES documents (id) ON DELETE CASCADE,"
                         " region_code CHAR(10) NOT NULL REFERENCES regions (code),"
                         " san INTEGER NOT NULL CHECK (san IN (0, 1)),"
                         " main_number INTEGER NOT NULL CHECK (main_number BETWEEN 0 AND 9999),"
                         " sub_number INTEGER NOT NULL CHECK (sub_number BETWEEN 0 AND 9999))"));
    m.run(QStringLiteral("CREATE INDEX lots_by_lot ON lots (region_code, san, main_number, sub_number)"));
    m.run(QStringLiteral("CREATE INDEX lots_by_document ON lots (document_id)"));
    m.run(QStringLiteral("CREATE TABLE settings (key TEXT PRIMARY KEY, value TEXT NOT NULL)"));
}

// Version 2: the national parcel number on every lot, computed for the lots
// already stored; a lot once per document; the audit log.
void toVersion2(const Migrator& m)
{
    m.run(QStringLiteral("ALTER TABLE lots ADD COLUMN pnu CHAR(19) NOT NULL DEFAULT ''"));
    {
        // Read to the end before the first write: a server's driver reads a
        // forward-only result row by row and takes no other statement meanwhile.
        QSqlQuery read = m.prepared(QStringLiteral("SELECT id, region_code, san, main_number, sub_number FROM lots"));
        read.setForwardOnly(true);
        m.exec(read);
        std::vector<std::pair<qint64, QString>> numbers;
        while (read.next())
            numbers.emplace_back(read.value(0).toLongLong(),
                                 parcelNumber(read.value(1).toString(), read.value(2).toInt() != 0,
                                              read.value(3).toInt(), read.value(4).toInt()));
        read.finish();
        QSqlQuery write = m.prepared(QStringLiteral("UPDATE lots SET pnu = ? WHERE id = ?"));
        for (const auto& [id, pnu] : numbers) {
            write.addBindValue(pnu);
            write.addBindValue(id);
            m.exec(write);
        }
    }
    m.run(QStringLiteral("CREATE INDEX lots_by_pnu ON lots (pnu)"));
    m.run(QStringLiteral("DROP INDEX lots_by_document"));
    m.run(QStringLiteral("CREATE UNIQUE INDEX lots_once_per_document ON lots (document_id, pnu)"));
    m.run(QStringLiteral("CREATE TABLE audit_log ("
                         " id {key},"
                         " at TEXT NOT NULL,"
                         " user_id BIGINT REFERENCES users (id),"
                         " user_name TEXT NOT NULL,"
                         " action TEXT NOT NULL,"
                         " subject TEXT NOT NULL,"
                         " record_id BIGINT,"
                         " before_text TEXT,"
                         " after_text TEXT)"));
    m.run(QStringLiteral("CREATE INDEX audit_log_by_record ON audit_log (subject, record_id)"));
}

// Version 3: the filing journal (one row per page on its way into the page
// folder, see placement.h), the original's SHA-256 beside the stored page's
// (they differ where a blank margin was cut off), and both hashes indexed for
// the check that a page is not registered twice.
void toVersion3(const Migrator& m)
{
    m.run(QStringLiteral("ALTER TABLE documents ADD COLUMN original_sha256 CHAR(64)"));
    m.run(QStringLiteral("CREATE INDEX documents_by_page_sha256 ON documents (page_sha256)"));
    m.run(QStringLiteral("CREATE INDEX documents_by_original_sha256 ON documents (original_sha256)"));
    m.run(QStringLiteral("CREATE TABLE filing_journal ("
                         " id {key},"
                         " started_at TEXT NOT NULL,"
                         " host TEXT NOT NULL,"
                         " pid BIGINT NOT NULL,"
                         " user_name TEXT NOT NULL,"
                         " transfer TEXT NOT NULL CHECK (transfer IN ('copy', 'move')),"
                         " source_path TEXT NOT NULL,"
                         " source_sha256 CHAR(64) NOT NULL UNIQUE,"
                         " source_bytes BIGINT NOT NULL,"
                         " temp_path TEXT NOT NULL,"
                         " page_path TEXT NOT NULL,"
                         " page_sha256 CHAR(64) NOT NULL,"
                         " page_bytes BIGINT NOT NULL,"
                         " document TEXT NOT NULL)"));
}

// Version 4: the lot index with the document in it; a version number on
// every document, raised by each change of
// the document or its lots, so that a change made on what somebody opened
// earlier is refused instead of overwriting a newer one; and the pages of
// deleted documents whose copy in the page folder is still to be removed
// (their restored copy is in place, see withdrawDocument in placement.h).
void toVersion4(const Migrator& m)
{
    m.run(QStringLiteral("ALTER TABLE documents ADD COLUMN version INTEGER NOT NULL DEFAULT 1"));
    // The lot index carries the document, so that a search reads the index alone.
    m.run(QStringLiteral("DROP INDEX lots_by_lot"));
    m.run(QStringLiteral("CREATE INDEX lots_by_lot ON lots (region_code, san, main_number, sub_number, document_id)"));
    m.run(QStringLiteral("CREATE TABLE page_removals ("
                         " id {key},"
                         " document_id BIGINT NOT NULL,"
                         " page_path TEXT NOT NULL,"
                         " page_sha256 CHAR(64) NOT NULL,"
                         " restored_to TEXT NOT NULL,"
                         " removed_at TEXT NOT NULL)"));
}

const std::vector<std::function<void(const Migrator&)>>& steps()
{
    static const std::vector<std::function<void(const Migrator&)>> all{toVersion1, toVersion2, toVersion3, toVersion4};
    return all;
}

} // namespace

int currentSchemaVersion()
{
    return static_cast<int>(steps().size());
}

int schemaVersion(QSqlDatabase& db, const Dialect& dialect)
{
    const QStringList tables = db.tables(QSql::Tables);
    if (!tables.contains(QStringLiteral("schema_version"))) {
        if (!tables.isEmpty() && db.driverName() == QLatin1String("QPSQL"))
            throw ArchiveError(Failure::Damaged,
                               QStringLiteral("데이터베이스 %1에 다른 표가 있어 이 프로그램의 데이터베이스가 "
                                              "아닙니다.\n이 프로그램에는 빈 데이터베이스를 만들어 주십시오.")
                                   .arg(db.databaseName()));
        if (!tables.isEmpty())
            throw ArchiveError(Failure::Damaged, QStringLiteral("이 파일은 이 프로그램의 데이터베이스가 아닙니다: %1")
                                                     .arg(dialect.describe(db.databaseName())));
        return 0;
    }
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT version FROM schema_version")) || !query.next())
        throw ArchiveError(
            query.lastError().isValid() ? dialect.classify(query.lastError()) : Failure::Damaged,
            QStringLiteral("데이터베이스의 버전을 읽을 수 없습니다: %1").arg(dialect.describe(db.databaseName())));
    return query.value(0).toInt();
}

void migrate(QSqlDatabase& db, const Dialect& dialect, int from, int to)
{
    if (from >= to)
        return;
    const Migrator m(db, dialect);
    m.run(dialect.beginWrite());
    try {
        // Another program may have migrated while this one waited for the lock.
        const int now = schemaVersion(db, dialect);
        if (now > from)
            from = now;
        for (int version = from + 1; version <= to; ++version) {
            steps()[static_cast<std::size_t>(version - 1)](m);
            QSqlQuery set = m.prepared(QStringLiteral("UPDATE schema_version SET version = ?"));
            set.addBindValue(version);
            m.exec(set);
        }
        m.run(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace rida::archive
