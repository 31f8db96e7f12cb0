#pragma once
// What the archive tests share: a fresh database in a temporary folder (or,
// for PostgreSQL, on the tests' private server), the sample region list, pages
// written into the page folder.

#include "archive/store.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>

namespace rida::archive::testing {

// Codes of the sample list (가상시 of 임의도).
inline const QString kSampleDistrict = QStringLiteral("99110");
inline const QString kImuiEup = QStringLiteral("9911025000");    // 임의읍
inline const QString kImuiRi = QStringLiteral("9911025021");     // 임의읍 임의리
inline const QString kSaeteoRi = QStringLiteral("9911025022");   // 임의읍 새터리
inline const QString kHanulMyeon = QStringLiteral("9911031000"); // 한울면
inline const QString kSollaeRi = QStringLiteral("9911031021");   // 한울면 솔내리
inline const QString kNuriDong = QStringLiteral("9911010100");   // 누리동, without 리

// The sample list as the build lays it into the application folder (CP949).
QString sampleRegionsPath();
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// The cheapest password hashes and a short wait for locks, so that a test
// neither pays a sign-in's cost for every user nor waits five seconds.
StoreOptions quickOptions();

enum class Backend { Sqlite, Postgresql };

class ArchiveTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    // The back end of this test; SQLite unless the suite runs on both.
    virtual Backend backend() const { return Backend::Sqlite; }
    bool onServer() const { return backend() == Backend::Postgresql; }
    // Where the store is: the SQLite file, or the URL of this test's own
    // database on the private server.
    QString location() const { return onServer() ? serverUrl_ : databasePath(); }
    // The password of the server's login (empty for SQLite).
    QString serverPassword() const;

    QString databasePath() const { return base_ + QStringLiteral("/archive.sqlite"); }
    QString pagesPath() const { return base_ + QStringLiteral("/pages"); }
    QString path(const QString& name) const { return base_ + u'/' + name; }
    // Database and pages go to a new folder from here on.
    void moveTo(const QString& folder);

    std::unique_ptr<Store> open(StoreOptions options = quickOptions());
    // A store with the administrator "관리자" (password "admin-pw") signed in,
    // the sample list imported and its 가상시 chosen.
    std::unique_ptr<Store> ready(StoreOptions options = quickOptions());

    // A page in the page folder with the given bytes, and a document of it.
    NewDocument pageDocument(const QString& pagePath, const QByteArray& bytes, QList<NewLot> lots, QChar kind = u'G',
                             int year = 1998, int month = 1);
    // A document whose page is not written.
    static NewDocument document(const QString& pagePath, QList<NewLot> lots, QChar kind = u'G', int year = 1998,
                                int month = 1);

    QTemporaryDir dir_;
    QString base_;
    QString serverDatabase_, serverUrl_;
};

// A suite that runs every test on SQLite and on PostgreSQL:
//   class ArchiveRecords : public OnBothBackends {};
//   TEST_P(ArchiveRecords, ...) { ... }
//   RIDA_ON_BOTH_BACKENDS(ArchiveRecords);
// The PostgreSQL tests are named .../Postgresql; ctest labels them postgres.
class OnBothBackends : public ArchiveTest, public ::testing::WithParamInterface<Backend> {
public:
    Backend backend() const override { return GetParam(); }
};

std::string backendName(const ::testing::TestParamInfo<Backend>& info);

// A suite of what only a database server has, on the private server.
#define RIDA_ON_POSTGRESQL(suite)                                                                                      \
    INSTANTIATE_TEST_SUITE_P(, suite, ::testing::Values(::rida::archive::testing::Backend::Postgresql),                \
                             ::rida::archive::testing::backendName)

#define RIDA_ON_BOTH_BACKENDS(suite)                                                                                   \
    INSTANTIATE_TEST_SUITE_P(                                                                                          \
        , suite,                                                                                                       \
        ::testing::Values(::rida::archive::testing::Backend::Sqlite, ::rida::archive::testing::Backend::Postgresql),   \
        ::rida::archive::testing::backendName)

// A connection of the test's own to a database file, beside any store's.
class RawConnection {
public:
    explicit RawConnection(const QString& path);
    // The test's database on either back end, for PostgreSQL as the tests' login.
    explicit RawConnection(const ArchiveTest& test);
    ~RawConnection();
    QSqlDatabase& db() { return db_; }
    // Runs one statement; a test failure unless it runs or `mayFail`.
    bool exec(const QString& sql, bool mayFail = false);
    // The first column of the first row.
    QVariant value(const QString& sql);

private:
    void openFile(const QString& path);
    QString name_;
    QSqlDatabase db_;
};

// An ArchiveError's failure and message, or a test failure when none is thrown.
template <typename F> ArchiveError thrown(F&& f)
{
    try {
        f();
    } catch (const ArchiveError& e) {
        return e;
    }
    ADD_FAILURE() << "no ArchiveError";
    return ArchiveError(Failure::Database, QString());
}

} // namespace rida::archive::testing
