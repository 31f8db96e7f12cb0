// The national 법정동코드 list: reading it as published, importing it again
// and again, and the region lists the windows show.

#include "archive/error.h"
#include "archive/regionlist.h"
#include "archive/store.h"
#include "tests/archive/fixture.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace rida::archive::testing {
namespace {

class ArchiveRegions : public OnBothBackends {};
using ArchiveRegionsInAFile = ArchiveTest; // what only a database file has

QByteArray cp949(const QString& text)
{
    QStringEncoder encoder("windows-949");
    QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError());
    return bytes;
}

const QString kHeader = QStringLiteral("법정동코드\t법정동명\t폐지여부\r\n");

TEST_P(ArchiveRegions, TheSampleListReadsWithTheNameOfEveryLevel)
{
    const std::vector<RegionEntry> entries = readRegionList(sampleRegionsPath());
    ASSERT_EQ(entries.size(), 15u);
    auto find = [&](const QString& code) {
        for (const RegionEntry& e : entries)
            if (e.code == code)
                return e;
        ADD_FAILURE() << code.toStdString();
        return RegionEntry{};
    };
    const RegionEntry ri = find(kImuiRi);
    EXPECT_EQ(ri.fullName, QStringLiteral("임의도 가상시 임의읍 임의리"));
    EXPECT_EQ(ri.province, QStringLiteral("임의도"));
    EXPECT_EQ(ri.district, QStringLiteral("가상시"));
    EXPECT_EQ(ri.town, QStringLiteral("임의읍"));
    EXPECT_EQ(ri.village, QStringLiteral("임의리"));
    EXPECT_FALSE(ri.abolished);
    // 똠 is one of the code page's extension syllables (0x8C 0x63).
    EXPECT_EQ(find(QStringLiteral("9911031022")).village, QStringLiteral("똠방리"));
    EXPECT_TRUE(find(QStringLiteral("9911025023")).abolished);
    const RegionEntry dong = find(kNuriDong);
    EXPECT_EQ(dong.town, QStringLiteral("누리동"));
    EXPECT_TRUE(dong.village.isEmpty());
}

// A district of two words (수원시 장안구) keeps both; a code whose parent is
// not listed keeps its last word, and the level the list lacks stays empty.
TEST_P(ArchiveRegions, LevelNamesComeFromTheCodesAboveThem)
{
    const std::vector<RegionEntry> entries =
        parseRegionList(cp949(kHeader + QStringLiteral("4100000000\t경기도\t존재\n"
                                                       "4111100000\t경기도 수원시 장안구\t존재\n"
                                                       "4111112900\t경기도 수원시 장안구 파장동\t존재\n"
                                                       "4183025021\t경기도 양평군 양평읍 양근리\t존재\n")));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].district, QStringLiteral("수원시 장안구"));
    EXPECT_EQ(entries[2].town, QStringLiteral("파장동"));
    EXPECT_EQ(entries[2].district, QStringLiteral("수원시 장안구"));
    EXPECT_EQ(entries[3].village, QStringLiteral("양근리"));
    EXPECT_EQ(entries[3].province, QStringLiteral("경기도"));
    EXPECT_EQ(entries[3].town, QString());
}

// Each fault of a region file is refused with the line it is on, and the
// store keeps the list it had.
TEST_P(ArchiveRegions, BadFilesAreRefusedNamingTheLineAndNothingChanges)
{
    auto store = ready();
    const QByteArray utf8Source = readFile(QStringLiteral(RIDA_SAMPLE_REGIONS_UTF8));
    ASSERT_FALSE(utf8Source.isEmpty());
    const QByteArray good = cp949(kHeader + QStringLiteral("9911025021\t임의도 가상시 임의읍 임의리\t존재\r\n"));
    struct Case {
        const char* name;
        QByteArray bytes;
        QString says;
    };
    const std::vector<Case> cases{
        {"UTF-8, as an editor saves it", utf8Source, QStringLiteral("1번째 줄: UTF-8 파일입니다")},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + utf8Source, QStringLiteral("1번째 줄: UTF-8 파일입니다")},
        {"bytes that are not CP949", good + "9911025022\t\xFF\xFE\t" + cp949(QStringLiteral("존재")),
         QStringLiteral("3번째 줄: CP949 문자가 아닌")},
        {"a wrong header", cp949(QStringLiteral("코드\t이름\t상태\n9911025021\t임의리\t존재\n")),
         QStringLiteral("1번째 줄: 첫 줄이")},
        {"no header", cp949(QStringLiteral("9911025021\t임의도 가상시 임의읍 임의리\t존재\n")),
         QStringLiteral("1번째 줄: 첫 줄이")},
        {"an empty file", QByteArray(), QStringLiteral("비어 있습니다")},
        {"a short line", good + cp949(QStringLiteral("9911025022\t임의도 가상시 임의읍 새터리\n")),
         QStringLiteral("3번째 줄: 항목이 2개뿐입니다")},
        {"a line of one field", good + "9911025022\n", QStringLiteral("3번째 줄: 항목이 1개뿐입니다")},
        {"a field too many", good + cp949(QStringLiteral("9911025022\t새터리\t존재\t비고\n")),
         QStringLiteral("3번째 줄: 항목이 4개입니다")},
        {"a code of nine digits", good + cp949(QStringLiteral("991102502\t새터리\t존재\n")),
         QStringLiteral("3번째 줄: 법정동코드 \"991102502\"는 10자리 숫자가 아닙니다")},
        {"a code with letters", good + cp949(QStringLiteral("99110250AB\t새터리\t존재\n")),
         QStringLiteral("3번째 줄: 법정동코드")},
        {"an unknown status", good + cp949(QStringLiteral("9911025022\t새터리\t있음\n")),
         QStringLiteral("3번째 줄: 폐지여부 \"있음\"")},
        {"an empty name", good + cp949(QStringLiteral("9911025022\t\t존재\n")), QStringLiteral("3번째 줄: 법정동명이")},
        {"a code twice", good + cp949(QStringLiteral("9911025022\t새터리\t존재\n9911025021\t임의리\t폐지\n")),
         QStringLiteral("4번째 줄: 법정동코드 9911025021이(가) 2번째 줄에 이미 있습니다")},
    };
    const QList<RegionItem> townsBefore = store->towns();
    const std::optional<RegionNames> before = store->regionNames(kImuiRi);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("bad.txt"));
        writeFile(file, c.bytes);
        const ArchiveError e = thrown([&] { store->importRegions(readRegionList(file)); });
        EXPECT_EQ(e.failure(), Failure::Invalid);
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("행정코드 파일 "))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(c.says)) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("가져오지 않았습니다"))) << e.text().toStdString();
    }
    EXPECT_EQ(store->towns().size(), townsBefore.size());
    EXPECT_EQ(store->regionNames(kImuiRi)->abolished, before->abolished);
    EXPECT_EQ(thrown([&] { readRegionList(path(QStringLiteral("no-such-file.txt"))); }).failure(), Failure::Invalid);
}

// The list is imported again when it is published again: an abolished code is
// marked, never deleted, and the records that use it stay whole.
TEST_P(ArchiveRegions, ReimportingMarksAbolishedCodesAndKeepsTheirRecords)
{
    auto store = ready();
    const qint64 id = store->insertDocument(document(QStringLiteral("a.jpg"), {{kImuiRi, false, 12, 3}}));
    RegionImportSummary again = store->importRegions(readRegionList(sampleRegionsPath()));
    EXPECT_EQ(again.added, 0);
    EXPECT_EQ(again.changed, 0);
    EXPECT_EQ(again.total, 15);

    const QString next = kHeader + QStringLiteral("9911025000\t임의도 가상시 임의읍\t존재\n"
                                                  "9911025021\t임의도 가상시 임의읍 임의리\t폐지\n"
                                                  "9911025024\t임의도 가상시 임의읍 새마을리\t존재\n");
    writeFile(path(QStringLiteral("next.txt")), cp949(next));
    const RegionImportSummary s = store->importRegions(readRegionList(path(QStringLiteral("next.txt"))));
    EXPECT_EQ(s.added, 1);
    EXPECT_EQ(s.changed, 1);
    EXPECT_EQ(s.abolished, 1);

    const std::optional<RegionNames> names = store->regionNames(kImuiRi);
    ASSERT_TRUE(names);
    EXPECT_TRUE(names->abolished);
    EXPECT_EQ(names->village, QStringLiteral("임의리"));
    EXPECT_TRUE(store->regionNames(QStringLiteral("9911031021"))); // not in the new file, still there
    LotQuery query;
    query.regionCode = kImuiRi;
    query.mainNumber = 12;
    ASSERT_EQ(store->findDocuments(query).size(), 1);
    EXPECT_EQ(store->lotsOf(id).front().parcelNumber, QStringLiteral("9911025021100120003"));
    QStringList villages;
    for (const RegionItem& item : store->villages(kImuiEup))
        villages << item.name;
    EXPECT_EQ(villages, (QStringList{QStringLiteral("새터리"), QStringLiteral("새마을리")}));
}

// The disk fills up halfway through an import: the store keeps its old list whole.
TEST_F(ArchiveRegionsInAFile, AnImportThatFailsHalfwayChangesNothing)
{
    auto store = ready();
    QString text = kHeader;
    for (int k = 0; k < 3000; ++k)
        text += QStringLiteral("9912%1\t임의도 새시 %2동\t존재\n").arg(k + 1, 6, 10, QChar(u'0')).arg(k);
    writeFile(path(QStringLiteral("big.txt")), cp949(text));
    const std::vector<RegionEntry> entries = readRegionList(path(QStringLiteral("big.txt")));
    QSqlQuery limit(QSqlDatabase::database(store->connectionName()));
    ASSERT_TRUE(limit.exec(QStringLiteral("PRAGMA page_count")) && limit.next());
    ASSERT_TRUE(limit.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(limit.value(0).toInt() + 2)));
    limit.finish();
    EXPECT_EQ(thrown([&] { store->importRegions(entries); }).failure(), Failure::DiskFull);
    EXPECT_FALSE(store->regionNames(QStringLiteral("9912000001")));
    EXPECT_TRUE(store->regionNames(kImuiRi));
}

TEST_P(ArchiveRegions, TheOfficeListsItsTownsAndTheirVillagesInCodeOrder)
{
    auto store = ready();
    auto items = [](const QList<RegionItem>& list) {
        QStringList out;
        for (const RegionItem& item : list)
            out << item.code + u' ' + item.name;
        return out;
    };
    // 옛누리동 is abolished; 이웃군 is not chosen.
    EXPECT_EQ(items(store->towns()), (QStringList{"9911010100 누리동", "9911025000 임의읍", "9911031000 한울면"}));
    EXPECT_EQ(items(store->villages(kImuiEup)), (QStringList{"9911025021 임의리", "9911025022 새터리"}));
    EXPECT_EQ(items(store->villages(kHanulMyeon)),
              (QStringList{"9911031021 솔내리", "9911031022 똠방리", "9911031023 돌다리"}));
    // A 동 without 리: one empty entry, 리 code 00.
    EXPECT_EQ(items(store->villages(kNuriDong)), (QStringList{"9911010100 "}));

    EXPECT_EQ(store->regionCode(QStringLiteral("임의읍"), QStringLiteral("새터리")), kSaeteoRi);
    EXPECT_EQ(store->regionCode(QStringLiteral("누리동"), QString()), kNuriDong);
    EXPECT_EQ(store->regionCode(QStringLiteral("바람면"), QStringLiteral("구름리")), std::nullopt);
    const std::optional<RegionNames> names = store->regionNames(QStringLiteral("9911031022"));
    ASSERT_TRUE(names);
    EXPECT_EQ(names->town + u' ' + names->village, QStringLiteral("한울면 똠방리"));

    store->chooseDistricts({QStringLiteral("99110"), QStringLiteral("99130")});
    EXPECT_EQ(store->chosenDistricts(), (QStringList{"99110", "99130"}));
    EXPECT_EQ(items(store->towns()).last(), QStringLiteral("9913031000 바람면"));
    EXPECT_EQ(store->regionCode(QStringLiteral("바람면"), QStringLiteral("구름리")), QStringLiteral("9913031021"));

    for (const QString& bad :
         {QStringLiteral("9911"), QStringLiteral("12345"), QStringLiteral("99110a"), QStringLiteral("99000")}) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_EQ(thrown([&] { store->chooseDistricts({bad}); }).failure(), Failure::Invalid);
    }
    EXPECT_EQ(thrown([&] { store->chooseDistricts({}); }).failure(), Failure::Invalid);
    EXPECT_EQ(store->chosenDistricts(), (QStringList{"99110", "99130"}));
}

RIDA_ON_BOTH_BACKENDS(ArchiveRegions);

} // namespace
} // namespace rida::archive::testing
