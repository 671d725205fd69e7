// ravlen-db's server commands, run as a user would against a throwaway PostgreSQL cluster: create-server,
// migrate of a file with participants, and check of a server database.
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "data/ZarkU.h"
#include "tests/support/Participants.h"
#include "tests/support/PgCluster.h"
#include "tests/support/TempRavlenDb.h"
#include "tests/support/ToolProcess.h"

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
            TestParticipant participant;
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
        TestParticipant done;
        done.fileNo = 5;
        done.completed = true;
        done.answers = allAnswered(*db, 2);
        addParticipant(*db, done);
        TestParticipant started;
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

QTEST_GUILESS_MAIN(tst_ServerTools)
#include "tst_ServerTools.moc"
