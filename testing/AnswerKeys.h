#pragma once

#include <QString>

// The Likert value (1 to 5) a key answers with while the question panel is shown: the digits 1 to 5 in Latin,
// Persian (U+06F1-U+06F5) or Arabic-Indic (U+0661-U+0665) form, typed on the main keys or the keypad. 0 for any
// other key. `text` is what the key types; `key` (a Qt::Key) serves when a platform sends no text.
int likertValueOfKey(int key, const QString& text);
