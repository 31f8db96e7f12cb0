// A run of 100 generated sheets with registration beside the same run
// without it, as the automatic window does them: the run reads on one thread
// and each page it read is filed (복사, renamed) on the thread that holds the
// store, while the run reads on. Also the same filing done in the run's own
// thread, page after page, for comparison. Each round uses a fresh database
// and page folder next to the sheets; the best time of each is printed with
// the ratios.
//   nice build/release/bench/registration_run_bench [ROUNDS]

#include "archive/pagefolder.h"
#include "archive/regionlist.h"
#include "archive/store.h"
#include "components/runfiling.h"
#include "recognition/engine/batch.h"
#include "tools/pagegen/pagegen.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace rida;
constexpr int kSheets = 100;
const QString kVillage = QStringLiteral("9911025021");

std::vector<std::string> sheets()
{
    const fs::path dir = fs::temp_directory_path() / "rida-registration-run-bench";
    fs::create_directories(dir);
    std::vector<std::string> files;
    std::uint64_t seed = 1998;
    for (int i = 0; i < kSheets; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "sheet%03d.jpg", i);
        const fs::path file = dir / name;
        pagegen::PageOptions o;
        for (int k = 0; k < 15; ++k)
            o.rows.push_back({pagegen::randomLot(seed)});
        files.push_back(file.string());
        if (fs::exists(file))
            continue;
        o.skewDegrees = (i % 5 - 2) * 0.6;
        o.noise = 8;
        o.headings = false;
        o.seed = std::uint64_t(i) + 1;
        pagegen::writeJpeg(file.string(), pagegen::drawPage(o));
    }
    return files;
}

std::unique_ptr<archive::Store> freshStore(const QString& folder)
{
    archive::StoreOptions options;
    options.passwordCost = archive::PasswordCost::minimum();
    auto store = archive::Store::open(folder + QStringLiteral("/archive.sqlite"), options);
    store->createFirstAdministrator(QStringLiteral("관리자"), QStringLiteral("pw"));
    const QString list = QStringLiteral("법정동코드\t법정동명\t폐지여부\r\n"
                                        "9900000000\t임의도\t존재\r\n"
                                        "9911000000\t임의도 가상시\t존재\r\n"
                                        "9911025000\t임의도 가상시 임의읍\t존재\r\n"
                                        "9911025021\t임의도 가상시 임의읍 임의리\t존재\r\n");
    QStringEncoder cp949("windows-949");
    store->importRegions(archive::parseRegionList(cp949.encode(list)));
    store->chooseDistricts({QStringLiteral("99110")});
    archive::createPageFolder(folder + QStringLiteral("/pages"));
    return store;
}

archive::FilingRequest pattern()
{
    archive::FilingRequest p;
    p.transfer = archive::Transfer::Copy;
    p.kind = u'G';
    p.surveyYear = 1998;
    p.surveyMonth = 1;
    return p;
}

struct Page {
    std::string name;
    std::vector<std::string> lots;
    QString sha;
};

// Files pages on a thread of its own, which opens and holds the store, as
// the window's thread does while the run reads on.
class Filer {
public:
    explicit Filer(QString folder) : folder_(std::move(folder)), thread_([this] { work(); }) {}
    ~Filer() { finish(); }
    void push(Page page)
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(page));
        ready_.notify_one();
    }
    int finish()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
            ready_.notify_one();
        }
        if (thread_.joinable())
            thread_.join();
        return filed_;
    }

private:
    void work()
    {
        auto store = freshStore(folder_);
        components::RunFiling filing({store.get(), [this] { return folder_ + QStringLiteral("/pages"); }}, pattern());
        for (;;) {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [&] { return done_ || !queue_.empty(); });
            if (queue_.empty())
                break;
            Page page = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            filed_ += filing.file(page.name, page.lots, page.sha, kVillage).filed ? 1 : 0;
        }
    }
    QString folder_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Page> queue_;
    bool done_ = false;
    int filed_ = 0;
    std::thread thread_;
};

class Observer : public recognition::RecognitionObserver {
public:
    std::function<void(const std::string&, const recognition::PageResult&)> onPage;
    void pageRecognised(const std::string& name, const recognition::PageResult& page) override
    {
        if (onPage)
            onPage(name, page);
    }
};

double seconds(const std::function<void()>& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // Qt finds its SQL drivers through it
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::vector<std::string> files = sheets();
    const recognition::RecognitionSettings settings;
    recognition::Recognizer recognizer;
    double bare = 1e9, overlapped = 1e9, inline_ = 1e9;
    int filedOverlapped = 0, filedInline = 0;
    for (int r = 0; r < rounds; ++r) {
        {
            Observer plain;
            bare = std::min(bare, seconds([&] { recognition::runRecognition(files, settings, recognizer, plain); }));
        }
        {
            QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/registration-run-XXXXXX"));
            std::optional<Filer> filer;
            Observer observer;
            observer.onPage = [&](const std::string& name, const recognition::PageResult& page) {
                filer->push({name, page.lots, components::sha256OfFile(name).value_or(QString())});
            };
            overlapped = std::min(overlapped, seconds([&] {
                                      filer.emplace(dir.path());
                                      recognition::runRecognition(files, settings, recognizer, observer);
                                      filedOverlapped = filer->finish();
                                  }));
        }
        {
            QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/registration-run-XXXXXX"));
            auto store = freshStore(dir.path());
            components::RunFiling filing({store.get(), [&] { return dir.path() + QStringLiteral("/pages"); }},
                                         pattern());
            Observer observer;
            observer.onPage = [&](const std::string& name, const recognition::PageResult& page) {
                filedInline +=
                    filing.file(name, page.lots, components::sha256OfFile(name).value_or(QString()), kVillage).filed;
            };
            filedInline = 0;
            inline_ =
                std::min(inline_, seconds([&] { recognition::runRecognition(files, settings, recognizer, observer); }));
        }
    }
    std::printf("run of %d sheets, best of %d rounds\n", kSheets, rounds);
    std::printf("  without registration                    %8.3f s\n", bare);
    std::printf("  registering alongside (as the window)   %8.3f s  %.3fx  (%d filed)\n", overlapped, overlapped / bare,
                filedOverlapped);
    std::printf("  registering in the run's thread         %8.3f s  %.3fx  (%d filed)\n", inline_, inline_ / bare,
                filedInline);
    return 0;
}
