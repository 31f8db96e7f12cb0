#pragma once
// A town list and its village list filled from a region source (regionsource.h).

#include "components/regionsource.h"

#include <memory>

class QComboBox;

namespace rida::components {

// Fills `townList` with the towns of `source` and `villageList` with the
// villages of the chosen town, the first entry of each chosen, and from then on
// refills the village list whenever another town is chosen. Each entry carries
// its region code as its item data (Qt::UserRole).
void bindRegionLists(QComboBox* townList, QComboBox* villageList, std::shared_ptr<RegionSource> source);

} // namespace rida::components
