#include "components/resultgrids.h"
#include "components/searchpanel.h"
#include "lookup/lookupwindow.h"
#include "lookup/outputbar.h"
#include "tests/lookup/windowtesting.h"
#include "tests/support/fakeservices.h"
#include "ui/fields.h"
#include "viewer/imageviewer.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDate>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolButton>

using namespace rida;
using test::clickRow;
using test::doubleClickRow;
using test::pressKey;

namespace {

struct LookupWindow : ::testing::Test {
    test::ScopedFakeServices fake;
    test::AppFolder folder;
    QPointer<lookup::LookupWindow> w;
    components::SearchPanel* panel = nullptr;

    void SetUp() override
    {
        w = new lookup::LookupWindow(folder.appDir());
        w->showInWorkArea();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        panel = w->searchPanel;
    }
    void TearDown() override { delete w.data(); }

    void search() { QTest::mouseClick(panel->searchButton, Qt::LeftButton); }
    void searchAndOpen()
    {
        search();
        doubleClickRow(w->recordGrid, 1);
    }
    // The scale box's text; the page must be shown at that scale too.
    QString scaleText() const
    {
        const QString text = w->viewer->scaleBox->currentText();
        EXPECT_DOUBLE_EQ(w->viewer->view()->scale(), text.chopped(1).toDouble() / 100.0) << text.toStdString();
        return text;
    }
    QStringList lotColumn(int column) const
    {
        QStringList cells;
        for (int r = 1; r < w->lotGrid->rowCount(); ++r)
            cells << w->lotGrid->cell(r, column);
        return cells;
    }
};

} // namespace

TEST_F(LookupWindow, OpensEmptyWithFocusOnTheMainNumber)
{
    EXPECT_EQ(w->windowTitle(), QStringLiteral("지가조서 조회"));
    EXPECT_EQ(QApplication::focusWidget(), panel->mainNumber);
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_EQ(panel->yearFrom->text(), year);
    EXPECT_EQ(panel->yearTo->text(), year);
    EXPECT_EQ(panel->townList->currentText(), QStringLiteral("임의읍"));
    EXPECT_EQ(panel->villageList->currentText(), QStringLiteral("임의리"));
    EXPECT_EQ(panel->kindList->currentText(), QStringLiteral("토지특성조사표(T)"));
    EXPECT_EQ(panel->kindList->count(), 6);
    EXPECT_FALSE(panel->sanBox->isChecked() || panel->kindFilterBox->isChecked() || panel->yearRangeBox->isChecked());

    EXPECT_EQ(w->recordGrid->rowCount(), 2);
    EXPECT_EQ(w->lotGrid->rowCount(), 2);
    QStringList shown;
    for (int c = 0; c < w->recordGrid->columnCount(); ++c)
        if (w->recordGrid->columnWidth(c) > 0)
            shown << w->recordGrid->cell(0, c);
    EXPECT_EQ(shown, (QStringList{"문서구분", "조사연도", "조사월"}));
    EXPECT_EQ(w->lotGrid->rowCells(0), (QStringList{"읍면", "동리", "구분", "본번", "부번"}));
    // The user sizes the record grid's columns; the lot grid's stay as they are.
    EXPECT_EQ(w->recordGrid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    EXPECT_EQ(w->lotGrid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
    EXPECT_EQ(w->recordPanel->title(), QStringLiteral("검색된 지가조서"));
    EXPECT_EQ(w->lotPanel->title(), QStringLiteral("검색된 지번"));
    EXPECT_TRUE(w->viewer->page().empty());
    EXPECT_FALSE(w->searchDone());
    EXPECT_EQ(w->selectedRecordRow(), 0);
}

TEST_F(LookupWindow, EveryControlHasASpokenName)
{
    struct Case {
        QWidget* control;
        const char* name;
    } cases[] = {
        {panel->townList, "지역 읍면"},    {panel->villageList, "지역 동리"}, {panel->sanBox, "산"},
        {panel->mainNumber, "본번"},       {panel->subNumber, "부번"},        {panel->previousSubButton, "전 부번"},
        {panel->nextSubButton, "후 부번"}, {panel->kindList, "조서구분"},     {panel->yearFrom, "시작 연도"},
        {panel->yearTo, "끝 연도"},        {panel->searchButton, "검색"},     {w->recordGrid, "검색된 지가조서"},
        {w->lotGrid, "검색된 지번"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::nameOf(c.control), QString::fromUtf8(c.name));
    EXPECT_TRUE(test::spokenName(panel->kindFilterBox).contains(QStringLiteral("조서구분")));
    EXPECT_EQ(test::unnamedControls(w), QStringList()); // and all the others
    EXPECT_EQ(test::nameOf(w->viewer->scaleBox), QStringLiteral("화면비율"));
    // Picture-only buttons of the viewer speak their hint.
    for (QAbstractButton* b : w->viewer->findChildren<QAbstractButton*>())
        EXPECT_FALSE(test::nameOf(b).isEmpty()) << b->objectName().toStdString();
    EXPECT_TRUE(test::spokenName(panel->yearRangeBox).contains(QStringLiteral("연도범위")));
}

TEST_F(LookupWindow, SearchListsTheSampleRecordAndGivesTheScaleBoxTheFocus)
{
    search();
    ASSERT_EQ(w->recordGrid->dataRowCount(), 1);
    EXPECT_EQ(w->recordGrid->rowCells(1),
              (QStringList{"1", "결정조서", "1998년", "1월", folder.appDir() + "Files/", "Img001.jpg"}));
    EXPECT_EQ(w->recordGrid->rowColor(1), QColor(255, 255, 223));
    EXPECT_EQ(w->recordPanel->title(), QStringLiteral("검색된 지가조서 (1건)"));
    EXPECT_EQ(w->recordGrid->accessibleName(), QStringLiteral("검색된 지가조서 (1건)"));
    EXPECT_TRUE(w->searchDone());
    EXPECT_TRUE(w->viewer->page().empty());
    EXPECT_TRUE(w->viewer->scaleBox->hasFocus());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(LookupWindow, SearchShowsTheWaitCursorWhileTheRecordGridFills)
{
    // The override cursor each time the grid gains a row or a cell changes.
    QList<int> seen;
    auto note = [&] {
        const QCursor* c = QGuiApplication::overrideCursor();
        seen << (c ? int(c->shape()) : -1);
    };
    QAbstractItemModel* grid = w->recordGrid->model();
    QObject::connect(grid, &QAbstractItemModel::rowsInserted, w.data(), note);
    QObject::connect(grid, &QAbstractItemModel::dataChanged, w.data(), note);
    for (int round = 0; round < 2; ++round) { // the second search empties a filled grid first
        seen.clear();
        search();
        ASSERT_EQ(w->recordGrid->dataRowCount(), 1);
        ASSERT_FALSE(seen.isEmpty()) << round;
        EXPECT_EQ(seen, QList<int>(seen.size(), int(Qt::WaitCursor))) << round;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << round;
    }
}

TEST_F(LookupWindow, AnyCriteriaGiveTheSameRecord)
{
    struct Criteria {
        const char* main;
        const char* sub;
        bool san, kind, years;
        const char* from;
        int kindIndex;
        Qt::Key regionKey;
    } cases[] = {
        {"", "", false, false, false, "", 0, Qt::Key_Down},
        {"12", "3", true, true, true, "1990", 5, Qt::Key_Up},
        {"abcd", "산-1", false, true, false, "0", 2, Qt::Key_PageDown},
        {"9999", "", true, false, true, "", 1, Qt::Key_Down},
    };
    // Over the text that is there: select it all, erase it, then type.
    const auto typeOver = [](QLineEdit* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        test::typeText(field, text);
    };
    const auto tick = [](QCheckBox* box, bool on) {
        if (box->isChecked() == on)
            return;
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.main);
        for (QComboBox* region : {panel->townList, panel->villageList}) {
            region->setFocus();
            pressKey(c.regionKey);
        }
        typeOver(panel->mainNumber, QString::fromUtf8(c.main));
        typeOver(panel->subNumber, QString::fromUtf8(c.sub));
        tick(panel->sanBox, c.san);
        tick(panel->kindFilterBox, c.kind);
        tick(panel->yearRangeBox, c.years);
        panel->kindList->setFocus();
        pressKey(Qt::Key_Home);
        for (int i = 0; i < c.kindIndex; ++i)
            pressKey(Qt::Key_Down);
        test::typeText(panel->yearFrom, QString::fromUtf8(c.from));

        // The fields hold what was entered.
        EXPECT_EQ(panel->townList->currentText(), QStringLiteral("임의읍"));
        EXPECT_EQ(panel->villageList->currentText(), QStringLiteral("임의리"));
        EXPECT_EQ(panel->mainNumber->text(), QString::fromUtf8(c.main));
        EXPECT_EQ(panel->subNumber->text(), QString::fromUtf8(c.sub));
        EXPECT_EQ(panel->sanBox->isChecked(), c.san);
        EXPECT_EQ(panel->kindFilterBox->isChecked(), c.kind);
        EXPECT_EQ(panel->yearRangeBox->isChecked(), c.years);
        EXPECT_EQ(panel->kindList->currentIndex(), c.kindIndex);
        if (*c.from) {
            EXPECT_EQ(panel->yearFrom->text(), QString::fromUtf8(c.from));
        }

        search();
        EXPECT_EQ(w->recordGrid->dataRowCount(), 1);
        EXPECT_EQ(w->recordGrid->rowCells(1),
                  (QStringList{"1", "결정조서", "1998년", "1월", folder.appDir() + "Files/", "Img001.jpg"}));
        EXPECT_EQ(w->recordPanel->title(), QStringLiteral("검색된 지가조서 (1건)"));
    }
}

TEST_F(LookupWindow, OpeningShowsThePageAtQuarterScaleWithFifteenLots)
{
    searchAndOpen();
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_EQ(w->viewer->page().width(), 64);
    EXPECT_EQ(scaleText(), QStringLiteral("25%"));
    EXPECT_EQ(w->viewer->brightnessField->text(), QStringLiteral("0"));
    EXPECT_EQ(w->lotGrid->dataRowCount(), 15);
    EXPECT_EQ(w->lotPanel->title(), QStringLiteral("검색된 지번 (15건)"));
    EXPECT_EQ(lotColumn(3),
              (QStringList{"1", "2", "4", "4", "4", "4", "4", "4", "4", "4", "4", "4", "4", "4", "4", ""}));
    EXPECT_EQ(lotColumn(4),
              (QStringList{"0", "1", "0", "4", "6", "7", "8", "10", "14", "15", "16", "17", "18", "20", "24", ""}));
    EXPECT_EQ(w->lotGrid->rowCells(1), (QStringList{"임의읍", "임의리", "토지", "1", "0"}));
    EXPECT_EQ(w->lotGrid->rowColor(15), QColor(255, 255, 247));
    EXPECT_FALSE(w->lotGrid->rowColor(16).isValid());
    // The first lot is in the search fields and row 1 is current.
    EXPECT_EQ(panel->mainNumber->text(), QStringLiteral("1"));
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("0"));
    EXPECT_FALSE(panel->sanBox->isChecked());
    EXPECT_EQ(w->selectedLotRow(), 1);
    EXPECT_EQ(w->lotGrid->currentRow(), 1);
}

TEST_F(LookupWindow, OpeningTwiceLeavesFifteenLots)
{
    searchAndOpen();
    doubleClickRow(w->recordGrid, 1);
    EXPECT_EQ(w->lotGrid->dataRowCount(), 15);
    EXPECT_EQ(w->lotGrid->rowCount(), 17);
}

TEST_F(LookupWindow, SecondSearchShowsOneRecordAndAnEmptyPage)
{
    searchAndOpen();
    ASSERT_FALSE(w->viewer->page().empty());
    search();
    EXPECT_EQ(w->recordGrid->dataRowCount(), 1);
    EXPECT_EQ(w->recordPanel->title(), QStringLiteral("검색된 지가조서 (1건)"));
    EXPECT_TRUE(w->viewer->page().empty());
    EXPECT_EQ(w->lotGrid->rowCount(), 2);
    EXPECT_EQ(w->lotPanel->title(), QStringLiteral("검색된 지번"));
    // And the record opens again.
    doubleClickRow(w->recordGrid, 1);
    EXPECT_FALSE(w->viewer->page().empty());
}

TEST_F(LookupWindow, DoubleClickBeforeAnySearchOpensNothing)
{
    doubleClickRow(w->recordGrid, 1); // the blank row
    EXPECT_EQ(w->selectedRecordRow(), 1);
    EXPECT_EQ(w->lotGrid->rowCount(), 2);
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(LookupWindow, DoubleClickOnTheHeaderOrTheBlankRowOpensNothing)
{
    search();
    // Before any row was chosen the selected row is the header, which is no record.
    test::doubleClickHeader(w->recordGrid, 1);
    EXPECT_EQ(w->selectedRecordRow(), 0);
    doubleClickRow(w->recordGrid, 2);
    EXPECT_EQ(w->selectedRecordRow(), 2);

    EXPECT_EQ(w->lotGrid->rowCount(), 2);
    EXPECT_TRUE(w->viewer->page().empty());
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(LookupWindow, UnreadablePageStopsTheOpeningAfterTheLotsAreEmptied)
{
    searchAndOpen();
    ASSERT_EQ(w->lotGrid->dataRowCount(), 15);
    // The page file turns into something that is no image.
    QFile page(folder.pagePath());
    ASSERT_TRUE(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
    page.write("not a page");
    page.close();

    // What the opening would set after the page shows that it stopped there.
    w->viewer->selectScaleEntry(6); // "100%"
    QTest::mouseClick(w->viewer->brightnessUpButton, Qt::LeftButton);
    ASSERT_EQ(w->viewer->brightnessField->text(), QStringLiteral("1"));

    doubleClickRow(w->recordGrid, 1);
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
    EXPECT_EQ(w->viewer->scaleBox->currentText(), QStringLiteral("100%"));
    EXPECT_EQ(w->viewer->brightnessField->text(), QStringLiteral("1"));
    EXPECT_EQ(w->lotGrid->rowCount(), 2);
    EXPECT_EQ(w->lotPanel->title(), QStringLiteral("검색된 지번"));
    EXPECT_TRUE(w->viewer->page().empty());

    QFile::remove(folder.pagePath());
    doubleClickRow(w->recordGrid, 1);
    EXPECT_EQ(fake->messages.size(), 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LookupWindow, ClickingALotCopiesItIntoTheSearchFields)
{
    searchAndOpen();
    w->lotGrid->setCell(4, 2, QStringLiteral("임야")); // row 4 is lot 4-4
    clickRow(w->lotGrid, 4);
    EXPECT_TRUE(panel->sanBox->isChecked());
    EXPECT_EQ(panel->mainNumber->text(), QStringLiteral("4"));
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("4"));

    clickRow(w->lotGrid, 8); // 4-10, 토지
    EXPECT_FALSE(panel->sanBox->isChecked());
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("10"));

    // The blank row copies nothing.
    clickRow(w->lotGrid, 16);
    EXPECT_EQ(w->selectedLotRow(), 16);
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("10"));
}

TEST_F(LookupWindow, F1AndF2StepTheLotNumbers)
{
    struct Case {
        const char* before;
        const char* after;
    } cases[] = {{"", "1"}, {"9999", "10000"}, {"0", "1"}, {"0041", "42"}, {" 7", "8"}};
    for (const auto& c : cases) {
        panel->mainNumber->setText(QString::fromUtf8(c.before));
        panel->mainNumber->setFocus();
        pressKey(Qt::Key_F1);
        EXPECT_EQ(panel->mainNumber->text(), QString::fromUtf8(c.after)) << c.before;

        panel->subNumber->setText(QString::fromUtf8(c.before));
        panel->searchButton->setFocus(); // the window sees the key wherever the focus is
        pressKey(Qt::Key_F2);
        EXPECT_EQ(panel->subNumber->text(), QString::fromUtf8(c.after)) << c.before;
    }
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(LookupWindow, F1AndF2OnTextThatIsNoNumberReportAndChangeNothing)
{
    struct Field {
        QLineEdit* field;
        Qt::Key key;
    } fields[] = {{panel->mainNumber, Qt::Key_F1}, {panel->subNumber, Qt::Key_F2}};
    for (const Field& f : fields)
        for (const char* bad : {"abc", "1-2", "산", "12a"}) {
            SCOPED_TRACE(bad);
            fake->messages.clear();
            f.field->setText(QString::fromUtf8(bad));
            f.field->setFocus();
            pressKey(f.key);
            EXPECT_EQ(f.field->text(), QString::fromUtf8(bad));
            ASSERT_EQ(fake->messages.size(), 1);
            EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
            EXPECT_TRUE(fake->messages[0].text.contains(QString::fromUtf8(bad)));
        }
}

TEST_F(LookupWindow, TypedLotNumbersStopAtFourCharacters)
{
    test::typeText(panel->mainNumber, QStringLiteral("12345"));
    EXPECT_EQ(panel->mainNumber->text(), QStringLiteral("1234"));
    test::typeText(panel->subNumber, QStringLiteral("가a-9x"));
    EXPECT_EQ(panel->subNumber->text(), QStringLiteral("가a-9"));
    // F1 may step past four characters; typing then adds nothing.
    panel->mainNumber->setText(QStringLiteral("9999"));
    panel->mainNumber->setFocus();
    pressKey(Qt::Key_F1);
    ASSERT_EQ(panel->mainNumber->text(), QStringLiteral("10000"));
    test::typeText(panel->mainNumber, QStringLiteral("7"));
    EXPECT_EQ(panel->mainNumber->text(), QStringLiteral("10000"));
}

TEST_F(LookupWindow, APastedLotNumberIsCutToTheRoomLeft)
{
    struct Case {
        const char* before;
        int cursor;
        const char* pasted;
        const char* after;
    } cases[] = {
        {"", 0, "12345", "1234"}, {"12", 2, "345", "1234"},   {"12", 0, "345", "3412"},
        {"1234", 4, "5", "1234"}, {"10000", 5, "1", "10000"}, // a stepped number past four characters takes no more
    };
    panel->mainNumber->setFocus();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pasted);
        panel->mainNumber->setText(QString::fromUtf8(c.before));
        panel->mainNumber->setCursorPosition(c.cursor);
        QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
        QTest::keyClick(panel->mainNumber, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(panel->mainNumber->text(), QString::fromUtf8(c.after));
    }
}

TEST_F(LookupWindow, APasteAfterOpeningARecordIsCutToTheLotShownNotToAnEarlierNumber)
{
    panel->mainNumber->setText(QStringLiteral("9999"));
    panel->mainNumber->setFocus();
    pressKey(Qt::Key_F1);
    ASSERT_EQ(panel->mainNumber->text(), QStringLiteral("10000"));
    searchAndOpen();
    ASSERT_EQ(panel->mainNumber->text(), QStringLiteral("1"));
    panel->mainNumber->setFocus();
    panel->mainNumber->end(false);
    QApplication::clipboard()->setText(QStringLiteral("23456"));
    QTest::keyClick(panel->mainNumber, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(panel->mainNumber->text(), QStringLiteral("1234"));
}

TEST_F(LookupWindow, AHeldCommandKeyActsOncePerPressAHeldStepKeyStepsOn)
{
    searchAndOpen();
    QSignalSpy print(w.data(), &lookup::LookupWindow::printPageRequested);
    const auto layers = w->viewer->view()->layers().size();
    // A press, then the repeats of the key held down.
    const auto hold = [](QWidget* to, Qt::Key key, int repeats) {
        for (int i = 0; i <= repeats; ++i) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), i > 0);
            QApplication::sendEvent(to, &press);
        }
    };
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    for (const Qt::Key key : {Qt::Key_F5, Qt::Key_F9, Qt::Key_F12})
        hold(focus, key, 3);
    EXPECT_EQ(w->viewer->view()->layers().size(), layers + 2); // one magnifier and its frame
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(fake->programs.size() + fake->urls.size(), 1); // the help, once
    // F8 held: the scale steps down on the press and on the repeat, 75 % to 60 % to 50 %.
    w->viewer->selectScaleEntry(4);
    ASSERT_EQ(scaleText(), QStringLiteral("75%"));
    panel->mainNumber->setFocus();
    hold(panel->mainNumber, Qt::Key_F8, 1);
    EXPECT_EQ(scaleText(), QStringLiteral("50%"));
}

TEST_F(LookupWindow, OtherFunctionKeys)
{
    QSignalSpy print(w.data(), &lookup::LookupWindow::printPageRequested);
    panel->subNumber->setText(QStringLiteral("12"));
    panel->mainNumber->setFocus();
    pressKey(Qt::Key_F3);
    EXPECT_EQ(panel->subNumber->text(), QString());

    pressKey(Qt::Key_F9);
    EXPECT_EQ(print.count(), 1);

    pressKey(Qt::Key_F12);
    ASSERT_EQ(fake->urls.size(), 1);
    EXPECT_EQ(fake->urls[0], QUrl::fromLocalFile(folder.appDir() + "Help/3_7_h.htm"));

    // The scale steps from "50%" to the next and the previous entry.
    pressKey(Qt::Key_F7);
    EXPECT_EQ(scaleText(), QStringLiteral("60%"));
    pressKey(Qt::Key_F8);
    pressKey(Qt::Key_F8);
    EXPECT_EQ(scaleText(), QStringLiteral("25%"));
}

TEST_F(LookupWindow, EnterLeadsFromTheLotFieldsToTheSearch)
{
    panel->subNumber->setText(QStringLiteral("77"));
    panel->mainNumber->setFocus();
    pressKey(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel->subNumber);
    EXPECT_FALSE(panel->subNumber->hasSelectedText());
    pressKey(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel->searchButton);
    EXPECT_EQ(w->recordGrid->dataRowCount(), 0); // the Enter that moved the focus searched nothing
    pressKey(Qt::Key_Return);
    EXPECT_EQ(w->recordGrid->dataRowCount(), 1);

    panel->yearFrom->setFocus();
    pressKey(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel->yearTo);
    pressKey(Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), panel->searchButton);
}

TEST_F(LookupWindow, RegionAndKindListsSwallowTyping)
{
    for (QComboBox* list : {panel->townList, panel->villageList}) {
        const QString before = list->currentText();
        test::typeText(list, QStringLiteral("a1"));
        pressKey(Qt::Key_Backspace);
        pressKey(Qt::Key_Return);
        EXPECT_EQ(list->currentText(), before);
        EXPECT_EQ(QApplication::focusWidget()->window(), w.data());
        EXPECT_TRUE(list->hasFocus());
    }
    test::typeText(panel->kindList, QStringLiteral("산열"));
    EXPECT_EQ(panel->kindList->currentIndex(), 0);
    pressKey(Qt::Key_Down); // the arrow keys still choose
    EXPECT_EQ(panel->kindList->currentIndex(), 1);
}

TEST_F(LookupWindow, YearFieldsTakeDigitsOnly)
{
    panel->yearFrom->setFocus();
    EXPECT_EQ(panel->yearFrom->selectedText(), panel->yearFrom->text());
    QTest::keyClicks(panel->yearFrom, QStringLiteral("a"));
    EXPECT_EQ(fake->beeps, 1);
    QTest::keyClicks(panel->yearFrom, QStringLiteral("0098"));
    panel->yearTo->setFocus();
    EXPECT_EQ(panel->yearFrom->text(), QStringLiteral("98"));
    panel->yearTo->clear();
    panel->yearFrom->setFocus();
    EXPECT_EQ(panel->yearTo->text(), QStringLiteral("0"));
}

TEST_F(LookupWindow, ClosingTellsTheMainWindow)
{
    QSignalSpy closed(w.data(), &ui::WorkWindow::closed);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(w.isNull());
}

TEST_F(LookupWindow, F5AndF6StartAndCancelTheMagnifierOnceEach)
{
    searchAndOpen();
    ASSERT_TRUE(w->viewer->panAllowed);
    const auto layersBefore = w->viewer->view()->layers().size();
    panel->mainNumber->setFocus();
    pressKey(Qt::Key_F5);
    ASSERT_NE(w->viewer->selection, nullptr);
    EXPECT_FALSE(w->viewer->panAllowed);
    EXPECT_EQ(w->viewer->view()->layers().size(), layersBefore + 2); // the magnifier and its frame
    pressKey(Qt::Key_F6);
    EXPECT_EQ(w->viewer->selection, nullptr);
    EXPECT_TRUE(w->viewer->panAllowed);

    // A search brings pan mode back while a magnifier is being placed, and
    // leaves the magnifier on the emptied view, where "취소" still removes it.
    pressKey(Qt::Key_F5);
    ui::Layer* magnifier = w->viewer->selection;
    search();
    EXPECT_TRUE(w->viewer->panAllowed);
    ASSERT_TRUE(w->viewer->page().empty());
    EXPECT_EQ(w->viewer->view()->layers().size(), layersBefore + 2);
    EXPECT_EQ(w->viewer->selection, magnifier);
    QTest::mouseClick(w->viewer->applyButton, Qt::LeftButton); // "적용" does nothing on an empty page
    EXPECT_EQ(w->viewer->view()->layers().size(), layersBefore + 2);
    EXPECT_FALSE(w->output->modifiedOutputBox->isChecked());
    pressKey(Qt::Key_F6);
    EXPECT_EQ(w->viewer->selection, nullptr);
    EXPECT_EQ(w->viewer->view()->layers().size(), layersBefore + 1); // the frame stays, hidden
    EXPECT_FALSE(w->viewer->rubberBand->visible);
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(LookupWindow, OpeningSetsTheBrightnessCounterBackToZero)
{
    QSignalSpy modified(w.data(), &lookup::LookupWindow::pageModified);
    searchAndOpen();
    QTest::mouseClick(w->viewer->brightnessUpButton, Qt::LeftButton);
    ASSERT_EQ(w->viewer->brightnessField->text(), QStringLiteral("1"));
    EXPECT_EQ(modified.count(), 1);
    w->viewer->selectScaleEntry(6); // "100%"
    // Opening leaves the page's tool layers, pan mode and "수정출력" alone.
    ASSERT_TRUE(w->output->modifiedOutputBox->isChecked());
    pressKey(Qt::Key_F5);
    ASSERT_FALSE(w->viewer->panAllowed);
    const auto layers = w->viewer->view()->layers().size();
    doubleClickRow(w->recordGrid, 1);
    EXPECT_EQ(w->viewer->brightnessField->text(), QStringLiteral("0"));
    EXPECT_EQ(scaleText(), QStringLiteral("25%"));
    EXPECT_TRUE(w->output->modifiedOutputBox->isChecked());
    EXPECT_FALSE(w->viewer->panAllowed);
    EXPECT_EQ(w->viewer->view()->layers().size(), layers);
}

TEST_F(LookupWindow, ReopenLoadsTheRecordsPageAgainAndLeavesTheTools)
{
    searchAndOpen();
    const image::Bitmap stored = w->viewer->page();
    // The page brightened and turned, shown at 100 %, a magnifier on it.
    QTest::mouseClick(w->viewer->brightnessUpButton, Qt::LeftButton);
    QTest::mouseClick(w->viewer->rotate90Button, Qt::LeftButton);
    ASSERT_EQ(w->viewer->page().width(), stored.height());
    w->viewer->selectScaleEntry(6); // "100%"
    pressKey(Qt::Key_F5);
    const auto layers = w->viewer->view()->layers().size();
    ASSERT_TRUE(w->output->modifiedOutputBox->isChecked());
    w->lotGrid->clearDataRows();

    w->viewer->reopenCommand(); // "다시 열기"
    EXPECT_EQ(w->lotGrid->dataRowCount(), 15);
    const image::Bitmap& again = w->viewer->page();
    ASSERT_EQ(again.width(), stored.width());
    ASSERT_EQ(again.height(), stored.height());
    EXPECT_TRUE(std::equal(again.data(), again.data() + again.pixelCount(), stored.data())) << "the file as stored";
    EXPECT_EQ(scaleText(), QStringLiteral("25%"));
    EXPECT_EQ(w->viewer->brightnessField->text(), QStringLiteral("0"));
    // Tool layers, pan mode and "수정출력" stay as they were.
    EXPECT_EQ(w->viewer->view()->layers().size(), layers);
    EXPECT_FALSE(w->viewer->panAllowed);
    EXPECT_TRUE(w->output->modifiedOutputBox->isChecked());
    EXPECT_TRUE(w->viewer->scaleBox->hasFocus());
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(LookupWindow, NothingTypedIntoTheSearchFieldsBreaksTheWindow)
{
    const QStringList inputs = {QStringLiteral("산4-1"),    QStringLiteral("%d%s\\n"),
                                QStringLiteral("１２３４"), QStringLiteral("99999999999999"),
                                QStringLiteral("-"),        QStringLiteral("' OR 1=1")};
    QList<QWidget*> fields = {panel->townList, panel->villageList, panel->mainNumber, panel->subNumber,
                              panel->kindList, panel->yearFrom,    panel->yearTo};
    for (const QString& text : inputs) {
        for (QWidget* field : fields) {
            test::typeText(field, text);
            for (Qt::Key k : {Qt::Key_F1, Qt::Key_F2, Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return})
                QTest::keyClick(QApplication::focusWidget(), k);
        }
        search();
        doubleClickRow(w->recordGrid, 1);
        EXPECT_EQ(w->recordGrid->dataRowCount(), 1) << text.toStdString();
        EXPECT_EQ(w->lotGrid->dataRowCount(), 15) << text.toStdString();
        EXPECT_LE(panel->yearFrom->text().size(), 4);
    }
    // Only F1 and F2 on text that is no number were reported.
    for (const auto& m : fake->messages)
        EXPECT_TRUE(m.text.contains(QStringLiteral("올바른 정수 값이 아닙니다"))) << m.text.toStdString();
}
