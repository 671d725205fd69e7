#pragma once

// The calendar a date control shows: the Solar Hijri calendar, or the system's Gregorian calendar after a calendar
// switch. Every rule that depends on that choice lives here once (decoding, encoding, month lengths, the lowest
// year the controls step to, the first and last day, the weekday column, month steps, names and the date text),
// together with the rules both modes share: the two-digit-year window, the split of a value into day and
// millisecond, and the bridge between day serials and Gregorian dates.

#include "calendar/ShDateCore.h"
#include "calendar/ShDateUtils.h"

#include <QDate>
#include <QString>

#include <cstdint>

// Day serial of a Gregorian date (day serial 0 is 30 December 1899).
TDateTime ShGregorianToSerial(const QDate& date);

// A time of day as a fraction of a day.
TDateTime ShTimeValue(int hour, int minute, int second, int millisecond);

class ShCalendarMode
{
public:
    // The last year of either calendar; the first is year 1.
    static constexpr int MaximumYear = ShDateCore::MaxYear;
    static constexpr std::int64_t MsPerDay = ShDateCore::MsPerDay;

    // Solar Hijri unless `gregorian` (a control's UseSystemCalendar).
    constexpr explicit ShCalendarMode(bool gregorian = false) : m_gregorian(gregorian) {}

    constexpr bool IsGregorian() const { return m_gregorian; }

    // ---- values, the same in both modes ----

    // Gregorian date of a value's day.
    static QDate ToGregorian(TDateTime value);
    // Whole day serial of a value, split to the nearest millisecond (a value less than half a millisecond before
    // midnight belongs to the next day).
    static TDateTime DayOf(TDateTime value);
    // Millisecond of the day (0..86399999); the time of a negative value is the absolute fraction.
    static int MillisecondOfDay(TDateTime value);
    // A day serial joined with a time of day.
    static TDateTime Combine(TDateTime day, TDateTime timeOfDay);
    // A one- or two-digit year moved into the hundred years that begin `window` years before `currentYear`
    // (window 0: the current century).
    static int ExpandTwoDigitYear(int year, int currentYear, int window);

    // ---- the calendar of this mode ----

    // Year, month and day of a value's day (zeros before the Solar Hijri year 1).
    void Decode(TDateTime value, int& year, int& month, int& day) const;
    // False (value untouched) outside years 1..MaximumYear or for a day the month does not have.
    bool TryEncode(int year, int month, int day, TDateTime& value) const;
    // Days of a month; 0 for a month outside 1..12.
    int MonthLength(int year, int month) const;
    // The lowest year the year section and the year editor step to.
    int MinimumYear() const;
    // First and last day this calendar can encode (1 Farvardin 1 .. 29 Esfand 9999, 1 January 1 .. 31 December
    // 9999).
    TDateTime FirstDay() const;
    TDateTime LastDay() const;
    bool Contains(TDateTime day) const { return day >= FirstDay() && day <= LastDay(); }
    // Weekday column 1..7 of a day: Saturday first in Solar Hijri, Monday first in Gregorian.
    int WeekdayColumn(TDateTime day) const;
    // The column of weekday `weekday`, numbered 1 (Saturday) to 7 (Friday).
    int ColumnOfWeekday(int weekday) const;
    // Week of the year of a day (the Solar Hijri rule of the four-day first week, or ISO 8601); 0 for a day
    // whose week lies outside the calendar's years.
    int WeekNumber(TDateTime day) const;
    // The day whole months away, its day of month clamped to the new month's length; false past either end.
    bool TryIncMonth(TDateTime day, int months, TDateTime& result) const;
    TDateTime FirstOfMonth(TDateTime day) const;
    TDateTime LastOfMonth(TDateTime day) const;
    // Today's year.
    int CurrentYear() const;
    // A typed or parsed one- or two-digit year in the regional two-digit-year window around today's year.
    int ExpandTwoDigitYear(int year) const;
    // The first year of that window: what Home puts in a year section (End puts the 99th after it).
    int TwoDigitWindowStart() const;

    // Long month name (1..12) and weekday name by column (1..7); empty outside.
    QString MonthName(int month) const;
    QString DayName(int column) const;
    // The short date text of a day: the Solar Hijri date text, or the default locale's short date.
    QString DateText(TDateTime value) const;
    // Date and time text: the date, then the long time when the time of day is not midnight (Solar Hijri), or the
    // default locale's short date and time.
    QString DateTimeText(TDateTime value) const;

private:
    static int gregorianMonthLength(int year, int month);

    bool m_gregorian;
};
