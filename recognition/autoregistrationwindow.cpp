#include "recognition/autoregistrationwindow.h"

#include "archive/officesettings.h"
#include "archive/placement.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/folderlisting.h"
#include "components/lotlist.h"
#include "image/codec.h"
#include "model/digits.h"
#include "model/error.h"
#include "model/landrecord.h"
#include "recognition/blockingrun.h"
#include "recognition/engine/background.h"
#include "recognition/radiogroup.h"
#include "recognition/runobserver.h"
#include "recognition/settingspanel.h"
#include "ui/fields.h"
#include "ui/grid/stringgrid.h"
#include "ui/imageview/imageview.h"
#include "ui/keyfilter.h"
#include "ui/labels.h"
#include "ui/services.h"
#include "viewer/imageviewer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <optional>
#include <string_view>

namespace rida::recognition {

using model::KeyRule;

namespace {

QPushButton* pushButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(caption);
    return b;
}

QProgressBar* progressBar(const char* name, QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(true);
    bar->setFormat(QStringLiteral("%p%"));
    return bar;
}

ui::LiveLabel* counter(const char* name, const QString& caption, const QString& start, QWidget* parent)
{
    auto* l = new ui::LiveLabel(caption, start, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setMinimumWidth(48);
    return l;
}

} // namespace

AutoRegistrationWindow::AutoRegistrationWindow(const QString& appDir, std::shared_ptr<components::RegionSource> regions,
                                               std::optional<components::PageArchive> archive)
    : WorkWindow(appDir, QStringLiteral("알파/기타 용지 자동 등록")), regions_(regions), archive_(std::move(archive))
{
    setObjectName(QStringLiteral("jiga_auto2"));
    recognizer_ = std::make_unique<Recognizer>();
    run_ = new BlockingRun(this);

    leftPanel = new QGroupBox(QStringLiteral("자동인식/등록"), this);
    leftPanel->setObjectName(QStringLiteral("leftPanel"));
    leftLayout_ = new QVBoxLayout(leftPanel);
    browser = new components::FileBrowser(QStringLiteral("*.bmp;*.jpg;*.jpeg"), leftPanel);
    // On a small screen the lists give way first, down to what shows a file name.
    browser->setMinimumWidth(250);
    browser->setMaximumWidth(333);
    browser->setFlat(true);
    browser->setTitle(QString());
    browser->setAccessibleName(QStringLiteral("파일 탐색기"));
    viewer::ViewerHooks hooks;
    hooks.pressedPagePoint = [this](int x, int y) { settingsPanel->capturePagePoint({x, y}); };
    viewer = new viewer::ImageViewer(viewer::ViewerConfig::autoRegistration(), std::move(hooks), leftPanel);
    viewer->setObjectName(QStringLiteral("viewer"));
    viewer->imageView->setAccessibleName(QStringLiteral("이미지"));
    auto* leftRow = new QHBoxLayout;
    leftRow->addWidget(browser, 2);
    leftRow->addWidget(viewer, 3);
    // Wide enough to pick page points and to judge a test preview.
    viewer->setMinimumWidth(300);
    leftLayout_->addLayout(leftRow, 1);

    buildAttributePanel(std::move(regions));
    modeTabs = new QTabWidget(this);
    modeTabs->setObjectName(QStringLiteral("sel"));
    modeTabs->setAccessibleName(QStringLiteral("등록 방식"));
    buildRunTab();
    buildManualTab();
    settingsPanel = new RecognitionSettingsPanel(this);
    if (archive_) {
        // The office's settings are where every window starts; a change here holds for this window.
        archive::OfficeSettings office;
        ui::runCommand(this, [&] { office = archive::loadOfficeSettings(*archive_->store); });
        settingsPanel->copyMoveChoice->setItemIndex(office.transfer == archive::Transfer::Copy ? 0 : 1);
        settingsPanel->renameChoice->setItemIndex(office.nameRule == archive::NameRule::KeepName ? 1 : 0);
    }

    // The page view takes what the right-hand column leaves.
    auto* rightColumn = new QWidget(this);
    rightColumn->setMaximumWidth(540);
    auto* right = new QVBoxLayout(rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(attributePanel);
    right->addWidget(modeTabs, 1);
    right->addWidget(settingsPanel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(leftPanel, 1);
    layout->addWidget(rightColumn);

    connect(runButton, &QPushButton::clicked, this, &AutoRegistrationWindow::runRecognition);
    connect(settingsPanel->testButton, &QPushButton::clicked, this, &AutoRegistrationWindow::testRemoval);
    connect(browser, &components::FileBrowser::fileChosen, this, &AutoRegistrationWindow::showChosenFile);
    connect(browser, &components::FileBrowser::deleteRequested, this, &AutoRegistrationWindow::deleteChosenFile);
    connect(lots, &components::LotList::registerRequested, this, &AutoRegistrationWindow::registerManualEntry);
    disconnect(lots->deleteButton, &QPushButton::clicked, lots, &components::LotList::deleteSelectedLot);
    connect(lots->deleteButton, &QPushButton::clicked, this, &AutoRegistrationWindow::deleteLot);
    enableKeyPreview();

    // FormCreate
    viewer->resetPanMode();
    viewer->clearPage();
    rowCount->setLiveText(QStringLiteral("1/15"));
    attributes->startWithThisYear();
    modeTabs->setCurrentIndex(0);
    settingsPanel->settingsTabs->setCurrentIndex(0);
}

AutoRegistrationWindow::~AutoRegistrationWindow() = default;

void AutoRegistrationWindow::buildAttributePanel(std::shared_ptr<components::RegionSource> regions)
{
    attributePanel = new QGroupBox(QStringLiteral("문서 속성 선택"), this);
    attributePanel->setObjectName(QStringLiteral("attributePanel"));
    components::AttributePanelOptions options = components::AttributePanelOptions::automaticWindow();
    options.regions = std::move(regions);
    attributes = new components::AttributePanel(options, attributePanel);
    (new QVBoxLayout(attributePanel))->addWidget(attributes);
}

void AutoRegistrationWindow::buildRunTab()
{
    autoTab = new QWidget;
    autoTab->setObjectName(QStringLiteral("autoTab"));
    modeTabs->addTab(autoTab, QStringLiteral("알파/기타용지 자동등록"));

    runButton = pushButton("suiButton1", QStringLiteral("자동 등록"), autoTab);
    QFont bold = runButton->font();
    bold.setBold(true);
    runButton->setFont(bold);
    runButton->setMinimumHeight(40);

    folderBar = progressBar("totbar", autoTab);
    fileBar = progressBar("ingbar", autoTab);
    rowBar = progressBar("isbar", autoTab);
    editBar = progressBar("cutbar", autoTab);
    folderCount = counter("Label22", QStringLiteral("폴더 :"), QStringLiteral("0/0"), autoTab);
    fileCount = counter("Label5", QStringLiteral("파일 :"), QStringLiteral("0/0"), autoTab);
    rowCount = counter("Label15", QStringLiteral("인식 :"), QString(), autoTab);
    analysedFile = new ui::LiveLabel(QString(), QStringLiteral("분석파일 :"), autoTab);
    analysedFile->setObjectName(QStringLiteral("Label7"));
    analysedFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    analysedFile->setMinimumWidth(0);
    analysedFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    failureLog = new QPlainTextEdit(autoTab);
    failureLog->setObjectName(QStringLiteral("mLog"));
    failureLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    recognisedLots = new QPlainTextEdit(autoTab);
    recognisedLots->setObjectName(QStringLiteral("memo1"));
    recognisedLots->setReadOnly(true);
    QFont memoFont = recognisedLots->font();
    memoFont.setBold(true);
    recognisedLots->setFont(memoFont);
    // Red text, kept when the field is read-only or without focus.
    QPalette p = recognisedLots->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, Qt::red);
    recognisedLots->setPalette(p);

    auto* bars = new QGridLayout;
    int row = 0;
    auto addBar = [&](const QString& caption, QProgressBar* bar, QLabel* count) {
        bars->addWidget(ui::labelFor(caption, bar, autoTab), row, 0);
        bars->addWidget(bar, row, 1);
        if (count)
            bars->addWidget(count, row, 2);
        ++row;
    };
    addBar(QStringLiteral("폴더 :"), folderBar, folderCount);
    addBar(QStringLiteral("파일 :"), fileBar, fileCount);
    addBar(QStringLiteral("인식 :"), rowBar, rowCount);
    addBar(QStringLiteral("편집 :"), editBar, nullptr);
    bars->setColumnStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(runButton);
    top->addLayout(bars, 1);

    auto* lists = new QGridLayout;
    lists->addWidget(ui::labelFor(QStringLiteral("등록 실패 파일 목록 :"), failureLog, autoTab), 0, 0);
    lists->addWidget(ui::labelFor(QStringLiteral("인식 성공 필지 :"), recognisedLots, autoTab), 0, 1);
    lists->addWidget(failureLog, 1, 0);
    lists->addWidget(recognisedLots, 1, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 2);

    auto* page = new QVBoxLayout(autoTab);
    page->addLayout(top);
    page->addWidget(analysedFile);
    page->addLayout(lists, 1);
}

void AutoRegistrationWindow::buildManualTab()
{
    manualTab = new QWidget;
    manualTab->setObjectName(QStringLiteral("manualTab"));
    modeTabs->addTab(manualTab, QStringLiteral("수동등록"));

    components::LotListHost host;
    host.town = attributes->townList;
    host.village = attributes->villageList;
    host.imageChosen = [this] { return browser->hasPreviewed(); };
    host.imageMissingFocus = attributes->yearField;
    const auto options = components::LotListOptions::automaticTab();

    lotPanel = new QGroupBox(QStringLiteral("지가조서 지번(필지) 입력"), manualTab);
    lotPanel->setObjectName(QStringLiteral("lotPanel"));
    lots = new components::LotList(host, options, lotPanel);
    lots->lotGrid->setAccessibleName(lotPanel->title());
    lots->registerButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    lots->registerButton->setIconSize(QSize(24, 24));
    auto* panel = new QVBoxLayout(lotPanel);
    panel->addWidget(lots);
    auto* page = new QVBoxLayout(manualTab);
    page->addWidget(lotPanel, 1);
}

bool AutoRegistrationWindow::running() const
{
    return run_->running();
}

std::vector<std::string> AutoRegistrationWindow::listedFiles() const
{
    // The file list keeps each entry's full path as the file system spells it.
    std::vector<std::string> files;
    const QListWidget* list = browser->fileList;
    files.reserve(std::size_t(list->count()));
    for (int i = 0; i < list->count(); ++i) {
        const QByteArray path = list->item(i)->data(Qt::UserRole).toByteArray();
        files.emplace_back(path.constData(), std::size_t(path.size()));
    }
    return files;
}

void AutoRegistrationWindow::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!shown_) {
        shown_ = true;
        openImageFolder();
    }
}

void AutoRegistrationWindow::openImageFolder()
{
    const std::filesystem::path files(QFile::encodeName(model::filesFolder(appDir())).toStdString());
    if (ui::runCommand(this, [&] { browser->openFolder(files); }))
        return;
    // Without the image folder the browser starts in the application directory, so the user can still browse.
    const std::filesystem::path fallback(QFile::encodeName(appDir()).toStdString());
    ui::runCommand(this, [&] { browser->openFolder(fallback); });
}

void AutoRegistrationWindow::showChosenFile()
{
    const auto file = browser->selectedFile();
    if (!file)
        return;
    ui::ImageView* view = viewer->imageView;
    // The manual tab keeps the user's zoom and the part of the page in view
    // from one sheet to the next, also across a registration, which empties
    // the view; see kAutoTabScaleEntry for the automatic tab.
    std::optional<QPointF> keptCentre;
    if (modeTabs->currentIndex() == 1)
        keptCentre = view->page().empty() ? manualCentre_ : std::optional<QPointF>(viewer->viewCentre());
    const bool keepView = keptCentre.has_value();
    browser->showPreviewed(*file);
    previewedFile_ = *file;
    const bool loaded = ui::runCommand(this, [&] { viewer->loadPage(*file); });
    if (!loaded)
        return;
    recognisedLots->clear();
    if (keepView) {
        viewer->centreOn(*keptCentre);
    } else {
        viewer->selectScaleEntry(kAutoTabScaleEntry);
        viewer->centreOn(kAutoTabCentre);
    }
    browser->fileList->setFocus(Qt::OtherFocusReason);
}

void AutoRegistrationWindow::deleteChosenFile()
{
    if (browser->deleteSelectedFile()) {
        showChosenFile();
        return;
    }
    // Nothing left to show: the deleted page must not stay shown.
    viewer->clearPage();
    previewedFile_.reset();
}

void AutoRegistrationWindow::testRemoval()
{
    ui::runCommand(this, [this] {
        const auto file = browser->selectedFile();
        // Without a chosen file the loader reports what it cannot open.
        const std::string path = file ? file->native() : std::string();
        image::Bitmap page;
        image::loadPage(path, page);
        // The level is read for the plain mode only.
        const RemovalMode mode = removalMode(settingsPanel->removalChoice->itemIndex());
        removeBackground(page, mode, readsLevel(mode) ? model::toInteger(settingsPanel->levelField->text()) : 0);
        std::swap(viewer->page(), page);
        viewer->imageView->pageChanged();
    });
}

void AutoRegistrationWindow::resetManualEntry()
{
    lots->unlockRegion();
    if (!viewer->imageView->page().empty())
        manualCentre_ = viewer->viewCentre();
    viewer->clearPage();
    if (!browser->folder().empty())
        ui::runCommand(this, [this] { browser->rereadFiles(); });
    browser->fileList->repaint();
    browser->selectFirstFile();
    lots->clearLots();
}

void AutoRegistrationWindow::deleteLot()
{
    lots->deleteSelectedLot();
}

void AutoRegistrationWindow::registerManualEntry()
{
    if (lots->lotCount() == 0) {
        ui::services().showMessage(this, QStringLiteral("지가조서를 입력한 후 등록하십시오!"));
        attributes->yearField->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (archive_) {
        if (!fileManualEntry())
            return;
    } else if (!ui::services().askYesNo(this, QStringLiteral("입력한 지가조서를 등록하겠습니까?"))) {
        return;
    }
    // The demonstration build stores no registration: the page stays in its folder under its name.
    ui::services().showMessage(this, QStringLiteral("등록이 완료되었습니다."));
    resetManualEntry();
    browser->fileList->repaint();
    if (browser->fileList->count() > 0) {
        showChosenFile();
    } else if (archive_) {
        // The last page of the folder has been moved into the archive: nothing is named any more.
        browser->clearPreviewed();
        previewedFile_.reset();
    }
    lots->mainNumber->setFocus(Qt::OtherFocusReason);
}

bool AutoRegistrationWindow::fileManualEntry()
{
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
        return false;
    }
    if (!ui::services().askYesNo(this, QStringLiteral("입력한 지가조서를 등록하겠습니까?")))
        return false;
    components::EntryFiling entry;
    entry.sourcePath = QFile::decodeName(QByteArray::fromStdString(previewedFile_->native()));
    entry.kindIndex = fields.kindIndex;
    entry.year = fields.year;
    entry.month = fields.month;
    entry.lots = lots->lots();
    applyFilingSettings(entry);
    entry.registration = archive::Registration::Manual;
    // A filing that fails has changed nothing: the page, the store and the entry stay as they were.
    std::optional<QString> refusal;
    const bool ran = ui::runCommand(this, [&] { refusal = components::fileEntry(*archive_, *regions_, entry); });
    if (refusal)
        ui::services().showMessage(this, *refusal);
    return ran && !refusal;
}

void AutoRegistrationWindow::keyPreview(int key)
{
    if (key == Qt::Key_F9)
        registerManualEntry();
}

void AutoRegistrationWindow::runRecognition()
{
    if (running())
        return;
    cancelRequested_ = false;
    filingStopped_ = false;
    filingStopMessage_.clear();
    // The demonstration build reads the files the list shows and registers nothing.
    std::vector<components::RunFolder> folders;
    if (archive_) {
        if (!prepareArchiveRun(folders))
            return;
    } else {
        folders.push_back({browser->folder(), listedFiles(), QString()});
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // On an error the bars, counters and lists keep what they show; runCommand takes the wait cursor back.
    const bool ok = ui::runCommand(this, [&] {
        for (QProgressBar* bar : {folderBar, rowBar, fileBar, editBar})
            bar->setValue(0);
        const RecognitionSettings settings = settingsPanel->runSettings();
        if (!recognizer_)
            recognizer_ = std::make_unique<Recognizer>();
        // The pages of a run share their buffers; between runs the window holds none.
        const auto release = qScopeGuard([this] {
            recognizer_->releaseBuffers();
            runFiling_.reset();
        });
        run_->run([&] {
            RunObserver observer(*this, *run_, archive_.has_value());
            for (std::size_t k = 0; k < folders.size(); ++k) {
                observer.setFolder(int(k) + 1, int(folders.size()), int(folders[k].files.size()),
                                   folders[k].regionCode);
                const RunResult result =
                    recognition::runRecognition(folders[k].files, settings, *recognizer_, observer);
                if (result.stoppedByUser || result.cancelled)
                    break;
            }
        });
    });
    if (ok)
        QGuiApplication::restoreOverrideCursor();
    if (archive_) {
        // Moved pages have left the folder.
        ui::runCommand(this, [&] { browser->rereadFiles(); });
        if (!filingStopMessage_.isEmpty())
            ui::services().showMessage(this, filingStopMessage_);
    }
    if (closeAfterRun_)
        close();
}

void AutoRegistrationWindow::programEnding()
{
    if (!running()) {
        close();
        return;
    }
    cancelRequested_ = true;
    closeAfterRun_ = true;
}

void AutoRegistrationWindow::releaseRunBuffers()
{
    recognizer_.reset();
}

void AutoRegistrationWindow::closeEvent(QCloseEvent* e)
{
    // A run ends by itself or by the stop question; the window stays until then.
    if (running()) {
        e->ignore();
        return;
    }
    releaseRunBuffers();
    WorkWindow::closeEvent(e);
}

} // namespace rida::recognition
