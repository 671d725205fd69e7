#include "data/RowIndex.h"

void RowIndex::clear()
{
    m_first.clear();
    m_next.clear();
    m_next.shrink_to_fit();
}

void RowIndex::reset(int records)
{
    m_first.clear();
    m_first.reserve(records);
    m_next.assign(size_t(records), none);
}

void RowIndex::add(int record, qint64 key)
{
    if (size_t(record) >= m_next.size())
        m_next.resize(size_t(record) + 1, none);
    const auto head = m_first.find(key);
    if (head == m_first.end()) {
        m_first.insert(key, record);
        m_next[size_t(record)] = none;
        return;
    }
    if (record < *head) {
        m_next[size_t(record)] = *head;
        *head = record;
        return;
    }
    int at = *head;
    while (m_next[size_t(at)] != none && m_next[size_t(at)] < record)
        at = m_next[size_t(at)];
    m_next[size_t(record)] = m_next[size_t(at)];
    m_next[size_t(at)] = record;
}

void RowIndex::remove(int record, qint64 key)
{
    const auto head = m_first.find(key);
    if (head == m_first.end())
        return;
    if (*head == record) {
        if (m_next[size_t(record)] == none)
            m_first.erase(head);
        else
            *head = m_next[size_t(record)];
    } else {
        int at = *head;
        while (m_next[size_t(at)] != none && m_next[size_t(at)] != record)
            at = m_next[size_t(at)];
        if (m_next[size_t(at)] == record)
            m_next[size_t(at)] = m_next[size_t(record)];
    }
    m_next[size_t(record)] = none;
}

void RowIndex::forgetFrom(int record)
{
    if (m_next.size() > size_t(record))
        m_next.resize(size_t(record));
}

std::vector<int> RowIndex::records(qint64 key) const
{
    std::vector<int> found;
    for (int at = m_first.value(key, none); at != none; at = m_next[size_t(at)])
        found.push_back(at);
    return found;
}
