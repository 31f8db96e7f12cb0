#pragma once
// The work window "지가조서 등록": registering scanned pages by hand. The user
// browses folders for page images, previews one, fills in its document
// attributes and lists the lot numbers that the page covers. The
// demonstration build registers nothing: its register button has no action,
// its settings tab is disabled, and the only change the window makes to the
// file system is "파일 삭제" in the file list. In the archive edition "등록"
// checks the entry, asks, files the page with its record (copied or moved, named
// as the settings tab says) and starts the next entry.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   xkind → attributes->kindList, xdate → attributes->yearField, xmonth → attributes->monthField, xjuso1 →
//   attributes->townList, xjuso2 → attributes->villageList, xsel → tabs, suiTabSheet1 → attributeTab, suiTabSheet2 →
//   settingsTab, suiButton1 → applyViewButton, suiPanel1 → viewerPanel, ResetManualEntry → resetManualEntry,
//   FileListBox1Click → previewChosenFile, MenuItem1Click → deleteChosenFile, FormShow → openImageFolder,
//   suiButton18Click → registerPage

#include "components/pagefiling.h"
#include "components/regionsource.h"
#include "ui/workwindow.h"

#include <QPointF>

#include <filesystem>
#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QTabWidget;
class QWidget;
class QPushButton;
class QRadioButton;

namespace rida::viewer {
class ImageViewer;
}

namespace rida::components {
class AttributePanel;
class FileBrowser;
class LotList;
} // namespace rida::components

namespace rida::registration {

class RegistrationWindow : public ui::WorkWindow {
    Q_OBJECT
public:
    // `regions` fills the region lists of the document attributes. With `archive`
    // (the archive edition) "등록" files the page there; without it (the
    // demonstration build) it has no action.
    explicit RegistrationWindow(const QString& appDir,
                                std::shared_ptr<components::RegionSource> regions = components::sampleRegions(),
                                std::optional<components::PageArchive> archive = std::nullopt);

    // A newly previewed page is shown at the scale box entry "50%", centred on
    // the page's top-left corner as far as the scroll bars allow: the top of
    // the page, where its lot numbers stand, at a size at which an A4 scan of
    // 200 dpi fits the viewer's width.
    static constexpr const char* kPreviewScale = "50%";

    components::FileBrowser* browser; // suiPanel2 "파일 탐색기"
    QTabWidget* tabs;
    QWidget* attributeTab; // "지가조서속성 입력"
    QWidget* settingsTab;  // "환경설정", disabled
    components::AttributePanel* attributes;
    components::LotList* lots;
    QRadioButton* cmCopy;         // cmck "복사"
    QRadioButton* cmMove;         // cmck "이동"
    QRadioButton* nmChange;       // nmck "변경"
    QRadioButton* nmKeep;         // nmck "미변경"
    QPushButton* applyViewButton; // "적용", no action
    QGroupBox* viewerPanel;       // "이미지 뷰어"
    rida::viewer::ImageViewer* viewer;

    void resetManualEntry();
    void previewChosenFile();
    void deleteChosenFile();
    // "등록" in the archive edition: the checks (page, kind, year, month, lots),
    // the question, the filing and the reset of the entry. Nothing in the
    // demonstration build.
    void registerPage();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void openImageFolder();
    // Window keys F7, F8, F12, seen before the focused control (which then gets them too).
    void keyPreview(int key) override;
    void buildAttributeTab(std::shared_ptr<components::RegionSource> regions);
    void buildSettingsTab();
    void preview(const std::filesystem::path& file);

    bool shown_ = false;
    std::shared_ptr<components::RegionSource> regions_;
    std::optional<components::PageArchive> archive_;
    // The page `pathname` and `imgname` name, in the file system's own bytes.
    std::optional<std::filesystem::path> previewedFile_;
};

} // namespace rida::registration
