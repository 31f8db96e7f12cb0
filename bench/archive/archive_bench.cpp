// The archive's speed: importing a national-sized 법정동코드 list, a sign-in at
// libsodium's interactive cost, and a lot search among a million lots.
// Figures are printed; nothing is asserted.

#include "archive/parcel.h"
#include "archive/password.h"
#include "archive/regionlist.h"
#include "archive/store.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace rida::archive;

constexpr int kDistricts = 250;       // 시군구
constexpr int kTownsPerDistrict = 20; // 읍면동
constexpr int kVillagesPerTown = 9;   // 리: 250 × 20 × 10 lines, about 50,000 in all

// A list of the national list's shape: 17 시도, 250 시군구, their 읍면동 and 리, one in fifty abolished.
QByteArray nationalShapedList()
{
    QString text = QStringLiteral("법정동코드\t법정동명\t폐지여부\r\n");
    for (int p = 0; p < 17; ++p)
        text += QString::number(11 + p * 3) + QStringLiteral("00000000\t시도%1\t존재\r\n").arg(p);
    int line = 0;
    for (int d = 0; d < kDistricts; ++d) {
        const int province = 11 + (d % 17) * 3;
        const QString district = QStringLiteral("%1%2").arg(province).arg(110 + d, 3, 10, QChar(u'0'));
        const QString districtName = QStringLiteral("시도%1 시군구%2").arg(d % 17).arg(d);
        text += district + QStringLiteral("00000\t") + districtName + QStringLiteral("\t존재\r\n");
        for (int t = 0; t < kTownsPerDistrict; ++t) {
            const QString town = district + QString::number(250 + t);
            const QString townName = districtName + QStringLiteral(" 임의%1면").arg(t);
            text += town + QStringLiteral("00\t") + townName + QStringLiteral("\t존재\r\n");
            for (int v = 0; v < kVillagesPerTown; ++v)
                text += town + QString::number(21 + v) + u'\t' + townName + QStringLiteral(" 새%1리\t").arg(v) +
                        (++line % 50 == 0 ? QStringLiteral("폐지") : QStringLiteral("존재")) + QStringLiteral("\r\n");
        }
    }
    QStringEncoder cp949("windows-949");
    return cp949.encode(text);
}

StoreOptions benchOptions()
{
    StoreOptions options;
    options.passwordCost = PasswordCost::minimum(); // the sign-in benchmark sets its own
    return options;
}

std::unique_ptr<Store> freshStore(const QTemporaryDir& dir, const char* name)
{
    auto store = Store::open(dir.filePath(QString::fromLatin1(name)), benchOptions());
    store->createFirstAdministrator(QStringLiteral("관리자"), QStringLiteral("pw"));
    return store;
}

void BM_ImportNationalList(benchmark::State& state)
{
    const QByteArray bytes = nationalShapedList();
    int lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        auto store = freshStore(dir, "import.sqlite");
        state.ResumeTiming();
        const std::vector<RegionEntry> entries = parseRegionList(bytes);
        const RegionImportSummary summary = store->importRegions(entries);
        lines = summary.total;
        benchmark::DoNotOptimize(summary);
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_ImportNationalList)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same list once more into a database that holds it: nothing changes.
void BM_ReimportNationalList(benchmark::State& state)
{
    const QByteArray bytes = nationalShapedList();
    QTemporaryDir dir;
    auto store = freshStore(dir, "reimport.sqlite");
    store->importRegions(parseRegionList(bytes));
    for (auto _ : state)
        benchmark::DoNotOptimize(store->importRegions(parseRegionList(bytes)));
}
BENCHMARK(BM_ReimportNationalList)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SignInInteractive(benchmark::State& state)
{
    QTemporaryDir dir;
    StoreOptions options;
    options.passwordCost = PasswordCost::interactive();
    auto store = Store::open(dir.filePath(QStringLiteral("signin.sqlite")), options);
    store->createFirstAdministrator(QStringLiteral("관리자"), QStringLiteral("correct horse"));
    for (auto _ : state) {
        const SignInResult r = store->signIn(QStringLiteral("관리자"), QStringLiteral("correct horse"));
        if (!r.ok())
            state.SkipWithError("sign-in refused");
    }
}
BENCHMARK(BM_SignInInteractive)->Unit(benchmark::kMillisecond)->Iterations(5);

// A million lots on 100,000 documents over 99 리, written straight into the
// tables in one transaction (the store's own insert is one transaction per
// document); then searches as the lookup window makes them.
class MillionLots : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override
    {
        if (store)
            return;
        dir = std::make_unique<QTemporaryDir>();
        store = freshStore(*dir, "million.sqlite");
        QString list = QStringLiteral("법정동코드\t법정동명\t폐지여부\n9900000000\t임의도\t존재\n"
                                      "9911000000\t임의도 가상시\t존재\n9911025000\t임의도 가상시 임의읍\t존재\n");
        for (int v = 1; v < 100; ++v)
            list += QStringLiteral("99110250%1\t임의도 가상시 임의읍 새%2리\t존재\n").arg(v, 2, 10, QChar(u'0')).arg(v);
        QStringEncoder cp949("windows-949");
        store->importRegions(parseRegionList(cp949.encode(list)));

        QSqlDatabase db = QSqlDatabase::database(store->connectionName());
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        QSqlQuery doc(db), lot(db);
        doc.prepare(
            QStringLiteral("INSERT INTO documents (id, kind, survey_year, survey_month, region_code, page_path, "
                           "original_folder, original_name, page_sha256, page_bytes, registered_by, "
                           "registered_at, registration) VALUES (?, ?, ?, ?, ?, ?, '', '', ?, 0, 1, '', "
                           "'manual')"));
        lot.prepare(QStringLiteral("INSERT INTO lots (document_id, region_code, san, main_number, sub_number, pnu) "
                                   "VALUES (?, ?, ?, ?, ?, ?)"));
        const QString kinds = QStringLiteral("TGSJYX");
        const QString sha(64, u'0');
        std::uint32_t seed = 12345;
        auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
        for (int d = 1; d <= 100000; ++d) {
            const QString region = QStringLiteral("99110250%1").arg(1 + int(next() >> 8) % 99, 2, 10, QChar(u'0'));
            doc.addBindValue(d);
            doc.addBindValue(QString(kinds[d % 6]));
            doc.addBindValue(1990 + d % 30);
            doc.addBindValue(1 + d % 12);
            doc.addBindValue(region);
            doc.addBindValue(QStringLiteral("p/%1.jpg").arg(d));
            doc.addBindValue(sha);
            doc.exec();
            const int first = int(next() >> 8) % 3000 + 1;
            for (int k = 0; k < 10; ++k) {
                const bool san = (next() >> 12) % 10 == 0;
                const int sub = int(next() >> 8) % 20;
                lot.addBindValue(d);
                lot.addBindValue(region);
                lot.addBindValue(san ? 1 : 0);
                lot.addBindValue(first + k);
                lot.addBindValue(sub);
                lot.addBindValue(parcelNumber(region, san, first + k, sub));
                lot.exec();
            }
        }
        q.exec(QStringLiteral("COMMIT"));
        q.exec(QStringLiteral("ANALYZE"));
    }
    static inline std::unique_ptr<QTemporaryDir> dir;
    static inline std::unique_ptr<Store> store;
};

BENCHMARK_DEFINE_F(MillionLots, RegionAndMainNumber)(benchmark::State& state)
{
    LotQuery query;
    query.regionCode = QStringLiteral("9911025042");
    query.mountain = false;
    int n = 0;
    for (auto _ : state) {
        query.mainNumber = 1 + (n++ * 37) % 3000;
        benchmark::DoNotOptimize(store->findDocuments(query));
    }
}
BENCHMARK_REGISTER_F(MillionLots, RegionAndMainNumber)->Unit(benchmark::kMicrosecond);

BENCHMARK_DEFINE_F(MillionLots, FullLotNumberKindAndYears)(benchmark::State& state)
{
    LotQuery query;
    query.regionCode = QStringLiteral("9911025042");
    query.mountain = false;
    query.subNumber = 3;
    query.kind = u'G';
    query.fromYear = 1990;
    query.toYear = 2019;
    int n = 0;
    for (auto _ : state) {
        query.mainNumber = 1 + (n++ * 37) % 3000;
        benchmark::DoNotOptimize(store->findDocuments(query));
    }
}
BENCHMARK_REGISTER_F(MillionLots, FullLotNumberKindAndYears)->Unit(benchmark::kMicrosecond);

// A whole 리 with 산 left open: thousands of documents, the newest 1000 returned.
BENCHMARK_DEFINE_F(MillionLots, WholeVillage)(benchmark::State& state)
{
    LotQuery query;
    query.regionCode = QStringLiteral("9911025042");
    for (auto _ : state)
        benchmark::DoNotOptimize(store->findDocuments(query));
}
BENCHMARK_REGISTER_F(MillionLots, WholeVillage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // Qt finds its SQL drivers through it
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    MillionLots::store.reset();
    MillionLots::dir.reset();
    benchmark::Shutdown();
    return 0;
}
