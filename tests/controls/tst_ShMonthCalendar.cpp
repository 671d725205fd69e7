#include "controls/ShDateCtrls.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"
#include "controls/Beep.h"
#include "tests/support/EmbeddedFont.h"
#include "tests/support/HostWindow.h"
#include "tests/support/Pixels.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

// The clock stands still at 12 Mordad 1404, 10:30. Mordad 1404 begins on a Wednesday, Shahrivar 1404 on a
// Saturday, Tir 1404 on a Sunday; 1403 is a leap year, 1404 a common one (Esfand has 29 days).
static TDateTime sh(int y, int m, int d)
{
    return ShEncodeDate(Word(y), Word(m), Word(d));
}

static TDateTime fixedNow()
{
    return sh(1404, 5, 12) + ShTimeValue(10, 30, 0, 0);
}

static int g_beeps = 0;

// A host window with one calendar above its ordinary edit, which can take the focus away.
struct CalendarWindow
{
    std::unique_ptr<HostWindow> window;
    TCustomShMonthCalendar* cal = nullptr;
    QLineEdit* other = nullptr;

    explicit CalendarWindow(Qt::LayoutDirection direction = Qt::RightToLeft, TDateTime date = 0)
        : window(std::make_unique<HostWindow>(direction, QSize(620, 460)))
    {
        cal = new TCustomShMonthCalendar(window->client());
        cal->setObjectName(QStringLiteral("calendar"));
        cal->move(10, 10);
        if (date != 0)
            cal->SetDate(date);
        other = window->other();
        other->move(10, 420);
    }

    bool show()
    {
        const bool active = window->showActive();
        cal->setFocus();
        return active;
    }

    QPoint centreOf(TDateTime day) const
    {
        int col = 0, row = 0;
        cal->IndexToCell(int(day - cal->GridStart()), col, row);
        return cal->CellRect(col, row).center();
    }

    void clickDay(TDateTime day, Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::mouseClick(cal, Qt::LeftButton, modifiers, centreOf(day));
    }

    void clickCell(int col, int row, Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::mouseClick(cal, Qt::LeftButton, modifiers, cal->CellRect(col, row).center());
    }

    TCalendarCellInfo infoOf(TDateTime day) const
    {
        int col = 0, row = 0;
        cal->IndexToCell(int(day - cal->GridStart()), col, row);
        return cal->GetCellInfo(col, row);
    }
};

class tst_ShMonthCalendar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void monthFrame_data();
    void monthFrame();
    void rightToLeftPutsFirstColumnOnTheRight();
    void weekNumbers_data();
    void weekNumbers();
    void gregorianMode();

    void boundErrors_data();
    void boundErrors();
    void monthButtons_data();
    void monthButtons();
    void trailingDayOutsideBoundsIsNotChosen();
    void monthMenu_data();
    void monthMenu();
    void yearEditor_data();
    void yearEditor();
    void yearEditorRangeFollowsBounds();

    void keyboard_data();
    void keyboard();
    void keyHandlerCanSwallowKeys();
    void navigationStopsAtTheCalendarsEnd();
    void titlePartsFollowOptions();
    void monthChangingCanBeRefused();
    void wheel_data();
    void wheel();

    void todayRow();
    void boldDays();
    void boldDaysColour();
    void todayRings_data();
    void todayRings();

    void multiSelect();
    void multiSelectGroups();
    void rangeSelect();
    void rangeSelectByKeyboardAndDrag();
    void multiSelectShiftKeysToggleBack();
    void rangeLengthLimit();
    void selectionOptionsExcludeEachOther_data();
    void selectionOptionsExcludeEachOther();
    void cellIndexErrors();

    void optionsResizeTheControl_data();
    void optionsResizeTheControl();
    void resizeSnapsToWholeCells();
    void fontChangeResizes();
    void drawCellNotification();
    void colourSetAssign();

    void gridLinesAreDrawn_data();
    void gridLinesAreDrawn();
    void screenshots();

private:
    QFont m_font;
};

void tst_ShMonthCalendar::initTestCase()
{
    QVERIFY(useEmbeddedFont(13));
}

void tst_ShMonthCalendar::init()
{
    Clock::setFixed(fixedNow());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    g_beeps = 0;
    SetSystemBeepHook([] { ++g_beeps; });
}

void tst_ShMonthCalendar::cleanup()
{
    SetSystemBeepHook({});
    Clock::useSystem();
}

// ---- the month --------------------------------------------------------------------------------------------------

void tst_ShMonthCalendar::monthFrame_data()
{
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<TDateTime>("gridStart");
    QTest::addColumn<int>("monthLength");

    // A month that begins on the first weekday still shows a full week of the previous month.
    QTest::newRow("Shahrivar 1404 begins on Saturday") << sh(1404, 6, 10) << sh(1404, 5, 25) << 31;
    QTest::newRow("Tir 1404 begins on Sunday") << sh(1404, 4, 10) << sh(1404, 3, 31) << 31;
    QTest::newRow("Mordad 1404 begins on Wednesday") << sh(1404, 5, 12) << sh(1404, 4, 28) << 31;
    QTest::newRow("Esfand of a common year") << sh(1404, 12, 5) << sh(1404, 11, 25) << 29;
    QTest::newRow("Esfand of a leap year") << sh(1403, 12, 30) << sh(1403, 11, 27) << 30;
}

void tst_ShMonthCalendar::monthFrame()
{
    QFETCH(TDateTime, date);
    QFETCH(TDateTime, gridStart);
    QFETCH(int, monthLength);

    CalendarWindow w(Qt::RightToLeft, date);
    QVERIFY(w.show());
    TCustomShMonthCalendar& cal = *w.cal;
    QCOMPARE(cal.GridStart(), gridStart);
    QCOMPARE(cal.LastOfMonth() - cal.FirstOfMonth() + 1, TDateTime(monthLength));

    // What the cells say: trailing days before and after the month, the month's days in between.
    for (int i = 0; i < TCustomShMonthCalendar::DayCellCount; ++i) {
        const TDateTime day = gridStart + i;
        const TCalendarCellInfo info = w.infoOf(day);
        Word y = 0, m = 0, d = 0;
        ShDecodeDate(day, y, m, d);
        QCOMPARE(info.Text, QString::number(d));
        QCOMPARE(info.Value, day);
        const bool inMonth = day >= cal.FirstOfMonth() && day <= cal.LastOfMonth();
        QCOMPARE(bool(info.Flags & ccfTrailing), !inMonth);
    }
    // The current cell is the chosen day, and the weekday row starts with Saturday.
    QCOMPARE(cal.CellIndex(cal.Col(), cal.Row()), int(date - gridStart));
    QCOMPARE(cal.GetCellInfo(0, 2).Text, ShLongDayNames[1]);
    QCOMPARE(cal.GetCellInfo(6, 2).Text, ShLongDayNames[7]);
    Word y = 0, m = 0, d = 0;
    ShDecodeDate(date, y, m, d);
    QCOMPARE(cal.TitleCaption(), ShLongMonthNames[m] + " " + QString::number(y));
}

void tst_ShMonthCalendar::rightToLeftPutsFirstColumnOnTheRight()
{
    CalendarWindow rtl(Qt::RightToLeft, sh(1404, 6, 10));
    CalendarWindow ltr(Qt::LeftToRight, sh(1404, 6, 10));
    QVERIFY(rtl.show());
    QVERIFY(ltr.show());
    // Saturday, the first column, is at the right edge in right to left and at the left edge otherwise.
    QCOMPARE(rtl.cal->CellRect(0, 3).right(), rtl.cal->width() - 1);
    QCOMPARE(ltr.cal->CellRect(0, 3).left(), 0);

    // A click on the right-most cell of the second week row chooses 1 Shahrivar in right to left.
    QTest::mouseClick(rtl.cal, Qt::LeftButton, {}, QPoint(rtl.cal->width() - 5, rtl.cal->CellRect(0, 4).center().y()));
    QCOMPARE(rtl.cal->Date(), sh(1404, 6, 1));
    QTest::mouseClick(ltr.cal, Qt::LeftButton, {}, QPoint(5, ltr.cal->CellRect(0, 4).center().y()));
    QCOMPARE(ltr.cal->Date(), sh(1404, 6, 1));
}

void tst_ShMonthCalendar::weekNumbers_data()
{
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<QStringList>("weeks");

    // 1404 begins on a Friday, so its week 1 (four days rule) begins on Saturday 2 Farvardin; the row of
    // 1 Farvardin is the last week (52) of 1403.
    QTest::newRow("Farvardin 1404") << false << sh(1404, 1, 10) << QStringList{"52", "1", "2", "3", "4", "5"};
    // ISO weeks: 30 December 2024 lies in week 1 of 2025.
    QTest::newRow("January 2025, ISO") << true << ShGregorianToSerial(QDate(2025, 1, 15))
                                       << QStringList{"1", "2", "3", "4", "5", "6"};
    // 2026 begins on a Thursday and has 53 ISO weeks; 4 January 2027 begins week 1.
    QTest::newRow("December 2026, ISO") << true << ShGregorianToSerial(QDate(2026, 12, 15))
                                        << QStringList{"49", "50", "51", "52", "53", "1"};
}

void tst_ShMonthCalendar::weekNumbers()
{
    QFETCH(bool, gregorian);
    QFETCH(TDateTime, date);
    QFETCH(QStringList, weeks);

    CalendarWindow w(Qt::RightToLeft, date);
    w.cal->SetUseSystemCalendar(gregorian);
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoWeekNumbers);
    QVERIFY(w.show());
    QCOMPARE(w.cal->ColCount(), 8);
    QCOMPARE(w.cal->GetCellInfo(0, 2).Text, QStringLiteral("هفته"));
    QStringList shown;
    for (int row = 3; row < 9; ++row) {
        const TCalendarCellInfo info = w.cal->GetCellInfo(0, row);
        QCOMPARE(info.Flags, TCalendarCellFlags(ccfFixed | ccfWeekNumber));
        shown << info.Text;
    }
    QCOMPARE(shown, weeks);
    // The day columns moved one to the left of the week column; the chosen day stayed.
    QCOMPARE(w.cal->Date(), date);
    QCOMPARE(w.cal->CellIndex(w.cal->Col(), w.cal->Row()), int(date - w.cal->GridStart()));
}

void tst_ShMonthCalendar::gregorianMode()
{
    const TDateTime date = ShGregorianToSerial(QDate(2025, 3, 5));
    CalendarWindow w(Qt::LeftToRight, date);
    QVERIFY(w.show());
    QSignalSpy monthChanged(w.cal, &TCustomShMonthCalendar::OnMonthChanged);
    w.cal->SetUseSystemCalendar(true);
    QCOMPARE(monthChanged.count(), 1);
    QCOMPARE(w.cal->Date(), date);
    // Monday first, the locale's names, March 2025 (a Saturday) shows 24 February first.
    QCOMPARE(w.cal->GetCellInfo(0, 2).Text, QStringLiteral("Monday"));
    QCOMPARE(w.cal->GetCellInfo(6, 2).Text, QStringLiteral("Sunday"));
    QCOMPARE(w.cal->GridStart(), ShGregorianToSerial(QDate(2025, 2, 24)));
    QCOMPARE(w.cal->TitleCaption(), QStringLiteral("March 2025"));
    QCOMPARE(w.cal->MonthsMenu()->actions().at(11)->text(), QStringLiteral("December"));
    QCOMPARE(w.cal->GetCellInfo(0, w.cal->RowCount() - 1).Text,
             QStringLiteral("امروز: ") + QLocale().toString(QDate(2025, 8, 3), QLocale::ShortFormat));

    // An English caption reads left to right: the month name is the left part of the title, the year the right.
    QVERIFY(w.cal->MonthNameRect().right() < w.cal->YearRect().left());
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->MonthNameRect().center());
    QTRY_VERIFY(w.cal->MonthsMenu()->isVisible());
    QCOMPARE(w.cal->MonthsMenu()->actions().size(), 12);
    w.cal->MonthsMenu()->close();
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    QVERIFY(w.cal->YearEditor()->isVisible());
    QCOMPARE(w.cal->YearEditor()->text(), QStringLiteral("2025"));
    QCOMPARE(w.cal->YearSpinner()->Min(), 722);
    QTest::keyClick(w.cal->YearEditor(), Qt::Key_Escape);

    // Next month keeps the day; the month length is Gregorian.
    w.cal->SetDate(ShGregorianToSerial(QDate(2025, 1, 31)));
    QTest::mouseClick(w.cal->RightMonthButton(), Qt::LeftButton);
    QCOMPARE(w.cal->Date(), ShGregorianToSerial(QDate(2025, 2, 28)));

    // Back to Solar Hijri: the same day, Persian names again.
    w.cal->SetUseSystemCalendar(false);
    QCOMPARE(w.cal->Date(), ShGregorianToSerial(QDate(2025, 2, 28)));
    QCOMPARE(w.cal->GetCellInfo(0, 2).Text, ShLongDayNames[1]);
    QCOMPARE(w.cal->MonthsMenu()->actions().at(11)->text(), ShLongMonthNames[12]);
}

// ---- bounds, buttons, menu, year editor -------------------------------------------------------------------------

void tst_ShMonthCalendar::boundErrors_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("gregorian");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");

    QTest::newRow("maximum below minimum") << "max 1404/01/01" << false << "ECustomCalendarError"
                                           << "1404/01/01 is less than minimum of 1404/02/01";
    QTest::newRow("minimum above maximum") << "min 1404/07/01" << false << "ECustomCalendarError"
                                           << "1404/07/01 exceeds maximum of 1404/06/20";
    QTest::newRow("date above maximum") << "date 1404/06/21" << false << "EShDateTimeError"
                                        << "1404/06/21 exceeds maximum of 1404/06/20";
    QTest::newRow("date below minimum") << "date 1404/01/31" << false << "EShDateTimeError"
                                        << "1404/01/31 is less than minimum of 1404/02/01";
    // The value in the calendar's own date text, the bound always in Solar Hijri.
    QTest::newRow("Gregorian date above maximum") << "date 1404/06/21" << true << "EShDateTimeError"
                                                  << "9/12/25 exceeds maximum of 1404/06/20";
}

void tst_ShMonthCalendar::boundErrors()
{
    QFETCH(QString, action);
    QFETCH(bool, gregorian);
    QFETCH(QString, kind);
    QFETCH(QString, message);

    CalendarWindow w;
    QVERIFY(w.show());
    TCustomShMonthCalendar& cal = *w.cal;
    cal.SetMinDate(sh(1404, 2, 1));
    cal.SetMaxDate(sh(1404, 6, 20));
    cal.SetUseSystemCalendar(gregorian);
    const TDateTime value = ShStrToDate(action.section(' ', 1));
    const QString what = action.section(' ', 0, 0);
    QString caught;
    QString caughtKind;
    try {
        if (what == "max")
            cal.SetMaxDate(value);
        else if (what == "min")
            cal.SetMinDate(value);
        else
            cal.SetDate(value);
    } catch (const ECustomCalendarError& e) {
        caughtKind = "ECustomCalendarError";
        caught = QString::fromUtf8(e.what());
    } catch (const EShDateTimeError& e) {
        caughtKind = "EShDateTimeError";
        caught = QString::fromUtf8(e.what());
    }
    QCOMPARE(caughtKind, kind);
    QCOMPARE(caught, message);
    // Nothing moved.
    QCOMPARE(cal.MinDate(), sh(1404, 2, 1));
    QCOMPARE(cal.MaxDate(), sh(1404, 6, 20));
    QCOMPARE(cal.Date(), sh(1404, 5, 12));
}

void tst_ShMonthCalendar::monthButtons_data()
{
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::addColumn<bool>("leftButton");
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<TDateTime>("minDate");
    QTest::addColumn<TDateTime>("maxDate");
    QTest::addColumn<TDateTime>("expected");
    QTest::addColumn<int>("beeps");

    // In right to left the left button leads forward (next month); in left to right the right one does.
    QTest::newRow("rtl left is next") << Qt::RightToLeft << true << sh(1404, 5, 12) << 0.0 << 0.0 << sh(1404, 6, 12)
                                      << 0;
    QTest::newRow("rtl right is previous")
        << Qt::RightToLeft << false << sh(1404, 5, 12) << 0.0 << 0.0 << sh(1404, 4, 12) << 0;
    QTest::newRow("ltr right is next") << Qt::LeftToRight << false << sh(1404, 5, 12) << 0.0 << 0.0 << sh(1404, 6, 12)
                                       << 0;
    QTest::newRow("day clamped to month length")
        << Qt::RightToLeft << true << sh(1404, 6, 31) << 0.0 << 0.0 << sh(1404, 7, 30) << 0;
    // Next is allowed before the maximum's month and clamps to the maximum ...
    QTest::newRow("next into the maximum's month")
        << Qt::RightToLeft << true << sh(1404, 5, 25) << 0.0 << sh(1404, 6, 10) << sh(1404, 6, 10) << 0;
    // ... and beeps once the day is in that month.
    QTest::newRow("next inside the maximum's month")
        << Qt::RightToLeft << true << sh(1404, 6, 2) << 0.0 << sh(1404, 6, 10) << sh(1404, 6, 2) << 1;
    QTest::newRow("previous inside the minimum's month")
        << Qt::RightToLeft << false << sh(1404, 5, 20) << sh(1404, 5, 3) << 0.0 << sh(1404, 5, 20) << 1;
    QTest::newRow("previous into the minimum's month")
        << Qt::LeftToRight << true << sh(1404, 6, 1) << sh(1404, 5, 3) << 0.0 << sh(1404, 5, 3) << 0;
}

void tst_ShMonthCalendar::monthButtons()
{
    QFETCH(Qt::LayoutDirection, direction);
    QFETCH(bool, leftButton);
    QFETCH(TDateTime, date);
    QFETCH(TDateTime, minDate);
    QFETCH(TDateTime, maxDate);
    QFETCH(TDateTime, expected);
    QFETCH(int, beeps);

    CalendarWindow w(direction, date);
    w.cal->SetMinDate(minDate);
    w.cal->SetMaxDate(maxDate);
    QVERIFY(w.show());
    QSignalSpy clicks(w.cal, &TCustomShMonthCalendar::OnClick);
    QTest::mouseClick(leftButton ? w.cal->LeftMonthButton() : w.cal->RightMonthButton(), Qt::LeftButton);
    QCOMPARE(w.cal->Date(), expected);
    QCOMPARE(g_beeps, beeps);
    QCOMPARE(clicks.count(), expected != date ? 1 : 0);
}

void tst_ShMonthCalendar::trailingDayOutsideBoundsIsNotChosen()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetMinDate(sh(1404, 5, 1));
    QVERIFY(w.show());
    // 28 Tir is shown in the first row but lies before the minimum.
    w.clickDay(sh(1404, 4, 28));
    QCOMPARE(w.cal->Date(), sh(1404, 5, 12));
    // Page Up from the minimum's month stops at the minimum.
    QTest::keyClick(w.cal, Qt::Key_PageUp);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 1));
    // A trailing day inside the bounds moves to its month.
    w.clickDay(sh(1404, 6, 2));
    QCOMPARE(w.cal->Date(), sh(1404, 6, 2));
    QCOMPARE(w.cal->FirstOfMonth(), sh(1404, 6, 1));
}

void tst_ShMonthCalendar::monthMenu_data()
{
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<int>("month");
    QTest::addColumn<TDateTime>("maxDate");
    QTest::addColumn<TDateTime>("expected");
    QTest::addColumn<int>("beeps");

    QTest::newRow("Esfand of a common year from day 31") << sh(1404, 6, 31) << 12 << 0.0 << sh(1404, 12, 29) << 0;
    QTest::newRow("Esfand of a leap year from day 31") << sh(1403, 6, 31) << 12 << 0.0 << sh(1403, 12, 30) << 0;
    QTest::newRow("Mehr keeps day 30") << sh(1404, 5, 30) << 7 << 0.0 << sh(1404, 7, 30) << 0;
    QTest::newRow("the month shown does nothing") << sh(1404, 5, 12) << 5 << 0.0 << sh(1404, 5, 12) << 0;
    QTest::newRow("a month after the maximum beeps") << sh(1404, 5, 12) << 9 << sh(1404, 8, 10) << sh(1404, 5, 12) << 1;
    QTest::newRow("the maximum's month clamps") << sh(1404, 5, 12) << 8 << sh(1404, 8, 10) << sh(1404, 8, 10) << 0;
}

void tst_ShMonthCalendar::monthMenu()
{
    QFETCH(TDateTime, date);
    QFETCH(int, month);
    QFETCH(TDateTime, maxDate);
    QFETCH(TDateTime, expected);
    QFETCH(int, beeps);

    CalendarWindow w(Qt::RightToLeft, date);
    w.cal->SetMaxDate(maxDate);
    QVERIFY(w.show());
    // The month name opens the menu of the twelve months.
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->MonthNameRect().center());
    QMenu* menu = w.cal->MonthsMenu();
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 12);
    QAction* action = menu->actions().at(month - 1);
    QCOMPARE(action->text(), ShLongMonthNames[month]);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QTRY_VERIFY(!menu->isVisible());
    QCOMPARE(w.cal->Date(), expected);
    QCOMPARE(g_beeps, beeps);
}

void tst_ShMonthCalendar::yearEditor_data()
{
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("close");
    QTest::addColumn<TDateTime>("expected");
    QTest::addColumn<int>("clicks");

    QTest::newRow("Enter accepts") << sh(1404, 5, 12) << 2 << "enter" << sh(1406, 5, 12) << 1;
    QTest::newRow("Escape discards") << sh(1404, 5, 12) << 2 << "escape" << sh(1404, 5, 12) << 0;
    QTest::newRow("focus loss accepts") << sh(1404, 5, 12) << -3 << "focus" << sh(1401, 5, 12) << 1;
    QTest::newRow("a press elsewhere accepts") << sh(1404, 5, 12) << 1 << "press" << sh(1405, 5, 12) << 1;
    QTest::newRow("the same year changes nothing") << sh(1404, 5, 12) << 0 << "enter" << sh(1404, 5, 12) << 0;
    QTest::newRow("leap day into a common year") << sh(1403, 12, 30) << 1 << "enter" << sh(1404, 12, 29) << 1;
}

void tst_ShMonthCalendar::yearEditor()
{
    QFETCH(TDateTime, date);
    QFETCH(int, steps);
    QFETCH(QString, close);
    QFETCH(TDateTime, expected);
    QFETCH(int, clicks);

    CalendarWindow w(Qt::RightToLeft, date);
    QVERIFY(w.show());
    QSignalSpy clickSpy(w.cal, &TCustomShMonthCalendar::OnClick);
    TYearEdit* edit = w.cal->YearEditor();
    QVERIFY(!edit->isVisible());
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    QVERIFY(edit->isVisible());
    QVERIFY(w.cal->YearSpinner()->isVisible());
    QTRY_VERIFY(edit->hasFocus());
    Word y = 0, m = 0, d = 0;
    ShDecodeDate(date, y, m, d);
    QCOMPARE(edit->text(), QString::number(y));
    // The text is read-only: typing does nothing, the spinner changes the year.
    QTest::keyClick(edit, Qt::Key_5);
    QCOMPARE(edit->text(), QString::number(y));
    for (int i = 0; i < std::abs(steps); ++i) {
        QToolButton* button = steps > 0 ? w.cal->YearSpinner()->UpButton() : w.cal->YearSpinner()->DownButton();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(edit->text(), QString::number(y + steps));
    QVERIFY(edit->isVisible()); // pressing the spinner does not close the editor

    if (close == "enter")
        QTest::keyClick(edit, Qt::Key_Return);
    else if (close == "escape")
        QTest::keyClick(edit, Qt::Key_Escape);
    else if (close == "focus")
        w.other->setFocus();
    else
        QTest::mouseClick(w.other, Qt::LeftButton);
    QTRY_VERIFY(!edit->isVisible());
    QVERIFY(!w.cal->YearSpinner()->isVisible());
    QCOMPARE(w.cal->Date(), expected);
    QCOMPARE(clickSpy.count(), clicks);
    if (close == "enter" || close == "escape")
        QTRY_VERIFY(w.cal->hasFocus());
}

void tst_ShMonthCalendar::yearEditorRangeFollowsBounds()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetMinDate(sh(1403, 3, 1));
    w.cal->SetMaxDate(sh(1405, 2, 1));
    QVERIFY(w.show());
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    TYearUpDown* spinner = w.cal->YearSpinner();
    QCOMPARE(spinner->Min(), 1403);
    QCOMPARE(spinner->Max(), 1405);
    QTest::keyClick(w.cal->YearEditor(), Qt::Key_Up);
    QTest::keyClick(w.cal->YearEditor(), Qt::Key_Up);
    QCOMPARE(w.cal->YearEditor()->text(), QStringLiteral("1405"));
    // 12 Mordad 1405 lies after the maximum: the day is clamped to it.
    QTest::keyClick(w.cal->YearEditor(), Qt::Key_Enter);
    QCOMPARE(w.cal->Date(), sh(1405, 2, 1));

    // Hiding the calendar in the middle of an edit accepts it, and the editor is closed when it shows again.
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    QTest::keyClick(w.cal->YearEditor(), Qt::Key_Down);
    w.cal->hide();
    QVERIFY(w.cal->YearEditor()->isHidden());
    QCOMPARE(w.cal->Date(), sh(1404, 2, 1));
    w.cal->show();
    QVERIFY(!w.cal->YearEditor()->isVisible());

    // Without bounds the range is the calendar's: 100 to 9999.
    CalendarWindow free(Qt::RightToLeft, sh(1404, 5, 12));
    QVERIFY(free.show());
    QTest::mouseClick(free.cal->TitleLabel(), Qt::LeftButton, {}, free.cal->YearRect().center());
    QCOMPARE(free.cal->YearSpinner()->Min(), 100);
    QCOMPARE(free.cal->YearSpinner()->Max(), 9999);
    // Any other press on the title only gives the calendar the focus.
    QTest::keyClick(free.cal->YearEditor(), Qt::Key_Escape);
    QTest::mouseClick(free.cal->TitleLabel(), Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(!free.cal->YearEditor()->isVisible());
    QVERIFY(!free.cal->MonthsMenu()->isVisible());
}

// ---- keyboard, wheel --------------------------------------------------------------------------------------------

void tst_ShMonthCalendar::keyboard_data()
{
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::addColumn<bool>("todayRow");
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<TDateTime>("expected");

    const auto rtl = Qt::RightToLeft;
    const auto ltr = Qt::LeftToRight;
    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QTest::newRow("Page Down") << rtl << true << sh(1404, 5, 12) << int(Qt::Key_PageDown) << none << sh(1404, 6, 12);
    QTest::newRow("Page Up clamps the day")
        << rtl << true << sh(1404, 7, 30) << int(Qt::Key_PageUp) << none << sh(1404, 6, 30);
    QTest::newRow("Ctrl+Page Down keeps the day, clamped")
        << rtl << true << sh(1403, 12, 30) << int(Qt::Key_PageDown) << ctrl << sh(1404, 12, 29);
    QTest::newRow("Ctrl+Page Up") << rtl << true << sh(1404, 5, 12) << int(Qt::Key_PageUp) << ctrl << sh(1403, 5, 12);
    QTest::newRow("Home") << rtl << true << sh(1404, 5, 12) << int(Qt::Key_Home) << none << sh(1404, 5, 1);
    QTest::newRow("End") << rtl << true << sh(1404, 5, 12) << int(Qt::Key_End) << none << sh(1404, 5, 31);
    QTest::newRow("Ctrl+Home") << rtl << true << sh(1404, 5, 12) << int(Qt::Key_Home) << ctrl << sh(1404, 1, 1);
    QTest::newRow("Ctrl+End, common year")
        << rtl << true << sh(1404, 5, 12) << int(Qt::Key_End) << ctrl << sh(1404, 12, 29);
    QTest::newRow("Ctrl+End, leap year") << rtl << true << sh(1403, 2, 2) << int(Qt::Key_End) << ctrl
                                         << sh(1403, 12, 30);
    QTest::newRow("Ctrl+Space goes to today")
        << rtl << true << sh(1404, 8, 3) << int(Qt::Key_Space) << ctrl << sh(1404, 5, 12);
    QTest::newRow("Space alone does nothing")
        << rtl << true << sh(1404, 8, 3) << int(Qt::Key_Space) << none << sh(1404, 8, 3);
    QTest::newRow("Up, one week") << rtl << true << sh(1404, 5, 12) << int(Qt::Key_Up) << none << sh(1404, 5, 5);
    QTest::newRow("Down, one week") << rtl << true << sh(1404, 5, 12) << int(Qt::Key_Down) << none << sh(1404, 5, 19);
    QTest::newRow("Up from the first week into the shown previous month")
        << rtl << true << sh(1404, 6, 1) << int(Qt::Key_Up) << none << sh(1404, 5, 25);
    // In right to left, Left leads forward (to the next day) and Right back.
    QTest::newRow("rtl Left is the next day")
        << rtl << true << sh(1404, 5, 12) << int(Qt::Key_Left) << none << sh(1404, 5, 13);
    QTest::newRow("rtl Right is the previous day")
        << rtl << true << sh(1404, 5, 12) << int(Qt::Key_Right) << none << sh(1404, 5, 11);
    QTest::newRow("ltr Right is the next day")
        << ltr << true << sh(1404, 5, 12) << int(Qt::Key_Right) << none << sh(1404, 5, 13);
    // Row wrap: 3 Mordad is a Friday (last column), 4 Mordad a Saturday (first column).
    QTest::newRow("rtl Left wraps to the next row")
        << rtl << true << sh(1404, 5, 3) << int(Qt::Key_Left) << none << sh(1404, 5, 4);
    QTest::newRow("ltr Right wraps to the next row")
        << ltr << true << sh(1404, 5, 3) << int(Qt::Key_Right) << none << sh(1404, 5, 4);
    QTest::newRow("rtl Right wraps to the previous row")
        << rtl << true << sh(1404, 5, 4) << int(Qt::Key_Right) << none << sh(1404, 5, 3);
    QTest::newRow("Ctrl+arrow does not wrap")
        << ltr << true << sh(1404, 5, 3) << int(Qt::Key_Right) << ctrl << sh(1404, 5, 3);
    // 28 Shahrivar ends the fifth week row: with the Today row it wraps into the last week row, without it the
    // last two rows are the grid's last two and it does not.
    QTest::newRow("wrap into the last week row")
        << ltr << true << sh(1404, 6, 28) << int(Qt::Key_Right) << none << sh(1404, 6, 29);
    QTest::newRow("no wrap from the grid's last two rows")
        << ltr << false << sh(1404, 6, 28) << int(Qt::Key_Right) << none << sh(1404, 6, 28);
    QTest::newRow("Down from the last week row with the Today row")
        << rtl << true << sh(1404, 6, 29) << int(Qt::Key_Down) << none << sh(1404, 6, 29);
    QTest::newRow("other keys are ignored")
        << rtl << true << sh(1404, 5, 12) << int(Qt::Key_A) << none << sh(1404, 5, 12);
}

void tst_ShMonthCalendar::keyboard()
{
    QFETCH(Qt::LayoutDirection, direction);
    QFETCH(bool, todayRow);
    QFETCH(TDateTime, date);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(TDateTime, expected);

    CalendarWindow w(direction, date);
    if (!todayRow)
        w.cal->SetCalendarOptions(w.cal->CalendarOptions() & ~TMonthCalOptions(mcoToday));
    QVERIFY(w.show());
    QVERIFY(w.cal->hasFocus());
    QSignalSpy clicks(w.cal, &TCustomShMonthCalendar::OnClick);
    QTest::keyClick(w.cal, Qt::Key(key), modifiers);
    QCOMPARE(w.cal->Date(), expected);
    QCOMPARE(clicks.count(), expected != date ? 1 : 0);
    // The current cell always follows the chosen day.
    QCOMPARE(w.cal->CellIndex(w.cal->Col(), w.cal->Row()), int(expected - w.cal->GridStart()));
}

void tst_ShMonthCalendar::keyHandlerCanSwallowKeys()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    QVERIFY(w.show());
    QList<int> seen;
    QObject::connect(w.cal, &TCustomShMonthCalendar::OnCalendarKeyDown, w.cal,
                     [&seen](int& key, Qt::KeyboardModifiers) {
                         seen << key;
                         if (key == Qt::Key_PageDown)
                             key = 0;
                     });
    QTest::keyClick(w.cal, Qt::Key_PageDown);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 12));
    QTest::keyClick(w.cal, Qt::Key_PageUp);
    QCOMPARE(w.cal->Date(), sh(1404, 4, 12));
    QCOMPARE(seen, (QList<int>{Qt::Key_PageDown, Qt::Key_PageUp}));
}

void tst_ShMonthCalendar::navigationStopsAtTheCalendarsEnd()
{
    CalendarWindow w(Qt::RightToLeft, sh(9999, 12, 10));
    QVERIFY(w.show());
    // No month after Esfand 9999: the keys and the button beep, nothing raises, the day stays.
    QTest::keyClick(w.cal, Qt::Key_PageDown);
    QTest::keyClick(w.cal, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::mouseClick(w.cal->LeftMonthButton(), Qt::LeftButton);
    QCOMPARE(w.cal->Date(), sh(9999, 12, 10));
    QCOMPARE(g_beeps, 3);
    QTest::keyClick(w.cal, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(w.cal->Date(), sh(9999, 12, 29));
    // The days shown after 29 Esfand 9999 cannot be chosen.
    const TDateTime after = sh(9999, 12, 29) + 1;
    w.clickDay(after);
    QCOMPARE(w.cal->Date(), sh(9999, 12, 29));
    QTest::keyClick(w.cal, Qt::Key_Down);
    QCOMPARE(w.cal->Date(), sh(9999, 12, 29));
    QCOMPARE(w.cal->FirstOfMonth(), sh(9999, 12, 1));
}

void tst_ShMonthCalendar::titlePartsFollowOptions()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    QVERIFY(w.show());
    QCOMPARE(w.cal->TitlePanel()->findChildren<QToolButton*>(QStringLiteral("MonthButtonLeft")).size(), 1);
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() &
                              ~TMonthCalOptions(mcoMonthButtons | mcoMonthPopupMenu | mcoYearEditor));
    QVERIFY(!w.cal->LeftMonthButton());
    QVERIFY(!w.cal->MonthsMenu());
    QVERIFY(!w.cal->YearEditor());
    QVERIFY(w.cal->TitlePanel()->findChildren<QToolButton*>(QStringLiteral("MonthButtonLeft")).isEmpty());
    // The title still shows the month; presses on it only give the calendar the focus.
    QCOMPARE(w.cal->TitleCaption(), ShLongMonthNames[5] + " 1404");
    w.other->setFocus();
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->MonthNameRect().center());
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    QTRY_VERIFY(w.cal->hasFocus());
    QCOMPARE(w.cal->Date(), sh(1404, 5, 12));
    // Back on: the parts are there again and work.
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoMonthButtons | mcoYearEditor);
    QVERIFY(w.cal->LeftMonthButton()->isVisible());
    QTest::mouseClick(w.cal->LeftMonthButton(), Qt::LeftButton);
    QCOMPARE(w.cal->Date(), sh(1404, 6, 12));
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    QVERIFY(w.cal->YearEditor()->isVisible());
    QTest::keyClick(w.cal->YearEditor(), Qt::Key_Up);
    // Taking the editor away in the middle of an edit, and then the calendar itself, is safe.
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() & ~TMonthCalOptions(mcoYearEditor));
    QVERIFY(!w.cal->YearEditor());
    QCOMPARE(w.cal->Date(), sh(1404, 6, 12));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoYearEditor);
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    QTRY_VERIFY(w.cal->YearEditor()->hasFocus());
    delete w.cal;
    QVERIFY(w.other->isVisible());
}

void tst_ShMonthCalendar::monthChangingCanBeRefused()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    QVERIFY(w.show());
    bool allow = false;
    QObject::connect(w.cal, &TCustomShMonthCalendar::OnMonthChanging, w.cal, [&allow](bool& a) { a = allow; });
    QSignalSpy changed(w.cal, &TCustomShMonthCalendar::OnMonthChanged);
    QTest::keyClick(w.cal, Qt::Key_PageDown);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 12));
    QCOMPARE(w.cal->FirstOfMonth(), sh(1404, 5, 1));
    QCOMPARE(changed.count(), 0);
    // Moves inside the month do not ask.
    QTest::keyClick(w.cal, Qt::Key_End);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 31));
    allow = true;
    QTest::keyClick(w.cal, Qt::Key_PageDown);
    QCOMPARE(w.cal->Date(), sh(1404, 6, 31));
    QCOMPARE(changed.count(), 1);
}

void tst_ShMonthCalendar::wheel_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<TDateTime>("expected");

    QTest::newRow("down is the next month") << -120 << Qt::KeyboardModifiers() << sh(1404, 6, 12);
    QTest::newRow("up is the previous month") << 120 << Qt::KeyboardModifiers() << sh(1404, 4, 12);
    QTest::newRow("Ctrl+down is a year later") << -120 << Qt::KeyboardModifiers(Qt::ControlModifier) << sh(1405, 5, 12);
    QTest::newRow("a step past the maximum stops at it")
        << -240 << Qt::KeyboardModifiers(Qt::ControlModifier) << sh(1405, 5, 12);
    QTest::newRow("half a notch does nothing") << -60 << Qt::KeyboardModifiers() << sh(1404, 5, 12);
}

void tst_ShMonthCalendar::wheel()
{
    QFETCH(int, delta);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(TDateTime, expected);

    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetMaxDate(sh(1405, 5, 12));
    QVERIFY(w.show());
    QSignalSpy clicks(w.cal, &TCustomShMonthCalendar::OnClick);
    const QPoint pos = w.cal->CellRect(3, 5).center();
    QWheelEvent event(pos, w.cal->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.cal, &event);
    QVERIFY(event.isAccepted());
    QCOMPARE(w.cal->Date(), expected);
    QCOMPARE(clicks.count(), expected != sh(1404, 5, 12) ? 1 : 0);
}

// ---- Today row, bold days ---------------------------------------------------------------------------------------

void tst_ShMonthCalendar::todayRow()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 8, 3));
    QVERIFY(w.show());
    const int todayRow = w.cal->RowCount() - 1;
    QCOMPARE(todayRow, 9);
    const TCalendarCellInfo info = w.cal->GetCellInfo(2, todayRow);
    QCOMPARE(info.Text, QStringLiteral("امروز: 1404/05/12"));
    QCOMPARE(info.Value, sh(1404, 5, 12));

    QSignalSpy clicks(w.cal, &TCustomShMonthCalendar::OnClick);
    w.clickCell(3, todayRow);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 12));
    QCOMPARE(clicks.count(), 1); // the release
    QCOMPARE(g_beeps, 0);

    // Today outside the bounds: a beep and nothing else.
    w.cal->SetDate(sh(1404, 8, 3));
    w.cal->SetMinDate(sh(1404, 7, 1));
    w.clickCell(3, todayRow);
    QCOMPARE(w.cal->Date(), sh(1404, 8, 3));
    QCOMPARE(g_beeps, 1);

    // Without the option there is no Today row and the last week row is the last row.
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() & ~TMonthCalOptions(mcoToday));
    QCOMPARE(w.cal->RowCount(), 9);
    QCOMPARE(w.cal->GetCellInfo(2, 8).Flags & ccfFixed, 0);
}

void tst_ShMonthCalendar::boldDays()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    QVERIFY(w.show());
    QCOMPARE(w.cal->BoldDays(), 0u);
    QList<int> months;
    QObject::connect(w.cal, &TCustomShMonthCalendar::OnGetMonthInfo, w.cal,
                     [&months](Word, Word month, std::uint32_t& mask) {
                         months << month;
                         mask |= 1u; // the first of every month
                     });
    // Writing the bold weekday does not ask the month-info handler.
    w.cal->SetDefaultBoldDays(dbdFridays);
    QVERIFY(months.isEmpty());
    // Mordad 1404 begins on a Wednesday: its Fridays are 3, 10, 17, 24 and 31.
    const std::uint32_t fridays = (1u << 2) | (1u << 9) | (1u << 16) | (1u << 23) | (1u << 30);
    QCOMPARE(w.cal->BoldDays(), fridays);
    QVERIFY(w.infoOf(sh(1404, 5, 10)).Flags & ccfBold);
    QVERIFY(!(w.infoOf(sh(1404, 5, 11)).Flags & ccfBold));
    // A trailing Friday of the next month is not bold here.
    QVERIFY(!(w.infoOf(sh(1404, 6, 7)).Flags & ccfBold));

    // The month-info handler changes the mask of every month built from now on.
    QTest::keyClick(w.cal, Qt::Key_PageDown);
    QCOMPARE(months, QList<int>{6});
    // Shahrivar 1404 begins on a Saturday: Fridays 7, 14, 21, 28 plus day 1.
    QCOMPARE(w.cal->BoldDays(), 1u | (1u << 6) | (1u << 13) | (1u << 20) | (1u << 27));

    // Gregorian: Fridays of March 2025 are 7, 14, 21, 28.
    w.cal->SetUseSystemCalendar(true);
    w.cal->SetDate(ShGregorianToSerial(QDate(2025, 3, 10)));
    QCOMPARE(w.cal->BoldDays(), 1u | (1u << 6) | (1u << 13) | (1u << 20) | (1u << 27));
    QCOMPARE(w.cal->WeekdayMask(2025, 3, 1), (1u << 0) | (1u << 7) | (1u << 14) | (1u << 21) | (1u << 28)); // Saturdays
}

static int countColour(const QImage& image, const QRect& rect, const QColor& colour)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                ++count;
    return count;
}

void tst_ShMonthCalendar::boldDaysColour()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetDefaultBoldDays(dbdFridays);
    QVERIFY(w.show());
    const QColor green(0, 160, 0);
    const QColor text(10, 20, 30);
    w.cal->CalColors()->SetTextColor(text);
    int col = 0, row = 0;
    w.cal->IndexToCell(int(sh(1404, 5, 10) - w.cal->GridStart()), col, row);
    const QRect friday = w.cal->CellRect(col, row);

    // The default-colour marker: bold days in the text colour.
    QVERIFY(!w.cal->CalColors()->BoldDaysColor().isValid());
    QImage image = w.cal->grab().toImage();
    QCOMPARE(countColour(image, friday, green), 0);
    QVERIFY(countColour(image, friday, text) > 0);

    w.cal->CalColors()->SetBoldDaysColor(green);
    image = w.cal->grab().toImage();
    QVERIFY(countColour(image, friday, green) > 0);
    QCOMPARE(countColour(image, friday, text), 0);
    // A plain day keeps the text colour.
    w.cal->IndexToCell(int(sh(1404, 5, 11) - w.cal->GridStart()), col, row);
    QCOMPARE(countColour(image, w.cal->CellRect(col, row), green), 0);
}

void tst_ShMonthCalendar::todayRings_data()
{
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::newRow("right to left") << Qt::RightToLeft;
    QTest::newRow("left to right") << Qt::LeftToRight;
}

void tst_ShMonthCalendar::todayRings()
{
    QFETCH(Qt::LayoutDirection, direction);
    CalendarWindow w(direction, sh(1404, 5, 20));
    QVERIFY(w.show());
    const QColor ring = w.cal->CalColors()->CircleColor();
    const int todayRow = w.cal->RowCount() - 1;
    const QRect dayArea = w.cal->CellRect(0, 3).united(w.cal->CellRect(6, 8));
    auto ringPixels = [&](const QRect& rect) { return countColour(w.cal->grab().toImage(), rect, ring); };

    // Today's cell carries the ring, and no other day does.
    int col = 0, row = 0;
    w.cal->IndexToCell(int(sh(1404, 5, 12) - w.cal->GridStart()), col, row);
    const QRect todayCell = w.cal->CellRect(col, row);
    QVERIFY(ringPixels(todayCell) > 10);
    QCOMPARE(ringPixels(dayArea), ringPixels(todayCell));
    // The Today row's ring is at the right end of the row in both layouts, the text to its left.
    const QRect rowRight =
        w.cal->rect().intersected(QRect(w.cal->width() - w.cal->DefaultColWidth(), w.cal->CellRect(0, todayRow).top(),
                                        w.cal->DefaultColWidth(), w.cal->DefaultRowHeight()));
    QVERIFY(ringPixels(rowRight) > 10);

    // Another month: no ring among the days.
    QTest::keyClick(w.cal, Qt::Key_PageDown);
    QCOMPARE(ringPixels(dayArea), 0);
    // Back, without the option: none either.
    QTest::keyClick(w.cal, Qt::Key_PageUp);
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() & ~TMonthCalOptions(mcoTodayCircle));
    QCOMPARE(ringPixels(dayArea), 0);
}

// ---- selections -------------------------------------------------------------------------------------------------

void tst_ShMonthCalendar::multiSelect()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoMultiSelect);
    QVERIFY(w.show());
    QCOMPARE(w.cal->SelectedCount(), 1);

    w.clickDay(sh(1404, 5, 3));
    w.clickDay(sh(1404, 5, 20), Qt::ControlModifier);
    w.clickDay(sh(1404, 6, 2), Qt::ControlModifier); // a trailing day joins without changing the month
    QCOMPARE(w.cal->SelectedCount(), 3);
    QCOMPARE(w.cal->FirstOfMonth(), sh(1404, 5, 1));
    QVERIFY(w.cal->IsDaySelected(sh(1404, 5, 3)));
    QVERIFY(w.cal->IsDaySelected(sh(1404, 6, 2)));
    QVERIFY(!w.cal->IsDaySelected(sh(1404, 5, 12)));
    // Ctrl on a selected day takes it out again.
    w.clickDay(sh(1404, 5, 20), Qt::ControlModifier);
    QCOMPARE(w.cal->SelectedCount(), 2);
    QVERIFY(!w.cal->IsDaySelected(sh(1404, 5, 20)));

    // A day outside the 42 shown days cannot be asked about.
    try {
        w.cal->IsDaySelected(sh(1404, 8, 1));
        QFAIL("no error");
    } catch (const EMonthCalError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Invalid date '1404/08/01'"));
    }

    // Without Ctrl a click starts again.
    w.clickDay(sh(1404, 5, 15));
    QCOMPARE(w.cal->SelectedCount(), 1);
    QVERIFY(w.cal->IsDaySelected(sh(1404, 5, 15)));

    // A month move folds a multi-day selection back to the current day first.
    w.clickDay(sh(1404, 5, 16), Qt::ControlModifier);
    QCOMPARE(w.cal->SelectedCount(), 2);
    QSignalSpy clicks(w.cal, &TCustomShMonthCalendar::OnClick);
    QTest::mouseClick(w.cal->LeftMonthButton(), Qt::LeftButton);
    QCOMPARE(w.cal->Date(), sh(1404, 6, 16));
    QCOMPARE(w.cal->SelectedCount(), 1);
    QVERIFY(w.cal->IsDaySelected(sh(1404, 6, 16)));
    QCOMPARE(clicks.count(), 2); // the normalising and the move
}

void tst_ShMonthCalendar::multiSelectGroups()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoMultiSelect | mcoWeekNumbers);
    w.cal->SetMaxDate(sh(1404, 6, 3));
    QVERIFY(w.show());

    // A weekday name selects that column's days, the five Fridays of Mordad; 7 Shahrivar lies after the
    // maximum and stays out. A second press takes them out again.
    w.clickCell(1 + 6, 2);
    QCOMPARE(w.cal->SelectedCount(), 5);
    for (int week = 0; week < 5; ++week)
        QVERIFY(w.cal->IsDaySelected(sh(1404, 5, 3) + 7 * week));
    QVERIFY(!w.cal->IsDaySelected(sh(1404, 6, 7)));
    QCOMPARE(w.cal->Date(), sh(1404, 5, 31)); // the group's last choosable day
    w.clickCell(1 + 6, 2, Qt::ControlModifier);
    QCOMPARE(w.cal->SelectedCount(), 0);

    // A week number selects the row's seven days; Ctrl adds another row.
    w.clickCell(0, 4);
    QCOMPARE(w.cal->SelectedCount(), 7);
    w.clickCell(0, 5, Qt::ControlModifier);
    QCOMPARE(w.cal->SelectedCount(), 14);

    // The Week corner takes every choosable day: the ones after the maximum stay out.
    w.clickCell(0, 2);
    const int choosable = int(sh(1404, 6, 3) - w.cal->GridStart()) + 1;
    QCOMPARE(w.cal->SelectedCount(), choosable);
    QVERIFY(!w.cal->IsDaySelected(sh(1404, 6, 4)));
    // The current day is the last choosable one of the group, and the month stayed.
    QCOMPARE(w.cal->Date(), sh(1404, 6, 3));
    QCOMPARE(w.cal->FirstOfMonth(), sh(1404, 5, 1));
}

void tst_ShMonthCalendar::rangeSelect()
{
    CalendarWindow w(Qt::LeftToRight, sh(1404, 5, 12));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoRangeSelect);
    QVERIFY(w.show());
    w.clickDay(sh(1404, 5, 20));
    w.clickDay(sh(1404, 5, 8), Qt::ShiftModifier);
    QCOMPARE(w.cal->SelectedCount(), 13);
    QCOMPARE(w.cal->SelectionStart(), sh(1404, 5, 8));
    QCOMPARE(w.cal->SelectionEnd(), sh(1404, 5, 20));
    QVERIFY(w.cal->IsDaySelected(sh(1404, 5, 14)));
    QVERIFY(!w.cal->IsDaySelected(sh(1404, 5, 21)));
    // Without Shift the range restarts at the day.
    w.clickDay(sh(1404, 5, 25));
    QCOMPARE(w.cal->SelectedCount(), 1);
    QCOMPARE(w.cal->SelectionStart(), sh(1404, 5, 25));
    // A key without Shift resets it too.
    w.clickDay(sh(1404, 5, 27), Qt::ShiftModifier);
    QCOMPARE(w.cal->SelectedCount(), 3);
    QTest::keyClick(w.cal, Qt::Key_Right);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 28));
    QCOMPARE(w.cal->SelectedCount(), 1);
}

void tst_ShMonthCalendar::rangeSelectByKeyboardAndDrag()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoRangeSelect);
    QVERIFY(w.show());
    // Shift+Left in right to left extends forward; Shift+End to the month's last day.
    QTest::keyClick(w.cal, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(w.cal, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(w.cal->SelectionStart(), sh(1404, 5, 12));
    QCOMPARE(w.cal->SelectionEnd(), sh(1404, 5, 14));
    QTest::keyClick(w.cal, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(w.cal->SelectedCount(), 20);
    // Shift+Down runs into the next month's shown days without changing the month.
    QTest::keyClick(w.cal, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(w.cal->Date(), sh(1404, 6, 7));
    QCOMPARE(w.cal->FirstOfMonth(), sh(1404, 5, 1));
    QCOMPARE(w.cal->SelectionEnd(), sh(1404, 6, 7));
    // Page Down with Shift does nothing.
    QTest::keyClick(w.cal, Qt::Key_PageDown, Qt::ShiftModifier);
    QCOMPARE(w.cal->Date(), sh(1404, 6, 7));

    // Dragging from one day to another selects the days between.
    const QPoint from = w.centreOf(sh(1404, 5, 5));
    const QPoint to = w.centreOf(sh(1404, 5, 9));
    QTest::mousePress(w.cal, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, w.cal->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.cal, &move);
    QTest::mouseRelease(w.cal, Qt::LeftButton, {}, to);
    QCOMPARE(w.cal->SelectionStart(), sh(1404, 5, 5));
    QCOMPARE(w.cal->SelectionEnd(), sh(1404, 5, 9));
    QCOMPARE(w.cal->Date(), sh(1404, 5, 9));
}

void tst_ShMonthCalendar::multiSelectShiftKeysToggleBack()
{
    CalendarWindow w(Qt::LeftToRight, sh(1404, 5, 2));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoMultiSelect);
    QVERIFY(w.show());
    w.clickDay(sh(1404, 5, 20), Qt::ControlModifier); // 2 and 20 now
    w.clickDay(sh(1404, 5, 9), Qt::ControlModifier);  // and 9, the anchor
    QCOMPARE(w.cal->SelectedCount(), 3);
    QTest::keyClick(w.cal, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(w.cal, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(w.cal, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(w.cal->SelectedCount(), 6);
    for (int day : {2, 9, 10, 11, 12, 20})
        QVERIFY(w.cal->IsDaySelected(sh(1404, 5, day)));
    // Going back takes the days no longer covered out again; the anchor and the days outside stay.
    QTest::keyClick(w.cal, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(w.cal, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 10));
    QCOMPARE(w.cal->SelectedCount(), 4);
    for (int day : {2, 9, 10, 20})
        QVERIFY(w.cal->IsDaySelected(sh(1404, 5, day)));
    // A key without Shift ends it all: one day.
    QTest::keyClick(w.cal, Qt::Key_Down);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 17));
    QCOMPARE(w.cal->SelectedCount(), 1);
}

void tst_ShMonthCalendar::rangeLengthLimit()
{
    CalendarWindow w(Qt::LeftToRight, sh(1404, 5, 12));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoRangeSelect);
    w.cal->SetMaxSelectRange(3);
    QVERIFY(w.show());
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(w.cal, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(w.cal->SelectedCount(), 3);
    QCOMPARE(w.cal->Date(), sh(1404, 5, 14));
}

void tst_ShMonthCalendar::selectionOptionsExcludeEachOther_data()
{
    QTest::addColumn<TMonthCalOptions>("before");
    QTest::addColumn<TMonthCalOptions>("requested");
    QTest::addColumn<TMonthCalOptions>("after");

    const TMonthCalOptions base = TCustomShMonthCalendar::DefaultOptions;
    QTest::newRow("both at once from neither keeps range")
        << base << (base | mcoMultiSelect | mcoRangeSelect) << (base | mcoRangeSelect);
    QTest::newRow("multi added to range keeps multi")
        << (base | mcoRangeSelect) << (base | mcoMultiSelect | mcoRangeSelect) << (base | mcoMultiSelect);
    QTest::newRow("range added to multi keeps range")
        << (base | mcoMultiSelect) << (base | mcoMultiSelect | mcoRangeSelect) << (base | mcoRangeSelect);
    QTest::newRow("no trailing days, no choosing them")
        << base << (base & ~TMonthCalOptions(mcoTrailingDays))
        << (base & ~TMonthCalOptions(mcoTrailingDays | mcoSelectTrailDays));
}

void tst_ShMonthCalendar::selectionOptionsExcludeEachOther()
{
    QFETCH(TMonthCalOptions, before);
    QFETCH(TMonthCalOptions, requested);
    QFETCH(TMonthCalOptions, after);

    CalendarWindow w;
    w.cal->SetCalendarOptions(before);
    QCOMPARE(w.cal->CalendarOptions(), before);
    w.cal->SetCalendarOptions(requested);
    QCOMPARE(w.cal->CalendarOptions(), after);
}

void tst_ShMonthCalendar::cellIndexErrors()
{
    CalendarWindow w;
    TCustomShMonthCalendar& cal = *w.cal;
    QCOMPARE(cal.CellIndex(0, 3), 0);
    QCOMPARE(cal.CellIndex(6, 8), 41);
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const ECustomCalendarError& e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    };
    QCOMPARE(message([&] { cal.CellIndex(0, 2); }), QStringLiteral("Invalid Col Or Row"));
    QCOMPARE(message([&] { cal.CellIndex(0, 9); }), QStringLiteral("Invalid Col Or Row"));
    int col = 0, row = 0;
    QCOMPARE(message([&] { cal.IndexToCell(42, col, row); }), QStringLiteral("Invalid cell index: 42"));
    cal.IndexToCell(41, col, row);
    QCOMPARE(col, 6);
    QCOMPARE(row, 8);
    // With week numbers the day columns start at 1.
    cal.SetCalendarOptions(cal.CalendarOptions() | mcoWeekNumbers);
    QCOMPARE(message([&] { cal.CellIndex(0, 3); }), QStringLiteral("Invalid Col Or Row"));
    QCOMPARE(cal.CellIndex(1, 3), 0);
}

// ---- size and colours -------------------------------------------------------------------------------------------

void tst_ShMonthCalendar::optionsResizeTheControl_data()
{
    QTest::addColumn<bool>("autoSize");
    QTest::newRow("auto size") << true;
    QTest::newRow("fixed size") << false;
}

void tst_ShMonthCalendar::optionsResizeTheControl()
{
    QFETCH(bool, autoSize);
    CalendarWindow w;
    w.cal->SetAutoSize(autoSize);
    QVERIFY(w.show());
    const QSize start = w.cal->size();
    const int rowStep = w.cal->DefaultRowHeight() + w.cal->GridLineWidth();
    const int colStep = w.cal->DefaultColWidth() + w.cal->GridLineWidth();

    w.cal->SetCalendarOptions(w.cal->CalendarOptions() & ~TMonthCalOptions(mcoToday));
    QCOMPARE(w.cal->size(), QSize(start.width(), start.height() - rowStep));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoWeekNumbers);
    QCOMPARE(w.cal->size(), QSize(start.width() + colStep, start.height() - rowStep));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoToday);
    QCOMPARE(w.cal->size(), QSize(start.width() + colStep, start.height()));
    // Rows and columns keep their size, and the title covers the two rows above the weekday row.
    QCOMPARE(w.cal->DefaultRowHeight() + w.cal->GridLineWidth(), rowStep);
    QCOMPARE(w.cal->TitlePanel()->geometry(), QRect(0, 0, w.cal->width(), 2 * rowStep));
}

void tst_ShMonthCalendar::resizeSnapsToWholeCells()
{
    CalendarWindow w;
    QVERIFY(w.show());
    // The size follows the font: rows 1.2 line heights, columns 1.05 of the widest weekday name.
    const QFontMetrics metrics(w.cal->font());
    QCOMPARE(w.cal->DefaultRowHeight(), int(1.2 * metrics.height()));
    QCOMPARE(w.cal->DefaultColWidth(), int(1.05 * metrics.horizontalAdvance(ShLongDayNames[5])));

    w.cal->SetAutoSize(false);
    w.cal->resize(500, 333);
    QCOMPARE(w.cal->DefaultColWidth(), (500 - 6) / 7);
    QCOMPARE(w.cal->DefaultRowHeight(), (333 - 9) / 10);
    QCOMPARE(w.cal->size(), QSize(7 * ((500 - 6) / 7) + 6, 10 * ((333 - 9) / 10) + 9));
    // AutoSize back on sizes it to the font again.
    w.cal->SetAutoSize(true);
    QCOMPARE(w.cal->DefaultRowHeight(), int(1.2 * metrics.height()));
}

void tst_ShMonthCalendar::colourSetAssign()
{
    CalendarWindow w;
    TMonthCalendarColors* colours = w.cal->CalColors();
    QCOMPARE(colours->CircleColor(), QColor(255, 0, 0));
    QCOMPARE(colours->TitleTextColor(), QColor(255, 255, 255));
    QCOMPARE(colours->MonthBackColor(), QColor(255, 255, 255));
    QVERIFY(!colours->BoldDaysColor().isValid());

    TMonthCalendarColors other(nullptr);
    other.SetTitleBackColor(QColor(0, 100, 0));
    other.SetBoldDaysColor(QColor(200, 0, 0));
    w.cal->SetCalColors(&other);
    QCOMPARE(colours->TitleBackColor(), QColor(0, 100, 0));
    QCOMPARE(colours->BoldDaysColor(), QColor(200, 0, 0));
    // Applied: the title panel takes the title background.
    QCOMPARE(w.cal->TitlePanel()->palette().color(QPalette::Window), QColor(0, 100, 0));
    // Writing one colour applies it at once.
    colours->SetTitleTextColor(QColor(1, 2, 3));
    QCOMPARE(w.cal->YearEditor()->palette().color(QPalette::Base), QColor(1, 2, 3));

    QLabel label;
    auto message = [&](const QObject* source) {
        try {
            colours->Assign(source);
        } catch (const EConvertError& e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    };
    QCOMPARE(message(&label), QStringLiteral("Cannot assign a QLabel to a TMonthCalendarColors"));
    QCOMPARE(message(nullptr), QStringLiteral("Cannot assign a nil to a TMonthCalendarColors"));
    QCOMPARE(colours->TitleBackColor(), QColor(0, 100, 0));
}

void tst_ShMonthCalendar::fontChangeResizes()
{
    CalendarWindow w;
    QVERIFY(w.show());
    const QSize before = w.cal->size();
    QFont larger = w.cal->font();
    larger.setPixelSize(20);
    w.cal->setFont(larger);
    QVERIFY(w.cal->width() > before.width());
    QVERIFY(w.cal->height() > before.height());
    QCOMPARE(w.cal->DefaultRowHeight(), int(1.2 * QFontMetrics(larger).height()));
    // The title follows the font, in bold, and still covers the two rows above the weekday row.
    QCOMPARE(w.cal->TitleLabel()->font().pixelSize(), 20);
    QVERIFY(w.cal->TitleLabel()->font().bold());
    QCOMPARE(w.cal->TitlePanel()->height(), 2 * (w.cal->DefaultRowHeight() + w.cal->GridLineWidth()));
}

void tst_ShMonthCalendar::drawCellNotification()
{
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 12));
    w.cal->SetDefaultBoldDays(dbdFridays);
    QVERIFY(w.show());
    QVERIFY(w.cal->hasFocus());
    QHash<TDateTime, TCalendarCellFlags> dayFlags;
    QStringList fixedTexts;
    QObject::connect(w.cal, &TCustomShMonthCalendar::OnDrawCell, w.cal,
                     [&](const QRect&, TDateTime value, const QString& text, TCalendarCellFlags flags) {
                         if (flags & ccfFixed)
                             fixedTexts << text;
                         else
                             dayFlags.insert(value, flags);
                     });
    w.cal->grab();
    QCOMPARE(dayFlags.size(), 42);
    QCOMPARE(dayFlags.value(sh(1404, 5, 12)), TCalendarCellFlags(ccfSelected | ccfFocused));
    QCOMPARE(dayFlags.value(sh(1404, 5, 10)), TCalendarCellFlags(ccfBold));
    QCOMPARE(dayFlags.value(sh(1404, 4, 28)), TCalendarCellFlags(ccfTrailing));
    QCOMPARE(dayFlags.value(sh(1404, 5, 11)), TCalendarCellFlags(0));
    QVERIFY(fixedTexts.contains(ShLongDayNames[1]));
    QVERIFY(fixedTexts.contains(QStringLiteral("امروز: 1404/05/12")));

    // Without default drawing the handler paints the cells on the calendar's canvas.
    const QColor mark(0, 0, 255);
    w.cal->SetDefaultDrawing(false);
    QObject::connect(w.cal, &TCustomShMonthCalendar::OnDrawCell, w.cal,
                     [&](const QRect& rect, TDateTime value, const QString&, TCalendarCellFlags) {
                         if (value == sh(1404, 5, 15))
                             w.cal->Canvas()->fillRect(rect, mark);
                     });
    const QImage image = w.cal->grab().toImage();
    int col = 0, row = 0;
    w.cal->IndexToCell(int(sh(1404, 5, 15) - w.cal->GridStart()), col, row);
    QCOMPARE(image.pixelColor(w.cal->CellRect(col, row).center()), mark);
    // ... and the calendar itself drew no day number: the cell of the 16th is plain background.
    w.cal->IndexToCell(int(sh(1404, 5, 16) - w.cal->GridStart()), col, row);
    const QRect plain = w.cal->CellRect(col, row);
    for (int y = plain.top(); y <= plain.bottom(); ++y)
        for (int x = plain.left(); x <= plain.right(); ++x)
            QCOMPARE(image.pixelColor(x, y), w.cal->CalColors()->MonthBackColor());
}

// ---- pictures ---------------------------------------------------------------------------------------------------

void tst_ShMonthCalendar::gridLinesAreDrawn_data()
{
    // Which gaps between cells carry the lines colour; the week numbers are shown in every row.
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("weekdayNames"); // vertical, between the weekday names
    QTest::addColumn<bool>("dayColumns");   // vertical, between the day columns
    QTest::addColumn<bool>("weekRows");     // horizontal, between the week rows of days
    QTest::addColumn<bool>("weekNumbers");  // horizontal, between the week numbers
    QTest::newRow("no lines") << 0 << false << false << false << false;
    QTest::newRow("mcoDaysVertLine") << int(mcoDaysVertLine) << true << false << false << false;
    QTest::newRow("mcoVerticalLine") << int(mcoVerticalLine) << false << true << false << false;
    QTest::newRow("mcoHorizontalLine") << int(mcoHorizontalLine) << false << false << true << false;
    QTest::newRow("mcoWeeksHorzLine") << int(mcoWeeksHorzLine) << false << false << false << true;
}

void tst_ShMonthCalendar::gridLinesAreDrawn()
{
    QFETCH(int, option);
    QFETCH(bool, weekdayNames);
    QFETCH(bool, dayColumns);
    QFETCH(bool, weekRows);
    QFETCH(bool, weekNumbers);

    const QColor lines(255, 0, 255);
    CalendarWindow w(Qt::LeftToRight, sh(1404, 5, 20));
    w.cal->SetCalendarOptions(w.cal->CalendarOptions() | mcoWeekNumbers | TMonthCalOptions::fromInt(option));
    w.cal->CalColors()->SetLinesColor(lines);
    QVERIFY(w.show());
    const QImage image = w.cal->grab().toImage();
    TCustomShMonthCalendar* cal = w.cal;
    const int weekdayRow = cal->FixedRows() - 1;

    // Whether the gap left of (vertical) or above (horizontal) each cell is drawn in the lines colour: all
    // of them, or none.
    auto gaps = [&](bool vertical, int firstCol, int lastCol, int firstRow, int lastRow) {
        int drawn = 0, total = 0;
        for (int col = firstCol; col <= lastCol; ++col)
            for (int row = firstRow; row <= lastRow; ++row) {
                const QRect cell = cal->CellRect(col, row);
                const QPoint gap =
                    vertical ? QPoint(cell.left() - 1, cell.center().y()) : QPoint(cell.center().x(), cell.top() - 1);
                drawn += image.pixelColor(gap) == lines ? 1 : 0;
                ++total;
            }
        return drawn == total ? QStringLiteral("all") : drawn == 0 ? QStringLiteral("none") : QStringLiteral("some");
    };
    const auto expected = [](bool on) { return on ? QStringLiteral("all") : QStringLiteral("none"); };
    const int firstDayCol = cal->FixedCols() + 1, lastCol = cal->ColCount() - 1;
    const int firstWeek = cal->FixedRows(), lastWeek = cal->FixedRows() + 5;
    QCOMPARE(gaps(true, firstDayCol, lastCol, weekdayRow, weekdayRow), expected(weekdayNames));
    QCOMPARE(gaps(true, firstDayCol, lastCol, firstWeek, lastWeek), expected(dayColumns));
    QCOMPARE(gaps(false, cal->FixedCols(), lastCol, firstWeek + 1, lastWeek), expected(weekRows));
    QCOMPARE(gaps(false, 0, 0, firstWeek + 1, lastWeek), expected(weekNumbers));
}

void tst_ShMonthCalendar::screenshots()
{
    struct Shot
    {
        const char* name;
        Qt::LayoutDirection direction;
        bool gregorian;
        TMonthCalOptions extra;
        TDefaultBoldDays bold;
    };
    const TMonthCalOptions lines = mcoDaysVertLine | mcoWeeksHorzLine | mcoVerticalLine | mcoHorizontalLine;
    const Shot shots[] = {
        {"month-calendar-rtl", Qt::RightToLeft, false, {}, dbdFridays},
        {"month-calendar-rtl-weeks-lines", Qt::RightToLeft, false, mcoWeekNumbers | lines, dbdFridays},
        {"month-calendar-ltr", Qt::LeftToRight, false, {}, dbdNone},
        {"month-calendar-ltr-gregorian-weeks-lines", Qt::LeftToRight, true, mcoWeekNumbers | lines, dbdSundays},
    };
    for (const Shot& shot : shots) {
        CalendarWindow w(shot.direction, sh(1404, 5, 20));
        w.cal->SetCalendarOptions(w.cal->CalendarOptions() | shot.extra);
        w.cal->SetDefaultBoldDays(shot.bold);
        // A colour nothing else in the calendar is drawn in, so the bold days can be told by it.
        const QColor boldColour(0, 150, 0);
        w.cal->CalColors()->SetBoldDaysColor(shot.bold == dbdNone ? QColor() : boldColour);
        w.cal->SetUseSystemCalendar(shot.gregorian);
        QVERIFY(w.show());
        const QImage image = w.cal->grab().toImage();
        QVERIFY(!saveScreenshot(image, shot.name).isEmpty());
        QCOMPARE(countPixels(image, closeTo(boldColour, 40)) > 30, shot.bold != dbdNone);
        // The lines, where asked for, in the lines colour.
        const int linePixels = countPixels(image, closeTo(w.cal->CalColors()->LinesColor(), 0));
        QVERIFY2(shot.extra ? linePixels > image.height() * 4 : linePixels < image.width() * 2, shot.name);
        if (!shot.extra) {
            // Three times as large, to judge the rings, the glyphs and the lines pixel by pixel.
            QVERIFY(!saveScreenshot(image.scaled(image.size() * 3), QString(shot.name) + "-x3").isEmpty());
        }
    }

    // The menu of months and the open year editor, in right to left.
    CalendarWindow w(Qt::RightToLeft, sh(1404, 5, 20));
    QVERIFY(w.show());
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->YearRect().center());
    QVERIFY(w.cal->YearEditor() && w.cal->YearEditor()->isVisible());
    QCOMPARE(w.cal->YearEditor()->text(), QStringLiteral("1404"));
    QVERIFY(!saveScreenshot(w.cal, "month-calendar-rtl-year-editor").isEmpty());
    const QImage title = w.cal->TitlePanel()->grab().toImage();
    QVERIFY(!saveScreenshot(title.scaled(title.size() * 3), "month-calendar-rtl-year-editor-title-x3").isEmpty());
    QTest::keyClick(w.cal->YearEditor(), Qt::Key_Escape);
    QTest::mouseClick(w.cal->TitleLabel(), Qt::LeftButton, {}, w.cal->MonthNameRect().center());
    QTRY_VERIFY(w.cal->MonthsMenu()->isVisible());
    QCOMPARE(w.cal->MonthsMenu()->actions().size(), 12);
    QVERIFY(!saveScreenshot(w.cal->MonthsMenu(), "month-calendar-rtl-months-menu").isEmpty());
    w.cal->MonthsMenu()->close();

    // Multi-select with a range of days chosen.
    CalendarWindow m(Qt::RightToLeft, sh(1404, 5, 20));
    m.cal->SetCalendarOptions(m.cal->CalendarOptions() | mcoRangeSelect);
    QVERIFY(m.show());
    m.clickDay(sh(1404, 5, 14));
    m.clickDay(sh(1404, 5, 23), Qt::ShiftModifier);
    QVERIFY(!saveScreenshot(m.cal, "month-calendar-rtl-range").isEmpty());
}

QTEST_MAIN(tst_ShMonthCalendar)
#include "tst_ShMonthCalendar.moc"
