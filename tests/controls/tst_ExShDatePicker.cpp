#include "controls/ShDateCtrls.h"

#include "calendar/Clock.h"
#include "calendar/ShDateUtils.h"
#include "tests/support/EmbeddedFont.h"
#include "tests/support/HostWindow.h"
#include "tests/support/Pixels.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

Q_DECLARE_METATYPE(TDropDownAlign)

namespace {

// The offscreen platform cannot grab the keyboard or raise a window for a pop-up and says so each time.
QtMessageHandler previousHandler = nullptr;
void quietPopupHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support ")))
        return;
    previousHandler(type, context, message);
}

// 15 Mehr 1404, half past ten: every "today" of this suite.
const TDateTime kToday = ShEncodeDate(1404, 7, 15);

TDateTime day(Word year, Word month, Word dayOfMonth)
{
    return ShEncodeDate(year, month, dayOfMonth);
}

// A host window holding one picker beside its ordinary edit, shown, active and with the picker focused.
struct Form
{
    explicit Form(Qt::LayoutDirection direction = Qt::LeftToRight, const QPoint& at = QPoint(100, 100))
        : window(direction)
    {
        picker = new TExShDatePicker(window.client());
        picker->move(0, 0);
        other = window.other();
        // Beside the picker, where the open calendar does not cover it.
        other->setGeometry(picker->width() + 8, 0, 60, picker->height());
        window.setClientSize(QSize(picker->width() + 72, picker->height()));
        if (!window.showActive(at))
            qWarning("window did not become active");
        picker->setFocus();
    }

    void clickButton(int index) { QTest::mouseClick(picker, Qt::LeftButton, {}, picker->ButtonRect(index).center()); }

    // Clicks the cell of `value` in the open calendar.
    void clickDay(TDateTime value)
    {
        TDropDownCalendar* cal = picker->Calendar();
        const int index = int(value - cal->GridStart());
        QVERIFY2(index >= 0 && index < TCustomShMonthCalendar::DayCellCount, "day not shown");
        int col = 0, row = 0;
        cal->IndexToCell(index, col, row);
        QTest::mouseClick(cal, Qt::LeftButton, {}, cal->CellRect(col, row).center());
    }

    HostWindow window;
    TExShDatePicker* picker = nullptr;
    QLineEdit* other = nullptr;
};

} // namespace

class tst_ExShDatePicker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void buttonsLayOutInBothDirections_data();
    void buttonsLayOutInBothDirections();
    void spinButtonStepsAndRepeats_data();
    void spinButtonStepsAndRepeats();
    void spinRepeatPausesOffTheButton();
    void buttonLooks();
    void checkBoxScripts_data();
    void checkBoxScripts();
    void isNullWritesTheCheckBoxSilently();
    void dropDownPlacement_data();
    void dropDownPlacement();
    void clickOnDayPicksAndCloses_data();
    void clickOnDayPicksAndCloses();
    void clickOnTodayRow_data();
    void clickOnTodayRow();
    void titleYearEditorAndWheelKeepItOpen();
    void keysCloseTheCalendar_data();
    void keysCloseTheCalendar();
    void altArrowsOpenAndAccept();
    void enterAndEscapeNeverReachTheDialog_data();
    void enterAndEscapeNeverReachTheDialog();
    void digitsTypedWithTheCalendarOpen_data();
    void digitsTypedWithTheCalendarOpen();
    void digitsTypeTheYearInTheOpenYearEditor_data();
    void digitsTypeTheYearInTheOpenYearEditor();
    void closingWithoutAccepting_data();
    void closingWithoutAccepting();
    void focusLostToAnotherWindowComesBackToThePicker_data();
    void focusLostToAnotherWindowComesBackToThePicker();
    void pressesRoutedByTheWindowSystem_data();
    void pressesRoutedByTheWindowSystem();
    void keysRoutedByTheWindowSystem_data();
    void keysRoutedByTheWindowSystem();
    void dropDownHandsOverThePickerSettings();
    void readOnlyNeverDropsDown();
    void searchWindowConfiguration();
    void calendarOptionsDropSelectionModes();
    void monthInfoComesFromThePicker();
    void calendarSwitchFollowsIntoTheOpenCalendar();
    void publishedPropertiesInFormOrder();
    void screenshotOfTheTestWindow();
};

void tst_ExShDatePicker::initTestCase()
{
    previousHandler = qInstallMessageHandler(quietPopupHandler);
    QVERIFY(useEmbeddedFont(12));
}

void tst_ExShDatePicker::init()
{
    Clock::setFixed(kToday + 0.4375);
}

void tst_ExShDatePicker::cleanupTestCase()
{
    Clock::useSystem();
}

// ---- layout ---------------------------------------------------------------------------------------------------------

void tst_ExShDatePicker::buttonsLayOutInBothDirections_data()
{
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("checkBox");
    QTest::newRow("ltr, both buttons") << Qt::LeftToRight << int(dpbDropDown | dpbUpDown) << false;
    QTest::newRow("ltr, both buttons, check box") << Qt::LeftToRight << int(dpbDropDown | dpbUpDown) << true;
    QTest::newRow("ltr, spin only") << Qt::LeftToRight << int(dpbUpDown) << true;
    QTest::newRow("ltr, none") << Qt::LeftToRight << 0 << false;
    QTest::newRow("rtl, both buttons") << Qt::RightToLeft << int(dpbDropDown | dpbUpDown) << false;
    QTest::newRow("rtl, both buttons, check box") << Qt::RightToLeft << int(dpbDropDown | dpbUpDown) << true;
    QTest::newRow("rtl, drop-down only") << Qt::RightToLeft << int(dpbDropDown) << false;
}

void tst_ExShDatePicker::buttonsLayOutInBothDirections()
{
    QFETCH(Qt::LayoutDirection, direction);
    QFETCH(int, buttons);
    QFETCH(bool, checkBox);
    QWidget window;
    window.setLayoutDirection(direction);
    TExShDatePicker picker(&window);
    picker.resize(160, picker.height());
    picker.SetButtons(TDatePickerButtons::fromInt(buttons));
    picker.SetShowCheckBox(checkBox);
    window.show();

    const bool rtl = direction == Qt::RightToLeft;
    // The buttons are as wide as the system's vertical scroll bar.
    const int b = picker.ButtonWidth();
    QCOMPARE(b, QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const QRect inner = picker.rect().adjusted(1, 1, -1, -1); // inside the single-line border
    const QRect drop = picker.ButtonRect(TCustomExShDatePicker::btnDropDown);
    const QRect up = picker.ButtonRect(TCustomExShDatePicker::btnUp);
    const QRect down = picker.ButtonRect(TCustomExShDatePicker::btnDown);
    const QRect box = picker.ButtonRect(TCustomExShDatePicker::btnCheckBox);
    QVERIFY(picker.ButtonRect(TCustomExShDatePicker::btnNone).isEmpty());

    // Reading from the trailing end: drop-down button, spin buttons, text, check box.
    int trailing = rtl ? inner.left() : inner.right() + 1;
    const auto takeTrailing = [&](const QRect& r) {
        QCOMPARE(r.width(), b);
        QCOMPARE(r.top(), inner.top());
        if (rtl) {
            QCOMPARE(r.left(), trailing);
            trailing += b;
        } else {
            QCOMPARE(r.right() + 1, trailing);
            trailing -= b;
        }
    };
    if (buttons & dpbDropDown) {
        takeTrailing(drop);
        QCOMPARE(drop.height(), inner.height());
    } else {
        QVERIFY(drop.isEmpty());
    }
    if (buttons & dpbUpDown) {
        QCOMPARE(up.left(), down.left());
        QCOMPARE(up.height(), inner.height() / 2);
        QCOMPARE(up.bottom() + 1, down.top());
        QCOMPARE(down.bottom(), inner.bottom());
        takeTrailing(QRect(up.topLeft(), down.bottomRight()));
    } else {
        QVERIFY(up.isEmpty());
        QVERIFY(down.isEmpty());
    }
    if (checkBox) {
        QCOMPARE(box.width(), b);
        QCOMPARE(rtl ? box.right() : box.left(), rtl ? inner.right() : inner.left());
    } else {
        QVERIFY(box.isEmpty());
    }

    // The edit (and the text in it) stays clear of every button; the Gregorian corner moves with the buttons.
    const QRect edit = picker.EditRect();
    for (int i = TCustomExShDatePicker::btnDropDown; i < TCustomExShDatePicker::ButtonCount; ++i)
        QVERIFY2(!edit.intersects(picker.ButtonRect(i)), qPrintable(QString::number(i)));
    QVERIFY(edit.contains(picker.TextRect().left(), edit.center().y()));
    QVERIFY(picker.TextRect().right() <= edit.right());
    const QRect corner = picker.IndicatorRect();
    QVERIFY(!corner.isEmpty());
    for (int i = TCustomExShDatePicker::btnDropDown; i < TCustomExShDatePicker::ButtonCount; ++i)
        QVERIFY(!corner.intersects(picker.ButtonRect(i)));
    QCOMPARE(rtl ? corner.left() : corner.right() + 1, rtl ? trailing + 2 : trailing - 2);
}

// ---- spin buttons -------------------------------------------------------------------------------------------------

void tst_ExShDatePicker::spinButtonStepsAndRepeats_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("step");
    QTest::newRow("up") << int(TCustomExShDatePicker::btnUp) << 1;
    QTest::newRow("down") << int(TCustomExShDatePicker::btnDown) << -1;
}

void tst_ExShDatePicker::spinButtonStepsAndRepeats()
{
    QFETCH(int, button);
    QFETCH(int, step);
    Form form;
    TExShDatePicker* picker = form.picker;
    QCOMPARE(picker->CurrentSection(), int(TCustomShDatePicker::secDay));
    QSignalSpy changes(picker, &TCustomShDatePicker::OnChange);
    const QPoint at = picker->ButtonRect(button).center();

    // Held down: one step at once, the next after 400 ms, then one every 100 ms.
    QTest::mousePress(picker, Qt::LeftButton, {}, at);
    QCOMPARE(picker->Date(), kToday + step);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(picker->CapturedButton(), button);
    QTimer* timer = picker->RepeatTimer();
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 400);
    for (int tick = 2; tick <= 5; ++tick) {
        QMetaObject::invokeMethod(timer, "timeout");
        QCOMPARE(picker->Date(), kToday + tick * step);
        QCOMPARE(timer->interval(), 100);
        QVERIFY(timer->isActive());
    }
    QCOMPARE(changes.count(), 5);

    QTest::mouseRelease(picker, Qt::LeftButton, {}, at);
    QVERIFY(!timer->isActive());
    QCOMPARE(picker->CapturedButton(), int(TCustomExShDatePicker::btnNone));

    // The next press starts over with the long delay.
    QTest::mousePress(picker, Qt::LeftButton, {}, at);
    QCOMPARE(timer->interval(), 400);
    QTest::mouseRelease(picker, Qt::LeftButton, {}, at);
    QCOMPARE(picker->Date(), kToday + 6 * step);
}

void tst_ExShDatePicker::spinRepeatPausesOffTheButton()
{
    Form form;
    TExShDatePicker* picker = form.picker;
    picker->SetDate(day(1403, 12, 29));
    const QPoint up = picker->ButtonRect(TCustomExShDatePicker::btnUp).center();
    QTest::mousePress(picker, Qt::LeftButton, {}, up);
    QCOMPARE(picker->Date(), day(1403, 12, 30)); // 1403 is leap: Esfand has 30 days
    QTimer* timer = picker->RepeatTimer();

    // Dragged onto the text, the button waits; back on it, it repeats again.
    QTest::mouseMove(picker, picker->TextRect().center());
    QMetaObject::invokeMethod(timer, "timeout");
    QCOMPARE(picker->Date(), day(1403, 12, 30));
    QCOMPARE(picker->LookOf(TCustomExShDatePicker::btnUp), TCustomExShDatePicker::blHot);
    QTest::mouseMove(picker, up);
    QCOMPARE(picker->LookOf(TCustomExShDatePicker::btnUp), TCustomExShDatePicker::blPressed);
    QMetaObject::invokeMethod(timer, "timeout");
    QCOMPARE(picker->Date(), day(1403, 12, 1)); // the day wraps within its month
    QTest::mouseRelease(picker, Qt::LeftButton, {}, up);
    QVERIFY(!timer->isActive());
}

void tst_ExShDatePicker::buttonLooks()
{
    Form form;
    TExShDatePicker* picker = form.picker;
    using P = TCustomExShDatePicker;
    QTest::mouseMove(picker, picker->ButtonRect(P::btnDown).center());
    QCOMPARE(picker->HotButton(), int(P::btnDown));
    QCOMPARE(picker->LookOf(P::btnDown), P::blHot);
    QCOMPARE(picker->LookOf(P::btnUp), P::blNormal);
    QTest::mouseMove(picker, picker->ButtonRect(P::btnDropDown).center());
    QCOMPARE(picker->LookOf(P::btnDropDown), P::blHot);
    QCOMPARE(picker->LookOf(P::btnDown), P::blNormal);

    // Pressing the up button and dragging onto the drop-down button lights the latter.
    QTest::mousePress(picker, Qt::LeftButton, {}, picker->ButtonRect(P::btnUp).center());
    QTest::mouseMove(picker, picker->ButtonRect(P::btnDropDown).center());
    QCOMPARE(picker->LookOf(P::btnDropDown), P::blHot);
    QCOMPARE(picker->LookOf(P::btnUp), P::blHot);
    QTest::mouseRelease(picker, Qt::LeftButton, {}, picker->ButtonRect(P::btnDropDown).center());
    QVERIFY(!picker->DroppedDown());

    // A press on the drop-down button opens it pressed; dragged into the calendar, the button lets go.
    QTest::mousePress(picker, Qt::LeftButton, {}, picker->ButtonRect(P::btnDropDown).center());
    QVERIFY(picker->DroppedDown());
    QCOMPARE(picker->LookOf(P::btnDropDown), P::blPressed);
    TDropDownCalendar* cal = picker->Calendar();
    QTest::mouseMove(picker, picker->mapFromGlobal(cal->mapToGlobal(cal->rect().center())));
    QCOMPARE(picker->CapturedButton(), int(P::btnNone));
    QCOMPARE(picker->LookOf(P::btnDropDown), P::blNormal);
    QVERIFY(picker->DroppedDown());
    picker->CloseUp(false);

    picker->setEnabled(false);
    for (int i = P::btnDropDown; i < P::ButtonCount; ++i)
        QCOMPARE(picker->LookOf(i), P::blDisabled);
}

// ---- check box ----------------------------------------------------------------------------------------------------

void tst_ExShDatePicker::checkBoxScripts_data()
{
    // What the check box state, the null state, the date and OnChange are after a script of user input. Every
    // step is checked, so two actions that cancel each other out cannot hide a fault.
    QTest::addColumn<bool>("checkBox");
    QTest::addColumn<bool>("checkedAtStart");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("steps");   // "box" press on the check box, "down button", or keys
    QTest::addColumn<QList<bool>>("checked"); // after each step
    QTest::addColumn<int>("dayStep");         // the date at the end, in days from today
    QTest::addColumn<int>("changes");         // OnChange signals over the whole script

    using Checks = QList<bool>;
    QTest::newRow("a press on the box unchecks it, the box lit while focused")
        << true << true << false << QStringList{"box"} << Checks{false} << 0 << 1;
    QTest::newRow("a press on the box unchecks it, Space checks it again")
        << true << true << false << QStringList{"box", "Space"} << Checks{false, true} << 0 << 2;
    QTest::newRow("Shift+Space stays the calendar switch")
        << true << true << false << QStringList{"Shift+Space"} << Checks{true} << 0 << 0;
    QTest::newRow("a spin press on an unchecked box checks it and steps")
        << true << false << false << QStringList{"down button"} << Checks{true} << -1 << 2;
    QTest::newRow("unchecked: digits, arrows, page keys and the wheel do nothing")
        << true << false << false << QStringList{"3", "Up", "PgUp", "wheel"} << Checks{false, false, false, false} << 0
        << 0;
    QTest::newRow("read-only: neither a press nor Space toggles")
        << true << false << true << QStringList{"box", "Space"} << Checks{false, false} << 0 << 0;
    QTest::newRow("read-only and checked: neither a press nor Space toggles")
        << true << true << true << QStringList{"box", "Space"} << Checks{true, true} << 0 << 0;
    QTest::newRow("no check box: Checked off changes nothing, Space does not toggle")
        << false << false << false << QStringList{"Up", "Space"} << Checks{false, false} << 1 << 1;
}

void tst_ExShDatePicker::checkBoxScripts()
{
    QFETCH(bool, checkBox);
    QFETCH(bool, checkedAtStart);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, steps);
    QFETCH(QList<bool>, checked);
    QFETCH(int, dayStep);
    QFETCH(int, changes);

    Form form;
    TExShDatePicker* picker = form.picker;
    picker->SetShowCheckBox(checkBox);
    picker->SetChecked(checkedAtStart);
    picker->SetReadOnly(readOnly);
    QSignalSpy changed(picker, &TCustomShDatePicker::OnChange);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString& step = steps[i];
        if (step == "box") {
            form.clickButton(TCustomExShDatePicker::btnCheckBox);
        } else if (step == "down button") {
            form.clickButton(TCustomExShDatePicker::btnDown);
        } else if (step == "wheel") {
            QWheelEvent wheel(QPointF(20, 5), picker->mapToGlobal(QPointF(20, 5)), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(picker, &wheel);
        } else {
            const QKeySequence keys = QKeySequence::fromString(step);
            QVERIFY2(!keys.isEmpty(), qPrintable(step));
            QTest::keySequence(picker, keys);
        }
        QVERIFY2(picker->Checked() == checked[i], qPrintable(step));
        // With a check box, unchecked is null; without one, Checked means nothing.
        QVERIFY2(picker->IsNull() == (checkBox && !checked[i]), qPrintable(step));
    }
    QCOMPARE(picker->Date(), kToday + dayStep);
    QCOMPARE(changed.count(), changes);
    if (steps.contains("Shift+Space"))
        QVERIFY(picker->UseSystemCalendar());
    if (steps.last() == "box" && !readOnly)
        QCOMPARE(picker->LookOf(TCustomExShDatePicker::btnCheckBox), TCustomExShDatePicker::blHot);
    if (!checkBox)
        QCOMPARE(picker->ButtonRect(TCustomExShDatePicker::btnCheckBox), QRect());
}

void tst_ExShDatePicker::isNullWritesTheCheckBoxSilently()
{
    TExShDatePicker picker;
    picker.SetShowCheckBox(true);
    QSignalSpy changes(&picker, &TCustomShDatePicker::OnChange);
    picker.SetIsNull(true);
    QVERIFY(!picker.Checked());
    picker.SetIsNull(false);
    QVERIFY(picker.Checked());
    QCOMPARE(changes.count(), 0);
    picker.SetChecked(false);
    QCOMPARE(changes.count(), 1);
}

// ---- drop-down placement ------------------------------------------------------------------------------------------

enum Placement
{
    BelowLeftEdges,
    BelowRightEdges,
    BelowCentred,
    Above,
    AtScreenRight,
    AtScreenLeft
};
Q_DECLARE_METATYPE(Placement)

void tst_ExShDatePicker::dropDownPlacement_data()
{
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::addColumn<TDropDownAlign>("align");
    QTest::addColumn<bool>("nearBottom");
    QTest::addColumn<int>("horizontal"); // 0 middle of the screen, -1 at its left edge, 1 at its right edge
    QTest::addColumn<Placement>("horizontalPlacement");

    QTest::newRow("ltr left") << Qt::LeftToRight << daLeft << false << 0 << BelowLeftEdges;
    QTest::newRow("ltr right") << Qt::LeftToRight << daRight << false << 0 << BelowRightEdges;
    QTest::newRow("ltr centre") << Qt::LeftToRight << daCenter << false << 0 << BelowCentred;
    QTest::newRow("rtl left aligns right edges") << Qt::RightToLeft << daLeft << false << 0 << BelowRightEdges;
    QTest::newRow("rtl right aligns left edges") << Qt::RightToLeft << daRight << false << 0 << BelowLeftEdges;
    QTest::newRow("rtl centre") << Qt::RightToLeft << daCenter << false << 0 << BelowCentred;
    QTest::newRow("near bottom opens above") << Qt::LeftToRight << daLeft << true << 0 << BelowLeftEdges;
    QTest::newRow("near right edge shifts left") << Qt::LeftToRight << daLeft << false << 1 << AtScreenRight;
    QTest::newRow("near left edge stays on screen") << Qt::RightToLeft << daLeft << false << -1 << AtScreenLeft;
    QTest::newRow("bottom right corner") << Qt::LeftToRight << daLeft << true << 1 << AtScreenRight;
}

void tst_ExShDatePicker::dropDownPlacement()
{
    QFETCH(Qt::LayoutDirection, direction);
    QFETCH(TDropDownAlign, align);
    QFETCH(bool, nearBottom);
    QFETCH(int, horizontal);
    QFETCH(Placement, horizontalPlacement);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Form probe(direction);
    const QSize pickerSize = probe.picker->size();
    probe.picker->DropDown();
    const QSize calSize = probe.picker->Calendar()->size();
    probe.picker->CloseUp(false);
    QVERIFY(calSize.width() > pickerSize.width());

    QPoint at(screen.center().x() - pickerSize.width() / 2, screen.top() + 50);
    if (nearBottom)
        at.setY(screen.bottom() - pickerSize.height() - 10);
    if (horizontal > 0)
        at.setX(screen.right() - pickerSize.width() - 5);
    else if (horizontal < 0)
        at.setX(screen.left() + 5);
    Form form(direction, at);
    TExShDatePicker* picker = form.picker;
    picker->SetDropDownAlign(align);
    QSignalSpy opened(picker, &TCustomExShDatePicker::OnDropDown);
    picker->DropDown();
    QVERIFY(picker->DroppedDown());
    QCOMPARE(opened.count(), 1);
    TDropDownCalendar* cal = picker->Calendar();
    QVERIFY(cal->isVisible());

    const QRect p(picker->mapToGlobal(QPoint(0, 0)), picker->size());
    const QRect c = cal->frameGeometry();
    if (nearBottom)
        QCOMPARE(c.bottom() + 1, p.top());
    else
        QCOMPARE(c.top(), p.bottom() + 1);
    switch (horizontalPlacement) {
    case BelowLeftEdges:
        QCOMPARE(c.left(), p.left());
        break;
    case BelowRightEdges:
        QCOMPARE(c.right(), p.right());
        break;
    case BelowCentred:
        QVERIFY(qAbs(c.center().x() - p.center().x()) <= 1);
        break;
    case AtScreenRight:
        QCOMPARE(c.right(), screen.right());
        break;
    case AtScreenLeft:
        QCOMPARE(c.left(), screen.left());
        break;
    case Above:
        break;
    }
    QVERIFY(screen.contains(c));
}

// ---- choosing a day -----------------------------------------------------------------------------------------------

void tst_ExShDatePicker::clickOnDayPicksAndCloses_data()
{
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::addColumn<TDateTime>("target");
    QTest::newRow("ltr, same month") << Qt::LeftToRight << day(1404, 7, 3);
    QTest::newRow("rtl, same month") << Qt::RightToLeft << day(1404, 7, 28);
    QTest::newRow("rtl, trailing day of the next month") << Qt::RightToLeft << day(1404, 8, 2);
}

void tst_ExShDatePicker::clickOnDayPicksAndCloses()
{
    QFETCH(Qt::LayoutDirection, direction);
    QFETCH(TDateTime, target);
    Form form(direction);
    TExShDatePicker* picker = form.picker;
    QSignalSpy changes(picker, &TCustomShDatePicker::OnChange);
    QSignalSpy closed(picker, &TCustomExShDatePicker::OnCloseUp);

    // OnDropDown comes before the calendar shows; OnCloseUp after it is gone and the day is written.
    TDropDownCalendar* cal = picker->Calendar();
    bool shownAtDropDown = true;
    bool shownAtCloseUp = true;
    TDateTime dateAtCloseUp = 0;
    connect(picker, &TCustomExShDatePicker::OnDropDown, picker, [&] { shownAtDropDown = cal->isVisible(); });
    connect(picker, &TCustomExShDatePicker::OnCloseUp, picker, [&] {
        shownAtCloseUp = cal->isVisible();
        dateAtCloseUp = picker->Date();
    });

    form.clickButton(TCustomExShDatePicker::btnDropDown);
    QVERIFY(picker->DroppedDown());
    QVERIFY(!shownAtDropDown);
    QCOMPARE(cal->Date(), kToday);
    QCOMPARE(cal->layoutDirection(), direction);

    form.clickDay(target);
    QVERIFY(!picker->DroppedDown());
    QVERIFY(!cal->isVisible());
    QCOMPARE(picker->Date(), target);
    QVERIFY(!picker->UseCurrentDate());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(closed.count(), 1);
    QVERIFY(!shownAtCloseUp);
    QCOMPARE(dateAtCloseUp, target);
    QVERIFY(picker->hasFocus());
    QCOMPARE(picker->CapturedButton(), int(TCustomExShDatePicker::btnNone));
}

void tst_ExShDatePicker::clickOnTodayRow_data()
{
    QTest::addColumn<TDateTime>("maxDate");
    QTest::addColumn<bool>("closes");
    QTest::newRow("today within the bounds") << TDateTime(0) << true;
    QTest::newRow("today past the maximum") << day(1404, 7, 10) << false;
}

void tst_ExShDatePicker::clickOnTodayRow()
{
    QFETCH(TDateTime, maxDate);
    QFETCH(bool, closes);
    Form form;
    TExShDatePicker* picker = form.picker;
    picker->SetDate(day(1404, 6, 20));
    picker->SetMaxDate(maxDate);
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    const QRect todayRow = cal->CellRect(cal->FixedCols() + 3, cal->RowCount() - 1);
    QTest::mouseClick(cal, Qt::LeftButton, {}, todayRow.center());
    QCOMPARE(picker->DroppedDown(), !closes);
    QCOMPARE(picker->Date(), closes ? kToday : day(1404, 6, 20));
    if (!closes)
        picker->CloseUp(false);
}

void tst_ExShDatePicker::titleYearEditorAndWheelKeepItOpen()
{
    Form form;
    TExShDatePicker* picker = form.picker;
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    // A press on a weekday name and the next-month button move nothing to the picker.
    QTest::mouseClick(cal, Qt::LeftButton, {}, cal->CellRect(cal->FixedCols() + 2, cal->FixedRows() - 1).center());
    QVERIFY(picker->DroppedDown());
    QToolButton* next = cal->RightMonthButton();
    QVERIFY(next);
    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(picker->DroppedDown());
    QCOMPARE(picker->Date(), kToday);

    // The year editor takes the focus inside the pop-up; Escape ends the edit, not the drop-down.
    QWidget* label = cal->TitleLabel();
    QVERIFY(label);
    QTest::mouseClick(label, Qt::LeftButton, {}, cal->YearRect().center());
    TYearEdit* editor = cal->YearEditor();
    QVERIFY(editor && editor->isVisible());
    QVERIFY(picker->DroppedDown());
    QTest::keyClick(cal, Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    QVERIFY(picker->DroppedDown());

    // The wheel over the open calendar turns its months, not the picker's day.
    QWheelEvent wheel(QPointF(20, 5), picker->mapToGlobal(QPointF(20, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(picker, &wheel);
    QVERIFY(picker->DroppedDown());
    QCOMPARE(picker->Date(), kToday);
    const TDateTime shown = cal->Date();
    QTest::keyClick(cal, Qt::Key_Return);
    QVERIFY(!picker->DroppedDown());
    QCOMPARE(picker->Date(), shown);
    QVERIFY(shown != kToday);
}

// ---- keys ---------------------------------------------------------------------------------------------------------

void tst_ExShDatePicker::keysCloseTheCalendar_data()
{
    QTest::addColumn<bool>("toCalendar"); // keys typed in the pop-up itself, or reaching the picker
    QTest::addColumn<int>("closingKey");
    QTest::addColumn<TDateTime>("expected");
    QTest::newRow("enter in calendar keeps the arrowed day") << true << int(Qt::Key_Return) << kToday + 6;
    QTest::newRow("keypad enter in calendar") << true << int(Qt::Key_Enter) << kToday + 6;
    QTest::newRow("escape in calendar keeps the old day") << true << int(Qt::Key_Escape) << kToday;
    QTest::newRow("enter at the picker") << false << int(Qt::Key_Return) << kToday + 6;
    QTest::newRow("escape at the picker") << false << int(Qt::Key_Escape) << kToday;
}

void tst_ExShDatePicker::keysCloseTheCalendar()
{
    QFETCH(bool, toCalendar);
    QFETCH(int, closingKey);
    QFETCH(TDateTime, expected);
    Form form(Qt::RightToLeft);
    TExShDatePicker* picker = form.picker;
    QSignalSpy changes(picker, &TCustomShDatePicker::OnChange);
    QSignalSpy closed(picker, &TCustomExShDatePicker::OnCloseUp);
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    QWidget* target = toCalendar ? static_cast<QWidget*>(cal) : picker;

    // Down is a week later; Right in right-to-left layout is a day earlier. Arrows never close.
    QTest::keyClick(target, Qt::Key_Down);
    QTest::keyClick(target, Qt::Key_Right);
    QCOMPARE(cal->Date(), kToday + 6);
    QVERIFY(picker->DroppedDown());
    QCOMPARE(picker->Date(), kToday);

    QTest::keyClick(target, Qt::Key(closingKey));
    QVERIFY(!picker->DroppedDown());
    QVERIFY(!cal->isVisible());
    QCOMPARE(picker->Date(), expected);
    QCOMPARE(changes.count(), expected == kToday ? 0 : 1);
    QCOMPARE(closed.count(), 1);
    QVERIFY(picker->hasFocus());
}

void tst_ExShDatePicker::altArrowsOpenAndAccept()
{
    Form form;
    TExShDatePicker* picker = form.picker;
    QSignalSpy opened(picker, &TCustomExShDatePicker::OnDropDown);
    QSignalSpy closed(picker, &TCustomExShDatePicker::OnCloseUp);

    QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(picker->DroppedDown());
    QCOMPARE(picker->Date(), kToday);                      // Alt+Down is not a step
    QTest::keyClick(picker->Calendar(), Qt::Key_PageDown); // a month later
    QTest::keyClick(picker->Calendar(), Qt::Key_Up, Qt::AltModifier);
    QVERIFY(!picker->DroppedDown());
    QCOMPARE(picker->Date(), day(1404, 8, 15));

    QTest::keyClick(picker, Qt::Key_Up, Qt::AltModifier);
    QVERIFY(picker->DroppedDown());
    QTest::keyClick(picker, Qt::Key_End);
    QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(!picker->DroppedDown());
    QCOMPARE(picker->Date(), day(1404, 8, 30));
    QCOMPARE(opened.count(), 2);
    QCOMPARE(closed.count(), 2);

    // Without the drop-down button there is nothing to open.
    picker->SetButtons(dpbUpDown);
    QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(!picker->DroppedDown());
}

void tst_ExShDatePicker::enterAndEscapeNeverReachTheDialog_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("enter") << int(Qt::Key_Return);
    QTest::newRow("escape") << int(Qt::Key_Escape);
}

void tst_ExShDatePicker::enterAndEscapeNeverReachTheDialog()
{
    QFETCH(int, key);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* picker = new TExShDatePicker(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(picker);
    layout->addWidget(ok);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    picker->setFocus();

    picker->DropDown();
    QTest::keyClick(picker, Qt::Key(key));
    QVERIFY(!picker->DroppedDown());
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(finished.count(), 0);
    QVERIFY(dialog.isVisible());

    // Closed, the same key is the dialog's again.
    QTest::keyClick(picker, Qt::Key(key));
    QCOMPARE(finished.count(), 1);
}

// ---- typing with the calendar open --------------------------------------------------------------------------------

namespace {

// Types `text` into `target` one character at a time, as a keyboard does (Persian digits included).
void typeInto(QWidget* target, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

void tst_ExShDatePicker::digitsTypedWithTheCalendarOpen_data()
{
    QTest::addColumn<QString>("target"); // "calendar" (the pop-up), "picker", or "window": routed by the system
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("closingKey");
    QTest::addColumn<TDateTime>("expected");
    QTest::newRow("day typed in the calendar, enter") << "calendar" << "25" << int(Qt::Key_Return) << day(1404, 7, 25);
    QTest::newRow("day typed at the picker") << "picker" << "25" << int(Qt::Key_Return) << day(1404, 7, 25);
    QTest::newRow("day and month through the window system")
        << "window" << "0309" << int(Qt::Key_Return) << day(1404, 9, 3);
    QTest::newRow("Persian digits") << "calendar" << QString::fromUtf8("۲۵") << int(Qt::Key_Return)
                                    << day(1404, 7, 25);
    QTest::newRow("a day typed halfway is what enter accepts")
        << "calendar" << "2" << int(Qt::Key_Return) << day(1404, 7, 2);
    QTest::newRow("escape keeps the typed day") << "calendar" << "25" << int(Qt::Key_Escape) << day(1404, 7, 25);
}

void tst_ExShDatePicker::digitsTypedWithTheCalendarOpen()
{
    QFETCH(QString, target);
    QFETCH(QString, typed);
    QFETCH(int, closingKey);
    QFETCH(TDateTime, expected);
    Form form(Qt::RightToLeft);
    TExShDatePicker* picker = form.picker;
    QCOMPARE(picker->CurrentSection(), int(TCustomShDatePicker::secDay));
    QSignalSpy changes(picker, &TCustomShDatePicker::OnChange);
    QTest::keyClick(form.window.windowHandle(), Qt::Key_Down, Qt::AltModifier);
    QVERIFY(picker->DroppedDown());
    TDropDownCalendar* cal = picker->Calendar();

    if (target == "window") {
        for (const QChar c : typed)
            QTest::keyClick(form.window.windowHandle(), c.toLatin1());
    } else {
        typeInto(target == "calendar" ? static_cast<QWidget*>(cal) : picker, typed);
    }
    // Typing never closes the calendar; a completed day shows in it at once.
    QVERIFY(picker->DroppedDown());
    if (!picker->IsEditing())
        QCOMPARE(cal->Date(), expected);

    QTest::keyClick(cal, Qt::Key(closingKey));
    QVERIFY(!picker->DroppedDown());
    QCOMPARE(picker->Date(), expected);
    QVERIFY(changes.count() >= 1);
    QVERIFY(picker->hasFocus());
}

void tst_ExShDatePicker::digitsTypeTheYearInTheOpenYearEditor_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("editorKey"); // ends the year edit
    QTest::addColumn<QString>("shown"); // in the editor while typing
    QTest::addColumn<Word>("year");     // of the calendar's day afterwards
    QTest::newRow("four digits, enter") << "1398" << int(Qt::Key_Return) << "1398" << Word(1398);
    QTest::newRow("Persian digits") << QString::fromUtf8("۱۴۱۰") << int(Qt::Key_Return) << "1410" << Word(1410);
    QTest::newRow("a fifth digit starts over, the range holds")
        << "14031" << int(Qt::Key_Return) << "1" << Word(100);
    QTest::newRow("escape drops the typed year") << "1398" << int(Qt::Key_Escape) << "1398" << Word(1404);
    QTest::newRow("up steps from the typed year") << "1398" << int(Qt::Key_Up) << "1398" << Word(1399);
}

void tst_ExShDatePicker::digitsTypeTheYearInTheOpenYearEditor()
{
    QFETCH(QString, typed);
    QFETCH(int, editorKey);
    QFETCH(QString, shown);
    QFETCH(Word, year);
    Form form;
    TExShDatePicker* picker = form.picker;
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    QTest::mouseClick(cal->TitleLabel(), Qt::LeftButton, {}, cal->YearRect().center());
    TYearEdit* editor = cal->YearEditor();
    QVERIFY(editor && editor->isVisible());

    // Keys reach the calendar as the window system delivers them: to the pop-up's focus widget, the editor.
    for (const QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCOMPARE(picker->Date(), kToday); // the picker's own sections are left alone
    QCOMPARE(editor->text(), shown);
    QTest::keyClick(editor, Qt::Key(editorKey));
    if (editorKey == Qt::Key_Up)
        QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!editor->isVisible());
    QVERIFY(picker->DroppedDown());
    Word y = 0, m = 0, d = 0;
    ShDecodeDate(cal->Date(), y, m, d);
    QCOMPARE(y, year);
    QCOMPARE(m, Word(7));

    // The editor closed, digits are the picker's again.
    QTest::keyClick(cal, Qt::Key_Return);
    QCOMPARE(picker->Date(), cal->Date());
}

// ---- closing ------------------------------------------------------------------------------------------------------

void tst_ExShDatePicker::closingWithoutAccepting_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("yearEdit"); // the year editor is open (its spinner one year on) when the calendar closes
    QTest::newRow("press on the drop-down button") << "button" << false;
    QTest::newRow("press on the text") << "text" << false;
    QTest::newRow("focus leaves within the window") << "focus" << false;
    QTest::newRow("picker hidden") << "hide" << false;
    QTest::newRow("pop-up closed by the system") << "popup" << false;
    QTest::newRow("picker disabled") << "disable" << false;
    QTest::newRow("calendar loses the focus") << "calendar focus" << false;
    QTest::newRow("focus leaves the year editor") << "focus" << true;
    QTest::newRow("picker hidden during a year edit") << "hide" << true;
}

void tst_ExShDatePicker::closingWithoutAccepting()
{
    QFETCH(QString, how);
    Form form;
    TExShDatePicker* picker = form.picker;
    QSignalSpy closed(picker, &TCustomExShDatePicker::OnCloseUp);
    QSignalSpy changes(picker, &TCustomShDatePicker::OnChange);
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    QTest::keyClick(cal, Qt::Key_PageDown); // the calendar moves on, the picker must not follow
    QCOMPARE(cal->Date(), day(1404, 8, 15));
    QFETCH(bool, yearEdit);
    TYearEdit* editor = nullptr;
    if (yearEdit) {
        QTest::mouseClick(cal->TitleLabel(), Qt::LeftButton, {}, cal->YearRect().center());
        editor = cal->YearEditor();
        QVERIFY(editor && editor->isVisible());
        QTest::keyClick(editor, Qt::Key_Up);
    }

    if (how == "button")
        form.clickButton(TCustomExShDatePicker::btnDropDown);
    else if (how == "text")
        QTest::mouseClick(picker, Qt::LeftButton, {}, picker->SectionRect(TCustomShDatePicker::secYear).center());
    else if (how == "focus")
        form.other->setFocus();
    else if (how == "hide")
        picker->hide();
    else if (how == "popup")
        cal->close();
    else if (how == "disable")
        picker->setEnabled(false);
    else if (how == "calendar focus") {
        cal->setFocus();
        QVERIFY(cal->hasFocus());
        QVERIFY(picker->DroppedDown());
        form.other->setFocus();
    }

    QVERIFY(!picker->DroppedDown());
    QVERIFY(!cal->isVisible());
    QCOMPARE(picker->Date(), kToday);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(closed.count(), 1);
    if (how == "text")
        QCOMPARE(picker->CurrentSection(), int(TCustomShDatePicker::secYear));
    if (how == "focus" || how == "calendar focus")
        QVERIFY(form.other->hasFocus());
    if (yearEdit) {
        // The edit ended with the calendar and left nothing behind that moves the next day picked.
        QVERIFY(editor->isHidden());
        if (how == "hide")
            picker->show();
        picker->setFocus();
        picker->DropDown();
        QVERIFY(editor->isHidden());
        form.clickDay(day(1404, 7, 20));
        QVERIFY(!picker->DroppedDown());
        QCOMPARE(picker->Date(), day(1404, 7, 20));
    }
}

void tst_ExShDatePicker::focusLostToAnotherWindowComesBackToThePicker_data()
{
    QTest::addColumn<QString>("inside"); // what had the focus in the open calendar
    QTest::addColumn<bool>("otherProgram"); // the application loses the focus, or a window of its own takes it
    QTest::newRow("the calendar, to another window") << "calendar" << false;
    QTest::newRow("the year editor, to another window") << "year editor" << false;
    QTest::newRow("the picker, to another window") << "picker" << false;
    QTest::newRow("the calendar, to another program") << "calendar" << true;
    QTest::newRow("the year editor, to another program") << "year editor" << true;
    QTest::newRow("the picker, to another program") << "picker" << true;
}

void tst_ExShDatePicker::focusLostToAnotherWindowComesBackToThePicker()
{
    // Another window takes the focus from the open calendar (another program, a system pop-up): the picker, not
    // the control the user last left, is what the keyboard finds when the user comes back to the window.
    QFETCH(QString, inside);
    QFETCH(bool, otherProgram);
    Form form;
    TExShDatePicker* picker = form.picker;
    QSignalSpy changes(picker, &TCustomShDatePicker::OnChange);
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    QTest::keyClick(cal, Qt::Key_PageDown);
    if (inside == "year editor") {
        QTest::mouseClick(cal->TitleLabel(), Qt::LeftButton, {}, cal->YearRect().center());
        QVERIFY(cal->YearEditor()->hasFocus());
    } else if (inside == "calendar") {
        cal->setFocus();
        QVERIFY(cal->hasFocus());
    }

    QWidget elsewhere;
    if (otherProgram) {
        // What the application hears when the user switches to another program.
        QEvent deactivate(QEvent::ApplicationDeactivate);
        QApplication::sendEvent(qApp, &deactivate);
    } else {
        elsewhere.setGeometry(700, 500, 120, 60);
        elsewhere.setFocusPolicy(Qt::StrongFocus);
        elsewhere.show();
        elsewhere.activateWindow();
        elsewhere.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QVERIFY(elsewhere.hasFocus()); // the picker's window does not take it back
    }

    QVERIFY(!picker->DroppedDown());
    QVERIFY(!cal->isVisible());
    QCOMPARE(picker->Date(), kToday);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(form.window.focusWidget(), static_cast<QWidget*>(picker));

    form.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    QVERIFY(picker->hasFocus());
}

void tst_ExShDatePicker::pressesRoutedByTheWindowSystem_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("picks");
    QTest::newRow("on the drop-down button: closes, does not reopen") << "button" << false;
    QTest::newRow("on another control: closes") << "other" << false;
    QTest::newRow("on a day of the calendar: picks it") << "day" << true;
}

void tst_ExShDatePicker::pressesRoutedByTheWindowSystem()
{
    // Clicks that go through the window system as a real mouse does: while the pop-up is open, it gets them all.
    QFETCH(QString, where);
    QFETCH(bool, picks);
    Form form;
    TExShDatePicker* picker = form.picker;
    QSignalSpy opened(picker, &TCustomExShDatePicker::OnDropDown);
    QSignalSpy closed(picker, &TCustomExShDatePicker::OnCloseUp);
    QWindow* window = form.window.windowHandle();
    QVERIFY(window);
    const QPoint button = picker->ButtonRect(TCustomExShDatePicker::btnDropDown).center();
    QTest::mouseClick(window, Qt::LeftButton, {}, picker->mapTo(&form.window, button));
    QVERIFY(picker->DroppedDown());
    TDropDownCalendar* cal = picker->Calendar();
    QVERIFY(QApplication::activePopupWidget() == cal);
    QTest::keyClick(cal, Qt::Key_Up); // a week earlier, not picked yet

    if (where == "button") {
        QTest::mouseClick(window, Qt::LeftButton, {}, picker->mapTo(&form.window, button));
    } else if (where == "other") {
        QTest::mouseClick(window, Qt::LeftButton, {}, form.other->geometry().center());
    } else {
        const int index = int(day(1404, 7, 20) - cal->GridStart());
        int col = 0, row = 0;
        cal->IndexToCell(index, col, row);
        QTest::mouseClick(cal->windowHandle(), Qt::LeftButton, {}, cal->CellRect(col, row).center());
    }
    // A press that closed the pop-up may be handed on to what lies under it later.
    QCoreApplication::processEvents();
    QVERIFY(!picker->DroppedDown());
    QVERIFY(!cal->isVisible());
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(opened.count(), 1);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(picker->Date(), picks ? day(1404, 7, 20) : kToday);
    QCOMPARE(picker->CapturedButton(), int(TCustomExShDatePicker::btnNone));
}

void tst_ExShDatePicker::keysRoutedByTheWindowSystem_data()
{
    QTest::addColumn<int>("closingKey");
    QTest::addColumn<int>("weeks");
    QTest::newRow("enter") << int(Qt::Key_Return) << 1;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 0;
}

void tst_ExShDatePicker::keysRoutedByTheWindowSystem()
{
    // Typed on the keyboard as a user does: the open pop-up takes the keys, whoever had the focus before.
    QFETCH(int, closingKey);
    QFETCH(int, weeks);
    Form form;
    TExShDatePicker* picker = form.picker;
    QWindow* window = form.window.windowHandle();
    QTest::keyClick(window, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(picker->DroppedDown());
    QTest::keyClick(window, Qt::Key_Down);
    QVERIFY(picker->DroppedDown());
    QCOMPARE(picker->Calendar()->Date(), kToday + 7);
    QCOMPARE(picker->Date(), kToday);
    QTest::keyClick(window, Qt::Key(closingKey));
    QVERIFY(!picker->DroppedDown());
    QCOMPARE(picker->Date(), kToday + 7 * weeks);
    QVERIFY(picker->hasFocus());
}

// ---- what the drop-down takes from the picker ---------------------------------------------------------------------

void tst_ExShDatePicker::dropDownHandsOverThePickerSettings()
{
    Form form(Qt::RightToLeft);
    TExShDatePicker* picker = form.picker;
    QFont big = picker->font();
    big.setPixelSize(20);
    picker->setFont(big);
    picker->SetMinDate(day(1404, 7, 5));
    picker->SetMaxDate(day(1404, 7, 25));
    picker->SetDate(day(1404, 7, 20));
    picker->SetCalendarOptions(WindowCalendarOptions);
    picker->SetDefaultBoldDays(dbdFridays);
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    QCOMPARE(cal->font().pixelSize(), 20);
    QCOMPARE(cal->MinDate(), day(1404, 7, 5));
    QCOMPARE(cal->MaxDate(), day(1404, 7, 25));
    QCOMPARE(cal->Date(), day(1404, 7, 20));
    QCOMPARE(cal->CalendarOptions(), WindowCalendarOptions);
    QVERIFY(!cal->MonthsMenu());
    QCOMPARE(cal->DefaultBoldDays(), dbdFridays);
    QVERIFY(cal->BoldDays() != 0);

    // A day outside the bounds cannot be picked; the calendar stays open.
    form.clickDay(day(1404, 7, 28));
    QVERIFY(picker->DroppedDown());
    QCOMPARE(picker->Date(), day(1404, 7, 20));
    picker->CloseUp(false);

    // Bounds narrowed the other way round must not trip over the ones the calendar still holds.
    picker->SetMinDate(0);
    picker->SetMaxDate(0);
    picker->SetDate(day(1405, 1, 10));
    picker->SetMinDate(day(1405, 1, 1));
    picker->DropDown();
    QVERIFY(picker->DroppedDown());
    QCOMPARE(cal->MinDate(), day(1405, 1, 1));
    QCOMPARE(cal->MaxDate(), TDateTime(0));
    QCOMPARE(cal->Date(), day(1405, 1, 10));
    picker->CloseUp(true);
    QCOMPARE(picker->Date(), day(1405, 1, 10));
}

void tst_ExShDatePicker::readOnlyNeverDropsDown()
{
    Form form;
    TExShDatePicker* picker = form.picker;
    picker->SetReadOnly(true);
    QSignalSpy opened(picker, &TCustomExShDatePicker::OnDropDown);
    form.clickButton(TCustomExShDatePicker::btnDropDown);
    QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
    form.clickButton(TCustomExShDatePicker::btnUp);
    QVERIFY(!picker->DroppedDown());
    QCOMPARE(opened.count(), 0);
    QCOMPARE(picker->Date(), kToday);
}

void tst_ExShDatePicker::searchWindowConfiguration()
{
    Form form(Qt::RightToLeft);
    TExShDatePicker* picker = form.picker;
    // As the search window sets it up: no date until the user gives one, a stored day behind it.
    applyWindowPickerSettings(picker);
    picker->SetAllowNull(true);
    picker->SetUseCurrentDate(false);
    picker->SetDate(day(1399, 3, 10));
    picker->SetIsNull(true);
    QVERIFY(picker->IsNull());
    QCOMPARE(picker->SectionText(TCustomShDatePicker::secYear), QStringLiteral("  "));

    QSignalSpy changes(picker, &TCustomShDatePicker::OnChange);
    QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
    QVERIFY(picker->DroppedDown());
    QVERIFY(!picker->IsNull());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(picker->Calendar()->Date(), day(1399, 3, 10));

    QTest::keyClick(picker->Calendar(), Qt::Key_Escape);
    QVERIFY(!picker->DroppedDown());
    QVERIFY(!picker->IsNull());
    QCOMPARE(picker->Date(), day(1399, 3, 10));
    QCOMPARE(picker->SectionText(TCustomShDatePicker::secYear), QStringLiteral("1399"));
    QCOMPARE(changes.count(), 1);

    // Delete empties it again; a click on a day then fills it with that day.
    QTest::keyClick(picker, Qt::Key_Delete);
    QVERIFY(picker->IsNull());
    form.clickButton(TCustomExShDatePicker::btnDropDown);
    form.clickDay(day(1399, 3, 20));
    QVERIFY(!picker->IsNull());
    QCOMPARE(picker->Date(), day(1399, 3, 20));
}

void tst_ExShDatePicker::calendarOptionsDropSelectionModes()
{
    TExShDatePicker picker;
    QCOMPARE(picker.CalendarOptions(), TCustomShMonthCalendar::DefaultOptions);
    picker.SetCalendarOptions(TMonthCalOptions(mcoToday | mcoRangeSelect | mcoMultiSelect | mcoWeekNumbers));
    QCOMPARE(picker.CalendarOptions(), TMonthCalOptions(mcoToday | mcoWeekNumbers));
}

void tst_ExShDatePicker::monthInfoComesFromThePicker()
{
    Form form;
    TExShDatePicker* picker = form.picker;
    QList<QPair<int, int>> asked;
    QObject* sender = nullptr;
    connect(picker, &TCustomExShDatePicker::OnGetMonthInfo, picker,
            [&](QObject* from, Word year, Word month, std::uint32_t& mask) {
                sender = from;
                asked.append({year, month});
                mask = 1u << 9; // the 10th of every month is a holiday
            });
    picker->SetDate(day(1404, 5, 3));
    picker->DropDown();
    QCOMPARE(sender, picker);
    QVERIFY(asked.contains(qMakePair(1404, 5)));
    QCOMPARE(picker->Calendar()->BoldDays(), 1u << 9);
    QTest::keyClick(picker->Calendar(), Qt::Key_PageDown);
    QVERIFY(asked.contains(qMakePair(1404, 6)));
    picker->CloseUp(false);
}

void tst_ExShDatePicker::calendarSwitchFollowsIntoTheOpenCalendar()
{
    Form form;
    TExShDatePicker* picker = form.picker;
    picker->DropDown();
    picker->SetUseSystemCalendar(true);
    QVERIFY(picker->Calendar()->UseSystemCalendar());
    QCOMPARE(picker->Calendar()->Date(), kToday);
    picker->CloseUp(true);
    QCOMPARE(picker->Date(), kToday);
}

void tst_ExShDatePicker::publishedPropertiesInFormOrder()
{
    // A form stores and loads the published properties in this order.
    const QStringList expected = {"Alignment",
                                  "AllowCalendarSwitch",
                                  "AllowNull",
                                  "AutoMove",
                                  "AutoMoveDirection",
                                  "AutoSize",
                                  "BorderStyle",
                                  "Buttons",
                                  "CalColors",
                                  "CalendarOptions",
                                  "Checked",
                                  "Date",
                                  "DefaultBoldDays",
                                  "DropDownAlign",
                                  "FormattedHint",
                                  "HighlightRequired",
                                  "IntelliYearDigits",
                                  "IsNull",
                                  "Kind",
                                  "MaxDate",
                                  "MaxDateTime",
                                  "MaxTime",
                                  "MinDate",
                                  "MinDateTime",
                                  "MinTime",
                                  "ReadOnly",
                                  "ShowCheckBox",
                                  "ShowSecond",
                                  "Time",
                                  "Use12HourClock",
                                  "UseCurrentDate",
                                  "UseCurrentTime",
                                  "UseSystemCalendar"};
    const QMetaObject& meta = TExShDatePicker::staticMetaObject;
    QStringList published;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        published << QString::fromLatin1(meta.property(i).name());
    QCOMPARE(published, expected);

    // Written through the property system as a form loader would.
    TExShDatePicker picker;
    QVERIFY(picker.setProperty("Buttons", QVariant::fromValue(TDatePickerButtons(dpbUpDown))));
    QVERIFY(picker.setProperty("DropDownAlign", QVariant::fromValue(daCenter)));
    QVERIFY(picker.setProperty("ShowCheckBox", true));
    QCOMPARE(picker.Buttons(), TDatePickerButtons(dpbUpDown));
    QCOMPARE(picker.DropDownAlign(), daCenter);
    QVERIFY(!picker.ButtonRect(TCustomExShDatePicker::btnCheckBox).isEmpty());
    QCOMPARE(picker.property("CalColors").value<TMonthCalendarColors*>(), picker.Calendar()->CalColors());
}

// ---- how it looks -------------------------------------------------------------------------------------------------

void tst_ExShDatePicker::screenshotOfTheTestWindow()
{
    // The test window's picker: right to left, no months menu, Checked off, formatted hint, required mark.
    QWidget window;
    window.setLayoutDirection(Qt::RightToLeft);
    window.setPalette(QApplication::palette());
    auto* picker = new TExShDatePicker(&window);
    applyWindowPickerSettings(picker);
    picker->setGeometry(20, 16, 130, picker->height());
    window.resize(170, 60);
    window.move(200, 200);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    picker->setFocus();
    picker->DropDown();
    TDropDownCalendar* cal = picker->Calendar();
    QVERIFY(cal->isVisible());
    // Make the cursor day distinct from today so both marks show.
    QTest::keyClick(cal, Qt::Key_Down);

    // The pop-up is a window of its own: compose it under the picker as the screen shows it.
    const QRect windowRect = window.frameGeometry();
    const QRect calRect = cal->frameGeometry();
    const QRect all = windowRect.united(calRect).adjusted(-8, -8, 8, 8);
    QImage image(all.size(), QImage::Format_ARGB32);
    image.fill(QColor(0x6d, 0x7b, 0x8d));
    QPainter painter(&image);
    painter.drawPixmap(windowRect.topLeft() - all.topLeft(), window.grab());
    painter.drawPixmap(calRect.topLeft() - all.topLeft(), cal->grab());
    painter.end();
    QVERIFY(!saveScreenshot(image, QStringLiteral("ExShDatePicker_testwindow_dropdown")).isEmpty());
    const QImage calendar = cal->grab().toImage();
    QVERIFY(!saveScreenshot(calendar, QStringLiteral("ExShDatePicker_dropdown_calendar")).isEmpty());
    // The windows' settings, and what they show: no months menu, the ring around today, the cursor day.
    QCOMPARE(cal->CalendarOptions(), WindowCalendarOptions);
    QVERIFY(!picker->Checked() && picker->FormattedHint() && picker->HighlightRequired());
    QVERIFY(countPixels(calendar, closeTo(cal->CalColors()->CircleColor(), 40)) > 20);
    const QRect cursorCell = cal->CellRect(cal->Col(), cal->Row());
    QVERIFY(countPixels(calendar.copy(cursorCell), closeTo(cal->palette().color(QPalette::Highlight), 30)) >
            cursorCell.width() * cursorCell.height() / 2);
    picker->CloseUp(false);

    // An unchecked box greys the value: its darkest ink is lighter than that of the checked picker.
    picker->SetShowCheckBox(true);
    picker->SetDate(day(1404, 7, 3));
    const QImage unchecked = picker->grab().toImage();
    QVERIFY(!saveScreenshot(unchecked, QStringLiteral("ExShDatePicker_checkbox_unchecked")).isEmpty());
    picker->SetChecked(true);
    const QImage checked = picker->grab().toImage();
    picker->SetChecked(false);
    const auto darkest = [picker](const QImage& image) {
        int darkest = 255;
        const QImage text = image.copy(picker->TextRect());
        for (int y = 0; y < text.height(); ++y)
            for (int x = 0; x < text.width(); ++x)
                darkest = qMin(darkest, qGray(text.pixel(x, y)));
        return darkest;
    };
    QVERIFY2(darkest(unchecked) > darkest(checked) + 40,
             qPrintable(QStringLiteral("%1 vs %2").arg(darkest(unchecked)).arg(darkest(checked))));

    // The search window's picker before a date is given: blank sections (no digits, only the separators) over
    // the red dotted line.
    picker->SetShowCheckBox(false);
    picker->SetAllowNull(true);
    const QRect text(picker->mapTo(&window, picker->TextRect().topLeft()), picker->TextRect().size());
    const int valueInk = countPixels(window.grab().toImage().copy(text), darkerThan(100));
    picker->SetIsNull(true);
    const QImage null = window.grab().toImage();
    QVERIFY(!saveScreenshot(null, QStringLiteral("ExShDatePicker_searchwindow_null")).isEmpty());
    const int nullInk = countPixels(null.copy(text), darkerThan(100));
    QVERIFY2(nullInk * 4 < valueInk, qPrintable(QStringLiteral("%1 vs %2").arg(nullInk).arg(valueInk)));
    QVERIFY(countPixels(null, closeTo(Qt::red, 60)) > 5);
}

QTEST_MAIN(tst_ExShDatePicker)
#include "tst_ExShDatePicker.moc"
