// Runs the real ravlen-db executable on temporary files and checks what it leaves on disk.

#include "data/DbConnection.h"
#include "data/SqlBackend.h"
#include "data/ZarkU.h"
#include "tests/support/ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Result = ToolResult;

Result ravlenDb(const QStringList& args, const QString& workDir)
{
    return runTool(QStringLiteral(RAVLEN_DB_EXE), args, workDir);
}

void writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::NewOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A connection as the application makes one.
class Db
{
public:
    explicit Db(const QString& fileName)
    {
        m_connection.setConnectionString(JetConnectionString(fileName, QString()));
        m_connection.open();
    }
    QList<QVariantList> rows(const QString& sql)
    {
        const SqlBackend::ReadResult r = SqlBackend::readQuery(m_connection.database(), sql);
        QList<QVariantList> out;
        const size_t width = r.fields.size();
        for (size_t i = 0; width > 0 && i < r.values.size(); i += width)
            out.append(QVariantList(r.values.begin() + qsizetype(i), r.values.begin() + qsizetype(i + width)));
        return out;
    }
    QVariant value(const QString& sql) { return rows(sql).value(0).value(0); }
    QStringList columns(const QString& table)
    {
        QStringList names;
        for (const QVariantList& row : rows(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
            names.append(row.at(1).toString());
        return names;
    }
    DbConnection& connection() { return m_connection; }

private:
    DbConnection m_connection;
};

const QByteArray kSmallBank = "Group1,Group2,Scoring,Question\n"
                              "\u0627\u0644\u0641,\u0628,true,\"one, with a comma\"\n"
                              "\u0627\u0644\u0641,\u067e,false,\"say \"\"no\"\"\"\n"
                              "\u062c,\u062f,true,third\n";

} // namespace

class tst_RavlenDb : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void createGivesSchemaAndBank();
    void createRefusesExistingFile_data();
    void createRefusesExistingFile();
    void createInMissingFolderLeavesNothing();
    void createUnderUmaskZeroClearsAnInterruptedRun();
    void stockShellGroupsTheCreatedFile();
    void copyStatementCopiesEveryItem();
    void exportThenImportGivesSameBank();
    void importRejects_data();
    void importRejects();
    void exportRefusesExistingFile();
    void commandLine_data();
    void commandLine();

private:
    QString path(const QString& name) const { return QDir(m_dir->path()).filePath(name); }
    void createDatabase(const QString& name);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_RavlenDb::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_RavlenDb::createDatabase(const QString& name)
{
    const Result r = ravlenDb({QStringLiteral("create"), name}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
}

void tst_RavlenDb::createGivesSchemaAndBank()
{
    const Result r = ravlenDb({QStringLiteral("create"), QStringLiteral("Ravlen.mdb")}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(r.err.isEmpty());

    // Participants' results go into this file: nobody but its owner may read it.
    QCOMPARE(QFile::permissions(path(QStringLiteral("Ravlen.mdb"))),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    // The scratch file it was built under is gone.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Ravlen.mdb")});

    Db db(path(QStringLiteral("Ravlen.mdb")));
    QCOMPARE(db.columns(QStringLiteral("Profiles")),
             QStringList({"FileNo", "Date", "FName", "LName", "Age", "Gender", "Grade", "QTable", "Completed"}));
    QCOMPARE(db.columns(QStringLiteral("Questions")),
             QStringList({"Row", "Group1", "Group2", "Scoring", "Question", "Answer", "Score"}));
    QCOMPARE(db.value(QStringLiteral("SELECT count(*) FROM Profiles")).toInt(), 0);

    const QList<QVariantList> items =
        db.rows(QStringLiteral("SELECT Row, Group1, Group2, Scoring, Question, Answer, Score FROM Questions "
                               "ORDER BY Row"));
    QCOMPARE(items.size(), 90);
    QMap<QString, QSet<QString>> subScales;
    QMap<QPair<QString, QString>, int> perSubScale;
    QSet<QString> statements;
    int reversed = 0;
    int longestRun = 0;
    int run = 0;
    for (int i = 0; i < items.size(); ++i) {
        const QVariantList& item = items[i];
        QCOMPARE(item[0].toInt(), i + 1);
        QCOMPARE(item[5].toDouble(), 0.0);
        QCOMPARE(item[6].toDouble(), 0.0);
        subScales[item[1].toString()].insert(item[2].toString());
        ++perSubScale[{item[1].toString(), item[2].toString()}];
        statements.insert(item[4].toString());
        if (!item[3].toBool())
            ++reversed;
        run = (i > 0 && items[i - 1][2] == item[2]) ? run + 1 : 1;
        longestRun = std::max(longestRun, run);
        for (const QChar c : item[1].toString() + item[2].toString() + item[4].toString()) {
            // Standard Persian letters only: no Arabic yeh or kaf.
            QVERIFY2(c != QChar(0x064A) && c != QChar(0x0643), qPrintable(item[4].toString()));
        }
    }
    QCOMPARE(subScales.size(), 5);
    QCOMPARE(perSubScale.size(), 15);
    for (const int count : perSubScale)
        QCOMPARE(count, 6);
    QCOMPARE(statements.size(), 90);
    QVERIFY2(reversed >= 25 && reversed <= 35, qPrintable(QString::number(reversed)));
    // Items of a sub-scale are spread over the questionnaire, not listed together.
    QVERIFY(longestRun <= 2);
}

void tst_RavlenDb::createRefusesExistingFile_data()
{
    QTest::addColumn<QString>("existing");
    QTest::newRow("database with a participant") << QStringLiteral("database");
    QTest::newRow("some other file") << QStringLiteral("text");
    QTest::newRow("empty file") << QStringLiteral("empty");
}

void tst_RavlenDb::createRefusesExistingFile()
{
    QFETCH(QString, existing);
    const QString fileName = path(QStringLiteral("Ravlen.mdb"));
    if (existing == QLatin1String("database")) {
        createDatabase(QStringLiteral("Ravlen.mdb"));
        Db db(fileName);
        db.connection().execute(QStringLiteral("INSERT INTO Profiles (FileNo, FName, Completed) VALUES (7, 'x', 0)"));
    } else {
        writeFile(fileName, existing == QLatin1String("text") ? QByteArray("not a database\n") : QByteArray());
    }
    QFile::setPermissions(fileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QByteArray before = fileBytes(fileName);

    const Result r = ravlenDb({QStringLiteral("create"), QStringLiteral("Ravlen.mdb")}, m_dir->path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("already exists")), qPrintable(r.err));
    QCOMPARE(fileBytes(fileName), before);
    QCOMPARE(QFile::permissions(fileName) & QFile::ReadGroup, QFile::ReadGroup);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Ravlen.mdb")});
}

void tst_RavlenDb::createInMissingFolderLeavesNothing()
{
    const Result r = ravlenDb({QStringLiteral("create"), QStringLiteral("missing/Ravlen.mdb")}, m_dir->path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("does not exist")), qPrintable(r.err));
    QVERIFY(QDir(m_dir->path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    // A dangling link would lead the new file somewhere else.
    QVERIFY(QFile::link(path(QStringLiteral("elsewhere.mdb")), path(QStringLiteral("link.mdb"))));
    const Result viaLink = ravlenDb({QStringLiteral("create"), QStringLiteral("link.mdb")}, m_dir->path());
    QCOMPARE(viaLink.exitCode, 1);
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("elsewhere.mdb"))));
}

// A create killed part way leaves its hidden scratch file (with the engine's side files) behind; the next create
// removes those, leaves a scratch file another create is still building and everything else alone, and makes an
// owner-only file even when the user's umask would let everyone read it.
void tst_RavlenDb::createUnderUmaskZeroClearsAnInterruptedRun()
{
    const QStringList abandoned{
        QStringLiteral(".Ravlen.mdb.0123456789abcdef.new"), QStringLiteral(".Ravlen.mdb.0123456789abcdef.new-wal"),
        QStringLiteral(".Ravlen.mdb.0123456789abcdef.new-shm"), QStringLiteral(".Ravlen.mdb.fedcba98765.new-journal")};
    const QString building = QStringLiteral(".Ravlen.mdb.aaaaaaaaaaaaaaaa.new");
    const QStringList others{QStringLiteral(".Other.mdb.0123456789abcdef.new"),
                             QStringLiteral(".Ravlen.mdb.Xy12Zq.new"), // an export's scratch file
                             QStringLiteral("Ravlen.mdb.before-upgrade-20261210-093015.bak")};
    for (const QString& name : abandoned + others + QStringList{building})
        writeFile(path(name), "left over");
    const int lock = ::open(QFile::encodeName(path(building)).constData(), O_RDONLY);
    QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0);

    const mode_t umaskBefore = ::umask(0);
    const Result r = ravlenDb({QStringLiteral("create"), QStringLiteral("Ravlen.mdb")}, m_dir->path());
    ::umask(umaskBefore);
    ::close(lock);
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));

    QStringList expected = others + QStringList{building, QStringLiteral("Ravlen.mdb")};
    expected.sort();
    QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QCOMPARE(left, expected);
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(path(QStringLiteral("Ravlen.mdb"))).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0600);
}

// Any SQLite tool reads the file: the stock shell groups the items by scale.
void tst_RavlenDb::stockShellGroupsTheCreatedFile()
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        QSKIP("the sqlite3 shell is not installed (scripts/install-deps.sh installs it)");
    createDatabase(QStringLiteral("Ravlen.mdb"));
    const Result r = runTool(shell, {path(QStringLiteral("Ravlen.mdb")),
                                     QStringLiteral("SELECT Group1, count(*) FROM Questions GROUP BY Group1")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    int items = 0;
    for (const QString& line : lines)
        items += line.section(QLatin1Char('|'), 1).toInt();
    QCOMPARE(items, 90);
}

void tst_RavlenDb::copyStatementCopiesEveryItem()
{
    createDatabase(QStringLiteral("Ravlen.mdb"));
    Db db(path(QStringLiteral("Ravlen.mdb")));
    const int copied =
        db.connection().execute(QStringLiteral("SELECT * INTO ABCDEFGHIJKLMNO FROM Questions Where Row>=0"));
    QCOMPARE(copied, 90);
    QCOMPARE(db.value(QStringLiteral("SELECT count(*) FROM ABCDEFGHIJKLMNO WHERE Answer <= 0")).toInt(), 90);
    QCOMPARE(db.value(QStringLiteral("SELECT min(Row) || '-' || max(Row) FROM ABCDEFGHIJKLMNO")).toString(),
             QStringLiteral("1-90"));
}

void tst_RavlenDb::exportThenImportGivesSameBank()
{
    createDatabase(QStringLiteral("a.mdb"));
    createDatabase(QStringLiteral("b.mdb"));
    Result r = ravlenDb({QStringLiteral("export-items"), QStringLiteral("a.mdb"), QStringLiteral("bundled.csv")},
                        m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));

    // A clinic's own bank, with quoting, replaces the 90 items of b.mdb and comes back out as it went in.
    writeFile(path(QStringLiteral("small.csv")), kSmallBank);
    r = ravlenDb({QStringLiteral("import-items"), QStringLiteral("--force"), QStringLiteral("b.mdb"),
                  QStringLiteral("small.csv")},
                 m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    {
        Db db(path(QStringLiteral("b.mdb")));
        const QList<QVariantList> rows =
            db.rows(QStringLiteral("SELECT Row, Scoring, Question, Answer, Score FROM Questions ORDER BY Row"));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], (QVariantList{1, true, QStringLiteral("one, with a comma"), 0.0, 0.0}));
        QCOMPARE(rows[1], (QVariantList{2, false, QStringLiteral("say \"no\""), 0.0, 0.0}));
        QCOMPARE(rows[2][0].toInt(), 3);
    }
    r = ravlenDb({QStringLiteral("export-items"), QStringLiteral("b.mdb"), QStringLiteral("small-out.csv")},
                 m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(fileBytes(path(QStringLiteral("small-out.csv"))), kSmallBank);

    // Importing the exported bundled bank restores it exactly.
    r = ravlenDb({QStringLiteral("import-items"), QStringLiteral("b.mdb"), QStringLiteral("bundled.csv"),
                  QStringLiteral("--force")},
                 m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    r = ravlenDb({QStringLiteral("export-items"), QStringLiteral("b.mdb"), QStringLiteral("again.csv")}, m_dir->path());
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(fileBytes(path(QStringLiteral("again.csv"))), fileBytes(path(QStringLiteral("bundled.csv"))));
    Db a(path(QStringLiteral("a.mdb")));
    Db b(path(QStringLiteral("b.mdb")));
    const QString all = QStringLiteral("SELECT * FROM Questions ORDER BY Row");
    QCOMPARE(b.rows(all), a.rows(all));
}

void tst_RavlenDb::importRejects_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<bool>("withParticipant");
    QTest::addColumn<QString>("message");

    const QByteArray header = "Group1,Group2,Scoring,Question\n";
    QTest::newRow("missing column") << QByteArray("Group1,Group2,Question\na,b,c\n") << false
                                    << QStringLiteral("line 1: column Scoring is missing");
    QTest::newRow("empty statement") << header + "a,b,true,fine\na,b,true,\n"
                                     << false << QStringLiteral("line 3: Question is empty");
    QTest::newRow("bad scoring") << header + "a,b,true,fine\na,b,true,fine\na,b,often,c\n"
                                 << false << QStringLiteral("line 4: Scoring must be true or false, not \"often\"");
    QTest::newRow("no items") << header << false << QStringLiteral("no items");
    QTest::newRow("file with a participant") << kSmallBank << true << QStringLiteral("1 participant");
}

void tst_RavlenDb::importRejects()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, withParticipant);
    QFETCH(QString, message);

    createDatabase(QStringLiteral("Ravlen.mdb"));
    const QString fileName = path(QStringLiteral("Ravlen.mdb"));
    if (withParticipant) {
        Db db(fileName);
        db.connection().execute(QStringLiteral("INSERT INTO Profiles (FileNo, FName, Completed) VALUES (7, 'x', 0)"));
    }
    writeFile(path(QStringLiteral("items.csv")), csv);
    const QByteArray before = fileBytes(fileName);

    const Result r = ravlenDb(
        {QStringLiteral("import-items"), QStringLiteral("Ravlen.mdb"), QStringLiteral("items.csv")}, m_dir->path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(fileBytes(fileName), before);
    Db db(fileName);
    QCOMPARE(db.value(QStringLiteral("SELECT count(*) FROM Questions")).toInt(), 90);
}

void tst_RavlenDb::exportRefusesExistingFile()
{
    createDatabase(QStringLiteral("Ravlen.mdb"));
    writeFile(path(QStringLiteral("items.csv")), "keep me\n");
    const Result r = ravlenDb(
        {QStringLiteral("export-items"), QStringLiteral("Ravlen.mdb"), QStringLiteral("items.csv")}, m_dir->path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("already exists")), qPrintable(r.err));
    QCOMPARE(fileBytes(path(QStringLiteral("items.csv"))), QByteArray("keep me\n"));
}

void tst_RavlenDb::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("help") << QStringList{"--help"} << 0 << QStringLiteral("import-items [--force] DATABASE CSV");
    QTest::newRow("help after a command") << QStringList{"create", "--help"} << 0 << QStringLiteral("Usage:");
    QTest::newRow("nothing") << QStringList{} << 2 << QStringLiteral("no command given");
    QTest::newRow("unknown command") << QStringList{"drop", "x"} << 2 << QStringLiteral("unknown command 'drop'");
    QTest::newRow("create without file") << QStringList{"create"} << 2 << QStringLiteral("create takes one argument");
    QTest::newRow("import without csv") << QStringList{"import-items", "a.mdb"} << 2
                                        << QStringLiteral("import-items takes two arguments");
    QTest::newRow("export from missing database")
        << QStringList{"export-items", "none.mdb", "out.csv"} << 1 << QStringLiteral("does not exist");
    QTest::newRow("import from missing CSV")
        << QStringList{"import-items", "none.mdb", "in.csv"} << 1 << QStringLiteral("cannot read 'in.csv'");
    QTest::newRow("export from a text file")
        << QStringList{"export-items", "notes.txt", "out.csv"} << 1 << QStringLiteral("notes.txt");
}

void tst_RavlenDb::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    writeFile(path(QStringLiteral("notes.txt")), "just some notes, no database here\n");

    const Result r = ravlenDb(args, m_dir->path());
    QCOMPARE(r.exitCode, exitCode);
    const QString shown = exitCode == 0 ? r.out : r.err;
    QVERIFY2(shown.contains(message), qPrintable(r.out + r.err));
    if (exitCode != 0)
        QVERIFY(r.out.isEmpty());
    // Failed commands leave no file behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("notes.txt")});
}

QTEST_GUILESS_MAIN(tst_RavlenDb)
#include "tst_RavlenDb.moc"
