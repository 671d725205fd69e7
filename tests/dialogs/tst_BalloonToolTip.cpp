#include "dialogs/AppFonts.h"
#include "dialogs/BalloonToolTip.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

class tst_BalloonToolTip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void balloonTakesTheToolTip_data();
    void balloonTakesTheToolTip();
    void clickHidesTheBalloon();

private:
    QWidget* m_window = nullptr;
};

void tst_BalloonToolTip::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
    registerApplicationFonts();
    installBalloonToolTips();

    m_window = new QWidget;
    m_window->setToolTip(QStringLiteral("پنجره"));
    auto* layout = new QVBoxLayout(m_window);
    auto* shortTip = new QLineEdit(m_window);
    shortTip->setObjectName(QStringLiteral("short"));
    shortTip->setToolTip(QStringLiteral("شماره پرونده"));
    auto* longTip = new QLineEdit(m_window);
    longTip->setObjectName(QStringLiteral("long"));
    longTip->setToolTip(QStringLiteral("شماره پرونده آزمودني را بنويسيد و با کليد F1 پرونده را در فهرست "
                                       "آزمودني ها جستجو کنيد؛ با ترک اين کادر پرونده در پايگاه داده "
                                       "يافته مي شود."));
    auto* none = new QLineEdit(m_window);
    none->setObjectName(QStringLiteral("none"));
    layout->addWidget(shortTip);
    layout->addWidget(longTip);
    layout->addWidget(none);
    m_window->resize(300, 120);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void tst_BalloonToolTip::cleanup()
{
    BalloonToolTip::instance()->hideText();
}

void tst_BalloonToolTip::balloonTakesTheToolTip_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("tipOf");
    QTest::addColumn<bool>("wraps");
    QTest::newRow("short text, one line") << "short"
                                          << "short" << false;
    QTest::newRow("long text wraps at 250 px") << "long"
                                               << "long" << true;
    QTest::newRow("no tooltip: the parent's") << "none"
                                              << "" << false;
}

void tst_BalloonToolTip::balloonTakesTheToolTip()
{
    QFETCH(QString, widget);
    QFETCH(QString, tipOf);
    QFETCH(bool, wraps);

    auto* target = m_window->findChild<QWidget*>(widget);
    const QWidget* owner = tipOf.isEmpty() ? m_window : m_window->findChild<QWidget*>(tipOf);
    const QPoint local(10, 5);
    QHelpEvent event(QEvent::ToolTip, local, target->mapToGlobal(local));
    QApplication::sendEvent(target, &event);

    BalloonToolTip* balloon = BalloonToolTip::instance();
    QVERIFY(balloon->isVisible());
    QCOMPARE(balloon->text(), owner->toolTip());
    const QFontMetrics metrics(balloon->font());
    const QRect text = balloon->textRect();
    // Text wraps at a width of 250 pixels.
    const int wrapWidth = 250;
    QVERIFY(text.width() <= wrapWidth);
    QVERIFY(balloon->rect().contains(text));
    if (wraps) {
        QVERIFY(text.height() >= 2 * metrics.lineSpacing());
        QVERIFY(text.width() > wrapWidth - 60);
    } else {
        QVERIFY(text.height() < 2 * metrics.lineSpacing());
    }
    // The pointer reaches down towards the mouse, the balloon lies below it.
    QVERIFY(balloon->geometry().top() > event.globalPos().y());
    saveScreenshot(balloon, QStringLiteral("balloon-") + widget);
}

void tst_BalloonToolTip::clickHidesTheBalloon()
{
    auto* target = m_window->findChild<QWidget*>(QStringLiteral("short"));
    QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &event);
    QVERIFY(BalloonToolTip::instance()->isVisible());
    QTest::mouseClick(target, Qt::LeftButton);
    QVERIFY(!BalloonToolTip::instance()->isVisible());
}

QTEST_MAIN(tst_BalloonToolTip)
#include "tst_BalloonToolTip.moc"
