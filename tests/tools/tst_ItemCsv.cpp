#include "tools/ItemCsv.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(BankItem)

namespace QTest {
template <> char* toString(const BankItem& item)
{
    return qstrdup(
        qPrintable(QStringLiteral("{%1 | %2 | %3 | %4}")
                       .arg(item.group1, item.group2, item.scoring ? QStringLiteral("true") : QStringLiteral("false"),
                            item.question)));
}
} // namespace QTest

class tst_ItemCsv : public QObject
{
    Q_OBJECT

private slots:
    void parsesFields_data();
    void parsesFields();
    void rejects_data();
    void rejects();
    void reportsEveryBadRow();
    void roundTripsAwkwardTexts();
    void formulaCellsAreNeutralised_data();
    void formulaCellsAreNeutralised();
    void embeddedBankIsValid();
};

void tst_ItemCsv::parsesFields_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<BankItem>("expected");

    const BankItem plain{QStringLiteral("a"), QStringLiteral("b"), true, QStringLiteral("c")};
    QTest::newRow("plain") << QByteArray("Group1,Group2,Scoring,Question\na,b,true,c\n") << plain;
    QTest::newRow("no final line break") << QByteArray("Group1,Group2,Scoring,Question\na,b,true,c") << plain;
    QTest::newRow("CRLF and BOM") << QByteArray("\xEF\xBB\xBFGroup1,Group2,Scoring,Question\r\na,b,true,c\r\n")
                                  << plain;
    QTest::newRow("blank lines skipped") << QByteArray("\nGroup1,Group2,Scoring,Question\n\na,b,true,c\n\n") << plain;
    QTest::newRow("columns in another order") << QByteArray("Question,Scoring,Group2,Group1\nc,true,b,a\n") << plain;
    QTest::newRow("header letter case and blanks")
        << QByteArray(" group1 ,GROUP2,scoring,Question\na,b,TRUE,c\n") << plain;
    QTest::newRow("texts trimmed") << QByteArray("Group1,Group2,Scoring,Question\n a ,\" b \", false ,c\n")
                                   << BankItem{QStringLiteral("a"), QStringLiteral("b"), false, QStringLiteral("c")};
    QTest::newRow("quoted comma and doubled quote")
        << QByteArray("Group1,Group2,Scoring,Question\n\"x, y\",b,true,\"say \"\"no\"\", then go\"\n")
        << BankItem{QStringLiteral("x, y"), QStringLiteral("b"), true, QStringLiteral("say \"no\", then go")};
    QTest::newRow("Persian with ZWNJ")
        << QStringLiteral("Group1,Group2,Scoring,Question\nمیان\u200cفردی,همدلی,false,من می\u200cفهمم.\n").toUtf8()
        << BankItem{QStringLiteral("میان\u200cفردی"), QStringLiteral("همدلی"), false,
                    QStringLiteral("من می\u200cفهمم.")};
}

void tst_ItemCsv::parsesFields()
{
    QFETCH(QByteArray, csv);
    QFETCH(BankItem, expected);
    QList<BankItem> items;
    QStringList errors;
    QVERIFY2(tryParseItemCsv(csv, &items, &errors), qPrintable(errors.join('\n')));
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first(), expected);
}

void tst_ItemCsv::rejects_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("message");

    const QByteArray header = "Group1,Group2,Scoring,Question\n";
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("the file is empty");
    QTest::newRow("header only") << header << QStringLiteral("no items");
    QTest::newRow("missing column") << QByteArray("Group1,Group2,Question\na,b,c\n")
                                    << QStringLiteral("line 1: column Scoring is missing");
    QTest::newRow("unknown column") << QByteArray("Group1,Group2,Scoring,Question,Note\na,b,true,c,d\n")
                                    << QStringLiteral("line 1: unknown column \"Note\"");
    QTest::newRow("duplicate column") << QByteArray("Group1,Group2,Scoring,Question,group1\na,b,true,c,d\n")
                                      << QStringLiteral("line 1: column Group1 appears twice");
    QTest::newRow("empty statement") << header + "a,b,true,c\na,b,true,\n"
                                     << QStringLiteral("line 3: Question is empty");
    QTest::newRow("blank statement") << header + "a,b,true,\"   \"\n" << QStringLiteral("line 2: Question is empty");
    QTest::newRow("empty sub-scale") << header + "a,,true,c\n" << QStringLiteral("line 2: Group2 is empty");
    QTest::newRow("bad scoring") << header + "a,b,yes,c\n"
                                 << QStringLiteral("line 2: Scoring must be true or false, not \"yes\"");
    QTest::newRow("numeric scoring") << header + "a,b,1,c\n" << QStringLiteral("line 2: Scoring must be true or false");
    QTest::newRow("256 characters") << header + "a,b,true," + QByteArray(256, 'q') + "\n"
                                    << QStringLiteral("line 2: Question is 256 characters long; at most 255 fit");
    QTest::newRow("line break in statement") << header + "a,b,true,\"two\nlines\"\n"
                                             << QStringLiteral("line 2: Question holds a line break");
    QTest::newRow("too few fields") << header + "a,b,true\n"
                                    << QStringLiteral("line 2: 3 fields where the header names 4");
    QTest::newRow("too many fields") << header + "a,b,true,c,d\n"
                                     << QStringLiteral("line 2: 5 fields where the header names 4");
    QTest::newRow("unclosed quote") << header + "a,b,true,c\na,b,true,\"open\n"
                                    << QStringLiteral("line 3: a quoted field is never closed");
    QTest::newRow("stray quote") << header + "a,b,true,say \"no\"\n"
                                 << QStringLiteral("line 2: a double quote stands inside a field");
    QTest::newRow("text after closing quote") << header + "a,b,true,\"c\"d\n"
                                              << QStringLiteral("line 2: text follows the closing double quote");
    QTest::newRow("not UTF-8") << header + "a,b,true,ok\na,b,true,\xE3\xED\n"
                               << QStringLiteral("line 3: the text is not valid UTF-8");
    // A multi-line quoted field moves the line count on, so the next row's message points at the right line.
    QTest::newRow("line after a quoted line break") << header + "a,b,true,\"x\ny\"\na,b,maybe,c\n"
                                                    << QStringLiteral("line 4: Scoring must be true or false");
}

void tst_ItemCsv::rejects()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, message);
    QList<BankItem> items;
    QStringList errors;
    QVERIFY(!tryParseItemCsv(csv, &items, &errors));
    QVERIFY(items.isEmpty());
    QVERIFY2(errors.join('\n').contains(message), qPrintable(errors.join('\n')));
}

void tst_ItemCsv::reportsEveryBadRow()
{
    const QByteArray csv = "Group1,Group2,Scoring,Question\n"
                           "a,b,true,fine\n"
                           "a,b,sometimes,\n"
                           "a,b,false,fine too\n"
                           ",b,true,c\n";
    QList<BankItem> items;
    QStringList errors;
    QVERIFY(!tryParseItemCsv(csv, &items, &errors));
    QVERIFY(items.isEmpty());
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors.at(0).startsWith(QStringLiteral("line 3: ")));
    QVERIFY(errors.at(0).contains(QStringLiteral("Question is empty")));
    QVERIFY(errors.at(0).contains(QStringLiteral("Scoring must be true or false")));
    QVERIFY(errors.at(1).startsWith(QStringLiteral("line 5: Group1 is empty")));
}

void tst_ItemCsv::roundTripsAwkwardTexts()
{
    const QList<BankItem> items{
        {QStringLiteral("a, b"), QStringLiteral("\"quoted\""), false, QStringLiteral("plain")},
        {QStringLiteral("خلق عمومی"), QStringLiteral("خوش\u200cبینی"), true, QString(255, QChar(0x06CC))},
        {QStringLiteral("x"), QStringLiteral("y"), true, QStringLiteral("ends with a comma,")},
    };
    QList<BankItem> back;
    QStringList errors;
    QVERIFY2(tryParseItemCsv(writeItemCsv(items), &back, &errors), qPrintable(errors.join('\n')));
    QCOMPARE(back, items);
}

void tst_ItemCsv::formulaCellsAreNeutralised_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("neutralised");
    QTest::newRow("hyperlink formula") << "=HYPERLINK(\"http://x\")" << true;
    QTest::newRow("plus") << "+1+2" << true;
    QTest::newRow("minus") << "-2+3" << true;
    QTest::newRow("at") << "@SUM(A1)" << true;
    QTest::newRow("apostrophe then formula") << "'=1" << true;
    QTest::newRow("apostrophe then text") << "'quoted'" << true;
    QTest::newRow("lone minus") << "-" << true;
    QTest::newRow("two apostrophes then formula") << "''=1" << true;
    QTest::newRow("lone apostrophe") << "'" << true;
    QTest::newRow("apostrophe then blank and formula") << "' =1" << true;
    QTest::newRow("formula sign inside") << "a=b" << false;
    QTest::newRow("Persian") << "خوش بيني" << false;
}

// No cell of the export starts like a formula, and the import gives back the text exactly.
void tst_ItemCsv::formulaCellsAreNeutralised()
{
    QFETCH(QString, text);
    QFETCH(bool, neutralised);
    const QList<BankItem> items{{text, QStringLiteral("g"), true, text}};
    const QByteArray csv = writeItemCsv(items);
    const QString body = QString::fromUtf8(csv).section(QLatin1Char('\n'), 1, 1);
    for (const QString& cell : {body.section(QLatin1Char(','), 0, 0), body.section(QLatin1Char(','), -1)}) {
        const QString unquoted = cell.startsWith(QLatin1Char('"')) ? cell.mid(1) : cell;
        QVERIFY2(!QStringLiteral("=+-@").contains(unquoted.front()), qPrintable(cell));
        QCOMPARE(unquoted.startsWith(QLatin1Char('\'')), neutralised || text.startsWith(QLatin1Char('\'')));
    }
    QList<BankItem> back;
    QStringList errors;
    QVERIFY2(tryParseItemCsv(csv, &back, &errors), qPrintable(errors.join('\n')));
    QCOMPARE(back, items);
}

void tst_ItemCsv::embeddedBankIsValid()
{
    QFile file(QStringLiteral(":/items/items.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<BankItem> items;
    QStringList errors;
    QVERIFY2(tryParseItemCsv(file.readAll(), &items, &errors), qPrintable(errors.join('\n')));
    QCOMPARE(items.size(), 90);
}

QTEST_GUILESS_MAIN(tst_ItemCsv)
#include "tst_ItemCsv.moc"
