#pragma once

#include <QHash>

#include <vector>

// The records of an open dataset by the whole-number value of one field (the file number), so that an equality
// filter or a locate on it looks at the few records holding the value instead of every row. Records without a
// value are not held. The records under one value come in ascending record number.
class RowIndex
{
public:
    void clear();
    // Makes room for records 0 to `records` - 1, none of them held yet.
    void reset(int records);

    // `record` must not be held yet; it goes among the records of `key` by its number.
    void add(int record, qint64 key);
    // `record` must be held under `key`.
    void remove(int record, qint64 key);
    // Forgets the records from `record` on, none of which may be held (take them out with remove first).
    void forgetFrom(int record);

    // The records holding `key`, ascending.
    std::vector<int> records(qint64 key) const;

private:
    static constexpr int none = -1;

    QHash<qint64, int> m_first;
    // Per record: the next record holding the same value, or none. A file number is nearly always held by one
    // record, so these chains are one or two long.
    std::vector<int> m_next;
};
