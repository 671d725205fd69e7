#pragma once

// Types shared by the date controls (the sectioned date picker and the month calendar), and the small bridge
// between day serials and the Gregorian calendar that both use while showing Gregorian dates.

#include "calendar/ShDateUtils.h"

#include <QDate>
#include <QString>

#include <stdexcept>
#include <string>

class QKeyEvent;

// Which sections a picker shows: the date, the time of day, or both.
enum TShDateTimeKind
{
    dtkDate,
    dtkTime,
    dtkDateTime
};

// The order in which a completed section hands the input on: year, month, day, or day, month, year.
enum TAutoMoveDirection
{
    amdYMD,
    amdDMY
};

// The frame a date control draws around itself.
enum TBorderStyle
{
    bsNone,
    bsSingle
};

// A value given by code that lies outside a control's bounds, or a bound that contradicts the other bound.
// what() is the formatted message in UTF-8.
class EShDateTimeError : public std::runtime_error
{
public:
    explicit EShDateTimeError(const std::string& message) : std::runtime_error(message) {}
    explicit EShDateTimeError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The value of a digit as operators type it: ASCII, Persian (U+06F0..U+06F9) from a Persian layout, and
// Arabic-Indic (U+0660..U+0669) from some Arabic layouts. -1 for anything else.
int typedDigitValue(QChar c);
// Whether a key event types at least one such digit (modifier combinations type nothing).
bool typesDigits(const QKeyEvent* event);

// The range messages of the date controls with both arguments filled in ("%s exceeds maximum of %s",
// "%s is less than minimum of %s").
QString ShExceedsMaximumText(const QString& value, const QString& maximum);
QString ShLessThanMinimumText(const QString& value, const QString& minimum);

// Day serial <-> Gregorian date. Day serial 0 is 30 December 1899; the time of day is ignored.
QDate ShSerialToGregorian(TDateTime value);
TDateTime ShGregorianToSerial(const QDate& date);

// Whole day serial of a value, split the way the calendar splits it (to the nearest millisecond, so a value
// less than half a millisecond before midnight belongs to the next day).
TDateTime ShDayOf(TDateTime value);

// Millisecond of the day (0..86399999) of a value; the time of a negative value is the absolute fraction.
int ShMillisecondOfDay(TDateTime value);

// A time of day as a fraction of a day, and a day serial joined with such a fraction.
TDateTime ShTimeValue(int hour, int minute, int second, int millisecond);
TDateTime ShCombine(TDateTime day, TDateTime timeOfDay);

// Gregorian month length (1..12) of any year, without QDate's gap at year 0.
int ShGregorianMonthDays(int year, int month);

// The month length (0 for a month outside 1..12) and the lowest year the year section and the year editor step to,
// in the calendar a control shows: Solar Hijri, or Gregorian when useSystemCalendar.
int ShCalendarMonthDays(int year, int month, bool useSystemCalendar);
int ShCalendarMinimumYear(bool useSystemCalendar);

// The date text of a day in the calendar a control shows: the Solar Hijri short date text, or the default
// locale's short date text for Gregorian.
QString ShCalendarDateText(TDateTime value, bool useSystemCalendar);
