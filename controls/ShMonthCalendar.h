#pragma once

// The month calendar of the date controls: one month of the Solar Hijri (or Gregorian) calendar as a grid of
// days, with a title for moving between months and years, optional multi-day and range selection, bounds, bold
// weekdays and a row that shows today. It is the drop-down of the date picker.

#include "calendar/DaySelection.h"
#include "calendar/MonthFrame.h"
#include "controls/MonthGridGeometry.h"
#include "controls/ShCalendarTitle.h"
#include "controls/ShDateTypes.h"
#include "controls/YearEdit.h"

#include <QColor>
#include <QFlags>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class QMenu;
class QPainter;
class QToolButton;
class MonthNavigation;
class TCustomShMonthCalendar;
struct MonthMove;

// Options of the month calendar; each value is the bit of its position.
enum TMonthCalOption
{
    mcoToday = 1 << 0,           // the Today row at the bottom
    mcoTodayCircle = 1 << 1,     // a ring around today when it lies in the shown month
    mcoWeekNumbers = 1 << 2,     // a fixed first column of week numbers
    mcoTrailingDays = 1 << 3,    // day numbers of the neighbouring months are shown
    mcoMultiSelect = 1 << 4,     // several separate days can be selected
    mcoRangeSelect = 1 << 5,     // one continuous range can be selected
    mcoSelectTrailDays = 1 << 6, // days of the neighbouring months can be chosen (needs mcoTrailingDays)
    mcoDaysVertLine = 1 << 7,    // vertical lines between the weekday names
    mcoWeeksHorzLine = 1 << 8,   // horizontal lines between the week numbers
    mcoVerticalLine = 1 << 9,    // vertical lines between the day columns
    mcoHorizontalLine = 1 << 10, // horizontal lines between the week rows
    mcoMonthButtons = 1 << 11,   // previous / next month buttons in the title
    mcoMonthPopupMenu = 1 << 12, // the month name opens a menu of the twelve months
    mcoYearEditor = 1 << 13,     // the year opens the in-place year editor
};
Q_DECLARE_FLAGS(TMonthCalOptions, TMonthCalOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMonthCalOptions)

// The weekday drawn in bold in every month; the first seven are weekday numbers 1 to 7, Saturday first.
enum TDefaultBoldDays
{
    dbdSaturdays,
    dbdSundays,
    dbdMondays,
    dbdTuesdays,
    dbdWednesdays,
    dbdThursdays,
    dbdFridays,
    dbdNone
};

// Flags of one calendar cell, as handed to OnDrawCell (one byte).
enum TCalendarCellFlag : std::uint8_t
{
    ccfFixed = 1,
    ccfFocused = 2,
    ccfSelected = 4,
    ccfTrailing = 8, // a day of the previous or next month
    ccfBold = 16,
    ccfDayName = 32,   // a weekday-name cell
    ccfWeekNumber = 64 // a week-number cell
};
using TCalendarCellFlags = std::uint8_t;

// What a cell shows: its flags, its text and its value (a day serial, weekday column or week number).
struct TCalendarCellInfo
{
    TCalendarCellFlags Flags = 0;
    QString Text;
    TDateTime Value = 0;
};

// Bounds that contradict each other, and cell indexes or positions outside the 42 day cells.
class ECustomCalendarError : public std::runtime_error
{
public:
    explicit ECustomCalendarError(const std::string& message) : std::runtime_error(message) {}
    explicit ECustomCalendarError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// Asking about a day that the calendar does not show.
class EMonthCalError : public std::runtime_error
{
public:
    explicit EMonthCalError(const std::string& message) : std::runtime_error(message) {}
    explicit EMonthCalError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The nine colours of a month calendar. An invalid QColor in BoldDaysColor is the default-colour marker: bold
// days are then drawn in TextColor. Writing a colour applies it to the calendar at once.
class TMonthCalendarColors : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QColor CircleColor READ CircleColor WRITE SetCircleColor)
    Q_PROPERTY(QColor TextColor READ TextColor WRITE SetTextColor)
    Q_PROPERTY(QColor TitleBackColor READ TitleBackColor WRITE SetTitleBackColor)
    Q_PROPERTY(QColor TitleTextColor READ TitleTextColor WRITE SetTitleTextColor)
    Q_PROPERTY(QColor MonthBackColor READ MonthBackColor WRITE SetMonthBackColor)
    Q_PROPERTY(QColor TrailingTextColor READ TrailingTextColor WRITE SetTrailingTextColor)
    Q_PROPERTY(QColor BoldDaysColor READ BoldDaysColor WRITE SetBoldDaysColor)
    Q_PROPERTY(QColor LinesColor READ LinesColor WRITE SetLinesColor)
    Q_PROPERTY(QColor FixedTextColor READ FixedTextColor WRITE SetFixedTextColor)

public:
    // Colour indexes, in the order of the properties.
    enum Index
    {
        ciCircle,
        ciText,
        ciTitleBack,
        ciTitleText,
        ciMonthBack,
        ciTrailingText,
        ciBoldDays,
        ciLines,
        ciFixedText,
        ColorCount
    };

    // The set keeps a reference to its calendar (which may be null for a free-standing set).
    explicit TMonthCalendarColors(TCustomShMonthCalendar* calendar, QObject* parent = nullptr);

    // The default of colour `index`: red ring, system text colours, the system caption colour for the title,
    // white month, the default-colour marker for bold days.
    static QColor DefaultColor(int index);

    QColor GetColor(int index) const;
    void SetColor(int index, const QColor& value);

    // Copies all nine colours from another colour set (without applying them). Any other source, or none,
    // raises EConvertError "Cannot assign a <source class or nil> to a TMonthCalendarColors".
    void Assign(const QObject* source);

    QColor CircleColor() const { return GetColor(ciCircle); }
    void SetCircleColor(const QColor& v) { SetColor(ciCircle, v); }
    QColor TextColor() const { return GetColor(ciText); }
    void SetTextColor(const QColor& v) { SetColor(ciText, v); }
    QColor TitleBackColor() const { return GetColor(ciTitleBack); }
    void SetTitleBackColor(const QColor& v) { SetColor(ciTitleBack, v); }
    QColor TitleTextColor() const { return GetColor(ciTitleText); }
    void SetTitleTextColor(const QColor& v) { SetColor(ciTitleText, v); }
    QColor MonthBackColor() const { return GetColor(ciMonthBack); }
    void SetMonthBackColor(const QColor& v) { SetColor(ciMonthBack, v); }
    QColor TrailingTextColor() const { return GetColor(ciTrailingText); }
    void SetTrailingTextColor(const QColor& v) { SetColor(ciTrailingText, v); }
    QColor BoldDaysColor() const { return GetColor(ciBoldDays); }
    void SetBoldDaysColor(const QColor& v) { SetColor(ciBoldDays, v); }
    QColor LinesColor() const { return GetColor(ciLines); }
    void SetLinesColor(const QColor& v) { SetColor(ciLines, v); }
    QColor FixedTextColor() const { return GetColor(ciFixedText); }
    void SetFixedTextColor(const QColor& v) { SetColor(ciFixedText, v); }

signals:
    // A colour was written; the calendar applies it.
    void OnChange();

private:
    TCustomShMonthCalendar* m_calendar;
    QColor m_colors[ColorCount];
};

// A self-drawn grid of 7 day columns (8 with week numbers) and 10 rows: two rows under the title panel, the
// weekday row, six weeks and the Today row. The widget's width and height always hold whole rows and columns.
class TCustomShMonthCalendar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double Date READ Date WRITE SetDate)
    Q_PROPERTY(double MinDate READ MinDate WRITE SetMinDate)
    Q_PROPERTY(double MaxDate READ MaxDate WRITE SetMaxDate)
    Q_PROPERTY(TMonthCalOptions CalendarOptions READ CalendarOptions WRITE SetCalendarOptions)
    Q_PROPERTY(TDefaultBoldDays DefaultBoldDays READ DefaultBoldDays WRITE SetDefaultBoldDays)
    Q_PROPERTY(bool UseSystemCalendar READ UseSystemCalendar WRITE SetUseSystemCalendar)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(int MaxSelectRange READ MaxSelectRange WRITE SetMaxSelectRange)
    Q_PROPERTY(bool DefaultDrawing READ DefaultDrawing WRITE SetDefaultDrawing)

public:
    static constexpr int DayCellCount = MonthGridGeometry::DayCellCount;
    static constexpr TMonthCalOptions DefaultOptions =
        TMonthCalOptions(mcoToday | mcoTodayCircle | mcoTrailingDays | mcoSelectTrailDays | mcoMonthButtons |
                         mcoMonthPopupMenu | mcoYearEditor);

    enum TitlePlacement
    {
        tpTop,
        tpCenter,
        tpBottom
    };

    explicit TCustomShMonthCalendar(QWidget* parent = nullptr);
    ~TCustomShMonthCalendar() override;

    // ---- properties ----
    TDateTime Date() const { return m_date; }
    // Raises EShDateTimeError when the day lies outside the bounds; resets the selection to the day.
    void SetDate(TDateTime value);
    TDateTime MinDate() const { return m_minDate; }
    void SetMinDate(TDateTime value);
    TDateTime MaxDate() const { return m_maxDate; }
    void SetMaxDate(TDateTime value);
    TMonthCalOptions CalendarOptions() const { return m_options; }
    void SetCalendarOptions(TMonthCalOptions value);
    TMonthCalendarColors* CalColors() const { return m_colors; }
    // Copies the nine colours of another set and applies them.
    void SetCalColors(const TMonthCalendarColors* value);
    TDefaultBoldDays DefaultBoldDays() const { return m_defaultBoldDays; }
    void SetDefaultBoldDays(TDefaultBoldDays value);
    bool UseSystemCalendar() const { return m_useSystemCalendar; }
    void SetUseSystemCalendar(bool value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    int MaxSelectRange() const { return m_selection.MaxRange(); }
    void SetMaxSelectRange(int value) { m_selection.SetMaxRange(value); }
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value);
    TitlePlacement TitleVerticalPlacement() const { return m_titlePlacement; }
    void SetTitleVerticalPlacement(TitlePlacement value);

    // ---- grid ----
    int ColCount() const { return m_grid.ColCount; }
    int RowCount() const { return m_grid.RowCount; }
    int FixedCols() const { return m_grid.FixedCols; }
    int FixedRows() const { return FixedRowCount; }
    int Col() const { return m_col; }
    int Row() const { return m_row; }
    int DefaultColWidth() const { return m_grid.ColWidth; }
    int DefaultRowHeight() const { return m_grid.RowHeight; }
    int GridLineWidth() const { return m_grid.LineWidth; }
    // A cell's rectangle in widget coordinates (mirrored in right-to-left layout).
    QRect CellRect(int col, int row) const;
    // The cell under a point; false when the point lies outside the grid.
    bool MouseToCell(const QPoint& pos, int& col, int& row) const;

    // ---- month and cells ----
    TDateTime GridStart() const { return m_frame.GridStart(); }
    TDateTime FirstOfMonth() const { return m_frame.FirstOfMonth(); }
    TDateTime LastOfMonth() const { return m_frame.LastOfMonth(); }
    std::uint32_t BoldDays() const { return m_boldMask; }
    // Index 0..41 of a day cell; raises ECustomCalendarError "Invalid Col Or Row" for any other cell.
    int CellIndex(int col, int row) const;
    // Column and row of day cell `index`; raises ECustomCalendarError "Invalid cell index: <index>".
    void IndexToCell(int index, int& col, int& row) const;
    TDateTime CellDay(int index) const { return m_frame.GridStart() + index; }
    virtual TCalendarCellInfo GetCellInfo(int col, int row) const;

    // Weekday mask of a month: bit d - 1 is set for every day d (1..31) that falls on weekday `dayOfWeek`,
    // numbered 1 (Saturday) to 7 (Friday); in Gregorian mode the number is converted to Monday-first.
    std::uint32_t WeekdayMask(Word year, Word month, int dayOfWeek) const
    {
        return MonthFrame::WeekdayMask(mode(), year, month, dayOfWeek);
    }
    // Sets the bold mask of a month from DefaultBoldDays and lets OnGetMonthInfo change it.
    virtual void GetMonthInfo(Word year, Word month);

    // Every change of the chosen day goes through here; `user` tells whether the user asked for it.
    void GoToDate(TDateTime value, bool user);

    // ---- selection ----
    int SelectedCount() const;
    TDateTime SelectionStart() const;
    TDateTime SelectionEnd() const;
    // Raises EMonthCalError "Invalid date '<day>'" for a day that is not among the 42 shown days.
    bool IsDaySelected(TDateTime day) const;
    int SelectionAnchor() const { return m_selection.Anchor(); }

    // ---- bounds ----
    virtual void CheckDate(TDateTime value) const;
    virtual bool InRange(TDateTime value) const;

    // ---- title ----
    // The title panel and its parts; month buttons, menu and year editor are null while their option is off.
    QWidget* TitlePanel() const { return m_title; }
    QWidget* TitleLabel() const { return m_title->Label(); }
    QString TitleCaption() const { return m_title->Caption(); }
    // Hit rectangles of the month name and of the year, in title label coordinates.
    QRect MonthNameRect() const { return m_title->MonthNameRect(); }
    QRect YearRect() const { return m_title->YearRect(); }
    QToolButton* LeftMonthButton() const { return m_title->LeftButton(); }
    QToolButton* RightMonthButton() const { return m_title->RightButton(); }
    QMenu* MonthsMenu() const { return m_title->MonthsMenu(); }
    TYearEdit* YearEditor() const { return m_title->YearEditor(); }
    TYearUpDown* YearSpinner() const { return m_title->YearSpinner(); }

    // The calendar texts of the current mode.
    QString MonthName(int month) const;
    QString DayName(int column) const;
    QString DateText(TDateTime day) const;

    // The painter of the paint that is running (null outside painting), for OnDrawCell handlers that draw the
    // cell themselves when DefaultDrawing is off.
    QPainter* Canvas() const { return m_canvas; }

    QSize sizeHint() const override;

signals:
    // The user changed the chosen day (the control's click).
    void OnClick();
    // After each cell is drawn.
    void OnDrawCell(const QRect& Rect, TDateTime Value, const QString& Text, TCalendarCellFlags Flags);
    // Before the calendar handles a key; setting Key to 0 stops the calendar's own handling.
    void OnCalendarKeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void OnMonthChanged();
    // Before the shown month changes; setting Allow to false keeps the month.
    void OnMonthChanging(bool& Allow);
    // When a month is built; the handler may change which days are bold (bit d - 1 for day d).
    void OnGetMonthInfo(Word Year, Word Month, std::uint32_t& MonthBoldDays);

protected:
    virtual void DoClick();
    virtual void YearEditDone(bool accept);
    virtual void CellDrawn(const QRect& rect, const QString& text, TDateTime value, TCalendarCellFlags flags);
    virtual bool CanChangeMonth();
    virtual void MonthChanged();
    // The grid's cell-selection test: may this cell become the current one?
    virtual bool SelectCell(int col, int row) const;

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static constexpr int FixedRowCount = MonthGridGeometry::FixedRows;

    // The calendar of the current mode.
    ShCalendarMode mode() const { return ShCalendarMode(m_useSystemCalendar); }

    void applyColors();
    void applyAutoSize();
    void afterResize();
    void rebuildMonth();
    QStringList monthNames() const;

    // the title's requests
    void createTitle();
    void createTitleParts();
    void layoutTitle();
    // Where moves lead from the calendar's present state, and carrying one out.
    MonthNavigation navigation() const;
    void goTo(const MonthMove& move, bool user);
    void monthStep(int months);
    void monthMenuClick(int month);
    void showYearEditor();

    // grid behaviour
    bool moveCurrent(int col, int row);
    void setCurrentCellQuietly(int col, int row);
    void moveCurrentToDate();
    int currentIndex() const;
    bool isDayCell(int col, int row) const;
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);

    // selection
    DaySelection::Kind selectionKind() const;
    // A single selection is the chosen day: it follows every change of the day or of the grid's first day.
    void followChosenDay() { m_selection.SetChosen(int(m_date - m_frame.GridStart())); }
    void resetSelection();
    void extendSelection(int index);
    void normaliseSelection();
    void toggleGroup(const std::vector<int>& indexes);
    void invalidateCell(int index);
    void invalidateCells(DaySelection::CellMask cells);
    void invalidateDayArea();

    // A left-to-right rectangle where it lies in this widget.
    QRect visual(const QRect& logical) const;

    TMonthCalendarColors* m_colors;
    TDateTime m_date = 0;
    TDateTime m_minDate = 0;
    TDateTime m_maxDate = 0;
    TMonthCalOptions m_options = DefaultOptions;
    TDefaultBoldDays m_defaultBoldDays = dbdNone;
    bool m_useSystemCalendar = false;
    bool m_autoSize = true;
    bool m_defaultDrawing = true;
    TitlePlacement m_titlePlacement = tpCenter;

    MonthGridGeometry m_grid;
    int m_col = 0;
    int m_row = FixedRowCount;

    MonthFrame m_frame;
    std::uint32_t m_boldMask = 0;
    DaySelection m_selection;
    bool m_updating = false;
    bool m_mouseSelecting = false;
    bool m_gridDragging = false;
    bool m_shiftExtending = false;
    bool m_resizing = false;
    int m_wheelRemainder = 0;

    TShCalendarTitle* m_title = nullptr;
    QPainter* m_canvas = nullptr;
};
