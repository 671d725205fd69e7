#include "controls/ShDateTypes.h"

#include "calendar/ShDateConsts.h"
#include "controls/PickerKeys.h"

#include <QKeyEvent>

int typedDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= 0x06F0 && u <= 0x06F9)
        return u - 0x06F0;
    if (u >= 0x0660 && u <= 0x0669)
        return u - 0x0660;
    return -1;
}

bool typesDigits(const QKeyEvent* event)
{
    return typesDigitText(event->modifiers(), event->text());
}

QString ShExceedsMaximumText(const QString& value, const QString& maximum)
{
    return QString::asprintf(SShDateExceedsMax, value.toUtf8().constData(), maximum.toUtf8().constData());
}

QString ShLessThanMinimumText(const QString& value, const QString& minimum)
{
    return QString::asprintf(SShDateLessThanMin, value.toUtf8().constData(), minimum.toUtf8().constData());
}
