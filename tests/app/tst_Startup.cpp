#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "app/Startup.h"
#include "dialogs/MessageFrm.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void windowsExistHiddenUntilTheMainWindowShows();
    void exitQuestionOverTheRunningProgram();
    void globalsAreClearedWithTheWindows();

private:
    std::unique_ptr<ApplicationWindows> m_windows;
};

void tst_Startup::windowsExistHiddenUntilTheMainWindowShows()
{
    prepareApplication();
    m_windows = std::make_unique<ApplicationWindows>();
    QVERIFY(frmMain && frmMessage && frmAbout);
    QCOMPARE(frmMain, m_windows->main.get());
    for (QWidget* window :
         {static_cast<QWidget*>(frmMain), static_cast<QWidget*>(frmMessage), static_cast<QWidget*>(frmAbout)})
        QVERIFY(!window->isVisible());
    frmMain->show();
    QVERIFY(QTest::qWaitForWindowExposed(frmMain));
    QCOMPARE(QApplication::layoutDirection(), Qt::RightToLeft);
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
    m_windows.reset();
    QVERIFY(!frmMain);
    QVERIFY(!frmMessage);
    QVERIFY(!frmAbout);
}

QTEST_MAIN(tst_Startup)
#include "tst_Startup.moc"
