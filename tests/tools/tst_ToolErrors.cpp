// Every way a ravlen-db command fails on a real file: the message names the file and says what to do.

#include "tests/support/ToolProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

ToolResult ravlenDb(const QStringList& args, const QString& workDir)
{
    return runTool(QStringLiteral(RAVLEN_DB_EXE), args, workDir);
}

// The same command as an ordinary user: permissions mean nothing to the administrator.
ToolResult ravlenDbAsNobody(const QStringList& args, const QString& workDir)
{
    return runTool(QStringLiteral("setpriv"),
                   QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                               QStringLiteral("--clear-groups"), QStringLiteral(RAVLEN_DB_EXE)} +
                       args,
                   workDir);
}

void writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

const QByteArray kBank = "Group1,Group2,Scoring,Question\na,b,true,q\n";

} // namespace

class tst_ToolErrors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void errorNamesFileAndFix_data();
    void errorNamesFileAndFix();

private:
    QString path(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    QTemporaryDir m_dir;
};

// One folder of files in every state the commands meet: a database with participants and one without, files
// that are not databases, an existing CSV, folders an ordinary user may not write or enter.
void tst_ToolErrors::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile::setPermissions(m_dir.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    for (const char* name : {"Ravlen.mdb", "Empty.mdb", "Taken.mdb", "Locked.mdb"}) {
        const ToolResult r = ravlenDb({QStringLiteral("create"), QLatin1String(name)}, m_dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    }
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {path(QStringLiteral("Taken.mdb")),
                                            QStringLiteral("INSERT INTO Profiles (FileNo, Age) VALUES (1, 30);")});
    QVERIFY(shell.waitForFinished() && shell.exitCode() == 0);
    shell.start(QStringLiteral("sqlite3"), {path(QStringLiteral("Plain.db")), QStringLiteral("CREATE TABLE T (X);")});
    QVERIFY(shell.waitForFinished() && shell.exitCode() == 0);
    writeFile(path(QStringLiteral("garbage.mdb")), QByteArray(4096, 'x'));
    writeFile(path(QStringLiteral("zero.mdb")), QByteArray());
    writeFile(path(QStringLiteral("items.csv")), kBank);
    writeFile(path(QStringLiteral("bad.csv")), "Group1,Group2,Scoring,Question\na,b,maybe,q\n");
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("locked-room")));
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("shelf")));
    QVERIFY(QFile::copy(path(QStringLiteral("Ravlen.mdb")), path(QStringLiteral("shelf/Ravlen.mdb"))));
    QFile::setPermissions(path(QStringLiteral("shelf/Ravlen.mdb")), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(path(QStringLiteral("locked-room")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path(QStringLiteral("shelf")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
}

void tst_ToolErrors::errorNamesFileAndFix_data()
{
    // The arguments name files in the test's folder; `culprit` is the file the message must name (as given on
    // the command line), `fix` words of the advice.
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("culprit");
    QTest::addColumn<QString>("fix");

    QTest::newRow("create: file exists") << QStringList{"create", "Ravlen.mdb"} << false << 1 << "Ravlen.mdb"
                                         << "Choose another name";
    QTest::newRow("create: folder missing") << QStringList{"create", "nowhere/Ravlen.mdb"} << false << 1 << "nowhere"
                                            << "create the folder";
    QTest::newRow("create: folder not writable")
        << QStringList{"create", "shelf/New.mdb"} << true << 1 << "shelf/New.mdb"
        << "write permission";
    QTest::newRow("export-items: database missing")
        << QStringList{"export-items", "Gone.mdb", "out.csv"} << false << 1 << "Gone.mdb"
        << "ravlen-db create";
    QTest::newRow("export-items: not a database")
        << QStringList{"export-items", "garbage.mdb", "out.csv"} << false << 1 << "garbage.mdb"
        << "backup copy";
    QTest::newRow("export-items: empty file")
        << QStringList{"export-items", "zero.mdb", "out.csv"} << false << 1 << "zero.mdb"
        << "backup copy";
    QTest::newRow("export-items: not a Ravlen database")
        << QStringList{"export-items", "Plain.db", "out.csv"} << false << 1 << "Plain.db"
        << "ravlen-db check";
    QTest::newRow("export-items: CSV exists")
        << QStringList{"export-items", "Ravlen.mdb", "items.csv"} << false << 1 << "items.csv"
        << "Choose another name";
    QTest::newRow("export-items: unreadable database")
        << QStringList{"export-items", "Ravlen.mdb", "/tmp/x.csv"} << true << 1 << "Ravlen.mdb"
        << "read and write permission";
    QTest::newRow("export-items: folder not enterable")
        << QStringList{"export-items", "locked-room/Ravlen.mdb", "/tmp/x.csv"} << true << 1 << "locked-room/Ravlen.mdb"
        << "read and write permission";
    QTest::newRow("import-items: CSV missing")
        << QStringList{"import-items", "Ravlen.mdb", "none.csv"} << false << 1 << "none.csv"
        << "check the name";
    QTest::newRow("import-items: bad row")
        << QStringList{"import-items", "Ravlen.mdb", "bad.csv"} << false << 1 << "bad.csv"
        << "Scoring must be true or false";
    QTest::newRow("import-items: database has participants")
        << QStringList{"import-items", "Taken.mdb", "items.csv"} << false << 1 << "Taken.mdb"
        << "ravlen-db create";
    QTest::newRow("import-items: database missing")
        << QStringList{"import-items", "Gone.mdb", "items.csv"} << false << 1 << "Gone.mdb"
        << "ravlen-db create";
    QTest::newRow("import-items: database locked by another program")
        << QStringList{"import-items", "--force", "Locked.mdb", "items.csv"} << false << 1 << "Locked.mdb"
        << "run the command again";
    QTest::newRow("import-items: read-only folder")
        << QStringList{"import-items", "shelf/Ravlen.mdb", "items.csv"} << true << 1 << "shelf/Ravlen.mdb"
        << "write permission";
    QTest::newRow("backup: copy exists") << QStringList{"backup", "Ravlen.mdb", "Empty.mdb"} << false << 1
                                         << "Empty.mdb"
                                         << "Choose another name";
    QTest::newRow("backup: database missing")
        << QStringList{"backup", "Gone.mdb", "copy.mdb"} << false << 1 << "Gone.mdb"
        << "ravlen-db create";
    QTest::newRow("backup: not a database")
        << QStringList{"backup", "garbage.mdb", "copy.mdb"} << false << 1 << "garbage.mdb"
        << "backup copy";
    QTest::newRow("check: database missing") << QStringList{"check", "Gone.mdb"} << false << 1 << "Gone.mdb"
                                             << "check the name";
    QTest::newRow("check: not a database") << QStringList{"check", "garbage.mdb"} << false << 1 << "garbage.mdb"
                                           << "latest backup";
    QTest::newRow("export-results: database missing")
        << QStringList{"export-results", "Gone.mdb", "r.csv"} << false << 1 << "Gone.mdb"
        << "ravlen-db create";
    QTest::newRow("export-results: not a database")
        << QStringList{"export-results", "garbage.mdb", "r.csv"} << false << 1 << "garbage.mdb"
        << "backup copy";
    QTest::newRow("export-results: output exists")
        << QStringList{"export-results", "Ravlen.mdb", "items.csv"} << false << 1 << "items.csv"
        << "another name";
    QTest::newRow("export-results: unknown format")
        << QStringList{"export-results", "Ravlen.mdb", "r.txt"} << false << 2 << "r.txt"
        << ".csv, .xlsx or .sav";
    QTest::newRow("unknown command") << QStringList{"creat", "Ravlen.mdb"} << false << 2 << "creat"
                                     << "ravlen-db --help";
}

void tst_ToolErrors::errorNamesFileAndFix()
{
    QFETCH(QStringList, args);
    QFETCH(bool, asNobody);
    QFETCH(int, exitCode);
    QFETCH(QString, culprit);
    QFETCH(QString, fix);
    if (asNobody && ::geteuid() != 0)
        QSKIP("permissions only bite another user; switching to one needs the administrator");
    if (asNobody) {
        // setpriv answers 126 or 127 when it cannot start the program, as in a build folder closed to others.
        const ToolResult probe = ravlenDbAsNobody({QStringLiteral("--help")}, m_dir.path());
        if (probe.exitCode == 126 || probe.exitCode == 127)
            QSKIP(qPrintable(QStringLiteral("ravlen-db cannot run as nobody from this build folder: ") + probe.err));
    }
    // The sqlite3 shell, a program of its own, holds Locked.mdb's write lock while the command runs.
    QProcess holder;
    if (args.contains(QStringLiteral("Locked.mdb"))) {
        holder.start(QStringLiteral("sqlite3"), {path(QStringLiteral("Locked.mdb"))});
        holder.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
        QVERIFY(holder.waitForReadyRead(30000));
        QVERIFY(holder.readAllStandardOutput().contains("locked"));
    }
    const ToolResult r = asNobody ? ravlenDbAsNobody(args, m_dir.path()) : ravlenDb(args, m_dir.path());
    if (holder.state() != QProcess::NotRunning) {
        holder.kill();
        holder.waitForFinished();
    }
    QVERIFY2(r.exitCode == exitCode, qPrintable(QStringLiteral("exit %1: %2").arg(r.exitCode).arg(r.err)));
    QVERIFY2(r.err.contains(culprit), qPrintable(r.err));
    QVERIFY2(r.err.contains(fix, Qt::CaseInsensitive), qPrintable(r.err));
    // Every line is the tool's, in English: no Persian sentence of the application leaks into the terminal.
    for (const QString& line : r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QVERIFY2(line.startsWith(QLatin1String("ravlen-db: ")), qPrintable(line));
        QVERIFY2(!line.contains(QChar(u'\u0627')), qPrintable(line));
    }
    QVERIFY(r.out.isEmpty());
}

QTEST_GUILESS_MAIN(tst_ToolErrors)
#include "tst_ToolErrors.moc"
