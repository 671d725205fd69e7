#pragma once

// The Solar Hijri date controls: the sectioned date picker edit, the month calendar and the drop-down date
// picker that joins them. The one header the windows include; each control has its own.

#include "controls/ExShDatePicker.h"
#include "controls/ShDatePicker.h"
#include "controls/ShMonthCalendar.h"
#include "controls/YearEdit.h"
