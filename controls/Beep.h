#pragma once

// The one place where the date controls sound the system beep (a refused move, a click on an unreachable day).
// Tests replace the sound with a counter so they can tell a refused move from a silent one.

#include <functional>

// Sounds the beep through the installed hook (QApplication::beep() unless a test replaced it).
void SystemBeep();

// Replaces the beep; an empty function puts QApplication::beep() back. Returns the previous hook.
std::function<void()> SetSystemBeepHook(std::function<void()> hook);
