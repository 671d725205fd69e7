// The database on a PostgreSQL server, against a throwaway cluster: the schema and its limits, the table copy,
// posting with optimistic locking across two connections, units of work, a dropped connection, and the checks
// made before connecting.
#include "data/DataError.h"
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "tests/support/PgCluster.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <libpq-fe.h>

#include <memory>

namespace {

std::unique_ptr<PgConnection> connectTo(const QString& uri)
{
    auto connection = std::make_unique<PgConnection>(uri);
    connection->open();
    return connection;
}

// A new database holding the schema and two items, and a connection to it.
std::unique_ptr<PgConnection> freshDatabase()
{
    auto connection = connectTo(PgCluster::instance().createDatabase());
    PgBackend::createSchema(*connection);
    PgBackend::execute(*connection, QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question) VALUES "
                                                   "('ت', 'پ', true, 'q1'), ('ب', 'ب', false, 'q2'), "
                                                   "('ت', 'ت', true, 'q3')"));
    return connection;
}

DataError::Kind kindOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DataError& e) {
        return e.kind();
    }
    return DataError::Kind::Other;
}

QString count(PgConnection& connection, const QString& sql)
{
    const SqlBackend::ReadResult r = PgBackend::readQuery(connection, sql);
    return r.values.empty() ? QString() : r.values.front().toString();
}

} // namespace

class tst_PgBackend : public QObject
{
    Q_OBJECT

private slots:
    void schemaRefusesValuesOutsideItsColumns_data();
    void schemaRefusesValuesOutsideItsColumns();
    void createSchemaRefusesANonEmptyDatabase();
    void schemaCheckRefusesWhatIsNotARavlenDatabase_data();
    void schemaCheckRefusesWhatIsNotARavlenDatabase();
    void tableExistsIgnoresCaseAndFindsViews();
    void tableCopyRunsNativelyAndKeepsRowsKeyAndPersianOrder();
    void readTableGivesProgramSpellingTypesAndIdentity();
    void profilesComeInRegistrationOrder();
    void divisorsBecomeEmptyWhenZero_data();
    void divisorsBecomeEmptyWhenZero();
    void divisionByZeroGivesAnEmptyValue();
    void postChecksTheOriginalValuesAcrossConnections();
    void commandTextWithASecondStatementRunsNothing();
    void unitsOfWorkNestAndFailedStatementsAreNotCommitted();
    void failedReadInsideAUnitUndoesOnlyItself();
    void droppedConnectionIsReportedThenReconnected();
    void passwordFileAndUriAreCheckedBeforeConnecting();
};

void tst_PgBackend::schemaRefusesValuesOutsideItsColumns_data()
{
    QTest::addColumn<QString>("values");
    QTest::addColumn<DataError::Kind>("kind");
    QTest::newRow("age 256") << "1, '1402/01/01', 'a', 'b', 256, 1, 1" << DataError::Kind::Constraint;
    QTest::newRow("age below 0") << "1, '1402/01/01', 'a', 'b', -1, 1, 1" << DataError::Kind::Constraint;
    QTest::newRow("grade 300") << "1, '1402/01/01', 'a', 'b', 30, 1, 300" << DataError::Kind::Constraint;
    QTest::newRow("file number beyond 32 bits") << "2147483648, '1402/01/01', 'a', 'b', 30, 1, 1"
                                                << DataError::Kind::Constraint;
    QTest::newRow("date of 11 characters") << "1, '1402/01/011', 'a', 'b', 30, 1, 1" << DataError::Kind::Constraint;
    QTest::newRow("file number registered") << "7, '1402/01/01', 'a', 'b', 30, 1, 1" << DataError::Kind::DuplicateKey;
}

void tst_PgBackend::schemaRefusesValuesOutsideItsColumns()
{
    QFETCH(QString, values);
    QFETCH(DataError::Kind, kind);
    auto db = freshDatabase();
    const QString insert = QStringLiteral("INSERT INTO Profiles (FileNo, Date, FName, LName, Age, Gender, Grade) "
                                          "VALUES (%1)");
    PgBackend::execute(*db, insert.arg(QStringLiteral("7, '1402/01/01', 'x', 'y', 255, 0, 7")));
    QCOMPARE(kindOf([&] { PgBackend::execute(*db, insert.arg(values)); }), kind);
    QCOMPARE(count(*db, QStringLiteral("SELECT count(*) FROM Profiles")), QStringLiteral("1"));
}

void tst_PgBackend::createSchemaRefusesANonEmptyDatabase()
{
    auto db = connectTo(PgCluster::instance().createDatabase());
    PgBackend::execute(*db, QStringLiteral("CREATE TABLE notes (x int)"));
    try {
        PgBackend::createSchema(*db);
        QFAIL("a database holding a table was given the schema");
    } catch (const DataError& e) {
        QVERIFY2(e.message().contains(QLatin1String("not empty")), qPrintable(e.message()));
    }
    QCOMPARE(PgBackend::tableNames(*db), QStringList{QStringLiteral("notes")});
}

void tst_PgBackend::schemaCheckRefusesWhatIsNotARavlenDatabase_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("named");
    QTest::newRow("no Questions") << "DROP TABLE Questions" << "Questions";
    QTest::newRow("Profiles a view") << "ALTER TABLE Profiles RENAME TO p0; CREATE VIEW Profiles AS SELECT * FROM p0"
                                     << "Profiles";
    QTest::newRow("column missing") << "ALTER TABLE Profiles DROP COLUMN QTable" << "QTable";
    QTest::newRow("trigger") << "CREATE FUNCTION f() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN RETURN NEW; END'; "
                                "CREATE TRIGGER sneaky BEFORE UPDATE ON Questions FOR EACH ROW EXECUTE FUNCTION f()"
                             << "sneaky";
}

void tst_PgBackend::schemaCheckRefusesWhatIsNotARavlenDatabase()
{
    QFETCH(QString, damage);
    QFETCH(QString, named);
    auto db = freshDatabase();
    PgBackend::checkSchema(*db);
    PgBackend::execute(*db, damage);
    PgConnection again(db->uri());
    try {
        PgBackend::openChecked(again);
        QFAIL("a damaged database was accepted");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), DataError::Kind::Schema);
        QVERIFY2(e.message().contains(named), qPrintable(e.message()));
    }
    QVERIFY(!again.isOpen());
}

void tst_PgBackend::tableExistsIgnoresCaseAndFindsViews()
{
    auto db = freshDatabase();
    PgBackend::execute(*db, QStringLiteral("CREATE VIEW Everyone AS SELECT FileNo FROM Profiles"));
    for (const char* name : {"Profiles", "PROFILES", "questions", "everyone", "EVERYONE"})
        QVERIFY2(PgBackend::tableExists(*db, QLatin1String(name)), name);
    QVERIFY(!PgBackend::tableExists(*db, QStringLiteral("pg_class")));
    QVERIFY(!PgBackend::tableExists(*db, QStringLiteral("Nothing")));
    QCOMPARE(PgBackend::tableNames(*db),
             (QStringList{QStringLiteral("everyone"), QStringLiteral("Profiles"), QStringLiteral("Questions")}));
}

void tst_PgBackend::tableCopyRunsNativelyAndKeepsRowsKeyAndPersianOrder()
{
    auto db = freshDatabase();
    const int copied = PgBackend::executeStatement(
        *db, QStringLiteral("SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0"));
    QCOMPARE(copied, 3);
    QVERIFY(PgBackend::tableExists(*db, QStringLiteral("ABCDEFGHIJKLMNO")));
    QCOMPARE(count(*db, QStringLiteral("SELECT string_agg(Row::text, ',' ORDER BY Row) FROM abcdefghijklmno")),
             QStringLiteral("1,2,3"));

    // Posting addresses rows by Row, which the copy keeps as its key.
    // Rows come in Row order, also after an earlier row was written (the server moves it to the end).
    PgBackend::execute(*db, QStringLiteral("UPDATE ABCDEFGHIJKLMNO SET Answer = 0 WHERE Row = 1"));
    const SqlBackend::ReadResult copy = PgBackend::readTable(*db, QStringLiteral("ABCDEFGHIJKLMNO"), true);
    QCOMPARE(copy.rowIds, (std::vector<qint64>{1, 2, 3}));
    QVERIFY(copy.fields[0].readOnly);
    // Like the file's copy it numbers new rows after the copied ones and starts them unanswered.
    const qint64 added = PgBackend::insertRow(*db, QStringLiteral("ABCDEFGHIJKLMNO"), {QStringLiteral("Question")},
                                              {QStringLiteral("q4")});
    QCOMPARE(added, 4);
    QCOMPARE(count(*db, QStringLiteral("SELECT Answer::text || Score::text || Scoring::text FROM abcdefghijklmno "
                                       "WHERE Row = 4")),
             QStringLiteral("00false"));
    PgBackend::execute(*db, QStringLiteral("DELETE FROM ABCDEFGHIJKLMNO WHERE Row = 4"));
    PgBackend::updateRow(*db, QStringLiteral("ABCDEFGHIJKLMNO"), 2, {QStringLiteral("Answer"), QStringLiteral("Score")},
                         {2.0, 4.0}, {0.0, 0.0});

    // The design's score query, unchanged: round() of a double, and sub-scales in Persian order (ب پ ت).
    PgBackend::execute(*db, QStringLiteral("UPDATE ABCDEFGHIJKLMNO SET Score = 3 WHERE Row <> 2"));
    const SqlBackend::ReadResult scores = PgBackend::readQuery(
        *db, QStringLiteral("SELECT Group2, Sum(Score) AS SumScore, Count(Group1)*5 AS TopScore, "
                            "Round(Sum(Score)*100/(Count(Group1)*5),2) AS Per FROM ABCDEFGHIJKLMNO "
                            "GROUP BY Group2 ORDER BY Group2;"));
    QCOMPARE(scores.fields[3].name, QStringLiteral("Per"));
    QCOMPARE(scores.fields[3].type, FieldType::Double);
    const std::vector<QVariant> expected{QStringLiteral("ب"), 4.0, 5LL, 80.0, QStringLiteral("پ"), 3.0, 5LL, 60.0,
                                         QStringLiteral("ت"), 3.0, 5LL, 60.0};
    QCOMPARE(scores.values, expected);
}

void tst_PgBackend::readTableGivesProgramSpellingTypesAndIdentity()
{
    auto db = freshDatabase();
    PgBackend::execute(*db, QStringLiteral("INSERT INTO Profiles VALUES (42, '1402/05/06', 'علي', 'رضايي', 30, 1, 3, "
                                           "'ABCDEFGHIJKLMNO', false)"));
    const SqlBackend::ReadResult r = PgBackend::readTable(*db, QStringLiteral("PROFILES"));
    QStringList names;
    for (const FieldDef& f : r.fields)
        names << f.name;
    QCOMPARE(names.join(u','), QStringLiteral("FileNo,Date,FName,LName,Age,Gender,Grade,QTable,Completed"));
    QCOMPARE(r.fields[0].type, FieldType::Integer);
    QCOMPARE(r.fields[1].size, 10);
    QCOMPARE(r.fields[7].size, 15);
    QCOMPARE(r.fields[8].type, FieldType::Boolean);
    QVERIFY(!r.fields[0].readOnly);
    QCOMPARE(r.rowIds, std::vector<qint64>{42});
    QCOMPARE(r.store.value(0, 2), QVariant(QStringLiteral("علي")));
    QCOMPARE(r.store.value(0, 8), QVariant(false));

    const qint64 inserted = PgBackend::insertRow(*db, QStringLiteral("Profiles"),
                                                 {QStringLiteral("FileNo"), QStringLiteral("Completed")}, {43, true});
    QCOMPARE(inserted, 43);
    std::vector<QVariant> row;
    QVERIFY(PgBackend::readRow(*db, QStringLiteral("profiles"), r.fields, inserted, row));
    QCOMPARE(row[0], QVariant(43LL));
    QCOMPARE(row[8], QVariant(true));
    QVERIFY(!PgBackend::readRow(*db, QStringLiteral("Profiles"), r.fields, 99, row));
}

void tst_PgBackend::profilesComeInRegistrationOrder()
{
    auto db = freshDatabase();
    for (const int fileNo : {30, 4, 17})
        PgBackend::insertRow(*db, QStringLiteral("Profiles"), {QStringLiteral("FileNo")}, {fileNo});
    // A row written to moves within the server's storage; the order stays the registration's.
    PgBackend::execute(*db, QStringLiteral("UPDATE Profiles SET FName = 'x' WHERE FileNo = 30"));
    const SqlBackend::ReadResult r = PgBackend::readTable(*db, QStringLiteral("Profiles"));
    QCOMPARE(r.rowIds, (std::vector<qint64>{30, 4, 17}));
    // The column keeping the order is the server's own, as the file's rowid: only a query naming it sees it.
    QCOMPARE(int(r.fields.size()), 9);
    QCOMPARE(int(PgBackend::readQuery(*db, QStringLiteral("SELECT * FROM Profiles")).fields.size()), 9);
    QCOMPARE(count(*db, QStringLiteral("SELECT string_agg(FileNo::text, ',' ORDER BY rowid) FROM Profiles")),
             QStringLiteral("30,4,17"));
}

void tst_PgBackend::divisorsBecomeEmptyWhenZero_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("onServer");
    // clang-format off
    QTest::newRow("parenthesised divisor, a division inside it")
        << "Round(Sum(Score)*100/(Count(Group1)*5),2)" << "Round(Sum(Score)*100/ NULLIF((Count(Group1)*5), 0),2)";
    QTest::newRow("name, then the next factor")
        << "a / b * c" << "a / NULLIF(b, 0) * c";
    QTest::newRow("function call with blanks and a sign")
        << "x/ -Count (y)" << "x/ NULLIF(-Count (y), 0)";
    QTest::newRow("divisions nested in a divisor")
        << "a/(b/c)" << "a/ NULLIF((b/ NULLIF(c, 0)), 0)";
    QTest::newRow("remainder and a number")
        << "a % 0" << "a % NULLIF(0, 0)";
    QTest::newRow("quoted texts and comments stay")
        << "SELECT 'a/b', \"x/y\" /* p/q */ -- r/s\nFROM t" << "SELECT 'a/b', \"x/y\" /* p/q */ -- r/s\nFROM t";
    QTest::newRow("a doubled quote does not end the text")
        << "'it''s a/b' || c/d" << "'it''s a/b' || c/ NULLIF(d, 0)";
    QTest::newRow("a CASE divisor is left as written")
        << "a / CASE WHEN b THEN 1 END" << "a / CASE WHEN b THEN 1 END";
    // clang-format on
}

void tst_PgBackend::divisorsBecomeEmptyWhenZero()
{
    QFETCH(QString, sql);
    QFETCH(QString, onServer);
    QCOMPARE(PgBackend::withFileDivision(sql), onServer);
}

void tst_PgBackend::divisionByZeroGivesAnEmptyValue()
{
    auto db = freshDatabase();
    // A scale-less item: its group counts no Group1, so its top score is 0 and its percentage is empty.
    PgBackend::execute(*db, QStringLiteral("UPDATE Questions SET Group1 = NULL, Score = 4 WHERE Question = 'q2'"));
    const SqlBackend::ReadResult r = PgBackend::readQuery(
        *db, QStringLiteral("SELECT Group2, Round(Sum(Score)*100/(Count(Group1)*5),2) AS Per, 7 % 0 AS Rest "
                            "FROM Questions WHERE Group1 IS NULL GROUP BY Group2"));
    QCOMPARE(r.values, (std::vector<QVariant>{QStringLiteral("ب"), QVariant(), QVariant()}));
    QCOMPARE(PgBackend::execute(*db, QStringLiteral("UPDATE Questions SET Score = 1/0 WHERE Group1 IS NULL")), 1);
    QCOMPARE(count(*db, QStringLiteral("SELECT count(*) FROM Questions WHERE Score IS NULL")), QStringLiteral("1"));
}

void tst_PgBackend::postChecksTheOriginalValuesAcrossConnections()
{
    auto first = freshDatabase();
    auto second = connectTo(first->uri());
    const QString table = QStringLiteral("Questions");
    const QStringList answer{QStringLiteral("Answer"), QStringLiteral("Score")};
    PgBackend::updateRow(*first, table, 1, answer, {4.0, 4.0}, {0.0, 0.0});
    // The second workstation read the row before the first posted: its post is refused, not written over.
    QCOMPARE(kindOf([&] { PgBackend::updateRow(*second, table, 1, answer, {2.0, 2.0}, {0.0, 0.0}); }),
             DataError::Kind::Conflict);
    PgBackend::updateRow(*second, table, 1, answer, {2.0, 2.0}, {4.0, 4.0});
    // A fraction survives the trip through text exactly, so the next post still matches.
    PgBackend::updateRow(*first, table, 1, answer, {0.1, 1.0 / 3}, {2.0, 2.0});
    PgBackend::updateRow(*second, table, 1, answer, {5.0, 5.0}, {0.1, 1.0 / 3});
    QCOMPARE(count(*first, QStringLiteral("SELECT Answer FROM Questions WHERE Row = 1")), QStringLiteral("5"));
    // A post to a row deleted meanwhile is a conflict too.
    PgBackend::execute(*first, QStringLiteral("DELETE FROM Questions WHERE Row = 3"));
    QCOMPARE(kindOf([&] { PgBackend::updateRow(*second, table, 3, answer, {1.0, 1.0}, {0.0, 0.0}); }),
             DataError::Kind::Conflict);
}

void tst_PgBackend::commandTextWithASecondStatementRunsNothing()
{
    auto db = freshDatabase();
    for (const char* sql : {"UPDATE Questions SET Answer = 1; DROP TABLE Profiles",
                            "SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0; DROP TABLE Profiles"}) {
        try {
            PgBackend::executeStatement(*db, QLatin1String(sql));
            QFAIL(sql);
        } catch (const DataError& e) {
            QVERIFY2(e.message().contains(QLatin1String("more than one statement")), qPrintable(e.message()));
        }
    }
    QVERIFY(PgBackend::tableExists(*db, QStringLiteral("Profiles")));
    QVERIFY(!PgBackend::tableExists(*db, QStringLiteral("ABCDEFGHIJKLMNO")));
    QCOMPARE(count(*db, QStringLiteral("SELECT sum(Answer) FROM Questions")), QStringLiteral("0"));
}

void tst_PgBackend::unitsOfWorkNestAndFailedStatementsAreNotCommitted()
{
    auto db = freshDatabase();
    const QString insert = QStringLiteral("INSERT INTO Profiles (FileNo) VALUES (%1)");
    PgBackend::inTransaction(*db, QStringLiteral("outer"), [&] {
        PgBackend::execute(*db, insert.arg(1));
        QCOMPARE(kindOf([&] {
                     PgBackend::inTransaction(*db, QStringLiteral("inner"), [&] {
                         PgBackend::execute(*db, insert.arg(2));
                         PgBackend::execute(*db, insert.arg(1));
                     });
                 }),
                 DataError::Kind::DuplicateKey);
        PgBackend::execute(*db, insert.arg(3));
    });
    QCOMPARE(count(*db, QStringLiteral("SELECT string_agg(FileNo::text, ',' ORDER BY FileNo) FROM Profiles")),
             QStringLiteral("1,3"));

    // A failed statement whose error the work swallowed must not let the unit look committed.
    try {
        PgBackend::inTransaction(*db, QStringLiteral("registration"), [&] {
            PgBackend::execute(*db, insert.arg(4));
            kindOf([&] { PgBackend::execute(*db, insert.arg(1)); });
        });
        QFAIL("a unit with a failed statement was reported as kept");
    } catch (const DataError& e) {
        QVERIFY2(e.message().contains(QLatin1String("nothing was kept")), qPrintable(e.message()));
    }
    QCOMPARE(count(*db, QStringLiteral("SELECT count(*) FROM Profiles WHERE FileNo = 4")), QStringLiteral("0"));
}

void tst_PgBackend::failedReadInsideAUnitUndoesOnlyItself()
{
    auto db = freshDatabase();
    PgBackend::inTransaction(*db, QStringLiteral("registration"), [&] {
        PgBackend::execute(*db, QStringLiteral("INSERT INTO Profiles (FileNo) VALUES (1)"));
        // As on the file: the read fails, the unit goes on and keeps what it wrote.
        QCOMPARE(kindOf([&] { PgBackend::readQuery(*db, QStringLiteral("SELECT * FROM QQQQQQQQQQQQQQQ")); }),
                 DataError::Kind::Schema);
        QCOMPARE(kindOf([&] { PgBackend::readTable(*db, QStringLiteral("QQQQQQQQQQQQQQQ")); }),
                 DataError::Kind::Schema);
        PgBackend::execute(*db, QStringLiteral("INSERT INTO Profiles (FileNo) VALUES (2)"));
    });
    QCOMPARE(count(*db, QStringLiteral("SELECT count(*) FROM Profiles")), QStringLiteral("2"));
}

void tst_PgBackend::droppedConnectionIsReportedThenReconnected()
{
    auto db = freshDatabase();
    auto admin = connectTo(db->uri());
    const QString pid = QString::number(PQbackendPID(db->handle()));
    PgBackend::execute(*admin, QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid));
    try {
        PgBackend::updateRow(*db, QStringLiteral("Questions"), 1, {QStringLiteral("Answer")}, {3.0}, {0.0});
        QFAIL("a post on a dropped connection succeeded");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), DataError::Kind::ConnectionLost);
        QVERIFY2(QString::fromUtf8(e.what()).startsWith(QStringLiteral("ارتباط با سرور اطلاعات قطع شد")),
                 e.what());
    }
    // The next action connects again and the same post goes through.
    PgBackend::updateRow(*db, QStringLiteral("Questions"), 1, {QStringLiteral("Answer")}, {3.0}, {0.0});
    QCOMPARE(count(*admin, QStringLiteral("SELECT Answer FROM Questions WHERE Row = 1")), QStringLiteral("3"));
    QVERIFY(QString::number(PQbackendPID(db->handle())) != pid);
}

void tst_PgBackend::passwordFileAndUriAreCheckedBeforeConnecting()
{
    const QString uri = PgCluster::instance().createDatabase();
    QTemporaryDir dir;
    const QString passFile = dir.filePath(QStringLiteral("pgpass"));
    QFile file(passFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("127.0.0.1:*:*:ravlen:secret\n");
    file.close();
    qputenv("PGPASSFILE", QFile::encodeName(passFile));
    const auto restore = qScopeGuard([] { qunsetenv("PGPASSFILE"); });

    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    PgConnection shared(uri);
    try {
        shared.open();
        QFAIL("a password file others may read was used");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), DataError::Kind::PasswordFileOpen);
        QVERIFY2(e.message().contains(passFile) && e.message().contains(QLatin1String("chmod 600")),
                 qPrintable(e.message()));
        // The one thing to do, and nothing about this user being unable to read the file.
        const QString sentence = QString::fromUtf8(e.what()).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(sentence.contains(QStringLiteral("chmod 600 ") + passFile), qPrintable(sentence));
        QVERIFY(sentence != userSentence(DataError::Kind::AccessDenied, e.message()));
    }
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    PgConnection(uri).open();

    QString withPassword = uri;
    withPassword.replace(QStringLiteral("ravlen@"), QStringLiteral("ravlen:secret@"));
    QCOMPARE(kindOf([&] { PgConnection(withPassword).open(); }), DataError::Kind::PasswordInAddress);
    QCOMPARE(kindOf([&] { PgConnection(uri + QStringLiteral("_missing")).open(); }),
             DataError::Kind::ServerDatabaseMissing);
}

QTEST_GUILESS_MAIN(tst_PgBackend)
#include "tst_PgBackend.moc"
