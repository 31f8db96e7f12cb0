#pragma once
// Where the archive is: the database and the page folder, as the program and
// rida-archive both find them.
//
// In this order, the first that names a value wins:
//   1. the command line: --database URL|PATH, --pages DIR;
//   2. archive.ini beside the executable (the whole office's setting);
//   3. archive.ini in the user's config folder (~/.config/rida/archive.ini);
//   4. the defaults in the user's data folder: ~/.local/share/rida/archive.sqlite
//      and ~/.local/share/rida/pages.
// The page folder has one more place, between 3 and 4: the folder the office's
// settings in the database hold (환경 설정), which pageFolderInUse()
// (officesettings.h) applies once the database is open.
// Only one settings file is read: when both exist, the one beside the
// executable is used and the user's is not. A file holds
//   [archive]
//   database=/srv/rida/archive.sqlite
//   pages=/srv/rida/pages
// and a relative path in it is taken from the file's folder.

#include <QString>

namespace rida::archive {

struct LocationSources {
    QString programFolder;    // the folder of the running executable
    QString userConfigFolder; // the user's config folder for us, e.g. ~/.config/rida
    QString userDataFolder;   // the user's data folder for us, e.g. ~/.local/share/rida
    QString databaseOption;   // --database, empty when not given
    QString pagesOption;      // --pages, empty when not given
};

struct ArchiveLocation {
    QString database;     // an absolute file path (or, later, a postgresql:// URL)
    QString pages;        // an absolute folder path
    QString settingsFile; // the archive.ini read, empty when none
    // Who named the page folder. Only the default gives way to the folder the
    // office's settings in the database hold (officesettings.h).
    enum class Named { CommandLine, SettingsFile, Default };
    Named pagesNamedBy = Named::Default;
};

// The user's folders from QStandardPaths, the options left empty.
LocationSources standardSources(const QString& programFolder);

// Throws ArchiveError (Failure::Invalid) for a settings file that cannot be read.
ArchiveLocation resolveLocation(const LocationSources& sources);

} // namespace rida::archive
