#include "registration/folderlisting.h"

#include "model/error.h"
#include "model/nametext.h"

#include <QStringList>

#include <algorithm>

namespace rida::registration {

namespace fs = std::filesystem;

namespace {

QString decodeName(const std::string& bytes)
{
    return model::nameText(bytes);
}

bool byShownName(const FolderEntry& a, const FolderEntry& b)
{
    const int c = a.name.compare(b.name, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return a.path.native() < b.path.native();
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
        return matchesFolded(name, folded) && e.is_regular_file(ec);
    });
}

std::vector<FolderEntry> listFolders(const fs::path& folder)
{
    return list(folder, [](const fs::directory_entry& e, const QString& name) {
        std::error_code ec;
        return !name.startsWith(u'.') && e.is_directory(ec);
    });
}

} // namespace rida::registration
