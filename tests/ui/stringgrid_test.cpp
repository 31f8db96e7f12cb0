#include "ui/grid/stringgrid.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

using rida::ui::grid::GridPanel;
using rida::ui::grid::StringGrid;

namespace {

// A double-click as the desktop delivers it: press, release, then the double-click.
void doubleClick(QWidget* w, QPoint pos)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(w, Qt::LeftButton, {}, pos);
}

// A shown three-column grid and a log of its notifications in the order they came.
struct GridFixture : ::testing::Test {
    StringGrid grid{{"a", "b", "c"}};
    QStringList log;

    void SetUp() override
    {
        QObject::connect(&grid, &StringGrid::cellSelected,
                         [this](int r, int c) { log << QStringLiteral("select %1,%2").arg(r).arg(c); });
        QObject::connect(&grid, &StringGrid::gridClicked, [this] { log << QStringLiteral("click"); });
        QObject::connect(&grid, &StringGrid::gridDoubleClicked, [this] { log << QStringLiteral("double"); });
        grid.resize(300, 200);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    void fill(int rows)
    {
        grid.insertRows(1, rows);
        for (int r = 1; r <= rows; ++r)
            grid.setRowCells(r, {QString::number(r), QStringLiteral("x"), QStringLiteral("y")});
    }

    QPoint centreOf(int row, int column = 0) { return grid.visualRect(grid.model()->index(row - 1, column)).center(); }
    void click(int row, int column = 0)
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centreOf(row, column));
    }
};

} // namespace

TEST_F(GridFixture, EmptyGridIsHeaderAndOneBlankRow)
{
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.dataRowCount(), 0);
    EXPECT_EQ(grid.rowCells(0), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(grid.rowCells(1), (QStringList{"", "", ""}));
    EXPECT_EQ(grid.model()->rowCount(), 1);
}

TEST_F(GridFixture, InsertionGoesBeforeTheBlankRowWhichStaysLast)
{
    grid.insertRows(1, 2);
    grid.setRowCells(1, {"first"});
    grid.setRowCells(2, {"second"});
    grid.insertRows(1); // at the top
    grid.setCell(1, 0, "top");
    grid.insertRows(99); // past the end: before the blank row
    grid.setCell(4, 0, "end");
    EXPECT_EQ(grid.rowCount(), 6);
    EXPECT_EQ(grid.dataRowCount(), 4);
    QStringList column0;
    for (int r = 0; r < grid.rowCount(); ++r)
        column0 << grid.cell(r, 0);
    EXPECT_EQ(column0, (QStringList{"a", "top", "first", "second", "end", ""}));

    // Neither the header nor the blank row can be written.
    grid.setCell(0, 0, "x");
    grid.setCell(5, 0, "x");
    EXPECT_EQ(grid.cell(0, 0), "a");
    EXPECT_EQ(grid.cell(5, 0), "");

    grid.removeDataRow(2);
    EXPECT_EQ(grid.cell(2, 0), "second");
    grid.removeDataRow(grid.rowCount() - 1); // the blank row is not a data row
    EXPECT_EQ(grid.rowCount(), 5);

    grid.clearDataRows();
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.cell(1, 0), "");
}

TEST_F(GridFixture, PressReportsSelectionThenClickEvenOnTheCurrentRow)
{
    fill(3);
    click(2, 1);
    click(2, 1);
    click(3, 0);
    EXPECT_EQ(log, (QStringList{"select 2,1", "click", "select 2,1", "click", "select 3,0", "click"}));
    EXPECT_EQ(grid.currentRow(), 3);
}

TEST_F(GridFixture, DoubleClickComesAfterTheSelectionOfItsFirstPress)
{
    fill(1);
    doubleClick(grid.viewport(), centreOf(2));
    EXPECT_EQ(log, (QStringList{"select 2,0", "click", "double"}));
}

TEST_F(GridFixture, DoubleClickOnTheHeaderSelectsNothing)
{
    fill(1);
    auto* header = grid.horizontalHeader();
    doubleClick(header->viewport(), QPoint(header->sectionPosition(1) + 10, header->height() / 2));
    EXPECT_EQ(log, (QStringList{"double"}));
    EXPECT_EQ(grid.currentRow(), -1);
}

TEST_F(GridFixture, RightButtonChoosesNoRow)
{
    fill(2);
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, centreOf(1));
    QTest::mouseDClick(grid.viewport(), Qt::RightButton, {}, centreOf(1));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(grid.currentRow(), -1);
}

TEST_F(GridFixture, ArrowKeysAndCodeMoveTheCurrentRowWithReports)
{
    fill(2);
    click(1);
    log.clear();
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(log, (QStringList{"select 2,0", "click"}));
    log.clear();
    grid.setCurrentRow(grid.rowCount() - 1); // the blank row can be current
    grid.setCurrentRow(1);
    grid.setCurrentRow(1); // the same row again reports again
    EXPECT_EQ(log, (QStringList{"select 3,0", "click", "select 1,0", "click", "select 1,0", "click"}));
    EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
}

TEST_F(GridFixture, ChangesByCodeReportNothingAndClearingLeavesNoCurrentRow)
{
    fill(3);
    click(2);
    log.clear();
    grid.insertRows(1, 2);
    grid.removeDataRow(1);
    grid.setCell(1, 0, "z");
    grid.setRowColor(1, Qt::red);
    grid.clearDataRows();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(grid.currentRow(), -1);
    // The first press after a clear is a change again.
    click(1);
    EXPECT_EQ(log, (QStringList{"select 1,0", "click"}));
}

TEST_F(GridFixture, LooksColumnsRowsAndAlignment)
{
    fill(2);
    grid.setColumnWidths({0, 125, 0});
    EXPECT_EQ(grid.columnWidth(0), 0);
    EXPECT_TRUE(grid.isColumnHidden(0));
    EXPECT_EQ(grid.columnWidth(1), 125);
    grid.setColumnWidthOrHide(0, 40);
    EXPECT_FALSE(grid.isColumnHidden(0));
    EXPECT_EQ(grid.columnWidth(0), 40);

    grid.setDefaultRowHeight(21);
    EXPECT_EQ(grid.rowHeight(0), 21);
    EXPECT_EQ(grid.horizontalHeader()->height(), 21) << "the header row is as high as the others";

    grid.setRowColor(1, QColor(255, 255, 223));
    EXPECT_EQ(grid.rowColor(1), QColor(255, 255, 223));
    EXPECT_EQ(grid.model()->index(0, 2).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 223));
    EXPECT_FALSE(grid.model()->index(1, 2).data(Qt::BackgroundRole).isValid());

    grid.setSelectionColor(QColor(182, 203, 234));
    EXPECT_EQ(grid.palette().color(QPalette::Inactive, QPalette::Highlight), QColor(182, 203, 234));
    EXPECT_EQ(grid.palette().color(QPalette::Active, QPalette::HighlightedText), QColor(Qt::black));

    grid.setAlignmentRule([](int, int column) { return column < 2 ? Qt::AlignHCenter : Qt::AlignLeft; });
    const auto align = [&](int row, int column) {
        return Qt::Alignment(grid.model()->index(row - 1, column).data(Qt::TextAlignmentRole).toInt());
    };
    EXPECT_EQ(align(1, 0), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(align(2, 2), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(grid.cellAlignment(0, 1), Qt::AlignHCenter);
}

TEST(GridPanel, CaptionIsTheGridsAccessibleName)
{
    GridPanel panel(QStringLiteral("검색된 지번"), new StringGrid({"읍면"}));
    EXPECT_EQ(panel.grid()->accessibleName(), QStringLiteral("검색된 지번"));
    panel.setCaption(QStringLiteral("검색된 지번 (15건)"));
    EXPECT_EQ(panel.title(), QStringLiteral("검색된 지번 (15건)"));
    EXPECT_EQ(panel.grid()->accessibleName(), QStringLiteral("검색된 지번 (15건)"));
}
