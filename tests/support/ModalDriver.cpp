#include "tests/support/ModalDriver.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

// Ends a modal showing whatever the window thinks of it (the message dialog refuses an unanswered close).
void forceClose(QWidget* modal)
{
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->done(QDialog::Rejected);
    else
        modal->hide();
}

} // namespace

void driveModal(const std::function<void()>& openModal, const std::function<void(QWidget* modal)>& interact,
                int timeoutMs)
{
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    QPointer<QWidget> modal;
    bool timedOut = false;
    bool interacted = false;

    QTimer poll;
    poll.setInterval(10);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (modal && modal->isVisible()) {
            timedOut = true;
            forceClose(modal);
        }
    });
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* active = QApplication::activeModalWidget();
        if (!active || active == before || !active->isVisible())
            return;
        poll.stop();
        modal = active;
        watchdog.start(timeoutMs);
        modal->activateWindow();
        if (!QTest::qWaitForWindowActive(modal))
            qWarning("driveModal: the modal window did not become active");
        interacted = true;
        interact(modal);
        // A failed check inside `interact` leaves the window open: end it now rather than at the time-out.
        if (QTest::currentTestFailed() && modal && modal->isVisible())
            forceClose(modal);
    });
    poll.start();
    openModal();
    poll.stop();
    watchdog.stop();

    if (!interacted)
        QFAIL("driveModal: no modal window was opened");
    if (timedOut)
        QFAIL("driveModal: the modal window was still open at the time-out and was closed by force");
}
