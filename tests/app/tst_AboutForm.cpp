#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "dialogs/AppFonts.h"
#include "dialogs/MessageFrm.h"
#include "tests/support/Pixels.h"
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
    void designTexts_data();
    void designTexts();
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

void tst_AboutForm::designTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text"); // empty: the wording is ours, only it must be there
    QTest::newRow("caption") << "TfrmAbout" << QStringLiteral("درباره نرمافزار");
    QTest::newRow("title") << "RzLabel1" << QStringLiteral("نرم افزار تست هوش هيجاني");
    QTest::newRow("Latin name") << "RzLabel2" << QString();
    QTest::newRow("edition") << "RzLabel3" << QStringLiteral("نسخه اول");
    QTest::newRow("revision") << "RzLabel5" << QStringLiteral("Rev 1.11.2.19");
    QTest::newRow("red credits") << "RzLabel6" << QString();
    QTest::newRow("raised credits") << "RzLabel4" << QString();
    QTest::newRow("Return button") << "btReturn" << QStringLiteral("بازگشت");
}

void tst_AboutForm::designTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QString shown;
    if (name == QLatin1String("TfrmAbout"))
        shown = frmAbout->windowTitle();
    else if (auto* label = frmAbout->findChild<QLabel*>(name))
        shown = label->text();
    else if (auto* button = frmAbout->findChild<QPushButton*>(name))
        shown = button->text();
    if (text.isEmpty())
        QVERIFY2(shown.trimmed().size() > 3, qPrintable(name));
    else
        QCOMPARE(shown, text);
}

void tst_AboutForm::screenshot()
{
    QImage picture;
    QTimer::singleShot(0, [&] {
        picture = frmAbout->grab().toImage();
        frmAbout->close();
    });
    frmAbout->exec();
    QVERIFY(!saveScreenshot(picture, QStringLiteral("about-box")).isEmpty());

    // Every label's text is drawn whole, in its own colour, inside the box.
    for (QLabel* label : frmAbout->findChildren<QLabel*>()) {
        const QColor colour = label->palette().color(QPalette::WindowText);
        const QRect ink = inkBounds(picture.copy(label->geometry()), closeTo(colour, 60));
        int widest = 0;
        for (const QString& line : label->text().split(QLatin1Char('\n')))
            widest = qMax(widest, QFontMetrics(label->font()).horizontalAdvance(line));
        QVERIFY2(ink.width() >= widest * 8 / 10,
                 qPrintable(QStringLiteral("%1: ink %2 of %3").arg(label->objectName()).arg(ink.width()).arg(widest)));
    }
    QCOMPARE(frmAbout->findChild<QLabel*>(QStringLiteral("RzLabel6"))->palette().color(QPalette::WindowText),
             QColor(Qt::red));
    // The gradient runs from the button face at the top to pale green at the bottom.
    QVERIFY(closeTo(QColor(192, 220, 192), 8)(picture.pixelColor(picture.width() / 2, picture.height() - 1)));
    QVERIFY(closeTo(frmAbout->palette().color(QPalette::Button), 8)(picture.pixelColor(picture.width() / 2, 0)));
    // The Return button shows its picture.
    const QRect button = frmAbout->findChild<QPushButton*>(QStringLiteral("btReturn"))->geometry();
    const int coloured = countPixels(picture.copy(button), [](const QColor& c) { return c.hsvSaturation() > 100; });
    QVERIFY2(coloured > 20, qPrintable(QString::number(coloured)));
}

QTEST_MAIN(tst_AboutForm)
#include "tst_AboutForm.moc"
