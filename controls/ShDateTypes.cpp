#include "controls/ShDateTypes.h"

#include "calendar/ShDateConsts.h"

#include <QKeyEvent>

#include <algorithm>

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
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return typedDigitValue(c) >= 0; });
}

QString ShExceedsMaximumText(const QString& value, const QString& maximum)
{
    return QString::asprintf(SShDateExceedsMax, value.toUtf8().constData(), maximum.toUtf8().constData());
}

QString ShLessThanMinimumText(const QString& value, const QString& minimum)
{
    return QString::asprintf(SShDateLessThanMin, value.toUtf8().constData(), minimum.toUtf8().constData());
}
