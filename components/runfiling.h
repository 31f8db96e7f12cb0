#pragma once
// The archive edition's registration of a recognition run: which folders a
// run reads under which region, and the filing of each page the run read,
// without widgets. The automatic window builds the plan before the run,
// hands each recognised page to RunFiling on its own thread (the store's
// connection lives there) and shows the outcome in its failure list.

#include "archive/placement.h"
#include "components/pagefiling.h"
#include "components/regionsource.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rida::components {

// Suffixes of the failure list's lines besides the recognition's own.
inline constexpr const char* kAlreadyRegisteredSuffix = " 이미 등록된 파일";
inline constexpr const char* kRegionFolderSuffix = " 지역 폴더 인식 실패";

// One folder of a run: its image files in the file list's order and the
// region their pages are registered under.
struct RunFolder {
    std::filesystem::path folder;
    std::vector<std::string> files; // full names, the file system's own bytes
    QString regionCode;
};

struct RunPlan {
    std::vector<RunFolder> folders;
    QStringList failures; // lines for the failure list: folders that name no region
};

// 지역폴더일괄: every subfolder of `folder` that names a region of the office
// (regionOfFolder), each with the files matching `masks`; a subfolder that
// names none is a failure line "<folder> 지역 폴더 인식 실패". Throws
// model::Error when `folder` cannot be read; a subfolder that cannot be read
// is a failure line with the reason.
RunPlan regionFolderPlan(const std::filesystem::path& folder, const QString& masks, RegionSource& regions);

// The SHA-256 of a file named by its native bytes; nothing when it cannot be read.
std::optional<QString> sha256OfFile(const std::string& fullName);

class RunFiling {
public:
    // `pattern` holds what every page of the run shares: the document's kind,
    // year and month, the transfer, the name rule, the margin and the settings
    // record; its source, region and lots are set page by page.
    RunFiling(PageArchive archive, archive::FilingRequest pattern);

    struct Outcome {
        bool filed = false;
        // For the failure list, after the file's full name: " 이미 등록된 파일",
        // " 등록 실패: <reason>"; empty when filed.
        QString failureSuffix;
        // The page folder or the database cannot take more (full, gone, read
        // only): the run stops, and this says so to the user.
        QString stopMessage;
    };

    // Files one page the run read. `sha256` is the page's hash as it was read
    // (empty: as it is now); a page changed since is refused. A page whose
    // bytes are registered already is the failure "<name> 이미 등록된 파일".
    Outcome file(const std::string& fullName, const std::vector<std::string>& lots, const QString& sha256,
                 const QString& regionCode);

    int filedCount() const { return filed_; }

private:
    PageArchive archive_;
    archive::FilingRequest pattern_;
    int filed_ = 0;
};

} // namespace rida::components
