#include "testing/AnswerKeys.h"

namespace {

int likertValueOfDigit(char16_t c)
{
    for (const char16_t zero : {u'0', u'\u06F0', u'\u0660'}) {
        if (c > zero && c <= zero + 5)
            return c - zero;
    }
    return 0;
}

} // namespace

int likertValueOfKey(int key, const QString& text)
{
    if (text.size() == 1)
        return likertValueOfDigit(text.at(0).unicode());
    // Qt's key codes of the digits are their character codes.
    if (text.isEmpty() && key > 0 && key <= 0xFFFF)
        return likertValueOfDigit(char16_t(key));
    return 0;
}
