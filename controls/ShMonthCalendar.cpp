#include "controls/ShMonthCalendar.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"
#include "calendar/ShDateUtils.h"
#include "controls/Beep.h"
#include "controls/MonthCalendarPainter.h"
#include "controls/MonthNavigation.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

const QString kTodayCaption = QStringLiteral("امروز: ");
const QString kWeekCaption = QStringLiteral("هفته");

TDateTime todaySerial()
{
    return ShCalendarMode::DayOf(Clock::today());
}

} // namespace

// ---- construction -----------------------------------------------------------------------------------------------

TCustomShMonthCalendar::TCustomShMonthCalendar(QWidget* parent)
    : QWidget(parent), m_colors(new TMonthCalendarColors(this, this))
{
    connect(m_colors, &TMonthCalendarColors::OnChange, this, &TCustomShMonthCalendar::applyColors);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_date = todaySerial();
    resize(305, 154);
    // A Qt widget has its window from the start, so everything the calendar does when its window is created
    // happens here: title parts, colours, size and the first month.
    createTitle();
    applyColors();
    createTitleParts();
    applyColors();
    if (m_autoSize)
        applyAutoSize();
    else
        afterResize();
    rebuildMonth();
    MonthChanged();
}

TCustomShMonthCalendar::~TCustomShMonthCalendar()
{
    // A year edit that loses the focus while the calendar goes away must not call back into it.
    disconnect(m_title, nullptr, this, nullptr);
}

QSize TCustomShMonthCalendar::sizeHint() const
{
    return m_grid.WholeSize();
}

// ---- calendar of the current mode -------------------------------------------------------------------------------

QString TCustomShMonthCalendar::MonthName(int month) const
{
    return mode().MonthName(month);
}

QString TCustomShMonthCalendar::DayName(int column) const
{
    return mode().DayName(column);
}

QString TCustomShMonthCalendar::DateText(TDateTime day) const
{
    return mode().DateText(day);
}

QStringList TCustomShMonthCalendar::monthNames() const
{
    QStringList names;
    for (int month = 1; month <= 12; ++month)
        names << MonthName(month);
    return names;
}

// ---- colours, size and the title --------------------------------------------------------------------------------

void TCustomShMonthCalendar::applyColors()
{
    m_title->SetColors(m_colors->TitleBackColor(), m_colors->TitleTextColor());
    update();
}

void TCustomShMonthCalendar::applyAutoSize()
{
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int column = 1; column <= 7; ++column)
        widest = std::max(widest, metrics.horizontalAdvance(DayName(column)));
    m_grid.RowHeight = std::max(1, int(1.2 * metrics.height()));
    m_grid.ColWidth = std::max(1, int(1.05 * widest));
    const QSize wanted = sizeHint();
    if (wanted != size())
        resize(wanted);
    afterResize();
}

void TCustomShMonthCalendar::afterResize()
{
    if (m_resizing)
        return;
    m_grid.FitCells(size());
    const QSize snapped = sizeHint();
    if (snapped != size()) {
        m_resizing = true;
        resize(snapped);
        m_resizing = false;
    }
    layoutTitle();
    update();
}

void TCustomShMonthCalendar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    afterResize();
}

void TCustomShMonthCalendar::createTitle()
{
    m_title = new TShCalendarTitle(this);
    m_title->SetMonthNames(monthNames());
    connect(m_title, &TShCalendarTitle::OnMonthStep, this, &TCustomShMonthCalendar::monthStep);
    connect(m_title, &TShCalendarTitle::OnMonthChosen, this, &TCustomShMonthCalendar::monthMenuClick);
    connect(m_title, &TShCalendarTitle::OnYearEditRequest, this, &TCustomShMonthCalendar::showYearEditor);
    connect(m_title, &TShCalendarTitle::OnYearEditDone, this, [this](bool accept) { YearEditDone(accept); });
    connect(m_title, &TShCalendarTitle::OnCaptionClick, this, [this] { setFocus(Qt::MouseFocusReason); });
}

void TCustomShMonthCalendar::createTitleParts()
{
    m_title->SetParts(m_options.testFlag(mcoMonthButtons), m_options.testFlag(mcoMonthPopupMenu),
                      m_options.testFlag(mcoYearEditor));
    applyColors();
    layoutTitle();
}

void TCustomShMonthCalendar::layoutTitle()
{
    const int panelHeight = std::max(0, (FixedRowCount * (m_grid.RowHeight + m_grid.LineWidth)) - m_grid.RowHeight - m_grid.LineWidth);
    m_title->Place(QRect(0, 0, width(), panelHeight));
}

void TCustomShMonthCalendar::SetTitleVerticalPlacement(TitlePlacement value)
{
    m_titlePlacement = value;
    const Qt::Alignment alignment[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    m_title->SetCaptionAlignment(alignment[value]);
    layoutTitle();
}

void TCustomShMonthCalendar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        // The title has already taken the new font for its caption and year editor.
        if (m_autoSize)
            applyAutoSize();
        else
            layoutTitle();
        update();
    } else if (event->type() == QEvent::LayoutDirectionChange) {
        layoutTitle();
        update();
    }
}

MonthNavigation TCustomShMonthCalendar::navigation() const
{
    MonthNavigation::State state{mode(), m_date, m_minDate, m_maxDate, m_frame.FirstOfMonth(), m_frame.LastOfMonth(),
                                 todaySerial(), m_grid, m_col, m_row, m_options.testFlag(mcoToday), isRightToLeft()};
    return MonthNavigation(state);
}

void TCustomShMonthCalendar::goTo(const MonthMove& move, bool user)
{
    switch (move.What) {
    case MonthMove::ToDay:
        GoToDate(move.Day, user);
        break;
    case MonthMove::ToCell:
        moveCurrent(move.Col, move.Row);
        break;
    case MonthMove::Refused:
        SystemBeep();
        break;
    case MonthMove::Stay:
        break;
    }
}

void TCustomShMonthCalendar::showYearEditor()
{
    int minYear = 0, maxYear = 0;
    navigation().YearRange(minYear, maxYear);
    int y = 0, m = 0, d = 0;
    mode().Decode(m_date, y, m, d);
    m_title->EditYear(y, minYear, maxYear);
}

void TCustomShMonthCalendar::YearEditDone(bool accept)
{
    if (accept && YearSpinner()) {
        normaliseSelection();
        goTo(navigation().PickYear(YearSpinner()->Position()), true);
    }
    // The focus comes back from the editor, but not from a control the user has gone on to: taking it there
    // would pull the operator back into the calendar.
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || focus == this || isAncestorOf(focus))
        setFocus(Qt::OtherFocusReason);
}

void TCustomShMonthCalendar::monthStep(int months)
{
    normaliseSelection();
    m_title->CloseYearEditor(true);
    goTo(navigation().MonthStep(months), true);
}

void TCustomShMonthCalendar::monthMenuClick(int month)
{
    normaliseSelection();
    goTo(navigation().PickMonth(month), true);
}

// ---- properties -------------------------------------------------------------------------------------------------

void TCustomShMonthCalendar::SetDate(TDateTime value)
{
    const TDateTime v = ShCalendarMode::DayOf(value);
    if (v == m_date)
        return;
    CheckDate(v);
    GoToDate(v, false);
    resetSelection();
}

void TCustomShMonthCalendar::CheckDate(TDateTime value) const
{
    if (m_maxDate != 0 && value > m_maxDate)
        throw EShDateTimeError(ShExceedsMaximumText(DateText(value), ShDateToStr(m_maxDate)));
    if (m_minDate != 0 && value < m_minDate)
        throw EShDateTimeError(ShLessThanMinimumText(DateText(value), ShDateToStr(m_minDate)));
}

bool TCustomShMonthCalendar::InRange(TDateTime value) const
{
    return navigation().InRange(value);
}

void TCustomShMonthCalendar::SetMaxDate(TDateTime value)
{
    const TDateTime v = ShCalendarMode::DayOf(value);
    if (v == m_maxDate)
        return;
    if (v != 0 && m_minDate != 0 && v < m_minDate)
        throw ECustomCalendarError(ShLessThanMinimumText(DateText(v), ShDateToStr(m_minDate)));
    m_maxDate = v;
    if (v != 0 && v < m_date)
        GoToDate(v, false);
}

void TCustomShMonthCalendar::SetMinDate(TDateTime value)
{
    const TDateTime v = ShCalendarMode::DayOf(value);
    if (v == m_minDate)
        return;
    if (v != 0 && m_maxDate != 0 && v > m_maxDate)
        throw ECustomCalendarError(ShExceedsMaximumText(DateText(v), ShDateToStr(m_maxDate)));
    m_minDate = v;
    if (v != 0 && v > m_date)
        GoToDate(v, false);
}

void TCustomShMonthCalendar::SetCalColors(const TMonthCalendarColors* value)
{
    m_colors->Assign(value);
    applyColors();
}

void TCustomShMonthCalendar::SetDefaultBoldDays(TDefaultBoldDays value)
{
    if (value == m_defaultBoldDays)
        return;
    m_defaultBoldDays = value;
    m_boldMask = value == dbdNone ? 0 : m_frame.WeekdayMask(int(value) + 1);
    invalidateDayArea();
}

void TCustomShMonthCalendar::SetUseSystemCalendar(bool value)
{
    if (value == m_useSystemCalendar)
        return;
    m_useSystemCalendar = value;
    // The other calendar's weekday names differ in width: the columns follow them like they follow the font.
    if (m_autoSize)
        applyAutoSize();
    rebuildMonth();
    m_title->SetMonthNames(monthNames());
    update();
    MonthChanged();
}

void TCustomShMonthCalendar::SetAutoSize(bool value)
{
    if (value == m_autoSize)
        return;
    m_autoSize = value;
    if (value)
        applyAutoSize();
}

void TCustomShMonthCalendar::SetDefaultDrawing(bool value)
{
    if (value == m_defaultDrawing)
        return;
    m_defaultDrawing = value;
    update();
}

void TCustomShMonthCalendar::SetCalendarOptions(TMonthCalOptions value)
{
    const TMonthCalOptions old = m_options;
    if (value.testFlag(mcoMultiSelect) && value.testFlag(mcoRangeSelect)) {
        if (old.testFlag(mcoRangeSelect))
            value &= ~TMonthCalOptions(mcoRangeSelect);
        else
            value &= ~TMonthCalOptions(mcoMultiSelect);
    }
    if (!value.testFlag(mcoTrailingDays))
        value &= ~TMonthCalOptions(mcoSelectTrailDays);
    if (value == old)
        return;

    const TMonthCalOptions changed = TMonthCalOptions(int(old) ^ int(value));
    const TMonthCalOptions selectionOptions = mcoMultiSelect | mcoRangeSelect | mcoSelectTrailDays;
    // A multi-day selection is folded back while the old options still tell how to read it.
    if (changed & selectionOptions)
        normaliseSelection();
    m_options = value;
    m_selection.SetKind(selectionKind());

    if (changed.testFlag(mcoToday)) {
        const int delta = value.testFlag(mcoToday) ? 1 : -1;
        m_grid.RowCount += delta;
        if (m_autoSize)
            applyAutoSize();
        else
            resize(width(), height() + delta * (m_grid.RowHeight + m_grid.LineWidth));
    }
    if (changed.testFlag(mcoWeekNumbers)) {
        const int delta = value.testFlag(mcoWeekNumbers) ? 1 : -1;
        m_grid.ColCount += delta;
        m_grid.FixedCols += delta;
        m_col += delta;
        if (m_autoSize)
            applyAutoSize();
        else
            resize(width() + delta * (m_grid.ColWidth + m_grid.LineWidth), height());
        layoutTitle();
        GoToDate(m_date, false);
    }
    if (changed & (mcoMonthButtons | mcoMonthPopupMenu | mcoYearEditor))
        createTitleParts();
    if (changed & selectionOptions) {
        resetSelection();
        DoClick();
    }
    const TMonthCalOptions lineOptions = mcoDaysVertLine | mcoWeeksHorzLine | mcoVerticalLine | mcoHorizontalLine;
    if (changed & lineOptions)
        update();
    else if (changed & (mcoTodayCircle | mcoTrailingDays | mcoMultiSelect))
        invalidateDayArea();
}

// ---- the month --------------------------------------------------------------------------------------------------

void TCustomShMonthCalendar::rebuildMonth()
{
    const bool wasUpdating = m_updating;
    m_updating = true;
    m_frame = MonthFrame(mode(), m_date);
    followChosenDay();
    int y = 0, m = 0, d = 0;
    mode().Decode(m_date, y, m, d);
    GetMonthInfo(Word(y), Word(m));
    invalidateDayArea();
    moveCurrentToDate();
    if (m_options & (mcoMultiSelect | mcoRangeSelect))
        resetSelection();
    m_title->SetCaption(MonthName(m), QString::number(y));
    layoutTitle();
    m_updating = wasUpdating;
}

void TCustomShMonthCalendar::GetMonthInfo(Word year, Word month)
{
    m_boldMask = m_defaultBoldDays == dbdNone ? 0 : WeekdayMask(year, month, int(m_defaultBoldDays) + 1);
    emit OnGetMonthInfo(year, month, m_boldMask);
}

void TCustomShMonthCalendar::GoToDate(TDateTime value, bool user)
{
    const TDateTime v = navigation().Clamp(ShCalendarMode::DayOf(value));

    const TDateTime old = m_date;
    const bool byUser = user && v != m_date;
    m_date = v;
    followChosenDay();

    if (m_frame.InMonth(v) || ((SelectedCount() > 1 || m_shiftExtending) && m_frame.Shows(v))) {
        moveCurrentToDate();
    } else {
        if (!CanChangeMonth()) {
            m_date = old;
            followChosenDay();
            moveCurrentToDate();
            return;
        }
        rebuildMonth();
        MonthChanged();
    }
    if (byUser)
        DoClick();
}

bool TCustomShMonthCalendar::CanChangeMonth()
{
    bool allow = true;
    emit OnMonthChanging(allow);
    return allow;
}

void TCustomShMonthCalendar::MonthChanged()
{
    emit OnMonthChanged();
}

void TCustomShMonthCalendar::DoClick()
{
    emit OnClick();
}

// ---- cells ------------------------------------------------------------------------------------------------------

int TCustomShMonthCalendar::CellIndex(int col, int row) const
{
    const int index = m_grid.IndexOf(col, row);
    if (index < 0)
        throw ECustomCalendarError(std::string("Invalid Col Or Row"));
    return index;
}

void TCustomShMonthCalendar::IndexToCell(int index, int& col, int& row) const
{
    if (index < 0 || index >= DayCellCount)
        throw ECustomCalendarError("Invalid cell index: " + std::to_string(index));
    col = m_grid.ColOf(index);
    row = m_grid.RowOf(index);
}

bool TCustomShMonthCalendar::isDayCell(int col, int row) const
{
    return m_grid.IsDayCell(col, row);
}

int TCustomShMonthCalendar::currentIndex() const
{
    return isDayCell(m_col, m_row) ? CellIndex(m_col, m_row) : -1;
}

TCalendarCellInfo TCustomShMonthCalendar::GetCellInfo(int col, int row) const
{
    TCalendarCellInfo info;
    if (row < FixedRowCount - 1) {
        info.Flags = ccfFixed;
    } else if (m_options.testFlag(mcoToday) && row == m_grid.RowCount - 1) {
        info.Flags = ccfFixed;
        info.Value = todaySerial();
        info.Text = kTodayCaption + DateText(info.Value);
    } else if (row == FixedRowCount - 1) {
        if (col < m_grid.FixedCols) {
            info.Flags = ccfFixed;
            info.Text = kWeekCaption;
        } else {
            const int column = col - m_grid.FixedCols + 1;
            info.Flags = ccfFixed | ccfDayName;
            info.Text = DayName(column);
            info.Value = column;
        }
    } else if (col < m_grid.FixedCols) {
        info.Flags = ccfFixed | ccfWeekNumber;
        const int week = m_frame.WeekNumber(row - FixedRowCount);
        info.Value = week;
        info.Text = week > 0 ? QString::number(week) : QString();
    } else {
        const int index = CellIndex(col, row);
        const TDateTime day = m_frame.GridStart() + index;
        int y = 0, m = 0, d = 0;
        mode().Decode(day, y, m, d);
        info.Value = day;
        info.Text = QString::number(d);
        if (!m_frame.InMonth(day))
            info.Flags |= ccfTrailing;
        else if (m_boldMask & (std::uint32_t(1) << (d - 1)))
            info.Flags |= ccfBold;
        if (m_selection.Contains(index))
            info.Flags |= ccfSelected;
    }
    return info;
}

bool TCustomShMonthCalendar::SelectCell(int col, int row) const
{
    if (m_options.testFlag(mcoToday) && row == m_grid.RowCount - 1)
        return false;
    if (!isDayCell(col, row))
        return false;
    if (m_updating)
        return true;
    const int index = CellIndex(col, row);
    const TDateTime day = m_frame.GridStart() + index;
    if (!InRange(day) || !mode().Contains(day))
        return false;
    if (!m_options.testFlag(mcoSelectTrailDays) && !m_frame.InMonth(day))
        return false;
    if ((m_mouseSelecting || m_shiftExtending) && !m_selection.CanExtendTo(index))
        return false;
    return true;
}

// ---- the grid's current cell ------------------------------------------------------------------------------------

void TCustomShMonthCalendar::setCurrentCellQuietly(int col, int row)
{
    if (col == m_col && row == m_row)
        return;
    update(CellRect(m_col, m_row));
    m_col = col;
    m_row = row;
    update(CellRect(m_col, m_row));
}

void TCustomShMonthCalendar::moveCurrentToDate()
{
    const int index = int(m_date - m_frame.GridStart());
    if (index < 0 || index >= DayCellCount)
        return;
    const bool wasUpdating = m_updating;
    m_updating = true;
    int col = 0, row = 0;
    IndexToCell(index, col, row);
    setCurrentCellQuietly(col, row);
    m_updating = wasUpdating;
}

bool TCustomShMonthCalendar::moveCurrent(int col, int row)
{
    if (!isDayCell(col, row) || !SelectCell(col, row))
        return false;
    if (col == m_col && row == m_row)
        return true;
    setCurrentCellQuietly(col, row);
    if (!m_updating)
        GoToDate(m_frame.GridStart() + CellIndex(col, row), false);
    return true;
}

// ---- selection --------------------------------------------------------------------------------------------------

DaySelection::Kind TCustomShMonthCalendar::selectionKind() const
{
    if (m_options.testFlag(mcoMultiSelect))
        return DaySelection::Multi;
    if (m_options.testFlag(mcoRangeSelect))
        return DaySelection::Range;
    return DaySelection::Single;
}

int TCustomShMonthCalendar::SelectedCount() const
{
    return m_selection.Count();
}

TDateTime TCustomShMonthCalendar::SelectionStart() const
{
    return m_frame.GridStart() + m_selection.First();
}

TDateTime TCustomShMonthCalendar::SelectionEnd() const
{
    return m_frame.GridStart() + m_selection.Last();
}

bool TCustomShMonthCalendar::IsDaySelected(TDateTime day) const
{
    const TDateTime v = ShCalendarMode::DayOf(day);
    if (!m_frame.Shows(v))
        throw EMonthCalError(QString::asprintf(SShInvalidDate, DateText(v).toUtf8().constData()));
    return m_selection.Contains(int(v - m_frame.GridStart()));
}

void TCustomShMonthCalendar::invalidateCell(int index)
{
    if (index < 0 || index >= DayCellCount)
        return;
    int col = 0, row = 0;
    IndexToCell(index, col, row);
    update(CellRect(col, row));
}

void TCustomShMonthCalendar::invalidateCells(DaySelection::CellMask cells)
{
    for (int index = 0; cells != 0; ++index, cells >>= 1) {
        if (cells & 1)
            invalidateCell(index);
    }
}

void TCustomShMonthCalendar::invalidateDayArea()
{
    update(visual(m_grid.LogicalWeeksArea()));
}

void TCustomShMonthCalendar::resetSelection()
{
    m_selection.Reset(currentIndex());
    invalidateDayArea();
}

void TCustomShMonthCalendar::extendSelection(int index)
{
    invalidateCells(m_selection.ExtendTo(index));
}

void TCustomShMonthCalendar::normaliseSelection()
{
    if (SelectedCount() <= 1)
        return;
    if (m_date < m_frame.FirstOfMonth())
        GoToDate(m_frame.FirstOfMonth(), false);
    else if (m_date > m_frame.LastOfMonth())
        GoToDate(m_frame.LastOfMonth(), false);
    resetSelection();
    DoClick();
}

void TCustomShMonthCalendar::toggleGroup(const std::vector<int>& indexes)
{
    std::vector<int> choosable;
    for (int index : indexes) {
        int col = 0, row = 0;
        IndexToCell(index, col, row);
        if (SelectCell(col, row))
            choosable.push_back(index);
    }
    if (choosable.empty())
        return;
    invalidateCells(m_selection.ToggleGroup(choosable));
    int col = 0, row = 0;
    IndexToCell(choosable.back(), col, row);
    moveCurrent(col, row);
    m_selection.SetAnchor(std::max(currentIndex(), 0));
}

// ---- keyboard ---------------------------------------------------------------------------------------------------

void TCustomShMonthCalendar::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    emit OnCalendarKeyDown(key, modifiers);
    if (handleKey(key, modifiers))
        event->accept();
    else
        event->ignore();
}

bool TCustomShMonthCalendar::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (!MonthNavigation::IsNavigationKey(key))
        return false;
    const bool multiOrRange = m_options & (mcoMultiSelect | mcoRangeSelect);
    // Shift with a multi-day selection extends it from the anchor instead of starting over.
    const bool extending = multiOrRange && modifiers.testFlag(Qt::ShiftModifier);
    const TDateTime oldDate = m_date;
    if (extending) {
        if (m_options.testFlag(mcoMultiSelect))
            invalidateCells(m_selection.Add(currentIndex()));
        m_shiftExtending = true;
    } else if (multiOrRange) {
        resetSelection();
    }
    goTo(navigation().KeyMove(key, modifiers.testFlag(Qt::ControlModifier), extending), false);
    if (extending) {
        if (m_date != oldDate)
            extendSelection(currentIndex());
        m_shiftExtending = false;
    } else if (m_date != oldDate && multiOrRange) {
        resetSelection();
    }
    if (m_date != oldDate)
        DoClick();
    return true;
}

// ---- mouse and wheel --------------------------------------------------------------------------------------------

bool TCustomShMonthCalendar::MouseToCell(const QPoint& pos, int& col, int& row) const
{
    return m_grid.CellAt(pos, size(), isRightToLeft(), col, row);
}

void TCustomShMonthCalendar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    int col = 0, row = 0;
    if (!MouseToCell(event->position().toPoint(), col, row))
        return;
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);

    // The grid first: a press on a day that may be chosen makes it current.
    const bool choosable = isDayCell(col, row) && SelectCell(col, row);
    if (choosable) {
        moveCurrent(col, row);
        m_gridDragging = true;
    }

    if (m_options.testFlag(mcoToday) && row == m_grid.RowCount - 1) {
        const TDateTime today = todaySerial();
        if (InRange(today)) {
            GoToDate(today, false);
            resetSelection();
        } else {
            SystemBeep();
        }
    } else if (m_options.testFlag(mcoMultiSelect)) {
        if (!ctrl) {
            m_selection.Clear();
            invalidateDayArea();
        }
        if (const std::vector<int> group = m_grid.DayGroupAt(col, row); !group.empty()) {
            toggleGroup(group);
        } else if (choosable) {
            invalidateCells(m_selection.Toggle(currentIndex()));
        }
    } else if (m_options.testFlag(mcoRangeSelect) && choosable) {
        if (shift)
            extendSelection(currentIndex());
        else
            resetSelection();
    }
    m_mouseSelecting = true;
}

void TCustomShMonthCalendar::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_gridDragging)
        return;
    int col = 0, row = 0;
    if (MouseToCell(event->position().toPoint(), col, row) && isDayCell(col, row))
        moveCurrent(col, row);
    if (m_mouseSelecting && (m_options & (mcoMultiSelect | mcoRangeSelect))) {
        const int index = currentIndex();
        if (index >= 0 && index != m_selection.End())
            extendSelection(index);
    }
}

void TCustomShMonthCalendar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_gridDragging = false;
    m_mouseSelecting = false;
    DoClick();
}

void TCustomShMonthCalendar::wheelEvent(QWheelEvent* event)
{
    event->accept();
    normaliseSelection();
    // One month per notch (120 eighths of a degree); touchpads send many small deltas that add up to a notch.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    for (int i = 0; i < std::abs(notches); ++i) {
        int months = notches < 0 ? 1 : -1;
        if (event->modifiers().testFlag(Qt::ControlModifier))
            months *= 12;
        TDateTime target = 0;
        if (mode().TryIncMonth(m_date, months, target))
            GoToDate(target, true);
    }
}

void TCustomShMonthCalendar::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update(CellRect(m_col, m_row));
}

void TCustomShMonthCalendar::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update(CellRect(m_col, m_row));
}

void TCustomShMonthCalendar::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A hidden window may take its focus away without a focus-out: end a running year edit as a focus loss
    // would, so that it is not left open (and still listening to every press) for the next showing.
    m_title->CloseYearEditor(true);
}

// ---- painting ---------------------------------------------------------------------------------------------------

QRect TCustomShMonthCalendar::visual(const QRect& logical) const
{
    return MonthGridGeometry::Visual(logical, width(), isRightToLeft());
}

QRect TCustomShMonthCalendar::CellRect(int col, int row) const
{
    return visual(m_grid.LogicalCellRect(col, row));
}

void TCustomShMonthCalendar::CellDrawn(const QRect& rect, const QString& text, TDateTime value,
                                       TCalendarCellFlags flags)
{
    emit OnDrawCell(rect, value, text, flags);
}

void TCustomShMonthCalendar::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_canvas = &painter;
    painter.fillRect(rect(), m_colors->MonthBackColor());
    const MonthCalendarLook look{*m_colors, m_grid, m_options, font(), width(), isRightToLeft(), m_defaultDrawing};
    MonthCalendarPainter cells(painter, look);
    cells.DrawLines();
    const int todayRow = m_grid.RowCount - 1;
    if (m_options.testFlag(mcoToday) &&
        event->rect().intersects(CellRect(0, todayRow).united(CellRect(m_grid.ColCount - 1, todayRow)))) {
        const TDateTime today = todaySerial();
        const QString text = kTodayCaption + DateText(today);
        CellDrawn(cells.DrawTodayRow(text), text, today, ccfFixed);
    }
    for (int row = FixedRowCount - 1; row < FixedRowCount + 6; ++row) {
        for (int col = 0; col < m_grid.ColCount; ++col) {
            const QRect cell = CellRect(col, row);
            if (!event->rect().intersects(cell))
                continue;
            const TCalendarCellInfo info = GetCellInfo(col, row);
            const auto drawn = cells.DrawCell(cell, info, col == m_col && row == m_row, hasFocus());
            CellDrawn(cell, info.Text, info.Value, drawn.Flags);
            cells.DrawFocusFrame(cell, drawn);
        }
    }
    if (m_options.testFlag(mcoTodayCircle)) {
        const TDateTime today = todaySerial();
        if (m_frame.InMonth(today)) {
            int col = 0, row = 0;
            IndexToCell(int(today - m_frame.GridStart()), col, row);
            painter.setFont(font());
            cells.DrawTodayRing(CellRect(col, row), GetCellInfo(col, row).Text);
        }
    }
    m_canvas = nullptr;
}
