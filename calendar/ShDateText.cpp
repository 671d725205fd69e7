// The date text: the format engine (ShDateTimeToString and the functions built on it) and the parser.

#include "calendar/ShDateUtils.h"

#include "calendar/ShCalendarMode.h"
#include "calendar/ShDateConsts.h"
#include "calendar/ShDateCore.h"

#include <QStringView>

#include <cstdlib>

TFormatSettings FormatSettings;

namespace {

constexpr int OutputLimit = 256;

// The text of one call: a fixed buffer; what does not fit is dropped.
struct Output
{
    char16_t buf[OutputLimit];
    int len = 0;

    void put(QChar c)
    {
        if (len < OutputLimit)
            buf[len++] = c.unicode();
    }
    void put(QStringView s)
    {
        const int n = std::min<int>(static_cast<int>(s.size()), OutputLimit - len);
        for (int i = 0; i < n; ++i)
            buf[len + i] = s[i].unicode();
        len += n;
    }
    // value in decimal, padded with zeros to at least minDigits.
    void number(unsigned value, int minDigits)
    {
        char16_t digits[12];
        int n = 0;
        do {
            digits[n++] = static_cast<char16_t>(u'0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n < minDigits)
            digits[n++] = u'0';
        while (n > 0 && len < OutputLimit)
            buf[len++] = digits[--n];
    }
};

char16_t upper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

// Case-insensitive (a to z) test whether s at i begins with word (given in upper case).
bool startsWithWord(QStringView s, qsizetype i, const char* word)
{
    for (; *word; ++word, ++i) {
        if (i >= s.size() || upper(s[i].unicode()) != static_cast<char16_t>(*word))
            return false;
    }
    return true;
}

struct Engine
{
    explicit Engine(TDateTime v) : value(v) {}

    TDateTime value;
    Output out; // the buffer is left uninitialised: only its first len characters are ever read
    int depth = 0;

    void run(QStringView pattern);
};

// One pattern level: its own lazily decoded fields, last letter and 12-hour flag.
struct Level
{
    Engine& engine;
    QStringView p;
    bool haveDate = false;
    bool haveTime = false;
    Word year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    char16_t lastLetter = 0;
    bool use12Hour = false;

    void date()
    {
        if (!haveDate) {
            ShDecodeDate(engine.value, year, month, day);
            haveDate = true;
        }
    }
    void time()
    {
        if (!haveTime) {
            std::int64_t serial, ms;
            ShDateCore::splitValue(engine.value, serial, ms);
            hour = static_cast<int>(ms / 3600000);
            minute = static_cast<int>(ms / 60000 % 60);
            second = static_cast<int>(ms / 1000 % 60);
            msec = static_cast<int>(ms % 1000);
            haveTime = true;
        }
    }
    int weekday() const { return ShDayOfWeek(engine.value); }

    // Looks ahead from the end of an hour run for an AM/PM marker that puts this level on the 12-hour scale.
    void lookForMarker(qsizetype i)
    {
        bool quoted = false;
        for (; i < p.size(); ++i) {
            const char16_t c = p[i].unicode();
            if (c == u'\'' || c == u'"')
                quoted = !quoted;
            else if (c == u'h' || c == u'H')
                return;
            else if (!quoted && (c == u'a' || c == u'A')) {
                if (startsWithWord(p, i, "AM/PM") || startsWithWord(p, i, "A/P") || startsWithWord(p, i, "AMPM"))
                    use12Hour = true;
                return;
            }
        }
    }

    void run();
};

void Engine::run(QStringView pattern)
{
    // The given pattern is level 1, a format expanded inside it level 2; deeper expansions write nothing.
    if (depth >= 2)
        return;
    ++depth;
    Level level{*this, pattern};
    level.run();
    --depth;
}

void Level::run()
{
    Output& out = engine.out;
    const qsizetype n = p.size();
    qsizetype i = 0;
    while (i < n && out.len < OutputLimit) {
        const char16_t c = p[i].unicode();
        char16_t letter = upper(c);
        if (letter >= u'A' && letter <= u'Z') {
            if (letter == u'M' && lastLetter == u'H')
                letter = u'N';
            lastLetter = letter;
        }
        const qsizetype start = i++;
        auto runLength = [&]() {
            while (i < n && p[i].unicode() == c)
                ++i;
            return static_cast<int>(i - start);
        };
        switch (letter) {
        case u'Y': {
            const int count = runLength();
            date();
            if (count <= 2)
                out.number(year % 100, 2);
            else
                out.number(year, 4);
            break;
        }
        case u'G':
        case u'E':
            // Era name and era year come from a locale's alternative calendar; this platform has none, so both
            // write nothing.
            runLength();
            break;
        case u'M': {
            const int count = runLength();
            date();
            if (count <= 2)
                out.number(month, count);
            else
                out.put(count == 3 ? ShShortMonthNames[month] : ShLongMonthNames[month]);
            break;
        }
        case u'D': {
            const int count = runLength();
            if (count <= 2) {
                date();
                out.number(day, count);
            } else if (count == 3)
                out.put(ShShortDayNames[weekday()]);
            else if (count == 4)
                out.put(ShLongDayNames[weekday()]);
            else
                engine.run(count == 5 ? FormatSettings.ShortDateFormat : FormatSettings.LongDateFormat);
            break;
        }
        case u'H': {
            const int count = runLength();
            lookForMarker(i);
            time();
            int h = hour;
            if (use12Hour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out.number(h, count >= 2 ? 2 : 1);
            break;
        }
        case u'N': {
            const int count = runLength();
            time();
            out.number(minute, count >= 2 ? 2 : 1);
            break;
        }
        case u'S': {
            const int count = runLength();
            time();
            out.number(second, count >= 2 ? 2 : 1);
            break;
        }
        case u'Z': {
            const int count = runLength();
            time();
            out.number(msec, count >= 3 ? 3 : count);
            break;
        }
        case u'T': {
            const int count = runLength();
            engine.run(count == 1 ? FormatSettings.ShortTimeFormat : FormatSettings.LongTimeFormat);
            break;
        }
        case u'C': {
            runLength();
            engine.run(FormatSettings.ShortDateFormat);
            time();
            if (hour != 0 || minute != 0 || second != 0) {
                out.put(QChar(u' '));
                engine.run(FormatSettings.LongTimeFormat);
            }
            break;
        }
        case u'A': {
            if (startsWithWord(p, start, "AM/PM")) {
                time();
                out.put(p.mid(hour < 12 ? start : start + 3, 2));
                i = start + 5;
                use12Hour = true;
            } else if (startsWithWord(p, start, "A/P")) {
                time();
                out.put(p[hour < 12 ? start : start + 2]);
                i = start + 3;
                use12Hour = true;
            } else if (startsWithWord(p, start, "AMPM")) {
                time();
                out.put(hour < 12 ? FormatSettings.TimeAMString : FormatSettings.TimePMString);
                i = start + 4;
                use12Hour = true;
            } else if (startsWithWord(p, start, "AAAA")) {
                out.put(ShLongDayNames[weekday()]);
                i = start + 4;
            } else if (startsWithWord(p, start, "AAA")) {
                out.put(ShShortDayNames[weekday()]);
                i = start + 3;
            } else {
                out.put(QChar(c));
            }
            break;
        }
        case u'/':
            if (!FormatSettings.DateSeparator.isNull())
                out.put(FormatSettings.DateSeparator);
            break;
        case u':':
            if (!FormatSettings.TimeSeparator.isNull())
                out.put(FormatSettings.TimeSeparator);
            break;
        case u'\'':
        case u'"': {
            qsizetype close = i;
            while (close < n && p[close].unicode() != c)
                ++close;
            out.put(p.mid(i, close - i));
            i = close < n ? close + 1 : n; // an unclosed quote copies the rest
            break;
        }
        default:
            out.put(QChar(c));
            break;
        }
    }
}

} // namespace

QString ShDateTimeToString(const QString& Format, TDateTime DateTime)
{
    Engine engine(DateTime);
    engine.run(Format.isEmpty() ? QStringView(u"c") : QStringView(Format));
    return QString(reinterpret_cast<const QChar*>(engine.out.buf), engine.out.len);
}

QString ShFormatDateTime(const QString& Format, TDateTime DateTime)
{
    return ShDateTimeToString(Format, DateTime);
}

QString ShDateToStr(TDateTime Date)
{
    return ShDateTimeToString(FormatSettings.ShortDateFormat, Date);
}

QString ShDateTimeToStr(TDateTime DateTime)
{
    return ShDateTimeToString(QString(), DateTime);
}

// ---- parser -----------------------------------------------------------------------------------------------------

namespace {

enum class FieldOrder
{
    MonthDayYear,
    DayMonthYear,
    YearMonthDay
};

FieldOrder fieldOrder(QStringView format)
{
    for (const QChar ch : format) {
        switch (upper(ch.unicode())) {
        case u'D':
            return FieldOrder::DayMonthYear;
        case u'E':
        case u'Y':
            return FieldOrder::YearMonthDay;
        case u'M':
            return FieldOrder::MonthDayYear;
        default:
            break;
        }
    }
    return FieldOrder::MonthDayYear;
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

struct Scanner
{
    QStringView s;
    qsizetype p = 0;

    void skipBlanks()
    {
        while (p < s.size() && s[p].unicode() == u' ')
            ++p;
    }
    // A number stops growing once it reaches 1000, even when more digits follow.
    bool number(int& value, int& length)
    {
        skipBlanks();
        const qsizetype start = p;
        value = 0;
        while (p < s.size() && isDigit(s[p]) && value < 1000)
            value = value * 10 + (s[p++].unicode() - u'0');
        length = static_cast<int>(p - start);
        return length > 0;
    }
    bool separator(QChar sep)
    {
        skipBlanks();
        if (p < s.size() && s[p] == sep) {
            ++p;
            return true;
        }
        return false;
    }
};

int eraOffset(Scanner& scan, const TFormatSettings& fs)
{
    if (fs.ShortDateFormat.startsWith(QLatin1Char('g'))) {
        const qsizetype start = scan.p;
        while (scan.p < scan.s.size() && !isDigit(scan.s[scan.p]))
            ++scan.p;
        QStringView name = scan.s.mid(start, scan.p - start);
        while (!name.isEmpty() && name.front().unicode() == u' ')
            name = name.mid(1);
        while (!name.isEmpty() && name.back().unicode() == u' ')
            name.chop(1);
        for (std::size_t k = 0; k < fs.EraNames.size() && !fs.EraNames[k].isEmpty(); ++k) {
            if (fs.EraNames[k].contains(name))
                return fs.EraYearOffsets[k];
        }
        return 0;
    }
    if (fs.ShortDateFormat.contains(QLatin1Char('e')))
        return fs.EraYearOffsets[0];
    return 0;
}

} // namespace

bool ShTryStrToDate(const QString& S, TDateTime& Date)
{
    const TFormatSettings& fs = FormatSettings;
    const FieldOrder order = fieldOrder(fs.ShortDateFormat);
    Scanner scan{S};
    long long era = eraOffset(scan, fs);

    int n1, n2, n3, len1, len2, len3;
    if (!scan.number(n1, len1) || !scan.separator(fs.DateSeparator) || !scan.number(n2, len2))
        return false;

    // Wide enough that no era offset or window can overflow it.
    long long year, month, day;
    if (scan.separator(fs.DateSeparator)) {
        if (!scan.number(n3, len3))
            return false;
        int yearLength;
        switch (order) {
        case FieldOrder::MonthDayYear:
            year = n3, month = n1, day = n2, yearLength = len3;
            break;
        case FieldOrder::DayMonthYear:
            year = n3, month = n2, day = n1, yearLength = len3;
            break;
        default:
            year = n1, month = n2, day = n3, yearLength = len1;
            break;
        }
        if (era > 0) {
            if (fs.PrimaryLanguage == LangKorean) {
                if (year <= 99)
                    year += (ShCurrentYear() + std::llabs(era)) / 100 * 100;
                era = -era;
            } else
                era -= 1;
            year += era;
        } else if (yearLength <= 2) {
            year = ShCalendarMode::ExpandTwoDigitYear(static_cast<int>(year), ShCurrentYear(),
                                                      fs.TwoDigitYearCenturyWindow);
        }
    } else {
        year = ShCurrentYear();
        if (order == FieldOrder::DayMonthYear)
            day = n1, month = n2;
        else
            month = n1, day = n2;
    }

    // One trailing separator may follow the date.
    scan.separator(fs.DateSeparator);
    scan.skipBlanks();

    if (fs.FarEast && fs.ShortDateFormat.contains(QLatin1String("ddd"))) {
        if (!fs.ShortTimeFormat.isEmpty() && isDigit(fs.ShortTimeFormat.front())) {
            while (scan.p < scan.s.size() && !isDigit(scan.s[scan.p]))
                ++scan.p;
        } else {
            do {
                while (scan.p < scan.s.size() && scan.s[scan.p].unicode() != u' ')
                    ++scan.p;
                scan.skipBlanks();
            } while (scan.p < scan.s.size() && !scan.s.mid(scan.p).startsWith(fs.TimeAMString, Qt::CaseInsensitive) &&
                     !scan.s.mid(scan.p).startsWith(fs.TimePMString, Qt::CaseInsensitive));
        }
    }

    // Fields outside 16 bits are no date at all; never let them wrap into a valid one.
    if (year < 0 || year > 0xFFFF)
        return false;
    TDateTime value;
    if (!ShTryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), value))
        return false;
    if (scan.p < scan.s.size())
        return false;
    Date = value;
    return true;
}

TDateTime ShStrToDate(const QString& S)
{
    TDateTime result;
    if (!ShTryStrToDate(S, result))
        throw EConvertError(QString::fromUtf8(SShInvalidDate).replace(QLatin1String("%s"), S).toStdString());
    return result;
}
