// The office's settings in the database, and the page folder in use.

#include "archive/error.h"
#include "archive/officesettings.h"
#include "archive/store.h"
#include "tests/archive/fixture.h"

#include <gtest/gtest.h>

namespace rida::archive::testing {
namespace {

class OfficeSettingsTest : public OnBothBackends {};

TEST_P(OfficeSettingsTest, WhatIsNotStoredOrNotKnownReadsAsTheRegistrationWindowsStart)
{
    auto store = ready();
    EXPECT_EQ(loadOfficeSettings(*store), OfficeSettings{});
    store->setSetting(settingKeys::transfer, QStringLiteral("teleport"));
    store->setSetting(settingKeys::previewScale, QStringLiteral("big"));
    EXPECT_EQ(loadOfficeSettings(*store), OfficeSettings{});

    OfficeSettings changed;
    changed.pageFolder = QStringLiteral("  /srv/pages  ");
    changed.transfer = Transfer::Copy;
    changed.nameRule = NameRule::KeepName;
    changed.previewScale = QStringLiteral("15%");
    changed.previewPosition = OfficeSettings::PreviewPosition::Centre;
    saveOfficeSettings(*store, changed);
    changed.pageFolder = QStringLiteral("/srv/pages");
    EXPECT_EQ(loadOfficeSettings(*open()), changed) << "every PC reads the same";

    // Saving what is stored writes nothing; clearing the folder gives the default back.
    const int logged = int(store->auditLog(1000).size());
    saveOfficeSettings(*store, changed);
    EXPECT_EQ(store->auditLog(1000).size(), logged);
    changed.pageFolder.clear();
    saveOfficeSettings(*store, changed);
    EXPECT_EQ(loadOfficeSettings(*store).pageFolder, QString());

    // Only a user who may edit the settings saves them.
    store->addUser(QStringLiteral("등록담당"), Role::Clerk, QStringLiteral("pw"));
    store->signOut();
    ASSERT_TRUE(store->signIn(QStringLiteral("등록담당"), QStringLiteral("pw")).ok());
    changed.transfer = Transfer::Move;
    EXPECT_EQ(thrown([&] { saveOfficeSettings(*store, changed); }).failure(), Failure::NotAllowed);
}

TEST(OfficePageFolder, TheCommandLineAndTheSettingsFileComeBeforeTheOfficesFolder)
{
    using Named = ArchiveLocation::Named;
    struct Case {
        Named named;
        QString office;
        QString inUse;
    };
    const Case cases[] = {
        {Named::Default, "", "/home/u/.local/share/rida/pages"},
        {Named::Default, "/srv/pages", "/srv/pages"},
        {Named::Default, "pages2", "/srv/db/pages2"}, // from the database's folder
        {Named::SettingsFile, "/srv/pages", "/home/u/.local/share/rida/pages"},
        {Named::CommandLine, "/srv/pages", "/home/u/.local/share/rida/pages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.office.toStdString());
        const ArchiveLocation location{"/srv/db/archive.sqlite", "/home/u/.local/share/rida/pages", {}, c.named};
        OfficeSettings settings;
        settings.pageFolder = c.office;
        EXPECT_EQ(pageFolderInUse(location, settings), c.inUse);
    }
}

RIDA_ON_BOTH_BACKENDS(OfficeSettingsTest);

} // namespace
} // namespace rida::archive::testing
