#include <QDirIterator>
#include <QFile>
#include <QTest>

namespace {

// The program writes Persian with the Arabic yeh (U+064A) and keheh (U+06A9), and without the zero-width
// non-joiner, so a reader never sees two spellings of one word side by side. The only joiners are those of the
// three compound weekday names, which are written with one.
const QStringList JoinedWeekdayNames{QStringLiteral("يک‌شنبه"), QStringLiteral("سه‌شنبه"),
                                     QStringLiteral("پنج‌شنبه")};

// What is wrong with the spelling of one line, or empty.
QString spellingFault(QString line)
{
    if (line.contains(QChar(0x06CC)))
        return QStringLiteral("Persian yeh U+06CC instead of Arabic yeh U+064A");
    if (line.contains(QChar(0x0643)))
        return QStringLiteral("Arabic kaf U+0643 instead of keheh U+06A9");
    for (const QString& name : JoinedWeekdayNames)
        line.remove(name);
    if (line.contains(QChar(0x200C)))
        return QStringLiteral("zero-width non-joiner U+200C");
    return {};
}

} // namespace

class tst_Spelling : public QObject
{
    Q_OBJECT

private slots:
    void faultsFound_data();
    void faultsFound();
    void programTextsFollowTheSpelling();
};

void tst_Spelling::faultsFound_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("fault");
    QTest::newRow("design spelling") << "QStringLiteral(\"مدارک حوزه علميه\")" << false;
    QTest::newRow("Persian yeh") << "QStringLiteral(\"ديپلمی\")" << true;
    QTest::newRow("Arabic kaf") << "QStringLiteral(\"دكتراي\")" << true;
    QTest::newRow("joiner in a message") << "QStringLiteral(\"مي‌شود\")" << true;
    QTest::newRow("joined weekday name") << "QStringLiteral(\"پنج‌شنبه\")" << false;
    QTest::newRow("joiner beside a weekday name") << "\"پنج‌شنبه\", \"مي‌شود\"" << true;
}

void tst_Spelling::faultsFound()
{
    QFETCH(QString, line);
    QFETCH(bool, fault);
    QCOMPARE(!spellingFault(line).isEmpty(), fault);
}

void tst_Spelling::programTextsFollowTheSpelling()
{
    // The program's own sources; the item bank (data/items) is the clinic's data, not the program's text.
    QStringList faults;
    int files = 0;
    for (const char* folder : {"app", "calendar", "controls", "data", "dialogs", "results", "testing", "tools"}) {
        QDirIterator it(QStringLiteral(RAVLEN_SOURCE_DIR "/") + QLatin1String(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.ui")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            ++files;
            const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
            for (qsizetype i = 0; i < lines.size(); ++i)
                if (const QString fault = spellingFault(lines[i]); !fault.isEmpty())
                    faults << QStringLiteral("%1:%2: %3").arg(file.fileName()).arg(i + 1).arg(fault);
        }
    }
    QVERIFY(files > 20);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(tst_Spelling)
#include "tst_Spelling.moc"
