#include "dialogs/AppFonts.h"
#include "dialogs/MessageText.h"

#include "data/DataError.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

Q_DECLARE_METATYPE(QList<MessageLine>)

namespace {

// A folder with a blank, as a counsellor's folders often have.
const QString Folder = QStringLiteral("/tmp/ravlen clinic");
const QString MissingFileDetail =
    QStringLiteral("Cannot open database file '%1/Ravlen.mdb': unable to open database file.").arg(Folder);

QString missingFileMessage()
{
    return userMessage(DataError(MissingFileDetail, DataError::Kind::MissingFile));
}

} // namespace

// How the message dialog sets a message: the lines it makes of the text and how each is laid out, checked on the
// laid-out lines themselves.
class tst_MessageText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lines_data();
    void lines();
    void piecesReadAsTyped_data();
    void piecesReadAsTyped();
};

void tst_MessageText::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
}

void tst_MessageText::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<MessageLine>>("lines");
    const auto rtl = Qt::RightToLeft;
    const auto ltr = Qt::LeftToRight;
    QTest::newRow("a Persian sentence") << QStringLiteral("از برنامه خارج شويم؟")
                                        << QList<MessageLine>{{QStringLiteral("از برنامه خارج شويم؟"), rtl}};
    QTest::newRow("line breaks, an empty line kept")
        << QStringLiteral("سطر اول\n\nسطر سوم")
        << QList<MessageLine>{{QStringLiteral("سطر اول"), rtl}, {QString(), rtl}, {QStringLiteral("سطر سوم"), rtl}};
    QTest::newRow("an embedded folder inside a sentence")
        << QStringLiteral("در پوشه \u202A/tmp/a b\u202C پيدا نشد.")
        << QList<MessageLine>{{QStringLiteral("در پوشه"), rtl},
                              {QStringLiteral("/tmp/a b"), ltr},
                              {QStringLiteral("پيدا نشد."), rtl}};
    QTest::newRow("an isolated command closing the sentence")
        << QStringLiteral("با دستور \u2068ravlen-db create\u2069")
        << QList<MessageLine>{{QStringLiteral("با دستور"), rtl}, {QStringLiteral("ravlen-db create"), ltr}};
    QTest::newRow("a piece opening the line")
        << QStringLiteral("\u2066C:\\Ravlen\u2069 پر است")
        << QList<MessageLine>{{QStringLiteral("C:\\Ravlen"), ltr}, {QStringLiteral("پر است"), rtl}};
    QTest::newRow("an English line runs left to right")
        << QStringLiteral("خطا\nCannot open 'x'.")
        << QList<MessageLine>{{QStringLiteral("خطا"), rtl}, {QStringLiteral("Cannot open 'x'."), ltr}};
    QTest::newRow("a path without marks on a line of its own")
        << QStringLiteral("/tmp/x") << QList<MessageLine>{{QStringLiteral("/tmp/x"), ltr}};
    QTest::newRow("a line without letters runs with the message")
        << QStringLiteral("(12)") << QList<MessageLine>{{QStringLiteral("(12)"), rtl}};
}

void tst_MessageText::lines()
{
    QFETCH(QString, text);
    QFETCH(QList<MessageLine>, lines);
    const QList<MessageLine> actual = messageLines(text);
    QStringList shown;
    for (const MessageLine& line : actual)
        shown << QStringLiteral("[%1 %2]").arg(line.direction == Qt::LeftToRight ? "ltr" : "rtl", line.text);
    QVERIFY2(actual == lines, qPrintable(shown.join(u' ')));
}

void tst_MessageText::piecesReadAsTyped_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<bool>("oneLine"); // false: a long line that may wrap, its lines in reading order
    QTest::newRow("the folder") << Folder << true;
    QTest::newRow("the command that makes the file")
        << QStringLiteral("ravlen-db create %1/Ravlen.mdb").arg(Folder) << true;
    QTest::newRow("the command that runs the program") << QStringLiteral("bash scripts/run.sh") << true;
    QTest::newRow("the technical detail") << MissingFileDetail << false;
}

void tst_MessageText::piecesReadAsTyped()
{
    QFETCH(QString, piece);
    QFETCH(bool, oneLine);

    // The message dialog's text area.
    MessageText label;
    label.setFont(designFont(QStringLiteral("Tahoma"), 13));
    label.setLayoutDirection(Qt::RightToLeft);
    label.resize(430, 100);
    label.setText(missingFileMessage());

    const QTextDocument& document = label.document();
    QTextBlock block = document.begin();
    while (block.isValid() && !block.text().contains(piece))
        block = block.next();
    QVERIFY2(block.isValid(), qPrintable(document.toPlainText()));
    QCOMPARE(block.text().trimmed(), piece);
    const QTextLayout* layout = block.layout();
    QCOMPARE(block.textDirection(), Qt::LeftToRight);

    // Every character stands to the right of the one before it on its line, and each next line is lower.
    const int start = int(block.text().indexOf(piece));
    QTextLine previousLine;
    qreal previousX = -1;
    for (int i = start; i < start + piece.size(); ++i) {
        const QTextLine line = layout->lineForTextPosition(i);
        const qreal x = line.cursorToX(i);
        if (previousLine.isValid() && line.lineNumber() != previousLine.lineNumber()) {
            QVERIFY2(!oneLine, qPrintable(QStringLiteral("broken before %1").arg(piece.mid(i - start))));
            QCOMPARE(line.lineNumber(), previousLine.lineNumber() + 1);
        } else {
            QVERIFY2(x > previousX, qPrintable(QStringLiteral("%1 is not right of %2").arg(piece[i - start]).arg(
                                       i > start ? QString(piece[i - start - 1]) : QString())));
        }
        previousLine = line;
        previousX = x;
    }
    // The last character, the detail's final period included, ends its line on the right.
    const qreal end = previousLine.cursorToX(start + int(piece.size()));
    QVERIFY2(qAbs(end - previousLine.naturalTextRect().right()) < 1, qPrintable(piece));
}

QTEST_MAIN(tst_MessageText)
#include "tst_MessageText.moc"
