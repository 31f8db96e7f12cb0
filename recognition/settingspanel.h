#pragma once
// The lower right panel "환경설정" of the automatic registration window: the
// recognition settings on five tabs, each field starting from the engine's
// own default (RecognitionSettings{}), and the page point that a press on the
// page view picks. Settings are text fields that may hold anything up to their
// length; runSettings() converts them when a command starts.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   suiPageControl1 → settingsTabs, doxnum → minRowsField, errnum → stopAfterField, cmck → copyMoveChoice, nmck →
//   renameChoice, cutck → marginChoice, dck → regionFolderChoice, xpt → pickedX, ypt → pickedY, styval → topYField,
//   stxval → leftXField, xcell → tableXField, xzone → zoneXField, suiButton5Click → setTopYFromPick, suiButton7Click
//   → setLeftXFromPick, suiButton10Click → setTableXFromPick, suiButton6Click → setZoneXFromPick, suiButton5 →
//   setTopYButton, suiButton7 → setLeftXButton, suiButton10 → setTableXButton, suiButton6 → setZoneXButton, erck →
//   removalChoice, alsu → levelField, suiButton9 → testButton, fontck → typefaceChoice, suiButton3 →
//   applyManualViewButton

#include "recognition/engine/settings.h"

#include <QGroupBox>
#include <QPoint>

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace rida::recognition {

class RadioGroup;

class RecognitionSettingsPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit RecognitionSettingsPanel(QWidget* parent = nullptr);

    QTabWidget* settingsTabs;
    // "환경설정"
    QLineEdit* minRowsField;
    QLineEdit* stopAfterField;
    RadioGroup* copyMoveChoice;
    RadioGroup* renameChoice;
    RadioGroup* marginChoice;
    RadioGroup* regionFolderChoice;
    // "영역설정"
    QLineEdit* pickedX;
    QLineEdit* pickedY;
    QLineEdit* topYField;
    QLineEdit* leftXField;
    QLineEdit* tableXField;
    QLineEdit* zoneXField;
    QPushButton* setTopYButton;   // "설정": pickedY → topYField
    QPushButton* setLeftXButton;  // "설정": pickedX → leftXField
    QPushButton* setTableXButton; // "설정": pickedX → tableXField
    QPushButton* setZoneXButton;  // "설정": pickedX → zoneXField
    // "인식형태설정"
    RadioGroup* removalChoice;
    QLineEdit* levelField;
    QPushButton* testButton; // "테스트"
    // "인식폰트"
    RadioGroup* typefaceChoice;
    // "수동등록화면"
    QPushButton* applyManualViewButton; // "적용", no effect

    // The "설정" buttons: the picked coordinate's text goes over unchanged, even
    // where it is longer than the setting lets the user type.
    void setTopYFromPick();
    void setLeftXFromPick();
    void setTableXFromPick();
    void setZoneXFromPick();
    // A left press on the page view that starts a drag reports its page point
    // (page pixels, truncated toward zero); it goes to `pickedX` and `pickedY`.
    void capturePagePoint(QPoint page);
    // The settings a run reads, converted from their fields in the order the run
    // first needs them; a text that is no whole number is kept as unreadable for
    // the step that reads it.
    RecognitionSettings runSettings() const;

private:
    QWidget* buildEnvironmentTab();
    QWidget* buildAreaTab();
    QWidget* buildRemovalTab();
    QWidget* buildFontTab();
    QWidget* buildManualScreenTab();
};

} // namespace rida::recognition
