#pragma once

// The month a month calendar shows, as days: its first and last day and the first day of the six-week grid that
// holds it, in the calendar of a ShCalendarMode. A value made from any day of the month; it knows nothing of
// cells, selection or widgets.

#include "calendar/ShCalendarMode.h"

#include <cstdint>

class MonthFrame
{
public:
    // Six weeks of seven days.
    static constexpr int DayCount = 42;

    // No month: a frame that holds no day.
    MonthFrame() = default;
    // The month of `day`.
    MonthFrame(ShCalendarMode mode, TDateTime day);

    TDateTime FirstOfMonth() const { return m_firstOfMonth; }
    TDateTime LastOfMonth() const { return m_lastOfMonth; }
    // The grid's first day: the month's first day sits in its weekday column of the first week, except that a
    // month beginning in the first column starts in the second week, so that every grid shows days of the
    // month before.
    TDateTime GridStart() const { return m_gridStart; }

    bool InMonth(TDateTime day) const { return day >= m_firstOfMonth && day <= m_lastOfMonth; }
    // Whether the day is one of the grid's 42 days.
    bool Shows(TDateTime day) const { return day >= m_gridStart && day < m_gridStart + DayCount; }
    // Week of the year of grid week `week` (0..5): the week of its fourth day, which the Solar Hijri rule and
    // ISO 8601 both go by; 0 where that week lies outside the calendar's years.
    int WeekNumber(int week) const;
    // The days of the frame's month that fall on `weekday`, as WeekdayMask of the month.
    std::uint32_t WeekdayMask(int weekday) const;

    // Bit d - 1 for every day d (1..31, counted on past a shorter month's end) that falls on `weekday`, numbered
    // 1 (Saturday) to 7 (Friday); 0 for a month the calendar cannot encode.
    static std::uint32_t WeekdayMask(ShCalendarMode mode, int year, int month, int weekday);

private:
    ShCalendarMode m_mode;
    int m_year = 0;
    int m_month = 0;
    TDateTime m_firstOfMonth = 0;
    TDateTime m_lastOfMonth = -1;
    TDateTime m_gridStart = 0;
};
