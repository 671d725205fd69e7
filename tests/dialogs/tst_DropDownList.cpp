#include "dialogs/DropDownList.h"
#include "tests/support/HostWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>

// The windows' drop-down lists driven by keys with their list open, as the operator chooses an entry.
class tst_DropDownList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void downsInTheOpenList_data();
    void downsInTheOpenList();

private:
    HostWindow* m_host = nullptr;
    DropDownList* m_list = nullptr;
};

void tst_DropDownList::initTestCase()
{
    m_host = new HostWindow;
    m_list = new DropDownList(m_host->client());
    m_list->setObjectName(QStringLiteral("cbGrade"));
    m_list->setGeometry(10, 10, 131, 21);
    m_list->addItems({QStringLiteral("زير ديپلم"), QStringLiteral("ديپلم"), QStringLiteral("فوق ديپلم"),
                      QStringLiteral("ليسانس")});
    QVERIFY(m_host->showActive());
}

void tst_DropDownList::cleanupTestCase()
{
    delete m_host;
}

void tst_DropDownList::downsInTheOpenList_data()
{
    QTest::addColumn<int>("before"); // the choice when the list opens, -1 for none
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("marked"); // the entry the open list marks after the Downs, -1 for none
    QTest::newRow("no choice, list only opened") << -1 << 0 << -1;
    QTest::newRow("no choice, first Down: first entry") << -1 << 1 << 0;
    QTest::newRow("no choice, two Downs: second entry") << -1 << 2 << 1;
    QTest::newRow("no choice, Downs stop at the last entry") << -1 << 6 << 3;
    QTest::newRow("a choice made: the list opens on it") << 2 << 0 << 2;
    QTest::newRow("a choice made: Down goes to the next") << 2 << 1 << 3;
}

void tst_DropDownList::downsInTheOpenList()
{
    QFETCH(int, before);
    QFETCH(int, downs);
    QFETCH(int, marked);

    m_list->setCurrentIndex(before);
    m_list->setFocus();
    QTest::keyClick(m_list, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* view = m_list->view();
    QTRY_VERIFY(view->isVisible());
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);

    // The open list shows where it is: the entry Enter would choose is the one marked.
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    QCOMPARE(selected.isEmpty() ? -1 : selected.first().row(), marked);
    // Enter takes the marked entry; with none marked Esc closes the list.
    QTest::keyClick(QApplication::focusWidget(), marked < 0 ? Qt::Key_Escape : Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(m_list->currentIndex(), marked < 0 ? before : marked);
}

QTEST_MAIN(tst_DropDownList)
#include "tst_DropDownList.moc"
