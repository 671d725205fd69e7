#include "controls/MonthNavigation.h"

#include <algorithm>

bool MonthNavigation::IsNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

TMonthMove MonthNavigation::KeyMove(int key, bool ctrl, bool extending) const
{
    const State& s = m_state;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        return arrowMove((key == Qt::Key_Right) != s.RightToLeft, extending || !ctrl);
    case Qt::Key_Up:
        return toCell(s.Col, s.Row - 1);
    case Qt::Key_Down:
        // The last week has the Today row under it, which is no place to go.
        if (!extending && s.TodayRow && s.Row == MonthGridGeometry::FixedRows + MonthGridGeometry::WeekRows - 1)
            return TMonthMove{};
        return toCell(s.Col, s.Row + 1);
    case Qt::Key_Home:
    case Qt::Key_End:
        return homeEndMove(key == Qt::Key_End, ctrl && !extending);
    case Qt::Key_Space:
        return ctrl && !extending ? toDay(s.Today) : TMonthMove{};
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (extending)
            return TMonthMove{};
        const int months = (ctrl ? 12 : 1) * (key == Qt::Key_PageUp ? -1 : 1);
        TDateTime target = 0;
        // Past the calendar's years the page keys beep.
        return s.Mode.TryIncMonth(s.Date, months, target) ? toDay(target) : refused();
    }
    default:
        return TMonthMove{};
    }
}

TMonthMove MonthNavigation::arrowMove(bool forward, bool wrap) const
{
    const State& s = m_state;
    const MonthGridGeometry& grid = s.Grid;
    // Reading order runs on from a week's last day to the next week's first, and back.
    if (wrap && forward && s.Col == grid.ColCount - 1 && s.Row < grid.RowCount - 2)
        return toCell(grid.FixedCols, s.Row + 1);
    if (wrap && !forward && s.Col == grid.FixedCols && s.Row > MonthGridGeometry::FixedRows)
        return toCell(grid.ColCount - 1, s.Row - 1);
    return toCell(s.Col + (forward ? 1 : -1), s.Row);
}

TMonthMove MonthNavigation::homeEndMove(bool end, bool wholeYear) const
{
    const State& s = m_state;
    if (!wholeYear)
        return toDay(end ? s.LastOfMonth : s.FirstOfMonth);
    int y = 0, m = 0, d = 0;
    s.Mode.Decode(s.Date, y, m, d);
    TDateTime target = 0;
    if (!end)
        return s.Mode.TryEncode(y, 1, 1, target) ? toDay(target) : TMonthMove{};
    if (s.Mode.TryEncode(y + 1, 1, 1, target))
        return toDay(target - 1);
    // The calendar's last year has no next one to count back from.
    if (s.Mode.TryEncode(y, 12, s.Mode.MonthLength(y, 12), target))
        return toDay(target);
    return TMonthMove{};
}

TMonthMove MonthNavigation::MonthStep(int months) const
{
    const State& s = m_state;
    const bool allowed = months > 0 ? s.MaxDate == 0 || s.Mode.FirstOfMonth(s.MaxDate) > s.Date
                                    : s.MinDate == 0 || s.Mode.LastOfMonth(s.MinDate) < s.Date;
    TDateTime target = 0;
    if (!allowed || !s.Mode.TryIncMonth(s.Date, months, target))
        return refused();
    return toDay(target);
}

TMonthMove MonthNavigation::PickMonth(int month) const
{
    const State& s = m_state;
    int y = 0, m = 0, d = 0;
    s.Mode.Decode(s.Date, y, m, d);
    if (month == m)
        return TMonthMove{};
    TDateTime first = 0;
    if (!s.Mode.TryEncode(y, month, 1, first))
        return refused();
    const int length = s.Mode.MonthLength(y, month);
    const TDateTime last = first + length - 1;
    if ((s.MinDate != 0 && last < s.MinDate) || (s.MaxDate != 0 && first > s.MaxDate))
        return refused();
    return toDay(first + std::min(d, length) - 1);
}

TMonthMove MonthNavigation::PickYear(int year) const
{
    const State& s = m_state;
    int y = 0, m = 0, d = 0;
    s.Mode.Decode(s.Date, y, m, d);
    TDateTime target = 0;
    if (year == y || !s.Mode.TryEncode(year, m, std::min(d, s.Mode.MonthLength(year, m)), target))
        return TMonthMove{};
    return toDay(target);
}

void MonthNavigation::YearRange(int& minYear, int& maxYear) const
{
    const State& s = m_state;
    minYear = s.Mode.MinimumYear();
    maxYear = ShCalendarMode::MaximumYear;
    int y = 0, m = 0, d = 0;
    if (s.MinDate != 0) {
        s.Mode.Decode(s.MinDate, y, m, d);
        minYear = std::max(y, minYear);
    }
    if (s.MaxDate != 0) {
        s.Mode.Decode(s.MaxDate, y, m, d);
        maxYear = y;
    }
}

bool MonthNavigation::InRange(TDateTime day) const
{
    return (m_state.MaxDate == 0 || day <= m_state.MaxDate) && (m_state.MinDate == 0 || day >= m_state.MinDate);
}

TDateTime MonthNavigation::Clamp(TDateTime day) const
{
    if (m_state.MinDate != 0 && day < m_state.MinDate)
        day = m_state.MinDate;
    else if (m_state.MaxDate != 0 && day > m_state.MaxDate)
        day = m_state.MaxDate;
    // Trailing days past the calendar's first or last day are shown but cannot be dates.
    return std::clamp(day, m_state.Mode.FirstDay(), m_state.Mode.LastDay());
}
