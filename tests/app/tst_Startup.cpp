#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "data/DataModule.h"
#include "data/Schema.h"
#include "dialogs/MessageFrm.h"
#include "results/ResultForm.h"
#include "results/SearchForm.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/Screenshot.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowsExistHiddenUntilTheMainWindowShows();
    void exitQuestionOverTheRunningProgram();
    void globalsAreClearedWithTheWindows();
    void firstShowingConnectsInTheWorkingDirectory_data();
    void firstShowingConnectsInTheWorkingDirectory();
    void missingDatabaseIsReportedInTheRealDialog();

private:
    std::unique_ptr<ApplicationWindows> m_windows;
    QTemporaryDir m_workingFolder;
    QString m_previousFolder;
};

void tst_Startup::initTestCase()
{
    // The program runs where its database is: the main window connects when it is first shown.
    QVERIFY(m_workingFolder.isValid());
    Schema::createDatabaseFile(QDir(m_workingFolder.path()).filePath(QStringLiteral("Ravlen.mdb")));
    m_previousFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_workingFolder.path()));
}

void tst_Startup::cleanupTestCase()
{
    QDir::setCurrent(m_previousFolder);
}

void tst_Startup::windowsExistHiddenUntilTheMainWindowShows()
{
    prepareApplication();
    m_windows = std::make_unique<ApplicationWindows>();
    QVERIFY(frmMain && frmMessage && frmResult && frmSearch && frmAbout);
    QCOMPARE(frmMain, m_windows->main.get());
    QCOMPARE(frmResult, m_windows->result.get());
    QCOMPARE(frmSearch, m_windows->search.get());
    for (QWidget* window :
         {static_cast<QWidget*>(frmMain), static_cast<QWidget*>(frmMessage), static_cast<QWidget*>(frmResult),
          static_cast<QWidget*>(frmSearch), static_cast<QWidget*>(frmAbout)})
        QVERIFY(!window->isVisible());
    frmMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmMain));
    QCOMPARE(QApplication::layoutDirection(), Qt::RightToLeft);
    QVERIFY(Data && Data->tbProfiles.isActive());
}

void tst_Startup::exitQuestionOverTheRunningProgram()
{
    // The program's own settings (style, fonts) as the operator sees them.
    QString path;
    QPoint offset;
    QTimer::singleShot(0, [&] {
        path = saveScreenshot(frmMessage, QStringLiteral("program-exit-question"));
        offset = frmMessage->geometry().center() - frmMain->geometry().center();
        QTest::mouseClick(frmMessage->findChild<QPushButton*>(QStringLiteral("btKey2")), Qt::LeftButton);
    });
    frmMain->close();
    QVERIFY(frmMain->isVisible());
    QVERIFY(!path.isEmpty());
    // The first message is centred over the main window.
    QVERIFY(offset.manhattanLength() <= 2);
}

void tst_Startup::globalsAreClearedWithTheWindows()
{
    // A set of windows of its own, so the check means the same whatever ran before it.
    m_windows.reset();
    auto windows = std::make_unique<ApplicationWindows>();
    QVERIFY(frmMain && frmMessage && frmResult && frmSearch && frmAbout && Data);
    windows.reset();
    QVERIFY(!frmMain);
    QVERIFY(!frmMessage);
    QVERIFY(!frmResult);
    QVERIFY(!frmSearch);
    QVERIFY(!frmAbout);
    QVERIFY(!Data);
}

void tst_Startup::firstShowingConnectsInTheWorkingDirectory_data()
{
    QTest::addColumn<QString>("workingFile"); // what lies in the working directory under "Ravlen.mdb"
    QTest::addColumn<bool>("connected");
    QTest::newRow("database file") << "database" << true;
    QTest::newRow("no file (one beside the program does not count)") << "none" << false;
    QTest::newRow("a text file under the name") << "text" << false;
}

void tst_Startup::firstShowingConnectsInTheWorkingDirectory()
{
    QFETCH(QString, workingFile);
    QFETCH(bool, connected);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString fileName = QDir(folder.path()).filePath(QStringLiteral("Ravlen.mdb"));
    if (workingFile == QLatin1String("database")) {
        Schema::createDatabaseFile(fileName);
    } else if (workingFile == QLatin1String("text")) {
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a database\n");
    }
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));

    SysMessageSeam::clearCalls();
    SysMessageSeam::setNextAnswers({1, 1});
    {
        ApplicationWindows windows;
        frmMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(frmMain));
        QVERIFY(frmMain->isVisible());
        QCOMPARE(Data->tbProfiles.isActive(), connected);
        // A failed connection goes to the error report; the main window shows all the same, without the two
        // commands that need the database.
        QCOMPARE(SysMessageSeam::calls().size(), connected ? 0 : 1);
        for (const char* command : {"N2", "N3"})
            QCOMPARE(frmMain->findChild<QAction*>(QLatin1String(command))->isEnabled(), connected);
        if (workingFile == QLatin1String("none")) {
            // The notice names the folder looked in and how to make the file.
            const QString text = SysMessageSeam::calls().constFirst().text;
            QVERIFY2(text.contains(QDir::toNativeSeparators(folder.path())), qPrintable(text));
            QVERIFY2(text.contains(QLatin1String("ravlen-db create")), qPrintable(text));
        }
        SysMessageSeam::setNextAnswer(1);
    }
    SysMessageSeam::clearAnswers();
    QDir::setCurrent(previous);
}

// What the counsellor sees when the program starts in a folder without its database.
void tst_Startup::missingDatabaseIsReportedInTheRealDialog()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    SysMessageSeam::clearAnswers();
    {
        ApplicationWindows windows;
        QString shown;
        driveModal([] { frmMain->show(); },
                   [&](QWidget* modal) {
                       shown = modal->findChild<QLabel*>(QStringLiteral("msgText"))->text();
                       QVERIFY(!saveScreenshot(modal, QStringLiteral("missing-database-report")).isEmpty());
                       QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("btKey1")), Qt::LeftButton);
                   });
        QVERIFY(!QTest::currentTestFailed());
        const QStringList lines = shown.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains(QDir::toNativeSeparators(folder.path())), qPrintable(shown));
        QVERIFY2(lines[0].contains(QLatin1String("ravlen-db create")), qPrintable(shown));
        QVERIFY2(lines[1].contains(QLatin1String("does not exist")), qPrintable(shown)); // the detail, for support
        QVERIFY(frmMain->isVisible());
        QVERIFY(!frmMain->findChild<QAction*>(QStringLiteral("N2"))->isEnabled());
        SysMessageSeam::setNextAnswer(1);
    }
    SysMessageSeam::clearAnswers();
    QDir::setCurrent(previous);
}

QTEST_MAIN(tst_Startup)
#include "tst_Startup.moc"
