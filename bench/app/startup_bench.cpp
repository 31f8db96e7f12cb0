// From start to the main window: the demonstration build against the archive
// edition (opening the database, a sign-in at libsodium's interactive cost,
// the board's figures counted over 100,000 registered pages), and the sign-in
// alone. Figures are printed; nothing is asserted.
//
//   build/release/bench/startup_bench
//
// The archive edition's start beyond the demonstration build is the
// difference of the two start figures.

#include "app/archiveedition.h"
#include "app/mainwindow.h"
#include "archive/password.h"
#include "archive/regionlist.h"
#include "archive/store.h"
#include "ui/theme.h"

#include <QApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace rida;

constexpr int kPages = 100000;
constexpr int kUsers = 50;
const QString kName = QStringLiteral("관리자");
const QString kPassword = QStringLiteral("correct horse");

// An office's archive: the sample 시군구 chosen, users, and pages of every
// kind written straight into the tables in one transaction.
struct Office {
    QTemporaryDir dir;
    QString appDir;
    archive::LocationSources sources;

    Office()
    {
        appDir = dir.path() + QStringLiteral("/app/");
        QDir().mkpath(appDir);
        sources.databaseOption = dir.filePath(QStringLiteral("archive.sqlite"));
        sources.pagesOption = dir.filePath(QStringLiteral("pages"));
        QDir().mkpath(sources.pagesOption);

        auto store = archive::Store::open(sources.databaseOption);
        store->createFirstAdministrator(kName, kPassword);
        QStringEncoder cp949("windows-949");
        store->importRegions(archive::parseRegionList(cp949.encode(QStringLiteral(
            "법정동코드\t법정동명\t폐지여부\n9900000000\t임의도\t존재\n9911000000\t임의도 가상시\t존재\n"
            "9911025000\t임의도 가상시 임의읍\t존재\n9911025021\t임의도 가상시 임의읍 임의리\t존재\n"))));
        store->chooseDistricts({QStringLiteral("99110")});
        for (int u = 1; u < kUsers; ++u)
            store->addUser(QStringLiteral("사용자%1").arg(u), archive::Role::Viewer, QStringLiteral("pw"));

        QSqlDatabase db = QSqlDatabase::database(store->connectionName());
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        QSqlQuery doc(db);
        doc.prepare(
            QStringLiteral("INSERT INTO documents (id, kind, survey_year, survey_month, region_code, page_path, "
                           "original_folder, original_name, page_sha256, page_bytes, registered_by, "
                           "registered_at, registration) VALUES (?, ?, 1998, 1, '9911025021', ?, '', '', ?, 0, 1, "
                           "'', 'manual')"));
        const QString kinds = QStringLiteral("TGSJYX");
        const QString sha(64, u'0');
        for (int d = 1; d <= kPages; ++d) {
            doc.addBindValue(d);
            doc.addBindValue(QString(kinds[d % 6]));
            doc.addBindValue(QStringLiteral("p/%1.jpg").arg(d));
            doc.addBindValue(sha);
            doc.exec();
        }
        q.exec(QStringLiteral("COMMIT"));
    }
};

Office& office()
{
    static Office o;
    return o;
}

void BM_SignIn(benchmark::State& state)
{
    auto store = archive::Store::open(office().sources.databaseOption);
    for (auto _ : state)
        if (!store->signIn(kName, kPassword).ok())
            state.SkipWithError("sign-in refused");
}
BENCHMARK(BM_SignIn)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DemonstrationToMainWindow(benchmark::State& state)
{
    for (auto _ : state) {
        app::MainWindow m(office().appDir, [](QWidget*) { return true; });
        benchmark::DoNotOptimize(m.statusBoard);
    }
}
BENCHMARK(BM_DemonstrationToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ArchiveToMainWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto edition = app::openArchiveEdition(office().sources);
        if (!edition) {
            state.SkipWithError("the archive did not open");
            break;
        }
        app::MainWindow m(office().appDir, *edition,
                          [&](QWidget*) { return edition->store().signIn(kName, kPassword).ok(); });
        if (m.signInCancelled())
            state.SkipWithError("sign-in refused");
        benchmark::DoNotOptimize(m.statusBoard);
    }
    state.counters["pages"] = kPages;
}
BENCHMARK(BM_ArchiveToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::applyTheme(app);
    office(); // the archive is made before any figure is taken
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
