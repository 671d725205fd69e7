#include "dialogs/WindowPlacement.h"

#include "dialogs/WindowGeometry.h"

#include <QMainWindow>
#include <QShowEvent>
#include <QWidget>

void WindowPlacement::place(QWidget* window, const QShowEvent* event)
{
    if (event && event->spontaneous())
        return;
    if (m_placement == Placement::CentredFirstShow && m_placed)
        return;
    // A main window is centred on its screen; every other window on the main window.
    const bool isMainWindow = qobject_cast<QMainWindow*>(window) != nullptr;
    centreWindowOver(window, isMainWindow ? nullptr : applicationMainWindow());
    m_placed = true;
}
