#include "lookup/lookupwindow.h"

#include "components/designlayout.h"
#include "components/recordlookup.h"
#include "components/resultgrids.h"
#include "components/searchpanel.h"
#include "lookup/outputbar.h"
#include "model/digits.h"
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
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

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

LookupWindow::LookupWindow(const QString& appDir, std::shared_ptr<RegionSource> regions,
                           std::optional<PageArchive> archive)
    : WorkWindow(appDir, QStringLiteral("지가조서 조회"))
{
    if (archive && archive->store)
        lookup_ = std::make_unique<RecordLookup>(*archive);
    setObjectName(QStringLiteral("jiga_view"));

    searchPanel = new SearchPanel({.startYear = QDate::currentDate().year(), .regions = std::move(regions)}, this);
    recordGrid = makeRecordGrid();
    recordPanel = new GridPanel(recordPanelTitle(), recordGrid, this);
    recordPanel->setObjectName(QStringLiteral("suiPanel5"));
    lotGrid = makeLotGrid(lookupLotWidths());
    lotPanel = new GridPanel(lotPanelTitle(), lotGrid, this);
    lotPanel->setObjectName(QStringLiteral("suiPanel7"));

    viewerPanel = new QGroupBox(QStringLiteral("이미지 뷰어"), this);
    viewerPanel->setObjectName(QStringLiteral("suiPanel1"));
    viewer::ViewerConfig config = viewer::ViewerConfig::lookup();
    // F5 to F8 are the window's own keys (keyPreview), which pass every key on.
    config.functionKeys = false;
    config.scaleStepKeys = false;
    viewer::ViewerHooks hooks;
    hooks.reopen = [this] { reopenRecord(); };
    hooks.pageModified = [this] { emit pageModified(); };
    viewer = new viewer::ImageViewer(config, hooks, viewerPanel);
    auto* viewerLayout = new QVBoxLayout(viewerPanel);
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
                                       return recordGrid->cell(selectedRecordRow_, model::ColPath) +
                                              recordGrid->cell(selectedRecordRow_, model::ColName);
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
    layout->addWidget(searchPanel, designRect(2, 33, 260, 162), kLeftTop);
    layout->addWidget(recordPanel, designRect(2, 197, 260, 189), kLeftTop);
    layout->addWidget(lotPanel, designRect(2, 388, 260, 351), kLeftTop | Qt::BottomEdge);
    layout->addWidget(viewerPanel, designRect(264, 32, 758, 660), kAllSides);
    layout->addWidget(outputBar, designRect(264, 694, 758, 45), Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);

    connect(searchPanel->searchButton, &QPushButton::clicked, this, &LookupWindow::search);
    connect(recordGrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { onRecordRowSelected(row); });
    connect(recordGrid, &ui::grid::StringGrid::gridDoubleClicked, this, &LookupWindow::openSelectedRecord);
    connect(lotGrid, &ui::grid::StringGrid::cellSelected, this, [this](int row, int) { onLotRowSelected(row); });
    connect(lotGrid, &ui::grid::StringGrid::gridClicked, this, &LookupWindow::onLotClicked);
    if (lookup_) {
        connect(searchPanel->previousSubButton, &QToolButton::clicked, this, [this] { stepSubNumber(-1); });
        connect(searchPanel->nextSubButton, &QToolButton::clicked, this, [this] { stepSubNumber(+1); });
    }

    // The window sees every key before its controls do, and passes it on.
    enableKeyPreview();

    // FormCreate
    resetSearch();
}

LookupWindow::~LookupWindow() = default;

void LookupWindow::showEvent(QShowEvent* e)
{
    WorkWindow::showEvent(e);
    if (!e->spontaneous())
        searchPanel->mainNumber->setFocus(Qt::OtherFocusReason); // FormShow
}

void LookupWindow::resetSearch()
{
    viewer->resetPanMode();
    searchDone_ = false;
    viewer->clearPage();
    recordGrid->clearDataRows();
    clearLots();
}

void LookupWindow::clearLots()
{
    lotGrid->clearDataRows();
    lotPanel->setCaption(lotPanelTitle());
}

void LookupWindow::search()
{
    resetSearch();
    bool more = false;
    if (lookup_) {
        // A 본번 that is no number, or the store refusing, goes to the error
        // report; the grids stay empty.
        if (!ui::runCommand(this, [&] {
                const WaitCursor wait;
                const SearchAnswer answer = lookup_->search(*searchPanel);
                lookup_->showRecords(recordGrid, answer);
                more = answer.more;
                searchDone_ = true;
            }))
            return;
    } else {
        const WaitCursor wait;
        recordGrid->insertRows(1);
        recordGrid->setRowCells(1, cannedRecord(appDir()).cells());
        for (int r = 1; r <= recordGrid->dataRowCount(); ++r)
            recordGrid->setRowColor(r, recordRowColor());
        searchDone_ = true;
    }
    recordPanel->setCaption(recordPanelCaption(recordGrid->dataRowCount(), more));
    viewer->onClick();
}

void LookupWindow::stepSubNumber(int step)
{
    ui::runCommand(this, [&] {
        const QString text = searchPanel->subNumber->text().trimmed();
        const int now = text.isEmpty() ? (step > 0 ? 0 : 1) : model::toInteger(text);
        searchPanel->subNumber->setText(QString::number(std::max(0, now + step)));
    });
    search();
}

void LookupWindow::onRecordRowSelected(int row)
{
    selectedRecordRow_ = row;
}

void LookupWindow::openSelectedRecord()
{
    // Row 0 is the header: a double-click before any record was chosen opens nothing.
    if (selectedRecordRow_ < 1 || recordGrid->cell(selectedRecordRow_, model::ColBun).isEmpty() || !searchDone_)
        return;
    const QString page =
        recordGrid->cell(selectedRecordRow_, model::ColPath) + recordGrid->cell(selectedRecordRow_, model::ColName);
    if (lookup_) {
        // The stored lots first: a page that has vanished from the archive is
        // named by the error report, and the grids stay.
        const qint64 id = recordGrid->cell(selectedRecordRow_, model::ColBun).toLongLong();
        if (!ui::runCommand(this, [&] {
                clearLots();
                RecordLookup::showLots(lotGrid, lookup_->lots(lookup_->store().lotsOf(id)));
                lotPanel->setCaption(lotPanelCaption(lotGrid->dataRowCount()));
                lotGrid->setCurrentRow(lotGrid->rowCount() - 1);
                lotGrid->setCurrentRow(1);
            }))
            return;
        ui::runCommand(this, [&] {
            viewer->loadPage(page);
            viewer->selectScaleEntry(1); // "25%"
            viewer->resetBrightness();
        });
        return;
    }
    ui::runCommand(this, [&] {
        clearLots();
        viewer->loadPage(page);
        viewer->selectScaleEntry(1); // "25%"
        viewer->resetBrightness();
        const QList<model::Lot> lots = cannedLots();
        lotGrid->insertRows(1, int(lots.size()));
        for (int i = 0; i < lots.size(); ++i)
            lotGrid->setRowCells(i + 1, lotCells(lots[i]));
        for (int r = 1; r <= lotGrid->dataRowCount(); ++r)
            lotGrid->setRowColor(r, lotRowColor());
        lotPanel->setCaption(lotPanelCaption(lotGrid->dataRowCount()));
        // Through the blank row to row 1, so that the first lot lands in the search fields.
        lotGrid->setCurrentRow(lotGrid->rowCount() - 1);
        lotGrid->setCurrentRow(1);
    });
}

void LookupWindow::onLotRowSelected(int row)
{
    selectedLotRow_ = row;
}

void LookupWindow::onLotClicked()
{
    const QString kind = lotGrid->cell(selectedLotRow_, 2);
    if (selectedLotRow_ < 1 || kind.isEmpty())
        return;
    searchPanel->showLot(kind, lotGrid->cell(selectedLotRow_, 3), lotGrid->cell(selectedLotRow_, 4));
}

void LookupWindow::reopenRecord()
{
    if (recordGrid->rowCount() < 3)
        viewer->clearPage();
    else
        openSelectedRecord();
}

void LookupWindow::printPage()
{
    emit printPageRequested();
}

void LookupWindow::openHelp()
{
    static const QString topic = QStringLiteral("3_7_h.htm");
    // An HTML Help viewer opens the help file at its topic; without one the
    // topic page beside it opens in the browser.
    const QString hh = QStandardPaths::findExecutable(QStringLiteral("HH"));
    if (!hh.isEmpty() &&
        ui::services().startProgram(hh, {model::helpFilePath(appDir()) + QStringLiteral("::/") + topic}))
        return;
    ui::openHelpTopic(appDir(), topic);
}

void LookupWindow::keyPreview(int key)
{
    switch (key) {
    case Qt::Key_F1:
        ui::runCommand(this, [this] { stepLotNumber(searchPanel->mainNumber); });
        break;
    case Qt::Key_F2:
        ui::runCommand(this, [this] { stepLotNumber(searchPanel->subNumber); });
        break;
    case Qt::Key_F3:
        searchPanel->subNumber->clear();
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
        printPage();
        break;
    case Qt::Key_F12:
        openHelp();
        break;
    default:
        break;
    }
}

} // namespace rida::lookup
