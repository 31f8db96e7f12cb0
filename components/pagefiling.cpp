#include "components/pagefiling.h"

#include "archive/error.h"
#include "archive/store.h"

namespace rida::components {

namespace {

// The digits of a masked field as typed: its blanks left out.
QString typedDigits(const QString& text)
{
    QString digits = text;
    digits.remove(u'_');
    return digits.trimmed();
}

bool allDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// The entry of `name` among `choices`; nothing when it is not there.
std::optional<RegionChoice> findChoice(const QList<RegionChoice>& choices, const QString& name)
{
    for (const RegionChoice& choice : choices)
        if (choice.name == name)
            return choice;
    return std::nullopt;
}

int lotNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : -1;
}

class StoreRegions final : public RegionSource {
public:
    explicit StoreRegions(archive::Store& store) : store_(store) {}

    QList<RegionChoice> towns() override { return choices(store_.towns()); }
    QList<RegionChoice> villages(const RegionChoice& town) override { return choices(store_.villages(town.code)); }

private:
    static QList<RegionChoice> choices(const QList<archive::RegionItem>& items)
    {
        QList<RegionChoice> list;
        list.reserve(items.size());
        for (const archive::RegionItem& item : items)
            list.append({item.code, item.name});
        return list;
    }

    archive::Store& store_;
};

} // namespace

std::shared_ptr<RegionSource> storeRegions(archive::Store& store)
{
    return std::make_shared<StoreRegions>(store);
}

std::optional<int> surveyYear(const QString& text)
{
    const QString digits = typedDigits(text);
    if (digits.size() != 4 || !allDigits(digits) || digits.toInt() == 0)
        return std::nullopt;
    return digits.toInt();
}

std::optional<int> surveyMonth(const QString& text)
{
    const QString digits = typedDigits(text);
    if (digits.size() > 2 || !allDigits(digits))
        return std::nullopt;
    const int month = digits.toInt();
    if (month < 1 || month > 12)
        return std::nullopt;
    return month;
}

std::optional<EntryProblem> checkEntry(const EntryFields& fields)
{
    if (!fields.pageChosen)
        return EntryProblem{EntryField::Page, QStringLiteral("지가조서 이미지를 선택하십시오!")};
    if (fields.kindIndex < 0 || fields.kindIndex >= int(model::documentKinds().size()))
        return EntryProblem{EntryField::Kind, QStringLiteral("조서구분을 선택하십시오!")};
    if (!surveyYear(fields.year))
        return EntryProblem{EntryField::Year, QStringLiteral("조사기준연도를 4자리 숫자로 입력하십시오!")};
    if (!surveyMonth(fields.month))
        return EntryProblem{EntryField::Month, QStringLiteral("기준월을 1에서 12 사이의 숫자로 입력하십시오!")};
    if (fields.lotCount <= 0)
        return EntryProblem{EntryField::Lots, QStringLiteral("지가조서를 입력한 후 등록하십시오!")};
    return std::nullopt;
}

archive::FilingRequest filingRequest(const EntryFiling& entry, RegionSource& regions)
{
    archive::FilingRequest request;
    request.sourcePath = entry.sourcePath;
    request.transfer = entry.transfer;
    request.nameRule = entry.nameRule;
    request.margin = entry.margin;
    request.registration = entry.registration;
    request.kind = model::documentKinds().at(std::size_t(entry.kindIndex)).code;
    request.surveyYear = surveyYear(entry.year).value_or(0);
    request.surveyMonth = surveyMonth(entry.month).value_or(0);

    const QList<RegionChoice> towns = regions.towns();
    for (const model::Lot& lot : entry.lots) {
        const auto town = findChoice(towns, lot.town);
        const auto village = town ? findChoice(regions.villages(*town), lot.village) : std::nullopt;
        if (!village || village->code.isEmpty())
            throw archive::ArchiveError(
                archive::Failure::Invalid,
                QStringLiteral("등록지역 %1 %2의 법정동코드가 없습니다.").arg(lot.town, lot.village).trimmed());
        archive::NewLot stored;
        stored.regionCode = village->code;
        stored.mountain = lot.mountain;
        // The lot list lets only digits through; a number past 9999 (or past any
        // integer: -1 here) is refused by the store with its own message.
        stored.mainNumber = lotNumber(lot.mainNumber);
        stored.subNumber = lot.subNumber.isEmpty() ? 0 : lotNumber(lot.subNumber);
        request.lots.append(stored);
    }
    // The page is registered under the region its lots share (the region lock).
    if (!request.lots.isEmpty())
        request.regionCode = request.lots.front().regionCode;
    return request;
}

std::optional<QString> fileEntry(const PageArchive& archive, RegionSource& regions, const EntryFiling& entry)
{
    try {
        archive::filePage(*archive.store, archive.pageFolder(), filingRequest(entry, regions));
    } catch (const model::Error& e) {
        return e.text();
    }
    return std::nullopt;
}

std::optional<FolderRegion> regionOfFolder(const QString& folderName, RegionSource& regions)
{
    const QString name = folderName.simplified();
    if (name.isEmpty())
        return std::nullopt;
    const qsizetype space = name.indexOf(u' ');
    const QString townPart = space < 0 ? QString() : name.left(space);
    const QString villagePart = space < 0 ? name : name.mid(space + 1);
    std::optional<FolderRegion> found;
    int matches = 0;
    for (const RegionChoice& town : regions.towns()) {
        if (!townPart.isEmpty() && town.name != townPart)
            continue;
        for (const RegionChoice& village : regions.villages(town)) {
            // A 읍면동 without 리 has one village with an empty name: the folder
            // carries the 읍면동's own name.
            const bool fits =
                village.name.isEmpty() ? townPart.isEmpty() && town.name == villagePart : village.name == villagePart;
            if (fits) {
                ++matches;
                found = FolderRegion{town.name, village};
            }
        }
    }
    if (matches != 1 || found->village.code.isEmpty())
        return std::nullopt;
    return found;
}

} // namespace rida::components
