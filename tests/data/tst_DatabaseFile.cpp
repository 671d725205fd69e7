#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/FileSystemCheck.h"
#include "data/FileUpgrade.h"
#include "data/ReadOnlyDatabase.h"
#include "data/SqlBackend.h"
#include "tests/data/TempDatabase.h"
#include "tests/support/EarlierDatabaseFile.h"
#include "tests/support/FixedClock.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

static QByteArray contentsOf(const QString& fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs `sql` on the file with the bare engine, as the stock sqlite3 shell or any other tool would: no collation or
// function of ours registered. Returns every row, its columns joined by '|', or the engine's error.
static QStringList bareQuery(const QString& fileName, const QString& sql)
{
    sqlite3* h = nullptr;
    QStringList out;
    sqlite3_open_v2(QFile::encodeName(fileName).constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        out << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(h));
    } else {
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            QStringList columns;
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                columns << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
            out << columns.join(QLatin1Char('|'));
        }
        if (rc != SQLITE_DONE)
            out << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(h));
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return out;
}

static int modeOf(const QString& fileName)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(fileName).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Every row of every table of ours, in row order, as the bare engine reads it: what an upgrade must keep.
static QStringList everyRow(const QString& fileName)
{
    QStringList rows;
    for (const QString& table :
         bareQuery(fileName, QStringLiteral("SELECT name FROM sqlite_master WHERE type = "
                                            "'table' AND name NOT LIKE 'sqlite%' ORDER BY name")))
        rows << table + QStringLiteral(": ") +
                    bareQuery(fileName, QStringLiteral("SELECT rowid, * FROM \"%1\" ORDER BY rowid").arg(table))
                        .join(QLatin1Char(';'));
    return rows;
}

// The files beside `fileName` whose names start with its own and name a backup copy.
static QStringList backupsBeside(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.dir().entryList({info.fileName() + QStringLiteral(".before-upgrade-*")}, QDir::Files, QDir::Name);
}

// Replaces the fresh file with one made the earlier way, with the connection open on it again.
static void makeEarlier(TempDatabase& t)
{
    t.connection.reset();
    QFile::remove(t.fileName);
    makeEarlierDatabaseFile(t.fileName);
    t.connection = std::make_unique<DbConnection>();
    t.connection->setConnectionString(JetConnectionString(t.fileName, QString()));
    t.connection->open();
}

class tst_DatabaseFile : public QObject
{
    Q_OBJECT

private slots:
    void anyToolReadsTheFile();
    void queryOrderIsPersian();
    void refusedFilesAreLeftUnchanged_data();
    void refusedFilesAreLeftUnchanged();
    void pathWithSemicolonOpensThatFile();
    void permissionsOnConnect_data();
    void permissionsOnConnect();
    void newFileIsOwnerOnlyUnderAnyUmask();
    void collationIsTakenOutOfSqlText_data();
    void collationIsTakenOutOfSqlText();
    void earlierCollationIsFound_data();
    void earlierCollationIsFound();
    void earlierFileIsUpgradedOnce();
    void upgradeNeverReplacesABackup();
    void failedUpgradeLeavesTheFileAsItWas();
    void stockShellGroupsTheFile_data();
    void stockShellGroupsTheFile();
    void halfRegisteredProfilesGetTheirTables_data();
    void halfRegisteredProfilesGetTheirTables();
    void networkFileSystemsAreNamed_data();
    void networkFileSystemsAreNamed();
    void readOnlyOpenChangesNothing_data();
    void readOnlyOpenChangesNothing();
};

void tst_DatabaseFile::anyToolReadsTheFile()
{
    TempDatabase t;
    t.addScoredItems();
    t.connection.reset();
    QCOMPARE(bareQuery(t.fileName, QStringLiteral("SELECT Group1 || ':' || count(*) FROM Questions GROUP BY Group1 "
                                                  "ORDER BY Group1")),
             QStringList({QStringLiteral("الف:4"), QStringLiteral("ج:3")}));
    QCOMPARE(bareQuery(t.fileName, QStringLiteral("SELECT DISTINCT Group2 FROM Questions WHERE Group2 = 'ی'")),
             QStringList{QStringLiteral("ی")});
}

void tst_DatabaseFile::queryOrderIsPersian()
{
    TempDatabase t;
    // By code point ح (U+062D) and ل (U+0644) come before چ (U+0686) and گ (U+06AF); in Persian order چ comes
    // before ح and گ before ل.
    t.db().execute(QStringLiteral("INSERT INTO Questions (Group1, Group2, Scoring, Question, Answer, Score) VALUES "
                                  "('a', 'ل', 1, 'q', 1, 1), ('a', 'ح', 1, 'q', 2, 2), ('a', 'گ', 1, 'q', 3, 3),"
                                  "('a', 'چ', 1, 'q', 4, 4)"));
    QueryDataSet q;
    q.setConnection(&t.db());
    q.sql() << QStringLiteral("SELECT Group2, Sum(Score) AS SumScore FROM Questions")
            << QStringLiteral("GROUP BY Group2 ORDER BY Group2;");
    q.open();
    QStringList order;
    for (q.first(); !q.eof(); q.next())
        order << q.fieldByName(QStringLiteral("Group2")).asString();
    QCOMPARE(order, QStringList({QStringLiteral("چ"), QStringLiteral("ح"), QStringLiteral("گ"), QStringLiteral("ل")}));
    q.close();
    q.sql().last() = QStringLiteral("GROUP BY Group2 ORDER BY Group2 DESC");
    q.open();
    QCOMPARE(q.fieldByName(QStringLiteral("Group2")).asString(), QStringLiteral("ل"));
}

void tst_DatabaseFile::refusedFilesAreLeftUnchanged_data()
{
    QTest::addColumn<bool>("earlier"); // a file made the earlier way, which a connect would upgrade
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<qint64>("fileSystem"); // the file system it lies on, 0 for the real one
    QTest::addColumn<DataError::Kind>("kind");
    QTest::addColumn<QString>("named"); // what the message names
    const qint64 local = 0;
    QTest::newRow("foreign SQLite file") << false << "DROP TABLE Profiles; DROP TABLE Questions; CREATE TABLE Other (X)"
                                         << local << DataError::Kind::Schema << "Profiles";
    QTest::newRow("trigger") << false << "CREATE TRIGGER Wipe AFTER INSERT ON Profiles BEGIN DELETE FROM Profiles; END"
                             << local << DataError::Kind::Schema << "Wipe";
    QTest::newRow("missing column") << false << "ALTER TABLE Questions DROP COLUMN Score" << local
                                    << DataError::Kind::Schema << "Score";
    QTest::newRow("earlier file with a trigger")
        << true << "CREATE TRIGGER Rewrite AFTER UPDATE ON AAAAAAAAAAAAAAA BEGIN UPDATE Questions SET Score = 5; END"
        << local << DataError::Kind::Schema << "Rewrite";
    QTest::newRow("on NFS") << false << "" << qint64(0x6969) << DataError::Kind::Unsupported << "NFS";
    QTest::newRow("earlier file on CIFS") << true << "" << qint64(0xFF534D42) << DataError::Kind::Unsupported << "CIFS";
}

// A file the program refuses is refused before anything runs on it: not one byte changes, no side file appears,
// no backup is written and the connection stays closed.
void tst_DatabaseFile::refusedFilesAreLeftUnchanged()
{
    QFETCH(bool, earlier);
    QFETCH(QString, tamper);
    QFETCH(qint64, fileSystem);
    QFETCH(DataError::Kind, kind);
    QFETCH(QString, named);
    TempDatabase t;
    if (earlier)
        makeEarlier(t);
    if (!tamper.isEmpty())
        t.db().execute(tamper);
    t.db().execute(QStringLiteral("PRAGMA journal_mode=DELETE")); // a foreign file is seldom in WAL
    t.connection.reset();
    const QByteArray before = contentsOf(t.fileName);
    const QStringList filesBefore = QDir(t.dir.path()).entryList(QDir::Files);
    TData data;
    if (fileSystem)
        data.Database.setFileSystemTypeProbe([fileSystem](const QString&) { return std::optional<qint64>(fileSystem); });
    try {
        data.ConnectToDatabase(t.fileName);
        QFAIL("connected");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), kind);
        QVERIFY2(e.message().contains(named), qPrintable(e.message()));
    }
    QVERIFY(!data.Database.isConnected());
    QCOMPARE(contentsOf(t.fileName), before);
    QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files), filesBefore);
}

void tst_DatabaseFile::pathWithSemicolonOpensThatFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("a;Mode=x;b")));
    const QString fileName = QDir(dir.path()).filePath(QStringLiteral("a;Mode=x;b/Ravlen.mdb"));
    Schema::createDatabaseFile(fileName);
    QCOMPARE(DbConnection::dataSourceOf(JetConnectionString(fileName, QString())), fileName);
    TData data;
    data.ConnectToDatabase(fileName);
    QCOMPARE(data.Database.fileName(), fileName);
    QVERIFY(data.tbProfiles.isActive());
}

void tst_DatabaseFile::permissionsOnConnect_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("after");
    QTest::newRow("world-readable") << 0644 << 0640;
    QTest::newRow("world-writable") << 0666 << 0660;
    QTest::newRow("group-shared") << 0660 << 0660;
    QTest::newRow("owner-only") << 0600 << 0600;
}

void tst_DatabaseFile::permissionsOnConnect()
{
    QFETCH(int, mode);
    QFETCH(int, after);
    TempDatabase t;
    t.connection.reset();
    QCOMPARE(::chmod(QFile::encodeName(t.fileName).constData(), mode_t(mode)), 0);
    TData data;
    data.ConnectToDatabase(t.fileName);
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(t.fileName).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), after);
}

void tst_DatabaseFile::newFileIsOwnerOnlyUnderAnyUmask()
{
    QTemporaryDir dir;
    const QString fileName = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
    const mode_t old = ::umask(0);
    Schema::createDatabaseFile(fileName);
    ::umask(old);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString name = fileName + QLatin1String(suffix);
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(name).constData(), &st) == 0)
            QVERIFY2((st.st_mode & 0077) == 0, qPrintable(name));
    }
}

void tst_DatabaseFile::collationIsTakenOutOfSqlText_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("without");
    QTest::newRow("column") << "CREATE TABLE T (A VARCHAR(10) COLLATE PERSIAN CHECK (length(A) <= 10), B INT)"
                            << "CREATE TABLE T (A VARCHAR(10) CHECK (length(A) <= 10), B INT)";
    QTest::newRow("any letter case, last column") << "CREATE TABLE T (A TEXT collate Persian)"
                                                  << "CREATE TABLE T (A TEXT)";
    QTest::newRow("quoted name") << "CREATE TABLE T (A TEXT COLLATE \"PERSIAN\", B TEXT COLLATE [persian])"
                                 << "CREATE TABLE T (A TEXT, B TEXT)";
    QTest::newRow("index") << "CREATE INDEX I ON T (A COLLATE PERSIAN DESC)"
                           << "CREATE INDEX I ON T (A DESC)";
    QTest::newRow("view") << "CREATE VIEW V AS SELECT A FROM T ORDER BY A COLLATE PERSIAN"
                          << "CREATE VIEW V AS SELECT A FROM T ORDER BY A";
    QTest::newRow("other collation kept") << "CREATE TABLE T (A TEXT COLLATE NOCASE)"
                                          << "CREATE TABLE T (A TEXT COLLATE NOCASE)";
    QTest::newRow("text and names kept")
        << "CREATE TABLE \"x COLLATE PERSIAN\" (A TEXT DEFAULT 'COLLATE PERSIAN' -- COLLATE PERSIAN\n)"
        << "CREATE TABLE \"x COLLATE PERSIAN\" (A TEXT DEFAULT 'COLLATE PERSIAN' -- COLLATE PERSIAN\n)";
    QTest::newRow("a longer name is another collation") << "CREATE TABLE T (A TEXT COLLATE PERSIAN2)"
                                                        << "CREATE TABLE T (A TEXT COLLATE PERSIAN2)";
}

void tst_DatabaseFile::collationIsTakenOutOfSqlText()
{
    QFETCH(QString, sql);
    QFETCH(QString, without);
    QCOMPARE(FileUpgrade::withoutCollation(sql), without);
}

void tst_DatabaseFile::earlierCollationIsFound_data()
{
    QTest::addColumn<QString>("made"); // beside the file's own tables
    QTest::addColumn<bool>("found");
    QTest::newRow("new file") << "" << false;
    QTest::newRow("an index alone, lower case") << "CREATE INDEX I ON Questions (Group1 collate persian)" << true;
    QTest::newRow("a view alone") << "CREATE VIEW V AS SELECT Group1 FROM Questions ORDER BY Group1 Collate Persian"
                                  << true;
    QTest::newRow("another collation") << "CREATE INDEX I ON Questions (Group1 COLLATE NOCASE)" << false;
    QTest::newRow("the words in a text only") << "CREATE TABLE T (A TEXT DEFAULT 'COLLATE PERSIAN')" << false;
}

// The connect step asks the engine only for the schema entries naming a collation; whichever kind declares the
// earlier one is still found, and nothing else is taken for it.
void tst_DatabaseFile::earlierCollationIsFound()
{
    QFETCH(QString, made);
    QFETCH(bool, found);
    TempDatabase t;
    t.addParticipantTable();
    if (!made.isEmpty())
        t.db().execute(made);
    QCOMPARE(FileUpgrade::declaresEarlierCollation(t.db()), found);
}

// The connect step rebuilds a file of an earlier build once: a backup copy first (owner-only, the file as it
// was), then every table without the collation, every row with its identity, the counters and the index kept.
void tst_DatabaseFile::earlierFileIsUpgradedOnce()
{
    QTemporaryDir dir;
    const QString fileName = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
    makeEarlierDatabaseFile(fileName);
    const QString groupBy = QStringLiteral("SELECT Group1, count(*) FROM AAAAAAAAAAAAAAA GROUP BY Group1");
    QVERIFY(bareQuery(fileName, groupBy).value(0).contains(QLatin1String("no such collation sequence: PERSIAN")));
    const QStringList rowsBefore = everyRow(fileName);
    const QStringList sequenceBefore = bareQuery(fileName, QStringLiteral("SELECT name, seq FROM sqlite_sequence"));

    {
        TData data;
        QCOMPARE(data.ConnectToDatabase(fileName), QList<int>());
        QCOMPARE(data.tbProfiles.recordCount(), 2);
    }
    const QStringList backups = backupsBeside(fileName);
    QCOMPARE(backups.size(), 1);
    QVERIFY2(backups[0].endsWith(QLatin1String(".bak")), qPrintable(backups[0]));
    const QString backup = QDir(dir.path()).filePath(backups[0]);
    QCOMPARE(modeOf(backup), 0600);
    QCOMPARE(everyRow(backup), rowsBefore);
    QVERIFY(bareQuery(backup, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Questions'"))
                .value(0)
                .contains(QLatin1String("COLLATE PERSIAN")));

    QCOMPARE(bareQuery(fileName, groupBy), QStringList({QStringLiteral("الف|4"), QStringLiteral("ج|3")}));
    QCOMPARE(bareQuery(fileName, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE sql LIKE '%PERSIAN%'")),
             QStringList{QStringLiteral("0")});
    // Tables made as a new file makes them, nothing left over from the rebuild.
    QCOMPARE(bareQuery(fileName, QStringLiteral("SELECT sql FROM sqlite_master WHERE name IN ('Profiles', "
                                                "'ProfilesFileNo', 'Questions') ORDER BY name")),
             Schema::statements());
    QCOMPARE(everyRow(fileName), rowsBefore);
    QCOMPARE(bareQuery(fileName, QStringLiteral("SELECT name, seq FROM sqlite_sequence")), sequenceBefore);
    QCOMPARE(bareQuery(fileName, QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});

    // The unique file number still holds, and Persian order is still the layer's.
    DbConnection db;
    db.setConnectionString(JetConnectionString(fileName, QString()));
    db.open();
    QVERIFY_THROWS_EXCEPTION(DataError, db.execute(QStringLiteral("INSERT INTO Profiles (FileNo) VALUES (5)")));
    db.close();

    // A second connect finds nothing to do and writes no second copy.
    {
        TData data;
        data.ConnectToDatabase(fileName);
    }
    QCOMPARE(backupsBeside(fileName).size(), 1);
    QCOMPARE(everyRow(fileName), rowsBefore);
}

void tst_DatabaseFile::upgradeNeverReplacesABackup()
{
    QTemporaryDir dir;
    const QString fileName = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb"));
    makeEarlierDatabaseFile(fileName);
    const ScopedFixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 15)));
    const QString taken = FileUpgrade::backupFileName(fileName, QStringLiteral("20261210-093015"));
    QFile planted(taken);
    QVERIFY(planted.open(QIODevice::WriteOnly));
    planted.write("an earlier copy");
    planted.close();

    TData data;
    data.ConnectToDatabase(fileName);
    QCOMPARE(contentsOf(taken), QByteArray("an earlier copy"));
    const QString second = QDir(dir.path()).filePath(QStringLiteral("Ravlen.mdb.before-upgrade-20261210-093015-2.bak"));
    QVERIFY(QFile::exists(second));
    QCOMPARE(modeOf(second), 0600);
}

// All or nothing: a row that only the earlier collation let in (چ sorts before ح in Persian, after it by code
// point) stops the rebuild part way; the file stays as it was and no copy is left to pile up at every start.
void tst_DatabaseFile::failedUpgradeLeavesTheFileAsItWas()
{
    TempDatabase t;
    makeEarlier(t);
    t.db().execute(QStringLiteral("CREATE TABLE Notes (A VARCHAR(10) COLLATE PERSIAN CHECK (A < 'ح'));"
                                  "INSERT INTO Notes VALUES ('چ')"));
    t.connection.reset();
    const QByteArray before = contentsOf(t.fileName);
    const QStringList filesBefore = QDir(t.dir.path()).entryList(QDir::Files);

    TData data;
    try {
        data.ConnectToDatabase(t.fileName);
        QFAIL("connected");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), DataError::Kind::Schema);
        QVERIFY2(e.message().contains(QLatin1String("left as it was")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QLatin1String("CHECK constraint failed")), qPrintable(e.message()));
    }
    QVERIFY(!data.Database.isConnected());
    QCOMPARE(contentsOf(t.fileName), before);
    QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files), filesBefore);
}

void tst_DatabaseFile::stockShellGroupsTheFile_data()
{
    QTest::addColumn<bool>("earlier");
    QTest::newRow("new file") << false;
    QTest::newRow("upgraded earlier file") << true;
}

// What a clinic's backup script or analyst does with the file, with the stock sqlite3 shell.
void tst_DatabaseFile::stockShellGroupsTheFile()
{
    QFETCH(bool, earlier);
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        QSKIP("the sqlite3 shell is not installed (scripts/install-deps.sh installs it)");
    TempDatabase t;
    if (earlier) {
        makeEarlier(t);
        t.connection.reset();
        TData data;
        data.ConnectToDatabase(t.fileName);
    } else {
        t.addScoredItems();
        t.connection.reset();
    }
    QProcess process;
    process.start(shell, {t.fileName, QStringLiteral("SELECT Group1, count(*) FROM Questions GROUP BY Group1")});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), QStringLiteral("الف|4\nج|3\n"));
}

void tst_DatabaseFile::halfRegisteredProfilesGetTheirTables_data()
{
    QTest::addColumn<bool>("earlier");
    QTest::addColumn<QString>("profiles"); // rows for Profiles beside the file's own
    QTest::addColumn<QList<int>>("repaired");
    QTest::addColumn<QString>("made"); // made by another program before the connect
    QTest::newRow("one cut short") << false << "(9, 'CCCCCCCCCCCCCCC')" << QList<int>{9} << "";
    QTest::newRow("two cut short, one whole")
        << false << "(12, 'DDDDDDDDDDDDDDD'), (9, 'CCCCCCCCCCCCCCC'), (10, 'ABCDEFGHIJKLMNO')" << QList<int>{9, 12}
        << "";
    QTest::newRow("not a name registration makes") << false << "(9, 'X'), (10, 'Profiles')" << QList<int>{} << "";
    QTest::newRow("earlier file") << true << "(9, 'CCCCCCCCCCCCCCC')" << QList<int>{9} << "";
    // The engine takes the name in any letter case for the same table: making it again would fail the connect.
    QTest::newRow("table there in other letter case")
        << false << "(9, 'CCCCCCCCCCCCCCC'), (12, 'DDDDDDDDDDDDDDD')" << QList<int>{12}
        << "CREATE TABLE ccccccccccccccc (Row INTEGER)";
    QTest::newRow("a view holds the name")
        << false << "(9, 'CCCCCCCCCCCCCCC')" << QList<int>{} << "CREATE VIEW CCCCCCCCCCCCCCC AS SELECT * FROM Questions";
}

// A profile whose question table was never made gets it from Questions, as registration makes it; the connect
// step names its file number once.
void tst_DatabaseFile::halfRegisteredProfilesGetTheirTables()
{
    QFETCH(bool, earlier);
    QFETCH(QString, profiles);
    QFETCH(QList<int>, repaired);
    QFETCH(QString, made);
    TempDatabase t;
    if (earlier) {
        makeEarlier(t);
    } else {
        t.addScoredItems();
        t.addParticipantTable();
    }
    t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES ") + profiles);
    if (!made.isEmpty())
        t.db().execute(made);
    t.connection.reset();
    const QStringList tablesBefore =
        bareQuery(t.fileName, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));

    TData data;
    QCOMPARE(data.ConnectToDatabase(t.fileName), repaired);
    QCOMPARE(data.tbProfiles.recordCount(),
             int(bareQuery(t.fileName, QStringLiteral("SELECT count(*) FROM Profiles")).value(0).toInt()));
    const QStringList tablesAfter =
        bareQuery(t.fileName, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    QCOMPARE(tablesAfter.size(), tablesBefore.size() + repaired.size());
    for (const int fileNo : repaired) {
        const QString table =
            bareQuery(t.fileName, QStringLiteral("SELECT QTable FROM Profiles WHERE FileNo = %1").arg(fileNo)).value(0);
        // The look-up that failed with "no such table" now opens the participant's fresh, unanswered table.
        data.OpenQuestionTable(table);
        QCOMPARE(data.tbQuestions.recordCount(), 7);
        QCOMPARE(bareQuery(t.fileName, QStringLiteral("SELECT * FROM %1 ORDER BY Row").arg(table)),
                 bareQuery(t.fileName, QStringLiteral("SELECT * FROM Questions ORDER BY Row")));
        QCOMPARE(bareQuery(t.fileName, QStringLiteral("SELECT Group1, count(*) FROM %1 GROUP BY Group1").arg(table)),
                 QStringList({QStringLiteral("الف|4"), QStringLiteral("ج|3")}));
    }
    // Once: the next connect finds every table there.
    QCOMPARE(data.ConnectToDatabase(t.fileName), QList<int>());
}

void tst_DatabaseFile::networkFileSystemsAreNamed_data()
{
    QTest::addColumn<qint64>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("NFS") << qint64(0x6969) << "NFS";
    QTest::newRow("SMB") << qint64(0x517B) << "SMB";
    QTest::newRow("CIFS") << qint64(0xFF534D42) << "CIFS";
    QTest::newRow("CIFS, sign-extended") << qint64(qint32(0xFF534D42)) << "CIFS";
    QTest::newRow("SMB2") << qint64(0xFE534D42) << "SMB2";
    QTest::newRow("ext4") << qint64(0xEF53) << "";
    QTest::newRow("btrfs") << qint64(0x9123683E) << "";
    QTest::newRow("xfs") << qint64(0x58465342) << "";
    QTest::newRow("tmpfs") << qint64(0x01021994) << "";
    QTest::newRow("overlay") << qint64(0x794C7630) << "";
}

void tst_DatabaseFile::networkFileSystemsAreNamed()
{
    QFETCH(qint64, type);
    QFETCH(QString, name);
    QCOMPARE(FileSystemCheck::networkFileSystemName(type), name);
}

void tst_DatabaseFile::readOnlyOpenChangesNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("refused");
    QTest::newRow("new file") << "new" << false;
    QTest::newRow("earlier file, which a connect would upgrade") << "earlier" << false;
    QTest::newRow("half-registered profile, which a connect would repair") << "half-registered" << false;
    QTest::newRow("world-readable file") << "world-readable" << false;
    QTest::newRow("rollback-journal file") << "journal" << false;
    QTest::newRow("folder nobody may write (read-only media)") << "read-only folder" << false;
    QTest::newRow("file with a trigger") << "trigger" << true;
}

// The database tool's open: the schema is checked, the file read, and nothing changes: not a byte, not the mode,
// no upgrade, no repair. The engine refuses writes through it.
void tst_DatabaseFile::readOnlyOpenChangesNothing()
{
    QFETCH(QString, file);
    QFETCH(bool, refused);
    TempDatabase t;
    t.addScoredItems();
    if (file == QLatin1String("earlier")) {
        makeEarlier(t);
    } else if (file == QLatin1String("half-registered")) {
        t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (9, 'CCCCCCCCCCCCCCC')"));
    } else if (file == QLatin1String("journal")) {
        t.db().execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
    } else if (file == QLatin1String("trigger")) {
        t.db().execute(QStringLiteral("CREATE TRIGGER Wipe AFTER INSERT ON Profiles BEGIN DELETE FROM Profiles; END"));
    }
    t.connection.reset();
    if (file == QLatin1String("world-readable"))
        QCOMPARE(::chmod(QFile::encodeName(t.fileName).constData(), 0644), 0);
    const QByteArray folder = QFile::encodeName(t.dir.path());
    const auto writableAgain = qScopeGuard([&] { ::chmod(folder.constData(), 0700); });
    if (file == QLatin1String("read-only folder")) {
        if (::geteuid() == 0)
            QSKIP("the superuser may write into any folder");
        QCOMPARE(::chmod(folder.constData(), 0500), 0);
    }
    const QByteArray before = contentsOf(t.fileName);
    const int mode = modeOf(t.fileName);
    const QStringList filesBefore = QDir(t.dir.path()).entryList(QDir::Files);

    try {
        const ReadOnlyDatabase db(t.fileName);
        QVERIFY(!refused);
        // Sorted on a text column, as the exports do: also in a file whose columns declare the earlier collation.
        const SqlBackend::ReadResult groups = SqlBackend::readQuery(
            db.database(), QStringLiteral("SELECT DISTINCT Group2 FROM Questions ORDER BY Group2"));
        QCOMPARE(groups.store.rowCount(), 3);
        QVERIFY_THROWS_EXCEPTION(
            DataError, SqlBackend::execute(db.database(), QStringLiteral("INSERT INTO Profiles (FileNo) VALUES (99)")));
        QVERIFY_THROWS_EXCEPTION(DataError,
                                 SqlBackend::execute(db.database(), QStringLiteral("PRAGMA user_version = 7")));
    } catch (const DataError& e) {
        QVERIFY2(refused, qPrintable(e.message()));
        QCOMPARE(e.kind(), DataError::Kind::Schema);
        QVERIFY2(e.message().contains(QLatin1String("Wipe")), qPrintable(e.message()));
    }
    QCOMPARE(contentsOf(t.fileName), before);
    QCOMPARE(modeOf(t.fileName), mode);
    // Only the engine's empty read-side files may appear, beside a file in write-ahead-log mode.
    for (const QString& name : QDir(t.dir.path()).entryList(QDir::Files)) {
        if (filesBefore.contains(name))
            continue;
        QVERIFY2(file != QLatin1String("journal"), qPrintable(name));
        QVERIFY2(name == QLatin1String("Ravlen.mdb-shm") ||
                     (name == QLatin1String("Ravlen.mdb-wal") && QFileInfo(t.dir.filePath(name)).size() == 0),
                 qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(tst_DatabaseFile)
#include "tst_DatabaseFile.moc"
