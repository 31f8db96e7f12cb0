#pragma once
// The work window "행정코드 관리": imports the national 법정동코드 list as it is
// published (again whenever a new one comes out: an abolished code is marked,
// never deleted) and lets the office choose its 시군구, one or several. The
// region lists of every work window then hold the 읍면동 of the chosen 시군구,
// which the window shows beside the choice.

#include "ui/workwindow.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace rida::archive {
class Store;
}

namespace rida::admin {

class RegionCodesWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    // The file dialog starts in the application folder's "Regions", where the sample list lies.
    // Throws ArchiveError (NotAllowed) unless the signed-in user may manage the region codes.
    RegionCodesWindow(const QString& appDir, archive::Store& store);

    QLabel* codeCount;         // "행정코드 N개"
    QPushButton* importButton; // "법정동코드 파일 가져오기..."
    QListWidget* districtList; // every 시군구 of the list, the office's checked
    QPushButton* chooseButton; // "선택한 시군구 저장"
    QListWidget* townList;     // the 읍면동 the region lists offer now

    void importFile();
    void saveChoice();

    // The codes of the checked 시군구.
    QStringList checkedDistricts() const;

private:
    void showRegions();
    archive::Store& store_;
};

} // namespace rida::admin
