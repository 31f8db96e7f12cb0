// Choosing, previewing and deleting files in the automatic registration
// window, and its manual tab.

#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/lotlist.h"
#include "image/codec.h"
#include "recognition/radiogroup.h"
#include "recognition/settingspanel.h"
#include "tests/autoreg/autowindow_fixture.h"
#include "tests/support/spoken.h"
#include "ui/grid/stringgrid.h"
#include "ui/imageview/imageview.h"
#include "viewer/imageviewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cmath>

using namespace rida;
using test::AutoWindowTest;

namespace fs = std::filesystem;

namespace {

void writeWhitePage(const fs::path& file, int width = 2000, int height = 2400)
{
    image::Bitmap page(width, height);
    page.fill(0xFFFFFFFFu);
    image::saveBmp32(file.string(), page);
}

QPointF visibleCentre(const ui::ImageView* view)
{
    return view->mapViewToPage(QRectF(view->visibleArea()).center());
}

// The page point (750, 300) in the middle of the view, as far as the scroll
// bars allow: at 50 % its line lies closer to the page top than half a view.
void expectCentredOnTableTop(const ui::ImageView* view)
{
    EXPECT_NEAR(visibleCentre(view).x(), 750, 2.0);
    const QRect area = view->visibleArea();
    if (area.height() / 2 > 300 * view->scale())
        EXPECT_NEAR(view->mapViewToPage(QPointF(area.topLeft())).y(), 0, 1.0);
    else
        EXPECT_NEAR(visibleCentre(view).y(), 300, 2.0);
}

void chooseRow(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

TEST_F(AutoWindowTest, ViewerIsThisWindowsOne)
{
    auto& w = open();
    QComboBox* scale = w.viewer->scaleBox;
    ASSERT_EQ(scale->count(), 16);
    EXPECT_EQ(scale->itemText(0), QStringLiteral("5%"));
    EXPECT_EQ(scale->itemText(15), QStringLiteral("2000%"));
    EXPECT_EQ(scale->currentText(), QStringLiteral("50%"));
    EXPECT_EQ(w.viewer->imageView->background(), QColor(Qt::black));
    EXPECT_TRUE(w.viewer->panAllowed);
    EXPECT_TRUE(w.viewer->imageView->page().empty());
}

TEST_F(AutoWindowTest, ShowingListsTheImagesOfTheImageFolder)
{
    writeWhitePage(files() / "b.jpg.bmp", 8, 8);
    writeWhitePage(files() / "a.bmp", 8, 8);
    {
        std::FILE* f = std::fopen((files() / "notes.txt").c_str(), "wb");
        std::fclose(f);
    }
    auto& w = open();
    QListWidget* list = w.browser->fileList;
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("a.bmp"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("b.jpg.bmp"));
    EXPECT_TRUE(w.browser->folderField->text().isEmpty());
    EXPECT_TRUE(w.browser->nameField->text().isEmpty());
}

TEST_F(AutoWindowTest, FileChosenOnTheAutomaticTabIsShownAtHalfSizeAroundTheTableTop)
{
    writeWhitePage(files() / "a.bmp");
    writeWhitePage(files() / "b.bmp");
    auto& w = open();
    ui::ImageView* view = w.viewer->imageView;
    QListWidget* list = w.browser->fileList;
    w.recognisedLots->setPlainText(QStringLiteral("1 0001 0000"));
    chooseRow(list, 1);
    EXPECT_EQ(w.browser->nameField->text(), QStringLiteral("b.bmp"));
    EXPECT_EQ(w.browser->folderField->text(), QString::fromStdString(files().string()) + u'/');
    EXPECT_EQ(view->page().width(), 2000);
    EXPECT_TRUE(w.recognisedLots->toPlainText().isEmpty());
    EXPECT_EQ(w.viewer->scaleBox->currentText(), QStringLiteral("50%"));
    EXPECT_DOUBLE_EQ(view->scale(), 0.5);
    expectCentredOnTableTop(view);
    EXPECT_EQ(w.focusWidget(), list);

    // Whatever scale and position the view had before.
    w.viewer->selectScaleEntry(12); // 400 %
    view->scrollByPixels(3000, 3000);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(w.browser->nameField->text(), QStringLiteral("a.bmp"));
    EXPECT_DOUBLE_EQ(view->scale(), 0.5);
    EXPECT_EQ(w.viewer->scaleBox->currentText(), QStringLiteral("50%"));
    expectCentredOnTableTop(view);
    EXPECT_EQ(w.focusWidget(), list);
}

TEST_F(AutoWindowTest, FileChosenOnTheManualTabKeepsTheUsersZoomAndPlace)
{
    writeWhitePage(files() / "a.bmp");
    writeWhitePage(files() / "b.bmp");
    auto& w = open();
    ui::ImageView* view = w.viewer->imageView;
    QListWidget* list = w.browser->fileList;
    w.modeTabs->setCurrentIndex(1);
    // Nothing shown yet: the first sheet comes as on the automatic tab.
    chooseRow(list, 0);
    EXPECT_DOUBLE_EQ(view->scale(), 0.5);
    EXPECT_NEAR(visibleCentre(view).x(), 750, 2.0);
    // The user zooms in on the lot column; the next sheet shows the same part.
    w.viewer->selectScaleEntry(9); // 100 %
    w.viewer->centreOn({1000, 1200});
    const QPointF kept = visibleCentre(view);
    chooseRow(list, 1);
    EXPECT_EQ(w.browser->nameField->text(), QStringLiteral("b.bmp"));
    EXPECT_DOUBLE_EQ(view->scale(), 1.0);
    EXPECT_EQ(w.viewer->scaleBox->currentText(), QStringLiteral("100%"));
    EXPECT_NEAR(visibleCentre(view).x(), kept.x(), 1.0);
    EXPECT_NEAR(visibleCentre(view).y(), kept.y(), 1.0);

    // A registration empties the view; the folder's first sheet then comes in the same place.
    w.lots->mainNumber->setText(QStringLiteral("7"));
    w.lots->addButton->click();
    fake->answers = {true};
    w.lots->registerButton->click();
    ASSERT_EQ(w.browser->nameField->text(), QStringLiteral("a.bmp"));
    EXPECT_DOUBLE_EQ(view->scale(), 1.0);
    EXPECT_NEAR(visibleCentre(view).x(), kept.x(), 1.0);
    EXPECT_NEAR(visibleCentre(view).y(), kept.y(), 1.0);
}

TEST_F(AutoWindowTest, UnreadableChosenFileIsReportedAndNotShown)
{
    writeWhitePage(files() / "a.bmp", 50, 50);
    {
        std::FILE* f = std::fopen((files() / "b.jpg").c_str(), "wb");
        std::fputs("garbage", f);
        std::fclose(f);
    }
    auto& w = open();
    chooseRow(w.browser->fileList, 0);
    w.recognisedLots->setPlainText(QStringLiteral("1 0001 0000"));
    chooseRow(w.browser->fileList, 1);
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
    EXPECT_EQ(w.browser->nameField->text(), QStringLiteral("b.jpg"));
    EXPECT_TRUE(w.viewer->imageView->page().empty());
    EXPECT_EQ(w.recognisedLots->toPlainText(), QStringLiteral("1 0001 0000"));
}

TEST_F(AutoWindowTest, TestButtonShowsTheChosenFileWithItsBackgroundRemoved)
{
    // Form ink, black print, mid grey, light grey.
    image::Bitmap page(4, 1);
    page.setPixel(0, 0, image::argb(255, 60, 200, 220));
    page.setPixel(1, 0, image::argb(255, 0, 0, 0));
    page.setPixel(2, 0, image::argb(255, 128, 128, 128));
    page.setPixel(3, 0, image::argb(255, 200, 200, 200));
    image::saveBmp32((files() / "a.bmp").string(), page);
    auto& w = open();
    ui::ImageView* view = w.viewer->imageView;
    chooseRow(w.browser->fileList, 0);
    w.viewer->selectScaleEntry(10); // 200 %

    const std::uint32_t paper = 0xFFFFFFFFu, ink = 0xFF000000u;
    struct Case {
        int mode;
        std::uint32_t lightGrey;
    };
    for (const Case& c : {Case{0, paper}, Case{1, ink}, Case{2, paper}}) {
        SCOPED_TRACE(c.mode);
        w.settingsPanel->removalChoice->setItemIndex(c.mode);
        QTest::mouseClick(w.settingsPanel->testButton, Qt::LeftButton);
        ASSERT_EQ(view->page().width(), 4);
        EXPECT_EQ(view->page().pixel(0, 0), paper);
        EXPECT_EQ(view->page().pixel(1, 0), ink);
        EXPECT_EQ(view->page().pixel(2, 0), ink);
        EXPECT_EQ(view->page().pixel(3, 0), c.lightGrey);
        EXPECT_DOUBLE_EQ(view->scale(), 2.0);
        EXPECT_EQ(w.viewer->scaleBox->currentText(), QStringLiteral("200%"));
    }
    EXPECT_TRUE(fake->messages.isEmpty());

    // The level of the first mode is read from its field; below the mid grey's channels makes it paper.
    w.settingsPanel->removalChoice->setItemIndex(0);
    w.settingsPanel->levelField->setText(QStringLiteral("100"));
    w.settingsPanel->testButton->click();
    EXPECT_EQ(view->page().pixel(2, 0), paper);
    const image::Bitmap shown = view->page();
    w.settingsPanel->levelField->setText(QStringLiteral("abc"));
    w.settingsPanel->testButton->click();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].text, QStringLiteral("'abc'은(는) 올바른 정수 값이 아닙니다"));
    EXPECT_EQ(view->page().pixel(2, 0), shown.pixel(2, 0));
    EXPECT_EQ(view->page().width(), 4);
}

TEST_F(AutoWindowTest, TestButtonWithoutAReadableFileReportsItAndChangesNothing)
{
    writeWhitePage(files() / "a.bmp", 30, 20);
    {
        std::FILE* f = std::fopen((files() / "b.jpg").c_str(), "wb");
        std::fputs("garbage", f);
        std::fclose(f);
    }
    auto& w = open();
    // No file chosen yet.
    w.settingsPanel->testButton->click();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
    EXPECT_TRUE(w.viewer->imageView->page().empty());

    chooseRow(w.browser->fileList, 0);
    // Select the broken file without choosing it, as a test run after a failed preview would find it.
    w.browser->fileList->setCurrentRow(1);
    fake->messages.clear();
    w.settingsPanel->testButton->click();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_TRUE(fake->messages[0].text.contains(QStringLiteral("b.jpg")));
    EXPECT_EQ(w.viewer->imageView->page().width(), 30);
}

TEST_F(AutoWindowTest, DeletingAFileRemovesItWithoutAskingAndShowsTheFirstFile)
{
    writeWhitePage(files() / "a.bmp", 20, 20);
    writeWhitePage(files() / "b.bmp", 30, 30);
    writeWhitePage(files() / "c.bmp", 40, 40);
    auto& w = open();
    chooseRow(w.browser->fileList, 1);
    w.browser->deleteFileAction->trigger();
    EXPECT_TRUE(fake->questions.isEmpty());
    EXPECT_EQ(fake->removed, QStringList{QString::fromStdString((files() / "b.bmp").string())});
    EXPECT_FALSE(fs::exists(files() / "b.bmp"));
    ASSERT_EQ(w.browser->fileList->count(), 2);
    EXPECT_EQ(w.browser->nameField->text(), QStringLiteral("a.bmp"));
    EXPECT_EQ(w.viewer->imageView->page().width(), 20);
}

TEST_F(AutoWindowTest, EveryControlOnEveryPageHasASpokenName)
{
    auto& w = open();
    EXPECT_EQ(test::unnamedControlsOnEveryPage(&w), QStringList());
}

TEST_F(AutoWindowTest, ManualTabDiffersFromTheManualWindowWhereItShould)
{
    auto& w = open();
    components::LotList* lots = w.lots;
    EXPECT_EQ(w.lotPanel->title(), QStringLiteral("지가조서 지번(필지) 입력"));
    EXPECT_EQ(lots->lotGrid->accessibleName(), w.lotPanel->title());
    EXPECT_EQ(lots->registerButton->text(), QStringLiteral("등록(F9)"));
    const int widths[] = {66, 66, 34, 45, 45};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(lots->lotGrid->columnWidth(c), widths[c]);
    ASSERT_NE(lots->mainZeroButton, nullptr);
    ASSERT_NE(lots->subZeroButton, nullptr);

    w.modeTabs->setCurrentIndex(1);
    // The "0" buttons, whatever the fields held.
    lots->mainNumber->setText(QStringLiteral("ab"));
    lots->subNumber->setText(QStringLiteral("12"));
    QTest::mouseClick(lots->mainZeroButton, Qt::LeftButton);
    QTest::mouseClick(lots->subZeroButton, Qt::LeftButton);
    EXPECT_EQ(lots->mainNumber->text(), QStringLiteral("0"));
    EXPECT_EQ(lots->subNumber->text(), QStringLiteral("0"));
    // Ticking 산 leads to the main number with its text selected.
    lots->mainNumber->setText(QStringLiteral("12"));
    QTest::mouseClick(lots->sanBox, Qt::LeftButton);
    EXPECT_TRUE(lots->sanBox->isChecked());
    EXPECT_EQ(w.focusWidget(), lots->mainNumber);
    EXPECT_EQ(lots->mainNumber->selectedText(), QStringLiteral("12"));
    // Unticking it does the same.
    lots->subNumber->setFocus();
    QTest::mouseClick(lots->sanBox, Qt::LeftButton);
    EXPECT_FALSE(lots->sanBox->isChecked());
    EXPECT_EQ(w.focusWidget(), lots->mainNumber);
    EXPECT_EQ(lots->mainNumber->selectedText(), QStringLiteral("12"));
    // Enter leads through the sub number, without selecting it, to "추가".
    QTest::keyClick(lots->mainNumber, Qt::Key_Return);
    EXPECT_EQ(w.focusWidget(), lots->subNumber);
    EXPECT_TRUE(lots->subNumber->selectedText().isEmpty());
    QTest::keyClick(lots->subNumber, Qt::Key_Return);
    EXPECT_EQ(w.focusWidget(), lots->addButton);
}

TEST_F(AutoWindowTest, EnterRunsFromKindThroughYearAndMonthToTheTownList)
{
    writeWhitePage(files() / "a.bmp", 20, 20);
    auto& w = open();
    QApplication::setActiveWindow(&w);
    // Keys reach an editable list through its line edit; the lists take no typing.
    QLineEdit* kind = w.attributes->kindList->lineEdit();
    kind->setFocus();
    QTest::keyClicks(kind, QStringLiteral("ab"));
    QTest::keyClick(kind, Qt::Key_Backspace);
    EXPECT_EQ(w.attributes->kindList->currentText(), QStringLiteral("토지특성조사표(T)"));
    QTest::keyClick(kind, Qt::Key_Return);
    EXPECT_EQ(w.focusWidget(), w.attributes->yearField);
    EXPECT_EQ(w.attributes->yearField->selectedText(), w.attributes->yearField->text());
    QTest::keyClick(w.attributes->yearField, Qt::Key_Return);
    EXPECT_EQ(w.focusWidget(), w.attributes->monthField);
    EXPECT_EQ(w.attributes->monthField->selectedText(), QStringLiteral("01"));
    QTest::keyClick(w.attributes->monthField, Qt::Key_Return);
    QWidget* town = w.focusWidget();
    ASSERT_TRUE(town == w.attributes->townList || town->parentWidget() == w.attributes->townList);
    QTest::keyClicks(town, QStringLiteral("x1"));
    QTest::keyClick(town, Qt::Key_Return);
    EXPECT_EQ(w.attributes->townList->currentText(), QStringLiteral("임의읍"));
    EXPECT_EQ(w.focusWidget(), town);
    QWidget* village = w.attributes->villageList->lineEdit()
                           ? static_cast<QWidget*>(w.attributes->villageList->lineEdit())
                           : w.attributes->villageList;
    village->setFocus();
    QTest::keyClicks(village, QStringLiteral("y2"));
    EXPECT_EQ(w.attributes->villageList->currentText(), QStringLiteral("임의리"));

    // Once the manual tab lists a lot the town list is locked and Enter in the month stays there.
    w.modeTabs->setCurrentIndex(1);
    chooseRow(w.browser->fileList, 0);
    w.lots->mainNumber->setText(QStringLiteral("1"));
    w.lots->addButton->click();
    ASSERT_EQ(w.lots->lotCount(), 1);
    w.attributes->monthField->setFocus();
    QTest::keyClick(w.attributes->monthField, Qt::Key_Return);
    EXPECT_EQ(w.focusWidget(), w.attributes->monthField);
}

TEST_F(AutoWindowTest, F9WithoutALotAsksForOneFromEitherTab)
{
    auto& w = open();
    QApplication::setActiveWindow(&w);
    for (QWidget* focus :
         {static_cast<QWidget*>(w.settingsPanel->minRowsField), static_cast<QWidget*>(w.browser->fileList)}) {
        fake->messages.clear();
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F9);
        ASSERT_EQ(fake->messages.size(), 1);
        EXPECT_EQ(fake->messages[0].text, QStringLiteral("지가조서를 입력한 후 등록하십시오!"));
        EXPECT_EQ(w.focusWidget(), w.attributes->yearField);
        EXPECT_TRUE(fake->questions.isEmpty());
    }
    EXPECT_EQ(w.modeTabs->currentIndex(), 0);
}

TEST_F(AutoWindowTest, RegisteringConfirmsReportsAndStartsTheNextSheet)
{
    writeWhitePage(files() / "a.bmp", 20, 20);
    writeWhitePage(files() / "b.bmp", 30, 30);
    auto& w = open();
    QApplication::setActiveWindow(&w);
    components::LotList* lots = w.lots;
    w.modeTabs->setCurrentIndex(1);
    chooseRow(w.browser->fileList, 1);
    lots->mainNumber->setText(QStringLiteral("12"));
    QTest::mouseClick(lots->addButton, Qt::LeftButton);
    ASSERT_EQ(lots->lotCount(), 1);
    // After an add the next main number can be typed over the last one.
    EXPECT_EQ(w.focusWidget(), lots->mainNumber);
    EXPECT_EQ(lots->mainNumber->selectedText(), QStringLiteral("12"));
    EXPECT_FALSE(w.attributes->townList->isEnabled());

    // No: nothing changes.
    fake->answers = {false};
    QTest::keyClick(lots->mainNumber, Qt::Key_F9);
    EXPECT_EQ(fake->questions, QStringList{QStringLiteral("입력한 지가조서를 등록하겠습니까?")});
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_EQ(lots->lotCount(), 1);
    EXPECT_EQ(w.browser->nameField->text(), QStringLiteral("b.bmp"));
    EXPECT_EQ(w.viewer->page().width(), 30);
    EXPECT_FALSE(w.attributes->townList->isEnabled()); // the region stays locked
    EXPECT_FALSE(w.attributes->villageList->isEnabled());

    // Yes: completion, the lot list emptied and unlocked, the folder's first sheet shown
    // by the file-choice handler, which empties the list of recognised parcels.
    w.recognisedLots->setPlainText(QStringLiteral("1 0012 0000"));
    fake->answers = {true};
    QTest::mouseClick(lots->registerButton, Qt::LeftButton);
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].text, QStringLiteral("등록이 완료되었습니다."));
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::None);
    EXPECT_EQ(lots->lotCount(), 0);
    EXPECT_EQ(lots->lotGrid->rowCount(), 2);
    EXPECT_TRUE(w.attributes->townList->isEnabled());
    EXPECT_TRUE(w.attributes->villageList->isEnabled());
    EXPECT_EQ(w.browser->nameField->text(), QStringLiteral("a.bmp"));
    EXPECT_EQ(w.viewer->imageView->page().width(), 20);
    EXPECT_TRUE(w.recognisedLots->toPlainText().isEmpty());
    EXPECT_EQ(w.focusWidget(), lots->mainNumber);
    // Nothing stored, nothing moved; the entry keeps its texts.
    EXPECT_TRUE(fs::exists(files() / "b.bmp"));
    EXPECT_EQ(w.browser->fileList->count(), 2);
    EXPECT_EQ(lots->mainNumber->text(), QStringLiteral("12"));
}
