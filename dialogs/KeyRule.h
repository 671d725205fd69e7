#pragma once

#include <functional>

class QWidget;

// The keyboard rule of the windows that name no default and no cancel button (the test, results and search
// windows). Qt's defaults would have Enter press a button the operator did not mean (Enter in the file-number
// box pressing Start before the look-up has run) and Esc close the window. Under this rule:
//   - a push button takes Enter only while it has the focus, and then is pressed;
//   - Enter in an edit box, a list or the date picker does what Tab does (so leaving a box by Enter runs
//     whatever leaving it by Tab runs) and never presses a button;
//   - Enter anywhere else does nothing, except in a multi-line text box, which keeps its line breaks;
//   - Esc does nothing: the window closes only through its own buttons and its close box.
// An open pop-up (a list's items, the picker's calendar) handles its own keys as before. The rule watches key
// presses application-wide, ahead of any event filter the window installs on its boxes: a box that should do
// something else on Enter says so with setEnterAction.
void installWindowKeyRule(QWidget* window);

// Enter in `box` (or in a part of it that holds the focus) runs `action` instead of moving on like Tab, in a
// window that has the rule. The action runs through guarded(), like every handler. An empty action removes it.
void setEnterAction(QWidget* box, std::function<void()> action);
