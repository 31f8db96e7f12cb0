#include "archive/officesettings.h"

#include "archive/store.h"

#include <QDir>
#include <QFileInfo>

namespace rida::archive {

namespace {

QString transferKey(Transfer t)
{
    return t == Transfer::Copy ? QStringLiteral("copy") : QStringLiteral("move");
}

QString nameRuleKey(NameRule r)
{
    return r == NameRule::KeepName ? QStringLiteral("keep") : QStringLiteral("rename");
}

QString positionKey(OfficeSettings::PreviewPosition p)
{
    return p == OfficeSettings::PreviewPosition::Centre ? QStringLiteral("centre") : QStringLiteral("top_left");
}

bool isScaleEntry(const QString& text)
{
    if (!text.endsWith(u'%') || text.size() < 2)
        return false;
    bool ok = false;
    const int percent = text.chopped(1).toInt(&ok);
    return ok && percent > 0;
}

} // namespace

OfficeSettings loadOfficeSettings(Store& store)
{
    OfficeSettings s;
    s.pageFolder = store.setting(settingKeys::pageFolder).value_or(QString());
    if (store.setting(settingKeys::transfer) == transferKey(Transfer::Copy))
        s.transfer = Transfer::Copy;
    if (store.setting(settingKeys::nameRule) == nameRuleKey(NameRule::KeepName))
        s.nameRule = NameRule::KeepName;
    if (const auto scale = store.setting(settingKeys::previewScale); scale && isScaleEntry(*scale))
        s.previewScale = *scale;
    if (store.setting(settingKeys::previewPosition) == positionKey(OfficeSettings::PreviewPosition::Centre))
        s.previewPosition = OfficeSettings::PreviewPosition::Centre;
    return s;
}

void saveOfficeSettings(Store& store, const OfficeSettings& settings)
{
    const OfficeSettings held = loadOfficeSettings(store);
    const QString folder = settings.pageFolder.trimmed();
    if (folder != held.pageFolder)
        store.setSetting(settingKeys::pageFolder, folder.isEmpty() ? QStringLiteral("") : folder);
    if (settings.transfer != held.transfer)
        store.setSetting(settingKeys::transfer, transferKey(settings.transfer));
    if (settings.nameRule != held.nameRule)
        store.setSetting(settingKeys::nameRule, nameRuleKey(settings.nameRule));
    if (settings.previewScale != held.previewScale && isScaleEntry(settings.previewScale))
        store.setSetting(settingKeys::previewScale, settings.previewScale);
    if (settings.previewPosition != held.previewPosition)
        store.setSetting(settingKeys::previewPosition, positionKey(settings.previewPosition));
}

QString pageFolderInUse(const ArchiveLocation& location, const OfficeSettings& settings)
{
    if (location.pagesNamedBy != ArchiveLocation::Named::Default || settings.pageFolder.isEmpty())
        return location.pages;
    const QString base = QFileInfo(location.database).absolutePath();
    return QDir::cleanPath(QDir(base).absoluteFilePath(QDir::fromNativeSeparators(settings.pageFolder)));
}

} // namespace rida::archive
