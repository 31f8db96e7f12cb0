#pragma once
// The record grid `xgrid` and the lot grid `ygrid` of the lookup and modify
// windows, and the sample answers of this build's lookup.

#include "model/landrecord.h"
#include "ui/grid/stringgrid.h"

#include <QList>

namespace rida::components {

// Row colours of filled grids (definition colours 14680063 and 16252927).
QColor recordRowColor(); // red 255, green 255, blue 223
QColor lotRowColor();    // red 255, green 255, blue 247

// The record grid: columns xbun, 문서구분, 조사연도, 조사월, fpath, fname; row
// height 20; xbun, fpath and fname hidden; columns 0 to 3 centred.
ui::grid::StringGrid* makeRecordGrid(QWidget* parent = nullptr);

// Widths of the lot grid's five columns 읍면, 동리, 구분, 본번, 부번.
using LotGridWidths = QList<int>;
LotGridWidths lookupLotWidths(); // 55, 55, 42, 45, 45
LotGridWidths modifyLotWidths(); // 55, 55, 37, 42, 42
// The lot grid: row height 21.
ui::grid::StringGrid* makeLotGrid(const LotGridWidths& widths, QWidget* parent = nullptr);

// "검색된 지가조서 (1건)", "검색된 지번 (15건)"; a search that found more than
// it lists: "검색된 지가조서 (1000건 넘음: 처음 1000건)"
QString recordPanelCaption(int count, bool more = false);
QString lotPanelCaption(int count);
QString recordPanelTitle(); // "검색된 지가조서"
QString lotPanelTitle();    // "검색된 지번"

// The one record every search of this build answers with: 결정조서, January
// 1998, page Files/Img001.jpg under the application directory.
model::Record cannedRecord(const QString& appDir);
// The fifteen lots every opening of a record lists, all 임의읍 임의리 토지.
QList<model::Lot> cannedLots();
QStringList lotCells(const model::Lot& lot);

} // namespace rida::components
