#pragma once

// The Solar Hijri date controls: the sectioned date picker edit, the month calendar and the drop-down date
// picker that joins them.

#include "controls/ShDateTypes.h"

#include <QColor>
#include <QFlags>
#include <QLineEdit>
#include <QRect>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class QPainter;

// The value of a picker as eight words; word i belongs to section i, so comparing two values word by word
// tells which sections changed.
struct TPickerValue
{
    Word Year = 0;
    Word Month = 0;
    Word Day = 0;
    Word Hour = 0;
    Word Minute = 0;
    Word Second = 0;
    Word MSec = 0;
    Word PM = 0; // 1 when Hour is above 11

    Word word(int section) const;
    friend bool operator==(const TPickerValue&, const TPickerValue&) = default;
};

// A focusable, self-painted single-line date (and/or time) edit. The value is edited section by section:
// year, month, day, hour, minute, second, (millisecond, never shown) and the AM/PM mark. It can hold no value
// at all (IsNull), keeps the value within optional bounds, and shows either the Solar Hijri calendar or, after
// a calendar switch, the Gregorian one.
class TCustomShDatePicker : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AllowCalendarSwitch READ AllowCalendarSwitch WRITE SetAllowCalendarSwitch)
    Q_PROPERTY(bool AllowNull READ AllowNull WRITE SetAllowNull)
    Q_PROPERTY(bool AutoMove READ AutoMove WRITE SetAutoMove)
    Q_PROPERTY(TAutoMoveDirection AutoMoveDirection READ AutoMoveDirection WRITE SetAutoMoveDirection)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(double Date READ Date WRITE SetDate NOTIFY OnChange)
    Q_PROPERTY(bool FormattedHint READ FormattedHint WRITE SetFormattedHint)
    Q_PROPERTY(bool HighlightRequired READ HighlightRequired WRITE SetHighlightRequired)
    Q_PROPERTY(bool IntelliYearDigits READ IntelliYearDigits WRITE SetIntelliYearDigits)
    Q_PROPERTY(bool IsNull READ IsNull WRITE SetIsNull)
    Q_PROPERTY(TShDateTimeKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(double MaxDate READ MaxDate WRITE SetMaxDate)
    Q_PROPERTY(double MaxDateTime READ MaxDateTime WRITE SetMaxDateTime)
    Q_PROPERTY(double MaxTime READ MaxTime WRITE SetMaxTime)
    Q_PROPERTY(double MinDate READ MinDate WRITE SetMinDate)
    Q_PROPERTY(double MinDateTime READ MinDateTime WRITE SetMinDateTime)
    Q_PROPERTY(double MinTime READ MinTime WRITE SetMinTime)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool ShowSecond READ ShowSecond WRITE SetShowSecond)
    Q_PROPERTY(double Time READ Time WRITE SetTime NOTIFY OnChange)
    Q_PROPERTY(bool Use12HourClock READ Use12HourClock WRITE SetUse12HourClock)
    Q_PROPERTY(bool UseCurrentDate READ UseCurrentDate WRITE SetUseCurrentDate)
    Q_PROPERTY(bool UseCurrentTime READ UseCurrentTime WRITE SetUseCurrentTime)
    Q_PROPERTY(bool UseSystemCalendar READ UseSystemCalendar WRITE SetUseSystemCalendar NOTIFY OnCalendarSwitch)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)

public:
    // Section indexes; word i of a TPickerValue belongs to section i.
    enum Section
    {
        secYear = 0,
        secMonth,
        secDay,
        secHour,
        secMinute,
        secSecond,
        secMSec,
        secAmPm,
        SectionCount
    };

    explicit TCustomShDatePicker(QWidget* parent = nullptr);
    ~TCustomShDatePicker() override;

    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment value);
    bool AllowCalendarSwitch() const { return m_allowCalendarSwitch; }
    void SetAllowCalendarSwitch(bool value);
    bool AllowNull() const { return m_allowNull; }
    void SetAllowNull(bool value);
    bool AutoMove() const { return m_autoMove; }
    void SetAutoMove(bool value);
    TAutoMoveDirection AutoMoveDirection() const { return m_autoMoveDirection; }
    void SetAutoMoveDirection(TAutoMoveDirection value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TDateTime Date() const;
    void SetDate(TDateTime value);
    bool FormattedHint() const { return m_formattedHint; }
    void SetFormattedHint(bool value);
    bool HighlightRequired() const { return m_highlightRequired; }
    void SetHighlightRequired(bool value);
    bool IntelliYearDigits() const { return m_intelliYearDigits; }
    void SetIntelliYearDigits(bool value);
    bool IsNull() const { return GetIsNull(); }
    TShDateTimeKind Kind() const { return m_kind; }
    void SetKind(TShDateTimeKind value);
    TDateTime MaxDate() const { return m_maxDate; }
    void SetMaxDate(TDateTime value);
    TDateTime MaxDateTime() const { return m_maxDateTime; }
    void SetMaxDateTime(TDateTime value);
    TDateTime MaxTime() const { return m_maxTime; }
    void SetMaxTime(TDateTime value);
    TDateTime MinDate() const { return m_minDate; }
    void SetMinDate(TDateTime value);
    TDateTime MinDateTime() const { return m_minDateTime; }
    void SetMinDateTime(TDateTime value);
    TDateTime MinTime() const { return m_minTime; }
    void SetMinTime(TDateTime value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool ShowSecond() const { return m_showSecond; }
    void SetShowSecond(bool value);
    TDateTime Time() const;
    void SetTime(TDateTime value);
    bool Use12HourClock() const { return m_use12HourClock; }
    void SetUse12HourClock(bool value);
    bool UseCurrentDate() const { return m_useCurrentDate; }
    void SetUseCurrentDate(bool value);
    bool UseCurrentTime() const { return m_useCurrentTime; }
    void SetUseCurrentTime(bool value);
    bool UseSystemCalendar() const { return m_useSystemCalendar; }
    // The pattern of the formatted tooltip (the control's hint text).
    QString Hint() const { return m_hint; }
    void SetHint(const QString& value);

    // The date joined with the time of day: what the date-time bounds and the formatted tooltip use.
    TDateTime DateTime() const;

    // What the user sees and where: the current section, the text of a section ("" when hidden, two blanks
    // while null), whether digits are being typed, and the layout rectangles in widget coordinates.
    int CurrentSection() const { return m_currentSection; }
    void SetCurrentSection(int section);
    bool IsSectionVisible(int section) const;
    QString SectionText(int section) const;
    bool IsEditing() const { return m_editing; }
    QRect SectionRect(int section) const;
    QRect EditRect() const { return m_editRect; }
    QRect IndicatorRect() const { return m_indicatorRect; }
    QRect TextRect() const { return m_textRect; }
    // The formatted tooltip text of the current value ("" while null).
    QString FormattedHintText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Virtual operations, in the order descendants override them.
    virtual void SetUseSystemCalendar(bool value);
    virtual bool GetIsNull() const;
    virtual void SetIsNull(bool value);

signals:
    // The value or the null state changed through the user or a written Date/Time.
    void OnChange();
    // The user switched the calendar (Shift+Space or a double click).
    void OnCalendarSwitch();

protected:
    virtual void AdjustEditRect();
    virtual void UpdateLayout();
    virtual bool CanModify() const;
    virtual void CheckDate(TDateTime value) const;
    virtual void CheckDateTime(TDateTime value) const;
    virtual void CheckTime(TDateTime value) const;
    virtual bool IsGrayed() const;
    virtual bool ShowRequiredMark() const;
    virtual void PaintSection(QPainter& painter, int index);

    // Notifications descendants may extend.
    virtual void SectionChanged(int oldSection);
    virtual void UpdateSections(const TPickerValue& old, bool notify);
    virtual void Change();
    virtual void CalendarSwitch();

    // The value as it stands (not the pre-edit value).
    TPickerValue Snapshot() const;
    // Ends a running digit edit: expands the year, checks the bounds (reverting what broke them) and raises
    // OnChange once when the typed entry changed the value. False when a bound made it revert.
    bool CommitEdit();
    // One step of a section by +1 or -1, with its wraps and the clamping that follows.
    void StepSection(int section, int delta);
    // Home / End of a section.
    void SetSectionLimit(int section, bool upper);
    // Today's date and the current time, clamped; when null and nothing moved, old.Year is zeroed so the
    // following UpdateSections still leaves the null state.
    void TodayAndNow(TPickerValue& old);
    // Moves the date by whole days and clamps it.
    void MoveDays(int days);
    void ClampDate();
    void ClampTime();
    void ClampDateTime();
    void CopyToClipboard();
    void PasteFromClipboard();
    void CutToClipboard();
    // Height when AutoSize: line height + border + 4.
    int AutoHeight() const;
    void ApplyAutoSize();
    // Calendar of the current mode.
    int MonthLength(int year, int month) const;
    int MinimumYear() const;
    int CurrentYear() const;
    // Whole client area inside the border.
    QRect ClientRect() const;
    // Descendants that add buttons narrow the edit rectangle and move the indicator in their AdjustEditRect.
    void SetEditRect(const QRect& rect) { m_editRect = rect; }
    void SetIndicatorRect(const QRect& rect) { m_indicatorRect = rect; }
    void InvalidateSection(int section);
    // Left/right extent of a section (0, 0 when hidden).
    int SectionLeft(int section) const { return m_extents[section].first; }
    int SectionRight(int section) const { return m_extents[section].second; }

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The calendar of the current mode.
    ShCalendarMode mode() const { return ShCalendarMode(m_useSystemCalendar); }
    // Raises the range error for a day outside Solar Hijri years 1 to 9999, which no section can show.
    void checkHoldable(TDateTime day) const;
    TDateTime encodeDate(const TPickerValue& v) const;
    TDateTime encodeTime(const TPickerValue& v, bool withSeconds) const;
    void decodeDateInto(TDateTime value);
    void decodeTimeInto(TDateTime value);
    void setParts(const TPickerValue& v);
    void handleDigit(int digit);
    void autoMove();
    void clampAfterSectionChange(int section);
    void clampDayToMonth();
    void rebuildVisibleSections();
    void relayout();
    QString dateTextOf(TDateTime value) const;
    QString dateTimeTextOf(TDateTime value) const;
    QString timeTextOf(TDateTime value) const;

    TPickerValue m_value;
    TPickerValue m_preEdit;
    int m_currentSection = secDay;
    bool m_editing = false;
    int m_previousDigit = -1;
    std::array<bool, SectionCount> m_visible{};
    bool m_null = false;
    QRect m_editRect;
    QRect m_indicatorRect;
    QRect m_textRect;
    std::array<std::pair<int, int>, SectionCount> m_extents{};
    int m_wheelRemainder = 0;
    QSize m_layoutSize;

    Qt::Alignment m_alignment = Qt::AlignHCenter;
    bool m_allowCalendarSwitch = true;
    bool m_allowNull = false;
    bool m_autoMove = true;
    TAutoMoveDirection m_autoMoveDirection = amdDMY;
    bool m_autoSize = true;
    TBorderStyle m_borderStyle = bsSingle;
    bool m_formattedHint = false;
    bool m_highlightRequired = false;
    bool m_intelliYearDigits = true;
    TShDateTimeKind m_kind = dtkDate;
    TDateTime m_maxDate = 0;
    TDateTime m_maxDateTime = 0;
    TDateTime m_maxTime = 0;
    TDateTime m_minDate = 0;
    TDateTime m_minDateTime = 0;
    TDateTime m_minTime = 0;
    bool m_readOnly = false;
    bool m_showSecond = false;
    bool m_use12HourClock = false;
    bool m_useCurrentDate = true;
    bool m_useCurrentTime = true;
    bool m_useSystemCalendar = false;
    QString m_hint;
};

// ------------------------------------------------------------------------------------------------------------------
// The month calendar of the date controls: one month of the Solar Hijri (or Gregorian) calendar as a grid of
// days, with a title for moving between months and years, optional multi-day and range selection, bounds, bold
// weekdays and a row that shows today. It is the drop-down of the date picker.

class QMenu;
class QToolButton;
class TCustomShMonthCalendar;

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

private:
    TCustomShMonthCalendar* m_calendar;
    QColor m_colors[ColorCount];
};

class TYearEdit;

// The up-down spinner beside the year editor: two arrow buttons that step a position between a minimum and a
// maximum and write it into the editor, without a thousands separator.
class TYearUpDown : public QWidget
{
    Q_OBJECT

public:
    explicit TYearUpDown(QWidget* parent = nullptr);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    void SetRange(int min, int max);
    void SetPosition(int value);
    // +1 or -1 within the range; the editor shows the new position.
    void Step(int delta);
    // Digits typed into the editor: up to four make a year, a fifth starts over. The typed year becomes the
    // position (within the range) when the typing ends, or is dropped.
    void TypeDigit(int digit);
    void EndTyping();
    void DiscardTyping();
    QString TypedYear() const { return m_typed; }
    // The editor that shows the position and takes the focus for the spinner.
    void SetAssociate(TYearEdit* edit);
    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

private:
    void showPosition();

    QToolButton* m_up;
    QToolButton* m_down;
    TYearEdit* m_edit = nullptr;
    int m_min = 0;
    int m_max = ShCalendarMode::MaximumYear;
    int m_position = 0;
    QString m_typed;
};

// The in-place year editor of the title: a borderless, read-only edit whose year is changed by its spinner or
// the Up and Down keys (and, in the picker's drop-down, by typed digits). It closes once: Enter and focus loss accept, Escape discards; a mouse press on any other
// control accepts too.
class TYearEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TYearEdit(QWidget* parent = nullptr);
    ~TYearEdit() override;

    TYearUpDown* UpDown() const { return m_upDown; }
    void SetUpDown(TYearUpDown* upDown) { m_upDown = upDown; }
    // Called with true (accept) or false (discard) when the editor closes.
    void SetOnDone(std::function<void(bool)> done) { m_done = std::move(done); }

    // Shows editor and spinner and takes the focus.
    void StartEdit();
    // Calls the completion callback, then hides spinner and editor; does nothing while hidden or closing.
    void CloseEdit(bool accept);
    // Digits typed for the year (the drop-down calendar's keyboard; the editor's own keys leave the text alone).
    void TypeDigits(const QString& text);
    bool IsClosing() const { return m_closing; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TYearUpDown* m_upDown = nullptr;
    std::function<void(bool)> m_done;
    bool m_closing = false;
    bool m_filtering = false;
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
    static constexpr int DayCellCount = 42;
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
    int MaxSelectRange() const { return m_maxSelectRange; }
    void SetMaxSelectRange(int value) { m_maxSelectRange = value < 0 ? 0 : value; }
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value);
    TitlePlacement TitleVerticalPlacement() const { return m_titlePlacement; }
    void SetTitleVerticalPlacement(TitlePlacement value);

    // ---- grid ----
    int ColCount() const { return m_colCount; }
    int RowCount() const { return m_rowCount; }
    int FixedCols() const { return m_fixedCols; }
    int FixedRows() const { return FixedRowCount; }
    int Col() const { return m_col; }
    int Row() const { return m_row; }
    int DefaultColWidth() const { return m_colWidth; }
    int DefaultRowHeight() const { return m_rowHeight; }
    int GridLineWidth() const { return m_lineWidth; }
    // A cell's rectangle in widget coordinates (mirrored in right-to-left layout).
    QRect CellRect(int col, int row) const;
    // The cell under a point; false when the point lies outside the grid.
    bool MouseToCell(const QPoint& pos, int& col, int& row) const;

    // ---- month and cells ----
    TDateTime GridStart() const { return m_gridStart; }
    TDateTime FirstOfMonth() const { return m_firstOfMonth; }
    TDateTime LastOfMonth() const { return m_lastOfMonth; }
    std::uint32_t BoldDays() const { return m_boldMask; }
    // Index 0..41 of a day cell; raises ECustomCalendarError "Invalid Col Or Row" for any other cell.
    int CellIndex(int col, int row) const;
    // Column and row of day cell `index`; raises ECustomCalendarError "Invalid cell index: <index>".
    void IndexToCell(int index, int& col, int& row) const;
    TDateTime CellDay(int index) const { return m_gridStart + index; }
    virtual TCalendarCellInfo GetCellInfo(int col, int row) const;

    // Weekday mask of a month: bit d - 1 is set for every day d (1..31) that falls on weekday `dayOfWeek`,
    // numbered 1 (Saturday) to 7 (Friday); in Gregorian mode the number is converted to Monday-first.
    std::uint32_t WeekdayMask(Word year, Word month, int dayOfWeek) const;
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
    int SelectionAnchor() const { return m_anchor; }

    // ---- bounds ----
    virtual void CheckDate(TDateTime value) const;
    virtual bool InRange(TDateTime value) const;

    // ---- title ----
    QWidget* TitlePanel() const { return m_titlePanel; }
    QWidget* TitleLabel() const;
    QString TitleCaption() const { return m_caption; }
    // Hit rectangles of the month name and of the year, in title label coordinates.
    QRect MonthNameRect() const { return m_monthRect; }
    QRect YearRect() const { return m_yearRect; }
    QToolButton* LeftMonthButton() const { return m_leftButton; }
    QToolButton* RightMonthButton() const { return m_rightButton; }
    QMenu* MonthsMenu() const { return m_monthsMenu; }
    TYearEdit* YearEditor() const { return m_yearEdit; }
    TYearUpDown* YearSpinner() const { return m_yearUpDown; }

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
    friend class TMonthCalendarColors;
    friend class TShCalendarTitleLabel;
    static constexpr int FixedRowCount = 3;

    // The calendar of the current mode.
    ShCalendarMode mode() const { return ShCalendarMode(m_useSystemCalendar); }

    void applyColors();
    void applyAutoSize();
    void afterResize();
    void computeMonthFrame();
    void rebuildMonth();
    void updateMonthMenu();
    void createTitleParts();
    void layoutTitle();
    void titleMousePress(QMouseEvent* event);
    void monthButtonClick(bool leftButton);
    void monthMenuClick(int month);
    void showYearEditor();

    // grid behaviour
    bool moveCurrent(int col, int row);
    void setCurrentCellQuietly(int col, int row);
    void moveCurrentToDate();
    int currentIndex() const;
    bool isDayCell(int col, int row) const;
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    bool rowWrap(bool forward);
    void arrowDefault(bool forward);

    // selection
    void resetSelection();
    void extendSelection(int index);
    void normaliseSelection();
    void toggleGroup(const QList<int>& indexes);
    void invalidateCell(int index);
    void invalidateDayArea();

    // painting
    QRect logicalCellRect(int col, int row) const;
    QRect visual(const QRect& logical) const;
    void drawCell(QPainter& painter, int col, int row);
    void drawLines(QPainter& painter);
    void drawTodayRow(QPainter& painter);
    void drawTodayRing(QPainter& painter, const QRect& cell, const QString& text);

    TMonthCalendarColors* m_colors;
    TDateTime m_date = 0;
    TDateTime m_minDate = 0;
    TDateTime m_maxDate = 0;
    TMonthCalOptions m_options = DefaultOptions;
    TDefaultBoldDays m_defaultBoldDays = dbdNone;
    bool m_useSystemCalendar = false;
    bool m_autoSize = true;
    int m_maxSelectRange = 0;
    bool m_defaultDrawing = true;
    TitlePlacement m_titlePlacement = tpCenter;

    int m_colCount = 7;
    int m_rowCount = 10;
    int m_fixedCols = 0;
    int m_col = 0;
    int m_row = FixedRowCount;
    int m_colWidth = 43;
    int m_rowHeight = 15;
    int m_lineWidth = 1;

    TDateTime m_gridStart = 0;
    TDateTime m_firstOfMonth = 0;
    TDateTime m_lastOfMonth = -1;
    std::uint32_t m_boldMask = 0;
    std::uint64_t m_selBits = 0;
    int m_anchor = 0;
    int m_selEnd = 0;
    bool m_updating = false;
    bool m_mouseSelecting = false;
    bool m_gridDragging = false;
    bool m_shiftExtending = false;
    bool m_resizing = false;
    int m_wheelRemainder = 0;

    QWidget* m_titlePanel = nullptr;
    QWidget* m_titleLabel = nullptr;
    QToolButton* m_leftButton = nullptr;
    QToolButton* m_rightButton = nullptr;
    QMenu* m_monthsMenu = nullptr;
    TYearEdit* m_yearEdit = nullptr;
    TYearUpDown* m_yearUpDown = nullptr;
    QPainter* m_canvas = nullptr;
    QString m_caption;
    QString m_captionMonth;
    QString m_captionYear;
    QRect m_monthRect;
    QRect m_yearRect;
};

// ------------------------------------------------------------------------------------------------------------------
// The date picker as the windows place it: the sectioned edit with a drop-down button that opens a month
// calendar under the control, two spin buttons that step the current section, and an optional check box that
// stands for "no date".

class QTimer;
class TCustomExShDatePicker;

// The buttons a picker shows besides its sections.
enum TDatePickerButton
{
    dpbDropDown = 1 << 0, // opens the month calendar
    dpbUpDown = 1 << 1,   // steps the current section up and down
};
Q_DECLARE_FLAGS(TDatePickerButtons, TDatePickerButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDatePickerButtons)

// Which edges of the drop-down calendar and the picker line up. In right-to-left layout daLeft and daRight
// trade places, so daLeft always means "the leading edges".
enum TDropDownAlign
{
    daLeft,
    daRight,
    daCenter
};

// The month calendar as the pop-up of a picker. One click on a day that may be chosen (or on the Today row)
// hands that day to the picker and closes; keys move within the calendar and never close it, except Enter
// (accept), Escape (discard), Alt+Up and Alt+Down (accept). Losing the focus to anything but its own year editor
// closes it without accepting.
class TDropDownCalendar : public TCustomShMonthCalendar
{
    Q_OBJECT

public:
    explicit TDropDownCalendar(TCustomExShDatePicker* picker);

    TCustomExShDatePicker* Picker() const { return m_picker; }
    // The last input was a mouse press in the calendar.
    bool MouseChosen() const { return m_mouseChosen; }
    // The last pressed cell may be chosen.
    bool ValidChoice() const { return m_validChoice; }

protected:
    void YearEditDone(bool accept) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    // Whether a press at `pos` lands on a cell that may be chosen: a choosable day, or the Today row while today
    // lies within the bounds.
    bool isChoosablePress(const QPoint& pos) const;
    // Ends the drop-down and gives the focus back to the picker.
    void closeUp(bool accept);
    // Ends the drop-down without accepting when the focus went elsewhere.
    void closeOnFocusLoss();

    TCustomExShDatePicker* m_picker;
    bool m_mouseChosen = false;
    bool m_validChoice = false;
};

// The sectioned date edit with its buttons, check box and drop-down calendar.
//
// Left to right it reads: check box, text, spin buttons, drop-down button; right to left is its mirror image.
// With ShowCheckBox an unchecked box is the null state: the text is grey and only the check box, the buttons and
// Space act on the control.
class TCustomExShDatePicker : public TCustomShDatePicker
{
    Q_OBJECT
    Q_PROPERTY(TDatePickerButtons Buttons READ Buttons WRITE SetButtons)
    Q_PROPERTY(TMonthCalendarColors* CalColors READ CalColors WRITE SetCalColors)
    Q_PROPERTY(TMonthCalOptions CalendarOptions READ CalendarOptions WRITE SetCalendarOptions)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(TDefaultBoldDays DefaultBoldDays READ DefaultBoldDays WRITE SetDefaultBoldDays)
    Q_PROPERTY(TDropDownAlign DropDownAlign READ DropDownAlign WRITE SetDropDownAlign)
    Q_PROPERTY(bool ShowCheckBox READ ShowCheckBox WRITE SetShowCheckBox)

public:
    // Button indexes; 0 stands for "no button".
    enum ButtonIndex
    {
        btnNone = 0,
        btnDropDown,
        btnCheckBox,
        btnUp,
        btnDown,
        ButtonCount
    };
    // How a button is drawn.
    enum ButtonLook
    {
        blNormal,
        blHot,
        blPressed,
        blDisabled
    };

    static constexpr TMonthCalOptions DefaultCalendarOptions = TCustomShMonthCalendar::DefaultOptions;
    static constexpr int FirstRepeatDelay = 400; // ms before a held spin button repeats
    static constexpr int RepeatInterval = 100;   // ms between repeats after that

    explicit TCustomExShDatePicker(QWidget* parent = nullptr);
    ~TCustomExShDatePicker() override;

    TDatePickerButtons Buttons() const { return m_buttons; }
    void SetButtons(TDatePickerButtons value);
    // The drop-down calendar's own colour set; writing it copies the colours into that set.
    TMonthCalendarColors* CalColors() const;
    void SetCalColors(const TMonthCalendarColors* value);
    TMonthCalOptions CalendarOptions() const { return m_calendarOptions; }
    // Multi-day and range selection make no sense for one date: they are dropped from the stored set.
    void SetCalendarOptions(TMonthCalOptions value);
    bool Checked() const { return m_checked; }
    void SetChecked(bool value);
    TDefaultBoldDays DefaultBoldDays() const { return m_defaultBoldDays; }
    void SetDefaultBoldDays(TDefaultBoldDays value) { m_defaultBoldDays = value; }
    TDropDownAlign DropDownAlign() const { return m_dropDownAlign; }
    void SetDropDownAlign(TDropDownAlign value) { m_dropDownAlign = value; }
    bool ShowCheckBox() const { return m_showCheckBox; }
    void SetShowCheckBox(bool value);

    bool DroppedDown() const { return m_droppedDown; }
    TDropDownCalendar* Calendar() const { return m_calendar; }
    // Width of every button: the style's vertical scroll bar width, read at creation.
    int ButtonWidth() const { return m_buttonWidth; }
    // Rectangle of a button in widget coordinates (empty when the button is not shown).
    QRect ButtonRect(int index) const;
    // The button under a point (btnNone when none).
    int ButtonAt(const QPoint& pos) const;
    ButtonLook LookOf(int index) const;
    int CapturedButton() const { return m_capturedButton; }
    int HotButton() const { return m_hotButton; }
    // The spin buttons' repeat timer (null until a spin button was first pressed).
    QTimer* RepeatTimer() const { return m_repeatTimer; }

    // Where the drop-down calendar of size `calendar` opens for a picker at `picker` (screen coordinates) on a
    // screen `screen`: under the picker, or above it when it would pass the screen's bottom; aligned by `align`
    // (already mirrored for right-to-left layout) and kept inside the screen's left and right edges.
    static QPoint DropDownPosition(const QRect& picker, const QSize& calendar, const QRect& screen,
                                   TDropDownAlign align);

    void SetUseSystemCalendar(bool value) override;
    bool GetIsNull() const override;
    void SetIsNull(bool value) override;

signals:
    // After the drop-down calendar closed.
    void OnCloseUp();
    // Before the drop-down calendar opens.
    void OnDropDown();
    // Whenever the drop-down calendar builds a month; the handler may change which days are bold (bit d - 1 for
    // day d). Sender is the picker.
    void OnGetMonthInfo(QObject* Sender, Word Year, Word Month, std::uint32_t& MonthBoldDays);

protected:
    virtual void DoGetMonthInfo(Word year, Word month, std::uint32_t& mask);
    virtual void CheckedChanged();
    virtual bool CheckBoxHit(int x, int y) const;
    // False while the check box is shown and unchecked: the control then holds no date.
    virtual bool IsActive() const;
    virtual void PaintButton(QPainter& painter, int index);

public:
    // Closes the drop-down; with accept the calendar's day becomes the picker's Date.
    virtual void CloseUp(bool accept);
    // Opens the drop-down calendar under the picker.
    virtual void DropDown();

protected:
    void AdjustEditRect() override;
    void UpdateLayout() override;
    bool IsGrayed() const override;
    bool ShowRequiredMark() const override;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TDropDownCalendar;

    int buttonCount() const;
    void repaintButton(int index);
    void setPointerButton(int index);
    void setHotButton(int index);
    // Ends a button press: the timer stops and the captured, pointer and hot buttons are cleared.
    void releaseButtons();
    void spin(int delta);
    void repeatTick();
    // Digits typed while the calendar is open.
    void typeWhileDroppedDown(QKeyEvent* event);
    // The open calendar moves to the picker's day.
    void showDateInCalendar();
    bool isCalendarFocus(const QWidget* widget) const;

    TDropDownCalendar* m_calendar = nullptr;
    QTimer* m_repeatTimer = nullptr;
    std::array<QRect, ButtonCount> m_buttonRects{};
    TDatePickerButtons m_buttons = TDatePickerButtons(dpbDropDown | dpbUpDown);
    TMonthCalOptions m_calendarOptions = DefaultCalendarOptions;
    TDefaultBoldDays m_defaultBoldDays = dbdNone;
    TDropDownAlign m_dropDownAlign = daLeft;
    int m_buttonWidth = 0;
    int m_pointerButton = btnNone;
    int m_capturedButton = btnNone;
    int m_hotButton = btnNone;
    bool m_checked = true;
    bool m_showCheckBox = false;
    bool m_droppedDown = false;
};

// The picker the windows place: every property published, in the order a form stores them.
class TExShDatePicker : public TCustomExShDatePicker
{
    Q_OBJECT
    Q_PROPERTY(Qt::Alignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AllowCalendarSwitch READ AllowCalendarSwitch WRITE SetAllowCalendarSwitch)
    Q_PROPERTY(bool AllowNull READ AllowNull WRITE SetAllowNull)
    Q_PROPERTY(bool AutoMove READ AutoMove WRITE SetAutoMove)
    Q_PROPERTY(TAutoMoveDirection AutoMoveDirection READ AutoMoveDirection WRITE SetAutoMoveDirection)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TDatePickerButtons Buttons READ Buttons WRITE SetButtons)
    Q_PROPERTY(TMonthCalendarColors* CalColors READ CalColors WRITE SetCalColors)
    Q_PROPERTY(TMonthCalOptions CalendarOptions READ CalendarOptions WRITE SetCalendarOptions)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(double Date READ Date WRITE SetDate NOTIFY OnChange)
    Q_PROPERTY(TDefaultBoldDays DefaultBoldDays READ DefaultBoldDays WRITE SetDefaultBoldDays)
    Q_PROPERTY(TDropDownAlign DropDownAlign READ DropDownAlign WRITE SetDropDownAlign)
    Q_PROPERTY(bool FormattedHint READ FormattedHint WRITE SetFormattedHint)
    Q_PROPERTY(bool HighlightRequired READ HighlightRequired WRITE SetHighlightRequired)
    Q_PROPERTY(bool IntelliYearDigits READ IntelliYearDigits WRITE SetIntelliYearDigits)
    Q_PROPERTY(bool IsNull READ IsNull WRITE SetIsNull)
    Q_PROPERTY(TShDateTimeKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(double MaxDate READ MaxDate WRITE SetMaxDate)
    Q_PROPERTY(double MaxDateTime READ MaxDateTime WRITE SetMaxDateTime)
    Q_PROPERTY(double MaxTime READ MaxTime WRITE SetMaxTime)
    Q_PROPERTY(double MinDate READ MinDate WRITE SetMinDate)
    Q_PROPERTY(double MinDateTime READ MinDateTime WRITE SetMinDateTime)
    Q_PROPERTY(double MinTime READ MinTime WRITE SetMinTime)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool ShowCheckBox READ ShowCheckBox WRITE SetShowCheckBox)
    Q_PROPERTY(bool ShowSecond READ ShowSecond WRITE SetShowSecond)
    Q_PROPERTY(double Time READ Time WRITE SetTime NOTIFY OnChange)
    Q_PROPERTY(bool Use12HourClock READ Use12HourClock WRITE SetUse12HourClock)
    Q_PROPERTY(bool UseCurrentDate READ UseCurrentDate WRITE SetUseCurrentDate)
    Q_PROPERTY(bool UseCurrentTime READ UseCurrentTime WRITE SetUseCurrentTime)
    Q_PROPERTY(bool UseSystemCalendar READ UseSystemCalendar WRITE SetUseSystemCalendar NOTIFY OnCalendarSwitch)

public:
    explicit TExShDatePicker(QWidget* parent = nullptr);
};

// ------------------------------------------------------------------------------------------------------------------
// The settings the program's windows give their date pickers (the test and search windows): every calendar
// option but the months menu, the check box state off, the tooltip showing the value, and the red mark while
// a nullable picker is empty. The search window adds its null settings afterwards.

inline constexpr TMonthCalOptions WindowCalendarOptions = TMonthCalOptions(
    mcoToday | mcoTodayCircle | mcoTrailingDays | mcoSelectTrailDays | mcoMonthButtons | mcoYearEditor);

void applyWindowPickerSettings(TExShDatePicker* picker);
