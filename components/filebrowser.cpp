#include "components/filebrowser.h"

#include "model/error.h"
#include "ui/services.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <fstream>
#include <iterator>

namespace rida::components {

namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 10; // per folder level in the folder list

// Indents a folder entry, picture and name together, by its depth under the drive.
class FolderIndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) { return index.data(kDepthRole).toInt() * kIndentPixels; }
};

QVariant pathData(const fs::path& p)
{
    return QByteArray(p.native().data(), qsizetype(p.native().size()));
}

fs::path pathOf(const QVariant& data)
{
    const QByteArray bytes = data.toByteArray();
    return fs::path(std::string(bytes.constData(), std::size_t(bytes.size())));
}

fs::path nativePath(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

// One icon per kind of entry, looked up once: never from a file's content.
const QIcon& imageIcon()
{
    static const QIcon icon =
        QIcon::fromTheme(QStringLiteral("image-jpeg"), QFileIconProvider().icon(QFileIconProvider::File));
    return icon;
}
const QIcon& folderIcon()
{
    static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Folder);
    return icon;
}
const QIcon& driveIcon()
{
    static const QIcon icon = QFileIconProvider().icon(QFileIconProvider::Drive);
    return icon;
}

// The lexically clean absolute form, without a trailing separator (except the root).
fs::path normalFolder(const fs::path& folder)
{
    fs::path p = fs::absolute(folder).lexically_normal();
    if (p.has_relative_path() && !p.has_filename())
        p = p.parent_path();
    return p;
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true); // thousands of entries lay out without measuring each
}

void FileListBox::mousePressEvent(QMouseEvent* e)
{
    // Only the left button chooses; the right one opens the popup menu.
    if (e->button() != Qt::LeftButton) {
        e->ignore(); // the popup menu follows as a context menu event
        return;
    }
    rowAtPress_ = currentRow();
    QListWidget::mousePressEvent(e);
}

void FileListBox::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    const QModelIndex released = indexAt(e->position().toPoint());
    QListWidget::mouseReleaseEvent(e);
    // A click on an entry chooses it; so does a press dragged onto another
    // one, which moved the selection there: the entry shown is always the
    // one selected.
    if (currentRow() >= 0 && (currentRow() != rowAtPress_ || (released.isValid() && released == currentIndex())))
        emit chosen();
}

void FileListBox::keyPressEvent(QKeyEvent* e)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() != before && currentRow() >= 0)
        emit chosen();
}

void FileListBox::focusInEvent(QFocusEvent* e)
{
    // Coming into a list with nothing chosen leaves nothing chosen, so that
    // the first step down chooses the first entry rather than the second.
    const bool noneCurrent = !currentIndex().isValid();
    QListWidget::focusInEvent(e);
    if (noneCurrent && currentIndex().isValid() && selectedItems().isEmpty()) {
        const QSignalBlocker block(this);
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

FileBrowser::FileBrowser(const QString& masks, QWidget* parent)
    : QGroupBox(QStringLiteral("파일 탐색기"), parent), masks_(masks)
{
    setObjectName(QStringLiteral("suiPanel2"));
    driveList = new QComboBox(this);
    driveList->setObjectName(QStringLiteral("DriveComboBox1"));
    QFont bold = driveList->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    driveList->setFont(bold);
    driveList->setAccessibleName(QStringLiteral("드라이브"));

    folderList = new QListWidget(this);
    folderList->setObjectName(QStringLiteral("DirectoryListBox1"));
    folderList->setAccessibleName(QStringLiteral("폴더"));
    folderList->setUniformItemSizes(true);
    folderList->setItemDelegate(new FolderIndentDelegate(folderList));

    fileList = new FileListBox(this);
    fileList->setObjectName(QStringLiteral("FileListBox1"));
    fileList->setAccessibleName(QStringLiteral("파일"));

    auto makeField = [this](const char* name, const QString& spoken) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        e->setAccessibleName(spoken);
        e->setStyleSheet(QStringLiteral("QLineEdit { color: grey; background: rgb(239, 239, 239); }"));
        return e;
    };
    folderField = makeField("pathname", QStringLiteral("폴더 경로"));
    nameField = makeField("imgname", QStringLiteral("파일 이름"));

    fileMenu = new QMenu(fileList);
    deleteFileAction = fileMenu->addAction(QStringLiteral("파일 삭제"));
    deleteFileAction->setObjectName(QStringLiteral("MenuItem1"));
    fileList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(fileList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { fileMenu->popup(fileList->viewport()->mapToGlobal(at)); });
    connect(deleteFileAction, &QAction::triggered, this, &FileBrowser::deleteRequested);

    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(folderList, 1);
    left->addWidget(folderField);
    auto* right = new QVBoxLayout;
    right->addWidget(fileList, 1);
    right->addWidget(nameField);
    lists->addLayout(left, 1);
    lists->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(driveList);
    layout->addLayout(lists, 1);

    connect(fileList, &FileListBox::chosen, this, &FileBrowser::fileChosen);
    connect(driveList, &QComboBox::activated, this, &FileBrowser::driveChosen);
    connect(folderList, &QListWidget::itemActivated, this, &FileBrowser::folderActivated);

    fillDrives();
}

void FileBrowser::fillDrives()
{
    const QSignalBlocker block(driveList);
    driveList->clear();
    // The mount table is read as text: asking a mounted file system itself
    // (statfs, stat) can hang on a network or FUSE mount that does not answer.
    std::string table;
    if (std::ifstream in("/proc/self/mountinfo"); in)
        table.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const auto isFolder = [](const std::string& point) {
        std::error_code ec;
        return fs::is_directory(point, ec);
    };
    for (const std::string& root : browsableRoots(parseMountInfo(table), isFolder))
        driveList->addItem(driveIcon(), QFile::decodeName(QByteArray::fromStdString(root)), pathData(root));
    const QString home = QDir::homePath();
    driveList->addItem(QFileIconProvider().icon(QFileIconProvider::Folder), QStringLiteral("%1 (홈 폴더)").arg(home),
                       pathData(nativePath(home)));
}

QStringList FileBrowser::driveTexts() const
{
    QStringList texts;
    for (int i = 0; i < driveList->count(); ++i)
        texts << driveList->itemText(i);
    return texts;
}

void FileBrowser::selectDriveFor(const fs::path& folder)
{
    // The drive that holds the folder: the entry with the longest root above it.
    int best = -1;
    std::size_t bestLength = 0;
    const std::string& f = folder.native();
    for (int i = 0; i < driveList->count(); ++i) {
        const std::string root = normalFolder(pathOf(driveList->itemData(i))).native();
        const bool above = f == root || (f.size() > root.size() && f.compare(0, root.size(), root) == 0 &&
                                         (root.back() == '/' || f[root.size()] == '/'));
        if (above && (best < 0 || root.size() >= bestLength)) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker block(driveList);
    driveList->setCurrentIndex(best);
}

void FileBrowser::openFolder(const fs::path& requested)
{
    const fs::path folder = normalFolder(requested);
    // Both listings first: a folder that cannot be read changes nothing.
    auto subfolders = listFolders(folder);
    auto files = listFiles(folder, masks_);
    folder_ = folder;
    selectDriveFor(folder);
    fillFolderList(folder, subfolders);
    fillFileList(files);
}

void FileBrowser::fillFolderList(const fs::path& folder, const std::vector<FolderEntry>& subfolders)
{
    const QSignalBlocker block(folderList);
    folderList->clear();
    // The folders from the drive's root down to the current one, then its subfolders one step further in.
    fs::path root = folder.root_path();
    if (const int d = driveList->currentIndex(); d >= 0)
        root = normalFolder(pathOf(driveList->itemData(d)));
    std::vector<fs::path> chain;
    for (fs::path p = folder;; p = p.parent_path()) {
        chain.push_back(p);
        if (p == root || p == p.parent_path())
            break;
    }
    std::reverse(chain.begin(), chain.end());
    int depth = 0;
    for (const fs::path& p : chain) {
        const QString shown = p.has_filename() ? displayText(p.filename()) : displayText(p);
        auto* item = new QListWidgetItem(folderIcon(), shown, folderList);
        item->setData(kPathRole, pathData(p));
        item->setData(kDepthRole, depth);
        ++depth;
    }
    folderList->setCurrentRow(folderList->count() - 1);
    // Each item complete before it goes in: a change to an item in the list
    // lays the list out again, which for thousands of subfolders adds up.
    folderList->setUpdatesEnabled(false);
    const QIcon icon = folderIcon();
    for (const FolderEntry& sub : subfolders) {
        auto* item = new QListWidgetItem(icon, sub.name);
        item->setData(kPathRole, pathData(sub.path));
        item->setData(kDepthRole, depth);
        folderList->addItem(item);
    }
    folderList->setUpdatesEnabled(true);
}

void FileBrowser::fillFileList(const std::vector<FolderEntry>& files)
{
    const QSignalBlocker block(fileList);
    fileList->setUpdatesEnabled(false);
    fileList->clear();
    for (const FolderEntry& f : files) {
        auto* item = new QListWidgetItem(imageIcon(), f.name);
        item->setData(kPathRole, pathData(f.path));
        fileList->addItem(item);
    }
    fileList->setCurrentRow(-1);
    fileList->setUpdatesEnabled(true);
}

void FileBrowser::rereadFiles()
{
    try {
        fillFileList(listFiles(folder_, masks_));
    } catch (const model::Error&) {
        fillFileList({});
        // The folder has gone (or can no longer be read): show the nearest one above it that can.
        for (fs::path p = folder_.parent_path(); !p.empty(); p = p.parent_path()) {
            try {
                openFolder(p);
                break;
            } catch (const model::Error&) {
            }
            if (p == p.parent_path())
                break;
        }
        throw;
    }
}

bool FileBrowser::deleteSelectedFile()
{
    if (const auto file = selectedFile()) {
        QString why;
        std::error_code gone;
        // A file that has vanished meanwhile needs no report: it is gone either way.
        if (!ui::services().removeFile(*file, &why) && std::filesystem::exists(*file, gone))
            ui::reportError(window(),
                            QStringLiteral("파일을 삭제할 수 없습니다: %1 (%2)").arg(displayText(*file), why));
    }
    const bool listed = ui::runCommand(window(), [this] { rereadFiles(); });
    if (listed && selectFirstFile())
        return true;
    clearPreviewed();
    return false;
}

bool FileBrowser::selectFirstFile()
{
    if (fileList->count() == 0)
        return false;
    const QSignalBlocker block(fileList);
    fileList->setCurrentRow(0);
    return true;
}

std::optional<fs::path> FileBrowser::selectedFile() const
{
    QListWidgetItem* item = fileList->currentItem();
    if (!item || !item->isSelected())
        return std::nullopt;
    return pathOf(item->data(kPathRole));
}

void FileBrowser::showPreviewed(const fs::path& file)
{
    folderField->setText(displayFolder(file.parent_path()));
    nameField->setText(displayText(file.filename()));
}

void FileBrowser::clearPreviewed()
{
    folderField->clear();
    nameField->clear();
}

bool FileBrowser::hasPreviewed() const
{
    return !folderField->text().isEmpty() && !nameField->text().isEmpty();
}

void FileBrowser::driveChosen(int index)
{
    if (!ui::runCommand(this, [&] { openFolder(pathOf(driveList->itemData(index))); }))
        selectDriveFor(folder_);
}

void FileBrowser::folderActivated(QListWidgetItem* item)
{
    if (!item)
        return;
    const fs::path target = pathOf(item->data(kPathRole));
    ui::runCommand(this, [&] { openFolder(target); });
}

} // namespace rida::components
