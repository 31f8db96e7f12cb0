#include "archive/location.h"

#include "archive/error.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace rida::archive {

namespace {

const QString kSettingsName = QStringLiteral("archive.ini");

bool isUrl(const QString& location)
{
    return location.contains(QLatin1String("://"));
}

QString absoluteFrom(const QString& folder, const QString& path)
{
    if (path.isEmpty() || isUrl(path))
        return path;
    return QDir::cleanPath(QDir(folder).absoluteFilePath(QDir::fromNativeSeparators(path)));
}

} // namespace

LocationSources standardSources(const QString& programFolder)
{
    LocationSources sources;
    sources.programFolder = programFolder;
    sources.userConfigFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/rida");
    sources.userDataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/rida");
    return sources;
}

ArchiveLocation resolveLocation(const LocationSources& sources)
{
    ArchiveLocation location;
    for (const QString& folder : {sources.programFolder, sources.userConfigFolder}) {
        if (folder.isEmpty())
            continue;
        const QString file = QDir(folder).absoluteFilePath(kSettingsName);
        if (!QFileInfo(file).isFile())
            continue;
        QSettings ini(file, QSettings::IniFormat);
        if (ini.status() != QSettings::NoError)
            throw ArchiveError(Failure::Invalid, QStringLiteral("설정 파일을 읽을 수 없습니다: %1").arg(file));
        const QString base = QFileInfo(file).absolutePath();
        location.settingsFile = file;
        location.database = absoluteFrom(base, ini.value(QStringLiteral("archive/database")).toString().trimmed());
        location.pages = absoluteFrom(base, ini.value(QStringLiteral("archive/pages")).toString().trimmed());
        if (!location.pages.isEmpty())
            location.pagesNamedBy = ArchiveLocation::Named::SettingsFile;
        break;
    }
    if (!sources.databaseOption.isEmpty())
        location.database = absoluteFrom(QDir::currentPath(), sources.databaseOption);
    if (!sources.pagesOption.isEmpty()) {
        location.pages = absoluteFrom(QDir::currentPath(), sources.pagesOption);
        location.pagesNamedBy = ArchiveLocation::Named::CommandLine;
    }
    if (location.database.isEmpty())
        location.database = QDir(sources.userDataFolder).absoluteFilePath(QStringLiteral("archive.sqlite"));
    if (location.pages.isEmpty()) {
        location.pages = QDir(sources.userDataFolder).absoluteFilePath(QStringLiteral("pages"));
        location.pagesNamedBy = ArchiveLocation::Named::Default;
    }
    return location;
}

} // namespace rida::archive
