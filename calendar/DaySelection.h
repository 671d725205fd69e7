#pragma once

// Which of the 42 day cells of a month grid are selected. A month calendar selects one day (the chosen one),
// several separate days, or one continuous range; this value keeps the cells by their index (0 is the grid's
// first day, 41 its last) and knows nothing of dates or widgets.

#include <cstdint>
#include <vector>

class DaySelection
{
public:
    static constexpr int CellCount = 42;
    // A set of cells, bit i for cell i.
    using CellMask = std::uint64_t;

    enum Kind
    {
        Single, // the chosen day alone
        Multi,  // any set of days
        Range   // the days from the anchor to the end, either way round
    };

    Kind GetKind() const { return m_kind; }
    // The selected cells stay as they are; the caller resets them for the new kind.
    void SetKind(Kind value) { m_kind = value; }
    // The longest range a range selection may be extended to; 0 for no limit.
    int MaxRange() const { return m_maxRange; }
    void SetMaxRange(int value) { m_maxRange = value < 0 ? 0 : value; }

    // The chosen day's cell. A single selection is that day, wherever it lies (while the shown month changes it
    // may lie outside the cells); multi and range selections do not follow it.
    void SetChosen(int index) { m_chosen = index; }

    // ---- what is selected ----
    int Count() const;
    // First and last cell of the selection: the chosen one for a single selection, otherwise the lower and higher
    // of anchor and end (a multi selection's separate days may lie outside them).
    int First() const;
    int Last() const;
    int Anchor() const { return m_anchor; }
    int End() const { return m_end; }
    bool Contains(int index) const;
    // Whether a range may be extended to `index` without growing past MaxRange. Always true for the other kinds.
    bool CanExtendTo(int index) const;

    // ---- changes; each returns the cells whose selected state may have changed ----
    // Back to the one cell `index`, which becomes anchor and end; a negative index selects nothing and anchors at
    // the first cell. Any cell may change.
    void Reset(int index);
    // Anchor and end move to `index`; the selected days stay.
    void SetAnchor(int index) { m_anchor = m_end = index; }
    // A multi selection without any day (anchor and end stay). Any cell may change.
    void Clear();
    // Multi: `index` changes between selected and not, and anchor and end move to it.
    CellMask Toggle(int index);
    // Multi: `index` becomes selected.
    CellMask Add(int index);
    // Moves the end to `index`: a range covers anchor to end; a multi selection swaps the block from the anchor
    // to the old end for the block to the new end, keeping the days outside both. A single selection ignores it,
    // and so does every kind for an index outside the cells.
    CellMask ExtendTo(int index);
    // Multi: when every cell of the group is selected they all become unselected, otherwise all selected.
    CellMask ToggleGroup(const std::vector<int>& indexes);

private:
    static bool isCell(int index) { return index >= 0 && index < CellCount; }
    static CellMask bit(int index) { return CellMask(1) << index; }
    // The cells from a to b, either way round.
    static CellMask span(int a, int b);

    Kind m_kind = Single;
    int m_maxRange = 0;
    CellMask m_cells = 0;
    int m_anchor = 0;
    int m_end = 0;
    int m_chosen = 0;
};
