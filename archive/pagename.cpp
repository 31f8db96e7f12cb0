#include "archive/pagename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

namespace rida::archive {

namespace {

constexpr int kNumberDigits = 6;

} // namespace

QString storedFolder(const PageNameParts& parts)
{
    return QStringLiteral("%1/%2").arg(parts.regionCode.left(5)).arg(parts.surveyYear, 4, 10, QLatin1Char('0'));
}

int highestNumber(const QStringList& names, const QString& prefix)
{
    int highest = 0;
    for (const QString& name : names) {
        if (!name.startsWith(prefix))
            continue;
        const QString number = name.mid(prefix.size(), kNumberDigits);
        bool ok = false;
        const int n = number.toInt(&ok);
        if (ok && number.size() == kNumberDigits && name.size() > prefix.size() + kNumberDigits &&
            name[prefix.size() + kNumberDigits] == u'.')
            highest = std::max(highest, n);
    }
    return highest;
}

PageNamer::PageNamer(NameRule rule, const PageNameParts& parts, const QString& originalName, const QString& folder)
    : rule_(rule)
{
    const QFileInfo original(originalName);
    const QString suffix = original.suffix();
    extension_ = suffix.isEmpty() ? QString() : u'.' + suffix.toLower();
    stem_ = suffix.isEmpty() ? original.fileName() : original.fileName().chopped(suffix.size() + 1);
    prefix_ = QStringLiteral("%1%2%3-%4-")
                  .arg(parts.kind)
                  .arg(parts.surveyYear, 4, 10, QLatin1Char('0'))
                  .arg(parts.surveyMonth, 2, 10, QLatin1Char('0'))
                  .arg(parts.regionCode);
    if (rule_ == NameRule::Rename)
        firstNumber_ = highestNumber(QDir(folder).entryList({prefix_ + u'*'}, QDir::Files | QDir::Hidden), prefix_) + 1;
}

QString PageNamer::candidate(int attempt) const
{
    if (rule_ == NameRule::Rename)
        return prefix_ + QStringLiteral("%1").arg(firstNumber_ + attempt, kNumberDigits, 10, QLatin1Char('0')) +
               extension_;
    if (attempt == 0)
        return stem_ + extension_;
    return QStringLiteral("%1 (%2)%3").arg(stem_).arg(attempt + 1).arg(extension_);
}

int renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return 0;
    }
    const int linkError = errno;
    if (linkError != EPERM && linkError != EOPNOTSUPP && linkError != EMLINK)
        return linkError;
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    return errno;
}

} // namespace rida::archive
