// The recognition pipeline on generated 2480 x 3508 sheets, side by side with
// a bare TurboJPEG decode of the same files, and the digit scan against the
// pixel-by-pixel rule.
//   nice build/dev/bench/recognition_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "image/codec.h"
#include "recognition/engine/alignment.h"
#include "recognition/engine/background.h"
#include "recognition/engine/batch.h"
#include "recognition/engine/digit_scan.h"
#include "tests/recognition/oracle.h"
#include "tools/pagegen/pagegen.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace rida;
using recognition::kTemplateCount;

std::string folder()
{
    static const std::string dir = [] {
        const auto d = std::filesystem::temp_directory_path() / "rida-recognition-bench";
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

// Sheets: 15 listed rows (the scan hops), no rows (stops early), one row at the
// top only (runs to the last line, searching 41 lines in every 150), and one
// row in the third table row only: every line is searched until it is listed,
// just before the early stop would give up, and the scan then hops to the last
// line. That is the most lines a page can cost.
const std::string& sheet(int kind, bool fullChroma = false)
{
    static std::string paths[4][2];
    std::string& path = paths[kind][fullChroma];
    if (path.empty()) {
        pagegen::PageOptions o;
        std::uint64_t seed = 99;
        const int rows = kind == 0 ? 15 : kind == 1 ? 0 : 1; // kind 3: one, as kind 2
        if (kind == 3)
            o.rows.resize(2); // two blank table rows above the one lot
        for (int k = 0; k < rows; ++k)
            o.rows.push_back({pagegen::randomLot(seed)});
        o.skewDegrees = 1.0;
        o.noise = 8;
        o.specks = 100;
        path = folder() + "/sheet" + std::to_string(kind) + (fullChroma ? "-444" : "-420") + ".jpg";
        pagegen::writeJpeg(path, pagegen::drawPage(o), 90, fullChroma);
    }
    return path;
}

std::vector<unsigned char> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void BM_BareDecode(benchmark::State& state)
{
    const auto bytes = readAll(sheet(int(state.range(0)), state.range(1) != 0));
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, sub = 0, cs = 0;
    tjDecompressHeader3(tj, bytes.data(), (unsigned long)bytes.size(), &w, &h, &sub, &cs);
    std::vector<unsigned char> out(std::size_t(w) * h * 4);
    for (auto _ : state) {
        // The file is read each time, as the pipeline does.
        const auto file = readAll(sheet(int(state.range(0)), state.range(1) != 0));
        tjDecompress2(tj, file.data(), (unsigned long)file.size(), out.data(), w, w * 4, h, TJPF_BGRA, 0);
        benchmark::DoNotOptimize(out.data());
    }
    tjDestroy(tj);
}
BENCHMARK(BM_BareDecode)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"sheet", "444"})
    ->Unit(benchmark::kMillisecond);

void BM_Pipeline(benchmark::State& state)
{
    const std::string& path = sheet(int(state.range(0)), state.range(1) != 0);
    recognition::Recognizer recognizer;
    recognition::RecognitionObserver quiet;
    recognition::PageResult r;
    for (auto _ : state)
        r = recognizer.recognizePage(path, {}, quiet);
    state.counters["lots"] = double(r.lots.size());
    state.counters["scanned_lines"] = recognizer.rows().scannedLines();
}
BENCHMARK(BM_Pipeline)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->ArgNames({"sheet", "444"})->Unit(benchmark::kMillisecond);

// The stages one by one on the 15-row sheet. The run turns only the digit
// strip (strip:1); strip:0 turns the whole page, for comparison.
void BM_Align(benchmark::State& state)
{
    image::Bitmap page, work, scratch;
    image::loadPage(sheet(0), page);
    const bool strip = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        work = page;
        state.ResumeTiming();
        if (strip)
            recognition::alignDigitStrip(work, scratch, {}, recognition::kStripWidth);
        else
            recognition::alignPage(work, scratch, {});
    }
}
BENCHMARK(BM_Align)->Arg(1)->Arg(0)->ArgName("strip")->Unit(benchmark::kMillisecond);

void BM_RemoveBackground(benchmark::State& state)
{
    image::Bitmap page, work;
    image::loadPage(sheet(0), page);
    for (auto _ : state) {
        state.PauseTiming();
        work = page;
        state.ResumeTiming();
        recognition::removeBackground(work, recognition::removalMode(int(state.range(0))), 145);
    }
}
BENCHMARK(BM_RemoveBackground)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// The first 470 lines of a sheet with no rows: every template at every
// position, since nothing is accepted. The bit-packed scan against the
// pixel-by-pixel rule, both computing the same 470 x 256 x 11 scores.
const image::Bitmap& twoColourSheet()
{
    static const image::Bitmap page = [] {
        image::Bitmap p, scratch;
        image::loadPage(sheet(1), p);
        recognition::alignPage(p, scratch, {});
        recognition::removeBackground(p, recognition::RemovalMode::Plain, 145);
        return p;
    }();
    return page;
}

void BM_ScanPacked(benchmark::State& state)
{
    const image::Bitmap& page = twoColourSheet();
    recognition::WorkingSet set;
    set.copyFrom(recognition::Typeface::Gothic);
    recognition::RowScanner scanner;
    recognition::ScanObserver quiet;
    for (auto _ : state)
        scanner.scanDigitRows(page, set, recognition::Typeface::Gothic, 818, 834, quiet);
    state.counters["scanned_lines"] = scanner.scannedLines();
}
BENCHMARK(BM_ScanPacked)->Unit(benchmark::kMillisecond);

void BM_ScanPlain(benchmark::State& state)
{
    const image::Bitmap& page = twoColourSheet();
    recognition::WorkingSet set;
    set.copyFrom(recognition::Typeface::Gothic);
    long long accepted = 0;
    for (auto _ : state) {
        for (int y = 834; y < 834 + 469; ++y)
            for (int dx = 0; dx < recognition::kStripPositions; ++dx)
                for (int t : recognition::kTemplateOrder)
                    accepted += recognition::testing::plainAgreeing(page, set.img[t], 818 + dx, y) * 100 / 660 >= 85;
        benchmark::DoNotOptimize(accepted);
    }
    state.counters["scanned_lines"] = 469;
}
BENCHMARK(BM_ScanPlain)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
