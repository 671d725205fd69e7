#include "data/DataError.h"
#include "data/DataModule.h"
#include "tests/data/TempDatabase.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

// Registration as the test window does it: the profile, the copy of the master list and the question dataset
// opened on it, as one unit of work.
static void registerParticipant(TData& data, int fileNo, const QString& table, const std::function<void()>& then = {})
{
    data.Database.inTransaction(QStringLiteral("Cannot register participant %1").arg(fileNo), [&] {
        data.tbProfiles.insertRecord({fileNo, QStringLiteral("1403/01/01"), QStringLiteral("نام"),
                                      QStringLiteral("خانوادگي"), 30, 1, 3, table, false});
        data.sqlCommand.setCommandText(QStringLiteral("SELECT * INTO ") + table +
                                       QStringLiteral(" FROM Questions Where Row>=0"));
        data.sqlCommand.execute();
        data.OpenQuestionTable(table);
        if (then)
            then();
    });
}

// What another program sees in the file.
static int countInFile(const QString& fileName, const QString& sql)
{
    DbConnection other;
    other.setConnectionString(JetConnectionString(fileName, QString()));
    other.open();
    QueryDataSet q;
    q.setConnection(&other);
    q.sql() << sql;
    q.open();
    return q.fieldByName(q.fields()[0].name).asInteger();
}

static bool tableInFile(const QString& fileName, const QString& table)
{
    DbConnection other;
    other.setConnectionString(JetConnectionString(fileName, QString()));
    other.open();
    return other.tableExists(table);
}

static int profilesInFile(const QString& fileName, int fileNo)
{
    return countInFile(fileName, QStringLiteral("SELECT Count(*) FROM Profiles WHERE FileNo = %1").arg(fileNo));
}

// Two items in the master list and participant 1 registered already.
struct RegistrationFixture
{
    TempDatabase t;
    TData data;
    RegistrationFixture()
    {
        t.db().execute(QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question) VALUES "
                                      "('a', 'b', true, 'q1'), ('a', 'c', false, 'q2')"));
        data.ConnectToDatabase(t.fileName);
        registerParticipant(data, 1, QStringLiteral("AAAAAAAAAAAAAAA"));
    }
};

class tst_UnitOfWork : public QObject
{
    Q_OBJECT

private slots:
    void registrationIsOneUnit();
    void failedRegistrationLeavesNothing_data();
    void failedRegistrationLeavesNothing();
    void innerUnitUndoesOnlyItself();
    void outerUnitUndoesKeptInnerUnits();
    void undonePostShowsTheStoredRow();
    void killedRegistrationLeavesNothing();
};

void tst_UnitOfWork::registrationIsOneUnit()
{
    RegistrationFixture f;
    registerParticipant(f.data, 5, QStringLiteral("BBBBBBBBBBBBBBB"));
    QCOMPARE(f.data.Database.transactionDepth(), 0);
    QCOMPARE(profilesInFile(f.t.fileName, 5), 1);
    QCOMPARE(countInFile(f.t.fileName, QStringLiteral("SELECT Count(*) FROM BBBBBBBBBBBBBBB")), 2);
    QCOMPARE(f.data.tbProfiles.fieldByName(QStringLiteral("FileNo")).asInteger(), 5);
    QCOMPARE(f.data.tbQuestions.recordCount(), 2);
}

void tst_UnitOfWork::failedRegistrationLeavesNothing_data()
{
    QTest::addColumn<int>("fileNo");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<DataError::Kind>("kind");
    QTest::newRow("copy fails: the table name is taken") << 5 << "taken" << DataError::Kind::Other;
    QTest::newRow("fails after the copy") << 5 << "after" << DataError::Kind::BadFilter;
    QTest::newRow("duplicate file number") << 1 << "duplicate" << DataError::Kind::DuplicateKey;
}

// Neither the profile (in the file and in tbProfiles) nor the table survives a registration that fails part way.
void tst_UnitOfWork::failedRegistrationLeavesNothing()
{
    QFETCH(int, fileNo);
    QFETCH(QString, cause);
    QFETCH(DataError::Kind, kind);
    RegistrationFixture f;
    const QString table = QStringLiteral("CCCCCCCCCCCCCCC");
    if (cause == QLatin1String("taken"))
        f.t.db().execute(QStringLiteral("CREATE TABLE %1 (X INTEGER); INSERT INTO %1 VALUES (7)").arg(table));
    f.data.tbProfiles.setIndexFieldNames(QStringLiteral("FileNo"));
    const int profilesBefore = f.data.tbProfiles.recordCount();
    try {
        registerParticipant(f.data, fileNo, table, [&] {
            if (cause == QLatin1String("after"))
                f.data.tbQuestions.setFilter(QStringLiteral("Answer<="));
        });
        QFAIL("registered");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), kind);
    }
    QCOMPARE(f.data.Database.transactionDepth(), 0);
    QCOMPARE(profilesInFile(f.t.fileName, fileNo), fileNo == 1 ? 1 : 0);
    QCOMPARE(f.data.tbProfiles.recordCount(), profilesBefore);
    QCOMPARE(f.data.tbProfiles.locate(QStringLiteral("FileNo"), fileNo), fileNo == 1);
    QVERIFY(f.data.tbProfiles.state() == DataSet::State::Browse);
    if (cause == QLatin1String("taken")) {
        QCOMPARE(countInFile(f.t.fileName, QStringLiteral("SELECT X FROM %1").arg(table)), 7); // untouched
    } else {
        QVERIFY(!f.data.Database.tableExists(table));
    }
    if (cause == QLatin1String("after"))
        QVERIFY(!f.data.tbQuestions.isActive()); // it was reading a table the file no longer has
    else
        QCOMPARE(f.data.tbQuestions.tableName(), QStringLiteral("AAAAAAAAAAAAAAA"));
    // The number is still free: registering it again works.
    if (fileNo != 1) {
        if (cause == QLatin1String("taken"))
            f.t.db().execute(QStringLiteral("DROP TABLE %1").arg(table));
        registerParticipant(f.data, fileNo, table);
        QCOMPARE(profilesInFile(f.t.fileName, fileNo), 1);
        QCOMPARE(f.data.tbProfiles.recordCount(), profilesBefore + 1);
    }
}

void tst_UnitOfWork::innerUnitUndoesOnlyItself()
{
    RegistrationFixture f;
    TData& data = f.data;
    data.Database.inTransaction(QStringLiteral("outer"), [&] {
        registerParticipant(data, 2, QStringLiteral("DDDDDDDDDDDDDDD"));
        QCOMPARE(data.Database.transactionDepth(), 1);
        QVERIFY_THROWS_EXCEPTION(DataError, registerParticipant(data, 3, QStringLiteral("EEEEEEEEEEEEEEE"), [&] {
                                     QCOMPARE(data.Database.transactionDepth(), 2);
                                     throw DataError(QStringLiteral("stop"));
                                 }));
        registerParticipant(data, 4, QStringLiteral("FFFFFFFFFFFFFFF"));
    });
    QCOMPARE(profilesInFile(f.t.fileName, 2), 1);
    QCOMPARE(profilesInFile(f.t.fileName, 3), 0);
    QCOMPARE(profilesInFile(f.t.fileName, 4), 1);
    QVERIFY(!data.Database.tableExists(QStringLiteral("EEEEEEEEEEEEEEE")));
    QVERIFY(data.Database.tableExists(QStringLiteral("DDDDDDDDDDDDDDD")));
    QCOMPARE(data.tbProfiles.recordCount(), 3);
    QVERIFY(!data.tbProfiles.locate(QStringLiteral("FileNo"), 3));
    QVERIFY(data.tbProfiles.locate(QStringLiteral("FileNo"), 4));
}

void tst_UnitOfWork::outerUnitUndoesKeptInnerUnits()
{
    RegistrationFixture f;
    TData& data = f.data;
    QVERIFY_THROWS_EXCEPTION(DataError, data.Database.inTransaction(QStringLiteral("outer"), [&] {
        registerParticipant(data, 2, QStringLiteral("DDDDDDDDDDDDDDD"));
        registerParticipant(data, 3, QStringLiteral("EEEEEEEEEEEEEEE"));
        throw DataError(QStringLiteral("stop"));
    }));
    QCOMPARE(profilesInFile(f.t.fileName, 2), 0);
    QCOMPARE(profilesInFile(f.t.fileName, 3), 0);
    QVERIFY(!data.Database.tableExists(QStringLiteral("DDDDDDDDDDDDDDD")));
    QCOMPARE(data.tbProfiles.recordCount(), 1);
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("FileNo")).asInteger(), 1);
}

void tst_UnitOfWork::undonePostShowsTheStoredRow()
{
    RegistrationFixture f;
    TData& data = f.data;
    data.tbQuestions.setIndexFieldNames(QStringLiteral("Row"));
    data.tbQuestions.first();
    QVERIFY_THROWS_EXCEPTION(DataError, data.Database.inTransaction(QStringLiteral("answer and finish"), [&] {
        data.tbQuestions.edit();
        data.tbQuestions.setFieldValue(QStringLiteral("Answer"), 4);
        data.tbQuestions.post();
        data.tbProfiles.edit();
        data.tbProfiles.setFieldValue(QStringLiteral("Completed"), true);
        data.tbProfiles.post();
        data.tbProfiles.edit();
        data.tbProfiles.setFieldValue(QStringLiteral("Age"), 300); // refused by the file
        data.tbProfiles.post();
    }));
    QCOMPARE(data.tbQuestions.fieldByName(QStringLiteral("Answer")).asInteger(), 0);
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("Completed")).asBoolean(), false);
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("Age")).asInteger(), 30);
    QCOMPARE(countInFile(f.t.fileName, QStringLiteral("SELECT Count(*) FROM Profiles WHERE Completed")), 0);
    QCOMPARE(countInFile(f.t.fileName, QStringLiteral("SELECT Count(*) FROM AAAAAAAAAAAAAAA WHERE Answer > 0")), 0);
}

void tst_UnitOfWork::killedRegistrationLeavesNothing()
{
    RegistrationFixture f;
    f.data.Database.close(); // only the helper has the file open while it is killed
    QProcess p;
    p.start(QStringLiteral(RAVLEN_DB_HELPER), {QStringLiteral("register-and-wait"), f.t.fileName, QStringLiteral("9")});
    QVERIFY(p.waitForStarted());
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (!out.contains("copied") && timer.elapsed() < 30000 && p.state() == QProcess::Running) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    QVERIFY2(out.contains("copied"), p.readAllStandardError().constData());
    p.kill(); // between the copy and the end of the unit
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(profilesInFile(f.t.fileName, 9), 0);
    QVERIFY(!tableInFile(f.t.fileName, testParticipantTable));
    f.data.ConnectToDatabase(f.t.fileName);
    registerParticipant(f.data, 9, testParticipantTable);
    QCOMPARE(profilesInFile(f.t.fileName, 9), 1);
}

QTEST_GUILESS_MAIN(tst_UnitOfWork)
#include "tst_UnitOfWork.moc"
