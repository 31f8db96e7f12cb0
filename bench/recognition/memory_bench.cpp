// Peak memory of a run over 40 and over 400 pages: buffers are reused from page
// to page, so the peak must not grow with the folder. Reads the sample pages
// in bin/Files over and over (or the files given).
//   build/dev/bench/recognition_memory [FILE...]

#include "recognition/engine/batch.h"

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {
long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
} // namespace

int main(int argc, char** argv)
{
    using namespace rida;
    std::vector<std::string> files(argv + 1, argv + argc);
    if (files.empty())
        for (const auto& e : std::filesystem::directory_iterator(std::string(RIDA_BIN_DIR) + "/Files"))
            if (e.path().extension() == ".jpg")
                files.push_back(e.path().string());
    if (files.empty()) {
        std::fprintf(stderr, "no pages to read\n");
        return 1;
    }
    recognition::Recognizer recognizer;
    recognition::RecognitionObserver quiet;
    recognition::RecognitionSettings settings;
    settings.stopAfter = 0;
    auto run = [&](int pages) {
        std::vector<std::string> list;
        for (int i = 0; i < pages; ++i)
            list.push_back(files[std::size_t(i) % files.size()]);
        recognition::recognizeFiles(list, settings, recognizer, quiet);
    };
    std::printf("peak before the run: %ld KiB\n", peakKiB());
    run(40);
    std::printf("peak after 40 pages:  %ld KiB (page buffers %zu KiB)\n", peakKiB(), recognizer.bufferBytes() / 1024);
    run(360);
    std::printf("peak after 400 pages: %ld KiB (page buffers %zu KiB)\n", peakKiB(), recognizer.bufferBytes() / 1024);
}
