#include "data/DataError.h"
#include "data/TableNameGuard.h"
#include "data/ZarkU.h"
#include "tests/data/TempDatabase.h"

#include <QSet>
#include <QTest>

class tst_ZarkU : public QObject
{
    Q_OBJECT

private slots:
    void connectionStringForAFile();
    void connectionStringCarriesPasswordUnchanged();
    void connectionStringNamesTheFileForTheConnection();
    void ifThenVarChoosesByFlag();
    void randomLettersLengthAndAlphabet_data();
    void randomLettersLengthAndAlphabet();
    void randomLettersCoversAToYOnly();
    void randomLettersFollowsTheSeed();
    void tableExists_data();
    void tableExists();
    void tableExistsSeesTablesCreatedMeanwhile();
    void tableExistsOnAClosedConnectionThrows();
    void participantTableNameGuard_data();
    void participantTableNameGuard();
};

void tst_ZarkU::connectionStringForAFile()
{
    const QString s = JetConnectionString(QStringLiteral("C:\\data\\a.mdb"), QString());
    QCOMPARE(s,
             QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Password=\"\";User ID=admin;Data Source=C:\\data\\a.mdb;"
                            "Mode=Share Deny None;Extended Properties=\"\";Jet OLEDB:System database=\"\";"
                            "Jet OLEDB:Registry Path=\"\";Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine Type=5;"
                            "Jet OLEDB:Database Locking Mode=1;Jet OLEDB:Global Partial Bulk Ops=2;"
                            "Jet OLEDB:Global Bulk Transactions=1;Jet OLEDB:New Database Password=\"\";"
                            "Jet OLEDB:Create System Database=False;Jet OLEDB:Encrypt Database=False;"
                            "Jet OLEDB:Don't Copy Locale on Compact=False;"
                            "Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False"));
    QCOMPARE(s.split(QLatin1Char(';')).size(), 19);
}

void tst_ZarkU::connectionStringCarriesPasswordUnchanged()
{
    const QString s = JetConnectionString(QStringLiteral("x.mdb"), QStringLiteral("p;w"));
    QVERIFY(s.contains(QStringLiteral(";Jet OLEDB:Database Password=\"p;w\";Jet OLEDB:Engine Type=5;")));
    QVERIFY(s.contains(QStringLiteral(";Password=\"\";")));
}

void tst_ZarkU::connectionStringNamesTheFileForTheConnection()
{
    // A path with blanks and Persian letters reaches the connection as it was given.
    const QString file = QStringLiteral("/tmp/پوشه من/Ravlen.mdb");
    QCOMPARE(DbConnection::dataSourceOf(JetConnectionString(file, QStringLiteral("a\"\"b"))), file);
}

void tst_ZarkU::ifThenVarChoosesByFlag()
{
    QCOMPARE(IfThenVar(true, 5, 1), 5);
    QCOMPARE(IfThenVar(false, 5, 6 - 5), 1);
    QCOMPARE(IfThenVar(false, 2, 2.5), 2.5);
    const QString s = QStringLiteral("(Fileno=1)");
    QCOMPARE(IfThenVar(s.size() > 0, " And ", ""), QStringLiteral(" And "));
    QCOMPARE(IfThenVar(QString().size() > 0, QStringLiteral(" And "), ""), QString());
    QCOMPARE(IfThenVar(false, s, "مونث"), QStringLiteral("مونث"));
}

void tst_ZarkU::randomLettersLengthAndAlphabet_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("length");
    QTest::newRow("table name") << 15 << 15;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("negative") << -3 << 0;
}

void tst_ZarkU::randomLettersLengthAndAlphabet()
{
    QFETCH(int, count);
    QFETCH(int, length);
    const QString s = RandomLetters(count);
    QCOMPARE(s.size(), length);
    for (const QChar c : s)
        QVERIFY2(c >= QLatin1Char('A') && c <= QLatin1Char('Y'), qPrintable(s));
}

void tst_ZarkU::randomLettersCoversAToYOnly()
{
    QSet<QChar> seen;
    for (int i = 0; i < 200; ++i)
        for (const QChar c : RandomLetters(15))
            seen.insert(c);
    QCOMPARE(seen.size(), 25);
    QVERIFY(!seen.contains(QLatin1Char('Z')));
}

void tst_ZarkU::randomLettersFollowsTheSeed()
{
    RandomLettersGenerator().seed(42);
    const QString first = RandomLetters(15);
    RandomLettersGenerator().seed(42);
    QCOMPARE(RandomLetters(15), first);
}

void tst_ZarkU::tableExists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("Profiles") << "Profiles" << true;
    QTest::newRow("capitals") << "PROFILES" << true;
    QTest::newRow("small letters") << "questions" << true;
    QTest::newRow("view") << "AnsweredItems" << true;
    QTest::newRow("participant table") << "ABCDEFGHIJKLMNO" << true;
    QTest::newRow("system table") << "sqlite_sequence" << false;
    QTest::newRow("system schema") << "sqlite_master" << false;
    QTest::newRow("unknown") << "Nothing" << false;
    QTest::newRow("index is no table") << "ProfilesFileNo" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_ZarkU::tableExists()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    TempDatabase t;
    t.db().execute(QStringLiteral("CREATE VIEW AnsweredItems AS SELECT * FROM Questions WHERE Answer > 0"));
    t.db().execute(QStringLiteral("SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0"));
    QCOMPARE(TableExists(name, t.db()), exists);
}

void tst_ZarkU::tableExistsSeesTablesCreatedMeanwhile()
{
    TempDatabase t;
    DbConnection other;
    other.setConnectionString(JetConnectionString(t.fileName, QString()));
    other.open();
    QVERIFY(!TableExists(QStringLiteral("ABCDE"), t.db()));
    other.execute(QStringLiteral("SELECT * INTO ABCDE FROM Questions Where Row>=0"));
    QVERIFY(TableExists(QStringLiteral("abcde"), t.db()));
}

void tst_ZarkU::tableExistsOnAClosedConnectionThrows()
{
    DbConnection closed;
    QVERIFY_THROWS_EXCEPTION(DataError, TableExists(QStringLiteral("Profiles"), closed));
}

void tst_ZarkU::participantTableNameGuard_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("generated") << "ABCDEFGHIJKLMNY" << true;
    QTest::newRow("one letter") << "Z" << false;
    QTest::newRow("fourteen") << "ABCDEFGHIJKLMN" << false;
    QTest::newRow("sixteen") << "ABCDEFGHIJKLMNOP" << false;
    QTest::newRow("Z is never drawn") << "ABCDEFGHIJKLMNZ" << false;
    QTest::newRow("master table in capitals") << "QUESTIONS" << false;
    QTest::newRow("profiles in capitals") << "PROFILES" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("small letters") << "abcde" << false;
    QTest::newRow("injection") << "A; DROP TABLE Profiles" << false;
    QTest::newRow("quote") << "AB\"C" << false;
    QTest::newRow("digit") << "ABC1" << false;
    QTest::newRow("Persian") << "الف" << false;
    QTest::newRow("fullwidth A") << QString(QChar(0xFF21)) << false;
}

void tst_ZarkU::participantTableNameGuard()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    QCOMPARE(isParticipantTableName(name), accepted);
    if (accepted) {
        QCOMPARE(checkedParticipantTableName(name), name);
    } else {
        try {
            checkedParticipantTableName(name);
            QFAIL("no error");
        } catch (const DataError& e) {
            QVERIFY(e.message().contains(QLatin1Char('\'') + name + QLatin1Char('\'')));
            QCOMPARE(e.kind(), DataError::Kind::BadTableName);
        }
    }
}

QTEST_GUILESS_MAIN(tst_ZarkU)
#include "tst_ZarkU.moc"
