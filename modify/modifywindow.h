#pragma once
// The work window "지가조서 수정/삭제": the search panel and result grids of the
// lookup window, an image view with its scale box, a panel for adding a lot
// and panels for deleting. In this build it is a layout only: its command
// buttons have no action, nothing fills its grids and no page is loaded.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   suiPanel6 → searchPanel, suiPanel5 → recordPanel, xgrid → recordGrid, suiPanel7 → lotPanel, ygrid → lotGrid,
//   suiPanel1 → viewerPanel, suiButton5 → deleteLotButton, suiPanel2 → lotAddPanel, rexjuso1 → addTownList, rexjuso2
//   → addVillageList, resan → addSanBox, rexjuso3 → addMainNumber, rexjuso4 → addSubNumber, suiButton4 →
//   addLotButton, suiPanel3 → documentDeletePanel, suiButton26 → deleteDocumentButton, FormCreate → resetState

#include "components/regionsource.h"
#include "ui/workwindow.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace rida::ui::grid {
class GridPanel;
class StringGrid;
} // namespace rida::ui::grid

namespace rida::viewer {
class ImageViewer;
}

namespace rida::components {
class LotNumberField;
class SearchPanel;
} // namespace rida::components

namespace rida::modify {

class ModifyWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    // `regions` fills the region lists of the search panel and of "지번 추가".
    explicit ModifyWindow(const QString& appDir,
                          std::shared_ptr<components::RegionSource> regions = components::sampleRegions());

    // Controls, named as in the window form.
    components::SearchPanel* searchPanel; // "지번 검색"
    ui::grid::GridPanel* recordPanel;     // "검색된 지가조서"
    ui::grid::StringGrid* recordGrid;
    ui::grid::GridPanel* lotPanel; // "검색된 지번"
    ui::grid::StringGrid* lotGrid;
    QPushButton* deleteLotButton; // "삭제" of a lot
    QGroupBox* viewerPanel;       // "이미지 뷰어"
    viewer::ImageViewer* viewer;  // ImgView and ScaleCombo
    QGroupBox* lotAddPanel;       // "지번 추가"
    QComboBox* addTownList;
    QComboBox* addVillageList;
    QCheckBox* addSanBox;
    components::LotNumberField* addMainNumber; // 본번
    components::LotNumberField* addSubNumber;  // 부번
    QPushButton* addLotButton;                 // "추가"
    QGroupBox* documentDeletePanel;            // "문서/필지 전체 삭제"
    QPushButton* deleteDocumentButton;         // "삭제" of the whole document

    bool searchDone() const { return searchDone_; }
    int selectedRecordRow() const { return selectedRecordRow_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void resetState();
    QGroupBox* buildLotAddPanel(const std::shared_ptr<components::RegionSource>& regionSource);
    QGroupBox* buildDeletePanel();

    bool searchDone_ = false;
    int selectedRecordRow_ = 0;
};

} // namespace rida::modify
