// The registration window: opening, file browser, preview, file deletion,
// attribute fields, settings tab, window keys.

#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/lotlist.h"
#include "tests/registration/fixtures.h"
#include "tests/support/spoken.h"
#include "ui/grid/stringgrid.h"
#include "ui/imageview/imageview.h"
#include "viewer/imageviewer.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace rida;

namespace {

QStringList listed(QListWidget* list)
{
    QStringList n;
    for (int i = 0; i < list->count(); ++i)
        n << list->item(i)->text();
    return n;
}

class RegistrationWindowTest : public ::testing::Test {
protected:
    // Three pages of different widths, so that the view shows which one is loaded.
    void SetUp() override
    {
        test::writeJpeg(app.files() / "Img002.jpg", 20, 10);
        test::writeJpeg(app.files() / "Img001.jpg", 10, 10);
        test::writeJpeg(app.files() / "img003.JPG", 30, 10);
        test::writeBytes(app.files() / "scan.png", "not listed");
        fs::create_directory(app.files() / "1998");
    }
    void open() { w = std::make_unique<test::OpenWindow>(app); }
    components::FileBrowser* browser() { return (*w)->browser; }
    QListWidget* files() { return browser()->fileList; }
    test::FakeServices& fake() { return *w->fake; }
    void clickFile(int row)
    {
        QTest::mouseClick(files()->viewport(), Qt::LeftButton, {},
                          files()->visualItemRect(files()->item(row)).center());
    }
    int pageWidth() { return (*w)->viewer->page().width(); }

    test::AppFolder app;
    std::unique_ptr<test::OpenWindow> w;
};

} // namespace

TEST_F(RegistrationWindowTest, OpensOnTheImageFolderWithNothingPreviewed)
{
    open();
    EXPECT_EQ(w->window->windowTitle(), QStringLiteral("지가조서 등록"));
    EXPECT_EQ(listed(files()), (QStringList{"Img001.jpg", "Img002.jpg", "img003.JPG"}));
    EXPECT_TRUE(files()->selectedItems().isEmpty());
    EXPECT_TRUE((*w)->viewer->page().empty());
    EXPECT_TRUE(browser()->folderField->text().isEmpty());
    EXPECT_TRUE(browser()->nameField->text().isEmpty());
    EXPECT_EQ(browser()->folder(), app.files());
    EXPECT_TRUE(listed(browser()->folderList).last().trimmed() == QStringLiteral("1998"));
    // Every entry carries its icon.
    for (QListWidget* list : {files(), browser()->folderList})
        for (int row = 0; row < list->count(); ++row)
            EXPECT_FALSE(list->item(row)->icon().isNull()) << list->objectName().toStdString() << " " << row;
    EXPECT_TRUE(browser()->driveTexts().contains(QStringLiteral("/")));
    EXPECT_TRUE(browser()->driveTexts().last().contains(QDir::homePath()));
    EXPECT_EQ((*w)->attributes->yearField->text(), QString::number(QDate::currentDate().year()));
    EXPECT_EQ((*w)->attributes->monthField->text(), QStringLiteral("01"));
    EXPECT_EQ((*w)->attributes->kindList->currentText(), QStringLiteral("토지특성조사표(T)"));
    EXPECT_EQ((*w)->attributes->kindList->count(), 6);
    EXPECT_EQ((*w)->attributes->townList->currentText(), QStringLiteral("임의읍"));
    EXPECT_EQ((*w)->attributes->villageList->currentText(), QStringLiteral("임의리"));
    EXPECT_EQ((*w)->tabs->currentIndex(), 0);
    EXPECT_EQ((*w)->tabs->tabText(0), QStringLiteral("지가조서속성 입력"));
    EXPECT_EQ((*w)->viewer->scaleBox->currentText(), QStringLiteral("50%"));
    EXPECT_EQ((*w)->viewer->scaleBox->count(), 16);
    EXPECT_EQ((*w)->viewer->scaleBox->itemText(0), QStringLiteral("5%"));
    auto* viewer = (*w)->viewer;
    EXPECT_EQ(viewer->magnifierButton->text(), QStringLiteral("돋보기"));
    EXPECT_EQ(viewer->cancelButton->text(), QStringLiteral("취소"));
    EXPECT_EQ(viewer->rotate90Button->text(), QStringLiteral("90˚"));
    EXPECT_EQ(viewer->rotate180Button->text(), QStringLiteral("180˚"));
    EXPECT_EQ(viewer->smoothingBox->text(), QStringLiteral("화면보정"));
    EXPECT_FALSE(viewer->markerButton || viewer->applyButton ||
                 viewer->brightnessField); // no marker, apply, brightness
    QStringList menu;
    for (QAction* a : viewer->pageMenu->actions())
        if (!a->isSeparator())
            menu << a->text();
    EXPECT_EQ(menu, (QStringList{"돋보기 실행", "돋보기 취소", "90˚ 회전", "180˚ 회전"}));
    EXPECT_EQ(viewer->view()->background(), QColor(Qt::black));
    EXPECT_TRUE(viewer->panAllowed);
    EXPECT_EQ((*w)->viewer->magnificationSlider->value(), 10);
    EXPECT_EQ((*w)->viewer->magnificationSlider->maximum(), 50);
    EXPECT_EQ((*w)->lots->lotGrid->rowCount(), 2);
    EXPECT_EQ((*w)->lots->selectedLotRow(), 0);
    EXPECT_TRUE(fake().messages.isEmpty());
}

TEST_F(RegistrationWindowTest, ClickingAFilePreviewsItAtTheDefaultScale)
{
    open();
    clickFile(1);
    EXPECT_EQ(browser()->folderField->text(), QString::fromStdString(app.files().string()) + u'/');
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img002.jpg"));
    EXPECT_EQ(pageWidth(), 20);
    EXPECT_EQ((*w)->viewer->scaleBox->currentText(), QStringLiteral("50%"));
    EXPECT_DOUBLE_EQ((*w)->viewer->view()->scale(), 0.5);
    EXPECT_EQ(w->window->focusWidget(), files());
}

TEST_F(RegistrationWindowTest, APreviewShowsThePagesTopLeftCornerAtFiftyPercent)
{
    test::writeJpeg(app.files() / "Big1.jpg", 3000, 4000);
    test::writeJpeg(app.files() / "Big2.jpg", 3000, 4000);
    open();
    ui::ImageView* view = (*w)->viewer->view();
    clickFile(0);
    ASSERT_EQ(pageWidth(), 3000);
    EXPECT_EQ(view->mapViewToPage(view->visibleArea().topLeft()), QPointF(0, 0));
    // Wherever the user went on the previous page, the next one starts at its top-left corner again.
    (*w)->viewer->selectScaleEntry(9); // "100%"
    view->scrollByPixels(700, 900);
    ASSERT_NE(view->mapViewToPage(view->visibleArea().topLeft()), QPointF(0, 0));
    QTest::keyClick(files(), Qt::Key_Down);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Big2.jpg"));
    EXPECT_DOUBLE_EQ(view->scale(), 0.5);
    EXPECT_EQ((*w)->viewer->scaleBox->currentText(), QStringLiteral("50%"));
    EXPECT_EQ(view->mapViewToPage(view->visibleArea().topLeft()), QPointF(0, 0));
}

// Straight after opening, the first key step previews the first file and
// "파일 삭제" takes nothing, as no page has been chosen yet.
TEST_F(RegistrationWindowTest, AfterOpeningDownPreviewsTheFirstFileAndDeletionTakesNothing)
{
    open();
    w->window->activateWindow();
    files()->setFocus();
    QTest::keyClick(files(), Qt::Key_Down);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img001.jpg"));
    EXPECT_EQ(pageWidth(), 10);

    w.reset();
    open();
    browser()->deleteFileAction->trigger();
    EXPECT_TRUE(fake().removed.isEmpty());
    EXPECT_EQ(listed(files()).size(), 3);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img001.jpg"));
    EXPECT_TRUE(fake().messages.isEmpty());
}

TEST_F(RegistrationWindowTest, ArrowKeysStepFromFileToFileWithAPreviewEach)
{
    open();
    clickFile(0);
    ASSERT_EQ(pageWidth(), 10);
    QTest::keyClick(files(), Qt::Key_Down);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img002.jpg"));
    EXPECT_EQ(pageWidth(), 20);
    QTest::keyClick(files(), Qt::Key_Down);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("img003.JPG"));
    EXPECT_EQ(pageWidth(), 30);
    EXPECT_EQ(w->window->focusWidget(), files());
    QTest::keyClick(files(), Qt::Key_Up);
    EXPECT_EQ(pageWidth(), 20);
    // Scrolling the page with its bars leaves the focus in the list.
    for (QScrollBar* bar : {(*w)->viewer->view()->horizontalScrollBar(), (*w)->viewer->view()->verticalScrollBar()})
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() - 3));
    EXPECT_EQ(w->window->focusWidget(), files()) << w->window->focusWidget()->metaObject()->className() << " "
                                                 << w->window->focusWidget()->objectName().toStdString();
    // At the end of the list nothing moves and nothing is loaded again.
    QTest::keyClick(files(), Qt::Key_End);
    (*w)->viewer->clearPage();
    QTest::keyClick(files(), Qt::Key_Down);
    EXPECT_TRUE((*w)->viewer->page().empty());
    EXPECT_TRUE(fake().messages.isEmpty());
}

// However the mouse moves the selection, the entry selected is the one previewed
// and named, so that "파일 삭제" deletes the page on screen.
TEST_F(RegistrationWindowTest, TheSelectedFileIsAlwaysTheOneShown)
{
    open();
    clickFile(0);
    ASSERT_EQ(pageWidth(), 10);
    QWidget* viewport = files()->viewport();
    const auto at = [this](int row) { return QPointF(files()->visualItemRect(files()->item(row)).center()); };
    const auto send = [viewport](QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, pos, viewport->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(viewport, &e);
    };

    // A press dragged onto another entry before the release.
    send(QEvent::MouseButtonPress, at(0), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, at(1), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, at(2), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at(2), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(files()->currentRow(), 2);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("img003.JPG"));
    EXPECT_EQ(pageWidth(), 30);

    // The middle and right buttons neither choose nor move the selection.
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton}) {
        send(QEvent::MouseButtonPress, at(1), button, button);
        send(QEvent::MouseButtonRelease, at(1), button, Qt::NoButton);
        EXPECT_EQ(files()->currentRow(), 2);
        EXPECT_EQ(browser()->nameField->text(), QStringLiteral("img003.JPG"));
        EXPECT_EQ(pageWidth(), 30);
    }
    EXPECT_TRUE(fake().messages.isEmpty());
}

TEST_F(RegistrationWindowTest, AFileThatCannotBeDecodedIsReportedAndNotShown)
{
    test::writeBytes(app.files() / "Img000.jpg", "this is no image");
    open();
    clickFile(1);
    ASSERT_EQ(pageWidth(), 10);
    clickFile(0);
    ASSERT_EQ(fake().messages.size(), 1);
    EXPECT_EQ(fake().messages[0].icon, ui::MessageIcon::Error);
    EXPECT_TRUE(fake().messages[0].text.contains(QStringLiteral("Img000.jpg")));
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img000.jpg"));
    EXPECT_TRUE((*w)->viewer->page().empty());
}

TEST_F(RegistrationWindowTest, AFileWithACp949NameIsListedAndPreviewed)
{
    const std::string name = std::string("\xC1\xF6\xB0\xA1", 4) + ".jpg"; // "지가" in CP949
    test::writeJpeg(app.files() / name, 40, 10);
    open();
    ASSERT_EQ(files()->count(), 4);
    clickFile(3);
    EXPECT_TRUE(fake().messages.isEmpty());
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("지가.jpg"));
    EXPECT_EQ(pageWidth(), 40);
    // "파일 삭제" reaches it by its own bytes.
    browser()->deleteFileAction->trigger();
    ASSERT_EQ(fake().removedPaths.size(), 1u);
    EXPECT_EQ(fake().removedPaths[0].filename().native(), name);
    EXPECT_FALSE(fs::exists(app.files() / name));
    EXPECT_EQ(files()->count(), 3);
    EXPECT_TRUE(fake().messages.isEmpty());
}

TEST_F(RegistrationWindowTest, DeletingAFilePreviewsTheFirstRemainingOne)
{
    open();
    clickFile(1);
    // A right press on another entry opens the menu but leaves the selection.
    QTest::mousePress(files()->viewport(), Qt::RightButton, {}, files()->visualItemRect(files()->item(2)).center());
    QTest::mouseRelease(files()->viewport(), Qt::RightButton, {}, files()->visualItemRect(files()->item(2)).center());
    ASSERT_EQ(files()->currentRow(), 1);
    browser()->deleteFileAction->trigger();
    EXPECT_TRUE(fake().questions.isEmpty());
    EXPECT_FALSE(fs::exists(app.files() / "Img002.jpg"));
    EXPECT_EQ(listed(files()), (QStringList{"Img001.jpg", "img003.JPG"}));
    EXPECT_EQ(files()->currentRow(), 0);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img001.jpg"));
    EXPECT_EQ(pageWidth(), 10);
    EXPECT_EQ(w->window->focusWidget(), files());
}

TEST_F(RegistrationWindowTest, ARemovalThatLeavesTheFileInPlaceShowsItListedStill)
{
    open();
    fake().removeReallyDeletes = false;
    clickFile(2);
    browser()->deleteFileAction->trigger();
    EXPECT_EQ(fake().removed.size(), 1);
    EXPECT_TRUE(fake().messages.isEmpty());
    EXPECT_EQ(files()->count(), 3);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img001.jpg"));
}

TEST_F(RegistrationWindowTest, DeletingWithNoFileSelectedDeletesNothingAndPreviewsTheFirst)
{
    test::writeJpeg(app.files() / "1998" / "a.jpg", 40, 10);
    test::writeJpeg(app.files() / "1998" / "b.jpg", 50, 10);
    open();
    // A folder just opened has no file selected.
    QListWidget* folders = browser()->folderList;
    QListWidgetItem* sub = nullptr;
    for (int i = 0; i < folders->count(); ++i)
        if (folders->item(i)->text().trimmed() == QStringLiteral("1998"))
            sub = folders->item(i);
    ASSERT_NE(sub, nullptr);
    const QPoint at = folders->visualItemRect(sub).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(browser()->folder(), app.files() / "1998");
    ASSERT_TRUE(files()->selectedItems().isEmpty());

    browser()->deleteFileAction->trigger();
    EXPECT_TRUE(fake().removed.isEmpty());
    EXPECT_EQ(listed(files()), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(files()->currentRow(), 0);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("a.jpg"));
    EXPECT_EQ(pageWidth(), 40);
    EXPECT_TRUE(fake().messages.isEmpty());
}

TEST_F(RegistrationWindowTest, DeletingTheLastFileLeavesNothingPreviewed)
{
    fs::remove(app.files() / "Img002.jpg");
    fs::remove(app.files() / "img003.JPG");
    open();
    clickFile(0);
    browser()->deleteFileAction->trigger();
    EXPECT_EQ(files()->count(), 0);
    EXPECT_TRUE((*w)->viewer->page().empty());
    EXPECT_TRUE(browser()->folderField->text().isEmpty());
    EXPECT_TRUE(browser()->nameField->text().isEmpty());
    EXPECT_TRUE(fake().messages.isEmpty());
    // No lot can then be added for the deleted page.
    (*w)->lots->mainNumber->setText(QStringLiteral("1"));
    (*w)->lots->addButton->click();
    ASSERT_EQ(fake().messages.size(), 1);
    EXPECT_EQ(fake().messages[0].text, QStringLiteral("지가조서 이미지를 선택하십시오!"));
    // With nothing selected, the command deletes nothing.
    browser()->deleteFileAction->trigger();
    EXPECT_EQ(fake().removed.size(), 1);
}

TEST_F(RegistrationWindowTest, AFolderThatVanishesWhileShownIsReportedAndLeft)
{
    open();
    clickFile(0);
    fs::remove_all(app.files());
    // A file of the vanished folder cannot be opened: reported, named, not shown.
    clickFile(1);
    ASSERT_EQ(fake().messages.size(), 1);
    EXPECT_TRUE(fake().messages[0].text.contains(QStringLiteral("Img002.jpg")));
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img002.jpg"));
    EXPECT_TRUE((*w)->viewer->page().empty());
    fake().messages.clear();
    browser()->deleteFileAction->trigger();
    ASSERT_EQ(fake().messages.size(), 1);
    EXPECT_TRUE(fake().messages[0].text.contains(QStringLiteral("폴더를 읽을 수 없습니다")));
    EXPECT_EQ(browser()->folder(), app.files().parent_path());
    EXPECT_EQ(files()->count(), 0);
    EXPECT_TRUE(browser()->nameField->text().isEmpty());
}

TEST_F(RegistrationWindowTest, AMissingImageFolderIsReportedAndTheApplicationFolderShown)
{
    fs::remove_all(app.files());
    open();
    ASSERT_EQ(fake().messages.size(), 1);
    EXPECT_TRUE(fake().messages[0].text.contains(QStringLiteral("Files")));
    EXPECT_EQ(browser()->folder(), app.files().parent_path());
    EXPECT_FALSE(fs::exists(app.files())); // nothing is created
}

TEST_F(RegistrationWindowTest, OpeningAFolderListsItsFilesAndOneThatHasGoneChangesNothing)
{
    test::writeJpeg(app.files() / "1998" / "a.jpg");
    open();
    QListWidget* folders = browser()->folderList;
    auto itemNamed = [&](const QString& n) {
        for (int i = 0; i < folders->count(); ++i)
            if (folders->item(i)->text().trimmed() == n)
                return folders->item(i);
        return static_cast<QListWidgetItem*>(nullptr);
    };
    const QPoint at = folders->visualItemRect(itemNamed("1998")).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(browser()->folder(), app.files()); // a single click opens nothing
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(browser()->folder(), app.files() / "1998");
    EXPECT_EQ(listed(files()), QStringList{"a.jpg"});
    EXPECT_EQ(files()->currentRow(), -1);
    // Back up by the folder above, shown in the list's path part.
    QListWidgetItem* up = itemNamed("Files");
    ASSERT_TRUE(up);
    folders->setCurrentItem(up);
    QTest::keyClick(folders, Qt::Key_Return);
    EXPECT_EQ(browser()->folder(), app.files());

    // A folder removed after it was listed cannot be opened.
    fs::create_directory(app.files() / "gone");
    folders->setCurrentItem(itemNamed("Files"));
    QTest::keyClick(folders, Qt::Key_Return);
    fs::remove(app.files() / "gone");
    folders->setCurrentItem(itemNamed("gone"));
    QTest::keyClick(folders, Qt::Key_Return);
    ASSERT_EQ(fake().messages.size(), 1);
    EXPECT_TRUE(fake().messages[0].text.contains(QStringLiteral("gone")));
    EXPECT_EQ(browser()->folder(), app.files());
    EXPECT_EQ(files()->count(), 3);
    fake().messages.clear();
}

// A folder that cannot be read when it is opened: without read permission
// (which root reads all the same), or turned meanwhile into a link to itself
// (which nobody can open).
TEST_F(RegistrationWindowTest, AFolderThatCannotBeReadIsReportedAndChangesNothing)
{
    for (const bool permission : {true, false}) {
        SCOPED_TRACE(permission ? "no read permission" : "a link to itself");
        if (permission && geteuid() == 0)
            continue;
        fs::remove_all(app.files() / "locked");
        fs::create_directory(app.files() / "locked");
        w.reset();
        open();
        QListWidget* folders = browser()->folderList;
        for (int i = 0; i < folders->count(); ++i)
            if (folders->item(i)->text().trimmed() == QStringLiteral("locked"))
                folders->setCurrentRow(i);
        ASSERT_EQ(folders->currentItem()->text().trimmed(), QStringLiteral("locked"));
        if (permission) {
            fs::permissions(app.files() / "locked", fs::perms::none);
        } else {
            fs::remove(app.files() / "locked");
            fs::create_directory_symlink("locked", app.files() / "locked");
        }
        QTest::keyClick(folders, Qt::Key_Return);
        if (permission)
            fs::permissions(app.files() / "locked", fs::perms::owner_all);
        ASSERT_EQ(fake().messages.size(), 1);
        EXPECT_TRUE(fake().messages[0].text.contains(QStringLiteral("locked")));
        EXPECT_EQ(browser()->folder(), app.files());
        EXPECT_EQ(files()->count(), 3);
    }
    fs::remove_all(app.files() / "locked");
}

TEST_F(RegistrationWindowTest, ChoosingADriveShowsItsRootFolder)
{
    open();
    QComboBox* drives = browser()->driveList;
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_End); // the home folder, last in the list
    EXPECT_EQ(browser()->folder(), fs::path(QDir::homePath().toStdString()));
    EXPECT_EQ(listed(browser()->folderList).first().trimmed(), QFileInfo(QDir::homePath()).fileName());
    QTest::keyClick(drives, Qt::Key_Home);
    EXPECT_EQ(browser()->folder(), fs::path(drives->itemData(0).toByteArray().toStdString()));
    EXPECT_TRUE(fake().messages.isEmpty());
}

TEST_F(RegistrationWindowTest, EnterRunsFromKindThroughYearAndMonthToTheTownList)
{
    open();
    // Keys reach an editable list through its line edit.
    QLineEdit* kind = (*w)->attributes->kindList->lineEdit();
    kind->setFocus();
    QTest::keyClicks(kind, QStringLiteral("ab"));
    QTest::keyClick(kind, Qt::Key_Backspace);
    EXPECT_EQ((*w)->attributes->kindList->currentText(), QStringLiteral("토지특성조사표(T)"));
    QTest::keyClick(kind, Qt::Key_Return);
    EXPECT_EQ(w->window->focusWidget(), (*w)->attributes->yearField);
    EXPECT_EQ((*w)->attributes->yearField->selectedText(), (*w)->attributes->yearField->text());
    QTest::keyClick((*w)->attributes->yearField, Qt::Key_Return);
    EXPECT_EQ(w->window->focusWidget(), (*w)->attributes->monthField);
    EXPECT_EQ((*w)->attributes->monthField->selectedText(), QStringLiteral("01"));
    QTest::keyClick((*w)->attributes->monthField, Qt::Key_Return);
    QWidget* f = w->window->focusWidget();
    EXPECT_TRUE(f == (*w)->attributes->townList || f->parentWidget() == (*w)->attributes->townList);
    QTest::keyClicks(f, QStringLiteral("x1"));
    QTest::keyClick(f, Qt::Key_Return);
    EXPECT_EQ((*w)->attributes->townList->currentText(), QStringLiteral("임의읍"));
    EXPECT_EQ(w->window->focusWidget(), f);

    // Once a lot is listed the town list is locked and Enter in the month stays there.
    clickFile(0);
    (*w)->lots->mainNumber->setText(QStringLiteral("1"));
    (*w)->lots->addButton->click();
    (*w)->attributes->monthField->setFocus();
    QTest::keyClick((*w)->attributes->monthField, Qt::Key_Return);
    EXPECT_EQ(w->window->focusWidget(), (*w)->attributes->monthField);
}

TEST_F(RegistrationWindowTest, YearAndMonthTakeDigitsOnly)
{
    open();
    (*w)->attributes->yearField->setFocus();
    (*w)->attributes->yearField->selectAll();
    QTest::keyClicks((*w)->attributes->yearField, QStringLiteral("19a98"));
    EXPECT_EQ((*w)->attributes->yearField->text(), QStringLiteral("1998"));
}

TEST_F(RegistrationWindowTest, WindowKeysStepTheScaleAndOpenTheHelpTopic)
{
    open();
    QWidget* anywhere = (*w)->lots->mainNumber;
    anywhere->setFocus();
    QTest::keyClick(anywhere, Qt::Key_F7);
    EXPECT_EQ((*w)->viewer->scaleBox->currentText(), QStringLiteral("60%"));
    QTest::keyClick(anywhere, Qt::Key_F8);
    QTest::keyClick(anywhere, Qt::Key_F8);
    EXPECT_EQ((*w)->viewer->scaleBox->currentText(), QStringLiteral("25%"));
    (*w)->viewer->selectScaleEntry(15);
    QTest::keyClick(anywhere, Qt::Key_F7); // past the end: no entry selected, the scale stays
    EXPECT_DOUBLE_EQ((*w)->viewer->view()->scale(), 20.0);
    (*w)->viewer->selectScaleEntry(0);
    QTest::keyClick(anywhere, Qt::Key_F8);
    EXPECT_DOUBLE_EQ((*w)->viewer->view()->scale(), 0.05);

    QTest::keyClick(anywhere, Qt::Key_F12);
    ASSERT_EQ(fake().urls.size(), 1);
    EXPECT_TRUE(fake().urls[0].toLocalFile().endsWith(QStringLiteral("Help/3_5_h.htm")));
    EXPECT_TRUE(fake().urls[0].toLocalFile().startsWith(app.appDir()));
    // The focused control gets the keys too: nothing was typed into it.
    EXPECT_TRUE((*w)->lots->mainNumber->text().isEmpty());
}

TEST_F(RegistrationWindowTest, TheSettingsTabIsShownButNothingOnItCanBeChanged)
{
    open();
    EXPECT_EQ((*w)->tabs->tabText(1), QStringLiteral("환경설정"));
    (*w)->tabs->setCurrentIndex(1);
    EXPECT_FALSE((*w)->settingsTab->isEnabled());
    EXPECT_TRUE((*w)->cmMove->isChecked());
    EXPECT_TRUE((*w)->nmChange->isChecked());
    QTest::mouseClick((*w)->cmCopy, Qt::LeftButton);
    QTest::mouseClick((*w)->nmKeep, Qt::LeftButton);
    QTest::mouseClick((*w)->applyViewButton, Qt::LeftButton);
    EXPECT_TRUE((*w)->cmMove->isChecked());
    EXPECT_TRUE((*w)->nmChange->isChecked());
    EXPECT_FALSE((*w)->applyViewButton->isEnabled());
    EXPECT_TRUE(fake().messages.isEmpty());
}

TEST_F(RegistrationWindowTest, TheViewersCancelDeletesTheSelectedLotAndLeavesTheMagnifierOn)
{
    open();
    auto* viewer = (*w)->viewer;
    clickFile(0);
    viewer->magnifierButton->click(); // "돋보기"
    EXPECT_FALSE(viewer->panAllowed);
    EXPECT_FALSE(viewer->magnifierPanel->isVisible()); // its settings panel is never shown here
    EXPECT_EQ(viewer->magnifierPanel->title(), QStringLiteral("돋보기"));
    ASSERT_EQ(viewer->view()->layers().size(), 2u); // the magnifier and its selection frame
    viewer->cancelButton->click();                  // "취소" with no lot listed
    EXPECT_TRUE(fake().questions.isEmpty());
    EXPECT_EQ(viewer->view()->layers().size(), 2u);

    (*w)->lots->mainNumber->setText(QStringLiteral("8"));
    (*w)->lots->addButton->click();
    fake().answers = {true};
    QAction* cancel = nullptr;
    for (QAction* a : viewer->pageMenu->actions())
        if (a->text() == QStringLiteral("돋보기 취소"))
            cancel = a;
    ASSERT_TRUE(cancel);
    cancel->trigger();
    EXPECT_EQ(fake().questions, QStringList{QStringLiteral("지번을 취소하겠습니까?")});
    EXPECT_EQ((*w)->lots->lotCount(), 0);
    EXPECT_FALSE(viewer->panAllowed);
    EXPECT_EQ(viewer->view()->layers().size(), 2u);
}

TEST_F(RegistrationWindowTest, EveryControlOnEveryPageHasASpokenName)
{
    open();
    EXPECT_EQ(test::unnamedControlsOnEveryPage(w->window), QStringList());
}

TEST_F(RegistrationWindowTest, ControlsHaveNamesForAScreenReader)
{
    open();
    auto lots = (*w)->lots;
    const std::pair<QWidget*, const char*> cases[] = {
        {(*w)->attributes->kindList, "조서구분"},
        {(*w)->attributes->yearField, "조사기준연도"},
        {(*w)->attributes->monthField, "기준월"},
        {(*w)->attributes->townList, "등록지역 시읍면"},
        {(*w)->attributes->villageList, "등록지역 동리"},
        {lots->sanBox, "산"},
        {lots->mainNumber, "본번"},
        {lots->subNumber, "부번"},
        {lots->mainUpButton, "본번 올림"},
        {lots->subDownButton, "부번 내림"},
        {lots->addButton, "추가"},
        {lots->deleteButton, "삭제"},
        {lots->registerButton, "등록"},
        {lots->lotGrid, "지번 목록"},
        {browser()->driveList, "드라이브"},
        {browser()->fileList, "파일"},
        {browser()->folderField, "폴더 경로"},
        {browser()->nameField, "파일 이름"},
        {(*w)->viewer->scaleBox, "화면비율"},
        {(*w)->viewer->magnificationSlider, "돋보기 배율"},
        {(*w)->cmCopy, "복사"},
        {(*w)->applyViewButton, "적용"},
    };
    for (const auto& [widget, name] : cases) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
        ASSERT_TRUE(a) << name;
        // On Linux a list box speaks its text as its name and its label through the relation.
        const QString spoken = qobject_cast<QComboBox*>(widget) ? widget->accessibleName() : a->text(QAccessible::Name);
        EXPECT_EQ(spoken, QString::fromUtf8(name)) << widget->objectName().toStdString();
    }
    // The labelled fields are tied to their labels.
    for (QWidget* field :
         {static_cast<QWidget*>((*w)->attributes->kindList), static_cast<QWidget*>((*w)->attributes->yearField)}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(field);
        EXPECT_FALSE(a->relations(QAccessible::Label).isEmpty()) << field->objectName().toStdString();
    }
}

TEST_F(RegistrationWindowTest, AFileThatCannotBeDeletedIsReportedAndStaysListed)
{
    open();
    clickFile(2);
    const int before = files()->count();
    fake().removeReallyDeletes = false;
    // The fake keeps the file and says it could not remove it.
    fake().removeResult = false;
    browser()->deleteFileAction->trigger();
    ASSERT_EQ(fake().messages.size(), 1);
    EXPECT_TRUE(fake().messages[0].text.startsWith(QStringLiteral("파일을 삭제할 수 없습니다: ")));
    EXPECT_EQ(files()->count(), before);
    // The list's first entry is previewed, as after any deletion.
    EXPECT_EQ(files()->currentRow(), 0);
    EXPECT_EQ(browser()->nameField->text(), QStringLiteral("Img001.jpg"));
    EXPECT_EQ(pageWidth(), 10);
}
