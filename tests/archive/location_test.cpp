// Where the program and rida-archive find the archive.

#include "archive/location.h"
#include "tests/archive/fixture.h"

#include <QDir>

#include <gtest/gtest.h>

namespace rida::archive::testing {
namespace {

TEST(ArchiveLocation, TheCommandLineThenTheOfficeFileThenTheUsersFileThenTheDefaults)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("bin"));
    const QString config = dir.filePath(QStringLiteral("config/rida"));
    const QString data = dir.filePath(QStringLiteral("data/rida"));
    QDir().mkpath(program);
    QDir().mkpath(config);
    const QByteArray office = "[archive]\ndatabase=/srv/rida/archive.sqlite\n";
    const QByteArray user = "[archive]\ndatabase=mine.sqlite\npages=쪽\n";

    struct Case {
        const char* name;
        QByteArray officeFile, userFile; // empty: none
        QString databaseOption, pagesOption;
        QString database, pages, settingsFile;
        ArchiveLocation::Named pagesNamedBy; // the default gives way to the office's folder in the database
    };
    using Named = ArchiveLocation::Named;
    const std::vector<Case> cases{
        {"nothing: the user's data folder",
         {},
         {},
         {},
         {},
         data + "/archive.sqlite",
         data + "/pages",
         {},
         Named::Default},
        {"the user's file, paths from its folder",
         {},
         user,
         {},
         {},
         config + "/mine.sqlite",
         config + QStringLiteral("/쪽"),
         config + "/archive.ini",
         Named::SettingsFile},
        {"the office's file wins and is read alone",
         office,
         user,
         {},
         {},
         "/srv/rida/archive.sqlite",
         data + "/pages",
         program + "/archive.ini",
         Named::Default},
        {"the command line over any file", office, user, "/tmp/other.sqlite", "/tmp/pages", "/tmp/other.sqlite",
         "/tmp/pages", program + "/archive.ini", Named::CommandLine},
        {"a URL is left as it is",
         "[archive]\ndatabase=postgresql://db.office/rida\n",
         {},
         {},
         {},
         "postgresql://db.office/rida",
         data + "/pages",
         program + "/archive.ini",
         Named::Default},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(program + "/archive.ini");
        QFile::remove(config + "/archive.ini");
        if (!c.officeFile.isEmpty())
            writeFile(program + "/archive.ini", c.officeFile);
        if (!c.userFile.isEmpty())
            writeFile(config + "/archive.ini", c.userFile);
        const ArchiveLocation where = resolveLocation({program, config, data, c.databaseOption, c.pagesOption});
        EXPECT_EQ(where.database, c.database);
        EXPECT_EQ(where.pages, c.pages);
        EXPECT_EQ(where.settingsFile, c.settingsFile);
        EXPECT_EQ(where.pagesNamedBy, c.pagesNamedBy);
    }
}

} // namespace
} // namespace rida::archive::testing
