// Solar Hijri arithmetic: encode/decode, leap rule, month stepping, week numbers, date-time values and the
// settable clock.

#include "calendar/Clock.h"
#include "calendar/ShDateUtils.h"

#include <QDate>
#include <QDateTime>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

constexpr TDateTime FirstSerial = -466699; // (1, 1, 1)
constexpr TDateTime LastSerial = 3185359;  // (9999, 12, 29)

// Expects the call to raise EConvertError with exactly this message.
template <typename F> QString raisedMessage(F&& call)
{
    try {
        call();
    } catch (const EConvertError& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("<nothing raised>");
}

} // namespace

class tst_ShDateUtils : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void leapYears_data();
    void leapYears();
    void leapYearCount_data();
    void leapYearCount();
    void monthDays();

    void referencePoints_data();
    void referencePoints();
    void tryEncodeDate_data();
    void tryEncodeDate();
    void encodeDateRaises();
    void decodeBeforeFirstDay();
    void decodeTimeOfDay_data();
    void decodeTimeOfDay();
    void nearMidnightRoundsToTheMillisecond_data();
    void nearMidnightRoundsToTheMillisecond();
    void decodeOutsideCalendar_data();
    void decodeOutsideCalendar();
    void everyDayRoundTrips();

    void incAMonth_data();
    void incAMonth();
    void incMonthKeepsTimeOfDay_data();
    void incMonthKeepsTimeOfDay();
    void incMonthRaisesOutsideYears_data();
    void incMonthRaisesOutsideYears();

    void weekOfTheYear_data();
    void weekOfTheYear();
    void weekNumbersFollowTheirRule_data();
    void weekNumbersFollowTheirRule();

    void encodeDateTime_data();
    void encodeDateTime();
    void encodeDateTimeMessage_data();
    void encodeDateTimeMessage();

    void currentYearReadsTheClock();
    void systemClockIsLocalDate();
};

void tst_ShDateUtils::init()
{
    FormatSettings = TFormatSettings();
    Clock::setFixed(ShEncodeDate(1391, 5, 5) + 0.5);
}

void tst_ShDateUtils::cleanup()
{
    FormatSettings = TFormatSettings();
    Clock::useSystem();
}

void tst_ShDateUtils::leapYears_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("leap");
    for (int y : {1, 5, 9, 13, 17, 22, 26, 30, 34, 1391, 1395, 1399, 1403, 1408, 9996, 65535})
        QTest::addRow("%d", y) << y << true;
    for (int y : {0, 2, 21, 32, 33, 66, 1390, 1404, 9999, 65534})
        QTest::addRow("%d", y) << y << false;
}

void tst_ShDateUtils::leapYears()
{
    QFETCH(int, year);
    QFETCH(bool, leap);
    QCOMPARE(ShIsLeapYear(static_cast<Word>(year)), leap);
}

void tst_ShDateUtils::leapYearCount_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("count");
    const int rows[][2] = {{0, 0},  {1, 1},  {4, 1},  {5, 2},      {21, 5},      {22, 6},
                           {32, 8}, {33, 8}, {34, 9}, {1391, 338}, {9999, 2424}, {65535, 15888}};
    for (const auto& r : rows)
        QTest::addRow("%d", r[0]) << r[0] << r[1];
}

void tst_ShDateUtils::leapYearCount()
{
    QFETCH(int, year);
    QFETCH(int, count);
    QCOMPARE(ShLeapYearCount(static_cast<Word>(year)), count);
}

void tst_ShDateUtils::monthDays()
{
    int common = 0, leap = 0;
    for (int m = 1; m <= 12; ++m) {
        common += ShMonthDays[0][m];
        leap += ShMonthDays[1][m];
    }
    QCOMPARE(common, 365);
    QCOMPARE(leap, 366);
    QCOMPARE(ShMonthDays[0][12], Word(29));
    QCOMPARE(ShMonthDays[1][12], Word(30));
    QCOMPARE(ShMonthDays[0][6], Word(31));
    QCOMPARE(ShMonthDays[0][7], Word(30));
}

void tst_ShDateUtils::referencePoints_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("serial");
    QTest::addColumn<int>("weekday");
    QTest::newRow("1/1/1") << 1 << 1 << 1 << -466699 << 6;
    QTest::newRow("serial 0") << 1278 << 10 << 9 << 0 << 1;
    QTest::newRow("1300/1/1") << 1300 << 1 << 1 << 7751 << 3;
    QTest::newRow("1391/1/1") << 1391 << 1 << 1 << 40988 << 4;
    QTest::newRow("1391/2/10") << 1391 << 2 << 10 << 41028 << 2;
    QTest::newRow("1392/1/1") << 1392 << 1 << 1 << 41354 << 6;
    QTest::newRow("1403/12/30") << 1403 << 12 << 30 << 45736 << 6;
    QTest::newRow("1404/1/1") << 1404 << 1 << 1 << 45737 << 7;
    QTest::newRow("9999/12/29") << 9999 << 12 << 29 << 3185359 << 3;
    QTest::newRow("33/12/29 end of a cycle") << 33 << 12 << 29 << 12053 - 466700 << 4;
}

void tst_ShDateUtils::referencePoints()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, serial);
    QFETCH(int, weekday);

    QCOMPARE(ShEncodeDate(year, month, day), TDateTime(serial));

    Word y, m, d, dow;
    const bool leap = ShDecodeDateFully(serial, y, m, d, dow);
    QCOMPARE(int(y), year);
    QCOMPARE(int(m), month);
    QCOMPARE(int(d), day);
    QCOMPARE(int(dow), weekday);
    QCOMPARE(leap, ShIsLeapYear(y));
    QCOMPARE(int(ShDayOfWeek(serial)), weekday);
    // The time of day never moves a value to another date (negative values carry it below the day).
    ShDecodeDate(serial >= 0 ? serial + 0.75 : serial - 0.75, y, m, d);
    QCOMPARE(int(d), day);
}

void tst_ShDateUtils::tryEncodeDate_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("ok");
    QTest::newRow("30 Esfand of a leap year") << 1391 << 12 << 30 << true;
    QTest::newRow("30 Esfand of a common year") << 1390 << 12 << 30 << false;
    QTest::newRow("31 Shahrivar") << 1391 << 6 << 31 << true;
    QTest::newRow("31 Mehr") << 1391 << 7 << 31 << false;
    QTest::newRow("year 10000") << 10000 << 1 << 1 << false;
    QTest::newRow("year 0") << 0 << 1 << 1 << false;
    QTest::newRow("month 0") << 1391 << 0 << 1 << false;
    QTest::newRow("month 13") << 1391 << 13 << 1 << false;
    QTest::newRow("day 0") << 1391 << 1 << 0 << false;
    QTest::newRow("day 32") << 1391 << 1 << 32 << false;
    QTest::newRow("all bits") << 65535 << 65535 << 65535 << false;
}

void tst_ShDateUtils::tryEncodeDate()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(bool, ok);
    TDateTime value = -12345.5;
    QCOMPARE(ShTryEncodeDate(year, month, day, value), ok);
    if (!ok)
        QCOMPARE(value, -12345.5); // untouched on failure
    // The plain form gives the same value, or raises the conversion error with its fixed text.
    if (ok)
        QCOMPARE(ShEncodeDate(year, month, day), value);
    else
        QCOMPARE(raisedMessage([&] { ShEncodeDate(year, month, day); }),
                 QStringLiteral("Invalid argument to date encode"));
}

void tst_ShDateUtils::encodeDateRaises()
{
    // Callers that catch the standard base see the same text as those that catch the conversion error.
    try {
        ShEncodeDate(1391, 13, 1);
        QFAIL("nothing raised");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Invalid argument to date encode"));
    }
}

void tst_ShDateUtils::decodeBeforeFirstDay()
{
    Word y = 9, m = 9, d = 9, dow = 9;
    QCOMPARE(ShDecodeDateFully(FirstSerial - 1, y, m, d, dow), false);
    QCOMPARE(y, Word(0));
    QCOMPARE(m, Word(0));
    QCOMPARE(d, Word(0));
    QCOMPARE(dow, Word(0));

    QCOMPARE(ShDecodeDateFully(FirstSerial, y, m, d, dow), true); // year 1 is a leap year
    QCOMPARE(y, Word(1));
    QCOMPARE(m, Word(1));
    QCOMPARE(d, Word(1));
    QCOMPARE(dow, Word(6));
}

void tst_ShDateUtils::decodeTimeOfDay_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("weekday");
    QTest::newRow("-0.25 is serial 0 at 06:00") << -0.25 << 1278 << 10 << 9 << 1;
    QTest::newRow("-1.25 is serial -1 at 06:00") << -1.25 << 1278 << 10 << 8 << 7;
    QTest::newRow("under half a ms before midnight") << 40988.9999999999 << 1391 << 1 << 2 << 5;
    QTest::newRow("one ms before midnight") << 40988 + 86399999.0 / 86400000.0 << 1391 << 1 << 1 << 4;
    QTest::newRow("negative, under half a ms to the next day") << -0.9999999999 << 1278 << 10 << 8 << 7;
}

void tst_ShDateUtils::decodeTimeOfDay()
{
    QFETCH(double, value);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, weekday);
    Word y, m, d, dow;
    ShDecodeDateFully(value, y, m, d, dow);
    QCOMPARE(int(y), year);
    QCOMPARE(int(m), month);
    QCOMPARE(int(d), day);
    QCOMPARE(int(dow), weekday);
    QCOMPARE(int(ShDayOfWeek(value)), weekday);
}

void tst_ShDateUtils::nearMidnightRoundsToTheMillisecond_data()
{
    QTest::addColumn<int>("serial");
    for (int serial : {-466699, -2, -1, 0, 1, 40988, 3185358})
        QTest::addRow("%d", serial) << serial;
}

void tst_ShDateUtils::nearMidnightRoundsToTheMillisecond()
{
    // The last two milliseconds of a day, in steps far finer than a millisecond: the day is the one the value
    // rounded to the nearest millisecond falls in (the next one within half a millisecond of midnight).
    QFETCH(int, serial);
    for (int k = 0; k <= 2500; ++k) {
        const double fraction = 1.0 - k * 1e-11;
        const double value = serial >= 0 ? serial + fraction : serial - fraction;
        const long long ms = std::llround(value * 86400000.0);
        const Word expectedDow = ShDayOfWeek(double(ms / 86400000));
        Word y, m, d, ey, em, ed;
        ShDecodeDate(value, y, m, d);
        ShDecodeDate(double(ms / 86400000), ey, em, ed);
        if (y != ey || m != em || d != ed || ShDayOfWeek(value) != expectedDow)
            QFAIL(qPrintable(QStringLiteral("%1 decoded to %2/%3/%4, expected %5/%6/%7")
                                 .arg(value, 0, 'g', 17)
                                 .arg(y)
                                 .arg(m)
                                 .arg(d)
                                 .arg(ey)
                                 .arg(em)
                                 .arg(ed)));
    }
}

void tst_ShDateUtils::decodeOutsideCalendar_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("day after the last encodable") << LastSerial + 1 << 10000 << 1 << 1;
    QTest::newRow("far future") << 1e300 << 0 << 0 << 0;
    QTest::newRow("far past") << -1e300 << 0 << 0 << 0;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << 0 << 0 << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0 << 0 << 0;
}

void tst_ShDateUtils::decodeOutsideCalendar()
{
    QFETCH(double, value);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    Word y, m, d;
    ShDecodeDate(value, y, m, d);
    QCOMPARE(int(y), year);
    QCOMPARE(int(m), month);
    QCOMPARE(int(d), day);
    const int dow = ShDayOfWeek(value);
    QVERIFY(dow >= 1 && dow <= 7); // always a valid index into the weekday names
}

void tst_ShDateUtils::everyDayRoundTrips()
{
    // Walks the whole calendar a day at a time: each serial must decode to the day after the previous one (a
    // calendar step that knows only the month lengths), encode back to itself, and the weekday must cycle.
    int y = 1, m = 1, d = 1, expectedDow = 6;
    for (int serial = -466699; serial <= 3185359; ++serial) {
        Word yy, mm, dd, dow;
        const bool leap = ShDecodeDateFully(serial, yy, mm, dd, dow);
        if (yy != y || mm != m || dd != d || dow != expectedDow || leap != ShIsLeapYear(yy))
            QFAIL(qPrintable(QStringLiteral("serial %1 decoded to %2/%3/%4 (weekday %5), expected %6/%7/%8 (%9)")
                                 .arg(serial)
                                 .arg(yy)
                                 .arg(mm)
                                 .arg(dd)
                                 .arg(dow)
                                 .arg(y)
                                 .arg(m)
                                 .arg(d)
                                 .arg(expectedDow)));
        TDateTime back;
        if (!ShTryEncodeDate(yy, mm, dd, back) || back != serial)
            QFAIL(qPrintable(QStringLiteral("%1/%2/%3 did not encode to %4").arg(y).arg(m).arg(d).arg(serial)));
        if (++d > ShMonthDays[ShIsLeapYear(y)][m]) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
        expectedDow = expectedDow % 7 + 1;
    }
    QCOMPARE(y, 10000); // the walk ended exactly after 29 Esfand 9999
    TDateTime unused;
    QVERIFY(!ShTryEncodeDate(9999, 12, 30, unused));
}

// A date, a number of months to step and the date expected.
static void addMonthStepColumns()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("toYear");
    QTest::addColumn<int>("toMonth");
    QTest::addColumn<int>("toDay");
}

void tst_ShDateUtils::incAMonth_data()
{
    addMonthStepColumns();
    QTest::newRow("31 Shahrivar + 1 clamps") << 1391 << 6 << 31 << 1 << 1391 << 7 << 30;
    QTest::newRow("30 Esfand leap + 12 clamps") << 1391 << 12 << 30 << 12 << 1392 << 12 << 29;
    QTest::newRow("back over the new year") << 1391 << 1 << 15 << -1 << 1390 << 12 << 15;
    QTest::newRow("-14") << 1391 << 3 << 10 << -14 << 1390 << 1 << 10;
    QTest::newRow("forward over the new year") << 1391 << 12 << 5 << 1 << 1392 << 1 << 5;
    QTest::newRow("+11 into Esfand") << 1391 << 1 << 31 << 11 << 1391 << 12 << 30;
    QTest::newRow("-12 exactly") << 1391 << 7 << 1 << -12 << 1390 << 7 << 1;
    QTest::newRow("+25") << 1390 << 12 << 29 << 25 << 1393 << 1 << 29;
    QTest::newRow("-25") << 1393 << 1 << 29 << -25 << 1390 << 12 << 29;
    QTest::newRow("zero") << 1391 << 6 << 31 << 0 << 1391 << 6 << 31;
}

void tst_ShDateUtils::incAMonth()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, months);
    Word y = year, m = month, d = day;
    ShIncAMonth(y, m, d, months);
    QTEST(int(y), "toYear");
    QTEST(int(m), "toMonth");
    QTEST(int(d), "toDay");
}

void tst_ShDateUtils::incMonthKeepsTimeOfDay_data()
{
    addMonthStepColumns();
    QTest::newRow("after serial 0") << 1391 << 1 << 31 << 6 << 1391 << 7 << 30;
    QTest::newRow("before serial 0") << 1278 << 1 << 31 << 6 << 1278 << 7 << 30;
    QTest::newRow("from before to after serial 0") << 1278 << 9 << 20 << 2 << 1278 << 11 << 20;
    QTest::newRow("from after to before serial 0") << 1278 << 11 << 20 << -2 << 1278 << 9 << 20;
}

void tst_ShDateUtils::incMonthKeepsTimeOfDay()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, months);
    QFETCH(int, toYear);
    QFETCH(int, toMonth);
    QFETCH(int, toDay);
    const TDateTime from = ShEncodeDateTime(year, month, day, 18, 0, 0, 0);
    const TDateTime to = ShIncMonth(from, months);
    QCOMPARE(to, ShEncodeDateTime(toYear, toMonth, toDay, 18, 0, 0, 0));
}

void tst_ShDateUtils::incMonthRaisesOutsideYears_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("months");
    QTest::newRow("past year 9999") << LastSerial << 1;
    QTest::newRow("before year 1") << FirstSerial << -1;
    QTest::newRow("before the calendar") << FirstSerial - 10 << 1;
}

void tst_ShDateUtils::incMonthRaisesOutsideYears()
{
    QFETCH(double, value);
    QFETCH(int, months);
    const double v = value;
    const int k = months;
    QCOMPARE(raisedMessage([v, k] { ShIncMonth(v, k); }), QStringLiteral("Invalid argument to date encode"));
}

void tst_ShDateUtils::weekOfTheYear_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("week");
    // 1391 begins on a Tuesday, 1392 on a Thursday, 1390 on a Monday.
    QTest::newRow("default, 1391 starts in week 1") << 0 << 1391 << 1 << 1 << 1;
    QTest::newRow("default, 1392/1/1 is week 53 of 1391") << 0 << 1392 << 1 << 1 << 53;
    QTest::newRow("default, 1392 week 1 starts on 3 Farvardin") << 0 << 1392 << 1 << 3 << 1;
    QTest::newRow("four days, end of 1390 is week 1 of 1391") << 2 << 1390 << 12 << 29 << 1;
    QTest::newRow("four days, first Saturday of 1391") << 2 << 1391 << 1 << 5 << 2;
    QTest::newRow("full week, 1391/1/1 is week 52 of 1390") << 3 << 1391 << 1 << 1 << 52;
    QTest::newRow("full week, 1391/1/5") << 3 << 1391 << 1 << 5 << 1;
    QTest::newRow("first day, 1391/1/1") << 1 << 1391 << 1 << 1 << 1;
    QTest::newRow("first day, end of 1391 is week 1") << 1 << 1391 << 12 << 30 << 1;
    QTest::newRow("other code keeps 53 at the end") << 7 << 1391 << 12 << 30 << 53;
    QTest::newRow("other code starts like first day") << 7 << 1391 << 1 << 1 << 1;
    // The first and last encodable days have neighbours outside 1..9999.
    QTest::newRow("default, 1/1/1") << 0 << 1 << 1 << 1 << 52;
    QTest::newRow("full week, 1/1/1") << 3 << 1 << 1 << 1 << 52;
    QTest::newRow("first day, 9999/12/29") << 1 << 9999 << 12 << 29 << 1;
    QTest::newRow("default, 9999/12/29") << 0 << 9999 << 12 << 29 << 1;
}

void tst_ShDateUtils::weekOfTheYear()
{
    QFETCH(int, rule);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, week);
    const TDateTime value = ShEncodeDate(year, month, day) + 0.5;
    QCOMPARE(ShWeekOfTheYear(static_cast<std::uint8_t>(rule), value), week);
}

void tst_ShDateUtils::weekNumbersFollowTheirRule_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("anchor"); // weekday (1 Saturday .. 7 Friday) whose first occurrence marks week 1
    QTest::newRow("1: the week of 1 Farvardin") << 1 << 0;
    QTest::newRow("2: the week of the first Tuesday") << 2 << 4;
    QTest::newRow("3: the week of the first Saturday") << 3 << 1;
}

void tst_ShDateUtils::weekNumbersFollowTheirRule()
{
    // Over the whole calendar: a week number stays the same from Saturday to Friday, goes up by one at each
    // Saturday, and starts again at 1 exactly in the week the rule names.
    QFETCH(int, rule);
    QFETCH(int, anchor);
    int previous = ShWeekOfTheYear(rule, FirstSerial);
    for (int serial = FirstSerial + 1; serial <= LastSerial; ++serial) {
        const int week = ShWeekOfTheYear(rule, serial);
        const int dow = ShDayOfWeek(serial);
        bool weekOne = false;
        if (dow == 1) {
            // Does the week serial .. serial + 6 hold the day that marks week 1?
            for (int k = 0; k < 7 && !weekOne; ++k) {
                Word y, m, d;
                ShDecodeDate(serial + k, y, m, d);
                if (m == 1 && (anchor == 0 ? d == 1 : (d <= 7 && ShDayOfWeek(serial + k) == anchor)))
                    weekOne = true;
                if (y == 0)
                    break;
            }
        }
        const int expected = dow != 1 ? previous : (weekOne ? 1 : previous + 1);
        if (week != expected || week > 53)
            QFAIL(qPrintable(QStringLiteral("rule %1, serial %2: week %3, expected %4")
                                 .arg(rule)
                                 .arg(serial)
                                 .arg(week)
                                 .arg(expected)));
        previous = week;
    }
}

void tst_ShDateUtils::encodeDateTime_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<double>("value");
    QTest::newRow("noon") << 1391 << 1 << 1 << 12 << 0 << 40988.5;
    QTest::newRow("serial 0 at 06:00 takes the negative form") << 1278 << 10 << 9 << 6 << 0 << -0.25;
    QTest::newRow("serial -1 at 06:00") << 1278 << 10 << 8 << 6 << 0 << -1.25;
    QTest::newRow("first day at 18:00") << 1 << 1 << 1 << 18 << 0 << -466699.75;
}

void tst_ShDateUtils::encodeDateTime()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(double, value);
    QCOMPARE(ShEncodeDateTime(year, month, day, hour, minute, 0, 0), value);
    TDateTime out = 0;
    QVERIFY(ShTryEncodeDateTime(year, month, day, hour, minute, 0, 0, out));
    QCOMPARE(out, value);
}

void tst_ShDateUtils::encodeDateTimeMessage_data()
{
    QTest::addColumn<QList<int>>("fields");
    QTest::addColumn<QString>("separators"); // date, time, decimal
    QTest::addColumn<QString>("message");
    QTest::newRow("month 13") << QList<int>{1391, 13, 1, 10, 0, 0, 0} << "/:."
                              << "'1391/13/1 10:0:0.0' is not a valid date and time";
    QTest::newRow("hour 24") << QList<int>{1391, 1, 1, 24, 0, 0, 0} << "/:."
                             << "'1391/1/1 24:0:0.0' is not a valid date and time";
    QTest::newRow("minute 60") << QList<int>{1391, 1, 1, 0, 60, 0, 0} << "/:."
                               << "'1391/1/1 0:60:0.0' is not a valid date and time";
    QTest::newRow("second 60") << QList<int>{1391, 1, 1, 0, 0, 60, 0} << "/:."
                               << "'1391/1/1 0:0:60.0' is not a valid date and time";
    QTest::newRow("millisecond 1000") << QList<int>{1391, 1, 1, 0, 0, 0, 1000} << "/:."
                                      << "'1391/1/1 0:0:0.1000' is not a valid date and time";
    QTest::newRow("all bits set show ?") << QList<int>{65535, 2, 3, 4, 5, 6, 65535} << "/:."
                                         << "'?/2/3 4:5:6.?' is not a valid date and time";
    QTest::newRow("the settings' separators") << QList<int>{1390, 12, 30, 1, 2, 3, 4} << "-.,"
                                              << "'1390-12-30 1.2.3,4' is not a valid date and time";
}

void tst_ShDateUtils::encodeDateTimeMessage()
{
    QFETCH(QList<int>, fields);
    QFETCH(QString, separators);
    QFETCH(QString, message);
    FormatSettings.DateSeparator = separators[0];
    FormatSettings.TimeSeparator = separators[1];
    FormatSettings.DecimalSeparator = separators[2];
    const auto f = fields;
    QCOMPARE(raisedMessage([f] { ShEncodeDateTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]); }), message);
    TDateTime out = 77;
    QVERIFY(!ShTryEncodeDateTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6], out));
}

void tst_ShDateUtils::currentYearReadsTheClock()
{
    Clock::setFixed(ShEncodeDate(1403, 12, 30) + 0.999);
    QCOMPARE(ShCurrentYear(), Word(1403));
    QCOMPARE(Clock::today(), ShEncodeDate(1403, 12, 30));
    QCOMPARE(Clock::now(), ShEncodeDate(1403, 12, 30) + 0.999);
    Clock::setFixed(ShEncodeDate(1404, 1, 1));
    QCOMPARE(ShCurrentYear(), Word(1404));
}

void tst_ShDateUtils::systemClockIsLocalDate()
{
    Clock::useSystem();
    // Retry once should the test run across local midnight.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QDateTime local = QDateTime::currentDateTime();
        const TDateTime today = Clock::today();
        const TDateTime now = Clock::now();
        const qint64 serial = QDate(1899, 12, 30).daysTo(local.date());
        if (today != TDateTime(serial))
            continue;
        QCOMPARE(today, TDateTime(serial));
        QVERIFY(now >= today && now < today + 1);
        const double msOfDay = local.time().msecsSinceStartOfDay();
        QVERIFY(std::fabs((now - today) * 86400000.0 - msOfDay) < 5000);
        return;
    }
    QFAIL("Clock::today() is not the local date");
}

QTEST_GUILESS_MAIN(tst_ShDateUtils)
#include "tst_ShDateUtils.moc"
