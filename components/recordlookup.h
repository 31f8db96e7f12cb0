#pragma once
// The archive edition's lookup, shared by the lookup and modify windows: the
// search panel's criteria as a search of the store, the record grid's rows of
// what it found and the lot grid's rows of an opened record. The
// demonstration build has no PageArchive and answers with its sample record.

#include "archive/store.h"
#include "components/pagefiling.h"
#include "model/landrecord.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace rida::ui::grid {
class StringGrid;
}

namespace rida::components {

class SearchPanel;

// The record grid lists at most this many documents of a search.
constexpr int kRecordGridLimit = 1000;

// The panel's criteria, read as the search reads them: a region of the office
// (its 읍면 and 동리; an empty 동리 takes every 리 of the 읍면), 산, 본번 and
// 부번 (an empty field matches any), the kind when " 조서구분 :" is ticked and
// the year range when " 연도범위 :" is ticked (0 leaves that end open).
// Nothing when the region is not the office's: nothing can match. A 본번 or
// 부번 that is no whole number throws model::ConversionError. A year range
// typed the wrong way round is put right in the panel's fields first.
std::optional<archive::LotQuery> lotQuery(archive::Store& store, SearchPanel& panel);

struct SearchAnswer {
    QList<archive::FoundDocument> documents; // newest survey first, at most kRecordGridLimit
    bool more = false;                       // more documents matched than are listed
};

class RecordLookup {
public:
    explicit RecordLookup(PageArchive archive) : archive_(std::move(archive)) {}

    archive::Store& store() const { return *archive_.store; }
    QString pageFolder() const { return archive_.pageFolder ? archive_.pageFolder() : QString(); }

    // The search of the panel's criteria.
    SearchAnswer search(SearchPanel& panel);
    // The record grid's row of a found document: its number, kind name, "1998년",
    // "1월", and the page's folder (with its trailing separator) and name.
    model::Record record(const archive::FoundDocument& document) const;
    // Lists the documents in the record grid (rows 1.., coloured), replacing its rows.
    void showRecords(ui::grid::StringGrid* grid, const SearchAnswer& answer) const;
    // The lots of an opened record as the lot grid shows them: 읍면 and 동리 names.
    QList<model::Lot> lots(const QList<archive::StoredLot>& stored);
    // The lot grid filled with them, coloured.
    static void showLots(ui::grid::StringGrid* grid, const QList<model::Lot>& lots);

private:
    PageArchive archive_;
    QHash<QString, std::pair<QString, QString>> names_; // region code → 읍면, 동리
};

} // namespace rida::components
