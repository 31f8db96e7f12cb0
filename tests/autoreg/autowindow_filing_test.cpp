// The automatic window's manual tab in the archive edition: "등록(F9)" keeps
// the demonstration build's check for lots, then checks the attributes, asks,
// and files the page as 복사/이동, 파일명규칙변경 and 이미지공백제거 say.
// Driven through the widgets on a fresh database in a temporary folder.

#include "archive/store.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/lotlist.h"
#include "components/pagefiling.h"
#include "recognition/autoregistrationwindow.h"
#include "recognition/radiogroup.h"
#include "recognition/settingspanel.h"
#include "tests/archive/fixture.h"
#include "tests/support/fakeservices.h"
#include "viewer/imageviewer.h"

#include <QApplication>
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

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <stdexcept>
#include <vector>

using namespace rida;
using archive::testing::kImuiRi;

namespace {

const QString kQuestion = QStringLiteral("입력한 지가조서를 등록하겠습니까?");
const QString kDone = QStringLiteral("등록이 완료되었습니다.");

// A JPEG page of `width` x 64: white paper on its left `blank` columns, dark print on the rest.
QByteArray jpegPage(int width, int blank)
{
    const int height = 64;
    std::vector<unsigned char> grey(std::size_t(width) * height, 255);
    for (int y = 0; y < height; ++y)
        for (int x = blank; x < width; ++x)
            grey[std::size_t(y) * width + x] = 40;
    tjhandle h = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(h, grey.data(), width, width, height, TJPF_GRAY, &jpeg, &size, TJSAMP_GRAY, 90, 0) != 0)
        throw std::runtime_error("tjCompress2 failed");
    QByteArray bytes(reinterpret_cast<const char*>(jpeg), qsizetype(size));
    tjFree(jpeg);
    tjDestroy(h);
    return bytes;
}

int jpegWidth(const QByteArray& bytes)
{
    tjhandle h = tjInitDecompress();
    int width = 0, height = 0, sampling = 0, colours = 0;
    tjDecompressHeader3(h, reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size(),
                        &width, &height, &sampling, &colours);
    tjDestroy(h);
    return width;
}

class AutoWindowFilingTest : public archive::testing::ArchiveTest {
protected:
    void SetUp() override
    {
        ArchiveTest::SetUp();
        store = ready();
        QDir().mkpath(filesPath());
        original = jpegPage(128, 64);
        archive::testing::writeFile(source(), original);
        archive::testing::writeFile(filesPath() + QStringLiteral("/b.jpg"), jpegPage(96, 0));
    }
    void TearDown() override { window.reset(); }
    QString appDir() const { return path(QStringLiteral("app/")); }
    QString filesPath() const { return appDir() + QStringLiteral("Files"); }
    QString source() const { return filesPath() + QStringLiteral("/a.jpg"); }
    QString lastMessage() { return fake->messages.isEmpty() ? QString() : fake->messages.back().text; }

    recognition::AutoRegistrationWindow& open()
    {
        window = std::make_unique<recognition::AutoRegistrationWindow>(
            appDir(), components::storeRegions(*store),
            components::PageArchive{store.get(), [this] { return pagesPath(); }});
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(1400, 1000);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->modeTabs->setCurrentWidget(window->manualTab);
        return *window;
    }
    // a.jpg chosen, 결정조서 of 1998-03 in 임의읍 임의리, the lot 12-3.
    void fillEntry()
    {
        auto& w = *window;
        QListWidget* list = w.browser->fileList;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        ASSERT_EQ(w.browser->nameField->text(), QStringLiteral("a.jpg"));
        w.attributes->kindList->setCurrentIndex(1);
        w.attributes->yearField->setText(QStringLiteral("1998"));
        w.attributes->monthField->setText(QStringLiteral("03"));
        w.attributes->townList->setCurrentIndex(w.attributes->townList->findText(QStringLiteral("임의읍")));
        w.attributes->villageList->setCurrentIndex(w.attributes->villageList->findText(QStringLiteral("임의리")));
        w.lots->mainNumber->setText(QStringLiteral("12"));
        w.lots->subNumber->setText(QStringLiteral("3"));
        QTest::mouseClick(w.lots->addButton, Qt::LeftButton);
        ASSERT_EQ(w.lots->lotCount(), 1);
    }
    void pressF9() { QTest::keyClick(window->lots->mainNumber, Qt::Key_F9); }
    void expectNothingFiled()
    {
        EXPECT_TRUE(store->pageRecords().isEmpty());
        EXPECT_EQ(archive::testing::readFile(source()), original);
    }

    test::ScopedFakeServices fake;
    std::unique_ptr<archive::Store> store;
    std::unique_ptr<recognition::AutoRegistrationWindow> window;
    QByteArray original;
};

struct CheckCase {
    const char* name;
    std::function<void(recognition::AutoRegistrationWindow&)> spoil;
    QString message;
    std::function<QWidget*(recognition::AutoRegistrationWindow&)> focus;
};

class AutoWindowCheckTest : public AutoWindowFilingTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(AutoWindowCheckTest, SaysWhatIsMissingAndFocusesItsFieldWithoutAsking)
{
    const CheckCase& c = GetParam();
    open();
    fillEntry();
    c.spoil(*window);
    pressF9();
    EXPECT_EQ(lastMessage(), c.message);
    EXPECT_EQ(QApplication::focusWidget(), c.focus(*window));
    EXPECT_TRUE(fake->questions.isEmpty());
    expectNothingFiled();
}

using AW = recognition::AutoRegistrationWindow;
INSTANTIATE_TEST_SUITE_P(
    Checks, AutoWindowCheckTest,
    ::testing::Values(
        // The demonstration build's check and its focus stay as they are, and come first.
        CheckCase{"NoLotsBeforeABadYear",
                  [](AW& w) {
                      w.lots->clearLots();
                      w.attributes->yearField->setText(QStringLiteral("98"));
                  },
                  QStringLiteral("지가조서를 입력한 후 등록하십시오!"),
                  [](AW& w) -> QWidget* { return w.attributes->yearField; }},
        CheckCase{"NoKind", [](AW& w) { w.attributes->kindList->setCurrentIndex(-1); },
                  QStringLiteral("조서구분을 선택하십시오!"), [](AW& w) -> QWidget* { return w.attributes->kindList; }},
        CheckCase{"TwoDigitYear", [](AW& w) { w.attributes->yearField->setText(QStringLiteral("98")); },
                  QStringLiteral("조사기준연도를 4자리 숫자로 입력하십시오!"),
                  [](AW& w) -> QWidget* { return w.attributes->yearField; }},
        CheckCase{"Month13", [](AW& w) { w.attributes->monthField->setText(QStringLiteral("13")); },
                  QStringLiteral("기준월을 1에서 12 사이의 숫자로 입력하십시오!"),
                  [](AW& w) -> QWidget* { return w.attributes->monthField; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoWindowFilingTest, AnsweredNoFilesNothing)
{
    open();
    fillEntry();
    pressF9();
    EXPECT_EQ(fake->questions, QStringList{kQuestion});
    expectNothingFiled();
    EXPECT_EQ(window->lots->lotCount(), 1);
    EXPECT_TRUE(fake->messages.isEmpty());
}

struct FilingCase {
    const char* name;
    int transfer; // 0 복사, 1 이동
    int names;    // 0 변경, 1 미변경
    int margin;   // 0 미제거, 1 좌측, 2 우측
    QString storedName;
    bool cut; // the stored page is narrower than the scan
};

class AutoWindowFilingCaseTest : public AutoWindowFilingTest, public ::testing::WithParamInterface<FilingCase> {};

TEST_P(AutoWindowFilingCaseTest, FilesThePageAsTheSettingsSay)
{
    const FilingCase& c = GetParam();
    auto& w = open();
    w.settingsPanel->copyMoveChoice->button(c.transfer)->click();
    w.settingsPanel->renameChoice->button(c.names)->click();
    w.settingsPanel->marginChoice->button(c.margin)->click();
    fillEntry();
    fake->answers = {true};
    pressF9();

    EXPECT_EQ(fake->questions, QStringList{kQuestion});
    EXPECT_EQ(lastMessage(), kDone);
    const QList<archive::PageRecord> pages = store->pageRecords();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].pagePath, QStringLiteral("99110/1998/") + c.storedName);
    const QByteArray stored = archive::testing::readFile(QDir(pagesPath()).filePath(pages[0].pagePath));
    if (c.cut)
        EXPECT_LT(jpegWidth(stored), 128);
    else
        EXPECT_EQ(stored, original);
    EXPECT_EQ(QFile::exists(source()), c.transfer == 0);
    if (c.transfer == 0)
        EXPECT_EQ(archive::testing::readFile(source()), original); // 복사 leaves the scan's bytes alone, cut or not

    const QList<archive::FoundDocument> found = store->findDocuments({.regionCode = kImuiRi});
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ((std::tuple{found[0].kind, found[0].surveyYear, found[0].surveyMonth}),
              (std::tuple{QChar(u'G'), 1998, 3}));
    const QList<archive::StoredLot> lots = store->lotsOf(found[0].id);
    ASSERT_EQ(lots.size(), 1);
    EXPECT_EQ((std::tuple{lots[0].regionCode, lots[0].mountain, lots[0].mainNumber, lots[0].subNumber}),
              (std::tuple{kImuiRi, false, 12, 3}));

    // The next entry: lots emptied, region open, the folder's first sheet shown, the focus in 본번.
    EXPECT_EQ(w.lots->lotCount(), 0);
    EXPECT_TRUE(w.attributes->townList->isEnabled());
    EXPECT_EQ(w.browser->nameField->text(), c.transfer == 0 ? QStringLiteral("a.jpg") : QStringLiteral("b.jpg"));
    EXPECT_EQ(w.focusWidget(), w.lots->mainNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, AutoWindowFilingCaseTest,
    ::testing::Values(FilingCase{"CopyRenamed", 0, 0, 0, "G199803-9911025021-000001.jpg", false},
                      FilingCase{"MoveKeepingItsName", 1, 1, 0, "a.jpg", false},
                      FilingCase{"CopyCuttingTheLeftMargin", 0, 0, 1, "G199803-9911025021-000001.jpg", true},
                      FilingCase{"MoveCuttingTheRightMarginWhereThereIsNone", 1, 1, 2, "a.jpg", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoWindowFilingTest, ARefusedFilingChangesNothing)
{
    ASSERT_TRUE(QDir(pagesPath()).removeRecursively());
    open();
    fillEntry();
    fake->answers = {true};
    pressF9();
    EXPECT_EQ(fake->questions, QStringList{kQuestion});
    EXPECT_FALSE(lastMessage().isEmpty());
    EXPECT_NE(lastMessage(), kDone);
    expectNothingFiled();
    EXPECT_FALSE(QFileInfo::exists(pagesPath()));
    EXPECT_EQ(window->lots->lotCount(), 1);
    EXPECT_EQ(window->browser->nameField->text(), QStringLiteral("a.jpg"));
}

} // namespace
