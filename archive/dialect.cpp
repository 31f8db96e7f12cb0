#include "archive/dialect.h"

#include "archive/filemode.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>

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

// ---- PostgreSQL --------------------------------------------------------------

const QStringList kSslModes{QStringLiteral("disable"), QStringLiteral("allow"),     QStringLiteral("prefer"),
                            QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
const QStringList kSessionAttrs{QStringLiteral("any"),       QStringLiteral("read-write"),
                                QStringLiteral("read-only"), QStringLiteral("primary"),
                                QStringLiteral("standby"),   QStringLiteral("prefer-standby")};

[[noreturn]] void badAddress(const QString& why)
{
    throw ArchiveError(Failure::Invalid, QStringLiteral("데이터베이스 서버 주소가 올바르지 않습니다: %1").arg(why));
}

QString decoded(const QString& part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

// A value for libpq's key=value form: quoted, with its quotes and backslashes escaped.
QString quotedValue(const QString& value)
{
    QString v = value;
    v.replace(u'\\', QLatin1String("\\\\"));
    v.replace(u'\'', QLatin1String("\\'"));
    return u'\'' + v + u'\'';
}

// What a failure of the server is, by its SQLSTATE.
Failure classifyState(const QString& state)
{
    if (state.startsWith(QLatin1String("23")))
        return Failure::Conflict; // unique, foreign key, check
    if (state == QLatin1String("40001") || state == QLatin1String("40P01") || state == QLatin1String("55P03") ||
        state == QLatin1String("57014"))
        return Failure::Locked; // serialisation failure, deadlock, lock timeout: the next try may pass
    if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") || state == QLatin1String("57P02") ||
        state == QLatin1String("57P03"))
        return Failure::Unreachable;
    if (state == QLatin1String("42501") || state.startsWith(QLatin1String("28")))
        return Failure::NotAllowed;
    if (state == QLatin1String("25006"))
        return Failure::ReadOnly; // a standby, or a read-only transaction
    if (state == QLatin1String("53100"))
        return Failure::DiskFull;
    if (state == QLatin1String("XX001") || state == QLatin1String("XX002"))
        return Failure::Damaged;
    return Failure::Database;
}

class PostgresqlDialect final : public Dialect {
public:
    QString driver() const override { return QStringLiteral("QPSQL"); }

    void open(QSqlDatabase& db, const QString& location, const ConnectionOptions& options) const override
    {
        const ServerAddress address = parseServerAddress(location);
        db.setHostName(address.hosts.join(u',')); // libpq tries several in turn
        db.setDatabaseName(address.database);
        db.setUserName(options.userName.isEmpty() ? address.userName : options.userName);
        db.setPassword(options.password);
        db.setConnectOptions(address.connectOptions());
        if (!db.open()) {
            const QSqlError error = db.lastError();
            const QString text = error.databaseText().trimmed();
            if (text.contains(QLatin1String("password authentication failed")) ||
                text.contains(QLatin1String("no password supplied")) ||
                text.contains(QLatin1String("authentication failed")))
                throw ArchiveError(Failure::NotAllowed,
                                   QStringLiteral("데이터베이스 서버가 로그인을 거부했습니다: %1\n아이디와 비밀번호를 "
                                                  "확인하십시오.")
                                       .arg(address.text()));
            if (text.contains(QLatin1String("does not exist")))
                throw ArchiveError(Failure::Missing,
                                   QStringLiteral("데이터베이스 서버에 그런 데이터베이스나 사용자가 없습니다: %1 (%2)")
                                       .arg(address.text(), text));
            throw ArchiveError(Failure::Unreachable, unreachable(address.text(), text));
        }
        QSqlQuery query(db);
        // A statement that waits for another's lock gives up after the wait, as on SQLite.
        query.prepare(QStringLiteral("SELECT set_config('lock_timeout', ?, false)"));
        query.addBindValue(QStringLiteral("%1ms").arg(options.busyTimeout.count()));
        if (!query.exec())
            throw ArchiveError(classify(query.lastError()),
                               QStringLiteral("데이터베이스 서버를 쓸 수 없습니다: %1 (%2)")
                                   .arg(address.text(), errorText(query.lastError())));
        query.finish();
    }

    // A standby takes no writes: said before anything is tried.
    void prepareWrites(QSqlDatabase& db, const QString& location, const ConnectionOptions&) const override
    {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT pg_is_in_recovery()")) || !query.next())
            throw ArchiveError(classify(query.lastError()),
                               QStringLiteral("데이터베이스 서버를 쓸 수 없습니다: %1 (%2)")
                                   .arg(describe(location), errorText(query.lastError())));
        if (query.value(0).toBool())
            throw ArchiveError(Failure::ReadOnly,
                               QStringLiteral("데이터베이스 서버가 읽기 전용입니다(대기 서버): %1\n주 서버를 "
                                              "가리키거나 target_session_attrs=read-write를 붙이십시오.")
                                   .arg(describe(location)));
    }

    QString generatedKey() const override
    {
        return QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    }

    // Two clerks' writes never interleave into what neither of them would
    // have written alone (the last administrator, the first one, a page
    // registered twice): the loser's commit fails and may be tried again.
    QString beginWrite() const override { return QStringLiteral("BEGIN ISOLATION LEVEL SERIALIZABLE"); }

    // The driver's text is libpq's: "ERROR:  words\n(SQLSTATE)"; the words are kept.
    QString errorText(const QSqlError& error) const override
    {
        QString text = error.databaseText().trimmed();
        const QString state = error.nativeErrorCode().trimmed();
        if (!state.isEmpty() && text.endsWith(u'(' + state + u')'))
            text.chop(state.size() + 2);
        for (const char* level : {"ERROR:", "FATAL:", "PANIC:"})
            if (text.startsWith(QLatin1String(level)))
                text = text.mid(int(qstrlen(level)));
        return text.trimmed();
    }

    Failure classify(const QSqlError& error) const override
    {
        const QString state = error.nativeErrorCode().trimmed();
        if (state.size() == 5)
            return classifyState(state);
        // Without a SQLSTATE the driver lost the connection (or never had one).
        if (error.type() == QSqlError::ConnectionError ||
            error.databaseText().contains(QLatin1String("connection"), Qt::CaseInsensitive) ||
            error.databaseText().contains(QLatin1String("server closed"), Qt::CaseInsensitive))
            return Failure::Unreachable;
        return Failure::Database;
    }

    void backup(QSqlDatabase&, const QString&) const override
    {
        // pg_dump would need the password on its command line, in its
        // environment or in a file: the server's administrator runs it.
        throw ArchiveError(Failure::Unsupported,
                           QStringLiteral("PostgreSQL 데이터베이스는 이 프로그램에서 백업하지 않습니다. 서버에서 "
                                          "pg_dump로 백업하십시오(예: pg_dump -Fc -f rida.dump 데이터베이스이름)."));
    }

    // The server keeps its own pages consistent; what is checked here is ours.
    QStringList integrityProblems(QSqlDatabase& db) const override
    {
        QStringList problems;
        QSqlQuery query(db);
        query.setForwardOnly(true);
        auto each = [&](const QString& sql, const QString& says) {
            if (!query.exec(sql)) {
                problems << errorText(query.lastError());
                return;
            }
            while (query.next())
                problems << says.arg(query.value(0).toString());
        };
        each(QStringLiteral("SELECT count(*) FROM schema_version HAVING count(*) <> 1"),
             QStringLiteral("schema_version에 행이 %1개 있습니다(한 개여야 합니다)."));
        each(QStringLiteral("SELECT d.id FROM documents d WHERE NOT EXISTS (SELECT 1 FROM lots l WHERE l.document_id = "
                            "d.id) ORDER BY d.id"),
             QStringLiteral("필지가 없는 문서가 있습니다: 문서 %1"));
        each(QStringLiteral("SELECT id FROM lots WHERE length(pnu) <> 19 ORDER BY id"),
             QStringLiteral("필지고유번호가 없는 필지가 있습니다: 필지 %1"));
        return problems;
    }

    QString describe(const QString& location) const override
    {
        try {
            return parseServerAddress(location).text();
        } catch (const ArchiveError&) {
            return QStringLiteral("PostgreSQL 서버");
        }
    }

private:
    static QString unreachable(const QString& where, const QString& why)
    {
        return QStringLiteral("데이터베이스 서버에 연결할 수 없습니다: %1\n서버와 네트워크를 확인한 뒤 다시 "
                              "시도하십시오. (%2)")
            .arg(where, why);
    }
};

} // namespace

QString Dialect::errorText(const QSqlError& error) const
{
    return error.databaseText();
}

std::unique_ptr<Dialect> sqliteDialect()
{
    return std::make_unique<SqliteDialect>();
}

std::unique_ptr<Dialect> postgresqlDialect()
{
    return std::make_unique<PostgresqlDialect>();
}

std::unique_ptr<Dialect> dialectFor(const QString& location)
{
    if (isServerLocation(location))
        return postgresqlDialect();
    return sqliteDialect();
}

bool isServerLocation(const QString& location)
{
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

ServerAddress parseServerAddress(const QString& location)
{
    if (!isServerLocation(location))
        badAddress(QStringLiteral("postgresql://로 시작해야 합니다."));
    ServerAddress a;
    QString rest = location.mid(location.indexOf(QLatin1String("://")) + 3);
    QString query;
    if (const qsizetype q = rest.indexOf(u'?'); q >= 0) {
        query = rest.mid(q + 1);
        rest.truncate(q);
    }
    QString authority = rest;
    if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
        authority = rest.left(slash);
        a.database = decoded(rest.mid(slash + 1));
    }
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
        const QString user = authority.left(at);
        if (user.contains(u':'))
            badAddress(QStringLiteral("비밀번호는 주소에 쓰지 않습니다. 로그인할 때 입력하십시오."));
        a.userName = decoded(user);
        authority = authority.mid(at + 1);
    }
    QStringList hostPorts;
    if (!authority.isEmpty())
        hostPorts = authority.split(u',');
    QStringList ports;
    for (const QString& hostPort : hostPorts) {
        QString host = hostPort;
        QString port;
        if (host.startsWith(u'[')) {
            const qsizetype close = host.indexOf(u']');
            if (close < 0)
                badAddress(QStringLiteral("IPv6 주소의 ]가 없습니다."));
            port = host.mid(close + 1);
            host = host.mid(1, close - 1);
            if (!port.isEmpty() && !port.startsWith(u':'))
                badAddress(QStringLiteral("] 뒤에는 :포트만 올 수 있습니다."));
            port = port.mid(1);
        } else if (const qsizetype colon = host.lastIndexOf(u':'); colon >= 0) {
            port = host.mid(colon + 1);
            host.truncate(colon);
        }
        bool ok = true;
        if (!port.isEmpty() && (port.toInt(&ok) <= 0 || !ok || port.toInt() > 65535))
            badAddress(QStringLiteral("포트는 1에서 65535 사이의 숫자입니다."));
        if (host.isEmpty())
            badAddress(QStringLiteral("빈 호스트 이름이 있습니다."));
        a.hosts << decoded(host);
        ports << port;
    }
    if (std::any_of(ports.cbegin(), ports.cend(), [](const QString& p) { return !p.isEmpty(); })) {
        for (QString& p : ports)
            if (p.isEmpty())
                p = QStringLiteral("5432");
        a.ports = ports;
    }
    for (const QString& pair : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u'=');
        const QString key = decoded(eq < 0 ? pair : pair.left(eq));
        const QString value = eq < 0 ? QString() : decoded(QString(pair.mid(eq + 1)).replace(u'+', u' '));
        if (value.contains(u';'))
            badAddress(QStringLiteral("%1의 값에 ;를 쓸 수 없습니다.").arg(key));
        if (key == QLatin1String("password") || key == QLatin1String("passfile"))
            badAddress(QStringLiteral("비밀번호는 주소에 쓰지 않습니다. 로그인할 때 입력하십시오."));
        else if (key == QLatin1String("sslmode")) {
            if (!kSslModes.contains(value))
                badAddress(QStringLiteral("sslmode는 %1 가운데 하나입니다.").arg(kSslModes.join(QLatin1String(", "))));
            a.sslMode = value;
        } else if (key == QLatin1String("target_session_attrs")) {
            if (!kSessionAttrs.contains(value))
                badAddress(QStringLiteral("target_session_attrs는 %1 가운데 하나입니다.")
                               .arg(kSessionAttrs.join(QLatin1String(", "))));
            a.targetSessionAttrs = value;
        } else if (key == QLatin1String("sslrootcert"))
            a.sslRootCert = value;
        else if (key == QLatin1String("connect_timeout")) {
            bool ok = false;
            a.connectTimeoutSeconds = value.toInt(&ok);
            if (!ok || a.connectTimeoutSeconds < 0)
                badAddress(QStringLiteral("connect_timeout은 초 단위의 숫자입니다."));
        } else if (key == QLatin1String("host"))
            a.hosts = value.split(u',');
        else if (key == QLatin1String("port"))
            a.ports = value.split(u',');
        else if (key == QLatin1String("user"))
            a.userName = value;
        else if (key == QLatin1String("dbname"))
            a.database = value;
        else if (key == QLatin1String("application_name"))
            a.applicationName = value;
        else
            badAddress(QStringLiteral("알 수 없는 설정입니다: %1").arg(key));
    }
    if (a.ports.size() > 1 && a.ports.size() != std::max<qsizetype>(1, a.hosts.size()))
        badAddress(QStringLiteral("포트의 수가 호스트의 수와 다릅니다."));
    if (a.database.isEmpty())
        badAddress(QStringLiteral("데이터베이스 이름이 없습니다(postgresql://서버/데이터베이스)."));
    return a;
}

QString ServerAddress::text() const
{
    QStringList where;
    for (qsizetype k = 0; k < hosts.size(); ++k) {
        QString host = hosts[k].contains(u':') ? u'[' + hosts[k] + u']' : hosts[k];
        const QString port = ports.size() == 1 ? ports.front() : (k < ports.size() ? ports[k] : QString());
        where << (port.isEmpty() ? host : host + u':' + port);
    }
    QString text = QStringLiteral("postgresql://");
    if (!userName.isEmpty())
        text += userName + u'@';
    return text + where.join(u',') + u'/' + database;
}

QString ServerAddress::connectOptions() const
{
    QStringList options;
    if (!ports.isEmpty())
        options << QStringLiteral("port=") + quotedValue(ports.join(u','));
    options << QStringLiteral("sslmode=") + quotedValue(sslMode);
    if (!sslRootCert.isEmpty())
        options << QStringLiteral("sslrootcert=") + quotedValue(sslRootCert);
    if (!targetSessionAttrs.isEmpty())
        options << QStringLiteral("target_session_attrs=") + quotedValue(targetSessionAttrs);
    options << QStringLiteral("connect_timeout=") + quotedValue(QString::number(connectTimeoutSeconds));
    if (!applicationName.isEmpty())
        options << QStringLiteral("application_name=") + quotedValue(applicationName);
    return options.join(u';');
}

} // namespace rida::archive
