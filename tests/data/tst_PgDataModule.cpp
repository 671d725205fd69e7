// The data module on a PostgreSQL server chosen by Ravlen.server in the working folder: connecting, the
// registration unit of work, posting answers, and a dropped connection in the middle of a questionnaire.
#include "data/DataError.h"
#include "data/DataModule.h"
#include "data/DbBackend.h"
#include "data/PgServerBackend.h"
#include "data/ZarkU.h"
#include "tests/support/PgCluster.h"
#include "tests/support/ServerFailures.h"
#include "tools/ItemStore.h"
#include "tools/ServerStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <libpq-fe.h>

namespace {

// A working folder whose Ravlen.server holds `line`, made current for the object's life.
class WorkingFolder
{
public:
    explicit WorkingFolder(const QByteArray& line) : m_previous(QDir::currentPath())
    {
        QFile pointer(QDir(m_dir.path()).filePath(QStringLiteral("Ravlen.server")));
        if (pointer.open(QIODevice::WriteOnly))
            pointer.write(line + '\n');
        QDir::setCurrent(m_dir.path());
    }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

QString serverWithItems()
{
    const QString uri = PgCluster::instance().createDatabase();
    ServerStore::createServer(uri, ItemStore::bundledItems());
    return uri;
}

// Registration as the test window does it, through the module's datasets and command.
void registerParticipant(TData& data, int fileNo, const QString& table)
{
    data.Database.inTransaction(QStringLiteral("Cannot register"), [&] {
        data.tbProfiles.insertRecord({fileNo, QStringLiteral("1404/07/15"), QStringLiteral("علي"),
                                      QStringLiteral("رضايي"), 30, 1, 3, table, false});
        data.sqlCommand.setCommandText(QStringLiteral("SELECT * INTO ") + table +
                                       QStringLiteral(" FROM Questions Where Row>=0"));
        data.sqlCommand.execute();
    });
    data.OpenQuestionTable(table);
}

void answer(TData& data, double value)
{
    data.tbQuestions.edit();
    data.tbQuestions.setFieldValue(QStringLiteral("Answer"), value);
    data.tbQuestions.setFieldValue(QStringLiteral("Score"), value);
    data.tbQuestions.post();
}

} // namespace

class tst_PgDataModule : public QObject
{
    Q_OBJECT

private slots:
    void serverFileInTheWorkingFolderChoosesTheServer();
    void badServerFilesAreRefused_data();
    void badServerFilesAreRefused();
    void serverFailuresHaveSentencesOfTheirOwn_data();
    void serverFailuresHaveSentencesOfTheirOwn();
    void addressInCapitalsWithBlanksIsAServer();
    void droppedConnectionKeepsTheCurrentItem();
};

void tst_PgDataModule::serverFileInTheWorkingFolderChoosesTheServer()
{
    const QString uri = serverWithItems();
    WorkingFolder folder(uri.toUtf8());
    TData data;
    data.ConnectToWorkingDirectoryDatabase();
    QCOMPARE(data.Database.backend().engine(), DbBackend::Engine::PostgreSql);
    QCOMPARE(data.Database.backend().location(), uri);
    QVERIFY(!QFile::exists(QStringLiteral("Ravlen.mdb")));

    registerParticipant(data, 17, QStringLiteral("KLMNOPQRSTUVWXY"));
    QVERIFY(TableExists(QStringLiteral("klmnopqrstuvwxy"), data.Database));
    QCOMPARE(data.tbQuestions.recordCount(), 90);
    data.tbQuestions.setRecNo(2);
    answer(data, 4);
    QVERIFY(data.tbProfiles.locate(QStringLiteral("FileNo"), 17));
    QCOMPARE(data.tbProfiles.fieldByName(QStringLiteral("FullName")).asString(), QStringLiteral("آقاي علي رضايي"));

    // A second registration of the same number is refused by the server, and nothing of it stays.
    QCOMPARE(
        [&] {
            try {
                registerParticipant(data, 17, QStringLiteral("ABCDEFGHIJKLMNO"));
            } catch (const DataError& e) {
                return e.kind();
            }
            return DataError::Kind::Other;
        }(),
        DataError::Kind::DuplicateKey);
    QVERIFY(!TableExists(QStringLiteral("ABCDEFGHIJKLMNO"), data.Database));

    TData other;
    other.ConnectToWorkingDirectoryDatabase();
    other.OpenQuestionTable(QStringLiteral("KLMNOPQRSTUVWXY"));
    other.tbQuestions.setRecNo(2);
    QCOMPARE(other.tbQuestions.fieldByName(QStringLiteral("Answer")).asFloat(), 4.0);
}

void tst_PgDataModule::badServerFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<DataError::Kind>("kind");
    const QByteArray uri = PgCluster::instance().uri(QStringLiteral("postgres")).toUtf8();
    QTest::newRow("no address") << QByteArray("the server in room 4") << DataError::Kind::NotConnected;
    QTest::newRow("password in the address")
        << QByteArray(uri).replace("ravlen@", "ravlen:secret@") << DataError::Kind::PasswordInAddress;
    QTest::newRow("no Ravlen tables there") << uri << DataError::Kind::Schema;
}

void tst_PgDataModule::badServerFilesAreRefused()
{
    QFETCH(QByteArray, line);
    QFETCH(DataError::Kind, kind);
    WorkingFolder folder(line);
    TData data;
    try {
        data.ConnectToWorkingDirectoryDatabase();
        QFAIL("connected");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), kind);
    }
    QVERIFY(!data.Database.isConnected());
    QVERIFY(!data.tbProfiles.isActive());
}

void tst_PgDataModule::serverFailuresHaveSentencesOfTheirOwn_data()
{
    QTest::addColumn<ServerFailure>("failure");
    for (const ServerFailure& failure : serverFailures())
        QTest::newRow(qPrintable(failure.name)) << failure;
}

void tst_PgDataModule::serverFailuresHaveSentencesOfTheirOwn()
{
    QFETCH(ServerFailure, failure);
    const PasswordFileInPlace passwordFile(failure.passwordFileLine);
    WorkingFolder folder(failure.uri.toUtf8());
    TData data;
    try {
        data.ConnectToWorkingDirectoryDatabase();
        QFAIL("connected");
    } catch (const DataError& e) {
        const QString sentence = userMessage(e).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(e.kind() == failure.kind, qPrintable(QStringLiteral("kind %1: %2").arg(int(e.kind())).arg(e.what())));
        QCOMPARE(sentence, userSentence(failure.kind, e.message(), failure.uri));
        QVERIFY2(sentence.contains(failure.named), qPrintable(sentence));
        // Never the file-permission sentence, and no other server cause's sentence either.
        using Kind = DataError::Kind;
        for (const Kind other : {Kind::AccessDenied, Kind::NotConnected, Kind::ServerUnreachable,
                                 Kind::ServerNoPassword, Kind::ServerLoginRefused, Kind::ServerDatabaseMissing,
                                 Kind::ServerPermission})
            if (other != failure.kind)
                QVERIFY(sentence != userSentence(other, e.message(), failure.uri));
    }
    QVERIFY(!data.Database.isConnected());
}

void tst_PgDataModule::addressInCapitalsWithBlanksIsAServer()
{
    const QString uri = serverWithItems();
    const QString shouted = QStringLiteral("  \t") + uri.toUpper().left(QStringLiteral("postgresql://").size()) +
                            uri.mid(QStringLiteral("postgresql://").size()) + QStringLiteral("  ");
    QVERIFY(isServerDataSource(shouted));
    QCOMPARE(serverUriOf(shouted), uri);
    QVERIFY(!isServerDataSource(QStringLiteral("postgresql:/ravlen@host/db")));
    QVERIFY(!isServerDataSource(QStringLiteral("Ravlen.mdb")));
    const std::unique_ptr<DbBackend> backend = openBackend(shouted);
    QCOMPARE(backend->engine(), DbBackend::Engine::PostgreSql);
    QCOMPARE(backend->location(), uri);
}

void tst_PgDataModule::droppedConnectionKeepsTheCurrentItem()
{
    const QString uri = serverWithItems();
    WorkingFolder folder(uri.toUtf8());
    TData data;
    data.ConnectToWorkingDirectoryDatabase();
    registerParticipant(data, 5, QStringLiteral("ABCDEFGHIJKLMNO"));
    data.tbQuestions.setRecNo(7);
    answer(data, 2);

    auto& server = static_cast<PgServerBackend&>(data.Database.backend());
    PgConnection admin(uri);
    admin.open();
    PQclear(PQexec(admin.handle(),
                   QStringLiteral("SELECT pg_terminate_backend(%1)").arg(PQbackendPID(server.connection().handle()))
                       .toUtf8()
                       .constData()));
    data.tbQuestions.setRecNo(8);
    try {
        answer(data, 3);
        QFAIL("an answer was taken on a dropped connection");
    } catch (const DataError& e) {
        QCOMPARE(e.kind(), DataError::Kind::ConnectionLost);
    }
    QCOMPARE(data.tbQuestions.recNo(), 8);
    answer(data, 3); // the next action connects again
    QCOMPARE(data.tbQuestions.recNo(), 8);
    PgConnection check(uri);
    check.open();
    const PgResult r = check.exec(QStringLiteral("SELECT string_agg(Answer::int::text, '' ORDER BY Row) FROM "
                                                 "abcdefghijklmno WHERE Row BETWEEN 6 AND 9"),
                                  {}, QStringLiteral("check"));
    QCOMPARE(r.text(0, 0), QStringLiteral("0230"));
}

QTEST_GUILESS_MAIN(tst_PgDataModule)
#include "tst_PgDataModule.moc"
