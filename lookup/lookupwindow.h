#pragma once
// The lookup window "지가조서 조회": the search panel, the record and lot grids,
// the page viewer and the output bar.

#include "ui/workwindow.h"

class QGroupBox;

namespace rida::ui::grid {
class GridPanel;
class StringGrid;
} // namespace rida::ui::grid

namespace rida::viewer {
class ImageViewer;
}

namespace rida::components {
class SearchPanel;
}

namespace rida::lookup {

class OutputBar;

class LookupWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    explicit LookupWindow(const QString& appDir);
    ~LookupWindow() override;

    // Controls, named as in the window form.
    components::SearchPanel* suiPanel6;        // "지번 검색"
    ui::grid::GridPanel* suiPanel5;  // "검색된 지가조서"
    ui::grid::StringGrid* xgrid;
    ui::grid::GridPanel* suiPanel7;  // "검색된 지번"
    ui::grid::StringGrid* ygrid;
    QGroupBox* suiPanel1;          // the viewer's panel
    viewer::ImageViewer* viewer;  // ImgView, ScaleCombo and the page tools
    QWidget* outputBar;            // the output commands' bar; filled by the output commands
    OutputBar* output;             // its controls and commands (suiButton13, CheckBox1, ...)

    bool searchDone() const { return SearchDone; }
    int selectedRecordRow() const { return SelectedRecordRow; }
    int selectedLotRow() const { return SelectedLotRow; }

    // Handlers.
    void suiButton18Click();  // "검색"
    void xgridSelectCell(int row);
    void xgridDblClick();     // opens the record of SelectedRecordRow
    void ygridSelectCell(int row);
    void ygridClick();
    void PrintPage();         // "출력", F9
    void N7Click();           // "다시 열기": the record's page again

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
    void ResetSearch();
    void ClearLots();
    void openHelp();

    bool SearchDone = false;
    int SelectedRecordRow = 0;  // 0 is the header row: no record chosen yet
    int SelectedLotRow = 0;
};

} // namespace rida::lookup
