// The administration windows driven through their widgets, on a fresh
// database in a temporary folder: users, region codes and the office's settings.

#include "admin/officesettingswindow.h"
#include "admin/regioncodeswindow.h"
#include "admin/userswindow.h"
#include "archive/officesettings.h"
#include "archive/store.h"
#include "tests/archive/fixture.h"
#include "tests/support/fakeservices.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace rida;
using archive::Role;

namespace {

class AdminTest : public archive::testing::ArchiveTest {
public:
    test::ScopedFakeServices fake;
    QString appDir() const { return base_ + u'/'; }

    // What the user table shows, one "name role state" line per row.
    static QStringList rows(const admin::UsersWindow& w)
    {
        QStringList lines;
        for (int r = 0; r < w.userTable->rowCount(); ++r)
            lines << QStringList{w.userTable->item(r, admin::UsersWindow::ColName)->text(),
                                 w.userTable->item(r, admin::UsersWindow::ColRole)->text(),
                                 w.userTable->item(r, admin::UsersWindow::ColState)->text()}
                         .join(u' ');
        return lines;
    }
    static void choose(admin::UsersWindow& w, const QString& name)
    {
        const QList<QTableWidgetItem*> found = w.userTable->findItems(name, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << name.toStdString();
        w.userTable->selectRow(found.front()->row());
    }
    // Whether `name` signs in with `password`, on a connection of its own.
    bool signsIn(const QString& name, const QString& password)
    {
        auto other = open();
        return other->signIn(name, password).ok();
    }
    QString lastMessage() { return fake->messages.isEmpty() ? QString() : fake->messages.back().text; }
};

void fillNewUser(admin::UsersWindow& w, const QString& name, const QString& role, const QString& password,
                 const QString& again)
{
    w.newName->setText(name);
    w.newRole->setCurrentIndex(w.newRole->findText(role));
    w.newPassword->setText(password);
    w.newPasswordAgain->setText(again);
    w.addButton->click();
}

} // namespace

TEST_F(AdminTest, UsersAreAddedWithTheirRolesAndTheTypedPasswordsDoNotStay)
{
    auto store = ready();
    admin::UsersWindow w(appDir(), *store);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("사용자 관리"));
    EXPECT_EQ(rows(w), QStringList{"관리자 관리자 사용"});
    EXPECT_FALSE(w.chosenPanel->isEnabled()) << "nobody chosen yet";

    struct Case {
        QString name, role, password, again;
        QString says; // the message after "추가"
        bool added;
    };
    const Case cases[] = {
        {"홍길동", "조회자", "pw-1", "pw-2", "두 번 입력한 비밀번호가 서로 다릅니다.", false},
        {"홍길동", "조회자", "", "", "비밀번호가 비어 있습니다.", false},
        {"", "조회자", "pw-1", "pw-1", "사용자 이름이 비어 있습니다.", false},
        {"홍길동", "조회자", "pw-1", "pw-1", "사용자를 추가했습니다: 홍길동 (조회자)", true},
        {"홍길동", "등록자", "pw-3", "pw-3", "같은 이름의 사용자가 이미 있습니다: 홍길동", false},
        {"'; DROP TABLE users; --", "등록자", "pw-4", "pw-4", "사용자를 추가했습니다: '; DROP TABLE users; -- (등록자)",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says.toStdString());
        fake->messages.clear();
        fillNewUser(w, c.name, c.role, c.password, c.again);
        ASSERT_EQ(fake->messages.size(), 1);
        EXPECT_EQ(lastMessage(), c.says);
        EXPECT_EQ(fake->messages.back().icon, c.added                 ? ui::MessageIcon::Information
                                              : c.password != c.again ? ui::MessageIcon::Warning
                                                                      : ui::MessageIcon::Error);
        EXPECT_TRUE(w.newPasswordAgain->text().isEmpty());
        EXPECT_EQ(w.newName->text(), c.added ? QString() : c.name);
    }
    EXPECT_EQ(rows(w),
              (QStringList{"관리자 관리자 사용", "홍길동 조회자 사용", "'; DROP TABLE users; -- 등록자 사용"}));
    EXPECT_TRUE(signsIn(QStringLiteral("홍길동"), QStringLiteral("pw-1")));
    EXPECT_TRUE(signsIn(QStringLiteral("'; DROP TABLE users; --"), QStringLiteral("pw-4")));
}

TEST_F(AdminTest, TheChosenUserGetsARoleANewPasswordAndIsStoppedAndRestarted)
{
    auto store = ready();
    store->addUser(QStringLiteral("홍길동"), Role::Viewer, QStringLiteral("old-pw"));
    admin::UsersWindow w(appDir(), *store);
    choose(w, QStringLiteral("홍길동"));
    ASSERT_TRUE(w.chosenPanel->isEnabled());
    EXPECT_EQ(w.chosenName->text(), QStringLiteral("홍길동"));
    EXPECT_EQ(w.roleList->currentText(), QStringLiteral("조회자"));

    w.roleList->setCurrentIndex(w.roleList->findText(QStringLiteral("등록자")));
    w.setRoleButton->click();
    EXPECT_EQ(rows(w)[1], QStringLiteral("홍길동 등록자 사용"));
    EXPECT_EQ(w.chosenName->text(), QStringLiteral("홍길동")) << "the choice stays on the user";

    w.resetPassword->setText(QStringLiteral("new-pw"));
    w.resetPasswordAgain->setText(QStringLiteral("new-pw"));
    w.resetPasswordButton->click();
    EXPECT_EQ(lastMessage(), QStringLiteral("비밀번호를 바꾸었습니다: 홍길동"));
    EXPECT_TRUE(w.resetPassword->text().isEmpty());
    EXPECT_TRUE(signsIn(QStringLiteral("홍길동"), QStringLiteral("new-pw")));
    EXPECT_FALSE(signsIn(QStringLiteral("홍길동"), QStringLiteral("old-pw")));

    // Stopping asks first; No changes nothing.
    EXPECT_EQ(w.accountButton->text(), QStringLiteral("사용 중지"));
    fake->answers = {false};
    w.accountButton->click();
    ASSERT_EQ(fake->questions.size(), 1);
    EXPECT_TRUE(fake->questions[0].startsWith(QStringLiteral("홍길동 사용자를 사용 중지하시겠습니까?")));
    EXPECT_EQ(rows(w)[1], QStringLiteral("홍길동 등록자 사용"));
    fake->answers = {true};
    w.accountButton->click();
    EXPECT_EQ(rows(w)[1], QStringLiteral("홍길동 등록자 사용 중지"));
    EXPECT_EQ(w.accountButton->text(), QStringLiteral("다시 사용"));
    EXPECT_FALSE(signsIn(QStringLiteral("홍길동"), QStringLiteral("new-pw")));
    w.accountButton->click(); // restarting asks nothing
    EXPECT_EQ(fake->questions.size(), 2);
    EXPECT_EQ(rows(w)[1], QStringLiteral("홍길동 등록자 사용"));
    EXPECT_TRUE(signsIn(QStringLiteral("홍길동"), QStringLiteral("new-pw")));

    // The signed-in administrator cannot stop himself, nor leave the archive without one.
    fake->messages.clear();
    choose(w, QStringLiteral("관리자"));
    fake->answers = {true};
    w.accountButton->click();
    EXPECT_EQ(lastMessage(), QStringLiteral("로그인한 자신은 사용 중지할 수 없습니다."));
    w.roleList->setCurrentIndex(w.roleList->findText(QStringLiteral("조회자")));
    w.setRoleButton->click();
    EXPECT_EQ(rows(w)[0], QStringLiteral("관리자 관리자 사용"));
    EXPECT_EQ(fake->messages.size(), 2);
}

TEST_F(AdminTest, TheRegionListIsImportedThroughTheFileDialogAndTheOfficeChoosesItsDistricts)
{
    auto store = open();
    store->createFirstAdministrator(QStringLiteral("관리자"), QStringLiteral("admin-pw"));
    admin::RegionCodesWindow w(appDir(), *store);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("행정코드 관리"));
    EXPECT_EQ(w.codeCount->text(), QStringLiteral("행정코드 0개"));
    EXPECT_EQ(w.districtList->count(), 0);

    // Cancelled: nothing happens.
    w.importButton->click();
    ASSERT_EQ(fake->fileDialogs.size(), 1);
    EXPECT_EQ(fake->fileDialogs[0][1], appDir() + QStringLiteral("Regions"));
    EXPECT_TRUE(fake->messages.isEmpty());

    // A file that is not CP949 (the UTF-8 source of the sample) is refused whole.
    fake->fileToOpen = QStringLiteral(RIDA_SAMPLE_REGIONS_UTF8);
    w.importButton->click();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
    EXPECT_TRUE(fake->messages[0].text.contains(QStringLiteral("CP949"))) << fake->messages[0].text.toStdString();
    EXPECT_EQ(w.codeCount->text(), QStringLiteral("행정코드 0개"));

    fake->fileToOpen = archive::testing::sampleRegionsPath();
    w.importButton->click();
    EXPECT_EQ(lastMessage(), QStringLiteral("행정코드 15줄을 가져왔습니다: 새 코드 15, 바뀐 코드 0(새로 폐지 0)"));
    EXPECT_EQ(w.codeCount->text(), QStringLiteral("행정코드 15개"));
    ASSERT_EQ(w.districtList->count(), 2);
    EXPECT_EQ(w.districtList->item(0)->text(), QStringLiteral("99110  임의도 가상시"));
    EXPECT_EQ(w.districtList->item(1)->text(), QStringLiteral("99130  임의도 이웃군"));
    EXPECT_EQ(w.checkedDistricts(), QStringList());
    EXPECT_EQ(w.townList->count(), 0);

    // None checked: the store asks for one.
    w.chooseButton->click();
    EXPECT_EQ(lastMessage(), QStringLiteral("시군구를 하나 이상 고르십시오."));

    w.districtList->item(0)->setCheckState(Qt::Checked);
    w.districtList->item(1)->setCheckState(Qt::Checked);
    w.chooseButton->click();
    EXPECT_EQ(lastMessage(), QStringLiteral("시군구를 골랐습니다: 99110, 99130"));
    EXPECT_EQ(store->chosenDistricts(), (QStringList{"99110", "99130"}));
    QStringList towns;
    for (int i = 0; i < w.townList->count(); ++i)
        towns << w.townList->item(i)->text();
    EXPECT_EQ(towns,
              (QStringList{"9911010100  누리동", "9911025000  임의읍", "9911031000  한울면", "9913031000  바람면"}));

    // The same list again changes nothing and keeps the choice.
    w.importButton->click();
    EXPECT_EQ(lastMessage(), QStringLiteral("행정코드 15줄을 가져왔습니다: 새 코드 0, 바뀐 코드 0(새로 폐지 0)"));
    EXPECT_EQ(w.checkedDistricts(), (QStringList{"99110", "99130"}));
}

TEST_F(AdminTest, TheOfficeSettingsAreShownChangedAndStoredForEveryPc)
{
    auto store = ready();
    const archive::ArchiveLocation here{databasePath(), pagesPath(), QString(),
                                        archive::ArchiveLocation::Named::Default};
    {
        admin::OfficeSettingsWindow w(appDir(), *store, here);
        EXPECT_EQ(w.windowTitle(), QStringLiteral("환경 설정"));
        // What the registration windows start with.
        EXPECT_TRUE(w.moveButton->isChecked());
        EXPECT_TRUE(w.renameButton->isChecked());
        EXPECT_EQ(w.previewScaleList->currentText(), QStringLiteral("50%"));
        EXPECT_TRUE(w.topLeftButton->isChecked());
        EXPECT_TRUE(w.pageFolderField->text().isEmpty());
        EXPECT_EQ(w.pageFolderNote->text(), QStringLiteral("쓰는 폴더: %1\n이미지 폴더 연결 : 성공").arg(pagesPath()));

        const QString shared = path(QStringLiteral("shared-pages"));
        QDir().mkpath(shared);
        fake->folderToChoose = shared;
        w.browseButton->click();
        EXPECT_EQ(w.pageFolderField->text(), shared);
        EXPECT_EQ(w.pageFolderNote->text(), QStringLiteral("쓰는 폴더: %1\n이미지 폴더 연결 : 성공").arg(shared));
        w.copyButton->setChecked(true);
        w.keepButton->setChecked(true);
        w.previewScaleList->setCurrentIndex(w.previewScaleList->findText(QStringLiteral("25%")));
        w.centreButton->setChecked(true);
        w.saveButton->click();
        EXPECT_EQ(lastMessage(), QStringLiteral("환경 설정을 저장했습니다."));
        EXPECT_TRUE(fake->questions.isEmpty()) << "no pages registered yet, a folder that can be written";
    }
    const archive::OfficeSettings stored = archive::loadOfficeSettings(*store);
    EXPECT_EQ(stored.pageFolder, path(QStringLiteral("shared-pages")));
    EXPECT_EQ(stored.transfer, archive::Transfer::Copy);
    EXPECT_EQ(stored.nameRule, archive::NameRule::KeepName);
    EXPECT_EQ(stored.previewScale, QStringLiteral("25%"));
    EXPECT_EQ(stored.previewPosition, archive::OfficeSettings::PreviewPosition::Centre);

    // Another PC opens the window: it shows what is stored. A folder that
    // cannot be used, with pages registered, is saved only after both questions.
    store->insertDocument(document(QStringLiteral("a.jpg"), {{archive::testing::kImuiRi, false, 1, 0}}));
    admin::OfficeSettingsWindow w(appDir(), *store, here);
    EXPECT_EQ(w.shownSettings(), stored);
    fake->messages.clear();
    w.pageFolderField->setText(path(QStringLiteral("missing")));
    fake->answers = {false};
    w.saveButton->click();
    ASSERT_EQ(fake->questions.size(), 1);
    EXPECT_TRUE(fake->questions[0].startsWith(QStringLiteral("이미지 폴더가 없습니다: %1").arg(path("missing"))));
    EXPECT_TRUE(fake->messages.isEmpty());
    EXPECT_EQ(archive::loadOfficeSettings(*store).pageFolder, stored.pageFolder);
    fake->answers = {true, true};
    w.saveButton->click();
    ASSERT_EQ(fake->questions.size(), 3);
    EXPECT_TRUE(
        fake->questions[2].startsWith(QStringLiteral("이미 등록된 1면의 이미지는 새 폴더로 옮겨지지 않습니다.")));
    EXPECT_EQ(archive::loadOfficeSettings(*store).pageFolder, path(QStringLiteral("missing")));

    // A PC whose command line names the folder keeps it, and the window says so.
    const archive::ArchiveLocation named{databasePath(), pagesPath(), QString(),
                                         archive::ArchiveLocation::Named::CommandLine};
    admin::OfficeSettingsWindow onThisPc(appDir(), *store, named);
    EXPECT_EQ(
        onThisPc.pageFolderNote->text(),
        QStringLiteral("이 PC에서는 명령줄(--pages)의 폴더를 씁니다: %1\n이미지 폴더 연결 : 성공").arg(pagesPath()));
}

TEST_F(AdminTest, AWindowTheRoleDoesNotAllowIsNotMade)
{
    auto store = ready();
    store->addUser(QStringLiteral("조회담당"), Role::Viewer, QStringLiteral("pw"));
    store->signOut();
    ASSERT_TRUE(store->signIn(QStringLiteral("조회담당"), QStringLiteral("pw")).ok());
    const archive::ArchiveLocation here{databasePath(), pagesPath(), QString(),
                                        archive::ArchiveLocation::Named::Default};
    EXPECT_EQ(archive::testing::thrown([&] { admin::UsersWindow w(appDir(), *store); }).failure(),
              archive::Failure::NotAllowed);
    EXPECT_EQ(archive::testing::thrown([&] { admin::RegionCodesWindow w(appDir(), *store); }).failure(),
              archive::Failure::NotAllowed);
    EXPECT_EQ(archive::testing::thrown([&] { admin::OfficeSettingsWindow w(appDir(), *store, here); }).failure(),
              archive::Failure::NotAllowed);
}
