// The lookup window of the archive edition on a fresh archive filled through
// registration: every criterion of the search panel alone and together, the
// year range typed either way round, no match, the record grid's cap, the
// arrows of the 부번, opening a record and a page that has vanished.

#include "components/resultgrids.h"
#include "lookup/lookupwindow.h"
#include "lookup/outputbar.h"
#include "tests/lookup/storedrecords.h"
#include "tests/lookup/windowtesting.h"
#include "tests/support/fakeoutput.h"
#include "ui/fields.h"
#include "viewer/imageviewer.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>

using namespace rida;
using archive::testing::kImuiRi;
using archive::testing::kNuriDong;
using archive::testing::kSaeteoRi;
using archive::testing::kSollaeRi;

namespace {

class ArchiveLookup : public test::StoredRecords {
public:
    void SetUp() override
    {
        StoredRecords::SetUp();
        // Four documents, newest survey first: d, b, a, c.
        a = file(u'G', 1998, 1, {{kImuiRi, false, 12, 3}, {kImuiRi, true, 7, 0}});
        b = file(u'S', 2001, 6, {{kImuiRi, false, 12, 0}, {kSaeteoRi, false, 12, 3}});
        c = file(u'T', 1995, 3, {{kSollaeRi, false, 12, 3}});
        d = file(u'G', 2005, 12, {{kNuriDong, false, 4, 1}});
        w = new lookup::LookupWindow(app.appDir(), components::storeRegions(*store), pageArchive());
        w->showInWorkArea();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        panel = w->searchPanel;
    }
    void TearDown() override
    {
        delete w.data();
        StoredRecords::TearDown();
    }
    void search() { QTest::mouseClick(panel->searchButton, Qt::LeftButton); }

    test::AppFolder app;
    QPointer<lookup::LookupWindow> w;
    components::SearchPanel* panel = nullptr;
    qint64 a = 0, b = 0, c = 0, d = 0;
};

TEST_F(ArchiveLookup, EachCriterionAloneAndTogetherFindsItsDocumentsNewestFirst)
{
    struct Case {
        const char* what;
        QString town, village;
        bool san;
        QString main, sub;
        int kind;                 // index in the kind list, -1: " 조서구분 :" not ticked
        QString yearFrom, yearTo; // empty: " 연도범위 :" not ticked
        QList<qint64> found;
    };
    const QString imui = QStringLiteral("임의읍"), imuiRi = QStringLiteral("임의리");
    const Case cases[] = {
        {"region only", imui, imuiRi, false, "", "", -1, "", "", {b, a}},
        {"another 리 of the 읍", imui, QStringLiteral("새터리"), false, "", "", -1, "", "", {b}},
        {"another 읍면", QStringLiteral("한울면"), QStringLiteral("솔내리"), false, "", "", -1, "", "", {c}},
        {"a 동 without 리", QStringLiteral("누리동"), "", false, "", "", -1, "", "", {d}},
        {"본번", imui, imuiRi, false, "12", "", -1, "", "", {b, a}},
        {"본번 and 부번", imui, imuiRi, false, "12", "3", -1, "", "", {a}},
        {"부번 0", imui, imuiRi, false, "12", "0", -1, "", "", {b}},
        {"부번 alone", imui, imuiRi, false, "", "3", -1, "", "", {a}},
        {"산", imui, imuiRi, true, "7", "", -1, "", "", {a}},
        {"산 ticked, the lot is 토지", imui, imuiRi, true, "12", "3", -1, "", "", {}},
        {"kind 결정조서", imui, imuiRi, false, "", "", 1, "", "", {a}},
        {"kind 산정조서", imui, imuiRi, false, "12", "", 2, "", "", {b}},
        {"kind with no such document", imui, imuiRi, false, "", "", 0, "", "", {}},
        {"years", imui, imuiRi, false, "", "", -1, "1999", "2010", {b}},
        {"years the wrong way round", imui, imuiRi, false, "", "", -1, "2010", "1999", {b}},
        {"years open below", imui, imuiRi, false, "", "", -1, "0", "1998", {a}},
        {"years open above", imui, imuiRi, false, "", "", -1, "1999", "0", {b}},
        {"one year", imui, imuiRi, false, "", "", -1, "1998", "1998", {a}},
        {"everything together", imui, imuiRi, false, "12", "3", 1, "1990", "1998", {a}},
        {"together, one too many", imui, imuiRi, false, "12", "3", 1, "1999", "2000", {}},
        {"no such lot", imui, imuiRi, false, "999", "", -1, "", "", {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        setCriteria(panel, k.town, k.village, k.san, k.main, k.sub);
        panel->kindFilterBox->setChecked(k.kind >= 0);
        if (k.kind >= 0)
            panel->kindList->setCurrentIndex(k.kind);
        panel->yearRangeBox->setChecked(!k.yearFrom.isEmpty());
        if (!k.yearFrom.isEmpty()) {
            panel->yearFrom->setText(k.yearFrom);
            panel->yearTo->setText(k.yearTo);
        }
        search();
        EXPECT_EQ(listed(w->recordGrid), k.found);
        EXPECT_EQ(w->recordPanel->caption(), components::recordPanelCaption(int(k.found.size())));
    }
    // No match said by the caption alone, never by a message box.
    EXPECT_EQ(w->recordPanel->caption(), QStringLiteral("검색된 지가조서 (0건)"));
    EXPECT_TRUE(fake->messages.isEmpty()) << fake->messages.front().text.toStdString();
}

TEST_F(ArchiveLookup, AYearRangeTypedTheWrongWayRoundIsPutRight)
{
    setCriteria(panel, QStringLiteral("임의읍"), QStringLiteral("임의리"), false, "", "");
    panel->yearRangeBox->setChecked(true);
    panel->yearFrom->setText(QStringLiteral("2010"));
    panel->yearTo->setText(QStringLiteral("1990"));
    search();
    EXPECT_EQ(panel->yearFrom->text(), QStringLiteral("1990"));
    EXPECT_EQ(panel->yearTo->text(), QStringLiteral("2010"));
    EXPECT_EQ(listed(w->recordGrid), (QList<qint64>{b, a}));
}

TEST_F(ArchiveLookup, TheRecordGridShowsKindYearMonthAndTheHiddenPage)
{
    setCriteria(panel, QStringLiteral("임의읍"), QStringLiteral("임의리"), false, "12", "");
    search();
    ASSERT_EQ(w->recordGrid->dataRowCount(), 2);
    const archive::StoredDocument stored = *store->document(b);
    EXPECT_EQ(w->recordGrid->cell(1, 1), QStringLiteral("산정조서"));
    EXPECT_EQ(w->recordGrid->cell(1, 2), QStringLiteral("2001년"));
    EXPECT_EQ(w->recordGrid->cell(1, 3), QStringLiteral("6월"));
    EXPECT_EQ(w->recordGrid->cell(1, 4) + w->recordGrid->cell(1, 5), QDir(pagesPath()).filePath(stored.pagePath));
    EXPECT_TRUE(w->recordGrid->cell(1, 4).endsWith(u'/'));
    EXPECT_EQ(w->recordGrid->cell(2, 1), QStringLiteral("결정조서"));
}

TEST_F(ArchiveLookup, MoreThanAThousandMatchesListTheFirstThousandAndSaySo)
{
    QList<archive::NewDocument> many;
    for (int k = 0; k < 1001; ++k)
        many << pageDocument(QStringLiteral("99110/1990/many-%1.jpg").arg(k), QByteArray::number(k),
                             {{kSaeteoRi, false, 500, 0}}, k == 0 ? u'Y' : u'J', 1900 + k / 12, 1 + k % 12);
    store->insertDocuments(many);
    setCriteria(panel, QStringLiteral("임의읍"), QStringLiteral("새터리"), false, "500", "");
    search();
    EXPECT_EQ(w->recordGrid->dataRowCount(), 1000);
    EXPECT_EQ(w->recordPanel->caption(), QStringLiteral("검색된 지가조서 (1000건 넘음: 처음 1000건)"));
    // Newest first: the last one stored (1983, month 5) heads the list.
    EXPECT_EQ(w->recordGrid->cell(1, 2), QStringLiteral("1983년"));
    EXPECT_EQ(w->recordGrid->cell(1, 3), QStringLiteral("5월"));
    // Exactly a thousand is no cap: the one of another kind left out.
    panel->kindFilterBox->setChecked(true);
    panel->kindList->setCurrentIndex(3); // 조사대상필지부(J)
    search();
    EXPECT_EQ(w->recordGrid->dataRowCount(), 1000);
    EXPECT_EQ(w->recordPanel->caption(), QStringLiteral("검색된 지가조서 (1000건)"));
}

TEST_F(ArchiveLookup, TheArrowsStepTheSubNumberAndSearchAgain)
{
    setCriteria(panel, QStringLiteral("임의읍"), QStringLiteral("임의리"), false, "12", "1");
    QTest::mouseClick(panel->previousSubButton, Qt::LeftButton);
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("0"));
    EXPECT_EQ(listed(w->recordGrid), QList<qint64>{b});
    QTest::mouseClick(panel->previousSubButton, Qt::LeftButton); // never below 0
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("0"));
    for (int k = 0; k < 3; ++k)
        QTest::mouseClick(panel->nextSubButton, Qt::LeftButton);
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("3"));
    EXPECT_EQ(listed(w->recordGrid), QList<qint64>{a});
    panel->subNumber->clear();
    QTest::mouseClick(panel->nextSubButton, Qt::LeftButton);
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("1"));
    EXPECT_EQ(w->recordGrid->dataRowCount(), 0);
}

TEST_F(ArchiveLookup, OpeningARecordShowsItsStoredPageAndAllItsLots)
{
    setCriteria(panel, QStringLiteral("임의읍"), QStringLiteral("임의리"), false, "12", "");
    search();
    test::doubleClickRow(w->recordGrid, 1); // b
    ASSERT_EQ(w->lotGrid->dataRowCount(), 2);
    EXPECT_EQ(w->lotPanel->caption(), QStringLiteral("검색된 지번 (2건)"));
    EXPECT_EQ(w->lotGrid->rowCells(1), (QStringList{"임의읍", "임의리", "토지", "12", "0"}));
    EXPECT_EQ(w->lotGrid->rowCells(2), (QStringList{"임의읍", "새터리", "토지", "12", "3"}));
    EXPECT_EQ(w->viewer->page().width(), 48);
    EXPECT_EQ(w->viewer->scaleBox->currentText(), QStringLiteral("25%"));
    // The first lot is in the search fields; a click on a lot copies it.
    EXPECT_EQ(panel->mainNumber->text(), QStringLiteral("12"));
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("0"));
    test::clickRow(w->lotGrid, 2);
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("3"));
    // Opened twice: the lots once.
    test::doubleClickRow(w->recordGrid, 1);
    EXPECT_EQ(w->lotGrid->dataRowCount(), 2);
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(ArchiveLookup, APageThatVanishedIsNamedByTheErrorReportAndTheGridsStay)
{
    const QString page = QDir(pagesPath()).filePath(store->document(a)->pagePath);
    const QString aside = path(QStringLiteral("aside.jpg"));
    ASSERT_TRUE(QFile::rename(page, aside));
    setCriteria(panel, QStringLiteral("임의읍"), QStringLiteral("임의리"), false, "12", "3");
    search();
    test::doubleClickRow(w->recordGrid, 1);
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages.front().icon, ui::MessageIcon::Error);
    EXPECT_TRUE(fake->messages.front().text.contains(QFileInfo(page).fileName()))
        << fake->messages.front().text.toStdString();
    EXPECT_EQ(w->recordGrid->dataRowCount(), 1);
    EXPECT_EQ(w->lotGrid->dataRowCount(), 2);
    EXPECT_TRUE(w->viewer->page().empty());
    ASSERT_TRUE(QFile::rename(aside, page)); // the archive whole again for the check
}

// The output commands take the stored page as they take the sample's.
TEST_F(ArchiveLookup, AStoredPageIsPrintedAsItIsShown)
{
    test::ScopedFakeOutput out;
    setCriteria(panel, QStringLiteral("임의읍"), QStringLiteral("임의리"), false, "12", "3");
    search();
    test::doubleClickRow(w->recordGrid, 1);
    QTest::mouseClick(w->output->printButton, Qt::LeftButton);
    ASSERT_EQ(out.reports->calls.size(), 2);
    EXPECT_EQ(out.reports->calls[1].kind, test::ReportCall::Print);
    EXPECT_EQ(out.reports->calls[1].page.image.picture.size(), QSize(48, 32));
    EXPECT_TRUE(fake->messages.isEmpty());
}

} // namespace
