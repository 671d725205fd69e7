#include "calendar/ShCalendarMode.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"

#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// Julian day of day serial 0 (30 December 1899).
constexpr qint64 SerialBase = 2415019;

std::int64_t totalMilliseconds(TDateTime value)
{
    return static_cast<std::int64_t>(std::llround(value * static_cast<double>(ShCalendarMode::MsPerDay)));
}

} // namespace

TDateTime ShGregorianToSerial(const QDate& date)
{
    return static_cast<TDateTime>(date.toJulianDay() - SerialBase);
}

TDateTime ShTimeValue(int hour, int minute, int second, int millisecond)
{
    const std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<TDateTime>(ms) / static_cast<TDateTime>(ShCalendarMode::MsPerDay);
}

// ---- values -------------------------------------------------------------------------------------------------------

QDate ShCalendarMode::ToGregorian(TDateTime value)
{
    return QDate::fromJulianDay(SerialBase + static_cast<qint64>(DayOf(value)));
}

TDateTime ShCalendarMode::DayOf(TDateTime value)
{
    return static_cast<TDateTime>(totalMilliseconds(value) / MsPerDay);
}

int ShCalendarMode::MillisecondOfDay(TDateTime value)
{
    const std::int64_t rest = totalMilliseconds(value) % MsPerDay;
    return static_cast<int>(rest < 0 ? -rest : rest);
}

TDateTime ShCalendarMode::Combine(TDateTime day, TDateTime timeOfDay)
{
    return day < 0 ? day - timeOfDay : day + timeOfDay;
}

int ShCalendarMode::ExpandTwoDigitYear(int year, int currentYear, int window)
{
    const int first = currentYear - window;
    int expanded = year + first / 100 * 100;
    if (window > 0 && expanded < first)
        expanded += 100;
    return expanded;
}

// ---- the calendar of this mode ------------------------------------------------------------------------------------

void ShCalendarMode::Decode(TDateTime value, int& year, int& month, int& day) const
{
    if (m_gregorian) {
        const QDate date = ToGregorian(value);
        year = date.year();
        month = date.month();
        day = date.day();
        return;
    }
    Word y = 0, m = 0, d = 0;
    ShDecodeDate(value, y, m, d);
    year = y;
    month = m;
    day = d;
}

bool ShCalendarMode::TryEncode(int year, int month, int day, TDateTime& value) const
{
    if (year < 1 || year > MaximumYear || month < 1 || month > 12 || day < 1)
        return false;
    if (!m_gregorian)
        return ShTryEncodeDate(Word(year), Word(month), Word(day), value);
    if (day > gregorianMonthLength(year, month))
        return false;
    value = ShGregorianToSerial(QDate(year, month, day));
    return true;
}

int ShCalendarMode::gregorianMonthLength(int year, int month)
{
    // Without QDate's gap at year 0.
    static constexpr int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month];
}

int ShCalendarMode::MonthLength(int year, int month) const
{
    if (month < 1 || month > 12)
        return 0;
    if (m_gregorian)
        return gregorianMonthLength(year, month);
    return ShMonthDays[ShIsLeapYear(static_cast<Word>(year)) ? 1 : 0][month];
}

int ShCalendarMode::MinimumYear() const
{
    return m_gregorian ? 722 : 100;
}

TDateTime ShCalendarMode::FirstDay() const
{
    TDateTime first = 0;
    TryEncode(1, 1, 1, first);
    return first;
}

TDateTime ShCalendarMode::LastDay() const
{
    TDateTime last = 0;
    TryEncode(MaximumYear, 12, MonthLength(MaximumYear, 12), last);
    return last;
}

int ShCalendarMode::WeekdayColumn(TDateTime day) const
{
    if (m_gregorian)
        return ToGregorian(day).dayOfWeek(); // Monday 1 .. Sunday 7
    return ShDayOfWeek(day);                 // Saturday 1 .. Friday 7
}

int ShCalendarMode::ColumnOfWeekday(int weekday) const
{
    // Saturday is the sixth column of a Monday-first week.
    if (m_gregorian)
        return weekday + 5 <= 7 ? weekday + 5 : weekday - 2;
    return weekday;
}

int ShCalendarMode::WeekNumber(TDateTime day) const
{
    if (m_gregorian)
        return ToGregorian(day).weekNumber();
    try {
        return ShWeekOfTheYear(0, day);
    } catch (const std::exception&) {
        return 0;
    }
}

bool ShCalendarMode::TryIncMonth(TDateTime day, int months, TDateTime& result) const
{
    int y = 0, m = 0, d = 0;
    Decode(day, y, m, d);
    if (y < 1)
        return false;
    const int total = (y * 12 + (m - 1)) + months;
    if (total < 12)
        return false;
    const int ny = total / 12;
    const int nm = total % 12 + 1;
    return TryEncode(ny, nm, std::min(d, MonthLength(ny, nm)), result);
}

TDateTime ShCalendarMode::FirstOfMonth(TDateTime day) const
{
    int y = 0, m = 0, d = 0;
    Decode(day, y, m, d);
    TDateTime first = day;
    if (!TryEncode(y, m, 1, first))
        return day;
    return first;
}

TDateTime ShCalendarMode::LastOfMonth(TDateTime day) const
{
    int y = 0, m = 0, d = 0;
    Decode(day, y, m, d);
    return FirstOfMonth(day) + MonthLength(y, m) - 1;
}

int ShCalendarMode::CurrentYear() const
{
    if (m_gregorian)
        return ToGregorian(Clock::today()).year();
    return ShCurrentYear();
}

int ShCalendarMode::ExpandTwoDigitYear(int year) const
{
    return ExpandTwoDigitYear(year, CurrentYear(), FormatSettings.TwoDigitYearCenturyWindow);
}

int ShCalendarMode::TwoDigitWindowStart() const
{
    return CurrentYear() - FormatSettings.TwoDigitYearCenturyWindow;
}

QString ShCalendarMode::MonthName(int month) const
{
    if (month < 1 || month > 12)
        return QString();
    if (m_gregorian)
        return QLocale().monthName(month, QLocale::LongFormat);
    return ShLongMonthNames[month];
}

QString ShCalendarMode::DayName(int column) const
{
    if (column < 1 || column > 7)
        return QString();
    if (m_gregorian)
        return QLocale().dayName(column, QLocale::LongFormat);
    return ShLongDayNames[column];
}

QString ShCalendarMode::DateText(TDateTime value) const
{
    if (m_gregorian)
        return QLocale().toString(ToGregorian(value), QLocale::ShortFormat);
    return ShDateToStr(value);
}

QString ShCalendarMode::DateTimeText(TDateTime value) const
{
    if (!m_gregorian)
        return ShDateTimeToStr(value);
    const QDateTime dt(ToGregorian(value), QTime::fromMSecsSinceStartOfDay(MillisecondOfDay(value)));
    return QLocale().toString(dt, QLocale::ShortFormat);
}
