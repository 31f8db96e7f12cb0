// Users, roles and sign-in.

#include "archive/error.h"
#include "archive/password.h"
#include "archive/roles.h"
#include "archive/store.h"
#include "tests/archive/fixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace rida::archive::testing {
namespace {

class ArchiveUsers : public OnBothBackends {};

const QString kWrongPair = QStringLiteral("아이디 또는 비밀번호가 올바르지 않습니다.");

TEST(ArchiveRoles, EachRoleAllowsItsCommands)
{
    struct Row {
        Command command;
        bool administrator, clerk, viewer;
    };
    const Row table[] = {
        {Command::Lookup, true, true, true},          {Command::Output, true, true, true},
        {Command::RegisterManual, true, true, false}, {Command::RegisterAutomatic, true, true, false},
        {Command::ModifyRecords, true, true, false},  {Command::DeleteDocuments, true, false, false},
        {Command::ManageUsers, true, false, false},   {Command::ManageRegions, true, false, false},
        {Command::EditSettings, true, false, false},  {Command::Backup, true, false, false},
        {Command::CheckArchive, true, false, false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(commandWord(row.command).toStdString());
        EXPECT_EQ(allows(Role::Administrator, row.command), row.administrator);
        EXPECT_EQ(allows(Role::Clerk, row.command), row.clerk);
        EXPECT_EQ(allows(Role::Viewer, row.command), row.viewer);
    }
    EXPECT_EQ(roleFromText(QStringLiteral("등록자")), Role::Clerk);
    EXPECT_EQ(roleFromText(QStringLiteral("viewer")), Role::Viewer);
    EXPECT_EQ(roleFromText(QStringLiteral("관리")), std::nullopt);
    EXPECT_EQ(roleWord(Role::Administrator), QStringLiteral("관리자"));
}

// Whatever the windows offer, the store itself refuses a write that the
// signed-in user's role does not allow, and stores nothing of it.
TEST_P(ArchiveUsers, TheStoreRefusesWhatTheRoleDoesNotAllow)
{
    auto store = ready();
    store->addUser(QStringLiteral("등록"), Role::Clerk, QStringLiteral("pw"));
    store->addUser(QStringLiteral("조회"), Role::Viewer, QStringLiteral("pw"));
    const NewDocument page = document(QStringLiteral("a.jpg"), {{kImuiRi, false, 1, 0}});
    NewDocument automatic = document(QStringLiteral("b.jpg"), {{kImuiRi, false, 2, 0}});
    automatic.registration = Registration::Automatic;
    automatic.recognitionSettings = QStringLiteral("{\"font\":\"gothic\"}");

    struct Attempt {
        const char* what;
        std::function<void()> run;
        bool clerk, viewer; // allowed?
    };
    const std::vector<Attempt> attempts{
        {"manual registration", [&] { store->insertDocument(page); }, true, false},
        {"automatic registration", [&] { store->insertDocument(automatic); }, true, false},
        {"a new user", [&] { store->addUser(QStringLiteral("새"), Role::Viewer, QStringLiteral("pw")); }, false, false},
        {"a role", [&] { store->setRole(QStringLiteral("조회"), Role::Administrator); }, false, false},
        {"region import", [&] { store->importRegions({}); }, false, false},
        {"districts", [&] { store->chooseDistricts({kSampleDistrict}); }, false, false},
        {"a setting", [&] { store->setSetting(QStringLiteral("k"), QStringLiteral("v")); }, false, false},
        {"a backup", [&] { store->backupTo(path(QStringLiteral("copy.sqlite"))); }, false, false},
    };
    for (const char* who : {"조회", "등록"}) {
        const bool clerk = QString::fromUtf8(who) == QStringLiteral("등록");
        ASSERT_TRUE(store->signIn(QString::fromUtf8(who), QStringLiteral("pw")).ok());
        for (const Attempt& a : attempts) {
            SCOPED_TRACE(std::string(who) + ": " + a.what);
            if (clerk ? a.clerk : a.viewer) {
                EXPECT_NO_THROW(a.run());
                continue;
            }
            const ArchiveError e = thrown(a.run);
            EXPECT_EQ(e.failure(), Failure::NotAllowed);
            EXPECT_TRUE(e.text().contains(QStringLiteral("권한이 없습니다"))) << e.text().toStdString();
        }
    }
    store->signOut();
    EXPECT_EQ(thrown([&] { store->insertDocument(page); }).failure(), Failure::NotSignedIn);

    ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    EXPECT_EQ(store->totals().pages, 2); // the clerk's two
    EXPECT_EQ(store->users().size(), 3);
    EXPECT_EQ(store->setting(QStringLiteral("k")), std::nullopt);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("copy.sqlite"))));
}

TEST_P(ArchiveUsers, TheFirstAdministratorComesOnlyToAnEmptyDatabase)
{
    auto store = open();
    EXPECT_FALSE(store->hasUsers());
    EXPECT_EQ(
        thrown([&] { store->addUser(QStringLiteral("누구"), Role::Administrator, QStringLiteral("pw")); }).failure(),
        Failure::NotSignedIn);
    store->createFirstAdministrator(QStringLiteral("  처음관리자 "), QStringLiteral("pw"));
    ASSERT_TRUE(store->currentUser());
    EXPECT_EQ(store->currentUser()->name, QStringLiteral("처음관리자"));
    EXPECT_EQ(store->currentUser()->role, Role::Administrator);
    EXPECT_EQ(store->activeUserCount(), 1);

    auto other = open(); // a second PC
    const ArchiveError e =
        thrown([&] { other->createFirstAdministrator(QStringLiteral("둘째"), QStringLiteral("pw")); });
    EXPECT_EQ(e.failure(), Failure::Conflict);
    EXPECT_EQ(store->users().size(), 1);
}

TEST_P(ArchiveUsers, AWrongPairSaysTheSameWhateverWasWrong)
{
    auto store = ready();
    store->addUser(QStringLiteral("김등록"), Role::Clerk, QStringLiteral("right"));
    store->addUser(QStringLiteral("퇴사자"), Role::Clerk, QStringLiteral("right"));
    store->setDisabled(QStringLiteral("퇴사자"), true);
    store->signOut();
    const std::pair<const char*, const char*> wrong[] = {
        {"없는사람", "right"}, // no such user
        {"김등록", "wrong"},   // wrong password
        {"김등록", ""},        // none
        {"퇴사자", "right"},   // disabled
        {"", ""},
    };
    for (const auto& [name, password] : wrong) {
        SCOPED_TRACE(name);
        const SignInResult r = store->signIn(QString::fromUtf8(name), QString::fromUtf8(password));
        EXPECT_EQ(r.status, SignInResult::Refused);
        EXPECT_EQ(r.message, kWrongPair);
        EXPECT_FALSE(store->currentUser());
    }
    const SignInResult r = store->signIn(QStringLiteral("김등록"), QStringLiteral("right"));
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(store->currentUser()->role, Role::Clerk);
}

// Five wrong tries in a row; the sixth, even with the right password, waits
// 30 seconds. The count is the database's, so another PC waits too; a name
// that is no user waits the same.
TEST_P(ArchiveUsers, FiveWrongTriesInARowMakeTheNextTryWaitThirtySeconds)
{
    QDateTime now = QDateTime(QDate(2024, 3, 1), QTime(9, 0), Qt::UTC);
    StoreOptions options = quickOptions();
    options.clock = [&] { return now; };
    auto store = ready(options);
    store->addUser(QStringLiteral("김등록"), Role::Clerk, QStringLiteral("right"));
    store->signOut();

    for (const QString& name : {QStringLiteral("김등록"), QStringLiteral("없는사람")}) {
        SCOPED_TRACE(name.toStdString());
        for (int k = 0; k < 5; ++k) {
            now = now.addSecs(1);
            EXPECT_EQ(store->signIn(name, QStringLiteral("wrong")).status, SignInResult::Refused);
        }
        now = now.addSecs(10);
        SignInResult r = store->signIn(name, QStringLiteral("right"));
        EXPECT_EQ(r.status, SignInResult::Waiting);
        EXPECT_EQ(r.waitSeconds, 20);
        EXPECT_TRUE(r.message.contains(QStringLiteral("20초 후에 다시 시도하십시오"))) << r.message.toStdString();
        EXPECT_FALSE(store->currentUser());
    }
    auto otherPc = open(options);
    EXPECT_EQ(otherPc->signIn(QStringLiteral("김등록"), QStringLiteral("right")).status, SignInResult::Waiting);

    now = now.addSecs(30);
    EXPECT_TRUE(store->signIn(QStringLiteral("김등록"), QStringLiteral("right")).ok());
    // The right password starts the count anew: four wrong tries do not wait.
    store->signOut();
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(store->signIn(QStringLiteral("김등록"), QStringLiteral("wrong")).status, SignInResult::Refused);
    EXPECT_TRUE(store->signIn(QStringLiteral("김등록"), QStringLiteral("right")).ok());
}

// A user name is text: Hangul, emoji, 200 characters and SQL-looking text
// are stored and signed in with exactly as typed.
TEST_P(ArchiveUsers, NamesAreStoredAndSignedInWithAsTheyAre)
{
    auto store = ready();
    const QString longest = QString(199, u'가') + QString::fromUtf8("🙂"); // 200 characters, 201 UTF-16 units
    const QStringList names{
        QStringLiteral("김철수"),
        QString::fromUtf8("🙂 스마일"),
        longest,
        QStringLiteral("'; DROP TABLE users; --"),
        QStringLiteral("Robert'); DELETE FROM documents WHERE ('1'='1"),
        QStringLiteral("%_\\"),
    };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        store->addUser(name, Role::Viewer, QStringLiteral("pw-") + name);
    }
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        store->signOut();
        ASSERT_TRUE(store->signIn(name, QStringLiteral("pw-") + name).ok());
        EXPECT_EQ(store->currentUser()->name, name);
    }
    ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    QStringList listed;
    for (const UserInfo& user : store->users())
        listed << user.name;
    EXPECT_EQ(listed, QStringList{QStringLiteral("관리자")} + names);

    // A name typed decomposed (as some systems send Hangul) is the same name.
    const QString decomposed = QStringLiteral("김철수").normalized(QString::NormalizationForm_D);
    ASSERT_NE(decomposed, QStringLiteral("김철수"));
    EXPECT_EQ(thrown([&] { store->addUser(decomposed, Role::Viewer, QStringLiteral("pw")); }).failure(),
              Failure::Conflict);

    const std::pair<QString, const char*> refused[] = {
        {QString(), "비어 있습니다"},
        {QStringLiteral("   "), "비어 있습니다"},
        {longest + u'가', "200자까지"},
        {QStringLiteral("둘째\n줄"), "제어 문자"},
    };
    for (const auto& [name, says] : refused) {
        SCOPED_TRACE(name.toStdString());
        const ArchiveError e = thrown([&] { store->addUser(name, Role::Viewer, QStringLiteral("pw")); });
        EXPECT_EQ(e.failure(), Failure::Invalid);
        EXPECT_TRUE(e.text().contains(QString::fromUtf8(says))) << e.text().toStdString();
    }
    EXPECT_EQ(store->users().size(), names.size() + 1);
}

TEST_P(ArchiveUsers, PasswordsAreKeptOnlyAsArgon2idHashesAtInteractiveCost)
{
    StoreOptions options = quickOptions();
    options.passwordCost = PasswordCost::interactive();
    auto store = ready(options);
    const QString password = QStringLiteral("맑은하늘-correct-horse-7431");
    store->addUser(QStringLiteral("김등록"), Role::Clerk, password);
    RawConnection raw(*this);
    const QString hash = raw.value(QStringLiteral("SELECT password_hash FROM users WHERE role = 'clerk'")).toString();
    EXPECT_TRUE(hash.startsWith(QStringLiteral("$argon2id$v=19$m=65536,t=2,p=1$"))) << hash.toStdString();
    EXPECT_TRUE(verifyPassword(hash.toLatin1(), password));
    EXPECT_FALSE(verifyPassword(hash.toLatin1(), password + u'x'));
    store.reset();
    for (const QString& file : QDir(base_).entryList(QDir::Files)) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(readFile(path(file)).contains(password.toUtf8()));
    }
}

TEST_P(ArchiveUsers, PasswordsRolesAndDisablingKeepOneAdministratorAndEveryRecord)
{
    auto store = ready();
    store->addUser(QStringLiteral("김등록"), Role::Clerk, QStringLiteral("old"));
    // The last administrator can neither be demoted nor disabled.
    EXPECT_EQ(thrown([&] { store->setRole(QStringLiteral("관리자"), Role::Viewer); }).failure(), Failure::Invalid);
    EXPECT_EQ(thrown([&] { store->setDisabled(QStringLiteral("관리자"), true); }).failure(), Failure::Invalid);

    store->setPassword(QStringLiteral("김등록"), QStringLiteral("new"));
    store->signOut();
    EXPECT_FALSE(store->signIn(QStringLiteral("김등록"), QStringLiteral("old")).ok());
    ASSERT_TRUE(store->signIn(QStringLiteral("김등록"), QStringLiteral("new")).ok());
    // A clerk sets his own password, nobody else's.
    store->setPassword(QStringLiteral("김등록"), QStringLiteral("mine"));
    EXPECT_EQ(thrown([&] { store->setPassword(QStringLiteral("관리자"), QStringLiteral("x")); }).failure(),
              Failure::NotAllowed);
    const qint64 id = store->insertDocument(document(QStringLiteral("a.jpg"), {{kImuiRi, false, 1, 0}}));

    ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    store->setDisabled(QStringLiteral("김등록"), true);
    EXPECT_EQ(store->activeUserCount(), 1);
    EXPECT_EQ(store->users().size(), 2); // disabled, not deleted
    EXPECT_EQ(store->lotsOf(id).size(), 1);
    store->signOut();
    EXPECT_FALSE(store->signIn(QStringLiteral("김등록"), QStringLiteral("mine")).ok());

    ASSERT_TRUE(store->signIn(QStringLiteral("관리자"), QStringLiteral("admin-pw")).ok());
    store->setDisabled(QStringLiteral("김등록"), false);
    store->setRole(QStringLiteral("김등록"), Role::Administrator);
    store->setRole(QStringLiteral("관리자"), Role::Viewer); // another administrator is left
    EXPECT_EQ(store->currentUser()->role, Role::Viewer);
    EXPECT_FALSE(store->may(Command::ManageUsers));

    // The audit log tells who changed what, and never a password.
    store->signOut();
    ASSERT_TRUE(store->signIn(QStringLiteral("김등록"), QStringLiteral("mine")).ok());
    QStringList actions;
    for (const AuditEntry& entry : store->auditLog()) {
        actions.prepend(entry.action);
        EXPECT_FALSE(entry.after.contains(QLatin1String("mine")));
        EXPECT_FALSE(entry.after.contains(QLatin1String("argon2")));
    }
    EXPECT_EQ(actions.mid(actions.indexOf(QStringLiteral("user_add"), 2)),
              (QStringList{"user_add", "user_password", "user_password", "document_add", "user_disabled",
                           "user_disabled", "user_role", "user_role"}));
}

RIDA_ON_BOTH_BACKENDS(ArchiveUsers);

} // namespace
} // namespace rida::archive::testing
