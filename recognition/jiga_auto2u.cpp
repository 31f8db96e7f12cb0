#include "recognition/jiga_auto2u.h"

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
#include "registration/filebrowser.h"
#include "registration/folderlisting.h"
#include "registration/lotlist.h"
#include "ui/fields.h"
#include "ui/grid/stringgrid.h"
#include "image/codec.h"
#include "ui/imageview/imageview.h"
#include "ui/keyfilter.h"
#include "ui/services.h"
#include "viewer/imageviewer.h"

namespace rida::recognition {

using model::KeyRule;

namespace {

QString spokenCaption(const QString& caption)
{
    QString spoken = caption;
    spoken.remove(u':');
    return spoken.trimmed();
}

QLabel* labelFor(const QString& text, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(spokenCaption(text));
    return label;
}

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

QComboBox* listBox(const char* name, const QStringList& items, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(items);
    list->setCurrentIndex(0);
    return list;
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

// Shown text of a full name as the engine hands it back (native bytes). The
// folder and the file name are decoded apart: a name copied from another
// system may be in the Korean code page inside a folder named in UTF-8.
QString shownName(const std::string& native)
{
    const std::filesystem::path p(native);
    if (!p.has_parent_path())
        return registration::displayText(p);
    return registration::displayFolder(p.parent_path()) + registration::displayText(p.filename());
}

// A failure line is the full name followed by one of the engine's suffixes.
QString shownLine(const std::string& line)
{
    for (const char* suffix : {kNoReferenceSuffix, kTooFewRowsSuffix}) {
        const std::string_view sv(suffix);
        if (line.size() >= sv.size() && line.compare(line.size() - sv.size(), sv.size(), sv) == 0)
            return shownName(line.substr(0, line.size() - sv.size())) + QString::fromUtf8(suffix);
    }
    return shownName(line);
}

// Carries what the engine reports, from the worker thread, to the window's
// controls, in the order reported. Only the stop question waits for the user.
class RunObserver : public RecognitionObserver {
public:
    RunObserver(Tjiga_auto2& w, BlockingRun& run) : w_(&w), run_(run) {}

    void runStarted() override
    {
        post([](Tjiga_auto2* w) {
            w->totbar->setValue(0);
            w->cutbar->setValue(0);
        });
    }
    void runFinished() override
    {
        // The folder bar completes; the edit bar belongs to blank removal, which no run does.
        post([](Tjiga_auto2* w) { w->totbar->setValue(100); });
    }
    void filesProgress(int percent) override
    {
        post([percent](Tjiga_auto2* w) { w->ingbar->setValue(percent); });
    }
    void filesDone(int done, int total) override
    {
        post([done, total](Tjiga_auto2* w) {
            w->Label5->setText(QStringLiteral("%1/%2").arg(done).arg(total));
            w->Label5->repaint();
        });
    }
    void pageProgress(int percent) override
    {
        // The scan reports every line; only a change of the bar is worth a trip to the window.
        if (percent == lastPageProgress_)
            return;
        lastPageProgress_ = percent;
        post([percent](Tjiga_auto2* w) { w->isbar->setValue(percent); });
    }
    void rowsListed(int count) override
    {
        if (count == lastRowsListed_)
            return;
        lastRowsListed_ = count;
        post([count](Tjiga_auto2* w) {
            w->Label15->setText(QStringLiteral("%1/15").arg(count));
            w->Label15->repaint();
        });
    }
    void analysing(const std::string& fullName) override
    {
        post([text = QStringLiteral("분석파일 : ") + shownName(fullName)](Tjiga_auto2* w) {
            w->Label7->setText(text);
            w->Label7->repaint();
        });
    }
    void lotsCleared() override
    {
        lastRowsListed_ = -1;
        post([](Tjiga_auto2* w) {
            w->memo1->clear();
            w->memo1->repaint();
        });
    }
    void lotListed(const std::string& line) override
    {
        post([text = QString::fromStdString(line)](Tjiga_auto2* w) { w->memo1->appendPlainText(text); });
    }
    void failureLogged(const std::string& line) override
    {
        post([text = shownLine(line)](Tjiga_auto2* w) { w->mLog->appendPlainText(text); });
    }
    bool stopRequested() override
    {
        Tjiga_auto2* w = w_;
        return run_.ask([w] { return ui::services().askYesNo(w, QString::fromUtf8(kStopQuestion)); });
    }

private:
    template <class F> void post(F&& update)
    {
        Tjiga_auto2* w = w_;
        run_.post([w, update = std::forward<F>(update)] { update(w); });
    }

    Tjiga_auto2* w_;
    BlockingRun& run_;
    int lastPageProgress_ = -1;
    int lastRowsListed_ = -1;
};

} // namespace

Tjiga_auto2::Tjiga_auto2(const QString& appDir) : WorkWindow(appDir, QStringLiteral("알파/기타 용지 자동 등록"))
{
    setObjectName(QStringLiteral("jiga_auto2"));
    recognizer_ = std::make_unique<Recognizer>();
    run_ = new BlockingRun(this);

    leftPanel = new QGroupBox(QStringLiteral("자동인식/등록"), this);
    leftPanel->setObjectName(QStringLiteral("leftPanel"));
    leftLayout_ = new QVBoxLayout(leftPanel);
    browser = new registration::FileBrowser(QStringLiteral("*.bmp;*.jpg;*.jpeg"), leftPanel);
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
    viewer->ImgView->setAccessibleName(QStringLiteral("이미지"));
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

    connect(suiButton1, &QPushButton::clicked, this, &Tjiga_auto2::suiButton1Click);
    connect(suiButton9, &QPushButton::clicked, this, &Tjiga_auto2::suiButton9Click);
    connect(browser, &registration::FileBrowser::fileChosen, this, &Tjiga_auto2::FileListBox1Click);
    connect(browser, &registration::FileBrowser::deleteRequested, this, &Tjiga_auto2::N1801Click);
    connect(lots, &registration::LotList::registerRequested, this, &Tjiga_auto2::suiButton18Click);
    disconnect(lots->suiButton2, &QPushButton::clicked, lots, &registration::LotList::suiButton5Click);
    connect(lots->suiButton2, &QPushButton::clicked, this, &Tjiga_auto2::suiButton2Click);
    qApp->installEventFilter(this);
    connect(suiButton5, &QPushButton::clicked, this, &Tjiga_auto2::suiButton5Click);
    connect(suiButton7, &QPushButton::clicked, this, &Tjiga_auto2::suiButton7Click);
    connect(suiButton10, &QPushButton::clicked, this, &Tjiga_auto2::suiButton10Click);
    connect(suiButton6, &QPushButton::clicked, this, &Tjiga_auto2::suiButton6Click);
    connect(suiButton3, &QPushButton::clicked, this, &Tjiga_auto2::suiButton3Click);

    // FormCreate
    viewer->resetPanMode();
    viewer->clearPage();
    Label15->setText(QStringLiteral("1/15"));
    xdate->setText(QString::number(QDate::currentDate().year()).rightJustified(4, u'0'));
    xmonth->setText(QStringLiteral("01"));
    sel->setCurrentIndex(0);
    suiPageControl1->setCurrentIndex(0);
}

Tjiga_auto2::~Tjiga_auto2()
{
    qApp->removeEventFilter(this);
}

void Tjiga_auto2::buildAttributePanel()
{
    attributePanel = new QGroupBox(QStringLiteral("문서 속성 선택"), this);
    attributePanel->setObjectName(QStringLiteral("attributePanel"));
    xkind = listBox("xkind", model::documentKindItems(), attributePanel);
    xkind->setStyleSheet(QStringLiteral("QComboBox { background: rgb(255, 255, 244); }"));
    xdate = new ui::MaskedDigitsField(4, attributePanel);
    xdate->setObjectName(QStringLiteral("xdate"));
    xdate->setToolTip(QStringLiteral("조사연도 4자리"));
    xmonth = new ui::MaskedDigitsField(2, attributePanel);
    xmonth->setObjectName(QStringLiteral("xmonth"));
    xmonth->setToolTip(QStringLiteral("조사기준월 2자리"));
    xjuso1 = listBox("xjuso1", {model::sampleTown()}, attributePanel);
    xjuso2 = listBox("xjuso2", {model::sampleVillage()}, attributePanel);

    auto* grid = new QGridLayout(attributePanel);
    grid->addWidget(labelFor(QStringLiteral("문서구분 :"), xkind, attributePanel), 0, 0);
    grid->addWidget(xkind, 0, 1, 1, 3);
    grid->addWidget(labelFor(QStringLiteral("조사기준연도 :"), xdate, attributePanel), 1, 0);
    grid->addWidget(xdate, 1, 1);
    grid->addWidget(labelFor(QStringLiteral("조사기준월 :"), xmonth, attributePanel), 1, 2);
    grid->addWidget(xmonth, 1, 3);
    grid->addWidget(labelFor(QStringLiteral("등록지역 :"), xjuso1, attributePanel), 2, 0);
    grid->addWidget(xjuso1, 2, 1);
    grid->addWidget(xjuso2, 2, 2, 1, 2);
    xjuso1->setAccessibleName(QStringLiteral("등록지역 시읍면"));
    xjuso2->setAccessibleName(QStringLiteral("등록지역 동리"));

    // The Enter chain kind, year, month, town; the region lists cannot be typed into.
    ui::attachKeyRule(xkind, KeyRule::EnterMovesAndSelectsElseSwallow, xdate);
    ui::attachKeyRule(xdate, KeyRule::EnterMovesAndSelects, xmonth);
    ui::attachKeyRule(xmonth, KeyRule::EnterMovesIfEnabled, xjuso1);
    ui::attachKeyRule(xjuso1, KeyRule::Swallow);
    ui::attachKeyRule(xjuso2, KeyRule::Swallow);
}

void Tjiga_auto2::buildRunTab()
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
        bars->addWidget(labelFor(caption, bar, autoTab), row, 0);
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
    lists->addWidget(labelFor(QStringLiteral("등록 실패 파일 목록 :"), mLog, autoTab), 0, 0);
    lists->addWidget(labelFor(QStringLiteral("인식 성공 필지 :"), memo1, autoTab), 0, 1);
    lists->addWidget(mLog, 1, 0);
    lists->addWidget(memo1, 1, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 2);

    auto* page = new QVBoxLayout(autoTab);
    page->addLayout(top);
    page->addWidget(Label7);
    page->addLayout(lists, 1);
}

void Tjiga_auto2::buildManualTab()
{
    manualTab = new QWidget;
    manualTab->setObjectName(QStringLiteral("manualTab"));
    sel->addTab(manualTab, QStringLiteral("수동등록"));

    registration::LotListHost host;
    host.town = xjuso1;
    host.village = xjuso2;
    host.imageChosen = [this] { return browser->hasPreviewed(); };
    host.imageMissingFocus = xdate;
    const auto options = registration::LotListOptions::automaticTab();

    lotPanel = new QGroupBox(QStringLiteral("지가조서 지번(필지) 입력"), manualTab);
    lotPanel->setObjectName(QStringLiteral("lotPanel"));
    lots = new registration::LotList(host, options, lotPanel);
    lots->jusogrid->setAccessibleName(lotPanel->title());
    lots->suiButton18->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    lots->suiButton18->setIconSize(QSize(24, 24));
    auto* panel = new QVBoxLayout(lotPanel);
    panel->addWidget(lots);
    auto* page = new QVBoxLayout(manualTab);
    page->addWidget(lotPanel, 1);
}

void Tjiga_auto2::buildSettingsPanel()
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

QWidget* Tjiga_auto2::buildEnvironmentTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("environmentTab"));
    const QString failHint = QStringLiteral("인식실패 기준열");
    doxnum = settingField("doxnum", QStringLiteral("5"), 2, failHint, tab);
    errnum = settingField("errnum", QStringLiteral("3"), 2, failHint, tab);

    auto* grid = new QGridLayout(tab);
    grid->addWidget(labelFor(QStringLiteral("인식 실패기준 열 갯수 :"), doxnum, tab), 0, 0);
    grid->addWidget(doxnum, 0, 1);
    grid->addWidget(labelFor(QStringLiteral("인식 중지 실패 횟수 :"), errnum, tab), 1, 0);
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

QWidget* Tjiga_auto2::buildAreaTab()
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
    point->addWidget(labelFor(QStringLiteral("X :"), xpt, tab));
    point->addWidget(xpt);
    point->addWidget(labelFor(QStringLiteral("Y :"), ypt, tab));
    point->addWidget(ypt);
    point->addStretch(1);
    xpt->setAccessibleName(QStringLiteral("선택한 X좌표"));
    ypt->setAccessibleName(QStringLiteral("선택한 Y좌표"));
    grid->addLayout(point, 0, 0, 1, 3);
    int row = 1;
    auto addSetting = [&](const QString& caption, QLineEdit* field, QPushButton* set) {
        grid->addWidget(labelFor(caption, field, tab), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(set, row, 2);
        // Four buttons share the caption "설정"; the description says which setting each one sets.
        set->setAccessibleDescription(spokenCaption(caption));
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

QWidget* Tjiga_auto2::buildRemovalTab()
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
    grid->addWidget(labelFor(QStringLiteral("일반바탕제거 보정치 :"), alsu, tab), 0, 1);
    grid->addWidget(alsu, 0, 2);
    grid->addWidget(suiButton9, 1, 1, 1, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(2, 1);
    return tab;
}

QWidget* Tjiga_auto2::buildFontTab()
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

QWidget* Tjiga_auto2::buildManualScreenTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("manualScreenTab"));
    suiButton3 = pushButton("suiButton3", QStringLiteral("적용"), tab);
    auto* grid = new QGridLayout(tab);
    // The caption describes the button, which keeps its own name "적용".
    auto* caption = new QLabel(QStringLiteral("화면확대비율/위치 :"), tab);
    caption->setBuddy(suiButton3);
    suiButton3->setAccessibleDescription(spokenCaption(caption->text()));
    grid->addWidget(caption, 0, 0);
    grid->addWidget(suiButton3, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);
    return tab;
}

void Tjiga_auto2::centreViewOn(QPointF page)
{
    ui::ImageView* view = viewer->ImgView;
    const QPointF at = view->mapPageToView(page);
    const QPointF middle = QRectF(view->visibleArea()).center();
    view->scrollByPixels(int(std::lround(at.x() - middle.x())), int(std::lround(at.y() - middle.y())));
}

void Tjiga_auto2::capturePagePoint(QPoint page)
{
    xpt->setText(QString::number(page.x()));
    ypt->setText(QString::number(page.y()));
}

// The picked coordinate's text goes over unchanged, even where it is longer than the setting lets the user type.
void Tjiga_auto2::suiButton5Click()
{
    styval->setText(ypt->text());
}
void Tjiga_auto2::suiButton7Click()
{
    stxval->setText(xpt->text());
}
void Tjiga_auto2::suiButton10Click()
{
    xcell->setText(xpt->text());
}
void Tjiga_auto2::suiButton6Click()
{
    xzone->setText(xpt->text());
}

bool Tjiga_auto2::running() const
{
    return run_->running();
}

std::vector<std::string> Tjiga_auto2::listedFiles() const
{
    // The file list keeps each entry's full path as the file system spells it.
    std::vector<std::string> files;
    const QListWidget* list = browser->FileListBox1;
    files.reserve(std::size_t(list->count()));
    for (int i = 0; i < list->count(); ++i) {
        const QByteArray path = list->item(i)->data(Qt::UserRole).toByteArray();
        files.emplace_back(path.constData(), std::size_t(path.size()));
    }
    return files;
}

void Tjiga_auto2::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void Tjiga_auto2::FormShow()
{
    const std::filesystem::path files(QFile::encodeName(model::filesFolder(appDir())).toStdString());
    if (ui::runCommand(this, [&] { browser->openFolder(files); }))
        return;
    // Without the image folder the browser starts in the application directory, so the user can still browse.
    const std::filesystem::path fallback(QFile::encodeName(appDir()).toStdString());
    ui::runCommand(this, [&] { browser->openFolder(fallback); });
}

void Tjiga_auto2::FileListBox1Click()
{
    const auto file = browser->selectedFile();
    if (!file)
        return;
    ui::ImageView* view = viewer->ImgView;
    // The manual tab keeps the user's zoom and the part of the page in view
    // from one sheet to the next, also across a registration, which empties
    // the view; see kAutoTabScaleEntry for the automatic tab.
    std::optional<QPointF> keptCentre;
    if (sel->currentIndex() == 1)
        keptCentre = view->page().empty() ? manualCentre_ : std::optional<QPointF>(viewCentre());
    const bool keepView = keptCentre.has_value();
    browser->showPreviewed(*file);
    const bool loaded = ui::runCommand(this, [&] {
        try {
            image::loadPage(file->native(), view->page());
        } catch (...) {
            view->pageChanged();
            throw;
        }
        view->pageChanged();
    });
    if (!loaded)
        return;
    memo1->clear();
    if (keepView) {
        centreViewOn(*keptCentre);
    } else {
        viewer->selectScaleEntry(kAutoTabScaleEntry);
        centreViewOn(kAutoTabCentre);
    }
    browser->FileListBox1->setFocus(Qt::OtherFocusReason);
}

void Tjiga_auto2::N1801Click()
{
    if (browser->deleteSelectedFile()) {
        FileListBox1Click();
        return;
    }
    // Nothing left to show: the deleted page must not stay shown.
    viewer->clearPage();
}

void Tjiga_auto2::suiButton9Click()
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
        viewer->ImgView->pageChanged();
    });
}

QPointF Tjiga_auto2::viewCentre() const
{
    const ui::ImageView* view = viewer->ImgView;
    return view->mapViewToPage(QRectF(view->visibleArea()).center());
}

void Tjiga_auto2::ResetManualEntry()
{
    lots->unlockRegion();
    if (!viewer->ImgView->page().empty())
        manualCentre_ = viewCentre();
    viewer->clearPage();
    if (!browser->folder().empty())
        ui::runCommand(this, [this] { browser->rereadFiles(); });
    browser->FileListBox1->repaint();
    browser->selectFirstFile();
    lots->clearLots();
}

void Tjiga_auto2::suiButton2Click()
{
    lots->suiButton5Click();
}

void Tjiga_auto2::suiButton18Click()
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
    browser->FileListBox1->repaint();
    if (browser->FileListBox1->count() > 0)
        FileListBox1Click();
    lots->xjuso3->setFocus(Qt::OtherFocusReason);
}

bool Tjiga_auto2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // The window sees each key once, where it first arrives (the focused control), before that control does.
        QWidget* first = focusWidget() ? focusWidget() : this;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (w == first && w->window() == this && !ui::isRepeatOfCommandKey(*key))
            FormKeyDown(key->key());
    }
    return WorkWindow::eventFilter(watched, event);
}

void Tjiga_auto2::FormKeyDown(int key)
{
    if (key == Qt::Key_F9)
        suiButton18Click();
}

RecognitionSettings Tjiga_auto2::runSettings() const
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

void Tjiga_auto2::suiButton1Click()
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

void Tjiga_auto2::FormCloseQuery()
{
    recognizer_.reset();
}

void Tjiga_auto2::closeEvent(QCloseEvent* e)
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
