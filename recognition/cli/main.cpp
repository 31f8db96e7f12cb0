// rida-recognize: reads the lot numbers of scanned record sheets in bulk, with
// the engine of the automatic registration window.
//
//   rida-recognize [--font gothic|myeongjo] [--mode 0..5] [--level N] [--rows N]
//                  [--top-y N] [--left-x N] [--table-x N] [--zone-x N] [--jobs N]
//                  [--json] PATH...
//
// With --json each file gives one line holding one JSON object, in UTF-8 even
// for a file name in the Korean code page. Without it, the lines the window
// shows, names byte for byte.
//
// Exit status: 0 done, 1 some file could not be read or the output could not
// be written, 2 a bad option.

#include "model/nametext.h"
#include "recognition/engine/batch.h"
#include "recognition/engine/settings.h"

#include <QStringDecoder>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using namespace rida::recognition;
namespace fs = std::filesystem;

struct Options {
    RecognitionSettings settings;
    int jobs = 0;
    bool json = false;
    bool help = false;
    std::vector<std::string> paths;
};

struct BadOption {
    std::string message;
};

constexpr const char* kUsage = "usage: rida-recognize [--font gothic|myeongjo] [--mode 0..5] [--level N] [--rows N]\n"
                               "                      [--top-y N] [--left-x N] [--table-x N] [--zone-x N] [--jobs N]\n"
                               "                      [--json] PATH...\n";

Options parseOptions(int argc, char** argv)
{
    Options o;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            o.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--json") {
            o.json = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return o;
        }
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        auto take = [&]() -> std::string {
            if (value)
                return *value;
            if (i + 1 >= argc)
                throw BadOption{arg + " needs a value"};
            return argv[++i];
        };
        auto number = [&]() {
            const std::string text = take();
            try {
                return parseWholeNumber(text);
            } catch (const SettingError&) {
                const bool digits = text.find_first_not_of("+-0123456789") == std::string::npos &&
                                    text.find_first_of("0123456789") != std::string::npos;
                throw BadOption{arg + ": '" + text +
                                (digits ? "' is out of range (-2147483648 to 2147483647)" : "' is not a whole number")};
            }
        };
        if (arg == "--font") {
            const std::string f = take();
            if (f == "gothic")
                o.settings.typeface = Typeface::Gothic;
            else if (f == "myeongjo")
                o.settings.typeface = Typeface::Myeongjo;
            else
                throw BadOption{"--font: '" + f + "' is neither gothic nor myeongjo"};
        } else if (arg == "--mode") {
            const int mode = number();
            if (mode < 0 || mode >= rida::recognition::kRemovalModes)
                throw BadOption{"--mode: must be 0 to 5"};
            o.settings.mode = rida::recognition::removalMode(mode);
        } else if (arg == "--level")
            o.settings.level = number();
        else if (arg == "--rows")
            o.settings.minRows = number();
        else if (arg == "--top-y")
            o.settings.topY = number();
        else if (arg == "--left-x")
            o.settings.leftX = number();
        else if (arg == "--table-x")
            o.settings.tableX = number();
        else if (arg == "--zone-x")
            o.settings.zoneX = number();
        else if (arg == "--jobs") {
            o.jobs = number();
            if (o.jobs < 1)
                throw BadOption{"--jobs: must be 1 or more"};
        } else
            throw BadOption{"unknown option " + arg};
    }
    if (o.paths.empty())
        throw BadOption{"no PATH given"};
    return o;
}

bool isPageName(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    auto ends = [&](const char* tail) {
        const std::string t = tail;
        return lower.size() > t.size() && lower.compare(lower.size() - t.size(), t.size(), t) == 0;
    };
    return ends(".bmp") || ends(".jpg") || ends(".jpeg");
}

struct Entry {
    std::string name;  // as shown: the folder as given, "/", the file name
    std::string error; // set when the PATH itself could not be listed
};

std::vector<Entry> listEntries(const std::vector<std::string>& paths)
{
    std::vector<Entry> entries;
    for (const std::string& path : paths) {
        std::error_code ec;
        const fs::file_status st = fs::status(path, ec);
        if (!fs::exists(st)) {
            // Missing, or a link that leads nowhere (to itself, say).
            const bool missing = !ec || ec == std::errc::no_such_file_or_directory;
            entries.push_back({path, missing ? "폴더나 파일이 없습니다: " + path
                                             : "폴더나 파일을 열 수 없습니다: " + path + " (" + ec.message() + ")"});
            continue;
        }
        if (!fs::is_directory(st)) {
            // A file PATH; the page reader itself refuses what is no plain file.
            entries.push_back({path, ""});
            continue;
        }
        // std::filesystem lists names that are not valid in the locale, so no
        // page of the folder is hidden.
        std::vector<std::string> names;
        fs::directory_iterator it(path, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            std::error_code fileEc;
            if (it->is_regular_file(fileEc) && isPageName(it->path().filename().string()))
                names.push_back(it->path().filename().string());
        }
        if (ec) {
            entries.push_back({path, "폴더를 읽을 수 없습니다: " + path + " (" + ec.message() + ")"});
            continue;
        }
        // Listed in the order of the window's file list.
        std::vector<std::pair<QString, std::string>> shown;
        shown.reserve(names.size());
        for (std::string& n : names)
            shown.emplace_back(rida::model::nameText(n), std::move(n));
        std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
            return rida::model::listedBefore(a.first, a.second, b.first, b.second);
        });
        names.clear();
        for (auto& s : shown)
            names.push_back(std::move(s.second));
        if (names.empty())
            std::fprintf(stderr, "rida-recognize: 읽을 이미지 파일(*.bmp, *.jpg, *.jpeg)이 없습니다: %s\n",
                         path.c_str());
        const std::string folder = !path.empty() && path.back() == '/' ? path : path + "/";
        for (const std::string& n : names)
            entries.push_back({folder + n, ""});
    }
    return entries;
}

struct Outcome {
    bool ready = false;
    bool error = false;
    std::string message;
    PageResult page;
};

// JSON text is UTF-8. A name whose bytes are not (a CP949 name copied from
// another system) is given as the text the window shows for it, the folder and
// the file name decoded apart as the window does; UTF-8 stays byte for byte.
std::string utf8Text(const std::string& s)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(s.data(), qsizetype(s.size()))); // decodes on conversion
    if (!utf8.hasError())
        return s;
    const std::size_t cut = s.rfind('/');
    if (cut == std::string::npos)
        return rida::model::nameText(s).toStdString();
    const std::string_view all(s);
    return (rida::model::nameText(all.substr(0, cut + 1)) + rida::model::nameText(all.substr(cut + 1))).toStdString();
}

std::string jsonString(const std::string& text)
{
    const std::string s = utf8Text(text);
    std::string out = "\"";
    for (const unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(char(c));
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else
            out.push_back(char(c));
    }
    return out + "\"";
}

void print(const Entry& entry, const Outcome& r, bool json)
{
    if (json) {
        std::string line = "{\"file\":" + jsonString(entry.name) + ",\"status\":";
        if (r.error) {
            // The message names the file as the command does; give it the name's shown text.
            std::string message = r.message;
            if (const std::size_t at = message.find(entry.name); at != std::string::npos)
                message.replace(at, entry.name.size(), utf8Text(entry.name));
            line += "\"error\",\"error\":" + jsonString(message) + "}";
        } else {
            line += r.page.status == PageStatus::Ok            ? "\"ok\""
                    : r.page.status == PageStatus::NoReference ? "\"no-reference\""
                                                               : "\"too-few-rows\"";
            line += ",\"lots\":[";
            for (std::size_t k = 0; k < r.page.lots.size(); ++k)
                line += (k ? "," : "") + jsonString(r.page.lots[k]);
            line += "]}";
        }
        std::printf("%s\n", line.c_str());
        return;
    }
    if (r.error) {
        std::fflush(stdout);
        std::fprintf(stderr, "rida-recognize: %s\n", r.message.c_str());
        return;
    }
    if (r.page.status == PageStatus::NoReference) {
        std::printf("%s%s\n", entry.name.c_str(), kNoReferenceSuffix);
        return;
    }
    std::printf("분석파일 : %s\n", entry.name.c_str());
    for (const std::string& lot : r.page.lots)
        std::printf("%s\n", lot.c_str());
    if (r.page.status == PageStatus::TooFewRows)
        std::printf("%s%s\n", entry.name.c_str(), kTooFewRowsSuffix);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const BadOption& bad) {
        std::fprintf(stderr, "rida-recognize: %s\n%s", bad.message.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        std::fputs("\nReads the lot numbers printed on scanned forms. A folder PATH means its\n"
                   "*.bmp, *.jpg and *.jpeg files in name order. --jobs reads that many files\n"
                   "at once, at most one per core (default: one per core). Exit status: 0 done,\n"
                   "1 a file could not be read or the output could not be written, 2 a bad option.\n",
                   stdout);
        return 0;
    }

    const std::vector<Entry> entries = listEntries(options.paths);
    std::vector<Outcome> outcomes(entries.size());
    std::mutex mutex;
    std::condition_variable done;
    std::atomic<std::size_t> next{0};

    auto work = [&] {
        Recognizer recognizer;
        recognizer.copyTemplates(options.settings.typeface);
        RecognitionObserver quiet;
        for (std::size_t i; (i = next.fetch_add(1)) < entries.size();) {
            Outcome r;
            if (!entries[i].error.empty()) {
                r.error = true;
                r.message = entries[i].error;
            } else {
                try {
                    r.page = recognizer.recognizePage(entries[i].name, options.settings, quiet);
                } catch (const std::bad_alloc&) {
                    r.error = true;
                    r.message = "메모리가 부족하여 페이지를 읽을 수 없습니다: " + entries[i].name;
                } catch (const std::exception& e) {
                    r.error = true;
                    r.message = e.what();
                }
            }
            r.ready = true;
            {
                std::lock_guard lock(mutex);
                outcomes[i] = std::move(r);
            }
            done.notify_all();
        }
    };

    // More jobs than cores read no faster, and each job holds up to two pages.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    unsigned jobs = options.jobs > 0 ? std::min(unsigned(options.jobs), cores) : cores;
    jobs = unsigned(std::min<std::size_t>(jobs, std::max<std::size_t>(1, entries.size())));
    std::vector<std::thread> workers;
    for (unsigned k = 0; k < jobs; ++k) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // the system gives no more threads: those started do the work
        }
    }
    if (workers.empty())
        work(); // not even one: the files are read here, one after the other

    bool anyError = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Outcome r;
        {
            std::unique_lock lock(mutex);
            done.wait(lock, [&] { return outcomes[i].ready; });
            r = std::move(outcomes[i]);
        }
        anyError |= r.error;
        print(entries[i], r, options.json);
        std::fflush(stdout);
    }
    for (std::thread& t : workers)
        t.join();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "rida-recognize: 결과를 쓸 수 없습니다 (%s)\n", std::strerror(errno));
        return 1;
    }
    return anyError ? 1 : 0;
}
