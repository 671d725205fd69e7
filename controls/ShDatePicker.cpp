#include "controls/ShDatePicker.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"

#include <QClipboard>
#include <QDateTime>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

namespace {

int digitValue(QChar c)
{
    return typedDigitValue(c);
}

// Pasted text as the date parser reads it: ASCII digits, and without the invisible direction marks (RLM, LRM,
// ALM, embeddings, isolates) that Persian text carries around numbers when it is copied from documents and pages.
QString withAsciiDigits(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Format)
            continue;
        const int d = digitValue(c);
        out += d >= 0 ? QChar(u'0' + d) : c;
    }
    return out;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// The days a picker can hold in either mode: those the Solar Hijri calendar encodes (years 1 to 9999). Gregorian
// mode shows each of them too, so a value stays the same day across a calendar switch and Date reads back what
// was written.
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

} // namespace

Word TPickerValue::word(int section) const
{
    switch (section) {
    case 0:
        return Year;
    case 1:
        return Month;
    case 2:
        return Day;
    case 3:
        return Hour;
    case 4:
        return Minute;
    case 5:
        return Second;
    case 6:
        return MSec;
    case 7:
        return PM;
    default:
        return 0;
    }
}

TCustomShDatePicker::TCustomShDatePicker(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setBackgroundRole(QPalette::Base);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    decodeDateInto(Clock::today());
    decodeTimeInto(Clock::now());
    rebuildVisibleSections();
    m_currentSection = secDay;
    resize(121, 21);
    ApplyAutoSize();
    UpdateLayout();
}

TCustomShDatePicker::~TCustomShDatePicker() = default;

// ---- calendar of the current mode -------------------------------------------------------------------------------

int TCustomShDatePicker::MonthLength(int year, int month) const
{
    // A month outside 1..12 holds no value a user can see; it bounds nothing tighter than 31 days.
    const int length = mode().MonthLength(year, month);
    return length > 0 ? length : 31;
}

int TCustomShDatePicker::MinimumYear() const
{
    return mode().MinimumYear();
}

int TCustomShDatePicker::CurrentYear() const
{
    return mode().CurrentYear();
}

TDateTime TCustomShDatePicker::encodeDate(const TPickerValue& v) const
{
    TDateTime value = 0;
    mode().TryEncode(v.Year, v.Month, v.Day, value);
    return value;
}

TDateTime TCustomShDatePicker::encodeTime(const TPickerValue& v, bool withSeconds) const
{
    return withSeconds ? ShTimeValue(v.Hour, v.Minute, v.Second, v.MSec) : ShTimeValue(v.Hour, v.Minute, 0, 0);
}

void TCustomShDatePicker::decodeDateInto(TDateTime value)
{
    int year = 0, month = 0, day = 0;
    mode().Decode(value, year, month, day);
    m_value.Year = static_cast<Word>(year);
    m_value.Month = static_cast<Word>(month);
    m_value.Day = static_cast<Word>(day);
}

void TCustomShDatePicker::decodeTimeInto(TDateTime value)
{
    const int ms = ShCalendarMode::MillisecondOfDay(value);
    m_value.Hour = static_cast<Word>(ms / 3600000);
    m_value.Minute = static_cast<Word>(ms / 60000 % 60);
    m_value.Second = static_cast<Word>(ms / 1000 % 60);
    m_value.MSec = static_cast<Word>(ms % 1000);
}

void TCustomShDatePicker::clampDayToMonth()
{
    const int length = MonthLength(m_value.Year, m_value.Month);
    if (m_value.Day > length)
        m_value.Day = static_cast<Word>(length);
}

QString TCustomShDatePicker::dateTextOf(TDateTime value) const
{
    return mode().DateText(value);
}

QString TCustomShDatePicker::dateTimeTextOf(TDateTime value) const
{
    return mode().DateTimeText(value);
}

QString TCustomShDatePicker::timeTextOf(TDateTime value) const
{
    return ShFormatDateTime(FormatSettings.LongTimeFormat, ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value)));
}

// ---- value --------------------------------------------------------------------------------------------------------

TPickerValue TCustomShDatePicker::Snapshot() const
{
    TPickerValue v = m_value;
    v.PM = v.Hour > 11 ? 1 : 0;
    return v;
}

TDateTime TCustomShDatePicker::Date() const
{
    return encodeDate(m_editing ? m_preEdit : m_value);
}

TDateTime TCustomShDatePicker::Time() const
{
    const TPickerValue& v = m_editing ? m_preEdit : m_value;
    return ShTimeValue(v.Hour, v.Minute, m_showSecond ? v.Second : 0, 0);
}

TDateTime TCustomShDatePicker::DateTime() const
{
    return ShCalendarMode::Combine(Date(), Time());
}

void TCustomShDatePicker::SetDate(TDateTime value)
{
    CommitEdit();
    const TDateTime day = ShCalendarMode::DayOf(value);
    checkHoldable(day);
    m_useCurrentDate = false;
    const TPickerValue old = Snapshot();
    CheckDate(day);
    decodeDateInto(day);
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetTime(TDateTime value)
{
    CommitEdit();
    const TDateTime time = ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value));
    m_useCurrentTime = false;
    const TPickerValue old = Snapshot();
    CheckTime(time);
    decodeTimeInto(time);
    UpdateSections(old, true);
}

bool TCustomShDatePicker::GetIsNull() const
{
    return m_null;
}

void TCustomShDatePicker::SetIsNull(bool value)
{
    if (m_null == value)
        return;
    m_null = value;
    update();
}

void TCustomShDatePicker::SetUseCurrentDate(bool value)
{
    if (value)
        SetDate(Clock::today());
    m_useCurrentDate = value;
}

void TCustomShDatePicker::SetUseCurrentTime(bool value)
{
    if (value)
        SetTime(Clock::now());
    m_useCurrentTime = value;
}

void TCustomShDatePicker::SetUseSystemCalendar(bool value)
{
    if (m_useSystemCalendar == value)
        return;
    CommitEdit();
    const TDateTime day = Date();
    m_useSystemCalendar = value;
    decodeDateInto(day);
    update();
}

// ---- simple properties ------------------------------------------------------------------------------------------

void TCustomShDatePicker::SetAlignment(Qt::Alignment value)
{
    if (m_alignment == value)
        return;
    m_alignment = value;
    relayout();
}

void TCustomShDatePicker::SetAllowCalendarSwitch(bool value)
{
    if (m_allowCalendarSwitch == value)
        return;
    m_allowCalendarSwitch = value;
    relayout();
}

void TCustomShDatePicker::SetAllowNull(bool value)
{
    m_allowNull = value;
    update();
}

void TCustomShDatePicker::SetAutoMove(bool value)
{
    m_autoMove = value;
}

void TCustomShDatePicker::SetAutoMoveDirection(TAutoMoveDirection value)
{
    if (m_autoMoveDirection == value)
        return;
    m_autoMoveDirection = value;
    // A time-only picker has no date sections to land on.
    if (m_kind != dtkTime)
        m_currentSection = value == amdYMD ? secYear : secDay;
    update();
}

void TCustomShDatePicker::SetAutoSize(bool value)
{
    m_autoSize = value;
    if (value)
        ApplyAutoSize();
    updateGeometry();
}

void TCustomShDatePicker::SetBorderStyle(TBorderStyle value)
{
    if (m_borderStyle == value)
        return;
    m_borderStyle = value;
    ApplyAutoSize();
    relayout();
}

void TCustomShDatePicker::SetFormattedHint(bool value)
{
    m_formattedHint = value;
}

void TCustomShDatePicker::SetHighlightRequired(bool value)
{
    if (m_highlightRequired == value)
        return;
    m_highlightRequired = value;
    update();
}

void TCustomShDatePicker::SetIntelliYearDigits(bool value)
{
    m_intelliYearDigits = value;
}

void TCustomShDatePicker::SetKind(TShDateTimeKind value)
{
    if (m_kind == value)
        return;
    CommitEdit();
    m_kind = value;
    rebuildVisibleSections();
    m_currentSection = value == dtkTime ? secHour : secDay;
    relayout();
}

void TCustomShDatePicker::SetReadOnly(bool value)
{
    m_readOnly = value;
}

void TCustomShDatePicker::SetShowSecond(bool value)
{
    if (m_showSecond == value)
        return;
    m_showSecond = value;
    rebuildVisibleSections();
    relayout();
}

void TCustomShDatePicker::SetUse12HourClock(bool value)
{
    if (m_use12HourClock == value)
        return;
    m_use12HourClock = value;
    rebuildVisibleSections();
    relayout();
}

void TCustomShDatePicker::SetHint(const QString& value)
{
    m_hint = value;
}

void TCustomShDatePicker::rebuildVisibleSections()
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
    if (!m_visible[m_currentSection]) {
        int s = m_currentSection;
        while (s > 0 && !m_visible[s])
            --s;
        if (!m_visible[s])
            s = m_kind == dtkTime ? secHour : secDay;
        m_currentSection = s;
    }
}

// ---- sections -----------------------------------------------------------------------------------------------------

bool TCustomShDatePicker::IsSectionVisible(int section) const
{
    return section >= 0 && section < SectionCount && m_visible[section];
}

void TCustomShDatePicker::SetCurrentSection(int section)
{
    if (!IsSectionVisible(section) || section == m_currentSection)
        return;
    CommitEdit();
    const int old = m_currentSection;
    m_currentSection = section;
    SectionChanged(old);
}

QString TCustomShDatePicker::SectionText(int section) const
{
    if (!IsSectionVisible(section))
        return {};
    if (m_null)
        return QStringLiteral("  ");
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

QRect TCustomShDatePicker::SectionRect(int section) const
{
    if (!IsSectionVisible(section))
        return {};
    const auto [left, right] = m_extents[section];
    return QRect(left, m_textRect.top(), right - left, m_textRect.height());
}

void TCustomShDatePicker::InvalidateSection(int section)
{
    const QRect r = SectionRect(section);
    if (!r.isEmpty())
        update(r);
}

void TCustomShDatePicker::SectionChanged(int oldSection)
{
    if (oldSection == m_currentSection)
        return;
    InvalidateSection(oldSection);
    InvalidateSection(m_currentSection);
}

void TCustomShDatePicker::UpdateSections(const TPickerValue& old, bool notify)
{
    const TPickerValue now = Snapshot();
    bool changed = false;
    for (int i = 0; i < SectionCount; ++i) {
        if (old.word(i) != now.word(i)) {
            changed = true;
            InvalidateSection(i);
        }
    }
    if (!changed)
        return;
    if (m_null) {
        SetIsNull(false);
        Change();
    } else if (notify) {
        Change();
    }
}

void TCustomShDatePicker::Change()
{
    emit OnChange();
}

void TCustomShDatePicker::CalendarSwitch()
{
    SetUseSystemCalendar(!m_useSystemCalendar);
    emit OnCalendarSwitch();
}

// ---- bounds -------------------------------------------------------------------------------------------------------

void TCustomShDatePicker::checkHoldable(TDateTime day) const
{
    // A day past either end of the calendar is refused like one past a bound; decoding it would show year 0 or
    // 10000 and read back as day 0.
    if (day > lastHoldableDay())
        throw EShDateTimeError(ShExceedsMaximumText(dateTextOf(day), ShDateToStr(lastHoldableDay())));
    if (day < firstHoldableDay()) {
        // The Solar Hijri calendar has no name for such a day: say it in the Gregorian calendar's own numbers.
        const QString text = m_useSystemCalendar ? dateTextOf(day) : ShCalendarMode::ToGregorian(day).toString(Qt::ISODate);
        throw EShDateTimeError(ShLessThanMinimumText(text, ShDateToStr(firstHoldableDay())));
    }
}

void TCustomShDatePicker::CheckDate(TDateTime value) const
{
    if (m_maxDate != 0 && value > m_maxDate)
        throw EShDateTimeError(ShExceedsMaximumText(dateTextOf(value), ShDateToStr(m_maxDate)));
    if (m_minDate != 0 && value < m_minDate)
        throw EShDateTimeError(ShLessThanMinimumText(dateTextOf(value), ShDateToStr(m_minDate)));
}

void TCustomShDatePicker::CheckDateTime(TDateTime value) const
{
    if (m_maxDateTime != 0 && value > m_maxDateTime)
        throw EShDateTimeError(ShExceedsMaximumText(dateTimeTextOf(value), ShDateTimeToStr(m_maxDateTime)));
    if (m_minDateTime != 0 && value < m_minDateTime)
        throw EShDateTimeError(ShLessThanMinimumText(dateTimeTextOf(value), ShDateTimeToStr(m_minDateTime)));
}

void TCustomShDatePicker::CheckTime(TDateTime value) const
{
    if (m_maxTime != 0 && value > m_maxTime)
        throw EShDateTimeError(ShExceedsMaximumText(timeTextOf(value), timeTextOf(m_maxTime)));
    if (m_minTime != 0 && value < m_minTime)
        throw EShDateTimeError(ShLessThanMinimumText(timeTextOf(value), timeTextOf(m_minTime)));
}

void TCustomShDatePicker::ClampDate()
{
    const TDateTime date = Date();
    TDateTime r = date;
    if (m_minDate != 0 && r < m_minDate)
        r = m_minDate;
    if (m_maxDate != 0 && r > m_maxDate)
        r = m_maxDate;
    if (r != date)
        decodeDateInto(r);
}

void TCustomShDatePicker::ClampTime()
{
    const TDateTime time = Time();
    TDateTime r = time;
    if (m_minTime != 0 && r < m_minTime)
        r = m_minTime;
    if (m_maxTime != 0 && r > m_maxTime)
        r = m_maxTime;
    if (r != time)
        decodeTimeInto(r);
}

void TCustomShDatePicker::ClampDateTime()
{
    const TDateTime value = DateTime();
    TDateTime r = value;
    if (m_minDateTime != 0 && r < m_minDateTime)
        r = m_minDateTime;
    if (m_maxDateTime != 0 && r > m_maxDateTime)
        r = m_maxDateTime;
    if (r != value) {
        decodeDateInto(ShCalendarMode::DayOf(r));
        decodeTimeInto(r);
    }
}

void TCustomShDatePicker::SetMinDate(TDateTime value)
{
    const TDateTime v = ShCalendarMode::DayOf(value);
    if (v != 0)
        checkHoldable(v);
    if (v != 0 && m_maxDate != 0 && v > m_maxDate)
        throw EShDateTimeError(ShExceedsMaximumText(dateTextOf(v), ShDateToStr(m_maxDate)));
    if (v == m_minDate)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    m_minDate = v;
    if (v != 0)
        ClampDate();
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetMaxDate(TDateTime value)
{
    const TDateTime v = ShCalendarMode::DayOf(value);
    if (v != 0)
        checkHoldable(v);
    if (v != 0 && m_minDate != 0 && v < m_minDate)
        throw EShDateTimeError(ShLessThanMinimumText(dateTextOf(v), ShDateToStr(m_minDate)));
    if (v == m_maxDate)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    m_maxDate = v;
    if (v != 0)
        ClampDate();
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetMinTime(TDateTime value)
{
    const TDateTime v = ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value));
    if (v != 0 && m_maxTime != 0 && v > m_maxTime)
        throw EShDateTimeError(ShExceedsMaximumText(timeTextOf(v), timeTextOf(m_maxTime)));
    if (v == m_minTime)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    m_minTime = v;
    if (v != 0)
        ClampTime();
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetMaxTime(TDateTime value)
{
    const TDateTime v = ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value));
    if (v != 0 && m_minTime != 0 && v < m_minTime)
        throw EShDateTimeError(ShLessThanMinimumText(timeTextOf(v), timeTextOf(m_minTime)));
    if (v == m_maxTime)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    m_maxTime = v;
    if (v != 0)
        ClampTime();
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetMinDateTime(TDateTime value)
{
    const TDateTime v = value;
    if (v != 0)
        checkHoldable(ShCalendarMode::DayOf(v));
    if (v != 0 && m_maxDateTime != 0 && v > m_maxDateTime)
        throw EShDateTimeError(ShExceedsMaximumText(dateTimeTextOf(v), ShDateTimeToStr(m_maxDateTime)));
    if (v == m_minDateTime)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    m_minDateTime = v;
    if (v != 0)
        ClampDateTime();
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetMaxDateTime(TDateTime value)
{
    const TDateTime v = value;
    if (v != 0)
        checkHoldable(ShCalendarMode::DayOf(v));
    if (v != 0 && m_minDateTime != 0 && v < m_minDateTime)
        throw EShDateTimeError(ShLessThanMinimumText(dateTimeTextOf(v), ShDateTimeToStr(m_minDateTime)));
    if (v == m_maxDateTime)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    m_maxDateTime = v;
    if (v != 0)
        ClampDateTime();
    UpdateSections(old, true);
}

bool TCustomShDatePicker::CanModify() const
{
    return !m_readOnly;
}

bool TCustomShDatePicker::IsGrayed() const
{
    return !isEnabled();
}

bool TCustomShDatePicker::ShowRequiredMark() const
{
    return m_highlightRequired && m_allowNull && GetIsNull();
}

// ---- editing ------------------------------------------------------------------------------------------------------

void TCustomShDatePicker::clampAfterSectionChange(int section)
{
    if (section >= secHour)
        ClampTime();
    else
        ClampDate();
    ClampDateTime();
}

void TCustomShDatePicker::StepSection(int section, int delta)
{
    TPickerValue& v = m_value;
    switch (section) {
    case secYear: {
        int year = v.Year + delta;
        if (year > ShCalendarMode::MaximumYear)
            year = MinimumYear();
        else if (year < MinimumYear())
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

void TCustomShDatePicker::SetSectionLimit(int section, bool upper)
{
    TPickerValue& v = m_value;
    switch (section) {
    case secYear: {
        const int first = mode().TwoDigitWindowStart();
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

void TCustomShDatePicker::TodayAndNow(TPickerValue& old)
{
    decodeDateInto(Clock::today());
    decodeTimeInto(Clock::now());
    ClampDate();
    ClampTime();
    ClampDateTime();
    const TPickerValue now = Snapshot();
    if (GetIsNull() && now.Year == old.Year && now.Month == old.Month && now.Day == old.Day && now.Hour == old.Hour &&
        now.Minute == old.Minute && now.Second == old.Second)
        old.Year = 0;
}

void TCustomShDatePicker::MoveDays(int days)
{
    // Stop at the ends of the calendar rather than decode a day no year can hold; Gregorian mode also stops at
    // the end of its own year 9999, where its year stepping ends.
    const TDateTime target = Date() + days;
    if (!kHoldable.Contains(target) || !mode().Contains(target))
        return;
    decodeDateInto(target);
    ClampDate();
}

bool TCustomShDatePicker::CommitEdit()
{
    if (!m_editing)
        return true;
    const TPickerValue old = Snapshot();
    TPickerValue& v = m_value;

    if (v.Year < 100) {
        v.Year = static_cast<Word>(mode().ExpandTwoDigitYear(v.Year));
    } else if (v.Year < MinimumYear()) {
        v.Year = m_preEdit.Year;
    }
    clampDayToMonth();

    bool ok = true;
    const auto revertDate = [&] {
        v.Year = m_preEdit.Year;
        v.Month = m_preEdit.Month;
        v.Day = m_preEdit.Day;
    };
    const auto revertTime = [&] {
        v.Hour = m_preEdit.Hour;
        v.Minute = m_preEdit.Minute;
        v.Second = m_preEdit.Second;
        v.MSec = m_preEdit.MSec;
    };
    const TDateTime date = encodeDate(v);
    if ((m_minDate != 0 && date < m_minDate) || (m_maxDate != 0 && date > m_maxDate)) {
        revertDate();
        ok = false;
    }
    const TDateTime time = encodeTime(v, true);
    if ((m_minTime != 0 && time < m_minTime) || (m_maxTime != 0 && time > m_maxTime)) {
        revertTime();
        ok = false;
    }
    const TDateTime combined = ShCalendarMode::Combine(encodeDate(v), encodeTime(v, true));
    if ((m_minDateTime != 0 && combined < m_minDateTime) || (m_maxDateTime != 0 && combined > m_maxDateTime)) {
        revertDate();
        revertTime();
        ok = false;
    }

    m_editing = false;
    UpdateSections(old, false);
    TPickerValue preEdit = m_preEdit;
    preEdit.PM = preEdit.Hour > 11 ? 1 : 0;
    if (!(Snapshot() == preEdit))
        Change();
    return ok;
}

void TCustomShDatePicker::autoMove()
{
    if (!m_autoMove)
        return;
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
    const auto it = std::find(order.begin(), order.end(), m_currentSection);
    if (it == order.end())
        return;
    int next = m_currentSection;
    if (std::next(it) != order.end())
        next = *std::next(it);
    else if (m_kind == dtkDateTime && !ymd)
        next = order.front();
    if (next == m_currentSection)
        return;
    const int old = m_currentSection;
    m_currentSection = next;
    SectionChanged(old);
}

void TCustomShDatePicker::handleDigit(int d)
{
    if (!m_editing) {
        m_preEdit = Snapshot();
        m_editing = true;
        m_previousDigit = -1;
    }
    TPickerValue old = Snapshot();
    const int prev = m_previousDigit;
    TPickerValue& v = m_value;
    bool complete = false;

    switch (m_currentSection) {
    case secYear:
        v.Year = static_cast<Word>(v.Year >= 1000 || prev < 0 ? d : v.Year * 10 + d);
        complete = v.Year > 999 || (m_intelliYearDigits && m_autoMove && (v.Year > 9 || prev >= 0) &&
                                    (m_autoMoveDirection == amdYMD || m_kind == dtkDateTime));
        break;
    case secMonth: {
        const int candidate = v.Month * 10 + d;
        if (prev > 0 && candidate >= 1 && candidate <= 12) {
            v.Month = static_cast<Word>(candidate);
        } else if (d == 0) {
            m_previousDigit = 0;
            return;
        } else {
            v.Month = static_cast<Word>(d);
        }
        complete = v.Month > 1 || prev == 0;
        break;
    }
    case secDay: {
        const int candidate = v.Day * 10 + d;
        const int length = MonthLength(v.Year, v.Month);
        const bool strict = m_autoMove && m_autoMoveDirection == amdYMD;
        const bool acceptable = candidate >= 1 && candidate <= (strict ? length : 31);
        if (acceptable && prev > 0) {
            // A day past this month's end typed before the month: January/Farvardin holds any day up to 31.
            if (!strict && candidate > length)
                v.Month = 1;
            v.Day = static_cast<Word>(candidate);
        } else if (d == 0) {
            m_previousDigit = 0;
            return;
        } else {
            v.Day = static_cast<Word>(d);
        }
        complete = v.Day > 3 || prev == 0;
        break;
    }
    case secHour:
        if (!m_use12HourClock) {
            if (prev >= 0 && v.Hour * 10 + d < 24) {
                v.Hour = static_cast<Word>(v.Hour * 10 + d);
                complete = true;
            } else {
                v.Hour = static_cast<Word>(d);
                complete = d > 2;
            }
        } else {
            const bool afternoon = v.Hour > 11;
            const int candidate = (afternoon ? v.Hour - 12 : v.Hour) * 10 + d;
            if (prev >= 0 && candidate < 24) {
                // An afternoon "12" or more already names a 24-hour hour; adding 12 again would leave the day.
                int hour = candidate;
                if (afternoon && candidate + 12 < 24)
                    hour = candidate + 12;
                v.Hour = static_cast<Word>(hour);
                complete = true;
            } else {
                v.Hour = static_cast<Word>(afternoon ? d + 12 : d);
                complete = d > 1;
            }
        }
        break;
    case secMinute:
    case secSecond: {
        Word& field = m_currentSection == secMinute ? v.Minute : v.Second;
        if (prev >= 0 && field * 10 + d < 60) {
            field = static_cast<Word>(field * 10 + d);
            complete = true;
        } else {
            field = static_cast<Word>(d);
            complete = d > 5;
        }
        break;
    }
    default:
        break;
    }

    if (GetIsNull() && Snapshot() == old)
        old.Year = 0;
    UpdateSections(old, false);

    if (complete && CommitEdit()) {
        autoMove();
        m_previousDigit = -1;
    }
    if (m_editing)
        m_previousDigit = d;
}

// ---- clipboard ----------------------------------------------------------------------------------------------------

void TCustomShDatePicker::CopyToClipboard()
{
    QGuiApplication::clipboard()->setText(dateTextOf(Date()));
}

void TCustomShDatePicker::PasteFromClipboard()
{
    const QString text = withAsciiDigits(QGuiApplication::clipboard()->text()).trimmed();
    TDateTime parsed = 0;
    if (m_useSystemCalendar) {
        const QLocale locale;
        const QString format = locale.dateFormat(QLocale::ShortFormat);
        QDate date = locale.toDate(text, format);
        if (date.isValid() && !format.contains(QLatin1String("yyyy"))) {
            // Qt reads a two-digit year as 19yy; put it in the same hundred-year window as typed years, so
            // that what Ctrl+C wrote comes back as the same day.
            date = QDate(mode().ExpandTwoDigitYear(date.year() % 100), date.month(), date.day());
        } else if (!date.isValid() && !format.contains(QLatin1String("yyyy"))) {
            date = locale.toDate(text, QString(format).replace(QLatin1String("yy"), QLatin1String("yyyy")));
        }
        if (!date.isValid())
            return;
        parsed = ShGregorianToSerial(date);
    } else if (!ShTryStrToDate(text, parsed)) {
        return;
    }
    parsed = ShCalendarMode::DayOf(parsed);
    if (parsed != Date()) {
        try {
            SetDate(parsed);
        } catch (const EShDateTimeError&) {
            // A pasted date outside the bounds is dropped without a word, like a typed one.
        }
    } else if (GetIsNull()) {
        SetIsNull(false);
        Change();
    }
}

void TCustomShDatePicker::CutToClipboard()
{
    CopyToClipboard();
    if (m_allowNull && CanModify() && !GetIsNull()) {
        SetIsNull(true);
        Change();
    }
}

// ---- layout -------------------------------------------------------------------------------------------------------

QRect TCustomShDatePicker::ClientRect() const
{
    return m_borderStyle == bsSingle ? rect().adjusted(1, 1, -1, -1) : rect();
}

int TCustomShDatePicker::AutoHeight() const
{
    return fontMetrics().height() + (m_borderStyle == bsSingle ? 2 : 0) + 4;
}

void TCustomShDatePicker::ApplyAutoSize()
{
    if (!m_autoSize)
        return;
    const int h = AutoHeight();
    if (height() != h)
        resize(width(), h);
    updateGeometry();
}

QSize TCustomShDatePicker::sizeHint() const
{
    return QSize(121, m_autoSize ? AutoHeight() : 21);
}

QSize TCustomShDatePicker::minimumSizeHint() const
{
    return QSize(m_textRect.width() + 8, m_autoSize ? AutoHeight() : 21);
}

void TCustomShDatePicker::AdjustEditRect()
{
    const QRect client = ClientRect();
    m_editRect = client;
    m_indicatorRect = QRect();
    if (!m_allowCalendarSwitch)
        return;
    if (isRightToLeft()) {
        m_indicatorRect = QRect(client.left() + 2, client.top() + 2, 4, 4);
        m_editRect.setLeft(m_indicatorRect.right() + 1);
    } else {
        m_indicatorRect = QRect(client.right() + 1 - 2 - 4, client.top() + 2, 4, 4);
        m_editRect.setRight(m_indicatorRect.left() - 1);
    }
}

void TCustomShDatePicker::UpdateLayout()
{
    AdjustEditRect();
    const QFontMetrics fm(font());
    const int dateSep = FormatSettings.DateSeparator.isNull() ? 0 : fm.horizontalAdvance(FormatSettings.DateSeparator);
    const int timeSep = FormatSettings.TimeSeparator.isNull() ? 0 : fm.horizontalAdvance(FormatSettings.TimeSeparator);
    const int amPm =
        std::max(fm.horizontalAdvance(FormatSettings.TimeAMString), fm.horizontalAdvance(FormatSettings.TimePMString));
    const int space = fm.horizontalAdvance(QLatin1Char(' '));
    int field = 0;
    for (int i = 0; i <= 9; ++i)
        field = std::max(field, fm.horizontalAdvance(QString::number(i * 11)));

    int total = 0;
    switch (m_kind) {
    case dtkDate:
        total = 4 * field + 2 * dateSep;
        break;
    case dtkTime:
        total = m_showSecond ? 3 * field + 2 * timeSep : 2 * field + timeSep;
        if (m_use12HourClock)
            total += amPm + timeSep;
        break;
    case dtkDateTime:
        total = 2 * dateSep + space + 6 * field + timeSep;
        if (m_showSecond)
            total += field + timeSep;
        if (m_use12HourClock)
            total += amPm + timeSep;
        break;
    }

    Qt::Alignment align = m_alignment & Qt::AlignHorizontal_Mask;
    if (isRightToLeft() && !(align & Qt::AlignAbsolute)) {
        if (align & Qt::AlignLeft)
            align = Qt::AlignRight;
        else if (align & Qt::AlignRight)
            align = Qt::AlignLeft;
    }
    const int editWidth = m_editRect.width();
    int x;
    if (align & Qt::AlignRight)
        x = editWidth - total - 3;
    else if (align & Qt::AlignLeft)
        x = 3;
    else
        x = (editWidth - total) / 2;
    x += m_editRect.left();
    const int textLeft = x;

    for (int i = 0; i < SectionCount; ++i) {
        if (!m_visible[i]) {
            m_extents[i] = {0, 0};
            continue;
        }
        const int width = i == secAmPm ? amPm : i == secYear ? 2 * field : field;
        m_extents[i] = {x, x + width};
        x += width;
        switch (i) {
        case secYear:
        case secMonth:
            x += dateSep;
            break;
        case secDay:
            if (m_kind == dtkDateTime)
                x += space;
            break;
        case secHour:
            x += timeSep;
            break;
        case secMinute:
            if (m_showSecond || m_use12HourClock)
                x += timeSep;
            break;
        case secSecond:
            if (m_use12HourClock)
                x += timeSep;
            break;
        default:
            break;
        }
    }
    m_layoutSize = size();
    const QRect client = ClientRect();
    const int lineHeight = fm.height();
    const int top = client.top() + (client.height() - lineHeight) / 2;
    m_textRect = QRect(textLeft, top, x - textLeft, lineHeight);
}

void TCustomShDatePicker::relayout()
{
    UpdateLayout();
    update();
}

// ---- painting -----------------------------------------------------------------------------------------------------

void TCustomShDatePicker::paintEvent(QPaintEvent*)
{
    if (m_layoutSize != size())
        UpdateLayout();
    QPainter p(this);
    const QColor background = palette().color(QPalette::Base);
    p.fillRect(rect(), background);
    if (m_borderStyle == bsSingle) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    p.setFont(font());

    for (int i = 0; i < SectionCount; ++i)
        if (m_visible[i])
            PaintSection(p, i);

    p.setPen(IsGrayed() ? palette().color(QPalette::Disabled, QPalette::Text)
                        : palette().color(QPalette::Active, QPalette::Text));
    const auto drawGap = [&](int before, int after, QChar separator) {
        if (separator.isNull())
            return;
        const int left = m_extents[before].second;
        const int right = m_extents[after].first;
        p.drawText(QRect(left, m_textRect.top(), right - left, m_textRect.height()), Qt::AlignHCenter | Qt::AlignTop,
                   QString(separator));
    };
    if (m_visible[secYear] || m_visible[secMonth]) {
        drawGap(secYear, secMonth, FormatSettings.DateSeparator);
        drawGap(secMonth, secDay, FormatSettings.DateSeparator);
    }
    if (m_visible[secHour] || m_visible[secMinute])
        drawGap(secHour, secMinute, FormatSettings.TimeSeparator);
    if (m_visible[secMinute] && m_visible[secSecond])
        drawGap(secMinute, secSecond, FormatSettings.TimeSeparator);

    // The orange corner says "these are Gregorian dates".
    if (m_useSystemCalendar && m_allowCalendarSwitch && m_kind != dtkTime && !m_indicatorRect.isEmpty()) {
        const QColor orange(255, 128, 0);
        const QRect ind = m_indicatorRect;
        for (int row = 0; row < ind.height(); ++row) {
            if (isRightToLeft())
                p.fillRect(QRect(ind.left(), ind.top() + row, ind.width() - row, 1), orange);
            else
                p.fillRect(QRect(ind.left() + row, ind.top() + row, ind.width() - row, 1), orange);
        }
    }

    if (ShowRequiredMark()) {
        const QRect client = ClientRect();
        const int y = client.bottom();
        const int shift = isRightToLeft() ? 1 : 0;
        const int from = m_editRect.left() + 2 + shift;
        const int to = m_editRect.right() + 1 - 3 + shift;
        p.setPen(QColor(255, 0, 0));
        for (int x = from; x < to; x += 2)
            p.drawPoint(x, y);
    }
}

void TCustomShDatePicker::PaintSection(QPainter& painter, int index)
{
    const QRect r = SectionRect(index);
    if (r.isEmpty())
        return;
    const bool highlighted = index == m_currentSection && hasFocus() && !IsGrayed();
    QColor text;
    if (highlighted) {
        painter.fillRect(r, palette().color(QPalette::Active, QPalette::Highlight));
        text = palette().color(QPalette::Active, QPalette::HighlightedText);
    } else {
        painter.fillRect(r, palette().color(QPalette::Base));
        text = IsGrayed() ? palette().color(QPalette::Disabled, QPalette::Text)
                          : palette().color(QPalette::Active, QPalette::Text);
    }
    painter.save();
    painter.setClipRect(r);
    painter.setPen(text);
    painter.drawText(r, Qt::AlignHCenter | Qt::AlignTop, SectionText(index));
    painter.restore();
}

// ---- input --------------------------------------------------------------------------------------------------------

void TCustomShDatePicker::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const bool keypad = mods & Qt::KeypadModifier;
    const int key = event->key();

    if (key == Qt::Key_Space && shift && !ctrl && m_allowCalendarSwitch) {
        CalendarSwitch();
        event->accept();
        return;
    }
    if (key == Qt::Key_Delete) {
        if (m_allowNull && !GetIsNull() && CanModify()) {
            CommitEdit();
            SetIsNull(true);
            Change();
        }
        event->accept();
        return;
    }
    if (ctrl && (key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X)) {
        if (key == Qt::Key_C) {
            CommitEdit();
            CopyToClipboard();
        } else if (CanModify()) {
            CommitEdit();
            if (key == Qt::Key_V)
                PasteFromClipboard();
            else
                CutToClipboard();
        }
        event->accept();
        return;
    }

    const bool keypadStar = keypad && key == Qt::Key_Asterisk;
    const bool keypadPlus = keypad && key == Qt::Key_Plus;
    const bool keypadMinus = keypad && key == Qt::Key_Minus;
    const bool handled = key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_End ||
                         key == Qt::Key_Home || key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                         key == Qt::Key_Down || keypadStar || keypadPlus || keypadMinus ||
                         (ctrl && key == Qt::Key_Space);
    if (!handled) {
        const QString text = event->text();
        if (text.isEmpty() || (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            QWidget::keyPressEvent(event);
            return;
        }
        bool any = false;
        for (const QChar c : text) {
            const int d = digitValue(c);
            if (d < 0)
                continue;
            any = true;
            if (CanModify())
                handleDigit(d);
        }
        if (any)
            event->accept();
        else
            QWidget::keyPressEvent(event);
        return;
    }

    event->accept();
    const bool move = key == Qt::Key_Left || key == Qt::Key_Right;
    if (!move && !CanModify())
        return;
    CommitEdit();
    TPickerValue old = Snapshot();

    if (move) {
        if (ctrl)
            return;
        const int step = key == Qt::Key_Right ? 1 : -1;
        int s = m_currentSection;
        do {
            s = (s + step + SectionCount) % SectionCount;
        } while (!m_visible[s]);
        const int previous = m_currentSection;
        m_currentSection = s;
        SectionChanged(previous);
        return;
    }

    if (key == Qt::Key_Space || keypadStar) {
        TodayAndNow(old);
    } else if (key == Qt::Key_PageUp) {
        MoveDays(ctrl ? 7 : 1);
    } else if (key == Qt::Key_PageDown) {
        MoveDays(ctrl ? -7 : -1);
    } else if (key == Qt::Key_Home || key == Qt::Key_End) {
        const bool upper = key == Qt::Key_End;
        if (ctrl) {
            m_value.Month = upper ? 12 : 1;
            m_value.Day = static_cast<Word>(upper ? MonthLength(m_value.Year, 12) : 1);
            ClampDate();
            ClampDateTime();
        } else {
            SetSectionLimit(m_currentSection, upper);
        }
    } else if (key == Qt::Key_Up || keypadPlus) {
        if (!ctrl)
            StepSection(m_currentSection, 1);
    } else if (key == Qt::Key_Down || keypadMinus) {
        if (!ctrl)
            StepSection(m_currentSection, -1);
    }
    UpdateSections(old, true);
}

void TCustomShDatePicker::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus())
            return;
        CommitEdit();
        if (m_textRect.contains(pos)) {
            for (int i = 0; i < SectionCount; ++i) {
                if (m_visible[i] && m_extents[i].first < pos.x() && pos.x() < m_extents[i].second) {
                    const int old = m_currentSection;
                    m_currentSection = i;
                    SectionChanged(old);
                    break;
                }
            }
        }
    } else if (event->button() == Qt::MiddleButton) {
        if (hasFocus() && ClientRect().contains(pos) && CanModify()) {
            CommitEdit();
            TPickerValue old = Snapshot();
            TodayAndNow(old);
            UpdateSections(old, true);
        }
    }
    event->accept();
}

void TCustomShDatePicker::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_allowCalendarSwitch || event->button() != Qt::LeftButton)
        return;
    // The edit rectangle reaches out over the corner indicator on its trailing side.
    QRect area = m_editRect;
    if (!m_indicatorRect.isEmpty()) {
        if (isRightToLeft())
            area.setLeft(m_indicatorRect.left());
        else
            area.setRight(m_indicatorRect.right());
    }
    if (area.contains(event->position().toPoint()))
        CalendarSwitch();
}

void TCustomShDatePicker::wheelEvent(QWheelEvent* event)
{
    if (!CanModify()) {
        event->ignore();
        return;
    }
    event->accept();
    int delta = event->angleDelta().y();
    if (delta == 0)
        delta = event->angleDelta().x();
    m_wheelRemainder += delta;
    const int steps = m_wheelRemainder / 120;
    m_wheelRemainder -= steps * 120;
    if (steps == 0)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ControlModifier) {
        MoveDays(7 * steps);
    } else if (mods & Qt::ShiftModifier) {
        MoveDays(steps);
    } else {
        for (int i = 0; i < std::abs(steps); ++i)
            StepSection(m_currentSection, steps > 0 ? 1 : -1);
    }
    UpdateSections(old, true);
}

void TCustomShDatePicker::focusInEvent(QFocusEvent* event)
{
    if (m_autoMove)
        m_currentSection = m_kind == dtkTime ? secHour : m_autoMoveDirection == amdYMD ? secYear : secDay;
    update();
    QWidget::focusInEvent(event);
}

void TCustomShDatePicker::focusOutEvent(QFocusEvent* event)
{
    CommitEdit();
    update();
    QWidget::focusOutEvent(event);
}

void TCustomShDatePicker::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateLayout();
}

void TCustomShDatePicker::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        ApplyAutoSize();
        relayout();
        break;
    case QEvent::LayoutDirectionChange:
        relayout();
        break;
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

QString TCustomShDatePicker::FormattedHintText() const
{
    if (GetIsNull())
        return {};
    const TDateTime value = DateTime();
    if (!m_useSystemCalendar)
        return ShFormatDateTime(m_hint, value);
    const QDateTime dt(ShCalendarMode::ToGregorian(value), QTime::fromMSecsSinceStartOfDay(ShCalendarMode::MillisecondOfDay(value)));
    return m_hint.isEmpty() ? QLocale().toString(dt, QLocale::ShortFormat) : QLocale().toString(dt, m_hint);
}

bool TCustomShDatePicker::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && m_formattedHint) {
        if (GetIsNull()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), FormattedHintText(), this);
        return true;
    }
    return QWidget::event(event);
}
