#include "registration/jiga_insertu.h"

#include "model/landrecord.h"
#include "registration/filebrowser.h"
#include "registration/lotlist.h"
#include "ui/fields.h"
#include "ui/help.h"
#include "ui/keyfilter.h"
#include "image/codec.h"
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
using model::KeyRule;

namespace {

QLabel* labelFor(const QString& text, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    QString spoken = text;
    spoken.remove(u':');
    field->setAccessibleName(spoken.trimmed());
    return label;
}

QComboBox* regionList(const char* name, const QString& item, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItem(item);
    list->setCurrentIndex(0);
    return list;
}

} // namespace

Tjiga_insert::Tjiga_insert(const QString& appDir) : WorkWindow(appDir, QStringLiteral("지가조서 등록"), TitleButtons::CloseOnly)
{
    setObjectName(QStringLiteral("jiga_insert"));

    browser = new FileBrowser(QStringLiteral("*.jpg"), this);
    browser->setFixedSize(333, 343);
    xsel = new QTabWidget(this);
    xsel->setObjectName(QStringLiteral("xsel"));
    xsel->setFixedWidth(333);
    buildAttributeTab();

    rida::viewer::ViewerConfig config = rida::viewer::ViewerConfig::registration();
    // F7 and F8 are window keys here (FormKeyDown), seen before the focused control, which gets them too.
    config.scaleStepKeys = false;
    rida::viewer::ViewerHooks hooks;
    // This window has no command that switches the magnifier off: "취소" and "돋보기 취소" delete the selected lot.
    hooks.cancel = [this] { lots->suiButton5Click(); };
    hooks.showMessage = [](QWidget* parent, const QString& text) { ui::services().showMessage(parent, text); };
    hooks.reportError = [](QWidget* parent, const QString& text) { ui::reportError(parent, text); };
    suiPanel1 = new QGroupBox(QStringLiteral("이미지 뷰어"), this);
    suiPanel1->setObjectName(QStringLiteral("suiPanel1"));
    viewer = new rida::viewer::ImageViewer(std::move(config), std::move(hooks), suiPanel1);
    viewer->ImgView->setAccessibleName(QStringLiteral("이미지 뷰어"));
    viewer->ScaleCombo->setAccessibleName(QStringLiteral("화면비율"));
    viewer->MagnMagnification->setAccessibleName(QStringLiteral("돋보기 배율"));
    (new QVBoxLayout(suiPanel1))->addWidget(viewer);
    buildSettingsTab();

    auto* left = new QVBoxLayout;
    left->addWidget(browser);
    left->addWidget(xsel, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(suiPanel1, 1);

    connect(browser, &FileBrowser::fileChosen, this, &Tjiga_insert::FileListBox1Click);
    connect(browser, &FileBrowser::deleteRequested, this, &Tjiga_insert::MenuItem1Click);

    qApp->installEventFilter(this);

    // FormCreate
    ResetManualEntry();
    xdate->setText(QString::number(QDate::currentDate().year()).rightJustified(4, u'0'));
    xmonth->setText(QStringLiteral("01"));
}

void Tjiga_insert::buildAttributeTab()
{
    suiTabSheet1 = new QWidget;
    suiTabSheet1->setObjectName(QStringLiteral("suiTabSheet1"));
    xsel->addTab(suiTabSheet1, QStringLiteral("지가조서속성 입력"));

    xkind = new QComboBox(suiTabSheet1);
    xkind->setObjectName(QStringLiteral("xkind"));
    xkind->setEditable(true);
    xkind->setInsertPolicy(QComboBox::NoInsert);
    xkind->addItems(model::documentKindItems());
    xkind->setCurrentIndex(0);
    xkind->setStyleSheet(QStringLiteral("QComboBox { background: rgb(255, 255, 244); }"));

    xdate = new ui::MaskedDigitsField(4, suiTabSheet1);
    xdate->setObjectName(QStringLiteral("xdate"));
    xdate->setToolTip(QStringLiteral("조사연도 4자리"));
    xmonth = new ui::MaskedDigitsField(2, suiTabSheet1);
    xmonth->setObjectName(QStringLiteral("xmonth"));
    xmonth->setToolTip(QStringLiteral("조사월 2자리"));

    xjuso1 = regionList("xjuso1", model::sampleTown(), suiTabSheet1);
    xjuso2 = regionList("xjuso2", model::sampleVillage(), suiTabSheet1);

    LotListHost host;
    host.town = xjuso1;
    host.village = xjuso2;
    host.imageChosen = [this] { return browser->hasPreviewed(); };
    host.imageMissingFocus = xdate;
    lots = new LotList(host, LotListOptions{}, suiTabSheet1);

    auto* grid = new QGridLayout;
    grid->addWidget(labelFor(QStringLiteral("조서구분 :"), xkind, suiTabSheet1), 0, 0);
    grid->addWidget(xkind, 0, 1, 1, 3);
    grid->addWidget(labelFor(QStringLiteral("조사기준연도 :"), xdate, suiTabSheet1), 1, 0);
    grid->addWidget(xdate, 1, 1);
    grid->addWidget(labelFor(QStringLiteral("기준월 :"), xmonth, suiTabSheet1), 1, 2);
    grid->addWidget(xmonth, 1, 3);
    grid->addWidget(labelFor(QStringLiteral("등록지역 :"), xjuso1, suiTabSheet1), 2, 0);
    grid->addWidget(xjuso1, 2, 1);
    grid->addWidget(xjuso2, 2, 2, 1, 2);
    xjuso1->setAccessibleName(QStringLiteral("등록지역 시읍면"));
    xjuso2->setAccessibleName(QStringLiteral("등록지역 동리"));
    auto* page = new QVBoxLayout(suiTabSheet1);
    page->addLayout(grid);
    page->addWidget(lots, 1);

    // The Enter chain kind, year, month, town; the region lists cannot be typed into.
    ui::attachKeyRule(xkind, KeyRule::EnterMovesAndSelectsElseSwallow, xdate);
    ui::attachKeyRule(xdate, KeyRule::EnterMovesAndSelects, xmonth);
    ui::attachKeyRule(xmonth, KeyRule::EnterMovesIfEnabled, xjuso1);
    ui::attachKeyRule(xjuso1, KeyRule::Swallow);
    ui::attachKeyRule(xjuso2, KeyRule::Swallow);
}

void Tjiga_insert::buildSettingsTab()
{
    suiTabSheet2 = new QWidget;
    suiTabSheet2->setObjectName(QStringLiteral("suiTabSheet2"));
    xsel->addTab(suiTabSheet2, QStringLiteral("환경설정"));

    auto pair = [this](const QString& label, const QString& a, const QString& b, QRadioButton*& ra,
                       QRadioButton*& rb, const char* name) {
        auto* box = new QWidget(suiTabSheet2);
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
        auto* l = labelFor(label, box, suiTabSheet2);
        l->setBuddy(ra);
        return std::pair<QLabel*, QWidget*>{l, box};
    };
    auto [cmLabel, cmck] = pair(QStringLiteral("파일 복사/이동 :"), QStringLiteral("복사"), QStringLiteral("이동"),
                                cmCopy, cmMove, "cmck");
    auto [nmLabel, nmck] = pair(QStringLiteral("파일명규칙변경 :"), QStringLiteral("변경"), QStringLiteral("미변경"),
                                nmChange, nmKeep, "nmck");
    cmMove->setChecked(true);
    nmChange->setChecked(true);
    suiButton1 = new QPushButton(QStringLiteral("적용"), suiTabSheet2);
    suiButton1->setObjectName(QStringLiteral("suiButton1"));
    auto* grid = new QGridLayout(suiTabSheet2);
    grid->addWidget(cmLabel, 0, 0);
    grid->addWidget(cmck, 0, 1);
    grid->addWidget(nmLabel, 1, 0);
    grid->addWidget(nmck, 1, 1);
    auto* zoomLabel = new QLabel(QStringLiteral("화면확대비율/위치 :"), suiTabSheet2);
    zoomLabel->setBuddy(suiButton1);  // the button keeps its caption as its name
    grid->addWidget(zoomLabel, 2, 0);
    grid->addWidget(suiButton1, 2, 1);
    grid->setRowStretch(3, 1);
    // Shown, but nothing on it can be changed and nothing reads it.
    suiTabSheet2->setEnabled(false);
}

void Tjiga_insert::ResetManualEntry()
{
    viewer->resetPanMode();
    lots->unlockRegion();
    viewer->clearPage();
    if (!browser->folder().empty())
        ui::runCommand(this, [this] { browser->rereadFiles(); });
    browser->FileListBox1->update();
    browser->selectFirstFile();
    lots->clearLots();
}

void Tjiga_insert::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void Tjiga_insert::FormShow()
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

void Tjiga_insert::FileListBox1Click()
{
    if (const auto file = browser->selectedFile())
        preview(*file);
}

void Tjiga_insert::preview(const fs::path& file)
{
    browser->showPreviewed(file);
    ui::runCommand(this, [&] {
        loadPage(file);
        viewer->selectScaleEntry(viewer->ScaleCombo->findText(QString::fromLatin1(kPreviewScale)));
        centreViewOn(QPointF(0, 0));
        browser->FileListBox1->setFocus(Qt::OtherFocusReason);
    });
}

void Tjiga_insert::loadPage(const fs::path& file)
{
    // By the name's own bytes, so that a name that is not valid in the locale's encoding still opens.
    try {
        image::loadPage(file.native(), viewer->page());
    } catch (...) {
        viewer->view()->pageChanged();  // the page is empty now: the view must not show the previous one
        throw;
    }
    viewer->view()->pageChanged();
}

void Tjiga_insert::centreViewOn(QPointF pagePoint)
{
    ui::ImageView* view = viewer->view();
    const QPointF at = view->mapPageToView(pagePoint);
    const QPointF centre = QRectF(view->visibleArea()).center();
    view->scrollByPixels(int(at.x() - centre.x()), int(at.y() - centre.y()));
}

void Tjiga_insert::MenuItem1Click()
{
    if (browser->deleteSelectedFile()) {
        FileListBox1Click();
        return;
    }
    // No image left to show (or the folder itself has gone): the deleted page must not stay shown.
    viewer->clearPage();
}

bool Tjiga_insert::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // Key preview: the window sees the key once, where it first arrives (the focused control).
        QWidget* first = focusWidget() ? focusWidget() : this;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (w == first && w->window() == this && !ui::isRepeatOfCommandKey(*key))
            FormKeyDown(key->key());
    }
    return WorkWindow::eventFilter(watched, event);
}

bool Tjiga_insert::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_F7:
        viewer->stepScale(+1);
        return true;
    case Qt::Key_F8:
        viewer->stepScale(-1);
        return true;
    case Qt::Key_F12:
        ui::openHelpTopic(appDir(), QStringLiteral("3_5_h.htm"));
        return true;
    default:
        return false;
    }
}

} // namespace rida::registration
