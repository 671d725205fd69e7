#include "testing/AnswerKeys.h"

#include <QTest>

class tst_AnswerKeys : public QObject
{
    Q_OBJECT

private slots:
    void likertValue_data();
    void likertValue();
};

void tst_AnswerKeys::likertValue_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    for (int digit = 1; digit <= 5; ++digit) {
        QTest::addRow("Latin %d", digit) << int(Qt::Key_0) + digit << QString(QChar(u'0' + digit)) << digit;
        QTest::addRow("Persian %d", digit) << 0x06F0 + digit << QString(QChar(0x06F0 + digit)) << digit;
        QTest::addRow("Arabic-Indic %d", digit) << 0x0660 + digit << QString(QChar(0x0660 + digit)) << digit;
    }
    // A layout that sends the key alone.
    QTest::newRow("key code only, Latin") << int(Qt::Key_4) << QString() << 4;
    QTest::newRow("key code only, Persian") << 0x06F2 << QString() << 2;

    QTest::newRow("zero") << int(Qt::Key_0) << QStringLiteral("0") << 0;
    QTest::newRow("six") << int(Qt::Key_6) << QStringLiteral("6") << 0;
    QTest::newRow("Persian zero") << 0x06F0 << QStringLiteral("۰") << 0;
    QTest::newRow("Persian six") << 0x06F6 << QStringLiteral("۶") << 0;
    QTest::newRow("Arabic-Indic six") << 0x0666 << QStringLiteral("٦") << 0;
    QTest::newRow("Devanagari three") << 0x0969 << QStringLiteral("३") << 0;
    QTest::newRow("letter") << int(Qt::Key_A) << QStringLiteral("a") << 0;
    QTest::newRow("Enter") << int(Qt::Key_Return) << QStringLiteral("\r") << 0;
    QTest::newRow("F1 sends no text") << int(Qt::Key_F1) << QString() << 0;
}

void tst_AnswerKeys::likertValue()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(likertValueOfKey(key, text), value);
}

QTEST_GUILESS_MAIN(tst_AnswerKeys)
#include "tst_AnswerKeys.moc"
