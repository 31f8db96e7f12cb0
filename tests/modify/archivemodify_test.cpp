// The modify window of the archive edition on a fresh archive filled through
// registration: search and open, "추가" with the lot checks, "삭제" of a lot
// with its question and never the last, the correction of kind, year and
// month, the whole document deleted with its page put back, what each role
// may, and a change refused because another connection changed the record
// since it was opened.

#include "archive/placement.h"
#include "components/resultgrids.h"
#include "modify/modifywindow.h"
#include "tests/lookup/storedrecords.h"
#include "tests/lookup/windowtesting.h"
#include "viewer/imageviewer.h"

#include <QFile>
#include <QPointer>
#include <QPushButton>

using namespace rida;
using archive::testing::kImuiRi;
using archive::testing::kSaeteoRi;

namespace {

class ArchiveModify : public test::StoredRecords {
public:
    void SetUp() override
    {
        StoredRecords::SetUp();
        store->addUser(QStringLiteral("김등록"), archive::Role::Clerk, QStringLiteral("clerk-pw"));
        store->addUser(QStringLiteral("이조회"), archive::Role::Viewer, QStringLiteral("viewer-pw"));
        a = file(u'G', 1998, 1, {{kImuiRi, false, 12, 3}, {kImuiRi, true, 7, 0}}, QStringLiteral("Img001.jpg"));
        b = file(u'S', 2001, 6, {{kSaeteoRi, false, 12, 3}}, QStringLiteral("Img002.jpg"));
        // 복사 left the scans where they were; a page put back must find its name free.
        QFile::remove(scans() + QStringLiteral("/Img001.jpg"));
        QFile::remove(scans() + QStringLiteral("/Img002.jpg"));
    }
    void TearDown() override
    {
        delete w.data();
        StoredRecords::TearDown();
    }
    void openWindow(const QString& user = QStringLiteral("관리자"),
                    const QString& password = QStringLiteral("admin-pw"))
    {
        delete w.data();
        store->signOut();
        ASSERT_TRUE(store->signIn(user, password).ok());
        w = new modify::ModifyWindow(app.appDir(), components::storeRegions(*store), pageArchive());
        w->showInWorkArea();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    // Searches 임의읍 with 본번 12 and opens the record of the row (1: b, 2: a).
    void searchAndOpen(int row)
    {
        setCriteria(w->searchPanel, QStringLiteral("임의읍"), QStringLiteral("임의리"), false, "", "");
        w->searchPanel->villageList->setCurrentIndex(
            w->searchPanel->villageList->findText(row == 1 ? QStringLiteral("새터리") : QStringLiteral("임의리")));
        QTest::mouseClick(w->searchPanel->searchButton, Qt::LeftButton);
        test::doubleClickRow(w->recordGrid, 1);
        ASSERT_TRUE(w->openedRecord());
    }
    void typeLot(bool san, const QString& main, const QString& sub)
    {
        w->addTownList->setCurrentIndex(w->addTownList->findText(QStringLiteral("임의읍")));
        w->addVillageList->setCurrentIndex(w->addVillageList->findText(QStringLiteral("임의리")));
        w->addSanBox->setChecked(san);
        w->addMainNumber->setText(main);
        w->addSubNumber->setText(sub);
    }
    QString lastMessage() { return fake->messages.isEmpty() ? QString() : fake->messages.back().text; }
    QStringList storedLots(qint64 id)
    {
        QStringList lots;
        for (const archive::StoredLot& lot : store->lotsOf(id))
            lots << lot.parcelNumber;
        return lots;
    }

    test::AppFolder app;
    QPointer<modify::ModifyWindow> w;
    qint64 a = 0, b = 0;
};

TEST_F(ArchiveModify, ADoubleClickOpensThePageTheLotsAndTheAttributes)
{
    openWindow();
    searchAndOpen(2);
    EXPECT_EQ(w->openedRecord()->id, a);
    EXPECT_EQ(w->recordPanel->caption(), QStringLiteral("검색된 지가조서 (1건)"));
    EXPECT_EQ(w->lotPanel->caption(), QStringLiteral("검색된 지번 (2건)"));
    EXPECT_EQ(w->lotGrid->rowCells(2), (QStringList{"임의읍", "임의리", "임야", "7", "0"}));
    EXPECT_EQ(w->viewer->page().width(), 48);
    EXPECT_EQ(w->attributeKindList->currentText(), QStringLiteral("결정조서(G)"));
    EXPECT_EQ(w->attributeYear->text(), QStringLiteral("1998"));
    EXPECT_EQ(w->attributeMonth->text(), QStringLiteral("1"));
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(ArchiveModify, AddingALotChecksItAsTheLotListDoes)
{
    openWindow();
    QTest::mouseClick(w->addLotButton, Qt::LeftButton);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("먼저 여십시오"))) << lastMessage().toStdString();
    searchAndOpen(2);
    struct Case {
        const char* what;
        bool san;
        QString main, sub, says;
    };
    const Case cases[] = {
        {"empty", false, "", "", "주소를 입력하십시오!"},
        {"main not a number", false, "1a", "", "본번이 숫자가 아닙니다! 확인하십시오."},
        {"sub not a number", false, "5", "x", "부번이 숫자가 아닙니다! 확인하십시오."},
        {"already in the record", false, "12", "3", "이미 추가된 지번입니다! 확인하십시오."},
        {"산 already in the record", true, "7", "", "이미 추가된 지번입니다! 확인하십시오."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        typeLot(c.san, c.main, c.sub);
        QTest::mouseClick(w->addLotButton, Qt::LeftButton);
        EXPECT_EQ(lastMessage(), c.says);
        EXPECT_EQ(storedLots(a).size(), 2);
    }
    typeLot(false, "7", "");
    QTest::mouseClick(w->addLotButton, Qt::LeftButton);
    EXPECT_EQ(storedLots(a), (QStringList{"9911025021100120003", "9911025021200070000", "9911025021100070000"}));
    EXPECT_EQ(w->lotPanel->caption(), QStringLiteral("검색된 지번 (3건)"));
    EXPECT_EQ(w->lotGrid->rowCells(3), (QStringList{"임의읍", "임의리", "토지", "7", "0"}));
    EXPECT_EQ(store->auditLog(1).front().action, QStringLiteral("lot_add"));
}

TEST_F(ArchiveModify, RemovingALotAsksAndNeverTakesTheLast)
{
    openWindow();
    searchAndOpen(2);
    QTest::mouseClick(w->deleteLotButton, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), QStringLiteral("취소할 지번을 선택하십시오!"));
    test::clickRow(w->lotGrid, 2);
    fake->answers = {false};
    QTest::mouseClick(w->deleteLotButton, Qt::LeftButton);
    EXPECT_EQ(fake->questions, QStringList{"지번을 취소하겠습니까?"});
    EXPECT_EQ(storedLots(a).size(), 2);
    fake->answers = {true};
    QTest::mouseClick(w->deleteLotButton, Qt::LeftButton);
    EXPECT_EQ(storedLots(a), QStringList{"9911025021100120003"});
    EXPECT_EQ(w->lotGrid->dataRowCount(), 1);
    // The last lot: said at once, not asked.
    test::clickRow(w->lotGrid, 1);
    fake->questions.clear();
    QTest::mouseClick(w->deleteLotButton, Qt::LeftButton);
    EXPECT_TRUE(fake->questions.isEmpty());
    EXPECT_EQ(lastMessage(), archive::lastLotRefusal());
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("문서를 삭제"))) << lastMessage().toStdString();
    EXPECT_EQ(storedLots(a).size(), 1);
}

TEST_F(ArchiveModify, TheAttributesAreCheckedAskedAndCorrected)
{
    openWindow();
    searchAndOpen(2);
    w->attributeYear->setText(QStringLiteral("98"));
    QTest::mouseClick(w->changeAttributesButton, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), QStringLiteral("조사기준연도를 4자리 숫자로 입력하십시오!"));
    EXPECT_TRUE(w->attributeYear->hasFocus());
    w->attributeYear->setText(QStringLiteral("2003"));
    w->attributeMonth->setText(QStringLiteral("13"));
    QTest::mouseClick(w->changeAttributesButton, Qt::LeftButton);
    EXPECT_EQ(lastMessage(), QStringLiteral("기준월을 1에서 12 사이의 숫자로 입력하십시오!"));
    EXPECT_TRUE(fake->questions.isEmpty());

    w->attributeMonth->setText(QStringLiteral("11"));
    w->attributeKindList->setCurrentIndex(4); // 열람부(Y)
    fake->answers = {true};
    QTest::mouseClick(w->changeAttributesButton, Qt::LeftButton);
    ASSERT_EQ(fake->questions.size(), 1);
    const archive::StoredDocument d = *store->document(a);
    EXPECT_EQ(d.kind, u'Y');
    EXPECT_EQ(d.surveyYear, 2003);
    EXPECT_EQ(d.surveyMonth, 11);
    EXPECT_EQ(w->recordGrid->rowCells(1).mid(1, 3), (QStringList{"열람부", "2003년", "11월"}));
    const archive::AuditEntry entry = store->auditLog(1).front();
    EXPECT_EQ(entry.action, QStringLiteral("document_change"));
    EXPECT_EQ(entry.userName, QStringLiteral("관리자"));
}

TEST_F(ArchiveModify, DeletingTheDocumentPutsItsPageBack)
{
    openWindow();
    EXPECT_EQ(w->deleteDocumentButton->toolTip(), QStringLiteral("입력 폴더로 복구"));
    searchAndOpen(2);
    const QString stored = QDir(pagesPath()).filePath(store->document(a)->pagePath);
    const QByteArray bytes = archive::testing::readFile(stored);
    fake->answers = {false};
    QTest::mouseClick(w->deleteDocumentButton, Qt::LeftButton);
    ASSERT_EQ(fake->questions.size(), 1);
    EXPECT_TRUE(store->document(a));
    fake->answers = {true};
    QTest::mouseClick(w->deleteDocumentButton, Qt::LeftButton);
    EXPECT_FALSE(store->document(a));
    const QString back = scans() + QStringLiteral("/Img001.jpg");
    EXPECT_EQ(archive::testing::readFile(back), bytes);
    EXPECT_FALSE(QFile::exists(stored));
    EXPECT_TRUE(lastMessage().contains(back)) << lastMessage().toStdString();
    EXPECT_EQ(w->recordGrid->dataRowCount(), 0);
    EXPECT_EQ(w->lotGrid->dataRowCount(), 0);
    EXPECT_FALSE(w->openedRecord());

    // Its folder gone: the restore folder in the page folder, and the message says where.
    ASSERT_TRUE(QDir(scans()).removeRecursively());
    searchAndOpen(1);
    fake->answers = {true};
    QTest::mouseClick(w->deleteDocumentButton, Qt::LeftButton);
    const QString restored = QDir(pagesPath()).filePath(archive::kRestoreFolder + QStringLiteral("/Img002.jpg"));
    EXPECT_TRUE(QFile::exists(restored));
    EXPECT_TRUE(lastMessage().contains(restored)) << lastMessage().toStdString();
    EXPECT_FALSE(store->document(b));
}

TEST_F(ArchiveModify, EachRoleGetsTheCommandsItMayUse)
{
    struct Row {
        const char* user;
        const char* password;
        bool corrects, deletes;
    };
    const Row table[] = {
        {"관리자", "admin-pw", true, true},
        {"김등록", "clerk-pw", true, false},
        {"이조회", "viewer-pw", false, false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.user);
        openWindow(QString::fromUtf8(row.user), QString::fromUtf8(row.password));
        for (QPushButton* button : {w->addLotButton, w->deleteLotButton, w->changeAttributesButton})
            EXPECT_EQ(button->isEnabled(), row.corrects);
        EXPECT_EQ(w->deleteDocumentButton->isEnabled(), row.deletes);
        if (!row.deletes)
            EXPECT_TRUE(w->deleteDocumentButton->toolTip().contains(QStringLiteral("관리자만")));
        // Everybody searches and opens.
        searchAndOpen(2);
        EXPECT_EQ(w->lotGrid->dataRowCount(), 2);
    }
    // The clerk corrects lots through the window.
    openWindow(QStringLiteral("김등록"), QStringLiteral("clerk-pw"));
    searchAndOpen(2);
    typeLot(false, "99", "1");
    QTest::mouseClick(w->addLotButton, Qt::LeftButton);
    EXPECT_EQ(storedLots(a).size(), 3);
}

// Another program (here a second connection to the same file) changed the
// record after this window opened it: the window's change is refused, it
// says why, and it shows the record as it is now.
TEST_F(ArchiveModify, AChangeOnARecordChangedSinceItWasOpenedIsRefusedAndTheNewStateShown)
{
    openWindow();
    searchAndOpen(2);
    auto other = open();
    ASSERT_TRUE(other->signIn(QStringLiteral("김등록"), QStringLiteral("clerk-pw")).ok());
    other->updateAttributes(a, other->document(a)->version, {u'T', 2010, 4});

    typeLot(false, "55", "");
    QTest::mouseClick(w->addLotButton, Qt::LeftButton);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("다른 사용자가 먼저 바꾸었습니다")))
        << lastMessage().toStdString();
    EXPECT_EQ(storedLots(a).size(), 2);
    EXPECT_EQ(w->attributeYear->text(), QStringLiteral("2010"));
    EXPECT_EQ(w->recordGrid->rowCells(1).mid(1, 3), (QStringList{"토지특성조사표", "2010년", "4월"}));
    // Now on the new version the same change goes through.
    QTest::mouseClick(w->addLotButton, Qt::LeftButton);
    EXPECT_EQ(storedLots(a).size(), 3);

    // Deleted by the other: said, and the record leaves the window.
    other.reset();
    auto admin = open();
    ASSERT_TRUE(admin->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    archive::withdrawDocument(*admin, pagesPath(), a, admin->document(a)->version);
    w->attributeMonth->setText(QStringLiteral("5"));
    fake->answers = {true};
    QTest::mouseClick(w->changeAttributesButton, Qt::LeftButton);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("먼저 삭제했습니다"))) << lastMessage().toStdString();
    EXPECT_FALSE(w->openedRecord());
    EXPECT_EQ(w->recordGrid->dataRowCount(), 0);
}

} // namespace
