#pragma once
// The work window "지가조서 등록": registering scanned pages by hand. The user
// browses folders for page images, previews one, fills in its document
// attributes and lists the lot numbers that the page covers. This build
// registers nothing: the register button has no action, and the only change
// the window makes to the file system is "파일 삭제" in the file list.

#include "ui/workwindow.h"

#include <filesystem>

class QComboBox;
class QLineEdit;
class QTabWidget;
class QWidget;
class QPushButton;
class QRadioButton;

namespace rida::registration {

class FileBrowser;
class LotList;
class PreviewPane;

class Tjiga_insert : public ui::WorkWindow {
    Q_OBJECT
public:
    explicit Tjiga_insert(const QString& appDir);

    // The scale box entry a newly previewed page gets, and the page point the
    // view then centres on as far as the scroll bars allow (the top-left corner).
    static constexpr const char* kPreviewScale = "50%";

    FileBrowser* browser;     // suiPanel2 "파일 탐색기"
    QTabWidget* xsel;
    QWidget* suiTabSheet1;    // "지가조서속성 입력"
    QWidget* suiTabSheet2;    // "환경설정", disabled
    QComboBox* xkind;
    QLineEdit* xdate;
    QLineEdit* xmonth;
    QComboBox* xjuso1;
    QComboBox* xjuso2;
    LotList* lots;
    QRadioButton* cmCopy;     // cmck "복사"
    QRadioButton* cmMove;     // cmck "이동"
    QRadioButton* nmChange;   // nmck "변경"
    QRadioButton* nmKeep;     // nmck "미변경"
    QPushButton* suiButton1;  // "적용", no action
    PreviewPane* viewer;      // suiPanel1 "이미지 뷰어"

    void ResetManualEntry();
    void FileListBox1Click();
    void MenuItem1Click();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    // Window keys, seen before the focused control (which then gets them too); true when handled.
    bool FormKeyDown(int key);
    void buildAttributeTab();
    void buildSettingsTab();
    void preview(const std::filesystem::path& file);

    bool shown_ = false;
};

} // namespace rida::registration
