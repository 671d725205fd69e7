#include "dialogs/WindowPlacement.h"
#include "tests/support/HostWindow.h"

#include <QApplication>
#include <QDialog>
#include <QShowEvent>
#include <QTest>

namespace {

class PlacedDialog : public QDialog
{
public:
    explicit PlacedDialog(Placement placement) : m_placement(placement) { resize(300, 120); }

protected:
    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        m_placement.place(this, event);
    }

private:
    WindowPlacement m_placement;
};

bool showAndWait(QWidget* window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window);
}

} // namespace

class tst_WindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void laterShowings_data();
    void laterShowings();
    void mainWindowCentresOnItsScreen();
};

void tst_WindowPlacement::laterShowings_data()
{
    QTest::addColumn<Placement>("placement");
    QTest::addColumn<bool>("centredAgain");
    QTest::newRow("centred at every showing") << Placement::CentredEveryShow << true;
    QTest::newRow("centred the first time only") << Placement::CentredFirstShow << false;
}

void tst_WindowPlacement::laterShowings()
{
    QFETCH(Placement, placement);
    QFETCH(bool, centredAgain);

    HostWindow host(Qt::RightToLeft, QSize(500, 400));
    QVERIFY(host.showActive(QPoint(150, 120)));
    PlacedDialog dialog(placement);
    QVERIFY(showAndWait(&dialog));
    QCOMPARE(dialog.frameGeometry().center(), host.frameGeometry().center());

    // The operator moves it; the next showing either centres it again or leaves it there.
    const QPoint moved = dialog.pos() + QPoint(-90, 60);
    dialog.move(moved);
    dialog.hide();
    // The main window has moved too: "centred" follows it.
    host.move(host.pos() + QPoint(40, 30));
    QVERIFY(showAndWait(&dialog));
    if (centredAgain)
        QCOMPARE(dialog.frameGeometry().center(), host.frameGeometry().center());
    else
        QCOMPARE(dialog.pos(), moved);
}

void tst_WindowPlacement::mainWindowCentresOnItsScreen()
{
    // A main window has nothing to centre on but its screen, even while another main window is shown.
    HostWindow other;
    QVERIFY(other.showActive(QPoint(0, 0)));
    class PlacedMain : public HostWindow
    {
    protected:
        void showEvent(QShowEvent* event) override
        {
            HostWindow::showEvent(event);
            m_placement.place(this, event);
        }
        WindowPlacement m_placement{Placement::CentredFirstShow};
    } main;
    QVERIFY(showAndWait(&main));
    QCOMPARE(main.frameGeometry().center(), main.screen()->availableGeometry().center());
}

QTEST_MAIN(tst_WindowPlacement)
#include "tst_WindowPlacement.moc"
