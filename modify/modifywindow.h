#pragma once
// The work window "지가조서 수정/삭제": the search panel and result grids of the
// lookup window, an image view with its scale box, a panel for adding a lot
// and panels for deleting. In this build it is a layout only: its command
// buttons have no action, nothing fills its grids and no page is loaded.

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
    explicit ModifyWindow(const QString& appDir);

    // Controls, named as in the window form.
    components::SearchPanel* suiPanel6;  // "지번 검색"
    ui::grid::GridPanel* suiPanel5;  // "검색된 지가조서"
    ui::grid::StringGrid* xgrid;
    ui::grid::GridPanel* suiPanel7;  // "검색된 지번"
    ui::grid::StringGrid* ygrid;
    QPushButton* suiButton5;         // "삭제" of a lot
    QGroupBox* suiPanel1;            // "이미지 뷰어"
    viewer::ImageViewer* viewer;     // ImgView and ScaleCombo
    QGroupBox* suiPanel2;            // "지번 추가"
    QComboBox* rexjuso1;
    QComboBox* rexjuso2;
    QCheckBox* resan;
    components::LotNumberField* rexjuso3;  // 본번
    components::LotNumberField* rexjuso4;  // 부번
    QPushButton* suiButton4;         // "추가"
    QGroupBox* suiPanel3;            // "문서/필지 전체 삭제"
    QPushButton* suiButton26;        // "삭제" of the whole document

    bool searchDone() const { return SearchDone; }
    int selectedRecordRow() const { return SelectedRecordRow; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void FormCreate();
    QGroupBox* buildLotAddPanel();
    QGroupBox* buildDeletePanel();

    bool SearchDone = false;
    int SelectedRecordRow = 0;
};

} // namespace rida::modify
