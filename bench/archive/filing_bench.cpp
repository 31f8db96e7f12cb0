// Filing a typical page (A4 at 300 dpi, 2480 x 3508, drawn by the page
// generator and written as JPEG): copy and move, with and without the cut of
// the left margin, beside copying and flushing the same file alone. Each
// iteration files a page of its own (a comment segment numbers it, so the
// duplicate check lets it in). Figures are printed; nothing is
// asserted. Run it on the disk the archive will live on: the temporary
// folder is made in the current folder, not in /tmp.

#include "archive/pagefolder.h"
#include "archive/placement.h"
#include "archive/regionlist.h"
#include "archive/store.h"
#include "tools/pagegen/pagegen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <memory>

namespace {

using namespace rida::archive;

const QString kVillage = QStringLiteral("9911025021");

struct Bench {
    QTemporaryDir dir{QDir::currentPath() + QStringLiteral("/filing-bench-XXXXXX")};
    std::unique_ptr<Store> store;
    QByteArray page;
    qint64 serial = 0;

    Bench()
    {
        StoreOptions options;
        options.passwordCost = PasswordCost::minimum();
        store = Store::open(dir.filePath(QStringLiteral("archive.sqlite")), options);
        store->createFirstAdministrator(QStringLiteral("관리자"), QStringLiteral("pw"));
        const QString list = QStringLiteral("법정동코드\t법정동명\t폐지여부\r\n"
                                            "9900000000\t임의도\t존재\r\n"
                                            "9911000000\t임의도 가상시\t존재\r\n"
                                            "9911025000\t임의도 가상시 임의읍\t존재\r\n"
                                            "9911025021\t임의도 가상시 임의읍 임의리\t존재\r\n");
        QStringEncoder cp949("windows-949");
        store->importRegions(parseRegionList(cp949.encode(list)));
        store->chooseDistricts({QStringLiteral("99110")});
        createPageFolder(pages());
        QDir().mkpath(dir.filePath(QStringLiteral("scans")));
        const std::string path = dir.filePath(QStringLiteral("typical.jpg")).toStdString();
        rida::pagegen::PageOptions o;
        o.rows = {{"100120003"}, {"100130000"}, {"200070001"}};
        o.skewDegrees = 0.4;
        o.noise = 12;
        o.headings = false;
        rida::pagegen::writeJpeg(path, rida::pagegen::drawPage(o), 90);
        QFile f(QString::fromStdString(path));
        f.open(QIODevice::ReadOnly);
        page = f.readAll();
    }
    QString pages() const { return dir.filePath(QStringLiteral("pages")); }
    // A new source page, its bytes unlike any filed before.
    QString newSource()
    {
        const QString path = dir.filePath(QStringLiteral("scans/%1.jpg").arg(++serial));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        // A comment segment right after the start of the image: the margin
        // cut keeps it, so cut pages differ too.
        const QByteArray note = QByteArray("serial ") + QByteArray::number(serial);
        f.write(page.left(2));
        f.write(QByteArray("\xFF\xFE", 2));
        f.write(QByteArray(1, char((note.size() + 2) >> 8)) + QByteArray(1, char((note.size() + 2) & 0xFF)));
        f.write(note);
        f.write(page.mid(2));
        return path;
    }
};

std::unique_ptr<Bench> shared;

Bench& bench()
{
    if (!shared)
        shared = std::make_unique<Bench>();
    return *shared;
}

void BM_CopyAndFlushAlone(benchmark::State& state)
{
    Bench& b = bench();
    const QString target = b.dir.filePath(QStringLiteral("pages/plain-copy.jpg"));
    for (auto _ : state) {
        state.PauseTiming();
        const QString source = b.newSource();
        QFile::remove(target);
        state.ResumeTiming();
        QFile in(source);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        benchmark::DoNotOptimize(::write(fd, bytes.constData(), std::size_t(bytes.size())));
        ::fsync(fd);
        ::close(fd);
        const int folder = ::open(QFile::encodeName(b.pages()).constData(), O_RDONLY | O_DIRECTORY);
        ::fsync(folder);
        ::close(folder);
    }
    QFile::remove(target);
    state.counters["bytes"] = double(b.page.size());
}
BENCHMARK(BM_CopyAndFlushAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: 0 copy / 1 move; 0 no cut / 1 left margin cut.
void BM_FilePage(benchmark::State& state)
{
    Bench& b = bench();
    FilingRequest r;
    r.transfer = state.range(0) ? Transfer::Move : Transfer::Copy;
    r.margin = state.range(1) ? MarginSide::Left : MarginSide::None;
    r.kind = u'G';
    r.surveyYear = 1998;
    r.surveyMonth = 1;
    r.regionCode = kVillage;
    r.lots = {{kVillage, false, 12, 3}, {kVillage, false, 13, 0}, {kVillage, true, 7, 1}};
    int cut = 0;
    // Where the time goes: from the call to the journal row (reading, hashing,
    // the margin cut, the checks), to each later step, and on to the return.
    using Clock = std::chrono::steady_clock;
    const char* const names[] = {"to_journaled", "to_copied", "to_verified", "to_placed", "to_committed", "to_end"};
    double spent[6] = {};
    Clock::time_point last;
    FilingHooks hooks;
    hooks.afterStep = [&](FilingStep step) {
        const Clock::time_point now = Clock::now();
        const int k = int(step) > int(FilingStep::Committed) ? 5 : int(step);
        spent[k] += std::chrono::duration<double, std::milli>(now - last).count();
        last = now;
    };
    for (auto _ : state) {
        state.PauseTiming();
        r.sourcePath = b.newSource();
        state.ResumeTiming();
        last = Clock::now();
        cut = filePage(*b.store, b.pages(), r, hooks).cutColumns;
        spent[5] += std::chrono::duration<double, std::milli>(Clock::now() - last).count();
    }
    state.counters["cut_columns"] = cut;
    for (int k = 0; k < 6; ++k)
        state.counters[names[k]] = benchmark::Counter(spent[k] / double(state.iterations()));
}
BENCHMARK(BM_FilePage)
    ->ArgNames({"move", "cut"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // Qt finds its SQL drivers through it
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shared.reset();
    benchmark::Shutdown();
    return 0;
}
