#pragma once

// Where the cells of a month calendar lie. The grid has 7 day columns (8 with the week-number column) and
// 10 rows (9 without the Today row): two rows under the title panel, the weekday row, six weeks and the Today
// row. Every cell has the same size with a grid line between neighbours. Columns count in reading order; in
// right-to-left layout column 0 lies at the right edge.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

class MonthGridGeometry
{
public:
    // Rows above the first week: two under the title panel and the weekday row.
    static constexpr int FixedRows = 3;
    static constexpr int WeekRows = 6;
    static constexpr int DayCellCount = 7 * WeekRows;

    int ColCount = 7;
    int RowCount = 10;
    int FixedCols = 0;
    int ColWidth = 43;
    int RowHeight = 15;
    int LineWidth = 1;

    // The size that holds all cells and the lines between them exactly.
    QSize WholeSize() const;
    // Cell width and height for a widget of `size` (at least a pixel each).
    void FitCells(const QSize& size);

    // A cell's rectangle as if the layout were left to right.
    QRect LogicalCellRect(int col, int row) const;
    // A left-to-right rectangle where it lies in a widget `width` wide.
    static QRect Visual(const QRect& logical, int width, bool rightToLeft);
    // The six weeks' rows, as if left to right.
    QRect LogicalWeeksArea() const;
    // The cell under `pos` in a widget of `size`; false outside the grid.
    bool CellAt(const QPoint& pos, const QSize& size, bool rightToLeft, int& col, int& row) const;

    bool IsDayCell(int col, int row) const;
    // Index 0..41 of a day cell; -1 for any other cell.
    int IndexOf(int col, int row) const;
    // The day cells a press on a heading stands for: every day for the corner above the week numbers, a
    // weekday's six days for its name, a week's seven days for its number; none for any other cell.
    std::vector<int> DayGroupAt(int col, int row) const;
    // Column and row of day cell `index` (0..41).
    int ColOf(int index) const { return index % 7 + FixedCols; }
    int RowOf(int index) const { return index / 7 + FixedRows; }
};
