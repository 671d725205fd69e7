#pragma once

// Draws the parts of a month calendar: grid lines, the Today row, today's ring and the cells. It reads the
// calendar through a view of what it looks like and changes nothing of it; which cells to draw, what they show
// and the OnDrawCell notification stay the calendar's.

#include "controls/MonthGridGeometry.h"
#include "controls/ShMonthCalendar.h"

#include <QColor>
#include <QFont>
#include <QRect>

class QPainter;

// What the painter reads of its calendar.
struct TMonthCalendarLook
{
    const TMonthCalendarColors& Colors;
    const MonthGridGeometry& Grid;
    TMonthCalOptions Options;
    QFont Font;
    int Width = 0;
    bool RightToLeft = false;
    // Off: cells are left to OnDrawCell handlers (lines and today's ring are still drawn).
    bool DefaultDrawing = true;
};

class MonthCalendarPainter
{
public:
    // How a cell was drawn: its flags as handed to OnDrawCell and the colour of its text.
    struct CellLook
    {
        TCalendarCellFlags Flags = 0;
        QColor TextColor;
    };

    MonthCalendarPainter(QPainter& painter, const TMonthCalendarLook& look) : m_painter(painter), m_look(look) {}

    // The lines the options ask for, and the line under the weekday row.
    void DrawLines();
    // The Today row with `text` and a ring; returns the row's rectangle.
    QRect DrawTodayRow(const QString& text);
    // The hand-drawn ring around today's number `text` in `cell` (a short ring when the text is empty), in the
    // painter's current font.
    void DrawTodayRing(const QRect& cell, const QString& text);
    // A weekday, week-number or day cell. `current` is the grid's current cell; `focused` that the calendar has
    // the focus. A single selection is drawn on the current cell.
    CellLook DrawCell(const QRect& cell, const TCalendarCellInfo& info, bool current, bool focused);
    // The dotted focus frame of a cell drawn with `look`, drawn last so that it stays on top.
    void DrawFocusFrame(const QRect& cell, const CellLook& look);

private:
    QRect visual(const QRect& logical) const;

    QPainter& m_painter;
    const TMonthCalendarLook& m_look;
};
