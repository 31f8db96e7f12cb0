#include "admin/officesettingswindow.h"

#include "archive/pagefolder.h"
#include "archive/store.h"
#include "ui/labels.h"
#include "ui/services.h"
#include "viewer/viewerconfig.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rida::admin {

using archive::OfficeSettings;

namespace {

// Two radio buttons side by side in a box of their own.
QWidget* choicePair(QRadioButton*& first, const QString& firstCaption, QRadioButton*& second,
                    const QString& secondCaption, QWidget* parent)
{
    auto* box = new QWidget(parent);
    first = new QRadioButton(firstCaption, box);
    second = new QRadioButton(secondCaption, box);
    auto* group = new QButtonGroup(box);
    group->addButton(first);
    group->addButton(second);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch(1);
    return box;
}

QLabel* captionFor(const QString& caption, QRadioButton* first, QRadioButton* second, QWidget* parent)
{
    auto* label = ui::labelFor(caption, first, parent);
    second->setAccessibleName(second->text());
    first->setAccessibleName(first->text());
    return label;
}

} // namespace

OfficeSettingsWindow::OfficeSettingsWindow(const QString& appDir, archive::Store& store,
                                           archive::ArchiveLocation location)
    : WorkWindow(appDir, QStringLiteral("환경 설정"), TitleButtons::CloseOnly), store_(store),
      location_(std::move(location))
{
    store_.require(archive::Command::EditSettings);
    setObjectName(QStringLiteral("officeSettings"));

    auto* folderPanel = new QGroupBox(QStringLiteral("이미지 폴더"), this);
    pageFolderField = new QLineEdit(folderPanel);
    pageFolderField->setObjectName(QStringLiteral("pageFolder"));
    pageFolderField->setAccessibleName(QStringLiteral("이미지 폴더"));
    pageFolderField->setPlaceholderText(location_.pages);
    browseButton = new QPushButton(QStringLiteral("찾아보기..."), folderPanel);
    pageFolderNote = new QLabel(folderPanel);
    pageFolderNote->setObjectName(QStringLiteral("pageFolderNote"));
    pageFolderNote->setWordWrap(true);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(pageFolderField, 1);
    folderRow->addWidget(browseButton);
    auto* folderLayout = new QVBoxLayout(folderPanel);
    folderLayout->addLayout(folderRow);
    folderLayout->addWidget(pageFolderNote);

    auto* registrationPanel = new QGroupBox(QStringLiteral("등록"), this);
    QWidget* transfer =
        choicePair(copyButton, QStringLiteral("복사"), moveButton, QStringLiteral("이동"), registrationPanel);
    QWidget* names =
        choicePair(renameButton, QStringLiteral("변경"), keepButton, QStringLiteral("미변경"), registrationPanel);
    previewScaleList = new QComboBox(registrationPanel);
    previewScaleList->addItems(viewer::ViewerConfig::registration().scaleList);
    QWidget* position =
        choicePair(topLeftButton, QStringLiteral("왼쪽 위"), centreButton, QStringLiteral("가운데"), registrationPanel);
    auto* form = new QFormLayout(registrationPanel);
    form->addRow(captionFor(QStringLiteral("파일 복사/이동 :"), copyButton, moveButton, registrationPanel), transfer);
    form->addRow(captionFor(QStringLiteral("파일명규칙변경 :"), renameButton, keepButton, registrationPanel), names);
    form->addRow(ui::labelFor(QStringLiteral("미리보기 화면비율 :"), previewScaleList, registrationPanel),
                 previewScaleList);
    form->addRow(captionFor(QStringLiteral("미리보기 위치 :"), topLeftButton, centreButton, registrationPanel),
                 position);

    saveButton = new QPushButton(QStringLiteral("저장"), this);
    auto* panels = new QVBoxLayout;
    panels->addWidget(folderPanel);
    panels->addWidget(registrationPanel);
    panels->addWidget(saveButton, 0, Qt::AlignRight);
    panels->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(panels, 0);
    layout->addStretch(1);
    folderPanel->setMinimumWidth(520);

    connect(browseButton, &QPushButton::clicked, this, &OfficeSettingsWindow::browse);
    connect(saveButton, &QPushButton::clicked, this, &OfficeSettingsWindow::save);
    connect(pageFolderField, &QLineEdit::editingFinished, this, &OfficeSettingsWindow::showPageFolder);

    OfficeSettings held;
    ui::runCommand(this, [&] { held = archive::loadOfficeSettings(store_); });
    showSettings(held);
}

void OfficeSettingsWindow::showSettings(const OfficeSettings& s)
{
    pageFolderField->setText(s.pageFolder);
    (s.transfer == archive::Transfer::Copy ? copyButton : moveButton)->setChecked(true);
    (s.nameRule == archive::NameRule::KeepName ? keepButton : renameButton)->setChecked(true);
    const int scale = previewScaleList->findText(s.previewScale);
    previewScaleList->setCurrentIndex(scale >= 0 ? scale : previewScaleList->findText(QStringLiteral("50%")));
    (s.previewPosition == OfficeSettings::PreviewPosition::Centre ? centreButton : topLeftButton)->setChecked(true);
    showPageFolder();
}

OfficeSettings OfficeSettingsWindow::shownSettings() const
{
    OfficeSettings s;
    s.pageFolder = pageFolderField->text().trimmed();
    s.transfer = copyButton->isChecked() ? archive::Transfer::Copy : archive::Transfer::Move;
    s.nameRule = keepButton->isChecked() ? archive::NameRule::KeepName : archive::NameRule::Rename;
    s.previewScale = previewScaleList->currentText();
    s.previewPosition =
        centreButton->isChecked() ? OfficeSettings::PreviewPosition::Centre : OfficeSettings::PreviewPosition::TopLeft;
    return s;
}

void OfficeSettingsWindow::showPageFolder()
{
    const QString inUse = archive::pageFolderInUse(location_, shownSettings());
    QString note;
    switch (location_.pagesNamedBy) {
    case archive::ArchiveLocation::Named::CommandLine:
        note = QStringLiteral("이 PC에서는 명령줄(--pages)의 폴더를 씁니다: %1\n").arg(inUse);
        break;
    case archive::ArchiveLocation::Named::SettingsFile:
        note = QStringLiteral("이 PC에서는 %1의 폴더를 씁니다: %2\n").arg(location_.settingsFile, inUse);
        break;
    case archive::ArchiveLocation::Named::Default:
        note = QStringLiteral("쓰는 폴더: %1\n").arg(inUse);
        break;
    }
    const archive::PageFolderStatus status = archive::pageFolderStatus(inUse);
    note += status.ready() ? QStringLiteral("이미지 폴더 연결 : 성공") : status.message;
    pageFolderNote->setText(note);
}

void OfficeSettingsWindow::browse()
{
    const QString start = pageFolderField->text().isEmpty() ? location_.pages : pageFolderField->text();
    const QString folder = ui::services().chooseFolder(this, QStringLiteral("이미지 폴더"), start);
    if (!folder.isEmpty()) {
        pageFolderField->setText(folder);
        showPageFolder();
    }
}

void OfficeSettingsWindow::save()
{
    const OfficeSettings wanted = shownSettings();
    ui::runCommand(this, [&] {
        const OfficeSettings held = archive::loadOfficeSettings(store_);
        if (wanted.pageFolder != held.pageFolder) {
            const QString folder = archive::pageFolderInUse(location_, wanted);
            const archive::PageFolderStatus status = archive::pageFolderStatus(folder);
            if (!status.ready() &&
                !ui::services().askYesNo(this, status.message + QStringLiteral("\n\n그래도 저장하시겠습니까?")))
                return;
            if (const int pages = store_.totals().pages;
                pages > 0 && !ui::services().askYesNo(
                                 this, QStringLiteral("이미 등록된 %1면의 이미지는 새 폴더로 옮겨지지 않습니다. "
                                                      "이미지를 새 폴더로 직접 옮긴 뒤에 바꾸십시오.\n\n이미지 "
                                                      "폴더를 바꾸시겠습니까?")
                                           .arg(pages)))
                return;
        }
        archive::saveOfficeSettings(store_, wanted);
        ui::services().showMessage(this, QStringLiteral("환경 설정을 저장했습니다."), ui::MessageIcon::Information);
    });
}

} // namespace rida::admin
