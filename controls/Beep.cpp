#include "controls/Beep.h"

#include "dialogs/WindowBeep.h"

#include <utility>

// The date controls share the windows' beep, so one hook in a test hears every refusal of a window.
void SystemBeep()
{
    windowBeep();
}

std::function<void()> SetSystemBeepHook(std::function<void()> hook)
{
    return setWindowBeepHook(std::move(hook));
}
