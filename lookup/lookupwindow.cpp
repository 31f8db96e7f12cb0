#include "lookup/lookupwindow.h"

#include "components/designlayout.h"
#include "lookup/outputbar.h"
#include "components/resultgrids.h"
#include "components/searchpanel.h"
#include "model/landrecord.h"
#include "ui/fields.h"
#include "ui/grid/stringgrid.h"
#include "ui/help.h"
#include "ui/keyfilter.h"
#include "ui/services.h"
#include "viewer/imageviewer.h"

#include <QApplication>
#include <QDate>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace rida::lookup {

using namespace components;

using ui::grid::GridPanel;

namespace {
constexpr auto kLeftTop = kAnchorLeftTop;
constexpr auto kAllSides = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge;

// Keeps the wait cursor up for the life of the object.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

LookupWindow::LookupWindow(const QString& appDir) : WorkWindow(appDir, QStringLiteral("지가조서 조회"))
{
    setObjectName(QStringLiteral("jiga_view"));

    suiPanel6 = new SearchPanel({.startYear = QDate::currentDate().year()}, this);
    xgrid = makeRecordGrid();
    suiPanel5 = new GridPanel(recordPanelTitle(), xgrid, this);
    suiPanel5->setObjectName(QStringLiteral("suiPanel5"));
    ygrid = makeLotGrid(lookupLotWidths());
    suiPanel7 = new GridPanel(lotPanelTitle(), ygrid, this);
    suiPanel7->setObjectName(QStringLiteral("suiPanel7"));

    suiPanel1 = new QGroupBox(QStringLiteral("이미지 뷰어"), this);
    suiPanel1->setObjectName(QStringLiteral("suiPanel1"));
    viewer::ViewerConfig config = viewer::ViewerConfig::lookup();
    // F5 to F8 are the window's own keys (keyPreview), which pass every key on.
    config.functionKeys = false;
    config.scaleStepKeys = false;
    viewer::ViewerHooks hooks;
    hooks.reopen = [this] { N7Click(); };
    hooks.pageModified = [this] { emit pageModified(); };
    viewer = new viewer::ImageViewer(config, hooks, suiPanel1);
    auto* viewerLayout = new QVBoxLayout(suiPanel1);
    viewerLayout->setContentsMargins(3, 3, 3, 3);
    viewerLayout->addWidget(viewer);

    outputBar = new QWidget(this);
    outputBar->setObjectName(QStringLiteral("outputBar"));
    outputBar->setAccessibleName(QStringLiteral("출력"));
    output = new OutputBar(appDir,
                           {
                               .page = [this] { return &viewer->page(); },
                               .recordFile =
                                   [this] {
                                       return xgrid->cell(SelectedRecordRow, model::ColPath) +
                                              xgrid->cell(SelectedRecordRow, model::ColName);
                                   },
                               .view = [this]() -> QWidget* { return viewer->imageView; },
                               .repaintView = [this] { viewer->imageView->repaintNow(); },
                           },
                           this, outputBar);
    auto* outputLayout = new QHBoxLayout(outputBar);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    outputLayout->addWidget(output);
    connect(this, &LookupWindow::printPageRequested, output, &OutputBar::printPage);
    // "적용" and the brightness steps tick "수정출력"; only the user clears it.
    connect(this, &LookupWindow::pageModified, output, &OutputBar::tickModifiedOutput);

    auto* layout = new DesignLayout(kDesignClient, this);
    layout->addWidget(suiPanel6, designRect(2, 33, 260, 162), kLeftTop);
    layout->addWidget(suiPanel5, designRect(2, 197, 260, 189), kLeftTop);
    layout->addWidget(suiPanel7, designRect(2, 388, 260, 351), kLeftTop | Qt::BottomEdge);
    layout->addWidget(suiPanel1, designRect(264, 32, 758, 660), kAllSides);
    layout->addWidget(outputBar, designRect(264, 694, 758, 45), Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);

    connect(suiPanel6->searchButton, &QPushButton::clicked, this, &LookupWindow::suiButton18Click);
    connect(xgrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { xgridSelectCell(row); });
    connect(xgrid, &ui::grid::StringGrid::gridDoubleClicked, this, &LookupWindow::xgridDblClick);
    connect(ygrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { ygridSelectCell(row); });
    connect(ygrid, &ui::grid::StringGrid::gridClicked, this, &LookupWindow::ygridClick);

    // The window sees every key before its controls do, and passes it on.
    enableKeyPreview();

    // FormCreate
    ResetSearch();
}

LookupWindow::~LookupWindow() = default;

void LookupWindow::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!e->spontaneous())
        suiPanel6->mainNumber->setFocus(Qt::OtherFocusReason);  // FormShow
}

void LookupWindow::ResetSearch()
{
    viewer->resetPanMode();
    SearchDone = false;
    viewer->clearPage();
    xgrid->clearDataRows();
    ClearLots();
}

void LookupWindow::ClearLots()
{
    ygrid->clearDataRows();
    suiPanel7->setCaption(lotPanelTitle());
}

void LookupWindow::suiButton18Click()
{
    ResetSearch();
    {
        const WaitCursor wait;
        xgrid->insertRows(1);
        xgrid->setRowCells(1, cannedRecord(appDir()).cells());
        for (int r = 1; r <= xgrid->dataRowCount(); ++r)
            xgrid->setRowColor(r, recordRowColor());
        SearchDone = true;
    }
    suiPanel5->setCaption(recordPanelCaption(xgrid->dataRowCount()));
    viewer->onClick();
}

void LookupWindow::xgridSelectCell(int row) { SelectedRecordRow = row; }

void LookupWindow::xgridDblClick()
{
    // Row 0 is the header: a double-click before any record was chosen opens nothing.
    if (SelectedRecordRow < 1 || xgrid->cell(SelectedRecordRow, model::ColBun).isEmpty() || !SearchDone)
        return;
    const QString page = xgrid->cell(SelectedRecordRow, model::ColPath) + xgrid->cell(SelectedRecordRow, model::ColName);
    ui::runCommand(this, [&] {
        ClearLots();
        viewer->loadPage(page);
        viewer->selectScaleEntry(1);  // "25%"
        viewer->resetBrightness();
        const QList<model::Lot> lots = cannedLots();
        ygrid->insertRows(1, int(lots.size()));
        for (int i = 0; i < lots.size(); ++i)
            ygrid->setRowCells(i + 1, lotCells(lots[i]));
        for (int r = 1; r <= ygrid->dataRowCount(); ++r)
            ygrid->setRowColor(r, lotRowColor());
        suiPanel7->setCaption(lotPanelCaption(ygrid->dataRowCount()));
        // Through the blank row to row 1, so that the first lot lands in the search fields.
        ygrid->setCurrentRow(ygrid->rowCount() - 1);
        ygrid->setCurrentRow(1);
    });
}

void LookupWindow::ygridSelectCell(int row) { SelectedLotRow = row; }

void LookupWindow::ygridClick()
{
    const QString kind = ygrid->cell(SelectedLotRow, 2);
    if (SelectedLotRow < 1 || kind.isEmpty())
        return;
    suiPanel6->showLot(kind, ygrid->cell(SelectedLotRow, 3), ygrid->cell(SelectedLotRow, 4));
}

void LookupWindow::N7Click()
{
    if (xgrid->rowCount() < 3)
        viewer->clearPage();
    else
        xgridDblClick();
}

void LookupWindow::PrintPage() { emit printPageRequested(); }

void LookupWindow::openHelp()
{
    static const QString topic = QStringLiteral("3_7_h.htm");
    // An HTML Help viewer opens the help file at its topic; without one the
    // topic page beside it opens in the browser.
    const QString hh = QStandardPaths::findExecutable(QStringLiteral("HH"));
    if (!hh.isEmpty() && ui::services().startProgram(hh, {model::helpFilePath(appDir()) + QStringLiteral("::/") + topic}))
        return;
    ui::openHelpTopic(appDir(), topic);
}

void LookupWindow::keyPreview(int key)
{
    switch (key) {
    case Qt::Key_F1:
        ui::runCommand(this, [this] { stepLotNumber(suiPanel6->mainNumber); });
        break;
    case Qt::Key_F2:
        ui::runCommand(this, [this] { stepLotNumber(suiPanel6->subNumber); });
        break;
    case Qt::Key_F3:
        suiPanel6->subNumber->clear();
        break;
    case Qt::Key_F5:
        viewer->toggleMagnifier();
        break;
    case Qt::Key_F6:
        viewer->cancelSelection();
        break;
    case Qt::Key_F7:
        viewer->stepScale(+1);
        break;
    case Qt::Key_F8:
        viewer->stepScale(-1);
        break;
    case Qt::Key_F9:
        PrintPage();
        break;
    case Qt::Key_F12:
        openHelp();
        break;
    default:
        break;
    }
}

} // namespace rida::lookup
