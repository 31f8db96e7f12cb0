#pragma once
// The string grid of the work windows: a table of texts with one fixed header
// row, then the data rows, then always one blank row.
//
// Rows are numbered as the windows speak of them: row 0 is the header (its
// cells are the headings), rows 1 .. rowCount() - 2 hold data and the last row
// is the blank row. A grid without data shows the header and the blank row, so
// dataRowCount() == rowCount() - 2 always, and new rows go in before the blank
// row. Columns are numbered from 0; a column of width 0 is hidden.
//
// Notifications, in the order the windows rely on:
//   cellSelected(row, column)  a data or blank row became current: by a left
//                              press on it (also when it was current already),
//                              by the arrow keys or by setCurrentRow();
//   gridClicked()              right after every cellSelected;
//   gridDoubleClicked()        a left double-click anywhere on the grid,
//                              the header included; it selects nothing itself
//                              (the first press of the double-click did).
// Changes made by code (inserting, removing, writing cells) report nothing.
// No row is current until one is chosen (taking the focus chooses none), and
// clearing the data rows leaves no row current again.
//
// A screen reader speaks the grid by its accessible name: give it the caption
// of the panel it sits in (setAccessibleName, or GridPanel::setCaption).

#include <QColor>
#include <QGroupBox>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <vector>

namespace rida::ui::grid {

class StringGridModel;

class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(const QStringList& headings, QWidget* parent = nullptr);

    int rowCount() const;     // header + data rows + blank row
    int dataRowCount() const; // rowCount() - 2
    int columnCount() const;

    // Row 0 gives the headings. Out-of-range cells read as "".
    QString cell(int row, int column) const;
    QStringList rowCells(int row) const;
    // Writes a data row's cell; the header and the blank row cannot be written.
    void setCell(int row, int column, const QString& text);
    void setRowCells(int row, const QStringList& cells);

    // Inserts `count` empty rows before `row` (1 .. rowCount() - 1; larger
    // values insert before the blank row).
    void insertRows(int row, int count = 1);
    // Removes data row `row` (1 .. rowCount() - 2); other rows do nothing.
    void removeDataRow(int row);
    // Removes rows 1 .. rowCount() - 2, leaving header and blank row.
    void clearDataRows();

    // Background of one data or blank row; an invalid colour gives the base colour back.
    void setRowColor(int row, const QColor& color);
    QColor rowColor(int row) const;

    // Width in pixels; 0 hides the column. columnWidth() of a hidden column is 0.
    void setColumnWidths(const QList<int>& widths);
    void setColumnWidthOrHide(int column, int width);

    void setDefaultRowHeight(int pixels);
    int defaultRowHeight() const;

    // Background of the current row; its text stays black.
    void setSelectionColor(const QColor& color);
    // Whether the user may drag column borders to new widths (on from the start).
    void setUserColumnSizing(bool on);
    QColor selectionColor() const;

    // Alignment of each cell (header row 0 included), asked whenever a cell is
    // drawn. Without a rule every cell is left-aligned and vertically centred.
    using AlignmentRule = std::function<Qt::Alignment(int row, int column)>;
    void setAlignmentRule(AlignmentRule rule);
    Qt::Alignment cellAlignment(int row, int column) const;

    // The current row, or -1 when none is.
    int currentRow() const;
    // Makes `row` (1 .. rowCount() - 1) current and reports cellSelected and gridClicked.
    void setCurrentRow(int row);

signals:
    void cellSelected(int row, int column);
    void gridClicked();
    void gridDoubleClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    void report(int row, int column);
    void onCurrentChanged(const QModelIndex& current, const QModelIndex& previous);

    StringGridModel* model_;
    QColor selectionColor_;
    int quiet_ = 0; // > 0 while code itself changes the rows or the current index
    bool reportedInPress_ = false;
};

// A captioned panel holding one grid; the caption is also the grid's accessible name.
class GridPanel : public QGroupBox {
    Q_OBJECT
public:
    GridPanel(const QString& caption, StringGrid* grid, QWidget* parent = nullptr);
    void setCaption(const QString& caption);
    QString caption() const { return title(); }
    StringGrid* grid() const { return grid_; }

private:
    StringGrid* grid_;
};

} // namespace rida::ui::grid
