// The registration window of the archive edition: "등록" checks the entry,
// asks, files the page in the page folder with its record and starts the next
// entry; a refused filing changes nothing. Driven through the widgets on a
// fresh database in a temporary folder.

#include "archive/officesettings.h"
#include "archive/store.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/lotlist.h"
#include "components/pagefiling.h"
#include "tests/archive/fixture.h"
#include "tests/registration/fixtures.h"
#include "ui/grid/stringgrid.h"
#include "viewer/imageviewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace rida;
using archive::testing::kImuiRi;

namespace {

const QString kQuestion = QStringLiteral("입력한 지가조서를 등록하겠습니까?");
const QString kDone = QStringLiteral("등록이 완료되었습니다.");

class RegistrationFilingTest : public archive::testing::ArchiveTest {
protected:
    void SetUp() override
    {
        ArchiveTest::SetUp();
        store = ready();
        test::writeJpeg(app.files() / "Img001.jpg", 40, 30, 90);
        test::writeJpeg(app.files() / "Img002.jpg", 50, 30, 120);
        original = archive::testing::readFile(source());
    }
    void open()
    {
        w = std::make_unique<test::OpenWindow>(app, components::storeRegions(*store),
                                               components::PageArchive{store.get(), [this] { return pagesPath(); }});
    }
    registration::RegistrationWindow& window() { return *w->window; }
    test::FakeServices& fake() { return *w->fake; }
    QString source() const { return QString::fromStdString((app.files() / "Img001.jpg").string()); }
    QString lastMessage() { return fake().messages.isEmpty() ? QString() : fake().messages.back().text; }

    // The first file previewed, 결정조서 of 1998-03 in 임의읍 임의리, with the lots 12-3 and 산 7.
    void fillEntry()
    {
        QListWidget* files = window().browser->fileList;
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
        auto* a = window().attributes;
        a->kindList->setCurrentIndex(1);
        a->yearField->setText(QStringLiteral("1998"));
        a->monthField->setText(QStringLiteral("03"));
        a->townList->setCurrentIndex(a->townList->findText(QStringLiteral("임의읍")));
        a->villageList->setCurrentIndex(a->villageList->findText(QStringLiteral("임의리")));
        addLot(false, QStringLiteral("12"), QStringLiteral("3"));
        addLot(true, QStringLiteral("7"), QString());
        ASSERT_EQ(window().lots->lotCount(), 2);
    }
    void addLot(bool mountain, const QString& main, const QString& sub)
    {
        window().lots->sanBox->setChecked(mountain);
        window().lots->mainNumber->setText(main);
        window().lots->subNumber->setText(sub);
        QTest::mouseClick(window().lots->addButton, Qt::LeftButton);
    }
    // On the settings tab, as the user chooses them; then back to the entry.
    void chooseSettings(bool copy, bool rename)
    {
        window().tabs->setCurrentWidget(window().settingsTab);
        QTest::mouseClick(copy ? window().cmCopy : window().cmMove, Qt::LeftButton);
        QTest::mouseClick(rename ? window().nmChange : window().nmKeep, Qt::LeftButton);
        ASSERT_TRUE((copy ? window().cmCopy : window().cmMove)->isChecked());
        ASSERT_TRUE((rename ? window().nmChange : window().nmKeep)->isChecked());
        window().tabs->setCurrentWidget(window().attributeTab);
    }
    void pressRegister() { QTest::mouseClick(window().lots->registerButton, Qt::LeftButton); }
    // Nothing registered, the page where it was with its bytes, the page folder empty.
    void expectNothingFiled()
    {
        EXPECT_TRUE(store->pageRecords().isEmpty());
        EXPECT_EQ(archive::testing::readFile(source()), original);
        EXPECT_TRUE(QDir(pagesPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }

    test::AppFolder app;
    std::unique_ptr<archive::Store> store;
    std::unique_ptr<test::OpenWindow> w;
    QByteArray original;
};

// Makes a folder refuse new entries: by its permissions, and where the user
// writes it all the same (root) by the file system's immutable flag. False
// when neither holds.
bool setReadOnly(const QString& folder, bool readOnly)
{
    QFile::setPermissions(folder, readOnly ? QFile::ReadOwner | QFile::ExeOwner
                                           : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (readOnly || (flags & FS_IMMUTABLE_FL))) {
        if (readOnly && ::access(QFile::encodeName(folder).constData(), W_OK) == 0)
            flags |= FS_IMMUTABLE_FL;
        else if (!readOnly)
            flags &= ~FS_IMMUTABLE_FL;
        (void)::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
    if (!readOnly)
        return true;
    // Whether a file can be made there now.
    QFile probe(folder + QStringLiteral("/.probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        return false;
    }
    return true;
}

struct CheckCase {
    const char* name;
    std::function<void(registration::RegistrationWindow&)> spoil; // after fillEntry
    bool previewed;                                               // fillEntry runs at all
    QString message;
    std::function<QWidget*(registration::RegistrationWindow&)> focus;
};

class RegistrationCheckTest : public RegistrationFilingTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(RegistrationCheckTest, SaysWhatIsMissingAndFocusesItsFieldWithoutAsking)
{
    const CheckCase& c = GetParam();
    open();
    if (c.previewed) {
        fillEntry();
        c.spoil(window());
    }
    pressRegister();
    EXPECT_EQ(lastMessage(), c.message);
    EXPECT_EQ(QApplication::focusWidget(), c.focus(window()));
    EXPECT_TRUE(fake().questions.isEmpty());
    expectNothingFiled();
}

using RW = registration::RegistrationWindow;
INSTANTIATE_TEST_SUITE_P(
    Checks, RegistrationCheckTest,
    ::testing::Values(
        // No page: this check comes first, also before the missing lots.
        CheckCase{"NoPage", [](RW&) {}, false, QStringLiteral("지가조서 이미지를 선택하십시오!"),
                  [](RW& w) -> QWidget* { return w.browser->fileList; }},
        CheckCase{"NoKind", [](RW& w) { w.attributes->kindList->setCurrentIndex(-1); }, true,
                  QStringLiteral("조서구분을 선택하십시오!"), [](RW& w) -> QWidget* { return w.attributes->kindList; }},
        CheckCase{"TwoDigitYear", [](RW& w) { w.attributes->yearField->setText(QStringLiteral("98")); }, true,
                  QStringLiteral("조사기준연도를 4자리 숫자로 입력하십시오!"),
                  [](RW& w) -> QWidget* { return w.attributes->yearField; }},
        // The year is checked before the month.
        CheckCase{"NoYearAndMonth13",
                  [](RW& w) {
                      w.attributes->yearField->clear();
                      w.attributes->monthField->setText(QStringLiteral("13"));
                  },
                  true, QStringLiteral("조사기준연도를 4자리 숫자로 입력하십시오!"),
                  [](RW& w) -> QWidget* { return w.attributes->yearField; }},
        CheckCase{"Month13", [](RW& w) { w.attributes->monthField->setText(QStringLiteral("13")); }, true,
                  QStringLiteral("기준월을 1에서 12 사이의 숫자로 입력하십시오!"),
                  [](RW& w) -> QWidget* { return w.attributes->monthField; }},
        CheckCase{"Month00", [](RW& w) { w.attributes->monthField->setText(QStringLiteral("00")); }, true,
                  QStringLiteral("기준월을 1에서 12 사이의 숫자로 입력하십시오!"),
                  [](RW& w) -> QWidget* { return w.attributes->monthField; }},
        CheckCase{"NoLots", [](RW& w) { w.lots->clearLots(); }, true,
                  QStringLiteral("지가조서를 입력한 후 등록하십시오!"),
                  [](RW& w) -> QWidget* { return w.lots->mainNumber; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistrationFilingTest, AnsweredNoFilesNothingAndKeepsTheEntry)
{
    open();
    fillEntry();
    pressRegister();
    EXPECT_EQ(fake().questions, QStringList{kQuestion});
    expectNothingFiled();
    EXPECT_EQ(window().lots->lotCount(), 2);
    EXPECT_FALSE(window().attributes->townList->isEnabled());
    for (const test::ShownMessage& m : fake().messages)
        EXPECT_NE(m.text, kDone);
}

struct FilingCase {
    const char* name;
    bool copy;   // 복사, else 이동
    bool rename; // 변경, else 미변경
    QString storedName;
};

class RegistrationFilingCaseTest : public RegistrationFilingTest, public ::testing::WithParamInterface<FilingCase> {};

TEST_P(RegistrationFilingCaseTest, FilesThePageWithItsRecordAndStartsTheNextEntry)
{
    const FilingCase& c = GetParam();
    open();
    ASSERT_TRUE(window().settingsTab->isEnabled());
    chooseSettings(c.copy, c.rename);
    fillEntry();
    fake().answers = {true};
    pressRegister();

    EXPECT_EQ(fake().questions, QStringList{kQuestion});
    EXPECT_EQ(lastMessage(), kDone);
    const QList<archive::PageRecord> pages = store->pageRecords();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].pagePath, QStringLiteral("99110/1998/") + c.storedName);
    EXPECT_EQ(archive::testing::readFile(QDir(pagesPath()).filePath(pages[0].pagePath)), original);
    EXPECT_EQ(QFile::exists(source()), c.copy);
    if (c.copy)
        EXPECT_EQ(archive::testing::readFile(source()), original);

    const QList<archive::FoundDocument> found = store->findDocuments({.regionCode = kImuiRi});
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].kind, u'G');
    EXPECT_EQ(found[0].surveyYear, 1998);
    EXPECT_EQ(found[0].surveyMonth, 3);
    EXPECT_EQ(found[0].originalName, QStringLiteral("Img001.jpg"));
    const QList<archive::StoredLot> lots = store->lotsOf(found[0].id);
    ASSERT_EQ(lots.size(), 2);
    EXPECT_EQ(lots[0].regionCode, kImuiRi);
    EXPECT_EQ((std::tuple{lots[0].mountain, lots[0].mainNumber, lots[0].subNumber}), (std::tuple{false, 12, 3}));
    EXPECT_EQ(lots[1].regionCode, kImuiRi);
    EXPECT_EQ((std::tuple{lots[1].mountain, lots[1].mainNumber, lots[1].subNumber}), (std::tuple{true, 7, 0}));

    // The next entry: region open, no lots, the list re-read and its first file previewed.
    EXPECT_EQ(window().lots->lotCount(), 0);
    EXPECT_TRUE(window().attributes->townList->isEnabled());
    EXPECT_TRUE(window().attributes->villageList->isEnabled());
    const QString first = c.copy ? QStringLiteral("Img001.jpg") : QStringLiteral("Img002.jpg");
    EXPECT_EQ(window().browser->fileList->count(), c.copy ? 2 : 1);
    EXPECT_EQ(window().browser->nameField->text(), first);
    EXPECT_EQ(window().viewer->page().width(), c.copy ? 40 : 50);
}

INSTANTIATE_TEST_SUITE_P(Rules, RegistrationFilingCaseTest,
                         ::testing::Values(FilingCase{"CopyRenamed", true, true, "G199803-9911025021-000001.jpg"},
                                           FilingCase{"MoveRenamed", false, true, "G199803-9911025021-000001.jpg"},
                                           FilingCase{"CopyKeepingItsName", true, false, "Img001.jpg"},
                                           FilingCase{"MoveKeepingItsName", false, false, "Img001.jpg"}),
                         [](const auto& info) { return std::string(info.param.name); });

// With the folder's last page moved into the archive nothing is named, so no lot can be added for it.
TEST_F(RegistrationFilingTest, MovingTheLastPageLeavesNothingChosen)
{
    ASSERT_TRUE(QFile::remove(QString::fromStdString((app.files() / "Img002.jpg").string())));
    open();
    chooseSettings(false, true);
    fillEntry();
    fake().answers = {true};
    pressRegister();
    ASSERT_EQ(lastMessage(), kDone);
    EXPECT_EQ(window().browser->fileList->count(), 0);
    EXPECT_TRUE(window().browser->nameField->text().isEmpty());
    EXPECT_TRUE(window().browser->folderField->text().isEmpty());
    addLot(false, QStringLiteral("1"), QString());
    EXPECT_EQ(lastMessage(), QStringLiteral("지가조서 이미지를 선택하십시오!"));
    EXPECT_EQ(window().lots->lotCount(), 0);
}

TEST_F(RegistrationFilingTest, SettingsTabStartsFromTheOfficesSettings)
{
    archive::OfficeSettings office;
    office.transfer = archive::Transfer::Copy;
    office.nameRule = archive::NameRule::KeepName;
    archive::saveOfficeSettings(*store, office);
    open();
    EXPECT_TRUE(window().cmCopy->isChecked());
    EXPECT_TRUE(window().nmKeep->isChecked());
}

// A filing the archive refuses says why and leaves the page, the store and the entry as they were.
class RegistrationRefusalTest : public RegistrationFilingTest,
                                public ::testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(RegistrationRefusalTest, ChangesNothing)
{
    const bool readOnly = GetParam().second;
    if (readOnly) {
        if (!setReadOnly(pagesPath(), true)) {
            setReadOnly(pagesPath(), false);
            GTEST_SKIP() << "no folder can be made read-only for this user here";
        }
    } else {
        ASSERT_TRUE(QDir(pagesPath()).removeRecursively());
    }
    open();
    fillEntry();
    fake().answers = {true};
    pressRegister();
    if (readOnly)
        setReadOnly(pagesPath(), false);

    EXPECT_EQ(fake().questions, QStringList{kQuestion});
    ASSERT_FALSE(fake().messages.isEmpty());
    EXPECT_NE(lastMessage(), kDone);
    EXPECT_FALSE(lastMessage().isEmpty());
    EXPECT_TRUE(store->pageRecords().isEmpty());
    EXPECT_EQ(archive::testing::readFile(source()), original);
    if (readOnly)
        EXPECT_TRUE(QDir(pagesPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    else
        EXPECT_FALSE(QFileInfo::exists(pagesPath()));
    EXPECT_EQ(window().lots->lotCount(), 2);
    EXPECT_EQ(window().browser->nameField->text(), QStringLiteral("Img001.jpg"));
}

INSTANTIATE_TEST_SUITE_P(Faults, RegistrationRefusalTest,
                         ::testing::Values(std::pair{"ReadOnlyPageFolder", true}, std::pair{"PageFolderGone", false}),
                         [](const auto& info) { return std::string(info.param.first); });

TEST_F(RegistrationFilingTest, TheSamePageTwiceNamesTheRecordThatHoldsIt)
{
    open();
    chooseSettings(true, true);
    fillEntry();
    fake().answers = {true, true};
    pressRegister();
    ASSERT_EQ(store->pageRecords().size(), 1);
    fillEntry();
    pressRegister();
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("이미 등록된 파일입니다"))) << lastMessage().toStdString();
    EXPECT_EQ(store->pageRecords().size(), 1);
    EXPECT_EQ(window().lots->lotCount(), 2);
}

} // namespace
