#pragma once

// Which command a key pressed in a date picker stands for. Widget-free: the picker looks the key up here and
// carries the command out, so the whole key table reads in one place.

#include <QString>

// What a key asks of the picker.
enum TPickerCommandKind
{
    pcNone,           // not the picker's key: it goes on to the parent
    pcCalendarSwitch, // Shift+Space where the picker may switch calendars
    pcClear,          // Delete: no value, where null is allowed
    pcCopy,           // Ctrl+C
    pcPaste,          // Ctrl+V
    pcCut,            // Ctrl+X
    pcTypeDigits,     // the key's text holds digits to type into the current section
    pcMoveSection,    // Right / Left: on to the next or the previous shown section
    pcStepSection,    // Up / Down, keypad + / -: the current section one step up or down
    pcMoveDays,       // PageUp / PageDown by a day, with Ctrl by a week
    pcSectionLimit,   // Home / End: the current section's lowest or highest value
    pcYearLimit,      // Ctrl+Home / Ctrl+End: the first or the last year the picker holds
    pcToday           // Ctrl+Space, keypad *: today's date and the current time
};

// A command and how far it goes. Every command but pcNone and pcTypeDigits first ends a running digit entry;
// Ctrl with an arrow moves or steps by nothing and so only ends the entry.
struct TPickerCommand
{
    TPickerCommandKind Kind = pcNone;
    // Sections moved, steps taken or days moved, signed; for a limit -1 is the lowest and +1 the highest.
    int Amount = 0;

    // Whether the command may change the value, so that a read-only picker takes the key and does nothing.
    bool ChangesValue() const;
    friend bool operator==(const TPickerCommand&, const TPickerCommand&) = default;
};

// The command of `key` pressed with `modifiers`, typing `text`. Shift+Space switches calendars only where
// `allowCalendarSwitch`; otherwise it is no key of the picker's.
TPickerCommand pickerCommandFor(int key, Qt::KeyboardModifiers modifiers, const QString& text,
                                bool allowCalendarSwitch);

// Whether a key typing `text` with `modifiers` types digits: digits count only as typed text, and a key held with
// Ctrl, Alt or Meta types nothing. The picker's key table and the drop-down both go by it.
bool typesDigitText(Qt::KeyboardModifiers modifiers, const QString& text);
