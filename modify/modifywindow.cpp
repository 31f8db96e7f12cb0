#include "modify/modifywindow.h"

#include "archive/parcel.h"
#include "archive/placement.h"
#include "components/designlayout.h"
#include "components/pagefiling.h"
#include "components/recordlookup.h"
#include "components/regionlists.h"
#include "components/resultgrids.h"
#include "components/searchpanel.h"
#include "model/digits.h"
#include "model/keyrules.h"
#include "model/landrecord.h"
#include "ui/fields.h"
#include "ui/grid/stringgrid.h"
#include "ui/keyfilter.h"
#include "ui/services.h"
#include "viewer/imageviewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace rida::modify {

using components::DesignLayout;
using ui::grid::GridPanel;

namespace {
constexpr auto kLeftTop = components::kAnchorLeftTop;
using components::designRect;
using components::kDesignClient;

QPushButton* boldButton(const QString& caption, const char* colour, QSize size, QWidget* parent)
{
    auto* b = components::makeCommandButton(caption, parent);
    b->setFixedSize(size);
    b->setStyleSheet(QStringLiteral("QPushButton { color: %1; font-weight: bold; }").arg(QLatin1String(colour)));
    return b;
}
} // namespace

ModifyWindow::ModifyWindow(const QString& appDir, std::shared_ptr<components::RegionSource> regions,
                           std::optional<components::PageArchive> archive)
    : WorkWindow(appDir, QStringLiteral("지가조서 수정/삭제"), TitleButtons::CloseOnly), attributeKindList(nullptr),
      attributeYear(nullptr), attributeMonth(nullptr), changeAttributesButton(nullptr)
{
    setObjectName(QStringLiteral("jiga_select"));
    if (archive && archive->store)
        lookup_ = std::make_unique<components::RecordLookup>(*archive);

    searchPanel = new components::SearchPanel({.startYear = 0, .regions = regions}, this);

    recordGrid = components::makeRecordGrid();
    recordPanel = new GridPanel(components::recordPanelTitle(), recordGrid, this);
    recordPanel->setObjectName(QStringLiteral("suiPanel5"));

    lotGrid = components::makeLotGrid(components::modifyLotWidths());
    lotPanel = new GridPanel(components::lotPanelTitle(), lotGrid, this);
    lotPanel->setObjectName(QStringLiteral("suiPanel7"));
    deleteLotButton = boldButton(QStringLiteral("삭제"), "#ff0000", {78, 27}, lotPanel);
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addStretch(1);
    deleteRow->addWidget(deleteLotButton);
    static_cast<QVBoxLayout*>(lotPanel->layout())->addLayout(deleteRow);

    viewerPanel = new QGroupBox(QStringLiteral("이미지 뷰어"), this);
    viewerPanel->setObjectName(QStringLiteral("suiPanel1"));
    viewer::ViewerConfig config = viewer::ViewerConfig::modify();
    config.scaleLabel = QStringLiteral("화면비율");
    viewer = new viewer::ImageViewer(config, viewer::ViewerHooks{}, viewerPanel);
    auto* viewerLayout = new QVBoxLayout(viewerPanel);
    viewerLayout->setContentsMargins(3, 3, 3, 3);
    viewerLayout->addWidget(viewer);

    lotAddPanel = buildLotAddPanel(regions);
    documentDeletePanel = buildDeletePanel();

    auto* layout = new DesignLayout(kDesignClient, this);
    layout->addWidget(searchPanel, designRect(2, 33, 260, 162), kLeftTop);
    layout->addWidget(recordPanel, designRect(2, 197, 260, 189), kLeftTop);
    layout->addWidget(lotPanel, designRect(2, 388, 260, 351), kLeftTop | Qt::BottomEdge);
    layout->addWidget(viewerPanel, designRect(264, 32, 758, 564), kLeftTop | Qt::RightEdge | Qt::BottomEdge);
    layout->addWidget(lotAddPanel, designRect(264, 599, 613, 140), Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    layout->addWidget(documentDeletePanel, designRect(879, 600, 143, 140), Qt::RightEdge | Qt::BottomEdge);

    // The record grid follows its selection (xgridSelectCell). In the
    // demonstration build nothing reads it, neither grid has a click or
    // double-click action and no command button has an action.
    connect(recordGrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { selectedRecordRow_ = row; });
    if (lookup_) {
        connect(lotGrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { selectedLotRow_ = row; });
        connect(searchPanel->searchButton, &QPushButton::clicked, this, &ModifyWindow::search);
        connect(recordGrid, &ui::grid::StringGrid::gridDoubleClicked, this, &ModifyWindow::openSelectedRecord);
        connect(addLotButton, &QPushButton::clicked, this, &ModifyWindow::addLot);
        connect(deleteLotButton, &QPushButton::clicked, this, &ModifyWindow::removeSelectedLot);
        connect(changeAttributesButton, &QPushButton::clicked, this, &ModifyWindow::changeAttributes);
        connect(deleteDocumentButton, &QPushButton::clicked, this, &ModifyWindow::deleteDocument);
        auto step = [this](int by) {
            ui::runCommand(this, [&] {
                const QString text = searchPanel->subNumber->text().trimmed();
                const int now = text.isEmpty() ? (by > 0 ? 0 : 1) : model::toInteger(text);
                searchPanel->subNumber->setText(QString::number(std::max(0, now + by)));
            });
            search();
        };
        connect(searchPanel->previousSubButton, &QToolButton::clicked, this, [step] { step(-1); });
        connect(searchPanel->nextSubButton, &QToolButton::clicked, this, [step] { step(+1); });

        // What the signed-in user's role allows; 조회자 only looks.
        archive::Store& store = lookup_->store();
        const bool corrects = store.may(archive::Command::ModifyRecords);
        const QString readOnly = QStringLiteral("조회자는 고칠 수 없습니다(읽기 전용).");
        for (QPushButton* b : {addLotButton, deleteLotButton, changeAttributesButton}) {
            b->setEnabled(corrects);
            if (!corrects)
                b->setToolTip(readOnly);
        }
        const bool deletes = store.may(archive::Command::DeleteDocuments);
        deleteDocumentButton->setEnabled(deletes);
        if (!deletes)
            deleteDocumentButton->setToolTip(QStringLiteral("입력 폴더로 복구 (관리자만 사용할 수 있습니다)"));
    }

    resetState();
}

ModifyWindow::~ModifyWindow() = default;

QGroupBox* ModifyWindow::buildLotAddPanel(const std::shared_ptr<components::RegionSource>& regionSource)
{
    auto* panel = new QGroupBox(QStringLiteral("지번 추가"), this);
    panel->setObjectName(QStringLiteral("suiPanel2"));

    auto* regionLabel = new QLabel(QStringLiteral("지역 :"), panel);
    addTownList = components::makeRegionList(model::sampleTown(), QStringLiteral("추가 지역 읍면"), panel);
    addVillageList = components::makeRegionList(model::sampleVillage(), QStringLiteral("추가 지역 동리"), panel);
    components::bindRegionLists(addTownList, addVillageList, regionSource);
    regionLabel->setBuddy(addTownList);
    auto* lotLabel = new QLabel(QStringLiteral("지번 :"), panel);
    addSanBox = new QCheckBox(QStringLiteral("산"), panel);
    addMainNumber = new components::LotNumberField(panel);
    addMainNumber->setAccessibleName(QStringLiteral("추가 본번"));
    addSubNumber = new components::LotNumberField(panel);
    addSubNumber->setAccessibleName(QStringLiteral("추가 부번"));
    lotLabel->setBuddy(addMainNumber);
    auto* dash = new QLabel(QStringLiteral("-"), panel);
    addLotButton = boldButton(QStringLiteral("추가"), "#0000ff", {78, 27}, panel);

    ui::attachKeyRule(addMainNumber, model::KeyRule::EnterMoves, addSubNumber);
    ui::attachKeyRule(addSubNumber, model::KeyRule::EnterMoves, addLotButton);

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->addWidget(regionLabel, 0, 0);
    auto* regions = new QHBoxLayout;
    regions->addWidget(addTownList);
    regions->addWidget(addVillageList);
    regions->addStretch(1);
    grid->addLayout(regions, 0, 1);
    grid->addWidget(lotLabel, 1, 0);
    auto* lot = new QHBoxLayout;
    lot->addWidget(addSanBox);
    lot->addWidget(addMainNumber);
    lot->addWidget(dash);
    lot->addWidget(addSubNumber);
    lot->addSpacing(12);
    lot->addWidget(addLotButton);
    lot->addStretch(1);
    grid->addLayout(lot, 1, 1);
    grid->setColumnStretch(1, 1);

    if (lookup_) {
        // The opened record's kind, survey year and month, to be corrected.
        auto* attributeLabel = new QLabel(QStringLiteral("문서 속성 :"), panel);
        attributeKindList = new QComboBox(panel);
        attributeKindList->addItems(model::documentKindItems());
        attributeKindList->setCurrentIndex(-1);
        attributeKindList->setAccessibleName(QStringLiteral("수정 조서구분"));
        attributeYear = new ui::LengthLimitedEdit(4, panel);
        attributeYear->setAccessibleName(QStringLiteral("수정 조사연도"));
        attributeYear->setToolTip(QStringLiteral("연도 4자리"));
        attributeMonth = new ui::LengthLimitedEdit(2, panel);
        attributeMonth->setAccessibleName(QStringLiteral("수정 조사월"));
        attributeMonth->setToolTip(QStringLiteral("1에서 12"));
        changeAttributesButton = boldButton(QStringLiteral("수정"), "#0000ff", {78, 27}, panel);
        attributeLabel->setBuddy(attributeKindList);
        ui::attachKeyRule(attributeKindList, model::KeyRule::Swallow);
        ui::attachKeyRule(attributeYear, model::KeyRule::EnterMoves, attributeMonth);
        ui::attachKeyRule(attributeMonth, model::KeyRule::EnterMoves, changeAttributesButton);
        grid->addWidget(attributeLabel, 2, 0);
        auto* attributes = new QHBoxLayout;
        attributes->addWidget(attributeKindList);
        attributes->addWidget(attributeYear);
        attributes->addWidget(new QLabel(QStringLiteral("년"), panel));
        attributes->addWidget(attributeMonth);
        attributes->addWidget(new QLabel(QStringLiteral("월"), panel));
        attributes->addSpacing(12);
        attributes->addWidget(changeAttributesButton);
        attributes->addStretch(1);
        grid->addLayout(attributes, 2, 1);
    }

    // Tab reaches the sub number before the main number.
    setTabOrder(addLotButton, addTownList);
    setTabOrder(addTownList, addVillageList);
    setTabOrder(addVillageList, addSubNumber);
    setTabOrder(addSubNumber, addMainNumber);
    setTabOrder(addMainNumber, addSanBox);
    return panel;
}

QGroupBox* ModifyWindow::buildDeletePanel()
{
    auto* panel = new QGroupBox(QStringLiteral("문서/필지 전체 삭제"), this);
    panel->setObjectName(QStringLiteral("suiPanel3"));
    deleteDocumentButton = boldButton(QStringLiteral("삭제"), "#ff0000", {84, 54}, panel);
    deleteDocumentButton->setToolTip(QStringLiteral("입력 폴더로 복구"));
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(deleteDocumentButton, 0, Qt::AlignCenter);
    return panel;
}

void ModifyWindow::resetState()
{
    // As the lookup window's reset.
    viewer->resetPanMode();
    searchDone_ = false;
    viewer->clearPage();
    recordGrid->clearDataRows();
    lotGrid->clearDataRows();
    lotPanel->setCaption(components::lotPanelTitle());
    // The record columns xbun, fpath and fname were hidden by makeRecordGrid.
    searchPanel->townList->setCurrentIndex(0);
    addTownList->setCurrentIndex(0);
}

// ---- The archive edition ------------------------------------------------------

void ModifyWindow::closeRecord()
{
    opened_.reset();
    selectedLotRow_ = 0;
    viewer->clearPage();
    lotGrid->clearDataRows();
    lotPanel->setCaption(components::lotPanelTitle());
    if (attributeKindList) {
        attributeKindList->setCurrentIndex(-1);
        attributeYear->clear();
        attributeMonth->clear();
    }
}

void ModifyWindow::search()
{
    closeRecord();
    recordGrid->clearDataRows();
    searchDone_ = false;
    bool more = false;
    if (!ui::runCommand(this, [&] {
            const components::SearchAnswer answer = lookup_->search(*searchPanel);
            lookup_->showRecords(recordGrid, answer);
            more = answer.more;
            searchDone_ = true;
        }))
        return;
    recordPanel->setCaption(components::recordPanelCaption(recordGrid->dataRowCount(), more));
}

void ModifyWindow::openSelectedRecord()
{
    if (selectedRecordRow_ < 1 || recordGrid->cell(selectedRecordRow_, model::ColBun).isEmpty() || !searchDone_)
        return;
    const qint64 id = recordGrid->cell(selectedRecordRow_, model::ColBun).toLongLong();
    closeRecord();
    ui::runCommand(this, [&] {
        opened_ = lookup_->store().document(id);
        if (!opened_)
            throw archive::changedSinceOpened(id, true);
    });
    if (!opened_)
        return;
    showOpened();
    const QString page =
        recordGrid->cell(selectedRecordRow_, model::ColPath) + recordGrid->cell(selectedRecordRow_, model::ColName);
    ui::runCommand(this, [&] {
        viewer->loadPage(page);
        viewer->selectScaleEntry(1); // "25%"
    });
}

// The opened record's lots and attributes, and its row in the record grid.
void ModifyWindow::showOpened()
{
    const archive::StoredDocument& d = *opened_;
    components::RecordLookup::showLots(lotGrid, lookup_->lots(d.lots));
    lotPanel->setCaption(components::lotPanelCaption(lotGrid->dataRowCount()));
    selectedLotRow_ = 0;
    int kindIndex = -1;
    for (std::size_t k = 0; k < model::documentKinds().size(); ++k)
        if (model::documentKinds()[k].code == d.kind)
            kindIndex = int(k);
    attributeKindList->setCurrentIndex(kindIndex);
    attributeYear->setText(QString::number(d.surveyYear));
    attributeMonth->setText(QString::number(d.surveyMonth));
    for (int row = 1; row <= recordGrid->dataRowCount(); ++row) {
        if (recordGrid->cell(row, model::ColBun).toLongLong() != d.id)
            continue;
        const QStringList cells = lookup_
                                      ->record({d.id, d.kind, d.surveyYear, d.surveyMonth, d.pagePath, d.originalFolder,
                                                d.originalName, d.version})
                                      .cells();
        for (int column = model::ColKind; column <= model::ColMonth; ++column)
            recordGrid->setCell(row, column, cells[column]);
    }
}

void ModifyWindow::change(const std::function<void()>& command)
{
    try {
        command();
    } catch (const archive::ArchiveError& e) {
        ui::services().showMessage(this, e.text(), ui::MessageIcon::Warning);
        if (e.failure() != archive::Failure::Conflict || !opened_)
            return;
        // Somebody changed the record since it was opened: show it as it is now.
        ui::runCommand(this, [&] {
            const qint64 id = opened_->id;
            opened_ = lookup_->store().document(id);
            if (opened_) {
                showOpened();
                return;
            }
            closeRecord();
            for (int row = recordGrid->dataRowCount(); row >= 1; --row)
                if (recordGrid->cell(row, model::ColBun).toLongLong() == id)
                    recordGrid->removeDataRow(row);
            recordPanel->setCaption(components::recordPanelCaption(recordGrid->dataRowCount()));
        });
    } catch (...) {
        ui::reportException(this, std::current_exception());
    }
}

namespace {
const QString kOpenFirst = QStringLiteral("고칠 지가조서를 먼저 여십시오! (검색된 지가조서를 두 번 누르십시오.)");
}

void ModifyWindow::addLot()
{
    auto warn = [this](const QString& text) { ui::services().showMessage(this, text); };
    if (!opened_) {
        warn(kOpenFirst);
        return;
    }
    if (addTownList->currentText().isEmpty() || addMainNumber->text().isEmpty()) {
        warn(QStringLiteral("주소를 입력하십시오!"));
        addTownList->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (model::ContainsNonDigit(addMainNumber->text())) {
        warn(QStringLiteral("본번이 숫자가 아닙니다! 확인하십시오."));
        addMainNumber->setFocus(Qt::OtherFocusReason);
        addMainNumber->selectAll();
        return;
    }
    if (model::ContainsNonDigit(addSubNumber->text())) {
        warn(QStringLiteral("부번이 숫자가 아닙니다! 확인하십시오."));
        addSubNumber->setFocus(Qt::OtherFocusReason);
        addSubNumber->selectAll();
        return;
    }
    archive::Store& store = lookup_->store();
    std::optional<QString> region;
    if (!ui::runCommand(this,
                        [&] { region = store.regionCode(addTownList->currentText(), addVillageList->currentText()); }))
        return;
    if (!region) {
        warn(QStringLiteral("행정코드 목록에 없는 지역입니다! 확인하십시오."));
        addTownList->setFocus(Qt::OtherFocusReason);
        return;
    }
    const archive::NewLot lot{*region, addSanBox->isChecked(), model::toInteger(addMainNumber->text()),
                              addSubNumber->text().isEmpty() ? 0 : model::toInteger(addSubNumber->text())};
    const QString pnu = archive::parcelNumber(lot.regionCode, lot.mountain, lot.mainNumber, lot.subNumber);
    for (const archive::StoredLot& stored : opened_->lots)
        if (stored.parcelNumber == pnu) {
            warn(QStringLiteral("이미 추가된 지번입니다! 확인하십시오."));
            addMainNumber->setFocus(Qt::OtherFocusReason);
            addMainNumber->deselect();
            return;
        }
    change([&] {
        store.addLot(opened_->id, opened_->version, lot);
        opened_ = store.document(opened_->id);
        showOpened();
        addMainNumber->clear();
        addSubNumber->clear();
        addMainNumber->setFocus(Qt::OtherFocusReason);
    });
}

void ModifyWindow::removeSelectedLot()
{
    auto warn = [this](const QString& text) { ui::services().showMessage(this, text); };
    if (!opened_) {
        warn(kOpenFirst);
        return;
    }
    const int row = selectedLotRow_;
    if (row < 1 || row > lotGrid->dataRowCount() || row > opened_->lots.size()) {
        warn(QStringLiteral("취소할 지번을 선택하십시오!"));
        return;
    }
    if (opened_->lots.size() == 1) {
        warn(archive::lastLotRefusal());
        return;
    }
    if (!ui::services().askYesNo(this, QStringLiteral("지번을 취소하겠습니까?")))
        return;
    const archive::StoredLot& stored = opened_->lots[row - 1];
    const archive::NewLot lot{stored.regionCode, stored.mountain, stored.mainNumber, stored.subNumber};
    archive::Store& store = lookup_->store();
    change([&] {
        store.removeLot(opened_->id, opened_->version, lot);
        opened_ = store.document(opened_->id);
        showOpened();
    });
}

void ModifyWindow::changeAttributes()
{
    auto warn = [this](const QString& text) { ui::services().showMessage(this, text); };
    if (!opened_) {
        warn(kOpenFirst);
        return;
    }
    const components::EntryFields fields{true, attributeKindList->currentIndex(), attributeYear->text(),
                                         attributeMonth->text(), 1};
    if (const std::optional<components::EntryProblem> problem = components::checkEntry(fields)) {
        warn(problem->message);
        QWidget* focus = problem->field == components::EntryField::Kind   ? static_cast<QWidget*>(attributeKindList)
                         : problem->field == components::EntryField::Year ? attributeYear
                                                                          : attributeMonth;
        focus->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!ui::services().askYesNo(this, QStringLiteral("문서 속성(조서구분, 조사연도, 조사월)을 고치겠습니까?")))
        return;
    const archive::DocumentAttributes attributes{model::documentKinds().at(std::size_t(fields.kindIndex)).code,
                                                 components::surveyYear(fields.year).value_or(0),
                                                 components::surveyMonth(fields.month).value_or(0)};
    archive::Store& store = lookup_->store();
    change([&] {
        store.updateAttributes(opened_->id, opened_->version, attributes);
        opened_ = store.document(opened_->id);
        showOpened();
    });
}

void ModifyWindow::deleteDocument()
{
    if (!opened_) {
        ui::services().showMessage(this, kOpenFirst);
        return;
    }
    if (!ui::services().askYesNo(this, QStringLiteral("지가조서 문서와 필지를 모두 삭제하겠습니까?\n이미지 파일은 "
                                                      "입력 폴더로 복구합니다.")))
        return;
    archive::Store& store = lookup_->store();
    change([&] {
        const qint64 id = opened_->id;
        const archive::WithdrawnPage withdrawn =
            archive::withdrawDocument(store, lookup_->pageFolder(), id, opened_->version);
        closeRecord();
        for (int row = recordGrid->dataRowCount(); row >= 1; --row)
            if (recordGrid->cell(row, model::ColBun).toLongLong() == id)
                recordGrid->removeDataRow(row);
        recordPanel->setCaption(components::recordPanelCaption(recordGrid->dataRowCount()));
        ui::services().showMessage(this, withdrawn.message, ui::MessageIcon::Information);
    });
}

void ModifyWindow::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!e->spontaneous())
        searchPanel->mainNumber->setFocus(Qt::OtherFocusReason); // FormShow
}

} // namespace rida::modify
