// A suite that must fail: it leaves a modal dialog open, so driveModal has to close it at the time-out and
// fail the test instead of hanging. tst_TestSupport runs it as a process of its own and reads the verdict.
#include "tests/support/ModalDriver.h"

#include <QDialog>
#include <QTest>

class modal_probe : public QObject
{
    Q_OBJECT

private slots:
    void leftOpen()
    {
        QDialog dialog;
        driveModal([&] { dialog.exec(); }, [](QWidget*) {}, 300);
    }
    void neverOpened()
    {
        driveModal([] {}, [](QWidget*) {}, 300);
    }
};

QTEST_MAIN(modal_probe)
#include "modal_probe.moc"
