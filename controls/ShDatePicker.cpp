#include "controls/ShDatePicker.h"

#include "calendar/Clock.h"
#include "calendar/ShDateConsts.h"
#include "controls/PickerClipboard.h"
#include "controls/PickerKeys.h"

#include <QClipboard>
#include <QDateTime>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>

namespace {

// The widths the section layout is built from, in the picker's font.
TPickerMetrics measure(const QFontMetrics& fm)
{
    TPickerMetrics m;
    m.DateSeparator = FormatSettings.DateSeparator.isNull() ? 0 : fm.horizontalAdvance(FormatSettings.DateSeparator);
    m.TimeSeparator = FormatSettings.TimeSeparator.isNull() ? 0 : fm.horizontalAdvance(FormatSettings.TimeSeparator);
    m.AmPm =
        std::max(fm.horizontalAdvance(FormatSettings.TimeAMString), fm.horizontalAdvance(FormatSettings.TimePMString));
    m.Space = fm.horizontalAdvance(QLatin1Char(' '));
    for (int i = 0; i <= 9; ++i)
        m.Field = std::max(m.Field, fm.horizontalAdvance(QString::number(i * 11)));
    m.LineHeight = fm.height();
    return m;
}

} // namespace

TCustomShDatePicker::TCustomShDatePicker(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setBackgroundRole(QPalette::Base);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_sections.SetDay(Clock::today());
    m_sections.SetTimeOfDay(Clock::now());
    resize(121, 21);
    ApplyAutoSize();
    UpdateLayout();
}

TCustomShDatePicker::~TCustomShDatePicker() = default;

// ---- calendar of the current mode -------------------------------------------------------------------------------

int TCustomShDatePicker::MonthLength(int year, int month) const
{
    return m_sections.MonthLength(year, month);
}

int TCustomShDatePicker::MinimumYear() const
{
    return mode().MinimumYear();
}

int TCustomShDatePicker::CurrentYear() const
{
    return mode().CurrentYear();
}

// ---- value --------------------------------------------------------------------------------------------------------

TPickerValue TCustomShDatePicker::Snapshot() const
{
    return m_sections.Snapshot();
}

TDateTime TCustomShDatePicker::Date() const
{
    return m_sections.Date();
}

TDateTime TCustomShDatePicker::Time() const
{
    return m_sections.Time();
}

TDateTime TCustomShDatePicker::DateTime() const
{
    return m_sections.DateTime();
}

template <typename Write> void TCustomShDatePicker::changeValue(Write write)
{
    CommitEdit();
    const TPickerValue old = Snapshot();
    write();
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetDate(TDateTime value)
{
    CommitEdit();
    const TDateTime day = ShCalendarMode::DayOf(value);
    TPickerBounds::CheckHoldable(day, mode());
    m_useCurrentDate = false;
    const TPickerValue old = Snapshot();
    CheckDate(day);
    m_sections.SetDay(day);
    UpdateSections(old, true);
}

void TCustomShDatePicker::SetTime(TDateTime value)
{
    CommitEdit();
    const TDateTime time = ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value));
    m_useCurrentTime = false;
    const TPickerValue old = Snapshot();
    CheckTime(time);
    m_sections.SetTimeOfDay(time);
    UpdateSections(old, true);
}

bool TCustomShDatePicker::GetIsNull() const
{
    return m_null;
}

void TCustomShDatePicker::SetIsNull(bool value)
{
    if (m_null == value)
        return;
    m_null = value;
    update();
}

void TCustomShDatePicker::SetUseCurrentDate(bool value)
{
    if (value)
        SetDate(Clock::today());
    m_useCurrentDate = value;
}

void TCustomShDatePicker::SetUseCurrentTime(bool value)
{
    if (value)
        SetTime(Clock::now());
    m_useCurrentTime = value;
}

void TCustomShDatePicker::SetUseSystemCalendar(bool value)
{
    if (UseSystemCalendar() == value)
        return;
    CommitEdit();
    m_sections.SetMode(ShCalendarMode(value));
    update();
}

// ---- simple properties ------------------------------------------------------------------------------------------

void TCustomShDatePicker::SetAlignment(Qt::Alignment value)
{
    if (m_alignment == value)
        return;
    m_alignment = value;
    relayout();
}

void TCustomShDatePicker::SetAllowCalendarSwitch(bool value)
{
    if (m_allowCalendarSwitch == value)
        return;
    m_allowCalendarSwitch = value;
    relayout();
}

void TCustomShDatePicker::SetAllowNull(bool value)
{
    m_allowNull = value;
    update();
}

void TCustomShDatePicker::SetAutoMove(bool value)
{
    m_sections.SetAutoMove(value);
}

void TCustomShDatePicker::SetAutoMoveDirection(TAutoMoveDirection value)
{
    if (AutoMoveDirection() == value)
        return;
    m_sections.SetAutoMoveDirection(value);
    update();
}

void TCustomShDatePicker::SetAutoSize(bool value)
{
    m_autoSize = value;
    if (value)
        ApplyAutoSize();
    updateGeometry();
}

void TCustomShDatePicker::SetBorderStyle(TBorderStyle value)
{
    if (m_borderStyle == value)
        return;
    m_borderStyle = value;
    ApplyAutoSize();
    relayout();
}

void TCustomShDatePicker::SetFormattedHint(bool value)
{
    m_formattedHint = value;
}

void TCustomShDatePicker::SetHighlightRequired(bool value)
{
    if (m_highlightRequired == value)
        return;
    m_highlightRequired = value;
    update();
}

void TCustomShDatePicker::SetIntelliYearDigits(bool value)
{
    m_sections.SetIntelliYearDigits(value);
}

void TCustomShDatePicker::SetKind(TShDateTimeKind value)
{
    if (Kind() == value)
        return;
    CommitEdit();
    m_sections.SetKind(value);
    relayout();
}

void TCustomShDatePicker::SetReadOnly(bool value)
{
    m_readOnly = value;
}

void TCustomShDatePicker::SetShowSecond(bool value)
{
    if (ShowSecond() == value)
        return;
    m_sections.SetShowSecond(value);
    relayout();
}

void TCustomShDatePicker::SetUse12HourClock(bool value)
{
    if (Use12HourClock() == value)
        return;
    m_sections.SetUse12HourClock(value);
    relayout();
}

void TCustomShDatePicker::SetHint(const QString& value)
{
    m_hint = value;
}

// ---- sections -----------------------------------------------------------------------------------------------------

bool TCustomShDatePicker::IsSectionVisible(int section) const
{
    return m_sections.IsVisible(section);
}

void TCustomShDatePicker::SetCurrentSection(int section)
{
    if (!IsSectionVisible(section) || section == CurrentSection())
        return;
    CommitEdit();
    moveToSection(section);
}

void TCustomShDatePicker::moveToSection(int section)
{
    const int old = CurrentSection();
    if (m_sections.SetCurrent(section))
        SectionChanged(old);
}

QString TCustomShDatePicker::SectionText(int section) const
{
    if (!IsSectionVisible(section))
        return {};
    if (m_null)
        return QStringLiteral("  ");
    return m_sections.Text(section);
}

QRect TCustomShDatePicker::SectionRect(int section) const
{
    if (!IsSectionVisible(section))
        return {};
    const QRect line = m_layout.TextRect();
    return QRect(m_layout.Left(section), line.top(), m_layout.Right(section) - m_layout.Left(section), line.height());
}

void TCustomShDatePicker::InvalidateSection(int section)
{
    const QRect r = SectionRect(section);
    if (!r.isEmpty())
        update(r);
}

void TCustomShDatePicker::SectionChanged(int oldSection)
{
    if (oldSection == CurrentSection())
        return;
    InvalidateSection(oldSection);
    InvalidateSection(CurrentSection());
}

void TCustomShDatePicker::UpdateSections(const TPickerValue& old, bool notify)
{
    const TPickerValue now = Snapshot();
    bool changed = false;
    for (int i = 0; i < SectionCount; ++i) {
        if (old.word(i) != now.word(i)) {
            changed = true;
            InvalidateSection(i);
        }
    }
    if (!changed)
        return;
    if (m_null) {
        SetIsNull(false);
        Change();
    } else if (notify) {
        Change();
    }
}

void TCustomShDatePicker::Change()
{
    emit OnChange();
}

void TCustomShDatePicker::CalendarSwitch()
{
    SetUseSystemCalendar(!UseSystemCalendar());
    emit OnCalendarSwitch();
}

// ---- bounds -------------------------------------------------------------------------------------------------------

void TCustomShDatePicker::CheckDate(TDateTime value) const
{
    m_sections.Bounds().CheckDate(value, mode());
}

void TCustomShDatePicker::CheckDateTime(TDateTime value) const
{
    m_sections.Bounds().CheckDateTime(value, mode());
}

void TCustomShDatePicker::CheckTime(TDateTime value) const
{
    m_sections.Bounds().CheckTime(value);
}

void TCustomShDatePicker::ClampDate()
{
    m_sections.ClampDate();
}

void TCustomShDatePicker::ClampTime()
{
    m_sections.ClampTime();
}

void TCustomShDatePicker::ClampDateTime()
{
    m_sections.ClampDateTime();
}

void TCustomShDatePicker::SetMinDate(TDateTime value)
{
    const TDateTime day = ShCalendarMode::DayOf(value);
    m_sections.Bounds().CheckNewMinDate(day, mode());
    if (day != MinDate())
        changeValue([&] { m_sections.SetMinDate(day); });
}

void TCustomShDatePicker::SetMaxDate(TDateTime value)
{
    const TDateTime day = ShCalendarMode::DayOf(value);
    m_sections.Bounds().CheckNewMaxDate(day, mode());
    if (day != MaxDate())
        changeValue([&] { m_sections.SetMaxDate(day); });
}

void TCustomShDatePicker::SetMinTime(TDateTime value)
{
    const TDateTime time = ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value));
    m_sections.Bounds().CheckNewMinTime(time);
    if (time != MinTime())
        changeValue([&] { m_sections.SetMinTime(time); });
}

void TCustomShDatePicker::SetMaxTime(TDateTime value)
{
    const TDateTime time = ShTimeValue(0, 0, 0, ShCalendarMode::MillisecondOfDay(value));
    m_sections.Bounds().CheckNewMaxTime(time);
    if (time != MaxTime())
        changeValue([&] { m_sections.SetMaxTime(time); });
}

void TCustomShDatePicker::SetMinDateTime(TDateTime value)
{
    m_sections.Bounds().CheckNewMinDateTime(value, mode());
    if (value != MinDateTime())
        changeValue([&] { m_sections.SetMinDateTime(value); });
}

void TCustomShDatePicker::SetMaxDateTime(TDateTime value)
{
    m_sections.Bounds().CheckNewMaxDateTime(value, mode());
    if (value != MaxDateTime())
        changeValue([&] { m_sections.SetMaxDateTime(value); });
}

bool TCustomShDatePicker::CanModify() const
{
    return !m_readOnly;
}

bool TCustomShDatePicker::IsGrayed() const
{
    return !isEnabled();
}

bool TCustomShDatePicker::ShowRequiredMark() const
{
    return m_highlightRequired && m_allowNull && GetIsNull();
}

// ---- editing ------------------------------------------------------------------------------------------------------

void TCustomShDatePicker::StepSection(int section, int delta)
{
    m_sections.StepSection(section, delta);
}

void TCustomShDatePicker::SetSectionLimit(int section, bool upper)
{
    m_sections.SetSectionLimit(section, upper);
}

void TCustomShDatePicker::TodayAndNow(TPickerValue& old)
{
    m_sections.TodayAndNow();
    const TPickerValue now = Snapshot();
    if (GetIsNull() && now.Year == old.Year && now.Month == old.Month && now.Day == old.Day && now.Hour == old.Hour &&
        now.Minute == old.Minute && now.Second == old.Second)
        old.Year = 0;
}

void TCustomShDatePicker::MoveDays(int days)
{
    m_sections.MoveDays(days);
}

bool TCustomShDatePicker::CommitEdit()
{
    if (!IsEditing())
        return true;
    const TPickerValue old = Snapshot();
    const TPickerValue entryStart = m_sections.EntryStart();
    const bool kept = m_sections.Commit();
    UpdateSections(old, false);
    if (!(Snapshot() == entryStart))
        Change();
    return kept;
}

void TCustomShDatePicker::moveOn()
{
    const int old = CurrentSection();
    if (m_sections.MoveOn())
        SectionChanged(old);
}

void TCustomShDatePicker::handleDigit(int digit)
{
    TPickerValue old = Snapshot();
    const TPickerSections::TDigitEntry entry = m_sections.TypeDigit(digit);
    if (entry == TPickerSections::deHeld)
        return;
    // A typed digit leaves the null state even where it leaves the value as it was.
    if (GetIsNull() && Snapshot() == old)
        old.Year = 0;
    UpdateSections(old, false);
    if (entry == TPickerSections::deComplete && CommitEdit())
        moveOn();
}

// ---- clipboard ----------------------------------------------------------------------------------------------------

void TCustomShDatePicker::CopyToClipboard()
{
    QGuiApplication::clipboard()->setText(copiedDateText(Date(), mode()));
}

void TCustomShDatePicker::PasteFromClipboard()
{
    TDateTime day = 0;
    if (!tryReadPastedDate(QGuiApplication::clipboard()->text(), mode(), day))
        return;
    if (day != Date()) {
        try {
            SetDate(day);
        } catch (const EShDateTimeError&) {
            // A pasted date outside the bounds is dropped without a word, like a typed one.
        }
    } else if (GetIsNull()) {
        SetIsNull(false);
        Change();
    }
}

void TCustomShDatePicker::CutToClipboard()
{
    CopyToClipboard();
    if (m_allowNull && CanModify() && !GetIsNull()) {
        SetIsNull(true);
        Change();
    }
}

// ---- layout -------------------------------------------------------------------------------------------------------

QRect TCustomShDatePicker::ClientRect() const
{
    return m_borderStyle == bsSingle ? rect().adjusted(1, 1, -1, -1) : rect();
}

int TCustomShDatePicker::AutoHeight() const
{
    return fontMetrics().height() + (m_borderStyle == bsSingle ? 2 : 0) + 4;
}

void TCustomShDatePicker::ApplyAutoSize()
{
    if (!m_autoSize)
        return;
    const int h = AutoHeight();
    if (height() != h)
        resize(width(), h);
    updateGeometry();
}

QSize TCustomShDatePicker::sizeHint() const
{
    return QSize(121, m_autoSize ? AutoHeight() : 21);
}

QSize TCustomShDatePicker::minimumSizeHint() const
{
    return QSize(m_layout.TextRect().width() + 8, m_autoSize ? AutoHeight() : 21);
}

void TCustomShDatePicker::AdjustEditRect()
{
    const QRect client = ClientRect();
    m_editRect = client;
    m_indicatorRect = QRect();
    if (!m_allowCalendarSwitch)
        return;
    if (isRightToLeft()) {
        m_indicatorRect = QRect(client.left() + 2, client.top() + 2, 4, 4);
        m_editRect.setLeft(m_indicatorRect.right() + 1);
    } else {
        m_indicatorRect = QRect(client.right() + 1 - 2 - 4, client.top() + 2, 4, 4);
        m_editRect.setRight(m_indicatorRect.left() - 1);
    }
}

void TCustomShDatePicker::UpdateLayout()
{
    AdjustEditRect();
    m_layout = TPickerSectionLayout(m_sections, measure(QFontMetrics(font())), m_alignment, isRightToLeft(), m_editRect,
                                    ClientRect());
    m_layoutSize = size();
}

void TCustomShDatePicker::relayout()
{
    UpdateLayout();
    update();
}

// ---- painting -----------------------------------------------------------------------------------------------------

void TCustomShDatePicker::paintEvent(QPaintEvent*)
{
    if (m_layoutSize != size())
        UpdateLayout();
    QPainter p(this);
    const QColor background = palette().color(QPalette::Base);
    p.fillRect(rect(), background);
    if (m_borderStyle == bsSingle) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    p.setFont(font());

    for (int i = 0; i < SectionCount; ++i)
        if (IsSectionVisible(i))
            PaintSection(p, i);

    p.setPen(IsGrayed() ? palette().color(QPalette::Disabled, QPalette::Text)
                        : palette().color(QPalette::Active, QPalette::Text));
    const auto drawGap = [&](int before, int after, QChar separator) {
        if (separator.isNull())
            return;
        const int left = m_layout.Right(before);
        const int right = m_layout.Left(after);
        const QRect line = m_layout.TextRect();
        p.drawText(QRect(left, line.top(), right - left, line.height()), Qt::AlignHCenter | Qt::AlignTop,
                   QString(separator));
    };
    if (IsSectionVisible(secYear) || IsSectionVisible(secMonth)) {
        drawGap(secYear, secMonth, FormatSettings.DateSeparator);
        drawGap(secMonth, secDay, FormatSettings.DateSeparator);
    }
    if (IsSectionVisible(secHour) || IsSectionVisible(secMinute))
        drawGap(secHour, secMinute, FormatSettings.TimeSeparator);
    if (IsSectionVisible(secMinute) && IsSectionVisible(secSecond))
        drawGap(secMinute, secSecond, FormatSettings.TimeSeparator);

    // The orange corner says "these are Gregorian dates".
    if (UseSystemCalendar() && m_allowCalendarSwitch && Kind() != dtkTime && !m_indicatorRect.isEmpty()) {
        const QColor orange(255, 128, 0);
        const QRect ind = m_indicatorRect;
        for (int row = 0; row < ind.height(); ++row) {
            if (isRightToLeft())
                p.fillRect(QRect(ind.left(), ind.top() + row, ind.width() - row, 1), orange);
            else
                p.fillRect(QRect(ind.left() + row, ind.top() + row, ind.width() - row, 1), orange);
        }
    }

    if (ShowRequiredMark()) {
        const QRect client = ClientRect();
        const int y = client.bottom();
        const int shift = isRightToLeft() ? 1 : 0;
        const int from = m_editRect.left() + 2 + shift;
        const int to = m_editRect.right() + 1 - 3 + shift;
        p.setPen(QColor(255, 0, 0));
        for (int x = from; x < to; x += 2)
            p.drawPoint(x, y);
    }
}

void TCustomShDatePicker::PaintSection(QPainter& painter, int index)
{
    const QRect r = SectionRect(index);
    if (r.isEmpty())
        return;
    const bool highlighted = index == CurrentSection() && hasFocus() && !IsGrayed();
    QColor text;
    if (highlighted) {
        painter.fillRect(r, palette().color(QPalette::Active, QPalette::Highlight));
        text = palette().color(QPalette::Active, QPalette::HighlightedText);
    } else {
        painter.fillRect(r, palette().color(QPalette::Base));
        text = IsGrayed() ? palette().color(QPalette::Disabled, QPalette::Text)
                          : palette().color(QPalette::Active, QPalette::Text);
    }
    painter.save();
    painter.setClipRect(r);
    painter.setPen(text);
    painter.drawText(r, Qt::AlignHCenter | Qt::AlignTop, SectionText(index));
    painter.restore();
}

// ---- input --------------------------------------------------------------------------------------------------------

void TCustomShDatePicker::keyPressEvent(QKeyEvent* event)
{
    const TPickerCommand command =
        pickerCommandFor(event->key(), event->modifiers(), event->text(), m_allowCalendarSwitch);
    if (command.Kind == pcNone) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (CanModify() || !command.ChangesValue())
        carryOut(command, event->text());
}

void TCustomShDatePicker::carryOut(const TPickerCommand& command, const QString& text)
{
    if (command.Kind == pcCalendarSwitch) {
        CalendarSwitch();
    } else if (command.Kind == pcTypeDigits) {
        for (const QChar c : text)
            if (const int digit = typedDigitValue(c); digit >= 0)
                handleDigit(digit);
    } else if (command.Kind == pcClear) {
        if (m_allowNull && !GetIsNull()) {
            CommitEdit();
            SetIsNull(true);
            Change();
        }
    } else {
        CommitEdit();
        carryOutAfterEntry(command);
    }
}

void TCustomShDatePicker::carryOutAfterEntry(const TPickerCommand& command)
{
    TPickerValue old = Snapshot();
    switch (command.Kind) {
    case pcCopy:
        CopyToClipboard();
        return;
    case pcPaste:
        PasteFromClipboard();
        return;
    case pcCut:
        CutToClipboard();
        return;
    case pcMoveSection:
        if (command.Amount != 0)
            moveToSection(m_sections.NextVisible(command.Amount));
        return;
    case pcStepSection:
        if (command.Amount != 0)
            StepSection(CurrentSection(), command.Amount);
        break;
    case pcMoveDays:
        MoveDays(command.Amount);
        break;
    case pcSectionLimit:
        SetSectionLimit(CurrentSection(), command.Amount > 0);
        break;
    case pcYearLimit:
        m_sections.SetYearLimit(command.Amount > 0);
        break;
    case pcToday:
        TodayAndNow(old);
        break;
    default:
        break;
    }
    UpdateSections(old, true);
}

void TCustomShDatePicker::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus())
            return;
        CommitEdit();
        if (m_layout.TextRect().contains(pos)) {
            if (const int section = m_layout.SectionAt(pos.x()); section >= 0)
                moveToSection(section);
        }
    } else if (event->button() == Qt::MiddleButton) {
        if (hasFocus() && ClientRect().contains(pos) && CanModify()) {
            CommitEdit();
            TPickerValue old = Snapshot();
            TodayAndNow(old);
            UpdateSections(old, true);
        }
    }
    event->accept();
}

void TCustomShDatePicker::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_allowCalendarSwitch || event->button() != Qt::LeftButton)
        return;
    // The edit rectangle reaches out over the corner indicator on its trailing side.
    QRect area = m_editRect;
    if (!m_indicatorRect.isEmpty()) {
        if (isRightToLeft())
            area.setLeft(m_indicatorRect.left());
        else
            area.setRight(m_indicatorRect.right());
    }
    if (area.contains(event->position().toPoint()))
        CalendarSwitch();
}

void TCustomShDatePicker::wheelEvent(QWheelEvent* event)
{
    if (!CanModify()) {
        event->ignore();
        return;
    }
    event->accept();
    int delta = event->angleDelta().y();
    if (delta == 0)
        delta = event->angleDelta().x();
    m_wheelRemainder += delta;
    const int steps = m_wheelRemainder / 120;
    m_wheelRemainder -= steps * 120;
    if (steps == 0)
        return;
    CommitEdit();
    const TPickerValue old = Snapshot();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (mods & Qt::ControlModifier) {
        MoveDays(7 * steps);
    } else if (mods & Qt::ShiftModifier) {
        MoveDays(steps);
    } else {
        for (int i = 0; i < std::abs(steps); ++i)
            StepSection(CurrentSection(), steps > 0 ? 1 : -1);
    }
    UpdateSections(old, true);
}

void TCustomShDatePicker::focusInEvent(QFocusEvent* event)
{
    if (AutoMove())
        m_sections.SetCurrent(m_sections.EntrySection());
    update();
    QWidget::focusInEvent(event);
}

void TCustomShDatePicker::focusOutEvent(QFocusEvent* event)
{
    CommitEdit();
    update();
    QWidget::focusOutEvent(event);
}

void TCustomShDatePicker::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateLayout();
}

void TCustomShDatePicker::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        ApplyAutoSize();
        relayout();
        break;
    case QEvent::LayoutDirectionChange:
        relayout();
        break;
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

QString TCustomShDatePicker::FormattedHintText() const
{
    if (GetIsNull())
        return {};
    const TDateTime value = DateTime();
    if (!UseSystemCalendar())
        return ShFormatDateTime(m_hint, value);
    const QDateTime dt(ShCalendarMode::ToGregorian(value),
                       QTime::fromMSecsSinceStartOfDay(ShCalendarMode::MillisecondOfDay(value)));
    return m_hint.isEmpty() ? QLocale().toString(dt, QLocale::ShortFormat) : QLocale().toString(dt, m_hint);
}

bool TCustomShDatePicker::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && m_formattedHint) {
        if (GetIsNull()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), FormattedHintText(), this);
        return true;
    }
    return QWidget::event(event);
}
