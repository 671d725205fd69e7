#include "controls/ExShDatePicker.h"

void applyWindowPickerSettings(TExShDatePicker* picker)
{
    picker->SetCalendarOptions(WindowCalendarOptions);
    picker->SetChecked(false);
    picker->SetFormattedHint(true);
    picker->SetHighlightRequired(true);
}
