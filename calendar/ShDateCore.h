#pragma once

// The arithmetic core of the Solar Hijri calendar in plain C++: closed-form, no loops over years, no allocation.
// Works on 64-bit integers so that intermediate steps never wrap; the public operations in ShDateUtils.h range-
// check around it.

#include <cmath>
#include <cstdint>

namespace ShDateCore {

// 1 Farvardin 1 has the Solar Hijri day count 1; day serial = day count + DayCountToSerial.
inline constexpr std::int64_t DayCountToSerial = -466700;
// Absolute day number (1 = 1 January 1 proleptic Gregorian) = day serial + SerialToAbsolute.
inline constexpr std::int64_t SerialToAbsolute = 693594;
inline constexpr std::int64_t MsPerDay = 86400000;
// The last year any date of the program can have; the first is year 1.
inline constexpr int MaxYear = 9999;
inline constexpr std::int64_t DaysPerCycle = 12053; // 33 years, 8 of them leap

// Bit k set when a year with year mod 33 == k is a leap year: 1, 5, 9, 13, 17, 22, 26, 30.
inline constexpr std::uint64_t LeapMask =
    (1ull << 1) | (1ull << 5) | (1ull << 9) | (1ull << 13) | (1ull << 17) | (1ull << 22) | (1ull << 26) | (1ull << 30);

// LeapsUpTo[r]: leap positions of a cycle that are at most r.
inline constexpr std::uint8_t LeapsUpTo[33] = {0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4,
                                               5, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7, 8, 8, 8};

constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t floorMod(std::int64_t a, std::int64_t b)
{
    return a - floorDiv(a, b) * b;
}

constexpr bool isLeap(std::int64_t year)
{
    return (LeapMask >> floorMod(year, 33)) & 1u;
}

// Leap years among 1..year; for negative years it continues the cycle backwards (0 for -1 .. 0).
constexpr std::int64_t leapCount(std::int64_t year)
{
    const std::int64_t q = floorDiv(year, 33);
    return 8 * q + LeapsUpTo[year - 33 * q];
}

// Days of the months before month (1..12): six months of 31, then 30s.
constexpr int daysBeforeMonth(int month)
{
    return month <= 7 ? 31 * (month - 1) : 186 + 30 * (month - 7);
}

// Solar Hijri day count of a date, unchecked; year 0 counts as a common year before year 1.
constexpr std::int64_t dayCount(std::int64_t year, int month, int day)
{
    return 365 * (year - 1) + leapCount(year - 1) + daysBeforeMonth(month) + day;
}

constexpr std::int64_t serialOf(std::int64_t year, int month, int day)
{
    return dayCount(year, month, day) + DayCountToSerial;
}

struct Ymd
{
    std::int64_t year;
    int month;
    int day;
};

// Month and day of each day of the year (1..366), packed as month << 8 | day: a lookup instead of an
// unpredictable branch between the 31-day and the 30-day half of the year.
struct DayOfYearTable
{
    std::uint16_t md[367];
    constexpr DayOfYearTable() : md{}
    {
        for (int doy = 1; doy <= 366; ++doy) {
            const int month = doy <= 186 ? (doy - 1) / 31 + 1 : 7 + (doy - 187) / 30;
            const int day = doy - daysBeforeMonth(month);
            md[doy] = static_cast<std::uint16_t>(month << 8 | day);
        }
    }
};
inline constexpr DayOfYearTable DayOfYear{};

// Date of a day count 1 <= n < 2^32 / 33 (past year 65535): the year estimated from the mean year of the cycle,
// corrected by at most one. Unsigned 32-bit on purpose: every step divides by a constant, which compiles to a
// multiplication.
constexpr Ymd fromDayCount(std::uint32_t n)
{
    const std::uint32_t y = (33 * n) / DaysPerCycle;
    const std::uint32_t q = y / 33;
    const std::uint32_t yMod = y - 33 * q; // y + 1 is a leap year when bit yMod + 1 of the mask is set
    const std::uint32_t r = n - (365 * y + 8 * q + LeapsUpTo[yMod]);
    std::uint32_t year = y + 1;
    std::uint32_t doy = r;
    if (r == 0) [[unlikely]] {
        year = y;
        doy = ((LeapMask >> yMod) & 1u) ? 366 : 365;
    } else if (r == 366 && !((LeapMask >> (yMod + 1)) & 1u)) [[unlikely]] {
        year = y + 2;
        doy = 1;
    }
    const std::uint16_t md = DayOfYear.md[doy];
    return {static_cast<std::int64_t>(year), md >> 8, md & 0xFF};
}

// Splits a value into day serial (toward zero) and millisecond of the day, rounding to the nearest millisecond
// first. Values too large to be any date (and NaN) are pinned far outside the calendar so that no step
// overflows.
inline void splitValue(double value, std::int64_t& day, std::int64_t& msOfDay)
{
    constexpr double Limit = 1e10; // days; about 27 million years
    if (!(value > -Limit))         // also NaN
        value = -Limit;
    else if (value > Limit)
        value = Limit;
    // Round half away from zero without a library call: below 2^63 the conversion truncates exactly, and the
    // difference to the truncated value is exact too.
    const double x = value * static_cast<double>(MsPerDay);
    std::int64_t ms = static_cast<std::int64_t>(x);
    const double fraction = x - static_cast<double>(ms);
    if (fraction >= 0.5)
        ++ms;
    else if (fraction <= -0.5)
        --ms;
    day = ms / MsPerDay;
    const std::int64_t rem = ms % MsPerDay;
    msOfDay = rem < 0 ? -rem : rem;
}

inline std::int64_t daySerial(double value)
{
    // Most values are not within a millisecond of midnight: for them truncation already gives the day that
    // rounding to the millisecond would give (below 1e7 days the product's rounding error stays far below half a
    // millisecond), without the millisecond arithmetic.
    constexpr double Margin = 1.0 - 1.0 / static_cast<double>(MsPerDay);
    if (value > -1e7 && value < 1e7) {
        const std::int64_t day = static_cast<std::int64_t>(value);
        const double fraction = value - static_cast<double>(day);
        if (fraction < Margin && fraction > -Margin)
            return day;
    }
    std::int64_t day, ms;
    splitValue(value, day, ms);
    return day;
}

// Weekday 1 (Saturday) .. 7 (Friday); day serial 0 is a Saturday.
constexpr int weekday(std::int64_t serial)
{
    return static_cast<int>(floorMod(serial + SerialToAbsolute + 1, 7)) + 1;
}

} // namespace ShDateCore
