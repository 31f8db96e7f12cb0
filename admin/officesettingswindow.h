#pragma once
// The work window "환경 설정": the archive's settings that every PC of the
// office shares (officesettings.h), held in the database. The page folder
// given here is the office's; a PC whose archive.ini or command line names
// another keeps using that one, and the window says so.

#include "archive/location.h"
#include "archive/officesettings.h"
#include "ui/workwindow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace rida::archive {
class Store;
}

namespace rida::admin {

class OfficeSettingsWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    // Throws ArchiveError (NotAllowed) unless the signed-in user may edit the settings.
    OfficeSettingsWindow(const QString& appDir, archive::Store& store, archive::ArchiveLocation location);

    QLineEdit* pageFolderField;
    QPushButton* browseButton;  // "찾아보기..."
    QLabel* pageFolderNote;     // the folder in use and whether it can be written
    QRadioButton* copyButton;   // "복사"
    QRadioButton* moveButton;   // "이동"
    QRadioButton* renameButton; // "변경"
    QRadioButton* keepButton;   // "미변경"
    QComboBox* previewScaleList;
    QRadioButton* topLeftButton; // "왼쪽 위"
    QRadioButton* centreButton;  // "가운데"
    QPushButton* saveButton;     // "저장"

    // The settings as the controls hold them.
    archive::OfficeSettings shownSettings() const;

    void browse();
    void save();

private:
    void showSettings(const archive::OfficeSettings& settings);
    void showPageFolder();
    archive::Store& store_;
    archive::ArchiveLocation location_;
};

} // namespace rida::admin
