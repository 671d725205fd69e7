#include "controls/MonthCalendarPainter.h"

#include <QPainter>

#include <algorithm>

QRect MonthCalendarPainter::visual(const QRect& logical) const
{
    return MonthGridGeometry::Visual(logical, m_look.Width, m_look.RightToLeft);
}

void MonthCalendarPainter::DrawLines()
{
    const MonthGridGeometry& grid = m_look.Grid;
    const int lw = grid.LineWidth;
    if (lw <= 0)
        return;
    const QColor color = m_look.Colors.LinesColor();
    const TMonthCalOptions lineOptions = mcoDaysVertLine | mcoWeeksHorzLine | mcoVerticalLine | mcoHorizontalLine;
    const bool plain = !m_look.Options.testFlag(mcoWeekNumbers) && !(m_look.Options & lineOptions);
    const int totalWidth = m_look.Width;
    const int weekdayTop = grid.LogicalCellRect(0, grid.FixedRows - 1).top();
    const int daysTop = grid.LogicalCellRect(0, grid.FixedRows).top();
    const int weeksBottom = grid.LogicalCellRect(0, grid.FixedRows + 5).bottom() + 1;
    auto line = [&](const QRect& logical) { m_painter.fillRect(visual(logical), color); };

    const int inset = plain ? 4 : 0;
    line(QRect(inset, daysTop - lw, totalWidth - 2 * inset, lw));
    if (m_look.Options.testFlag(mcoWeekNumbers))
        line(QRect(grid.LogicalCellRect(1, 0).left() - lw, weekdayTop, lw, weeksBottom - weekdayTop));
    for (int col = grid.FixedCols + 1; col < grid.ColCount; ++col) {
        const int x = grid.LogicalCellRect(col, 0).left() - lw;
        if (m_look.Options.testFlag(mcoDaysVertLine))
            line(QRect(x, weekdayTop, lw, grid.RowHeight));
        if (m_look.Options.testFlag(mcoVerticalLine))
            line(QRect(x, daysTop, lw, weeksBottom - daysTop));
    }
    for (int row = grid.FixedRows + 1; row < grid.FixedRows + 6; ++row) {
        const int y = grid.LogicalCellRect(0, row).top() - lw;
        if (m_look.Options.testFlag(mcoWeeksHorzLine) && m_look.Options.testFlag(mcoWeekNumbers))
            line(QRect(0, y, grid.ColWidth, lw));
        if (m_look.Options.testFlag(mcoHorizontalLine)) {
            const int left = grid.LogicalCellRect(grid.FixedCols, 0).left();
            line(QRect(left, y, totalWidth - left, lw));
        }
    }
}

QRect MonthCalendarPainter::DrawTodayRow(const QString& text)
{
    const MonthGridGeometry& grid = m_look.Grid;
    const int row = grid.RowCount - 1;
    const QRect rowRect = visual(grid.LogicalCellRect(0, row).united(grid.LogicalCellRect(grid.ColCount - 1, row)));
    if (m_look.DefaultDrawing)
        m_painter.fillRect(rowRect, m_look.Colors.MonthBackColor());
    // The ring sits in the row's right-hand cell in both layouts, the text just before it.
    const QRect ringCell = visual(grid.LogicalCellRect(m_look.RightToLeft ? 0 : grid.ColCount - 1, row));
    QFont bold = m_look.Font;
    bold.setBold(true);
    m_painter.setFont(bold);
    m_painter.setPen(m_look.Colors.TextColor());
    const QRect textRect(rowRect.left(), rowRect.top(), ringCell.left() - grid.ColWidth / 8 - rowRect.left(),
                         rowRect.height());
    m_painter.drawText(textRect, Qt::AlignRight | Qt::AlignVCenter | Qt::AlignAbsolute, text);
    DrawTodayRing(ringCell.adjusted(1, 1, -1, -1), QString());
    return rowRect;
}

void MonthCalendarPainter::DrawTodayRing(const QRect& cell, const QString& text)
{
    m_painter.save();
    m_painter.setClipRect(cell);
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(QPen(m_look.Colors.CircleColor(), 2));
    m_painter.setBrush(Qt::NoBrush);
    QRectF box = QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5);
    // Around the number (or, in the Today row, a short ring) rather than the whole wide cell, as a pen would draw
    // it.
    const qreal wanted = text.isEmpty()
                             ? box.height() * 2.0
                             : std::max<qreal>(m_painter.fontMetrics().horizontalAdvance(text) + 16, box.height() * 1.6);
    if (wanted < box.width())
        box = QRectF(box.center().x() - wanted / 2, box.top(), wanted, box.height());
    // Two strokes: the first goes almost all the way round, the second, a little offset, closes the gap and runs
    // past the start of the first.
    m_painter.drawArc(box, 110 * 16, 320 * 16);
    m_painter.drawArc(box.adjusted(-1, -0.5, 1, 0.5).translated(0.5, -0.5), 40 * 16, 95 * 16);
    m_painter.restore();
}

MonthCalendarPainter::CellLook MonthCalendarPainter::DrawCell(const QRect& cell, const TCalendarCellInfo& info,
                                                              bool current, bool focused)
{
    TCalendarCellFlags flags = info.Flags;
    QColor textColor;
    bool bold = false;
    if (flags & ccfFixed) {
        textColor = m_look.Colors.FixedTextColor();
    } else {
        if (!(m_look.Options & (mcoMultiSelect | mcoRangeSelect))) {
            flags &= ~TCalendarCellFlags(ccfSelected);
            if (current)
                flags |= ccfSelected;
        }
        if (current && focused)
            flags |= ccfFocused;
        if (flags & ccfTrailing)
            textColor = m_look.Colors.TrailingTextColor();
        else if (flags & ccfSelected)
            textColor = m_look.Colors.TitleTextColor();
        else if ((flags & ccfBold) && m_look.Colors.BoldDaysColor().isValid())
            textColor = m_look.Colors.BoldDaysColor();
        else
            textColor = m_look.Colors.TextColor();
        bold = flags & ccfBold;
    }
    const QColor back = (flags & ccfSelected) ? m_look.Colors.TitleBackColor() : m_look.Colors.MonthBackColor();
    if (m_look.DefaultDrawing) {
        m_painter.fillRect(cell, back);
        if (!(flags & ccfTrailing) || m_look.Options.testFlag(mcoTrailingDays)) {
            QFont cellFont = m_look.Font;
            cellFont.setBold(bold);
            m_painter.setFont(cellFont);
            m_painter.setPen(textColor);
            m_painter.drawText(cell, Qt::AlignCenter, info.Text);
        }
    }
    return CellLook{flags, textColor};
}

void MonthCalendarPainter::DrawFocusFrame(const QRect& cell, const CellLook& look)
{
    if (m_look.DefaultDrawing && (look.Flags & ccfFocused)) {
        m_painter.save();
        QPen pen(look.TextColor, 1, Qt::DotLine);
        m_painter.setPen(pen);
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(cell.adjusted(1, 1, -2, -2));
        m_painter.restore();
    }
}
