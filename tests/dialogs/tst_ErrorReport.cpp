#include "dialogs/ErrorReport.h"
#include "dialogs/MessageFrm.h"

#include <QApplication>
#include <QComboBox>
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

// Five answer buttons share one handler that needs to know which was pressed; a list passes its index.
class Answers : public QWidget
{
public:
    QList<QPushButton*> pressed;
    QList<int> values;
    QList<int> indexes;

    void AnswerClick(QPushButton* button, int value)
    {
        pressed << button;
        values << value;
        if (value == 0)
            throw std::runtime_error("پاسخ نامعتبر");
    }
    void cbGradeChange(int index) { indexes << index; }
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
    void handlersReceiveBoundValues();
    void handlersReceiveTheSignalsArguments();
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

void tst_ErrorReport::handlersReceiveBoundValues()
{
    Answers window;
    QList<QPushButton*> buttons;
    for (int value = 0; value < 3; ++value) {
        auto* button = new QPushButton(QString::number(value), &window);
        button->move(0, 40 * value);
        QObject::connect(button, &QPushButton::clicked, &window,
                         guardedSlot(&window, &Answers::AnswerClick, button, value));
        buttons << button;
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SysMessageSeam::setNextAnswer(1);
    for (int i : {2, 1, 0})
        QTest::mouseClick(buttons[i], Qt::LeftButton);
    QCOMPARE(window.pressed, (QList<QPushButton*>{buttons[2], buttons[1], buttons[0]}));
    QCOMPARE(window.values, (QList<int>{2, 1, 0}));
    // The value 0 threw: reported, and the window goes on.
    QCOMPARE(SysMessageSeam::calls().size(), 1);
    QCOMPARE(SysMessageSeam::calls()[0].text, QStringLiteral("پاسخ نامعتبر"));
    QVERIFY(window.isVisible());
}

void tst_ErrorReport::handlersReceiveTheSignalsArguments()
{
    Answers window;
    auto* list = new QComboBox(&window);
    list->addItems({QStringLiteral("زير ديپلم"), QStringLiteral("ديپلم"), QStringLiteral("ليسانس")});
    QObject::connect(list, &QComboBox::currentIndexChanged, &window, guardedSlot(&window, &Answers::cbGradeChange));
    list->setCurrentIndex(2);
    list->setCurrentIndex(1);
    QCOMPARE(window.indexes, (QList<int>{2, 1}));
}

QTEST_MAIN(tst_ErrorReport)
#include "tst_ErrorReport.moc"
