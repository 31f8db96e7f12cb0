// Throughput of rida-recognize with one job and with two on a folder of 40
// generated sheets, run as a user runs it. The sheets are written once into a
// folder under the temporary directory and reused by later runs. Each job
// count is timed the given number of times, alternating, and the best time of
// each is printed with the ratio.
//   nice build/dev/bench/recognition_jobs [ROUNDS]

#include "tools/pagegen/pagegen.h"

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
constexpr int kSheets = 40;

std::string sheetFolder()
{
    const fs::path dir = fs::temp_directory_path() / "rida-jobs-bench";
    fs::create_directories(dir);
    std::uint64_t seed = 2024;
    for (int i = 0; i < kSheets; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "sheet%02d.jpg", i);
        const fs::path file = dir / name;
        rida::pagegen::PageOptions o;
        for (int k = 0; k < 15; ++k)
            o.rows.push_back({rida::pagegen::randomLot(seed)}); // drawn always, so each sheet keeps its lots
        if (fs::exists(file))
            continue;
        o.skewDegrees = (i % 5 - 2) * 0.6;
        o.shiftX = i % 7 - 3;
        o.noise = 8;
        o.specks = 100;
        o.seed = std::uint64_t(i) + 1;
        rida::pagegen::writeJpeg(file.string(), rida::pagegen::drawPage(o));
    }
    return dir.string();
}

double runSeconds(const std::string& folder, int jobs)
{
    const std::string command = std::string(RIDA_BIN_DIR) + "/rida-recognize --json --jobs " + std::to_string(jobs) +
                                " '" + folder + "' >/dev/null";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "rida-recognize failed (status %d)\n", status);
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string folder = sheetFolder();
    double best[3] = {0, 1e300, 1e300};
    for (int r = 0; r < rounds; ++r)
        for (int jobs : {1, 2})
            best[jobs] = std::min(best[jobs], runSeconds(folder, jobs));
    std::printf("%d sheets in %s, best of %d runs each\n", kSheets, folder.c_str(), rounds);
    for (int jobs : {1, 2})
        std::printf("--jobs %d: %.3f s (%.2f pages/s)\n", jobs, best[jobs], kSheets / best[jobs]);
    std::printf("throughput ratio --jobs 2 / --jobs 1: %.2f\n", best[1] / best[2]);
}
