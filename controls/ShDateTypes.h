#pragma once

// Types shared by the date controls (the sectioned date picker and the month calendar). The calendar of a
// control's mode comes from calendar/ShCalendarMode.h.

#include "calendar/ShCalendarMode.h"
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
