// ravlen-db's server commands, run as a user would against a throwaway PostgreSQL cluster: create-server,
// migrate of a file with participants, check of a server database, what the tool says when the server cannot be
// used, and the README's server commands as printed.
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "data/ZarkU.h"
#include "tests/support/Participants.h"
#include "tests/support/PgCluster.h"
#include "tests/support/ServerFailures.h"
#include "tests/support/TempRavlenDb.h"
#include "tests/support/ToolProcess.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

ToolResult ravlenDb(const QStringList& args)
{
    return runTool(QStringLiteral(RAVLEN_DB_EXE), args);
}

QString first(PgConnection& server, const QString& sql)
{
    const SqlBackend::ReadResult r = PgBackend::readQuery(server, sql);
    return r.values.empty() ? QString() : r.values.front().toString();
}

// Everything the participants gave: every profile, then Row, Answer and Score of each one's table, in order.
using Reader = std::function<std::vector<QVariant>(const QString&)>;
std::vector<QVariant> everyAnswer(const Reader& read)
{
    std::vector<QVariant> out = read(QStringLiteral("SELECT * FROM Profiles ORDER BY FileNo"));
    const std::vector<QVariant> tables = read(QStringLiteral("SELECT QTable FROM Profiles ORDER BY FileNo"));
    for (const QVariant& table : tables) {
        const std::vector<QVariant> rows =
            read(QStringLiteral("SELECT Row, Answer, Score FROM %1 ORDER BY Row").arg(table.toString()));
        out.insert(out.end(), rows.begin(), rows.end());
    }
    return out;
}

// The "what to do" line of a failed command, empty when there is none.
QString whatToDo(const ToolResult& result)
{
    static const QRegularExpression line(QStringLiteral("^ravlen-db: what to do: (.*)$"),
                                         QRegularExpression::MultilineOption);
    return line.match(result.err).captured(1);
}

// The indented command lines of the README's block that follows the paragraph starting with `lead`.
QStringList readmeBlockAfter(const QString& lead)
{
    QFile file(QStringLiteral(RAVLEN_SOURCE_DIR "/README.md"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QStringList block;
    bool found = false;
    for (const QString& line : lines) {
        if (!found) {
            found = line.startsWith(lead);
            continue;
        }
        if (line.startsWith(QLatin1String("    ")))
            block.append(line.trimmed());
        else if (!block.isEmpty())
            break;
    }
    return block;
}

// Runs one README line in bash as a user would type it, with ravlen-db on the PATH and `home` as the home
// folder; SERVER:5432 stands for the throwaway cluster.
ToolResult runAsPrinted(const QString& line, const QString& home)
{
    QString command = line;
    command.replace(QStringLiteral("SERVER:5432"), QStringLiteral("127.0.0.1:%1").arg(PgCluster::instance().port()));
    QProcess shell;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("PGPASSFILE"));
    env.insert(QStringLiteral("PATH"), QFileInfo(QStringLiteral(RAVLEN_DB_EXE)).absolutePath() + QLatin1Char(':') +
                                           env.value(QStringLiteral("PATH")));
    shell.setProcessEnvironment(env);
    shell.setWorkingDirectory(home);
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), command});
    if (!shell.waitForFinished(60000) || shell.exitStatus() != QProcess::NormalExit)
        return {};
    return {shell.exitCode(), QString::fromUtf8(shell.readAllStandardOutput()),
            QString::fromUtf8(shell.readAllStandardError())};
}

} // namespace

class tst_ServerTools : public QObject
{
    Q_OBJECT

private slots:
    void createServerFillsAnEmptyDatabaseOnly();
    void migrateCopiesEveryAnswerAndLeavesTheFileAlone();
    void migrateRefusesANonEmptyServerDatabase();
    void checkReportsTheServerDatabase();
    void backupAndExportOfAServerMatchTheFileItCameFrom();
    void serverFailuresSayWhatToDo_data();
    void serverFailuresSayWhatToDo();
    void addressInCapitalsWithBlanksIsAServer();
    void readmeServerBlockRunsAsPrinted_data();
    void readmeServerBlockRunsAsPrinted();
};

void tst_ServerTools::createServerFillsAnEmptyDatabaseOnly()
{
    const QString uri = PgCluster::instance().createDatabase();
    const ToolResult made = ravlenDb({QStringLiteral("create-server"), uri});
    QVERIFY2(made.exitCode == 0, qPrintable(made.err));
    PgConnection server(uri);
    PgBackend::openChecked(server);
    QCOMPARE(first(server, QStringLiteral("SELECT count(*) FROM Questions")), QStringLiteral("90"));
    QCOMPARE(first(server, QStringLiteral("SELECT count(*) FROM Questions WHERE Answer = 0 AND Score = 0")),
             QStringLiteral("90"));

    const ToolResult again = ravlenDb({QStringLiteral("create-server"), uri});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains(QLatin1String("not empty")), qPrintable(again.err));
    QCOMPARE(first(server, QStringLiteral("SELECT count(*) FROM Questions")), QStringLiteral("90"));
}

void tst_ServerTools::migrateCopiesEveryAnswerAndLeavesTheFileAlone()
{
    const TempRavlenDb file;
    {
        auto db = file.connect();
        const std::vector<int> finished = allAnswered(*db, 4);
        std::vector<int> partial(finished.size(), 0);
        partial[0] = 5;
        partial[1] = 1;
        // Registered out of file-number order: the server lists them as the file does.
        for (const auto& [fileNo, answers] :
             {std::pair{11, partial}, std::pair{3, finished}, std::pair{12, std::vector<int>{}}}) {
            ParticipantSpec participant;
            participant.fileNo = fileNo;
            participant.answers = answers;
            addParticipant(*db, participant);
        }
    }
    const QByteArray before = fileBytes(file.path());
    const QString uri = PgCluster::instance().createDatabase();

    const ToolResult moved = ravlenDb({QStringLiteral("migrate"), file.path(), uri});
    QVERIFY2(moved.exitCode == 0, qPrintable(moved.err));
    QVERIFY2(moved.out.contains(QLatin1String("3 participants, 3 participant tables (270 rows), 90 items")),
             qPrintable(moved.out));
    QCOMPARE(fileBytes(file.path()), before);

    PgConnection server(uri);
    PgBackend::openChecked(server);
    QCOMPARE(first(server, QStringLiteral("SELECT string_agg(FileNo::text, ',' ORDER BY FileNo) FROM Profiles")),
             QStringLiteral("3,11,12"));
    QCOMPARE(PgBackend::readTable(server, QStringLiteral("Profiles")).rowIds, (std::vector<qint64>{11, 3, 12}));
    auto file_db = file.connect();
    const std::vector<QVariant> inFile = everyAnswer(
        [&](const QString& sql) { return SqlBackend::readQuery(file_db->database(), sql).values; });
    const std::vector<QVariant> onServer =
        everyAnswer([&](const QString& sql) { return PgBackend::readQuery(server, sql).values; });
    QCOMPARE(inFile.size(), size_t(3 * 9 + 3 * 90 * 3));
    QCOMPARE(onServer, inFile);
    QCOMPARE(first(server, QStringLiteral("SELECT count(*) FROM Profiles p WHERE (SELECT count(*) FROM "
                                          "pg_class WHERE relname = lower(p.QTable)) = 1")),
             QStringLiteral("3"));
    // The finished participant's 90 answers of 4 arrived, each with its score.
    const QString finishedTable = first(server, QStringLiteral("SELECT QTable FROM Profiles WHERE FileNo = 3"));
    QCOMPARE(first(server, QStringLiteral("SELECT count(*) FROM %1 WHERE Answer = 4 AND Score IN (4, 2)")
                               .arg(finishedTable)),
             QStringLiteral("90"));
    // Registration on the server continues where the file's numbering ended.
    PgBackend::execute(server, QStringLiteral("INSERT INTO Questions (Group1, Group2, Question) VALUES ('a','b','c')"));
    QCOMPARE(first(server, QStringLiteral("SELECT max(Row) FROM Questions")), QStringLiteral("91"));
}

void tst_ServerTools::migrateRefusesANonEmptyServerDatabase()
{
    const TempRavlenDb file;
    const QString uri = PgCluster::instance().createDatabase();
    QCOMPARE(ravlenDb({QStringLiteral("create-server"), uri}).exitCode, 0);
    const ToolResult moved = ravlenDb({QStringLiteral("migrate"), file.path(), uri});
    QCOMPARE(moved.exitCode, 1);
    QVERIFY2(moved.err.contains(QLatin1String("not empty")), qPrintable(moved.err));
    // It says what to do instead: a new empty database, or the one create-server made used as it is.
    QVERIFY2(whatToDo(moved).contains(QLatin1String("createdb")) &&
                 whatToDo(moved).contains(QStringLiteral("ravlen-db check ") + uri),
             qPrintable(moved.err));
}

void tst_ServerTools::checkReportsTheServerDatabase()
{
    const QString uri = PgCluster::instance().createDatabase();
    QCOMPARE(ravlenDb({QStringLiteral("create-server"), uri}).exitCode, 0);
    const ToolResult sound = ravlenDb({QStringLiteral("check"), uri});
    QCOMPARE(sound.exitCode, 0);
    QVERIFY2(sound.out.contains(QLatin1String("0 participants, 90 items")), qPrintable(sound.out));

    PgConnection server(uri);
    server.open();
    PgBackend::execute(server, QStringLiteral("ALTER TABLE Profiles DROP COLUMN Completed"));
    const ToolResult damaged = ravlenDb({QStringLiteral("check"), uri});
    QCOMPARE(damaged.exitCode, 1);
    QVERIFY2(damaged.err.contains(QLatin1String("Completed")), qPrintable(damaged.err));
}

void tst_ServerTools::backupAndExportOfAServerMatchTheFileItCameFrom()
{
    const TempRavlenDb file;
    {
        auto db = file.connect();
        ParticipantSpec done;
        done.fileNo = 5;
        done.completed = true;
        done.answers = allAnswered(*db, 2);
        addParticipant(*db, done);
        ParticipantSpec started;
        started.fileNo = 6;
        started.lastName = QStringLiteral("  کاظمي ");
        started.answers = {3, 4};
        addParticipant(*db, started);
    }
    const QString uri = PgCluster::instance().createDatabase();
    QCOMPARE(ravlenDb({QStringLiteral("migrate"), file.path(), uri}).exitCode, 0);

    QTemporaryDir out;
    const QString copy = out.filePath(QStringLiteral("copy.mdb"));
    const ToolResult backedUp = ravlenDb({QStringLiteral("backup"), uri, copy});
    QVERIFY2(backedUp.exitCode == 0, qPrintable(backedUp.err));
    QVERIFY2(backedUp.out.contains(QLatin1String("2 participants, 2 participant tables, 90 items")),
             qPrintable(backedUp.out));
    QCOMPARE(ravlenDb({QStringLiteral("check"), copy}).exitCode, 0);
    auto fromFile = [](const QString& path) {
        DbConnection db;
        db.setConnectionString(JetConnectionString(path, QString()));
        db.open();
        return everyAnswer([&](const QString& sql) { return SqlBackend::readQuery(db.database(), sql).values; });
    };
    QCOMPARE(fromFile(copy), fromFile(file.path()));
    QCOMPARE(ravlenDb({QStringLiteral("backup"), uri, copy}).exitCode, 1);

    // The results of the server, read from its snapshot, are the file's results to the byte.
    const QString fromServer = out.filePath(QStringLiteral("server.csv"));
    const QString fromTheFile = out.filePath(QStringLiteral("file.csv"));
    const QStringList options{QStringLiteral("--all"), QStringLiteral("--items")};
    const ToolResult exported = ravlenDb(QStringList{QStringLiteral("export-results"), uri, fromServer} + options);
    QVERIFY2(exported.exitCode == 0, qPrintable(exported.err));
    QCOMPARE(ravlenDb(QStringList{QStringLiteral("export-results"), file.path(), fromTheFile} + options).exitCode, 0);
    QCOMPARE(fileBytes(fromServer), fileBytes(fromTheFile));
}

void tst_ServerTools::serverFailuresSayWhatToDo_data()
{
    QTest::addColumn<ServerFailure>("failure");
    QTest::addColumn<QString>("step"); // what only this cause's advice tells the user to do
    using Kind = DataError::Kind;
    const QHash<Kind, QString> steps{{Kind::ServerUnreachable, QStringLiteral("pg_lsclusters")},
                                     {Kind::ServerNoPassword, QStringLiteral("chmod 600")},
                                     {Kind::ServerLoginRefused, QStringLiteral("correct the password")},
                                     {Kind::ServerDatabaseMissing, QStringLiteral("createdb")},
                                     {Kind::ServerPermission, QStringLiteral("GRANT")}};
    for (const ServerFailure& failure : serverFailures())
        QTest::newRow(qPrintable(failure.name)) << failure << steps.value(failure.kind);
}

void tst_ServerTools::serverFailuresSayWhatToDo()
{
    QFETCH(ServerFailure, failure);
    QFETCH(QString, step);
    const PasswordFileInPlace passwordFile(failure.passwordFileLine);
    const ToolResult result = ravlenDb({QStringLiteral("check"), failure.uri});
    QCOMPARE(result.exitCode, 1);
    const QString advice = whatToDo(result);
    QVERIFY2(advice.contains(step) && advice.contains(failure.named), qPrintable(result.err));
    // No file advice for a server, and one cause per line.
    QVERIFY2(!advice.contains(QLatin1String("may not read")) && !advice.contains(QLatin1String("ls -l")),
             qPrintable(advice));
    for (const QString& other : {QStringLiteral("pg_lsclusters"), QStringLiteral("correct the password"),
                                 QStringLiteral("createdb"), QStringLiteral("GRANT")})
        if (other != step)
            QVERIFY2(!advice.contains(other), qPrintable(advice));
}

void tst_ServerTools::addressInCapitalsWithBlanksIsAServer()
{
    const QString uri = PgCluster::instance().createDatabase();
    QCOMPARE(ravlenDb({QStringLiteral("create-server"), uri}).exitCode, 0);
    const QString scheme = QStringLiteral("postgresql://");
    auto shouted = [&](const QString& address) {
        return QStringLiteral("  ") + address.left(scheme.size()).toUpper() + address.mid(scheme.size()) +
               QStringLiteral(" ");
    };
    const ToolResult sound = ravlenDb({QStringLiteral("check"), shouted(uri)});
    QVERIFY2(sound.exitCode == 0, qPrintable(sound.err));
    QVERIFY2(sound.out.contains(QLatin1String("0 participants, 90 items")), qPrintable(sound.out));

    // Without a password file and with no server there, it is still a server that cannot be reached, never a
    // file in a folder named after the address.
    const PasswordFileInPlace noPasswordFile(QByteArray{});
    QTemporaryDir here;
    const ToolResult unreachable = runTool(QStringLiteral(RAVLEN_DB_EXE),
                                           {QStringLiteral("check"), shouted(serverFailures().at(1).uri)}, here.path());
    QCOMPARE(unreachable.exitCode, 1);
    QVERIFY2(whatToDo(unreachable).contains(QLatin1String("no database server answers")), qPrintable(unreachable.err));
    QVERIFY(QDir(here.path()).isEmpty());
}

void tst_ServerTools::readmeServerBlockRunsAsPrinted_data()
{
    QTest::addColumn<QString>("lead");
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QString>("participants");
    QTest::newRow("a new clinic") << QStringLiteral("**A new clinic**") << false << QStringLiteral("0 participants");
    QTest::newRow("a clinic with a file") << QStringLiteral("**A clinic that already has a file**") << true
                                          << QStringLiteral("2 participants");
}

void tst_ServerTools::readmeServerBlockRunsAsPrinted()
{
    QFETCH(QString, lead);
    QFETCH(bool, withFile);
    QFETCH(QString, participants);
    // The README's database is "ravlen" on SERVER, owned by the user "ravlen": the cluster's own user.
    PgCluster& cluster = PgCluster::instance();
    cluster.dropDatabase(QStringLiteral("ravlen"));
    cluster.createDatabase(QStringLiteral("ravlen"));
    QTemporaryDir home;
    if (withFile) {
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Ravlen")));
        const QString fileName = QDir(home.path()).filePath(QStringLiteral("Ravlen/Ravlen.mdb"));
        QCOMPARE(ravlenDb({QStringLiteral("create"), fileName}).exitCode, 0);
        DbConnection db;
        db.setConnectionString(JetConnectionString(fileName, QString()));
        db.open();
        for (const int fileNo : {4, 9}) {
            ParticipantSpec participant;
            participant.fileNo = fileNo;
            participant.answers = {5, 4, 3};
            addParticipant(db, participant);
        }
    }
    const QStringList commands = readmeBlockAfter(QStringLiteral("**Password**")) + readmeBlockAfter(lead);
    QVERIFY2(commands.size() >= 3, qPrintable(commands.join(QLatin1Char('\n'))));
    ToolResult last;
    for (const QString& command : commands) {
        last = runAsPrinted(command, home.path());
        QVERIFY2(last.exitCode == 0, qPrintable(command + QLatin1Char('\n') + last.err));
    }
    QVERIFY2(last.out.contains(participants + QStringLiteral(", 90 items")), qPrintable(last.out));
}

QTEST_GUILESS_MAIN(tst_ServerTools)
#include "tst_ServerTools.moc"
