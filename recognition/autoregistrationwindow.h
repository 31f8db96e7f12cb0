#pragma once
// The work window "알파/기타 용지 자동 등록": reads whole folders of scanned
// land-price record sheets printed on the preprinted form paper and lists the
// lot numbers printed on them; its second tab offers the manual lot entry.
//
// Settings live in their controls while the window is open and start from
// fixed values whenever it is created (in the archive edition 복사/이동 and
// 파일명규칙변경 from the office's settings); nothing is saved. The text settings
// have no key filter: any characters up to the field's length can be typed,
// and a command that uses them converts them to whole numbers when it starts.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   suiButton9Click → testRemoval, suiButton3Click → applyManualView, xkind → attributes->kindList, xdate →
//   attributes->yearField, xmonth → attributes->monthField, xjuso1 → attributes->townList, xjuso2 →
//   attributes->villageList, sel → modeTabs, suiButton1Click → runRecognition, suiButton1 → runButton, totbar →
//   folderBar, ingbar → fileBar, isbar → rowBar, cutbar → editBar, Label22 → folderCount, Label5 → fileCount,
//   Label15 → rowCount, Label7 → analysedFile, mLog → failureLog, memo1 → recognisedLots, FileListBox1Click →
//   showChosenFile, N1801Click → deleteChosenFile, suiButton18Click → registerManualEntry, suiButton2Click →
//   deleteLot, ResetManualEntry → resetManualEntry, FormShow → openImageFolder, FormCloseQuery → releaseRunBuffers,
//   the settings (doxnum, erck, xpt ...) → settingsPanel (settingspanel.h)

#include "components/pagefiling.h"
#include "components/regionsource.h"
#include "components/runfiling.h"
#include "recognition/engine/batch.h"
#include "ui/labels.h"
#include "ui/workwindow.h"

#include <QPoint>
#include <QPointF>

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
class RecognitionSettingsPanel;

class AutoRegistrationWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    // `regions` fills the region lists of the document attributes. With
    // `archive` (the archive edition) "등록(F9)" files the page there; without
    // it (the demonstration build) it only confirms and resets the entry.
    explicit AutoRegistrationWindow(const QString& appDir,
                                    std::shared_ptr<components::RegionSource> regions = components::sampleRegions(),
                                    std::optional<components::PageArchive> archive = std::nullopt);
    ~AutoRegistrationWindow() override;

    // Left panel "자동인식/등록".
    QGroupBox* leftPanel;
    // DriveComboBox1, DirectoryListBox1, FileListBox1 ("*.bmp;*.jpg;*.jpeg",
    // pop-up menu "파일 삭제"), pathname, imgname.
    components::FileBrowser* browser;
    viewer::ImageViewer* viewer; // ImgView with ScaleCombo

    // "문서 속성 선택".
    QGroupBox* attributePanel;
    components::AttributePanel* attributes;

    // Page control `modeTabs`: 0 "알파/기타용지 자동등록", 1 "수동등록".
    QTabWidget* modeTabs;
    QWidget* autoTab;
    QWidget* manualTab;
    QPushButton* runButton;         // "자동 등록"
    QProgressBar* folderBar;        // "폴더 :"
    QProgressBar* fileBar;          // "파일 :"
    QProgressBar* rowBar;           // "인식 :"
    QProgressBar* editBar;          // "편집 :"
    ui::LiveLabel* folderCount;     // folders "0/0", never changed
    ui::LiveLabel* fileCount;       // files done / files listed
    ui::LiveLabel* rowCount;        // rows listed on the current page, "/15"
    ui::LiveLabel* analysedFile;    // "분석파일 : " + the file being analysed
    QPlainTextEdit* failureLog;     // "등록 실패 파일 목록 :"
    QPlainTextEdit* recognisedLots; // "인식 성공 필지 :"
    QGroupBox* lotPanel;            // "지가조서 지번(필지) 입력"
    components::LotList* lots; // san, xjuso3, xjuso4, the arrows, "0" buttons, jusogrid, "추가", "삭제", "등록(F9)"

    // Lower right panel "환경설정": the recognition settings and their page control.
    RecognitionSettingsPanel* settingsPanel;

    // Commands.
    // "자동 등록": reads every listed file; see RunObserver in the source for what each step shows.
    void runRecognition();
    bool running() const;
    // During a run: the run stops before its next file, asks nothing, and the window closes then.
    void programEnding() override;
    // Read by the run's own thread before each file: the program is ending,
    // or (archive edition) the page folder or the database took no more pages.
    bool cancelRequested() const { return cancelRequested_.load() || filingStopped_.load(); }
    // Archive edition, on the window's thread while the run reads on: files a
    // page the run read, under the region of its folder, and shows the outcome
    // (a failure line, the edit bar). After a stop it files nothing more.
    void fileRecognisedPage(const std::string& fullName, const std::vector<std::string>& lotLines,
                            const QString& sha256, const QString& regionCode);
    // "테스트": the chosen file with its background removed by the chosen mode, shown at the view's scale.
    void testRemoval();
    // A file chosen in the file list: `pathname` and `imgname` name it, the view
    // shows it, `recognisedLots` is emptied and the focus returns to the file list. With
    // the automatic tab in front the view goes to kAutoTabScaleEntry centred on
    // kAutoTabCentre; with the manual tab in front it keeps its scale and the
    // page point in its middle, so that sheet after sheet shows the same part,
    // also after a registration has emptied the view (the first sheet shown
    // comes as on the automatic tab).
    void showChosenFile();
    // "파일 삭제".
    void deleteChosenFile();
    // "등록(F9)" of the manual tab, and F9 anywhere in the window. In the
    // archive edition, after the check for lots and before the question, the
    // checks of the page and the attributes, and after it the page is filed
    // as 복사/이동, 파일명규칙변경 and 이미지공백제거 say.
    void registerManualEntry();
    // The manual tab's "삭제": the lot list's delete command, bound to that button only.
    void deleteLot();
    // The window's keys, seen before the focused control (which gets them too): F9 registers.
    void keyPreview(int key) override;
    void resetManualEntry();

    // Where a chosen file is shown while the automatic tab is in front: this
    // scale list entry ("50%"), centred on this page point.
    static constexpr int kAutoTabScaleEntry = 5;
    static constexpr QPointF kAutoTabCentre{750, 300};

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Full names (native bytes) of the files the file list shows, in its order.
    std::vector<std::string> listedFiles() const;
    void buildAttributePanel(std::shared_ptr<components::RegionSource> regions);
    void buildRunTab();
    void buildManualTab();
    void openImageFolder();
    void releaseRunBuffers();
    // The archive edition's part of the register command: false when a check
    // or the filing failed (said to the user) or the question was answered No.
    bool fileManualEntry();
    // 복사/이동, 파일명규칙변경 and 이미지공백제거 as the settings panel shows them.
    void applyFilingSettings(components::EntryFiling& entry) const;
    // The archive edition's run: the document attributes checked, the folders
    // to read (the shown one under the chosen region, or every region folder
    // below it) and the filing set up. False when a check failed (said to the user).
    bool prepareArchiveRun(std::vector<components::RunFolder>& folders);
    std::unique_ptr<components::RunFiling> runFiling_;
    std::atomic<bool> filingStopped_{false};
    QString filingStopMessage_;
    bool shown_ = false;
    std::shared_ptr<components::RegionSource> regions_;
    std::optional<components::PageArchive> archive_;
    // The page `pathname` and `imgname` name, in the file system's own bytes.
    std::optional<std::filesystem::path> previewedFile_;
    std::atomic<bool> cancelRequested_{false};
    bool closeAfterRun_ = false;
    // Where the view stood when a registration emptied it.
    std::optional<QPointF> manualCentre_;

    QVBoxLayout* leftLayout_;
    // The run's buffers, the working page among them: created with the window, released when it closes.
    std::unique_ptr<Recognizer> recognizer_;
    BlockingRun* run_;
};

} // namespace rida::recognition
