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
    // A database server's login and password, from the sign-in: never part
    // of the location, never written anywhere. An empty login takes the
    // location's.
    QString userName;
    QString password;
};

// A postgresql:// location, taken apart for Qt's QPSQL driver:
//   postgresql://[user@]host[:port][,host[:port]...][/database][?parameter=value&...]
// A host in brackets is an IPv6 address; a host that is a folder (percent-
// encoded, or the parameter host=) is the folder of the server's Unix socket.
// Parameters: sslmode (prefer unless named; verify-full checks the server's
// certificate and name), sslrootcert, target_session_attrs (read-write finds
// the primary among several hosts), connect_timeout (seconds, 10 unless
// named), host, port, user, dbname, application_name. A password is refused.
struct ServerAddress {
    QStringList hosts; // empty: libpq's default socket
    QStringList ports; // empty, one for every host, or one for all
    QString database;
    QString userName;
    QString sslMode = QStringLiteral("prefer");
    QString sslRootCert;
    QString targetSessionAttrs;
    int connectTimeoutSeconds = 10;
    QString applicationName = QStringLiteral("rida");

    // The address as messages name it (no password is ever part of it).
    QString text() const;
    // What QSqlDatabase::setConnectOptions is given: key=value pairs with ';' between them.
    QString connectOptions() const;
};

bool isServerLocation(const QString& location);
// Throws ArchiveError (Invalid) with a Korean message that never repeats the
// location: it may hold a password, which is refused.
ServerAddress parseServerAddress(const QString& location);

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
    // The database's own words for a driver error, as a message quotes them.
    virtual QString errorText(const QSqlError& error) const;
    // A consistent copy of the open database at `destination`, which must not exist.
    virtual void backup(QSqlDatabase& db, const QString& destination) const = 0;
    // The database's own consistency check: empty when it finds nothing.
    virtual QStringList integrityProblems(QSqlDatabase& db) const = 0;
    // Where the database is, as messages name it.
    virtual QString describe(const QString& location) const { return location; }
};

// The embedded database: one file, WAL journal, foreign keys on, a busy timeout.
std::unique_ptr<Dialect> sqliteDialect();

// A database server through QPSQL: the location is a postgresql:// URL; writes
// run serialisable; the server's SQLSTATE says what kind a failure is.
std::unique_ptr<Dialect> postgresqlDialect();

// The back end for a location: a postgresql:// URL is PostgreSQL, anything
// else a file path for SQLite.
std::unique_ptr<Dialect> dialectFor(const QString& location);

} // namespace rida::archive
