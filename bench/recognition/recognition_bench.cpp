// The recognition pipeline on generated 2480 x 3508 sheets, side by side with
// a bare TurboJPEG decode of the same files, and the digit scan against the
// pixel-by-pixel rule.
//   nice build/release/bench/recognition_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The figures of decoding only what the run reads, in one line each, timed in
// turn within every iteration so that the machine's load falls on all alike:
//   nice build/release/bench/recognition_bench --benchmark_filter='Against|Breakdown|Jobs'

#include "image/codec.h"
#include "recognition/engine/alignment.h"
#include "recognition/engine/background.h"
#include "recognition/engine/batch.h"
#include "recognition/engine/digit_scan.h"
#include "tests/recognition/oracle.h"
#include "tools/pagegen/pagegen.h"

#include <benchmark/benchmark.h>
#include <time.h>
#include <turbojpeg.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
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

// The file in one read, as the pipeline reads it.
std::vector<unsigned char> readAll(const std::string& path)
{
    std::vector<unsigned char> bytes(std::filesystem::file_size(path));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    bytes.resize(f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0);
    if (f)
        std::fclose(f);
    return bytes;
}

// Decoding alone, through our codec: what:0 the whole page, what:1 only the
// part the run reads, what:2 nothing but the entropy-coded data (every line
// skipped).
void BM_Decode(benchmark::State& state)
{
    const std::string& path = sheet(0);
    const recognition::RecognitionSettings settings;
    image::Bitmap page;
    const int what = int(state.range(0));
    for (auto _ : state) {
        if (what == 0)
            image::loadPage(path, page);
        else
            image::loadPageRegion(path, page, [&](int w, int h) {
                return what == 1 ? recognition::pixelsRunReads(w, h, settings) : image::RectI{};
            });
    }
}
BENCHMARK(BM_Decode)->DenseRange(0, 2)->ArgName("what")->Unit(benchmark::kMillisecond);

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

// part:1 decodes only what the run reads (the run as it is), part:0 the whole page.
void BM_Pipeline(benchmark::State& state)
{
    const std::string& path = sheet(int(state.range(0)), state.range(1) != 0);
    const bool part = state.range(2) != 0;
    recognition::Recognizer recognizer;
    recognition::RecognitionObserver quiet;
    recognition::PageResult r;
    for (auto _ : state)
        r = part ? recognizer.recognizePage(path, {}, quiet) : recognizer.recognizeWholePage(path, {}, quiet);
    state.counters["lots"] = double(r.lots.size());
    state.counters["scanned_lines"] = recognizer.rows().scannedLines();
}
BENCHMARK(BM_Pipeline)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {1, 0}})
    ->ArgNames({"sheet", "444", "part"})
    ->Unit(benchmark::kMillisecond);

double millisecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of the process (every thread of the run, the one reading a
// JPEG's last lines included): on a machine shared with others' builds the
// wall time of one page says more about them than about the page.
double cpuMillisecondsOf(const std::function<void()>& work)
{
    const auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    const double start = now();
    work();
    return now() - start;
}

// In every iteration, one after the other on the same file: a bare TurboJPEG
// decode of the whole page (the file read as well), the run decoding the whole
// page, and the run decoding only what it reads. The time shown is the
// partial run's (wall); the counters give all three in processor time (ms)
// and the runs' ratios to the bare decode, in processor time (*_x: the work)
// and in wall time (*_x_wall: what a page takes, with the partial run's last
// lines read on a second core). Sheet 0 is a typical page, sheet 3 the one with the most
// scan lines.
void BM_RunAgainstBareDecode(benchmark::State& state)
{
    const std::string& path = sheet(int(state.range(0)), state.range(1) != 0);
    tjhandle tj = tjInitDecompress();
    std::vector<unsigned char> out;
    recognition::Recognizer recognizer;
    recognition::RecognitionObserver quiet;
    double bare = 0, whole = 0, part = 0, bareWall = 0, wholeWall = 0, partWall = 0;
    for (auto _ : state) {
        bareWall += millisecondsOf([&] {
            bare += cpuMillisecondsOf([&] {
                const auto file = readAll(path);
                int w = 0, h = 0, sub = 0, cs = 0;
                tjDecompressHeader3(tj, file.data(), (unsigned long)file.size(), &w, &h, &sub, &cs);
                out.resize(std::size_t(w) * h * 4);
                tjDecompress2(tj, file.data(), (unsigned long)file.size(), out.data(), w, w * 4, h, TJPF_BGRA, 0);
                benchmark::DoNotOptimize(out.data());
            });
        });
        wholeWall += millisecondsOf(
            [&] { whole += cpuMillisecondsOf([&] { recognizer.recognizeWholePage(path, {}, quiet); }); });
        const double ms =
            millisecondsOf([&] { part += cpuMillisecondsOf([&] { recognizer.recognizePage(path, {}, quiet); }); });
        partWall += ms;
        state.SetIterationTime(ms / 1000.0);
    }
    tjDestroy(tj);
    const double n = double(state.iterations());
    state.counters["bare_ms"] = bare / n;
    state.counters["whole_ms"] = whole / n;
    state.counters["part_ms"] = part / n;
    state.counters["whole_x"] = whole / bare;
    state.counters["part_x"] = part / bare;
    state.counters["whole_x_wall"] = wholeWall / bareWall;
    state.counters["part_x_wall"] = partWall / bareWall;
    state.counters["scanned_lines"] = recognizer.rows().scannedLines();
}
BENCHMARK(BM_RunAgainstBareDecode)
    ->Args({0, 0})
    ->Args({3, 0})
    ->Args({0, 1})
    ->ArgNames({"sheet", "444"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Where the time of the partial run goes on the typical sheet, stage by
// stage, in processor ms a page: the file read and entropy-decoded with every line
// skipped (entropy_ms), the decoding of the columns and lines read less that
// (idct_colour_ms: inverse DCT, upsampling and colour conversion), turning the
// reference window and the strip (turn_ms, with the window searches),
// reducing the strip to two colours (reduce_ms) and the row scan (scan_ms).
void BM_Breakdown(benchmark::State& state)
{
    const std::string& path = sheet(0);
    const recognition::RecognitionSettings settings;
    const auto bytes = readAll(path);
    image::Bitmap nothing, page, scratch;
    recognition::WorkingSet set;
    set.copyFrom(settings.typeface);
    recognition::RowScanner scanner;
    recognition::ScanObserver quiet;
    double entropy = 0, decode = 0, turn = 0, reduce = 0, scan = 0;
    for (auto _ : state) {
        const double e = cpuMillisecondsOf([&] {
            const auto file = readAll(path);
            image::decodePageRegion(file.data(), file.size(), path, nothing, [](int, int) { return image::RectI{}; });
        });
        const double d = cpuMillisecondsOf([&] {
            const auto file = readAll(path);
            image::decodePageRegion(file.data(), file.size(), path, page,
                                    [&](int w, int h) { return recognition::pixelsRunReads(w, h, settings); });
        });
        const recognition::LineRange lines = recognition::linesScanRead(page.height(), settings);
        recognition::Alignment a;
        const double t = cpuMillisecondsOf([&] {
            a = recognition::alignDigitStrip(page, scratch, settings, recognition::kStripWidth, lines.top,
                                             lines.bottom);
        });
        const double r = cpuMillisecondsOf([&] {
            recognition::removeBackground(page, settings.mode, settings.level, a.columnStart,
                                          a.columnStart + recognition::kStripWidth - 1LL, lines.top, lines.bottom);
        });
        const double c = cpuMillisecondsOf(
            [&] { scanner.scanDigitRows(page, set, settings.typeface, a.columnStart, settings.topY, quiet); });
        entropy += e, decode += d, turn += t, reduce += r, scan += c;
        state.SetIterationTime((d + t + r + c) / 1000.0);
    }
    const double n = double(state.iterations());
    state.counters["entropy_ms"] = entropy / n;
    state.counters["idct_colour_ms"] = (decode - entropy) / n;
    state.counters["turn_ms"] = turn / n;
    state.counters["reduce_ms"] = reduce / n;
    state.counters["scan_ms"] = scan / n;
    state.counters["lots"] = double(scanner.lots().size());
}
BENCHMARK(BM_Breakdown)->Unit(benchmark::kMillisecond);

// Sheets as a folder holds them: 15 rows, skews from -1.2 to 1.2 degrees, shifted.
const std::vector<std::string>& folderSheets()
{
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> list;
        std::uint64_t seed = 2024;
        for (int i = 0; i < 8; ++i) {
            pagegen::PageOptions o;
            for (int k = 0; k < 15; ++k)
                o.rows.push_back({pagegen::randomLot(seed)});
            o.skewDegrees = (i % 5 - 2) * 0.6;
            o.shiftX = i % 7 - 3;
            o.noise = 8;
            o.specks = 100;
            o.seed = std::uint64_t(i) + 1;
            list.push_back(folder() + "/folder" + std::to_string(i) + ".jpg");
            pagegen::writeJpeg(list.back(), pagegen::drawPage(o));
        }
        return list;
    }();
    return paths;
}

// The folder read with one job and with two, one after the other in every
// iteration, each job with its own Recognizer as rida-recognize --jobs runs
// them. The time shown is the two jobs'; speedup is one job's time over two's.
void BM_Jobs(benchmark::State& state)
{
    const std::vector<std::string>& paths = folderSheets();
    std::vector<recognition::Recognizer> recognizers(2);
    const auto readAllWith = [&](int jobs) {
        std::atomic<std::size_t> next{0};
        const auto work = [&](recognition::Recognizer& recognizer) {
            recognition::RecognitionObserver quiet;
            for (std::size_t i; (i = next++) < paths.size();)
                recognizer.recognizePage(paths[i], {}, quiet);
        };
        std::vector<std::thread> threads;
        for (int k = 1; k < jobs; ++k)
            threads.emplace_back(work, std::ref(recognizers[std::size_t(k)]));
        work(recognizers[0]);
        for (std::thread& t : threads)
            t.join();
    };
    double one = 0, two = 0;
    for (auto _ : state) {
        one += millisecondsOf([&] { readAllWith(1); });
        const double ms = millisecondsOf([&] { readAllWith(2); });
        two += ms;
        state.SetIterationTime(ms / 1000.0);
    }
    const double n = double(state.iterations());
    state.counters["jobs1_ms_page"] = one / n / double(paths.size());
    state.counters["jobs2_ms_page"] = two / n / double(paths.size());
    state.counters["speedup"] = one / two;
}
BENCHMARK(BM_Jobs)->UseManualTime()->Unit(benchmark::kMillisecond);

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
