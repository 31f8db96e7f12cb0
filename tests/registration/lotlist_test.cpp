// The lot list, driven through the registration window's widgets.

#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/lotlist.h"
#include "tests/registration/fixtures.h"
#include "ui/grid/stringgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace rida;
using rida::components::LotList;

namespace {

class RegistrationLotListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::writeJpeg(app.files() / "Img001.jpg");
        open(true);
    }

    void open(bool previewPage)
    {
        w.reset();
        w = std::make_unique<test::OpenWindow>(app);
        lots = (*w)->lots;
        if (previewPage) {
            QListWidget* files = (*w)->browser->fileList;
            QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
            EXPECT_EQ((*w)->browser->nameField->text(), QStringLiteral("Img001.jpg"));
        }
        fake().messages.clear();
    }

    test::FakeServices& fake() { return *w->fake; }
    QWidget* focused() { return w->window->focusWidget(); }

    // Types a lot number into the entry line, as a user replacing the old one.
    void enter(const QString& main, const QString& sub, bool mountain = false)
    {
        for (auto [field, text] : {std::pair{lots->mainNumber, main}, std::pair{lots->subNumber, sub}}) {
            field->setFocus();
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, text);
            EXPECT_EQ(field->text(), text);
        }
        if (lots->sanBox->isChecked() != mountain)
            QTest::mouseClick(lots->sanBox, Qt::LeftButton);
    }
    void add() { QTest::mouseClick(lots->addButton, Qt::LeftButton); }
    void addLot(const QString& main, const QString& sub, bool mountain = false)
    {
        enter(main, sub, mountain);
        add();
        ASSERT_TRUE(fake().messages.isEmpty()) << fake().messages.last().text.toStdString();
    }
    QList<QStringList> rows()
    {
        QList<QStringList> r;
        for (int row = 1; row <= lots->lotGrid->rowCount() - 2; ++row)
            r << lots->lotGrid->rowCells(row);
        return r;
    }
    QStringList lastMessages()
    {
        QStringList t;
        for (const auto& m : fake().messages)
            t << m.text;
        return t;
    }
    void clickGridRow(int row)
    {
        auto* g = lots->lotGrid;
        const QRect r = g->visualRect(g->model()->index(row - 1, 0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    }

    test::AppFolder app;
    std::unique_ptr<test::OpenWindow> w;
    LotList* lots = nullptr;
};

QStringList lot(const char* kind, const char* main, const char* sub)
{
    return {QStringLiteral("임의읍"), QStringLiteral("임의리"), QString::fromUtf8(kind), QString::fromUtf8(main),
            QString::fromUtf8(sub)};
}

} // namespace

TEST_F(RegistrationLotListTest, EachAddCheckShowsItsMessageMovesTheFocusAndChangesNothingElse)
{
    enum Focus { Year, Town, Main, Sub };
    struct Case {
        const char* what;
        bool preview;
        const char* existing; // a lot added first ("" for none)
        const char* main;
        const char* sub;
        const char* message;
        Focus focus;
        const char* selected; // selected text of the focused field
    };
    const Case cases[] = {
        {"no page previewed", false, "", "12", "3", "지가조서 이미지를 선택하십시오!", Year, nullptr},
        {"empty main number", true, "", "", "3", "주소를 입력하십시오!", Town, nullptr},
        {"letter in main number", true, "", "12a", "", "본번이 숫자가 아닙니다! 확인하십시오.", Main, "12a"},
        {"blank in sub number", true, "", "12", "1 2", "부번이 숫자가 아닙니다! 확인하십시오.", Sub, "1 2"},
        {"lot already listed", true, "7", "7", "0", "이미 추가된 지번입니다! 확인하십시오.", Main, ""},
        // Entries that fail two checks show the earlier one only. (The duplicate check
        // can only fail on digits, so it never competes with the two digit checks.)
        {"no page previewed and no main number", false, "", "", "x", "지가조서 이미지를 선택하십시오!", Year, nullptr},
        {"no main number and a letter in the sub number", true, "", "", "x", "주소를 입력하십시오!", Town, nullptr},
        {"letter in main and blank in sub number", true, "", "12a", "1 2", "본번이 숫자가 아닙니다! 확인하십시오.",
         Main, "12a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open(true);
        if (*c.existing)
            addLot(QString::fromUtf8(c.existing), {});
        if (!c.preview)
            open(false);
        const auto rowsBefore = rows();
        const bool regionOpen = (*w)->attributes->townList->isEnabled();
        enter(QString::fromUtf8(c.main), QString::fromUtf8(c.sub));
        add();
        EXPECT_EQ(lastMessages(), QStringList{QString::fromUtf8(c.message)});
        QWidget* expected[] = {(*w)->attributes->yearField, (*w)->attributes->townList, lots->mainNumber,
                               lots->subNumber};
        QWidget* f = focused();
        // The town list's focus lands on its line edit's owner.
        EXPECT_TRUE(f == expected[c.focus] || (f && f->parentWidget() == expected[c.focus]))
            << (f ? f->objectName().toStdString() : "none");
        if (c.selected) {
            EXPECT_EQ(static_cast<QLineEdit*>(expected[c.focus])->selectedText(), QString::fromUtf8(c.selected));
        }
        EXPECT_EQ(rows(), rowsBefore);
        EXPECT_EQ((*w)->attributes->townList->isEnabled(), regionOpen);
        EXPECT_EQ(lots->mainNumber->text(), QString::fromUtf8(c.main));
        EXPECT_EQ(lots->subNumber->text(), QString::fromUtf8(c.sub));
    }
}

TEST_F(RegistrationLotListTest, AnEmptyVillageAsksForTheAddressAndTheChecksRunInOrder)
{
    // The village list is editable: Delete can empty it although nothing can be typed in.
    (*w)->attributes->villageList->lineEdit()->clear();
    enter(QStringLiteral("12a"), QStringLiteral("x"));
    add();
    EXPECT_EQ(lastMessages(), QStringList{QStringLiteral("주소를 입력하십시오!")});
}

TEST_F(RegistrationLotListTest, AfterTheRegionLockAMissingAddressLeavesTheFocusWhereItWas)
{
    addLot(QStringLiteral("12"), {});
    ASSERT_FALSE((*w)->attributes->townList->isEnabled());
    enter({}, QStringLiteral("4"));
    lots->subNumber->setFocus();
    lots->addButton->click();
    EXPECT_EQ(lastMessages(), QStringList{QStringLiteral("주소를 입력하십시오!")});
    EXPECT_EQ(focused(), lots->subNumber);
}

TEST_F(RegistrationLotListTest, AnEmptySubNumberIsStoredAsZeroAndCountsAsZeroForDuplicates)
{
    addLot(QStringLiteral("12"), {});
    EXPECT_EQ(rows(), (QList<QStringList>{lot("토지", "12", "0")}));
    EXPECT_EQ(lots->subNumber->text(), QStringLiteral("0"));
    EXPECT_EQ(lots->mainNumber->text(), QStringLiteral("12"));

    for (const char* sub : {"0", ""}) {
        fake().messages.clear();
        enter(QStringLiteral("12"), QString::fromUtf8(sub));
        add();
        EXPECT_EQ(lastMessages(), QStringList{QStringLiteral("이미 추가된 지번입니다! 확인하십시오.")}) << sub;
    }
    EXPECT_EQ(rows().size(), 1);
}

TEST_F(RegistrationLotListTest, MountainFlagAndLeadingZerosMakeDifferentLots)
{
    addLot(QStringLiteral("12"), QStringLiteral("3"), true);
    addLot(QStringLiteral("12"), QStringLiteral("3"), false);
    addLot(QStringLiteral("012"), QStringLiteral("3"), false);
    EXPECT_EQ(rows(), (QList<QStringList>{lot("임야", "12", "3"), lot("토지", "12", "3"), lot("토지", "012", "3")}));
    EXPECT_TRUE(lots->sanBox->isChecked() == false);
    EXPECT_EQ(lots->lots().size(), 3u);
    EXPECT_TRUE(lots->lots()[0].mountain);
}

TEST_F(RegistrationLotListTest, AddedRowIsColouredSelectedAndLocksTheRegion)
{
    auto* grid = lots->lotGrid;
    EXPECT_EQ(grid->rowCells(0), (QStringList{"시읍면", "동리", "구분", "본번", "부번"}));
    QList<int> widths;
    for (int c = 0; c < grid->columnCount(); ++c)
        widths << grid->columnWidth(c);
    EXPECT_EQ(widths, (QList<int>{55, 55, 32, 40, 40}));
    EXPECT_TRUE(grid->horizontalHeader()->font().bold());
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        EXPECT_EQ(grid->palette().color(group, QPalette::Highlight), QColor(182, 202, 234));
        EXPECT_EQ(grid->palette().color(group, QPalette::HighlightedText), QColor(Qt::black));
    }

    addLot(QStringLiteral("5"), QStringLiteral("1"));
    // The view counts rows without the header: 0 is the lot row, 1 the blank row.
    EXPECT_EQ(grid->rowHeight(0), 20);
    EXPECT_EQ(grid->rowHeight(1), 20);
    EXPECT_EQ(lots->lotGrid->rowCount(), 3);
    EXPECT_EQ(lots->lotGrid->rowColor(1), QColor(255, 255, 247));
    EXPECT_EQ(lots->lotGrid->currentRow(), 1);
    EXPECT_EQ(lots->selectedLotRow(), 1);
    EXPECT_FALSE((*w)->attributes->townList->isEnabled());
    EXPECT_FALSE((*w)->attributes->villageList->isEnabled());
    EXPECT_EQ(focused(), lots->registerButton);
}

TEST_F(RegistrationLotListTest, TheRegionLockSurvivesDeletingEveryLot)
{
    addLot(QStringLiteral("1"), {});
    addLot(QStringLiteral("2"), {});
    fake().answers = {true, true};
    lots->deleteButton->click();
    lots->deleteButton->click();
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(lots->lotGrid->rowCount(), 2);
    EXPECT_EQ(lots->selectedLotRow(), 0);
    EXPECT_FALSE((*w)->attributes->townList->isEnabled());
    EXPECT_FALSE((*w)->attributes->villageList->isEnabled());
    // Nothing left to delete: no question.
    lots->deleteButton->click();
    EXPECT_EQ(fake().questions.size(), 2);
    // In a new window the region is open again.
    open(true);
    EXPECT_TRUE((*w)->attributes->townList->isEnabled());
}

TEST_F(RegistrationLotListTest, EnterOnTheRegisterButtonDoesNothing)
{
    addLot(QStringLiteral("12"), QStringLiteral("3"));
    ASSERT_EQ(focused(), lots->registerButton);
    const auto before = rows();
    QTest::keyClick(lots->registerButton, Qt::Key_Return);
    QTest::keyClick(lots->registerButton, Qt::Key_Space);
    QTest::mouseClick(lots->registerButton, Qt::LeftButton);
    EXPECT_EQ(rows(), before);
    EXPECT_TRUE(fake().messages.isEmpty());
    EXPECT_TRUE(fake().questions.isEmpty());
    EXPECT_EQ(lots->mainNumber->text(), QStringLiteral("12"));
    EXPECT_EQ(focused(), lots->registerButton);
}

TEST_F(RegistrationLotListTest, DeletingTheMiddleOfThreeRowsSelectsTheLastRow)
{
    addLot(QStringLiteral("1"), {});
    addLot(QStringLiteral("2"), {});
    addLot(QStringLiteral("3"), {});
    QTest::keyClick(lots->lotGrid, Qt::Key_Up); // the arrow keys report the row too
    ASSERT_EQ(lots->selectedLotRow(), 2);
    clickGridRow(1);
    ASSERT_EQ(lots->selectedLotRow(), 1);
    clickGridRow(2);
    ASSERT_EQ(lots->selectedLotRow(), 2);

    lots->deleteButton->click(); // answered No: nothing changes
    EXPECT_EQ(fake().questions, QStringList{QStringLiteral("지번을 취소하겠습니까?")});
    EXPECT_EQ(rows(), (QList<QStringList>{lot("토지", "1", "0"), lot("토지", "2", "0"), lot("토지", "3", "0")}));
    EXPECT_EQ(lots->selectedLotRow(), 2);

    fake().answers = {true};
    lots->deleteButton->click();
    EXPECT_EQ(rows(), (QList<QStringList>{lot("토지", "1", "0"), lot("토지", "3", "0")}));
    EXPECT_EQ(lots->selectedLotRow(), 2);
    EXPECT_EQ(lots->lotGrid->currentRow(), 2);
}

TEST_F(RegistrationLotListTest, DeletingAnyOfThreeRowsSelectsTheLastLotRow)
{
    // Deleting row 1 tells "the last lot row" from "the row that took the deleted one's place".
    for (int deleted : {1, 2, 3}) {
        SCOPED_TRACE(deleted);
        open(true);
        addLot(QStringLiteral("1"), {});
        addLot(QStringLiteral("2"), {});
        addLot(QStringLiteral("3"), {});
        clickGridRow(deleted);
        ASSERT_EQ(lots->selectedLotRow(), deleted);
        fake().answers = {true};
        lots->deleteButton->click();
        QList<QStringList> left = {lot("토지", "1", "0"), lot("토지", "2", "0"), lot("토지", "3", "0")};
        left.removeAt(deleted - 1);
        EXPECT_EQ(rows(), left);
        EXPECT_EQ(lots->selectedLotRow(), 2);
        EXPECT_EQ(lots->lotGrid->currentRow(), 2);
    }
}

TEST_F(RegistrationLotListTest, DeleteDoesNothingOnTheBlankRow)
{
    addLot(QStringLiteral("1"), {});
    clickGridRow(2); // the trailing blank row
    EXPECT_EQ(lots->selectedLotRow(), 2);
    lots->deleteButton->click();
    EXPECT_TRUE(fake().questions.isEmpty());
    EXPECT_EQ(rows().size(), 1);
}

TEST_F(RegistrationLotListTest, ALotAddedAfterDeleteEmptiedTheTownCanStillBeDeleted)
{
    // Delete still removes text from the town list, which takes no typing.
    QComboBox* town = (*w)->attributes->townList;
    town->setFocus();
    town->lineEdit()->selectAll();
    QTest::keyClick(town, Qt::Key_Delete);
    ASSERT_TRUE(town->currentText().isEmpty());
    addLot(QStringLiteral("7"), {});
    ASSERT_EQ(rows().size(), 1);
    ASSERT_TRUE(lots->lotGrid->cell(1, 0).isEmpty());
    clickGridRow(1);
    fake().answers = {true};
    lots->deleteButton->click();
    EXPECT_EQ(fake().questions, QStringList{QStringLiteral("지번을 취소하겠습니까?")});
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(lots->selectedLotRow(), 0);
}

TEST_F(RegistrationLotListTest, StepArrowsFollowTheIntegerRules)
{
    struct Case {
        int arrow; // 1 .. 4
        const char* before;
        const char* after;
        bool error;
    };
    const Case cases[] = {
        {1, "", "1", false},
        {2, "", "0", false},
        {2, "0", "0", false},
        {2, "00", "-1", false},
        {1, "9999", "10000", false},
        {1, "0099", "100", false},
        {2, "1", "0", false},
        {1, "-1", "0", false},
        {1, " 12", "13", false},
        {3, "", "1", false},
        {4, "0", "0", false},
        {4, "5", "4", false},
        {1, "abc", "abc", true},
        {1, "-", "-", true},
        {2, "1 2", "1 2", true},
        {1, "12 ", "12 ", true},
        {3, "x", "x", true},
        {1, "2147483648", "2147483648", true},
        {1, "2147483647", "2147483647", true},
        {2, "-2147483648", "-2147483648", true},
    };
    QToolButton* arrows[] = {lots->mainUpButton, lots->mainDownButton, lots->subUpButton, lots->subDownButton};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.arrow) + " on '" + c.before + "'");
        QLineEdit* field = c.arrow <= 2 ? lots->mainNumber : lots->subNumber;
        field->setText(QString::fromUtf8(c.before));
        fake().messages.clear();
        QTest::mouseClick(arrows[c.arrow - 1], Qt::LeftButton);
        EXPECT_EQ(field->text(), QString::fromUtf8(c.after));
        ASSERT_EQ(fake().messages.size(), c.error ? 1 : 0);
        if (c.error) {
            EXPECT_EQ(fake().messages[0].icon, ui::MessageIcon::Error);
            const bool atTheLimit = QByteArray(c.before) == "2147483647" || QByteArray(c.before) == "-2147483648";
            if (!atTheLimit) {
                EXPECT_EQ(fake().messages[0].text,
                          QStringLiteral("'%1'은(는) 올바른 정수 값이 아닙니다").arg(c.before));
            }
        }
        EXPECT_TRUE(rows().isEmpty());
    }
}

TEST_F(RegistrationLotListTest, AFiveDigitNumberFromTheArrowsIsAccepted)
{
    lots->mainNumber->setText(QStringLiteral("9999"));
    QTest::mouseClick(lots->mainUpButton, Qt::LeftButton);
    add();
    EXPECT_TRUE(fake().messages.isEmpty());
    EXPECT_EQ(rows(), (QList<QStringList>{lot("토지", "10000", "0")}));
    // Typing stays limited to four characters, also in the field the arrow
    // took past them.
    lots->subNumber->setFocus();
    lots->subNumber->selectAll();
    QTest::keyClicks(lots->subNumber, QStringLiteral("123456"));
    EXPECT_EQ(lots->subNumber->text(), QStringLiteral("1234"));
    lots->mainNumber->setFocus();
    lots->mainNumber->end(false);
    QTest::keyClicks(lots->mainNumber, QStringLiteral("5"));
    EXPECT_EQ(lots->mainNumber->text(), QStringLiteral("10000"));
}

TEST_F(RegistrationLotListTest, APastedLotNumberIsCutToTheRoomLeft)
{
    struct Case {
        const char* before;
        int cursor;
        const char* pasted;
        const char* after;
    } cases[] = {{"", 0, "12345", "1234"}, {"12", 2, "345", "1234"}, {"1234", 4, "5", "1234"}};
    for (QLineEdit* field : {lots->mainNumber, lots->subNumber}) {
        field->setFocus();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.pasted);
            field->setText(QString::fromUtf8(c.before));
            field->setCursorPosition(c.cursor);
            QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            EXPECT_EQ(field->text(), QString::fromUtf8(c.after));
        }
    }
}

TEST_F(RegistrationLotListTest, EnterLeadsFromTheMainNumberThroughTheSubNumberToAdd)
{
    lots->mainNumber->setFocus();
    QTest::keyClicks(lots->mainNumber, QStringLiteral("31"));
    lots->subNumber->setText(QStringLiteral("77"));
    QTest::keyClick(lots->mainNumber, Qt::Key_Return);
    EXPECT_EQ(focused(), lots->subNumber);
    EXPECT_EQ(lots->subNumber->selectedText(), QStringLiteral("77"));
    QTest::keyClicks(lots->subNumber, QStringLiteral("2"));
    QTest::keyClick(lots->subNumber, Qt::Key_Return);
    EXPECT_EQ(focused(), lots->addButton);
    EXPECT_TRUE(rows().isEmpty());
    QTest::keyClick(lots->addButton, Qt::Key_Return);
    EXPECT_EQ(rows(), (QList<QStringList>{lot("토지", "31", "2")}));
}

// The lot list as the automatic registration window's manual tab configures it.
TEST(RegistrationLotListOptionsTest, TheAutomaticTabsDifferencesAreOptions)
{
    test::ScopedFakeServices fake;
    QWidget host;
    auto* town = new QComboBox(&host);
    town->addItem(QStringLiteral("임의읍"));
    auto* village = new QComboBox(&host);
    village->addItem(QStringLiteral("임의리"));
    auto* year = new QLineEdit(&host);
    bool chosen = true;
    const auto options = components::LotListOptions::automaticTab();
    auto* lots = new LotList({town, village, [&] { return chosen; }, year}, options, &host);
    (new QVBoxLayout(&host))->addWidget(lots);
    host.show();
    int registered = 0;
    QObject::connect(lots, &LotList::registerRequested, [&] { ++registered; });

    EXPECT_EQ(lots->lotGrid->columnWidth(0), 66);
    EXPECT_EQ(lots->lotGrid->columnWidth(4), 45);
    EXPECT_EQ(lots->registerButton->text(), QStringLiteral("등록(F9)"));

    // Enter in 본번 moves to 부번 without selecting it.
    lots->subNumber->setText(QStringLiteral("9"));
    lots->mainNumber->setFocus();
    QTest::keyClicks(lots->mainNumber, QStringLiteral("15"));
    QTest::keyClick(lots->mainNumber, Qt::Key_Return);
    EXPECT_EQ(host.focusWidget(), lots->subNumber);
    EXPECT_TRUE(lots->subNumber->selectedText().isEmpty());

    // After an add the focus is in 본번 with its text selected.
    lots->addButton->click();
    EXPECT_EQ(lots->lotCount(), 1);
    EXPECT_EQ(host.focusWidget(), lots->mainNumber);
    EXPECT_EQ(lots->mainNumber->selectedText(), QStringLiteral("15"));
    EXPECT_FALSE(town->isEnabled());

    // The "0" buttons set a field to "0" whatever it held.
    lots->mainNumber->setText(QStringLiteral("x1"));
    QTest::mouseClick(lots->mainZeroButton, Qt::LeftButton);
    QTest::mouseClick(lots->subZeroButton, Qt::LeftButton);
    EXPECT_EQ(lots->mainNumber->text(), QStringLiteral("0"));
    EXPECT_EQ(lots->subNumber->text(), QStringLiteral("0"));

    // A click on 산 leads to 본번 with its text selected.
    lots->subNumber->setFocus();
    QTest::mouseClick(lots->sanBox, Qt::LeftButton);
    EXPECT_TRUE(lots->sanBox->isChecked());
    EXPECT_EQ(host.focusWidget(), lots->mainNumber);
    EXPECT_EQ(lots->mainNumber->selectedText(), QStringLiteral("0"));

    // The window decides what registering does; the reset parts are the list's.
    lots->registerButton->click();
    EXPECT_EQ(registered, 1);
    lots->clearLots();
    lots->unlockRegion();
    EXPECT_EQ(lots->lotCount(), 0);
    EXPECT_EQ(lots->selectedLotRow(), 0);
    EXPECT_TRUE(town->isEnabled());
    EXPECT_TRUE(village->isEnabled());

    // Without a chosen page the add command sends the focus to the host's field.
    chosen = false;
    lots->addButton->click();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].text, QStringLiteral("지가조서 이미지를 선택하십시오!"));
    EXPECT_EQ(host.focusWidget(), year);
}
