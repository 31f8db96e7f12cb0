#include "tests/archive/private_postgres.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QVersionNumber>

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace rida::archive::testing {

namespace {

const QString kServerUser = QStringLiteral("rida-test-pg"); // the system user the server runs as under root
const QString kSuperuser = QStringLiteral("rida_admin");
const QString kAdminConnection = QStringLiteral("private-postgres-admin");
constexpr int kPort = 5432; // the socket lies in our own folder: no other server shares the name

QString randomSecret()
{
    QString text;
    for (int k = 0; k < 4; ++k)
        text += QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    return text;
}

// The newest installed server's programs: /usr/lib/postgresql/<version>/bin.
QString serverBinaries()
{
    QVersionNumber best;
    QString folder;
    const QDir root(QStringLiteral("/usr/lib/postgresql"));
    for (const QString& version : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString bin = root.filePath(version + QStringLiteral("/bin"));
        const QVersionNumber number = QVersionNumber::fromString(version);
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")) &&
            number > best) {
            best = number;
            folder = bin;
        }
    }
    return folder;
}

std::unique_ptr<PrivatePostgres>& sharedServer()
{
    static std::unique_ptr<PrivatePostgres> server;
    return server;
}

// Stops the server before the program ends, with Qt still there.
class StopAtEnd : public ::testing::Environment {
public:
    void TearDown() override { PrivatePostgres::stopShared(); }
};
[[maybe_unused]] const auto* const stopAtEnd = ::testing::AddGlobalTestEnvironment(new StopAtEnd);

} // namespace

struct PrivatePostgres::State {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/rida-pg-XXXXXX")};
    QString bin;
    bool asOtherUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
    bool running = false;
    QString superPassword;
    int databases = 0;

    QString data() const { return dir.path() + QStringLiteral("/data"); }

    // Runs a server program, as the server's user when we are root.
    bool run(const QString& program, const QStringList& arguments, QString* output, int timeoutMs = 120000)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(dir.path());
        if (asOtherUser) {
            const uid_t u = uid;
            const gid_t g = gid;
            process.setChildProcessModifier([u, g] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(g) != 0 || ::setuid(u) != 0)
                    ::_exit(126);
            });
        }
        process.start(bin + u'/' + program, arguments);
        const bool finished = process.waitForFinished(timeoutMs);
        if (output)
            *output = QString::fromLocal8Bit(process.readAll());
        if (!finished) {
            process.kill();
            process.waitForFinished();
            return false;
        }
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    bool giveToServerUser(const QString& path) const
    {
        return !asOtherUser || ::chown(QFile::encodeName(path).constData(), uid, gid) == 0;
    }
};

PrivatePostgres* PrivatePostgres::shared(QString* whyNot)
{
    auto& server = sharedServer();
    static QString failure;
    if (!server && failure.isEmpty()) {
        std::unique_ptr<PrivatePostgres> started(new PrivatePostgres);
        if (started->start(&failure))
            server = std::move(started);
        else if (failure.isEmpty())
            failure = QStringLiteral("the private PostgreSQL server did not start");
    }
    if (!server && whyNot)
        *whyNot = failure;
    return server.get();
}

void PrivatePostgres::stopShared()
{
    sharedServer().reset();
}

PrivatePostgres::~PrivatePostgres()
{
    stop();
}

bool PrivatePostgres::start(QString* whyNot)
{
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.bin = serverBinaries();
    if (s.bin.isEmpty()) {
        *whyNot = QStringLiteral("PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb; "
                                 "scripts/setup.sh installs the package postgresql)");
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        *whyNot = QStringLiteral("Qt's QPSQL driver is not installed (scripts/setup.sh installs libqt6sql6-psql)");
        return false;
    }
    if (!s.dir.isValid()) {
        *whyNot = QStringLiteral("no temporary folder for the server: ") + s.dir.errorString();
        return false;
    }
    if (::geteuid() == 0) {
        // PostgreSQL refuses to run as root: a system user of its own, made once and reused.
        if (!::getpwnam(kServerUser.toLocal8Bit().constData())) {
            QProcess add;
            add.setProcessChannelMode(QProcess::MergedChannels);
            add.start(QStringLiteral("useradd"),
                      {QStringLiteral("--system"), QStringLiteral("--no-create-home"), QStringLiteral("--home-dir"),
                       QStringLiteral("/nonexistent"), QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                       QStringLiteral("--user-group"), kServerUser});
            add.waitForFinished(60000);
            if (!::getpwnam(kServerUser.toLocal8Bit().constData())) {
                *whyNot = QStringLiteral("could not create the system user %1: %2")
                              .arg(kServerUser, QString::fromLocal8Bit(add.readAll()));
                return false;
            }
        }
        const passwd* user = ::getpwnam(kServerUser.toLocal8Bit().constData());
        s.asOtherUser = true;
        s.uid = user->pw_uid;
        s.gid = user->pw_gid;
    }
    // The folder is the server user's alone (root reaches it anyway); the
    // folders above it are /tmp's, which anybody may pass through.
    ::chmod(QFile::encodeName(s.dir.path()).constData(), 0700);
    if (!s.giveToServerUser(s.dir.path())) {
        *whyNot = QStringLiteral("could not give the server's folder to %1").arg(kServerUser);
        return false;
    }

    s.superPassword = randomSecret();
    password_ = randomSecret();
    const QString passwordFile = s.dir.filePath(QStringLiteral("superuser-password"));
    {
        QFile file(passwordFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner) ||
            file.write(s.superPassword.toLatin1() + '\n') <= 0) {
            *whyNot = QStringLiteral("could not write the password file for initdb");
            return false;
        }
    }
    s.giveToServerUser(passwordFile);
    QString output;
    const bool made =
        s.run(QStringLiteral("initdb"),
              {QStringLiteral("--pgdata=") + s.data(), QStringLiteral("--username=") + kSuperuser,
               QStringLiteral("--pwfile=") + passwordFile, QStringLiteral("--auth=scram-sha-256"),
               QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
              &output);
    QFile::remove(passwordFile);
    if (!made) {
        *whyNot = QStringLiteral("initdb failed: ") + output;
        return false;
    }
    {
        // Only the socket in our folder; speed before durability, for tests only.
        QFile conf(s.data() + QStringLiteral("/postgresql.conf"));
        if (!conf.open(QIODevice::Append)) {
            *whyNot = QStringLiteral("could not write postgresql.conf");
            return false;
        }
        conf.write(QStringLiteral("\nlisten_addresses = ''\nunix_socket_directories = '%1'\nport = %2\n"
                                  "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n"
                                  "max_connections = 50\nshared_buffers = 32MB\n"
                                  // The log never quotes a statement: CREATE ROLE holds a password.
                                  "log_min_error_statement = panic\n")
                       .arg(s.dir.path())
                       .arg(kPort)
                       .toUtf8());
    }
    if (!s.run(QStringLiteral("pg_ctl"),
               {QStringLiteral("start"), QStringLiteral("--wait"), QStringLiteral("--timeout=60"),
                QStringLiteral("--silent"), QStringLiteral("--pgdata=") + s.data(),
                QStringLiteral("--log=") + s.dir.filePath(QStringLiteral("server.log"))},
               &output)) {
        QFile log(s.dir.filePath(QStringLiteral("server.log")));
        log.open(QIODevice::ReadOnly);
        *whyNot = QStringLiteral("pg_ctl start failed: ") + output + QString::fromLocal8Bit(log.readAll());
        return false;
    }
    s.running = true;

    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), kAdminConnection);
    admin.setHostName(s.dir.path());
    admin.setPort(kPort);
    admin.setDatabaseName(QStringLiteral("postgres"));
    admin.setUserName(kSuperuser);
    admin.setPassword(s.superPassword);
    if (!admin.open()) {
        *whyNot = QStringLiteral("could not sign in to the private server: ") + admin.lastError().text();
        return false;
    }
    // The tests' login: no superuser, no other power. Its password is ours
    // (random hex, no input); the server keeps only its SCRAM verifier.
    QString error;
    if (!exec(QStringLiteral("CREATE ROLE %1 LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE PASSWORD '%2'")
                  .arg(login(), password_),
              &error)) {
        *whyNot = QStringLiteral("could not create the tests' login: ") + error;
        return false;
    }
    return true;
}

void PrivatePostgres::stop()
{
    if (!state_)
        return;
    if (QSqlDatabase::contains(kAdminConnection)) {
        {
            QSqlDatabase admin = QSqlDatabase::database(kAdminConnection, false);
            admin.close();
        }
        QSqlDatabase::removeDatabase(kAdminConnection);
    }
    if (state_->running) {
        QString output;
        state_->run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("stop"), QStringLiteral("--mode=fast"), QStringLiteral("--wait"),
                     QStringLiteral("--silent"), QStringLiteral("--pgdata=") + state_->data()},
                    &output);
        state_->running = false;
    }
    state_.reset(); // the folder goes with it
}

bool PrivatePostgres::exec(const QString& sql, QString* error)
{
    QSqlQuery query(QSqlDatabase::database(kAdminConnection, false));
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

QString PrivatePostgres::createDatabase()
{
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("rida_test_%1_%2").arg(::getpid()).arg(++serial);
    QString error;
    if (!exec(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(name, login()), &error))
        ADD_FAILURE() << "CREATE DATABASE " << name.toStdString() << ": " << error.toStdString();
    // Nobody else may connect: the databases are the tests' login's alone.
    exec(QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC").arg(name));
    exec(QStringLiteral("GRANT CONNECT, TEMPORARY ON DATABASE %1 TO %2").arg(name, login()));
    return name;
}

void PrivatePostgres::dropDatabase(const QString& name)
{
    QString error;
    if (!exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name), &error))
        ADD_FAILURE() << "DROP DATABASE " << name.toStdString() << ": " << error.toStdString();
}

QString PrivatePostgres::socketFolder() const
{
    return state_ ? state_->dir.path() : QString();
}

QString PrivatePostgres::url(const QString& database) const
{
    // Put together, not with arg(): the encoded folder holds '%' signs.
    return QStringLiteral("postgresql://") + login() + u'@' +
           QString::fromLatin1(QUrl::toPercentEncoding(socketFolder())) + u':' + QString::number(kPort) + u'/' +
           database;
}

} // namespace rida::archive::testing
