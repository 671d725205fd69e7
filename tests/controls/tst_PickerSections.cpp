#include "controls/PickerSections.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"

#include <QTest>

// The clock stands still at 12 Mordad 1404 (3 August 2025), 10:30:45: the two-digit-year window runs from 1354 to
// 1453 (Gregorian 1975 to 2074).
static TDateTime fixedNow()
{
    return ShEncodeDate(1404, 5, 12) + ShTimeValue(10, 30, 45, 0);
}

static int sectionIndex(const QString& name)
{
    static const QStringList names = {"year", "month", "day", "hour", "minute", "second", "msec", "ampm"};
    return names.indexOf(name);
}

// What the sections show: year/month/day, a blank, hour:minute[:second] [AM/PM].
static QString display(const TPickerSections& s)
{
    QStringList date;
    for (int section : {TPickerSections::secYear, TPickerSections::secMonth, TPickerSections::secDay})
        if (s.IsVisible(section))
            date << s.Text(section);
    QStringList time;
    for (int section : {TPickerSections::secHour, TPickerSections::secMinute, TPickerSections::secSecond})
        if (s.IsVisible(section))
            time << s.Text(section);
    QString out = date.join(QLatin1Char('/'));
    if (!time.isEmpty()) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += time.join(QLatin1Char(':'));
    }
    if (s.IsVisible(TPickerSections::secAmPm))
        out += QLatin1Char(' ') + s.Text(TPickerSections::secAmPm);
    return out;
}

static TDateTime timeOf(const QString& text)
{
    const QStringList t = text.split(QLatin1Char(':'));
    return ShTimeValue(t[0].toInt(), t[1].toInt(), t.value(2).toInt(), 0);
}

// Setup words: ymd, dmy, noauto, nointelli, dt, time, sec (ShowSecond), 12h, greg, min=/max= (date),
// mintime=/maxtime=, maxdt=yyyy/MM/dd-hh:mm, at=<section>. The start is "yyyy/MM/dd [hh:mm[:ss]]", or
// "g:yyyy/MM/dd" for a Gregorian day.
static void applySetup(TPickerSections& s, const QString& setup, const QString& start)
{
    QString at;
    for (const QString& word : setup.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == "ymd")
            s.SetAutoMoveDirection(amdYMD);
        else if (word == "dmy")
            s.SetAutoMoveDirection(amdDMY);
        else if (word == "noauto")
            s.SetAutoMove(false);
        else if (word == "nointelli")
            s.SetIntelliYearDigits(false);
        else if (word == "dt")
            s.SetKind(dtkDateTime);
        else if (word == "time")
            s.SetKind(dtkTime);
        else if (word == "sec")
            s.SetShowSecond(true);
        else if (word == "12h")
            s.SetUse12HourClock(true);
        else if (word == "greg")
            s.SetMode(ShCalendarMode(true));
        else if (word.startsWith("min="))
            s.SetMinDate(ShStrToDate(word.mid(4)));
        else if (word.startsWith("max="))
            s.SetMaxDate(ShStrToDate(word.mid(4)));
        else if (word.startsWith("mintime="))
            s.SetMinTime(timeOf(word.mid(8)));
        else if (word.startsWith("maxtime="))
            s.SetMaxTime(timeOf(word.mid(8)));
        else if (word.startsWith("maxdt="))
            s.SetMaxDateTime(ShStrToDate(word.mid(6, 10)) + timeOf(word.mid(17)));
        else if (word.startsWith("at="))
            at = word.mid(3);
        else
            qFatal("unknown setup word %s", qPrintable(word));
    }
    const QStringList parts = start.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts[0].startsWith("g:"))
        s.SetDay(ShGregorianToSerial(QDate::fromString(parts[0].mid(2), "yyyy/MM/dd")));
    else
        s.SetDay(ShStrToDate(parts[0]));
    if (parts.size() > 1)
        s.SetTimeOfDay(timeOf(parts[1]));
    if (!at.isEmpty())
        QVERIFY2(s.SetCurrent(sectionIndex(at)), qPrintable(at));
}

// A digit as the picker types it: a section the digit completes ends the entry, and an entry that kept within
// the bounds hands the input on.
static void typeDigit(TPickerSections& s, int digit)
{
    if (s.TypeDigit(digit) == TPickerSections::deComplete && s.Commit())
        s.MoveOn();
}

// Input: digits are typed one by one; <Name> is an operation, each ending a running entry first as the picker's
// keys do: <End> and <Home> (section limits), <C-End> and <C-Home> (the year's last and first day), <Up> and
// <Down> (steps), <PgUp> and <PgDn> (a day), <Left> and <Right> (moves), <Now> (today and now), <Commit> (the
// focus leaves).
static void type(TPickerSections& s, const QString& input)
{
    for (int i = 0; i < input.size(); ++i) {
        if (input[i] != QLatin1Char('<')) {
            typeDigit(s, input[i].digitValue());
            continue;
        }
        const int end = input.indexOf(QLatin1Char('>'), i);
        const QString name = input.mid(i + 1, end - i - 1);
        i = end;
        s.Commit();
        if (name == "Up" || name == "Down")
            s.StepSection(s.Current(), name == "Up" ? 1 : -1);
        else if (name == "Home" || name == "End")
            s.SetSectionLimit(s.Current(), name == "End");
        else if (name == "C-Home" || name == "C-End")
            s.SetYearLimit(name == "C-End");
        else if (name == "PgUp" || name == "PgDn")
            s.MoveDays(name == "PgUp" ? 1 : -1);
        else if (name == "Left" || name == "Right")
            s.SetCurrent(s.NextVisible(name == "Right" ? 1 : -1));
        else if (name == "Now")
            s.TodayAndNow();
        else
            QVERIFY2(name == "Commit", qPrintable(name));
    }
}

class tst_PickerSections : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void input_data();
    void input();
    void heldZeroShowsNothing_data();
    void heldZeroShowsNothing();
    void visibleSections_data();
    void visibleSections();
    void entryStartsWhereTheOrderBegins_data();
    void entryStartsWhereTheOrderBegins();
};

void tst_PickerSections::init()
{
    Clock::setFixed(fixedNow());
}

void tst_PickerSections::cleanup()
{
    Clock::useSystem();
}

// clang-format off
void tst_PickerSections::input_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");    // section texts after the input
    QTest::addColumn<QString>("date");     // ShDateToStr(Date) after the input ("" to skip)
    QTest::addColumn<QString>("section");  // current section after the input
    QTest::addColumn<bool>("editing");     // an entry still runs

    const QString PM = QString::fromUtf8("ب.ظ");
    const QString AM = QString::fromUtf8("ق.ظ");

    // Month digits.
    QTest::newRow("month 1,2 gives 12 and moves on to the year") << "dmy at=month" << "1404/05/12" << "12"
        << "1404/12/12" << "1404/12/12" << "year" << false;
    QTest::newRow("month 1,5 gives 5") << "dmy at=month" << "1404/03/12" << "15"
        << "1404/5/12" << "1404/05/12" << "year" << false;
    QTest::newRow("month 0,3 gives 3") << "dmy at=month" << "1404/05/12" << "03"
        << "1404/3/12" << "1404/03/12" << "year" << false;
    QTest::newRow("a lone 1 waits; Date keeps the old month") << "dmy at=month" << "1404/05/12" << "1"
        << "1404/1/12" << "1404/05/12" << "month" << true;
    QTest::newRow("a lone 1 is taken when the entry ends") << "dmy at=month" << "1404/05/12" << "1<Commit>"
        << "1404/1/12" << "1404/01/12" << "month" << false;
    QTest::newRow("a lone 1 is taken by a move") << "dmy at=month" << "1404/05/12" << "1<Right>"
        << "1404/1/12" << "1404/01/12" << "day" << false;
    QTest::newRow("Gregorian month 0,2 cuts 31 to February's 29") << "greg dmy at=month" << "g:2024/03/31" << "02"
        << "2024/2/29" << "1402/12/10" << "year" << false;

    // Day digits.
    QTest::newRow("day-first 31 in a 29-day month goes to month 1") << "dmy at=day" << "1404/12/05" << "31"
        << "1404/1/31" << "1404/01/31" << "month" << false;
    QTest::newRow("year-first 31 in a 29-day month is refused") << "ymd at=day" << "1404/12/05" << "31"
        << "1404/12/1" << "1404/12/05" << "day" << true;
    QTest::newRow("day 0,5 gives 5") << "dmy at=day" << "1404/07/12" << "05"
        << "1404/7/5" << "1404/07/05" << "month" << false;
    QTest::newRow("day 2,9 in month 7 gives 29") << "ymd at=day" << "1404/07/12" << "29"
        << "1404/7/29" << "1404/07/29" << "day" << false;
    QTest::newRow("a first digit never moves the month") << "noauto at=day" << "1404/12/03" << "1<Commit>"
        << "1404/12/1" << "1404/12/01" << "day" << false;
    QTest::newRow("without AutoMove a typed 31 in month 7 goes to month 1") << "noauto at=day" << "1404/07/10"
        << "31<Commit>" << "1404/1/31" << "1404/01/31" << "day" << false;
    QTest::newRow("Gregorian day-first 31 in February goes to January") << "greg dmy at=day" << "g:2025/02/10"
        << "31" << "2025/1/31" << "1403/11/12" << "month" << false;
    QTest::newRow("Gregorian year-first 30 in February waits") << "greg ymd at=day" << "g:2024/02/10"
        << "30" << "2024/2/3" << "1402/11/21" << "day" << true;

    // Year digits and the two-digit-year window.
    QTest::newRow("year-first 9,2 completes as 1392") << "ymd at=year" << "1404/05/12" << "92"
        << "1392/5/12" << "1392/05/12" << "month" << false;
    QTest::newRow("year-first 5,0 gives 1450") << "ymd at=year" << "1404/05/12" << "50"
        << "1450/5/12" << "1450/05/12" << "month" << false;
    QTest::newRow("year-first 5,4 wraps to 1354") << "ymd at=year" << "1404/05/12" << "54"
        << "1354/5/12" << "1354/05/12" << "month" << false;
    QTest::newRow("year-first 5,3 gives 1453") << "ymd at=year" << "1404/05/12" << "53"
        << "1453/5/12" << "1453/05/12" << "month" << false;
    QTest::newRow("day-first year 50 expands when the entry ends") << "dmy at=year" << "1404/05/12" << "50<Commit>"
        << "1450/5/12" << "1450/05/12" << "year" << false;
    QTest::newRow("a lone year digit expands too") << "dmy at=year" << "1404/05/12" << "7<Commit>"
        << "1407/5/12" << "1407/05/12" << "year" << false;
    QTest::newRow("day-first year waits for four digits") << "dmy at=year" << "1404/05/12" << "139"
        << "139/5/12" << "1404/05/12" << "year" << true;
    QTest::newRow("day-first 1399 completes") << "dmy at=year" << "1404/05/12" << "1399"
        << "1399/5/12" << "1399/05/12" << "year" << false;
    QTest::newRow("a fifth digit starts the year again") << "dmy at=year" << "1404/05/12" << "13995"
        << "5/5/12" << "1399/05/12" << "year" << true;
    QTest::newRow("a three-digit year stands") << "dmy at=year" << "1404/05/12" << "150<Commit>"
        << "150/5/12" << "0150/05/12" << "year" << false;
    QTest::newRow("without IntelliYearDigits two digits wait") << "ymd nointelli at=year" << "1404/05/12" << "92"
        << "92/5/12" << "1404/05/12" << "year" << true;
    QTest::newRow("date and time: two year digits complete day first too") << "dt dmy at=year"
        << "1404/05/12 10:30" << "92" << "1392/5/12 10:30" << "1392/05/12" << "hour" << false;
    QTest::newRow("year-first 0,4 gives 1404 and cuts Esfand 30 to 29") << "ymd at=year" << "1403/12/30"
        << "04<Commit>" << "1404/12/29" << "1404/12/29" << "month" << false;
    QTest::newRow("Gregorian year-first 9,2 gives 1992") << "greg ymd at=year" << "g:2025/08/03" << "92"
        << "1992/8/3" << "1371/05/12" << "month" << false;
    QTest::newRow("Gregorian year-first 5,0 gives 2050") << "greg ymd at=year" << "g:2025/08/03" << "50"
        << "2050/8/3" << "1429/05/12" << "month" << false;
    QTest::newRow("Gregorian year 2023 cuts 29 February to 28") << "greg dmy at=year" << "g:2024/02/29" << "2023"
        << "2023/2/28" << "1401/12/09" << "year" << false;
    QTest::newRow("Gregorian year below 722 reverts") << "greg dmy at=year" << "1404/05/12" << "500<Commit>"
        << "2025/8/3" << "1404/05/12" << "year" << false;

    // Hours, minutes, seconds.
    QTest::newRow("hour 1,5") << "dt at=hour" << "1404/05/12 10:30" << "15"
        << "1404/5/12 15:30" << "" << "minute" << false;
    QTest::newRow("hour 3 completes at once") << "dt at=hour" << "1404/05/12 10:30" << "3"
        << "1404/5/12 03:30" << "" << "minute" << false;
    QTest::newRow("hour 2,5 gives 5") << "dt at=hour" << "1404/05/12 10:30" << "25"
        << "1404/5/12 05:30" << "" << "minute" << false;
    QTest::newRow("12-hour: afternoon 1,5 stays within the day") << "dt 12h at=hour" << "1404/05/12 13:00" << "15"
        << "1404/5/12 03:00 " + PM << "" << "minute" << false;
    QTest::newRow("12-hour: afternoon 2 keeps the afternoon") << "dt 12h at=hour" << "1404/05/12 13:00" << "2"
        << "1404/5/12 02:00 " + PM << "" << "minute" << false;
    QTest::newRow("12-hour: morning 1,1") << "dt 12h at=hour" << "1404/05/12 09:00" << "11"
        << "1404/5/12 11:00 " + AM << "" << "minute" << false;
    QTest::newRow("minute 4,5") << "time at=minute" << "1404/05/12 10:30" << "45"
        << "10:45" << "" << "minute" << false;
    QTest::newRow("minute 7 completes at once") << "time sec at=minute" << "1404/05/12 10:30:00" << "7"
        << "10:07:00" << "" << "second" << false;
    QTest::newRow("second 5,9") << "time sec at=second" << "1404/05/12 10:30:00" << "59"
        << "10:30:59" << "" << "second" << false;
    QTest::newRow("day-first date-time runs round to the day") << "dt dmy at=minute" << "1404/05/12 10:30" << "45"
        << "1404/5/12 10:45" << "" << "day" << false;
    QTest::newRow("typing a whole date day first") << "dmy at=day" << "1404/05/12" << "03071399"
        << "1399/7/3" << "1399/07/03" << "year" << false;
    QTest::newRow("typing a whole date year first") << "ymd at=year" << "1404/05/12" << "990703"
        << "1399/7/3" << "1399/07/03" << "day" << false;

    // Bounds on typed input: the typed parts revert.
    QTest::newRow("typed month past MaxDate reverts") << "dmy max=1404/06/31 at=month" << "1404/05/12" << "9"
        << "1404/5/12" << "1404/05/12" << "month" << false;
    QTest::newRow("typed day before MinDate reverts") << "dmy min=1404/05/10 at=day" << "1404/05/12" << "9"
        << "1404/5/12" << "1404/05/12" << "day" << false;
    QTest::newRow("typed year before MinDate reverts") << "ymd min=1400/01/01 at=year" << "1404/05/12" << "90"
        << "1404/5/12" << "1404/05/12" << "year" << false;
    QTest::newRow("typed year past MaxDate reverts") << "ymd max=1405/01/01 at=year" << "1404/05/12" << "06"
        << "1404/5/12" << "1404/05/12" << "year" << false;
    QTest::newRow("typed hour past MaxTime reverts") << "dt maxtime=12:00 at=hour" << "1404/05/12 10:30" << "15"
        << "1404/5/12 10:30" << "" << "hour" << false;
    QTest::newRow("typed hour before MinTime reverts") << "dt mintime=09:00 at=hour" << "1404/05/12 10:30" << "08"
        << "1404/5/12 10:30" << "" << "hour" << false;
    QTest::newRow("typed hour past MaxDateTime reverts") << "dt maxdt=1404/05/12-12:00 at=hour"
        << "1404/05/12 10:30" << "15" << "1404/5/12 10:30" << "1404/05/12" << "hour" << false;
    QTest::newRow("typed day past MaxDateTime reverts") << "dt dmy maxdt=1404/05/12-12:00 at=day"
        << "1404/05/12 10:30" << "13" << "1404/5/12 10:30" << "1404/05/12" << "day" << false;
    QTest::newRow("typed day within MaxDateTime stands") << "dt dmy maxdt=1404/05/12-12:00 at=day"
        << "1404/05/12 10:30" << "11" << "1404/5/11 10:30" << "1404/05/11" << "month" << false;

    // Steps and their wraps.
    QTest::newRow("month 12 up gives 1") << "at=month" << "1404/12/29" << "<Up>"
        << "1404/1/29" << "1404/01/29" << "month" << false;
    QTest::newRow("month 11 up clamps the day") << "at=month" << "1404/11/30" << "<Up>"
        << "1404/12/29" << "1404/12/29" << "month" << false;
    QTest::newRow("day 1 down gives the month's last day") << "at=day" << "1404/07/01" << "<Down>"
        << "1404/7/30" << "1404/07/30" << "day" << false;
    QTest::newRow("day 30 up wraps to 1") << "at=day" << "1404/07/30" << "<Up>"
        << "1404/7/1" << "1404/07/01" << "day" << false;
    QTest::newRow("year 9999 up gives 100") << "at=year" << "9999/05/12" << "<Up>"
        << "100/5/12" << "0100/05/12" << "year" << false;
    QTest::newRow("year 100 down gives 9999") << "at=year" << "0100/05/12" << "<Down>"
        << "9999/5/12" << "9999/05/12" << "year" << false;
    QTest::newRow("Gregorian year 9999 up gives 722") << "greg at=year" << "g:9999/06/15" << "<Up>"
        << "722/6/15" << "" << "year" << false;
    QTest::newRow("Gregorian year 722 down gives 9999") << "greg at=year" << "g:0722/06/15" << "<Down>"
        << "9999/6/15" << "" << "year" << false;
    QTest::newRow("Gregorian day 29 up wraps in a leap February") << "greg at=day" << "g:2024/02/29" << "<Up>"
        << "2024/2/1" << "1402/11/12" << "day" << false;
    QTest::newRow("Gregorian month 1 up cuts 31 to 28") << "greg at=month" << "g:2025/01/31" << "<Up>"
        << "2025/2/28" << "1403/12/10" << "month" << false;
    QTest::newRow("AM/PM up from 09:30") << "dt 12h at=ampm" << "1404/05/12 09:30" << "<Up>"
        << "1404/5/12 09:30 " + PM << "" << "ampm" << false;
    QTest::newRow("AM/PM down from 21:30") << "dt 12h at=ampm" << "1404/05/12 21:30" << "<Down>"
        << "1404/5/12 09:30 " + AM << "" << "ampm" << false;
    QTest::newRow("hour 23 up wraps to 0") << "time at=hour" << "1404/05/12 23:10" << "<Up>"
        << "00:10" << "" << "hour" << false;
    QTest::newRow("minute 0 down wraps to 59") << "time at=minute" << "1404/05/12 23:00" << "<Down>"
        << "23:59" << "" << "minute" << false;
    QTest::newRow("second 59 up wraps to 0") << "time sec at=second" << "1404/05/12 23:10:59" << "<Up>"
        << "23:10:00" << "" << "second" << false;
    QTest::newRow("Up past MaxDate stays at MaxDate") << "max=1404/05/12 at=day" << "1404/05/12" << "<Up>"
        << "1404/5/12" << "1404/05/12" << "day" << false;
    QTest::newRow("Down past MinDate stays at MinDate") << "min=1404/05/12 at=month" << "1404/05/12" << "<Down>"
        << "1404/5/12" << "1404/05/12" << "month" << false;
    QTest::newRow("Up past MaxTime stays at MaxTime") << "time maxtime=10:30 at=minute" << "1404/05/12 10:30"
        << "<Up>" << "10:30" << "" << "minute" << false;
    QTest::newRow("a step ends the running entry first") << "dmy at=month" << "1404/05/12" << "1<Up>"
        << "1404/2/12" << "1404/02/12" << "month" << false;

    // Section limits, day moves, today.
    QTest::newRow("Home on the year") << "at=year" << "1404/05/12" << "<Home>"
        << "1354/5/12" << "1354/05/12" << "year" << false;
    QTest::newRow("End on the year") << "at=year" << "1404/05/12" << "<End>"
        << "1453/5/12" << "1453/05/12" << "year" << false;
    QTest::newRow("Gregorian Home on the year") << "greg at=year" << "g:2025/08/03" << "<Home>"
        << "1975/8/3" << "" << "year" << false;
    QTest::newRow("Gregorian End on the year") << "greg at=year" << "g:2025/08/03" << "<End>"
        << "2074/8/3" << "" << "year" << false;
    QTest::newRow("year up from Esfand 30 of a leap year cuts the day") << "at=year" << "1403/12/30" << "<Up>"
        << "1404/12/29" << "1404/12/29" << "year" << false;
    QTest::newRow("End on the day") << "at=day" << "1404/12/05" << "<End>"
        << "1404/12/29" << "1404/12/29" << "day" << false;
    QTest::newRow("Gregorian End on the day of a leap February") << "greg at=day" << "g:2024/02/05" << "<End>"
        << "2024/2/29" << "" << "day" << false;
    QTest::newRow("End on the month cuts the day") << "at=month" << "1404/06/31" << "<End>"
        << "1404/12/29" << "1404/12/29" << "month" << false;
    QTest::newRow("End on the day stops at MaxDate") << "max=1404/05/20 at=day" << "1404/05/12" << "<End>"
        << "1404/5/20" << "1404/05/20" << "day" << false;
    QTest::newRow("Home on the day stops at MinDate") << "min=1404/05/10 at=day" << "1404/05/12" << "<Home>"
        << "1404/5/10" << "1404/05/10" << "day" << false;
    QTest::newRow("End on the minute") << "time at=minute" << "1404/05/12 10:30" << "<End>"
        << "10:59" << "" << "minute" << false;
    QTest::newRow("Home on AM/PM gives midnight") << "dt 12h at=ampm" << "1404/05/12 15:30" << "<Home>"
        << "1404/5/12 12:30 " + AM << "" << "ampm" << false;
    QTest::newRow("first day of the year") << "at=day" << "1404/05/12" << "<C-Home>"
        << "1404/1/1" << "1404/01/01" << "day" << false;
    QTest::newRow("last day of a leap year") << "at=day" << "1403/05/12" << "<C-End>"
        << "1403/12/30" << "1403/12/30" << "day" << false;
    QTest::newRow("a day forward crosses the year") << "" << "1404/12/29" << "<PgUp>"
        << "1405/1/1" << "1405/01/01" << "day" << false;
    QTest::newRow("a day forward stops at MaxDate") << "max=1404/05/13" << "1404/05/12" << "<PgUp><PgUp>"
        << "1404/5/13" << "1404/05/13" << "day" << false;
    QTest::newRow("a day back stops at MinDate") << "min=1404/05/11" << "1404/05/12" << "<PgDn><PgDn>"
        << "1404/5/11" << "1404/05/11" << "day" << false;
    QTest::newRow("a day forward stops at the last day of year 9999") << "" << "9999/12/29" << "<PgUp>"
        << "9999/12/29" << "9999/12/29" << "day" << false;
    QTest::newRow("Gregorian: a day back stops at the first day of year 1") << "greg" << "g:0622/03/21" << "<PgDn>"
        << "622/3/21" << "0001/01/01" << "day" << false;
    QTest::newRow("today and now") << "dt" << "1400/01/01 01:00" << "<Now>"
        << "1404/5/12 10:30" << "1404/05/12" << "day" << false;
    QTest::newRow("today stops at MaxDate") << "max=1403/01/01" << "1400/01/01" << "<Now>"
        << "1403/1/1" << "1403/01/01" << "day" << false;

    // Moving between sections.
    QTest::newRow("Left from the year wraps to the day") << "at=year" << "1404/05/12" << "<Left>"
        << "1404/5/12" << "" << "day" << false;
    QTest::newRow("Right from the day wraps to the year") << "at=day" << "1404/05/12" << "<Right>"
        << "1404/5/12" << "" << "year" << false;
    QTest::newRow("Left from the year wraps to AM/PM") << "dt 12h at=year" << "1404/05/12 10:30" << "<Left>"
        << "1404/5/12 10:30 " + AM << "" << "ampm" << false;
    QTest::newRow("Right skips the hidden second") << "dt at=minute" << "1404/05/12 10:30" << "<Right>"
        << "1404/5/12 10:30" << "" << "year" << false;
}
// clang-format on

void tst_PickerSections::input()
{
    QFETCH(QString, setup);
    QFETCH(QString, start);
    QFETCH(QString, input);

    TPickerSections sections;
    applySetup(sections, setup, start);
    type(sections, input);

    QTEST(display(sections), "shown");
    QFETCH(QString, date);
    if (!date.isEmpty())
        QCOMPARE(ShDateToStr(sections.Date()), date);
    QFETCH(QString, section);
    QCOMPARE(sections.Current(), sectionIndex(section));
    QTEST(sections.IsEditing(), "editing");
    QVERIFY(sections.Time() >= 0 && sections.Time() < 1);
}

// clang-format off
void tst_PickerSections::heldZeroShowsNothing_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("shown");

    QTest::newRow("month") << "month" << "1404/5/12";
    QTest::newRow("day") << "day" << "1404/5/12";
}
// clang-format on

// A leading zero in the month or day starts the entry but shows nothing until the next digit: there is no month
// or day 0 to show.
void tst_PickerSections::heldZeroShowsNothing()
{
    QFETCH(QString, section);
    TPickerSections sections;
    applySetup(sections, "dmy at=" + section, "1404/05/12");

    QCOMPARE(sections.TypeDigit(0), TPickerSections::deHeld);
    QTEST(display(sections), "shown");
    QVERIFY(sections.IsEditing());
    QCOMPARE(sections.TypeDigit(0), TPickerSections::deHeld);
    QCOMPARE(sections.TypeDigit(4), TPickerSections::deComplete);
    QCOMPARE(sections.Snapshot().word(sectionIndex(section)), Word(4));
}

// clang-format off
void tst_PickerSections::visibleSections_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("change");   // applied after the setup
    QTest::addColumn<QString>("visible");  // shown sections, in index order
    QTest::addColumn<QString>("section");  // current section afterwards

    QTest::newRow("date") << "" << "" << "year month day" << "day";
    QTest::newRow("time") << "" << "time" << "hour minute" << "hour";
    QTest::newRow("time with seconds and AM/PM") << "" << "time sec 12h" << "hour minute second ampm" << "hour";
    QTest::newRow("date and time") << "" << "dt sec" << "year month day hour minute second" << "day";
    QTest::newRow("hiding the current second falls back to the minute") << "time sec at=second" << "nosec"
        << "hour minute" << "minute";
    QTest::newRow("hiding the current AM/PM falls back to the minute") << "time 12h at=ampm" << "no12h"
        << "hour minute" << "minute";
    QTest::newRow("a date picker drops the current hour for the day") << "dt at=hour" << "date"
        << "year month day" << "day";
    QTest::newRow("year first starts at the year") << "" << "ymd" << "year month day" << "year";
}
// clang-format on

void tst_PickerSections::visibleSections()
{
    QFETCH(QString, setup);
    QFETCH(QString, change);
    TPickerSections sections;
    applySetup(sections, setup, "1404/05/12 10:30");
    for (const QString& word : change.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == "nosec")
            sections.SetShowSecond(false);
        else if (word == "no12h")
            sections.SetUse12HourClock(false);
        else if (word == "date")
            sections.SetKind(dtkDate);
        else
            applySetup(sections, word, "1404/05/12 10:30");
    }

    QStringList visible;
    for (int s = 0; s < TPickerSections::SectionCount; ++s)
        if (sections.IsVisible(s))
            visible << QStringList{"year", "month", "day", "hour", "minute", "second", "msec", "ampm"}[s];
    QTEST(visible.join(QLatin1Char(' ')), "visible");
    QFETCH(QString, section);
    QCOMPARE(sections.Current(), sectionIndex(section));
    QVERIFY(!sections.SetCurrent(sectionIndex("msec")));
}

// clang-format off
void tst_PickerSections::entryStartsWhereTheOrderBegins_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("section");

    QTest::newRow("day first") << "dmy" << "day";
    QTest::newRow("year first") << "ymd" << "year";
    QTest::newRow("time") << "time ymd" << "hour";
    QTest::newRow("date and time, year first") << "dt ymd" << "year";
}
// clang-format on

void tst_PickerSections::entryStartsWhereTheOrderBegins()
{
    QFETCH(QString, setup);
    TPickerSections sections;
    applySetup(sections, setup, "1404/05/12 10:30");
    QFETCH(QString, section);
    QCOMPARE(sections.EntrySection(), sectionIndex(section));
}

QTEST_GUILESS_MAIN(tst_PickerSections)
#include "tst_PickerSections.moc"
