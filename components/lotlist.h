#pragma once
// The lot list: the lot-number entry line (산, 본번 with its step arrows, "-",
// 부번 with its step arrows, "추가"), the lot grid `lotGrid` and the buttons
// "삭제" and "등록" beside it. A scanned page can belong to several parcels;
// before it is registered the user lists here the lot numbers it covers.
//
// The region (town and village) of every lot comes from the hosting window's
// region lists, which the first successful add disables: all lots of a list
// share one region, and only unlockRegion() enables the lists again. The
// hosting window also says whether a page has been chosen.
//
// Used by the manual registration window and by the manual tab of the
// automatic registration window; LotListOptions holds where they differ.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   xjuso3 → mainNumber, xjuso4 → subNumber, SuiArrowButton1Click → stepMainUp, SuiArrowButton2Click → stepMainDown,
//   SuiArrowButton3Click → stepSubUp, SuiArrowButton4Click → stepSubDown, SuiArrowButton1 → mainUpButton,
//   SuiArrowButton2 → mainDownButton, SuiArrowButton3 → subUpButton, SuiArrowButton4 → subDownButton,
//   suiButton4Click → addLot, suiButton5Click → deleteSelectedLot, suiButton11Click → zeroMainNumber,
//   suiButton8Click → zeroSubNumber, suiButton4 → addButton, suiButton2 → deleteButton, suiButton18 →
//   registerButton, suiButton11 → mainZeroButton, suiButton8 → subZeroButton, jusogridSelectCell →
//   onLotCellSelected, jusogrid → lotGrid, IsLotListed → isLotListed, sanClick → onSanClicked, SelectedLotRow →
//   selectedLotRow, san → sanBox

#include "model/landrecord.h"

#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace rida::ui::grid {
class StringGrid;
}

namespace rida::components {

struct LotListHost {
    QComboBox* town = nullptr;            // xjuso1: copied into each row, locked after the first add
    QComboBox* village = nullptr;         // xjuso2
    std::function<bool()> imageChosen;    // both `pathname` and `imgname` name a file
    QWidget* imageMissingFocus = nullptr; // where the focus goes when no page is chosen (xdate)
};

struct LotListOptions {
    enum class AfterAdd { RegisterButton, MainNumberSelected };

    QString lineCaption = QStringLiteral("지번 :");
    std::array<int, 5> columnWidths{55, 55, 32, 40, 40};
    // Enter in 본번 moves to 부번; with this set it also selects 부번's text.
    bool enterInMainSelectsSub = true;
    // Where the focus goes after a successful add.
    AfterAdd afterAdd = AfterAdd::RegisterButton;
    QString registerCaption = QStringLiteral("등록");
    // "0" buttons under the number fields (mainZeroButton, subZeroButton), setting them to "0".
    bool zeroButtons = false;
    // A click on 산 moves the focus to 본번 with its text selected.
    bool sanClickSelectsMain = false;

    // The manual registration window uses the defaults; the automatic
    // registration window's manual tab differs in these.
    static LotListOptions automaticTab();
};

class LotList : public QWidget {
    Q_OBJECT
public:
    // Grid columns.
    enum Column { ColTown = 0, ColVillage = 1, ColKind = 2, ColMain = 3, ColSub = 4 };

    LotList(const LotListHost& host, const LotListOptions& options, QWidget* parent = nullptr);

    QCheckBox* sanBox;
    QLineEdit* mainNumber;                 // 본번
    QLineEdit* subNumber;                  // 부번
    QToolButton* mainUpButton;             // 본번 up
    QToolButton* mainDownButton;           // 본번 down
    QToolButton* subUpButton;              // 부번 up
    QToolButton* subDownButton;            // 부번 down
    QPushButton* addButton;                // "추가"
    QPushButton* deleteButton;             // "삭제"
    QPushButton* registerButton;           // "등록": emits registerRequested only
    QPushButton* mainZeroButton = nullptr; // "0" under 본번 (LotListOptions::zeroButtons)
    QPushButton* subZeroButton = nullptr;  // "0" under 부번
    ui::grid::StringGrid* lotGrid;

    // The add command: checks the entry (page chosen, address, digits, duplicate)
    // and appends a lot row; the first failing check shows its message and moves the focus.
    void addLot();
    // True when the entered lot number is already a row. An empty sub number
    // counts as "0", the value the add command stores for it, so 12 with an
    // empty sub number and a row 12-0 are the same lot.
    bool isLotListed() const;
    // The delete command: with a lot row selected, asks and removes it; the last lot row is then selected.
    void deleteSelectedLot();
    void onLotCellSelected(int column, int row);
    // The step arrows; a text that is not a 32-bit integer goes to the general error report.
    void stepMainUp();
    void stepMainDown();
    void stepSubUp();
    void stepSubDown();
    // A click on 산 (where LotListOptions::sanClickSelectsMain): the focus to 본번, its text selected.
    void onSanClicked();
    // The "0" buttons (LotListOptions::zeroButtons): 본번 or 부번 becomes "0", whatever it held.
    void zeroMainNumber();
    void zeroSubNumber();

    // Grid row last reported as selected; 0 = no lot row selected.
    int selectedLotRow() const { return selectedLotRow_; }
    int lotCount() const;
    std::vector<model::Lot> lots() const;

    // The parts of a window's reset: remove every lot row; enable the region lists again.
    void clearLots();
    void unlockRegion();

signals:
    // "등록" was pressed (click, Enter or Space).
    void registerRequested();

private:
    QString entryKey() const;
    void step(QLineEdit* field, bool up);
    void warn(const QString& text);

    LotListHost host_;
    LotListOptions options_;
    int selectedLotRow_ = 0;
};

} // namespace rida::components
