#include "tests/support/PgCluster.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <QThread>

#include <libpq-fe.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool serverAnswers(int port)
{
    const QByteArray conninfo = QStringLiteral("postgresql://%1@127.0.0.1:%2/postgres?connect_timeout=2")
                                    .arg(PgCluster::user())
                                    .arg(port)
                                    .toUtf8();
    return PQping(conninfo.constData()) == PQPING_OK;
}

bool waitUntilSilent(int port, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (serverAnswers(port)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

} // namespace

class tst_PgCluster : public QObject
{
    Q_OBJECT

private slots:
    void serverRunsUnprivilegedOnLoopbackOnly();
    void databasesAreSeparateAndSortPersian();
    void stoppedClusterLeavesNothingBehind();
    void killedSuiteTakesItsServerAlongAndNextRunSweeps();
};

void tst_PgCluster::serverRunsUnprivilegedOnLoopbackOnly()
{
    PgCluster& cluster = PgCluster::instance();
    QVERIFY(serverAnswers(cluster.port()));
    struct stat info{};
    QCOMPARE(::stat(QFile::encodeName(cluster.dataDir()).constData(), &info), 0);
    QVERIFY2(info.st_uid != 0, "the data folder must not belong to root");
    QCOMPARE(info.st_mode & 0777, mode_t(0700));
    QCOMPARE(cluster.query(QStringLiteral("SHOW listen_addresses")), QStringLiteral("127.0.0.1"));
    QCOMPARE(cluster.query(QStringLiteral("SHOW unix_socket_directories")), QString());
    QCOMPARE(cluster.query(QStringLiteral("SELECT string_agg(type || ' ' || address || ' ' || "
                                          "auth_method, ';') FROM pg_hba_file_rules")),
             QStringLiteral("host 127.0.0.1 trust"));
}

void tst_PgCluster::databasesAreSeparateAndSortPersian()
{
    PgCluster& cluster = PgCluster::instance();
    const QString first = cluster.createDatabase();
    const QString second = cluster.createDatabase();
    QVERIFY(first != second);
    const QString firstName = QUrl(first).path().mid(1);
    const QString secondName = QUrl(second).path().mid(1);
    cluster.query(QStringLiteral("CREATE TABLE t (x int)"), firstName);
    QCOMPARE(cluster.query(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename = 't'"), secondName),
             QStringLiteral("0"));
    // The server must know ICU: Persian order puts پ between ب and ت, which code-point order does not.
    cluster.query(QStringLiteral("CREATE COLLATION fa (provider = icu, locale = 'fa-IR')"), firstName);
    QCOMPARE(cluster.query(QStringLiteral("SELECT string_agg(c, '' ORDER BY c COLLATE fa) FROM "
                                          "(VALUES ('ت'), ('پ'), ('ب')) v(c)"),
                           firstName),
             QStringLiteral("بپت"));
    cluster.dropDatabase(firstName);
    cluster.dropDatabase(secondName);
    QCOMPARE(cluster.query(QStringLiteral("SELECT count(*) FROM pg_database WHERE datname LIKE 'ravlen_%'")),
             QStringLiteral("0"));
}

void tst_PgCluster::stoppedClusterLeavesNothingBehind()
{
    int port = 0;
    QString folder;
    {
        PgCluster cluster;
        port = cluster.port();
        folder = QFileInfo(cluster.dataDir()).path();
        QVERIFY(serverAnswers(port));
    }
    QVERIFY(!serverAnswers(port));
    QVERIFY(!QFileInfo::exists(folder));
}

void tst_PgCluster::killedSuiteTakesItsServerAlongAndNextRunSweeps()
{
    QProcess probe;
    probe.start(QStringLiteral(RAVLEN_PG_PROBE), {});
    QVERIFY(probe.waitForStarted());
    QVERIFY2(probe.waitForReadyRead(120000), qPrintable(QString::fromLocal8Bit(probe.readAllStandardError())));
    const QStringList line = QString::fromLocal8Bit(probe.readLine()).trimmed().split(u' ');
    QCOMPARE(line.size(), 2);
    const int port = line[0].toInt();
    const QString folder = QFileInfo(line[1]).path();
    QVERIFY(serverAnswers(port));

    ::kill(pid_t(probe.processId()), SIGKILL);
    QVERIFY(probe.waitForFinished());
    QVERIFY2(waitUntilSilent(port, 20000), "the server outlived the suite that started it");
    QVERIFY(QFileInfo::exists(folder));

    PgCluster next;
    QVERIFY2(!QFileInfo::exists(folder), "the abandoned cluster folder was not swept");
}

QTEST_GUILESS_MAIN(tst_PgCluster)
#include "tst_PgCluster.moc"
