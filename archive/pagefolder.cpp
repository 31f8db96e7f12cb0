#include "archive/pagefolder.h"

#include "archive/error.h"
#include "archive/filemode.h"
#include "archive/sha256.h"
#include "archive/store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace rida::archive {

namespace fs = std::filesystem;

PageFolderStatus pageFolderStatus(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return {PageFolderStatus::Missing, QStringLiteral("이미지 폴더가 없습니다: %1").arg(folder)};
    if (!info.isDir())
        return {PageFolderStatus::NotAFolder, QStringLiteral("이미지 폴더 자리에 파일이 있습니다: %1").arg(folder)};
    const QString notWritable = QStringLiteral("이미지 폴더에 쓸 수 없습니다: %1").arg(folder);
    if (!writableByMode(folder))
        return {PageFolderStatus::NotWritable, notWritable};
    // A network share that has gone, a full or read-only disk: only a write tells.
    QTemporaryFile trial(QDir(folder).absoluteFilePath(QStringLiteral(".rida-write-test-XXXXXX")));
    if (!trial.open() || trial.write("x", 1) != 1 || !trial.flush())
        return {PageFolderStatus::NotWritable, notWritable};
    return {PageFolderStatus::Ready, QString()};
}

void createPageFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw ArchiveError(Failure::ReadOnly, QStringLiteral("이미지 폴더를 만들 수 없습니다: %1").arg(folder));
}

QList<CheckFinding> checkArchive(Store& store, const QString& pageFolder)
{
    QList<CheckFinding> findings;
    const QDir root(pageFolder);
    QSet<QByteArray> registered;
    for (const PageRecord& page : store.pageRecords()) {
        registered.insert(QFile::encodeName(page.pagePath));
        const QString path = root.absoluteFilePath(page.pagePath);
        const QFileInfo info(path);
        if (!info.exists()) {
            findings.append(
                {CheckFinding::MissingPage, page.pagePath,
                 QStringLiteral("이미지 파일이 없습니다: %1 (문서 %2)").arg(page.pagePath).arg(page.documentId)});
            continue;
        }
        const std::optional<FileDigest> digest = digestOfFile(path);
        if (!digest) {
            findings.append({CheckFinding::Unreadable, page.pagePath,
                             QStringLiteral("이미지 파일을 읽을 수 없습니다: %1 (문서 %2)")
                                 .arg(page.pagePath)
                                 .arg(page.documentId)});
            continue;
        }
        if (digest->sha256 != page.sha256 || digest->bytes != page.bytes)
            findings.append({CheckFinding::ChangedPage, page.pagePath,
                             QStringLiteral("이미지 파일이 등록 때와 다릅니다(SHA-256): %1 (문서 %2)")
                                 .arg(page.pagePath)
                                 .arg(page.documentId)});
    }

    // std::filesystem lists every name, also one that is not valid in the
    // locale's encoding, which a Qt listing would leave out.
    const fs::path top(QFile::encodeName(root.absolutePath()).toStdString());
    const std::string restoreFolder = QFile::encodeName(kRestoreFolder).toStdString();
    std::error_code error;
    fs::recursive_directory_iterator it(top, error), end;
    if (error)
        findings.append({CheckFinding::Unreadable, QString(),
                         QStringLiteral("이미지 폴더를 읽을 수 없습니다: %1").arg(pageFolder)});
    for (; !error && it != end; it.increment(error)) {
        const fs::directory_entry& entry = *it;
        std::error_code typeError;
        const std::string relative = entry.path().lexically_relative(top).generic_string();
        if (entry.is_directory(typeError)) {
            if (relative == restoreFolder)
                it.disable_recursion_pending();
            continue;
        }
        const QByteArray bytes = QByteArray::fromStdString(relative);
        if (!registered.contains(bytes))
            findings.append({CheckFinding::StrayFile, QFile::decodeName(bytes),
                             QStringLiteral("어느 문서에도 속하지 않은 파일입니다: %1").arg(QFile::decodeName(bytes))});
    }
    if (error)
        findings.append({CheckFinding::Unreadable, QString(),
                         QStringLiteral("이미지 폴더를 끝까지 읽지 못했습니다: %1 (%2)")
                             .arg(pageFolder, QString::fromLocal8Bit(error.message()))});

    for (const QString& problem : store.integrityProblems())
        findings.append({CheckFinding::Damaged, QString(),
                         QStringLiteral("데이터베이스 점검에서 문제가 나왔습니다: %1").arg(problem)});
    return findings;
}

} // namespace rida::archive
