// An archive copy that this user may read but not change (read-only media, another user's file): the built
// program, run as another user, opens it for reading; a driver loaded into it (program_driver) reviews a
// participant through the windows and reports what it saw.

#include "data/DataModule.h"
#include "tests/app/DrivenProgram.h"
#include "tests/support/Participants.h"
#include "tests/support/TempRavlenDb.h"
#include "tests/support/ToolProcess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <unistd.h>

class tst_ReadOnlyArchive : public QObject
{
    Q_OBJECT

private slots:
    void reviewedWithoutAChange_data();
    void reviewedWithoutAChange();
};

void tst_ReadOnlyArchive::reviewedWithoutAChange_data()
{
    QTest::addColumn<bool>("folderWritable"); // for the other user
    QTest::addColumn<bool>("repairAwaiting"); // a registration cut short, whose question table a writable open makes
    QTest::newRow("read-only folder (media nobody may write)") << false << false;
    QTest::newRow("another user's file in a shared folder") << true << false;
    QTest::newRow("a repair that waits for a writable open") << false << true;
}

void tst_ReadOnlyArchive::reviewedWithoutAChange()
{
    QFETCH(bool, folderWritable);
    QFETCH(bool, repairAwaiting);
    if (TempRavlenDb::onServer())
        QSKIP("read-only media hold files, not servers");
    if (::geteuid() != 0)
        QSKIP("running the program as another user needs the administrator");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("setpriv (util-linux) runs the program as another user");

    const TempRavlenDb db;
    {
        const std::unique_ptr<DbConnection> connection = db.connect();
        TestParticipant mina;
        mina.fileNo = 7;
        mina.firstName = QStringLiteral("مينا");
        mina.lastName = QStringLiteral("کريمي");
        mina.gender = 0;
        mina.completed = true;
        mina.answers = allAnswered(*connection, 4);
        addParticipant(*connection, mina);
        TestParticipant other;
        other.fileNo = 8;
        addParticipant(*connection, other);
        if (repairAwaiting)
            connection->execute(QStringLiteral("INSERT INTO Profiles (FileNo, QTable) VALUES (12, 'CCCCCCCCCCCCCCC')"));
    } // closed: the file alone holds everything, as an archive copy does
    const QString file = db.path();
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    const QFile::Permissions folderMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::ExeOther | (folderWritable ? QFile::WriteOther : QFile::Permissions());
    QVERIFY(QFile::setPermissions(db.dir(), folderMode));
    const QByteArray bytes = fileBytes(file);

    QProcess program;
    QProcessEnvironment env = drivenProgramEnvironment(QStringLiteral(PROGRAM_DRIVER));
    env.insert(QStringLiteral("RAVLEN_DRIVE"), QStringLiteral("review"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QDir::tempPath());
    env.insert(QStringLiteral("HOME"), QDir::tempPath());
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(db.dir());
    program.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                              QStringLiteral("--clear-groups"), QStringLiteral(RAVLEN_EXE)});
    QByteArray out;
    while (!out.contains("reviewed\n") && program.waitForReadyRead(60000))
        out += program.readAllStandardOutput();
    const bool reviewed = out.contains("reviewed\n");
    ::kill(pid_t(program.processId()), SIGTERM);
    program.waitForFinished(30000);
    const QString seen = QString::fromUtf8(out);
    if (program.exitCode() == 126 || program.exitCode() == 127)
        QSKIP(qPrintable(QStringLiteral("the program cannot run as another user from this build folder: ") +
                         QString::fromLocal8Bit(program.readAllStandardError())));
    QVERIFY2(reviewed, qPrintable(seen + QString::fromLocal8Bit(program.readAllStandardError())));

    const QStringList lines = seen.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Storing answers is refused with the read-only sentence, naming the file's folder.
    const QStringList messages = lines.filter(QRegularExpression(QStringLiteral("^message: ")));
    QVERIFY2(!messages.isEmpty() && messages[0].contains(QStringLiteral("فقط خواندني")) &&
                 messages[0].contains(db.dir()),
             qPrintable(seen));
    if (repairAwaiting) {
        QCOMPARE(messages.size(), 2);
        QVERIFY2(messages[1].contains(QStringLiteral(": 12.")), qPrintable(messages[1]));
    } else {
        QCOMPARE(messages.size(), 1);
    }
    QVERIFY2(lines.contains(QStringLiteral("test off")) && lines.contains(QStringLiteral("review on")),
             qPrintable(seen));
    QVERIFY2(lines.contains(QStringLiteral("search rows: %1").arg(repairAwaiting ? 3 : 2)), qPrintable(seen));
    QVERIFY2(lines.contains(QStringLiteral("name: خانم مينا کريمي")), qPrintable(seen));
    QVERIFY2(lines.contains(QStringLiteral("pages: 2")), qPrintable(seen));
    // Nothing was written, no permission changed, no upgrade copy or repair made.
    QCOMPARE(fileBytes(file), bytes);
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                        QFile::ExeOther;
    QCOMPARE(QFile::permissions(file) & modeBits,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QVERIFY(QFile::setPermissions(db.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QTEST_GUILESS_MAIN(tst_ReadOnlyArchive)
#include "tst_ReadOnlyArchive.moc"
