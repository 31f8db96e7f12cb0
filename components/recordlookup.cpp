#include "components/recordlookup.h"

#include "components/resultgrids.h"
#include "components/searchpanel.h"
#include "model/digits.h"
#include "ui/fields.h"
#include "ui/grid/stringgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>

namespace rida::components {

namespace {

std::optional<int> lotNumber(const QLineEdit* field)
{
    const QString text = field->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return model::toInteger(text);
}

int yearOf(const QLineEdit* field)
{
    const QString text = field->text().trimmed();
    return text.isEmpty() ? 0 : model::toInteger(text);
}

} // namespace

std::optional<archive::LotQuery> lotQuery(archive::Store& store, SearchPanel& panel)
{
    archive::LotQuery query;
    const QString town = panel.townList->currentText().trimmed();
    const QString village = panel.villageList->currentText().trimmed();
    if (!town.isEmpty()) {
        const std::optional<QString> code = store.regionCode(town, village);
        if (!code)
            return std::nullopt;
        if (village.isEmpty())
            query.townCode = *code;
        else
            query.regionCode = *code;
    }
    if (panel.sanBox->isChecked())
        query.mountain = true;
    else if (panel.mainNumber->text().trimmed().size() + panel.subNumber->text().trimmed().size() > 0)
        query.mountain = false; // a lot number typed without 산 is land (토지)
    query.mainNumber = lotNumber(panel.mainNumber);
    query.subNumber = lotNumber(panel.subNumber);
    if (panel.kindFilterBox->isChecked()) {
        const int index = panel.kindList->currentIndex();
        if (index >= 0 && index < int(model::documentKinds().size()))
            query.kind = model::documentKinds()[std::size_t(index)].code;
    }
    if (panel.yearRangeBox->isChecked()) {
        int from = yearOf(panel.yearFrom);
        int to = yearOf(panel.yearTo);
        if (from != 0 && to != 0 && from > to) {
            std::swap(from, to);
            panel.yearFrom->setText(QString::number(from));
            panel.yearTo->setText(QString::number(to));
        }
        if (from != 0)
            query.fromYear = from;
        if (to != 0)
            query.toYear = to;
    }
    query.limit = kRecordGridLimit + 1;
    return query;
}

SearchAnswer RecordLookup::search(SearchPanel& panel)
{
    SearchAnswer answer;
    const std::optional<archive::LotQuery> query = lotQuery(store(), panel);
    if (!query)
        return answer;
    answer.documents = store().findDocuments(*query);
    if (answer.documents.size() > kRecordGridLimit) {
        answer.documents.resize(kRecordGridLimit);
        answer.more = true;
    }
    return answer;
}

model::Record RecordLookup::record(const archive::FoundDocument& d) const
{
    model::Record r;
    r.number = QString::number(d.id);
    for (const model::DocumentKind& kind : model::documentKinds())
        if (kind.code == d.kind)
            r.kindWord = kind.word;
    r.year = d.surveyYear;
    r.month = d.surveyMonth;
    const QFileInfo page(QDir(pageFolder()).absoluteFilePath(d.pagePath));
    r.folder = model::withTrailingSeparator(page.absolutePath());
    r.fileName = page.fileName();
    return r;
}

void RecordLookup::showRecords(ui::grid::StringGrid* grid, const SearchAnswer& answer) const
{
    grid->clearDataRows();
    if (answer.documents.isEmpty())
        return;
    grid->insertRows(1, int(answer.documents.size()));
    for (int i = 0; i < answer.documents.size(); ++i) {
        grid->setRowCells(i + 1, record(answer.documents[i]).cells());
        grid->setRowColor(i + 1, recordRowColor());
    }
}

QList<model::Lot> RecordLookup::lots(const QList<archive::StoredLot>& stored)
{
    QList<model::Lot> lots;
    for (const archive::StoredLot& lot : stored) {
        auto known = names_.find(lot.regionCode);
        if (known == names_.end()) {
            const std::optional<archive::RegionNames> names = store().regionNames(lot.regionCode);
            known = names_.insert(lot.regionCode, names ? std::make_pair(names->town, names->village)
                                                        : std::make_pair(lot.regionCode, QString()));
        }
        lots.append({known->first, known->second, lot.mountain, QString::number(lot.mainNumber),
                     QString::number(lot.subNumber)});
    }
    return lots;
}

void RecordLookup::showLots(ui::grid::StringGrid* grid, const QList<model::Lot>& lots)
{
    grid->clearDataRows();
    if (lots.isEmpty())
        return;
    grid->insertRows(1, int(lots.size()));
    for (int i = 0; i < lots.size(); ++i) {
        grid->setRowCells(i + 1, lotCells(lots[i]));
        grid->setRowColor(i + 1, lotRowColor());
    }
}

} // namespace rida::components
