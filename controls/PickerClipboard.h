#pragma once

// The text a date picker writes to the clipboard and reads back from it. Widget-free: the picker hands the text
// over and keeps the clipboard itself.

#include "controls/ShDateTypes.h"

// A day as Ctrl+C writes it: the short date text of `mode`'s calendar.
QString copiedDateText(TDateTime day, ShCalendarMode mode);

// Reads pasted text as a day of `mode`'s calendar: a Solar Hijri date as the program writes dates, or a Gregorian
// one in the default locale's short format, a two-digit year placed in the two-digit-year window. Persian and
// Arabic-Indic digits count as digits and direction marks around them are skipped. False when the text names no
// day.
bool tryReadPastedDate(const QString& text, ShCalendarMode mode, TDateTime& day);
