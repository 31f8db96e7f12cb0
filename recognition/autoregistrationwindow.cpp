#include "recognition/autoregistrationwindow.h"

#include <cmath>
#include <optional>
#include <string_view>

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

#include "model/digits.h"
#include "model/error.h"
#include "model/landrecord.h"
#include "recognition/blockingrun.h"
#include "recognition/engine/background.h"
#include "recognition/radiogroup.h"
#include "recognition/runobserver.h"
#include "components/attributepanel.h"
#include "components/filebrowser.h"
#include "components/folderlisting.h"
#include "components/lotlist.h"
#include "ui/fields.h"
#include "ui/grid/stringgrid.h"
#include "image/codec.h"
#include "ui/imageview/imageview.h"
#include "ui/keyfilter.h"
#include "ui/labels.h"
#include "ui/services.h"
#include "viewer/imageviewer.h"

namespace rida::recognition {

using model::KeyRule;

namespace {

QLineEdit* settingField(const char* name, const QString& start, int limit, const QString& hint, QWidget* parent)
{
    // Limits what is typed, not what code writes: a picked coordinate copied
    // into a setting may be longer than the field lets the user type.
    auto* e = new ui::LengthLimitedEdit(limit, parent);
    e->setText(start);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(60);
    if (!hint.isEmpty())
        e->setToolTip(hint);
    return e;
}

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

QLabel* counter(const char* name, const QString& start, const QString& spoken, QWidget* parent)
{
    auto* l = new QLabel(start, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAccessibleName(spoken);
    l->setMinimumWidth(48);
    return l;
}

} // namespace

AutoRegistrationWindow::AutoRegistrationWindow(const QString& appDir) : WorkWindow(appDir, QStringLiteral("알파/기타 용지 자동 등록"))
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
    hooks.pressedPagePoint = [this](int x, int y) { capturePagePoint({x, y}); };
    viewer = new viewer::ImageViewer(viewer::ViewerConfig::autoRegistration(), std::move(hooks), leftPanel);
    viewer->setObjectName(QStringLiteral("viewer"));
    viewer->imageView->setAccessibleName(QStringLiteral("이미지"));
    auto* leftRow = new QHBoxLayout;
    leftRow->addWidget(browser, 2);
    leftRow->addWidget(viewer, 3);
    // Wide enough to pick page points and to judge a test preview.
    viewer->setMinimumWidth(300);
    leftLayout_->addLayout(leftRow, 1);

    buildAttributePanel();
    sel = new QTabWidget(this);
    sel->setObjectName(QStringLiteral("sel"));
    sel->setAccessibleName(QStringLiteral("등록 방식"));
    buildRunTab();
    buildManualTab();
    buildSettingsPanel();

    // The page view takes what the right-hand column leaves.
    auto* rightColumn = new QWidget(this);
    rightColumn->setMaximumWidth(540);
    auto* right = new QVBoxLayout(rightColumn);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(attributePanel);
    right->addWidget(sel, 1);
    right->addWidget(settingsPanel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(leftPanel, 1);
    layout->addWidget(rightColumn);

    connect(suiButton1, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton1Click);
    connect(suiButton9, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton9Click);
    connect(browser, &components::FileBrowser::fileChosen, this, &AutoRegistrationWindow::FileListBox1Click);
    connect(browser, &components::FileBrowser::deleteRequested, this, &AutoRegistrationWindow::N1801Click);
    connect(lots, &components::LotList::registerRequested, this, &AutoRegistrationWindow::suiButton18Click);
    disconnect(lots->deleteButton, &QPushButton::clicked, lots, &components::LotList::deleteSelectedLot);
    connect(lots->deleteButton, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton2Click);
    enableKeyPreview();
    connect(suiButton5, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton5Click);
    connect(suiButton7, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton7Click);
    connect(suiButton10, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton10Click);
    connect(suiButton6, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton6Click);
    connect(suiButton3, &QPushButton::clicked, this, &AutoRegistrationWindow::suiButton3Click);

    // FormCreate
    viewer->resetPanMode();
    viewer->clearPage();
    Label15->setText(QStringLiteral("1/15"));
    attributes->startWithThisYear();
    sel->setCurrentIndex(0);
    suiPageControl1->setCurrentIndex(0);
}

AutoRegistrationWindow::~AutoRegistrationWindow() = default;

void AutoRegistrationWindow::buildAttributePanel()
{
    attributePanel = new QGroupBox(QStringLiteral("문서 속성 선택"), this);
    attributePanel->setObjectName(QStringLiteral("attributePanel"));
    attributes = new components::AttributePanel(components::AttributePanelOptions::automaticWindow(), attributePanel);
    (new QVBoxLayout(attributePanel))->addWidget(attributes);
    xkind = attributes->kindList;
    xdate = attributes->yearField;
    xmonth = attributes->monthField;
    xjuso1 = attributes->townList;
    xjuso2 = attributes->villageList;
}

void AutoRegistrationWindow::buildRunTab()
{
    autoTab = new QWidget;
    autoTab->setObjectName(QStringLiteral("autoTab"));
    sel->addTab(autoTab, QStringLiteral("알파/기타용지 자동등록"));

    suiButton1 = pushButton("suiButton1", QStringLiteral("자동 등록"), autoTab);
    QFont bold = suiButton1->font();
    bold.setBold(true);
    suiButton1->setFont(bold);
    suiButton1->setMinimumHeight(40);

    totbar = progressBar("totbar", autoTab);
    ingbar = progressBar("ingbar", autoTab);
    isbar = progressBar("isbar", autoTab);
    cutbar = progressBar("cutbar", autoTab);
    Label22 = counter("Label22", QStringLiteral("0/0"), QStringLiteral("폴더 수"), autoTab);
    Label5 = counter("Label5", QStringLiteral("0/0"), QStringLiteral("파일 수"), autoTab);
    Label15 = counter("Label15", QString(), QStringLiteral("인식 열 수"), autoTab);
    Label7 = new QLabel(QStringLiteral("분석파일 :"), autoTab);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setAccessibleName(QStringLiteral("분석파일"));
    Label7->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label7->setMinimumWidth(0);
    Label7->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    mLog = new QPlainTextEdit(autoTab);
    mLog->setObjectName(QStringLiteral("mLog"));
    mLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1 = new QPlainTextEdit(autoTab);
    memo1->setObjectName(QStringLiteral("memo1"));
    memo1->setReadOnly(true);
    QFont memoFont = memo1->font();
    memoFont.setBold(true);
    memo1->setFont(memoFont);
    // Red text, kept when the field is read-only or without focus.
    QPalette p = memo1->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Text, Qt::red);
    memo1->setPalette(p);

    auto* bars = new QGridLayout;
    int row = 0;
    auto addBar = [&](const QString& caption, QProgressBar* bar, QLabel* count) {
        bars->addWidget(ui::labelFor(caption, bar, autoTab), row, 0);
        bars->addWidget(bar, row, 1);
        if (count)
            bars->addWidget(count, row, 2);
        ++row;
    };
    addBar(QStringLiteral("폴더 :"), totbar, Label22);
    addBar(QStringLiteral("파일 :"), ingbar, Label5);
    addBar(QStringLiteral("인식 :"), isbar, Label15);
    addBar(QStringLiteral("편집 :"), cutbar, nullptr);
    bars->setColumnStretch(1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(suiButton1);
    top->addLayout(bars, 1);

    auto* lists = new QGridLayout;
    lists->addWidget(ui::labelFor(QStringLiteral("등록 실패 파일 목록 :"), mLog, autoTab), 0, 0);
    lists->addWidget(ui::labelFor(QStringLiteral("인식 성공 필지 :"), memo1, autoTab), 0, 1);
    lists->addWidget(mLog, 1, 0);
    lists->addWidget(memo1, 1, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 2);

    auto* page = new QVBoxLayout(autoTab);
    page->addLayout(top);
    page->addWidget(Label7);
    page->addLayout(lists, 1);
}

void AutoRegistrationWindow::buildManualTab()
{
    manualTab = new QWidget;
    manualTab->setObjectName(QStringLiteral("manualTab"));
    sel->addTab(manualTab, QStringLiteral("수동등록"));

    components::LotListHost host;
    host.town = xjuso1;
    host.village = xjuso2;
    host.imageChosen = [this] { return browser->hasPreviewed(); };
    host.imageMissingFocus = xdate;
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

void AutoRegistrationWindow::buildSettingsPanel()
{
    settingsPanel = new QGroupBox(QStringLiteral("환경설정"), this);
    settingsPanel->setObjectName(QStringLiteral("settingsPanel"));
    suiPageControl1 = new QTabWidget(settingsPanel);
    suiPageControl1->setObjectName(QStringLiteral("suiPageControl1"));
    suiPageControl1->setAccessibleName(QStringLiteral("환경설정"));
    suiPageControl1->addTab(buildEnvironmentTab(), QStringLiteral("환경설정"));
    suiPageControl1->addTab(buildAreaTab(), QStringLiteral("영역설정"));
    suiPageControl1->addTab(buildRemovalTab(), QStringLiteral("인식형태설정"));
    suiPageControl1->addTab(buildFontTab(), QStringLiteral("인식폰트"));
    suiPageControl1->addTab(buildManualScreenTab(), QStringLiteral("수동등록화면"));
    auto* layout = new QVBoxLayout(settingsPanel);
    layout->addWidget(suiPageControl1);
}

QWidget* AutoRegistrationWindow::buildEnvironmentTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("environmentTab"));
    const QString failHint = QStringLiteral("인식실패 기준열");
    doxnum = settingField("doxnum", QStringLiteral("5"), 2, failHint, tab);
    errnum = settingField("errnum", QStringLiteral("3"), 2, failHint, tab);

    auto* grid = new QGridLayout(tab);
    grid->addWidget(ui::labelFor(QStringLiteral("인식 실패기준 열 갯수 :"), doxnum, tab), 0, 0);
    grid->addWidget(doxnum, 0, 1);
    grid->addWidget(ui::labelFor(QStringLiteral("인식 중지 실패 횟수 :"), errnum, tab), 1, 0);
    grid->addWidget(errnum, 1, 1);
    int row = 2;
    auto addGroup = [&](const char* name, const QString& caption, const QStringList& items, int start) {
        auto* g = new RadioGroup(caption, items, start, Qt::Horizontal, tab);
        g->setObjectName(QString::fromLatin1(name));
        auto* l = new QLabel(caption, tab);
        l->setBuddy(g->button(0));
        grid->addWidget(l, row, 0);
        grid->addWidget(g, row, 1, 1, 2);
        ++row;
        return g;
    };
    // Offered, but no run reads them: files stay where and as they are, no blank
    // is cut off and only the folder shown in the file list is read.
    cmck = addGroup("cmck", QStringLiteral("파일 복사/이동 :"), {QStringLiteral("복사"), QStringLiteral("이동")}, 1);
    nmck = addGroup("nmck", QStringLiteral("파일명규칙변경 :"), {QStringLiteral("변경"), QStringLiteral("미변경")}, 0);
    cutck = addGroup("cutck", QStringLiteral("이미지공백제거 :"),
                     {QStringLiteral("미제거"), QStringLiteral(" 좌측"), QStringLiteral(" 우측")}, 0);
    dck = addGroup("dck", QStringLiteral("지역폴더일괄인식 :"),
                   {QStringLiteral("지역폴더일괄"), QStringLiteral("한 지역폴더만")}, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);
    return tab;
}

QWidget* AutoRegistrationWindow::buildAreaTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("areaTab"));
    xpt = settingField("xpt", QStringLiteral("815"), 3, {}, tab);
    ypt = settingField("ypt", QStringLiteral("815"), 3, {}, tab);
    styval = settingField("styval", QStringLiteral("834"), 3, {}, tab);
    stxval = settingField("stxval", QStringLiteral("168"), 3, {}, tab);
    xcell = settingField("xcell", QStringLiteral("237"), 3, {}, tab);
    xzone = settingField("xzone", QStringLiteral("818"), 3, {}, tab);
    suiButton5 = pushButton("suiButton5", QStringLiteral("설정"), tab);
    suiButton7 = pushButton("suiButton7", QStringLiteral("설정"), tab);
    suiButton10 = pushButton("suiButton10", QStringLiteral("설정"), tab);
    suiButton6 = pushButton("suiButton6", QStringLiteral("설정"), tab);

    auto* grid = new QGridLayout(tab);
    auto* point = new QHBoxLayout;
    point->addWidget(ui::labelFor(QStringLiteral("X :"), xpt, tab));
    point->addWidget(xpt);
    point->addWidget(ui::labelFor(QStringLiteral("Y :"), ypt, tab));
    point->addWidget(ypt);
    point->addStretch(1);
    xpt->setAccessibleName(QStringLiteral("선택한 X좌표"));
    ypt->setAccessibleName(QStringLiteral("선택한 Y좌표"));
    grid->addLayout(point, 0, 0, 1, 3);
    int row = 1;
    auto addSetting = [&](const QString& caption, QLineEdit* field, QPushButton* set) {
        grid->addWidget(ui::labelFor(caption, field, tab), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(set, row, 2);
        // Four buttons share the caption "설정"; the description says which setting each one sets.
        set->setAccessibleDescription(ui::spokenCaption(caption));
        ++row;
    };
    addSetting(QStringLiteral("인식 시작 상단 Y좌표 :"), styval, suiButton5);
    addSetting(QStringLiteral("인식 시작 좌측 X좌표 :"), stxval, suiButton7);
    addSetting(QStringLiteral("표 시작 영역 X좌표 :"), xcell, suiButton10);
    addSetting(QStringLiteral("인식 시작 영역 X좌표 :"), xzone, suiButton6);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
    return tab;
}

QWidget* AutoRegistrationWindow::buildRemovalTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("removalTab"));
    erck = new RadioGroup(QStringLiteral("바탕제거 방식"),
                          {QStringLiteral("일반바탕제거(고딕체)"), QStringLiteral("인쇄보정후제거-약(고딕체)"),
                           QStringLiteral("인쇄보정후제거-중(고딕체)"), QStringLiteral("인쇄보정후제거-강(고딕체)"),
                           QStringLiteral("인쇄보정후제거-약(명조체)"), QStringLiteral("인쇄보정후제거-강(명조체)")},
                          0, Qt::Vertical, tab);
    erck->setObjectName(QStringLiteral("erck"));
    alsu = settingField("alsu", QStringLiteral("145"), 3, QStringLiteral("알파 용지 블루 제거 보정 수치"), tab);
    suiButton9 = pushButton("suiButton9", QStringLiteral("테스트"), tab);

    auto* grid = new QGridLayout(tab);
    grid->addWidget(erck, 0, 0, 3, 1);
    grid->addWidget(ui::labelFor(QStringLiteral("일반바탕제거 보정치 :"), alsu, tab), 0, 1);
    grid->addWidget(alsu, 0, 2);
    grid->addWidget(suiButton9, 1, 1, 1, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(2, 1);
    return tab;
}

QWidget* AutoRegistrationWindow::buildFontTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("fontTab"));
    fontck = new RadioGroup(QStringLiteral("인식 폰트 설정 :"), {QStringLiteral("고딕체"), QStringLiteral("명조체")}, 0,
                            Qt::Horizontal, tab);
    fontck->setObjectName(QStringLiteral("fontck"));
    auto* label = new QLabel(QStringLiteral("인식 폰트 설정 :"), tab);
    label->setBuddy(fontck->button(0));
    auto* grid = new QGridLayout(tab);
    grid->addWidget(label, 0, 0);
    grid->addWidget(fontck, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    return tab;
}

QWidget* AutoRegistrationWindow::buildManualScreenTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("manualScreenTab"));
    suiButton3 = pushButton("suiButton3", QStringLiteral("적용"), tab);
    auto* grid = new QGridLayout(tab);
    // The caption describes the button, which keeps its own name "적용".
    auto* caption = new QLabel(QStringLiteral("화면확대비율/위치 :"), tab);
    caption->setBuddy(suiButton3);
    suiButton3->setAccessibleDescription(ui::spokenCaption(caption->text()));
    grid->addWidget(caption, 0, 0);
    grid->addWidget(suiButton3, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    return tab;
}

void AutoRegistrationWindow::capturePagePoint(QPoint page)
{
    xpt->setText(QString::number(page.x()));
    ypt->setText(QString::number(page.y()));
}

// The picked coordinate's text goes over unchanged, even where it is longer than the setting lets the user type.
void AutoRegistrationWindow::suiButton5Click()
{
    styval->setText(ypt->text());
}
void AutoRegistrationWindow::suiButton7Click()
{
    stxval->setText(xpt->text());
}
void AutoRegistrationWindow::suiButton10Click()
{
    xcell->setText(xpt->text());
}
void AutoRegistrationWindow::suiButton6Click()
{
    xzone->setText(xpt->text());
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
        FormShow();
    }
}

void AutoRegistrationWindow::FormShow()
{
    const std::filesystem::path files(QFile::encodeName(model::filesFolder(appDir())).toStdString());
    if (ui::runCommand(this, [&] { browser->openFolder(files); }))
        return;
    // Without the image folder the browser starts in the application directory, so the user can still browse.
    const std::filesystem::path fallback(QFile::encodeName(appDir()).toStdString());
    ui::runCommand(this, [&] { browser->openFolder(fallback); });
}

void AutoRegistrationWindow::FileListBox1Click()
{
    const auto file = browser->selectedFile();
    if (!file)
        return;
    ui::ImageView* view = viewer->imageView;
    // The manual tab keeps the user's zoom and the part of the page in view
    // from one sheet to the next, also across a registration, which empties
    // the view; see kAutoTabScaleEntry for the automatic tab.
    std::optional<QPointF> keptCentre;
    if (sel->currentIndex() == 1)
        keptCentre = view->page().empty() ? manualCentre_ : std::optional<QPointF>(viewer->viewCentre());
    const bool keepView = keptCentre.has_value();
    browser->showPreviewed(*file);
    const bool loaded = ui::runCommand(this, [&] { viewer->loadPage(*file); });
    if (!loaded)
        return;
    memo1->clear();
    if (keepView) {
        viewer->centreOn(*keptCentre);
    } else {
        viewer->selectScaleEntry(kAutoTabScaleEntry);
        viewer->centreOn(kAutoTabCentre);
    }
    browser->fileList->setFocus(Qt::OtherFocusReason);
}

void AutoRegistrationWindow::N1801Click()
{
    if (browser->deleteSelectedFile()) {
        FileListBox1Click();
        return;
    }
    // Nothing left to show: the deleted page must not stay shown.
    viewer->clearPage();
}

void AutoRegistrationWindow::suiButton9Click()
{
    ui::runCommand(this, [this] {
        const auto file = browser->selectedFile();
        // Without a chosen file the loader reports what it cannot open.
        const std::string path = file ? file->native() : std::string();
        image::Bitmap page;
        image::loadPage(path, page);
        // The level is read for mode 0 only.
        const int mode = erck->itemIndex();
        RemoveBackground(page, mode, mode == 0 ? model::toInteger(alsu->text()) : 0);
        std::swap(viewer->page(), page);
        viewer->imageView->pageChanged();
    });
}

void AutoRegistrationWindow::ResetManualEntry()
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

void AutoRegistrationWindow::suiButton2Click()
{
    lots->deleteSelectedLot();
}

void AutoRegistrationWindow::suiButton18Click()
{
    if (lots->lotCount() == 0) {
        ui::services().showMessage(this, QStringLiteral("지가조서를 입력한 후 등록하십시오!"));
        xdate->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!ui::services().askYesNo(this, QStringLiteral("입력한 지가조서를 등록하겠습니까?")))
        return;
    // This build stores no registration: the page stays in its folder under its name.
    ui::services().showMessage(this, QStringLiteral("등록이 완료되었습니다."));
    ResetManualEntry();
    browser->fileList->repaint();
    if (browser->fileList->count() > 0)
        FileListBox1Click();
    lots->mainNumber->setFocus(Qt::OtherFocusReason);
}

void AutoRegistrationWindow::keyPreview(int key)
{
    if (key == Qt::Key_F9)
        suiButton18Click();
}

RecognitionSettings AutoRegistrationWindow::runSettings() const
{
    RecognitionSettings s;
    s.typeface = fontck->itemIndex() == 1 ? Typeface::Myeongjo : Typeface::Gothic;
    s.mode = erck->itemIndex();
    // Each text is converted now (the window takes no input during a run), and a
    // failed conversion is kept for the step that reads the setting.
    const auto convert = [&s](Setting which, const QLineEdit* field, int& value) {
        try {
            value = model::toInteger(field->text());
        } catch (const model::Error& e) {
            s.markUnreadable(which, e.what());
        }
    };
    convert(Setting::StopAfter, errnum, s.stopAfter);
    convert(Setting::LeftX, stxval, s.leftX);
    convert(Setting::TableX, xcell, s.tableX);
    convert(Setting::ZoneX, xzone, s.zoneX);
    convert(Setting::Level, alsu, s.level);
    convert(Setting::TopY, styval, s.topY);
    convert(Setting::MinRows, doxnum, s.minRows);
    return s;
}

void AutoRegistrationWindow::suiButton1Click()
{
    if (running())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // On an error the bars, counters and lists keep what they show; runCommand takes the wait cursor back.
    const bool ok = ui::runCommand(this, [this] {
        for (QProgressBar* bar : {totbar, isbar, ingbar, cutbar})
            bar->setValue(0);
        const std::vector<std::string> files = listedFiles();
        const RecognitionSettings settings = runSettings();
        if (!recognizer_)
            recognizer_ = std::make_unique<Recognizer>();
        // The pages of a run share their buffers; between runs the window holds none.
        const auto release = qScopeGuard([this] { recognizer_->releaseBuffers(); });
        run_->run([&] {
            RunObserver observer(*this, *run_);
            RunRecognition(files, settings, *recognizer_, observer);
        });
    });
    if (ok)
        QGuiApplication::restoreOverrideCursor();
}

void AutoRegistrationWindow::FormCloseQuery()
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
    FormCloseQuery();
    WorkWindow::closeEvent(e);
}

} // namespace rida::recognition
