// The built program ended from outside in the middle of a test, as a logout or a closed terminal ends it: a
// driver loaded into it (program_driver) registers a participant and answers five items through the windows,
// then the suite sends the signal.

#include "tests/app/DrivenProgram.h"
#include "tests/support/PlainCopy.h"
#include "tests/support/TempRavlenDb.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

// What a copy of Ravlen.mdb alone, taken now, holds of file number 7's first five answers.
QStringList answersInPlainCopy(const QString& folder)
{
    const QString file = QDir(folder).filePath(QStringLiteral("Ravlen.mdb"));
    const QString table =
        firstColumnOfPlainCopy(file, QStringLiteral("SELECT QTable FROM Profiles WHERE FileNo = 7")).value(0);
    if (table.isEmpty())
        return {};
    return firstColumnOfPlainCopy(file, QStringLiteral("SELECT Answer FROM %1 WHERE Row <= 5 ORDER BY Row").arg(table));
}

} // namespace

class tst_ProgramEnd : public QObject
{
    Q_OBJECT

private slots:
    void signalMidTestLeavesEveryAnswerInTheFile_data();
    void signalMidTestLeavesEveryAnswerInTheFile();
};

void tst_ProgramEnd::signalMidTestLeavesEveryAnswerInTheFile_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM (logout, shutdown)") << int(SIGTERM);
    QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
}

void tst_ProgramEnd::signalMidTestLeavesEveryAnswerInTheFile()
{
    QFETCH(int, signalNumber);
    if (TempRavlenDb::onServer())
        QSKIP("the side log belongs to the database file");
    const TempRavlenDb db;
    QProcess program;
    QProcessEnvironment env = drivenProgramEnvironment(QStringLiteral(PROGRAM_DRIVER));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(db.dir());
    program.start(QStringLiteral(RAVLEN_EXE), {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    QByteArray out;
    while (!out.contains("answered 5") && program.waitForReadyRead(60000))
        out += program.readAllStandardOutput();
    QVERIFY2(out.contains("answered 5"), program.readAllStandardError().constData());
    // Mid-test the answers wait in the side log: the file alone does not even hold the participant yet.
    QCOMPARE(answersInPlainCopy(db.dir()), QStringList());

    ::kill(pid_t(program.processId()), signalNumber);
    // An exit question would wait for an answer nobody gives.
    QVERIFY2(program.waitForFinished(30000), "the program did not end");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(answersInPlainCopy(db.dir()), (QStringList{"5", "4", "3", "2", "1"}));
}

QTEST_GUILESS_MAIN(tst_ProgramEnd)
#include "tst_ProgramEnd.moc"
