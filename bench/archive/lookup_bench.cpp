// The lookup window of the archive edition over an archive of 70,000
// documents with 1,000,000 lots: a lot search from the click on "검색" to the
// filled record grid, a region-only search that lists 1,000 rows, the lots of
// an opened record into the lot grid, and the database's size per million
// lots. Figures are printed; nothing is asserted.
//
// The archive is made through the store's own insert (documents in batches,
// each batch one transaction) and kept in the build folder, so that only the
// first run pays for it: bench/lookup-bench-70k.sqlite beside this program.
// The page load of an opened record is the viewer's (viewer_bench, image_bench).

#include "archive/regionlist.h"
#include "archive/store.h"
#include "components/recordlookup.h"
#include "components/regionsource.h"
#include "components/searchpanel.h"
#include "lookup/lookupwindow.h"
#include "ui/grid/stringgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace rida;
using namespace rida::archive;

constexpr int kDocuments = 70000;
constexpr int kLots = 1000000;
constexpr int kTowns = 5;     // 읍면 of the office's 시군구
constexpr int kVillages = 20; // 리 of each
constexpr int kBatch = 5000;  // documents per transaction while generating

QString townName(int t)
{
    return QStringLiteral("시험%1면").arg(t);
}
QString villageName(int v)
{
    return QStringLiteral("시험%1리").arg(v);
}
QString villageCode(int t, int v)
{
    return QStringLiteral("99110%1%2").arg(310 + t * 10).arg(21 + v, 2, 10, QChar(u'0'));
}

QByteArray regionList()
{
    QString text = QStringLiteral("법정동코드\t법정동명\t폐지여부\n9900000000\t임의도\t존재\n"
                                  "9911000000\t임의도 가상시\t존재\n");
    for (int t = 0; t < kTowns; ++t) {
        text += QStringLiteral("99110") + QString::number(310 + t * 10) + QStringLiteral("00\t임의도 가상시 ") +
                townName(t) + QStringLiteral("\t존재\n");
        for (int v = 0; v < kVillages; ++v)
            text +=
                villageCode(t, v) + QStringLiteral("\t임의도 가상시 %1 %2\t존재\n").arg(townName(t), villageName(v));
    }
    QStringEncoder cp949("windows-949");
    return cp949.encode(text);
}

QString databasePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lookup-bench-70k.sqlite"));
}

StoreOptions options()
{
    StoreOptions o;
    o.passwordCost = PasswordCost::minimum();
    return o;
}

// 70,000 documents: 50,000 with 14 lots and 20,000 with 15, each lot a run of
// main numbers in one 리; every 리 gets 700 documents.
void generate(Store& store)
{
    store.importRegions(parseRegionList(regionList()));
    store.chooseDistricts({QStringLiteral("99110")});
    const QString kinds = QStringLiteral("TGSJYX");
    std::uint32_t seed = 4711;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    int lots = 0;
    QElapsedTimer timer;
    timer.start();
    for (int first = 0; first < kDocuments; first += kBatch) {
        QList<NewDocument> batch;
        for (int d = first; d < first + kBatch; ++d) {
            const int t = d % kTowns, v = (d / kTowns) % kVillages;
            NewDocument doc;
            doc.kind = kinds[int(next() >> 8) % 6];
            doc.surveyYear = 1990 + int(next() >> 8) % 35;
            doc.surveyMonth = 1 + int(next() >> 8) % 12;
            doc.regionCode = villageCode(t, v);
            doc.pagePath = QStringLiteral("99110/%1/bench-%2.jpg").arg(doc.surveyYear).arg(d);
            doc.originalFolder = QStringLiteral("/scans/");
            doc.originalName = QStringLiteral("bench-%1.jpg").arg(d);
            doc.pageSha256 = QString::fromLatin1(
                QCryptographicHash::hash(doc.pagePath.toUtf8(), QCryptographicHash::Sha256).toHex());
            doc.pageBytes = 2000000;
            const int count = d < 50000 ? 14 : 15;
            const int main = 1 + int(next() >> 8) % 3000;
            for (int k = 0; k < count; ++k)
                doc.lots.append({doc.regionCode, (next() >> 12) % 10 == 0, main + k, int(next() >> 8) % 20});
            lots += count;
            batch.append(std::move(doc));
        }
        store.insertDocuments(batch);
    }
    QSqlQuery(QSqlDatabase::database(store.connectionName())).exec(QStringLiteral("ANALYZE"));
    std::printf("generated %d documents with %d lots through the store in %.1f s\n", kDocuments, lots,
                double(timer.elapsed()) / 1000.0);
}

struct Archive {
    std::unique_ptr<QTemporaryDir> pages = std::make_unique<QTemporaryDir>();
    std::unique_ptr<Store> store;
    std::unique_ptr<lookup::LookupWindow> window;
    std::unique_ptr<components::RecordLookup> lookup;
};

std::unique_ptr<Archive> opened; // gone before the application is

Archive& archive()
{
    if (!opened)
        opened = std::make_unique<Archive>([] {
            Archive a;
            if (QFileInfo::exists(databasePath())) {
                a.store = Store::open(databasePath(), options());
                if (a.store->signIn(QStringLiteral("관리자"), QStringLiteral("pw")).ok() &&
                    a.store->totals().pages == kDocuments) {
                    std::printf("the archive of %d documents from %s\n", kDocuments, qPrintable(databasePath()));
                } else {
                    // A generation that stopped half-way: made again from nothing.
                    a.store.reset();
                    for (const char* suffix : {"", "-wal", "-shm"})
                        QFile::remove(databasePath() + QLatin1String(suffix));
                }
            }
            if (!a.store) {
                a.store = Store::open(databasePath(), options());
                a.store->createFirstAdministrator(QStringLiteral("관리자"), QStringLiteral("pw"));
                generate(*a.store);
            }
            const components::PageArchive where{a.store.get(), [dir = a.pages->path()] { return dir; }};
            a.window = std::make_unique<lookup::LookupWindow>(QDir::tempPath() + u'/',
                                                              components::storeRegions(*a.store), where);
            a.window->show();
            a.lookup = std::make_unique<components::RecordLookup>(where);
            return a;
        }());
    return *opened;
}

void setCriteria(components::SearchPanel* p, int t, int v, const QString& main, const QString& sub)
{
    p->townList->setCurrentIndex(p->townList->findText(townName(t)));
    p->villageList->setCurrentIndex(p->villageList->findText(villageName(v)));
    p->sanBox->setChecked(false);
    p->mainNumber->setText(main);
    p->subNumber->setText(sub);
}

// region + 본번 + 부번: the click on "검색" to the filled record grid.
void BM_LotSearch(benchmark::State& state)
{
    Archive& a = archive();
    components::SearchPanel* panel = a.window->searchPanel;
    int n = 0, rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++n;
        setCriteria(panel, n % kTowns, (n / kTowns) % kVillages, QString::number(1 + (n * 37) % 3000),
                    QString::number(n % 20));
        state.ResumeTiming();
        panel->searchButton->click();
        rows += a.window->recordGrid->dataRowCount();
    }
    state.counters["rows"] = benchmark::Counter(rows, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LotSearch)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A whole 읍면, no 리 chosen: 14,000 documents, the newest 1,000 listed.
void BM_RegionSearchThousandRows(benchmark::State& state)
{
    Archive& a = archive();
    components::SearchPanel* panel = a.window->searchPanel;
    int n = 0, rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++n;
        panel->townList->setCurrentIndex(panel->townList->findText(townName(n % kTowns)));
        panel->villageList->setEditText(QString());
        panel->villageList->setCurrentIndex(-1);
        panel->mainNumber->clear();
        panel->subNumber->clear();
        state.ResumeTiming();
        panel->searchButton->click();
        rows += a.window->recordGrid->dataRowCount();
    }
    state.counters["rows"] = benchmark::Counter(rows, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RegionSearchThousandRows)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same search's share of the store: the query alone, without the window.
void BM_RegionQueryOnly(benchmark::State& state)
{
    Archive& a = archive();
    int n = 0, rows = 0;
    for (auto _ : state) {
        LotQuery query;
        query.townCode = QStringLiteral("99110") + QString::number(310 + (++n % kTowns) * 10) + QStringLiteral("00");
        query.limit = components::kRecordGridLimit + 1;
        rows += int(a.store->findDocuments(query).size());
    }
    state.counters["rows"] = benchmark::Counter(rows, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RegionQueryOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// One 리 alone: 700 documents, all listed.
void BM_VillageSearch(benchmark::State& state)
{
    Archive& a = archive();
    components::SearchPanel* panel = a.window->searchPanel;
    int n = 0, rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++n;
        setCriteria(panel, n % kTowns, (n / kTowns) % kVillages, QString(), QString());
        state.ResumeTiming();
        panel->searchButton->click();
        rows += a.window->recordGrid->dataRowCount();
    }
    state.counters["rows"] = benchmark::Counter(rows, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_VillageSearch)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Opening a record: its lots from the store into the lot grid (the page load
// is the viewer's).
void BM_OpenRecordLots(benchmark::State& state)
{
    Archive& a = archive();
    std::uint32_t n = 0;
    int lots = 0;
    for (auto _ : state) {
        const qint64 id = 1 + qint64((n++ * 7919u) % kDocuments);
        const QList<model::Lot> shown = a.lookup->lots(a.store->lotsOf(id));
        components::RecordLookup::showLots(a.window->lotGrid, shown);
        lots += int(shown.size());
    }
    state.counters["lots"] = benchmark::Counter(lots, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OpenRecordLots)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_DatabaseSize(benchmark::State& state)
{
    Archive& a = archive();
    QSqlQuery(QSqlDatabase::database(a.store->connectionName()))
        .exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    const double bytes = double(QFileInfo(databasePath()).size());
    for (auto _ : state)
        benchmark::DoNotOptimize(bytes);
    state.counters["MB"] = bytes / 1e6;
    state.counters["MB_per_million_lots"] = bytes / 1e6 * (1e6 / kLots);
}
BENCHMARK(BM_DatabaseSize)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    opened.reset();
    benchmark::Shutdown();
    return 0;
}
