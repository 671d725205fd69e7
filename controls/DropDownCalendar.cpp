#include "controls/ExShDatePicker.h"

#include "calendar/Clock.h"

#include <QApplication>
#include <QChildEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

TDropDownCalendar::TDropDownCalendar(TCustomExShDatePicker* picker) : TCustomShMonthCalendar(picker), m_picker(picker)
{
    // A pop-up of its own: a thin frame, no caption, no task-bar entry, above the window that owns the picker.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setLayoutDirection(picker->layoutDirection());
    hide();
    for (QObject* child : findChildren<QObject*>())
        child->installEventFilter(this);
}

// ---- no tooltips --------------------------------------------------------------------------------------------------

bool TDropDownCalendar::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return true;
    return TCustomShMonthCalendar::event(event);
}

bool TDropDownCalendar::eventFilter(QObject* watched, QEvent* event)
{
    // The title's parts would explain themselves in tooltips; over a pop-up they only get in the way.
    if (event->type() == QEvent::ToolTip)
        return true;
    // With the calendar open, digits typed into its year editor type the year.
    if (event->type() == QEvent::KeyPress && watched == YearEditor()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (typesDigits(key)) {
            YearEditor()->TypeDigits(key->text());
            return true;
        }
    }
    if (event->type() == QEvent::ChildAdded) {
        if (QObject* child = static_cast<QChildEvent*>(event)->child())
            child->installEventFilter(this);
    }
    return TCustomShMonthCalendar::eventFilter(watched, event);
}

void TDropDownCalendar::childEvent(QChildEvent* event)
{
    TCustomShMonthCalendar::childEvent(event);
    // Title parts come and go with the options.
    if (event->added() && event->child())
        event->child()->installEventFilter(this);
}

void TDropDownCalendar::paintEvent(QPaintEvent* event)
{
    TCustomShMonthCalendar::paintEvent(event);
    // A single-line frame tells the pop-up from the window under it.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- choosing -----------------------------------------------------------------------------------------------------

bool TDropDownCalendar::isChoosablePress(const QPoint& pos) const
{
    int col = 0, row = 0;
    if (!MouseToCell(pos, col, row))
        return false;
    if (CalendarOptions().testFlag(mcoToday) && row == RowCount() - 1)
        return InRange(std::floor(Clock::today()));
    return SelectCell(col, row);
}

void TDropDownCalendar::closeUp(bool accept)
{
    m_picker->CloseUp(accept);
    m_picker->window()->activateWindow();
    if (m_picker->isVisible())
        m_picker->setFocus(Qt::OtherFocusReason);
}

void TDropDownCalendar::mousePressEvent(QMouseEvent* event)
{
    // While it is open the pop-up receives every press; one outside it closes it without accepting. A press on
    // the picker ends there (it must not open the calendar again); elsewhere it goes on to what lies under it.
    if (!rect().contains(event->position().toPoint())) {
        const QPoint onPicker = m_picker->mapFromGlobal(event->globalPosition().toPoint());
        setAttribute(Qt::WA_NoMouseReplay, m_picker->rect().contains(onPicker));
        event->accept();
        closeUp(false);
        return;
    }
    m_mouseChosen = true;
    m_validChoice = false;
    if (event->button() == Qt::LeftButton)
        m_validChoice = isChoosablePress(event->position().toPoint());
    if (m_picker->CapturedButton() != TCustomExShDatePicker::btnNone)
        m_picker->ReleaseButtons();
    TCustomShMonthCalendar::mousePressEvent(event);
    // The press has made the day current (or gone to today): one click picks it.
    if (event->button() == Qt::LeftButton && m_mouseChosen && m_validChoice && m_picker->DroppedDown())
        closeUp(true);
}

void TDropDownCalendar::mouseMoveEvent(QMouseEvent* event)
{
    // A press on the drop-down button dragged in here ends in the calendar, not on the button.
    if (m_picker->CapturedButton() != TCustomExShDatePicker::btnNone)
        m_picker->ReleaseButtons();
    TCustomShMonthCalendar::mouseMoveEvent(event);
}

void TDropDownCalendar::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_picker->CapturedButton() != TCustomExShDatePicker::btnNone)
        m_picker->ReleaseButtons();
    TCustomShMonthCalendar::mouseReleaseEvent(event);
}

void TDropDownCalendar::keyPressEvent(QKeyEvent* event)
{
    // Keys move within the calendar and never pick a day by themselves.
    m_mouseChosen = false;
    const int key = event->key();
    const bool altArrow = (key == Qt::Key_Up || key == Qt::Key_Down) && (event->modifiers() & Qt::AltModifier);
    if (altArrow && !m_picker->Buttons().testFlag(dpbDropDown)) {
        event->accept();
        return;
    }
    const bool enterOrEscape = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    if (TYearEdit* editor = YearEditor(); enterOrEscape && editor && editor->isVisible()) {
        // The open year editor ends its own edit first.
        QCoreApplication::sendEvent(editor, event);
        event->accept();
        return;
    }
    if (altArrow || enterOrEscape) {
        event->accept();
        closeUp(key != Qt::Key_Escape);
        return;
    }
    if (typesDigits(event)) {
        // Digits belong to the picker's typed entry (or to the open year editor, which the picker hands them to).
        QCoreApplication::sendEvent(m_picker, event);
        event->accept();
        return;
    }
    TCustomShMonthCalendar::keyPressEvent(event);
    // Whatever the calendar leaves alone stays in the pop-up.
    event->accept();
}

// ---- closing ------------------------------------------------------------------------------------------------------

void TDropDownCalendar::YearEditDone(bool accept)
{
    TCustomShMonthCalendar::YearEditDone(accept);
    // The year editor lost the focus to a control outside the pop-up: the calendar never had the focus to lose,
    // so close here as it would have (the picker keeps its day).
    const QWidget* focus = QApplication::focusWidget();
    if (isVisible() && focus && focus != this && !isAncestorOf(focus) && focus != m_picker)
        closeOnFocusLoss();
}

void TDropDownCalendar::closeOnFocusLoss()
{
    m_picker->CloseUp(false);
    if (!m_picker->isVisible() || !m_picker->isEnabled())
        return;
    // A control of the picker's own window that the user clicked or tabbed to keeps the focus.
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus != this && !isAncestorOf(focus) && focus->window() == m_picker->window())
        return;
    // The focus went to another window (another program, a system pop-up): the picker becomes its window's focus
    // widget again, so the keyboard finds it when the user comes back. The window itself is not raised: that
    // would take the focus back from the window the user went to. Only a closed pop-up left as the active window
    // hands the activation back to the picker's window, where it belongs.
    if (QApplication::activeWindow() == this)
        m_picker->window()->activateWindow();
    m_picker->setFocus(Qt::ActiveWindowFocusReason);
}

void TDropDownCalendar::focusOutEvent(QFocusEvent* event)
{
    TCustomShMonthCalendar::focusOutEvent(event);
    if (!isVisible() || event->reason() == Qt::PopupFocusReason)
        return;
    const QWidget* next = QApplication::focusWidget();
    if (next && (next == this || isAncestorOf(next)))
        return;
    if (next == m_picker)
        return;
    closeOnFocusLoss();
}

void TDropDownCalendar::hideEvent(QHideEvent* event)
{
    TCustomShMonthCalendar::hideEvent(event);
    // Hidden by anything but the picker (the application losing the focus, the system closing pop-ups): close
    // without accepting.
    if (m_picker->DroppedDown())
        closeOnFocusLoss();
}
