#pragma once
// Where the work windows' region lists get their entries: the towns (읍면동)
// in code order and, for a chosen town, its villages (리). The demonstration
// build offers its one sample town with its one sample village; the archive
// edition answers from the office's region codes. No widgets here: the lists
// themselves are filled by bindRegionLists (regionlists.h).

#include <QList>
#include <QString>

#include <memory>

namespace rida::components {

struct RegionChoice {
    QString code; // the 10-digit 법정동코드; empty for the sample entries
    QString name; // what the list shows; a town without 리 has one village with an empty name
};

class RegionSource {
public:
    virtual ~RegionSource() = default;
    virtual QList<RegionChoice> towns() = 0;
    // The villages of `town`, one of towns(): never empty for a town of the list.
    virtual QList<RegionChoice> villages(const RegionChoice& town) = 0;
};

// The demonstration build's: "임의읍" with "임의리".
std::shared_ptr<RegionSource> sampleRegions();

} // namespace rida::components
