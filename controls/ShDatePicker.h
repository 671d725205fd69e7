#pragma once

// The sectioned date (and time) edit: the base of the date picker the windows place.

#include "controls/PickerSectionLayout.h"
#include "controls/PickerSections.h"
#include "controls/ShDateTypes.h"

#include <QRect>
#include <QWidget>

class QPainter;
struct TPickerCommand;

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
    using Section = TPickerSections::Section;
    using enum TPickerSections::Section;

    explicit TCustomShDatePicker(QWidget* parent = nullptr);
    ~TCustomShDatePicker() override;

    Qt::Alignment Alignment() const { return m_alignment; }
    void SetAlignment(Qt::Alignment value);
    bool AllowCalendarSwitch() const { return m_allowCalendarSwitch; }
    void SetAllowCalendarSwitch(bool value);
    bool AllowNull() const { return m_allowNull; }
    void SetAllowNull(bool value);
    bool AutoMove() const { return m_sections.AutoMove(); }
    void SetAutoMove(bool value);
    TAutoMoveDirection AutoMoveDirection() const { return m_sections.AutoMoveDirection(); }
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
    bool IntelliYearDigits() const { return m_sections.IntelliYearDigits(); }
    void SetIntelliYearDigits(bool value);
    bool IsNull() const { return GetIsNull(); }
    TShDateTimeKind Kind() const { return m_sections.Kind(); }
    void SetKind(TShDateTimeKind value);
    TDateTime MaxDate() const { return m_sections.Bounds().MaxDate(); }
    void SetMaxDate(TDateTime value);
    TDateTime MaxDateTime() const { return m_sections.Bounds().MaxDateTime(); }
    void SetMaxDateTime(TDateTime value);
    TDateTime MaxTime() const { return m_sections.Bounds().MaxTime(); }
    void SetMaxTime(TDateTime value);
    TDateTime MinDate() const { return m_sections.Bounds().MinDate(); }
    void SetMinDate(TDateTime value);
    TDateTime MinDateTime() const { return m_sections.Bounds().MinDateTime(); }
    void SetMinDateTime(TDateTime value);
    TDateTime MinTime() const { return m_sections.Bounds().MinTime(); }
    void SetMinTime(TDateTime value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool ShowSecond() const { return m_sections.ShowSecond(); }
    void SetShowSecond(bool value);
    TDateTime Time() const;
    void SetTime(TDateTime value);
    bool Use12HourClock() const { return m_sections.Use12HourClock(); }
    void SetUse12HourClock(bool value);
    bool UseCurrentDate() const { return m_useCurrentDate; }
    void SetUseCurrentDate(bool value);
    bool UseCurrentTime() const { return m_useCurrentTime; }
    void SetUseCurrentTime(bool value);
    bool UseSystemCalendar() const { return m_sections.Mode().IsGregorian(); }
    // The pattern of the formatted tooltip (the control's hint text).
    QString Hint() const { return m_hint; }
    void SetHint(const QString& value);

    // The date joined with the time of day: what the date-time bounds and the formatted tooltip use.
    TDateTime DateTime() const;

    // What the user sees and where: the current section, the text of a section ("" when hidden, two blanks
    // while null), whether digits are being typed, and the layout rectangles in widget coordinates.
    int CurrentSection() const { return m_sections.Current(); }
    void SetCurrentSection(int section);
    bool IsSectionVisible(int section) const;
    QString SectionText(int section) const;
    bool IsEditing() const { return m_sections.IsEditing(); }
    QRect SectionRect(int section) const;
    QRect EditRect() const { return m_editRect; }
    QRect IndicatorRect() const { return m_indicatorRect; }
    QRect TextRect() const { return m_layout.TextRect(); }
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
    int SectionLeft(int section) const { return m_layout.Left(section); }
    int SectionRight(int section) const { return m_layout.Right(section); }

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
    ShCalendarMode mode() const { return m_sections.Mode(); }
    void handleDigit(int digit);
    // What a key asked for, once the picker has taken the key.
    void carryOut(const TPickerCommand& command, const QString& text);
    // The commands that first end a running entry.
    void carryOutAfterEntry(const TPickerCommand& command);
    // After a completed section: on to the next one.
    void moveOn();
    void moveToSection(int section);
    // Ends a running entry, lets `write` change the value and raises what it changed.
    template <typename Write> void changeValue(Write write);
    void relayout();

    TPickerSections m_sections;
    bool m_null = false;
    QRect m_editRect;
    QRect m_indicatorRect;
    TPickerSectionLayout m_layout;
    int m_wheelRemainder = 0;
    QSize m_layoutSize;

    Qt::Alignment m_alignment = Qt::AlignHCenter;
    bool m_allowCalendarSwitch = true;
    bool m_allowNull = false;
    bool m_autoSize = true;
    TBorderStyle m_borderStyle = bsSingle;
    bool m_formattedHint = false;
    bool m_highlightRequired = false;
    bool m_readOnly = false;
    bool m_useCurrentDate = true;
    bool m_useCurrentTime = true;
    QString m_hint;
};
