#include "components/resultgrids.h"

#include "ui/theme.h"

namespace rida::components {

using ui::grid::StringGrid;

QColor recordRowColor()
{
    return ui::definitionColor(14680063);
}
QColor lotRowColor()
{
    return ui::definitionColor(16252927);
}

namespace {
QColor selectionColor()
{
    return ui::definitionColor(15387318);
}
} // namespace

StringGrid* makeRecordGrid(QWidget* parent)
{
    auto* grid = new StringGrid({QStringLiteral("xbun"), QStringLiteral("문서구분"), QStringLiteral("조사연도"),
                                 QStringLiteral("조사월"), QStringLiteral("fpath"), QStringLiteral("fname")},
                                parent);
    grid->setObjectName(QStringLiteral("xgrid"));
    grid->setDefaultRowHeight(20);
    grid->setSelectionColor(selectionColor());
    // The window definition gives xbun, fpath and fname 3, 2 and 4 pixels; the windows hide them.
    grid->setColumnWidths({3, 125, 62, 49, 2, 4});
    for (int c : {int(model::ColBun), int(model::ColPath), int(model::ColName)})
        grid->setColumnWidthOrHide(c, 0);
    // xgridGetAlignment
    grid->setAlignmentRule([](int, int column) {
        return column <= model::ColMonth ? Qt::Alignment(Qt::AlignHCenter) : Qt::Alignment(Qt::AlignLeft);
    });
    return grid;
}

LotGridWidths lookupLotWidths()
{
    return {55, 55, 42, 45, 45};
}
LotGridWidths modifyLotWidths()
{
    return {55, 55, 37, 42, 42};
}

StringGrid* makeLotGrid(const LotGridWidths& widths, QWidget* parent)
{
    auto* grid = new StringGrid({QStringLiteral("읍면"), QStringLiteral("동리"), QStringLiteral("구분"),
                                 QStringLiteral("본번"), QStringLiteral("부번")},
                                parent);
    grid->setObjectName(QStringLiteral("ygrid"));
    grid->setDefaultRowHeight(21);
    grid->setUserColumnSizing(false);
    grid->setColumnWidths(widths);
    return grid;
}

QString recordPanelTitle()
{
    return QStringLiteral("검색된 지가조서");
}
QString lotPanelTitle()
{
    return QStringLiteral("검색된 지번");
}
QString recordPanelCaption(int count, bool more)
{
    if (more)
        return recordPanelTitle() + QStringLiteral(" (%1건 넘음: 처음 %1건)").arg(count);
    return recordPanelTitle() + QStringLiteral(" (%1건)").arg(count);
}
QString lotPanelCaption(int count)
{
    return lotPanelTitle() + QStringLiteral(" (%1건)").arg(count);
}

model::Record cannedRecord(const QString& appDir)
{
    model::Record r;
    r.number = QStringLiteral("1");
    r.kindWord = QStringLiteral("결정조서");
    r.year = 1998;
    r.month = 1;
    r.folder = model::withTrailingSeparator(model::filesFolder(appDir));
    r.fileName = QStringLiteral("Img001.jpg");
    return r;
}

QList<model::Lot> cannedLots()
{
    static const int numbers[15][2] = {{1, 0},  {2, 1},  {4, 0},  {4, 4},  {4, 6},  {4, 7},  {4, 8}, {4, 10},
                                       {4, 14}, {4, 15}, {4, 16}, {4, 17}, {4, 18}, {4, 20}, {4, 24}};
    QList<model::Lot> lots;
    for (const auto& n : numbers)
        lots.push_back(
            {model::sampleTown(), model::sampleVillage(), false, QString::number(n[0]), QString::number(n[1])});
    return lots;
}

QStringList lotCells(const model::Lot& lot)
{
    return {lot.town, lot.village, model::lotKindWord(lot.mountain), lot.mainNumber, lot.subNumber};
}

} // namespace rida::components
