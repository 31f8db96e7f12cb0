#include "components/runfiling.h"

#include "archive/error.h"
#include "archive/recognisedlot.h"
#include "archive/sha256.h"
#include "components/folderlisting.h"
#include "model/error.h"

#include <QFile>

#include <fstream>

namespace rida::components {

namespace {

// The first line of a message: the failure list holds one line per file.
QString firstLine(const QString& text)
{
    return text.section(u'\n', 0, 0);
}

} // namespace

RunPlan regionFolderPlan(const std::filesystem::path& folder, const QString& masks, RegionSource& regions)
{
    RunPlan plan;
    for (const FolderEntry& sub : listFolders(folder)) {
        const std::optional<FolderRegion> region = regionOfFolder(sub.name, regions);
        if (!region) {
            plan.failures << displayText(sub.path) + QString::fromUtf8(kRegionFolderSuffix);
            continue;
        }
        RunFolder run{sub.path, {}, region->village.code};
        try {
            for (const FolderEntry& file : listFiles(sub.path, masks))
                run.files.push_back(file.path.native());
        } catch (const model::Error& e) {
            plan.failures << displayText(sub.path) + QStringLiteral(" 폴더를 읽을 수 없습니다: ") + firstLine(e.text());
            continue;
        }
        plan.folders.push_back(std::move(run));
    }
    return plan;
}

std::optional<QString> sha256OfFile(const std::string& fullName)
{
    std::ifstream in(fullName, std::ios::binary);
    if (!in)
        return std::nullopt;
    archive::Sha256 hash;
    std::vector<char> buffer(std::size_t(1) << 20);
    while (in) {
        in.read(buffer.data(), std::streamsize(buffer.size()));
        hash.add(buffer.data(), in.gcount());
    }
    if (in.bad())
        return std::nullopt;
    return hash.hex();
}

RunFiling::RunFiling(PageArchive archive, archive::FilingRequest pattern)
    : archive_(std::move(archive)), pattern_(std::move(pattern))
{
    pattern_.registration = archive::Registration::Automatic;
}

RunFiling::Outcome RunFiling::file(const std::string& fullName, const std::vector<std::string>& lots,
                                   const QString& sha256, const QString& regionCode)
{
    archive::FilingRequest request = pattern_;
    request.sourcePath = QFile::decodeName(QByteArray::fromStdString(fullName));
    request.regionCode = regionCode;
    request.expectedSha256 = sha256;
    request.lots.clear();
    for (const std::string& line : lots)
        if (const std::optional<archive::NewLot> lot = archive::recognisedLot(line, regionCode))
            request.lots.append(*lot);
    Outcome outcome;
    try {
        archive::filePage(*archive_.store, archive_.pageFolder(), request);
        outcome.filed = true;
        ++filed_;
        return outcome;
    } catch (const archive::ArchiveError& e) {
        switch (e.failure()) {
        case archive::Failure::Conflict:
            if (!sha256.isEmpty() && archive::documentWithPage(*archive_.store, sha256)) {
                outcome.failureSuffix = QString::fromUtf8(kAlreadyRegisteredSuffix);
                return outcome;
            }
            break;
        case archive::Failure::DiskFull:
        case archive::Failure::Missing:
        case archive::Failure::ReadOnly:
        case archive::Failure::Locked:
        case archive::Failure::NotSignedIn:
        case archive::Failure::NotAllowed:
        case archive::Failure::Database:
        case archive::Failure::Damaged:
            outcome.stopMessage =
                e.text() + QStringLiteral("\n\n자동 등록을 중지했습니다. 지금까지 등록한 %1개 파일은 보관되었고, "
                                          "나머지 파일은 원래 폴더에 그대로 있습니다.")
                               .arg(filed_);
            break;
        default:
            break;
        }
        outcome.failureSuffix = QStringLiteral(" 등록 실패: ") + firstLine(e.text());
        return outcome;
    }
}

} // namespace rida::components
