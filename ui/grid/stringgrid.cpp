#include "ui/grid/stringgrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace rida::ui::grid {

// Model rows are the grid's rows below the header: data rows, then the blank
// row. Grid row r is model row r - 1.
class StringGridModel : public QAbstractTableModel {
public:
    struct Row {
        QStringList cells;
        QColor color;
    };

    explicit StringGridModel(const QStringList& headings, QObject* parent)
        : QAbstractTableModel(parent), headings_(headings), rows_(1, blankRow())
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(headings_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(rows_.size()))
            return {};
        const Row& r = rows_[std::size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return r.cells.value(index.column());
        case Qt::BackgroundRole:
            return r.color.isValid() ? QVariant(r.color) : QVariant();
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(withVertical(alignment(index.row() + 1, index.column())));
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= headings_.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return headings_.at(section);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(withVertical(alignment(0, section)));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    Qt::Alignment alignment(int gridRow, int column) const
    {
        return rule_ ? rule_(gridRow, column) : Qt::Alignment(Qt::AlignLeft);
    }
    static Qt::Alignment withVertical(Qt::Alignment a)
    {
        return (a & Qt::AlignVertical_Mask) ? a : a | Qt::AlignVCenter;
    }

    Row blankRow() const { return Row{QStringList(headings_.size(), QString()), QColor()}; }

    QStringList headings_;
    std::vector<Row> rows_;
    StringGrid::AlignmentRule rule_;

    void insert(int modelRow, int count)
    {
        beginInsertRows({}, modelRow, modelRow + count - 1);
        rows_.insert(rows_.begin() + modelRow, std::size_t(count), blankRow());
        endInsertRows();
    }
    void remove(int modelRow, int count)
    {
        beginRemoveRows({}, modelRow, modelRow + count - 1);
        rows_.erase(rows_.begin() + modelRow, rows_.begin() + modelRow + count);
        endRemoveRows();
    }
    void changed(int modelRow, int firstColumn, int lastColumn)
    {
        emit dataChanged(index(modelRow, firstColumn), index(modelRow, lastColumn));
    }
    void ruleChanged()
    {
        if (!rows_.empty() && !headings_.isEmpty())
            emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, int(headings_.size()) - 1));
        emit headerDataChanged(Qt::Horizontal, 0, int(headings_.size()) - 1);
    }
};

StringGrid::StringGrid(const QStringList& headings, QWidget* parent)
    : QTableView(parent), model_(new StringGridModel(headings, this))
{
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false); // Tab leaves the grid for the next control
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    setDefaultRowHeight(20);

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &StringGrid::onCurrentChanged);
    // A double-click on the header row is a double-click on the grid too.
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int) { emit gridDoubleClicked(); });
}

void StringGrid::setUserColumnSizing(bool on)
{
    horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}

int StringGrid::rowCount() const
{
    return int(model_->rows_.size()) + 1;
}
int StringGrid::dataRowCount() const
{
    return rowCount() - 2;
}
int StringGrid::columnCount() const
{
    return int(model_->headings_.size());
}

QString StringGrid::cell(int row, int column) const
{
    if (row == 0)
        return model_->headings_.value(column);
    if (row < 0 || row >= rowCount())
        return {};
    return model_->rows_[std::size_t(row - 1)].cells.value(column);
}

QStringList StringGrid::rowCells(int row) const
{
    QStringList cells;
    for (int c = 0; c < columnCount(); ++c)
        cells << cell(row, c);
    return cells;
}

void StringGrid::setCell(int row, int column, const QString& text)
{
    if (row < 1 || row > dataRowCount() || column < 0 || column >= columnCount())
        return;
    model_->rows_[std::size_t(row - 1)].cells[column] = text;
    model_->changed(row - 1, column, column);
}

void StringGrid::setRowCells(int row, const QStringList& cells)
{
    for (int c = 0; c < columnCount(); ++c)
        setCell(row, c, cells.value(c));
}

void StringGrid::insertRows(int row, int count)
{
    if (count <= 0)
        return;
    const int at = std::clamp(row, 1, rowCount() - 1);
    ++quiet_;
    model_->insert(at - 1, count);
    --quiet_;
}

void StringGrid::removeDataRow(int row)
{
    if (row < 1 || row > dataRowCount())
        return;
    ++quiet_;
    model_->remove(row - 1, 1);
    --quiet_;
}

void StringGrid::clearDataRows()
{
    ++quiet_;
    if (dataRowCount() > 0)
        model_->remove(0, dataRowCount());
    selectionModel()->clear();
    --quiet_;
}

void StringGrid::setRowColor(int row, const QColor& color)
{
    if (row < 1 || row >= rowCount())
        return;
    model_->rows_[std::size_t(row - 1)].color = color;
    model_->changed(row - 1, 0, columnCount() - 1);
}

QColor StringGrid::rowColor(int row) const
{
    if (row < 1 || row >= rowCount())
        return {};
    return model_->rows_[std::size_t(row - 1)].color;
}

void StringGrid::setColumnWidths(const QList<int>& widths)
{
    for (int c = 0; c < widths.size() && c < columnCount(); ++c)
        setColumnWidthOrHide(c, widths.at(c));
}

void StringGrid::setColumnWidthOrHide(int column, int width)
{
    if (width <= 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    setColumnWidth(column, width);
}

void StringGrid::setDefaultRowHeight(int pixels)
{
    // The header row is a row of the grid: it takes the same height.
    verticalHeader()->setDefaultSectionSize(pixels);
    horizontalHeader()->setFixedHeight(pixels);
}
int StringGrid::defaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void StringGrid::setSelectionColor(const QColor& color)
{
    selectionColor_ = color;
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Highlight, color);
        p.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    setPalette(p);
}

QColor StringGrid::selectionColor() const
{
    return selectionColor_.isValid() ? selectionColor_ : palette().color(QPalette::Highlight);
}

void StringGrid::setAlignmentRule(AlignmentRule rule)
{
    model_->rule_ = std::move(rule);
    model_->ruleChanged();
}

Qt::Alignment StringGrid::cellAlignment(int row, int column) const
{
    return model_->alignment(row, column);
}

int StringGrid::currentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : -1;
}

void StringGrid::setCurrentRow(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    int column = currentIndex().isValid() ? currentIndex().column() : 0;
    while (column < columnCount() - 1 && isColumnHidden(column))
        ++column;
    const QModelIndex target = model_->index(row - 1, column);
    if (currentIndex() == target) {
        selectRow(row - 1);
        report(row, column);
        return;
    }
    setCurrentIndex(target); // reports through onCurrentChanged
}

void StringGrid::report(int row, int column)
{
    emit cellSelected(row, column);
    emit gridClicked();
}

void StringGrid::onCurrentChanged(const QModelIndex& current, const QModelIndex&)
{
    if (quiet_ > 0 || !current.isValid())
        return;
    reportedInPress_ = true;
    report(current.row() + 1, current.column());
}

void StringGrid::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        // Only the left button chooses a row.
        e->accept();
        return;
    }
    const QModelIndex hit = indexAt(e->position().toPoint());
    reportedInPress_ = false;
    QTableView::mousePressEvent(e);
    // Pressing the current cell again reports it again.
    if (hit.isValid() && !reportedInPress_)
        report(hit.row() + 1, hit.column());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    e->accept();
    if (e->button() == Qt::LeftButton)
        emit gridDoubleClicked();
}

void StringGrid::focusInEvent(QFocusEvent* e)
{
    // The item view makes its first cell current when it takes the focus; a
    // grid has no current row until the user or the window chooses one.
    const bool hadCurrent = currentIndex().isValid();
    ++quiet_;
    QTableView::focusInEvent(e);
    if (!hadCurrent)
        selectionModel()->clearCurrentIndex();
    --quiet_;
}

GridPanel::GridPanel(const QString& caption, StringGrid* grid, QWidget* parent) : QGroupBox(parent), grid_(grid)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    layout->addWidget(grid_);
    setCaption(caption);
}

void GridPanel::setCaption(const QString& caption)
{
    setTitle(caption);
    grid_->setAccessibleName(caption);
}

} // namespace rida::ui::grid
