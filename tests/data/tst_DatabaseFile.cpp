#include "data/DataError.h"
#include "data/DataModule.h"
#include "tests/data/TempDatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

static QByteArray contentsOf(const QString& fileName)
{
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs `sql` on the file with the bare engine, as the stock sqlite3 shell or any other tool would: no collation or
// function of ours registered. Returns the first column of every row, or the engine's error.
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
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        if (rc != SQLITE_DONE)
            out << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(h));
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return out;
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
    QTest::addColumn<QString>("tamper");
    QTest::addColumn<QString>("named"); // what the message names
    QTest::newRow("foreign SQLite file") << "DROP TABLE Profiles; DROP TABLE Questions; CREATE TABLE Other (X)"
                                         << "Profiles";
    QTest::newRow("trigger") << "CREATE TRIGGER Wipe AFTER INSERT ON Profiles BEGIN DELETE FROM Profiles; END"
                             << "Wipe";
    QTest::newRow("missing column") << "ALTER TABLE Questions DROP COLUMN Score"
                                    << "Score";
}

// A file the program refuses is refused before anything runs on it: not one byte changes, no side file appears
// and the connection stays closed.
void tst_DatabaseFile::refusedFilesAreLeftUnchanged()
{
    QFETCH(QString, tamper);
    QFETCH(QString, named);
    TempDatabase t;
    t.db().execute(tamper);
    t.db().execute(QStringLiteral("PRAGMA journal_mode=DELETE")); // a foreign file is seldom in WAL
    t.connection.reset();
    const QByteArray before = contentsOf(t.fileName);
    TData data;
    try {
        data.ConnectToDatabase(t.fileName);
        QFAIL("connected");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), DataError::Kind::Schema);
        QVERIFY2(e.message().contains(named), qPrintable(e.message()));
    }
    QVERIFY(!data.Database.isConnected());
    QCOMPARE(contentsOf(t.fileName), before);
    QVERIFY(!QFile::exists(t.fileName + QStringLiteral("-wal")));
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
    struct stat st{};
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
        struct stat st{};
        if (::stat(QFile::encodeName(name).constData(), &st) == 0)
            QVERIFY2((st.st_mode & 0077) == 0, qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(tst_DatabaseFile)
#include "tst_DatabaseFile.moc"
