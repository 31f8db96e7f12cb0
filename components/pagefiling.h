#pragma once
// Registering a page in the archive edition, without widgets: the checks of
// the document attributes before the question, and the filing request made of
// the chosen page, the attributes, the lots and the window's settings. The
// registration windows fill these from their fields; the demonstration build
// has no PageArchive and files nothing.

#include "archive/placement.h"
#include "components/regionsource.h"
#include "model/landrecord.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace rida::archive {
class Store;
}

namespace rida::components {

// Where the archive edition's registration windows file their pages: the open
// store, with its signed-in user, and the page folder in use (which the
// office's settings may change while a window is open).
struct PageArchive {
    archive::Store* store = nullptr;
    std::function<QString()> pageFolder;
};

// The office's 읍면동 and their 리 as the store lists them, each with its code.
std::shared_ptr<RegionSource> storeRegions(archive::Store& store);

// The fields a registration is checked on, as the window shows them.
struct EntryFields {
    bool pageChosen = false; // both `pathname` and `imgname` name a file
    int kindIndex = -1;      // in model::documentKinds(); -1 for none
    QString year;            // as typed
    QString month;
    int lotCount = 0;
};

// The field a failed check sends the focus to.
enum class EntryField { Page, Kind, Year, Month, Lots };

struct EntryProblem {
    EntryField field;
    QString message; // Korean
};

// The first failing check, in the order page, document kind, survey year (four
// digits), survey month (1..12), at least one lot; nothing when all pass.
std::optional<EntryProblem> checkEntry(const EntryFields& fields);

// Survey year and month as checkEntry accepts them; nothing otherwise.
std::optional<int> surveyYear(const QString& text);
std::optional<int> surveyMonth(const QString& text);

// What a registration files: the fields (which checkEntry passed), the lots
// with their region codes from `regions`, and the window's settings.
struct EntryFiling {
    QString sourcePath;
    int kindIndex = 0;
    QString year;
    QString month;
    std::vector<model::Lot> lots;
    archive::Transfer transfer = archive::Transfer::Move;
    archive::NameRule nameRule = archive::NameRule::Rename;
    archive::MarginSide margin = archive::MarginSide::None;
    archive::Registration registration = archive::Registration::Manual;
};

// The request for archive::filePage. A lot whose town and village the region
// source does not know (or knows without a code) is refused with an
// ArchiveError (Invalid) naming it.
archive::FilingRequest filingRequest(const EntryFiling& entry, RegionSource& regions);

// Files the entry's page in `archive`. Nothing when it is filed; otherwise the
// archive's Korean reason, with the page, the store and the page folder as
// they were. Failures other than the archive's (memory) are thrown.
std::optional<QString> fileEntry(const PageArchive& archive, RegionSource& regions, const EntryFiling& entry);

// A folder of 지역폴더일괄 and the region it is named after.
struct FolderRegion {
    QString town;
    RegionChoice village; // with its code
};

// The region a folder's name names: a 동리 of the office ("임의리"), the same
// with its 읍면 before it ("임의읍 임의리"), or a 읍면동 without 리 ("가상동").
// Nothing when no region has that name, when the name fits more than one
// region, or when the region has no code.
std::optional<FolderRegion> regionOfFolder(const QString& folderName, RegionSource& regions);

} // namespace rida::components
