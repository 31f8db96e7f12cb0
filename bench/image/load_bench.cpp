// Loading a 2480 x 3508 colour page (A4 at 300 dpi) against a bare TurboJPEG
// decode of the same bytes into a buffer of the same kind (BGRA), each with
// fresh and with reused pixel memory.
//   build/dev/bench/image_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "image/codec.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kW = 2480, kH = 3508;

// A page-like picture: a light paper tone with darker strokes and some colour,
// compressed as scanners do (4:2:0, quality 85).
const std::vector<unsigned char>& pageJpeg()
{
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> rgb(std::size_t(kW) * kH * 3);
        std::uint32_t seed = 7;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const bool stroke = ((x / 9 + y / 31) % 7 == 0) && (y % 31 < 20);
                const int base = stroke ? 40 : 235;
                const int noise = int(seed >> 28) - 8;
                unsigned char* p = &rgb[(std::size_t(y) * kW + x) * 3];
                p[0] = (unsigned char)std::clamp(base + noise + (x * 20 / kW), 0, 255);
                p[1] = (unsigned char)std::clamp(base + noise, 0, 255);
                p[2] = (unsigned char)std::clamp(base + noise - (y * 30 / kH), 0, 255);
            }
        tjhandle tj = tjInitCompress();
        unsigned char* out = nullptr;
        unsigned long size = 0;
        tjCompress2(tj, rgb.data(), kW, kW * 3, kH, TJPF_RGB, &out, &size, TJSAMP_420, 85, 0);
        std::vector<unsigned char> b(out, out + size);
        tjFree(out);
        tjDestroy(tj);
        return b;
    }();
    return bytes;
}

const std::string& pagePath()
{
    static const std::string path = [] {
        const auto p = (std::filesystem::temp_directory_path() / "rida_bench_page.jpg").string();
        std::FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(pageJpeg().data(), 1, pageJpeg().size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void bareDecode(tjhandle tj, unsigned char* dst)
{
    const auto& b = pageJpeg();
    if (tjDecompress2(tj, b.data(), (unsigned long)b.size(), dst, kW, kW * 4, kH, TJPF_BGRA, 0) != 0)
        std::abort();
}

void BM_BareDecodeReused(benchmark::State& state)
{
    tjhandle tj = tjInitDecompress();
    std::unique_ptr<std::uint32_t[]> buf(new std::uint32_t[std::size_t(kW) * kH]);
    for (auto _ : state) {
        bareDecode(tj, reinterpret_cast<unsigned char*>(buf.get()));
        benchmark::DoNotOptimize(buf.get());
    }
    tjDestroy(tj);
    state.counters["file_KB"] = double(pageJpeg().size()) / 1024;
}

void BM_BareDecodeFresh(benchmark::State& state)
{
    tjhandle tj = tjInitDecompress();
    for (auto _ : state) {
        std::unique_ptr<std::uint32_t[]> buf(new std::uint32_t[std::size_t(kW) * kH]);
        bareDecode(tj, reinterpret_cast<unsigned char*>(buf.get()));
        benchmark::DoNotOptimize(buf.get());
    }
    tjDestroy(tj);
}

void BM_LoadPageReused(benchmark::State& state)
{
    rida::image::Bitmap page;
    rida::image::loadPage(pagePath(), page);
    for (auto _ : state) {
        rida::image::loadPage(pagePath(), page);
        benchmark::DoNotOptimize(page.data());
    }
}

void BM_LoadPageFresh(benchmark::State& state)
{
    pagePath();
    for (auto _ : state) {
        rida::image::Bitmap page;
        rida::image::loadPage(pagePath(), page);
        benchmark::DoNotOptimize(page.data());
    }
}

} // namespace

BENCHMARK(BM_BareDecodeReused)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPageReused)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareDecodeFresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPageFresh)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
