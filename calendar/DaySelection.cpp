#include "calendar/DaySelection.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace {

constexpr DaySelection::CellMask kAllCells = (DaySelection::CellMask(1) << DaySelection::CellCount) - 1;

} // namespace

DaySelection::CellMask DaySelection::span(int a, int b)
{
    const int low = std::clamp(std::min(a, b), 0, CellCount - 1);
    const int high = std::clamp(std::max(a, b), 0, CellCount - 1);
    return (kAllCells >> (CellCount - 1 - high)) & ~(bit(low) - 1);
}

int DaySelection::Count() const
{
    switch (m_kind) {
    case Multi:
        return std::popcount(m_cells & kAllCells);
    case Range:
        return std::abs(m_end - m_anchor) + 1;
    case Single:
        break;
    }
    return 1;
}

int DaySelection::First() const
{
    return m_kind == Single ? m_chosen : std::min(m_anchor, m_end);
}

int DaySelection::Last() const
{
    return m_kind == Single ? m_chosen : std::max(m_anchor, m_end);
}

bool DaySelection::Contains(int index) const
{
    switch (m_kind) {
    case Multi:
        return isCell(index) && (m_cells & bit(index));
    case Range:
        return index >= std::min(m_anchor, m_end) && index <= std::max(m_anchor, m_end);
    case Single:
        break;
    }
    return index == m_chosen;
}

bool DaySelection::CanExtendTo(int index) const
{
    return m_kind != Range || m_maxRange == 0 || std::abs(index - m_anchor) + 1 <= m_maxRange;
}

void DaySelection::Reset(int index)
{
    m_anchor = m_end = std::max(index, 0);
    m_cells = isCell(index) ? bit(index) : 0;
}

void DaySelection::Clear()
{
    m_cells = 0;
}

DaySelection::CellMask DaySelection::Toggle(int index)
{
    if (!isCell(index))
        return 0;
    m_anchor = m_end = index;
    m_cells ^= bit(index);
    return bit(index);
}

DaySelection::CellMask DaySelection::Add(int index)
{
    if (!isCell(index) || (m_cells & bit(index)))
        return 0;
    m_cells |= bit(index);
    return bit(index);
}

DaySelection::CellMask DaySelection::ExtendTo(int index)
{
    if (!isCell(index) || m_kind == Single)
        return 0;
    const int oldEnd = m_end;
    m_end = index;
    if (m_kind == Range)
        return span(oldEnd, index);
    const CellMask changed = span(m_anchor, oldEnd) ^ span(m_anchor, index);
    m_cells ^= changed;
    return changed;
}

DaySelection::CellMask DaySelection::ToggleGroup(const std::vector<int>& indexes)
{
    CellMask group = 0;
    for (int index : indexes) {
        if (isCell(index))
            group |= bit(index);
    }
    const bool allSelected = (m_cells & group) == group;
    if (allSelected)
        m_cells &= ~group;
    else
        m_cells |= group;
    return group;
}
