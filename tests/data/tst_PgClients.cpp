// Three workstations on one server database, each a process of its own on its own connection, registering
// participants under the next free file number and answering every item for a while
// ($RAVLEN_CLIENT_SECONDS, 5 by default; scripts/pg-clients.sh runs the full minute). Afterwards every answer a
// workstation posted is on the server, no file number is registered twice, and every refused registration told
// the counsellor why in Persian.
#include "data/DataError.h"
#include "data/PgBackend.h"
#include "data/PgConnection.h"
#include "tests/support/PgCluster.h"
#include "tools/ServerStore.h"
#include "tools/ItemStore.h"

#include <QProcess>
#include <QSet>
#include <QTest>

#include <memory>

class tst_PgClients : public QObject
{
    Q_OBJECT

private slots:
    void threeWorkstationsLoseNothingAndNeverShareAFileNumber();
};

void tst_PgClients::threeWorkstationsLoseNothingAndNeverShareAFileNumber()
{
    const QString uri = PgCluster::instance().createDatabase();
    ServerStore::createServer(uri, ItemStore::bundledItems());
    const QString seconds = qEnvironmentVariableIsSet("RAVLEN_CLIENT_SECONDS")
                                ? qEnvironmentVariable("RAVLEN_CLIENT_SECONDS")
                                : QStringLiteral("5");

    std::vector<std::unique_ptr<QProcess>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<QProcess>());
        clients.back()->start(QStringLiteral(RAVLEN_PG_CLIENT), {uri, seconds});
    }
    QStringList lines;
    for (auto& client : clients) {
        QVERIFY(client->waitForFinished(int(seconds.toDouble() * 1000) + 120000));
        const QString out = QString::fromUtf8(client->readAllStandardOutput());
        QVERIFY2(client->exitCode() == 0, qPrintable(out.right(2000) + QString::fromUtf8(client->readAllStandardError())));
        lines += out.split(u'\n', Qt::SkipEmptyParts);
    }

    PgConnection db(uri);
    PgBackend::openChecked(db);
    const QString refusal = userSentence(DataError::Kind::DuplicateKey, QString());
    QSet<int> claimed;
    int refused = 0;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("R "))) {
            QCOMPARE(line.mid(2), refusal);
            ++refused;
            continue;
        }
        const QStringList parts = line.split(u' ');
        QCOMPARE(parts.size(), 4);
        const int fileNo = parts[1].toInt();
        QVERIFY2(!claimed.contains(fileNo), qPrintable(QStringLiteral("file number %1 registered twice").arg(fileNo)));
        claimed.insert(fileNo);
        const std::vector<QVariant> profile = PgBackend::readQuery(
            db, QStringLiteral("SELECT QTable, Completed FROM Profiles WHERE FileNo = %1").arg(fileNo)).values;
        QCOMPARE(profile, (std::vector<QVariant>{parts[2], true}));
        const std::vector<QVariant> answers = PgBackend::readQuery(
            db, QStringLiteral("SELECT string_agg(Answer::int::text, '' ORDER BY Row) FROM %1").arg(parts[2])).values;
        QCOMPARE(answers.front().toString(), parts[3]);
    }
    QVERIFY(!claimed.isEmpty());
    const std::vector<QVariant> counts =
        PgBackend::readQuery(db, QStringLiteral("SELECT count(*), count(DISTINCT FileNo) FROM Profiles")).values;
    QCOMPARE(counts, (std::vector<QVariant>{qlonglong(claimed.size()), qlonglong(claimed.size())}));
    qInfo("%lld participants registered and answered, %d registrations refused", qlonglong(claimed.size()), refused);
}

QTEST_GUILESS_MAIN(tst_PgClients)
#include "tst_PgClients.moc"
