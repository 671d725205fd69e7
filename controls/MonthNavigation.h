#pragma once

// Where the month calendar's moves lead: the navigation keys, the month buttons, a month picked from the menu and
// a year typed into the year editor. A value made from the calendar's state; it computes the day or cell to go
// to and changes nothing, and the calendar carries the move out.

#include "calendar/ShCalendarMode.h"
#include "controls/MonthGridGeometry.h"

struct TMonthMove
{
    enum Kind
    {
        Stay,    // nothing to do
        ToDay,   // go to Day
        ToCell,  // make the cell Col, Row current (the calendar may refuse it)
        Refused, // the move runs past the bounds or the calendar's years: a beep
    };

    Kind What = Stay;
    TDateTime Day = 0;
    int Col = 0;
    int Row = 0;
};

class MonthNavigation
{
public:
    // The calendar's state a move starts from.
    struct State
    {
        ShCalendarMode Mode;
        TDateTime Date = 0;
        TDateTime MinDate = 0; // 0: no lower bound
        TDateTime MaxDate = 0; // 0: no upper bound
        TDateTime FirstOfMonth = 0;
        TDateTime LastOfMonth = 0;
        TDateTime Today = 0;
        MonthGridGeometry Grid;
        int Col = 0;
        int Row = 0;
        bool TodayRow = false;
        bool RightToLeft = false;
    };

    explicit MonthNavigation(const State& state) : m_state(state) {}

    // Space, the page keys, Home, End and the arrows; the calendar leaves every other key alone.
    static bool IsNavigationKey(int key);
    // Where a navigation key leads. While `extending` a multi-day selection with Shift, only Home, End and the
    // arrows move, and Ctrl changes nothing.
    TMonthMove KeyMove(int key, bool ctrl, bool extending) const;

    // Whole months on (the month buttons), refused once the bounds end before the month.
    TMonthMove MonthStep(int months) const;
    // A month of the shown year from the months menu: the same day, within the month's length. Refused when the
    // whole month lies outside the bounds; the shown month stays where it is.
    TMonthMove PickMonth(int month) const;
    // A year from the year editor: the same month and day, within the month's length.
    TMonthMove PickYear(int year) const;
    // The years the year editor steps through.
    void YearRange(int& minYear, int& maxYear) const;

    bool InRange(TDateTime day) const;
    // A day moved into the bounds and into the calendar's own first and last day.
    TDateTime Clamp(TDateTime day) const;

private:
    static TMonthMove toDay(TDateTime day) { return TMonthMove{TMonthMove::ToDay, day, 0, 0}; }
    static TMonthMove toCell(int col, int row) { return TMonthMove{TMonthMove::ToCell, 0, col, row}; }
    static TMonthMove refused() { return TMonthMove{TMonthMove::Refused, 0, 0, 0}; }
    TMonthMove arrowMove(bool forward, bool wrap) const;
    TMonthMove homeEndMove(bool end, bool wholeYear) const;

    State m_state;
};
