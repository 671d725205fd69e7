#pragma once

// The one place where the program sounds the system beep: a numeric edit refusing a keystroke, and the date
// controls (controls/Beep.h passes through here). Tests replace the sound with a counter so they can tell a
// refused keystroke from a silent one.

#include <functional>

// Sounds the beep through the installed hook (QApplication::beep() unless a test replaced it).
void windowBeep();

// Replaces the beep; an empty function puts QApplication::beep() back. Returns the previous hook.
std::function<void()> setWindowBeepHook(std::function<void()> hook);
