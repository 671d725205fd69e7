#include "controls/ShDateCtrls.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"
#include "tests/support/EmbeddedFont.h"
#include "tests/support/HostWindow.h"
#include "tests/support/Pixels.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <memory>

// The clock stands still at 12 Mordad 1404 (3 August 2025), 10:30:45.
static TDateTime fixedNow()
{
    return ShEncodeDate(1404, 5, 12) + ShTimeValue(10, 30, 45, 0);
}

// A host window holding one picker above its ordinary edit, to move the focus to.
struct PickerWindow
{
    std::unique_ptr<HostWindow> window;
    TCustomShDatePicker* picker = nullptr;
    QLineEdit* other = nullptr;

    explicit PickerWindow(Qt::LayoutDirection direction = Qt::LeftToRight)
        : window(std::make_unique<HostWindow>(direction, QSize(260, 100)))
    {
        picker = new TCustomShDatePicker(window->client());
        picker->setObjectName(QStringLiteral("picker"));
        picker->move(10, 10);
        picker->resize(220, picker->height());
        other = window->other();
        other->move(10, 60);
    }

    bool show() { return window->showActive(); }
};

// What the user reads: year/month/day, a blank, hour:minute[:second] [AM/PM].
static QString display(const TCustomShDatePicker& p)
{
    QStringList date;
    for (int s : {0, 1, 2})
        if (p.IsSectionVisible(s))
            date << p.SectionText(s);
    QStringList time;
    for (int s : {3, 4, 5})
        if (p.IsSectionVisible(s))
            time << p.SectionText(s);
    QString out = date.join(QLatin1Char('/'));
    if (!time.isEmpty()) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += time.join(QLatin1Char(':'));
    }
    if (p.IsSectionVisible(7))
        out += QLatin1Char(' ') + p.SectionText(7);
    return out;
}

static int sectionIndex(const QString& name)
{
    static const QStringList names = {"year", "month", "day", "hour", "minute", "second", "msec", "ampm"};
    return names.indexOf(name);
}

// Setup words: ymd, dmy, noauto, nointelli, dt, time, sec (ShowSecond), 12h, allownull, null, readonly, greg,
// noswitch, min=/max= (date), mintime=/maxtime=, maxdt=yyyy/MM/dd-hh:mm, at=<section>, highlight.
static void applySetup(PickerWindow& w, const QString& setup, const QString& start)
{
    TCustomShDatePicker& p = *w.picker;
    const QStringList words = setup.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString at;
    bool makeNull = false;
    bool readOnly = false;
    for (const QString& word : words) {
        if (word == "ymd")
            p.SetAutoMoveDirection(amdYMD);
        else if (word == "dmy")
            p.SetAutoMoveDirection(amdDMY);
        else if (word == "noauto")
            p.SetAutoMove(false);
        else if (word == "nointelli")
            p.SetIntelliYearDigits(false);
        else if (word == "dt")
            p.SetKind(dtkDateTime);
        else if (word == "time")
            p.SetKind(dtkTime);
        else if (word == "sec")
            p.SetShowSecond(true);
        else if (word == "12h")
            p.SetUse12HourClock(true);
        else if (word == "allownull")
            p.SetAllowNull(true);
        else if (word == "null")
            makeNull = true;
        else if (word == "readonly")
            readOnly = true;
        else if (word == "greg")
            p.SetUseSystemCalendar(true);
        else if (word == "noswitch")
            p.SetAllowCalendarSwitch(false);
        else if (word == "highlight")
            p.SetHighlightRequired(true);
        else if (word.startsWith("min="))
            p.SetMinDate(ShStrToDate(word.mid(4)));
        else if (word.startsWith("max="))
            p.SetMaxDate(ShStrToDate(word.mid(4)));
        else if (word.startsWith("mintime="))
            p.SetMinTime(ShTimeValue(word.mid(8, 2).toInt(), word.mid(11, 2).toInt(), 0, 0));
        else if (word.startsWith("maxtime="))
            p.SetMaxTime(ShTimeValue(word.mid(8, 2).toInt(), word.mid(11, 2).toInt(), 0, 0));
        else if (word.startsWith("maxdt="))
            p.SetMaxDateTime(ShStrToDate(word.mid(6, 10)) +
                             ShTimeValue(word.mid(17, 2).toInt(), word.mid(20, 2).toInt(), 0, 0));
        else if (word.startsWith("at="))
            at = word.mid(3);
        else
            qFatal("unknown setup word %s", qPrintable(word));
    }
    const QStringList parts = start.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts[0].startsWith("g:"))
        p.SetDate(ShGregorianToSerial(QDate::fromString(parts[0].mid(2), "yyyy/MM/dd")));
    else if (!parts.isEmpty())
        p.SetDate(ShStrToDate(parts[0]));
    if (parts.size() > 1) {
        const QStringList t = parts[1].split(QLatin1Char(':'));
        p.SetTime(ShTimeValue(t[0].toInt(), t[1].toInt(), t.value(2).toInt(), 0));
    }
    if (makeNull) {
        p.SetAllowNull(true);
        p.SetIsNull(true);
    }
    p.setFocus();
    if (!at.isEmpty())
        p.SetCurrentSection(sectionIndex(at));
    p.SetReadOnly(readOnly);
}

// Input: characters are typed one by one; <Name> is a key, with C- (Ctrl) and S- (Shift) prefixes;
// <KP*>, <KP+>, <KP-> are keypad keys; <Out> moves the focus to the other edit, <In> back to the picker.
static void type(PickerWindow& w, const QString& input)
{
    static const QHash<QString, Qt::Key> keys = {
        {"Up", Qt::Key_Up},      {"Down", Qt::Key_Down},    {"Left", Qt::Key_Left},   {"Right", Qt::Key_Right},
        {"Home", Qt::Key_Home},  {"End", Qt::Key_End},      {"PgUp", Qt::Key_PageUp}, {"PgDn", Qt::Key_PageDown},
        {"Del", Qt::Key_Delete}, {"Space", Qt::Key_Space},  {"C", Qt::Key_C},         {"V", Qt::Key_V},
        {"X", Qt::Key_X},        {"KP*", Qt::Key_Asterisk}, {"KP+", Qt::Key_Plus},    {"KP-", Qt::Key_Minus},
    };
    TCustomShDatePicker* p = w.picker;
    for (int i = 0; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c == QLatin1Char('<')) {
            const int end = input.indexOf(QLatin1Char('>'), i);
            QString name = input.mid(i + 1, end - i - 1);
            i = end;
            if (name == "Out") {
                w.other->setFocus();
                continue;
            }
            if (name == "In") {
                p->setFocus();
                continue;
            }
            Qt::KeyboardModifiers mods;
            while (name.size() > 2 && name[1] == QLatin1Char('-')) {
                mods |= name[0] == QLatin1Char('C') ? Qt::ControlModifier : Qt::ShiftModifier;
                name = name.mid(2);
            }
            if (name.startsWith("KP"))
                mods |= Qt::KeypadModifier;
            QVERIFY2(keys.contains(name), qPrintable(name));
            QTest::keyClick(p, keys.value(name), mods);
        } else if (c.unicode() < 128) {
            QTest::keyClick(p, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, p, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

class tst_ShDatePicker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newPickerShowsNow();
    void codeWrites();
    void input_data();
    void input();
    void rightToLeftArrowsFollowTheScreen();
    void boundErrors_data();
    void boundErrors();
    void settingBoundClampsValue();
    void clipboard_data();
    void clipboard();
    void calendarSwitch();
    void gregorianUsesDefaultLocale();
    void mouse();
    void wheel_data();
    void wheel();
    void formattedHint();
    void focus_data();
    void focus();
    void autoSizeFollowsFont();
    void highlightOnlyWithFocus_data();
    void highlightOnlyWithFocus();
    void indicatorPixels_data();
    void indicatorPixels();
    void requiredMarkPixels_data();
    void requiredMarkPixels();
    void sheet();

private:
    TFormatSettings m_savedSettings;
};

void tst_ShDatePicker::initTestCase()
{
    m_savedSettings = FormatSettings;
    QVERIFY(useEmbeddedFont(13));
}

void tst_ShDatePicker::init()
{
    Clock::setFixed(fixedNow());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QGuiApplication::clipboard()->clear();
}

void tst_ShDatePicker::cleanup()
{
    FormatSettings = m_savedSettings;
    Clock::useSystem();
}

void tst_ShDatePicker::newPickerShowsNow()
{
    PickerWindow w;
    const TCustomShDatePicker& p = *w.picker;
    QCOMPARE(p.Date(), ShEncodeDate(1404, 5, 12));
    QCOMPARE(p.Time(), ShTimeValue(10, 30, 0, 0)); // seconds only count when shown
    QCOMPARE(p.CurrentSection(), 2);
    QCOMPARE(display(p), QStringLiteral("1404/5/12"));
    QVERIFY(!p.IsNull());
    QVERIFY(p.UseCurrentDate());
    w.picker->SetShowSecond(true);
    QCOMPARE(p.Time(), ShTimeValue(10, 30, 45, 0));
    QCOMPARE(w.picker->sizeHint().width(), 121);
}

void tst_ShDatePicker::codeWrites()
{
    PickerWindow w;
    TCustomShDatePicker& p = *w.picker;
    p.SetAllowNull(true);
    QSignalSpy changes(&p, &TCustomShDatePicker::OnChange);

    p.SetIsNull(true); // writing IsNull is silent
    QCOMPARE(changes.count(), 0);
    QCOMPARE(display(p), QStringLiteral("  /  /  "));

    p.SetDate(ShEncodeDate(1404, 5, 12) + 0.75); // the same day: nothing moved, the control stays null
    QVERIFY(p.IsNull());
    QCOMPARE(changes.count(), 0);
    QVERIFY(!p.UseCurrentDate());

    p.SetDate(ShEncodeDate(1399, 7, 3) + 0.75); // another day leaves the null state, once
    QVERIFY(!p.IsNull());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(p.Date(), ShEncodeDate(1399, 7, 3));

    p.SetTime(ShEncodeDate(1300, 1, 1) + ShTimeValue(8, 15, 0, 0)); // only the time of day is taken
    QCOMPARE(p.Time(), ShTimeValue(8, 15, 0, 0));
    QCOMPARE(p.Date(), ShEncodeDate(1399, 7, 3));
    QCOMPARE(changes.count(), 2);
    QVERIFY(!p.UseCurrentTime());

    // The properties answer through Qt's property system too, as a form loader or a check would use them.
    QVERIFY(p.setProperty("Kind", int(dtkDateTime)));
    QCOMPARE(p.Kind(), dtkDateTime);
    QCOMPARE(p.property("AutoMoveDirection").toInt(), int(amdDMY));
    QCOMPARE(p.property("Date").toDouble(), ShEncodeDate(1399, 7, 3));

    p.SetUseCurrentDate(true);
    QCOMPARE(p.Date(), ShEncodeDate(1404, 5, 12));
    QVERIFY(p.UseCurrentDate());
    QCOMPARE(changes.count(), 3);
}

// clang-format off
void tst_ShDatePicker::input_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");    // section texts after the input
    QTest::addColumn<QString>("date");     // ShDateToStr(Date) after the input ("" to skip)
    QTest::addColumn<QString>("section");  // current section after the input
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<int>("changes");      // OnChange count

    const QString PM = QString::fromUtf8("ب.ظ");
    const QString AM = QString::fromUtf8("ق.ظ");

    // Month digits.
    QTest::newRow("month 1,2 gives 12 and moves on to the year") << "dmy at=month" << "1404/05/12" << "12"
        << "1404/12/12" << "1404/12/12" << "year" << false << 1;
    QTest::newRow("month 1,5 gives 5") << "dmy at=month" << "1404/03/12" << "15"
        << "1404/5/12" << "1404/05/12" << "year" << false << 1;
    QTest::newRow("month 0,3 gives 3") << "dmy at=month" << "1404/05/12" << "03"
        << "1404/3/12" << "1404/03/12" << "year" << false << 1;
    QTest::newRow("a lone 1 waits; Date keeps the old month") << "dmy at=month" << "1404/05/12" << "1"
        << "1404/1/12" << "1404/05/12" << "month" << false << 0;
    QTest::newRow("a lone 1 is taken when the focus leaves") << "dmy at=month" << "1404/05/12" << "1<Out>"
        << "1404/1/12" << "1404/01/12" << "month" << false << 1;
    QTest::newRow("a lone 1 is taken by an arrow key") << "dmy at=month" << "1404/05/12" << "1<Right>"
        << "1404/1/12" << "1404/01/12" << "day" << false << 1;
    QTest::newRow("retyping the same month raises nothing") << "dmy at=month" << "1404/05/12" << "5"
        << "1404/5/12" << "1404/05/12" << "year" << false << 0;
    QTest::newRow("Persian digits") << "dmy at=month" << "1404/05/12" << QString::fromUtf8("۱۲")
        << "1404/12/12" << "1404/12/12" << "year" << false << 1;
    QTest::newRow("Arabic-Indic digits") << "dmy at=month" << "1404/05/12" << QString::fromUtf8("٠٣")
        << "1404/3/12" << "1404/03/12" << "year" << false << 1;
    QTest::newRow("letters are ignored") << "dmy at=month" << "1404/05/12" << "a-x"
        << "1404/5/12" << "1404/05/12" << "month" << false << 0;

    // Day digits.
    QTest::newRow("day-first 31 in a 29-day month goes to month 1") << "dmy at=day" << "1404/12/05" << "31"
        << "1404/1/31" << "1404/01/31" << "month" << false << 1;
    QTest::newRow("year-first 31 in a 29-day month is refused") << "ymd at=day" << "1404/12/05" << "31"
        << "1404/12/1" << "1404/12/05" << "day" << false << 0;
    QTest::newRow("day 0,5 gives 5") << "dmy at=day" << "1404/07/12" << "05"
        << "1404/7/5" << "1404/07/05" << "month" << false << 1;
    QTest::newRow("day 2,9 in month 7 gives 29") << "ymd at=day" << "1404/07/12" << "29"
        << "1404/7/29" << "1404/07/29" << "day" << false << 1;
    QTest::newRow("a first digit never moves the month") << "noauto at=day" << "1404/12/03" << "1<Out>"
        << "1404/12/1" << "1404/12/01" << "day" << false << 1;
    QTest::newRow("without AutoMove a typed 31 in month 7 goes to month 1") << "noauto at=day" << "1404/07/10"
        << "31<Out>" << "1404/1/31" << "1404/01/31" << "day" << false << 1;

    // Year digits and expansion (current year 1404, window 50: 1354..1453).
    QTest::newRow("year-first 9,2 completes as 1392") << "ymd at=year" << "1404/05/12" << "92"
        << "1392/5/12" << "1392/05/12" << "month" << false << 1;
    QTest::newRow("year-first 5,0 gives 1450") << "ymd at=year" << "1404/05/12" << "50"
        << "1450/5/12" << "1450/05/12" << "month" << false << 1;
    QTest::newRow("day-first year 50 expands on leaving") << "dmy at=year" << "1404/05/12" << "50<Out>"
        << "1450/5/12" << "1450/05/12" << "year" << false << 1;
    QTest::newRow("day-first year waits for four digits") << "dmy at=year" << "1404/05/12" << "139"
        << "139/5/12" << "1404/05/12" << "year" << false << 0;
    QTest::newRow("day-first 1399 completes") << "dmy at=year" << "1404/05/12" << "1399"
        << "1399/5/12" << "1399/05/12" << "year" << false << 1;
    QTest::newRow("a three-digit year stands") << "dmy at=year" << "1404/05/12" << "150<Out>"
        << "150/5/12" << "0150/05/12" << "year" << false << 1;
    QTest::newRow("without IntelliYearDigits two digits wait") << "ymd nointelli at=year" << "1404/05/12" << "92"
        << "92/5/12" << "1404/05/12" << "year" << false << 0;
    QTest::newRow("year-first 0,4 gives 1404 and cuts Esfand 30 to 29") << "ymd at=year" << "1403/12/30"
        << "04<Out>" << "1404/12/29" << "1404/12/29" << "month" << false << 1;
    QTest::newRow("Gregorian year below 722 reverts") << "greg dmy at=year" << "1404/05/12" << "500<Out>"
        << "2025/8/3" << "1404/05/12" << "year" << false << 0;

    // Hours, minutes.
    QTest::newRow("hour 1,5") << "dt at=hour" << "1404/05/12 10:30" << "15"
        << "1404/5/12 15:30" << "" << "minute" << false << 1;
    QTest::newRow("hour 3 completes at once") << "dt at=hour" << "1404/05/12 10:30" << "3"
        << "1404/5/12 03:30" << "" << "minute" << false << 1;
    QTest::newRow("hour 2,5 gives 5") << "dt at=hour" << "1404/05/12 10:30" << "25"
        << "1404/5/12 05:30" << "" << "minute" << false << 1;
    QTest::newRow("12-hour: afternoon 1,5 stays within the day") << "dt 12h at=hour" << "1404/05/12 13:00" << "15"
        << "1404/5/12 03:00 " + PM << "" << "minute" << false << 1;
    QTest::newRow("12-hour: morning 1,1") << "dt 12h at=hour" << "1404/05/12 09:00" << "11"
        << "1404/5/12 11:00 " + AM << "" << "minute" << false << 1;
    QTest::newRow("minute 4,5") << "time at=minute" << "1404/05/12 10:30" << "45"
        << "10:45" << "" << "minute" << false << 1;
    QTest::newRow("minute 7 completes at once") << "time sec at=minute" << "1404/05/12 10:30:00" << "7"
        << "10:07:00" << "" << "second" << false << 1;
    QTest::newRow("day-first date-time runs round to the day") << "dt dmy at=minute" << "1404/05/12 10:30" << "45"
        << "1404/5/12 10:45" << "" << "day" << false << 1;
    QTest::newRow("typing a whole date day first") << "dmy at=day" << "1404/05/12" << "03071399"
        << "1399/7/3" << "1399/07/03" << "year" << false << 3;

    // Bounds on typed input: the typed parts revert without a word.
    QTest::newRow("typed month past MaxDate reverts") << "dmy max=1404/06/31 at=month" << "1404/05/12" << "9"
        << "1404/5/12" << "1404/05/12" << "month" << false << 0;
    QTest::newRow("typed year before MinDate reverts") << "ymd min=1400/01/01 at=year" << "1404/05/12" << "90"
        << "1404/5/12" << "1404/05/12" << "year" << false << 0;
    QTest::newRow("typed hour past MaxTime reverts") << "dt maxtime=12:00 at=hour" << "1404/05/12 10:30" << "15"
        << "1404/5/12 10:30" << "" << "hour" << false << 0;
    QTest::newRow("typed hour past MaxDateTime reverts") << "dt maxdt=1404/05/12-12:00 at=hour"
        << "1404/05/12 10:30" << "15" << "1404/5/12 10:30" << "1404/05/12" << "hour" << false << 0;
    QTest::newRow("typed day past MaxDateTime reverts") << "dt dmy maxdt=1404/05/12-12:00 at=day"
        << "1404/05/12 10:30" << "13" << "1404/5/12 10:30" << "1404/05/12" << "day" << false << 0;
    QTest::newRow("typed day within MaxDateTime stands") << "dt dmy maxdt=1404/05/12-12:00 at=day"
        << "1404/05/12 10:30" << "11" << "1404/5/11 10:30" << "1404/05/11" << "month" << false << 1;

    // Stepping.
    QTest::newRow("month 12 up gives 1") << "at=month" << "1404/12/29" << "<Up>"
        << "1404/1/29" << "1404/01/29" << "month" << false << 1;
    QTest::newRow("month 11 up clamps the day") << "at=month" << "1404/11/30" << "<Up>"
        << "1404/12/29" << "1404/12/29" << "month" << false << 1;
    QTest::newRow("day 1 down gives the month's last day") << "at=day" << "1404/07/01" << "<Down>"
        << "1404/7/30" << "1404/07/30" << "day" << false << 1;
    QTest::newRow("day 30 up wraps to 1") << "at=day" << "1404/07/30" << "<KP+>"
        << "1404/7/1" << "1404/07/01" << "day" << false << 1;
    QTest::newRow("year 9999 up gives 100") << "at=year" << "9999/05/12" << "<Up>"
        << "100/5/12" << "0100/05/12" << "year" << false << 1;
    QTest::newRow("year 100 down gives 9999") << "at=year" << "0100/05/12" << "<KP->"
        << "9999/5/12" << "9999/05/12" << "year" << false << 1;
    QTest::newRow("Gregorian year 9999 up gives 722") << "greg at=year" << "g:9999/06/15" << "<Up>"
        << "722/6/15" << "" << "year" << false << 1;
    QTest::newRow("AM/PM up from 09:30") << "dt 12h at=ampm" << "1404/05/12 09:30" << "<Up>"
        << "1404/5/12 09:30 " + PM << "" << "ampm" << false << 1;
    QTest::newRow("AM/PM down from 21:30") << "dt 12h at=ampm" << "1404/05/12 21:30" << "<Down>"
        << "1404/5/12 09:30 " + AM << "" << "ampm" << false << 1;
    QTest::newRow("hour 23 up wraps to 0") << "time at=hour" << "1404/05/12 23:10" << "<Up>"
        << "00:10" << "" << "hour" << false << 1;
    QTest::newRow("Ctrl+Up does nothing") << "at=day" << "1404/05/12" << "<C-Up>"
        << "1404/5/12" << "1404/05/12" << "day" << false << 0;
    QTest::newRow("Up past MaxDate stays at MaxDate") << "max=1404/05/12 at=day" << "1404/05/12" << "<Up>"
        << "1404/5/12" << "1404/05/12" << "day" << false << 0;

    // Section limits, day moves.
    QTest::newRow("Home on the year") << "at=year" << "1404/05/12" << "<Home>"
        << "1354/5/12" << "1354/05/12" << "year" << false << 1;
    QTest::newRow("End on the year") << "at=year" << "1404/05/12" << "<End>"
        << "1453/5/12" << "1453/05/12" << "year" << false << 1;
    QTest::newRow("year up from Esfand 30 of a leap year cuts the day") << "at=year" << "1403/12/30" << "<Up>"
        << "1404/12/29" << "1404/12/29" << "year" << false << 1;
    QTest::newRow("End on the day") << "at=day" << "1404/12/05" << "<End>"
        << "1404/12/29" << "1404/12/29" << "day" << false << 1;
    QTest::newRow("End on the minute") << "time at=minute" << "1404/05/12 10:30" << "<End>"
        << "10:59" << "" << "minute" << false << 1;
    QTest::newRow("Ctrl+Home: first day of the year") << "at=day" << "1404/05/12" << "<C-Home>"
        << "1404/1/1" << "1404/01/01" << "day" << false << 1;
    QTest::newRow("Ctrl+End: last day of the year") << "at=day" << "1403/05/12" << "<C-End>"
        << "1403/12/30" << "1403/12/30" << "day" << false << 1;
    QTest::newRow("Page Up crosses the year") << "" << "1404/12/29" << "<PgUp>"
        << "1405/1/1" << "1405/01/01" << "day" << false << 1;
    QTest::newRow("Ctrl+Page Down: a week back") << "" << "1404/01/03" << "<C-PgDn>"
        << "1403/12/26" << "1403/12/26" << "day" << false << 1;
    QTest::newRow("Page Up past MaxDate stays at MaxDate") << "max=1404/05/13" << "1404/05/12" << "<PgUp><PgUp>"
        << "1404/5/13" << "1404/05/13" << "day" << false << 1;
    QTest::newRow("Page Up stops at the last day of year 9999") << "" << "9999/12/29" << "<PgUp>"
        << "9999/12/29" << "9999/12/29" << "day" << false << 0;
    QTest::newRow("Gregorian Page Down stops at the first day of year 1") << "greg" << "g:0622/03/21" << "<PgDn>"
        << "622/3/21" << "0001/01/01" << "day" << false << 0;
    QTest::newRow("keypad * gives today and now") << "dt" << "1400/01/01 01:00" << "<KP*>"
        << "1404/5/12 10:30" << "1404/05/12" << "day" << false << 1;
    QTest::newRow("Ctrl+Space gives today") << "" << "1400/01/01" << "<C-Space>"
        << "1404/5/12" << "1404/05/12" << "day" << false << 1;

    // Moving between sections.
    QTest::newRow("Left from the year wraps to the day") << "at=year" << "1404/05/12" << "<Left>"
        << "1404/5/12" << "" << "day" << false << 0;
    QTest::newRow("Right from the day wraps to the year") << "at=day" << "1404/05/12" << "<Right>"
        << "1404/5/12" << "" << "year" << false << 0;
    QTest::newRow("Left from the year wraps to AM/PM") << "dt 12h at=year" << "1404/05/12 10:30" << "<Left>"
        << "1404/5/12 10:30 " + AM << "" << "ampm" << false << 0;
    QTest::newRow("Right skips the hidden second") << "dt at=minute" << "1404/05/12 10:30" << "<Right>"
        << "1404/5/12 10:30" << "" << "year" << false << 0;

    // Null state.
    QTest::newRow("Delete blanks the sections") << "allownull" << "1404/05/12" << "<Del>"
        << "  /  /  " << "" << "day" << true << 1;
    QTest::newRow("a second Delete does nothing") << "allownull" << "1404/05/12" << "<Del><Del>"
        << "  /  /  " << "" << "day" << true << 1;
    QTest::newRow("Up leaves the null state") << "allownull" << "1404/05/12" << "<Del><Up>"
        << "1404/5/13" << "1404/05/13" << "day" << false << 2;
    QTest::newRow("Delete without AllowNull does nothing") << "" << "1404/05/12" << "<Del>"
        << "1404/5/12" << "1404/05/12" << "day" << false << 0;
    QTest::newRow("today on a null control showing today leaves null once") << "null" << "1404/05/12 10:30:45"
        << "<KP*>" << "1404/5/12" << "1404/05/12" << "day" << false << 1;
    QTest::newRow("a digit leaves the null state") << "null dmy at=day" << "1404/05/12" << "7"
        << "1404/5/7" << "1404/05/07" << "month" << false << 2;
    QTest::newRow("a digit that leaves the value as it was still leaves null") << "null dmy at=day" << "1404/05/05"
        << "5" << "1404/5/5" << "1404/05/05" << "month" << false << 1;
    QTest::newRow("retyping the shown day still leaves null") << "null dmy at=day" << "1404/05/12" << "12"
        << "1404/5/12" << "1404/05/12" << "month" << false << 1;

    // Read-only.
    QTest::newRow("read-only ignores digits, steps and Delete") << "allownull readonly at=day" << "1404/05/12"
        << "7<Up><PgUp><Del><KP*>" << "1404/5/12" << "1404/05/12" << "day" << false << 0;
    QTest::newRow("read-only still moves between sections") << "readonly at=day" << "1404/05/12" << "<Right>"
        << "1404/5/12" << "1404/05/12" << "year" << false << 0;
}
// clang-format on

void tst_ShDatePicker::input()
{
    QFETCH(QString, setup);
    QFETCH(QString, start);
    QFETCH(QString, input);

    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, setup, start);
    QVERIFY(w.picker->hasFocus());
    QSignalSpy changes(w.picker, &TCustomShDatePicker::OnChange);

    type(w, input);

    QTEST(display(*w.picker), "shown");
    QFETCH(QString, date);
    if (!date.isEmpty())
        QCOMPARE(ShDateToStr(w.picker->Date()), date);
    QFETCH(QString, section);
    QCOMPARE(w.picker->CurrentSection(), sectionIndex(section));
    QVERIFY(w.picker->Time() >= 0 && w.picker->Time() < 1);
    if (w.picker->Use12HourClock()) {
        // The 12-hour display hides the stored hour: read it back on the 24-hour scale.
        const int hour = qRound(w.picker->Time() * 24 * 60) / 60;
        QCOMPARE(hour % 12 == 0 ? 12 : hour % 12, w.picker->SectionText(3).toInt());
        QCOMPARE(hour > 11, w.picker->SectionText(7) == FormatSettings.TimePMString);
    }
    QTEST(w.picker->IsNull(), "isNull");
    QTEST(int(changes.count()), "changes");
}

void tst_ShDatePicker::rightToLeftArrowsFollowTheScreen()
{
    // Right moves to the section drawn further right, whatever the layout direction.
    for (const auto direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        PickerWindow w(direction);
        QVERIFY(w.show());
        applySetup(w, "dt at=year", "1404/05/12 10:30");
        int lastX = -1;
        for (int i = 0; i < 5; ++i) {
            const QRect r = w.picker->SectionRect(w.picker->CurrentSection());
            QVERIFY2(r.left() > lastX, qPrintable(QString::number(i)));
            lastX = r.left();
            QTest::keyClick(w.picker, Qt::Key_Right);
        }
        // The corner indicator sits on the trailing side: right in left-to-right, left in right-to-left.
        const QRect ind = w.picker->IndicatorRect();
        if (direction == Qt::RightToLeft)
            QVERIFY(ind.right() < w.picker->EditRect().left());
        else
            QVERIFY(ind.left() > w.picker->EditRect().right());
    }
}

// clang-format off
void tst_ShDatePicker::boundErrors_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("message");

    QTest::newRow("MaxDate below MinDate") << "min=1404/05/01 max=1404/04/01"
        << "1404/04/01 is less than minimum of 1404/05/01";
    QTest::newRow("MinDate above MaxDate") << "max=1404/05/20 min=1404/06/01"
        << "1404/06/01 exceeds maximum of 1404/05/20";
    QTest::newRow("Date past MaxDate") << "max=1404/05/20 date=1404/06/01"
        << "1404/06/01 exceeds maximum of 1404/05/20";
    QTest::newRow("Date before MinDate") << "min=1404/05/01 date=1404/04/01"
        << "1404/04/01 is less than minimum of 1404/05/01";
    QTest::newRow("Gregorian Date past MaxDate names it in Gregorian") << "greg max=1404/05/20 date=1404/06/01"
        << "8/23/25 exceeds maximum of 1404/05/20";
    QTest::newRow("MaxTime below MinTime") << "mintime=10:00 maxtime=09:00"
        << "09:00:00 is less than minimum of 10:00:00";
    QTest::newRow("Time past MaxTime") << "maxtime=12:00 time=13:15"
        << "13:15:00 exceeds maximum of 12:00:00";
    QTest::newRow("bounds of 0 never raise") << "min=1404/05/01 max=0 min=0 max=1404/04/01" << "";
    // Days outside years 1 to 9999 have no sections to show them: refused like a day past a bound.
    QTest::newRow("Date after year 9999") << "day=3185360" << "10000/01/01 exceeds maximum of 9999/12/29";
    QTest::newRow("Date before year 1 is named in Gregorian") << "day=-466700"
        << "0622-03-20 is less than minimum of 0001/01/01";
    QTest::newRow("Gregorian Date after year 9999") << "greg day=3185400"
        << "4/29/21 exceeds maximum of 9999/12/29";
    QTest::newRow("MaxDate before year 1") << "maxday=-500000" << "0531-01-16 is less than minimum of 0001/01/01";
    QTest::newRow("MinDate after year 9999") << "minday=3185360" << "10000/01/01 exceeds maximum of 9999/12/29";
}
// clang-format on

void tst_ShDatePicker::boundErrors()
{
    QFETCH(QString, action);
    QFETCH(QString, message);
    PickerWindow w;
    TCustomShDatePicker& p = *w.picker;
    p.SetTime(ShTimeValue(10, 30, 0, 0));
    const TDateTime dateBefore = p.Date();
    QString caught;
    TDateTime minBefore = 0, maxBefore = 0;
    for (const QString& word : action.split(' ')) {
        const int eq = word.indexOf('=');
        const QString name = word.left(eq), value = word.mid(eq + 1);
        const auto date = [&] { return value == "0" ? 0.0 : ShStrToDate(value); };
        const auto time = [&] { return ShTimeValue(value.left(2).toInt(), value.mid(3, 2).toInt(), 0, 0); };
        minBefore = p.MinDate();
        maxBefore = p.MaxDate();
        try {
            if (name == "greg")
                p.SetUseSystemCalendar(true);
            else if (name == "min")
                p.SetMinDate(date());
            else if (name == "max")
                p.SetMaxDate(date());
            else if (name == "date")
                p.SetDate(date());
            else if (name == "day")
                p.SetDate(value.toDouble());
            else if (name == "minday")
                p.SetMinDate(value.toDouble());
            else if (name == "maxday")
                p.SetMaxDate(value.toDouble());
            else if (name == "mintime")
                p.SetMinTime(time());
            else if (name == "maxtime")
                p.SetMaxTime(time());
            else if (name == "time")
                p.SetTime(time());
        } catch (const EShDateTimeError& e) {
            caught = QString::fromUtf8(e.what());
            break;
        }
    }
    QCOMPARE(caught, message);
    if (!message.isEmpty()) {
        // The value and the bounds stay as they were.
        QCOMPARE(p.Date(), dateBefore);
        QCOMPARE(p.MinDate(), minBefore);
        QCOMPARE(p.MaxDate(), maxBefore);
        QCOMPARE(p.Time(), ShTimeValue(10, 30, 0, 0));
    }
}

void tst_ShDatePicker::settingBoundClampsValue()
{
    PickerWindow w;
    TCustomShDatePicker& p = *w.picker;
    p.SetKind(dtkDateTime);
    p.SetTime(ShTimeValue(10, 30, 0, 0));
    QSignalSpy changes(&p, &TCustomShDatePicker::OnChange);
    p.SetMaxDate(ShEncodeDate(1404, 5, 1));
    QCOMPARE(p.Date(), ShEncodeDate(1404, 5, 1));
    QCOMPARE(changes.count(), 1);
    p.SetMaxDate(ShEncodeDate(1404, 5, 1)); // the same bound again: nothing
    QCOMPARE(changes.count(), 1);
    p.SetMinTime(ShTimeValue(11, 0, 0, 0));
    QCOMPARE(p.Time(), ShTimeValue(11, 0, 0, 0));
    QCOMPARE(changes.count(), 2);
    p.SetMaxDateTime(ShEncodeDate(1404, 4, 20) + ShTimeValue(12, 0, 0, 0));
    QCOMPARE(p.Date(), ShEncodeDate(1404, 4, 20));
    QCOMPARE(p.Time(), ShTimeValue(12, 0, 0, 0));
    QCOMPARE(changes.count(), 3);
    QCOMPARE(display(p), QStringLiteral("1404/4/20 12:00"));
}

// clang-format off
void tst_ShDatePicker::clipboard_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("clip");    // clipboard text before the keys
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<int>("changes");
    QTest::addColumn<QString>("clipAfter");

    QTest::newRow("copy") << "" << "" << "<C-C>" << "1404/5/12" << false << 0 << "1404/05/12";
    QTest::newRow("copy never takes the time") << "dt" << "" << "<C-C>" << "1404/5/12 10:30" << false << 0
        << "1404/05/12";
    QTest::newRow("paste a date") << "" << "1399/07/03" << "<C-V>" << "1399/7/3" << false << 1 << "1399/07/03";
    QTest::newRow("paste Persian digits") << "" << QString::fromUtf8("۱۳۹۹/۰۷/۰۳") << "<C-V>" << "1399/7/3"
        << false << 1 << QString::fromUtf8("۱۳۹۹/۰۷/۰۳");
    QTest::newRow("paste a date wrapped in direction marks") << "" << QString::fromUtf8("\u200F۱۳۹۹/۰۷/۰۳\u200E")
        << "<C-V>" << "1399/7/3" << false << 1 << QString::fromUtf8("\u200F۱۳۹۹/۰۷/۰۳\u200E");
    QTest::newRow("paste text that is no date") << "" << "hello" << "<C-V>" << "1404/5/12" << false << 0 << "hello";
    QTest::newRow("paste past MaxDate is dropped") << "max=1404/06/01" << "1404/07/01" << "<C-V>" << "1404/5/12"
        << false << 0 << "1404/07/01";
    QTest::newRow("paste the shown day on a null control") << "null" << "1404/05/12" << "<C-V>" << "1404/5/12"
        << false << 1 << "1404/05/12";
    QTest::newRow("paste the shown day changes nothing") << "" << "1404/05/12" << "<C-V>" << "1404/5/12"
        << false << 0 << "1404/05/12";
    QTest::newRow("paste ends a running edit first") << "dmy at=month" << "1399/07/03" << "1<C-V>" << "1399/7/3"
        << false << 2 << "1399/07/03";
    QTest::newRow("read-only does not paste") << "readonly" << "1399/07/03" << "<C-V>" << "1404/5/12" << false << 0
        << "1399/07/03";
    QTest::newRow("cut with AllowNull") << "allownull" << "" << "<C-X>" << "  /  /  " << true << 1 << "1404/05/12";
    QTest::newRow("cut without AllowNull only copies") << "" << "" << "<C-X>" << "1404/5/12" << false << 0
        << "1404/05/12";
    QTest::newRow("Gregorian paste: two-digit year in the window") << "greg" << "8/23/25" << "<C-V>" << "2025/8/23" << false << 1
        << "8/23/25";
    QTest::newRow("Gregorian paste with a four-digit year") << "greg" << "8/23/2024" << "<C-V>" << "2024/8/23"
        << false << 1 << "8/23/2024";
    QTest::newRow("Gregorian copy uses the locale") << "greg" << "" << "<C-C>" << "2025/8/3" << false << 0
        << "8/3/25";
}
// clang-format on

void tst_ShDatePicker::clipboard()
{
    QFETCH(QString, setup);
    QFETCH(QString, clip);
    QFETCH(QString, keys);
    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, setup, "1404/05/12 10:30");
    QGuiApplication::clipboard()->setText(clip);
    QSignalSpy changes(w.picker, &TCustomShDatePicker::OnChange);
    type(w, keys);
    QTEST(display(*w.picker), "shown");
    QTEST(w.picker->IsNull(), "isNull");
    QTEST(int(changes.count()), "changes");
    QTEST(QGuiApplication::clipboard()->text(), "clipAfter");
}

void tst_ShDatePicker::calendarSwitch()
{
    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, "dt", "1404/05/12 10:30");
    TCustomShDatePicker& p = *w.picker;
    QSignalSpy changes(&p, &TCustomShDatePicker::OnChange);
    QSignalSpy switches(&p, &TCustomShDatePicker::OnCalendarSwitch);
    const TDateTime day = p.Date();

    QTest::keyClick(&p, Qt::Key_Space, Qt::ShiftModifier);
    QVERIFY(p.UseSystemCalendar());
    QCOMPARE(p.Date(), day);
    QCOMPARE(display(p), QStringLiteral("2025/8/3 10:30"));
    QCOMPARE(switches.count(), 1);

    // Typing in Gregorian mode: day 31 of August.
    p.SetCurrentSection(2);
    QTest::keyClicks(&p, "31");
    QCOMPARE(p.Date(), ShGregorianToSerial(QDate(2025, 8, 31)));

    // A double click on the edit switches back; the day is kept.
    QTest::mouseDClick(&p, Qt::LeftButton, Qt::NoModifier, p.EditRect().center());
    QVERIFY(!p.UseSystemCalendar());
    QCOMPARE(switches.count(), 2);
    QCOMPARE(display(p), QStringLiteral("1404/6/9 10:30"));
    QCOMPARE(changes.count(), 1); // only the typed day

    // Without AllowCalendarSwitch neither switches.
    p.SetAllowCalendarSwitch(false);
    QTest::keyClick(&p, Qt::Key_Space, Qt::ShiftModifier);
    QTest::mouseDClick(&p, Qt::LeftButton, Qt::NoModifier, p.EditRect().center());
    QVERIFY(!p.UseSystemCalendar());
    QCOMPARE(switches.count(), 2);

    // A running edit is committed before the switch.
    p.SetAllowCalendarSwitch(true);
    p.SetCurrentSection(1);
    QTest::keyClick(&p, '1');
    QVERIFY(p.IsEditing());
    QTest::keyClick(&p, Qt::Key_Space, Qt::ShiftModifier);
    QVERIFY(!p.IsEditing());
    QCOMPARE(p.Date(), ShEncodeDate(1404, 1, 9));
}

void tst_ShDatePicker::gregorianUsesDefaultLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, "greg", "1404/05/12");
    QTest::keyClick(w.picker, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("03.08.25"));
    QGuiApplication::clipboard()->setText(QStringLiteral("24.12.25"));
    QTest::keyClick(w.picker, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.picker->Date(), ShGregorianToSerial(QDate(2025, 12, 24)));
}

void tst_ShDatePicker::mouse()
{
    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, "dt", "1400/01/01 01:00");
    TCustomShDatePicker& p = *w.picker;
    w.other->setFocus();
    QVERIFY(!p.hasFocus());

    // A click on the month takes the focus and makes the month current.
    QTest::mouseClick(&p, Qt::LeftButton, Qt::NoModifier, p.SectionRect(1).center());
    QVERIFY(p.hasFocus());
    QCOMPARE(p.CurrentSection(), 1);
    QTest::mouseClick(&p, Qt::LeftButton, Qt::NoModifier, p.SectionRect(4).center());
    QCOMPARE(p.CurrentSection(), 4);

    // A click commits a running edit.
    QSignalSpy changes(&p, &TCustomShDatePicker::OnChange);
    QTest::keyClick(&p, '1');
    QVERIFY(p.IsEditing());
    QTest::mouseClick(&p, Qt::LeftButton, Qt::NoModifier, p.SectionRect(0).center());
    QVERIFY(!p.IsEditing());
    QCOMPARE(p.CurrentSection(), 0);
    QCOMPARE(display(p), QStringLiteral("1400/1/1 01:01"));
    QCOMPARE(changes.count(), 1);

    // The middle button brings today and now.
    QTest::mouseClick(&p, Qt::MiddleButton, Qt::NoModifier, p.SectionRect(0).center());
    QCOMPARE(display(p), QStringLiteral("1404/5/12 10:30"));
    QCOMPARE(changes.count(), 2);

    // Read-only: the middle button changes nothing.
    p.SetDate(ShEncodeDate(1400, 1, 1));
    p.SetReadOnly(true);
    QTest::mouseClick(&p, Qt::MiddleButton, Qt::NoModifier, p.SectionRect(0).center());
    QCOMPARE(ShDateToStr(p.Date()), QStringLiteral("1400/01/01"));
}

// clang-format off
void tst_ShDatePicker::wheel_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("changes");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("up steps the current section") << "at=month" << 120 << 0 << "1404/6/30" << 1 << true;
    QTest::newRow("down steps back") << "at=month" << -120 << 0 << "1404/4/30" << 1 << true;
    QTest::newRow("two notches") << "at=year" << 240 << 0 << "1406/5/30" << 1 << true;
    QTest::newRow("half a notch waits") << "at=year" << 60 << 0 << "1404/5/30" << 0 << true;
    QTest::newRow("Shift: one day") << "at=year" << 120 << int(Qt::ShiftModifier) << "1404/5/31" << 1 << true;
    QTest::newRow("Ctrl: seven days") << "at=year" << -120 << int(Qt::ControlModifier) << "1404/5/23" << 1 << true;
    QTest::newRow("read-only leaves the wheel to others") << "readonly at=month" << 120 << 0 << "1404/5/30" << 0
        << false;
}
// clang-format on

void tst_ShDatePicker::wheel()
{
    QFETCH(QString, setup);
    QFETCH(int, delta);
    QFETCH(int, modifiers);
    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, setup, "1404/05/30");
    QSignalSpy changes(w.picker, &TCustomShDatePicker::OnChange);
    const QPointF pos = w.picker->rect().center();
    QWheelEvent event(pos, w.picker->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
    event.setAccepted(false);
    QCoreApplication::sendEvent(w.picker, &event);
    QTEST(display(*w.picker), "shown");
    QTEST(int(changes.count()), "changes");
    QTEST(event.isAccepted(), "accepted");
}

void tst_ShDatePicker::formattedHint()
{
    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, "dt allownull", "1391/02/10 08:30");
    TCustomShDatePicker& p = *w.picker;
    p.SetFormattedHint(true);
    p.SetHint(QStringLiteral("yyyy/mm/dd hh:nn"));
    QCOMPARE(p.FormattedHintText(), QStringLiteral("1391/02/10 08:30"));
    p.SetHint(QString());
    QCOMPARE(p.FormattedHintText(), QStringLiteral("1391/02/10 08:30:00"));

    QHelpEvent help(QEvent::ToolTip, p.rect().center(), p.mapToGlobal(p.rect().center()));
    QCoreApplication::sendEvent(&p, &help);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("1391/02/10 08:30:00"));

    QTest::keyClick(&p, Qt::Key_Delete);
    QVERIFY(p.IsNull());
    QCOMPARE(p.FormattedHintText(), QString());
    QCoreApplication::sendEvent(&p, &help);
    QTRY_VERIFY(!QToolTip::isVisible());
}

// clang-format off
void tst_ShDatePicker::focus_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("section"); // current section after the focus came back

    QTest::newRow("day first lands on the day") << "dmy at=month" << "day";
    QTest::newRow("year first lands on the year") << "ymd at=month" << "year";
    QTest::newRow("time lands on the hour") << "time at=minute" << "hour";
    QTest::newRow("without AutoMove the section stays") << "noauto at=month" << "month";
}
// clang-format on

void tst_ShDatePicker::focus()
{
    QFETCH(QString, setup);
    PickerWindow w;
    QVERIFY(w.show());
    applySetup(w, setup, "1404/05/12 10:30");
    QSignalSpy changes(w.picker, &TCustomShDatePicker::OnChange);
    type(w, "<Out><In>");
    QFETCH(QString, section);
    QCOMPARE(w.picker->CurrentSection(), sectionIndex(section));
    QCOMPARE(changes.count(), 0);
}

void tst_ShDatePicker::autoSizeFollowsFont()
{
    PickerWindow w;
    QVERIFY(w.show());
    TCustomShDatePicker& p = *w.picker;
    const int small = p.height();
    QFont big = p.font();
    big.setPixelSize(30);
    p.setFont(big);
    QVERIFY2(p.height() > small + 10, qPrintable(QString::number(p.height())));
    QCOMPARE(p.height(), QFontMetrics(big).height() + 2 + 4);
    // The sections grow with the font.
    QVERIFY(p.SectionRect(0).height() == QFontMetrics(big).height());
    p.SetBorderStyle(bsNone);
    QCOMPARE(p.height(), QFontMetrics(big).height() + 4);
    p.SetAutoSize(false);
    p.resize(p.width(), 80);
    p.setFont(w.window->font());
    QCOMPARE(p.height(), 80);
    // The text stays vertically centred in the taller control.
    const QRect text = p.TextRect();
    QVERIFY(qAbs(text.top() - (80 - text.bottom() - 1)) <= 1);
}

// clang-format off
void tst_ShDatePicker::highlightOnlyWithFocus_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("expected");

    QTest::newRow("focused") << true << true << true;
    QTest::newRow("not focused") << false << true << false;
    QTest::newRow("disabled") << true << false << false;
}
// clang-format on

static int countColour(const QImage& image, const QRect& area, QRgb colour);

void tst_ShDatePicker::highlightOnlyWithFocus()
{
    QFETCH(bool, focused);
    QFETCH(bool, enabled);
    QFETCH(bool, expected);
    PickerWindow w;
    QVERIFY(w.show());
    TCustomShDatePicker& p = *w.picker;
    if (focused)
        p.setFocus();
    else
        w.other->setFocus();
    p.setEnabled(enabled);
    const QImage image = p.grab().toImage();
    const QRgb highlight = p.palette().color(QPalette::Active, QPalette::Highlight).rgb();
    const QRect day = p.SectionRect(2);
    QCOMPARE(countColour(image, day, highlight) > day.width() * day.height() / 3, expected);
    QCOMPARE(countColour(image, p.SectionRect(0), highlight), 0);
}

static int countColour(const QImage& image, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                ++n;
    return n;
}

// clang-format off
void tst_ShDatePicker::indicatorPixels_data()
{
    QTest::addColumn<bool>("rtl");
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<bool>("allowSwitch");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("expected");

    QTest::newRow("Solar Hijri: none") << false << false << true << int(dtkDate) << false;
    QTest::newRow("Gregorian: triangle") << false << true << true << int(dtkDate) << true;
    QTest::newRow("Gregorian right-to-left: triangle") << true << true << true << int(dtkDate) << true;
    QTest::newRow("Gregorian date-time: triangle") << false << true << true << int(dtkDateTime) << true;
    QTest::newRow("Gregorian without switching: none") << false << true << false << int(dtkDate) << false;
    QTest::newRow("Gregorian time only: none") << false << true << true << int(dtkTime) << false;
}
// clang-format on

void tst_ShDatePicker::indicatorPixels()
{
    QFETCH(bool, rtl);
    QFETCH(bool, gregorian);
    QFETCH(bool, allowSwitch);
    QFETCH(int, kind);
    QFETCH(bool, expected);
    PickerWindow w(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    QVERIFY(w.show());
    TCustomShDatePicker& p = *w.picker;
    p.SetKind(TShDateTimeKind(kind));
    p.SetUseSystemCalendar(gregorian);
    p.SetAllowCalendarSwitch(allowSwitch);
    const QImage image = p.grab().toImage();
    const QRgb orange = qRgb(255, 128, 0);
    QCOMPARE(countColour(image, image.rect(), orange), expected ? 10 : 0);
    if (!expected)
        return;
    // A right triangle: both top corners and the bottom trailing corner, not the bottom leading one.
    const QRect ind = p.IndicatorRect();
    QCOMPARE(image.pixel(ind.topLeft()) & 0xFFFFFF, orange & 0xFFFFFF);
    QCOMPARE(image.pixel(ind.topRight()) & 0xFFFFFF, orange & 0xFFFFFF);
    const QPoint trailing = rtl ? ind.bottomLeft() : ind.bottomRight();
    const QPoint leading = rtl ? ind.bottomRight() : ind.bottomLeft();
    QCOMPARE(image.pixel(trailing) & 0xFFFFFF, orange & 0xFFFFFF);
    QVERIFY(image.pixel(leading) != orange);
    QCOMPARE(ind.top(), 1 + 2); // border, then 2 pixels down
}

// clang-format off
void tst_ShDatePicker::requiredMarkPixels_data()
{
    QTest::addColumn<bool>("highlight");
    QTest::addColumn<bool>("allowNull");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<bool>("rtl");
    QTest::addColumn<bool>("expected");

    QTest::newRow("required, null") << true << true << true << false << true;
    QTest::newRow("required, null, right-to-left") << true << true << true << true << true;
    QTest::newRow("required, not null") << true << true << false << false << false;
    QTest::newRow("not required, null") << false << true << true << false << false;
}
// clang-format on

void tst_ShDatePicker::requiredMarkPixels()
{
    QFETCH(bool, highlight);
    QFETCH(bool, allowNull);
    QFETCH(bool, isNull);
    QFETCH(bool, rtl);
    QFETCH(bool, expected);
    PickerWindow w(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    QVERIFY(w.show());
    TCustomShDatePicker& p = *w.picker;
    p.SetHighlightRequired(highlight);
    p.SetAllowNull(allowNull);
    p.SetIsNull(isNull);
    const QImage image = p.grab().toImage();
    const QRgb red = qRgb(255, 0, 0);
    const int bottom = image.height() - 2; // the client area's last row, inside the border
    QCOMPARE(countColour(image, image.rect(), red) > 0, expected);
    if (!expected)
        return;
    QCOMPARE(countColour(image, image.rect(), red), countColour(image, QRect(0, bottom, image.width(), 1), red));
    // Dotted: every other pixel, from 2 inside the edit rectangle (one further right in right-to-left).
    const int first = p.EditRect().left() + 2 + (rtl ? 1 : 0);
    QCOMPARE(image.pixel(first, bottom) & 0xFFFFFF, red & 0xFFFFFF);
    QVERIFY((image.pixel(first + 1, bottom) & 0xFFFFFF) != (red & 0xFFFFFF));
    QCOMPARE(image.pixel(first + 2, bottom) & 0xFFFFFF, red & 0xFFFFFF);
}

void tst_ShDatePicker::sheet()
{
    // Every combination a form shows, drawn large enough to read: right-to-left and left-to-right, date and
    // date-time, focused and not, null and not, Solar Hijri and Gregorian.
    struct Shot
    {
        QString caption;
        QImage image;
    };
    QList<Shot> shots;
    for (const bool rtl : {true, false})
        for (const bool dateTime : {false, true})
            for (const bool gregorian : {false, true})
                for (const bool focused : {false, true})
                    for (const bool null : {false, true}) {
                        PickerWindow w(rtl ? Qt::RightToLeft : Qt::LeftToRight);
                        QVERIFY(w.show());
                        TCustomShDatePicker& p = *w.picker;
                        p.resize(dateTime ? 190 : 130, p.height());
                        p.SetKind(dateTime ? dtkDateTime : dtkDate);
                        p.SetUse12HourClock(dateTime && gregorian);
                        p.SetUseSystemCalendar(gregorian);
                        p.SetAllowNull(true);
                        p.SetHighlightRequired(true);
                        p.SetIsNull(null);
                        if (focused)
                            p.setFocus();
                        else
                            w.other->setFocus();
                        QCoreApplication::processEvents();
                        const QImage image = p.grab().toImage();
                        // What a reader must see: the value, or nothing and the red mark of a missing value; the
                        // section being edited (blank or not) highlighted while the picker has the focus.
                        const QString shot = QStringLiteral("rtl %1 dateTime %2 gregorian %3 focused %4 null %5")
                                                 .arg(rtl)
                                                 .arg(dateTime)
                                                 .arg(gregorian)
                                                 .arg(focused)
                                                 .arg(null);
                        const QImage text = image.copy(p.TextRect());
                        QVERIFY2((countPixels(text, darkerThan(100)) > 40) == !null, qPrintable(shot));
                        QVERIFY2((countPixels(image, closeTo(Qt::red, 60)) > 5) == null, qPrintable(shot));
                        const QColor highlight = p.palette().color(QPalette::Highlight);
                        QVERIFY2((countPixels(image, closeTo(highlight, 10)) > 20) == focused, qPrintable(shot));
                        shots.append({QStringLiteral("%1 %2 %3 %4 %5")
                                          .arg(rtl ? "RTL" : "LTR", dateTime ? "date-time" : "date",
                                               gregorian ? "Gregorian" : "Solar Hijri", focused ? "focused" : "-",
                                               null ? "null" : ""),
                                      image});
                    }
    const int scale = 2, rowHeight = 64, columnWidth = 640;
    QImage sheet(columnWidth * 2, rowHeight * ((shots.size() + 1) / 2) + 8, QImage::Format_RGB32);
    sheet.fill(Qt::lightGray);
    QPainter painter(&sheet);
    for (int i = 0; i < shots.size(); ++i) {
        const int x = (i % 2) * columnWidth + 8, y = (i / 2) * rowHeight + 8;
        painter.setPen(Qt::black);
        painter.drawText(QRect(x, y, 230, rowHeight - 8), Qt::AlignVCenter | Qt::AlignLeft, shots[i].caption);
        const QImage& img = shots[i].image;
        painter.drawImage(QRect(x + 235, y, img.width() * scale, img.height() * scale), img);
    }
    painter.end();
    QVERIFY(!saveScreenshot(sheet, QStringLiteral("ShDatePicker_sheet")).isEmpty());

    // And one form-like window at its natural size.
    QWidget form;
    form.setLayoutDirection(Qt::RightToLeft);
    form.resize(300, 80);
    auto* label = new QLabel(QString::fromUtf8("تاریخ:"), &form);
    label->setGeometry(200, 12, 80, 24);
    auto* picker = new TCustomShDatePicker(&form);
    picker->setGeometry(70, 12, 121, picker->height());
    auto* label2 = new QLabel(QString::fromUtf8("زمان:"), &form);
    label2->setGeometry(200, 44, 80, 24);
    auto* picker2 = new TCustomShDatePicker(&form);
    picker2->SetKind(dtkDateTime);
    picker2->SetShowSecond(true);
    picker2->setGeometry(20, 44, 171, picker2->height());
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    picker->setFocus();
    QVERIFY(!saveScreenshot(&form, QStringLiteral("ShDatePicker_form")).isEmpty());
}

QTEST_MAIN(tst_ShDatePicker)
#include "tst_ShDatePicker.moc"
