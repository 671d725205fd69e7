#include "data/DataError.h"
#include "data/DataModule.h"
#include "tests/data/TempDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// What the error report shows for an error, whichever process met it.
struct Reported
{
    DataError::Kind kind = DataError::Kind::Other;
    QString detail; // the technical text the layer threw
    QString text;   // the report: the user's sentence, then the detail on its own line
};

Reported reported(const DataError& e)
{
    return {e.kind(), e.message(), userMessage(e)};
}

// The helper's account of an error it met: "kind <number>", then the report.
Reported reportedBy(QProcess& helper)
{
    const QString err = QString::fromUtf8(helper.readAllStandardError()).trimmed();
    const qsizetype firstBreak = err.indexOf(QLatin1Char('\n'));
    Reported r;
    r.kind = DataError::Kind(err.left(firstBreak).section(QLatin1Char(' '), 1).toInt());
    r.text = err.mid(firstBreak + 1);
    r.detail = r.text.section(QLatin1Char('\n'), 1);
    return r;
}

const char* const nobodyUser = "nobody";

QStringList asNobody(const QStringList& command)
{
    return QStringList{QStringLiteral("--reuid=%1").arg(QLatin1String(nobodyUser)), QStringLiteral("--regid=nogroup"),
                       QStringLiteral("--clear-groups")} +
           command;
}

// Why the helper cannot be started as the ordinary user (a build folder closed to other users), or empty.
QString helperClosedToNobody()
{
    QProcess probe;
    probe.start(QStringLiteral("setpriv"), asNobody({QStringLiteral(RAVLEN_DB_HELPER)}));
    if (!probe.waitForFinished(60000))
        return QStringLiteral("setpriv did not finish");
    // setpriv answers 126 or 127 when it cannot start the program; the helper itself answers 2 to no arguments.
    if (probe.exitCode() == 126 || probe.exitCode() == 127)
        return QString::fromLocal8Bit(probe.readAllStandardError()).trimmed();
    return QString();
}

// Runs the data module in a second process as an ordinary user, connecting and posting one profile; the causes
// that are about permissions mean nothing to the administrator, who may read and write every file.
std::optional<Reported> connectAndPostAsNobody(const QString& fileName)
{
    QProcess helper;
    helper.start(QStringLiteral("setpriv"),
                 asNobody({QStringLiteral(RAVLEN_DB_HELPER), QStringLiteral("connect-and-post"), fileName,
                           QStringLiteral("9")}));
    if (!helper.waitForFinished(60000) || helper.exitCode() != 1)
        return std::nullopt;
    return reportedBy(helper);
}

// A small file system that fills up: the engine's writes fail as on a full disk.
class SmallDisk
{
public:
    explicit SmallDisk(const QString& folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=160k,mode=0700") == 0;
        if (!m_mounted)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount(m_folder.constData());
    }
    bool mounted() const { return m_mounted; }
    QString error() const { return m_error; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
    QString m_error;
};

void writeFile(const QString& fileName, const QByteArray& bytes)
{
    QFile f(fileName);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

// Each kind of error a window can tell apart, raised by a real cause on a real file.
class tst_DataError : public QObject
{
    Q_OBJECT

private slots:
    void kindFollowsTheCause_data();
    void kindFollowsTheCause();

private:
    // Brings about the cause and keeps the error it raised in m_error; m_provoked tells a case that ran to its end
    // from one skipped or failed on the way.
    void provoke(const QString& cause, TempDatabase& t, TData& data);
    std::optional<Reported> m_error;
    bool m_provoked = false;
};

void tst_DataError::kindFollowsTheCause_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<DataError::Kind>("kind");
    QTest::newRow("duplicate file number") << "duplicate" << DataError::Kind::DuplicateKey;
    QTest::newRow("file locked by another program") << "locked" << DataError::Kind::Busy;
    QTest::newRow("read-only file") << "readonly" << DataError::Kind::ReadOnly;
    QTest::newRow("another user's read-only file") << "others-readonly" << DataError::Kind::ReadOnly;
    QTest::newRow("read-only folder") << "readonly-folder" << DataError::Kind::ReadOnly;
    QTest::newRow("another user's unreadable file") << "unreadable" << DataError::Kind::AccessDenied;
    QTest::newRow("folder this user may not enter") << "closed-folder" << DataError::Kind::AccessDenied;
    QTest::newRow("missing file") << "missing" << DataError::Kind::MissingFile;
    QTest::newRow("not a database") << "garbage" << DataError::Kind::NotADatabase;
    QTest::newRow("empty file") << "empty" << DataError::Kind::NotADatabase;
    QTest::newRow("full disk") << "full" << DataError::Kind::DiskFull;
    QTest::newRow("page limit reached") << "page-limit" << DataError::Kind::DiskFull;
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
    provoke(cause, t, data);
    if (!m_provoked)
        return;
    const std::optional<Reported>& error = m_error;
    QVERIFY2(error, "no error");
    QVERIFY2(error->kind == kind, qPrintable(QStringLiteral("kind %1: %2").arg(int(error->kind)).arg(error->text)));
    QVERIFY(!error->detail.isEmpty());

    // The report shows a Persian sentence for the kind, then the technical detail on its own line.
    const QStringList lines = error->text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[1], error->detail);
    QCOMPARE(lines[0], userSentence(kind, error->detail));
    QVERIFY(lines[0].contains(QChar(u'\u0627')));                                          // Persian text
    QVERIFY(!lines[0].contains(QChar(u'\u06cc')) && !lines[0].contains(QChar(u'\u0643'))); // the texts' yeh and keheh
    if (kind != DataError::Kind::Other)
        QVERIFY(lines[0] != userSentence(DataError::Kind::Other, QString()));
    // Only a file or folder that cannot be written is called read-only.
    QCOMPARE(lines[0].contains(QStringLiteral("فقط خواندني")), kind == DataError::Kind::ReadOnly);

    // Where the file is the trouble, the sentence says which file and in which folder.
    const QString folder = QDir::toNativeSeparators(t.dir.path());
    switch (kind) {
    case DataError::Kind::MissingFile:
        QVERIFY(lines[0].contains(QLatin1String("ravlen-db create")));
        [[fallthrough]];
    case DataError::Kind::Busy:
    case DataError::Kind::ReadOnly:
    case DataError::Kind::AccessDenied:
    case DataError::Kind::NotADatabase:
    case DataError::Kind::Schema:
        QVERIFY2(lines[0].contains(folder), qPrintable(lines[0]));
        break;
    case DataError::Kind::DiskFull:
        QVERIFY2(lines[0].contains(folder), qPrintable(lines[0])); // the folder whose disk is full
        break;
    default:
        break;
    }
}

void tst_DataError::provoke(const QString& cause, TempDatabase& t, TData& data)
{
    m_provoked = false;
    m_error.reset();
    const bool asNobody = cause == QLatin1String("others-readonly") || cause == QLatin1String("readonly-folder") ||
                          cause == QLatin1String("unreadable") || cause == QLatin1String("closed-folder");
    if (asNobody) {
        if (::geteuid() != 0)
            QSKIP("permissions only bite another user; switching to one needs the administrator");
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv (util-linux) is needed to run the second process as another user");
        if (const QString why = helperClosedToNobody(); !why.isEmpty())
            QSKIP(qPrintable(QStringLiteral("the helper cannot run as %1 from this build folder: %2")
                                 .arg(QLatin1String(nobodyUser), why)));
        // Only the file stays: the side files of this process's connections would decide the case otherwise.
        data.Database.close();
        t.connection->close();
        const QString folder = t.dir.path();
        const QByteArray file = QFile::encodeName(t.fileName);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::ExeOther);
        if (cause == QLatin1String("others-readonly")) {
            QFile::setPermissions(t.fileName, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        } else if (cause == QLatin1String("readonly-folder")) {
            // The file is the user's own and writable; the folder, where the engine keeps its side files, is not.
            QVERIFY(::chown(file.constData(), 65534, 65534) == 0);
        } else if (cause == QLatin1String("closed-folder")) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        m_error = connectAndPostAsNobody(t.fileName);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_provoked = true;
        return;
    }
    try {
        if (cause == QLatin1String("duplicate")) {
            data.tbProfiles.insertRecord({1});
        } else if (cause == QLatin1String("locked")) {
            const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
            if (shell.isEmpty())
                QSKIP("the sqlite3 shell is the other program that holds the file locked here");
            QProcess other;
            other.start(shell, {t.fileName});
            other.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
            QElapsedTimer timer;
            timer.start();
            QByteArray out;
            while (!out.contains("locked") && timer.elapsed() < 30000 && other.waitForReadyRead(1000))
                out += other.readAllStandardOutput();
            QVERIFY2(out.contains("locked"), "the sqlite3 shell did not take the lock");
            try {
                data.tbProfiles.insertRecord({2});
            } catch (...) {
                other.kill();
                other.waitForFinished();
                throw;
            }
        } else if (cause == QLatin1String("readonly")) {
            data.Database.close();
            QFile::setPermissions(t.fileName, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            // It opens for reading; storing is what fails.
            data.ConnectToDatabase(t.fileName);
            data.tbProfiles.insertRecord({2});
        } else if (cause == QLatin1String("missing")) {
            data.ConnectToDatabase(t.fileName + QStringLiteral(".gone"));
        } else if (cause == QLatin1String("garbage") || cause == QLatin1String("empty")) {
            const QString name = t.fileName + QStringLiteral(".other");
            writeFile(name, cause == QLatin1String("empty") ? QByteArray() : QByteArray(4096, 'x'));
            data.ConnectToDatabase(name);
        } else if (cause == QLatin1String("full")) {
            data.Database.close();
            t.connection->close();
            const QString folder = QDir(t.dir.path()).filePath(QStringLiteral("small"));
            QDir().mkdir(folder);
            SmallDisk disk(folder);
            if (!disk.mounted())
                QSKIP(qPrintable(QStringLiteral("cannot mount a small file system here: ") + disk.error()));
            const QString name = QDir(folder).filePath(QStringLiteral("Ravlen.mdb"));
            TData onSmallDisk;
            try {
                Schema::createDatabaseFile(name);
                onSmallDisk.ConnectToDatabase(name);
                const QString longName(255, QChar(u'\u0645'));
                for (int fileNo = 2; fileNo < 100000; ++fileNo)
                    onSmallDisk.tbProfiles.insertRecord({fileNo, QString(), longName, longName});
            } catch (const DataError& e) {
                m_error = reported(e); // the small disk's folder lies inside the test's folder
            }
        } else if (cause == QLatin1String("page-limit")) {
            // The engine's page limit refuses a write the same way a full disk does.
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
    } catch (const DataError& e) {
        m_error = reported(e);
    }
    m_provoked = true;
}

QTEST_GUILESS_MAIN(tst_DataError)
#include "tst_DataError.moc"
