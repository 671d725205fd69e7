#include "controls/ShDateCtrls.h"
#include "dialogs/KeyRule.h"
#include "dialogs/NumericEdit.h"
#include "tests/support/HostWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// A small window built from the kit, shaped like the test window's registration row: boxes, a list, the date
// picker and two buttons, the first of which Qt would make the default (the fault the rule is there for).
struct KitWindow
{
    KitWindow()
    {
        dialog.setObjectName(QStringLiteral("kitWindow"));
        dialog.setLayoutDirection(Qt::RightToLeft);
        edFileNo = add<NumericEdit>("edFileNo", 0);
        edDate = new TExShDatePicker(&dialog);
        edDate->setObjectName(QStringLiteral("edDate"));
        edDate->setGeometry(10, 40, 121, 22);
        applyWindowPickerSettings(edDate);
        edFName = add<QLineEdit>("edFName", 2);
        cbGender = add<QComboBox>("cbGender", 3);
        cbGender->addItems({QStringLiteral("مونت"), QStringLiteral("مذکر")});
        btStart = add<QPushButton>("btStart", 4);
        btStart->setDefault(true);
        btCancel = add<QPushButton>("btCancel", 5);
        dialog.resize(200, 220);
        installWindowKeyRule(&dialog);
    }

    template <typename W> W* add(const char* name, int row)
    {
        auto* w = new W(&dialog);
        w->setObjectName(QLatin1String(name));
        w->setGeometry(10, 10 + 30 * row, 120, 24);
        return w;
    }

    bool show()
    {
        dialog.move(100, 100);
        dialog.show();
        dialog.activateWindow();
        return QTest::qWaitForWindowActive(&dialog);
    }

    QDialog dialog;
    NumericEdit* edFileNo;
    TExShDatePicker* edDate;
    QLineEdit* edFName;
    QComboBox* cbGender;
    QPushButton* btStart;
    QPushButton* btCancel;
};

} // namespace

class tst_KeyRule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void keys_data();
    void keys();
    void enterActionReplacesTab();
    void openListKeepsItsEnter();
};

void tst_KeyRule::initTestCase()
{
    QApplication::setLayoutDirection(Qt::RightToLeft);
}

void tst_KeyRule::keys_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<int>("startClicks");
    QTest::addColumn<int>("cancelClicks");

    const int enter = Qt::Key_Return;
    QTest::newRow("Enter in the file number moves on") << "edFileNo" << enter << "edDate" << 0 << 0;
    QTest::newRow("keypad Enter in the file number") << "edFileNo" << int(Qt::Key_Enter) << "edDate" << 0 << 0;
    QTest::newRow("Enter in the date picker moves on") << "edDate" << enter << "edFName" << 0 << 0;
    QTest::newRow("Enter in an edit box moves on") << "edFName" << enter << "cbGender" << 0 << 0;
    QTest::newRow("Enter in a list moves on") << "cbGender" << enter << "btStart" << 0 << 0;
    QTest::newRow("Enter on the focused default button") << "btStart" << enter << "btStart" << 1 << 0;
    QTest::newRow("Enter on another focused button") << "btCancel" << enter << "btCancel" << 0 << 1;
    QTest::newRow("Esc in an edit box") << "edFName" << int(Qt::Key_Escape) << "edFName" << 0 << 0;
    QTest::newRow("Esc on a button") << "btCancel" << int(Qt::Key_Escape) << "btCancel" << 0 << 0;
}

void tst_KeyRule::keys()
{
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(QString, focusAfter);
    QFETCH(int, startClicks);
    QFETCH(int, cancelClicks);

    KitWindow w;
    QVERIFY(w.show());
    QSignalSpy start(w.btStart, &QPushButton::clicked);
    QSignalSpy cancel(w.btCancel, &QPushButton::clicked);
    QSignalSpy rejected(&w.dialog, &QDialog::rejected);
    QSignalSpy accepted(&w.dialog, &QDialog::accepted);
    auto* box = w.dialog.findChild<QWidget*>(focused);
    box->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), box);

    QTest::keyClick(box, Qt::Key(key));
    QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
    QCOMPARE(start.count(), startClicks);
    QCOMPARE(cancel.count(), cancelClicks);
    QVERIFY(w.dialog.isVisible());
    QCOMPARE(rejected.count(), 0);
    QCOMPARE(accepted.count(), 0);
}

void tst_KeyRule::enterActionReplacesTab()
{
    KitWindow w;
    int runs = 0;
    setEnterAction(w.edFName, [&] { ++runs; });
    QVERIFY(w.show());
    QSignalSpy start(w.btStart, &QPushButton::clicked);
    w.edFName->setFocus();
    QTest::keyClick(w.edFName, Qt::Key_Return);
    QCOMPARE(runs, 1);
    QVERIFY(w.edFName->hasFocus());
    QCOMPARE(start.count(), 0);

    setEnterAction(w.edFName, {});
    QTest::keyClick(w.edFName, Qt::Key_Return);
    QCOMPARE(runs, 1);
    QVERIFY(w.cbGender->hasFocus());
}

void tst_KeyRule::openListKeepsItsEnter()
{
    KitWindow w;
    QVERIFY(w.show());
    QSignalSpy start(w.btStart, &QPushButton::clicked);
    w.cbGender->setFocus();
    w.cbGender->showPopup();
    QTRY_VERIFY(QApplication::activePopupWidget());
    QWidget* items = w.cbGender->view();
    QTest::keyClick(items, Qt::Key_Down);
    QTest::keyClick(items, Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(w.cbGender->currentIndex(), 1);
    QVERIFY(w.cbGender->hasFocus());
    QCOMPARE(start.count(), 0);
}

QTEST_MAIN(tst_KeyRule)
#include "tst_KeyRule.moc"
