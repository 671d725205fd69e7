#include "calendar/MonthFrame.h"

MonthFrame::MonthFrame(ShCalendarMode mode, TDateTime day)
    : m_mode(mode), m_firstOfMonth(mode.FirstOfMonth(day)), m_lastOfMonth(mode.LastOfMonth(day))
{
    int dayOfMonth = 0;
    mode.Decode(day, m_year, m_month, dayOfMonth);
    int lead = mode.WeekdayColumn(m_firstOfMonth) - 1;
    if (lead == 0)
        lead = 7;
    m_gridStart = m_firstOfMonth - lead;
}

int MonthFrame::WeekNumber(int week) const
{
    return m_mode.WeekNumber(m_gridStart + 7 * week + 3);
}

std::uint32_t MonthFrame::WeekdayMask(int weekday) const
{
    return WeekdayMask(m_mode, m_year, m_month, weekday);
}

std::uint32_t MonthFrame::WeekdayMask(ShCalendarMode mode, int year, int month, int weekday)
{
    const int column = mode.ColumnOfWeekday(weekday);
    TDateTime first = 0;
    if (!mode.TryEncode(year, month, 1, first))
        return 0;
    const int firstColumn = mode.WeekdayColumn(first);
    std::uint32_t mask = 0;
    for (int day = 1; day <= 31; ++day) {
        if ((firstColumn - 1 + day - 1) % 7 + 1 == column)
            mask |= std::uint32_t(1) << (day - 1);
    }
    return mask;
}
