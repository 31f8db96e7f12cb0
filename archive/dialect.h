#pragma once
// Where the database back ends differ. Everything else the store says in SQL
// that SQLite and PostgreSQL both understand; what they do not share (opening,
// the type of a generated key, starting a write, reading an error, a backup,
// the integrity check) is said here, once per back end.

#include "archive/error.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

class QSqlError;

namespace rida::archive {

struct ConnectionOptions {
    std::chrono::milliseconds busyTimeout{5000}; // how long a statement waits for another program's lock
    bool createIfMissing = true;
};

class Dialect {
public:
    virtual ~Dialect() = default;
    // The Qt driver: "QSQLITE".
    virtual QString driver() const = 0;
    // Opens `db` on `location` and sets the connection up; throws ArchiveError.
    // Changes nothing in the database: it may turn out to be none of ours.
    virtual void open(QSqlDatabase& db, const QString& location, const ConnectionOptions& options) const = 0;
    // Readies a database known to be ours (or empty) for writing.
    virtual void prepareWrites(QSqlDatabase& db, const QString& location, const ConnectionOptions& options) const = 0;
    // The column definition of a key the database numbers itself.
    virtual QString generatedKey() const = 0;
    // The statement that starts a transaction which will write.
    virtual QString beginWrite() const = 0;
    // What kind of failure a driver error is.
    virtual Failure classify(const QSqlError& error) const = 0;
    // A consistent copy of the open database at `destination`, which must not exist.
    virtual void backup(QSqlDatabase& db, const QString& destination) const = 0;
    // The database's own consistency check: empty when it finds nothing.
    virtual QStringList integrityProblems(QSqlDatabase& db) const = 0;
    // Where the database is, as messages name it.
    virtual QString describe(const QString& location) const { return location; }
};

// The embedded database: one file, WAL journal, foreign keys on, a busy timeout.
std::unique_ptr<Dialect> sqliteDialect();

// The back end for a location: a file path is SQLite; a postgresql:// URL is
// refused in this build with a Korean message.
std::unique_ptr<Dialect> dialectFor(const QString& location);

} // namespace rida::archive
