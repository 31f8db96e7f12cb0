#pragma once
// The file browser "파일 탐색기": a drive list (the mounted file systems and
// the home folder), the folder list of the chosen drive, the list of the image
// files of the current folder, and the two read-only fields that name the
// previewed file. The lists are linked: choosing a drive shows its root folder,
// opening a folder (double-click or Enter) lists its folders and files.
//
// The file list holds names only: nothing is decoded and every entry shares
// one icon, so a folder of thousands of scans opens at once.
//
// Names in the window forms → ours (each control keeps the form name as its objectName):
//   DriveComboBox1 → driveList, DirectoryListBox1 → folderList, FileListBox1 → fileList, pathname → folderField,
//   imgname → nameField, MenuItem1 → deleteFileAction

#include "components/folderlisting.h"

#include <QGroupBox>
#include <QListWidget>

#include <filesystem>
#include <optional>

class QComboBox;
class QLineEdit;
class QMenu;
class QAction;

namespace rida::components {

// The file list. `chosen` is the user's choice of an entry: a click on it, or
// a key that moves the current entry (arrows, Home, End, page keys, typing).
// A right-button press opens the popup menu and leaves the selection as it is,
// so that a popup command acts on the selected entry, not on the one under the pointer.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

signals:
    void chosen();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    int rowAtPress_ = -1;
};

class FileBrowser : public QGroupBox {
    Q_OBJECT
public:
    // `masks` such as "*.jpg" (see matchesMask).
    explicit FileBrowser(const QString& masks, QWidget* parent = nullptr);

    QComboBox* driveList;
    QListWidget* folderList;
    FileListBox* fileList;
    QLineEdit* folderField;
    QLineEdit* nameField;
    QMenu* fileMenu;           // the file list's popup menu
    QAction* deleteFileAction; // "파일 삭제"

    // Shows `folder` in the folder list and its files in the file list, with
    // no file selected. Throws model::Error when it cannot be read; the lists
    // then stay as they were.
    void openFolder(const std::filesystem::path& folder);
    const std::filesystem::path& folder() const { return folder_; }

    // Lists the current folder's files again, with no file selected. When the
    // folder has gone meanwhile, the browser moves to the nearest folder above
    // it that still exists and the error is thrown for the caller to report.
    void rereadFiles();
    // Makes the first entry current without anything being chosen; false when the list is empty.
    bool selectFirstFile();
    // The selected entry's full path, or nothing when no entry is selected.
    std::optional<std::filesystem::path> selectedFile() const;

    // "파일 삭제": removes the selected file without asking (to the desktop's
    // trash where there is one), lists the folder again and makes its first
    // entry current. A file that cannot be removed is reported and stays
    // listed. Returns true when an entry is current afterwards, for the window
    // to preview it; otherwise nothing is named as previewed any more.
    bool deleteSelectedFile();

    // `folderField` := the file's folder with its trailing separator, `nameField` := its name.
    void showPreviewed(const std::filesystem::path& file);
    void clearPreviewed();
    // Both fields name a file.
    bool hasPreviewed() const;

    // The drive list's entries: mount points first, then the home folder.
    QStringList driveTexts() const;

signals:
    void fileChosen();
    void deleteRequested();

private:
    void fillDrives();
    void selectDriveFor(const std::filesystem::path& folder);
    void fillFolderList(const std::filesystem::path& folder, const std::vector<FolderEntry>& subfolders);
    void fillFileList(const std::vector<FolderEntry>& files);
    void driveChosen(int index);
    void folderActivated(QListWidgetItem* item);

    QString masks_;
    std::filesystem::path folder_;
};

} // namespace rida::components
