// Runs the real ravlen-db on temporary files for the commands that look after a database: backup while another
// program writes, check on sound and broken files, and the item bank's guards on the command line.

#include "data/DbConnection.h"
#include "data/SqlBackend.h"
#include "data/ZarkU.h"
#include "tests/support/ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Result = ToolResult;

Result ravlenDb(const QStringList& args, const QString& workDir)
{
    return runTool(QStringLiteral(RAVLEN_DB_EXE), args, workDir);
}

void writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Statements run on a file through the connection the application makes.
void execute(const QString& fileName, const QStringList& statements)
{
    DbConnection db;
    db.setConnectionString(JetConnectionString(fileName, QString()));
    db.open();
    for (const QString& sql : statements)
        db.execute(sql);
}

QList<double> answers(const QString& fileName, const QString& table)
{
    DbConnection db;
    db.setConnectionString(JetConnectionString(fileName, QString()));
    db.open();
    const SqlBackend::ReadResult r =
        SqlBackend::readQuery(db.database(), QStringLiteral("SELECT Answer FROM %1 ORDER BY Row").arg(table));
    QList<double> values;
    for (const QVariant& v : r.values)
        values.append(v.toDouble());
    return values;
}

// The last sequence number a poster has printed so far, reading every complete line it wrote.
int lastAcknowledged(QProcess& poster, QByteArray& pending, int last)
{
    pending += poster.readAllStandardOutput();
    const qsizetype end = pending.lastIndexOf('\n');
    if (end < 0)
        return last;
    for (const QByteArray& line : pending.left(end).split('\n'))
        last = line == "ready" ? last : line.toInt();
    pending = pending.mid(end + 1);
    return last;
}

// A second program posting answers into `database` (tst_AnswerPoster) for as long as this object lives.
class RunningPoster
{
public:
    explicit RunningPoster(const QString& database) { m_process.start(QStringLiteral(ANSWER_POSTER_EXE), {database}); }
    ~RunningPoster() { stop(); }

    // The highest sequence number acknowledged so far; the QTRY macros evaluate their condition more than once.
    int latest() { return m_acknowledged = lastAcknowledged(m_process, m_pending, m_acknowledged); }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
    QByteArray m_pending;
    int m_acknowledged = 0;
};

const QByteArray kBank = "Group1,Group2,Scoring,Question\n"
                         "A,a1,true,one\nA,a2,true,two\nB,b1,false,three\n";

} // namespace

class tst_DbCare : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void backupWhileAnotherProgramPosts();
    void backupRefuses_data();
    void backupRefuses();
    void check_data();
    void check();
    void checkWhileAnotherProgramPosts();
    void importShapeGuard_data();
    void importShapeGuard();
    void exportWithByteOrderMark();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    void createDatabase(const QString& name);
    // The files in the folder, leaving out the engine's side files: reading a write-ahead-log file nobody has open
    // makes them (owner-only, like the file), and Ravlen removes them at its next clean close.
    QStringList files() const
    {
        QStringList names = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        names.removeIf([](const QString& name) { return name.endsWith(QLatin1String("-shm")) || name.endsWith(QLatin1String("-wal")); });
        return names;
    }
    // Every file in the folder, side files included.
    QStringList allFiles() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_DbCare::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_DbCare::createDatabase(const QString& name)
{
    const Result r = ravlenDb({QStringLiteral("create"), name}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
}

void tst_DbCare::backupWhileAnotherProgramPosts()
{
    createDatabase(QStringLiteral("Ravlen.mdb"));
    RunningPoster poster(path(QStringLiteral("Ravlen.mdb")));
    // Let it post past a full round of the 90 rows, so that the copy must also hold overwritten answers.
    QTRY_VERIFY_WITH_TIMEOUT(poster.latest() > 120, 30000);
    const int acknowledgedBefore = poster.latest();

    const Result r = ravlenDb({QStringLiteral("backup"), QStringLiteral("Ravlen.mdb"), QStringLiteral("copy.mdb")},
                              m_dir->path());
    // The poster went on posting while the copy was taken and after.
    QTRY_VERIFY_WITH_TIMEOUT(poster.latest() > acknowledgedBefore + 5, 10000);
    poster.stop();
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains(QStringLiteral("1 participants, 90 items")), qPrintable(r.out));

    const QString copy = path(QStringLiteral("copy.mdb"));
    QCOMPARE(QFile::permissions(copy), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const Result checked = ravlenDb({QStringLiteral("check"), QStringLiteral("copy.mdb")}, m_dir->path());
    QVERIFY2(checked.exitCode == 0, qPrintable(checked.err));

    // The copy is the file as it stood after some post M, never before the last acknowledged one: each row holds
    // the last answer posted to it up to M, none later.
    const QList<double> copied = answers(copy, QStringLiteral("ABCDEFGHIJKLMNO"));
    QCOMPARE(copied.size(), 90);
    const int moment = int(*std::max_element(copied.begin(), copied.end()));
    QVERIFY2(moment >= acknowledgedBefore,
             qPrintable(QStringLiteral("%1 < %2").arg(moment).arg(acknowledgedBefore)));
    for (int row = 1; row <= 90; ++row) {
        int expected = moment - ((moment - row) % 90 + 90) % 90;
        QCOMPARE(copied[row - 1], double(expected > 0 ? expected : 0));
    }
}

void tst_DbCare::backupRefuses_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("existingCopy");
    QTest::addColumn<QString>("message");

    QTest::newRow("existing copy kept") << QStringLiteral("Ravlen.mdb") << QByteArray("older copy\n")
                                        << QStringLiteral("already exists");
    QTest::newRow("missing source") << QStringLiteral("none.mdb") << QByteArray() << QStringLiteral("does not exist");
    QTest::newRow("foreign file") << QStringLiteral("notes.txt") << QByteArray()
                                  << QStringLiteral("file is not a database");
    QTest::newRow("foreign database") << QStringLiteral("other.db") << QByteArray()
                                      << QStringLiteral("not a Ravlen database: it has no Profiles table");
}

void tst_DbCare::backupRefuses()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, existingCopy);
    QFETCH(QString, message);
    createDatabase(QStringLiteral("Ravlen.mdb"));
    writeFile(path(QStringLiteral("notes.txt")), "some notes, no database\n");
    createDatabase(QStringLiteral("other.db"));
    execute(path(QStringLiteral("other.db")), {QStringLiteral("DROP TABLE Profiles")});
    if (!existingCopy.isEmpty())
        writeFile(path(QStringLiteral("copy.mdb")), existingCopy);
    const QStringList before = files();

    const Result r = ravlenDb({QStringLiteral("backup"), source, QStringLiteral("copy.mdb")}, m_dir->path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(files(), before);
    QCOMPARE(fileBytes(path(QStringLiteral("copy.mdb"))), existingCopy);
}

void tst_DbCare::check_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("sound") << QString() << 0 << QStringList{"is sound", "1 participants, 90 items"};
    QTest::newRow("truncated") << QStringLiteral("truncate") << 1
                               << QStringList{"cut short", "latest backup"};
    QTest::newRow("foreign file") << QStringLiteral("text") << 1 << QStringList{"not a database", "latest backup"};
    QTest::newRow("empty file") << QStringLiteral("empty") << 1 << QStringList{"the file is empty"};
    QTest::newRow("foreign database") << QStringLiteral("DROP TABLE Questions") << 1
                                      << QStringList{"no Questions table", "ravlen-db create"};
    QTest::newRow("missing column") << QStringLiteral("ALTER TABLE Profiles DROP COLUMN Grade") << 1
                                    << QStringList{"Profiles table has no Grade column"};
    QTest::newRow("trigger") << QStringLiteral(
        "CREATE TRIGGER Wipe AFTER INSERT ON Profiles BEGIN DELETE FROM Profiles WHERE FileNo = 1; END")
                             << 1 << QStringList{"trigger 'Wipe'"};
    QTest::newRow("damaged page") << QStringLiteral("scribble") << 1 << QStringList{"latest backup"};
    QTest::newRow("missing file") << QStringLiteral("missing") << 1 << QStringList{"does not exist"};
}

void tst_DbCare::check()
{
    QFETCH(QString, damage);
    QFETCH(int, exitCode);
    QFETCH(QStringList, messages);

    createDatabase(QStringLiteral("Ravlen.mdb"));
    const QString fileName = path(QStringLiteral("Ravlen.mdb"));
    execute(fileName, {QStringLiteral("INSERT INTO Profiles (FileNo, FName, QTable, Completed) VALUES (1, 'x', "
                                      "'ABCDEFGHIJKLMNO', 0)"),
                       QStringLiteral("SELECT * INTO ABCDEFGHIJKLMNO FROM Questions")});
    QByteArray bytes = fileBytes(fileName);
    if (damage == QLatin1String("truncate"))
        writeFile(fileName, bytes.left(bytes.size() / 2));
    else if (damage == QLatin1String("text"))
        writeFile(fileName, "Name,Age\nsomeone,30\n");
    else if (damage == QLatin1String("empty"))
        writeFile(fileName, QByteArray());
    else if (damage == QLatin1String("scribble"))
        writeFile(fileName, bytes.left(4096 + 8) + QByteArray(4000, '\x7f') + bytes.mid(4096 + 8 + 4000));
    else if (damage == QLatin1String("missing"))
        QVERIFY(QFile::remove(fileName));
    else if (!damage.isEmpty())
        execute(fileName, {damage});
    bytes = fileBytes(fileName);
    const QFile::Permissions mode = QFile::permissions(fileName);
    const QStringList folder = allFiles();

    const Result r = ravlenDb({QStringLiteral("check"), QStringLiteral("Ravlen.mdb")}, m_dir->path());
    QCOMPARE(r.exitCode, exitCode);
    const QString shown = exitCode == 0 ? r.out : r.err;
    for (const QString& message : messages)
        QVERIFY2(shown.contains(message), qPrintable(r.out + r.err));
    if (exitCode != 0)
        QVERIFY2(r.err.contains(QStringLiteral("what to do: ")), qPrintable(r.err));
    // Checking changes nothing: not a byte, not the mode, and no side file is left beside a file nobody has open.
    QCOMPARE(fileBytes(fileName), bytes);
    QCOMPARE(QFile::permissions(fileName), mode);
    QCOMPARE(allFiles(), folder);
}

void tst_DbCare::checkWhileAnotherProgramPosts()
{
    createDatabase(QStringLiteral("Ravlen.mdb"));
    RunningPoster poster(path(QStringLiteral("Ravlen.mdb")));
    QTRY_VERIFY_WITH_TIMEOUT(poster.latest() > 20, 30000);

    const Result r = ravlenDb({QStringLiteral("check"), QStringLiteral("Ravlen.mdb")}, m_dir->path());
    const int acknowledgedAfterCheck = poster.latest();
    // The writer's side files are its own: the check leaves them, and the writer goes on posting.
    const QStringList folder = allFiles();
    QTRY_VERIFY_WITH_TIMEOUT(poster.latest() > acknowledgedAfterCheck + 5, 10000);
    poster.stop();
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains(QStringLiteral("is sound")) && r.out.contains(QStringLiteral("1 participants, 90 items")),
             qPrintable(r.out));
    QCOMPARE(folder, (QStringList{"Ravlen.mdb", "Ravlen.mdb-shm", "Ravlen.mdb-wal"}));
}

void tst_DbCare::importShapeGuard_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("force");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("messages");

    const QByteArray header = "Group1,Group2,Scoring,Question\n";
    QTest::newRow("same shape") << header + "X,x1,true,1\nX,x2,true,2\nY,y1,true,3\nY,y1,true,4\n" << false << 0
                                << QStringList{"Imported 4 items"};
    QTest::newRow("another shape refused")
        << header + "A,a1,true,1\nB,b1,true,2\nC,c1,true,3\n" << false << 1
        << QStringList{"now:      2 scales, 3 sub-scales", "the file: 3 scales, 3 sub-scales", "--force"};
    QTest::newRow("sub-scale under two scales refused")
        << header + "A,a1,true,1\nA,a2,true,2\nB,b1,true,3\nB,a2,true,4\n" << false << 1
        << QStringList{"filed under more than one scale: a2"};
    QTest::newRow("another shape forced") << header + "A,a1,true,1\nB,b1,true,2\nC,c1,true,3\n" << true << 0
                                          << QStringList{"Imported 3 items"};
    QTest::newRow("semicolons hinted") << QByteArray("Group1;Group2;Scoring;Question\nA;a1;true;1\n") << true << 1
                                       << QStringList{"separated by semicolons", "nothing was imported"};
}

void tst_DbCare::importShapeGuard()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, force);
    QFETCH(int, exitCode);
    QFETCH(QStringList, messages);

    createDatabase(QStringLiteral("Ravlen.mdb"));
    writeFile(path(QStringLiteral("bank.csv")), kBank);
    Result r = ravlenDb({QStringLiteral("import-items"), QStringLiteral("--force"), QStringLiteral("Ravlen.mdb"),
                         QStringLiteral("bank.csv")},
                        m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    writeFile(path(QStringLiteral("new.csv")), csv);
    const QByteArray before = fileBytes(path(QStringLiteral("Ravlen.mdb")));

    QStringList args{QStringLiteral("import-items"), QStringLiteral("Ravlen.mdb"), QStringLiteral("new.csv")};
    if (force)
        args.append(QStringLiteral("--force"));
    r = ravlenDb(args, m_dir->path());
    QCOMPARE(r.exitCode, exitCode);
    for (const QString& message : messages)
        QVERIFY2((exitCode == 0 ? r.out : r.err).contains(message), qPrintable(r.out + r.err));
    if (exitCode != 0)
        QCOMPARE(fileBytes(path(QStringLiteral("Ravlen.mdb"))), before);
}

void tst_DbCare::exportWithByteOrderMark()
{
    createDatabase(QStringLiteral("Ravlen.mdb"));
    Result r = ravlenDb({QStringLiteral("export-items"), QStringLiteral("--bom"), QStringLiteral("Ravlen.mdb"),
                         QStringLiteral("marked.csv")},
                        m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    r = ravlenDb({QStringLiteral("export-items"), QStringLiteral("Ravlen.mdb"), QStringLiteral("plain.csv")},
                 m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QByteArray plain = fileBytes(path(QStringLiteral("plain.csv")));
    QVERIFY(plain.startsWith("Group1"));
    QCOMPARE(fileBytes(path(QStringLiteral("marked.csv"))), "\xEF\xBB\xBF" + plain);

    // The marked file imports back as the same bank, unforced.
    r = ravlenDb({QStringLiteral("import-items"), QStringLiteral("Ravlen.mdb"), QStringLiteral("marked.csv")},
                 m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    r = ravlenDb({QStringLiteral("export-items"), QStringLiteral("Ravlen.mdb"), QStringLiteral("again.csv")},
                 m_dir->path());
    QCOMPARE(fileBytes(path(QStringLiteral("again.csv"))), plain);
}

QTEST_GUILESS_MAIN(tst_DbCare)
#include "tst_DbCare.moc"
