#include "controls/PickerSections.h"

#include "calendar/Clock.h"

#include <algorithm>
#include <vector>

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

TDateTime encodeTime(const TPickerValue& v)
{
    return ShTimeValue(v.Hour, v.Minute, v.Second, v.MSec);
}

} // namespace

Word TPickerValue::word(int section) const
{
    switch (section) {
    case TPickerSections::secYear:
        return Year;
    case TPickerSections::secMonth:
        return Month;
    case TPickerSections::secDay:
        return Day;
    case TPickerSections::secHour:
        return Hour;
    case TPickerSections::secMinute:
        return Minute;
    case TPickerSections::secSecond:
        return Second;
    case TPickerSections::secMSec:
        return MSec;
    case TPickerSections::secAmPm:
        return PM;
    default:
        return 0;
    }
}

TPickerSections::TPickerSections()
{
    rebuildVisibleSections();
}

// ---- shape and options --------------------------------------------------------------------------------------------

void TPickerSections::SetKind(TShDateTimeKind value)
{
    if (m_kind == value)
        return;
    m_kind = value;
    rebuildVisibleSections();
    m_current = value == dtkTime ? secHour : secDay;
}

void TPickerSections::SetShowSecond(bool value)
{
    m_showSecond = value;
    rebuildVisibleSections();
}

void TPickerSections::SetUse12HourClock(bool value)
{
    m_use12HourClock = value;
    rebuildVisibleSections();
}

void TPickerSections::SetAutoMoveDirection(TAutoMoveDirection value)
{
    if (m_autoMoveDirection == value)
        return;
    m_autoMoveDirection = value;
    // A time-only picker has no date sections to land on.
    if (m_kind != dtkTime)
        m_current = value == amdYMD ? secYear : secDay;
}

void TPickerSections::SetMode(ShCalendarMode mode)
{
    const TDateTime day = Date();
    m_mode = mode;
    SetDay(day);
}

void TPickerSections::rebuildVisibleSections()
{
    m_visible.fill(false);
    if (m_kind != dtkTime)
        m_visible[secYear] = m_visible[secMonth] = m_visible[secDay] = true;
    if (m_kind != dtkDate) {
        m_visible[secHour] = m_visible[secMinute] = true;
        m_visible[secSecond] = m_showSecond;
        m_visible[secAmPm] = m_use12HourClock;
    }
    // A section that just disappeared cannot stay current: fall back to the nearest shown one before it.
    if (!m_visible[m_current]) {
        int s = m_current;
        while (s > 0 && !m_visible[s])
            --s;
        if (!m_visible[s])
            s = m_kind == dtkTime ? secHour : secDay;
        m_current = s;
    }
}

// ---- the value ----------------------------------------------------------------------------------------------------

TPickerValue TPickerSections::Snapshot() const
{
    TPickerValue v = m_value;
    v.PM = v.Hour > 11 ? 1 : 0;
    return v;
}

TPickerValue TPickerSections::EntryStart() const
{
    return m_editing ? m_entryStart : Snapshot();
}

TDateTime TPickerSections::encodeDate(const TPickerValue& v) const
{
    TDateTime value = 0;
    m_mode.TryEncode(v.Year, v.Month, v.Day, value);
    return value;
}

TDateTime TPickerSections::Date() const
{
    return encodeDate(m_editing ? m_entryStart : m_value);
}

TDateTime TPickerSections::Time() const
{
    const TPickerValue& v = m_editing ? m_entryStart : m_value;
    return ShTimeValue(v.Hour, v.Minute, m_showSecond ? v.Second : 0, 0);
}

TDateTime TPickerSections::DateTime() const
{
    return ShCalendarMode::Combine(Date(), Time());
}

void TPickerSections::SetDay(TDateTime day)
{
    int year = 0, month = 0, dayOfMonth = 0;
    m_mode.Decode(day, year, month, dayOfMonth);
    m_value.Year = static_cast<Word>(year);
    m_value.Month = static_cast<Word>(month);
    m_value.Day = static_cast<Word>(dayOfMonth);
}

void TPickerSections::SetTimeOfDay(TDateTime time)
{
    const int ms = ShCalendarMode::MillisecondOfDay(time);
    m_value.Hour = static_cast<Word>(ms / 3600000);
    m_value.Minute = static_cast<Word>(ms / 60000 % 60);
    m_value.Second = static_cast<Word>(ms / 1000 % 60);
    m_value.MSec = static_cast<Word>(ms % 1000);
}

// ---- sections -----------------------------------------------------------------------------------------------------

bool TPickerSections::SetCurrent(int section)
{
    if (!IsVisible(section))
        return false;
    m_current = section;
    return true;
}

int TPickerSections::NextVisible(int step) const
{
    int s = m_current;
    do {
        s = (s + step + SectionCount) % SectionCount;
    } while (!m_visible[s]);
    return s;
}

int TPickerSections::EntrySection() const
{
    if (m_kind == dtkTime)
        return secHour;
    return m_autoMoveDirection == amdYMD ? secYear : secDay;
}

QString TPickerSections::Text(int section) const
{
    if (!IsVisible(section))
        return {};
    switch (section) {
    case secYear:
        return QString::number(m_value.Year);
    case secMonth:
        return QString::number(m_value.Month);
    case secDay:
        return QString::number(m_value.Day);
    case secHour: {
        if (!m_use12HourClock)
            return twoDigits(m_value.Hour);
        const int h = m_value.Hour % 12;
        return twoDigits(h == 0 ? 12 : h);
    }
    case secMinute:
        return twoDigits(m_value.Minute);
    case secSecond:
        return twoDigits(m_value.Second);
    case secAmPm:
        return m_value.Hour > 11 ? FormatSettings.TimePMString : FormatSettings.TimeAMString;
    default:
        return {};
    }
}

int TPickerSections::MonthLength(int year, int month) const
{
    const int length = m_mode.MonthLength(year, month);
    return length > 0 ? length : 31;
}

void TPickerSections::clampDayToMonth()
{
    const int length = MonthLength(m_value.Year, m_value.Month);
    if (m_value.Day > length)
        m_value.Day = static_cast<Word>(length);
}

// ---- typing -------------------------------------------------------------------------------------------------------

TPickerSections::TDigitEntry TPickerSections::TypeDigit(int digit)
{
    if (!m_editing) {
        m_entryStart = Snapshot();
        m_editing = true;
        m_previousDigit = -1;
    }
    const int previous = m_previousDigit;
    m_previousDigit = digit;
    switch (m_current) {
    case secYear:
        return typeYear(digit, previous);
    case secMonth:
        return typeMonth(digit, previous);
    case secDay:
        return typeDay(digit, previous);
    case secHour:
        return typeHour(digit, previous);
    case secMinute:
        return typeMinuteOrSecond(m_value.Minute, digit, previous);
    case secSecond:
        return typeMinuteOrSecond(m_value.Second, digit, previous);
    default:
        return deTyped;
    }
}

bool TPickerSections::isYearEntryComplete(int previous) const
{
    if (m_value.Year > 999)
        return true;
    // Two digits name a year of the window when the year is followed by another section to type; a day-first
    // date ends with the year and waits for all four digits.
    return m_intelliYearDigits && m_autoMove && (m_value.Year > 9 || previous >= 0) &&
           (m_autoMoveDirection == amdYMD || m_kind == dtkDateTime);
}

TPickerSections::TDigitEntry TPickerSections::typeYear(int digit, int previous)
{
    Word& year = m_value.Year;
    year = static_cast<Word>(year >= 1000 || previous < 0 ? digit : year * 10 + digit);
    return isYearEntryComplete(previous) ? deComplete : deTyped;
}

TPickerSections::TDigitEntry TPickerSections::typeMonth(int digit, int previous)
{
    const int candidate = m_value.Month * 10 + digit;
    if (previous > 0 && candidate >= 1 && candidate <= 12)
        m_value.Month = static_cast<Word>(candidate);
    else if (digit == 0)
        return deHeld;
    else
        m_value.Month = static_cast<Word>(digit);
    return m_value.Month > 1 || previous == 0 ? deComplete : deTyped;
}

TPickerSections::TDigitEntry TPickerSections::typeDay(int digit, int previous)
{
    const int candidate = m_value.Day * 10 + digit;
    const int length = MonthLength(m_value.Year, m_value.Month);
    const bool strict = m_autoMove && m_autoMoveDirection == amdYMD;
    const bool acceptable = candidate >= 1 && candidate <= (strict ? length : 31);
    if (acceptable && previous > 0) {
        // A day past this month's end typed before the month: January/Farvardin holds any day up to 31.
        if (!strict && candidate > length)
            m_value.Month = 1;
        m_value.Day = static_cast<Word>(candidate);
    } else if (digit == 0) {
        return deHeld;
    } else {
        m_value.Day = static_cast<Word>(digit);
    }
    return m_value.Day > 3 || previous == 0 ? deComplete : deTyped;
}

TPickerSections::TDigitEntry TPickerSections::typeHour(int digit, int previous)
{
    Word& hour = m_value.Hour;
    if (!m_use12HourClock) {
        if (previous >= 0 && hour * 10 + digit < 24) {
            hour = static_cast<Word>(hour * 10 + digit);
            return deComplete;
        }
        hour = static_cast<Word>(digit);
        return digit > 2 ? deComplete : deTyped;
    }
    const bool afternoon = hour > 11;
    const int candidate = (afternoon ? hour - 12 : hour) * 10 + digit;
    if (previous >= 0 && candidate < 24) {
        // An afternoon "12" or more already names a 24-hour hour; adding 12 again would leave the day.
        hour = static_cast<Word>(afternoon && candidate + 12 < 24 ? candidate + 12 : candidate);
        return deComplete;
    }
    hour = static_cast<Word>(afternoon ? digit + 12 : digit);
    return digit > 1 ? deComplete : deTyped;
}

TPickerSections::TDigitEntry TPickerSections::typeMinuteOrSecond(Word& field, int digit, int previous)
{
    if (previous >= 0 && field * 10 + digit < 60) {
        field = static_cast<Word>(field * 10 + digit);
        return deComplete;
    }
    field = static_cast<Word>(digit);
    return digit > 5 ? deComplete : deTyped;
}

bool TPickerSections::Commit()
{
    if (!m_editing)
        return true;
    Word& year = m_value.Year;
    if (year < 100)
        year = static_cast<Word>(m_mode.ExpandTwoDigitYear(year));
    else if (year < m_mode.MinimumYear())
        year = m_entryStart.Year;
    clampDayToMonth();
    const bool kept = keepTypedWithinBounds();
    m_editing = false;
    return kept;
}

bool TPickerSections::keepTypedWithinBounds()
{
    TPickerValue& v = m_value;
    const auto revertDate = [&] {
        v.Year = m_entryStart.Year;
        v.Month = m_entryStart.Month;
        v.Day = m_entryStart.Day;
    };
    const auto revertTime = [&] {
        v.Hour = m_entryStart.Hour;
        v.Minute = m_entryStart.Minute;
        v.Second = m_entryStart.Second;
        v.MSec = m_entryStart.MSec;
    };
    bool kept = true;
    if (!m_bounds.HoldsDate(encodeDate(v))) {
        revertDate();
        kept = false;
    }
    if (!m_bounds.HoldsTime(encodeTime(v))) {
        revertTime();
        kept = false;
    }
    if (!m_bounds.HoldsDateTime(ShCalendarMode::Combine(encodeDate(v), encodeTime(v)))) {
        revertDate();
        revertTime();
        kept = false;
    }
    return kept;
}

bool TPickerSections::MoveOn()
{
    if (!m_autoMove)
        return false;
    std::vector<int> order;
    const bool ymd = m_autoMoveDirection == amdYMD;
    if (m_kind != dtkTime) {
        if (ymd)
            order = {secYear, secMonth, secDay};
        else
            order = {secDay, secMonth, secYear};
    }
    if (m_kind != dtkDate) {
        order.push_back(secHour);
        order.push_back(secMinute);
        if (m_showSecond)
            order.push_back(secSecond);
    }
    const auto it = std::find(order.begin(), order.end(), m_current);
    if (it == order.end())
        return false;
    int next = m_current;
    if (std::next(it) != order.end())
        next = *std::next(it);
    else if (m_kind == dtkDateTime && !ymd)
        next = order.front();
    if (next == m_current)
        return false;
    m_current = next;
    return true;
}

// ---- steps --------------------------------------------------------------------------------------------------------

void TPickerSections::clampAfterSectionChange(int section)
{
    if (section >= secHour)
        ClampTime();
    else
        ClampDate();
    ClampDateTime();
}

void TPickerSections::StepSection(int section, int delta)
{
    TPickerValue& v = m_value;
    switch (section) {
    case secYear: {
        int year = v.Year + delta;
        if (year > ShCalendarMode::MaximumYear)
            year = m_mode.MinimumYear();
        else if (year < m_mode.MinimumYear())
            year = ShCalendarMode::MaximumYear;
        v.Year = static_cast<Word>(year);
        clampDayToMonth();
        break;
    }
    case secMonth: {
        int month = v.Month + delta;
        if (month > 12)
            month = 1;
        else if (month < 1)
            month = 12;
        v.Month = static_cast<Word>(month);
        clampDayToMonth();
        break;
    }
    case secDay: {
        const int length = MonthLength(v.Year, v.Month);
        int day = v.Day + delta;
        if (day > length)
            day = 1;
        else if (day < 1)
            day = length;
        v.Day = static_cast<Word>(day);
        break;
    }
    case secHour:
        v.Hour = static_cast<Word>((v.Hour + delta + 24) % 24);
        break;
    case secMinute:
        v.Minute = static_cast<Word>((v.Minute + delta + 60) % 60);
        break;
    case secSecond:
        v.Second = static_cast<Word>((v.Second + delta + 60) % 60);
        break;
    case secAmPm:
        v.Hour = static_cast<Word>(v.Hour > 11 ? v.Hour - 12 : v.Hour + 12);
        break;
    default:
        return;
    }
    clampAfterSectionChange(section);
}

void TPickerSections::SetSectionLimit(int section, bool upper)
{
    TPickerValue& v = m_value;
    switch (section) {
    case secYear: {
        const int first = m_mode.TwoDigitWindowStart();
        v.Year = static_cast<Word>(upper ? first + 99 : first);
        clampDayToMonth();
        break;
    }
    case secMonth:
        v.Month = upper ? 12 : 1;
        clampDayToMonth();
        break;
    case secDay:
        v.Day = static_cast<Word>(upper ? MonthLength(v.Year, v.Month) : 1);
        break;
    case secHour:
    case secAmPm:
        v.Hour = upper ? 23 : 0;
        break;
    case secMinute:
        v.Minute = upper ? 59 : 0;
        break;
    case secSecond:
        v.Second = upper ? 59 : 0;
        break;
    default:
        return;
    }
    clampAfterSectionChange(section);
}

void TPickerSections::SetYearLimit(bool upper)
{
    m_value.Month = upper ? 12 : 1;
    m_value.Day = static_cast<Word>(upper ? MonthLength(m_value.Year, 12) : 1);
    ClampDate();
    ClampDateTime();
}

bool TPickerSections::MoveDays(int days)
{
    // Stop at the ends of the calendar rather than decode a day no year can hold; Gregorian mode also stops at
    // the end of its own year 9999, where its year stepping ends.
    const TDateTime target = Date() + days;
    if (!TPickerBounds::IsHoldable(target) || !m_mode.Contains(target))
        return false;
    SetDay(target);
    ClampDate();
    return true;
}

void TPickerSections::TodayAndNow()
{
    SetDay(Clock::today());
    SetTimeOfDay(Clock::now());
    ClampDate();
    ClampTime();
    ClampDateTime();
}

// ---- bounds -------------------------------------------------------------------------------------------------------

void TPickerSections::SetMinDate(TDateTime day)
{
    m_bounds.SetMinDate(day);
    if (day != 0)
        ClampDate();
}

void TPickerSections::SetMaxDate(TDateTime day)
{
    m_bounds.SetMaxDate(day);
    if (day != 0)
        ClampDate();
}

void TPickerSections::SetMinTime(TDateTime time)
{
    m_bounds.SetMinTime(time);
    if (time != 0)
        ClampTime();
}

void TPickerSections::SetMaxTime(TDateTime time)
{
    m_bounds.SetMaxTime(time);
    if (time != 0)
        ClampTime();
}

void TPickerSections::SetMinDateTime(TDateTime value)
{
    m_bounds.SetMinDateTime(value);
    if (value != 0)
        ClampDateTime();
}

void TPickerSections::SetMaxDateTime(TDateTime value)
{
    m_bounds.SetMaxDateTime(value);
    if (value != 0)
        ClampDateTime();
}

void TPickerSections::ClampDate()
{
    const TDateTime date = Date();
    const TDateTime within = m_bounds.ClampDate(date);
    if (within != date)
        SetDay(within);
}

void TPickerSections::ClampTime()
{
    const TDateTime time = Time();
    const TDateTime within = m_bounds.ClampTime(time);
    if (within != time)
        SetTimeOfDay(within);
}

void TPickerSections::ClampDateTime()
{
    const TDateTime value = DateTime();
    const TDateTime within = m_bounds.ClampDateTime(value);
    if (within != value) {
        SetDay(ShCalendarMode::DayOf(within));
        SetTimeOfDay(within);
    }
}
