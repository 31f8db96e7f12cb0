#pragma once
// The archive's settings that every PC of an office shares, held in the
// database's settings table: where the pages go, whether a registered page is
// copied or moved there, whether it gets the archive's file name, and how the
// registration windows first show a page. A setting the database does not hold
// has the value the registration windows start with.

#include "archive/location.h"
#include "archive/pagename.h"
#include "archive/placement.h"

#include <QString>

namespace rida::archive {

class Store;

struct OfficeSettings {
    enum class PreviewPosition { TopLeft, Centre }; // where a previewed page is first centred

    // Empty: archive.ini or the default names the page folder.
    QString pageFolder;
    Transfer transfer = Transfer::Move;   // 파일 복사/이동
    NameRule nameRule = NameRule::Rename; // 파일명규칙변경: 변경 / 미변경
    // An entry of the registration windows' scale box.
    QString previewScale = QStringLiteral("50%");
    PreviewPosition previewPosition = PreviewPosition::TopLeft;

    bool operator==(const OfficeSettings&) const = default;
};

// The keys of the settings table.
namespace settingKeys {
inline const QString pageFolder = QStringLiteral("pages");
inline const QString transfer = QStringLiteral("page_transfer");           // "copy" | "move"
inline const QString nameRule = QStringLiteral("page_names");              // "rename" | "keep"
inline const QString previewScale = QStringLiteral("preview_scale");       // "50%"
inline const QString previewPosition = QStringLiteral("preview_position"); // "top_left" | "centre"
} // namespace settingKeys

// What the database holds; a value it does not know is read as the default.
OfficeSettings loadOfficeSettings(Store& store);
// Writes the settings that differ from what the database holds, in one
// transaction each; needs a user allowed to edit the settings. An empty page
// folder clears the setting.
void saveOfficeSettings(Store& store, const OfficeSettings& settings);

// The page folder in use: the one --pages or archive.ini names, else the
// office's, else the default. A relative office folder is taken from the
// database's folder.
QString pageFolderInUse(const ArchiveLocation& location, const OfficeSettings& settings);

} // namespace rida::archive
