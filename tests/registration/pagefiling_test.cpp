// What a registration is checked on and what it files, without widgets.

#include "archive/error.h"
#include "archive/recognisedlot.h"
#include "components/pagefiling.h"

#include <gtest/gtest.h>

using namespace rida;
using components::EntryField;

namespace {

struct YearMonthCase {
    const char* year;
    const char* month;
    std::optional<EntryField> problem;
};

class SurveyDateTest : public ::testing::TestWithParam<YearMonthCase> {};

TEST_P(SurveyDateTest, FourDigitYearsAndMonthsOneToTwelvePass)
{
    const YearMonthCase& c = GetParam();
    const auto problem = components::checkEntry({.pageChosen = true,
                                                 .kindIndex = 0,
                                                 .year = QString::fromLatin1(c.year),
                                                 .month = QString::fromLatin1(c.month),
                                                 .lotCount = 1});
    EXPECT_EQ(problem ? std::optional(problem->field) : std::nullopt, c.problem);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SurveyDateTest,
    ::testing::Values(YearMonthCase{"1998", "01", std::nullopt}, YearMonthCase{"1998", "1", std::nullopt},
                      YearMonthCase{"1998", "12", std::nullopt},
                      // The masked field's blanks are not digits typed.
                      YearMonthCase{"1998", "1_", std::nullopt}, YearMonthCase{"98__", "01", EntryField::Year},
                      YearMonthCase{"", "01", EntryField::Year}, YearMonthCase{"0000", "01", EntryField::Year},
                      YearMonthCase{"19a8", "01", EntryField::Year}, YearMonthCase{"19980", "01", EntryField::Year},
                      YearMonthCase{"1998", "", EntryField::Month}, YearMonthCase{"1998", "0", EntryField::Month},
                      YearMonthCase{"1998", "13", EntryField::Month}, YearMonthCase{"1998", "-1", EntryField::Month}));

// Two towns, one with two villages and one whose only entry has no code.
class TwoTowns final : public components::RegionSource {
public:
    QList<components::RegionChoice> towns() override
    {
        return {{QStringLiteral("1111025000"), QStringLiteral("가읍")}, {QString(), QStringLiteral("나면")}};
    }
    QList<components::RegionChoice> villages(const components::RegionChoice& town) override
    {
        if (town.name == QStringLiteral("가읍"))
            return {{QStringLiteral("1111025021"), QStringLiteral("갑리")},
                    {QStringLiteral("1111025022"), QStringLiteral("을리")}};
        return {{QString(), QStringLiteral("병리")}};
    }
};

components::EntryFiling entryWith(std::vector<model::Lot> lots)
{
    components::EntryFiling entry;
    entry.sourcePath = QStringLiteral("/scans/a.jpg");
    entry.kindIndex = 1;
    entry.year = QStringLiteral("1998");
    entry.month = QStringLiteral("03");
    entry.lots = std::move(lots);
    return entry;
}

TEST(FilingRequestTest, CarriesTheAttributesAndEachLotsRegionCode)
{
    TwoTowns regions;
    const auto request = components::filingRequest(
        entryWith(
            {{QStringLiteral("가읍"), QStringLiteral("을리"), true, QStringLiteral("12"), QString()},
             {QStringLiteral("가읍"), QStringLiteral("을리"), false, QStringLiteral("0099"), QStringLiteral("3")}}),
        regions);
    EXPECT_EQ(request.kind, u'G');
    EXPECT_EQ(request.surveyYear, 1998);
    EXPECT_EQ(request.surveyMonth, 3);
    EXPECT_EQ(request.regionCode, QStringLiteral("1111025022"));
    ASSERT_EQ(request.lots.size(), 2);
    EXPECT_EQ(request.lots[0].regionCode, QStringLiteral("1111025022"));
    EXPECT_TRUE(request.lots[0].mountain);
    EXPECT_EQ((std::pair{request.lots[0].mainNumber, request.lots[0].subNumber}), (std::pair{12, 0}));
    EXPECT_EQ((std::pair{request.lots[1].mainNumber, request.lots[1].subNumber}), (std::pair{99, 3}));
}

TEST(FilingRequestTest, ALotOfAnUnknownOrUncodedRegionIsRefused)
{
    TwoTowns regions;
    for (const auto& [town, village] : {std::pair{"가읍", "병리"}, std::pair{"나면", "병리"}, std::pair{"다동", ""}}) {
        SCOPED_TRACE(town);
        try {
            components::filingRequest(entryWith({{QString::fromUtf8(town), QString::fromUtf8(village), false,
                                                  QStringLiteral("1"), QString()}}),
                                      regions);
            ADD_FAILURE() << "not refused";
        } catch (const archive::ArchiveError& e) {
            EXPECT_EQ(e.failure(), archive::Failure::Invalid);
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(town)));
        }
    }
}

// Towns for the folder names of 지역폴더일괄: a 리 name found in two towns, a
// 동 without 리, a village without a code.
class FolderTowns final : public components::RegionSource {
public:
    QList<components::RegionChoice> towns() override
    {
        return {{QStringLiteral("1111025000"), QStringLiteral("가읍")},
                {QStringLiteral("1111031000"), QStringLiteral("나면")},
                {QStringLiteral("1111010100"), QStringLiteral("다동")}};
    }
    QList<components::RegionChoice> villages(const components::RegionChoice& town) override
    {
        if (town.name == QStringLiteral("가읍"))
            return {{QStringLiteral("1111025021"), QStringLiteral("갑리")},
                    {QStringLiteral("1111025022"), QStringLiteral("새터리")}};
        if (town.name == QStringLiteral("나면"))
            return {{QStringLiteral("1111031021"), QStringLiteral("새터리")}, {QString(), QStringLiteral("빈리")}};
        return {{QStringLiteral("1111010100"), QString()}};
    }
};

struct FolderCase {
    const char* folder;
    const char* code; // "" for no region
};

class RegionFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(RegionFolderTest, AFolderNamesOneRegionOrNone)
{
    FolderTowns towns;
    const auto region = components::regionOfFolder(QString::fromUtf8(GetParam().folder), towns);
    EXPECT_EQ(region ? region->village.code : QString(), QString::fromUtf8(GetParam().code));
}

INSTANTIATE_TEST_SUITE_P(Names, RegionFolderTest,
                         ::testing::Values(FolderCase{"갑리", "1111025021"}, FolderCase{" 갑리 ", "1111025021"},
                                           FolderCase{"가읍 갑리", "1111025021"},
                                           FolderCase{"가읍  새터리", "1111025022"},
                                           FolderCase{"나면 새터리", "1111031021"},
                                           // in two towns: the 읍면 must be named
                                           FolderCase{"새터리", ""}, FolderCase{"다동", "1111010100"},
                                           FolderCase{"나면 갑리", ""}, FolderCase{"빈리", ""},
                                           FolderCase{"없는리", ""}, FolderCase{"", ""}, FolderCase{"가읍", ""}));

TEST(RecognisedLotTest, ReadsTheRegisterKindAndBothNumbersAndRefusesAnythingElse)
{
    const QString code = QStringLiteral("1111025021");
    const auto land = archive::recognisedLot("1 0123 0004", code);
    ASSERT_TRUE(land);
    EXPECT_EQ(land->regionCode, code);
    EXPECT_FALSE(land->mountain);
    EXPECT_EQ(land->mainNumber, 123);
    EXPECT_EQ(land->subNumber, 4);
    const auto forest = archive::recognisedLot("2 9999 0000", code);
    ASSERT_TRUE(forest);
    EXPECT_TRUE(forest->mountain);
    EXPECT_EQ(forest->mainNumber, 9999);
    for (const char* bad : {"3 0123 0004", "1 012A 0004", "1 0123 004", "10123 00040", "", "1 0123 00045"})
        EXPECT_FALSE(archive::recognisedLot(bad, code)) << bad;
}

} // namespace
