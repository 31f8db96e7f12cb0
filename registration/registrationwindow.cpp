#include "registration/registrationwindow.h"

#include "archive/officesettings.h"
#include "archive/placement.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/lotlist.h"
#include "image/codec.h"
#include "model/landrecord.h"
#include "ui/fields.h"
#include "ui/help.h"
#include "ui/keyfilter.h"
#include "ui/labels.h"
#include "ui/services.h"
#include "viewer/imageviewer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rida::registration {

namespace fs = std::filesystem;
using components::FileBrowser;
using components::LotList;
using components::LotListHost;
using components::LotListOptions;

RegistrationWindow::RegistrationWindow(const QString& appDir, std::shared_ptr<components::RegionSource> regions,
                                       std::optional<components::PageArchive> archive)
    : WorkWindow(appDir, QStringLiteral("지가조서 등록"), TitleButtons::CloseOnly), regions_(regions),
      archive_(std::move(archive))
{
    setObjectName(QStringLiteral("jiga_insert"));

    browser = new FileBrowser(QStringLiteral("*.jpg"), this);
    browser->setFixedSize(333, 343);
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("xsel"));
    tabs->setFixedWidth(333);
    buildAttributeTab(std::move(regions));

    rida::viewer::ViewerConfig config = rida::viewer::ViewerConfig::registration();
    // F7 and F8 are window keys here (keyPreview), seen before the focused control, which gets them too.
    config.scaleStepKeys = false;
    rida::viewer::ViewerHooks hooks;
    // This window has no command that switches the magnifier off: "취소" and "돋보기 취소" delete the selected lot.
    hooks.cancel = [this] { lots->deleteSelectedLot(); };
    hooks.showMessage = [](QWidget* parent, const QString& text) { ui::services().showMessage(parent, text); };
    hooks.reportError = [](QWidget* parent, const QString& text) { ui::reportError(parent, text); };
    viewerPanel = new QGroupBox(QStringLiteral("이미지 뷰어"), this);
    viewerPanel->setObjectName(QStringLiteral("suiPanel1"));
    viewer = new rida::viewer::ImageViewer(std::move(config), std::move(hooks), viewerPanel);
    viewer->imageView->setAccessibleName(QStringLiteral("이미지 뷰어"));
    viewer->scaleBox->setAccessibleName(QStringLiteral("화면비율"));
    viewer->magnificationSlider->setAccessibleName(QStringLiteral("돋보기 배율"));
    (new QVBoxLayout(viewerPanel))->addWidget(viewer);
    buildSettingsTab();

    auto* left = new QVBoxLayout;
    left->addWidget(browser);
    left->addWidget(tabs, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(viewerPanel, 1);

    connect(browser, &FileBrowser::fileChosen, this, &RegistrationWindow::previewChosenFile);
    connect(browser, &FileBrowser::deleteRequested, this, &RegistrationWindow::deleteChosenFile);
    connect(lots, &LotList::registerRequested, this, &RegistrationWindow::registerPage);

    enableKeyPreview();

    // FormCreate
    resetManualEntry();
    attributes->startWithThisYear();
}

void RegistrationWindow::buildAttributeTab(std::shared_ptr<components::RegionSource> regions)
{
    attributeTab = new QWidget;
    attributeTab->setObjectName(QStringLiteral("suiTabSheet1"));
    tabs->addTab(attributeTab, QStringLiteral("지가조서속성 입력"));

    attributes = new components::AttributePanel({.regions = std::move(regions)}, attributeTab);

    LotListHost host;
    host.town = attributes->townList;
    host.village = attributes->villageList;
    host.imageChosen = [this] { return browser->hasPreviewed(); };
    host.imageMissingFocus = attributes->yearField;
    lots = new LotList(host, LotListOptions{}, attributeTab);

    auto* page = new QVBoxLayout(attributeTab);
    page->addWidget(attributes);
    page->addWidget(lots, 1);
}

void RegistrationWindow::buildSettingsTab()
{
    settingsTab = new QWidget;
    settingsTab->setObjectName(QStringLiteral("suiTabSheet2"));
    tabs->addTab(settingsTab, QStringLiteral("환경설정"));

    auto pair = [this](const QString& label, const QString& a, const QString& b, QRadioButton*& ra, QRadioButton*& rb,
                       const char* name) {
        auto* box = new QWidget(settingsTab);
        box->setObjectName(QString::fromLatin1(name));
        ra = new QRadioButton(a, box);
        rb = new QRadioButton(b, box);
        auto* group = new QButtonGroup(box);
        group->addButton(ra);
        group->addButton(rb);
        auto* row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(ra);
        row->addWidget(rb);
        auto* l = ui::labelFor(label, box, settingsTab);
        l->setBuddy(ra);
        return std::pair<QLabel*, QWidget*>{l, box};
    };
    auto [cmLabel, cmck] = pair(QStringLiteral("파일 복사/이동 :"), QStringLiteral("복사"), QStringLiteral("이동"),
                                cmCopy, cmMove, "cmck");
    auto [nmLabel, nmck] = pair(QStringLiteral("파일명규칙변경 :"), QStringLiteral("변경"), QStringLiteral("미변경"),
                                nmChange, nmKeep, "nmck");
    cmMove->setChecked(true);
    nmChange->setChecked(true);
    if (archive_) {
        // The office's settings are where every window starts; a change here holds for this window.
        archive::OfficeSettings office;
        ui::runCommand(this, [&] { office = archive::loadOfficeSettings(*archive_->store); });
        (office.transfer == archive::Transfer::Copy ? cmCopy : cmMove)->setChecked(true);
        (office.nameRule == archive::NameRule::KeepName ? nmKeep : nmChange)->setChecked(true);
    }
    applyViewButton = new QPushButton(QStringLiteral("적용"), settingsTab);
    applyViewButton->setObjectName(QStringLiteral("suiButton1"));
    auto* grid = new QGridLayout(settingsTab);
    grid->addWidget(cmLabel, 0, 0);
    grid->addWidget(cmck, 0, 1);
    grid->addWidget(nmLabel, 1, 0);
    grid->addWidget(nmck, 1, 1);
    auto* zoomLabel = new QLabel(QStringLiteral("화면확대비율/위치 :"), settingsTab);
    zoomLabel->setBuddy(applyViewButton); // the button keeps its caption as its name
    grid->addWidget(zoomLabel, 2, 0);
    grid->addWidget(applyViewButton, 2, 1);
    grid->setRowStretch(3, 1);
    // In the demonstration build it is shown, but nothing on it can be changed and nothing reads it.
    settingsTab->setEnabled(archive_.has_value());
}

void RegistrationWindow::resetManualEntry()
{
    viewer->resetPanMode();
    lots->unlockRegion();
    viewer->clearPage();
    if (!browser->folder().empty())
        ui::runCommand(this, [this] { browser->rereadFiles(); });
    browser->fileList->update();
    browser->selectFirstFile();
    lots->clearLots();
}

void RegistrationWindow::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!shown_) {
        shown_ = true;
        openImageFolder();
    }
}

void RegistrationWindow::openImageFolder()
{
    const fs::path files(QFile::encodeName(model::filesFolder(appDir())).toStdString());
    if (!ui::runCommand(this, [&] { browser->openFolder(files); })) {
        // Without the image folder the browser starts in the application directory, so the user can still browse.
        const fs::path fallback(QFile::encodeName(appDir()).toStdString());
        ui::runCommand(this, [&] { browser->openFolder(fallback); });
    }
    // The folder just opened has no file selected, so nothing is previewed and
    // "파일 삭제" cannot take a page the user has not seen.
}

void RegistrationWindow::previewChosenFile()
{
    if (const auto file = browser->selectedFile())
        preview(*file);
}

void RegistrationWindow::preview(const fs::path& file)
{
    browser->showPreviewed(file);
    previewedFile_ = file;
    ui::runCommand(this, [&] {
        viewer->loadPage(file);
        viewer->selectScaleEntry(viewer->scaleBox->findText(QString::fromLatin1(kPreviewScale)));
        viewer->centreOn(QPointF(0, 0));
        browser->fileList->setFocus(Qt::OtherFocusReason);
    });
}

void RegistrationWindow::deleteChosenFile()
{
    if (browser->deleteSelectedFile()) {
        previewChosenFile();
        return;
    }
    // No image left to show (or the folder itself has gone): the deleted page must not stay shown.
    viewer->clearPage();
    previewedFile_.reset();
}

void RegistrationWindow::registerPage()
{
    if (!archive_)
        return;
    const components::EntryFields fields{.pageChosen = browser->hasPreviewed() && previewedFile_.has_value(),
                                         .kindIndex = attributes->kindList->currentIndex(),
                                         .year = attributes->yearField->text(),
                                         .month = attributes->monthField->text(),
                                         .lotCount = lots->lotCount()};
    if (const auto problem = components::checkEntry(fields)) {
        ui::services().showMessage(this, problem->message);
        QWidget* const focus[] = {browser->fileList, attributes->kindList, attributes->yearField,
                                  attributes->monthField, lots->mainNumber};
        focus[int(problem->field)]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!ui::services().askYesNo(this, QStringLiteral("입력한 지가조서를 등록하겠습니까?")))
        return;
    components::EntryFiling entry;
    entry.sourcePath = QFile::decodeName(QByteArray::fromStdString(previewedFile_->native()));
    entry.kindIndex = fields.kindIndex;
    entry.year = fields.year;
    entry.month = fields.month;
    entry.lots = lots->lots();
    entry.transfer = cmCopy->isChecked() ? archive::Transfer::Copy : archive::Transfer::Move;
    entry.nameRule = nmKeep->isChecked() ? archive::NameRule::KeepName : archive::NameRule::Rename;
    entry.registration = archive::Registration::Manual;
    // A filing that fails has changed nothing: the page, the store and the entry stay as they were.
    std::optional<QString> refusal;
    const bool ran = ui::runCommand(this, [&] { refusal = components::fileEntry(*archive_, *regions_, entry); });
    if (refusal)
        ui::services().showMessage(this, *refusal);
    if (refusal || !ran)
        return;
    ui::services().showMessage(this, QStringLiteral("등록이 완료되었습니다."));
    resetManualEntry();
    if (browser->fileList->count() > 0) {
        previewChosenFile();
    } else {
        // The last page of the folder has been moved into the archive: nothing is named any more.
        browser->clearPreviewed();
        previewedFile_.reset();
    }
}

void RegistrationWindow::keyPreview(int key)
{
    switch (key) {
    case Qt::Key_F7:
        viewer->stepScale(+1);
        break;
    case Qt::Key_F8:
        viewer->stepScale(-1);
        break;
    case Qt::Key_F12:
        ui::openHelpTopic(appDir(), QStringLiteral("3_5_h.htm"));
        break;
    default:
        break;
    }
}

} // namespace rida::registration
