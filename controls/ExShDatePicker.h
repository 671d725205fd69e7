#pragma once

// The date picker as the windows place it: the sectioned edit with a drop-down button that opens a month
// calendar under the control, two spin buttons that step the current section, and an optional check box that
// stands for "no date".

#include "controls/ShDatePicker.h"
#include "controls/ShMonthCalendar.h"

#include <QFlags>
#include <QRect>

#include <array>
#include <cstdint>

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
    // Ends a button press: the timer stops and the captured, pointer and hot buttons are cleared (the drop-down
    // calendar does this when it takes the mouse).
    void ReleaseButtons();
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
    int buttonCount() const;
    void repaintButton(int index);
    void setPointerButton(int index);
    void setHotButton(int index);
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
