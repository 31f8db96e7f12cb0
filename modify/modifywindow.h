#pragma once
// The work window "지가조서 수정/삭제": the search panel and result grids of the
// lookup window, an image view with its scale box, a panel for adding a lot
// and panels for deleting. In the demonstration build it is a layout only:
// its command buttons have no action, nothing fills its grids and no page is
// loaded.
//
// In the archive edition it works on the stored records: "검색" searches as
// the lookup window does; a double-click opens the record (its page in the
// view, its lots in the lot grid, its kind, year and month in the "문서 속성"
// row of the lot-add panel); "추가" adds the lot typed in its panel, "삭제"
// under the lot grid removes the selected lot after "지번을 취소하겠습니까?"
// (never the last one), "수정" corrects the kind, year and month, and the
// whole-document "삭제" (관리자 only) deletes the document and puts its page
// back ("입력 폴더로 복구"). Each change is made on the version of the record
// that was opened: when somebody changed it since, the window says so and
// shows the record as it is now. 조회자 sees the window read-only.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   suiPanel6 → searchPanel, suiPanel5 → recordPanel, xgrid → recordGrid, suiPanel7 → lotPanel, ygrid → lotGrid,
//   suiPanel1 → viewerPanel, suiButton5 → deleteLotButton, suiPanel2 → lotAddPanel, rexjuso1 → addTownList, rexjuso2
//   → addVillageList, resan → addSanBox, rexjuso3 → addMainNumber, rexjuso4 → addSubNumber, suiButton4 →
//   addLotButton, suiPanel3 → documentDeletePanel, suiButton26 → deleteDocumentButton, FormCreate → resetState
// Ours, no form name: attributeKindList, attributeYear, attributeMonth, changeAttributesButton ("문서 속성").

#include "archive/store.h"
#include "components/pagefiling.h"
#include "components/regionsource.h"
#include "ui/workwindow.h"

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
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
class RecordLookup;
class SearchPanel;
} // namespace rida::components

namespace rida::modify {

class ModifyWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    // `regions` fills the region lists of the search panel and of "지번 추가".
    // With `archive` (the archive edition) its commands work on the store.
    explicit ModifyWindow(const QString& appDir,
                          std::shared_ptr<components::RegionSource> regions = components::sampleRegions(),
                          std::optional<components::PageArchive> archive = std::nullopt);
    ~ModifyWindow() override;

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
    QComboBox* attributeKindList;              // "문서 속성": the opened record's kind
    QLineEdit* attributeYear;                  // its survey year
    QLineEdit* attributeMonth;                 // its survey month
    QPushButton* changeAttributesButton;       // "수정"

    bool searchDone() const { return searchDone_; }
    int selectedRecordRow() const { return selectedRecordRow_; }
    int selectedLotRow() const { return selectedLotRow_; }
    // The record opened in the archive edition, as it was read.
    const std::optional<archive::StoredDocument>& openedRecord() const { return opened_; }

    // Handlers of the archive edition.
    void search();
    void openSelectedRecord();
    void addLot();
    void removeSelectedLot();
    void changeAttributes();
    void deleteDocument();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void resetState();
    QGroupBox* buildLotAddPanel(const std::shared_ptr<components::RegionSource>& regionSource);
    QGroupBox* buildDeletePanel();
    void showOpened();
    void closeRecord();
    // Runs a change of the opened record; a refusal is said, and one because
    // the record changed since it was opened shows the record as it is now.
    void change(const std::function<void()>& command);

    std::unique_ptr<components::RecordLookup> lookup_;
    std::optional<archive::StoredDocument> opened_;
    bool searchDone_ = false;
    int selectedRecordRow_ = 0;
    int selectedLotRow_ = 0;
};

} // namespace rida::modify
