#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "dialogs/AppFonts.h"
#include "dialogs/MessageFrm.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

class tst_AboutForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void closes_data();
    void closes();
    void placedOverTheMainWindowOnce();
    void textsFitTheirLabels();
    void screenshot();

private:
    TfrmMain* m_main = nullptr;
};

void tst_AboutForm::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    m_main = new TfrmMain;
    frmMain = m_main;
    frmAbout = new TfrmAbout;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
}

void tst_AboutForm::cleanupTestCase()
{
    delete frmAbout;
    delete m_main;
}

void tst_AboutForm::closes_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Return button") << "return";
    QTest::newRow("close box") << "close box";
}

void tst_AboutForm::closes()
{
    QFETCH(QString, how);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = frmAbout->isVisible();
        QTimer::singleShot(5000, [] { frmAbout->done(QDialog::Rejected); }); // never hang the suite
        if (how == QLatin1String("return")) {
            QTest::mouseClick(frmAbout->findChild<QPushButton*>(QStringLiteral("btReturn")), Qt::LeftButton);
        } else {
            QCloseEvent event;
            QApplication::sendEvent(frmAbout->windowHandle(), &event);
        }
    });
    QElapsedTimer timer;
    timer.start();
    m_main->findChild<QAction*>(QStringLiteral("N7"))->trigger();
    QVERIFY(shown);
    QVERIFY(!frmAbout->isVisible());
    QVERIFY(timer.elapsed() < 4000);
}

void tst_AboutForm::placedOverTheMainWindowOnce()
{
    TfrmAbout about;
    QPoint first, moved, second;
    QTimer::singleShot(0, [&] {
        first = about.geometry().center();
        about.move(about.pos() + QPoint(-40, 30));
        moved = about.pos();
        about.close();
    });
    about.exec();
    QTimer::singleShot(0, [&] {
        second = about.pos();
        about.close();
    });
    about.exec();
    QVERIFY((first - m_main->geometry().center()).manhattanLength() <= 2);
    QCOMPARE(second, moved);
    QCOMPARE(about.size(), QSize(453, 147));
    // A tool window whose only caption button is the close box.
    const Qt::WindowFlags flags = about.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
}

void tst_AboutForm::textsFitTheirLabels()
{
    frmAbout->show();
    const QRect client = frmAbout->rect();
    const auto labels = frmAbout->findChildren<QLabel*>();
    QVERIFY(labels.size() >= 6);
    for (QLabel* label : labels) {
        const QRect needed = QFontMetrics(label->font())
                                 .boundingRect(QRect(QPoint(), label->size()), int(label->alignment()), label->text());
        QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                 qPrintable(label->objectName()));
        // The layout lets one label's box overhang the bottom edge by a pixel; its text must not.
        const QRect drawn =
            QStyle::alignedRect(label->layoutDirection(), label->alignment(), needed.size(), label->geometry());
        QVERIFY2(client.contains(drawn), qPrintable(label->objectName()));
    }
    frmAbout->close();
}

void tst_AboutForm::screenshot()
{
    QString path;
    QTimer::singleShot(0, [&] {
        path = saveScreenshot(frmAbout, QStringLiteral("about-box"));
        frmAbout->close();
    });
    frmAbout->exec();
    QVERIFY(!path.isEmpty());
}

QTEST_MAIN(tst_AboutForm)
#include "tst_AboutForm.moc"
