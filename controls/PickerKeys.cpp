#include "controls/PickerKeys.h"

#include "controls/ShDateTypes.h"

#include <algorithm>

namespace {

// Delete, the clipboard keys and Shift+Space: keys the picker takes whatever else is held.
TPickerCommand editCommandFor(int key, Qt::KeyboardModifiers modifiers, bool allowCalendarSwitch)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (key == Qt::Key_Space && (modifiers & Qt::ShiftModifier) && !ctrl && allowCalendarSwitch)
        return {pcCalendarSwitch};
    if (key == Qt::Key_Delete)
        return {pcClear};
    if (ctrl && key == Qt::Key_C)
        return {pcCopy};
    if (ctrl && key == Qt::Key_V)
        return {pcPaste};
    if (ctrl && key == Qt::Key_X)
        return {pcCut};
    return {};
}

// The moving keys. Ctrl turns a day into a week, a section's limit into the year's and an arrow into nothing.
TPickerCommand moveCommandFor(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool keypad = modifiers & Qt::KeypadModifier;
    const int arrow = ctrl ? 0 : 1;
    switch (key) {
    case Qt::Key_Right:
        return {pcMoveSection, arrow};
    case Qt::Key_Left:
        return {pcMoveSection, -arrow};
    case Qt::Key_Up:
        return {pcStepSection, arrow};
    case Qt::Key_Down:
        return {pcStepSection, -arrow};
    case Qt::Key_PageUp:
        return {pcMoveDays, ctrl ? 7 : 1};
    case Qt::Key_PageDown:
        return {pcMoveDays, ctrl ? -7 : -1};
    case Qt::Key_Home:
        return {ctrl ? pcYearLimit : pcSectionLimit, -1};
    case Qt::Key_End:
        return {ctrl ? pcYearLimit : pcSectionLimit, 1};
    case Qt::Key_Space:
        return ctrl ? TPickerCommand{pcToday} : TPickerCommand{};
    case Qt::Key_Asterisk:
        return keypad ? TPickerCommand{pcToday} : TPickerCommand{};
    case Qt::Key_Plus:
        return keypad ? TPickerCommand{pcStepSection, arrow} : TPickerCommand{};
    case Qt::Key_Minus:
        return keypad ? TPickerCommand{pcStepSection, -arrow} : TPickerCommand{};
    default:
        return {};
    }
}

} // namespace

bool typesDigitText(Qt::KeyboardModifiers modifiers, const QString& text)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    return std::any_of(text.begin(), text.end(), [](QChar c) { return typedDigitValue(c) >= 0; });
}

bool TPickerCommand::ChangesValue() const
{
    return Kind != pcNone && Kind != pcCalendarSwitch && Kind != pcCopy && Kind != pcMoveSection;
}

TPickerCommand pickerCommandFor(int key, Qt::KeyboardModifiers modifiers, const QString& text, bool allowCalendarSwitch)
{
    if (const TPickerCommand edit = editCommandFor(key, modifiers, allowCalendarSwitch); edit.Kind != pcNone)
        return edit;
    if (const TPickerCommand move = moveCommandFor(key, modifiers); move.Kind != pcNone)
        return move;
    return typesDigitText(modifiers, text) ? TPickerCommand{pcTypeDigits} : TPickerCommand{};
}
