#include "controls/ShMonthCalendar.h"

#include "calendar/ShDateUtils.h"

#include <QGuiApplication>
#include <QPalette>

TMonthCalendarColors::TMonthCalendarColors(TCustomShMonthCalendar* calendar, QObject* parent)
    : QObject(parent), m_calendar(calendar)
{
    for (int i = 0; i < ColorCount; ++i)
        m_colors[i] = DefaultColor(i);
}

QColor TMonthCalendarColors::DefaultColor(int index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case ciCircle:
        return QColor(255, 0, 0);
    case ciText:
    case ciLines:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case ciTitleBack:
    case ciFixedText:
        // The system's caption colour: Qt's nearest is the highlight of the active palette.
        return palette.color(QPalette::Active, QPalette::Highlight);
    case ciTitleText:
    case ciMonthBack:
        return QColor(255, 255, 255);
    case ciTrailingText:
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case ciBoldDays:
        return QColor(); // the default-colour marker: bold days use TextColor
    default:
        return QColor();
    }
}

QColor TMonthCalendarColors::GetColor(int index) const
{
    return index >= 0 && index < ColorCount ? m_colors[index] : QColor();
}

void TMonthCalendarColors::SetColor(int index, const QColor& value)
{
    if (index < 0 || index >= ColorCount)
        return;
    m_colors[index] = value;
    emit OnChange();
}

void TMonthCalendarColors::Assign(const QObject* source)
{
    if (const auto* other = qobject_cast<const TMonthCalendarColors*>(source)) {
        for (int i = 0; i < ColorCount; ++i)
            m_colors[i] = other->m_colors[i];
        return;
    }
    const QByteArray sourceName = source ? QByteArray(source->metaObject()->className()) : QByteArray("nil");
    throw EConvertError(QString::asprintf("Cannot assign a %s to a %s", sourceName.constData(),
                                          TMonthCalendarColors::staticMetaObject.className())
                            .toStdString());
}
