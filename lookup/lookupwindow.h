#pragma once
// The lookup window "지가조서 조회": the search panel, the record and lot grids,
// the page viewer and the output bar.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   suiPanel6 → searchPanel, suiPanel5 → recordPanel, xgrid → recordGrid, suiPanel7 → lotPanel, ygrid → lotGrid,
//   suiPanel1 → viewerPanel, suiButton18Click → search, xgridSelectCell → onRecordRowSelected, xgridDblClick →
//   openSelectedRecord, ygridSelectCell → onLotRowSelected, ygridClick → onLotClicked, PrintPage → printPage,
//   N7Click → reopenRecord, ResetSearch → resetSearch, ClearLots → clearLots

#include "components/pagefiling.h"
#include "components/regionsource.h"
#include "ui/workwindow.h"

#include <memory>
#include <optional>

class QGroupBox;

namespace rida::ui::grid {
class GridPanel;
class StringGrid;
} // namespace rida::ui::grid

namespace rida::viewer {
class ImageViewer;
}

namespace rida::components {
class RecordLookup;
class SearchPanel;
} // namespace rida::components

namespace rida::lookup {

class OutputBar;

class LookupWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    // `regions` fills the search panel's region lists. With `archive` (the
    // archive edition) the search reads every criterion of the panel and
    // lists the stored documents, an opened record shows its stored page and
    // lots, and the arrows step the 부번 and search again; without it (the
    // demonstration build) every search lists the sample record.
    explicit LookupWindow(const QString& appDir,
                          std::shared_ptr<components::RegionSource> regions = components::sampleRegions(),
                          std::optional<components::PageArchive> archive = std::nullopt);
    ~LookupWindow() override;

    // Controls, named as in the window form.
    components::SearchPanel* searchPanel; // "지번 검색"
    ui::grid::GridPanel* recordPanel;     // "검색된 지가조서"
    ui::grid::StringGrid* recordGrid;
    ui::grid::GridPanel* lotPanel; // "검색된 지번"
    ui::grid::StringGrid* lotGrid;
    QGroupBox* viewerPanel;      // the viewer's panel
    viewer::ImageViewer* viewer; // ImgView, ScaleCombo and the page tools
    QWidget* outputBar;          // the output commands' bar; filled by the output commands
    OutputBar* output;           // its controls and commands (suiButton13, CheckBox1, ...)

    bool searchDone() const { return searchDone_; }
    int selectedRecordRow() const { return selectedRecordRow_; }
    int selectedLotRow() const { return selectedLotRow_; }

    // Handlers.
    void search(); // "검색"
    void onRecordRowSelected(int row);
    void openSelectedRecord(); // opens the record of selectedRecordRow_
    void onLotRowSelected(int row);
    void onLotClicked();
    void stepSubNumber(int step); // "전 부번" -1, "후 부번" +1, then the search (archive edition)
    void printPage();             // "출력", F9
    void reopenRecord();          // "다시 열기": the record's page again

signals:
    // F9 and "출력": the output commands print the shown page.
    void printPageRequested();
    // A page tool changed the page in memory ("적용", brightness): the output
    // commands then print the page as modified ("수정출력").
    void pageModified();

protected:
    void showEvent(QShowEvent* e) override;
    // The window's keys F1..F3, F5..F9 and F12, seen before the focused control (which gets them too).
    void keyPreview(int key) override;

private:
    void resetSearch();
    void clearLots();
    void openHelp();

    std::unique_ptr<components::RecordLookup> lookup_; // the archive edition's
    bool searchDone_ = false;
    int selectedRecordRow_ = 0; // 0 is the header row: no record chosen yet
    int selectedLotRow_ = 0;
};

} // namespace rida::lookup
