#include "data/DataError.h"
#include "data/DataSet.h"
#include "data/DataModule.h"
#include "data/DbConnection.h"
#include "data/ReadOnlyDatabase.h"
#include "data/SqlBackend.h"
#include "tests/data/TempDatabase.h"
#include "tests/support/PlainCopy.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <sqlite3.h>

class tst_DbConnection : public QObject
{
    Q_OBJECT

private slots:
    void settingsSurviveCrashes();
    void tableNamesListTablesAndViews();
    void connectionStringWithoutDataSource();
    void closedConnectionRefusesWork();
    void commandCountsOnlyItsOwnRows();
    void newFileIsNeverCreatedByConnecting();
    void schemaRefusesAnExistingFile();
    void writerLockedOutTooLongFails();
    void twoProcessesPostAtOnce();
    void killedProcessKeepsItsPost();
    void schemaChangeByAnotherProgramDoesNotSurface();
    void checkpointPutsEveryCommitIntoTheFile();
};

static QVariant pragma(DbConnection& db, const QString& name)
{
    QueryDataSet q;
    q.setConnection(&db);
    q.sql() << QStringLiteral("PRAGMA ") + name;
    q.open();
    return q.fieldByName(q.fields()[0].name).value();
}

void tst_DbConnection::settingsSurviveCrashes()
{
    if (TempRavlenDb::onServer())
        QSKIP("journal, synchronous writes and the busy wait are the file engine's settings");
    TempDatabase t;
    QCOMPARE(pragma(t.db(), QStringLiteral("journal_mode")).toString(), QStringLiteral("wal"));
    QCOMPARE(pragma(t.db(), QStringLiteral("synchronous")).toInt(), 2); // FULL
    QVERIFY(pragma(t.db(), QStringLiteral("busy_timeout")).toInt() >= 1000);
}

void tst_DbConnection::tableNamesListTablesAndViews()
{
    if (TempRavlenDb::onServer())
        QSKIP("the server folds a name made unquoted to lower case and keeps no other spelling of it");
    TempDatabase t;
    t.db().execute(QStringLiteral("CREATE VIEW Done AS SELECT FileNo FROM Profiles WHERE Completed"));
    QCOMPARE(t.db().tableNames(), QStringList({"Done", "Profiles", "Questions"})); // no sqlite_sequence
}

void tst_DbConnection::connectionStringWithoutDataSource()
{
    DbConnection db;
    db.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Password=\"\""));
    QVERIFY_THROWS_EXCEPTION(DataError, db.open());
    QVERIFY(!db.isConnected());
}

void tst_DbConnection::closedConnectionRefusesWork()
{
    TempDatabase t;
    t.db().close();
    t.db().close(); // twice is harmless
    QVERIFY_THROWS_EXCEPTION(DataError, t.db().execute(QStringLiteral("DELETE FROM Profiles")));
    QVERIFY_THROWS_EXCEPTION(DataError, t.db().tableNames());
    TableDataSet p;
    p.setConnection(&t.db());
    p.setTableName(QStringLiteral("Profiles"));
    try {
        p.open();
        QFAIL("opened");
    } catch (const DataError& e) {
        QVERIFY2(e.message().contains(QLatin1String("not open")), qPrintable(e.message()));
    }
    t.db().open();
    t.db().open();
    p.open();
    QVERIFY(p.isActive());
}

void tst_DbConnection::commandCountsOnlyItsOwnRows()
{
    TempDatabase t;
    QCOMPARE(t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo) VALUES (1), (2)")), 2);
    // A statement that changes no rows reports none, not the count of the statement before it.
    QCOMPARE(t.db().execute(QStringLiteral("CREATE VIEW Everyone AS SELECT * FROM Profiles")), 0);
    QCOMPARE(
        t.db().execute(QStringLiteral("UPDATE Profiles SET Age = 3; UPDATE Profiles SET Age = 4 WHERE FileNo = 1")), 3);
}

void tst_DbConnection::newFileIsNeverCreatedByConnecting()
{
    QTemporaryDir dir;
    const QString name = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
    DbConnection db;
    db.setConnectionString(JetConnectionString(name, QString()));
    QVERIFY_THROWS_EXCEPTION(DataError, db.open());
    QVERIFY(!QFile::exists(name));
}

void tst_DbConnection::schemaRefusesAnExistingFile()
{
    if (TempRavlenDb::onServer())
        QSKIP("the server database is made by create-server, which refuses a non-empty one itself");
    TempDatabase t;
    t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo) VALUES (1)"));
    QVERIFY_THROWS_EXCEPTION(DataError, Schema::createDatabaseFile(t.fileName));
    QCOMPARE(t.db().execute(QStringLiteral("UPDATE Profiles SET Age = 1")), 1); // the file and its row are intact
}

void tst_DbConnection::writerLockedOutTooLongFails()
{
    if (TempRavlenDb::onServer())
        QSKIP("the server locks rows, not the whole database, so no other program can lock out a post");
    TempDatabase t;
    t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo, Completed) VALUES (1, 0)"));
    TableDataSet p;
    p.setConnection(&t.db());
    p.setTableName(QStringLiteral("Profiles"));
    p.open();

    DbConnection other;
    other.setConnectionString(JetConnectionString(t.fileName, QString()));
    other.open();
    other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
    p.edit();
    p.setFieldValue(QStringLiteral("Completed"), true);
    QElapsedTimer timer;
    timer.start();
    try {
        p.post();
        QFAIL("posted through a lock");
    } catch (const DataError& e) {
        QVERIFY2(e.message().contains(QLatin1String("locked")), qPrintable(e.message()));
        QCOMPARE(e.kind(), DataError::Kind::Busy);
    }
    QVERIFY(timer.elapsed() >= 1000); // it waited before giving up
    other.execute(QStringLiteral("ROLLBACK"));
    // The refused edit is dropped (reported once); the same edit made again goes through once the file is free.
    QCOMPARE(p.state(), DataSet::State::Browse);
    QCOMPARE(p.fieldByName(QStringLiteral("Completed")).asBoolean(), false);
    p.edit();
    p.setFieldValue(QStringLiteral("Completed"), true);
    p.post();
    QCOMPARE(pragma(other, QStringLiteral("data_version")).isValid(), true);
    QueryDataSet q;
    q.setConnection(&other);
    q.sql() << QStringLiteral("SELECT Completed FROM Profiles");
    q.open();
    QCOMPARE(q.fieldByName(QStringLiteral("Completed")).asBoolean(), true);
}

static QString helperPath()
{
    return QStringLiteral(RAVLEN_DB_HELPER);
}

static void addItems(DbConnection& db, int n)
{
    for (int i = 1; i <= n; ++i)
        db.execute(QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question) VALUES ('a', 'b', true, "
                                  "'q%1')")
                       .arg(i));
}

void tst_DbConnection::twoProcessesPostAtOnce()
{
    TempDatabase t;
    addItems(t.db(), 10);
    const QString answers = t.addParticipantTable();
    const int perProcess = 60;
    QProcess a;
    QProcess b;
    a.start(helperPath(), {QStringLiteral("insert"), t.fileName, QStringLiteral("1"), QString::number(perProcess)});
    b.start(helperPath(), {QStringLiteral("insert"), t.fileName, QStringLiteral("1001"), QString::number(perProcess)});
    QVERIFY(a.waitForFinished(120000));
    QVERIFY(b.waitForFinished(120000));
    QVERIFY2(a.exitCode() == 0, a.readAllStandardError().constData());
    QVERIFY2(b.exitCode() == 0, b.readAllStandardError().constData());
    QCOMPARE(a.readAllStandardOutput().trimmed(), QByteArray("done"));
    QCOMPARE(b.readAllStandardOutput().trimmed(), QByteArray("done"));

    QueryDataSet q;
    q.setConnection(&t.db());
    q.sql() << QStringLiteral("SELECT Count(*) AS N, Count(DISTINCT FileNo) AS D, Sum(FileNo) AS S FROM Profiles");
    q.open();
    QCOMPARE(q.fieldByName(QStringLiteral("N")).asInteger(), 2 * perProcess);
    QCOMPARE(q.fieldByName(QStringLiteral("D")).asInteger(), 2 * perProcess);
    const int expectedSum = (perProcess * (perProcess + 1)) / 2 + (perProcess * (1001 + 1000 + perProcess)) / 2;
    QCOMPARE(q.fieldByName(QStringLiteral("S")).asInteger(), expectedSum);
    QueryDataSet answered;
    answered.setConnection(&t.db());
    answered.sql() << QStringLiteral("SELECT Count(*) AS N FROM %1 WHERE Answer > 0").arg(answers);
    answered.open();
    QCOMPARE(answered.fieldByName(QStringLiteral("N")).asInteger(), 10);
}

void tst_DbConnection::killedProcessKeepsItsPost()
{
    TempDatabase t;
    addItems(t.db(), 3);
    const QString answers = t.addParticipantTable();
    t.connection.reset(); // only the helper has the file open while it is killed
    QProcess p;
    p.start(helperPath(), {QStringLiteral("post-and-wait"), t.fileName, QStringLiteral("77")});
    QVERIFY(p.waitForStarted());
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (!out.contains("posted") && timer.elapsed() < 30000 && p.state() == QProcess::Running) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    QVERIFY2(out.contains("posted"), p.readAllStandardError().constData());
    p.kill(); // SIGKILL: no destructor, no close, no checkpoint
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);

    DbConnection db;
    db.setConnectionString(JetConnectionString(t.fileName, QString()));
    db.open();
    QueryDataSet q;
    q.setConnection(&db);
    q.sql() << QStringLiteral("SELECT (SELECT Count(*) FROM Profiles WHERE FileNo = 77) AS P, "
                              "(SELECT Answer FROM %1 WHERE Row = 1) AS A, "
                              "(SELECT Score FROM %1 WHERE Row = 1) AS S")
                               .arg(answers);
    q.open();
    QCOMPARE(q.fieldByName(QStringLiteral("P")).asInteger(), 1);
    QCOMPARE(q.fieldByName(QStringLiteral("A")).asFloat(), 4.0);
    QCOMPARE(q.fieldByName(QStringLiteral("S")).asFloat(), 2.0);
}

// Every registration adds a table. Another program working on the file meanwhile (reading, posting answers,
// registering, running the score query) sees the schema change under its prepared statements and must
// re-prepare them rather than report it.
void tst_DbConnection::schemaChangeByAnotherProgramDoesNotSurface()
{
    TempDatabase t;
    addItems(t.db(), 10);
    const QString answers = t.addParticipantTable();
    QProcess registrar;
    registrar.start(helperPath(), {QStringLiteral("register"), t.fileName, QStringLiteral("1000"),
                                   QStringLiteral("400")});
    QVERIFY(registrar.waitForStarted());
    QProcess registrar2;
    registrar2.start(helperPath(), {QStringLiteral("register"), t.fileName, QStringLiteral("5000"),
                                   QStringLiteral("400")});
    QVERIFY(registrar2.waitForStarted());
    TData data;
    data.ConnectToDatabase(t.fileName);
    int rounds = 0;
    QStringList errors;
    auto registering = [&] {
        registrar.waitForFinished(0); // notices the end without an event loop
        return registrar.state() != QProcess::NotRunning;
    };
    while (registering() || rounds < 20) {
        try {
            data.OpenQuestionTable(answers);
            data.tbQuestions.setIndexFieldNames(QStringLiteral("Row"));
            data.tbQuestions.setRecNo(1 + rounds % 10);
            data.tbQuestions.edit();
            data.tbQuestions.setFieldValue(QStringLiteral("Answer"), 1 + rounds % 5);
            data.tbQuestions.post();
            data.tbProfiles.insertRecord({1 + rounds});
            data.tbProfiles.setFilter(QStringLiteral("FileNo=%1").arg(1 + rounds));
            data.tbProfiles.setFiltered(true);
            data.tbProfiles.setFiltered(false);
            for (int k = 0; k < 200; ++k)
                TableExists(answers, data.Database);
            data.qTest1.close();
            data.qTest1.sql() = QStringList{QStringLiteral("SELECT Group1, Sum(Score) AS S FROM %1").arg(answers),
                                            QStringLiteral("GROUP BY Group1;")};
            data.qTest1.open();
        } catch (const DataError& e) {
            errors << e.message();
        }
        ++rounds;
    }
    QVERIFY2(registrar.exitStatus() == QProcess::NormalExit && registrar.exitCode() == 0,
             registrar.readAllStandardError().constData());
    QCOMPARE(registrar.readAllStandardOutput().trimmed(), QByteArray("done"));
    QVERIFY2(errors.isEmpty(), qPrintable(QStringLiteral("%1 of %2 rounds failed, first: %3")
                                              .arg(errors.size())
                                              .arg(rounds)
                                              .arg(errors.value(0))));
}

QTEST_GUILESS_MAIN(tst_DbConnection)
#include "tst_DbConnection.moc"

// The file numbers a copy of the database file alone holds.
static QStringList fileNosInPlainCopy(const QString& fileName)
{
    return firstColumnOfPlainCopy(fileName, QStringLiteral("SELECT FileNo FROM Profiles ORDER BY FileNo"));
}

// Commits wait in the side log; a checkpoint writes them into the file, without waiting for a reader that still
// reads an older state, and never inside a unit of work whose writes are not committed yet.
void tst_DbConnection::checkpointPutsEveryCommitIntoTheFile()
{
    if (TempRavlenDb::onServer()) {
        QVERIFY(TempDatabase().db().checkpoint());
        QSKIP("a server keeps no side log beside a file");
    }
    TempDatabase t;
    t.addShortProfiles(1);
    QCOMPARE(fileNosInPlainCopy(t.fileName), QStringList());
    QVERIFY(t.db().checkpoint());
    QCOMPARE(fileNosInPlainCopy(t.fileName), QStringList{"5"});

    // Another program's reader holds the state before file number 6.
    const ReadOnlyDatabase reader(t.fileName);
    QCOMPARE(sqlite3_exec(reader.handle(), "BEGIN; SELECT count(*) FROM Profiles", nullptr, nullptr, nullptr),
             SQLITE_OK);
    t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (6, 'BBBBBBBBBBBBBBB')"));
    QElapsedTimer waited;
    waited.start();
    QVERIFY(!t.db().checkpoint());
    QVERIFY2(waited.elapsed() < 1000, "the checkpoint waited for the reader");
    QCOMPARE(fileNosInPlainCopy(t.fileName), QStringList{"5"});
    QCOMPARE(sqlite3_exec(reader.handle(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);

    bool insideUnit = true;
    t.db().inTransaction(QStringLiteral("test"), [&] {
        t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (7, 'CCCCCCCCCCCCCCC')"));
        insideUnit = t.db().checkpoint();
    });
    QVERIFY(!insideUnit);
    QVERIFY(t.db().checkpoint());
    QCOMPARE(fileNosInPlainCopy(t.fileName), (QStringList{"5", "6", "7"}));
}
