#pragma once

// Where a date picker's sections sit on its one line of text. Widget-free: the picker measures its font once
// (TPickerMetrics) and reads the section extents and the text rectangle from here for painting and hit tests.

#include "controls/PickerSections.h"

#include <QRect>

#include <array>
#include <utility>

// The widths (and the line height) a picker's line is built from, in pixels of its font.
struct TPickerMetrics
{
    int Field = 0;         // the widest two-digit number; a year takes two
    int DateSeparator = 0; // 0 when there is no separator
    int TimeSeparator = 0;
    int AmPm = 0; // the wider of the AM and PM texts
    int Space = 0;
    int LineHeight = 0;
};

class TPickerSectionLayout
{
public:
    TPickerSectionLayout() = default;
    // The shown sections of `sections` side by side, in section order, placed within `edit` by the horizontal
    // part of `alignment` (left and right trade places in right-to-left layout unless it is absolute), and the
    // line centred vertically in `client`.
    TPickerSectionLayout(const TPickerSections& sections, const TPickerMetrics& metrics, Qt::Alignment alignment,
                         bool rightToLeft, const QRect& edit, const QRect& client);

    // Left and right edge of a section (both 0 when hidden).
    int Left(int section) const { return m_extents[section].first; }
    int Right(int section) const { return m_extents[section].second; }
    // The whole line, from the first section's left edge to the last one's right edge.
    QRect TextRect() const { return m_textRect; }
    // The shown section strictly inside whose edges x lies; -1 for none.
    int SectionAt(int x) const;

private:
    static int lineWidth(const TPickerSections& sections, const TPickerMetrics& metrics);
    static int gapAfter(int section, const TPickerSections& sections, const TPickerMetrics& metrics);

    std::array<std::pair<int, int>, TPickerSections::SectionCount> m_extents{};
    QRect m_textRect;
};
