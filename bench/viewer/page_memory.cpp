// What one page costs in memory in the lookup window's viewer: its pixels once
// (4 bytes each, about 35 MB for 2480 x 3508), plus one working copy while a
// command that needs one runs. Prints the resident size after each step and
// the peak since the previous step, as differences from the empty viewer.
//   QT_QPA_PLATFORM=offscreen build/dev/bench/viewer_page_memory [PAGE.jpg]

#include "tools/pagegen/pagegen.h"
#include "viewer/imageviewer.h"

#include <QApplication>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace rida;

namespace {

double residentMiB()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The peak resident size since the last resetPeak() (VmHWM).
double peakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    double kib = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> kib;
            break;
        }
        status.ignore(1 << 16, '\n');
    }
    return kib / 1024.0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::string path = argc > 1 ? argv[1] : std::string();
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() / "rida-page-memory.jpg").string();
        pagegen::PageOptions o;
        o.headings = false;
        o.noise = 8;
        pagegen::writeJpeg(path, pagegen::drawPage(o));
    }
    viewer::ImageViewer viewer(viewer::ViewerConfig::lookup(), {});
    viewer.resize(1280, 900);
    viewer.show();
    QCoreApplication::processEvents();
    // Generating the page above used memory of its own; the peak counts from here.
    resetPeak();
    const double base = residentMiB(), basePeak = peakMiB();
    const auto report = [&](const char* step) {
        QCoreApplication::processEvents();
        std::printf("%-28s resident %+7.1f MiB   peak during the step %+7.1f MiB\n", step, residentMiB() - base,
                    peakMiB() - basePeak);
        resetPeak();
    };
    viewer.loadPage(QString::fromStdString(path));
    std::printf("page %d x %d: its pixels are %.1f MiB\n", viewer.page().width(), viewer.page().height(),
                double(viewer.page().pixelCount()) * 4 / (1024.0 * 1024.0));
    report("loaded");
    viewer.loadPage(QString::fromStdString(path));
    report("loaded again");
    viewer.rotate90();
    report("turned by 90");
    viewer.brightnessUp();
    report("brighter");
    viewer.toggleMagnifier();
    viewer.applySelection();
    report("magnifier burnt in");
    return 0;
}
