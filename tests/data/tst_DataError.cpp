#include "data/DataError.h"
#include "data/DataModule.h"
#include "tests/data/TempDatabase.h"

#include <QFile>
#include <QTest>

// Each kind of error a window can tell apart, raised by a real cause on a real file.
class tst_DataError : public QObject
{
    Q_OBJECT

private slots:
    void kindFollowsTheCause_data();
    void kindFollowsTheCause();
};

void tst_DataError::kindFollowsTheCause_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<DataError::Kind>("kind");
    QTest::newRow("duplicate file number") << "duplicate" << DataError::Kind::DuplicateKey;
    QTest::newRow("file locked by another program") << "locked" << DataError::Kind::Busy;
    QTest::newRow("read-only file") << "readonly" << DataError::Kind::ReadOnly;
    QTest::newRow("missing file") << "missing" << DataError::Kind::MissingFile;
    QTest::newRow("not a database") << "garbage" << DataError::Kind::NotADatabase;
    QTest::newRow("empty file") << "empty" << DataError::Kind::NotADatabase;
    QTest::newRow("no room left") << "full" << DataError::Kind::DiskFull;
    QTest::newRow("bad filter") << "filter" << DataError::Kind::BadFilter;
    QTest::newRow("bad table name") << "tablename" << DataError::Kind::BadTableName;
    QTest::newRow("missing table") << "schema" << DataError::Kind::Schema;
    QTest::newRow("age out of range") << "constraint" << DataError::Kind::Constraint;
    QTest::newRow("closed connection") << "closed" << DataError::Kind::NotConnected;
}

void tst_DataError::kindFollowsTheCause()
{
    QFETCH(QString, cause);
    QFETCH(DataError::Kind, kind);
    TempDatabase t;
    t.db().execute(QStringLiteral("INSERT INTO Profiles (FileNo, Age, QTable) VALUES (1, 30, 'QUESTIONS')"));
    TData data;
    data.ConnectToDatabase(t.fileName);
    DbConnection other;
    other.setConnectionString(JetConnectionString(t.fileName, QString()));
    auto write = [](const QString& fileName, const QByteArray& bytes) {
        QFile f(fileName);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    try {
        if (cause == QLatin1String("duplicate")) {
            data.tbProfiles.insertRecord({1});
        } else if (cause == QLatin1String("locked")) {
            other.open();
            other.execute(QStringLiteral("BEGIN EXCLUSIVE"));
            data.tbProfiles.insertRecord({2});
        } else if (cause == QLatin1String("readonly")) {
            data.Database.close();
            QFile::setPermissions(t.fileName, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            data.ConnectToDatabase(t.fileName);
        } else if (cause == QLatin1String("missing")) {
            data.ConnectToDatabase(t.fileName + QStringLiteral(".gone"));
        } else if (cause == QLatin1String("garbage") || cause == QLatin1String("empty")) {
            const QString name = t.fileName + QStringLiteral(".other");
            write(name, cause == QLatin1String("empty") ? QByteArray() : QByteArray(4096, 'x'));
            data.ConnectToDatabase(name);
        } else if (cause == QLatin1String("full")) {
            // The engine's page limit stands in for a full disk: the same refusal, reached without one.
            data.Database.execute(QStringLiteral("PRAGMA max_page_count = 8"));
            data.Database.execute(QStringLiteral("CREATE TABLE Big (X TEXT); "
                                                 "INSERT INTO Big VALUES (zeroblob(100000))"));
        } else if (cause == QLatin1String("filter")) {
            data.tbProfiles.setFilter(QStringLiteral("Age>"));
        } else if (cause == QLatin1String("tablename")) {
            data.OpenQuestionTable(data.tbProfiles.fieldByName(QStringLiteral("QTable")).asString());
        } else if (cause == QLatin1String("schema")) {
            t.db().execute(QStringLiteral("ALTER TABLE Profiles RENAME TO Renamed"));
            data.ConnectToDatabase(t.fileName);
        } else if (cause == QLatin1String("constraint")) {
            data.tbProfiles.edit();
            data.tbProfiles.setFieldValue(QStringLiteral("Age"), 300);
            data.tbProfiles.post();
        } else if (cause == QLatin1String("closed")) {
            data.Database.close();
            data.sqlCommand.setCommandText(QStringLiteral("DELETE FROM Profiles"));
            data.sqlCommand.execute();
        }
        QFAIL("no error");
    } catch (const DataError& e) {
        QVERIFY2(e.kind() == kind, qPrintable(e.message()));
        QVERIFY(!e.message().isEmpty());
        // The report shows a Persian sentence for the kind, then the technical detail on its own line.
        const QStringList lines = userMessage(e).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1], e.message());
        QCOMPARE(lines[0], userSentence(kind, e.message()));
        QVERIFY(lines[0].contains(QChar(u'\u0627'))); // Persian text
        QVERIFY(!lines[0].contains(QChar(u'\u06cc')) && !lines[0].contains(QChar(u'\u0643'))); // the design's yeh and keheh
        if (kind == DataError::Kind::MissingFile) {
            QVERIFY2(lines[0].contains(QDir::toNativeSeparators(t.dir.path())), qPrintable(lines[0]));
            QVERIFY(lines[0].contains(QLatin1String("ravlen-db create")));
        }
        if (kind != DataError::Kind::Other)
            QVERIFY(lines[0] != userSentence(DataError::Kind::Other, QString()));
    }
}

QTEST_GUILESS_MAIN(tst_DataError)
#include "tst_DataError.moc"
