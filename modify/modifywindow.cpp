#include "modify/modifywindow.h"

#include "components/designlayout.h"
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

ModifyWindow::ModifyWindow(const QString& appDir) : WorkWindow(appDir, QStringLiteral("지가조서 수정/삭제"), TitleButtons::CloseOnly)
{
    setObjectName(QStringLiteral("jiga_select"));

    suiPanel6 = new components::SearchPanel({.startYear = 0}, this);

    xgrid = components::makeRecordGrid();
    suiPanel5 = new GridPanel(components::recordPanelTitle(), xgrid, this);
    suiPanel5->setObjectName(QStringLiteral("suiPanel5"));

    ygrid = components::makeLotGrid(components::modifyLotWidths());
    suiPanel7 = new GridPanel(components::lotPanelTitle(), ygrid, this);
    suiPanel7->setObjectName(QStringLiteral("suiPanel7"));
    suiButton5 = boldButton(QStringLiteral("삭제"), "#ff0000", {78, 27}, suiPanel7);
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addStretch(1);
    deleteRow->addWidget(suiButton5);
    static_cast<QVBoxLayout*>(suiPanel7->layout())->addLayout(deleteRow);

    suiPanel1 = new QGroupBox(QStringLiteral("이미지 뷰어"), this);
    suiPanel1->setObjectName(QStringLiteral("suiPanel1"));
    viewer::ViewerConfig config = viewer::ViewerConfig::modify();
    config.scaleLabel = QStringLiteral("화면비율");
    viewer = new viewer::ImageViewer(config, viewer::ViewerHooks{}, suiPanel1);
    auto* viewerLayout = new QVBoxLayout(suiPanel1);
    viewerLayout->setContentsMargins(3, 3, 3, 3);
    viewerLayout->addWidget(viewer);

    suiPanel2 = buildLotAddPanel();
    suiPanel3 = buildDeletePanel();

    auto* layout = new DesignLayout(kDesignClient, this);
    layout->addWidget(suiPanel6, designRect(2, 33, 260, 162), kLeftTop);
    layout->addWidget(suiPanel5, designRect(2, 197, 260, 189), kLeftTop);
    layout->addWidget(suiPanel7, designRect(2, 388, 260, 351), kLeftTop | Qt::BottomEdge);
    layout->addWidget(suiPanel1, designRect(264, 32, 758, 564), kLeftTop | Qt::RightEdge | Qt::BottomEdge);
    layout->addWidget(suiPanel2, designRect(264, 599, 613, 140), Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    layout->addWidget(suiPanel3, designRect(879, 600, 143, 140), Qt::RightEdge | Qt::BottomEdge);

    // The record grid follows its selection (xgridSelectCell); nothing reads
    // it. Neither grid has a click or double-click action, and no command
    // button has an action in this window.
    connect(xgrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { SelectedRecordRow = row; });

    FormCreate();
}

QGroupBox* ModifyWindow::buildLotAddPanel()
{
    auto* panel = new QGroupBox(QStringLiteral("지번 추가"), this);
    panel->setObjectName(QStringLiteral("suiPanel2"));

    auto* regionLabel = new QLabel(QStringLiteral("지역 :"), panel);
    rexjuso1 = components::makeRegionList(model::sampleTown(), QStringLiteral("추가 지역 읍면"), panel);
    rexjuso2 = components::makeRegionList(model::sampleVillage(), QStringLiteral("추가 지역 동리"), panel);
    regionLabel->setBuddy(rexjuso1);
    auto* lotLabel = new QLabel(QStringLiteral("지번 :"), panel);
    resan = new QCheckBox(QStringLiteral("산"), panel);
    rexjuso3 = new components::LotNumberField(panel);
    rexjuso3->setAccessibleName(QStringLiteral("추가 본번"));
    rexjuso4 = new components::LotNumberField(panel);
    rexjuso4->setAccessibleName(QStringLiteral("추가 부번"));
    lotLabel->setBuddy(rexjuso3);
    auto* dash = new QLabel(QStringLiteral("-"), panel);
    suiButton4 = boldButton(QStringLiteral("추가"), "#0000ff", {78, 27}, panel);

    ui::attachKeyRule(rexjuso3, model::KeyRule::EnterMoves, rexjuso4);
    ui::attachKeyRule(rexjuso4, model::KeyRule::EnterMoves, suiButton4);

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->addWidget(regionLabel, 0, 0);
    auto* regions = new QHBoxLayout;
    regions->addWidget(rexjuso1);
    regions->addWidget(rexjuso2);
    regions->addStretch(1);
    grid->addLayout(regions, 0, 1);
    grid->addWidget(lotLabel, 1, 0);
    auto* lot = new QHBoxLayout;
    lot->addWidget(resan);
    lot->addWidget(rexjuso3);
    lot->addWidget(dash);
    lot->addWidget(rexjuso4);
    lot->addSpacing(12);
    lot->addWidget(suiButton4);
    lot->addStretch(1);
    grid->addLayout(lot, 1, 1);
    grid->setColumnStretch(1, 1);

    // Tab reaches the sub number before the main number.
    setTabOrder(suiButton4, rexjuso1);
    setTabOrder(rexjuso1, rexjuso2);
    setTabOrder(rexjuso2, rexjuso4);
    setTabOrder(rexjuso4, rexjuso3);
    setTabOrder(rexjuso3, resan);
    return panel;
}

QGroupBox* ModifyWindow::buildDeletePanel()
{
    auto* panel = new QGroupBox(QStringLiteral("문서/필지 전체 삭제"), this);
    panel->setObjectName(QStringLiteral("suiPanel3"));
    suiButton26 = boldButton(QStringLiteral("삭제"), "#ff0000", {84, 54}, panel);
    suiButton26->setToolTip(QStringLiteral("입력 폴더로 복구"));
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(suiButton26, 0, Qt::AlignCenter);
    return panel;
}

void ModifyWindow::FormCreate()
{
    // As the lookup window's reset.
    viewer->resetPanMode();
    SearchDone = false;
    viewer->clearPage();
    xgrid->clearDataRows();
    ygrid->clearDataRows();
    suiPanel7->setCaption(components::lotPanelTitle());
    // The record columns xbun, fpath and fname were hidden by makeRecordGrid.
    suiPanel6->townList->setCurrentIndex(0);
    rexjuso1->setCurrentIndex(0);
}

void ModifyWindow::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!e->spontaneous())
        suiPanel6->mainNumber->setFocus(Qt::OtherFocusReason);  // FormShow
}

} // namespace rida::modify
