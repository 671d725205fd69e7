// Solar Hijri date text: names, the format engine and the parser.

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"
#include "calendar/ShDateUtils.h"

#include <QTest>

namespace {

TDateTime at(int y, int m, int d, int h = 0, int n = 0, int s = 0, int z = 0)
{
    return ShEncodeDateTime(y, m, d, h, n, s, z);
}

} // namespace

class tst_ShDateText : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void monthNames_data();
    void monthNames();
    void dayNames_data();
    void dayNames();
    void namesInPersianLetters();

    void format_data();
    void format();
    void formatExpandsSettings_data();
    void formatExpandsSettings();
    void formatStopsAtSecondLevel();
    void formatCutsAt256_data();
    void formatCutsAt256();
    void formatBeforeFirstDay();
    void dateTimeToStr_data();
    void dateTimeToStr();

    void parse_data();
    void parse();
    void parseFieldOrders_data();
    void parseFieldOrders();
    void parseWithEra_data();
    void parseWithEra();
    void parseFarEast_data();
    void parseFarEast();
    void strToDateRaises_data();
    void strToDateRaises();
    void storedTextRoundTrips_data();
    void storedTextRoundTrips();
};

void tst_ShDateText::init()
{
    FormatSettings = TFormatSettings();
    Clock::setFixed(at(1391, 5, 5, 10));
}

void tst_ShDateText::cleanup()
{
    FormatSettings = TFormatSettings();
    Clock::useSystem();
}

void tst_ShDateText::monthNames_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("longName");
    QTest::addColumn<QString>("shortName");
    const char* const names[][2] = {
        {"فروردين", "فرو"}, {"ارديبهشت", "ارد"}, {"خرداد", "خرد"}, {"تير", "تير"}, {"امرداد", "امر"}, {"شهريور", "شهر"},
        {"مهر", "مهر"},     {"آبان", "آبا"},     {"آذر", "آذر"},   {"دي", "دي"},   {"بهمن", "بهم"},   {"اسفند", "اسف"},
    };
    for (int m = 1; m <= 12; ++m)
        QTest::addRow("month %d", m) << m << QString::fromUtf8(names[m - 1][0]) << QString::fromUtf8(names[m - 1][1]);
}

void tst_ShDateText::monthNames()
{
    QFETCH(int, month);
    QFETCH(QString, longName);
    QFETCH(QString, shortName);
    QCOMPARE(ShLongMonthNames[month], longName);
    QCOMPARE(ShShortMonthNames[month], shortName);
}

void tst_ShDateText::dayNames_data()
{
    // Sunday, Tuesday and Thursday join their parts with a zero-width non-joiner.
    const QString zwnj(QChar(0x200C));
    QTest::addColumn<int>("weekday");
    QTest::addColumn<QString>("longName");
    QTest::addColumn<QString>("shortName");
    QTest::newRow("Saturday") << 1 << QStringLiteral("شنبه") << QStringLiteral("ش");
    QTest::newRow("Sunday") << 2 << QStringLiteral("يک") + zwnj + QStringLiteral("شنبه") << QStringLiteral("ي");
    QTest::newRow("Monday") << 3 << QStringLiteral("دوشنبه") << QStringLiteral("د");
    QTest::newRow("Tuesday") << 4 << QStringLiteral("سه") + zwnj + QStringLiteral("شنبه") << QStringLiteral("س");
    QTest::newRow("Wednesday") << 5 << QStringLiteral("چهارشنبه") << QStringLiteral("چ");
    QTest::newRow("Thursday") << 6 << QStringLiteral("پنج") + zwnj + QStringLiteral("شنبه") << QStringLiteral("پ");
    QTest::newRow("Friday") << 7 << QStringLiteral("آدينه") << QStringLiteral("آ");
}

void tst_ShDateText::dayNames()
{
    QFETCH(int, weekday);
    QFETCH(QString, longName);
    QFETCH(QString, shortName);
    QCOMPARE(ShLongDayNames[weekday], longName);
    QCOMPARE(ShShortDayNames[weekday], shortName);
}

void tst_ShDateText::namesInPersianLetters()
{
    // Yeh is the Arabic yeh U+064A and kaf is keheh U+06A9: neither Farsi yeh (U+06CC), alef maksura (U+0649)
    // nor Arabic kaf (U+0643) may creep in.
    QStringList all;
    for (int i = 1; i <= 12; ++i)
        all << ShLongMonthNames[i] << ShShortMonthNames[i];
    for (int i = 1; i <= 7; ++i)
        all << ShLongDayNames[i] << ShShortDayNames[i];
    for (const QString& name : all) {
        for (const QChar c : name) {
            QVERIFY2(c == QChar(0x200C) || (c.unicode() >= 0x0621 && c.unicode() <= 0x06AF),
                     qPrintable(QStringLiteral("U+%1 in a name").arg(c.unicode(), 4, 16, QLatin1Char('0'))));
            QVERIFY(c != QChar(0x06CC) && c != QChar(0x0649) && c != QChar(0x0643));
        }
    }
    QVERIFY(ShLongMonthNames[0].isEmpty() && ShLongDayNames[0].isEmpty());
    QCOMPARE(FormatSettings.TimeAMString, QString::fromUtf16(u"\u0642.\u0638"));
    QCOMPARE(FormatSettings.TimePMString, QString::fromUtf16(u"\u0628.\u0638"));
}

void tst_ShDateText::format_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    const TDateTime sunday = at(1391, 2, 10);                 // a Sunday
    const TDateTime afternoon = at(1391, 2, 10, 14, 5, 9, 7); // 14:05:09.007
    const QString sun = ShLongDayNames[2];

    QTest::newRow("short date") << "yyyy/MM/dd" << sunday << "1391/02/10";
    QTest::newRow("leap day") << "yyyy/MM/dd" << at(1391, 12, 30) << "1391/12/30";
    QTest::newRow("year padded to four") << "yyyy/MM/dd" << at(91, 1, 5) << "0091/01/05";
    QTest::newRow("long date") << "dddd d mmmm yyyy" << sunday << sun + " 10 " + ShLongMonthNames[2] + " 1391";
    QTest::newRow("ddd") << "ddd" << sunday << ShShortDayNames[2];
    QTest::newRow("mmm") << "mmm" << sunday << ShShortMonthNames[2];
    QTest::newRow("mmmmmm is the long name") << "mmmmmm" << sunday << ShLongMonthNames[2];
    QTest::newRow("aaaa") << "aaaa" << sunday << sun;
    QTest::newRow("AAA") << "AAA" << sunday << ShShortDayNames[2];
    QTest::newRow("m") << "m" << sunday << "2";
    QTest::newRow("mm") << "mm" << sunday << "02";
    QTest::newRow("d") << "d" << at(1391, 2, 3) << "3";
    QTest::newRow("yy") << "yy" << sunday << "91";
    QTest::newRow("y") << "y" << at(1405, 1, 1) << "05";
    QTest::newRow("yyy") << "yyy" << sunday << "1391";
    QTest::newRow("runs by exact case") << "yYyy" << sunday << "919191";
    QTest::newRow("Mm is two month runs") << "Mm" << sunday << "22";

    QTest::newRow("m after h is the minute") << "hh:mm" << afternoon << "14:05";
    QTest::newRow("m after h with a separator between") << "h.m" << afternoon << "14.5";
    QTest::newRow("m after s is the month") << "hh:ss mm" << afternoon << "14:09 02";
    QTest::newRow("n is always the minute") << "n nn" << afternoon << "5 05";
    QTest::newRow("seconds and milliseconds") << "s ss z zz zzz zzzz" << afternoon << "9 09 7 07 007 007";
    QTest::newRow("h pads with a run") << "h hh hhh" << at(1391, 2, 10, 7) << "7 07 07";

    QTest::newRow("AM/PM afternoon") << "h:mm AM/PM" << afternoon << "2:05 PM";
    QTest::newRow("am/pm keeps the case written") << "h:mm am/pm" << afternoon << "2:05 pm";
    QTest::newRow("Am/pM before noon") << "h:mm Am/pM" << at(1391, 1, 1, 9, 30) << "9:30 Am";
    QTest::newRow("a/p") << "h:mm a/p" << afternoon << "2:05 p";
    QTest::newRow("midnight is 12 AM") << "h AM/PM" << at(1391, 1, 1, 0, 30) << "12 AM";
    QTest::newRow("noon is 12 PM") << "h AM/PM" << at(1391, 1, 1, 12) << "12 PM";
    QTest::newRow("ampm uses the designators") << "hh:nn ampm" << afternoon << "02:05 " + FormatSettings.TimePMString;
    QTest::newRow("AMPM morning") << "AMPM" << at(1391, 1, 1, 11, 59) << FormatSettings.TimeAMString;
    QTest::newRow("marker earlier in the pattern") << "AM/PM h" << afternoon << "PM 2";
    QTest::newRow("marker in quotes is not seen") << "h 'am/pm'" << afternoon << "14 am/pm";
    QTest::newRow("lookahead stops at the next h") << "h h AM/PM" << afternoon << "14 2 PM";
    QTest::newRow("a alone is copied") << "a h" << afternoon << "a 14";
    QTest::newRow("ap is no marker") << "h ap" << afternoon << "14 ap";

    QTest::newRow("quoted text") << "'Date:' yyyy" << sunday << "Date: 1391";
    QTest::newRow("double quotes") << "\"yyyy\" yyyy" << sunday << "yyyy 1391";
    QTest::newRow("unclosed quote copies the rest") << "yyyy 'mm dd" << sunday << "1391 mm dd";
    QTest::newRow("one quote kind inside the other") << "\"it's\" d" << sunday << "it's 10";
    QTest::newRow("other characters copied") << "[yyyy-MM-dd] #" << sunday << "[1391-02-10] #";
    QTest::newRow("Persian letters copied") << QString::fromUtf8("روز d") << sunday << QString::fromUtf8("روز 10");
    QTest::newRow("era letters write nothing here") << "gg e yyyy" << sunday << "  1391";
}

void tst_ShDateText::format()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(ShDateTimeToString(pattern, value), expected);
    QCOMPARE(ShFormatDateTime(pattern, value), expected);
}

void tst_ShDateText::formatExpandsSettings_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("dateSeparator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ddddd is the short date") << "ddddd"
                                             << "/"
                                             << "1391/02/10";
    QTest::newRow("dddddd is the long date") << "dddddd"
                                             << "/" << ShLongDayNames[2] + " 10 " + ShLongMonthNames[2] + " 1391";
    QTest::newRow("t is the short time") << "t"
                                         << "/"
                                         << "08:30";
    QTest::newRow("tt is the long time") << "tt"
                                         << "/"
                                         << "08:30:15";
    QTest::newRow("c is date and time") << "c"
                                        << "/"
                                        << "1391/02/10 08:30:15";
    QTest::newRow("separator from the settings") << "ddddd"
                                                 << "-"
                                                 << "1391-02-10";
    QTest::newRow("a null separator writes nothing") << "yyyy/mm/dd" << QString(QChar(0)) << "13910210";
}

void tst_ShDateText::formatExpandsSettings()
{
    QFETCH(QString, pattern);
    QFETCH(QString, dateSeparator);
    QFETCH(QString, expected);
    FormatSettings.DateSeparator = dateSeparator[0];
    QCOMPARE(ShDateTimeToString(pattern, at(1391, 2, 10, 8, 30, 15)), expected);
}

void tst_ShDateText::formatStopsAtSecondLevel()
{
    // A format expanded inside an expanded format writes nothing, so a settings format that names itself
    // cannot recurse.
    FormatSettings.ShortDateFormat = "yyyy ddddd";
    const TDateTime v = at(1391, 2, 10, 8);
    QCOMPARE(ShDateTimeToString("ddddd", v), QStringLiteral("1391 "));
    QCOMPARE(ShDateToStr(v), QStringLiteral("1391 1391 "));
    FormatSettings.LongTimeFormat = "tt hh";
    QCOMPARE(ShDateTimeToString("tt", v), QStringLiteral(" 08"));
    FormatSettings.ShortDateFormat = "c";
    // Level 2 runs c (writing only its blank), then level 1 adds a blank and the long time at level 2.
    QCOMPARE(ShDateTimeToStr(v), QStringLiteral("   08"));
}

void tst_ShDateText::formatCutsAt256_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("copied text") << QString(300, 'x') << QString(256, 'x');
    QTest::newRow("a number across the end") << QString(254, 'x') + "yyyy" << QString(254, 'x') + "13";
    QTest::newRow("a name across the end")
        << QString(253, 'x') + "mmmm" << QString(253, 'x') + ShLongMonthNames[2].left(3);
    QTest::newRow("nothing after the end") << QString(256, 'x') + "yyyy" << QString(256, 'x');
    QTest::newRow("expanded format across the end")
        << QString(250, 'x') + "dddddd" << QString(250, 'x') + ShLongDayNames[2].left(6);
    QTest::newRow("quoted text across the end") << "'" + QString(300, 'q') + "'" << QString(256, 'q');
}

void tst_ShDateText::formatCutsAt256()
{
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(ShDateTimeToString(pattern, at(1391, 2, 10)), expected);
}

void tst_ShDateText::formatBeforeFirstDay()
{
    // A value before 1 Farvardin 1 has year, month and day 0; names of month 0 are empty.
    const TDateTime before = at(1, 1, 1) - 1;
    QCOMPARE(ShDateToStr(before), QStringLiteral("0000/00/00"));
    QCOMPARE(ShDateTimeToString("mmm|mmmm|dddd", before), "||" + ShLongDayNames[ShDayOfWeek(before)]);
}

void tst_ShDateText::dateTimeToStr_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("midnight: date only") << at(1391, 2, 10) << "1391/02/10";
    QTest::newRow("08:30") << at(1391, 2, 10, 8, 30) << "1391/02/10 08:30:00";
    QTest::newRow("one second") << at(1391, 2, 10, 0, 0, 1) << "1391/02/10 00:00:01";
    QTest::newRow("milliseconds alone do not count") << at(1391, 2, 10, 0, 0, 0, 500) << "1391/02/10";
    QTest::newRow("before serial 0 at 06:00") << at(1278, 10, 8, 6) << "1278/10/08 06:00:00";
}

void tst_ShDateText::dateTimeToStr()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(ShDateTimeToStr(value), expected);
    QCOMPARE(ShDateTimeToString(QString(), value), expected);
}

void tst_ShDateText::parse_data()
{
    // Today is in 1391; the two-digit window is 50, so two-digit years land in 1341 .. 1440.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("stored form") << "1391/02/10" << true << 1391 << 2 << 10;
    QTest::newRow("no leading zeros") << "1391/2/10" << true << 1391 << 2 << 10;
    QTest::newRow("blanks around") << "  1391 / 2 /10  " << true << 1391 << 2 << 10;
    QTest::newRow("trailing separator") << "1391/2/10/" << true << 1391 << 2 << 10;
    QTest::newRow("trailing separator and blanks") << "1391/2/10 / " << true << 1391 << 2 << 10;
    QTest::newRow("two numbers: this year") << "2/10" << true << 1391 << 2 << 10;
    QTest::newRow("two-digit year") << "91/2/10" << true << 1391 << 2 << 10;
    QTest::newRow("two-digit year at the base") << "41/1/1" << true << 1341 << 1 << 1;
    QTest::newRow("two-digit year below the base") << "40/1/1" << true << 1440 << 1 << 1;
    QTest::newRow("one-digit year") << "5/1/1" << true << 1405 << 1 << 1;
    QTest::newRow("two digits with a zero") << "00/1/1" << true << 1400 << 1 << 1;
    QTest::newRow("three-digit year is kept") << "091/2/10" << true << 91 << 2 << 10;
    QTest::newRow("leading zeros count in the length") << "0001/1/1" << true << 1 << 1 << 1;
    QTest::newRow("last day") << "9999/12/29" << true << 9999 << 12 << 29;
    QTest::newRow("leap day") << "1391/12/30" << true << 1391 << 12 << 30;

    QTest::newRow("dash separators") << "1391-02-10" << false << 0 << 0 << 0;
    QTest::newRow("no such day in Mehr") << "1391/7/31" << false << 0 << 0 << 0;
    QTest::newRow("no leap day in 1390") << "1390/12/30" << false << 0 << 0 << 0;
    QTest::newRow("text after the date") << "1391/2/10 12:00" << false << 0 << 0 << 0;
    QTest::newRow("number stops at 1000") << "13910/1/1" << false << 0 << 0 << 0;
    QTest::newRow("year 0") << "0000/1/1" << false << 0 << 0 << 0;
    QTest::newRow("month 13") << "1391/13/1" << false << 0 << 0 << 0;
    QTest::newRow("day 0") << "1391/1/0" << false << 0 << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0 << 0;
    QTest::newRow("blanks only") << "   " << false << 0 << 0 << 0;
    QTest::newRow("one number") << "1391" << false << 0 << 0 << 0;
    QTest::newRow("third number missing") << "1391/2/" << false << 0 << 0 << 0;
    QTest::newRow("separator but no number") << "/2/10" << false << 0 << 0 << 0;
    QTest::newRow("two numbers and a separator") << "2/10/" << false << 0 << 0 << 0;
    QTest::newRow("two trailing separators") << "1391/2/10//" << false << 0 << 0 << 0;
    QTest::newRow("Persian digits are no digits") << QString::fromUtf8("۱۳۹۱/۲/۱۰") << false << 0 << 0 << 0;
    QTest::newRow("tab is no blank") << "\t1391/2/10" << false << 0 << 0 << 0;
    QTest::newRow("sign") << "+1391/2/10" << false << 0 << 0 << 0;
}

void tst_ShDateText::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    TDateTime value = -7.5;
    QCOMPARE(ShTryStrToDate(text, value), ok);
    if (ok)
        QCOMPARE(value, ShEncodeDate(year, month, day));
    else
        QCOMPARE(value, -7.5);
    // The plain form gives the same date, or raises the conversion error naming the text.
    QString raised;
    try {
        const TDateTime plain = ShStrToDate(text);
        QCOMPARE(plain, value);
    } catch (const EConvertError& e) {
        raised = QString::fromUtf8(e.what());
    }
    QCOMPARE(raised, ok ? QString() : "Invalid date '" + text + "'");
}

void tst_ShDateText::parseFieldOrders_data()
{
    QTest::addColumn<QString>("shortDateFormat");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("day first") << "dd/MM/yyyy"
                               << "10/02/1391" << 1391 << 2 << 10;
    QTest::newRow("day first, two numbers") << "dd/MM/yyyy"
                                            << "10/2" << 1391 << 2 << 10;
    QTest::newRow("day first, two-digit year") << "d/M/yy"
                                               << "10/2/41" << 1341 << 2 << 10;
    QTest::newRow("month first") << "MM/dd/yyyy"
                                 << "2/10/1391" << 1391 << 2 << 10;
    QTest::newRow("month first, two numbers") << "MM/dd/yyyy"
                                              << "2/10" << 1391 << 2 << 10;
    QTest::newRow("no field letters: month first") << "'x'"
                                                   << "2/10/1391" << 1391 << 2 << 10;
    QTest::newRow("first letter decides") << "'-' Yyyy/dd/MM"
                                          << "1391/2/10" << 1391 << 2 << 10;
    QTest::newRow("e orders like y") << "ee/MM/dd"
                                     << "1391/2/10" << 1391 << 2 << 10;
}

void tst_ShDateText::parseFieldOrders()
{
    QFETCH(QString, shortDateFormat);
    QFETCH(QString, text);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    FormatSettings.ShortDateFormat = shortDateFormat;
    TDateTime value = 0;
    QVERIFY(ShTryStrToDate(text, value));
    QCOMPARE(value, ShEncodeDate(year, month, day));
}

void tst_ShDateText::parseWithEra_data()
{
    QTest::addColumn<QString>("shortDateFormat");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("year");
    QTest::newRow("named era") << "gg yy/MM/dd" << 0x11 << "Heisei 24/1/1" << 2011;
    QTest::newRow("era name by part") << "gg yy/MM/dd" << 0x11 << "Sho 24/1/1" << 1948;
    QTest::newRow("unknown era name") << "gg yy/MM/dd" << 0x11 << "Meiji 1391/1/1" << 1391;
    QTest::newRow("era year from e") << "ee/MM/dd" << 0x11 << "24/1/1" << 2011;
    // 1391 + 1988 = 3379 on the era's scale: century 3300, year 24 of it, back to 1336.
    QTest::newRow("Korean era, short year") << "ee/MM/dd" << 0x12 << "24/1/1" << 1336;
    QTest::newRow("Korean era, long year") << "ee/MM/dd" << 0x12 << "3400/1/1" << 3400 - 1988;
}

void tst_ShDateText::parseWithEra()
{
    // Eras exist only in locales with an alternative calendar; this checks the arithmetic when one is set.
    QFETCH(QString, shortDateFormat);
    QFETCH(int, language);
    QFETCH(QString, text);
    QFETCH(int, year);
    FormatSettings.ShortDateFormat = shortDateFormat;
    FormatSettings.PrimaryLanguage = language;
    FormatSettings.EraNames = {"Heisei", "Showa", {}, "Taisho"};
    FormatSettings.EraYearOffsets = {1988, 1925, 0, 1911};
    TDateTime value = 0;
    QVERIFY(ShTryStrToDate(text, value));
    QCOMPARE(value, ShEncodeDate(year, 1, 1));
}

void tst_ShDateText::parseFarEast_data()
{
    QTest::addColumn<bool>("farEast");
    QTest::addColumn<QString>("shortTimeFormat");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::newRow("weekday text skipped") << true << "hh:nn"
                                          << "1391/2/10 Sun day" << true;
    QTest::newRow("stops at the AM designator") << true << "hh:nn"
                                                << "1391/2/10 Sun AM" << false;
    QTest::newRow("not Far-East: text rejected") << false << "hh:nn"
                                                 << "1391/2/10 Sun" << false;
    QTest::newRow("digit time format: skip to a digit") << true << "0h"
                                                        << "1391/2/10 Sun" << true;
    QTest::newRow("digit time format: stops at it") << true << "0h"
                                                    << "1391/2/10 Sun 5" << false;
}

void tst_ShDateText::parseFarEast()
{
    QFETCH(bool, farEast);
    QFETCH(QString, shortTimeFormat);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    FormatSettings.FarEast = farEast;
    FormatSettings.ShortDateFormat = "yyyy/MM/dd ddd";
    FormatSettings.ShortTimeFormat = shortTimeFormat;
    FormatSettings.TimeAMString = "AM";
    FormatSettings.TimePMString = "PM";
    TDateTime value = 0;
    QCOMPARE(ShTryStrToDate(text, value), ok);
    if (ok)
        QCOMPARE(value, ShEncodeDate(1391, 2, 10));
}

void tst_ShDateText::strToDateRaises_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("dashes") << "1391-02-10";
    QTest::newRow("no such day") << "1391/7/31";
    QTest::newRow("Persian text") << QString::fromUtf8("دي ۱۳۹۱");
    QTest::newRow("percent sign") << "%s/%d";
}

void tst_ShDateText::strToDateRaises()
{
    QFETCH(QString, text);
    try {
        ShStrToDate(text);
        QFAIL("nothing raised");
    } catch (const EConvertError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), "Invalid date '" + text + "'");
    }
}

void tst_ShDateText::storedTextRoundTrips_data()
{
    QTest::addColumn<QString>("shortDateFormat");
    QTest::addColumn<QString>("separator");
    QTest::newRow("yyyy/MM/dd") << "yyyy/MM/dd"
                                << "/";
    QTest::newRow("dd/MM/yyyy") << "dd/MM/yyyy"
                                << "/";
    QTest::newRow("M/d/yyyy with dots") << "M/d/yyyy"
                                        << ".";
}

void tst_ShDateText::storedTextRoundTrips()
{
    // What ShDateToStr stores, ShStrToDate reads back, for a spread of days over the whole calendar.
    QFETCH(QString, shortDateFormat);
    QFETCH(QString, separator);
    FormatSettings.ShortDateFormat = shortDateFormat;
    FormatSettings.DateSeparator = separator[0];
    for (int serial = -466699; serial <= 3185359; serial += 997) {
        const QString text = ShDateToStr(serial >= 0 ? serial + 0.25 : serial - 0.25);
        TDateTime back = 0;
        if (!ShTryStrToDate(text, back) || back != serial)
            QFAIL(qPrintable(QStringLiteral("%1 -> %2 -> %3").arg(serial).arg(text).arg(back)));
    }
    FormatSettings = TFormatSettings();
    QCOMPARE(ShDateToStr(at(1391, 2, 10, 23, 59)).size(), 10); // the width of the stored column
}

QTEST_GUILESS_MAIN(tst_ShDateText)
#include "tst_ShDateText.moc"
