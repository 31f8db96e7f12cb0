// The archive edition's shell: the command line, start-up on unfit databases,
// sign-in with its wait, the first administrator, the roles on the menus and
// toolbar, the board's figures, the administration windows opened by the
// work-window protocol, and the region lists of every work window.

#include "app/archiveedition.h"
#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/signindialog.h"
#include "archive/officesettings.h"
#include "archive/pagefolder.h"
#include "archive/placement.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/lotlist.h"
#include "components/searchpanel.h"
#include "image/codec.h"
#include "lookup/lookupwindow.h"
#include "modify/modifywindow.h"
#include "recognition/autoregistrationwindow.h"
#include "registration/registrationwindow.h"
#include "tests/archive/fixture.h"
#include "tests/support/fakeservices.h"
#include "tests/support/spoken.h"
#include "ui/gradientbutton.h"
#include "ui/workwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rida;
using archive::Command;
using archive::Role;
using archive::testing::readFile;
using archive::testing::thrown;

namespace {

const QString kWrongPair = QStringLiteral("아이디 또는 비밀번호가 올바르지 않습니다.");

class ArchiveEditionTest : public archive::testing::ArchiveTest {
public:
    test::ScopedFakeServices fake;
    QDateTime clockNow = QDateTime(QDate(2024, 5, 1), QTime(9, 0), Qt::UTC);

    archive::StoreOptions options()
    {
        archive::StoreOptions o = archive::testing::quickOptions();
        o.clock = [this] { return clockNow; };
        return o;
    }
    archive::ArchiveLocation location() const
    {
        return {databasePath(), pagesPath(), QString(), archive::ArchiveLocation::Named::CommandLine};
    }
    // The sample regions and the administrator "관리자" (password "admin-pw"), signed in.
    std::unique_ptr<app::ArchiveEdition> readyEdition()
    {
        return std::make_unique<app::ArchiveEdition>(ready(options()), location());
    }
    QString appDir() const { return base_ + u'/'; }
    std::unique_ptr<app::MainWindow> signedInMain(app::ArchiveEdition& edition)
    {
        return std::make_unique<app::MainWindow>(appDir(), edition, [](QWidget*) { return true; });
    }
    static QStringList boardLines(app::MainWindow& m) { return m.statusBoard->toPlainText().split(u'\n'); }
    QStringList messageTexts()
    {
        QStringList texts;
        for (const test::ShownMessage& m : fake->messages)
            texts << m.text;
        return texts;
    }
};

// Types into the dialog's fields and presses Enter in the password field, as a user would.
void submit(app::SignInDialog& d, const QString& name, const QString& password)
{
    d.userName->setText(name);
    d.password->setText(password);
    QTest::keyClick(d.password, Qt::Key_Return);
}

} // namespace

TEST(ProgramCommandLine, TheArchiveEditionIsAskedForByName)
{
    struct Case {
        QStringList arguments;
        bool archive;
        QString database, pages, error;
    };
    const Case cases[] = {
        {{}, false, {}, {}, {}},
        {{"--archive"}, true, {}, {}, {}},
        {{"--database", "/srv/a.sqlite"}, true, "/srv/a.sqlite", {}, {}},
        {{"--archive", "--pages", "p", "--database", "d"}, true, "d", "p", {}},
        {{"--pages"}, false, {}, {}, "--pages 뒤에 값이 없습니다."},
        {{"--password", "x"}, false, {}, {}, "알 수 없는 옵션입니다: --password"},
        {{"archive"}, false, {}, {}, "알 수 없는 인자입니다: archive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const app::ProgramOptions o = app::parseProgramOptions(QStringList{"rida"} + c.arguments);
        EXPECT_EQ(o.error, c.error);
        if (!c.error.isEmpty())
            continue;
        EXPECT_EQ(o.archive, c.archive);
        EXPECT_EQ(o.database, c.database);
        EXPECT_EQ(o.pages, c.pages);
    }
}

// A new archive: the database and the default page folder are made, and
// nobody is signed in yet. A page folder that --pages names is never made:
// it may be a share that has not come up.
TEST_F(ArchiveEditionTest, AFirstStartMakesTheDatabaseAndTheDefaultPageFolderOnly)
{
    archive::LocationSources sources;
    sources.userDataFolder = path(QStringLiteral("data"));
    auto edition = app::openArchiveEdition(sources, options());
    ASSERT_NE(edition, nullptr) << messageTexts().join(u'\n').toStdString();
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("data/archive.sqlite"))).isFile());
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("data/pages"))).isDir());
    EXPECT_FALSE(edition->store().hasUsers());
    EXPECT_FALSE(edition->store().currentUser());

    sources.pagesOption = path(QStringLiteral("share/pages"));
    edition = app::openArchiveEdition(sources, options());
    ASSERT_NE(edition, nullptr);
    EXPECT_EQ(edition->pageFolder(), path(QStringLiteral("share/pages")));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("share"))));
    EXPECT_TRUE(fake->messages.isEmpty());
}

// Start-up never hangs on a database and loses nothing: an unfit one is said
// in Korean and the program ends with the file as it was; a locked one offers
// to try again.
TEST_F(ArchiveEditionTest, AnUnfitDatabaseEndsTheStartWithAMessageAndLeavesTheFileAsItWas)
{
    ready().reset();
    const QByteArray good = readFile(databasePath());
    struct Case {
        const char* what;
        std::function<void()> spoil;
        QString says;
    };
    const Case cases[] = {
        {"newer",
         [&] {
             archive::testing::RawConnection raw(databasePath());
             raw.exec(QStringLiteral("UPDATE schema_version SET version = 99"));
         },
         QStringLiteral("더 새로운 버전의 프로그램")},
        {"not a database", [&] { archive::testing::writeFile(databasePath(), QByteArray(4096, 'x')); },
         QStringLiteral("손상되었거나 데이터베이스가 아닙니다")},
        {"read-only", [&] { ::chmod(QFile::encodeName(databasePath()).constData(), 0400); },
         QStringLiteral("읽기 전용")},
    };
    archive::LocationSources sources;
    sources.databaseOption = databasePath();
    sources.pagesOption = pagesPath();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(databasePath());
        QFile::remove(databasePath() + QStringLiteral("-wal"));
        QFile::remove(databasePath() + QStringLiteral("-shm"));
        archive::testing::writeFile(databasePath(), good);
        c.spoil();
        const QByteArray before = readFile(databasePath());
        fake->messages.clear();
        EXPECT_EQ(app::openArchiveEdition(sources, options()), nullptr);
        ASSERT_EQ(fake->messages.size(), 1);
        EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::Error);
        EXPECT_TRUE(fake->messages[0].text.contains(c.says)) << fake->messages[0].text.toStdString();
        EXPECT_TRUE(fake->messages[0].text.endsWith(QStringLiteral("프로그램을 끝냅니다.")));
        EXPECT_EQ(readFile(databasePath()), before);
        ::chmod(QFile::encodeName(databasePath()).constData(), 0600);
    }

    QFile::remove(databasePath());
    archive::testing::writeFile(databasePath(), good);
    archive::testing::RawConnection other(databasePath());
    other.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    other.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    other.exec(QStringLiteral("INSERT INTO settings (key, value) VALUES ('held', 'by another program')"));
    fake->messages.clear();
    fake->answers = {true, false}; // once more, then give up
    EXPECT_EQ(app::openArchiveEdition(sources, options()), nullptr);
    ASSERT_EQ(fake->questions.size(), 2);
    EXPECT_TRUE(fake->questions[0].contains(QStringLiteral("잠그고"))) << fake->questions[0].toStdString();
    EXPECT_TRUE(fake->questions[0].contains(QStringLiteral("다시 시도하시겠습니까?")));
    EXPECT_TRUE(fake->messages.isEmpty());
}

TEST_F(ArchiveEditionTest, SignInChecksThePairAndSaysTheSameWhateverWasWrong)
{
    auto edition = readyEdition();
    archive::Store& store = edition->store();
    store.addUser(QStringLiteral("정지됨"), Role::Viewer, QStringLiteral("pw"));
    store.setDisabled(QStringLiteral("정지됨"), true);
    struct Case {
        QString name, password;
        bool signedIn;
    };
    const Case cases[] = {
        {"관리자", "wrong", false},     {"없는사람", "admin-pw", false},
        {"정지됨", "pw", false},        {"'; DROP TABLE users; --", "x", false},
        {" 관리자 ", "admin-pw", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        store.signOut();
        fake->messages.clear();
        app::SignInDialog d(store);
        d.show();
        EXPECT_EQ(d.windowTitle(), QStringLiteral("사용자 로그인"));
        EXPECT_EQ(d.focusWidget(), d.userName) << "an empty name has the first focus";
        submit(d, c.name, c.password);
        EXPECT_TRUE(d.password->text().isEmpty()) << "the typed password does not stay";
        EXPECT_EQ(bool(store.currentUser()), c.signedIn);
        if (c.signedIn) {
            EXPECT_EQ(d.result(), QDialog::Accepted);
            EXPECT_FALSE(d.isVisible());
            EXPECT_TRUE(fake->messages.isEmpty());
        } else {
            EXPECT_TRUE(d.isVisible()) << "the dialog stays";
            ASSERT_EQ(fake->messages.size(), 1);
            EXPECT_EQ(fake->messages[0].text, kWrongPair);
            EXPECT_EQ(d.focusWidget(), d.password);
        }
    }
    EXPECT_EQ(store.currentUser()->name, QStringLiteral("관리자"));
}

// After five wrong tries OK waits thirty seconds by the store's clock, with a
// note that counts down; the dialog keeps taking input meanwhile (Cancel still
// works), and a start during the wait finds it waiting too.
TEST_F(ArchiveEditionTest, FiveWrongTriesMakeOkWaitThirtySecondsWithANote)
{
    auto edition = readyEdition();
    archive::Store& store = edition->store();
    store.signOut();
    app::SignInDialog d(store);
    d.show();
    EXPECT_FALSE(d.waitNote->isVisible());
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(d.okButton->isEnabled()) << k;
        if (k > 0)
            clockNow = clockNow.addSecs(1);
        submit(d, QStringLiteral("관리자"), QStringLiteral("wrong"));
    }
    EXPECT_EQ(fake->messages.size(), 5);
    EXPECT_FALSE(d.okButton->isEnabled());
    ASSERT_TRUE(d.waitNote->isVisible());
    EXPECT_EQ(d.waitNote->text(), QStringLiteral("로그인을 여러 번 잘못 시도했습니다. 30초 후에 다시 시도하십시오."));

    // Enter on the disabled OK does nothing.
    submit(d, QStringLiteral("관리자"), QStringLiteral("admin-pw"));
    EXPECT_FALSE(store.currentUser());
    EXPECT_TRUE(d.isVisible());

    clockNow = clockNow.addSecs(20);
    QTRY_COMPARE(d.waitNote->text(),
                 QStringLiteral("로그인을 여러 번 잘못 시도했습니다. 10초 후에 다시 시도하십시오."));
    EXPECT_FALSE(d.okButton->isEnabled());

    {
        // Another start while the wait lasts: the first try is not checked, and waits.
        app::SignInDialog again(store);
        again.show();
        fake->messages.clear();
        submit(again, QStringLiteral("관리자"), QStringLiteral("admin-pw"));
        EXPECT_FALSE(store.currentUser());
        EXPECT_TRUE(fake->messages.isEmpty()) << "a try that is not checked is not called wrong";
        EXPECT_FALSE(again.okButton->isEnabled());
        EXPECT_TRUE(again.waitNote->text().contains(QStringLiteral("후에 다시 시도하십시오.")));
        QTest::keyClick(&again, Qt::Key_Escape);
        EXPECT_EQ(again.result(), QDialog::Rejected) << "Cancel works during the wait";
    }

    clockNow = clockNow.addSecs(10);
    QTRY_VERIFY(d.okButton->isEnabled());
    EXPECT_FALSE(d.waitNote->isVisible());
    submit(d, QStringLiteral("관리자"), QStringLiteral("admin-pw"));
    ASSERT_TRUE(store.currentUser());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

// An empty database asks for its first administrator, who is signed in at once.
TEST_F(ArchiveEditionTest, AnEmptyDatabaseAsksForTheFirstAdministrator)
{
    auto store = open(options());
    struct Step {
        QString name, password, again;
        QString says; // empty: accepted
    };
    const Step steps[] = {
        {"관리자", "pw-1", "pw-2", "두 번 입력한 비밀번호가 서로 다릅니다."},
        {"", "pw-1", "pw-1", "사용자 이름이 비어 있습니다."},
        {"관리자", "", "", "비밀번호가 비어 있습니다."},
        {" 김관리 ", "pw-1", "pw-1", ""},
    };
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<app::FirstAdministratorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("첫 관리자 등록"));
        EXPECT_EQ(d->focusWidget(), d->userName);
        EXPECT_EQ(d->password->echoMode(), QLineEdit::Password);
        EXPECT_EQ(d->passwordAgain->echoMode(), QLineEdit::Password);
        EXPECT_EQ(test::unnamedControls(d), QStringList());
        for (const Step& s : steps) {
            SCOPED_TRACE(s.says.toStdString());
            fake->messages.clear();
            d->userName->setText(s.name);
            d->password->setText(s.password);
            d->passwordAgain->setText(s.again);
            QTest::keyClick(d->passwordAgain, Qt::Key_Return);
            if (s.says.isEmpty())
                break;
            ASSERT_EQ(fake->messages.size(), 1);
            EXPECT_EQ(fake->messages[0].text, s.says);
            EXPECT_TRUE(d->isVisible());
            EXPECT_FALSE(store->hasUsers());
        }
        driven = true;
        if (d->isVisible())
            d->reject(); // a failure above must not leave the test waiting
    });
    EXPECT_TRUE(app::runArchiveSignIn(nullptr, *store));
    EXPECT_TRUE(driven);
    ASSERT_TRUE(store->currentUser());
    EXPECT_EQ(store->currentUser()->name, QStringLiteral("김관리"));
    EXPECT_EQ(store->currentUser()->role, Role::Administrator);
    store->signOut();
    EXPECT_TRUE(store->signIn(QStringLiteral("김관리"), QStringLiteral("pw-1")).ok());

    // Once there is a user, the sign-in dialog asks; Cancel ends it.
    store->signOut();
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<app::SignInDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(app::runArchiveSignIn(nullptr, *store));
    EXPECT_FALSE(store->currentUser());
}

TEST_F(ArchiveEditionTest, TheRoleDisablesWhatItDoesNotAllowWithAHint)
{
    auto edition = readyEdition();
    archive::Store& store = edition->store();
    store.addUser(QStringLiteral("등록담당"), Role::Clerk, QStringLiteral("pw"));
    store.addUser(QStringLiteral("조회담당"), Role::Viewer, QStringLiteral("pw"));
    struct Case {
        QString name, password;
        Role role;
    };
    const Case cases[] = {
        {"관리자", "admin-pw", Role::Administrator}, {"등록담당", "pw", Role::Clerk}, {"조회담당", "pw", Role::Viewer}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        store.signOut();
        ASSERT_TRUE(store.signIn(c.name, c.password).ok());
        auto m = signedInMain(*edition);
        struct Guarded {
            QAction* item;
            QToolButton* button;
            Command command;
            QString hint; // the button's hint when allowed
        };
        const Guarded guarded[] = {
            {m->lookupAction, m->lookupButton, Command::Lookup, "지가조서 조회"},
            {m->autoRegistrationAction, m->autoRegistrationButton, Command::RegisterAutomatic, "지가조서 자동 등록"},
            {m->registrationAction, m->registrationButton, Command::RegisterManual, "지가조서 등록"},
            // 조회자 too: the window itself is read-only for him.
            {m->modifyAction, m->modifyButton, Command::Lookup, "지가조서 수정"},
            {m->usersAction, nullptr, Command::ManageUsers, {}},
            {m->regionCodesAction, nullptr, Command::ManageRegions, {}},
            {m->settingsAction, nullptr, Command::EditSettings, {}},
        };
        for (const Guarded& g : guarded) {
            SCOPED_TRACE(g.item->text().toStdString());
            const bool allowed = archive::allows(c.role, g.command);
            EXPECT_EQ(g.item->isEnabled(), allowed);
            const QString hint = allowed ? QString() : app::refusalHint(c.role, g.command);
            EXPECT_EQ(g.item->statusTip(), hint);
            if (!allowed) {
                EXPECT_EQ(g.item->toolTip(), hint);
            }
            if (g.button) {
                EXPECT_EQ(g.button->isEnabled(), allowed);
                EXPECT_EQ(g.button->toolTip(), allowed ? g.hint : hint);
            }
        }
        for (QAction* always : {m->supportAction, m->aboutAction, m->exitAction})
            EXPECT_TRUE(always->isEnabled());
        EXPECT_TRUE(m->exitButton->isEnabled());
        EXPECT_EQ(m->userButton->text(), c.name);
    }
    EXPECT_EQ(app::refusalHint(Role::Viewer, Command::ManageUsers),
              QStringLiteral("사용자 관리: 관리자만 쓸 수 있습니다 (지금 역할: 조회자)."));
    EXPECT_EQ(app::refusalHint(Role::Viewer, Command::RegisterAutomatic),
              QStringLiteral("지가조서 자동 등록: 관리자, 등록자만 쓸 수 있습니다 (지금 역할: 조회자)."));
}

// The board in the demonstration build's order with the store's figures; a
// page folder that cannot be used is said on its line.
TEST_F(ArchiveEditionTest, TheBoardShowsTheArchivesFigures)
{
    auto edition = readyEdition();
    archive::Store& store = edition->store();
    int page = 0;
    for (QChar kind : {u'S', u'S', u'G', u'T', u'T', u'T', u'X'})
        store.insertDocument(
            document(QStringLiteral("p%1.jpg").arg(++page), {{archive::testing::kImuiRi, false, page, 0}}, kind));
    store.addUser(QStringLiteral("등록담당"), Role::Clerk, QStringLiteral("pw"));
    store.addUser(QStringLiteral("떠난사람"), Role::Viewer, QStringLiteral("pw"));
    store.setDisabled(QStringLiteral("떠난사람"), true);

    auto m = signedInMain(*edition);
    EXPECT_EQ(m->windowTitle(), QStringLiteral("rida zir ov ava - TANDELO® v1.0"));
    const QStringList expected = {
        "",
        " 접속 사용자 : 관리자",
        "",
        " 데이터베이스 서버 연결 : 성공",
        " 이미지 폴더 연결 : 성공",
        "",
        " 지가조서 등록 합계 : 7면 (산정조서:2면, 결정조서:1면, 토지특성조사표:3면)",
        "",
        " 사용자 등록 : 2명",
    };
    EXPECT_EQ(boardLines(*m), expected);
    EXPECT_EQ(m->userButton->text(), QStringLiteral("관리자"));
    EXPECT_EQ(m->userButton->toolTip(), QStringLiteral("관리자 (관리자)"));

    // A notice file follows as in the demonstration build; a missing page folder is said.
    archive::testing::writeFile(path(QStringLiteral("inform.txt")), QByteArray("\xB0\xA1\xB3\xAA\r\n"));
    QDir(pagesPath()).removeRecursively();
    m = signedInMain(*edition);
    QStringList withNotice = expected;
    withNotice[4] = QStringLiteral(" 이미지 폴더 연결 : 실패 (이미지 폴더가 없습니다: %1)").arg(pagesPath());
    withNotice << ""
               << ""
               << "가나";
    EXPECT_EQ(boardLines(*m), withNotice);

    // A long name ends in "…" on the button and stands whole in its hint.
    const QString longName(200, u'가');
    store.addUser(longName, Role::Viewer, QStringLiteral("pw"));
    store.signOut();
    ASSERT_TRUE(store.signIn(longName, QStringLiteral("pw")).ok());
    m = signedInMain(*edition);
    EXPECT_TRUE(m->userButton->text().endsWith(u'…'));
    EXPECT_LT(m->userButton->text().size(), 20);
    EXPECT_TRUE(m->userButton->toolTip().startsWith(longName));
    EXPECT_EQ(m->userButton->accessibleName(), longName);
}

// The administration windows open by the work-window protocol; closing one
// brings the board up to date.
TEST_F(ArchiveEditionTest, TheAdministrationWindowsOpenAsWorkWindows)
{
    auto edition = readyEdition();
    auto m = signedInMain(*edition);
    m->show();
    struct Case {
        QAction* item;
        QPointer<ui::WorkWindow>* ref;
        QString caption;
    } cases[] = {
        {m->usersAction, &app::refs::users, "사용자 관리"},
        {m->regionCodesAction, &app::refs::regionCodes, "행정코드 관리"},
        {m->settingsAction, &app::refs::officeSettings, "환경 설정"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption.toStdString());
        c.item->trigger();
        ASSERT_FALSE(c.ref->isNull());
        EXPECT_EQ((*c.ref)->windowTitle(), c.caption);
        EXPECT_FALSE(m->isEnabled());
        EXPECT_TRUE((*c.ref)->isMaximized());
        EXPECT_EQ(test::unnamedControls(*c.ref), QStringList());
        edition->store().addUser(QStringLiteral("새사람%1").arg(int(&c - cases)), Role::Viewer, QStringLiteral("pw"));
        (*c.ref)->close();
        EXPECT_TRUE(c.ref->isNull());
        EXPECT_TRUE(m->isEnabled());
        EXPECT_EQ(boardLines(*m)[8], QStringLiteral(" 사용자 등록 : %1명").arg(int(&c - cases) + 2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The store refuses a window for a user the role does not allow.
    edition->store().signOut();
    ASSERT_TRUE(edition->store().signIn(QStringLiteral("새사람0"), QStringLiteral("pw")).ok());
    m->openUsers();
    EXPECT_TRUE(app::refs::users.isNull());
    EXPECT_TRUE(m->isEnabled());
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_TRUE(fake->messages[0].text.contains(QStringLiteral("사용자 관리 권한이 없습니다")))
        << fake->messages[0].text.toStdString();
}

// The registration windows the main window opens file into the edition's
// store and page folder; their settings start from the office's.
TEST_F(ArchiveEditionTest, TheRegistrationWindowsFileIntoTheArchive)
{
    auto edition = readyEdition();
    archive::OfficeSettings office = archive::loadOfficeSettings(edition->store());
    office.transfer = archive::Transfer::Copy;
    archive::saveOfficeSettings(edition->store(), office);
    QDir().mkpath(appDir() + QStringLiteral("Files"));
    image::Bitmap page(40, 30);
    page.fill(0xFF808080u);
    const QString scan = appDir() + QStringLiteral("Files/scan.bmp");
    image::saveBmp32(QFile::encodeName(scan).toStdString(), page);
    auto m = signedInMain(*edition);
    m->show();

    m->openRegistration();
    auto* manual = qobject_cast<registration::RegistrationWindow*>(app::refs::jiga_insert.data());
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->settingsTab->isEnabled());
    EXPECT_TRUE(manual->cmCopy->isChecked());
    manual->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    m->openAutoRegistration();
    auto* automatic = qobject_cast<recognition::AutoRegistrationWindow*>(app::refs::jiga_auto2.data());
    ASSERT_NE(automatic, nullptr);
    automatic->modeTabs->setCurrentWidget(automatic->manualTab);
    QListWidget* list = automatic->browser->fileList;
    ASSERT_EQ(list->count(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    automatic->attributes->yearField->setText(QStringLiteral("1998"));
    automatic->attributes->townList->setCurrentIndex(1); // 임의읍, with its 리
    automatic->lots->mainNumber->setText(QStringLiteral("5"));
    QTest::mouseClick(automatic->lots->addButton, Qt::LeftButton);
    fake->answers = {true};
    QTest::keyClick(automatic->lots->mainNumber, Qt::Key_F9);
    EXPECT_EQ(messageTexts().value(messageTexts().size() - 1), QStringLiteral("등록이 완료되었습니다."));
    const QList<archive::PageRecord> pages = edition->store().pageRecords();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(QDir(edition->pageFolder()).filePath(pages[0].pagePath)));
    EXPECT_TRUE(QFileInfo::exists(scan)); // 복사, as the office's settings say
    automatic->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every work window's region lists hold the office's 읍면동 in code order, and
// the 리 list follows the chosen 읍면동; one without 리 gives one empty entry.
TEST_F(ArchiveEditionTest, EveryWindowsRegionListsFollowTheStore)
{
    auto edition = readyEdition();
    using ListPair = std::pair<QComboBox*, QComboBox*>;
    auto lookup = std::make_unique<lookup::LookupWindow>(appDir(), edition->regions());
    auto registration = std::make_unique<registration::RegistrationWindow>(appDir(), edition->regions());
    auto automatic = std::make_unique<recognition::AutoRegistrationWindow>(appDir(), edition->regions());
    auto modify = std::make_unique<modify::ModifyWindow>(appDir(), edition->regions());
    const std::pair<const char*, ListPair> lists[] = {
        {"lookup", {lookup->searchPanel->townList, lookup->searchPanel->villageList}},
        {"registration", {registration->attributes->townList, registration->attributes->villageList}},
        {"automatic", {automatic->attributes->townList, automatic->attributes->villageList}},
        {"modify search", {modify->searchPanel->townList, modify->searchPanel->villageList}},
        {"modify 지번 추가", {modify->addTownList, modify->addVillageList}},
    };
    const auto items = [](QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    };
    for (const auto& [name, pair] : lists) {
        SCOPED_TRACE(name);
        auto [town, village] = pair;
        EXPECT_EQ(items(town), (QStringList{"누리동", "임의읍", "한울면"}));
        EXPECT_EQ(town->currentText(), QStringLiteral("누리동"));
        EXPECT_EQ(items(village), QStringList{""});
        EXPECT_EQ(village->itemData(0).toString(), QStringLiteral("9911010100"));
        town->setCurrentIndex(1);
        EXPECT_EQ(items(village), (QStringList{"임의리", "새터리"})) << "옛골리 is abolished";
        EXPECT_EQ(village->currentText(), QStringLiteral("임의리"));
        EXPECT_EQ(village->itemData(1).toString(), archive::testing::kSaeteoRi);
        town->setCurrentIndex(2);
        EXPECT_EQ(items(village), (QStringList{"솔내리", "똠방리", "돌다리"}));
        town->setCurrentIndex(0);
        EXPECT_EQ(items(village), QStringList{""});
    }

    // Another 시군구 chosen: a window opened afterwards offers its 읍면동.
    edition->store().chooseDistricts({QStringLiteral("99130")});
    lookup::LookupWindow later(appDir(), edition->regions());
    EXPECT_EQ(items(later.searchPanel->townList), QStringList{"바람면"});
    EXPECT_EQ(items(later.searchPanel->villageList), QStringList{"구름리"});
}

// A filing that a crash stopped after its record was committed is finished
// once somebody signs in, said in a message, and counted on the board.
TEST_F(ArchiveEditionTest, AFilingStoppedByACrashIsFinishedAfterTheSignIn)
{
    ready().reset();
    const QString source = path(QStringLiteral("scans/p1.jpg"));
    QDir().mkpath(path(QStringLiteral("scans")));
    QImage scan(64, 48, QImage::Format_RGB32);
    scan.fill(Qt::white);
    ASSERT_TRUE(scan.save(source, "JPEG"));
    archive::FilingRequest request;
    request.sourcePath = source;
    request.transfer = archive::Transfer::Copy;
    request.kind = u'G';
    request.surveyYear = 1998;
    request.surveyMonth = 1;
    request.regionCode = archive::testing::kImuiRi;
    request.lots = {{archive::testing::kImuiRi, false, 12, 3}};

    constexpr int kCrashed = 42;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            auto store = open(options());
            if (store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok()) {
                archive::FilingHooks hooks;
                hooks.afterStep = [](archive::FilingStep at) {
                    if (at == archive::FilingStep::Committed)
                        ::_exit(kCrashed);
                };
                archive::filePage(*store, pagesPath(), request, hooks);
            }
        } catch (...) {
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), kCrashed);

    auto edition = std::make_unique<app::ArchiveEdition>(open(options()), location());
    auto m = std::make_unique<app::MainWindow>(appDir(), *edition, [&](QWidget*) {
        return edition->store().signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok();
    });
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_TRUE(fake->messages[0].text.startsWith(QStringLiteral("지난번에 끝나지 않은 등록을 정리했습니다.")))
        << fake->messages[0].text.toStdString();
    EXPECT_EQ(boardLines(*m)[6],
              QStringLiteral(" 지가조서 등록 합계 : 1면 (산정조서:0면, 결정조서:1면, 토지특성조사표:0면)"));
    EXPECT_EQ(edition->finishPendingFilings(), QStringList()) << "nothing is left for the next start";
}
