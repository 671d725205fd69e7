#include "controls/MonthGridGeometry.h"

#include <algorithm>

QSize MonthGridGeometry::WholeSize() const
{
    return QSize(ColCount * ColWidth + (ColCount - 1) * LineWidth, RowCount * RowHeight + (RowCount - 1) * LineWidth);
}

void MonthGridGeometry::FitCells(const QSize& size)
{
    RowHeight = std::max(1, (size.height() - (RowCount - 1) * LineWidth) / RowCount);
    ColWidth = std::max(1, (size.width() - (ColCount - 1) * LineWidth) / ColCount);
}

QRect MonthGridGeometry::LogicalCellRect(int col, int row) const
{
    return QRect(col * (ColWidth + LineWidth), row * (RowHeight + LineWidth), ColWidth, RowHeight);
}

QRect MonthGridGeometry::Visual(const QRect& logical, int width, bool rightToLeft)
{
    if (!rightToLeft)
        return logical;
    return QRect(width - logical.x() - logical.width(), logical.y(), logical.width(), logical.height());
}

QRect MonthGridGeometry::LogicalWeeksArea() const
{
    return LogicalCellRect(0, FixedRows).united(LogicalCellRect(ColCount - 1, FixedRows + WeekRows - 1));
}

bool MonthGridGeometry::CellAt(const QPoint& pos, const QSize& size, bool rightToLeft, int& col, int& row) const
{
    if (pos.x() < 0 || pos.y() < 0 || pos.x() >= size.width() || pos.y() >= size.height())
        return false;
    const int x = rightToLeft ? size.width() - 1 - pos.x() : pos.x();
    col = x / (ColWidth + LineWidth);
    row = pos.y() / (RowHeight + LineWidth);
    return col >= 0 && col < ColCount && row >= 0 && row < RowCount;
}

bool MonthGridGeometry::IsDayCell(int col, int row) const
{
    return col >= FixedCols && col < ColCount && row >= FixedRows && row < FixedRows + WeekRows;
}

int MonthGridGeometry::IndexOf(int col, int row) const
{
    const int index = (col - FixedCols) + 7 * (row - FixedRows);
    if (col < FixedCols || col >= ColCount || index < 0 || index >= DayCellCount)
        return -1;
    return index;
}

std::vector<int> MonthGridGeometry::DayGroupAt(int col, int row) const
{
    std::vector<int> group;
    if (row == FixedRows - 1 && col < FixedCols) {
        for (int index = 0; index < DayCellCount; ++index)
            group.push_back(index);
    } else if (row == FixedRows - 1 && col >= FixedCols) {
        for (int week = 0; week < WeekRows; ++week)
            group.push_back(col - FixedCols + 7 * week);
    } else if (col < FixedCols && IsDayCell(FixedCols, row)) {
        for (int day = 0; day < 7; ++day)
            group.push_back(7 * (row - FixedRows) + day);
    }
    return group;
}
