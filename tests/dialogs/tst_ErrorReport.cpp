#include "dialogs/ErrorReport.h"
#include "dialogs/MessageFrm.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <functional>
#include <stdexcept>

namespace {

class Failing : public QWidget
{
public:
    int clicks = 0;
    void btGoClick()
    {
        ++clicks;
        throw std::runtime_error("جدول Profiles باز نشد");
    }
};

} // namespace

class tst_ErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void guardedReports_data();
    void guardedReports();
    void handlerErrorLeavesTheWindowOpen();
};

void tst_ErrorReport::init()
{
    SysMessageSeam::clearAnswers();
    SysMessageSeam::clearCalls();
}

void tst_ErrorReport::guardedReports_data()
{
    QTest::addColumn<std::function<void()>>("handler");
    QTest::addColumn<bool>("completes");
    QTest::addColumn<QString>("reported"); // empty: nothing reported

    QTest::newRow("no error") << std::function<void()>([] {}) << true << QString();
    QTest::newRow("standard exception, Persian text")
        << std::function<void()>([] { throw std::runtime_error("فايل Ravlen.mdb پيدا نشد"); }) << false
        << QStringLiteral("فايل Ravlen.mdb پيدا نشد");
    QTest::newRow("exception without text")
        << std::function<void()>([] { throw std::runtime_error(""); }) << false << QStringLiteral("خطاي ناشناخته");
    QTest::newRow("not a standard exception")
        << std::function<void()>([] { throw 42; }) << false << QStringLiteral("خطاي ناشناخته");
}

void tst_ErrorReport::guardedReports()
{
    QFETCH(std::function<void()>, handler);
    QFETCH(bool, completes);
    QFETCH(QString, reported);

    SysMessageSeam::setNextAnswer(1);
    QCOMPARE(guarded(handler), completes);
    const auto calls = SysMessageSeam::calls();
    if (reported.isEmpty()) {
        QVERIFY(calls.isEmpty());
        return;
    }
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].text, reported);
    QCOMPARE(calls[0].buttons, 0);
    QCOMPARE(calls[0].icon, 2);
}

void tst_ErrorReport::handlerErrorLeavesTheWindowOpen()
{
    Failing window;
    auto* button = new QPushButton(QStringLiteral("برو"), &window);
    QObject::connect(button, &QPushButton::clicked, &window, guardedSlot(&window, &Failing::btGoClick));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SysMessageSeam::setNextAnswers({1, 1});
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window.clicks, 2);
    QVERIFY(window.isVisible());
    QCOMPARE(SysMessageSeam::calls().size(), 2);
    QCOMPARE(SysMessageSeam::calls().last().text, QStringLiteral("جدول Profiles باز نشد"));
}

QTEST_MAIN(tst_ErrorReport)
#include "tst_ErrorReport.moc"
