// The automatic run in the archive edition: each page whose lot rows were
// read is registered with its lots and placed as 복사/이동, 파일명규칙변경 and
// 이미지공백제거 say; a page already stored, a page without rows and a region
// folder that names no region are listed as failures; a page folder that
// takes no more pages stops the run with every page accounted for. Driven
// through the window on generated sheets and a fresh database.

#include "archive/pagefolder.h"
#include "archive/store.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/pagefiling.h"
#include "recognition/autoregistrationwindow.h"
#include "recognition/radiogroup.h"
#include "recognition/settingspanel.h"
#include "tests/archive/fixture.h"
#include "tests/support/fakeservices.h"
#include "tools/pagegen/pagegen.h"
#include "ui/labels.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

using namespace rida;
namespace at = archive::testing;

namespace {

// Rows of the generated sheets, nine digits each: K, 본번, 부번.
const std::vector<std::string> kSheetA = {"100120003", "100130000", "200070001", "100140002", "100150010"};
const std::vector<std::string> kSheetB = {"100210001", "100220002", "100230003", "200240004", "100250005"};

class AutoRunArchiveTest : public at::ArchiveTest {
protected:
    void SetUp() override
    {
        ArchiveTest::SetUp();
        store = ready();
        QDir().mkpath(filesPath());
    }
    void TearDown() override
    {
        window.reset();
        // Whatever a test did, every stored page is there with its bytes.
        if (store)
            EXPECT_TRUE(archive::checkArchive(*store, pagesPath()).isEmpty());
    }
    QString appDir() const { return path(QStringLiteral("app/")); }
    QString filesPath() const { return appDir() + QStringLiteral("Files"); }
    QString filePath(const QString& name) const { return filesPath() + u'/' + name; }

    void writeSheet(const QString& name, const std::vector<std::string>& rows, bool reference = true)
    {
        QDir().mkpath(QFileInfo(filePath(name)).absolutePath());
        pagegen::PageOptions options;
        for (const std::string& r : rows)
            options.rows.push_back({r});
        options.headings = false;
        options.noise = 4;
        options.referencePoint = reference;
        pagegen::writeJpeg(QFile::encodeName(filePath(name)).toStdString(), pagegen::drawPage(options));
    }

    recognition::AutoRegistrationWindow& open()
    {
        window = std::make_unique<recognition::AutoRegistrationWindow>(
            appDir(), components::storeRegions(*store),
            components::PageArchive{store.get(), [this] { return pagesPath(); }});
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(1400, 1000);
        window->show();
        auto& w = *window;
        // 결정조서 of 1998-03, 임의읍 임의리.
        w.attributes->kindList->setCurrentIndex(1);
        w.attributes->yearField->setText(QStringLiteral("1998"));
        w.attributes->monthField->setText(QStringLiteral("03"));
        w.attributes->townList->setCurrentIndex(w.attributes->townList->findText(QStringLiteral("임의읍")));
        w.attributes->villageList->setCurrentIndex(w.attributes->villageList->findText(QStringLiteral("임의리")));
        return w;
    }
    QStringList failures() const { return window->failureLog->toPlainText().split(u'\n', Qt::SkipEmptyParts); }
    QStringList storedNames()
    {
        QStringList names;
        for (const archive::PageRecord& page : store->pageRecords())
            names << QFileInfo(page.pagePath).fileName();
        return names;
    }
    // The stored lots of every document, as "region 산 본번-부번".
    QStringList storedLots()
    {
        QStringList lots;
        for (const archive::PageRecord& page : store->pageRecords())
            for (const archive::StoredLot& lot : store->lotsOf(page.documentId))
                lots << QStringLiteral("%1 %2 %3-%4")
                            .arg(lot.regionCode)
                            .arg(lot.mountain ? 1 : 0)
                            .arg(lot.mainNumber)
                            .arg(lot.subNumber);
        lots.sort();
        return lots;
    }

    test::ScopedFakeServices fake;
    std::unique_ptr<archive::Store> store;
    std::unique_ptr<recognition::AutoRegistrationWindow> window;
};

struct OptionCase {
    const char* name;
    int copyMove; // 0 복사, 1 이동
    int rename;   // 0 변경, 1 미변경
    int margin;   // 0 미제거, 1 좌측, 2 우측
};

class AutoRunOptionTest : public AutoRunArchiveTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(AutoRunOptionTest, RegistersEveryPageReadAndPlacesItAsTheSettingsSay)
{
    const OptionCase c = GetParam();
    writeSheet(QStringLiteral("a.jpg"), kSheetA);
    writeSheet(QStringLiteral("b.jpg"), kSheetB);
    writeSheet(QStringLiteral("c.jpg"), kSheetA, false);
    const QByteArray originalA = at::readFile(filePath(QStringLiteral("a.jpg")));
    auto& w = open();
    w.settingsPanel->copyMoveChoice->setItemIndex(c.copyMove);
    w.settingsPanel->renameChoice->setItemIndex(c.rename);
    w.settingsPanel->marginChoice->setItemIndex(c.margin);
    w.runRecognition();

    EXPECT_EQ(failures(), QStringList{filePath(QStringLiteral("c.jpg")) + QStringLiteral(" 기준점 인식 실패")});
    EXPECT_TRUE(fake->messages.isEmpty());
    ASSERT_EQ(store->pageRecords().size(), 2);
    QStringList expectedLots;
    for (const auto& rows : {kSheetA, kSheetB})
        for (const std::string& r : rows)
            expectedLots << QStringLiteral("%1 %2 %3-%4")
                                .arg(at::kImuiRi)
                                .arg(r[0] == '2' ? 1 : 0)
                                .arg(std::stoi(r.substr(1, 4)))
                                .arg(std::stoi(r.substr(5, 4)));
    expectedLots.sort();
    EXPECT_EQ(storedLots(), expectedLots);

    QStringList names = storedNames();
    names.sort();
    if (c.rename == 1)
        EXPECT_EQ(names, (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    else
        for (const QString& name : names)
            EXPECT_TRUE(name.startsWith(QStringLiteral("G199803-9911025021-"))) << name.toStdString();

    // 복사 leaves the scans as they were; 이동 takes the registered ones away and the list shows what is left.
    for (const char* name : {"a.jpg", "b.jpg"})
        EXPECT_EQ(QFileInfo::exists(filePath(QString::fromLatin1(name))), c.copyMove == 0) << name;
    EXPECT_TRUE(QFileInfo::exists(filePath(QStringLiteral("c.jpg"))));
    EXPECT_EQ(w.browser->fileList->count(), c.copyMove == 0 ? 3 : 1);
    if (c.copyMove == 0)
        EXPECT_EQ(at::readFile(filePath(QStringLiteral("a.jpg"))), originalA);

    // The sheets have paper beside the form on both sides: 좌측 and 우측 cut it off the stored page.
    at::RawConnection raw(databasePath());
    const QVariant cut = raw.value(QStringLiteral("SELECT COUNT(*) FROM documents WHERE original_sha256 IS NOT NULL"
                                                  " AND original_sha256 <> page_sha256"));
    EXPECT_EQ(cut.toInt(), c.margin == 0 ? 0 : 2);
    EXPECT_EQ(raw.value(QStringLiteral("SELECT COUNT(*) FROM documents WHERE registration = 'automatic'"
                                       " AND recognition_settings LIKE '{\"typeface\":0,\"mode\":0,%'"))
                  .toInt(),
              2);
    EXPECT_EQ(w.folderCount->text(), QStringLiteral("1/1"));
    EXPECT_EQ(w.folderBar->value(), 100);
    EXPECT_EQ(w.editBar->value(), 100);
}

INSTANTIATE_TEST_SUITE_P(Options, AutoRunOptionTest,
                         ::testing::Values(OptionCase{"CopyRenamed", 0, 0, 0}, OptionCase{"MoveRenamed", 1, 0, 0},
                                           OptionCase{"CopyKeepingNames", 0, 1, 0},
                                           OptionCase{"MoveKeepingNames", 1, 1, 0},
                                           OptionCase{"CopyCuttingTheLeftMargin", 0, 0, 1},
                                           OptionCase{"CopyCuttingTheRightMargin", 0, 0, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoRunArchiveTest, APageStoredAlreadyIsListedAndNotRegisteredAgain)
{
    writeSheet(QStringLiteral("a.jpg"), kSheetA);
    auto& w = open();
    w.settingsPanel->copyMoveChoice->setItemIndex(0);
    w.runRecognition();
    ASSERT_EQ(store->pageRecords().size(), 1);
    w.runRecognition();
    EXPECT_EQ(store->pageRecords().size(), 1);
    EXPECT_EQ(failures(), QStringList{filePath(QStringLiteral("a.jpg")) + QStringLiteral(" 이미 등록된 파일")});
    EXPECT_TRUE(QFileInfo::exists(filePath(QStringLiteral("a.jpg"))));
}

TEST_F(AutoRunArchiveTest, RegionFoldersAreReadEachUnderItsRegionAndAnUnknownOneIsAFailure)
{
    writeSheet(QStringLiteral("임의리/a.jpg"), kSheetA);
    writeSheet(QStringLiteral("한울면 솔내리/b.jpg"), kSheetB);
    writeSheet(QStringLiteral("없는마을/c.jpg"), kSheetA);
    auto& w = open();
    w.settingsPanel->regionFolderChoice->setItemIndex(0); // 지역폴더일괄
    w.runRecognition();

    EXPECT_EQ(failures(), QStringList{filePath(QStringLiteral("없는마을")) + QStringLiteral(" 지역 폴더 인식 실패")});
    QStringList regions;
    for (const QString& lot : storedLots())
        regions << lot.section(u' ', 0, 0);
    regions.removeDuplicates();
    EXPECT_EQ(regions, (QStringList{at::kImuiRi, at::kSollaeRi}));
    EXPECT_TRUE(QFileInfo::exists(filePath(QStringLiteral("없는마을/c.jpg"))));
    EXPECT_EQ(w.folderCount->text(), QStringLiteral("2/2"));
    EXPECT_EQ(w.folderBar->value(), 100);
}

TEST_F(AutoRunArchiveTest, AReadOnlyPageFolderStopsTheRunAndEveryScanStaysWhereItWas)
{
    writeSheet(QStringLiteral("a.jpg"), kSheetA);
    writeSheet(QStringLiteral("b.jpg"), kSheetB);
    auto& w = open();
    w.settingsPanel->copyMoveChoice->setItemIndex(1);
    ASSERT_EQ(::chmod(QFile::encodeName(pagesPath()).constData(), 0555), 0);
    w.runRecognition();
    ::chmod(QFile::encodeName(pagesPath()).constData(), 0755);

    EXPECT_TRUE(store->pageRecords().isEmpty());
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_TRUE(fake->messages.back().text.contains(QStringLiteral("자동 등록을 중지했습니다")));
    EXPECT_TRUE(QFileInfo::exists(filePath(QStringLiteral("a.jpg"))));
    EXPECT_TRUE(QFileInfo::exists(filePath(QStringLiteral("b.jpg"))));
    // The run stopped at the first page it could not place.
    EXPECT_EQ(failures().size(), 1);
}

TEST_F(AutoRunArchiveTest, TheAttributesAreCheckedBeforeAnythingIsRead)
{
    writeSheet(QStringLiteral("a.jpg"), kSheetA);
    auto& w = open();
    w.attributes->yearField->setText(QStringLiteral("98"));
    w.runRecognition();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages.back().text, QStringLiteral("조사기준연도를 4자리 숫자로 입력하십시오!"));
    EXPECT_EQ(w.fileCount->text(), QStringLiteral("0/0"));
    EXPECT_TRUE(store->pageRecords().isEmpty());
}

} // namespace
