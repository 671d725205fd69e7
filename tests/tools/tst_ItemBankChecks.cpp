// The item bank's shape guard and the separator hint, on item lists and file heads.

#include "tools/ItemBankChecks.h"

#include <QTest>

namespace {

// Items from "scale/sub-scale" pairs.
QList<BankItem> bank(const QStringList& pairs)
{
    QList<BankItem> items;
    for (const QString& pair : pairs)
        items.append({pair.section(QLatin1Char('/'), 0, 0), pair.section(QLatin1Char('/'), 1, 1), true, pair});
    return items;
}

} // namespace

class tst_ItemBankChecks : public QObject
{
    Q_OBJECT

private slots:
    void shapeGuard_data();
    void shapeGuard();
    void separatorHint_data();
    void separatorHint();
    void byteOrderMarkIsReadBack();
};

void tst_ItemBankChecks::shapeGuard_data()
{
    QTest::addColumn<QStringList>("current");
    QTest::addColumn<QStringList>("incoming");
    QTest::addColumn<bool>("needsForce");
    QTest::addColumn<QString>("incomingShape");

    const QStringList two{"A/a1", "A/a2", "B/b1", "A/a1"};
    QTest::newRow("same shape, other items") << two << QStringList{"A/a1", "B/b1", "A/a2", "B/b1", "A/a1"} << false
                                             << "2 scales, 3 sub-scales";
    QTest::newRow("renamed scales keep the shape") << two << QStringList{"X/x1", "X/x2", "Y/y1"} << false
                                                   << "2 scales, 3 sub-scales";
    QTest::newRow("a scale more") << two << QStringList{"A/a1", "A/a2", "B/b1", "C/c1"} << true
                                  << "3 scales, 4 sub-scales";
    QTest::newRow("a sub-scale fewer") << two << QStringList{"A/a1", "B/b1"} << true << "2 scales, 2 sub-scales";
    QTest::newRow("sub-scales regrouped, same counts")
        << QStringList{"A/a1", "A/a2", "B/b1", "B/b2"} << QStringList{"A/a1", "B/a2", "C/b1", "C/b2"} << true
        << "3 scales, 4 sub-scales";
    QTest::newRow("sub-scale under two scales, same counts")
        << QStringList{"A/a1", "A/a2", "B/b1"} << QStringList{"A/a1", "A/a2", "B/b1", "B/a2"} << true
        << "2 scales, 3 sub-scales (filed under more than one scale: a2)";
    QTest::newRow("sub-scale under two scales already") << QStringList{"A/s", "B/s", "B/t"}
                                                        << QStringList{"A/s", "B/s", "B/t", "A/t"} << true
                                                        << "2 scales, 2 sub-scales (filed under more than one scale: s, t)";
    QTest::newRow("the same sharing kept") << QStringList{"A/s", "B/s", "B/t"} << QStringList{"B/s", "A/s", "B/t"}
                                           << false << "2 scales, 2 sub-scales (filed under more than one scale: s)";
    QTest::newRow("empty bank takes any shape") << QStringList{} << QStringList{"A/a1", "B/a1"} << false
                                                << "2 scales, 1 sub-scales (filed under more than one scale: a1)";
}

void tst_ItemBankChecks::shapeGuard()
{
    QFETCH(QStringList, current);
    QFETCH(QStringList, incoming);
    QFETCH(bool, needsForce);
    QFETCH(QString, incomingShape);

    const BankShape incomingBank = bankShapeOf(bank(incoming));
    QCOMPARE(shapeChangeNeedsForce(bankShapeOf(bank(current)), incomingBank), needsForce);
    QCOMPARE(describeShape(incomingBank), incomingShape);
    // Importing the same bank again never needs forcing.
    QVERIFY(!shapeChangeNeedsForce(incomingBank, incomingBank));
}

void tst_ItemBankChecks::separatorHint_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("hinted");

    QTest::newRow("semicolons") << QByteArray("Group1;Group2;Scoring;Question\na;b;true;c\n") << true;
    QTest::newRow("semicolons after a byte-order mark")
        << QByteArray("\xEF\xBB\xBFGroup1;Group2;Scoring;Question\r\n") << true;
    QTest::newRow("semicolons, header only, no line break") << QByteArray("Group1;Group2;Scoring;Question") << true;
    QTest::newRow("commas") << QByteArray("Group1,Group2,Scoring,Question\na,b,true,c;d;e;f\n") << false;
    QTest::newRow("commas, a semicolon in a quoted header")
        << QByteArray("Group1,Group2,Scoring,\"Question; text\"\n") << false;
    QTest::newRow("tabs") << QByteArray("Group1\tGroup2\tScoring\tQuestion\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void tst_ItemBankChecks::separatorHint()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, hinted);

    const QString hint = ::separatorHint(csv);
    QCOMPARE(!hint.isEmpty(), hinted);
    if (hinted)
        QVERIFY2(hint.contains(QStringLiteral("semicolons")) && hint.contains(QStringLiteral("comma")),
                 qPrintable(hint));
}

void tst_ItemBankChecks::byteOrderMarkIsReadBack()
{
    const QList<BankItem> items{{QStringLiteral("\u0627\u0644\u0641"), QStringLiteral("\u0628"), false,
                                 QStringLiteral("\u0633\u0624\u0627\u0644, \"\u0627\u0648\u0644\"")}};
    const QByteArray bytes = withByteOrderMark(writeItemCsv(items));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBFGroup1"));
    QList<BankItem> back;
    QStringList errors;
    QVERIFY2(tryParseItemCsv(bytes, &back, &errors), qPrintable(errors.join(QLatin1Char('\n'))));
    QCOMPARE(back, items);
}

QTEST_GUILESS_MAIN(tst_ItemBankChecks)
#include "tst_ItemBankChecks.moc"
