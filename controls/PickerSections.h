#pragma once

// The sections of a date picker and the digits typed into them, without a widget: which sections a kind of picker
// shows and which one is current, the typed entry (a leading zero that waits, a two-digit year, a day past the
// month's end), the steps and limits of a section, the order in which a completed section hands the input on,
// and the bounds every change is kept within. The picker widget asks this value, raises its notifications and
// repaints what changed.

#include "controls/PickerBounds.h"
#include "controls/ShDateTypes.h"

#include <array>

// The value of a picker as eight words; word i belongs to section i, so comparing two values word by word
// tells which sections changed.
struct TPickerValue
{
    Word Year = 0;
    Word Month = 0;
    Word Day = 0;
    Word Hour = 0;
    Word Minute = 0;
    Word Second = 0;
    Word MSec = 0;
    Word PM = 0; // 1 when Hour is above 11

    Word word(int section) const;
    friend bool operator==(const TPickerValue&, const TPickerValue&) = default;
};

class TPickerSections
{
public:
    // Section indexes; word i of a TPickerValue belongs to section i.
    enum Section
    {
        secYear = 0,
        secMonth,
        secDay,
        secHour,
        secMinute,
        secSecond,
        secMSec,
        secAmPm,
        SectionCount
    };

    // What one typed digit did to the current section.
    enum TDigitEntry
    {
        deHeld,    // a leading zero waits for the next digit; nothing shows yet
        deTyped,   // the section shows the digits so far and waits for more
        deComplete // no further digit fits: the entry ends (Commit) and the input moves on (MoveOn)
    };

    // A date picker of today's shape: the date sections, the day current, value zero until written.
    TPickerSections();

    // ---- shape and options ----

    TShDateTimeKind Kind() const { return m_kind; }
    // The current section becomes the hour (time) or the day (date, date and time).
    void SetKind(TShDateTimeKind value);
    bool ShowSecond() const { return m_showSecond; }
    void SetShowSecond(bool value);
    bool Use12HourClock() const { return m_use12HourClock; }
    void SetUse12HourClock(bool value);
    bool AutoMove() const { return m_autoMove; }
    void SetAutoMove(bool value) { m_autoMove = value; }
    TAutoMoveDirection AutoMoveDirection() const { return m_autoMoveDirection; }
    // A date picker then starts at the first section of the new order.
    void SetAutoMoveDirection(TAutoMoveDirection value);
    bool IntelliYearDigits() const { return m_intelliYearDigits; }
    void SetIntelliYearDigits(bool value) { m_intelliYearDigits = value; }
    // The calendar the sections count in. Switching keeps the day (the sections show it in the other calendar).
    ShCalendarMode Mode() const { return m_mode; }
    void SetMode(ShCalendarMode mode);

    // ---- the value ----

    // The value as it stands, typed digits included.
    TPickerValue Snapshot() const;
    // The value as it stood when the running entry began (the value itself when none runs).
    TPickerValue EntryStart() const;
    // Date and time read the value before a running entry: half-typed digits are no value yet. Time counts the
    // seconds only while they are shown.
    TDateTime Date() const;
    TDateTime Time() const;
    TDateTime DateTime() const;
    // Write the day or the time of day as they are; nothing is checked or clamped.
    void SetDay(TDateTime day);
    void SetTimeOfDay(TDateTime time);

    // ---- sections ----

    int Current() const { return m_current; }
    // False (nothing changes) for a hidden section.
    bool SetCurrent(int section);
    bool IsVisible(int section) const { return section >= 0 && section < SectionCount && m_visible[section]; }
    // The next shown section `step` (+1 or -1) away, wrapping round the ends.
    int NextVisible(int step) const;
    // The section a fresh entry starts at: the hour, or the first date section of the AutoMove order.
    int EntrySection() const;
    // What a section shows: the number, two digits for times, the AM/PM text; "" when hidden.
    QString Text(int section) const;
    // Days in a month of the current calendar; a month outside 1..12 bounds nothing tighter than 31 days.
    int MonthLength(int year, int month) const;

    // ---- typing ----

    bool IsEditing() const { return m_editing; }
    // Types one digit (0..9) into the current section; the first digit begins an entry.
    TDigitEntry TypeDigit(int digit);
    // Ends a running entry: a one- or two-digit year moves into the two-digit-year window, a year below the
    // calendar's first falls back, the day is cut to the month, and a part that broke a bound reverts to where
    // the entry began. False when a bound made it revert.
    bool Commit();
    // After a completed section: on to the next section in the AutoMove order (a day-first date and time runs
    // round from the last time section to the day). False when the current section stays.
    bool MoveOn();

    // ---- steps ----

    // One step of a section by +1 or -1, wrapping at the section's ends, then kept within the bounds.
    void StepSection(int section, int delta);
    // Home / End of a section: its first or last value (for the year, the two-digit-year window's ends).
    void SetSectionLimit(int section, bool upper);
    // Ctrl+Home / Ctrl+End: the first or last day of the year.
    void SetYearLimit(bool upper);
    // Whole days forward or back, kept within the bounds; false (nothing moves) past the end of the calendar.
    bool MoveDays(int days);
    // Today's date and the current time, kept within the bounds.
    void TodayAndNow();

    // ---- bounds ----

    const TPickerBounds& Bounds() const { return m_bounds; }
    // Each writes one end without checking it (TPickerBounds::CheckNew* does) and pulls the value within a
    // closed range.
    void SetMinDate(TDateTime day);
    void SetMaxDate(TDateTime day);
    void SetMinTime(TDateTime time);
    void SetMaxTime(TDateTime time);
    void SetMinDateTime(TDateTime value);
    void SetMaxDateTime(TDateTime value);
    // Pull the day, the time of day or the moment within its range.
    void ClampDate();
    void ClampTime();
    void ClampDateTime();

private:
    TDateTime encodeDate(const TPickerValue& v) const;
    void rebuildVisibleSections();
    void clampDayToMonth();
    void clampAfterSectionChange(int section);
    bool keepTypedWithinBounds();
    bool isYearEntryComplete(int previous) const;
    TDigitEntry typeYear(int digit, int previous);
    TDigitEntry typeMonth(int digit, int previous);
    TDigitEntry typeDay(int digit, int previous);
    TDigitEntry typeHour(int digit, int previous);
    TDigitEntry typeMinuteOrSecond(Word& field, int digit, int previous);

    TPickerValue m_value;
    TPickerValue m_entryStart;
    bool m_editing = false;
    int m_previousDigit = -1;
    int m_current = secDay;
    std::array<bool, SectionCount> m_visible{};
    TPickerBounds m_bounds;

    TShDateTimeKind m_kind = dtkDate;
    bool m_showSecond = false;
    bool m_use12HourClock = false;
    bool m_autoMove = true;
    TAutoMoveDirection m_autoMoveDirection = amdDMY;
    bool m_intelliYearDigits = true;
    ShCalendarMode m_mode;
};
