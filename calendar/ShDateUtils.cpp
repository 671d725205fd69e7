#include "calendar/ShDateUtils.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"
#include "calendar/ShDateCore.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>

using namespace ShDateCore;

const Word ShMonthDays[2][13] = {
    {0, 31, 31, 31, 31, 31, 31, 30, 30, 30, 30, 30, 29},
    {0, 31, 31, 31, 31, 31, 31, 30, 30, 30, 30, 30, 30},
};

namespace {

// daysBeforeMonth() as a table, indexed by month 1..12: one load instead of a branch on every encode.
constexpr auto DaysBeforeMonth = [] {
    std::array<unsigned, 13> table{};
    for (int month = 1; month <= 12; ++month)
        table[month] = static_cast<unsigned>(daysBeforeMonth(month));
    return table;
}();
constexpr std::int64_t MaxDecodableCount = dayCount(65535, 12, 29) + (isLeap(65535) ? 1 : 0);

[[noreturn]] void raiseEncodeError()
{
    throw EConvertError(SShInvalidDateEncode);
}

} // namespace

bool ShIsLeapYear(Word Year)
{
    return (LeapMask >> (Year % 33)) & 1u;
}

int ShLeapYearCount(Word Year)
{
    return static_cast<int>(leapCount(Year));
}

bool ShTryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date)
{
    // Unsigned 32-bit steps and divisions by constants only: this runs on every key in the date controls.
    const unsigned y1 = Year - 1u; // wraps for year 0
    if (y1 > MaxYear - 1u || Month - 1u > 11u || Day == 0)
        return false;
    const unsigned q = y1 / 33;
    const unsigned r = y1 - 33 * q;                   // (Year - 1) mod 33
    const unsigned leap = (LeapMask >> (r + 1)) & 1u; // bit 33 is clear: a multiple of 33 is common
    if (Day > ShMonthDays[leap][Month])
        return false;
    const unsigned before = 365 * y1 + 8 * q + LeapsUpTo[r] + DaysBeforeMonth[Month] + Day;
    Date = static_cast<TDateTime>(static_cast<int>(before) + static_cast<int>(DayCountToSerial));
    return true;
}

TDateTime ShEncodeDate(Word Year, Word Month, Word Day)
{
    TDateTime result;
    if (!ShTryEncodeDate(Year, Month, Day, result))
        raiseEncodeError();
    return result;
}

namespace {

// The date of a day serial; false (and zeros) before 1 Farvardin 1 and beyond year 65535, where the year no
// longer fits its 16 bits.
bool decodeSerial(std::int64_t serial, Word& Year, Word& Month, Word& Day)
{
    const std::int64_t n = serial - DayCountToSerial;
    if (n <= 0 || n > MaxDecodableCount) {
        Year = Month = Day = 0;
        return false;
    }
    const Ymd d = fromDayCount(static_cast<std::uint32_t>(n));
    Year = static_cast<Word>(d.year);
    Month = static_cast<Word>(d.month);
    Day = static_cast<Word>(d.day);
    return true;
}

} // namespace

bool ShDecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW)
{
    const std::int64_t serial = daySerial(Date);
    if (!decodeSerial(serial, Year, Month, Day)) {
        DOW = 0;
        return false;
    }
    DOW = static_cast<Word>(weekday(serial));
    return ShIsLeapYear(Year);
}

void ShDecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day)
{
    decodeSerial(daySerial(Date), Year, Month, Day);
}

Word ShDayOfWeek(TDateTime Date)
{
    return static_cast<Word>(weekday(daySerial(Date)));
}

void ShIncAMonth(Word& Year, Word& Month, Word& Day, int NumberOfMonths)
{
    // 16-bit unsigned steps, as the date fields are 16-bit: a month that falls below 1 wraps and is caught by
    // the single range test.
    const int sign = NumberOfMonths >= 0 ? 1 : -1;
    Year = static_cast<Word>(Year + NumberOfMonths / 12);
    Month = static_cast<Word>(Month + NumberOfMonths % 12);
    if (static_cast<Word>(Month - 1) > 11) {
        Year = static_cast<Word>(Year + sign);
        Month = static_cast<Word>(Month - 12 * sign);
    }
    // A month that was out of range on entry stays out of range; leave the day alone rather than read past the
    // table.
    if (Month >= 1 && Month <= 12) {
        const Word length = ShMonthDays[ShIsLeapYear(Year)][Month];
        if (Day > length)
            Day = length;
    }
}

TDateTime ShIncMonth(TDateTime Date, int NumberOfMonths)
{
    Word year, month, day;
    ShDecodeDate(Date, year, month, day);
    ShIncAMonth(year, month, day, NumberOfMonths);
    const TDateTime moved = ShEncodeDate(year, month, day);
    const double fraction = std::fabs(Date - std::trunc(Date));
    return moved >= 0 ? moved + fraction : moved - fraction;
}

Word ShCurrentYear()
{
    Word year, month, day;
    ShDecodeDate(Clock::today(), year, month, day);
    return year;
}

namespace {

// Week number over unchecked day serials, so that the first days of year 1 and the last of year 9999 get a
// week like any other day instead of failing to encode year 0 or 10000.
int weekOfTheYear(int rule, std::int64_t serial, std::int64_t year)
{
    for (;;) {
        const std::int64_t start = serialOf(year, 1, 1);
        const int w = weekday(start);
        std::int64_t first = start - w + 1;
        if ((rule == 2 && w >= 5) || (rule == 3 && w > 1))
            first += 7;
        if (serial < first) {
            // The last week of the previous year.
            serial = start - 1;
            --year;
            continue;
        }
        const int week = static_cast<int>((serial - first) / 7 + 1);
        if (week <= 52)
            return week;
        const std::int64_t next = serialOf(year + 1, 1, 1);
        const int w2 = weekday(next);
        const std::int64_t daysLeft = next - serial;
        if (rule == 1 && daysLeft < w2)
            return 1;
        if (rule == 2 && w2 < 5 && daysLeft < w2)
            return 1;
        return week;
    }
}

} // namespace

int ShWeekOfTheYear(std::uint8_t FirstWeekRule, TDateTime Date)
{
    const TDateTime day = std::trunc(Date);
    Word year, month, dd;
    ShDecodeDate(day, year, month, dd);
    if (year < 1 || year > MaxYear)
        raiseEncodeError();
    const int rule = FirstWeekRule == 0 ? 2 : FirstWeekRule;
    return weekOfTheYear(rule, daySerial(day), year);
}

bool ShTryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Date)
{
    if (!ShTryEncodeDate(Year, Month, Day, Date))
        return false;
    if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000)
        return false;
    const double time = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / static_cast<double>(MsPerDay);
    Date = Date > 0 ? Date + time : Date - time;
    return true;
}

namespace {

void appendField(std::string& text, Word value)
{
    if (value == 0xFFFF)
        text += SShUnknownField;
    else
        text += std::to_string(value);
}

void appendSeparator(std::string& text, QChar separator)
{
    if (!separator.isNull())
        text += QString(separator).toStdString();
}

} // namespace

TDateTime ShEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec)
{
    TDateTime result;
    if (ShTryEncodeDateTime(Year, Month, Day, Hour, Min, Sec, MSec, result))
        return result;
    std::string fields;
    appendField(fields, Year);
    appendSeparator(fields, FormatSettings.DateSeparator);
    appendField(fields, Month);
    appendSeparator(fields, FormatSettings.DateSeparator);
    appendField(fields, Day);
    fields += ' ';
    appendField(fields, Hour);
    appendSeparator(fields, FormatSettings.TimeSeparator);
    appendField(fields, Min);
    appendSeparator(fields, FormatSettings.TimeSeparator);
    appendField(fields, Sec);
    appendSeparator(fields, FormatSettings.DecimalSeparator);
    appendField(fields, MSec);
    const std::string_view pattern(SShInvalidDateTime);
    const auto at = pattern.find("%s");
    throw EConvertError(std::string(pattern.substr(0, at)) + fields + std::string(pattern.substr(at + 2)));
}
