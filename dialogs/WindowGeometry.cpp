#include "dialogs/WindowGeometry.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

void centreWindowOver(QWidget* window, const QWidget* anchor)
{
    QScreen* screen = anchor ? anchor->screen() : window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QRect area = anchor ? anchor->frameGeometry() : available;
    QRect frame = window->frameGeometry();
    // Before the first showing the frame is not known yet: use the client size.
    if (!window->isVisible())
        frame = QRect(frame.topLeft(), window->size());
    frame.moveCenter(area.center());
    if (available.isValid()) {
        frame.moveRight(qMin(frame.right(), available.right()));
        frame.moveBottom(qMin(frame.bottom(), available.bottom()));
        frame.moveLeft(qMax(frame.left(), available.left()));
        frame.moveTop(qMax(frame.top(), available.top()));
    }
    window->move(frame.topLeft());
}

QWidget* applicationMainWindow()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (qobject_cast<QMainWindow*>(w) && w->isVisible())
            return w;
    }
    return nullptr;
}
