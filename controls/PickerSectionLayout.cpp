#include "controls/PickerSectionLayout.h"

namespace {

// Left, right or centre, with left and right traded for a right-to-left line unless the alignment is absolute.
Qt::Alignment horizontalAlignment(Qt::Alignment alignment, bool rightToLeft)
{
    Qt::Alignment align = alignment & Qt::AlignHorizontal_Mask;
    if (rightToLeft && !(align & Qt::AlignAbsolute)) {
        if (align & Qt::AlignLeft)
            align = Qt::AlignRight;
        else if (align & Qt::AlignRight)
            align = Qt::AlignLeft;
    }
    return align;
}

} // namespace

TPickerSectionLayout::TPickerSectionLayout(const TPickerSections& sections, const TPickerMetrics& metrics,
                                           Qt::Alignment alignment, bool rightToLeft, const QRect& edit,
                                           const QRect& client)
{
    const int total = lineWidth(sections, metrics);
    const Qt::Alignment align = horizontalAlignment(alignment, rightToLeft);
    int x;
    if (align & Qt::AlignRight)
        x = edit.width() - total - 3;
    else if (align & Qt::AlignLeft)
        x = 3;
    else
        x = (edit.width() - total) / 2;
    x += edit.left();
    const int textLeft = x;

    for (int i = 0; i < TPickerSections::SectionCount; ++i) {
        if (!sections.IsVisible(i))
            continue;
        const int width = i == TPickerSections::secAmPm   ? metrics.AmPm
                          : i == TPickerSections::secYear ? 2 * metrics.Field
                                                          : metrics.Field;
        m_extents[i] = {x, x + width};
        x += width + gapAfter(i, sections, metrics);
    }
    const int top = client.top() + (client.height() - metrics.LineHeight) / 2;
    m_textRect = QRect(textLeft, top, x - textLeft, metrics.LineHeight);
}

int TPickerSectionLayout::lineWidth(const TPickerSections& sections, const TPickerMetrics& m)
{
    // The width the line is aligned by; it reserves a whole year and every separator of the kind.
    int total = 0;
    switch (sections.Kind()) {
    case dtkDate:
        total = 4 * m.Field + 2 * m.DateSeparator;
        break;
    case dtkTime:
        total = sections.ShowSecond() ? 3 * m.Field + 2 * m.TimeSeparator : 2 * m.Field + m.TimeSeparator;
        if (sections.Use12HourClock())
            total += m.AmPm + m.TimeSeparator;
        break;
    case dtkDateTime:
        total = 2 * m.DateSeparator + m.Space + 6 * m.Field + m.TimeSeparator;
        if (sections.ShowSecond())
            total += m.Field + m.TimeSeparator;
        if (sections.Use12HourClock())
            total += m.AmPm + m.TimeSeparator;
        break;
    }
    return total;
}

int TPickerSectionLayout::gapAfter(int section, const TPickerSections& sections, const TPickerMetrics& m)
{
    switch (section) {
    case TPickerSections::secYear:
    case TPickerSections::secMonth:
        return m.DateSeparator;
    case TPickerSections::secDay:
        return sections.Kind() == dtkDateTime ? m.Space : 0;
    case TPickerSections::secHour:
        return m.TimeSeparator;
    case TPickerSections::secMinute:
        return sections.ShowSecond() || sections.Use12HourClock() ? m.TimeSeparator : 0;
    case TPickerSections::secSecond:
        return sections.Use12HourClock() ? m.TimeSeparator : 0;
    default:
        return 0;
    }
}

int TPickerSectionLayout::SectionAt(int x) const
{
    for (int i = 0; i < TPickerSections::SectionCount; ++i) {
        const auto [left, right] = m_extents[i];
        if (left < x && x < right)
            return i;
    }
    return -1;
}
