#pragma once
// A PostgreSQL server of the tests' own, as the printing tests start their own
// CUPS: initdb into a temporary folder, listening only on a Unix socket in that
// folder, run as an unprivileged system user when the tests run as root
// (PostgreSQL refuses root), stopped and removed when the test program ends.
//
// Two logins: the server's superuser, which only this helper uses (to make
// and drop databases and the tests' login), and the tests' login, which owns
// the databases the tests open and is no superuser. Both passwords are random,
// held in memory; the superuser's reaches initdb through a file in the
// temporary folder that only the server's user may read, removed at once.

#include <QString>

#include <memory>

namespace rida::archive::testing {

class PrivatePostgres {
public:
    // The one server of this test program, started on first use. Null when
    // PostgreSQL or Qt's QPSQL driver is not installed or the server does not
    // start; `whyNot` then says why.
    static PrivatePostgres* shared(QString* whyNot);
    // Stops the shared server and removes its folder; the test program's end does it.
    static void stopShared();

    ~PrivatePostgres();
    PrivatePostgres(const PrivatePostgres&) = delete;
    PrivatePostgres& operator=(const PrivatePostgres&) = delete;

    // A new empty database owned by the tests' login: its name.
    QString createDatabase();
    void dropDatabase(const QString& name);
    // The location a Store opens for the database (no password in it).
    QString url(const QString& database) const;
    QString login() const { return QStringLiteral("rida_test"); }
    const QString& password() const { return password_; }
    QString socketFolder() const;
    // Runs one statement as the superuser (names made by the tests, never input).
    bool exec(const QString& sql, QString* error = nullptr);

private:
    PrivatePostgres() = default;
    bool start(QString* whyNot);
    void stop();
    struct State;
    std::unique_ptr<State> state_;
    QString password_;
};

} // namespace rida::archive::testing
