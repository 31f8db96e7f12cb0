#pragma once
// The "지번 검색" panel of the lookup and modify windows: region lists, lot
// number, document kind, year range and the "검색" button, with the key
// filters of the search windows. The panel carries no command of its own: a
// window that searches connects to searchButton's clicked().
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   xjuso1 → townList, xjuso2 → villageList, xjuso3 → mainNumber, xjuso4 → subNumber, SuiArrowButton1 →
//   previousSubButton, SuiArrowButton2 → nextSubButton, kindck → kindFilterBox, xkind → kindList, xdtck →
//   yearRangeBox, fdate → yearFrom, rdate → yearTo, suiButton18 → searchButton, san → sanBox

#include "components/regionsource.h"
#include "model/landrecord.h"
#include "ui/fields.h"

#include <QGroupBox>
#include <QLineEdit>

class QCheckBox;
class QComboBox;
class QPushButton;
class QToolButton;

namespace rida::ui {
class NumberField;
}

namespace rida::components {

// A 본번 or 부번 field: at most four characters can be typed or pasted, any
// characters; a longer paste is cut to the room left. Code may write a longer
// number (F1 on "9999" gives "10000").
class LotNumberField : public ui::LengthLimitedEdit {
    Q_OBJECT
public:
    explicit LotNumberField(QWidget* parent = nullptr);
    static constexpr int kMaxTyped = 4;
};

// F1 and F2 of the lookup window: an empty field becomes "1", a whole number
// n becomes n + 1. Anything else throws model::ConversionError and leaves the
// field as it was.
void stepLotNumber(QLineEdit* field);

struct SearchPanelOptions {
    // The year the 연도범위 fields start with; 0 shows "0".
    int startYear = 0;
    // What the town and village lists offer.
    std::shared_ptr<RegionSource> regions = sampleRegions();
};

class SearchPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SearchPanel(const SearchPanelOptions& options, QWidget* parent = nullptr);

    // Fills 산, 본번 and 부번 with a lot as the lot grid shows it.
    void showLot(const QString& kindWord, const QString& main, const QString& sub);

    QComboBox* townList;    // town (읍/면)
    QComboBox* villageList; // village (리/동)
    QCheckBox* sanBox;
    LotNumberField* mainNumber;     // 본번
    LotNumberField* subNumber;      // 부번
    QToolButton* previousSubButton; // "전 부번"
    QToolButton* nextSubButton;     // "후 부번"
    QCheckBox* kindFilterBox;
    QComboBox* kindList;
    QCheckBox* yearRangeBox;
    ui::NumberField* yearFrom;
    ui::NumberField* yearTo;
    QPushButton* searchButton; // "검색"
};

// Region lists of the search windows: editable, holding their one sample item,
// and swallowing every typed character.
QComboBox* makeRegionList(const QString& item, const QString& accessibleName, QWidget* parent);

// A command button that Enter or Space clicks while it has the focus.
QPushButton* makeCommandButton(const QString& caption, QWidget* parent);

} // namespace rida::components
