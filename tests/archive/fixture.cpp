#include "tests/archive/fixture.h"

#include "archive/pagefolder.h"
#include "archive/regionlist.h"
#include "tests/archive/private_postgres.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace rida::archive::testing {

namespace {

// Qt finds its SQL drivers only with an application object.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "archive_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

QString sampleRegionsPath()
{
    return QStringLiteral(RIDA_BIN_DIR "/Regions/sample_bjd.txt");
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

StoreOptions quickOptions()
{
    StoreOptions options;
    options.passwordCost = PasswordCost::minimum();
    options.connection.busyTimeout = std::chrono::milliseconds(300);
    return options;
}

void ArchiveTest::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    base_ = dir_.path();
    if (onServer()) {
        QString whyNot;
        PrivatePostgres* server = PrivatePostgres::shared(&whyNot);
        if (!server)
            GTEST_SKIP() << "PostgreSQL test skipped: " << whyNot.toStdString();
        serverDatabase_ = server->createDatabase();
        serverUrl_ = server->url(serverDatabase_);
    }
}

void ArchiveTest::TearDown()
{
    if (!serverDatabase_.isEmpty())
        if (PrivatePostgres* server = PrivatePostgres::shared(nullptr))
            server->dropDatabase(serverDatabase_);
}

QString ArchiveTest::serverPassword() const
{
    PrivatePostgres* server = onServer() ? PrivatePostgres::shared(nullptr) : nullptr;
    return server ? server->password() : QString();
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::Postgresql ? "Postgresql" : "Sqlite";
}

void ArchiveTest::moveTo(const QString& folder)
{
    base_ = dir_.filePath(folder);
    QDir().mkpath(base_);
}

std::unique_ptr<Store> ArchiveTest::open(StoreOptions options)
{
    if (onServer() && options.connection.password.isEmpty())
        options.connection.password = serverPassword();
    return Store::open(location(), std::move(options));
}

std::unique_ptr<Store> ArchiveTest::ready(StoreOptions options)
{
    auto store = open(std::move(options));
    if (!store->hasUsers())
        store->createFirstAdministrator(QStringLiteral("관리자"), QStringLiteral("admin-pw"));
    else
        EXPECT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    store->importRegions(readRegionList(sampleRegionsPath()));
    store->chooseDistricts({kSampleDistrict});
    createPageFolder(pagesPath());
    return store;
}

NewDocument ArchiveTest::document(const QString& pagePath, QList<NewLot> lots, QChar kind, int year, int month)
{
    NewDocument d;
    d.kind = kind;
    d.surveyYear = year;
    d.surveyMonth = month;
    d.regionCode = lots.isEmpty() ? kImuiRi : lots.front().regionCode;
    d.pagePath = pagePath;
    d.originalFolder = QStringLiteral("/scans/1998/");
    d.originalName = QFileInfo(pagePath).fileName();
    d.pageSha256 = QString::fromLatin1(QCryptographicHash::hash(pagePath.toUtf8(), QCryptographicHash::Sha256).toHex());
    d.pageBytes = pagePath.toUtf8().size();
    d.lots = std::move(lots);
    return d;
}

NewDocument ArchiveTest::pageDocument(const QString& pagePath, const QByteArray& bytes, QList<NewLot> lots, QChar kind,
                                      int year, int month)
{
    writeFile(QDir(pagesPath()).absoluteFilePath(pagePath), bytes);
    NewDocument d = document(pagePath, std::move(lots), kind, year, month);
    d.pageSha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    d.pageBytes = bytes.size();
    return d;
}

RawConnection::RawConnection(const QString& path)
{
    openFile(path);
}

void RawConnection::openFile(const QString& path)
{
    static int serial = 0;
    name_ = QStringLiteral("test-raw-%1").arg(++serial);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db_.setDatabaseName(path);
    db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=300"));
    EXPECT_TRUE(db_.open()) << db_.lastError().text().toStdString();
}

RawConnection::RawConnection(const ArchiveTest& test)
{
    if (!test.onServer()) {
        openFile(test.databasePath());
        return;
    }
    static int serial = 0;
    name_ = QStringLiteral("test-raw-pg-%1").arg(++serial);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    ConnectionOptions options;
    options.password = test.serverPassword();
    postgresqlDialect()->open(db_, test.location(), options);
}

RawConnection::~RawConnection()
{
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

bool RawConnection::exec(const QString& sql, bool mayFail)
{
    QSqlQuery query(db_);
    const bool ok = query.exec(sql);
    if (!ok && !mayFail)
        ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
    return ok;
}

QVariant RawConnection::value(const QString& sql)
{
    QSqlQuery query(db_);
    if (!query.exec(sql) || !query.next()) {
        ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return {};
    }
    return query.value(0);
}

} // namespace rida::archive::testing
