#pragma once
// The work window "알파/기타 용지 자동 등록": reads whole folders of scanned
// land-price record sheets printed on the preprinted form paper and lists the
// lot numbers printed on them; its second tab offers the manual lot entry.
//
// Settings live in their controls while the window is open and start from
// fixed values whenever it is created; nothing is saved. The text settings
// have no key filter: any characters up to the field's length can be typed,
// and a command that uses them converts them to whole numbers when it starts.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QPoint>
#include <QPointF>

#include "recognition/engine/batch.h"
#include "ui/workwindow.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

namespace rida::viewer {
class ImageViewer;
}

namespace rida::components {
class AttributePanel;
class FileBrowser;
class LotList;
} // namespace rida::components

namespace rida::recognition {

class BlockingRun;
class RadioGroup;

class AutoRegistrationWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    explicit AutoRegistrationWindow(const QString& appDir);
    ~AutoRegistrationWindow() override;

    // Left panel "자동인식/등록".
    QGroupBox* leftPanel;
    // DriveComboBox1, DirectoryListBox1, FileListBox1 ("*.bmp;*.jpg;*.jpeg",
    // pop-up menu "파일 삭제"), pathname, imgname.
    components::FileBrowser* browser;
    viewer::ImageViewer* viewer;  // ImgView with ScaleCombo

    // "문서 속성 선택".
    QGroupBox* attributePanel;
    components::AttributePanel* attributes;
    QComboBox* xkind;
    QLineEdit* xdate;
    QLineEdit* xmonth;
    QComboBox* xjuso1;
    QComboBox* xjuso2;

    // Page control `sel`: 0 "알파/기타용지 자동등록", 1 "수동등록".
    QTabWidget* sel;
    QWidget* autoTab;
    QWidget* manualTab;
    QPushButton* suiButton1;  // "자동 등록"
    QProgressBar* totbar;     // "폴더 :"
    QProgressBar* ingbar;     // "파일 :"
    QProgressBar* isbar;      // "인식 :"
    QProgressBar* cutbar;     // "편집 :"
    QLabel* Label22;          // folders "0/0", never changed
    QLabel* Label5;           // files done / files listed
    QLabel* Label15;          // rows listed on the current page, "/15"
    QLabel* Label7;           // "분석파일 : " + the file being analysed
    QPlainTextEdit* mLog;     // "등록 실패 파일 목록 :"
    QPlainTextEdit* memo1;    // "인식 성공 필지 :"
    QGroupBox* lotPanel;      // "지가조서 지번(필지) 입력"
    components::LotList* lots;  // san, xjuso3, xjuso4, the arrows, "0" buttons, jusogrid, "추가", "삭제", "등록(F9)"

    // Lower right panel "환경설정" with its page control.
    QGroupBox* settingsPanel;
    QTabWidget* suiPageControl1;
    // "환경설정"
    QLineEdit* doxnum;
    QLineEdit* errnum;
    RadioGroup* cmck;
    RadioGroup* nmck;
    RadioGroup* cutck;
    RadioGroup* dck;
    // "영역설정"
    QLineEdit* xpt;
    QLineEdit* ypt;
    QLineEdit* styval;
    QLineEdit* stxval;
    QLineEdit* xcell;
    QLineEdit* xzone;
    QPushButton* suiButton5;   // "설정": ypt → styval
    QPushButton* suiButton7;   // "설정": xpt → stxval
    QPushButton* suiButton10;  // "설정": xpt → xcell
    QPushButton* suiButton6;   // "설정": xpt → xzone
    // "인식형태설정"
    RadioGroup* erck;
    QLineEdit* alsu;
    QPushButton* suiButton9;   // "테스트"
    // "인식폰트"
    RadioGroup* fontck;
    // "수동등록화면"
    QPushButton* suiButton3;   // "적용", no effect

    // Commands.
    // "자동 등록": reads every listed file; see RunObserver in the source for what each step shows.
    void suiButton1Click();
    bool running() const;
    void suiButton5Click();
    void suiButton7Click();
    void suiButton10Click();
    void suiButton6Click();
    void suiButton3Click() {}
    // "테스트": the chosen file with its background removed by the chosen mode, shown at the view's scale.
    void suiButton9Click();
    // A file chosen in the file list: `pathname` and `imgname` name it, the view
    // shows it, `memo1` is emptied and the focus returns to the file list. With
    // the automatic tab in front the view goes to kAutoTabScaleEntry centred on
    // kAutoTabCentre; with the manual tab in front it keeps its scale and the
    // page point in its middle, so that sheet after sheet shows the same part,
    // also after a registration has emptied the view (the first sheet shown
    // comes as on the automatic tab).
    void FileListBox1Click();
    // "파일 삭제".
    void N1801Click();
    // "등록(F9)" of the manual tab, and F9 anywhere in the window.
    void suiButton18Click();
    // The manual tab's "삭제": the lot list's delete command, bound to that button only.
    void suiButton2Click();
    // The window's keys, seen before the focused control (which gets them too): F9 registers.
    void keyPreview(int key) override;
    void ResetManualEntry();

    // Where a chosen file is shown while the automatic tab is in front: this
    // scale list entry ("50%"), centred on this page point.
    static constexpr int kAutoTabScaleEntry = 5;
    static constexpr QPointF kAutoTabCentre{750, 300};
    // A left press on the page view that starts a drag reports its page point
    // (page pixels, truncated toward zero); it goes to `xpt` and `ypt`.
    void capturePagePoint(QPoint page);

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Full names (native bytes) of the files the file list shows, in its order.
    std::vector<std::string> listedFiles() const;
    // The settings a run reads, converted from their fields in the order the run
    // first needs them; a text that is no whole number throws model::ConversionError.
    RecognitionSettings runSettings() const;
    void buildAttributePanel();
    void buildRunTab();
    void buildManualTab();
    void buildSettingsPanel();
    QWidget* buildEnvironmentTab();
    QWidget* buildAreaTab();
    QWidget* buildRemovalTab();
    QWidget* buildFontTab();
    QWidget* buildManualScreenTab();
    void FormShow();
    void FormCloseQuery();
    bool shown_ = false;
    // Where the view stood when a registration emptied it.
    std::optional<QPointF> manualCentre_;

    QVBoxLayout* leftLayout_;
    // The run's buffers, the working page among them: created with the window, released when it closes.
    std::unique_ptr<Recognizer> recognizer_;
    BlockingRun* run_;
};

} // namespace rida::recognition
