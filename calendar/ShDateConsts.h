#pragma once

// Persian month and weekday names and the calendar subsystem's messages.

#include <QString>

// Indexed from 1: months 1..12, weekdays 1 (Saturday) .. 7 (Friday). Index 0 holds an empty text, which is what
// a value before 1 Farvardin 1 (decoded month 0) writes for a month name.
// Filled during static initialisation; read-only afterwards.
extern const QString ShLongMonthNames[13];
extern const QString ShShortMonthNames[13];
extern const QString ShLongDayNames[8];
extern const QString ShShortDayNames[8];

// Message texts (UTF-8, printf style: format with QString::asprintf or std::snprintf).
inline constexpr const char* SShInvalidDate = "Invalid date '%s'";                 // the date text given
inline constexpr const char* SShDateExceedsMax = "%s exceeds maximum of %s";       // value, maximum
inline constexpr const char* SShDateLessThanMin = "%s is less than minimum of %s"; // value, minimum
inline constexpr const char* SShUnknownField = "?";                                // a field of 65535
inline constexpr const char* SShInvalidDateEncode = "Invalid argument to date encode";
inline constexpr const char* SShInvalidDateTime = "'%s' is not a valid date and time"; // the seven numbers
