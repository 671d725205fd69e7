// The calendar of a control's mode, Solar Hijri and Gregorian, up to both ends of the range; the two-digit-year
// window shared by the parser and the controls; the split of a value into day and millisecond.

#include "calendar/ShCalendarMode.h"

#include "calendar/Clock.h"
#include "tests/support/FixedClock.h"

#include <QDate>
#include <QLocale>
#include <QTest>

namespace {

// Independent of the code under test: days from 30 December 1899 as Qt counts them.
TDateTime gregorianSerial(int year, int month, int day)
{
    return static_cast<TDateTime>(QDate(1899, 12, 30).daysTo(QDate(year, month, day)));
}

} // namespace

class tst_ShCalendarMode : public QObject
{
    Q_OBJECT

private slots:
    void encodeAndDecode_data();
    void encodeAndDecode();
    void monthLength_data();
    void monthLength();
    void rangeEnds_data();
    void rangeEnds();
    void monthSteps_data();
    void monthSteps();
    void weekdayColumn_data();
    void weekdayColumn();
    void twoDigitYearWindow_data();
    void twoDigitYearWindow();
    void twoDigitYearOfTodayInEachMode();
    void dayAndMillisecond_data();
    void dayAndMillisecond();
    void dateText();
};

void tst_ShCalendarMode::encodeAndDecode_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<TDateTime>("serial"); // when valid
    QTest::newRow("Solar Hijri day serial 0") << false << 1278 << 10 << 9 << true << 0.0;
    QTest::newRow("Solar Hijri first day") << false << 1 << 1 << 1 << true << ShEncodeDate(1, 1, 1);
    QTest::newRow("Solar Hijri last day") << false << 9999 << 12 << 29 << true << ShEncodeDate(9999, 12, 29);
    QTest::newRow("Solar Hijri 30 Esfand of a common year") << false << 9999 << 12 << 30 << false << 0.0;
    QTest::newRow("Solar Hijri 30 Esfand of a leap year") << false << 1403 << 12 << 30 << true
                                                          << ShEncodeDate(1403, 12, 30);
    QTest::newRow("Solar Hijri year 0") << false << 0 << 12 << 29 << false << 0.0;
    QTest::newRow("Solar Hijri year 10000") << false << 10000 << 1 << 1 << false << 0.0;
    QTest::newRow("Solar Hijri month 13") << false << 1404 << 13 << 1 << false << 0.0;
    QTest::newRow("Gregorian day serial 0") << true << 1899 << 12 << 30 << true << 0.0;
    QTest::newRow("Gregorian first day") << true << 1 << 1 << 1 << true << gregorianSerial(1, 1, 1);
    QTest::newRow("Gregorian last day") << true << 9999 << 12 << 31 << true << gregorianSerial(9999, 12, 31);
    QTest::newRow("Gregorian year 10000") << true << 10000 << 1 << 1 << false << 0.0;
    QTest::newRow("Gregorian 29 February 1900") << true << 1900 << 2 << 29 << false << 0.0;
    QTest::newRow("Gregorian 29 February 2000") << true << 2000 << 2 << 29 << true << gregorianSerial(2000, 2, 29);
    QTest::newRow("Gregorian day 0") << true << 2000 << 1 << 0 << false << 0.0;
}

void tst_ShCalendarMode::encodeAndDecode()
{
    QFETCH(bool, gregorian);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(bool, valid);
    QFETCH(TDateTime, serial);
    const ShCalendarMode mode(gregorian);
    TDateTime value = -12345;
    QCOMPARE(mode.TryEncode(year, month, day, value), valid);
    if (!valid) {
        QCOMPARE(value, -12345.0);
        return;
    }
    QCOMPARE(value, serial);
    int y = 0, m = 0, d = 0;
    mode.Decode(ShCalendarMode::Combine(value, 0.75), y, m, d); // the time of day is no part of the date
    QCOMPARE(y, year);
    QCOMPARE(m, month);
    QCOMPARE(d, day);
    if (gregorian) {
        QCOMPARE(ShGregorianToSerial(QDate(year, month, day)), serial);
        QCOMPARE(ShCalendarMode::ToGregorian(serial), QDate(year, month, day));
    }
}

void tst_ShCalendarMode::monthLength_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("length");
    QTest::newRow("Farvardin") << false << 1404 << 1 << 31;
    QTest::newRow("Shahrivar") << false << 1404 << 6 << 31;
    QTest::newRow("Mehr") << false << 1404 << 7 << 30;
    QTest::newRow("Esfand, common year") << false << 1404 << 12 << 29;
    QTest::newRow("Esfand, leap year") << false << 1403 << 12 << 30;
    QTest::newRow("Solar Hijri month 0") << false << 1404 << 0 << 0;
    QTest::newRow("February, leap year") << true << 2024 << 2 << 29;
    QTest::newRow("February, century") << true << 1900 << 2 << 28;
    QTest::newRow("February, fourth century") << true << 2000 << 2 << 29;
    QTest::newRow("April") << true << 2023 << 4 << 30;
    QTest::newRow("Gregorian month 13") << true << 2023 << 13 << 0;
}

void tst_ShCalendarMode::monthLength()
{
    QFETCH(bool, gregorian);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, length);
    QCOMPARE(ShCalendarMode(gregorian).MonthLength(year, month), length);
}

void tst_ShCalendarMode::rangeEnds_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<TDateTime>("first");
    QTest::addColumn<TDateTime>("last");
    QTest::addColumn<int>("lastDayOfMonth");
    QTest::addColumn<int>("minimumYear");
    QTest::newRow("Solar Hijri") << false << ShEncodeDate(1, 1, 1) << ShEncodeDate(9999, 12, 29) << 29 << 100;
    QTest::newRow("Gregorian") << true << gregorianSerial(1, 1, 1) << gregorianSerial(9999, 12, 31) << 31 << 722;
}

void tst_ShCalendarMode::rangeEnds()
{
    QFETCH(bool, gregorian);
    QFETCH(TDateTime, first);
    QFETCH(TDateTime, last);
    QFETCH(int, lastDayOfMonth);
    QFETCH(int, minimumYear);
    const ShCalendarMode mode(gregorian);
    QCOMPARE(mode.FirstDay(), first);
    QCOMPARE(mode.LastDay(), last);
    QVERIFY(mode.Contains(first) && mode.Contains(last));
    QVERIFY(!mode.Contains(first - 1));
    QVERIFY(!mode.Contains(last + 1));
    QCOMPARE(mode.MinimumYear(), minimumYear);
    QCOMPARE(ShCalendarMode::MaximumYear, 9999);

    int y = 0, m = 0, d = 0;
    mode.Decode(last, y, m, d);
    QCOMPARE(y, 9999);
    QCOMPARE(m, 12);
    QCOMPARE(d, lastDayOfMonth);
    QCOMPARE(mode.FirstOfMonth(last), last - lastDayOfMonth + 1);
    QCOMPARE(mode.LastOfMonth(first), first + 30);

    // No month step leaves the range.
    TDateTime moved = -1;
    QVERIFY(!mode.TryIncMonth(last, 1, moved));
    QVERIFY(!mode.TryIncMonth(first, -1, moved));
    QCOMPARE(moved, -1.0);
    QVERIFY(mode.TryIncMonth(last, -1, moved));
    QVERIFY(mode.TryIncMonth(first, 1, moved));
    QCOMPARE(moved, first + 31);
}

void tst_ShCalendarMode::monthSteps_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<TDateTime>("from");
    QTest::addColumn<int>("months");
    QTest::addColumn<TDateTime>("to");
    QTest::newRow("31 Shahrivar to 30 Mehr") << false << ShEncodeDate(1404, 6, 31) << 1 << ShEncodeDate(1404, 7, 30);
    QTest::newRow("30 Esfand of a leap year, a year on")
        << false << ShEncodeDate(1403, 12, 30) << 12 << ShEncodeDate(1404, 12, 29);
    QTest::newRow("back over the new year") << false << ShEncodeDate(1404, 1, 10) << -2 << ShEncodeDate(1403, 11, 10);
    QTest::newRow("31 January to 29 February") << true << gregorianSerial(2024, 1, 31) << 1
                                               << gregorianSerial(2024, 2, 29);
    QTest::newRow("back over the new year, Gregorian")
        << true << gregorianSerial(2024, 1, 15) << -1 << gregorianSerial(2023, 12, 15);
}

void tst_ShCalendarMode::monthSteps()
{
    QFETCH(bool, gregorian);
    QFETCH(TDateTime, from);
    QFETCH(int, months);
    QFETCH(TDateTime, to);
    TDateTime result = 0;
    QVERIFY(ShCalendarMode(gregorian).TryIncMonth(from, months, result));
    QCOMPARE(result, to);
}

void tst_ShCalendarMode::weekdayColumn_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<TDateTime>("day");
    QTest::addColumn<int>("column");
    // Day serial 0 is a Saturday: the first column of a Solar Hijri week, the sixth of a Gregorian one.
    QTest::newRow("Saturday, Solar Hijri") << false << 0.0 << 1;
    QTest::newRow("Friday, Solar Hijri") << false << 6.0 << 7;
    QTest::newRow("Saturday, Gregorian") << true << 0.0 << 6;
    QTest::newRow("Monday, Gregorian") << true << 2.0 << 1;
    QTest::newRow("before day serial 0") << false << -1.0 << 7;
}

void tst_ShCalendarMode::weekdayColumn()
{
    QFETCH(bool, gregorian);
    QFETCH(TDateTime, day);
    QFETCH(int, column);
    const ShCalendarMode mode(gregorian);
    QCOMPARE(mode.WeekdayColumn(day), column);
    // A weekday numbered Saturday first lands in the same column.
    QCOMPARE(mode.ColumnOfWeekday(ShDayOfWeek(day)), column);
}

void tst_ShCalendarMode::twoDigitYearWindow_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("currentYear");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("expanded");
    QTest::newRow("at the window's start") << 54 << 1404 << 50 << 1354;
    QTest::newRow("just before it: the next hundred") << 53 << 1404 << 50 << 1453;
    QTest::newRow("one digit") << 5 << 1404 << 50 << 1405;
    QTest::newRow("Gregorian") << 80 << 2025 << 50 << 1980;
    QTest::newRow("Gregorian, next century") << 30 << 2025 << 50 << 2030;
    QTest::newRow("no window: the current hundred") << 3 << 1404 << 0 << 1403;
}

void tst_ShCalendarMode::twoDigitYearWindow()
{
    QFETCH(int, year);
    QFETCH(int, currentYear);
    QFETCH(int, window);
    QFETCH(int, expanded);
    QCOMPARE(ShCalendarMode::ExpandTwoDigitYear(year, currentYear, window), expanded);
}

void tst_ShCalendarMode::twoDigitYearOfTodayInEachMode()
{
    // 15 Mehr 1404 is 7 October 2025.
    ScopedFixedClock clock(QDateTime(QDate(2025, 10, 7), QTime(10, 30)));
    const Word savedWindow = FormatSettings.TwoDigitYearCenturyWindow;
    FormatSettings.TwoDigitYearCenturyWindow = 50;
    const ShCalendarMode solar(false);
    const ShCalendarMode gregorian(true);
    QCOMPARE(solar.CurrentYear(), 1404);
    QCOMPARE(gregorian.CurrentYear(), 2025);
    QCOMPARE(solar.TwoDigitWindowStart(), 1354);
    QCOMPARE(gregorian.TwoDigitWindowStart(), 1975);
    QCOMPARE(solar.ExpandTwoDigitYear(53), 1453);
    QCOMPARE(gregorian.ExpandTwoDigitYear(74), 2074);
    // The parser reads a two-digit year by the same window.
    QCOMPARE(ShStrToDate(QStringLiteral("53/01/01")), ShEncodeDate(1453, 1, 1));
    FormatSettings.TwoDigitYearCenturyWindow = savedWindow;
}

void tst_ShCalendarMode::dayAndMillisecond_data()
{
    QTest::addColumn<TDateTime>("value");
    QTest::addColumn<TDateTime>("day");
    QTest::addColumn<int>("millisecond");
    QTest::newRow("noon") << 45000.5 << 45000.0 << 43200000;
    QTest::newRow("less than half a millisecond before midnight") << 45000.0 + (1 - 0.4 / 86400000.0) << 45001.0 << 0;
    QTest::newRow("negative value: the fraction is the time") << -1.25 << -1.0 << 21600000;
}

void tst_ShCalendarMode::dayAndMillisecond()
{
    QFETCH(TDateTime, value);
    QFETCH(TDateTime, day);
    QFETCH(int, millisecond);
    QCOMPARE(ShCalendarMode::DayOf(value), day);
    QCOMPARE(ShCalendarMode::MillisecondOfDay(value), millisecond);
    QCOMPARE(ShCalendarMode::Combine(day, ShTimeValue(0, 0, 0, millisecond)), day < 0 ? value : day + millisecond / 86400000.0);
}

void tst_ShCalendarMode::dateText()
{
    const TDateTime day = ShEncodeDate(1404, 7, 15);
    QCOMPARE(ShCalendarMode(false).DateText(day + 0.5), QStringLiteral("1404/07/15"));
    QCOMPARE(ShCalendarMode(true).DateText(day + 0.5), QLocale().toString(QDate(2025, 10, 7), QLocale::ShortFormat));
    QCOMPARE(ShCalendarMode(false).MonthName(0), QString());
    QCOMPARE(ShCalendarMode(true).DayName(8), QString());
    QCOMPARE(ShCalendarMode(true).MonthName(10), QLocale().monthName(10, QLocale::LongFormat));
}

QTEST_GUILESS_MAIN(tst_ShCalendarMode)
#include "tst_ShCalendarMode.moc"
