#include "modify/modifywindow.h"

#include "components/designlayout.h"
#include "components/regionlists.h"
#include "components/resultgrids.h"
#include "components/searchpanel.h"
#include "model/keyrules.h"
#include "model/landrecord.h"
#include "ui/grid/stringgrid.h"
#include "ui/keyfilter.h"
#include "viewer/imageviewer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
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

ModifyWindow::ModifyWindow(const QString& appDir, std::shared_ptr<components::RegionSource> regions)
    : WorkWindow(appDir, QStringLiteral("지가조서 수정/삭제"), TitleButtons::CloseOnly)
{
    setObjectName(QStringLiteral("jiga_select"));

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

    // The record grid follows its selection (xgridSelectCell); nothing reads
    // it. Neither grid has a click or double-click action, and no command
    // button has an action in this window.
    connect(recordGrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { selectedRecordRow_ = row; });

    resetState();
}

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

void ModifyWindow::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!e->spontaneous())
        searchPanel->mainNumber->setFocus(Qt::OtherFocusReason); // FormShow
}

} // namespace rida::modify
