#include "controls/PickerBounds.h"

namespace {

// The days a picker can hold in either mode: those the Solar Hijri calendar encodes (years 1 to 9999).
constexpr ShCalendarMode kHoldable;

TDateTime firstHoldableDay()
{
    static const TDateTime day = kHoldable.FirstDay();
    return day;
}

TDateTime lastHoldableDay()
{
    static const TDateTime day = kHoldable.LastDay();
    return day;
}

QString timeText(TDateTime value)
{
    return ShFormatDateTime(FormatSettings.LongTimeFormat,
                            ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value)));
}

[[noreturn]] void exceeds(const QString& value, const QString& maximum)
{
    throw EShDateTimeError(ShExceedsMaximumText(value, maximum));
}

[[noreturn]] void lessThan(const QString& value, const QString& minimum)
{
    throw EShDateTimeError(ShLessThanMinimumText(value, minimum));
}

} // namespace

void TPickerBounds::CheckHoldable(TDateTime day, ShCalendarMode mode)
{
    // A day past either end of the calendar is refused like one past a bound; decoding it would show year 0 or
    // 10000 and read back as day 0.
    if (day > lastHoldableDay())
        exceeds(mode.DateText(day), ShDateToStr(lastHoldableDay()));
    if (day < firstHoldableDay()) {
        // The Solar Hijri calendar has no name for such a day: say it in the Gregorian calendar's own numbers.
        const QString text =
            mode.IsGregorian() ? mode.DateText(day) : ShCalendarMode::ToGregorian(day).toString(Qt::ISODate);
        lessThan(text, ShDateToStr(firstHoldableDay()));
    }
}

bool TPickerBounds::IsHoldable(TDateTime day)
{
    return kHoldable.Contains(day);
}

void TPickerBounds::CheckNewMinDate(TDateTime day, ShCalendarMode mode) const
{
    if (day == 0)
        return;
    CheckHoldable(day, mode);
    if (m_maxDate != 0 && day > m_maxDate)
        exceeds(mode.DateText(day), ShDateToStr(m_maxDate));
}

void TPickerBounds::CheckNewMaxDate(TDateTime day, ShCalendarMode mode) const
{
    if (day == 0)
        return;
    CheckHoldable(day, mode);
    if (m_minDate != 0 && day < m_minDate)
        lessThan(mode.DateText(day), ShDateToStr(m_minDate));
}

void TPickerBounds::CheckNewMinTime(TDateTime time) const
{
    if (time != 0 && m_maxTime != 0 && time > m_maxTime)
        exceeds(timeText(time), timeText(m_maxTime));
}

void TPickerBounds::CheckNewMaxTime(TDateTime time) const
{
    if (time != 0 && m_minTime != 0 && time < m_minTime)
        lessThan(timeText(time), timeText(m_minTime));
}

void TPickerBounds::CheckNewMinDateTime(TDateTime value, ShCalendarMode mode) const
{
    if (value == 0)
        return;
    CheckHoldable(ShCalendarMode::DayOf(value), mode);
    if (m_maxDateTime != 0 && value > m_maxDateTime)
        exceeds(mode.DateTimeText(value), ShDateTimeToStr(m_maxDateTime));
}

void TPickerBounds::CheckNewMaxDateTime(TDateTime value, ShCalendarMode mode) const
{
    if (value == 0)
        return;
    CheckHoldable(ShCalendarMode::DayOf(value), mode);
    if (m_minDateTime != 0 && value < m_minDateTime)
        lessThan(mode.DateTimeText(value), ShDateTimeToStr(m_minDateTime));
}

void TPickerBounds::CheckDate(TDateTime day, ShCalendarMode mode) const
{
    if (m_maxDate != 0 && day > m_maxDate)
        exceeds(mode.DateText(day), ShDateToStr(m_maxDate));
    if (m_minDate != 0 && day < m_minDate)
        lessThan(mode.DateText(day), ShDateToStr(m_minDate));
}

void TPickerBounds::CheckTime(TDateTime time) const
{
    if (m_maxTime != 0 && time > m_maxTime)
        exceeds(timeText(time), timeText(m_maxTime));
    if (m_minTime != 0 && time < m_minTime)
        lessThan(timeText(time), timeText(m_minTime));
}

void TPickerBounds::CheckDateTime(TDateTime value, ShCalendarMode mode) const
{
    if (m_maxDateTime != 0 && value > m_maxDateTime)
        exceeds(mode.DateTimeText(value), ShDateTimeToStr(m_maxDateTime));
    if (m_minDateTime != 0 && value < m_minDateTime)
        lessThan(mode.DateTimeText(value), ShDateTimeToStr(m_minDateTime));
}
