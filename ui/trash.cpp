#include "ui/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace fs = std::filesystem;

namespace rida::ui {

std::string trashInfoPath(const std::string& absolutePath)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : absolutePath) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

namespace {

dev_t deviceOf(const fs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? st.st_dev : dev_t(-1);
}

fs::path homeTrash()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return fs::path(data) / "Trash";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".local/share/Trash";
    return {};
}

// The highest folder above `file` on the same device: the top of its mount.
fs::path mountTop(const fs::path& file)
{
    const dev_t dev = deviceOf(file);
    fs::path top = file.parent_path();
    while (top.has_parent_path() && top.parent_path() != top && deviceOf(top.parent_path()) == dev)
        top = top.parent_path();
    return top;
}

bool makeFolder(const fs::path& p)
{
    if (::mkdir(p.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat st {};
        // A link or a file in the trash's place is not a trash.
        return ::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

std::string deletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Moves `file` into `trash` (created when missing); false when it cannot.
bool moveInto(const fs::path& trash, const fs::path& file, const fs::path& absolute)
{
    if (trash.empty() || !makeFolder(trash) || !makeFolder(trash / "files") || !makeFolder(trash / "info"))
        return false;
    // The record is named after the file plus ".trashinfo" and perhaps ".9999":
    // a long name is cut to leave room (the record keeps the full path).
    constexpr std::size_t kNameMax = 255, kRoom = sizeof(".trashinfo") - 1 + 5;
    std::string base = file.filename().native();
    if (base.size() > kNameMax - kRoom) {
        // Cut where no UTF-8 character is split.
        std::size_t cut = kNameMax - kRoom;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.resize(cut);
    }
    for (int n = 1; n < 10000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        const fs::path info = trash / "info" / (name + ".trashinfo");
        // Creating the record exclusively claims the name.
        const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const std::string record =
            "[Trash Info]\nPath=" + trashInfoPath(absolute.native()) + "\nDeletionDate=" + deletionDate() + "\n";
        const bool written = ::write(fd, record.data(), record.size()) == ssize_t(record.size());
        ::close(fd);
        const fs::path target = trash / "files" / name;
        struct stat st {};
        const bool taken = ::lstat(target.c_str(), &st) == 0; // a leftover file without its record
        if (written && !taken && ::rename(file.c_str(), target.c_str()) == 0)
            return true;
        ::unlink(info.c_str());
        if (written && taken)
            continue;
        return false; // not written, or the file cannot be moved there (another device, no permission)
    }
    return false;
}

} // namespace

bool moveToTrash(const fs::path& file, std::string* error)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec).lexically_normal();
    struct stat st {};
    if (ec || ::lstat(absolute.c_str(), &st) != 0) {
        if (error)
            *error = std::strerror(errno ? errno : ENOENT);
        return false;
    }
    const fs::path home = homeTrash();
    if (!home.empty()) {
        fs::path existing = home;
        while (!existing.empty() && ::access(existing.c_str(), F_OK) != 0)
            existing = existing.parent_path();
        if (deviceOf(existing) == st.st_dev) {
            std::error_code made;
            fs::create_directories(home.parent_path(), made); // ~/.local/share may not be there yet
            if (!made && moveInto(home, absolute, absolute))
                return true;
        }
    }
    const fs::path top = mountTop(absolute);
    if (moveInto(top / (".Trash-" + std::to_string(::getuid())), absolute, absolute))
        return true;
    if (error)
        *error = "no trash on this file system takes the file";
    return false;
}

} // namespace rida::ui
