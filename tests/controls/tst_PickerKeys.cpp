#include "controls/PickerKeys.h"

#include <QTest>

class tst_PickerKeys : public QObject
{
    Q_OBJECT

private slots:
    void commandFor_data();
    void commandFor();
};

Q_DECLARE_METATYPE(TPickerCommandKind)

// clang-format off
void tst_PickerKeys::commandFor_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("allowSwitch");
    QTest::addColumn<TPickerCommandKind>("kind");
    QTest::addColumn<int>("amount");
    QTest::addColumn<bool>("changesValue"); // a read-only picker refuses it

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;

    QTest::newRow("Shift+Space switches calendars") << int(Qt::Key_Space) << shift << " " << true << pcCalendarSwitch << 0 << false;
    QTest::newRow("Shift+Alt+Space switches too") << int(Qt::Key_Space) << (shift | alt) << " " << true << pcCalendarSwitch << 0 << false;
    QTest::newRow("Shift+Space where no switch is allowed") << int(Qt::Key_Space) << shift << " " << false << pcNone << 0 << false;
    QTest::newRow("Ctrl+Shift+Space is today") << int(Qt::Key_Space) << (ctrl | shift) << " " << true << pcToday << 0 << true;
    QTest::newRow("Ctrl+Space is today") << int(Qt::Key_Space) << ctrl << " " << true << pcToday << 0 << true;
    QTest::newRow("plain Space is not the picker's") << int(Qt::Key_Space) << none << " " << true << pcNone << 0 << false;
    QTest::newRow("keypad * is today") << int(Qt::Key_Asterisk) << keypad << "*" << true << pcToday << 0 << true;
    QTest::newRow("* off the keypad is not") << int(Qt::Key_Asterisk) << shift << "*" << true << pcNone << 0 << false;

    QTest::newRow("Delete clears") << int(Qt::Key_Delete) << none << "" << true << pcClear << 0 << true;
    QTest::newRow("Shift+Delete clears too") << int(Qt::Key_Delete) << shift << "" << true << pcClear << 0 << true;
    QTest::newRow("Ctrl+C copies") << int(Qt::Key_C) << ctrl << "" << true << pcCopy << 0 << false;
    QTest::newRow("Ctrl+V pastes") << int(Qt::Key_V) << ctrl << "" << true << pcPaste << 0 << true;
    QTest::newRow("Ctrl+Shift+V pastes too") << int(Qt::Key_V) << (ctrl | shift) << "" << true << pcPaste << 0 << true;
    QTest::newRow("Ctrl+X cuts") << int(Qt::Key_X) << ctrl << "" << true << pcCut << 0 << true;
    QTest::newRow("plain C is not the picker's") << int(Qt::Key_C) << none << "c" << true << pcNone << 0 << false;

    QTest::newRow("Right: next section") << int(Qt::Key_Right) << none << "" << true << pcMoveSection << 1 << false;
    QTest::newRow("Left: previous section") << int(Qt::Key_Left) << none << "" << true << pcMoveSection << -1 << false;
    QTest::newRow("Ctrl+Left moves nowhere") << int(Qt::Key_Left) << ctrl << "" << true << pcMoveSection << 0 << false;
    QTest::newRow("Up steps up") << int(Qt::Key_Up) << none << "" << true << pcStepSection << 1 << true;
    QTest::newRow("Alt+Up steps up too") << int(Qt::Key_Up) << alt << "" << true << pcStepSection << 1 << true;
    QTest::newRow("Down steps down") << int(Qt::Key_Down) << none << "" << true << pcStepSection << -1 << true;
    QTest::newRow("Ctrl+Down steps by nothing") << int(Qt::Key_Down) << ctrl << "" << true << pcStepSection << 0 << true;
    QTest::newRow("keypad + steps up") << int(Qt::Key_Plus) << keypad << "+" << true << pcStepSection << 1 << true;
    QTest::newRow("keypad - steps down") << int(Qt::Key_Minus) << keypad << "-" << true << pcStepSection << -1 << true;
    QTest::newRow("Ctrl+keypad + steps by nothing") << int(Qt::Key_Plus) << (ctrl | keypad) << "+" << true << pcStepSection << 0 << true;
    QTest::newRow("- off the keypad is not") << int(Qt::Key_Minus) << none << "-" << true << pcNone << 0 << false;
    QTest::newRow("keypad arrow with Num Lock off") << int(Qt::Key_Up) << keypad << "" << true << pcStepSection << 1 << true;

    QTest::newRow("PageUp: a day on") << int(Qt::Key_PageUp) << none << "" << true << pcMoveDays << 1 << true;
    QTest::newRow("PageDown: a day back") << int(Qt::Key_PageDown) << none << "" << true << pcMoveDays << -1 << true;
    QTest::newRow("Ctrl+PageUp: a week on") << int(Qt::Key_PageUp) << ctrl << "" << true << pcMoveDays << 7 << true;
    QTest::newRow("Ctrl+PageDown: a week back") << int(Qt::Key_PageDown) << ctrl << "" << true << pcMoveDays << -7 << true;
    QTest::newRow("Home: section's lowest") << int(Qt::Key_Home) << none << "" << true << pcSectionLimit << -1 << true;
    QTest::newRow("End: section's highest") << int(Qt::Key_End) << none << "" << true << pcSectionLimit << 1 << true;
    QTest::newRow("Ctrl+Home: first year") << int(Qt::Key_Home) << ctrl << "" << true << pcYearLimit << -1 << true;
    QTest::newRow("Ctrl+End: last year") << int(Qt::Key_End) << ctrl << "" << true << pcYearLimit << 1 << true;

    QTest::newRow("ASCII digit") << int(Qt::Key_5) << none << "5" << true << pcTypeDigits << 0 << true;
    QTest::newRow("keypad digit") << int(Qt::Key_5) << keypad << "5" << true << pcTypeDigits << 0 << true;
    QTest::newRow("Persian digit") << int(Qt::Key_unknown) << none << QString::fromUtf8("۵") << true << pcTypeDigits << 0 << true;
    QTest::newRow("Arabic-Indic digit") << int(Qt::Key_unknown) << none << QString::fromUtf8("٥") << true << pcTypeDigits << 0 << true;
    QTest::newRow("Shift typing a Persian digit") << int(Qt::Key_unknown) << shift << QString::fromUtf8("۵") << true << pcTypeDigits << 0 << true;
    QTest::newRow("Ctrl+digit types nothing") << int(Qt::Key_5) << ctrl << "5" << true << pcNone << 0 << false;
    QTest::newRow("Alt+digit types nothing") << int(Qt::Key_5) << alt << "5" << true << pcNone << 0 << false;
    QTest::newRow("a letter") << int(Qt::Key_A) << none << "a" << true << pcNone << 0 << false;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << "\t" << true << pcNone << 0 << false;
}
// clang-format on

void tst_PickerKeys::commandFor()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(bool, allowSwitch);
    QFETCH(TPickerCommandKind, kind);
    QFETCH(int, amount);
    QFETCH(bool, changesValue);

    const TPickerCommand command = pickerCommandFor(key, modifiers, text, allowSwitch);
    QCOMPARE(command.Kind, kind);
    QCOMPARE(command.Amount, amount);
    QCOMPARE(command.ChangesValue(), changesValue);
}

QTEST_GUILESS_MAIN(tst_PickerKeys)
#include "tst_PickerKeys.moc"
