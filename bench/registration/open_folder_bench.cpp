// Opening a folder of 5,000 page images in the registration window's file browser.
//
//   QT_QPA_PLATFORM=offscreen build/dev/bench/registration_bench
//
// The images are small real JPEGs; the file list never decodes them, so their
// size does not matter to the figures.

#include "components/filebrowser.h"
#include "components/folderlisting.h"
#include "registration/registrationwindow.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;
using namespace rida::registration;
using namespace rida::components;

namespace {

constexpr int kFiles = 5000;

std::string smallJpeg()
{
    std::vector<unsigned char> pixels(64 * 48 * 3, 200);
    tjhandle h = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(h, pixels.data(), 64, 64 * 3, 48, TJPF_RGB, &jpeg, &size, TJSAMP_444, 90, 0);
    std::string bytes(reinterpret_cast<const char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(h);
    return bytes;
}

// An application folder whose "Files" holds kFiles images (and a few files the mask leaves out).
struct Fixture {
    Fixture()
    {
        files = fs::path(dir.path().toStdString()) / "Files";
        fs::create_directory(files);
        const std::string jpeg = smallJpeg();
        for (int i = 0; i < kFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Img%05d.jpg", (i * 7919) % kFiles); // not in name order on disk
            std::ofstream(files / name, std::ios::binary) << jpeg;
        }
        for (int i = 0; i < 50; ++i)
            std::ofstream(files / ("note" + std::to_string(i) + ".txt")) << "x";
    }
    QString appDir() const { return dir.path() + u'/'; }
    QTemporaryDir dir;
    fs::path files;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_ListFiles(benchmark::State& state)
{
    for (auto _ : state) {
        auto entries = listFiles(fixture().files, QStringLiteral("*.jpg"));
        if (entries.size() != kFiles)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(entries);
    }
}
BENCHMARK(BM_ListFiles)->Unit(benchmark::kMillisecond);

void BM_BrowserOpenFolder(benchmark::State& state)
{
    FileBrowser browser(QStringLiteral("*.jpg"));
    browser.resize(333, 343);
    browser.show();
    for (auto _ : state) {
        browser.openFolder(fixture().files);
        QApplication::processEvents(); // the first paint of the lists
        if (browser.fileList->count() != kFiles)
            state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_BrowserOpenFolder)->Unit(benchmark::kMillisecond);

// What the user waits for: the window opened and painted on the folder.
void BM_WindowOpen(benchmark::State& state)
{
    for (auto _ : state) {
        auto* w = new RegistrationWindow(fixture().appDir());
        w->resize(1280, 800);
        w->show();
        QApplication::processEvents();
        if (w->browser->fileList->count() != kFiles)
            state.SkipWithError("wrong count");
        state.PauseTiming();
        delete w;
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowOpen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    fixture();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
