// Repaint frame times of a 2480 x 3508 page in a 1280 x 900 view and in the
// views of large screens (2560 x 1440, 3840 x 2160), at every listed scale,
// with and without smoothing, with and without one magnifier. Each frame is a
// real repaint of the viewport (render + blit), the page scrolled a little
// between frames. Prints the median and the 90th percentile.
//   QT_QPA_PLATFORM=offscreen build/release/bench/viewer_bench [frames per case, default 40] [views, default
//   1280x900,2560x1440,3840x2160] [device pixel ratio, default 1]
// A 4K screen at 200 %: ... 40 1920x1080 2 (the view's size in the screen's
// logical pixels; the ratio is set for the whole program, so it runs alone).

#include "viewer/imageviewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

using namespace rida;

namespace {

image::Bitmap scannedPage()
{
    image::Bitmap page(2480, 3508);
    std::uint32_t seed = 3;
    for (int y = 0; y < page.height(); ++y) {
        std::uint32_t* row = page.row(y);
        for (int x = 0; x < page.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const bool ink = ((x / 7 + y / 29) % 5 == 0) && (y % 29 < 18);
            const int v = (ink ? 30 : 240) + int(seed >> 29);
            row[x] = image::argb(255, v, v, std::min(255, v + 5));
        }
    }
    return page;
}

// CPU time of this thread: what a frame costs, whatever else the machine runs.
double threadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * (v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(5, std::atoi(argv[1])) : 40;
    std::vector<QSize> views;
    for (const QString& v : QString(argc > 2 ? argv[2] : "1280x900,2560x1440,3840x2160").split(',')) {
        const QStringList wh = v.split('x');
        if (wh.size() == 2)
            views.push_back({wh[0].toInt(), wh[1].toInt()});
    }
    const QByteArray ratio = argc > 3 ? QByteArray(argv[3]) : QByteArray("1");
    if (ratio != "1")
        qputenv("QT_SCALE_FACTOR", ratio);
    QApplication app(argc, argv);

    QWidget window;
    auto* viewer = new viewer::ImageViewer(viewer::ViewerConfig::lookup(), {}, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(viewer);
    window.resize(1400, 1000);
    window.show();
    app.processEvents();
    viewer->imageView->setPage(scannedPage());
    viewer->resetPanMode();

    const QStringList scales = {"5%",  "10%",  "15%",  "20%",  "25%",  "50%",  "60%",   "75%",
                                "80%", "100%", "200%", "300%", "400%", "800%", "1600%", "2000%"};
    QSize view = views.empty() ? QSize(1280, 900) : views.front();
    auto fitViewport = [&] {
        // Grow or shrink the window until the visible area is the view's size.
        for (int i = 0; i < 3; ++i) {
            const QSize vp = viewer->imageView->viewport()->size();
            window.resize(window.size() + QSize(view.width() - vp.width(), view.height() - vp.height()));
            app.processEvents();
        }
    };

    // Repaints while scrolling a little each time: wall and thread-cpu milliseconds per frame.
    const auto measureFrames = [&] {
        std::pair<std::vector<double>, std::vector<double>> measured;
        for (int f = 0; f < frames + 3; ++f) {
            viewer->imageView->scrollByPixels((f % 2) ? 7 : -5, 3);
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = threadMs();
            viewer->imageView->repaintNow();
            const double c1 = threadMs();
            const auto t1 = std::chrono::steady_clock::now();
            if (f >= 3) { // the first frames warm the caches
                measured.first.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
                measured.second.push_back(c1 - c0);
            }
        }
        return measured;
    };

    for (const QSize& v : views) {
        view = v;
        std::printf("\nview %d x %d at device pixel ratio %s; page 2480 x 3508; %d frames per case; milliseconds\n",
                    view.width(), view.height(), ratio.constData(), frames);
        std::printf("%-7s %-10s %-9s %8s %8s %10s\n", "scale", "smoothing", "magnifier", "median", "p90", "cpu median");
        double worst = 0, worstCpu = 0;
        for (const QString& s : scales) {
            viewer->scaleBox->lineEdit()->setText(s);
            fitViewport();
            for (const bool smooth : {false, true}) {
                viewer->imageView->setResampler(smooth ? image::Resampler::Linear : image::Resampler::Nearest);
                for (const bool magnifier : {false, true}) {
                    viewer->imageView->clearLayers();
                    viewer->rubberBand = nullptr;
                    viewer->selection = nullptr;
                    if (magnifier) {
                        viewer->toggleMagnifier();
                        viewer->setSelection(nullptr);
                        viewer->magnifierSmoothingBox->setChecked(smooth);
                        viewer->resetPanMode();
                    }
                    viewer->imageView->horizontalScrollBar()->setValue(
                        viewer->imageView->horizontalScrollBar()->maximum() / 3);
                    viewer->imageView->verticalScrollBar()->setValue(viewer->imageView->verticalScrollBar()->maximum() /
                                                                     3);
                    const auto [times, cpu] = measureFrames();
                    const double med = percentile(times, 0.5);
                    const double cpuMed = percentile(cpu, 0.5);
                    worst = std::max(worst, med);
                    worstCpu = std::max(worstCpu, cpuMed);
                    const QSize vp = viewer->imageView->viewport()->size();
                    std::printf("%-7s %-10s %-9s %8.2f %8.2f %10.2f   (%dx%d)\n", qPrintable(s), smooth ? "on" : "off",
                                magnifier ? "one" : "none", med, percentile(times, 0.9), cpuMed, vp.width(),
                                vp.height());
                }
            }
        }
        std::printf("worst median, view %d x %d: %.2f ms wall, %.2f ms cpu\n", view.width(), view.height(), worst,
                    worstCpu);
    }
    view = views.empty() ? QSize(1280, 900) : views.front();

    // One magnifier placed at 20 % (320 view pixels there), then zoomed in: it
    // keeps its page size and soon covers the whole view and far beyond.
    std::printf("\nmagnifier placed at 20%%, then zoomed; smoothing off; milliseconds\n");
    std::printf("%-7s %12s %8s %8s %10s\n", "scale", "magnifier", "median", "p90", "cpu median");
    viewer->imageView->setResampler(image::Resampler::Nearest);
    viewer->imageView->clearLayers();
    viewer->rubberBand = nullptr;
    viewer->selection = nullptr;
    viewer->scaleBox->lineEdit()->setText(QStringLiteral("20%"));
    fitViewport();
    viewer->toggleMagnifier();
    viewer->setSelection(nullptr);
    viewer->magnifierSmoothingBox->setChecked(false);
    viewer->resetPanMode();
    const image::RectF placed = viewer->imageView->layers().front()->location;
    double worstZoomed = 0;
    for (const QString& s : {QStringLiteral("20%"), QStringLiteral("100%"), QStringLiteral("400%"),
                             QStringLiteral("800%"), QStringLiteral("2000%")}) {
        viewer->scaleBox->lineEdit()->setText(s);
        fitViewport();
        const double scale = viewer->imageView->scale();
        // The view's centre on the magnifier's centre.
        const QSize vp = viewer->imageView->viewport()->size();
        viewer->imageView->horizontalScrollBar()->setValue(
            int((placed.left + placed.right) / 2 * scale - vp.width() / 2.0));
        viewer->imageView->verticalScrollBar()->setValue(
            int((placed.top + placed.bottom) / 2 * scale - vp.height() / 2.0));
        const auto [times, cpu] = measureFrames();
        const double med = percentile(times, 0.5);
        worstZoomed = std::max(worstZoomed, med);
        std::printf("%-7s %9.0f px %8.2f %8.2f %10.2f\n", qPrintable(s), placed.width() * scale, med,
                    percentile(times, 0.9), percentile(cpu, 0.5));
    }
    std::printf("worst median, zoomed magnifier: %.2f ms wall\n", worstZoomed);
    return 0;
}
