#include "controls/ExShDatePicker.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QWheelEvent>

#include <exception>

namespace {

bool isAltArrow(const QKeyEvent* event)
{
    const int key = event->key();
    return (key == Qt::Key_Up || key == Qt::Key_Down) && (event->modifiers() & Qt::AltModifier);
}

bool isEnterOrEscape(const QKeyEvent* event)
{
    const int key = event->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

TCustomExShDatePicker::TCustomExShDatePicker(QWidget* parent) : TCustomShDatePicker(parent)
{
    m_buttonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    // The hot button follows the pointer without a press.
    setMouseTracking(true);
    m_calendar = new TDropDownCalendar(this);
    // The picker decides the bold days of every month the calendar builds.
    connect(m_calendar, &TCustomShMonthCalendar::OnGetMonthInfo, this,
            [this](Word year, Word month, std::uint32_t& mask) { DoGetMonthInfo(year, month, mask); });
    // A day the user picks in the open calendar ends a typed entry; the calendar's day stands.
    connect(m_calendar, &TCustomShMonthCalendar::OnClick, this, [this] {
        if (IsEditing())
            CommitEdit();
    });
    UpdateLayout();
}

TCustomExShDatePicker::~TCustomExShDatePicker() = default;

// ---- properties ---------------------------------------------------------------------------------------------------

void TCustomExShDatePicker::SetButtons(TDatePickerButtons value)
{
    if (value == m_buttons)
        return;
    m_buttons = value;
    UpdateLayout();
    update();
}

TMonthCalendarColors* TCustomExShDatePicker::CalColors() const
{
    return m_calendar->CalColors();
}

void TCustomExShDatePicker::SetCalColors(const TMonthCalendarColors* value)
{
    m_calendar->SetCalColors(value);
}

void TCustomExShDatePicker::SetCalendarOptions(TMonthCalOptions value)
{
    m_calendarOptions = value & ~TMonthCalOptions(mcoMultiSelect | mcoRangeSelect);
}

void TCustomExShDatePicker::SetChecked(bool value)
{
    if (value == m_checked)
        return;
    m_checked = value;
    update();
    CheckedChanged();
}

void TCustomExShDatePicker::SetShowCheckBox(bool value)
{
    if (value == m_showCheckBox)
        return;
    m_showCheckBox = value;
    UpdateLayout();
    update();
}

void TCustomExShDatePicker::SetUseSystemCalendar(bool value)
{
    TCustomShDatePicker::SetUseSystemCalendar(value);
    if (m_droppedDown)
        m_calendar->SetUseSystemCalendar(value);
}

bool TCustomExShDatePicker::GetIsNull() const
{
    if (m_showCheckBox)
        return !m_checked;
    return TCustomShDatePicker::GetIsNull();
}

void TCustomExShDatePicker::SetIsNull(bool value)
{
    if (!m_showCheckBox) {
        TCustomShDatePicker::SetIsNull(value);
        return;
    }
    // Writing the null state raises no OnChange, so the box is set without CheckedChanged.
    if (m_checked == !value)
        return;
    m_checked = !value;
    update();
}

// ---- virtual operations -------------------------------------------------------------------------------------------

void TCustomExShDatePicker::DoGetMonthInfo(Word year, Word month, std::uint32_t& mask)
{
    emit OnGetMonthInfo(this, year, month, mask);
}

void TCustomExShDatePicker::CheckedChanged()
{
    if (m_showCheckBox)
        Change();
}

bool TCustomExShDatePicker::CheckBoxHit(int x, int y) const
{
    return m_buttonRects[btnCheckBox].contains(x, y);
}

bool TCustomExShDatePicker::IsActive() const
{
    return !m_showCheckBox || m_checked;
}

bool TCustomExShDatePicker::IsGrayed() const
{
    return !isEnabled() || !IsActive();
}

bool TCustomExShDatePicker::ShowRequiredMark() const
{
    if (!HighlightRequired())
        return false;
    return (AllowNull() && TCustomShDatePicker::GetIsNull()) || (m_showCheckBox && !m_checked);
}

// ---- layout -------------------------------------------------------------------------------------------------------

int TCustomExShDatePicker::buttonCount() const
{
    return (m_buttons.testFlag(dpbDropDown) ? 1 : 0) + (m_buttons.testFlag(dpbUpDown) ? 1 : 0);
}

void TCustomExShDatePicker::AdjustEditRect()
{
    TCustomShDatePicker::AdjustEditRect();
    QRect edit = EditRect();
    QRect indicator = IndicatorRect();
    const int b = m_buttonWidth;
    const int buttons = buttonCount() * b;
    // The buttons take the trailing end, the check box the leading end.
    if (isRightToLeft()) {
        if (!indicator.isEmpty())
            indicator.translate(buttons, 0);
        edit.setLeft(edit.left() + buttons);
        if (m_showCheckBox)
            edit.setRight(edit.right() - b);
    } else {
        if (!indicator.isEmpty())
            indicator.translate(-buttons, 0);
        edit.setRight(edit.right() - buttons);
        if (m_showCheckBox)
            edit.setLeft(edit.left() + b);
    }
    SetEditRect(edit);
    SetIndicatorRect(indicator);
}

void TCustomExShDatePicker::UpdateLayout()
{
    TCustomShDatePicker::UpdateLayout();
    const QRect client = ClientRect();
    const int b = m_buttonWidth;
    const bool rtl = isRightToLeft();
    m_buttonRects.fill(QRect());

    QRect strip = rtl ? QRect(client.left(), client.top(), b, client.height())
                      : QRect(client.right() + 1 - b, client.top(), b, client.height());
    const int towardsLeading = rtl ? b : -b;
    if (m_buttons.testFlag(dpbDropDown)) {
        m_buttonRects[btnDropDown] = strip;
        strip.translate(towardsLeading, 0);
    }
    if (m_buttons.testFlag(dpbUpDown)) {
        const int half = client.height() / 2;
        m_buttonRects[btnUp] = QRect(strip.left(), client.top(), b, half);
        m_buttonRects[btnDown] = QRect(strip.left(), client.top() + half, b, client.height() - half);
    }
    if (m_showCheckBox)
        m_buttonRects[btnCheckBox] = rtl ? QRect(client.right() + 1 - b, client.top(), b, client.height())
                                         : QRect(client.left(), client.top(), b, client.height());
}

QRect TCustomExShDatePicker::ButtonRect(int index) const
{
    if (index <= btnNone || index >= ButtonCount)
        return {};
    return m_buttonRects[index];
}

int TCustomExShDatePicker::ButtonAt(const QPoint& pos) const
{
    for (int i = btnDropDown; i < ButtonCount; ++i)
        if (m_buttonRects[i].contains(pos))
            return i;
    return btnNone;
}

// ---- painting -----------------------------------------------------------------------------------------------------

TCustomExShDatePicker::ButtonLook TCustomExShDatePicker::LookOf(int index) const
{
    if (!isEnabled())
        return blDisabled;
    switch (index) {
    case btnCheckBox:
        // The box lights up while the control has the focus and still waits to be checked.
        return hasFocus() && !m_checked ? blHot : blNormal;
    case btnDropDown:
        if (m_capturedButton == btnDropDown && m_pointerButton == btnDropDown)
            return blPressed;
        if ((m_capturedButton != btnNone && m_capturedButton != btnDropDown && m_pointerButton == btnDropDown) ||
            (m_hotButton == btnDropDown && !m_droppedDown))
            return blHot;
        return blNormal;
    case btnUp:
    case btnDown:
        if (m_capturedButton == index && m_pointerButton == index)
            return blPressed;
        if (m_hotButton == index || m_capturedButton == index)
            return blHot;
        return blNormal;
    default:
        return blNormal;
    }
}

void TCustomExShDatePicker::paintEvent(QPaintEvent* event)
{
    TCustomShDatePicker::paintEvent(event);
    QPainter painter(this);
    for (int i = btnNone; i < ButtonCount; ++i)
        PaintButton(painter, i);
}

void TCustomExShDatePicker::PaintButton(QPainter& painter, int index)
{
    const QRect r = ButtonRect(index);
    if (r.isEmpty())
        return;
    const ButtonLook look = LookOf(index);
    QStyle* s = style();

    QStyleOption state;
    state.initFrom(this);
    state.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_Raised);
    if (look == blDisabled)
        state.state &= ~QStyle::State_Enabled;
    else
        state.state |= QStyle::State_Enabled;
    if (look == blHot)
        state.state |= QStyle::State_MouseOver;
    if (look == blPressed)
        state.state |= QStyle::State_Sunken;
    else
        state.state |= QStyle::State_Raised;

    if (index == btnCheckBox) {
        QStyleOptionButton box;
        static_cast<QStyleOption&>(box) = state;
        box.state &= ~QStyle::State_Raised;
        box.state |= m_checked ? QStyle::State_On : QStyle::State_Off;
        const int w = s->pixelMetric(QStyle::PM_IndicatorWidth, &box, this);
        const int h = s->pixelMetric(QStyle::PM_IndicatorHeight, &box, this);
        const QRect inner = r.adjusted(2, 2, -2, -2);
        box.rect = QStyle::alignedRect(layoutDirection(), Qt::AlignCenter,
                                       QSize(std::min(w, inner.width()), std::min(h, inner.height())), inner);
        painter.fillRect(r, palette().color(QPalette::Base));
        s->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            static_cast<QStyleOption&>(focus) = state;
            focus.rect = box.rect.adjusted(-1, -1, 1, 1);
            focus.backgroundColor = palette().color(QPalette::Base);
            s->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
        return;
    }

    QStyleOptionButton panel;
    static_cast<QStyleOption&>(panel) = state;
    panel.rect = r;
    panel.features = QStyleOptionButton::None;
    painter.fillRect(r, palette().color(QPalette::Button));
    s->drawPrimitive(QStyle::PE_PanelButtonCommand, &panel, &painter, this);

    QStyleOption arrow = state;
    const int shift = look == blPressed ? 1 : 0;
    arrow.rect = r.adjusted(2 + shift, 2 + shift, -2 + shift, -2 + shift);
    QStyle::PrimitiveElement element = QStyle::PE_IndicatorArrowDown;
    if (index == btnUp)
        element = QStyle::PE_IndicatorSpinUp;
    else if (index == btnDown)
        element = QStyle::PE_IndicatorSpinDown;
    if (index != btnDropDown)
        arrow.rect = r.adjusted(1 + shift, 0 + shift, -1 + shift, 0 + shift);
    s->drawPrimitive(element, &arrow, &painter, this);
}

void TCustomExShDatePicker::repaintButton(int index)
{
    const QRect r = ButtonRect(index);
    if (!r.isEmpty())
        update(r);
}

void TCustomExShDatePicker::setPointerButton(int index)
{
    if (index == m_pointerButton)
        return;
    const int old = m_pointerButton;
    m_pointerButton = index;
    repaintButton(old);
    repaintButton(index);
}

void TCustomExShDatePicker::setHotButton(int index)
{
    if (index == m_hotButton)
        return;
    const int old = m_hotButton;
    m_hotButton = index;
    repaintButton(old);
    repaintButton(index);
}

// ---- mouse --------------------------------------------------------------------------------------------------------

void TCustomExShDatePicker::ReleaseButtons()
{
    if (m_repeatTimer)
        m_repeatTimer->stop();
    const int captured = m_capturedButton;
    const int pointer = m_pointerButton;
    const int hot = m_hotButton;
    m_capturedButton = m_pointerButton = m_hotButton = btnNone;
    repaintButton(captured);
    repaintButton(pointer);
    repaintButton(hot);
}

void TCustomExShDatePicker::spin(int delta)
{
    CommitEdit();
    const TPickerValue old = Snapshot();
    StepSection(CurrentSection(), delta);
    if (!IsActive())
        SetChecked(true);
    UpdateSections(old, true);
}

void TCustomExShDatePicker::repeatTick()
{
    m_repeatTimer->setInterval(RepeatInterval);
    // A held button repeats only while the pointer stays on it.
    if (m_capturedButton != m_pointerButton || (m_capturedButton != btnUp && m_capturedButton != btnDown))
        return;
    const TPickerValue old = Snapshot();
    StepSection(CurrentSection(), m_capturedButton == btnUp ? 1 : -1);
    UpdateSections(old, true);
}

void TCustomExShDatePicker::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus())
            return;
        const int button = ButtonAt(pos);
        if (m_droppedDown) {
            // A press on the picker closes the calendar; it never opens it again at once.
            CloseUp(false);
        } else if (m_showCheckBox && CheckBoxHit(pos.x(), pos.y())) {
            if (CanModify())
                SetChecked(!m_checked);
            return;
        } else if (button != btnNone && button != btnCheckBox) {
            m_capturedButton = button;
            m_pointerButton = button;
            repaintButton(button);
            if (CanModify()) {
                if (button == btnDropDown) {
                    DropDown();
                } else {
                    spin(button == btnUp ? 1 : -1);
                    if (!m_repeatTimer) {
                        m_repeatTimer = new QTimer(this);
                        m_repeatTimer->setObjectName(QStringLiteral("repeatTimer"));
                        connect(m_repeatTimer, &QTimer::timeout, this, &TCustomExShDatePicker::repeatTick);
                    }
                    m_repeatTimer->start(FirstRepeatDelay);
                }
            }
        }
    }
    if (IsActive() && !m_droppedDown)
        TCustomShDatePicker::mousePressEvent(event);
}

void TCustomExShDatePicker::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_capturedButton != btnNone) {
        setPointerButton(ButtonAt(pos));
        // A press on the drop-down button may be dragged into the calendar, which then takes the mouse.
        if (m_droppedDown && m_calendar->isVisible() &&
            m_calendar->rect().contains(m_calendar->mapFromGlobal(event->globalPosition().toPoint())))
            ReleaseButtons();
    } else {
        setHotButton(ButtonAt(pos));
    }
    TCustomShDatePicker::mouseMoveEvent(event);
}

void TCustomExShDatePicker::mouseReleaseEvent(QMouseEvent* event)
{
    ReleaseButtons();
    TCustomShDatePicker::mouseReleaseEvent(event);
}

void TCustomExShDatePicker::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second press on a button or the check box is another press, not a calendar switch.
    if (event->button() == Qt::LeftButton && ButtonAt(event->position().toPoint()) != btnNone) {
        mousePressEvent(event);
        return;
    }
    if (IsActive())
        TCustomShDatePicker::mouseDoubleClickEvent(event);
    else
        event->accept();
}

void TCustomExShDatePicker::leaveEvent(QEvent* event)
{
    if (m_capturedButton == btnNone)
        setHotButton(btnNone);
    TCustomShDatePicker::leaveEvent(event);
}

void TCustomExShDatePicker::wheelEvent(QWheelEvent* event)
{
    if (m_droppedDown) {
        QCoreApplication::sendEvent(m_calendar, event);
        event->accept();
        return;
    }
    if (IsActive())
        TCustomShDatePicker::wheelEvent(event);
    else
        event->ignore();
}

// ---- keys ---------------------------------------------------------------------------------------------------------

bool TCustomExShDatePicker::event(QEvent* event)
{
    // While the calendar is open, Enter and Escape belong to it, not to the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && m_droppedDown) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isEnterOrEscape(key) || isAltArrow(key)) {
            event->accept();
            return true;
        }
    }
    return TCustomShDatePicker::event(event);
}

void TCustomExShDatePicker::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (isAltArrow(event) && m_buttons.testFlag(dpbDropDown)) {
        event->accept();
        if (m_droppedDown)
            CloseUp(true);
        else
            DropDown();
        return;
    }
    if (m_droppedDown) {
        event->accept();
        if (isEnterOrEscape(event)) {
            // The open year editor takes Enter and Escape for itself.
            if (TYearEdit* editor = m_calendar->YearEditor(); editor && editor->isVisible()) {
                QCoreApplication::sendEvent(editor, event);
                return;
            }
            CloseUp(event->key() != Qt::Key_Escape);
            setFocus(Qt::OtherFocusReason);
            return;
        }
        if (!IsActive())
            return;
        if (typesDigits(event))
            typeWhileDroppedDown(event);
        else
            QCoreApplication::sendEvent(m_calendar, event);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) &&
        m_showCheckBox && CanModify()) {
        event->accept();
        SetChecked(!m_checked);
        return;
    }
    if (IsActive()) {
        TCustomShDatePicker::keyPressEvent(event);
        return;
    }
    event->ignore();
}

void TCustomExShDatePicker::typeWhileDroppedDown(QKeyEvent* event)
{
    // The open year editor types the year; otherwise digits stay the picker's typed entry, and the calendar
    // follows the typed day so that Enter keeps what was typed.
    if (TYearEdit* editor = m_calendar->YearEditor(); editor && editor->isVisible()) {
        editor->TypeDigits(event->text());
        return;
    }
    TCustomShDatePicker::keyPressEvent(event);
    // A section typed halfway is not a day yet (a two-digit year still moves into its window when it ends).
    if (!IsEditing())
        showDateInCalendar();
}

void TCustomExShDatePicker::showDateInCalendar()
{
    if (!m_droppedDown || GetIsNull())
        return;
    try {
        m_calendar->SetDate(Date());
    } catch (const std::exception&) {
        // The picker keeps its day within the same bounds as the calendar; a day it could not take stays out.
    }
}

// ---- focus and visibility -----------------------------------------------------------------------------------------

bool TCustomExShDatePicker::isCalendarFocus(const QWidget* widget) const
{
    return widget && (widget == m_calendar || m_calendar->isAncestorOf(widget));
}

void TCustomExShDatePicker::focusInEvent(QFocusEvent* event)
{
    TCustomShDatePicker::focusInEvent(event);
    repaintButton(btnCheckBox);
}

void TCustomExShDatePicker::focusOutEvent(QFocusEvent* event)
{
    TCustomShDatePicker::focusOutEvent(event);
    repaintButton(btnCheckBox);
    // The calendar opening, and the calendar itself taking the focus, keep it open.
    if (event->reason() == Qt::PopupFocusReason || isCalendarFocus(QApplication::focusWidget()))
        return;
    ReleaseButtons();
    CloseUp(false);
}

void TCustomExShDatePicker::hideEvent(QHideEvent* event)
{
    ReleaseButtons();
    CloseUp(false);
    TCustomShDatePicker::hideEvent(event);
}

void TCustomExShDatePicker::changeEvent(QEvent* event)
{
    TCustomShDatePicker::changeEvent(event);
    switch (event->type()) {
    case QEvent::LayoutDirectionChange:
    case QEvent::FontChange:
        UpdateLayout();
        update();
        break;
    case QEvent::StyleChange:
        m_buttonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        UpdateLayout();
        update();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            ReleaseButtons();
            CloseUp(false);
        }
        break;
    default:
        break;
    }
}

// ---- drop-down ----------------------------------------------------------------------------------------------------

QPoint TCustomExShDatePicker::DropDownPosition(const QRect& picker, const QSize& calendar, const QRect& screen,
                                               TDropDownAlign align)
{
    int top = picker.top() + picker.height();
    if (top + calendar.height() > screen.top() + screen.height())
        top = picker.top() - calendar.height();
    int left = picker.left();
    switch (align) {
    case daLeft:
        break;
    case daRight:
        left = picker.left() + picker.width() - calendar.width();
        break;
    case daCenter:
        left = picker.left() - (calendar.width() - picker.width()) / 2;
        break;
    }
    if (left < screen.left())
        left = screen.left();
    else if (left + calendar.width() > screen.left() + screen.width())
        left = screen.left() + screen.width() - calendar.width();
    return {left, top};
}

void TCustomExShDatePicker::DropDown()
{
    // A hidden picker has nowhere to hang its calendar.
    if (m_droppedDown || !CanModify() || !isVisible())
        return;
    if (!IsActive())
        SetChecked(true);
    if (GetIsNull()) {
        SetIsNull(false);
        Change();
    }
    emit OnDropDown();

    TDropDownCalendar* cal = m_calendar;
    try {
        cal->SetUseSystemCalendar(UseSystemCalendar());
        cal->setFont(font());
        cal->setLayoutDirection(layoutDirection());
        cal->SetDefaultBoldDays(m_defaultBoldDays);
        cal->SetCalendarOptions(m_calendarOptions);
        // Clear the bounds first so that the new pair never contradicts the old one.
        cal->SetMinDate(0);
        cal->SetMaxDate(MaxDate());
        cal->SetMinDate(MinDate());
        cal->SetDate(Date());
    } catch (const std::exception&) {
        // The picker keeps its day within the same bounds, so this cannot happen; if it does, stay closed
        // rather than let the error cross the event loop.
        return;
    }

    TDropDownAlign align = m_dropDownAlign;
    if (isRightToLeft() && align != daCenter)
        align = align == daLeft ? daRight : daLeft;
    const QRect pickerRect(mapToGlobal(QPoint(0, 0)), size());
    QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = where ? where->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    cal->move(DropDownPosition(pickerRect, cal->size(), screenRect, align));
    m_droppedDown = true;
    cal->show();
}

void TCustomExShDatePicker::CloseUp(bool accept)
{
    if (!m_droppedDown)
        return;
    if (accept) {
        // Digits typed last, a section still half typed: that entry is what the user accepts.
        if (IsEditing()) {
            CommitEdit();
            showDateInCalendar();
        }
        try {
            SetDate(m_calendar->Date());
        } catch (const std::exception&) {
            // The calendar keeps its day within the picker's bounds; a day it could not hand back is dropped.
        }
    }
    m_droppedDown = false;
    m_calendar->hide();
    // The press that opened the calendar never sees its release once the calendar has the mouse.
    ReleaseButtons();
    update();
    emit OnCloseUp();
}

// ---- published ----------------------------------------------------------------------------------------------------

TExShDatePicker::TExShDatePicker(QWidget* parent) : TCustomExShDatePicker(parent) {}
