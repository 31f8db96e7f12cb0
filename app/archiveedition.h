#pragma once
// The archive edition: the same program and windows as the demonstration
// build, over a store of real records. An ArchiveEdition holds the open store
// and where the archive is; the main window asks it for the status board's
// figures, the work windows get their region lists from it, and its store
// knows who signed in and what his role allows.

#include "archive/location.h"
#include "archive/roles.h"
#include "archive/store.h"
#include "components/regionsource.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace rida::app {

class ArchiveEdition {
public:
    ArchiveEdition(std::unique_ptr<archive::Store> store, archive::ArchiveLocation location);
    ~ArchiveEdition();

    archive::Store& store() { return *store_; }
    const archive::ArchiveLocation& location() const { return location_; }

    // The page folder in use; the office's settings may change it while the program runs.
    QString pageFolder();

    // The status board's lines, in the order of the demonstration build's board:
    // the signed-in user, the database, the page folder, the registered pages
    // by kind and the active users. A figure the database cannot give is
    // said as such; nothing here throws.
    QStringList boardLines();

    // Finishes or undoes the filings that stopped halfway (a crash, a power
    // cut): run once after the sign-in, since finishing one stores its record.
    // What was done and what is amiss, in Korean lines; nothing throws.
    QStringList finishPendingFilings();

    // The office's 읍면동 and their 리, from the store.
    std::shared_ptr<components::RegionSource> regions() const { return regions_; }

private:
    std::unique_ptr<archive::Store> store_;
    archive::ArchiveLocation location_;
    std::shared_ptr<components::RegionSource> regions_;
};

// Finds the archive, opens its database (a new one where none is yet) and
// makes the default page folder when it is missing. A failure is said in a
// message box in Korean and gives nullptr: the program then ends, with the
// database as it was. A database that another program holds locked offers to
// try again.
std::unique_ptr<ArchiveEdition> openArchiveEdition(const archive::LocationSources& sources,
                                                   archive::StoreOptions options = {});

// The hint on a command that `role` may not use:
// "사용자 관리: 관리자만 쓸 수 있습니다 (지금 역할: 조회자)."
QString refusalHint(archive::Role role, archive::Command command);

} // namespace rida::app
