#pragma once

// The bounds a date picker keeps its value within. Widget-free: the picker asks it whether a value may stand,
// where a value is pulled back to, and which range error a value or a new bound raises.

#include "controls/ShDateTypes.h"

// Three independent ranges: days (MinDate/MaxDate, whole day serials), times of day (MinTime/MaxTime, fractions
// of a day) and moments (MinDateTime/MaxDateTime). An end of 0 is open.
class TPickerBounds
{
public:
    TDateTime MinDate() const { return m_minDate; }
    TDateTime MaxDate() const { return m_maxDate; }
    TDateTime MinTime() const { return m_minTime; }
    TDateTime MaxTime() const { return m_maxTime; }
    TDateTime MinDateTime() const { return m_minDateTime; }
    TDateTime MaxDateTime() const { return m_maxDateTime; }

    // Writing an end checks nothing: the Check* functions below say first whether the new end may stand.
    void SetMinDate(TDateTime day) { m_minDate = day; }
    void SetMaxDate(TDateTime day) { m_maxDate = day; }
    void SetMinTime(TDateTime time) { m_minTime = time; }
    void SetMaxTime(TDateTime time) { m_maxTime = time; }
    void SetMinDateTime(TDateTime value) { m_minDateTime = value; }
    void SetMaxDateTime(TDateTime value) { m_maxDateTime = value; }

    // Raises the range error for a new end that passes the other end of its range or, for the day and moment
    // ranges, lies on a day no picker can hold. 0 (open) always passes. Values are named in `mode`'s calendar.
    void CheckNewMinDate(TDateTime day, ShCalendarMode mode) const;
    void CheckNewMaxDate(TDateTime day, ShCalendarMode mode) const;
    void CheckNewMinTime(TDateTime time) const;
    void CheckNewMaxTime(TDateTime time) const;
    void CheckNewMinDateTime(TDateTime value, ShCalendarMode mode) const;
    void CheckNewMaxDateTime(TDateTime value, ShCalendarMode mode) const;

    // Raises the range error for a value outside its range.
    void CheckDate(TDateTime day, ShCalendarMode mode) const;
    void CheckTime(TDateTime time) const;
    void CheckDateTime(TDateTime value, ShCalendarMode mode) const;

    // Raises the range error for a day outside Solar Hijri years 1 to 9999, which no picker can show in either
    // calendar (a Gregorian picker shows the same days, so a value reads back as written after a switch).
    static void CheckHoldable(TDateTime day, ShCalendarMode mode);
    // Whether a day lies within those years.
    static bool IsHoldable(TDateTime day);

    bool HoldsDate(TDateTime day) const { return holds(day, m_minDate, m_maxDate); }
    bool HoldsTime(TDateTime time) const { return holds(time, m_minTime, m_maxTime); }
    bool HoldsDateTime(TDateTime value) const { return holds(value, m_minDateTime, m_maxDateTime); }

    // The nearest value within the range (the value itself when it lies within).
    TDateTime ClampDate(TDateTime day) const { return clamp(day, m_minDate, m_maxDate); }
    TDateTime ClampTime(TDateTime time) const { return clamp(time, m_minTime, m_maxTime); }
    TDateTime ClampDateTime(TDateTime value) const { return clamp(value, m_minDateTime, m_maxDateTime); }

private:
    static bool holds(TDateTime value, TDateTime min, TDateTime max)
    {
        return !(min != 0 && value < min) && !(max != 0 && value > max);
    }
    static TDateTime clamp(TDateTime value, TDateTime min, TDateTime max)
    {
        if (min != 0 && value < min)
            value = min;
        if (max != 0 && value > max)
            value = max;
        return value;
    }

    TDateTime m_minDate = 0;
    TDateTime m_maxDate = 0;
    TDateTime m_minTime = 0;
    TDateTime m_maxTime = 0;
    TDateTime m_minDateTime = 0;
    TDateTime m_maxDateTime = 0;
};
