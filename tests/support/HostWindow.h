#pragma once

#include <QLineEdit>
#include <QMainWindow>
#include <QPoint>
#include <QSize>

// A stand-in for the program's main window: the window dialogs centre over and hold their modality against,
// and a place to put a control under test beside an ordinary edit (`other`) that can take the focus away.
// Controls go onto client(); the window's client area has the given size.
class HostWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit HostWindow(Qt::LayoutDirection direction = Qt::RightToLeft, const QSize& clientSize = QSize(640, 480));

    QWidget* client() const { return m_client; }
    QLineEdit* other() const { return m_other; }

    // Sizes the client area.
    void setClientSize(const QSize& size);

    // Moves the window to `at`, shows it and makes it the active window; false when it did not become active.
    bool showActive(const QPoint& at = QPoint(100, 100));

private:
    QWidget* m_client;
    QLineEdit* m_other;
};
