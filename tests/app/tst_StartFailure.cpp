// The menu entry's launcher when it cannot prepare the data folder or the database file: the reason appears in
// the program's message window, in Persian, instead of only on a standard error nobody sees.
#include "app/StartFailure.h"
#include "dialogs/MessageFrm.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Screenshot.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A folder the launcher cannot create even as root: its parent is a plain file.
QString folderUnderAFile(const QTemporaryDir& dir)
{
    QFile file(dir.filePath(QStringLiteral("plain-file")));
    file.open(QIODevice::WriteOnly);
    return dir.filePath(QStringLiteral("plain-file/Ravlen"));
}

// A data folder where Ravlen.mdb cannot be created: the name is taken by a link to nowhere.
QString folderWithABrokenDatabaseName(const QTemporaryDir& dir)
{
    const QString folder = dir.filePath(QStringLiteral("Ravlen"));
    QDir().mkpath(folder);
    QFile::link(dir.filePath(QStringLiteral("gone.mdb")), QDir(folder).filePath(QStringLiteral("Ravlen.mdb")));
    return folder;
}

// An X server of its own for the launched program, on the first free display.
class XServer
{
public:
    XServer()
    {
        m_server.setProcessChannelMode(QProcess::SeparateChannels);
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                                QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1024x768x24")});
        if (!m_server.waitForStarted(10000))
            return;
        const QDeadlineTimer deadline(10000);
        while (!m_server.canReadLine() && !deadline.hasExpired())
            m_server.waitForReadyRead(100);
        const QByteArray number = m_server.readLine().trimmed();
        if (!number.isEmpty())
            m_display = QStringLiteral(":") + QString::fromLatin1(number);
    }
    ~XServer()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    QString display() const { return m_display; }

    // The names and sizes of the windows on the server, one per line.
    QString windows() const
    {
        QProcess info;
        info.start(QStringLiteral("xwininfo"), {QStringLiteral("-display"), m_display, QStringLiteral("-root"),
                                                QStringLiteral("-tree")});
        info.waitForFinished(10000);
        return QString::fromUtf8(info.readAllStandardOutput());
    }

private:
    QProcess m_server;
    QString m_display;
};

// The data folder for a step the launcher fails at.
QString folderFailingAt(const QString& step, const QTemporaryDir& dir)
{
    return step == QLatin1String("folder") ? folderUnderAFile(dir) : folderWithABrokenDatabaseName(dir);
}

} // namespace

class tst_StartFailure : public QObject
{
    Q_OBJECT

private slots:
    void launcherShowsAWindow_data();
    void launcherShowsAWindow();
    void windowSaysWhatFailedAndWhatToDo_data();
    void windowSaysWhatFailedAndWhatToDo();

private:
    void addCauses();
};

void tst_StartFailure::addCauses()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("reason"); // what the failing command says
    QTest::newRow("folder cannot be made") << QStringLiteral("folder") << QStringLiteral("Not a directory");
    QTest::newRow("database cannot be made") << QStringLiteral("database") << QStringLiteral("already exists");
}

void tst_StartFailure::launcherShowsAWindow_data()
{
    addCauses();
}

// The installed launcher, run as the menu entry runs it, on an X server: a window of the program appears and
// stays until the counsellor closes it; the reason also goes to standard error.
void tst_StartFailure::launcherShowsAWindow()
{
    QFETCH(QString, step);
    QFETCH(QString, reason);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
        QSKIP("Xvfb and xwininfo (x11-utils) are needed to see the window");
    QTemporaryDir dir;
    const QString home = folderFailingAt(step, dir);
    const XServer x;
    QVERIFY2(!x.display().isEmpty(), "Xvfb did not start");

    QProcess launcher;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RAVLEN_HOME"), home);
    env.insert(QStringLiteral("DISPLAY"), x.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // The X keyboard library reads a name that is not zero-terminated with strndup, which the sanitizer's strict
    // string check reports in the sanitizer build; the program's own code keeps every other check.
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":strict_string_checks=0"));
    env.insert(QStringLiteral("PATH"), QFileInfo(QStringLiteral(RAVLEN_EXE)).absolutePath() + QLatin1Char(':') +
                                           QFileInfo(QStringLiteral(RAVLEN_DB_EXE)).absolutePath() +
                                           QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    launcher.setProcessEnvironment(env);
    launcher.start(QStringLiteral("sh"), {QStringLiteral(RAVLEN_SOURCE_DIR "/packaging/ravlen-start")});
    QVERIFY(launcher.waitForStarted(10000));

    // The message window: the program's top-level window with the dialog's size, mapped on the screen.
    const QRegularExpression dialog(QStringLiteral("\\(\"ravlen\" \"[^\"]*\"\\)\\s+(\\d+)x(\\d+)\\+"));
    QString windows;
    bool shown = false;
    const QDeadlineTimer deadline(30000);
    while (!shown && !deadline.hasExpired() && launcher.state() == QProcess::Running) {
        launcher.waitForFinished(200);
        windows = x.windows();
        for (const QRegularExpressionMatch& m : dialog.globalMatch(windows))
            shown = shown || (m.captured(1).toInt() >= 300 && m.captured(2).toInt() >= 100);
    }
    const bool waiting = launcher.state() == QProcess::Running; // for the counsellor to close the window
    launcher.kill();
    launcher.waitForFinished(5000);
    const QString err = QString::fromUtf8(launcher.readAllStandardError());
    QVERIFY2(shown, qPrintable(windows + err));
    QVERIFY(waiting);
    QVERIFY2(err.contains(reason), qPrintable(err));
}

void tst_StartFailure::windowSaysWhatFailedAndWhatToDo_data()
{
    addCauses();
}

// What the window shows for the arguments the launcher passes: the Persian sentence naming the folder and what
// to do, then the failing command's own words.
void tst_StartFailure::windowSaysWhatFailedAndWhatToDo()
{
    QFETCH(QString, step);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString home = folderFailingAt(step, dir);
    const std::optional<StartFailure> failure = StartFailure::fromArguments(
        {QStringLiteral("ravlen"), QStringLiteral("--start-failed"), step, home, QStringLiteral("because: ") + reason});
    QVERIFY(failure);
    QString shown;
    int status = 0;
    driveModal([&] { status = showStartFailure(*failure); },
               [&](QWidget* modal) {
                   shown = modal->findChild<QLabel*>(QStringLiteral("msgText"))->text();
                   QVERIFY(!saveScreenshot(modal, QStringLiteral("start-failure-") + step).isEmpty());
                   QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btKey1")), Qt::LeftButton);
               });
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(status, 1);
    const QStringList lines = shown.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].contains(QStringLiteral("برنامه اجرا نشد")) && lines[0].contains(home), qPrintable(shown));
    QCOMPARE(lines[0].contains(QLatin1String("RAVLEN_HOME")), step == QLatin1String("folder"));
    QCOMPARE(lines[0].contains(QLatin1String("Ravlen.mdb")), step == QLatin1String("database"));
    QCOMPARE(lines[1], QStringLiteral("because: ") + reason);
    QVERIFY(!StartFailure::fromArguments({QStringLiteral("ravlen")}));
}

QTEST_MAIN(tst_StartFailure)
#include "tst_StartFailure.moc"
