#include "controls/PickerClipboard.h"

#include <QLocale>

namespace {

// Pasted text as the date parser reads it: ASCII digits, and without the invisible direction marks (RLM, LRM,
// ALM, embeddings, isolates) that Persian text carries around numbers when it is copied from documents and pages.
QString withAsciiDigits(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Format)
            continue;
        const int d = typedDigitValue(c);
        out += d >= 0 ? QChar(u'0' + d) : c;
    }
    return out;
}

bool tryReadGregorian(const QString& text, ShCalendarMode mode, TDateTime& day)
{
    const QLocale locale;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate date = locale.toDate(text, format);
    if (date.isValid() && !format.contains(QLatin1String("yyyy"))) {
        // Qt reads a two-digit year as 19yy; put it in the same hundred-year window as typed years, so that what
        // Ctrl+C wrote comes back as the same day.
        date = QDate(mode.ExpandTwoDigitYear(date.year() % 100), date.month(), date.day());
    } else if (!date.isValid() && !format.contains(QLatin1String("yyyy"))) {
        date = locale.toDate(text, QString(format).replace(QLatin1String("yy"), QLatin1String("yyyy")));
    }
    if (!date.isValid())
        return false;
    day = ShGregorianToSerial(date);
    return true;
}

} // namespace

QString copiedDateText(TDateTime day, ShCalendarMode mode)
{
    return mode.DateText(day);
}

bool tryReadPastedDate(const QString& text, ShCalendarMode mode, TDateTime& day)
{
    const QString plain = withAsciiDigits(text).trimmed();
    TDateTime parsed = 0;
    const bool read = mode.IsGregorian() ? tryReadGregorian(plain, mode, parsed) : ShTryStrToDate(plain, parsed);
    if (!read)
        return false;
    day = ShCalendarMode::DayOf(parsed);
    return true;
}
