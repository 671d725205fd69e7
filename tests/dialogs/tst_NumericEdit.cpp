#include "dialogs/ErrorReport.h"
#include "dialogs/NumericEdit.h"
#include "dialogs/WindowBeep.h"
#include "tests/support/HostWindow.h"
#include "tests/support/MessageSeam.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <limits>

namespace {

constexpr qint64 Int32Min = std::numeric_limits<qint32>::min();
constexpr qint64 Int32Max = std::numeric_limits<qint32>::max();

// Typed one character at a time, as a keyboard with a Persian layout sends them.
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class tst_NumericEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void typingAndPasting_data();
    void typingAndPasting();
    void displayFormats_data();
    void displayFormats();
    void plainWhileFocusedFormattedAfter();
    void emptyBoxReadsZero();
    void typingReplacesTheNumberTheBoxShows_data();
    void typingReplacesTheNumberTheBoxShows();
    void valuesOutsideTheBoundsAreRefusedByCode();

private:
    HostWindow* m_host = nullptr;
    NumericEdit* m_edit = nullptr;
    int m_beeps = 0;
};

void tst_NumericEdit::initTestCase()
{
    setWindowBeepHook([this] { ++m_beeps; });
    m_host = new HostWindow;
    m_edit = new NumericEdit(m_host->client());
    m_edit->setObjectName(QStringLiteral("edAge"));
    m_edit->setGeometry(10, 10, 65, 22);
    QVERIFY(m_host->showActive());
}

void tst_NumericEdit::init()
{
    m_edit->setFocus();
    m_edit->clearValue();
    m_beeps = 0;
}

void tst_NumericEdit::cleanupTestCase()
{
    delete m_host;
    setWindowBeepHook({});
}

void tst_NumericEdit::typingAndPasting_data()
{
    QTest::addColumn<qint64>("maximum");
    QTest::addColumn<qint64>("minimum");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted"); // pasted after typing, when not empty
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("beeps");

    const qint64 age = 255;
    QTest::newRow("Latin digits") << age << qint64(0) << "42"
                                  << ""
                                  << "42" << 0;
    QTest::newRow("Persian digits turn Latin") << age << qint64(0) << "۱۲۳"
                                               << ""
                                               << "123" << 0;
    QTest::newRow("Arabic-Indic digits turn Latin") << age << qint64(0) << "٤٥"
                                                    << ""
                                                    << "45" << 0;
    QTest::newRow("age at its bound") << age << qint64(0) << "255"
                                      << ""
                                      << "255" << 0;
    QTest::newRow("age past its bound: last key refused") << age << qint64(0) << "256"
                                                          << ""
                                                          << "25" << 1;
    QTest::newRow("age 300 is refused, not clamped to 255") << age << qint64(0) << "300"
                                                            << ""
                                                            << "30" << 1;
    QTest::newRow("a letter is refused") << age << qint64(0) << "1a2"
                                         << ""
                                         << "12" << 1;
    QTest::newRow("a blank is refused") << age << qint64(0) << "1 "
                                        << ""
                                        << "1" << 1;
    QTest::newRow("no minus where the bound is 0") << age << qint64(0) << "-"
                                                   << ""
                                                   << "" << 1;
    QTest::newRow("file number takes a minus") << Int32Max << Int32Min << "-12"
                                               << ""
                                               << "-12" << 0;
    QTest::newRow("file number at the 32-bit top") << Int32Max << Int32Min << "2147483647"
                                                   << ""
                                                   << "2147483647" << 0;
    QTest::newRow("file number past the 32-bit top") << Int32Max << Int32Min << "2147483648"
                                                     << ""
                                                     << "214748364" << 1;
    QTest::newRow("file number past the 32-bit bottom") << Int32Max << Int32Min << "-2147483649"
                                                        << ""
                                                        << "-214748364" << 1;
    QTest::newRow("paste Persian digits") << age << qint64(0) << ""
                                          << "۲۵۰"
                                          << "250" << 0;
    QTest::newRow("paste onto typed digits") << Int32Max << Int32Min << "12"
                                             << "٣٤"
                                             << "1234" << 0;
    QTest::newRow("paste past the bound leaves the text") << age << qint64(0) << "9"
                                                          << "12"
                                                          << "9" << 1;
    QTest::newRow("paste with a letter leaves the text") << age << qint64(0) << "7"
                                                         << "1x"
                                                         << "7" << 1;
    QTest::newRow("paste of a formatted number is refused") << Int32Max << Int32Min << ""
                                                            << "1,234"
                                                            << "" << 1;
}

void tst_NumericEdit::typingAndPasting()
{
    QFETCH(qint64, maximum);
    QFETCH(qint64, minimum);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QFETCH(int, beeps);

    m_edit->setBounds(minimum, maximum);
    type(m_edit, typed);
    if (!pasted.isEmpty()) {
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(m_edit->text(), after);
    QCOMPARE(m_beeps, beeps);
}

void tst_NumericEdit::displayFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("0;(0) positive") << "0;(0)" << qint64(1234567) << "1234567";
    QTest::newRow("0;(0) negative in parentheses") << "0;(0)" << qint64(-12) << "(12)";
    QTest::newRow("0;(0) zero") << "0;(0)" << qint64(0) << "0";
    QTest::newRow(",0;(,0) below a thousand") << ",0;(,0)" << qint64(255) << "255";
    QTest::newRow(",0;(,0) groups thousands") << ",0;(,0)" << qint64(1234567) << "1,234,567";
    QTest::newRow(",0;(,0) exact thousand") << ",0;(,0)" << qint64(1000) << "1,000";
    QTest::newRow(",0;(,0) negative grouped in parentheses") << ",0;(,0)" << qint64(-1234) << "(1,234)";
    QTest::newRow(",0;(,0) 32-bit bottom") << ",0;(,0)" << Int32Min << "(2,147,483,648)";
}

void tst_NumericEdit::displayFormats()
{
    QFETCH(QString, format);
    QFETCH(qint64, value);
    QFETCH(QString, shown);

    m_edit->setBounds(Int32Min, Int32Max);
    m_edit->setDisplayFormat(format);
    m_host->other()->setFocus();
    m_edit->setValue(value);
    QCOMPARE(m_edit->text(), shown);
    QCOMPARE(m_edit->value(), value);
    QCOMPARE(m_beeps, 0);
}

void tst_NumericEdit::plainWhileFocusedFormattedAfter()
{
    m_edit->setBounds(Int32Min, Int32Max);
    m_edit->setDisplayFormat(QStringLiteral(",0;(,0)"));
    type(m_edit, QStringLiteral("-۱۲۳۴"));
    QCOMPARE(m_edit->text(), QStringLiteral("-1234"));
    QTest::keyClick(m_edit, Qt::Key_Tab);
    QVERIFY(!m_edit->hasFocus());
    QCOMPARE(m_edit->text(), QStringLiteral("(1,234)"));
    QCOMPARE(m_edit->value(), -1234);
    // Back in the box the number is plain again, ready to be edited.
    m_edit->setFocus(Qt::TabFocusReason);
    QCOMPARE(m_edit->text(), QStringLiteral("-1234"));
    QCOMPARE(m_beeps, 0);
}

void tst_NumericEdit::emptyBoxReadsZero()
{
    m_edit->setBounds(0, 255);
    m_edit->setValue(30);
    m_edit->clearValue();
    QCOMPARE(m_edit->text(), QString());
    QCOMPARE(m_edit->value(), 0);
    // Leaving an empty box does not make it show 0.
    QTest::keyClick(m_edit, Qt::Key_Tab);
    QCOMPARE(m_edit->text(), QString());
    QCOMPARE(m_edit->value(), 0);
}

void tst_NumericEdit::typingReplacesTheNumberTheBoxShows_data()
{
    QTest::addColumn<QString>("how"); // how the box with 0 in it gets in front of the operator
    QTest::newRow("the window puts the focus there") << "setFocus";
    QTest::newRow("Tab") << "Tab";
    QTest::newRow("Shift+Tab") << "Backtab";
    QTest::newRow("a click") << "click";
    QTest::newRow("reset while it has the focus") << "reset";
}

void tst_NumericEdit::typingReplacesTheNumberTheBoxShows()
{
    QFETCH(QString, how);
    m_edit->setBounds(Int32Min, Int32Max);
    m_edit->setDisplayFormat(QStringLiteral("0;(0)"));
    if (how == QLatin1String("reset")) {
        type(m_edit, QStringLiteral("5"));
        m_edit->setValue(0);
    } else {
        m_edit->setValue(0);
        m_host->other()->setFocus();
        QCOMPARE(m_edit->text(), QStringLiteral("0"));
        if (how == QLatin1String("click"))
            QTest::mouseClick(m_edit, Qt::LeftButton, {}, QPoint(m_edit->width() / 2, m_edit->height() / 2));
        else
            m_edit->setFocus(how == QLatin1String("Tab")       ? Qt::TabFocusReason
                             : how == QLatin1String("Backtab") ? Qt::BacktabFocusReason
                                                               : Qt::OtherFocusReason);
    }
    QVERIFY(m_edit->hasFocus());
    type(m_edit, QStringLiteral("17"));
    QCOMPARE(m_edit->text(), QStringLiteral("17"));
}

void tst_NumericEdit::valuesOutsideTheBoundsAreRefusedByCode()
{
    m_edit->setBounds(0, 255);
    m_edit->setValue(40);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, m_edit->setValue(300));
    QCOMPARE(m_edit->value(), 40);
    // In a handler the operator reads why, in Persian.
    ScopedMessageAnswers answers{1};
    QVERIFY(!guarded([&] { m_edit->setValue(-1); }));
    QCOMPARE(answers.texts(), QStringList{QStringLiteral("عدد -1 بيرون از بازه 0 تا 255 اين خانه است")});
    QCOMPARE(m_edit->value(), 40);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, m_edit->setBounds(1, 255));
}

QTEST_MAIN(tst_NumericEdit)
#include "tst_NumericEdit.moc"
