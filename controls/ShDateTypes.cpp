#include "controls/ShDateTypes.h"

#include "calendar/ShDateConsts.h"

#include <QKeyEvent>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;

// Julian day of day serial 0 (30 December 1899).
qint64 serialBase()
{
    static const qint64 base = QDate(1899, 12, 30).toJulianDay();
    return base;
}

std::int64_t totalMilliseconds(TDateTime value)
{
    return static_cast<std::int64_t>(std::llround(value * static_cast<double>(kMsPerDay)));
}

} // namespace

int typedDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= 0x06F0 && u <= 0x06F9)
        return u - 0x06F0;
    if (u >= 0x0660 && u <= 0x0669)
        return u - 0x0660;
    return -1;
}

bool typesDigits(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return typedDigitValue(c) >= 0; });
}

QString ShExceedsMaximumText(const QString& value, const QString& maximum)
{
    return QString::asprintf(SShDateExceedsMax, value.toUtf8().constData(), maximum.toUtf8().constData());
}

QString ShLessThanMinimumText(const QString& value, const QString& minimum)
{
    return QString::asprintf(SShDateLessThanMin, value.toUtf8().constData(), minimum.toUtf8().constData());
}

QDate ShSerialToGregorian(TDateTime value)
{
    return QDate::fromJulianDay(serialBase() + static_cast<qint64>(ShDayOf(value)));
}

TDateTime ShGregorianToSerial(const QDate& date)
{
    return static_cast<TDateTime>(date.toJulianDay() - serialBase());
}

TDateTime ShDayOf(TDateTime value)
{
    return static_cast<TDateTime>(totalMilliseconds(value) / kMsPerDay);
}

int ShMillisecondOfDay(TDateTime value)
{
    const std::int64_t rest = totalMilliseconds(value) % kMsPerDay;
    return static_cast<int>(rest < 0 ? -rest : rest);
}

TDateTime ShTimeValue(int hour, int minute, int second, int millisecond)
{
    const std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<TDateTime>(ms) / static_cast<TDateTime>(kMsPerDay);
}

TDateTime ShCombine(TDateTime day, TDateTime timeOfDay)
{
    return day < 0 ? day - timeOfDay : day + timeOfDay;
}

int ShGregorianMonthDays(int year, int month)
{
    static constexpr int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month];
}

int ShCalendarMonthDays(int year, int month, bool useSystemCalendar)
{
    if (month < 1 || month > 12)
        return 0;
    if (useSystemCalendar)
        return ShGregorianMonthDays(year, month);
    return ShMonthDays[ShIsLeapYear(static_cast<Word>(year)) ? 1 : 0][month];
}

int ShCalendarMinimumYear(bool useSystemCalendar)
{
    return useSystemCalendar ? 722 : 100;
}

QString ShCalendarDateText(TDateTime value, bool useSystemCalendar)
{
    if (useSystemCalendar)
        return QLocale().toString(ShSerialToGregorian(value), QLocale::ShortFormat);
    return ShDateToStr(value);
}
