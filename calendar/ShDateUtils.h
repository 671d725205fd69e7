#pragma once

// Solar Hijri calendar: arithmetic on date-time values, the date text (format engine and parser) and the
// process-wide regional format settings. Everything here is in the global namespace.
//
// A date-time value (TDateTime) is a double: its integral part is the day serial (days since 30 December 1899,
// which is 9 Dey 1278, a Saturday), its fraction the time of day. For a negative value the time of day is the
// absolute value of the fraction: -1.25 is day serial -1 at 06:00.
// Dates are valid for years 1 to 9999; weekdays run from 1 (Saturday) to 7 (Friday).

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include <QChar>
#include <QString>

using TDateTime = double;
using Word = std::uint16_t;

// Raised by the plain (non-Try) operations; what() is the message in UTF-8.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
    explicit EConvertError(const char* message) : std::runtime_error(message) {}
};

// Month lengths: ShMonthDays[leap 0 or 1][month 1..12]; column 0 is unused (0).
extern const Word ShMonthDays[2][13];

// ---- arithmetic -------------------------------------------------------------------------------------------------

// year mod 33 in {1, 5, 9, 13, 17, 22, 26, 30}.
bool ShIsLeapYear(Word Year);

// Number of leap years among years 1..Year (0 for 0).
int ShLeapYearCount(Word Year);

// False (Date untouched) for a year outside 1..9999, a month outside 1..12 or a day outside the month.
bool ShTryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);

// As ShTryEncodeDate; raises EConvertError("Invalid argument to date encode") on bad input.
TDateTime ShEncodeDate(Word Year, Word Month, Word Day);

// Never fails: a value before 1 Farvardin 1 gives zeros (and DOW 0). Returns whether the year is a leap year.
bool ShDecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW);
void ShDecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);

// Weekday 1 (Saturday) .. 7 (Friday) of any value.
Word ShDayOfWeek(TDateTime Date);

// Moves the date by whole months; the day is clamped to the new month's length.
void ShIncAMonth(Word& Year, Word& Month, Word& Day, int NumberOfMonths);

// Moves a value by whole months keeping its time of day; raises EConvertError when the year leaves 1..9999.
TDateTime ShIncMonth(TDateTime Date, int NumberOfMonths);

// Solar Hijri year of Clock::today().
Word ShCurrentYear();

// Week number 1..53. FirstWeekRule: 1 week of 1 Farvardin, 2 first week with four days (0 = default = 2),
// 3 first full week.
int ShWeekOfTheYear(std::uint8_t FirstWeekRule, TDateTime Date);

bool ShTryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Date);

// Raises EConvertError("'y/m/d h:n:s.z' is not a valid date and time") on bad input.
TDateTime ShEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec);

// ---- regional format settings -----------------------------------------------------------------------------------

// Process-wide formats read by the format engine and the parser. Holds the Persian defaults from static
// initialisation; tests and callers may assign any field. There is no alternative calendar here, so the era
// names are empty and the offsets 0 unless a caller sets them.
struct TFormatSettings
{
    QString ShortDateFormat = QStringLiteral("yyyy/MM/dd");
    QString LongDateFormat = QStringLiteral("dddd d mmmm yyyy");
    QString ShortTimeFormat = QStringLiteral("hh:nn");
    QString LongTimeFormat = QStringLiteral("hh:nn:ss");
    QChar DateSeparator = QLatin1Char('/'); // QChar(0): no separator
    QChar TimeSeparator = QLatin1Char(':');
    QChar DecimalSeparator = QLatin1Char('.');
    QString TimeAMString = QString::fromUtf8("\xd9\x82.\xd8\xb8"); // ق.ظ
    QString TimePMString = QString::fromUtf8("\xd8\xa8.\xd8\xb8"); // ب.ظ
    Word TwoDigitYearCenturyWindow = 50;

    // Era names and year offsets of the locale's alternative calendar (up to 7; the list ends at the first
    // empty name).
    std::array<QString, 7> EraNames{};
    std::array<int, 7> EraYearOffsets{};

    // Locale: Windows primary language and sublanguage codes (Persian 0x29, 0x01) and the Far-East flag (set
    // only for code pages with multi-byte characters).
    Word PrimaryLanguage = 0x29;
    Word SubLanguage = 0x01;
    bool FarEast = false;
};

extern TFormatSettings FormatSettings;

// Windows primary language codes the parser treats specially.
inline constexpr Word LangKorean = 0x12;

// ---- date text --------------------------------------------------------------------------------------------------

// Format engine: letters y m d h n s z t c g e a (either case), / and :, quoted text; output cut at 256
// characters. An empty pattern means "c".
QString ShDateTimeToString(const QString& Format, TDateTime DateTime);
QString ShFormatDateTime(const QString& Format, TDateTime DateTime);

// The value in the short date format ("1391/02/10" with the defaults).
QString ShDateToStr(TDateTime Date);

// The date, then the long time when the time of day has a non-zero hour, minute or second.
QString ShDateTimeToStr(TDateTime DateTime);

// Parser: numbers in the short date format's field order, separated by the date separator; two numbers mean
// the current year; a one- or two-digit year lands within the two-digit-year window. True when the whole text
// is a valid date; Date untouched otherwise.
bool ShTryStrToDate(const QString& S, TDateTime& Date);

// As ShTryStrToDate; raises EConvertError("Invalid date '<S>'").
TDateTime ShStrToDate(const QString& S);
