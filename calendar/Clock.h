#pragma once

// The one clock of the whole program: every "today" and "now" (the current year of the date text, the date
// controls, registration) reads it, so tests can stand it still at a chosen moment.
// Plain C++: usable without Qt.

// Same alias as in calendar/ShDateUtils.h (a repeated alias of the same type is allowed), so this header does not
// pull in Qt.
using TDateTime = double;

namespace Clock {

// Local date and time as a date-time value: day serial since 30 December 1899 plus the fraction of the day.
TDateTime now();

// now() without the time of day.
TDateTime today();

// From now on the clock stands still at v.
void setFixed(TDateTime v);

// Back to the machine's local clock.
void useSystem();

} // namespace Clock
