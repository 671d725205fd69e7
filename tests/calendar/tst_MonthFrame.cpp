// The frame of a shown month in both calendars: first and last day, the grid's first day (a month that begins in
// the first weekday column starts the grid a week early, one that begins in the last column six days early),
// the week numbers of its first and last grid week, and the weekday masks of months, up to the calendar's first
// and last month.

#include "calendar/MonthFrame.h"

#include <QTest>

namespace {

// A week number the row leaves unchecked.
constexpr int kAnyWeek = -1;

// "4,11,18" as the bits of those days.
std::uint32_t daysMask(const QString& days)
{
    std::uint32_t mask = 0;
    for (const QString& day : days.split(u',', Qt::SkipEmptyParts))
        mask |= std::uint32_t(1) << (day.toInt() - 1);
    return mask;
}

} // namespace

class tst_MonthFrame : public QObject
{
    Q_OBJECT

private slots:
    void frame_data();
    void frame();
    void weekdayMask_data();
    void weekdayMask();
};

void tst_MonthFrame::frame_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("length");
    // Days of the month before that the grid shows.
    QTest::addColumn<int>("lead");
    QTest::addColumn<int>("firstWeek");
    QTest::addColumn<int>("lastWeek");

    // Solar Hijri weeks begin on Saturday; week 1 is the first with four days of the year.
    QTest::newRow("Shahrivar 1404 begins on Saturday") << false << 1404 << 6 << 31 << 7 << 22 << 27;
    QTest::newRow("Farvardin 1404 begins on Friday") << false << 1404 << 1 << 31 << 6 << 52 << 5;
    QTest::newRow("Mehr 1404, 30 days, Tuesday") << false << 1404 << 7 << 30 << 3 << 27 << 32;
    QTest::newRow("Esfand 1403, leap, Wednesday") << false << 1403 << 12 << 30 << 4 << 48 << 1;
    QTest::newRow("Esfand 1404, 29 days, Friday") << false << 1404 << 12 << 29 << 6 << 48 << 1;
    // Its last grid week begins on 29 Esfand but holds six days of 1406, which begins on Sunday.
    QTest::newRow("Esfand 1405, the next year's week 1") << false << 1405 << 12 << 29 << 7 << 48 << 1;
    QTest::newRow("Farvardin 1, the first month") << false << 1 << 1 << 31 << 5 << 0 << 5;
    QTest::newRow("Esfand 9999, the last month") << false << 9999 << 12 << 29 << 2 << kAnyWeek << 0;

    // Gregorian weeks begin on Monday and are numbered by ISO 8601.
    QTest::newRow("September 2025 begins on Monday") << true << 2025 << 9 << 30 << 7 << 35 << 40;
    QTest::newRow("June 2025 begins on Sunday") << true << 2025 << 6 << 30 << 6 << 22 << 27;
    QTest::newRow("February 2024, 29 days, Thursday") << true << 2024 << 2 << 29 << 3 << 5 << 10;
    QTest::newRow("March 2025, 31 days, Saturday") << true << 2025 << 3 << 31 << 5 << 9 << 14;
    QTest::newRow("January 1, the first month") << true << 1 << 1 << 31 << 7 << kAnyWeek << 5;
    QTest::newRow("December 9999, the last month") << true << 9999 << 12 << 31 << 2 << 48 << kAnyWeek;
}

void tst_MonthFrame::frame()
{
    QFETCH(bool, gregorian);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, length);
    QFETCH(int, lead);
    QFETCH(int, firstWeek);
    QFETCH(int, lastWeek);

    const ShCalendarMode mode(gregorian);
    TDateTime first = 0;
    TDateTime last = 0;
    QVERIFY(mode.TryEncode(year, month, 1, first));
    QVERIFY(mode.TryEncode(year, month, length, last));

    // Any day of the month gives the same frame.
    for (const TDateTime day : {first, last}) {
        const MonthFrame frame(mode, day);
        QCOMPARE(frame.FirstOfMonth(), first);
        QCOMPARE(frame.LastOfMonth(), last);
        QCOMPARE(frame.GridStart(), first - lead);
        QVERIFY(!frame.InMonth(first - 1));
        QVERIFY(frame.InMonth(first) && frame.InMonth(last));
        QVERIFY(!frame.InMonth(last + 1));
        QVERIFY(!frame.Shows(first - lead - 1));
        QVERIFY(frame.Shows(first - lead) && frame.Shows(first - lead + MonthFrame::DayCount - 1));
        QVERIFY(!frame.Shows(first - lead + MonthFrame::DayCount));
        if (firstWeek != kAnyWeek)
            QCOMPARE(frame.WeekNumber(0), firstWeek);
        if (lastWeek != kAnyWeek)
            QCOMPARE(frame.WeekNumber(5), lastWeek);
        // The frame's own month, weekday by weekday.
        for (int weekday = 1; weekday <= 7; ++weekday)
            QCOMPARE(frame.WeekdayMask(weekday), MonthFrame::WeekdayMask(mode, year, month, weekday));
    }
}

void tst_MonthFrame::weekdayMask_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    // 1 Saturday .. 7 Friday, in both calendars.
    QTest::addColumn<int>("weekday");
    QTest::addColumn<QString>("days");

    QTest::newRow("Saturdays of Mordad 1404") << false << 1404 << 5 << 1 << "4,11,18,25";
    QTest::newRow("Fridays of Farvardin 1404") << false << 1404 << 1 << 7 << "1,8,15,22,29";
    QTest::newRow("Fridays of Esfand 1404, 29 days") << false << 1404 << 12 << 7 << "1,8,15,22,29";
    QTest::newRow("Thursdays of Farvardin 1") << false << 1 << 1 << 6 << "1,8,15,22,29";
    QTest::newRow("Sundays of September 2025") << true << 2025 << 9 << 2 << "7,14,21,28";
    QTest::newRow("Mondays of September 2025") << true << 2025 << 9 << 3 << "1,8,15,22,29";
    QTest::newRow("Fridays of December 9999") << true << 9999 << 12 << 7 << "3,10,17,24,31";
    // The mask runs on to day 31 whatever the month's length.
    QTest::newRow("Saturdays of February 2024") << true << 2024 << 2 << 1 << "3,10,17,24,31";
    QTest::newRow("a Solar Hijri month 13") << false << 1404 << 13 << 1 << "";
    QTest::newRow("a Solar Hijri year 10000") << false << 10000 << 1 << 1 << "";
    QTest::newRow("a Gregorian year 0") << true << 0 << 1 << 1 << "";
}

void tst_MonthFrame::weekdayMask()
{
    QFETCH(bool, gregorian);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, weekday);
    QFETCH(QString, days);

    QCOMPARE(MonthFrame::WeekdayMask(ShCalendarMode(gregorian), year, month, weekday), daysMask(days));
}

QTEST_GUILESS_MAIN(tst_MonthFrame)
#include "tst_MonthFrame.moc"
