#include "components/folderlisting.h"

#include "model/error.h"
#include "model/nametext.h"

#include <QStringList>

#include <algorithm>

namespace rida::components {

namespace fs = std::filesystem;

namespace {

QString decodeName(const std::string& bytes)
{
    return model::nameText(bytes);
}

bool byShownName(const FolderEntry& a, const FolderEntry& b)
{
    return model::listedBefore(a.name, a.path.native(), b.name, b.path.native());
}

[[noreturn]] void unreadable(const fs::path& folder)
{
    throw model::Error(QStringLiteral("폴더를 읽을 수 없습니다: %1").arg(displayText(folder)));
}

// Matches one mask against a name, both already folded to one case.
bool matchOne(const QChar* m, const QChar* mEnd, const QChar* n, const QChar* nEnd)
{
    const QChar* star = nullptr;
    const QChar* resume = nullptr;
    while (n != nEnd) {
        if (m != mEnd && (*m == u'?' || *m == *n)) {
            ++m;
            ++n;
        } else if (m != mEnd && *m == u'*') {
            star = m++;
            resume = n;
        } else if (star) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m != mEnd && *m == u'*')
        ++m;
    return m == mEnd;
}

template <typename Keep> std::vector<FolderEntry> list(const fs::path& folder, Keep keep)
{
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::none, ec);
    if (ec)
        unreadable(folder);
    std::vector<FolderEntry> entries;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            unreadable(folder);
        const fs::directory_entry& e = *it;
        QString name = decodeName(e.path().filename().native());
        if (keep(e, name))
            entries.push_back({e.path(), std::move(name)});
    }
    if (ec)
        unreadable(folder);
    std::sort(entries.begin(), entries.end(), byShownName);
    return entries;
}

} // namespace

QString displayText(const fs::path& p)
{
    return decodeName(p.native());
}

QString displayFolder(const fs::path& folder)
{
    QString text = displayText(folder);
    if (!text.endsWith(u'/'))
        text += u'/';
    return text;
}

namespace {
QStringList foldedMasks(const QString& masks)
{
    QStringList folded;
    for (const QString& mask : masks.split(u';', Qt::SkipEmptyParts))
        folded << mask.trimmed().toCaseFolded();
    return folded;
}

bool matchesFolded(const QString& name, const QStringList& folded)
{
    const QString n = name.toCaseFolded();
    for (const QString& m : folded)
        if (matchOne(m.constData(), m.constData() + m.size(), n.constData(), n.constData() + n.size()))
            return true;
    return false;
}
} // namespace

bool matchesMask(const QString& name, const QString& masks)
{
    return matchesFolded(name, foldedMasks(masks));
}

std::vector<FolderEntry> listFiles(const fs::path& folder, const QString& masks)
{
    const QStringList folded = foldedMasks(masks);
    return list(folder, [&](const fs::directory_entry& e, const QString& name) {
        std::error_code ec;
        // The name first: the type comes with the listing, but links need a look at their target.
        // Hidden files (a leading ".", such as the "._" companions other systems leave) are not pages.
        return !name.startsWith(u'.') && matchesFolded(name, folded) && e.is_regular_file(ec);
    });
}

std::vector<FolderEntry> listFolders(const fs::path& folder)
{
    return list(folder, [](const fs::directory_entry& e, const QString& name) {
        std::error_code ec;
        return !name.startsWith(u'.') && e.is_directory(ec);
    });
}

namespace {
// "\040" and the like stand for a blank, a tab, a newline or a backslash in a mount point.
std::string unescapeMountField(const std::string& field)
{
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
            octal(field[i + 3])) {
            out.push_back(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}
} // namespace

std::vector<Mount> parseMountInfo(const std::string& text)
{
    std::vector<Mount> mounts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> fields;
        for (std::size_t i = start; i < end;) {
            while (i < end && text[i] == ' ')
                ++i;
            std::size_t j = i;
            while (j < end && text[j] != ' ')
                ++j;
            if (j > i)
                fields.emplace_back(text, i, j - i);
            i = j;
        }
        start = end + 1;
        // id parent major:minor root point options [optional fields...] - type source super-options
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (fields.size() < 7 || dash + 1 >= fields.size())
            continue;
        mounts.push_back({unescapeMountField(fields[4]), fields[dash + 1]});
    }
    return mounts;
}

bool isBrowsableMount(const Mount& m)
{
    static const char* const kernelTypes[] = {
        "proc",    "sysfs",    "devtmpfs", "devpts",     "cgroup",    "cgroup2", "securityfs",  "pstore",
        "debugfs", "tracefs",  "mqueue",   "hugetlbfs",  "configfs",  "fusectl", "binfmt_misc", "autofs",
        "bpf",     "efivarfs", "nsfs",     "rpc_pipefs", "selinuxfs", "ramfs",   "rootfs"};
    for (const char* t : kernelTypes)
        if (m.type == t)
            return false;
    const auto under = [&m](const std::string& folder) {
        return m.point == folder || (m.point.size() > folder.size() && m.point.compare(0, folder.size(), folder) == 0 &&
                                     m.point[folder.size()] == '/');
    };
    // Removable media mount under /run/media (or /media) and are drives to browse.
    if (under("/run/media"))
        return m.point != "/run/media";
    for (const char* system : {"/dev", "/proc", "/sys", "/run", "/var/run", "/var/lock"})
        if (under(system))
            return false;
    return !m.point.empty() && m.point[0] == '/';
}

std::vector<std::string> browsableRoots(const std::vector<Mount>& mounts,
                                        const std::function<bool(const std::string&)>& isFolder)
{
    std::vector<std::string> roots;
    const auto listed = [&roots](const std::string& point) {
        return std::find(roots.begin(), roots.end(), point) != roots.end();
    };
    for (const Mount& m : mounts)
        if (isBrowsableMount(m) && !listed(m.point) && (isRemoteMount(m) || isFolder(m.point)))
            roots.push_back(m.point);
    if (!listed("/"))
        roots.emplace_back("/");
    std::sort(roots.begin(), roots.end());
    return roots;
}

bool isRemoteMount(const Mount& m)
{
    static const char* const remote[] = {"nfs",  "nfs4",      "cifs",   "smb3", "smbfs", "ncpfs", "afs", "9p",
                                         "ceph", "glusterfs", "lustre", "gpfs", "davfs", "sshfs", "fuse"};
    for (const char* t : remote)
        if (m.type == t)
            return true;
    return m.type.rfind("fuse.", 0) == 0 || m.type.rfind("fuseblk", 0) == 0;
}

} // namespace rida::components
