#include "components/regionlists.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace rida::components {

namespace {

void fill(QComboBox* list, const QList<RegionChoice>& entries)
{
    list->clear();
    for (const RegionChoice& entry : entries)
        list->addItem(entry.name, entry.code);
    list->setCurrentIndex(entries.isEmpty() ? -1 : 0);
}

} // namespace

void bindRegionLists(QComboBox* townList, QComboBox* villageList, std::shared_ptr<RegionSource> source)
{
    const QList<RegionChoice> towns = source->towns();
    {
        const QSignalBlocker quiet(townList);
        fill(townList, towns);
    }
    fill(villageList, towns.isEmpty() ? QList<RegionChoice>() : source->villages(towns.front()));
    QObject::connect(townList, &QComboBox::currentIndexChanged, villageList,
                     [townList, villageList, source](int index) {
                         if (index < 0) {
                             fill(villageList, {});
                             return;
                         }
                         const RegionChoice town{townList->itemData(index).toString(), townList->itemText(index)};
                         fill(villageList, source->villages(town));
                     });
}

} // namespace rida::components
